#include "ui/robot/LinkRunner.h"

#include "ui/common/Catalogue.h"

namespace vk47 {

LinkRunner::LinkRunner(Trs232c& port, TransferObserver observer) : port_(port), observer_(std::move(observer)) {}

LinkReport LinkRunner::Transfer(const ProgramCodes& codes) {
  const LinkOutcome outcome = TransferProgram(port_, codes, observer_);
  return Report(outcome, Tr("%1 ステップを %2 に送信しました").arg(kSlotCount).arg(PortCaption()));
}

LinkReport LinkRunner::Execute() {
  const LinkOutcome outcome = ExecuteProgram(port_);
  return Report(outcome, Tr("実行命令を %1 に送信しました").arg(PortCaption()));
}

LinkReport LinkRunner::Report(const LinkOutcome& outcome, const QString& success) const {
  if (outcome.ok) return {true, success, {}};
  const QString reason = NoticeReasonText(outcome.notice);
  return {false, Tr("送信できませんでした") + (reason.isEmpty() ? QString() : QStringLiteral(": ") + reason),
          outcome.notice};
}

// "com1" is shown as the pupil knows it, "COM1".
QString LinkRunner::PortCaption() const { return QString::fromStdString(MenuPortName(port_.portname)); }

}  // namespace vk47
