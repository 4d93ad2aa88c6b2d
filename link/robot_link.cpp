#include "link/robot_link.h"

#include "link/protocol.h"

namespace vk47 {
namespace {

// Runs `end` when the transfer leaves, by any path.
class EndGuard {
 public:
  explicit EndGuard(const std::function<void()>& end) : end_(end) {}
  ~EndGuard() {
    if (end_) end_();
  }
  EndGuard(const EndGuard&) = delete;
  EndGuard& operator=(const EndGuard&) = delete;

 private:
  const std::function<void()>& end_;
};

constexpr const char* kReopenNote = "ポートを閉じました。次の操作でポートを開き直します。";

// A write failed: the device is released, so that the next command opens the
// port afresh through the resolver and finds a re-plugged adapter or a newly
// linked robot. The reason is taken before close can change it.
void ReleaseAfterFailure(Trs232c& port, LinkOutcome& outcome, const std::string& what) {
  const std::string text = PortFailureText(port);
  outcome.reason = text.empty() ? "シリアルポート " + port.portname + " への送信に失敗しました。" : text;
  try {
    port.close();
  } catch (...) {
    // A close handler's error cannot make the failure any worse to report.
  }
  outcome.message = what + text + "\r\n" + kReopenNote;
}

void StopAfterFailure(Trs232c& port, LinkOutcome& outcome, int steps_sent) {
  ReleaseAfterFailure(port, outcome,
                      "転送を中断しました。16 ステップのうち " + std::to_string(steps_sent) +
                          " ステップを送信しました。\r\n");
}

// The port is not open and cannot be opened: fills the outcome and says so.
bool CannotOpen(Trs232c& port, LinkOutcome& outcome) {
  const auto failure = EnsurePortOpen(port);
  if (!failure) return false;
  outcome.message = *failure;
  const std::string text = PortFailureText(port);
  outcome.reason = text.empty() ? "ポート " + port.portname + " を開けません。" : text;
  return true;
}

}  // namespace

void rs232cOpen(Trs232c& port) {
  port.setdtr(true);
  port.setrts(true);
}

void rs232cClose(Trs232c& port) {
  // Changes nothing here: close has marked the port closed before this runs, and lowers DTR and RTS itself.
  port.setdtr(false);
  port.setrts(false);
}

void BindControlLines(Trs232c& port) {
  port.OnOpen = [&port](void*) { rs232cOpen(port); };
  port.OnClose = [&port](void*) { rs232cClose(port); };
}

std::string PortFailureText(const Trs232c& port) {
  return DescribeCommError(port.lasterror(), port.portname);
}

std::optional<std::string> EnsurePortOpen(Trs232c& port) {
  if (port.opened()) return std::nullopt;
  if (port.open()) return std::nullopt;
  return "ポート " + port.portname + " を開けません。\r\n" + PortFailureText(port);
}

LinkOutcome TransferProgram(Trs232c& port, const ProgramCodes& codes,
                            const TransferObserver& observer) {
  LinkOutcome outcome;
  if (CannotOpen(port, outcome)) return outcome;
  if (observer.begin) observer.begin();
  EndGuard guard(observer.end);

  if (!port.writebyte(kTransferCommand)) {
    StopAfterFailure(port, outcome, 0);
    return outcome;
  }
  auto stop_here = [&](int steps_sent) {
    if (!observer.stop_requested || !observer.stop_requested()) return false;
    outcome.stopped = true;
    outcome.reason = "中断しました";
    outcome.message = "転送を中断しました。16 ステップのうち " + std::to_string(steps_sent) +
                      " ステップを送信しました。";
    return true;
  };
  observer.wait(kStepGapMs);
  if (stop_here(0)) return outcome;
  for (int k = 0; k < kSlotCount; ++k) {
    const int value = codes[k] == kEmptyCode ? 0 : codes[k];
    if (observer.log) observer.log(value);
    if (!port.writebyte(StepByte(value))) {
      StopAfterFailure(port, outcome, k);
      return outcome;
    }
    outcome.steps_sent = k + 1;
    observer.wait(kStepGapMs);
    if (observer.progress) observer.progress(StepProgressPosition(k), k + 1);
    if (k + 1 < kSlotCount && stop_here(k + 1)) return outcome;
  }
  outcome.ok = true;
  return outcome;
}

LinkOutcome ExecuteProgram(Trs232c& port) {
  LinkOutcome outcome;
  if (CannotOpen(port, outcome)) return outcome;
  if (!port.writebyte(kExecuteCommand)) {
    ReleaseAfterFailure(port, outcome, "実行命令を送れませんでした。\r\n");
    return outcome;
  }
  outcome.ok = true;
  return outcome;
}

}  // namespace vk47
