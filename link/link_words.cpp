#include "link/link_words.h"

#include "link/protocol.h"
#include "model/step_program.h"

namespace vk47 {

Words StepsSentWords(int steps_sent) {
  return {VK47_TEXT("転送を中断しました。送信できたのは 16 ステップのうち %1 ステップです。"), {std::to_string(steps_sent)}};
}

Words TransferSentWords(const std::string& port) {
  return {VK47_TEXT("%1 ステップを %2 に送信しました"), {std::to_string(kSlotCount), port}};
}

Words ExecuteSentWords(const std::string& port) { return {VK47_TEXT("実行命令を %1 に送信しました"), {port}}; }

Words ExecuteNotSentWords() { return {VK47_TEXT("実行命令を送れませんでした。"), {}}; }

std::string NotSentStatus(const Notice& notice, const Lookup& lookup) {
  std::string status = Render({VK47_TEXT("送信できませんでした"), {}}, lookup);
  if (!notice.reason.empty()) status += ": " + Render(notice.reason, lookup);
  return status;
}

std::string StatusAt(const std::string& outcome, const std::string& time) {
  return time.empty() ? outcome : outcome + ' ' + time;
}

Notice PortFailedNotice(CommErrorKind kind, const std::string& port, const std::string& cause, Words first) {
  const PortWords words = PortTroubleWords(kind);
  Notice notice;
  if (!first.empty()) notice.main.push_back(std::move(first));
  notice.main.push_back({words.main, {port}});
  notice.reason = {words.reason, {port}};
  if (!cause.empty()) notice.details.push_back({VK47_TEXT("ブラウザの説明: %1"), {cause}});
  return notice;
}

}  // namespace vk47
