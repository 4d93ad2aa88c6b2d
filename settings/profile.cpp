#include "settings/profile.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>
#include <vector>

#include "model/file_io.h"
#include "settings/profile_lock.h"

namespace vk47 {
namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
constexpr std::string_view kCrLf = "\r\n";

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\v' || c == '\f' || c == '\x1A'; }

std::size_t SkipBlanks(std::string_view s, std::size_t from) {
  while (from < s.size() && IsBlank(s[from])) ++from;
  return from;
}

std::size_t TrimEnd(std::string_view s, std::size_t from, std::size_t end) {
  while (end > from && IsBlank(s[end - 1])) --end;
  return end;
}

std::string_view Trim(std::string_view s) {
  const std::size_t begin = SkipBlanks(s, 0);
  return s.substr(begin, TrimEnd(s, begin, s.size()) - begin);
}

char AsciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
  }
  return true;
}

// One line of the file as byte offsets: text [begin, end), line break [end, next).
struct Line {
  std::size_t begin;
  std::size_t end;
  std::size_t next;
};

std::vector<Line> SplitLines(std::string_view text) {
  std::vector<Line> lines;
  std::size_t pos = text.starts_with(kUtf8Bom) ? kUtf8Bom.size() : 0;
  while (pos < text.size()) {
    std::size_t end = pos;
    while (end < text.size() && text[end] != '\r' && text[end] != '\n') ++end;
    std::size_t next = end;
    if (next < text.size()) next += text.compare(next, 2, kCrLf) == 0 ? 2 : 1;
    lines.push_back({pos, end, next});
    pos = next;
  }
  return lines;
}

// The parts of a key line, as offsets into the file.
struct KeyLine {
  std::string_view name;
  bool has_value = false;
  std::size_t value_begin = 0;  // first non-blank byte after "="
  std::size_t value_end = 0;    // after the last non-blank byte of the line
};

class ProfileView {
 public:
  explicit ProfileView(std::string_view text) : text_(text), lines_(SplitLines(text)) {}

  std::string_view LineText(std::size_t i) const {
    return text_.substr(lines_[i].begin, lines_[i].end - lines_[i].begin);
  }

  bool IsBlankLine(std::size_t i) const { return Trim(LineText(i)).empty(); }

  std::optional<std::string_view> SectionName(std::size_t i) const {
    const std::string_view line = LineText(i);
    const std::size_t open = SkipBlanks(line, 0);
    if (open >= line.size() || line[open] != '[') return std::nullopt;
    const std::size_t close = line.rfind(']');
    if (close == std::string_view::npos || close < open) return std::nullopt;
    return Trim(line.substr(open + 1, close - open - 1));
  }

  KeyLine Key(std::size_t i) const {
    const Line& line = lines_[i];
    const std::string_view body = LineText(i);
    KeyLine key;
    const std::size_t eq = body.find('=');
    key.name = Trim(body.substr(0, eq));
    key.value_end = line.begin + TrimEnd(body, 0, body.size());
    if (eq != std::string_view::npos) {
      key.has_value = true;
      key.value_begin = line.begin + SkipBlanks(body, eq + 1);
      if (key.value_begin > key.value_end) key.value_begin = key.value_end;
    }
    return key;
  }

  // Where `key` of `section` stands, or would be added.
  struct Place {
    std::optional<std::size_t> section;  // header line
    std::optional<std::size_t> key;      // key line
    std::size_t last_filled = 0;         // last non-blank line of the section
  };

  Place Find(std::string_view section, std::string_view key) const {
    Place place;
    const std::string_view wanted_section = Trim(section);
    const std::string_view wanted_key = Trim(key);
    for (std::size_t i = 0; i < lines_.size(); ++i) {
      const std::optional<std::string_view> name = SectionName(i);
      if (!place.section) {
        if (name && SameName(*name, wanted_section)) place.section = place.last_filled = i;
        continue;
      }
      if (name) break;  // the next section ends ours
      if (IsBlankLine(i)) continue;
      place.last_filled = i;
      if (SameName(Key(i).name, wanted_key)) {
        place.key = i;
        break;
      }
    }
    return place;
  }

  const Line& line(std::size_t i) const { return lines_[i]; }
  bool Empty() const { return lines_.empty(); }
  const Line& Last() const { return lines_.back(); }

 private:
  std::string_view text_;
  std::vector<Line> lines_;
};

bool ValidName(std::string_view name, std::string_view forbidden) {
  return name.find_first_of(forbidden) == std::string_view::npos &&
         name.find('\0') == std::string_view::npos && !Trim(name).empty();
}

// The file's contents, read without blocking: a FIFO, device or folder in the
// file's place reads as unreadable instead of hanging every program at start.
FileRead ReadProfileFile(const std::string& path) {
  return ReadRegularFile(PathFromText(path), kMaxProfileFileBytes);
}

// The line break the file already uses (that of its first line), so an added
// line matches its neighbours; CR LF for a file without one.
std::string_view LineBreakOf(std::string_view text) {
  const std::size_t at = text.find_first_of("\r\n");
  if (at == std::string_view::npos) return kCrLf;
  if (text[at] == '\n') return "\n";
  return text.compare(at, 2, kCrLf) == 0 ? kCrLf : std::string_view("\r");
}

}  // namespace

std::optional<std::string> FindProfileValue(std::string_view text, std::string_view section,
                                            std::string_view key) {
  const ProfileView view(text);
  const ProfileView::Place place = view.Find(section, key);
  if (!place.key) return std::nullopt;
  const KeyLine line = view.Key(*place.key);
  if (!line.has_value) return std::nullopt;
  return std::string(text.substr(line.value_begin, line.value_end - line.value_begin));
}

std::string SetProfileValue(std::string_view text, std::string_view section,
                            std::string_view key, std::string_view value) {
  const ProfileView view(text);
  const ProfileView::Place place = view.Find(section, key);
  std::string result(text);
  const std::string key_line = std::string(Trim(key)) + "=" + std::string(value);
  const std::string_view line_break = LineBreakOf(text);

  if (place.key) {
    const KeyLine line = view.Key(*place.key);
    if (line.has_value) {
      result.replace(line.value_begin, line.value_end - line.value_begin, value);
    } else {
      std::string assignment(1, '=');
      assignment += value;
      result.insert(line.value_end, assignment);
    }
    return result;
  }
  // A line that lacks its break (the file's last) gets one before anything follows it.
  auto append_after = [&](const Line& line, const std::string& added) {
    if (line.next == line.end) {
      result.insert(line.end, std::string(line_break) + added);
    } else {
      result.insert(line.next, added);
    }
  };
  if (place.section) {
    append_after(view.line(place.last_filled), key_line + std::string(line_break));
    return result;
  }
  // Built by appending: GCC 12 at -O2 warns (-Wrestrict, a false alarm) on
  // "[" + std::string(...).
  std::string added = "[";
  added.append(Trim(section)).append("]").append(line_break).append(key_line).append(line_break);
  if (!view.Empty() && view.Last().end > view.Last().begin) {
    append_after(view.Last(), added);
  } else {
    result += added;
  }
  return result;
}

std::string GetPrivateProfileString(const std::string& section, const std::string& key,
                                    const std::string& default_value, const std::string& path) {
  std::string reason;
  return ReadPrivateProfileString(section, key, default_value, path, reason).value_or(default_value);
}

std::optional<std::string> ReadPrivateProfileString(const std::string& section, const std::string& key,
                                                    const std::string& default_value, const std::string& path,
                                                    std::string& reason) {
  errno = 0;
  const FileRead file = ReadProfileFile(path);
  const int err = errno;
  if (file.status == FileRead::Status::kMissing) return default_value;
  if (file.status == FileRead::Status::kNotAFile) {
    reason = "通常のファイルではありません";
    return std::nullopt;
  }
  if (file.status == FileRead::Status::kFailed) {
    reason = std::strerror(err != 0 ? err : EIO);
    return std::nullopt;
  }
  std::optional<std::string> value = FindProfileValue(file.bytes, section, key);
  if (!value) return default_value;
  std::string& text = *value;
  if (const std::size_t nul = text.find('\0'); nul != std::string::npos) text.resize(nul);
  if (text.size() >= 2 && (text.front() == '"' || text.front() == '\'') &&
      text.back() == text.front()) {
    text = text.substr(1, text.size() - 2);
  }
  if (text.size() > kMaxProfileValueBytes) text.resize(kMaxProfileValueBytes);
  return text;
}

bool IsWritableProfileEntry(std::string_view section, std::string_view key,
                            std::string_view value) {
  // A key line that starts with "[" and holds a "]" would read as a section
  // header, losing the value and splitting the section.
  return ValidName(section, "\r\n]") && ValidName(key, "\r\n=") && !Trim(key).starts_with('[') &&
         value.find_first_of(std::string_view("\r\n\0", 3)) == std::string_view::npos;
}

std::string RemoveProfileValue(std::string_view text, std::string_view section,
                               std::string_view key) {
  const ProfileView view(text);
  const ProfileView::Place place = view.Find(section, key);
  std::string result(text);
  if (place.key) {
    const Line& line = view.line(*place.key);
    result.erase(line.begin, line.next - line.begin);
  }
  return result;
}

bool HasProfileSection(std::string_view text, std::string_view section) {
  return ProfileView(text).Find(section, "").section.has_value();
}

std::string RemoveEmptyProfileSection(std::string_view text, std::string_view section) {
  const ProfileView view(text);
  const ProfileView::Place place = view.Find(section, "");
  std::string result(text);
  if (place.section && place.last_filled == *place.section) {
    const Line& line = view.line(*place.section);
    result.erase(line.begin, line.next - line.begin);
  }
  return result;
}

bool UpdateProfileFile(const std::string& path, const ProfileChange& change,
                       ProfileFailure* failure) {
  auto fail = [failure](ProfileFailure why) {
    if (failure != nullptr) *failure = why;
    return false;
  };
  if (failure != nullptr) *failure = ProfileFailure::kNone;
  const ProfileLock lock(path);
  if (!lock.held()) return fail(lock.busy() ? ProfileFailure::kBusy : ProfileFailure::kNotWritten);
  const FileRead file = ReadProfileFile(path);
  if (file.status == FileRead::Status::kNotAFile || file.status == FileRead::Status::kFailed ||
      !file.complete) {
    return fail(ProfileFailure::kNotWritten);
  }
  std::optional<std::string> current;
  if (file.status == FileRead::Status::kRead) current = file.bytes;
  const ProfileUpdate update = change(current);
  switch (update.action) {
    case ProfileUpdate::Action::kKeep: return true;
    case ProfileUpdate::Action::kWrite:
      return WriteFileAtomically(PathFromText(path), update.text) || fail(ProfileFailure::kNotWritten);
    case ProfileUpdate::Action::kRemove: {
      // Through a symbolic link the target goes and the link stays, as a
      // write would have kept it.
      if (!LinksMayBeFollowed(PathFromText(path))) return fail(ProfileFailure::kNotWritten);
      std::error_code ec;
      std::filesystem::remove(FollowLinks(PathFromText(path)), ec);
      return !ec || fail(ProfileFailure::kNotWritten);
    }
  }
  return fail(ProfileFailure::kNotWritten);
}

bool WritePrivateProfileString(const std::string& section, const std::string& key,
                               const std::string& value, const std::string& path,
                               ProfileFailure* failure) {
  if (failure != nullptr) *failure = ProfileFailure::kNotWritten;
  if (!IsWritableProfileEntry(section, key, value)) return false;
  return UpdateProfileFile(
      path,
      [&](const std::optional<std::string>& current) {
        return ProfileUpdate{ProfileUpdate::Action::kWrite,
                             SetProfileValue(current.value_or(""), section, key, value)};
      },
      failure);
}

}  // namespace vk47
