#pragma once
// TStepSlots: the views of the sixteen step slots in the main window. The
// codes live in one vk47::StepProgram (the one store of the program); this
// class keeps the slot pictures' "tag" property and the value and code labels
// in step with it.
//
// Slot k (0..15) shows in picture "Image" + (k + 8). While filled it has a
// value label "Drop_Label" + (k + 1) (cyan, 14 pt, clickable) and a code label
// "ASCII_Label" + (k + 1) (white, 12 pt), both in the program group box and
// referenced from DropLabels[k] and AsciiLabels[k]. Each label keeps its
// rectangle whatever its text. UI thread only.

#include <QLabel>
#include <QPointer>
#include <array>
#include <functional>

#include "model/step_program.h"

namespace vk47 {

class TImage;

// A label that reports a click (press and release of the left button on it).
class TClickLabel : public QLabel {
  Q_OBJECT

 public:
  using QLabel::QLabel;

 signals:
  void clicked();

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  bool pressed_ = false;
};

class TStepSlots {
 public:
  // `owner` holds the slot pictures (found by name); `track_position` reads
  // the track bar when a step is encoded. Labels are placed in the widget
  // given to SetLabelParent (the program group box).
  TStepSlots(QWidget* owner, std::function<int()> track_position);
  void SetLabelParent(QWidget* group_box) { group_box_ = group_box; }
  ~TStepSlots();
  TStepSlots(const TStepSlots&) = delete;
  TStepSlots& operator=(const TStepSlots&) = delete;

  const StepProgram& Program() const { return program_; }
  int Code(int slot) const { return program_.Code(slot); }
  // Sets a slot's code in the store and in its picture's "tag".
  void SetCode(int slot, int code);

  // The picture of slot k ("Image" + (k + 8)); nullptr when missing.
  TImage* SlotPicture(int slot) const;

  // Empties both label arrays without releasing anything (start-up).
  void ResetLabelArrays();

  // Creates, records and shows slot k's value and code labels for `code`
  // decoded as command `number`. The code and picture are the caller's.
  void CreateStepLabels(int code, int slot, const QString& number);
  // Releases slot k's labels, if it has them, and empties its entries.
  void FreeSlotLabels(int slot);
  // FreeSlotLabels for every filled slot; codes and pictures stay.
  void FreeStepLabels();

  // A palette command `number` was dropped on slot k: its icon is read
  // first, so that a failure (FileOpenError) leaves the slot's code, picture
  // and labels as they were; then the command is encoded with the track bar's
  // position of the moment and the slot gets its code and labels.
  void PlaceCommand(int slot, const QString& number);

  // A value label was clicked: re-encodes its slot with the track bar
  // position; the command and the picture stay.
  void StepValueLabelClick(QLabel* label);

  // Clears the program: each filled slot gets the empty-slot picture, the
  // code -1 and loses its labels. Throws FileOpenError when the picture cannot
  // be read; the slots before the failing one are cleared by then.
  void Clear();

  // Called with the clicked value label; the window routes it through its
  // command guard to StepValueLabelClick.
  std::function<void(QLabel*)> OnValueLabelClick;

  std::array<QPointer<QLabel>, kSlotCount> DropLabels{};
  std::array<QPointer<QLabel>, kSlotCount> AsciiLabels{};

 private:
  QLabel* NewLabel(bool value_label, int slot);

  QWidget* owner_;
  QWidget* group_box_ = nullptr;
  std::function<int()> track_position_;
  StepProgram program_;
};

// Rectangles of slot k's labels within the program group box.
QRect ValueLabelRect(int slot);
QRect CodeLabelRect(int slot);

}  // namespace vk47
