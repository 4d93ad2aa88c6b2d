#pragma once
// The window's own choices in set.ini, section "editor":
//   confirmexit  0 switches off the question before closing over changes
//   kana         1 shows every text of the window in hiragana (for the
//                youngest pupils), with the catalogue vk47_kana.qm
// A missing key, or a value that is no integer, keeps the default. Calls are
// meant for the user-interface thread; no file stays open.

#include <string>

namespace vk47 {

inline constexpr const char* kEditorSection = "editor";
inline constexpr const char* kConfirmExitKey = "confirmexit";
inline constexpr const char* kKanaKey = "kana";

// On unless the key holds 0.
bool ReadConfirmExit(const std::string& ini_path);

// Off unless the key holds an integer other than 0.
bool ReadKanaMode(const std::string& ini_path);

// Stores kana=1 or kana=0 under the settings lock, the rest of the file kept.
// Throws SettingsError with WriteFailureNotice when it cannot be written.
void WriteKanaMode(const std::string& ini_path, bool on);

}  // namespace vk47
