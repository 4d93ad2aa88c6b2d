// TForm1's status bar and caption: below the client area, so no control of
// the window moves. On the left the outcome of the last command with the time
// of day; on the right the program's file with "*" while changes are unsaved,
// and the port with the device behind it, looked at again every two seconds.
// The caption names the file too (ProgramDocument says what).

#include <QDateTime>
#include <QEvent>
#include <QFileInfo>
#include <QLabel>
#include <QStatusBar>
#include <QTimer>
#include <algorithm>
#include <functional>

#include "link/link_words.h"
#include "serial/comm_device.h"
#include "serial/port_resolver.h"
#include "ui/Unit1.h"
#include "ui/common/Catalogue.h"

namespace vk47 {
namespace {

constexpr int kPortPollMs = 2000;

// "com1" is shown as the pupil knows it, "COM1".
QString PortCaption(const std::string& portname) { return QString::fromStdString(MenuPortName(portname)); }

// Calls `changed` whenever a watched widget is resized or moved: the room for
// the outcome changes with the window's width and the fields' texts.
class GeometryWatch : public QObject {
 public:
  GeometryWatch(QObject* parent, std::function<void()> changed) : QObject(parent), changed_(std::move(changed)) {}

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Resize || event->type() == QEvent::Move) changed_();
    return QObject::eventFilter(watched, event);
  }

 private:
  std::function<void()> changed_;
};

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
  auto* watch = new GeometryWatch(this, [this] { ElideOutcome(); });
  for (QWidget* widget : {static_cast<QWidget*>(StatusBar1), static_cast<QWidget*>(FileStatus),
                          static_cast<QWidget*>(PortStatus)}) {
    widget->installEventFilter(watch);
  }

  auto* port_poll = new QTimer(this);
  // While a command runs the port is its own: the look waits for the next
  // tick rather than reading set.ini between two bytes of a transfer.
  connect(port_poll, &QTimer::timeout, this, [this] {
    if (!CommandsHeldBack()) UpdatePortStatus();
  });
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
  const QString time = QTime::currentTime().toString(QStringLiteral("HH:mm"));
  outcome_ = QString::fromStdString(StatusAt(text.toStdString(), time.toStdString()));
  StatusBar1->setToolTip(outcome_);
  ElideOutcome();
}

// QStatusBar draws its message from 6 px to 2 px before the first permanent
// field and clips it there; the text is cut with "…" to fit that room, so a
// word never runs into the file name. The fields keep their whole text: a
// label is never laid out narrower than its text.
void TForm1::ElideOutcome() {
  if (!StatusBar1 || outcome_.isEmpty()) return;
  // Before the window is shown nothing has its width yet.
  if (!StatusBar1->isVisible()) {
    StatusBar1->showMessage(outcome_);
    return;
  }
  int right = StatusBar1->width() - 12;
  for (QWidget* field : {static_cast<QWidget*>(FileStatus), static_cast<QWidget*>(PortStatus)}) {
    if (field && field->isVisible()) right = std::min(right, field->x() - 2);
  }
  // A few pixels for the frame the style draws around the text.
  const int room = std::max(0, right - 6 - 4);
  const QString shown = StatusBar1->fontMetrics().elidedText(outcome_, Qt::ElideRight, room);
  if (shown != StatusBar1->currentMessage()) StatusBar1->showMessage(shown);
}

// "COM1 → /dev/ttyUSB0" while the port is open or its device is there (just
// "COM1" where the device is called so itself, as on Windows),
// "COM1: 見つかりません" when nothing is behind it (the device it would use
// in the tool tip), "COM1: 使えません" for a name that leads nowhere or to
// something that is no device (a file, a folder).
void TForm1::UpdatePortStatus() { ShowPortStatus(ResolvePort(rs232c.portname)); }

void TForm1::ShowPortStatus(const ResolvedPort& resolved) {
  if (!PortStatus) return;
  const QString port = PortCaption(rs232c.portname);
  const QString device = QString::fromStdString(resolved.device);
  const QString shown = QString::fromStdString(DeviceDisplayName(resolved.device));
  const QFileInfo info(device);
  QString tip = device;
  if (resolved.refused()) {
    PortStatus->setText(port + Tr(": 使えません"));
  } else if (!device.isEmpty() && info.exists() && (info.isFile() || info.isDir())) {
    PortStatus->setText(port + Tr(": 使えません"));
    tip = Tr("%1 はシリアルポートではありません").arg(device);
  } else if (rs232c.opened() || ProbePortDevice(resolved.device) == PortPresence::kPresent) {
    PortStatus->setText(shown.compare(port, Qt::CaseInsensitive) == 0 ? port : port + QStringLiteral(" → ") + shown);
  } else {
    PortStatus->setText(port + Tr(": 見つかりません"));
  }
  PortStatus->setToolTip(tip);
}

}  // namespace vk47
