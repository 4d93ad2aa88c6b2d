#pragma once
// TSlotEditor: editing the program where the steps stand, with the mouse or
// with the keyboard alone. The palette drop and the value-label click stay
// as they are; this adds, on the sixteen step slots:
//
//   - the focus: Tab and a click focus a slot (a click changes nothing); the
//     arrow keys move it through the 4 x 4 grid as drawn (Up/Down within a
//     column, Left/Right to the neighbouring column);
//   - Enter or Space: the pop-up list of the fifteen commands (CommandMenu.h);
//     the chosen command is placed exactly as a palette drop places it, with
//     the track bar's position of the moment;
//   - + and - (also on the keypad), and the wheel over a filled slot or its
//     value label: the step's value up or down by one within 0..15, the
//     result of moving the track bar there and clicking the value label;
//     a command without a value is left as it is;
//   - Delete or Backspace: the slot is emptied;
//   - dragging a filled slot onto another: the step moves there (the other
//     slot's step is replaced, the dragged slot becomes empty); with Ctrl
//     held at the drop it is copied; dropped anywhere outside the program
//     box it is removed. The drag shows the command's picture as a palette
//     drag does.
//
// Each change is one undoable change of the program with a status-bar text,
// made through the window's hooks, so it is held back while a load, the demo
// or a transfer runs, and it marks the program modified. UI thread only.

#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QString>
#include <array>
#include <functional>

#include "model/step_program.h"

class QDropEvent;
class QKeyEvent;
class QMimeData;
class QWheelEvent;
class QWidget;

namespace vk47 {

class TDragController;
class TImage;
class TStepSlots;

// What the editor needs of the window that holds the slots.
struct SlotEditorHooks {
  // Runs a command of the pupil: nothing while commands are held back; an
  // exception ends in the error box.
  std::function<void(const std::function<void()>&)> run_command;
  // Whether commands are held back now (a load, the demo, a transfer).
  std::function<bool()> held_back;
  // Runs `change` as one undoable change of the program named `undo_text`
  // (no step when the program ends unchanged); marks it modified.
  std::function<void(const QString& undo_text, const std::function<void()>& change)> record_change;
  // Shows the outcome of a change in the status bar.
  std::function<void(const QString&)> show_outcome;
  // Places command `number` in `slot` exactly as a palette drop there does.
  std::function<void(int slot, const QString& number)> place_command;
};

class TSlotEditor : public QObject {
  Q_OBJECT

 public:
  // `program_box` holds the slot pictures and their labels; a step dropped
  // on `client` (the window's client area) outside `program_box` is removed.
  TSlotEditor(TStepSlots& steps, QWidget* program_box, QWidget* client, TDragController& drag,
              SlotEditorHooks hooks, QObject* parent);

  // The edits, each one undoable change with its status text; nothing
  // happens while commands are held back or when the program would not
  // change.
  void MoveStep(int from, int to);
  void CopyStep(int from, int to);
  void EmptyStep(int slot);
  void ChangeValue(int slot, int delta);
  void PlaceCommand(int slot, const QString& number);
  // Opens the command list under the slot and places what is chosen.
  void ChooseCommand(int slot);

  // The focused slot, -1 when the focus is on none.
  int FocusedSlot() const;
  // The slot whose picture or value label is `widget`, else -1.
  int SlotOf(const QObject* widget) const;

  // The data of a step drag: the slot, marked as coming from this process, so
  // a step dragged to another vk47 window is refused there.
  static constexpr char kStepMimeType[] = "application/x-vk47-step";
  static QMimeData* NewStepMimeData(int slot);
  // The slot that a step drag carries; -1 when the data is no step of this
  // process.
  static int DraggedSlot(const QMimeData* data);

  // Every slot's accessible name anew (after a start-up that set no names).
  void UpdateAccessibleNames();

  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  bool SlotEvent(int slot, QWidget* picture, QEvent* event);
  bool SlotKey(int slot, QKeyEvent* key);
  bool StepDragOver(QDropEvent* event);
  bool ClientDragEvent(QEvent* event);
  bool ProgramBoxWheel(QWheelEvent* wheel);
  void BeginStepDrag(int slot, QWidget* picture);
  void FocusSlot(int slot);
  QWidget* Picture(int slot) const;
  bool RemovesDroppedStep(QPoint client_pos) const;

  TStepSlots& slots_;
  QWidget* program_box_;
  QWidget* client_;
  TDragController& drag_;
  SlotEditorHooks hooks_;
  std::array<QPointer<QWidget>, kSlotCount> pictures_{};  // the slots' pictures, by slot

  int pressed_slot_ = -1;  // a filled slot under a held left button
  QPoint press_point_;
  bool escape_pressed_ = false;  // during a step drag
  int wheel_slot_ = -1;
  int wheel_rest_ = 0;  // eighths of a degree not yet turned into steps
};

}  // namespace vk47
