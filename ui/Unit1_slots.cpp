// TForm1's keyboard, in-place editing and assistive-technology wiring: the
// menu shortcuts ahead of any focused control, the maximisable window with
// its diagnostic controls, the slot editor (SlotEditor.h) and the accessible
// names of the palette, the slots, the buttons and the track bar.

#include <QGroupBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSlider>

#include "model/command_set.h"
#include "ui/editor/AccessibleNames.h"
#include "ui/common/Catalogue.h"
#include "ui/common/Controls.h"
#include "ui/common/MenuShortcuts.h"
#include "ui/editor/SlotEditor.h"
#include "ui/editor/TImage.h"
#include "ui/Unit1.h"
#include "ui/common/LogWhenSeen.h"
#include "ui/common/WindowSizing.h"

namespace vk47 {

void TForm1::ConnectSizing() {
  // Menu shortcuts go ahead of any focused control.
  new TMenuShortcutGuard(this);

  // The transfer log is for reading; it and Button3 lie right of the normal
  // client area and take the focus only while the maximised window shows them.
  Memo1->setReadOnly(true);
  memo_log_ = new TLogWhenSeen(Memo1);
  auto* sizing = new TWindowSizing(this, Client, Client->size());
  sizing->ShowOnlyWhenSeen(Memo1, Qt::StrongFocus);
  sizing->ShowOnlyWhenSeen(Button3, Qt::StrongFocus);
  sizing->ShowOnlyWhenSeen(Label13, Qt::NoFocus);
  // Hidden, they are not read out either; they keep their captions.
  ListOnlySeenChildren(Client);
}

void TForm1::ConnectSlotEditing() {
  SlotEditorHooks hooks;
  hooks.run_command = [this](const std::function<void()>& body) { RunCommand(body); };
  hooks.held_back = [this] { return CommandsHeldBack(); };
  hooks.record_change = [this](const QString& what, const std::function<void()>& change) {
    document_->RecordChange(what, change);
  };
  hooks.show_outcome = [this](const QString& text) { ShowOutcome(text); };
  // A command chosen from the list is placed as a palette drop places it.
  hooks.place_command = [this](int slot, const QString& number) { PlaceCommand(slot, number); };
  slot_editor_ = new TSlotEditor(slots_, GroupBox3, Client, DragController1, std::move(hooks), this);
}

void TForm1::SetTabOrder() {
  // Tab: the slots in step order, then 転送 and 実行 (then, maximised, the
  // diagnostic controls). The track bar takes the focus by a click only.
  QWidget* previous = nullptr;
  for (int slot = 0; slot < kSlotCount; ++slot) {
    QWidget* picture = Picture(slot + 8);
    if (previous) setTabOrder(previous, picture);
    previous = picture;
  }
  for (QWidget* next : std::initializer_list<QWidget*>{Button1, Button2, Memo1, Button3}) {
    setTabOrder(previous, next);
    previous = next;
  }
  // At the start no slot is framed: the client area holds the focus (it
  // takes none by a click or Tab), so that the first Tab frames step 0.
  // Left alone, Qt would give step 0 the focus as the window opens, and the
  // first Tab would go on to step 1.
  Client->setFocus(Qt::OtherFocusReason);
}

void TForm1::NameControls() {
  // The names are built from values, so they are built again in the other
  // mode's words when the hiragana mode is switched.
  const auto name_controls = [this] {
    for (const Command& command : Commands()) {
      const QString number = QString::fromUtf8(command.number.data(), static_cast<qsizetype>(command.number.size()));
      if (TImage* icon = Picture(number.toInt())) {
        icon->setAccessibleName(CommandName(number));
        icon->setAccessibleDescription(Hint(icon));
      }
    }
    TrackBar1->setAccessibleName(TrackBarAccessibleName(TrackBar1->value()));
    slot_editor_->UpdateAccessibleNames();
  };
  name_controls();
  connect(&KanaModeNotifier(), &KanaModeSignal::Changed, this, name_controls);
  connect(TrackBar1, &QSlider::valueChanged, this,
          [this](int position) { TrackBar1->setAccessibleName(TrackBarAccessibleName(position)); });
}

}  // namespace vk47
