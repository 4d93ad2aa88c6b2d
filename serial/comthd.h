#pragma once
// tcommthread: the worker that a Trs232c starts at open when line-event
// handlers are assigned. It blocks in the device's WaitEvent and hands each
// report to the UI thread (thread_handoff.h), where doevents raises the owner's
// handlers with the thread object as sender. A wait that keeps failing is
// retried with a growing pause (up to 100 ms); a device that has vanished
// (an I/O error, not found, not open) ends the thread.
//
// Threads: the constructor, Start, Terminate, WaitFor and the destructor are
// for the UI thread; doevents runs there through the hand-off. The worker
// writes eventmask only before it hands a call over and waits for it, so the
// UI thread reads eventmask and rxcount without a lock.

#include <atomic>
#include <cstdint>
#include <thread>

namespace vk47 {

class CommDevice;
class Trs232c;

class tcommthread {
 public:
  // The thread starts only at Start(); createsuspended false starts it at once.
  explicit tcommthread(bool createsuspended);
  ~tcommthread();  // requests termination and waits for the end
  tcommthread(const tcommthread&) = delete;
  tcommthread& operator=(const tcommthread&) = delete;

  void Start();
  // Asks the loop to end before its next wait.
  void Terminate();
  bool Terminated() const { return terminated_.load(); }
  // Waits for the end while serving hand-off requests; no-op if never started.
  void WaitFor();
  bool Finished() const { return finished_.load(); }

  // Raises the owner's handlers for eventmask; UI thread, through the hand-off.
  void doevents();

  std::uint32_t eventmask = 0;  // events of the last wait
  std::int32_t rxcount = 0;     // input-queue count at the last received-byte event
  CommDevice* device = nullptr;  // not owned
  Trs232c* owner = nullptr;      // not owned

 private:
  void Execute();
  void PauseUnlessTerminated(int ms);

  std::atomic<bool> terminated_{false};
  std::atomic<bool> finished_{false};
  std::atomic<bool> in_doevents_{false};
  std::thread thread_;
  friend class Trs232c;
};

}  // namespace vk47
