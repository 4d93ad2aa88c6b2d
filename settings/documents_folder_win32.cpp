// Default documents folder on Windows: the shell's Documents folder (the same
// folder the window toolkit reports), else %USERPROFILE%\Documents. Asked with
// the wide calls and kept as UTF-8, so a user folder with Japanese letters
// survives whatever the ANSI code page.

#include <windows.h>
#include <knownfolders.h>
#include <shlobj.h>

#include <cstdlib>
#include <string>

#include "settings/settings_folder.h"

namespace vk47 {
namespace {

std::string Utf8(const wchar_t* text) {
  const int size = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
  if (size <= 1) return "";
  std::string result(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text, -1, result.data(), size, nullptr, nullptr);
  result.resize(static_cast<std::size_t>(size - 1));  // without the NUL
  return result;
}

}  // namespace

std::string DefaultDocumentsFolder() {
  PWSTR known = nullptr;
  std::string path;
  if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_Documents, 0, nullptr, &known)) && known != nullptr) {
    path = Utf8(known);
  }
  CoTaskMemFree(known);
  if (!path.empty()) return path;
  const wchar_t* profile = _wgetenv(L"USERPROFILE");
  if (profile != nullptr && profile[0] != L'\0') return Utf8(profile) + "\\Documents";
  return ".";
}

}  // namespace vk47
