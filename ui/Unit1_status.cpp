// TForm1's status bar and caption: below the client area, so no control of
// the window moves. On the left the outcome of the last command with the time
// of day; on the right the program's file with "*" while changes are unsaved,
// and the port with the device behind it, looked at again every two seconds.
// The caption names the file too (ProgramDocument says what).

#include <QDateTime>
#include <QLabel>
#include <QStatusBar>
#include <QTimer>

#include "serial/port_resolver.h"
#include "ui/Unit1.h"

namespace vk47 {
namespace {

constexpr int kPortPollMs = 2000;

// "com1" is shown as the pupil knows it, "COM1".
QString PortCaption(const std::string& portname) { return QString::fromStdString(portname).toUpper(); }

}  // namespace

void TForm1::CreateStatusBar() {
  StatusBar1 = statusBar();
  StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
  StatusBar1->setSizeGripEnabled(false);
  StatusBar1->setFixedHeight(kStatusBarHeight);
  FileStatus = new QLabel(StatusBar1);
  FileStatus->setObjectName(QStringLiteral("FileStatus"));
  PortStatus = new QLabel(StatusBar1);
  PortStatus->setObjectName(QStringLiteral("PortStatus"));
  StatusBar1->addPermanentWidget(FileStatus);
  StatusBar1->addPermanentWidget(PortStatus);

  auto* port_poll = new QTimer(this);
  connect(port_poll, &QTimer::timeout, this, [this] { UpdatePortStatus(); });
  port_poll->start(kPortPollMs);
}

void TForm1::UpdateProgramState() {
  if (!document_) return;
  setWindowTitle(document_->Caption());
  if (FileStatus) {
    FileStatus->setText(document_->FileLabel());
    FileStatus->setToolTip(document_->FileName());
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

}  // namespace vk47
