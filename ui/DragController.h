#pragma once
// The drag image controller: gives a control drag a picture that follows the
// pointer. It holds a one-picture drag image list and the drag object of the
// drag under way; the window that starts drags hands it the picture
// (SetDragBitmap), takes a drag object from it (CreateDragObject), builds the
// QDrag from that object (NewControlDrag) and tells it when the drag has ended
// (FinishDrag). It knows nothing of step programs.
//
// UI thread only. The controller owns its list and its drag object; a
// TDragObj handed out stays owned by the controller until FinishDrag.

#include <QCursor>
#include <QImage>
#include <QObject>
#include <QPixmap>
#include <QPoint>
#include <QSize>

#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

class QDrag;
class QMimeData;
class QWidget;
class QWindow;

namespace vk47 {

// A usage error caught by an assertion; what() is
// "Assertion failure (file, line N)".
class EAssertionFailed : public std::logic_error {
 public:
  EAssertionFailed(const char* file, int line);
};

// The drag cursor of a control: its "dragCursor" property (a Qt::CursorShape),
// Qt::DragMoveCursor when the control sets none.
Qt::CursorShape DragCursorOf(const QWidget* control);
void SetDragCursor(QWidget* control, Qt::CursorShape shape);

// A list of equally sized pictures, one of which can be the drag picture.
// Drags started through QDrag are drawn by Qt from the picture and hot spot
// read here.
class TDragImageList {
 public:
  int Count() const { return static_cast<int>(images_.size()); }
  void Clear();
  int Width() const { return size_.width(); }
  int Height() const { return size_.height(); }
  // All pictures share this size; changing it empties the list.
  void SetSize(int width, int height);
  // Adds a copy of the image at the list's size; every pixel of exactly
  // `transparent` (alpha ignored) becomes fully transparent. Returns its index.
  int AddMasked(const QImage& image, QRgb transparent);
  const QPixmap& Image(int index) const { return images_.at(index); }

  // Makes picture `index` the drag picture with `hotspot` (the point of the
  // picture under the pointer). False when there is no such picture.
  bool SetDragImage(int index, QPoint hotspot);
  std::optional<int> DragImageIndex() const { return drag_index_; }
  QPixmap DragPixmap() const;  // null when no drag picture is set
  QPoint HotSpot() const { return hotspot_; }

  void EndDrag();  // forgets the drag picture

 private:
  QSize size_{16, 16};
  std::vector<QPixmap> images_;
  std::optional<int> drag_index_;
  QPoint hotspot_;
};

class TDragController;

// The drag object of one control drag: the dragged control and the
// controller that made it.
class TDragObj {
 public:
  TDragObj(QWidget* control, TDragController* controller)
      : Control(control), Controller(controller) {}

  QWidget* Control;
  TDragController* Controller;

  // The controller's list when it holds a picture, else nullptr.
  TDragImageList* ImageListInUse() const;
};

class TDragController : public QObject {
  Q_OBJECT
 public:
  explicit TDragController(QObject* owner = nullptr);
  ~TDragController() override;

  // Makes the drag object for `control`. Throws EAssertionFailed when a drag
  // object is still held; the held one then stays and no new one is made.
  TDragObj* CreateDragObject(QWidget* control);
  // Releases the drag object and empties the list.
  // Harmless when no drag is under way.
  void FinishDrag();
  // Replaces the list's content with one picture of the bitmap's size, with
  // `transparent` see-through and `hotspot` under the pointer. An empty
  // bitmap leaves the list empty, so the drag goes on with the cursor alone.
  void SetDragBitmap(const QImage& bitmap, QRgb transparent, QPoint hotspot);

  std::unique_ptr<TDragObj> CurrentDragObject;
  bool Dragging = false;
  TDragImageList DragImageList;
};

// A cursor pixmap whose centre is the tip of an arrow of `shape`'s kind, so
// that QDrag, which centres pixmap cursors, puts the tip at the pointer.
QPixmap DragCursorPixmap(Qt::CursorShape shape);

// Qt draws the picture of a QDrag in a private window class of its own
// (X11, Wayland); the relay of NewControlDrag shapes it and hides it where
// the picture is not shown. Its class name is the one reliance on Qt
// internals here: a test checks that a real drag still creates it.
inline constexpr char kDragPictureWindowClass[] = "QShapedPixmapWindow";
// That window while a drag runs; nullptr when there is none (no drag, or a
// platform that draws the picture otherwise, such as offscreen).
QWindow* DragPictureWindow();

// Whether the drag picture is shown while the pointer is over `widget`: the
// "displayDragImage" mark of the widget or of its nearest marked ancestor,
// so a control's inner parts (a text box's viewport) follow the control.
bool ShowsDragImage(const QWidget* widget);

// Builds the QDrag of a control drag: the drag picture and hot spot of
// ImageListInUse (none when the list is empty), the control's drag cursor over
// accepting targets (Qt shows its no-drop cursor elsewhere), `mime` as its
// data (taken over). While the drag runs, the picture is hidden over controls
// that do not show it (ShowsDragImage). The caller runs exec(Qt::MoveAction)
// and deletes the QDrag.
QDrag* NewControlDrag(TDragObj& obj, QMimeData* mime);

}  // namespace vk47
