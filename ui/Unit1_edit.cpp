// TForm1's editing state: the program's document (undo and redo of every
// change, the program last saved or loaded) and the question on close over
// unsaved changes. ProgramDocument keeps the state; this file connects it to
// the slots, the Edit menu and the window's closing.

#include <QCloseEvent>
#include <QUndoStack>

#include "settings/editor_setting.h"
#include "settings/port_setting.h"
#include "ui/Unit1.h"
#include "ui/common/Catalogue.h"
#include "ui/common/ErrorBox.h"

namespace vk47 {

void TForm1::ConnectEditHandlers() {
  // Undo and redo put a whole program back through the checked path of a
  // load; Undo1Click and Redo1Click have checked the icons already, so a
  // failure here (an icon removed in between) is reported and goes no further.
  document_ = std::make_unique<ProgramDocument>(
      [this] { return slots_.Program().Codes(); },
      [this](const ProgramCodes& codes) { RunGuarded(this, [&] { RestoreProgram(codes); }); });
  document_->OnChanged = [this] { UpdateProgramState(); };
  files_ = std::make_unique<TProgramFiles>(*this, *document_, slots_, [this](const QString& text) { ShowOutcome(text); });
  QUndoStack* changes = document_->UndoStack();
  connect(Undo1, &QAction::triggered, this, [this] { RunCommand([this] { Undo1Click(); }); });
  connect(Redo1, &QAction::triggered, this, [this] { RunCommand([this] { Redo1Click(); }); });
  connect(changes, &QUndoStack::canUndoChanged, Undo1, &QAction::setEnabled);
  connect(changes, &QUndoStack::canRedoChanged, Redo1, &QAction::setEnabled);
  Undo1->setEnabled(false);
  Redo1->setEnabled(false);
  UpdateProgramState();
}

// Undo and redo apply a whole program like a load: every icon is checked
// first, so a missing one is reported and neither the slots nor the stack move.
void TForm1::Undo1Click() {
  const auto target = document_->UndoTarget();
  if (!target) return;
  CheckProgramIcons(*target);
  ShowOutcome(Tr("元に戻しました (%1)").arg(document_->Undo().value_or(QString())));
}

void TForm1::Redo1Click() {
  const auto target = document_->RedoTarget();
  if (!target) return;
  CheckProgramIcons(*target);
  ShowOutcome(Tr("やり直しました (%1)").arg(document_->Redo().value_or(QString())));
}

bool TForm1::ConfirmClose() {
  if (!document_->Modified() || !ReadConfirmExit(SettingsFilePath())) return true;
  switch (AskToSave(this, Tr("プログラムが保存されていません。保存しますか？"))) {
    case SaveAnswer::kDiscard:
      return true;
    case SaveAnswer::kCancel:
      return false;
    case SaveAnswer::kSave: {
      bool saved = false;
      RunGuarded(this, [&] { saved = SaveProgram(); });
      return saved;
    }
  }
  return false;
}

void TForm1::closeEvent(QCloseEvent* event) {
  // A stalled transfer is ended first; the window closes after it.
  if (DeferCloseForLink()) {
    event->ignore();
    return;
  }
  if (!ConfirmClose()) {
    event->ignore();
    return;
  }
  QMainWindow::closeEvent(event);
  if (event->isAccepted()) emit Closed();
}

}  // namespace vk47
