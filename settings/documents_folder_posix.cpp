// The documents folder on POSIX systems, by the rule the desktop's toolkit
// follows: XDG_DOCUMENTS_DIR from user-dirs.dirs, else ~/Documents. Neither has
// to exist: the window and the tools must name the same folder whatever the
// home holds, or a robot's mapping lands in a set.ini the window never reads.

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>

#include "model/file_io.h"
#include "settings/settings_folder.h"

namespace vk47 {
namespace {

std::string EnvOrEmpty(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? std::string(value) : std::string();
}

std::string HomeFolder() {
  std::string home = EnvOrEmpty("HOME");
  if (home.empty()) {
    if (const passwd* entry = getpwuid(getuid()); entry != nullptr && entry->pw_dir != nullptr) {
      home = entry->pw_dir;
    }
  }
  while (home.size() > 1 && home.back() == '/') home.pop_back();
  return home;
}

std::string Join(const std::string& folder, std::string_view name) {
  return folder.ends_with('/') ? folder + std::string(name) : folder + "/" + std::string(name);
}

// XDG_DOCUMENTS_DIR from user-dirs.dirs, a shell fragment: the value, quoted
// or not, must be absolute or start with "$HOME" (alone or before "/"). Returns
// "" when the file or the line is missing or names something else. The file is
// read without blocking and within a budget, like every file here.
std::string XdgDocumentsFolder(const std::string& home) {
  std::string config = EnvOrEmpty("XDG_CONFIG_HOME");
  if (config.empty() || config.front() != '/') config = Join(home, ".config");
  const FileRead file = ReadRegularFile(Join(config, "user-dirs.dirs"), 64 * 1024);
  if (file.status != FileRead::Status::kRead) return "";
  std::istringstream in(file.bytes);
  std::string line;
  constexpr std::string_view kKey = "XDG_DOCUMENTS_DIR=";
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const std::size_t start = line.find_first_not_of(" \t");
    if (start == std::string::npos || line.compare(start, kKey.size(), kKey) != 0) continue;
    std::string value = line.substr(start + kKey.size());
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"') {
      value = value.substr(1, value.size() - 2);
    } else if (value.starts_with('"')) {
      return "";  // an unclosed quote
    }
    if (value == "$HOME" || value.starts_with("$HOME/")) value = home + value.substr(5);
    while (value.size() > 1 && value.back() == '/') value.pop_back();
    return value.starts_with('/') ? value : "";
  }
  return "";
}

// The owner of `path`, or of the nearest folder above it that exists (links
// followed); nothing when not even "/" can be looked at.
std::optional<uid_t> OwnerOfNearest(std::string path) {
  for (;;) {
    struct stat info {};
    if (::stat(path.c_str(), &info) == 0) return info.st_uid;
    const std::size_t cut = path.find_last_of('/');
    if (cut == std::string::npos || path == "/") return std::nullopt;
    path = cut == 0 ? "/" : path.substr(0, cut);
  }
}

// Whether a documents folder named in user-dirs.dirs may be used. Root run
// with another account's HOME (sudo -E, su without -) acts for that account,
// and the file is that account's to write: root takes the folder only when
// it, or while it is missing the nearest folder above it, belongs to that
// account, so that a pupil cannot make root create settings in root's own or
// a third account's folders. Anyone else is held back by the permissions.
bool MayUseDocumentsFolder(const std::string& home, const std::string& folder) {
  if (::geteuid() != 0) return true;
  struct stat home_info {};
  if (::stat(home.c_str(), &home_info) != 0 || home_info.st_uid == 0) return true;
  return OwnerOfNearest(folder) == home_info.st_uid;
}

}  // namespace

std::string DefaultDocumentsFolder() {
  const std::string home = HomeFolder();
  if (home.empty()) return ".";
  if (std::string xdg = XdgDocumentsFolder(home); !xdg.empty() && MayUseDocumentsFolder(home, xdg)) return xdg;
  return Join(home, "Documents");
}

}  // namespace vk47
