#include "model/program_file.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <fstream>

#include "model/command_set.h"
#include "model/int_text.h"

#if defined(_WIN32)
#include <windows.h>
#include <process.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace vk47 {

std::string ProgramFileText(const ProgramCodes& codes) {
  std::string text;
  for (int code : codes) {
    text += std::to_string(code);
    text += "\r\n";
  }
  return text;
}

bool ProgramLineSplitter::Feed(std::string_view chunk) {
  for (char c : chunk) {
    if (done_) return false;
    if (c == '\0') {
      done_ = true;
      break;
    }
    if (c == '\n' && after_cr_) {  // second half of CR LF
      after_cr_ = false;
      continue;
    }
    after_cr_ = false;
    if (c == '\r' || c == '\n') {
      after_cr_ = c == '\r';
      line_open_ = true;  // an empty line before the break is still a line
      EndLine();
      continue;
    }
    line_open_ = true;
    if (current_.text.size() < kMaxLineBytes) {
      current_.text += c;
    } else {
      current_.truncated = true;
    }
  }
  return !done_;
}

void ProgramLineSplitter::EndLine() {
  if (lines_.size() < max_lines_) lines_.push_back(std::move(current_));
  current_ = ProgramLine{};
  line_open_ = false;
  if (lines_.size() >= max_lines_) done_ = true;
}

std::vector<ProgramLine> ProgramLineSplitter::Finish() {
  // The text after the last break is a line of its own when it is not empty.
  if (line_open_ && lines_.size() < max_lines_) EndLine();
  done_ = true;
  return std::move(lines_);
}

std::vector<ProgramLine> SplitProgramLines(std::string_view content, std::size_t max_lines) {
  ProgramLineSplitter splitter(max_lines);
  splitter.Feed(content);
  return splitter.Finish();
}

namespace {

#if !defined(_WIN32)
// Tells the temporary files of concurrent saves in one process apart.
unsigned long NextTempNumber() {
  static std::atomic<unsigned long> next{
      static_cast<unsigned long>(std::chrono::steady_clock::now().time_since_epoch().count())};
  return next++;
}
#endif

// A line as it is quoted in a message: control bytes shown as "?" so a
// binary file cannot drive a terminal, and a long line cut (on a character
// boundary) with "…" so the message stays readable.
std::string QuotedLine(const ProgramLine& line) {
  constexpr std::size_t kShownBytes = 64;
  std::string text = line.text;
  bool cut = line.truncated;
  if (text.size() > kShownBytes) {
    std::size_t end = kShownBytes;
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
    text.resize(end);
    cut = true;
  }
  for (char& c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7F) c = '?';
  }
  return cut ? text + "…" : text;
}

}  // namespace

ProgramParse ParseProgramLines(const std::vector<ProgramLine>& lines) {
  ProgramCodes codes = EmptyProgram();
  for (int i = 0; i < kSlotCount; ++i) {
    if (static_cast<std::size_t>(i) >= lines.size()) {
      return {std::nullopt, "リストのインデックスが範囲を超えています (" + std::to_string(i) + ")"};
    }
    const ProgramLine& line = lines[i];
    const std::optional<std::int32_t> value =
        line.truncated ? std::nullopt : TextToInt(line.text);
    if (!value) {
      return {std::nullopt, "'" + QuotedLine(line) + "' は整数ではありません"};
    }
    if (*value != kEmptyCode && !StepCommandNumber(*value)) {
      return {std::nullopt, std::to_string(i + 1) + " 行目の値 " + std::to_string(*value) +
                                " はロボットの命令ではありません"};
    }
    codes[i] = *value;
  }
  return {codes, ""};
}

ProgramParse ParseProgramText(std::string_view content) {
  return ParseProgramLines(SplitProgramLines(content));
}

ProgramParse ReadProgramFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return {std::nullopt, "ファイル " + path + " は開けません"};
  ProgramLineSplitter splitter(kSlotCount);
  char buffer[4096];
  bool more = true;
  while (more && in) {
    in.read(buffer, sizeof buffer);
    const std::streamsize got = in.gcount();
    if (got <= 0) break;
    more = splitter.Feed(std::string_view(buffer, static_cast<std::size_t>(got)));
  }
  if (in.bad()) return {std::nullopt, "ファイル " + path + " は開けません"};
  return ParseProgramLines(splitter.Finish());
}

bool WriteFileAtomically(const std::string& path, std::string_view content) {
#if defined(_WIN32)
  const std::string temp = path + ".tmp" + std::to_string(_getpid());
  std::FILE* f = std::fopen(temp.c_str(), "wb");
  if (f == nullptr) return false;
  const bool written = std::fwrite(content.data(), 1, content.size(), f) == content.size();
  const bool closed = std::fclose(f) == 0;
  if (!written || !closed || !MoveFileExA(temp.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING)) {
    std::remove(temp.c_str());
    return false;
  }
  return true;
#else
  // The temporary file is created with 0666 so the umask decides a new
  // file's mode, as for any file the user creates; a replaced file keeps its
  // own mode. (mkstemp would fix 0600 and hide the umask.)
  std::string temp;
  int fd = -1;
  for (unsigned attempt = 0; fd < 0 && attempt < 100; ++attempt) {
    temp = path + ".tmp" + std::to_string(::getpid()) + "-" + std::to_string(NextTempNumber());
    fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0 && errno != EEXIST) return false;
  }
  if (fd < 0) return false;
  struct stat existing {};
  if (::stat(path.c_str(), &existing) == 0) ::fchmod(fd, existing.st_mode & 07777);
  std::size_t done = 0;
  bool ok = true;
  while (ok && done < content.size()) {
    const ssize_t n = ::write(fd, content.data() + done, content.size() - done);
    if (n < 0) ok = false;
    else done += static_cast<std::size_t>(n);
  }
  ok = ok && fsync(fd) == 0;
  ok = (::close(fd) == 0) && ok;
  ok = ok && std::rename(temp.c_str(), path.c_str()) == 0;
  if (!ok) ::unlink(temp.c_str());
  return ok;
#endif
}

std::string WriteProgramFile(const std::string& path, const ProgramCodes& codes) {
  if (WriteFileAtomically(path, ProgramFileText(codes))) return "";
  return "ファイル " + path + " を作成できません";
}

}  // namespace vk47
