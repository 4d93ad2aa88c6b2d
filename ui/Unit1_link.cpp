// TForm1's robot commands: the transfer (N5Click, Button1Click) and the
// execute command (N6Click, Button2Click), and the control-line handlers of
// rs232c. The protocol itself is link/robot_link; this file connects it to
// the progress window, Memo1 and WaitWithMessages. A failure is reported in
// the error box; nothing is shown as sent that was not.

#include <QPlainTextEdit>
#include <stdexcept>

#include "link/robot_link.h"
#include "ui/Unit1.h"
#include "ui/WaitWithMessages.h"
#include "ui/progresbar.h"

namespace vk47 {

void TForm1::rs232cOpen() { vk47::rs232cOpen(rs232c); }

void TForm1::rs232cClose() { vk47::rs232cClose(rs232c); }

void TForm1::N5Click() {
  const CommandHold hold = HoldCommands();  // a second transfer cannot interleave its bytes
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
  const LinkOutcome outcome = TransferProgram(rs232c, Slots.Program().Codes(), observer);
  if (!outcome.ok) throw std::runtime_error(outcome.message);
}

void TForm1::N6Click() {
  const LinkOutcome outcome = ExecuteProgram(rs232c);
  if (!outcome.ok) throw std::runtime_error(outcome.message);
}

void TForm1::Button1Click() { N5Click(); }

void TForm1::Button2Click() { N6Click(); }

}  // namespace vk47
