#include "link/robot_link.h"

#include "link/link_words.h"
#include "link/protocol.h"
#include "serial/port_resolver.h"

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

// A write failed: the device is released, so that the next command opens the
// port afresh through the resolver and finds a re-plugged adapter or a newly
// linked robot. The failure is taken before close can change it.
Notice ReleaseAfterFailure(Trs232c& port) {
  Notice notice = PortFailureNotice(port);
  try {
    port.close();
  } catch (...) {
    // A close handler's error cannot make the failure any worse to report.
  }
  notice.details.push_back({VK47_TEXT("ポートを閉じました。次の操作でポートを開き直します。"), {}});
  return notice;
}

// What happened first, then the port's own account of why.
Notice Prepend(Words first, Notice notice) {
  notice.main.insert(notice.main.begin(), std::move(first));
  return notice;
}

// `port_lines` of the notice's main lines, at its end, are the port's own
// sentences; 0: all of them.
void Fail(LinkOutcome& outcome, Notice notice, std::size_t port_lines) {
  outcome.port_lines = port_lines == 0 ? 0 : notice.main.size() - port_lines;
  outcome.notice = std::move(notice);
}

// A stop: the summary is the notice's reason, 中断しました.
void FailStopped(LinkOutcome& outcome, Notice notice) {
  outcome.stopped = true;
  outcome.port_lines = notice.main.size();
  outcome.notice = std::move(notice);
}

// A failed write: what happened first, then the port's own account of why.
// A write abandoned on a stop request (a tool's Ctrl+C while the line does
// not drain) is a stop: the port is released and how far it came is told,
// with the stop said in words unless `what` says it already.
void FailAfterWrite(LinkOutcome& outcome, Trs232c& port, Words what, bool what_says_stopped) {
  if (port.lasterror().kind == CommErrorKind::kStopped) {
    ReleaseAfterFailure(port);
    outcome.stopped = true;
    Notice notice{{std::move(what)}, {VK47_TEXT("中断しました"), {}}, {}};
    // What was not done, and that it was the user who stopped it.
    if (!what_says_stopped) {
      notice.main.push_back({PortTroubleWords(CommErrorKind::kStopped).main, {MenuPortName(port.portname)}});
    }
    FailStopped(outcome, std::move(notice));
    return;
  }
  Notice notice = ReleaseAfterFailure(port);
  if (notice.empty()) {
    notice.main.push_back({VK47_TEXT("シリアルポート %1 への送信に失敗しました。"), {MenuPortName(port.portname)}});
    notice.reason = {VK47_TEXT("送信に失敗しました"), {}};
  }
  const std::size_t port_lines = notice.main.size();
  Fail(outcome, Prepend(std::move(what), std::move(notice)), port_lines);
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

Notice PortFailureNotice(const Trs232c& port) { return CommErrorNotice(port.lasterror(), port.portname); }

std::string LinkMessage(const LinkOutcome& outcome) { return NoticeText(outcome.notice); }

WordsLine LinkSummary(const LinkOutcome& outcome) {
  const std::vector<Words>& main = outcome.notice.main;
  if (outcome.port_lines >= main.size()) return {outcome.notice.reason};
  WordsLine line;
  for (std::size_t i = outcome.port_lines; i < main.size(); ++i) {
    if (!line.empty()) line.push_back(Verbatim(" "));
    line.push_back(main[i]);
  }
  return line;
}

bool PortLeadsElsewhere(const Trs232c& port) {
  if (!port.opened() || port.device().empty()) return false;
  const ResolvedPort now = ResolvePort(port.portname);
  return now.refused() || now.device != port.device();
}

Notice EnsurePortOpen(Trs232c& port) { return EnsurePortOpen(port, ResolvePort(port.portname)); }

Notice EnsurePortOpen(Trs232c& port, const ResolvedPort& chosen) {
  if (port.opened() && !port.device().empty() && (chosen.refused() || chosen.device != port.device())) {
    try {
      port.close();
    } catch (...) {
      // A close handler's error must not keep the command on the old device.
    }
  }
  if (port.opened()) return {};
  const PinnedResolution pin(port.portname, chosen);
  if (port.open()) return {};
  Notice notice = PortFailureNotice(port);
  // The kind names the port and why it cannot be opened; a failure of no
  // kind still says which port.
  if (notice.empty()) notice.main.push_back({VK47_TEXT("シリアルポート %1 を開けません。"), {MenuPortName(port.portname)}});
  return notice;
}

std::string PortAndDevice(const Trs232c& port) {
  const std::string name = MenuPortName(port.portname);
  const std::string device = DeviceDisplayName(port.device());
  if (device.empty() || device == name) return name;
  // A COM name that is the device's own name (Windows) is not said twice.
  std::string upper = device;
  for (char& c : upper) c = (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
  if (upper == name) return name;
  if (!ParsePortName(port.portname).value_or(PortName{}).com) return device;
  return name + " (" + device + ")";
}

namespace {

Notice OpenForCommand(Trs232c& port, const std::optional<ResolvedPort>& chosen) {
  return chosen ? EnsurePortOpen(port, *chosen) : EnsurePortOpen(port);
}

}  // namespace

LinkOutcome TransferProgram(Trs232c& port, const ProgramCodes& codes,
                            const TransferObserver& observer, const std::optional<ResolvedPort>& chosen) {
  LinkOutcome outcome;
  if (Notice failure = OpenForCommand(port, chosen); !failure.empty()) {
    Fail(outcome, std::move(failure), 0);
    return outcome;
  }
  if (observer.begin) observer.begin();
  EndGuard guard(observer.end);

  if (!port.writebyte(kTransferCommand)) {
    FailAfterWrite(outcome, port, StepsSentWords(0), true);
    return outcome;
  }
  auto stop_here = [&](int steps_sent) {
    if (!observer.stop_requested || !observer.stop_requested()) return false;
    FailStopped(outcome, {{StepsSentWords(steps_sent)}, {VK47_TEXT("中断しました"), {}}, {}});
    return true;
  };
  observer.wait(kStepGapMs);
  if (stop_here(0)) return outcome;
  for (int k = 0; k < kSlotCount; ++k) {
    const int value = codes[k] == kEmptyCode ? 0 : codes[k];
    if (observer.log) observer.log(value);
    if (!port.writebyte(StepByte(value))) {
      FailAfterWrite(outcome, port, StepsSentWords(k), true);
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

LinkOutcome ExecuteProgram(Trs232c& port, const std::optional<ResolvedPort>& chosen) {
  LinkOutcome outcome;
  if (Notice failure = OpenForCommand(port, chosen); !failure.empty()) {
    Fail(outcome, std::move(failure), 0);
    return outcome;
  }
  if (!port.writebyte(kExecuteCommand)) {
    FailAfterWrite(outcome, port, ExecuteNotSentWords(), false);
    return outcome;
  }
  outcome.ok = true;
  return outcome;
}

}  // namespace vk47
