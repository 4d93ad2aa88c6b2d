// TForm1's robot commands: the transfer (N5Click, Button1Click), the
// execute command (N6Click, Button2Click), one program to the whole class
// (Class1Click, robot/ClassSendDialog.h), and the control-line handlers of
// rs232c. LinkRunner does the work through link/robot_link; this file gives
// it the progress window, Memo1 and WaitWithMessages, and shows its report:
// the status bar's line, and the error box when nothing or not everything
// was sent. Nothing is shown as sent that was not.
//
// Each command resolves its port once, shows that device in the status bar,
// and opens exactly that device, so the bar, the bytes and the outcome line
// ("16 ステップを COM1 (/dev/pts/3) に送信しました") name the same device
// even when a robot is linked anew meanwhile. Closing the window (also
// 終了, Ctrl+Q) during a command that waits for a stalled device stops it
// after the byte it waits on, says how far it came, and then closes.

#include <QCoreApplication>
#include <QEventLoop>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTimer>
#include <stdexcept>

#include "ui/Unit1.h"
#include "ui/common/Catalogue.h"
#include "ui/common/ErrorBox.h"
#include "ui/common/LogWhenSeen.h"
#include "ui/common/WaitWithMessages.h"
#include "ui/progresbar.h"
#include "ui/robot/ClassSendDialog.h"
#include "ui/robot/LinkRunner.h"

namespace vk47 {

void TForm1::ConnectLinkHandlers() {
  TransferObserver observer;
  observer.begin = [] {
    if (!Form2) return;
    Form2->ShowProgress();
    Form2->SetPosition(0);
    // No step has gone yet: the last transfer's "16 / 16" must not stand
    // over an empty bar while the first byte waits for the device.
    Form2->SetCounter(0);
    Form2->SetTitle(Tr("プログラム転送中"));
  };
  observer.wait = [](std::uint32_t ms) { WaitWithMessages(ms); };
  observer.log = [this](int value) { memo_log_->Append(QString::number(value)); };
  observer.progress = [](int position, int counter) {
    if (!Form2) return;
    Form2->SetPosition(position);
    Form2->SetCounter(counter);
  };
  observer.end = [] {
    if (Form2) Form2->CloseProgress();
  };
  observer.stop_requested = [this] { return stop_link_; };
  link_ = std::make_unique<LinkRunner>(rs232c, std::move(observer));
  // A write that waits for a device that does not drain (flow control held,
  // the interface box switched off) keeps the window alive: menus open and
  // the progress window repaints, while the commands stay held back, until
  // the write completes, its time-out ends it, or the window is closed.
  rs232c.writewait = [this] {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    return !stop_link_;
  };
}

void TForm1::rs232cOpen() { vk47::rs232cOpen(rs232c); }

void TForm1::rs232cClose() { vk47::rs232cClose(rs232c); }

LinkReport TForm1::RunLinkCommand(const std::function<LinkReport(const ResolvedPort& chosen)>& command) {
  // A second transfer cannot interleave its bytes; a write may wait, with
  // the window alive meanwhile.
  const CommandHold hold = HoldCommands();
  const ResolvedPort chosen = ResolvePort(rs232c.portname);
  ShowPortStatus(chosen);
  link_running_ = true;
  stop_link_ = false;
  struct Ended {
    TForm1& form;
    ~Ended() { form.link_running_ = form.stop_link_ = false; }
  } ended{*this};
  return command(chosen);
}

void TForm1::N5Click() {
  const ProgramCodes codes = slots_.Program().Codes();
  ShowLinkReport(RunLinkCommand([&](const ResolvedPort& chosen) { return link_->Transfer(codes, chosen); }));
}

void TForm1::N6Click() {
  ShowLinkReport(RunLinkCommand([&](const ResolvedPort& chosen) { return link_->Execute(chosen); }));
}

bool TForm1::DeferCloseForLink() {
  const bool class_busy = class_dialog_ && class_dialog_->Busy();
  if (!link_running_ && !class_busy) return false;
  close_after_link_ = true;
  stop_link_ = link_running_;
  if (class_busy) class_dialog_->Stop();
  return true;
}

// The dialog stays until the window goes; while it sends, the window's
// commands are held back as during a transfer.
void TForm1::Class1Click() {
  if (!class_dialog_) {
    TClassSendDialog::Hooks hooks;
    hooks.program = [this] { return slots_.Program().Codes(); };
    // The window's own robot can be one of the class: its port is let go and
    // opened again by the next 転送 or 実行.
    hooks.release_window_port = [this] { rs232c.close(); };
    hooks.busy = [this](bool busy) {
      if (busy) {
        class_hold_.emplace(*this);
      } else {
        class_hold_.reset();
        UpdatePortStatus();
      }
    };
    class_dialog_ = new TClassSendDialog(std::move(hooks), this);
    connect(class_dialog_, &TClassSendDialog::Finished, this, [this] {
      ShowOutcome(class_dialog_->Summary()->text().section(QLatin1Char('\n'), 0, 0));
      if (close_after_link_) {
        close_after_link_ = false;
        QTimer::singleShot(0, this, &QWidget::close);
      }
    });
  }
  class_dialog_->show();
  class_dialog_->raise();
  class_dialog_->activateWindow();
}

void TForm1::Button1Click() { N5Click(); }

void TForm1::Button2Click() { N6Click(); }

void TForm1::ShowLinkReport(const LinkReport& report) {
  ShowOutcome(report.status);
  UpdatePortStatus();
  if (close_after_link_) {
    // Asked to close meanwhile: how far it came first, then the close (which
    // still asks about unsaved changes).
    close_after_link_ = false;
    if (!report.ok) ShowNoticeBox(this, report.notice);
    QTimer::singleShot(0, this, &QWidget::close);
    return;
  }
  if (!report.ok) throw NoticeError(report.notice);
}

}  // namespace vk47
