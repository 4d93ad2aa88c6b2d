#pragma once
// Whole-file reads and writes for the small files this system keeps (program
// files, set.ini), safe against whatever the file system holds:
//  - a read opens without blocking and takes only a regular file (a symbolic
//    link to one is fine): a FIFO, device, socket or folder is refused at
//    once instead of hanging the caller, and at most a fixed budget is read;
//  - a write replaces the file atomically in its own folder, through a
//    symbolic link into the link's target, keeping the file's mode, and never
//    touches a file its user may not write.
// Paths are std::filesystem::path, so names reach the system unchanged: wide
// on Windows, the bytes as given on POSIX (names that are not UTF-8 too).
// Any thread; no call keeps a file open.

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>

namespace vk47 {

// A path from text in this system's encoding (UTF-8 on Windows, the bytes as
// they are elsewhere), and back, for messages and for settings paths kept as
// text.
std::filesystem::path PathFromText(std::string_view text);
std::string PathText(const std::filesystem::path& path);

struct FileRead {
  enum class Status {
    kMissing,   // nothing of that name
    kRead,      // `bytes` holds the start of the file
    kNotAFile,  // a FIFO, device, socket or folder: not read
    kFailed,    // it could not be opened or read
  };
  Status status = Status::kMissing;
  std::string bytes;
  bool complete = true;  // false when the file is larger than the budget
};

// Reads at most `budget` bytes of the regular file at `path`.
FileRead ReadRegularFile(const std::filesystem::path& path, std::size_t budget);

// Writes `content` to `path`:
//  - a symbolic link is followed and its final target written; the link stays;
//  - the new contents go to a short-named temporary file in the target's folder
//    which is flushed and renamed over the target, so a failed write leaves
//    the old file whole; an existing file keeps its mode (and, where the
//    system allows, its owner), a new one gets 0666 less the umask;
//  - a file nobody may write (no write permission bit at all, as a read-only
//    file on Windows, root included) or that its user may not write, and
//    anything but a regular file, are refused and left as they were;
//  - run as root, a link owned by neither root nor the target's owner is not
//    followed (see LinksMayBeFollowed);
//  - when the folder forbids the temporary file but the file itself is
//    writable, the file is rewritten in place (not atomically: nothing else is
//    possible there).
// Returns false when nothing was written.
bool WriteFileAtomically(const std::filesystem::path& path, std::string_view content);

// The final target of a chain of symbolic links (at most 40), made absolute
// relative to each link's folder; `path` itself when it is no link. The target
// need not exist.
std::filesystem::path FollowLinks(const std::filesystem::path& path);

// Whether this process may write or remove what `path` leads to through its
// symbolic links. Only root is held back, by the kernel's protected_symlinks
// rule applied to the whole chain: root run with a pupil's HOME (sudo -E, su
// without -) must not write through the pupil's link into a third account's
// file. Each link must be owned by root or by the owner of the final target
// (of the folder that would hold it, when it does not exist yet). Always true
// for other users, whom the system's permissions already hold back, and on
// Windows.
bool LinksMayBeFollowed(const std::filesystem::path& path);

}  // namespace vk47
