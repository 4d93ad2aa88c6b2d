#pragma once
// Private profile (INI) files, read and written with the results of the
// Windows profile functions, so a file written here reads the same there and
// the other way round:
//  - a line whose first non-blank byte is "[" and that holds a "]" starts a
//    section named by the text between "[" and the last "]";
//  - any other non-blank line is a key: the text before its first "=" (or the
//    whole line when it has none); the value is the text after that "=", so a
//    value may itself hold "=";
//  - names and values are trimmed of blanks (space, tab, VT, FF, Ctrl-Z);
//    section and key names match without regard to ASCII letter case;
//  - with duplicate sections only the first counts, with duplicate keys in it
//    only the first; a key line without "=" reads as missing;
//  - lines end in CR LF, LF or a lone CR; the last line may lack one; a UTF-8
//    byte order mark at the start is skipped.
// No call keeps the file open. Any thread and any process: writers of one
// file take its lock (profile_lock.h). Files are read without blocking and
// only when regular (file_io.h): anything else reads as missing and is never
// written. Paths are text in the system's encoding (file_io.h PathFromText).
//
// On Windows, <windows.h> defines GetPrivateProfileString and
// WritePrivateProfileString as macros: files of this module do not include
// it, and callers that do must #undef both before including this header.

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace vk47 {

// The value text is cut to this many bytes, as the 2048-byte buffer of the
// Windows call cuts it.
inline constexpr std::size_t kMaxProfileValueBytes = 2047;

// Only this much of a file is looked at when reading. A larger file is not
// written at all (the write fails and the file stays as it was), because its
// rest could not be kept. A settings file is a few dozen bytes; the limit
// keeps a stray huge file from costing memory or time.
inline constexpr std::size_t kMaxProfileFileBytes = 1024 * 1024;

// The value of `key` in `section` of the file at `path`; `default_value` when
// the file, the section or the key is missing or the key line has no "=".
// A value between matching double or single quotes loses the quotes; it is cut
// at a NUL byte and to kMaxProfileValueBytes. Never creates the file.
std::string GetPrivateProfileString(const std::string& section, const std::string& key,
                                    const std::string& default_value, const std::string& path);

// GetPrivateProfileString for a value that must not silently fall back: a
// file that exists but cannot be read (no permission, no file descriptor
// left, a FIFO, device or folder in its place, a read that fails) gives
// nothing, and `reason` the system's words for why. A missing file, section
// or key gives `default_value` as there.
std::optional<std::string> ReadPrivateProfileString(const std::string& section, const std::string& key,
                                                    const std::string& default_value, const std::string& path,
                                                    std::string& reason);

// Why a write left the file as it was.
enum class ProfileFailure {
  kNone,
  kBusy,        // another program held the file's lock longer than the wait
  kNotWritten,  // the file could not be read whole or written
};

// Stores `value` under `key` in `section`. A missing file is created holding
// "[section]\r\nkey=value\r\n"; a missing section is appended at the end; a
// missing key is added after the last non-blank line of its section; an
// existing value is replaced where it stands. Added lines end like the file's
// first line (CR LF in a new file or one without a break). Every other byte
// of the file is kept. The file is written with WriteFileAtomically
// (file_io.h: through symbolic links, mode kept) under the file's
// ProfileLock. Returns false, leaving the file as it was, when it cannot be
// read or written, is larger than kMaxProfileFileBytes, or when a name or the
// value holds a line break or NUL (or the key a "=" or a leading "[", the
// section a "]"); `failure`, when given, then says why.
bool WritePrivateProfileString(const std::string& section, const std::string& key,
                               const std::string& value, const std::string& path,
                               ProfileFailure* failure = nullptr);

// A change of a whole settings file: keep it, write new contents, or remove it.
struct ProfileUpdate {
  enum class Action { kKeep, kWrite, kRemove } action = Action::kKeep;
  std::string text;
};
// Given the current contents (nothing when the file is missing), what to do.
using ProfileChange = std::function<ProfileUpdate(const std::optional<std::string>& current)>;

// Reads the file, asks `change` and carries out its answer (an atomic write or
// a removal of the file, or of a symbolic link's target), all under the
// file's ProfileLock. False, with the file as it was, when the lock cannot be
// had, the file cannot be read whole (see WritePrivateProfileString) or the
// new contents cannot be written; `failure`, when given, then says why.
bool UpdateProfileFile(const std::string& path, const ProfileChange& change,
                       ProfileFailure* failure = nullptr);

// Whether WritePrivateProfileString accepts these names and value (see above).
bool IsWritableProfileEntry(std::string_view section, std::string_view key,
                            std::string_view value);

// The two operations on file contents in memory.
// The raw value text (trimmed, quotes kept), or nothing when missing.
std::optional<std::string> FindProfileValue(std::string_view text, std::string_view section,
                                            std::string_view key);
// The contents after storing `value`; names and value must be valid as above.
std::string SetProfileValue(std::string_view text, std::string_view section,
                            std::string_view key, std::string_view value);
// The contents without the line of `key` in `section` (unchanged when missing).
std::string RemoveProfileValue(std::string_view text, std::string_view section,
                               std::string_view key);
// Whether the contents hold a header of `section`.
bool HasProfileSection(std::string_view text, std::string_view section);
// The contents without the header of `section` when the section holds no
// line but blank ones (unchanged otherwise).
std::string RemoveEmptyProfileSection(std::string_view text, std::string_view section);

}  // namespace vk47
