#pragma once
// Whole-file reads and writes for the files this system keeps and makes
// (program files, set.ini, sheets, pictures, records), safe against whatever
// the file system holds and whoever planted it:
//  - a read opens without blocking and takes only a regular file (a symbolic
//    link to one is fine): a FIFO, device, socket or folder is refused at
//    once instead of hanging the caller, and at most a fixed budget is read;
//  - every write goes through WriteFileChecked: it replaces the file
//    atomically in its own folder, through a symbolic link into the link's
//    target, keeping the file's mode, never touching a file its user may not
//    write, never following a link that the kernel's own rules would refuse
//    to follow, and never overwriting the file it was made from.
// The rules for links and owners are written out in docs/DEVELOPING.md
// ("Hardening").
// Paths are std::filesystem::path, so names reach the system unchanged: wide
// on Windows, the bytes as given on POSIX (names that are not UTF-8 too).
// Any thread; no call keeps a file open.

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "text/words.h"

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

// What a write did.
enum class WriteStatus {
  kWritten,
  kFailed,       // not written: permissions, no such folder, not a regular file, a full disk...
  kUnsafeLink,   // a symbolic link on the way may not be followed (`link` names it)
  kSameAsInput,  // the file is one of the inputs the output is made from
};

struct FileWrite {
  WriteStatus status = WriteStatus::kFailed;
  std::filesystem::path link;  // kUnsafeLink: the link, as the path reached it
  std::error_code error;       // kFailed: the system's reason, when it gave one
  explicit operator bool() const { return status == WriteStatus::kWritten; }
};

// The one write of every file this system writes. Writes `content` to `path`:
//  - the path is walked one name at a time, as the kernel walks it, and every
//    symbolic link met on the way (in any folder of the path, or the last
//    name) is checked before it is followed:
//      * by anyone, root included: a link in a sticky folder that everyone
//        may write (/tmp) is followed only when the writer or the folder's
//        owner owns it (the kernel's protected_symlinks rule, applied here
//        because the write resolves links itself and renames onto the end);
//      * by root: only when root or the owner of the final file (of the folder
//        that will hold it, when it does not exist yet) owns it, so that root
//        run with a pupil's HOME (sudo -E, su without -) cannot be led by a
//        pupil's link into a third account's or root's own files;
//    a link that fails either is not followed and nothing is written;
//  - a target that is the same file as one of `inputs` (the same device and
//    file number, or the same path once links are followed) is refused;
//  - the new contents go to a short-named temporary file in the target's folder
//    which is flushed and renamed over the target, so a failed write leaves
//    the old file whole; an existing file keeps its mode (and, where the
//    system allows, its owner), a new one gets 0666 less the umask; a new file
//    root makes in a folder that another account owns is given to that
//    folder's owner and group, as if that account had made it;
//  - a file nobody may write (no write permission bit at all, as a read-only
//    file on Windows, root included) or that its user may not write, and
//    anything but a regular file, are refused and left as they were;
//  - when the folder forbids the temporary file but the file itself is
//    writable, the file is rewritten in place (not atomically: nothing else is
//    possible there).
// The folders are held open while the file is written, so a folder or link
// swapped in meanwhile is not followed either.
FileWrite WriteFileChecked(const std::filesystem::path& path, std::string_view content,
                           const std::vector<std::filesystem::path>& inputs = {});

// WriteFileChecked with no inputs; false when nothing was written.
bool WriteFileAtomically(const std::filesystem::path& path, std::string_view content);

// What to tell about a write that failed, naming `path` as the user gave it:
// "ファイル %1 を作成できません", with the link that was not followed or
// the input it would have overwritten when that was the cause.
Words WriteFailureWords(const std::filesystem::path& path, const FileWrite& write);

// Creates the folder `path` (its parent must exist) with the same rules for
// links as WriteFileChecked; a new folder that root makes in a folder that
// another account owns is given to that folder's owner and group. True when
// a folder is there afterwards.
bool CreateFolder(const std::filesystem::path& path);

// The final target of a chain of symbolic links (at most 40), made absolute
// relative to each link's folder; `path` itself when it is no link. The target
// need not exist.
std::filesystem::path FollowLinks(const std::filesystem::path& path);

// Whether WriteFileChecked would follow every symbolic link on the way to
// what `path` names (false: one of them is refused, see above); for a removal
// through a link. Always true on Windows.
bool LinksMayBeFollowed(const std::filesystem::path& path);

}  // namespace vk47
