#include "settings/settings_folder.h"

#include <filesystem>
#include <string_view>
#include <system_error>
#include <utility>

#include "model/file_io.h"
#include "settings/settings_error.h"

namespace vk47 {
namespace {

DocumentsProvider& InstalledProvider() {
  static DocumentsProvider provider;
  return provider;
}

#if defined(_WIN32)
// "\" and "/" both separate names (Qt gives the documents folder as
// "C:/Users/..."); a drive ("C:") or the root of the current drive ends the
// walk up.
constexpr std::string_view kSeparators = "\\/";
constexpr std::string_view kParentBreaks = "\\/:";
bool IsTop(const std::string& path) { return path.size() < 3; }
#else
constexpr std::string_view kSeparators = "/";
constexpr std::string_view kParentBreaks = "/";
// "/" loses its only separator when the trailing one is dropped.
bool IsTop(const std::string& path) { return path.empty(); }
#endif

bool EndsWithSeparator(const std::string& path) {
  return !path.empty() && kSeparators.find(path.back()) != std::string_view::npos;
}

// The separator the path already uses (its last one), so that a joined path
// reads in one style; the platform's own when it has none.
char SeparatorOf(const std::string& path) {
  const std::size_t last = path.find_last_of(kSeparators);
  return last == std::string::npos ? kPathSeparator : path[last];
}

// CreateFolder (file_io.h): links on the way are checked as for any write,
// and a folder root makes in a pupil's folder is the pupil's.
bool CreateOneFolder(const std::string& path) { return CreateFolder(PathFromText(path)); }

}  // namespace

void SetDocumentsFolderProvider(DocumentsProvider provider) {
  InstalledProvider() = std::move(provider);
}

std::string DocumentsFolderPath() {
  const DocumentsProvider& provider = InstalledProvider();
  std::string path = provider ? provider() : std::string();
  return path.empty() ? DefaultDocumentsFolder() : path;
}

std::string SettingsFolderPathFor(const std::string& documents_folder) {
  std::string folder = documents_folder;
  const char separator = SeparatorOf(folder);
  if (!EndsWithSeparator(folder)) folder += separator;
  folder += kSettingsFolderName;
  folder += separator;
  return folder;
}

std::string SettingsFolderPath() {
  const std::string folder = SettingsFolderPathFor(DocumentsFolderPath());
  CreateFolderChain(folder);  // failure shows later as defaults or a write error
  return folder;
}

bool FolderExists(const std::string& path) {
  std::error_code ec;
  return std::filesystem::is_directory(PathFromText(path), ec) && !ec;
}

bool CreateFolderChain(const std::string& path) {
  if (path.empty()) throw SettingsError(Notice{{{VK47_TEXT("ディレクトリを作成することができません"), {}}}, {}, {}});
  std::string folder = path;
  if (EndsWithSeparator(folder)) folder.pop_back();
  if (IsTop(folder) || FolderExists(folder)) return true;

  const std::size_t cut = folder.find_last_of(kParentBreaks);
  if (cut == std::string::npos) return CreateOneFolder(folder);  // relative, no parent part
  const std::string parent = folder.substr(0, cut + 1);
  if (parent == folder) return true;
  if (!CreateFolderChain(parent)) return false;
  return CreateOneFolder(folder);
}

}  // namespace vk47
