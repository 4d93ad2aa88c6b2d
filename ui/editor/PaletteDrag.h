#pragma once
// TPaletteDrag: the palette drag-and-drop of the main window. A command icon
// is dragged from the palette onto a step slot, which then holds that command
// with the track bar's position of the moment as its parameter.
//
// The fifteen palette pictures are the only drag sources and the sixteen
// slots the only drop targets; their mouse and drag events reach the shared
// handlers (named after the first palette picture, Image1, and the first
// slot, Image8) through this object's event filter. The drag is a QDrag
// built from what the window's drag controller prepares; its data names the
// command, so a slot accepts exactly the palette drags. The drop itself is
// the window's: the place_command hook. UI thread only.

#include <QObject>
#include <QPixmap>
#include <QPoint>
#include <functional>
#include <memory>
#include <vector>

class QMimeData;
class QWidget;

namespace vk47 {

class TDragController;
class TDragObj;

// What the drag needs of the window that holds the palette and the slots.
struct PaletteDragHooks {
  // Whether commands are held back now: no drag starts and no slot accepts.
  std::function<bool()> held_back;
  // Places command `number` in `slot` as one undoable change.
  std::function<void(int slot, const QString& number)> place_command;
};

class TPaletteDrag : public QObject {
 public:
  // Watches the palette pictures and the slot pictures of `window` (found by
  // their names, Image1..Image31); error boxes are shown over it.
  TPaletteDrag(QWidget& window, TDragController& controller, PaletteDragHooks hooks);

  // --- The drag's state -------------------------------------------------------
  QPoint PressPoint;                    // where the left button went down, in the icon
  bool Pressed = false;                 // the left button went down on an icon
  std::unique_ptr<QPixmap> DragBitmap;  // created by start-up, freed by shutdown

  // --- Handlers; the sender is the picture, positions in its coordinates ------
  void Image1MouseDown(QWidget* sender, Qt::MouseButton button, int x, int y);
  void Image1MouseMove(QWidget* sender, int x, int y);
  void Image1MouseUp(QWidget* sender, Qt::MouseButton button, int x, int y);
  TDragObj* Image1StartDrag(QWidget* sender);  // nullptr: the drag cannot start
  void Image1EndDrag(QWidget* sender);
  bool Image8DragOver(QWidget* sender, const QMimeData* source);  // accepts?
  void Image8DragDrop(QWidget* sender, const QMimeData* source);

  // The data of a palette drag: the command number text under this type.
  static constexpr char kCommandMimeType[] = "application/x-vk47-command";
  static QMimeData* NewCommandMimeData(const QString& number);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void BeginDrag(QWidget* icon);
  bool IconEvent(QWidget* icon, QEvent* event);
  bool SlotEvent(QWidget* slot, QEvent* event);

  QWidget& window_;
  TDragController& controller_;
  PaletteDragHooks hooks_;
  std::vector<QWidget*> icons_;
};

}  // namespace vk47
