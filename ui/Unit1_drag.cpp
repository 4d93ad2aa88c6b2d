// TForm1's palette drag-and-drop: a command icon is dragged from the palette
// onto a step slot, which then holds that command with the track bar's
// position of the moment as its parameter.
//
// The fifteen palette pictures are the only drag sources and the sixteen
// slots the only drop targets. Mouse events of the pictures and drag events of
// the slots reach the shared handlers through one event filter. The drag
// itself is a QDrag built from what DragController1 prepares; its data names
// the command, so a slot accepts exactly the palette drags.

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <vector>

#include <QDrag>
#include <QDragEnterEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QMouseEvent>

#include "model/command_set.h"
#include "ui/common/AppFolder.h"
#include "ui/common/Catalogue.h"
#include "ui/editor/AccessibleNames.h"
#include "ui/common/Controls.h"
#include "ui/common/ErrorBox.h"
#include "ui/editor/TImage.h"
#include "ui/Unit1.h"

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
  if (!data || !data->hasFormat(TForm1::kCommandMimeType)) return {};
  const QString number = QString::fromUtf8(data->data(TForm1::kCommandMimeType));
  return FindCommand(number.toStdString()) ? number : QString();
}

// Hands the palette pictures' mouse events and the slots' drag events to the
// window's shared handlers.
class PaletteDragFilter : public QObject {
 public:
  explicit PaletteDragFilter(TForm1& form) : QObject(&form), form_(form) {}

  void WatchIcon(QWidget* icon) {
    icon->installEventFilter(this);
    icons_.push_back(icon);
  }
  void WatchSlot(QWidget* slot) {
    slot->setAcceptDrops(true);
    slot->installEventFilter(this);
  }

  bool eventFilter(QObject* watched, QEvent* event) override {
    auto* widget = qobject_cast<QWidget*>(watched);
    if (!widget) return false;
    if (std::find(icons_.begin(), icons_.end(), widget) != icons_.end()) return IconEvent(widget, event);
    return SlotEvent(widget, event);
  }

 private:
  bool IconEvent(QWidget* icon, QEvent* event) {
    switch (event->type()) {
      case QEvent::MouseButtonPress: {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        const QPoint pos = mouse->position().toPoint();
        form_.Image1MouseDown(icon, mouse->button(), pos.x(), pos.y());
        break;
      }
      case QEvent::MouseMove: {
        const QPoint pos = static_cast<QMouseEvent*>(event)->position().toPoint();
        form_.Image1MouseMove(icon, pos.x(), pos.y());
        break;
      }
      case QEvent::MouseButtonRelease: {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        const QPoint pos = mouse->position().toPoint();
        form_.Image1MouseUp(icon, mouse->button(), pos.x(), pos.y());
        break;
      }
      default:
        break;
    }
    return false;
  }

  bool SlotEvent(QWidget* slot, QEvent* event) {
    switch (event->type()) {
      case QEvent::DragEnter:
      case QEvent::DragMove: {
        auto* drag = static_cast<QDragMoveEvent*>(event);
        if (form_.Image8DragOver(slot, drag->mimeData())) {
          drag->acceptProposedAction();
        } else {
          drag->ignore();
        }
        return true;
      }
      case QEvent::Drop: {
        auto* drop = static_cast<QDropEvent*>(event);
        if (!form_.Image8DragOver(slot, drop->mimeData())) {
          drop->ignore();
          return true;
        }
        drop->acceptProposedAction();
        form_.Image8DragDrop(slot, drop->mimeData());
        return true;
      }
      default:
        return false;
    }
  }

  TForm1& form_;
  std::vector<QWidget*> icons_;
};

}  // namespace

void TForm1::ConnectDragHandlers() {
  auto* filter = new PaletteDragFilter(*this);
  for (int number : kPaletteNumbers) {
    if (TImage* icon = Picture(number)) filter->WatchIcon(icon);
  }
  for (int slot = 0; slot < kSlotCount; ++slot) {
    if (TImage* picture = Picture(slot + kFirstSlotPicture)) filter->WatchSlot(picture);
  }
  // Over a slot the drag shows the icon's drag cursor; Image3's is the arrow.
  if (TImage* icon = Picture(3)) SetDragCursor(icon, Qt::ArrowCursor);
}

QMimeData* TForm1::NewCommandMimeData(const QString& number) {
  auto* data = new QMimeData;
  data->setData(kCommandMimeType, number.toUtf8());
  return data;
}

void TForm1::Image1MouseDown(QWidget*, Qt::MouseButton button, int x, int y) {
  if (button != Qt::LeftButton || CommandsHeldBack()) return;
  PressPoint = QPoint(x, y);
  Pressed = true;
}

void TForm1::Image1MouseMove(QWidget* sender, int x, int y) {
  if (!Pressed) return;
  if (std::abs(PressPoint.x() - x) > kDragThreshold || std::abs(PressPoint.y() - y) > kDragThreshold) {
    BeginPaletteDrag(sender);
  }
}

void TForm1::Image1MouseUp(QWidget*, Qt::MouseButton, int, int) { Pressed = false; }

void TForm1::BeginPaletteDrag(QWidget* icon) {
  // A drag runs its own event loop; a move reported meanwhile starts no other.
  if (DragController1.Dragging || CommandsHeldBack()) return;
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

TDragObj* TForm1::Image1StartDrag(QWidget* sender) {
  // A missing icon is reported, and the drag goes on with the previous one.
  try {
    const QString path = IconPath(CommandNumberOf(sender) + QStringLiteral(".bmp"));
    QImage picture;
    if (!picture.load(path)) throw FileOpenError(path);
    if (!DragBitmap) DragBitmap = std::make_unique<QPixmap>();
    *DragBitmap = QPixmap::fromImage(picture);
  } catch (...) {
    ShowFailureWarning(this);
  }
  try {
    const QImage bitmap = DragBitmap ? DragBitmap->toImage() : QImage();
    DragController1.SetDragBitmap(bitmap, kDragTransparent, PressPoint);
    return DragController1.CreateDragObject(sender);
  } catch (...) {
    ShowFailureWarning(this);
    return nullptr;
  }
}

void TForm1::Image1EndDrag(QWidget*) {
  DragController1.FinishDrag();
  // The release that ended the drag never reached the icon.
  Pressed = false;
}

bool TForm1::Image8DragOver(QWidget*, const QMimeData* source) {
  return !CommandsHeldBack() && !DroppedCommand(source).isEmpty();
}

void TForm1::Image8DragDrop(QWidget* sender, const QMimeData* source) {
  const QString number = DroppedCommand(source);
  const int slot = NumberAfterPrefix(sender->objectName(), kNamePrefixLength) - kFirstSlotPicture;
  if (number.isEmpty() || slot < 0 || slot >= kSlotCount) return;
  PlaceCommand(slot, number);
}

void TForm1::PlaceCommand(int slot, const QString& number) {
  try {
    if (slot < 0 || slot >= kSlotCount || !FindCommand(number.toStdString())) return;
    document_->RecordChange(Tr("ステップ %1 に置く").arg(slot), [&] { Slots.PlaceCommand(slot, number); });
    ShowOutcome(Tr("ステップ %1 に %2 を置きました").arg(slot).arg(CommandName(number)));
  } catch (...) {
    ShowFailureWarning(this);
  }
}

}  // namespace vk47
