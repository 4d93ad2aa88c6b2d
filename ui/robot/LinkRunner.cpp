#include "ui/robot/LinkRunner.h"

#include "link/link_words.h"
#include "ui/common/Catalogue.h"

namespace vk47 {

LinkRunner::LinkRunner(Trs232c& port, TransferObserver observer) : port_(port), observer_(std::move(observer)) {}

// The status lines are link/link_words.h's, which the browser edition shares.
LinkReport LinkRunner::Transfer(const ProgramCodes& codes) {
  const LinkOutcome outcome = TransferProgram(port_, codes, observer_);
  return Report(outcome, TrWords(TransferSentWords(PortCaption())));
}

LinkReport LinkRunner::Execute() {
  const LinkOutcome outcome = ExecuteProgram(port_);
  return Report(outcome, TrWords(ExecuteSentWords(PortCaption())));
}

LinkReport LinkRunner::Report(const LinkOutcome& outcome, const QString& success) const {
  if (outcome.ok) return {true, success, {}};
  const Lookup lookup = [](const std::string& source) { return Tr(source.c_str()).toStdString(); };
  return {false, QString::fromStdString(NotSentStatus(outcome.notice, lookup)), outcome.notice};
}

// "com1" is shown as the pupil knows it, "COM1".
std::string LinkRunner::PortCaption() const { return MenuPortName(port_.portname); }

}  // namespace vk47
