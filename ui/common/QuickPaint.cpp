#include "ui/common/QuickPaint.h"

#include <QEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionProgressBar>

namespace vk47 {
namespace {

// A transfer shows seventeen positions and counts; the load and the demo
// the same ones.
constexpr qsizetype kMostPictures = 32;

}  // namespace

TCachedProgressBar::TCachedProgressBar(QWidget* parent) : QProgressBar(parent) {}

void TCachedProgressBar::Prepare(const QList<int>& positions) {
  for (int position : positions) {
    QStyleOptionProgressBar option;
    initStyleOption(&option);
    option.progress = position;
    (void)Picture(option);
  }
}

const QPixmap& TCachedProgressBar::Picture(const QStyleOptionProgressBar& option) {
  const qreal ratio = devicePixelRatio();
  const Look look{option.progress,
                  option.minimum,
                  option.maximum,
                  static_cast<int>(option.state),
                  option.invertedAppearance,
                  option.bottomToTop,
                  autoFillBackground(),
                  ratio,
                  option.textVisible ? option.text : QString()};
  if (drawn_size_ != size()) {
    pictures_.clear();
    drawn_size_ = size();
  }
  auto picture = pictures_.constFind(look);
  if (picture != pictures_.constEnd()) return *picture;
  if (pictures_.size() >= kMostPictures) pictures_.clear();
  QPixmap drawn(size() * ratio);
  drawn.setDevicePixelRatio(ratio);
  drawn.fill(Qt::transparent);
  QPainter painter(&drawn);
  // A bar that fills its own background keeps it in the picture, which is
  // then opaque and shows exactly what the style draws on that background.
  if (autoFillBackground()) painter.fillRect(rect(), palette().brush(backgroundRole()));
  style()->drawControl(QStyle::CE_ProgressBar, &option, &painter, this);
  painter.end();
  return *pictures_.insert(look, drawn);
}

void TCachedProgressBar::paintEvent(QPaintEvent*) {
  QStyleOptionProgressBar option;
  initStyleOption(&option);
  QPainter(this).drawPixmap(0, 0, Picture(option));
}

void TCachedProgressBar::changeEvent(QEvent* event) {
  switch (event->type()) {
    case QEvent::StyleChange:
    case QEvent::PaletteChange:
    case QEvent::FontChange:
    case QEvent::LayoutDirectionChange:
    case QEvent::EnabledChange:
      pictures_.clear();
      break;
    default:
      break;
  }
  QProgressBar::changeEvent(event);
}

TStaticTextLabel::TStaticTextLabel(const QString& text, QWidget* parent) : QLabel(text, parent) {}

void TStaticTextLabel::paintEvent(QPaintEvent*) {
  auto laid_out = laid_out_.constFind(text());
  if (laid_out == laid_out_.constEnd()) {
    if (laid_out_.size() >= kMostPictures) laid_out_.clear();
    QStaticText fresh(text());
    fresh.setTextFormat(Qt::PlainText);
    fresh.setPerformanceHint(QStaticText::AggressiveCaching);
    fresh.prepare(QTransform(), font());
    laid_out = laid_out_.insert(text(), fresh);
  }
  const QRect area = contentsRect();
  const QSizeF text_size = laid_out->size();
  const Qt::Alignment align = QStyle::visualAlignment(layoutDirection(), alignment());
  qreal x = area.left();
  if (align & Qt::AlignRight) x = area.right() + 1 - text_size.width();
  if (align & Qt::AlignHCenter) x = area.left() + (area.width() - text_size.width()) / 2;
  qreal y = area.top();
  if (align & Qt::AlignBottom) y = area.bottom() + 1 - text_size.height();
  if (align & Qt::AlignVCenter) y = area.top() + (area.height() - text_size.height()) / 2;
  QPainter painter(this);
  painter.setFont(font());
  painter.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, foregroundRole()));
  painter.drawStaticText(QPointF(x, y), *laid_out);
}

void TStaticTextLabel::changeEvent(QEvent* event) {
  if (event->type() == QEvent::FontChange || event->type() == QEvent::ScreenChangeInternal) {
    laid_out_.clear();  // laid out again at the next paint
  }
  QLabel::changeEvent(event);
}

}  // namespace vk47
