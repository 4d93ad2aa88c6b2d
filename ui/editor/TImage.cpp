#include "ui/editor/TImage.h"
#include "ui/common/Catalogue.h"

#include <QPainter>
#include <algorithm>

namespace vk47 {

FileOpenError::FileOpenError(const QString& path)
    : std::runtime_error(Tr("ファイル %1 は開けません").arg(path).toStdString()) {}

QImage WithTransparentBackground(const QImage& image) {
  QImage result = image.convertToFormat(QImage::Format_ARGB32);
  if (result.isNull()) return result;
  const QRgb key = result.pixel(0, result.height() - 1);
  for (int y = 0; y < result.height(); ++y) {
    auto* line = reinterpret_cast<QRgb*>(result.scanLine(y));
    for (int x = 0; x < result.width(); ++x) {
      if (line[x] == key) line[x] = qRgba(0, 0, 0, 0);
    }
  }
  return result;
}

TImage::TImage(QWidget* parent) : QLabel(parent) {}

void TImage::LoadFromFile(const QString& path) {
  QImage image;
  if (!image.load(path)) throw FileOpenError(path);
  picture_ = QPixmap::fromImage(Transparent ? WithTransparentBackground(image) : image);
  if (AutoSize) resize(picture_.size());
  update();
}

void TImage::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  if (!picture_.isNull()) {
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    if (Stretch) {
      painter.drawPixmap(rect(), picture_);
    } else {
      painter.drawPixmap(0, 0, picture_);
    }
  }
  // The step number stays readable over the frame.
  if (hasFocus()) PaintFocusFrame(painter);
  if (!Badge.isEmpty()) PaintBadge(painter);
}

// A frame that a pupil sees from the back of the class: the focused slot is
// where the keys act.
void TImage::PaintFocusFrame(QPainter& painter) const {
  painter.setRenderHint(QPainter::Antialiasing, false);
  painter.setBrush(Qt::NoBrush);
  painter.setPen(QPen(QColor(255, 140, 0), kFocusFrameWidth, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
  const int inset = kFocusFrameWidth / 2;
  painter.drawRect(rect().adjusted(inset, inset, -inset - 1, -inset - 1));
}

void TImage::PaintBadge(QPainter& painter) const {
  QFont small = font();
  small.setPixelSize(10);
  small.setBold(true);
  painter.setFont(small);
  const QFontMetrics metrics(small);
  const QRect box(0, 0, std::max(12, metrics.horizontalAdvance(Badge) + 4), metrics.height());
  painter.setRenderHint(QPainter::Antialiasing, true);
  painter.setPen(Qt::NoPen);
  painter.setBrush(QColor(0, 0, 128));
  painter.drawRoundedRect(box, 3, 3);
  painter.setPen(Qt::white);
  painter.drawText(box, Qt::AlignCenter, Badge);
}

}  // namespace vk47
