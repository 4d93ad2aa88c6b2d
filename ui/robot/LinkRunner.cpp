#include "ui/robot/LinkRunner.h"

namespace vk47 {

LinkRunner::LinkRunner(Trs232c& port, TransferObserver observer) : port_(port), observer_(std::move(observer)) {}

LinkReport LinkRunner::Transfer(const ProgramCodes& codes) {
  const LinkOutcome outcome = TransferProgram(port_, codes, observer_);
  return Report(outcome, QStringLiteral("%1 ステップを %2 に送信しました").arg(kSlotCount).arg(PortCaption()));
}

LinkReport LinkRunner::Execute() {
  const LinkOutcome outcome = ExecuteProgram(port_);
  return Report(outcome, QStringLiteral("実行命令を %1 に送信しました").arg(PortCaption()));
}

LinkReport LinkRunner::Report(const LinkOutcome& outcome, const QString& success) const {
  if (outcome.ok) return {true, success, {}};
  return {false, QStringLiteral("送信できませんでした: ") + QString::fromStdString(outcome.reason),
          QString::fromStdString(outcome.message)};
}

// "com1" is shown as the pupil knows it, "COM1".
QString LinkRunner::PortCaption() const { return QString::fromStdString(port_.portname).toUpper(); }

}  // namespace vk47
