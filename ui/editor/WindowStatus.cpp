#include "ui/editor/WindowStatus.h"

#include <QDateTime>
#include <QEvent>
#include <QFileInfo>
#include <QLabel>
#include <QMainWindow>
#include <QStatusBar>
#include <QTimer>
#include <algorithm>

#include "link/link_words.h"
#include "serial/comm_device.h"
#include "serial/port_resolver.h"
#include "serial/rs232c.h"
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

TWindowStatus::TWindowStatus(QMainWindow& window, const Trs232c& port, std::function<bool()> held_back)
    : QObject(&window), port_(port) {
  bar_ = window.statusBar();
  bar_->setObjectName(QStringLiteral("StatusBar1"));
  bar_->setSizeGripEnabled(false);
  bar_->setFixedHeight(kHeight);
  file_ = new QLabel(bar_);
  file_->setObjectName(QStringLiteral("FileStatus"));
  port_field_ = new QLabel(bar_);
  port_field_->setObjectName(QStringLiteral("PortStatus"));
  bar_->addPermanentWidget(file_);
  bar_->addPermanentWidget(port_field_);
  auto* watch = new GeometryWatch(this, [this] { ElideOutcome(); });
  for (QWidget* widget : {static_cast<QWidget*>(bar_), static_cast<QWidget*>(file_),
                          static_cast<QWidget*>(port_field_)}) {
    widget->installEventFilter(watch);
  }

  auto* port_poll = new QTimer(this);
  connect(port_poll, &QTimer::timeout, this, [this, held_back = std::move(held_back)] {
    if (!held_back()) UpdatePort();
  });
  port_poll->start(kPortPollMs);
}

void TWindowStatus::ShowFile(const QString& label, const QString& path) {
  file_->setText(label);
  file_->setToolTip(path);
}

void TWindowStatus::ShowOutcome(const QString& text) {
  const QString time = QTime::currentTime().toString(QStringLiteral("HH:mm"));
  outcome_ = QString::fromStdString(StatusAt(text.toStdString(), time.toStdString()));
  bar_->setToolTip(outcome_);
  ElideOutcome();
}

// QStatusBar draws its message from 6 px to 2 px before the first permanent
// field and clips it there; the text is cut with "…" to fit that room, so a
// word never runs into the file name. The fields keep their whole text: a
// label is never laid out narrower than its text.
void TWindowStatus::ElideOutcome() {
  if (outcome_.isEmpty()) return;
  // Before the window is shown nothing has its width yet.
  if (!bar_->isVisible()) {
    bar_->showMessage(outcome_);
    return;
  }
  int right = bar_->width() - 12;
  for (QWidget* field : {static_cast<QWidget*>(file_), static_cast<QWidget*>(port_field_)}) {
    if (field->isVisible()) right = std::min(right, field->x() - 2);
  }
  // A few pixels for the frame the style draws around the text.
  const int room = std::max(0, right - 6 - 4);
  const QString shown = bar_->fontMetrics().elidedText(outcome_, Qt::ElideRight, room);
  if (shown != bar_->currentMessage()) bar_->showMessage(shown);
}

// "COM1 → /dev/ttyUSB0" while the port is open or its device is there (just
// "COM1" where the device is called so itself, as on Windows),
// "COM1: 見つかりません" when nothing is behind it (the device it would use
// in the tool tip), "COM1: 使えません" for a name that leads nowhere or to
// something that is no device (a file, a folder).
void TWindowStatus::UpdatePort() { ShowPort(ResolvePort(port_.portname)); }

void TWindowStatus::ShowPort(const ResolvedPort& resolved) {
  const QString port = PortCaption(port_.portname);
  const QString device = QString::fromStdString(resolved.device);
  const QString shown = QString::fromStdString(DeviceDisplayName(resolved.device));
  const QFileInfo info(device);
  QString tip = device;
  if (resolved.refused()) {
    port_field_->setText(port + Tr(": 使えません"));
  } else if (!device.isEmpty() && info.exists() && (info.isFile() || info.isDir())) {
    port_field_->setText(port + Tr(": 使えません"));
    tip = Tr("%1 はシリアルポートではありません").arg(device);
  } else if (port_.opened() || ProbePortDevice(resolved.device) == PortPresence::kPresent) {
    port_field_->setText(shown.compare(port, Qt::CaseInsensitive) == 0 ? port : port + QStringLiteral(" → ") + shown);
  } else {
    port_field_->setText(port + Tr(": 見つかりません"));
  }
  port_field_->setToolTip(tip);
}

}  // namespace vk47
