#pragma once
// The Qt side of the serial hand-off (serial/thread_handoff.h): a worker's wake
// request becomes a queued call of RunPendingCalls on the UI thread.

namespace vk47 {

// Installs the wake callback; call once on the UI thread after the
// QApplication exists.
void InstallQtHandoff();

}  // namespace vk47
