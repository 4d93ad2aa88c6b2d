#include "serial/comm_device.h"

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

}  // namespace

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
    case CommErrorKind::kOther: return "other";
  }
  return "other";
}

std::string DescribeCommError(const CommError& error, const std::string& portname) {
  std::string port = portname;
  if (!error.device.empty() && error.device != portname) port += " (" + error.device + ")";
  std::string text;
  switch (error.kind) {
    case CommErrorKind::kNone: return "";
    case CommErrorKind::kNotFound:
      text = "シリアルポート " + port + " が見つかりません。ケーブルとアダプタの接続を確かめてください。";
      break;
    case CommErrorKind::kInUse:
      text = "シリアルポート " + port + " は他のプログラムが使用中です。";
      break;
    case CommErrorKind::kPermissionDenied:
      text = "シリアルポート " + port +
             " を開く権限がありません。Linux ではユーザーを dialout グループに加えて"
             "ログインし直してください (sudo usermod -aG dialout $USER)。";
      break;
    case CommErrorKind::kUnsupportedSetting:
      text = "シリアルポート " + port + " はこの通信設定に対応していません。";
      break;
    case CommErrorKind::kIoError:
      text = "シリアルポート " + port + " との接続が切れました。ロボットの電源とケーブル、アダプタを確かめてください。";
      break;
    case CommErrorKind::kTimedOut:
      text = "シリアルポート " + port + " への送信が時間内に終わりませんでした。";
      break;
    case CommErrorKind::kShortWrite:
      text = "シリアルポート " + port + " への送信が途中で終わりました。";
      break;
    case CommErrorKind::kNotOpen:
      text = "シリアルポート " + port + " が開かれていません。";
      break;
    case CommErrorKind::kBadPortName:
      return "ポート名 \"" + portname + "\" は使えません。" + kPortNameRule + " で指定してください。";
    case CommErrorKind::kRobotGone:
      return "シリアルポート " + port + " につながっていた仮想ロボットはもう動いていません。" +
             "vk47-robot --link-as " + LowerComName(portname) + " で起動し直してから、もう一度送ってください。";
    case CommErrorKind::kOther:
      text = "シリアルポート " + port + " を使えません。";
      break;
  }
  // A kind named above gives its reason in Japanese; the system's own text
  // (English on most systems) is added only for a failure of no known kind.
  if (error.kind == CommErrorKind::kOther && !error.os_message.empty()) text += " (" + error.os_message + ")";
  return text;
}

}  // namespace vk47
