// TForm1's robot commands: the transfer (N5Click, Button1Click), the
// execute command (N6Click, Button2Click), one program to the whole class
// (Class1Click, robot/ClassSendDialog.h), and the control-line handlers of
// rs232c. LinkRunner does the work through link/robot_link; this file gives
// it the progress window, Memo1 and WaitWithMessages, and shows its report:
// the status bar's line, and the error box when nothing or not everything
// was sent. Nothing is shown as sent that was not.

#include <QCoreApplication>
#include <QEventLoop>
#include <QLabel>
#include <QPlainTextEdit>
#include <stdexcept>

#include "ui/Unit1.h"
#include "ui/common/Catalogue.h"
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
    Form2->SetTitle(Tr("プログラム転送中"));
  };
  observer.wait = [](std::uint32_t ms) { WaitWithMessages(ms); };
  observer.log = [this](int value) { MemoLog->Append(QString::number(value)); };
  observer.progress = [](int position, int counter) {
    if (!Form2) return;
    Form2->SetPosition(position);
    Form2->SetCounter(counter);
  };
  observer.end = [] {
    if (Form2) Form2->CloseProgress();
  };
  link_ = std::make_unique<LinkRunner>(rs232c, std::move(observer));
  // A write that waits for a device that does not drain (flow control held,
  // the interface box switched off) keeps the window alive: menus open and
  // the progress window repaints, while the commands stay held back, until
  // the write completes or its time-out ends it.
  rs232c.writewait = [] {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    return true;
  };
}

void TForm1::rs232cOpen() { vk47::rs232cOpen(rs232c); }

void TForm1::rs232cClose() { vk47::rs232cClose(rs232c); }

void TForm1::N5Click() {
  const CommandHold hold = HoldCommands();  // a second transfer cannot interleave its bytes
  ShowLinkReport(link_->Transfer(Slots.Program().Codes()));
}

void TForm1::N6Click() {
  const CommandHold hold = HoldCommands();  // its write may wait, with the window alive meanwhile
  ShowLinkReport(link_->Execute());
}

// The dialog stays until the window goes; while it sends, the window's
// commands are held back as during a transfer.
void TForm1::Class1Click() {
  if (!class_dialog_) {
    TClassSendDialog::Hooks hooks;
    hooks.program = [this] { return Slots.Program().Codes(); };
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
    connect(class_dialog_, &TClassSendDialog::Finished, this,
            [this] { ShowOutcome(class_dialog_->Summary()->text().section(QLatin1Char('\n'), 0, 0)); });
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
  if (!report.ok) throw NoticeError(report.notice);
}

}  // namespace vk47
