// TForm1's editing state: undo and redo of every change of the program, the
// program last saved or loaded (title, status bar, the question on close),
// and the status bar's reports of the last command and of the port.

#include <QCloseEvent>
#include <QDateTime>
#include <QFileInfo>
#include <QLabel>
#include <QStatusBar>
#include <QTimer>
#include <QUndoCommand>
#include <QUndoStack>

#include "model/int_text.h"
#include "serial/port_resolver.h"
#include "settings/port_setting.h"
#include "settings/profile.h"
#include "ui/ErrorBox.h"
#include "ui/Unit1.h"

namespace vk47 {
namespace {

constexpr char kBaseCaption[] = "VK-47ロボット制御３";
// Far more than a lesson needs; each step holds two sets of sixteen codes.
constexpr int kUndoLimit = 1000;
constexpr int kPortPollMs = 2000;

// One change of the program: the codes before and after it. The change has
// already been made when the step is pushed, so its first redo does nothing.
class ProgramStep : public QUndoCommand {
 public:
  ProgramStep(TForm1& form, const QString& text, const ProgramCodes& before, const ProgramCodes& after)
      : QUndoCommand(text), form_(form), before_(before), after_(after) {}

  const ProgramCodes& Before() const { return before_; }
  const ProgramCodes& After() const { return after_; }

  // Undo1Click and Redo1Click have checked the icons already; a failure here
  // (an icon removed in between) is reported and goes no further.
  void undo() override { RunGuarded(&form_, [this] { form_.RestoreProgram(before_); }); }
  void redo() override {
    if (first_redo_) {
      first_redo_ = false;
      return;
    }
    RunGuarded(&form_, [this] { form_.RestoreProgram(after_); });
  }

 private:
  TForm1& form_;
  ProgramCodes before_;
  ProgramCodes after_;
  bool first_redo_ = true;
};

// "com1" is shown as the pupil knows it, "COM1".
QString PortCaption(const std::string& portname) { return QString::fromStdString(portname).toUpper(); }

// The close question can be switched off by a teacher: [editor] confirmexit=0.
bool ConfirmExitEnabled() {
  const std::string value = GetPrivateProfileString("editor", "confirmexit", "1", SettingsFilePath());
  const auto number = TextToInt(value);
  return !number || *number != 0;
}

}  // namespace

void TForm1::ConnectEditHandlers() {
  UndoStack = new QUndoStack(this);
  UndoStack->setObjectName(QStringLiteral("UndoStack"));
  UndoStack->setUndoLimit(kUndoLimit);
  connect(Undo1, &QAction::triggered, this, [this] { RunCommand([this] { Undo1Click(); }); });
  connect(Redo1, &QAction::triggered, this, [this] { RunCommand([this] { Redo1Click(); }); });
  connect(UndoStack, &QUndoStack::canUndoChanged, Undo1, &QAction::setEnabled);
  connect(UndoStack, &QUndoStack::canRedoChanged, Redo1, &QAction::setEnabled);
  connect(UndoStack, &QUndoStack::indexChanged, this, [this] { UpdateProgramState(); });
  Undo1->setEnabled(false);
  Redo1->setEnabled(false);

  auto* port_poll = new QTimer(this);
  connect(port_poll, &QTimer::timeout, this, [this] { UpdatePortStatus(); });
  port_poll->start(kPortPollMs);
  UpdateProgramState();
}

void TForm1::RecordChange(const QString& what, const std::function<void()>& change) {
  const ProgramCodes before = Slots.Program().Codes();
  // A change that fails halfway (a clear that meets a missing picture) is
  // still a change of the program, and can be undone like any other.
  auto push = [&] {
    const ProgramCodes after = Slots.Program().Codes();
    if (after != before && UndoStack) UndoStack->push(new ProgramStep(*this, what, before, after));
    UpdateProgramState();
  };
  try {
    change();
  } catch (...) {
    push();
    throw;
  }
  push();
}

// Undo and redo apply a whole program like a load: every icon is checked
// first, so a missing one is reported and neither the slots nor the stack move.
void TForm1::Undo1Click() {
  if (!UndoStack->canUndo()) return;
  if (const auto* step = dynamic_cast<const ProgramStep*>(UndoStack->command(UndoStack->index() - 1))) {
    CheckProgramIcons(step->Before());
  }
  const QString text = UndoStack->undoText();
  UndoStack->undo();
  ShowOutcome(QStringLiteral("元に戻しました (%1)").arg(text));
}

void TForm1::Redo1Click() {
  if (!UndoStack->canRedo()) return;
  if (const auto* step = dynamic_cast<const ProgramStep*>(UndoStack->command(UndoStack->index()))) {
    CheckProgramIcons(step->After());
  }
  const QString text = UndoStack->redoText();
  UndoStack->redo();
  ShowOutcome(QStringLiteral("やり直しました (%1)").arg(text));
}

bool TForm1::Modified() const { return Slots.Program().Codes() != saved_codes_; }

void TForm1::MarkSaved(const QString& file, const ProgramCodes& codes) {
  file_name_ = file;
  saved_codes_ = codes;
  UpdateProgramState();
}

void TForm1::UpdateProgramState() {
  const QString base = QString::fromUtf8(kBaseCaption);
  const QString name = file_name_.isEmpty() ? QStringLiteral("無題") : QFileInfo(file_name_).fileName();
  const QString mark = Modified() ? QStringLiteral("*") : QString();
  // An untouched window keeps its plain caption.
  setWindowTitle(file_name_.isEmpty() && mark.isEmpty() ? base : name + mark + QStringLiteral(" - ") + base);
  if (FileStatus) {
    FileStatus->setText(name + mark);
    FileStatus->setToolTip(file_name_);
  }
}

void TForm1::ShowOutcome(const QString& text) {
  if (!StatusBar1) return;
  StatusBar1->showMessage(text + QStringLiteral(" ") + QTime::currentTime().toString(QStringLiteral("HH:mm")));
}

// "COM1 → /dev/ttyUSB0" while the port is open or its device is there,
// "COM1: 見つかりません" when nothing is behind it (the device it would use
// in the tool tip), "COM1: 使えません" for a name that leads nowhere.
void TForm1::UpdatePortStatus() {
  if (!PortStatus) return;
  const QString port = PortCaption(rs232c.portname);
  const ResolvedPort resolved = ResolvePort(rs232c.portname);
  const QString device = QString::fromStdString(resolved.device);
  if (resolved.refused()) {
    PortStatus->setText(port + QStringLiteral(": 使えません"));
  } else if (rs232c.opened() || ProbePortDevice(resolved.device) == PortPresence::kPresent) {
    PortStatus->setText(port + QStringLiteral(" → ") + device);
  } else {
    PortStatus->setText(port + QStringLiteral(": 見つかりません"));
  }
  PortStatus->setToolTip(device);
}

void TForm1::RunLinkCommand(void (TForm1::*handler)(), const std::function<QString()>& success) {
  RunCommand([&] {
    try {
      (this->*handler)();
    } catch (const std::exception& error) {
      // The box gives the whole message; the status bar keeps the first
      // sentence of its last line, the reason ("... が見つかりません。").
      QString reason = QString::fromUtf8(error.what()).trimmed();
      reason = reason.mid(reason.lastIndexOf(u'\n') + 1);
      const qsizetype end = reason.indexOf(u'。');
      if (end >= 0) reason.truncate(end + 1);
      ShowOutcome(QStringLiteral("送信できませんでした: ") + reason);
      UpdatePortStatus();
      throw;
    }
    ShowOutcome(success());
    UpdatePortStatus();
  });
}

bool TForm1::ConfirmClose() {
  if (!Modified() || !ConfirmExitEnabled()) return true;
  switch (AskToSave(this, QStringLiteral("プログラムが保存されていません。保存しますか？"))) {
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
  if (!ConfirmClose()) {
    event->ignore();
    return;
  }
  QMainWindow::closeEvent(event);
  if (event->isAccepted()) emit Closed();
}

}  // namespace vk47
