// Default documents folder on Windows: the shell's personal folder (the same
// folder the window toolkit reports), else %USERPROFILE%\Documents.

#include <windows.h>
#include <shlobj.h>

#include <cstdlib>
#include <string>

#include "settings/settings_folder.h"

namespace vk47 {

std::string DefaultDocumentsFolder() {
  char buffer[MAX_PATH + 1] = {};
  if (SUCCEEDED(SHGetFolderPathA(nullptr, CSIDL_PERSONAL, nullptr, SHGFP_TYPE_CURRENT, buffer)) &&
      buffer[0] != '\0') {
    return buffer;
  }
  const char* profile = std::getenv("USERPROFILE");
  if (profile != nullptr && profile[0] != '\0') return std::string(profile) + "\\Documents";
  return ".";
}

}  // namespace vk47
