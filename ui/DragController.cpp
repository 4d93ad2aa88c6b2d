#include "ui/DragController.h"

#include <QApplication>
#include <QBitmap>
#include <QGuiApplication>
#include <QRegion>
#include <QWindow>
#include <QDrag>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QPolygon>
#include <QTimer>
#include <QVariant>
#include <QWidget>

namespace vk47 {

namespace {

constexpr char kDragCursorProperty[] = "dragCursor";

std::string AssertionText(const char* file, int line) {
  return "Assertion failure (" + std::string(file) + ", line " + std::to_string(line) + ")";
}

}  // namespace

EAssertionFailed::EAssertionFailed(const char* file, int line)
    : std::logic_error(AssertionText(file, line)) {}

Qt::CursorShape DragCursorOf(const QWidget* control) {
  const QVariant shape = control ? control->property(kDragCursorProperty) : QVariant();
  return shape.isValid() ? static_cast<Qt::CursorShape>(shape.toInt()) : Qt::DragMoveCursor;
}

void SetDragCursor(QWidget* control, Qt::CursorShape shape) {
  control->setProperty(kDragCursorProperty, static_cast<int>(shape));
}

// ---------------------------------------------------------------- image list

void TDragImageList::Clear() {
  images_.clear();
  drag_index_.reset();
}

void TDragImageList::SetSize(int width, int height) {
  size_ = QSize(width, height);
  Clear();
}

int TDragImageList::AddMasked(const QImage& image, QRgb transparent) {
  QImage picture = image.convertToFormat(QImage::Format_ARGB32);
  if (picture.size() != size_)
    picture = picture.copy(0, 0, size_.width(), size_.height());
  const QRgb key = transparent & 0x00FFFFFFu;
  for (int y = 0; y < picture.height(); ++y) {
    auto* line = reinterpret_cast<QRgb*>(picture.scanLine(y));
    for (int x = 0; x < picture.width(); ++x) {
      if ((line[x] & 0x00FFFFFFu) == key) line[x] = 0;  // fully transparent
    }
  }
  images_.push_back(QPixmap::fromImage(picture));
  return Count() - 1;
}

bool TDragImageList::SetDragImage(int index, QPoint hotspot) {
  if (index < 0 || index >= Count()) return false;
  drag_index_ = index;
  hotspot_ = hotspot;
  return true;
}

QPixmap TDragImageList::DragPixmap() const {
  return drag_index_ && *drag_index_ < Count() ? images_[*drag_index_] : QPixmap();
}

void TDragImageList::EndDrag() { drag_index_.reset(); }

// ---------------------------------------------------------------- drag object

TDragImageList* TDragObj::ImageListInUse() const {
  if (!Controller || Controller->DragImageList.Count() == 0) return nullptr;
  return &Controller->DragImageList;
}


// ---------------------------------------------------------------- controller

TDragController::TDragController(QObject* owner) : QObject(owner) {}

TDragController::~TDragController() {
  DragImageList.EndDrag();
  DragImageList.Clear();
  CurrentDragObject.reset();
}

TDragObj* TDragController::CreateDragObject(QWidget* control) {
  if (CurrentDragObject) throw EAssertionFailed("DragController.cpp", __LINE__);
  CurrentDragObject = std::make_unique<TDragObj>(control, this);
  Dragging = true;
  return CurrentDragObject.get();
}

void TDragController::FinishDrag() {
  CurrentDragObject.reset();
  DragImageList.EndDrag();
  DragImageList.Clear();
  Dragging = false;
}

void TDragController::SetDragBitmap(const QImage& bitmap, QRgb transparent, QPoint hotspot) {
  DragImageList.EndDrag();
  DragImageList.Clear();
  DragImageList.SetSize(bitmap.width(), bitmap.height());
  if (bitmap.isNull()) return;  // nothing to show: the drag goes on with the cursor
  DragImageList.AddMasked(bitmap, transparent);
  DragImageList.SetDragImage(0, hotspot);
}

// ---------------------------------------------------------------- QDrag

QPixmap DragCursorPixmap(Qt::CursorShape shape) {
  if (shape != Qt::ArrowCursor) return QPixmap();
  // A classic arrow of 12 x 19 with its tip at the centre of a 40 x 40 pixmap.
  QPixmap pixmap(40, 40);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.translate(20, 20);
  const QPolygon arrow({{0, 0}, {0, 16}, {4, 12}, {7, 18}, {9, 17}, {6, 11}, {11, 11}});
  painter.setPen(QPen(Qt::white, 1));
  painter.setBrush(Qt::black);
  painter.drawPolygon(arrow);
  return pixmap;
}

QWindow* DragPictureWindow() {
  for (QWindow* window : QGuiApplication::topLevelWindows()) {
    if (window->inherits(kDragPictureWindowClass)) return window;
  }
  return nullptr;
}

bool ShowsDragImage(const QWidget* widget) {
  for (; widget; widget = widget->parentWidget()) {
    const QVariant mark = widget->property("displayDragImage");
    if (mark.isValid()) return mark.toBool();
  }
  return false;
}

namespace {

// Qt draws the drag picture in a window of its own. On an X11 display
// without a compositing manager that window cannot be translucent and Qt
// 6.4 leaves it unshaped, so the transparent pixels show as a white box.
// Shaping it with the picture's mask cuts them out; with a compositor the
// shape changes nothing.
void ShapeDragPictureWindow(const QPixmap& picture) {
  const QBitmap mask = picture.mask();
  if (mask.isNull()) return;
  if (QWindow* window = DragPictureWindow()) window->setMask(QRegion(mask));
}

// Hides the drag picture over the controls that do not show it (the track
// bar and its scale labels) and shows it again elsewhere; outside the
// program's windows it stays shown. Qt's drag installs its own application
// event filter when exec starts and swallows the moves, so this filter goes
// in once the drag's loop runs (filters installed later see events first).
class DragPictureRelay : public QObject {
 public:
  explicit DragPictureRelay(QDrag* drag) : QObject(drag) {
    QTimer::singleShot(0, this, [this, drag] {
      ShapeDragPictureWindow(drag->pixmap());
      qApp->installEventFilter(this);
    });
  }

  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::MouseMove && watched->isWindowType()) {
      FollowPointer(static_cast<QMouseEvent*>(event)->globalPosition().toPoint());
    }
    return false;
  }

 private:
  void FollowPointer(QPoint pos) {
    const QWidget* under = QApplication::widgetAt(pos);
    const bool show = !under || ShowsDragImage(under);
    if (show == shown_) return;
    shown_ = show;
    if (QWindow* window = DragPictureWindow()) window->setVisible(show);
  }

  bool shown_ = true;
};

}  // namespace

QDrag* NewControlDrag(TDragObj& obj, QMimeData* mime) {
  auto* drag = new QDrag(obj.Control);
  drag->setMimeData(mime);
  if (const TDragImageList* list = obj.ImageListInUse()) {
    drag->setPixmap(list->DragPixmap());
    drag->setHotSpot(list->HotSpot());
  }
  const QPixmap cursor = DragCursorPixmap(DragCursorOf(obj.Control));
  if (!cursor.isNull()) drag->setDragCursor(cursor, Qt::MoveAction);
  new DragPictureRelay(drag);
  return drag;
}

}  // namespace vk47
