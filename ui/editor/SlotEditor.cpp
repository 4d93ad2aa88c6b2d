#include "ui/editor/SlotEditor.h"

#include <QApplication>
#include <QCursor>
#include <QDrag>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QImageReader>
#include <QKeyEvent>
#include <QLabel>
#include <QMimeData>
#include <QMouseEvent>
#include <QTimer>
#include <QWheelEvent>
#include <algorithm>
#include <cstdlib>
#include <memory>

#include "model/command_set.h"
#include "model/step_program.h"
#include "ui/editor/AccessibleNames.h"
#include "ui/common/AppFolder.h"
#include "ui/common/Catalogue.h"
#include "ui/editor/CommandMenu.h"
#include "ui/DragController.h"
#include "ui/common/ErrorBox.h"
#include "ui/editor/StepSlots.h"
#include "ui/editor/TImage.h"

namespace vk47 {
namespace {

constexpr int kRows = 4;
constexpr int kDragThreshold = 5;  // as for a palette drag: more than this starts one
constexpr QRgb kDragTransparent = 0xFFFFFF;
constexpr int kWheelStep = 120;  // one notch of a common wheel, in eighths of a degree
constexpr int kMaxParameter = 15;

QString IconFileOf(int code) { return QString::fromStdString(StepIconFile(code).value_or("")); }

// Throws FileOpenError when the picture for `code` cannot be read, before
// any slot changes.
void CheckIcon(int code) {
  const QString path = IconPath(IconFileOf(code));
  if (!QImageReader(path).canRead()) throw FileOpenError(path);
}

// Shows `code` in `slot`: its picture, its code and, when filled, its labels.
void ShowStep(TStepSlots& steps, int slot, int code) {
  if (TImage* picture = steps.SlotPicture(slot)) picture->LoadFromFile(IconPath(IconFileOf(code)));
  steps.FreeSlotLabels(slot);
  steps.SetCode(slot, code);
  if (code != kEmptyCode) {
    steps.CreateStepLabels(code, slot, QString::fromStdString(StepCommandNumber(code).value_or("")));
  }
}

// What marks a step drag as this process's.
QByteArray ProcessToken() { return QByteArray::number(QCoreApplication::applicationPid()); }

}  // namespace

TSlotEditor::TSlotEditor(TStepSlots& steps, QWidget* program_box, QWidget* client, TDragController& drag,
                         SlotEditorHooks hooks, QObject* parent)
    : QObject(parent), slots_(steps), program_box_(program_box), client_(client), drag_(drag),
      hooks_(std::move(hooks)) {
  for (int slot = 0; slot < kSlotCount; ++slot) {
    QWidget* picture = slots_.SlotPicture(slot);
    pictures_[slot] = picture;
    if (!picture) continue;
    picture->setFocusPolicy(Qt::StrongFocus);
    MarkAsAccessibleSlot(picture);
    picture->installEventFilter(this);
  }
  program_box_->installEventFilter(this);
  client_->setAcceptDrops(true);
  client_->installEventFilter(this);
  UpdateAccessibleNames();
}

QWidget* TSlotEditor::Picture(int slot) const { return pictures_.at(slot).data(); }

void TSlotEditor::UpdateAccessibleNames() {
  for (int slot = 0; slot < kSlotCount; ++slot) {
    if (QWidget* picture = Picture(slot)) picture->setAccessibleName(SlotAccessibleName(slot, slots_.Code(slot)));
  }
}

int TSlotEditor::SlotOf(const QObject* widget) const {
  if (!widget) return -1;
  for (int slot = 0; slot < kSlotCount; ++slot) {
    if (widget == Picture(slot) || widget == slots_.DropLabels[slot].data()) return slot;
  }
  return -1;
}

int TSlotEditor::FocusedSlot() const { return SlotOf(QApplication::focusWidget()); }

void TSlotEditor::FocusSlot(int slot) {
  if (QWidget* picture = Picture(slot)) picture->setFocus(Qt::OtherFocusReason);
}

// --- the edits ----------------------------------------------------------------------

void TSlotEditor::MoveStep(int from, int to) {
  if (from == to || from < 0 || to < 0 || from >= kSlotCount || to >= kSlotCount) return;
  hooks_.run_command([&] {
    const int code = slots_.Code(from);
    if (code == kEmptyCode) return;
    CheckIcon(code);
    CheckIcon(kEmptyCode);
    hooks_.record_change(Tr("ステップ %1 を %2 に移す").arg(from).arg(to), [&] {
      ShowStep(slots_, to, code);
      ShowStep(slots_, from, kEmptyCode);
    });
    hooks_.show_outcome(Tr("ステップ %1 を %2 に移しました").arg(from).arg(to));
  });
}

void TSlotEditor::CopyStep(int from, int to) {
  if (from == to || from < 0 || to < 0 || from >= kSlotCount || to >= kSlotCount) return;
  hooks_.run_command([&] {
    const int code = slots_.Code(from);
    if (code == kEmptyCode || slots_.Code(to) == code) return;
    CheckIcon(code);
    hooks_.record_change(Tr("ステップ %1 を %2 にコピー").arg(from).arg(to), [&] { ShowStep(slots_, to, code); });
    hooks_.show_outcome(Tr("ステップ %1 を %2 にコピーしました").arg(from).arg(to));
  });
}

void TSlotEditor::EmptyStep(int slot) {
  if (slot < 0 || slot >= kSlotCount) return;
  hooks_.run_command([&] {
    if (slots_.Code(slot) == kEmptyCode) return;
    CheckIcon(kEmptyCode);
    hooks_.record_change(Tr("ステップ %1 を空にする").arg(slot), [&] { ShowStep(slots_, slot, kEmptyCode); });
    hooks_.show_outcome(Tr("ステップ %1 を空にしました").arg(slot));
  });
}

void TSlotEditor::ChangeValue(int slot, int delta) {
  if (slot < 0 || slot >= kSlotCount) return;
  hooks_.run_command([&] {
    const int code = slots_.Code(slot);
    if (code == kEmptyCode) return;
    const auto number = StepCommandNumber(code);
    const Command* command = number ? FindCommand(*number) : nullptr;
    if (!command || !command->takes_parameter) return;
    const int parameter = std::clamp(code - command->base_code + delta, 0, kMaxParameter);
    // The code a click on the value label gives with the track bar there.
    const int changed = EncodeStep(*number, parameter);
    if (changed == code) return;
    const QString value = StepValueCaption(changed);
    hooks_.record_change(Tr("ステップ %1 の値を %2 に").arg(slot).arg(value), [&] {
      slots_.FreeSlotLabels(slot);
      slots_.SetCode(slot, changed);
      slots_.CreateStepLabels(changed, slot, QString::fromStdString(*number));
    });
    hooks_.show_outcome(Tr("ステップ %1 の値を %2 にしました").arg(slot).arg(value));
  });
}

void TSlotEditor::PlaceCommand(int slot, const QString& number) {
  if (slot < 0 || slot >= kSlotCount || !FindCommand(number.toStdString())) return;
  hooks_.run_command([&] {
    // The drop says what it placed in the status line.
    hooks_.place_command(slot, number);
  });
}

void TSlotEditor::ChooseCommand(int slot) {
  QWidget* picture = Picture(slot);
  if (!picture || hooks_.held_back()) return;
  const int code = slots_.Code(slot);
  const QString current =
      code == kEmptyCode ? QString() : QString::fromStdString(StepCommandNumber(code).value_or(""));
  TCommandMenu menu(current, picture);
  const auto chosen = menu.Choose(picture);
  // The keys go on where they were, whatever the platform does on closing.
  FocusSlot(slot);
  if (chosen) PlaceCommand(slot, *chosen);
}

// --- events ---------------------------------------------------------------------------

bool TSlotEditor::eventFilter(QObject* watched, QEvent* event) {
  if (watched == client_) {
    return ClientDragEvent(event);
  }
  if (watched == program_box_) {
    if (event->type() == QEvent::Wheel) return ProgramBoxWheel(static_cast<QWheelEvent*>(event));
    return false;
  }
  const auto picture = std::find(pictures_.begin(), pictures_.end(), watched);
  if (picture == pictures_.end()) return false;
  return SlotEvent(static_cast<int>(picture - pictures_.begin()), picture->data(), event);
}

bool TSlotEditor::SlotEvent(int slot, QWidget* picture, QEvent* event) {
  switch (event->type()) {
    case QEvent::KeyPress:
      return SlotKey(slot, static_cast<QKeyEvent*>(event));
    case QEvent::MouseButtonPress: {
      const auto* mouse = static_cast<QMouseEvent*>(event);
      pressed_slot_ = -1;
      if (mouse->button() == Qt::LeftButton && slots_.Code(slot) != kEmptyCode && !hooks_.held_back()) {
        pressed_slot_ = slot;
        press_point_ = mouse->position().toPoint();
      }
      return false;  // the press focuses the slot as any click does
    }
    case QEvent::MouseMove: {
      if (pressed_slot_ != slot) return false;
      const QPoint pos = static_cast<QMouseEvent*>(event)->position().toPoint();
      if (std::abs(pos.x() - press_point_.x()) > kDragThreshold ||
          std::abs(pos.y() - press_point_.y()) > kDragThreshold) {
        BeginStepDrag(slot, picture);
      }
      return false;
    }
    case QEvent::MouseButtonRelease:
      pressed_slot_ = -1;
      return false;
    case QEvent::DragEnter:
    case QEvent::DragMove: {
      auto* drag = static_cast<QDragMoveEvent*>(event);
      if (DraggedSlot(drag->mimeData()) < 0) return false;  // a palette drag
      StepDragOver(drag);
      return true;
    }
    case QEvent::Drop: {
      auto* drop = static_cast<QDropEvent*>(event);
      const int from = DraggedSlot(drop->mimeData());
      if (from < 0) return false;
      if (!StepDragOver(drop)) return true;
      const bool copy = drop->dropAction() == Qt::CopyAction;
      if (copy) {
        CopyStep(from, slot);
      } else {
        MoveStep(from, slot);
      }
      FocusSlot(slot);
      return true;
    }
    default:
      return false;
  }
}

// Takes a step drag over a slot: a copy while Ctrl is held, else a move.
bool TSlotEditor::StepDragOver(QDropEvent* event) {
  const int from = DraggedSlot(event->mimeData());
  if (from < 0 || hooks_.held_back() || slots_.Code(from) == kEmptyCode) {
    event->ignore();
    return false;
  }
  const bool copy = event->modifiers().testFlag(Qt::ControlModifier);
  event->setDropAction(copy ? Qt::CopyAction : Qt::MoveAction);
  event->accept();
  return true;
}

bool TSlotEditor::SlotKey(int slot, QKeyEvent* key) {
  if (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) return false;
  const int row = slot % kRows;
  switch (key->key()) {
    case Qt::Key_Up:
      if (row > 0) FocusSlot(slot - 1);
      return true;
    case Qt::Key_Down:
      if (row < kRows - 1) FocusSlot(slot + 1);
      return true;
    case Qt::Key_Left:
      if (slot >= kRows) FocusSlot(slot - kRows);
      return true;
    case Qt::Key_Right:
      if (slot + kRows < kSlotCount) FocusSlot(slot + kRows);
      return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space:
      ChooseCommand(slot);
      return true;
    case Qt::Key_Plus:
      ChangeValue(slot, +1);
      return true;
    case Qt::Key_Minus:
      ChangeValue(slot, -1);
      return true;
    case Qt::Key_Delete:
    case Qt::Key_Backspace:
      EmptyStep(slot);
      return true;
    default:
      return false;
  }
}

// The wheel over a filled slot or its value label: one step of the value per
// notch, up when the wheel turns away from the pupil.
bool TSlotEditor::ProgramBoxWheel(QWheelEvent* wheel) {
  const QPoint pos = wheel->position().toPoint();
  int slot = -1;
  for (int k = 0; k < kSlotCount && slot < 0; ++k) {
    const QWidget* picture = Picture(k);
    const QWidget* label = slots_.DropLabels[k].data();
    if ((picture && picture->geometry().contains(pos)) || (label && label->geometry().contains(pos))) slot = k;
  }
  if (slot < 0 || slots_.Code(slot) == kEmptyCode) return false;
  if (slot != wheel_slot_) {
    wheel_slot_ = slot;
    wheel_rest_ = 0;
  }
  const int turned = wheel->inverted() ? -wheel->angleDelta().y() : wheel->angleDelta().y();
  wheel_rest_ += turned;
  const int steps = wheel_rest_ / kWheelStep;
  wheel_rest_ -= steps * kWheelStep;
  if (steps != 0) ChangeValue(slot, steps);
  wheel->accept();
  return true;
}

// --- dragging a step -----------------------------------------------------------------

QMimeData* TSlotEditor::NewStepMimeData(int slot) {
  auto* data = new QMimeData;
  data->setData(kStepMimeType, ProcessToken() + ':' + QByteArray::number(slot));
  return data;
}

int TSlotEditor::DraggedSlot(const QMimeData* data) {
  if (!data || !data->hasFormat(kStepMimeType)) return -1;
  const QList<QByteArray> parts = data->data(kStepMimeType).split(':');
  if (parts.size() != 2 || parts[0] != ProcessToken()) return -1;
  bool ok = false;
  const int slot = parts[1].toInt(&ok);
  return ok && slot >= 0 && slot < kSlotCount ? slot : -1;
}

bool TSlotEditor::RemovesDroppedStep(QPoint client_pos) const {
  return !program_box_->geometry().contains(client_pos);
}

// A step dragged over the client area outside the program box is taken
// there, to be removed; inside the box only the slots take it.
bool TSlotEditor::ClientDragEvent(QEvent* event) {
  switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop: {
      auto* drag = static_cast<QDropEvent*>(event);
      const int from = DraggedSlot(drag->mimeData());
      if (from < 0 || hooks_.held_back() || !RemovesDroppedStep(drag->position().toPoint())) {
        drag->ignore();
        return true;
      }
      drag->setDropAction(Qt::MoveAction);
      drag->accept();
      if (event->type() == QEvent::Drop) EmptyStep(from);
      return true;
    }
    default:
      return false;
  }
}

void TSlotEditor::BeginStepDrag(int slot, QWidget* picture) {
  pressed_slot_ = -1;
  if (drag_.Dragging || hooks_.held_back()) return;
  const int code = slots_.Code(slot);
  // The command's own picture, as a palette drag shows it; the slot's picture
  // when the file cannot be read.
  QImage bitmap(IconPath(IconFileOf(code)));
  if (bitmap.isNull()) {
    if (auto* image = qobject_cast<TImage*>(picture)) bitmap = image->Picture().toImage();
  }
  TDragObj* obj = nullptr;
  try {
    drag_.SetDragBitmap(bitmap, kDragTransparent, press_point_);
    obj = drag_.CreateDragObject(picture);
  } catch (...) {
    ShowFailureWarning(picture);
    return;
  }
  Qt::DropAction result = Qt::IgnoreAction;
  escape_pressed_ = false;
  {
    const std::unique_ptr<QDrag> drag(NewControlDrag(*obj, NewStepMimeData(slot)));
    // Escape ends a drag without a drop, as a release outside every target
    // does; it must not remove the step.
    struct EscapeWatch : QObject {
      explicit EscapeWatch(bool& seen) : seen_(seen) {}
      bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(e)->key() == Qt::Key_Escape) seen_ = true;
        return false;
      }
      bool& seen_;
    };
    auto* watch = new EscapeWatch(escape_pressed_);
    watch->setParent(drag.get());
    // Qt's drag installs its own filter once exec runs; one installed later
    // sees the keys first.
    QTimer::singleShot(0, watch, [watch] { qApp->installEventFilter(watch); });
    result = drag->exec(Qt::MoveAction | Qt::CopyAction, Qt::MoveAction);
  }
  drag_.FinishDrag();
  // Released over no target: outside the program box (over another control
  // that takes no steps, or outside the window) the step is removed.
  if (result == Qt::IgnoreAction && !escape_pressed_ &&
      !QGuiApplication::mouseButtons().testFlag(Qt::LeftButton) &&
      RemovesDroppedStep(client_->mapFromGlobal(QCursor::pos()))) {
    EmptyStep(slot);
  }
}

}  // namespace vk47
