// The parts of file_io.h that need no platform code.

#include "model/file_io.h"

#include <system_error>

namespace vk47 {

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

}  // namespace vk47
