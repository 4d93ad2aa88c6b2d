#include "ui/editor/PaletteDrag.h"

#include <algorithm>
#include <cstdlib>

#include <QDrag>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QMouseEvent>

#include "model/command_set.h"
#include "model/step_program.h"
#include "ui/DragController.h"
#include "ui/common/AppFolder.h"
#include "ui/common/Controls.h"
#include "ui/common/ErrorBox.h"
#include "ui/editor/TImage.h"

namespace vk47 {
namespace {

// The toolkit's drag threshold; a movement of exactly this much starts nothing.
constexpr int kDragThreshold = 5;
// White pixels of an icon are left out of the drag picture.
constexpr QRgb kDragTransparent = 0xFFFFFF;
constexpr int kNamePrefixLength = 5;  // "Image"
constexpr int kFirstSlotPicture = 8;

constexpr int kPaletteNumbers[] = {1, 2, 3, 4, 5, 6, 7, 24, 25, 26, 27, 28, 29, 30, 31};

// The command number text of a palette picture: its name after "Image".
QString CommandNumberOf(const QWidget* icon) { return icon->objectName().mid(kNamePrefixLength); }

// The command number carried by a palette drag; empty when the data is none.
QString DroppedCommand(const QMimeData* data) {
  if (!data || !data->hasFormat(TPaletteDrag::kCommandMimeType)) return {};
  const QString number = QString::fromUtf8(data->data(TPaletteDrag::kCommandMimeType));
  return FindCommand(number.toStdString()) ? number : QString();
}

TImage* PictureOf(const QWidget& window, int n) {
  return qobject_cast<TImage*>(FindControl(&window, QStringLiteral("image"), n));
}

}  // namespace

TPaletteDrag::TPaletteDrag(QWidget& window, TDragController& controller, PaletteDragHooks hooks)
    : QObject(&window), window_(window), controller_(controller), hooks_(std::move(hooks)) {
  for (int number : kPaletteNumbers) {
    if (TImage* icon = PictureOf(window, number)) {
      icon->installEventFilter(this);
      icons_.push_back(icon);
    }
  }
  for (int slot = 0; slot < kSlotCount; ++slot) {
    if (TImage* picture = PictureOf(window, slot + kFirstSlotPicture)) {
      picture->setAcceptDrops(true);
      picture->installEventFilter(this);
    }
  }
  // Over a slot the drag shows the icon's drag cursor; Image3's is the arrow.
  if (TImage* icon = PictureOf(window, 3)) SetDragCursor(icon, Qt::ArrowCursor);
}

QMimeData* TPaletteDrag::NewCommandMimeData(const QString& number) {
  auto* data = new QMimeData;
  data->setData(kCommandMimeType, number.toUtf8());
  return data;
}

bool TPaletteDrag::eventFilter(QObject* watched, QEvent* event) {
  auto* widget = qobject_cast<QWidget*>(watched);
  if (!widget) return false;
  if (std::find(icons_.begin(), icons_.end(), widget) != icons_.end()) return IconEvent(widget, event);
  return SlotEvent(widget, event);
}

bool TPaletteDrag::IconEvent(QWidget* icon, QEvent* event) {
  switch (event->type()) {
    case QEvent::MouseButtonPress: {
      const auto* mouse = static_cast<QMouseEvent*>(event);
      const QPoint pos = mouse->position().toPoint();
      Image1MouseDown(icon, mouse->button(), pos.x(), pos.y());
      break;
    }
    case QEvent::MouseMove: {
      const QPoint pos = static_cast<QMouseEvent*>(event)->position().toPoint();
      Image1MouseMove(icon, pos.x(), pos.y());
      break;
    }
    case QEvent::MouseButtonRelease: {
      const auto* mouse = static_cast<QMouseEvent*>(event);
      const QPoint pos = mouse->position().toPoint();
      Image1MouseUp(icon, mouse->button(), pos.x(), pos.y());
      break;
    }
    default:
      break;
  }
  return false;
}

bool TPaletteDrag::SlotEvent(QWidget* slot, QEvent* event) {
  switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove: {
      auto* drag = static_cast<QDragMoveEvent*>(event);
      if (Image8DragOver(slot, drag->mimeData())) {
        drag->acceptProposedAction();
      } else {
        drag->ignore();
      }
      return true;
    }
    case QEvent::Drop: {
      auto* drop = static_cast<QDropEvent*>(event);
      if (!Image8DragOver(slot, drop->mimeData())) {
        drop->ignore();
        return true;
      }
      drop->acceptProposedAction();
      Image8DragDrop(slot, drop->mimeData());
      return true;
    }
    default:
      return false;
  }
}

void TPaletteDrag::Image1MouseDown(QWidget*, Qt::MouseButton button, int x, int y) {
  if (button != Qt::LeftButton || hooks_.held_back()) return;
  PressPoint = QPoint(x, y);
  Pressed = true;
}

void TPaletteDrag::Image1MouseMove(QWidget* sender, int x, int y) {
  if (!Pressed) return;
  if (std::abs(PressPoint.x() - x) > kDragThreshold || std::abs(PressPoint.y() - y) > kDragThreshold) {
    BeginDrag(sender);
  }
}

void TPaletteDrag::Image1MouseUp(QWidget*, Qt::MouseButton, int, int) { Pressed = false; }

void TPaletteDrag::BeginDrag(QWidget* icon) {
  // A drag runs its own event loop; a move reported meanwhile starts no other.
  if (controller_.Dragging || hooks_.held_back()) return;
  if (TDragObj* obj = Image1StartDrag(icon)) {
    {
      // The QDrag goes before FinishDrag releases the object it refers to.
      const std::unique_ptr<QDrag> drag(NewControlDrag(*obj, NewCommandMimeData(CommandNumberOf(icon))));
      drag->exec(Qt::MoveAction);
    }
    Image1EndDrag(icon);
  } else {
    Pressed = false;
  }
}

TDragObj* TPaletteDrag::Image1StartDrag(QWidget* sender) {
  // A missing icon is reported, and the drag goes on with the previous one.
  try {
    const QString path = IconPath(CommandNumberOf(sender) + QStringLiteral(".bmp"));
    QImage picture;
    if (!picture.load(path)) throw FileOpenError(path);
    if (!DragBitmap) DragBitmap = std::make_unique<QPixmap>();
    *DragBitmap = QPixmap::fromImage(picture);
  } catch (...) {
    ShowFailureWarning(&window_);
  }
  try {
    const QImage bitmap = DragBitmap ? DragBitmap->toImage() : QImage();
    controller_.SetDragBitmap(bitmap, kDragTransparent, PressPoint);
    return controller_.CreateDragObject(sender);
  } catch (...) {
    ShowFailureWarning(&window_);
    return nullptr;
  }
}

void TPaletteDrag::Image1EndDrag(QWidget*) {
  controller_.FinishDrag();
  // The release that ended the drag never reached the icon.
  Pressed = false;
}

bool TPaletteDrag::Image8DragOver(QWidget*, const QMimeData* source) {
  return !hooks_.held_back() && !DroppedCommand(source).isEmpty();
}

void TPaletteDrag::Image8DragDrop(QWidget* sender, const QMimeData* source) {
  const QString number = DroppedCommand(source);
  const int slot = NumberAfterPrefix(sender->objectName(), kNamePrefixLength) - kFirstSlotPicture;
  if (number.isEmpty() || slot < 0 || slot >= kSlotCount) return;
  hooks_.place_command(slot, number);
}

}  // namespace vk47
