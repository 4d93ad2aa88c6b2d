#pragma once
// The serial port choice stored in set.ini: section "comport", key "name",
// the zero-based index of COM1..COM4 as decimal text (-1: none chosen).
// Calls are meant for the user-interface thread; no file stays open.

#include <cstdint>
#include <optional>
#include <string>

#include "text/words.h"

namespace vk47 {

enum class ProfileFailure;  // settings/profile.h

inline constexpr const char* kSettingsFileName = "set.ini";
inline constexpr const char* kPortSection = "comport";
inline constexpr const char* kPortKey = "name";

// SettingsFolderPath() + "set.ini"; creates the settings folder as a side effect.
std::string SettingsFilePath();

// The stored index. "0x"/"0X" before further text reads as hexadecimal;
// a missing file, section, key or value, malformed text and numbers outside
// 32 bits all read as 0 (COM1). Never fails, never creates the file.
std::int32_t ReadPortIndex(const std::string& ini_path);

// Stores `index` as plain decimal text, creating the file when missing.
// Throws SettingsError with WriteFailureMessage when it cannot be written; the
// old file then stays as it was.
void WritePortIndex(const std::string& ini_path, std::int32_t index);

// "<ini_path> に書き込めません", followed, when another program held the
// file's lock for the whole wait, by what to do about it. WriteFailureMessage
// is the same as one text.
Notice WriteFailureNotice(const std::string& ini_path, ProfileFailure failure);
std::string WriteFailureMessage(const std::string& ini_path, ProfileFailure failure);

// "com1".."com4" for 0..3; nothing for any other index (the caller keeps its
// port name, "COM1").
std::optional<std::string> PortNameForIndex(std::int32_t index);

}  // namespace vk47
