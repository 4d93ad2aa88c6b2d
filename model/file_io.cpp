// The parts of file_io.h that need no platform code.

#include "model/file_io.h"
#include "model/file_io_temp.h"

#include <atomic>
#include <chrono>
#include <system_error>

namespace vk47 {

unsigned long NextTempNumber() {
  static std::atomic<unsigned long> next{
      static_cast<unsigned long>(std::chrono::steady_clock::now().time_since_epoch().count())};
  return next++;
}

std::filesystem::path FollowLinks(const std::filesystem::path& path) {
  namespace fs = std::filesystem;
  fs::path current = path;
  for (int hops = 0; hops < 40; ++hops) {
    std::error_code ec;
    if (!fs::is_symlink(fs::symlink_status(current, ec)) || ec) return current;
    const fs::path next = fs::read_symlink(current, ec);
    if (ec) return current;
    // A relative target is relative to the folder that holds the link.
    current = next.is_absolute() ? next : current.parent_path() / next;
  }
  return current;  // a loop: writing to it fails like any unusable name
}

bool WriteFileAtomically(const std::filesystem::path& path, std::string_view content) {
  return WriteFileChecked(path, content).status == WriteStatus::kWritten;
}

Words WriteFailureWords(const std::filesystem::path& path, const FileWrite& write) {
  switch (write.status) {
    case WriteStatus::kUnsafeLink:
      return {VK47_TEXT("ファイル %1 を作成できません。%2 は別のユーザーが置いたシンボリックリンクなので、たどりません"),
              {PathText(path), PathText(write.link)}};
    case WriteStatus::kSameAsInput:
      return {VK47_TEXT("ファイル %1 は読み込んだファイルと同じなので、上書きしません"), {PathText(path)}};
    case WriteStatus::kWritten:
    case WriteStatus::kFailed:
      break;
  }
  return {VK47_TEXT("ファイル %1 を作成できません"), {PathText(path)}};
}

}  // namespace vk47
