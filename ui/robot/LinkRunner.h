#pragma once
// LinkRunner: the window's two robot commands, 転送 and 実行, without the
// window. It runs a transfer or an execute through link/ on the window's
// port, with the observer the window gives it (the progress window, Memo1 and
// WaitWithMessages), and turns the link's outcome into what the window says:
// one line for the status bar, and the error box's text when the command
// failed. It neither throws nor shows anything itself. UI thread only.

#include <QString>
#include <optional>
#include <string>

#include "text/words.h"
#include "link/robot_link.h"

namespace vk47 {

struct LinkReport {
  bool ok = false;
  // "16 ステップを COM1 に送信しました", or "送信できませんでした: " and the
  // cause in a few words ("COM1 が見つかりません"), in the current mode.
  QString status;
  // When !ok: what the error box says: how far it came and what to do, with
  // the device, the system's text and the reopening as a teacher's details.
  Notice notice;
};

class LinkRunner {
 public:
  // `port` and the observer's targets must outlive the runner.
  LinkRunner(Trs232c& port, TransferObserver observer);

  // 0x74 and the sixteen codes, paced and shown through the observer. With
  // `chosen`, on that device (the one the status bar names), else on the
  // device the port's name leads to now. The success line names the port and
  // the device the bytes went to ("16 ステップを COM1 (/dev/pts/3) に送信しました").
  LinkReport Transfer(const ProgramCodes& codes, const std::optional<ResolvedPort>& chosen = std::nullopt);
  // The execute byte 0x78.
  LinkReport Execute(const std::optional<ResolvedPort>& chosen = std::nullopt);

 private:
  LinkReport Report(const LinkOutcome& outcome, const QString& success) const;

  Trs232c& port_;
  TransferObserver observer_;
};

}  // namespace vk47
