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
    case CommErrorKind::kNoResources: return "no-resources";
    case CommErrorKind::kNotTheUsers: return "not-the-users";
    case CommErrorKind::kSettingsUnreadable: return "settings-unreadable";
    case CommErrorKind::kOther: return "other";
  }
  return "other";
}

Notice CommErrorNotice(const CommError& error, const std::string& portname) {
  if (!error) return {};
  const std::string port = MenuPortName(portname);
  const PortWords words = PortTroubleWords(error.kind);
  Notice notice;
  notice.main.push_back({words.main, {error.kind == CommErrorKind::kBadPortName ? portname : port}});
  notice.reason = {words.reason, {port}};
  if (error.kind == CommErrorKind::kSettingsUnreadable) {
    // The device is the settings file here, and the system's reason its own.
    notice.details.push_back({VK47_TEXT("先生へ: 設定ファイル %1 を読めません (%2)。読めるようにするか、消してください。"),
                              {error.device, error.os_message}});
    return notice;
  }
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
  if (error.kind == CommErrorKind::kNotTheUsers) {
    // The user's name rides in the system's text; it is no system text.
    notice.details.push_back({VK47_TEXT("先生へ: root がユーザー %1 の代わりに送っています。%1 が読み書きできないデバイスには送りません。"),
                              {error.os_message}});
    return notice;
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
