#include "settings/editor_setting.h"

#include <cstdint>
#include <optional>

#include "model/int_text.h"
#include "settings/port_setting.h"
#include "settings/profile.h"
#include "settings/settings_error.h"

namespace vk47 {
namespace {

std::optional<std::int32_t> ReadNumber(const std::string& ini_path, const char* key) {
  return TextToInt(GetPrivateProfileString(kEditorSection, key, "", ini_path));
}

}  // namespace

bool ReadConfirmExit(const std::string& ini_path) {
  const auto number = ReadNumber(ini_path, kConfirmExitKey);
  return !number || *number != 0;
}

bool ReadKanaMode(const std::string& ini_path) {
  const auto number = ReadNumber(ini_path, kKanaKey);
  return number && *number != 0;
}

void WriteKanaMode(const std::string& ini_path, bool on) {
  ProfileFailure failure = ProfileFailure::kNone;
  if (!WritePrivateProfileString(kEditorSection, kKanaKey, on ? "1" : "0", ini_path, &failure)) {
    throw SettingsError(WriteFailureNotice(ini_path, failure));
  }
}

}  // namespace vk47
