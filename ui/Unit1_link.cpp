// TForm1's robot commands: the transfer (N5Click, Button1Click) and the
// execute command (N6Click, Button2Click), and the control-line handlers of
// rs232c. LinkRunner does the work through link/robot_link; this file gives
// it the progress window, Memo1 and WaitWithMessages, and shows its report:
// the status bar's line, and the error box when nothing or not everything
// was sent. Nothing is shown as sent that was not.

#include <QPlainTextEdit>
#include <stdexcept>

#include "ui/Unit1.h"
#include "ui/common/WaitWithMessages.h"
#include "ui/progresbar.h"
#include "ui/robot/LinkRunner.h"

namespace vk47 {

void TForm1::ConnectLinkHandlers() {
  TransferObserver observer;
  observer.begin = [] {
    if (!Form2) return;
    Form2->ShowProgress();
    Form2->SetPosition(0);
    Form2->SetTitle(QStringLiteral("プログラム転送中"));
  };
  observer.wait = [](std::uint32_t ms) { WaitWithMessages(ms); };
  observer.log = [this](int value) { Memo1->appendPlainText(QString::number(value)); };
  observer.progress = [](int position, int counter) {
    if (!Form2) return;
    Form2->SetPosition(position);
    Form2->SetCounter(counter);
  };
  observer.end = [] {
    if (Form2) Form2->CloseProgress();
  };
  link_ = std::make_unique<LinkRunner>(rs232c, std::move(observer));
}

void TForm1::rs232cOpen() { vk47::rs232cOpen(rs232c); }

void TForm1::rs232cClose() { vk47::rs232cClose(rs232c); }

void TForm1::N5Click() {
  const CommandHold hold = HoldCommands();  // a second transfer cannot interleave its bytes
  ShowLinkReport(link_->Transfer(Slots.Program().Codes()));
}

void TForm1::N6Click() { ShowLinkReport(link_->Execute()); }

void TForm1::Button1Click() { N5Click(); }

void TForm1::Button2Click() { N6Click(); }

void TForm1::ShowLinkReport(const LinkReport& report) {
  ShowOutcome(report.status);
  UpdatePortStatus();
  if (!report.ok) throw std::runtime_error(report.message.toStdString());
}

}  // namespace vk47
