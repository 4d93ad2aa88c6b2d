#pragma once
// TImage: a picture control that shows a bitmap file. The file is read from
// disk at every load (nothing is cached). Drawn stretched to the control (or
// at its own size when Stretch is off), with the colour of the bitmap's
// bottom-left pixel left transparent so the group box shows through. With
// AutoSize on, the control takes the bitmap's size at each load. A badge
// text, when set, is drawn small over the picture's top-left corner.
// UI thread only.

#include <QImage>
#include <QLabel>
#include <QPixmap>
#include <stdexcept>

class QPainter;

namespace vk47 {

// A file that cannot be read as a picture: "ファイル %s は開けません".
class FileOpenError : public std::runtime_error {
 public:
  explicit FileOpenError(const QString& path);
};

class TImage : public QLabel {
  Q_OBJECT

 public:
  explicit TImage(QWidget* parent = nullptr);

  // Reads the bitmap at `path`; throws FileOpenError when it cannot be read,
  // leaving the shown picture as it was.
  void LoadFromFile(const QString& path);

  bool HasPicture() const { return !picture_.isNull(); }
  const QPixmap& Picture() const { return picture_; }
  QSize PictureSize() const { return picture_.size(); }

  bool Stretch = true;
  bool AutoSize = false;
  bool Transparent = true;
  // A short text drawn small in the top-left corner over the picture (the
  // step number of a slot); empty draws nothing.
  QString Badge;
  // Width of the frame drawn round the picture while it has the focus.
  static constexpr int kFocusFrameWidth = 3;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  void PaintBadge(QPainter& painter) const;
  void PaintFocusFrame(QPainter& painter) const;
  QPixmap picture_;
};

// The bitmap with every pixel of its bottom-left pixel's colour made
// transparent.
QImage WithTransparentBackground(const QImage& image);

}  // namespace vk47
