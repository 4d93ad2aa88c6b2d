#include "ui/common/StartupTrace.h"

#include <QEvent>
#include <QFile>
#include <QTimer>
#include <QWidget>
#include <QWindow>
#include <chrono>
#include <utility>
#include <vector>

namespace vk47 {
namespace {

struct Trace {
  std::vector<std::pair<const char*, double>> marks;
  bool finished = false;
};

Trace& TheTrace() {
  static Trace trace;
  return trace;
}

void WriteTrace() {
  MarkStartup("painted");
  Trace& trace = TheTrace();
  trace.finished = true;
  QByteArray text;
  for (const auto& [name, ms] : trace.marks) text += QByteArray(name) + ' ' + QByteArray::number(ms, 'f', 3) + '\n';
  QFile file(qEnvironmentVariable("VK47_STARTUP_TRACE"));
  if (file.open(QIODevice::WriteOnly | QIODevice::Truncate)) file.write(text);
}

// Waits on the window for its first expose. The expose is painted and
// flushed while it is handled, so a zero timer started then fires after it.
class FirstPaintWatch : public QObject {
 public:
  using QObject::QObject;
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Expose) {
      watched->removeEventFilter(this);
      QTimer::singleShot(0, this, [this] {
        WriteTrace();
        deleteLater();
      });
    }
    return false;
  }
};

}  // namespace

void MarkStartup(const char* phase) {
  Trace& trace = TheTrace();
  if (trace.finished) return;
  const auto now = std::chrono::steady_clock::now().time_since_epoch();
  trace.marks.emplace_back(phase, std::chrono::duration<double, std::milli>(now).count());
}

void FinishStartupTraceAfterFirstPaint(QWidget* window) {
  QWindow* handle = window->windowHandle();
  if (qEnvironmentVariableIsEmpty("VK47_STARTUP_TRACE") || !handle) {
    TheTrace().finished = true;
    return;
  }
  handle->installEventFilter(new FirstPaintWatch(window));
}

}  // namespace vk47
