#include "ui/robot/LinkRunner.h"

#include "link/link_words.h"
#include "ui/common/Catalogue.h"

namespace vk47 {

LinkRunner::LinkRunner(Trs232c& port, TransferObserver observer) : port_(port), observer_(std::move(observer)) {}

// The status lines are link/link_words.h's, which the browser edition shares.
// The success line is made while the port is still open on the device used.
LinkReport LinkRunner::Transfer(const ProgramCodes& codes, const std::optional<ResolvedPort>& chosen) {
  const LinkOutcome outcome = TransferProgram(port_, codes, observer_, chosen);
  return Report(outcome, TrWords(TransferSentWords(PortAndDevice(port_))));
}

LinkReport LinkRunner::Execute(const std::optional<ResolvedPort>& chosen) {
  const LinkOutcome outcome = ExecuteProgram(port_, chosen);
  return Report(outcome, TrWords(ExecuteSentWords(PortAndDevice(port_))));
}

LinkReport LinkRunner::Report(const LinkOutcome& outcome, const QString& success) const {
  if (outcome.ok) return {true, success, {}};
  const Lookup lookup = [](const std::string& source) { return Tr(source.c_str()).toStdString(); };
  return {false, QString::fromStdString(NotSentStatus(outcome.notice, lookup)), outcome.notice};
}

}  // namespace vk47
