#include "serial/comm_error.h"

#include "serial/port_resolver.h"

namespace vk47 {
namespace {

// "com1" for "COM1"; a device path stays as it is.
std::string LowerComName(const std::string& portname) {
  std::string name = portname;
  if (ParsePortName(name).value_or(PortName{}).com != 0) {
    for (char& c : name) c = static_cast<char>(c | 0x20);
  }
  return name;
}

// One sentence or two for the pupil and the few words of the status line.
struct KindWords {
  const char* main;
  const char* reason;
};

// The pupil's words for each kind; %1 is the port as the menus name it.
KindWords WordsOf(CommErrorKind kind) {
  switch (kind) {
    case CommErrorKind::kNone: break;
    case CommErrorKind::kNotFound:
      return {VK47_TEXT("シリアルポート %1 が見つかりません。ケーブルとアダプタの接続を確かめてください。"),
              VK47_TEXT("%1 が見つかりません")};
    case CommErrorKind::kInUse:
      return {VK47_TEXT("シリアルポート %1 は他のプログラムが使用中です。そのプログラムを閉じてから、もう一度送ってください。"),
              VK47_TEXT("%1 は他のプログラムが使用中です")};
    case CommErrorKind::kPermissionDenied:
      return {VK47_TEXT("シリアルポート %1 を開く権限がありません。先生に知らせてください。"),
              VK47_TEXT("%1 を開く権限がありません")};
    case CommErrorKind::kUnsupportedSetting:
      return {VK47_TEXT("シリアルポート %1 はこの通信設定に対応していません。先生に知らせてください。"),
              VK47_TEXT("%1 はこの通信設定に対応していません")};
    case CommErrorKind::kIoError:
      return {VK47_TEXT("シリアルポート %1 との接続が切れました。ロボットの電源とケーブル、アダプタを確かめてください。"),
              VK47_TEXT("ロボットとの接続が切れました")};
    case CommErrorKind::kTimedOut:
      return {VK47_TEXT("シリアルポート %1 への送信が時間内に終わりませんでした。ロボットの電源とケーブルを確かめてください。"),
              VK47_TEXT("ロボットが受け取りません")};
    case CommErrorKind::kShortWrite:
      return {VK47_TEXT("シリアルポート %1 への送信が途中で終わりました。ロボットの電源とケーブルを確かめてください。"),
              VK47_TEXT("送信が途中で終わりました")};
    case CommErrorKind::kNotOpen:
      return {VK47_TEXT("シリアルポート %1 が開かれていません。もう一度送ってください。"),
              VK47_TEXT("%1 が開かれていません")};
    case CommErrorKind::kBadPortName:
      return {VK47_TEXT("ポート名 \"%1\" は使えません。設定で COM1〜COM4 のどれかを選んでください。"),
              VK47_TEXT("ポート名が使えません")};
    case CommErrorKind::kRobotGone:
      return {VK47_TEXT("シリアルポート %1 につながっていた仮想ロボットはもう動いていません。起動し直してから、もう一度送ってください。"),
              VK47_TEXT("仮想ロボットが動いていません")};
    case CommErrorKind::kNotSerial:
      return {VK47_TEXT("%1 はシリアルポートではありません。ロボットをつないだポートを選んでください。"),
              VK47_TEXT("%1 はシリアルポートではありません")};
    case CommErrorKind::kStopped:
      return {VK47_TEXT("シリアルポート %1 への送信を中断しました。"), VK47_TEXT("送信を中断しました")};
    case CommErrorKind::kOther: break;
  }
  return {VK47_TEXT("シリアルポート %1 を使えません。アダプタを抜いて、差し直してください。"), VK47_TEXT("%1 を使えません")};
}

}  // namespace

std::string MenuPortName(const std::string& portname) {
  std::string caption = portname;
  if (ParsePortName(caption).value_or(PortName{}).com != 0) {
    for (char& c : caption) {
      if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
  }
  return caption;
}

const char* CommErrorKindName(CommErrorKind kind) {
  switch (kind) {
    case CommErrorKind::kNone: return "none";
    case CommErrorKind::kNotFound: return "not-found";
    case CommErrorKind::kInUse: return "in-use";
    case CommErrorKind::kPermissionDenied: return "permission-denied";
    case CommErrorKind::kUnsupportedSetting: return "unsupported-setting";
    case CommErrorKind::kIoError: return "io-error";
    case CommErrorKind::kTimedOut: return "timed-out";
    case CommErrorKind::kShortWrite: return "short-write";
    case CommErrorKind::kNotOpen: return "not-open";
    case CommErrorKind::kBadPortName: return "bad-port-name";
    case CommErrorKind::kRobotGone: return "robot-gone";
    case CommErrorKind::kNotSerial: return "not-serial";
    case CommErrorKind::kStopped: return "stopped";
    case CommErrorKind::kOther: return "other";
  }
  return "other";
}

Notice CommErrorNotice(const CommError& error, const std::string& portname) {
  if (!error) return {};
  const std::string port = MenuPortName(portname);
  const KindWords words = WordsOf(error.kind);
  Notice notice;
  notice.main.push_back({words.main, {error.kind == CommErrorKind::kBadPortName ? portname : port}});
  notice.reason = {words.reason, {port}};
  if (!error.device.empty() && error.device != portname) {
    notice.details.push_back({VK47_TEXT("デバイス: %1"), {error.device}});
  }
  if (error.kind == CommErrorKind::kPermissionDenied) {
    notice.details.push_back({VK47_TEXT("先生へ: Linux ではユーザーを dialout グループに加えて、ログインし直してください (%1)。"),
                              {"sudo usermod -aG dialout $USER"}});
  }
  if (error.kind == CommErrorKind::kBadPortName) {
    notice.details.push_back({VK47_TEXT("使えるポート名: %1"), {kPortNameRule}});
  }
  if (error.kind == CommErrorKind::kRobotGone) {
    notice.details.push_back({VK47_TEXT("先生へ: %1 で起動し直します。"), {"vk47-robot --link-as " + LowerComName(portname)}});
  }
  if (!error.os_message.empty() || error.os_code != 0) {
    notice.details.push_back({VK47_TEXT("システムの説明: %1 (エラー番号 %2)"),
                              {error.os_message, std::to_string(error.os_code)}});
  }
  return notice;
}

std::string DescribeCommError(const CommError& error, const std::string& portname) {
  return NoticeText(CommErrorNotice(error, portname));
}

}  // namespace vk47
