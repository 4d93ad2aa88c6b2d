#include "ui/TImage.h"

#include <QPainter>

namespace vk47 {

FileOpenError::FileOpenError(const QString& path)
    : std::runtime_error(QStringLiteral("ファイル %1 は開けません").arg(path).toStdString()) {}

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
  if (picture_.isNull()) return;
  QPainter painter(this);
  painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
  if (Stretch) {
    painter.drawPixmap(rect(), picture_);
  } else {
    painter.drawPixmap(0, 0, picture_);
  }
}

}  // namespace vk47
