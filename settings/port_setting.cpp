#include "settings/port_setting.h"

#include "model/int_text.h"
#include "settings/profile.h"
#include "settings/settings_error.h"
#include "settings/settings_folder.h"

namespace vk47 {

std::string SettingsFilePath() { return SettingsFolderPath() + kSettingsFileName; }

std::int32_t ReadPortIndex(const std::string& ini_path) {
  std::string text = GetPrivateProfileString(kPortSection, kPortKey, "", ini_path);
  // "0x1F" is spelled "$1F" for the conversion; a bare "0x" stays malformed.
  // Changes no result here, as TextToInt reads "0x" itself; kept as the file format's own step.
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    text.replace(0, 2, "$");
  }
  return TextToInt(text).value_or(0);
}

void WritePortIndex(const std::string& ini_path, std::int32_t index) {
  ProfileFailure failure = ProfileFailure::kNone;
  if (!WritePrivateProfileString(kPortSection, kPortKey, IntToText(index), ini_path, &failure)) {
    throw SettingsError(WriteFailureNotice(ini_path, failure));
  }
}

Notice WriteFailureNotice(const std::string& ini_path, ProfileFailure failure) {
  Notice notice{{{VK47_TEXT("%1 に書き込めません"), {ini_path}}}, {VK47_TEXT("設定を保存できません"), {}}, {}};
  if (failure == ProfileFailure::kBusy) {
    notice.main.push_back({VK47_TEXT("別のプログラムが書き込み中です。しばらく待ってから、もう一度試してください。"), {}});
  }
  return notice;
}

std::string WriteFailureMessage(const std::string& ini_path, ProfileFailure failure) {
  return NoticeText(WriteFailureNotice(ini_path, failure));
}

std::optional<std::string> PortNameForIndex(std::int32_t index) {
  if (index < 0 || index > 3) return std::nullopt;
  return "com" + std::to_string(index + 1);
}

}  // namespace vk47
