#include "ui/common/QtHandoff.h"

#include <QCoreApplication>
#include <QMetaObject>

#include "serial/thread_handoff.h"

namespace vk47 {

void InstallQtHandoff() {
  // Called from worker threads: it only posts; the call runs in the UI loop.
  SetWakeCallback([] {
    if (QCoreApplication* app = QCoreApplication::instance()) {
      QMetaObject::invokeMethod(app, [] { RunPendingCalls(); }, Qt::QueuedConnection);
    }
  });
}

}  // namespace vk47
