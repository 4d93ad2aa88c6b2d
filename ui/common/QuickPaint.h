#pragma once
// Two controls of the progress window that repaint at every step of a
// transfer, made cheap to repaint so that the window stays light while the
// link waits: the bar keeps each position it has painted as a picture, and
// the counter keeps its text laid out. Both look as their Qt originals; they
// differ in what a repaint costs. UI thread only.

#include <QHash>
#include <QHashFunctions>
#include <QLabel>
#include <QPixmap>
#include <QProgressBar>
#include <QStaticText>

class QStyleOptionProgressBar;

namespace vk47 {

// A QProgressBar that draws each position once through the style and later
// repaints it from that picture. One that fills its background (as the
// progress window's does) keeps it in the picture, which is then opaque and
// the same to the pixel; one that does not is blended from a transparent
// picture, its antialiased edges to within a rounding step. The pictures are dropped when the size,
// style, palette or font changes, since they would no longer match; the
// screen's pixel ratio is part of what a picture is kept under.
class TCachedProgressBar : public QProgressBar {
 public:
  explicit TCachedProgressBar(QWidget* parent = nullptr);

  // Draws the pictures of these positions ahead of their first paint (the
  // style's drawing is what a repaint costs otherwise).
  void Prepare(const QList<int>& positions);
  // How many positions are kept (for tests).
  qsizetype CachedPictures() const { return pictures_.size(); }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  const QPixmap& Picture(const QStyleOptionProgressBar& option);

  // Everything of the style's options that a paint may change.
  struct Look {
    int progress, minimum, maximum, state;
    bool inverted, bottom_to_top, filled;
    qreal ratio;
    QString text;
    bool operator==(const Look&) const = default;
    friend size_t qHash(const Look& look, size_t seed = 0) {
      return qHashMulti(seed, look.progress, look.minimum, look.maximum, look.state, look.inverted,
                        look.bottom_to_top, look.filled, look.ratio, look.text);
    }
  };
  QHash<Look, QPixmap> pictures_;
  QSize drawn_size_;  // the size the pictures have
};

// A QLabel for a short plain text whose layouts are kept between repaints
// (a step counter): each text is laid out once, then only its glyphs are
// drawn again.
class TStaticTextLabel : public QLabel {
 public:
  explicit TStaticTextLabel(const QString& text, QWidget* parent = nullptr);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  QHash<QString, QStaticText> laid_out_;
};

}  // namespace vk47
