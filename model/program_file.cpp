#include "model/program_file.h"

#include <cerrno>
#include <system_error>

#if defined(_WIN32)
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#endif

#include "model/command_set.h"
#include "model/int_text.h"

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

void ProgramLineSplitter::Cut() {
  if (!done_ && line_open_) current_.truncated = true;
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

bool LooksBinary(std::string_view line) {
  std::size_t i = 0;
  while (i < line.size()) {
    const auto byte = static_cast<unsigned char>(line[i]);
    if (byte < 0x80) {
      if ((byte < 0x20 && byte != '\t') || byte == 0x7F) return true;
      ++i;
      continue;
    }
    // A UTF-8 sequence: its length, its least value (no overlong forms),
    // no surrogates, nothing past U+10FFFF, and no C1 control characters.
    std::size_t length = 0;
    char32_t value = 0;
    if ((byte & 0xE0) == 0xC0) {
      length = 2;
      value = byte & 0x1F;
    } else if ((byte & 0xF0) == 0xE0) {
      length = 3;
      value = byte & 0x0F;
    } else if ((byte & 0xF8) == 0xF0) {
      length = 4;
      value = byte & 0x07;
    } else {
      return true;
    }
    if (i + length > line.size()) return true;
    for (std::size_t k = 1; k < length; ++k) {
      const auto next = static_cast<unsigned char>(line[i + k]);
      if ((next & 0xC0) != 0x80) return true;
      value = (value << 6) | (next & 0x3F);
    }
    constexpr char32_t kLeast[] = {0, 0, 0x80, 0x800, 0x10000};
    if (value < kLeast[length] || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF) ||
        (value >= 0x80 && value <= 0x9F)) {
      return true;
    }
    i += length;
  }
  return false;
}

namespace {

// A line as it is quoted in a message: a long line cut (on a character
// boundary) with "…" so the message stays readable. Only lines that do not
// LooksBinary are quoted, so no control byte reaches a terminal or a box.
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
  return cut ? text + "…" : text;
}

// The first bytes of a line in hexadecimal ("89 50 4E 47"), so a teacher can
// tell what kind of file it is without the bytes themselves being shown.
std::string FirstBytesInHex(std::string_view line) {
  constexpr std::size_t kShown = 16;
  constexpr char kDigits[] = "0123456789ABCDEF";
  std::string text;
  for (std::size_t i = 0; i < line.size() && i < kShown; ++i) {
    const auto byte = static_cast<unsigned char>(line[i]);
    if (!text.empty()) text += ' ';
    text += kDigits[byte >> 4];
    text += kDigits[byte & 0x0F];
  }
  if (line.size() > kShown) text += " …";
  return text;
}

constexpr const char* kNotAProgram = VK47_TEXT("このファイルはロボットのプログラムではありません。");
constexpr const char* kFileFormat =
    VK47_TEXT("プログラムのファイルは 16 行で、1 行に 1 つずつステップの数が書いてあります (空きのステップは -1)。");
constexpr const char* kChooseAProgram = VK47_TEXT("先生へ: vk47 で保存した .pt3 ファイルを選んでください。");

ProgramParse Refused(Notice notice) {
  ProgramParse parse;
  parse.words = notice.main.front();
  parse.error = Plain(parse.words);
  parse.notice = std::move(notice);
  return parse;
}

Notice ShortFile(std::size_t lines, bool ended_at_nul) {
  const std::string count = std::to_string(lines);
  Notice notice;
  notice.main.push_back({VK47_TEXT("リストのインデックスが範囲を超えています (%1)"), {count}});
  if (lines == 0) {
    notice.main.push_back({VK47_TEXT("ファイルが空です。"), {}});
    notice.reason = {VK47_TEXT("ファイルが空です"), {}};
  } else {
    notice.main.push_back({VK47_TEXT("ファイルが短すぎます (%1 行しかありません)。"), {count}});
    notice.reason = {VK47_TEXT("ファイルが短すぎます"), {}};
  }
  if (ended_at_nul) {
    notice.details.push_back(
        {VK47_TEXT("%1 行目に文字ではないバイト (00) があり、ファイルはそこで終わりとみなされます。"),
         {std::to_string(lines + 1)}});
  }
  notice.details.push_back({kFileFormat, {}});
  notice.details.push_back({kChooseAProgram, {}});
  return notice;
}

Notice NotAnInteger(std::size_t index, const ProgramLine& line) {
  const std::string number = std::to_string(index + 1);
  Notice notice;
  if (LooksBinary(line.text)) {
    notice.main.push_back({VK47_TEXT("このファイルは文字で書かれていません (バイナリファイル)"), {}});
    notice.main.push_back({kNotAProgram, {}});
    notice.reason = {VK47_TEXT("バイナリファイルです"), {}};
    notice.details.push_back({VK47_TEXT("%1 行目のはじめのバイト (16 進数): %2"), {number, FirstBytesInHex(line.text)}});
  } else {
    notice.main.push_back({VK47_TEXT("'%1' は整数ではありません"), {QuotedLine(line)}});
    if (index == 0) {
      notice.main.push_back({kNotAProgram, {}});
      notice.reason = {VK47_TEXT("ロボットのプログラムではありません"), {}};
    } else {
      notice.main.push_back({VK47_TEXT("%1 行目が数ではありません。ファイルがこわれているかもしれません。"), {number}});
      notice.reason = {VK47_TEXT("%1 行目が数ではありません"), {number}};
    }
    notice.details.push_back({VK47_TEXT("%1 行目: '%2'"), {number, QuotedLine(line)}});
  }
  notice.details.push_back({kFileFormat, {}});
  notice.details.push_back({kChooseAProgram, {}});
  return notice;
}

Notice NoStepCode(std::size_t index, std::int32_t value) {
  const std::string number = std::to_string(index + 1);
  Notice notice;
  notice.main.push_back(
      {VK47_TEXT("%1 行目の値 %2 はロボットの命令ではありません"), {number, std::to_string(value)}});
  notice.main.push_back({VK47_TEXT("このファイルは、ほかのロボットのものか、こわれています。"), {}});
  notice.reason = {VK47_TEXT("%1 行目がロボットの命令ではありません"), {number}};
  notice.details.push_back({VK47_TEXT("ステップの数は、命令の表にある数と、空きの -1 だけです。"), {}});
  notice.details.push_back({kChooseAProgram, {}});
  return notice;
}

// The system's error of the file call that has just failed: errno on POSIX
// systems, the thread's last error on Windows (file_io's calls there are
// Win32 calls). Read at once after the call, before anything else can
// change it; a call that refused without a system error leaves it 0.
std::error_code LastSystemError() {
#if defined(_WIN32)
  return {static_cast<int>(::GetLastError()), std::system_category()};
#else
  return {errno, std::system_category()};
#endif
}

void ClearSystemError() {
#if defined(_WIN32)
  ::SetLastError(0);
#endif
  errno = 0;
}

bool IsOneOf(const std::error_code& error, std::initializer_list<std::errc> conditions) {
  for (std::errc condition : conditions) {
    if (error == condition) return true;
  }
  return false;
}

bool NotAllowed(const std::error_code& error) {
  return IsOneOf(error, {std::errc::permission_denied, std::errc::operation_not_permitted,
                         std::errc::read_only_file_system});
}

Words SystemReason(const std::error_code& error) {
  return {VK47_TEXT("システムの説明: %1 (エラー番号 %2)"), {error.message(), std::to_string(error.value())}};
}

Notice UnreadableFile(const std::filesystem::path& path, FileRead::Status status, const std::error_code& error) {
  Notice notice;
  notice.main.push_back({VK47_TEXT("ファイル %1 は開けません"), {PathText(path)}});
  if (status == FileRead::Status::kMissing) {
    notice.main.push_back({VK47_TEXT("そのファイルはありません。名前とフォルダを確かめてください。"), {}});
    notice.reason = {VK47_TEXT("ファイルがありません"), {}};
  } else if (status == FileRead::Status::kNotAFile) {
    notice.main.push_back({VK47_TEXT("これはファイルではありません (フォルダか装置です)。"), {}});
    notice.reason = {VK47_TEXT("ファイルではありません"), {}};
  } else if (NotAllowed(error)) {
    notice.main.push_back({VK47_TEXT("このファイルを読むことは許されていません。先生に知らせてください。"), {}});
    notice.reason = {VK47_TEXT("読むことが許されていません"), {}};
    notice.details.push_back({VK47_TEXT("先生へ: ファイルとそのフォルダに、このユーザーの読み取りの許可があるか確かめてください。"), {}});
  } else {
    notice.main.push_back({VK47_TEXT("ファイルを読み込めませんでした。先生に知らせてください。"), {}});
    notice.reason = {VK47_TEXT("ファイルを読み込めません"), {}};
  }
  if (status == FileRead::Status::kFailed && error) notice.details.push_back(SystemReason(error));
  return notice;
}

// ParseProgramLines; `ended_at_nul` tells that a NUL byte ended the text.
ProgramParse ParseLines(const std::vector<ProgramLine>& lines, bool ended_at_nul) {
  ProgramCodes codes = EmptyProgram();
  for (int i = 0; i < kSlotCount; ++i) {
    const auto index = static_cast<std::size_t>(i);
    if (index >= lines.size()) return Refused(ShortFile(index, ended_at_nul));
    const ProgramLine& line = lines[index];
    const std::optional<std::int32_t> value =
        line.truncated ? std::nullopt : TextToInt(line.text);
    if (!value) return Refused(NotAnInteger(index, line));
    if (*value != kEmptyCode && !StepCommandNumber(*value)) return Refused(NoStepCode(index, *value));
    codes[i] = *value;
  }
  return {codes, "", {}, {}};
}

}  // namespace

ProgramParse ParseProgramLines(const std::vector<ProgramLine>& lines) { return ParseLines(lines, false); }

ProgramParse ParseProgramText(std::string_view content) {
  return ParseProgramStart(content, true);
}

ProgramParse ReadProgramFile(const std::filesystem::path& path) {
  ClearSystemError();
  const FileRead file = ReadRegularFile(path, kMaxProgramFileBytes);
  const std::error_code error = file.status == FileRead::Status::kFailed ? LastSystemError() : std::error_code();
  if (file.status != FileRead::Status::kRead) return Refused(UnreadableFile(path, file.status, error));
  ProgramParse parse = ParseProgramStart(file.bytes, file.complete);
  if (!parse.ok()) parse.notice.details.insert(parse.notice.details.begin(), {VK47_TEXT("ファイル: %1"), {PathText(path)}});
  return parse;
}

ProgramParse ParseProgramStart(std::string_view start, bool complete) {
  ProgramLineSplitter splitter(kSlotCount);
  const bool ended_at_nul = !splitter.Feed(start) && start.find('\0') != std::string_view::npos;
  if (!complete) splitter.Cut();
  const std::vector<ProgramLine> lines = splitter.Finish();
  return ParseLines(lines, ended_at_nul && lines.size() < kSlotCount);
}

namespace {

Notice SaveFailure(const std::filesystem::path& path, const FileWrite& write) {
  namespace fs = std::filesystem;
  Notice notice;
  // The first line is always the same; why a checked write refused (a link
  // it would not follow) is told to the teacher in the details.
  notice.main.push_back(CreateFailureWords(path));
  const std::error_code& error = write.error;
  std::error_code ignored;
  const fs::path folder = path.has_parent_path() ? path.parent_path() : fs::path(".");
  if (write.status == WriteStatus::kUnsafeLink || write.status == WriteStatus::kSameAsInput) {
    notice.main.push_back({VK47_TEXT("ここには保存できません。先生に知らせてください。"), {}});
    notice.reason = {VK47_TEXT("ここには保存できません"), {}};
    notice.details.push_back(WriteFailureWords(path, write));
  } else if (fs::is_directory(path, ignored) || error == std::errc::is_a_directory) {
    notice.main.push_back({VK47_TEXT("同じ名前のフォルダがあります。"), {}});
    notice.reason = {VK47_TEXT("同じ名前のフォルダがあります"), {}};
  } else if (IsOneOf(error, {std::errc::no_such_file_or_directory, std::errc::not_a_directory}) ||
             (!error && !fs::is_directory(folder, ignored))) {
    notice.main.push_back({VK47_TEXT("保存先のフォルダがありません。"), {}});
    notice.reason = {VK47_TEXT("フォルダがありません"), {}};
  } else if (IsOneOf(error, {std::errc::no_space_on_device})
#if defined(EDQUOT)
             || error.value() == EDQUOT
#endif
  ) {
    notice.main.push_back({VK47_TEXT("ディスクがいっぱいです。"), {}});
    notice.reason = {VK47_TEXT("ディスクがいっぱいです"), {}};
  } else if (error == std::errc::filename_too_long) {
    notice.main.push_back({VK47_TEXT("ファイルの名前が長すぎます。"), {}});
    notice.reason = {VK47_TEXT("名前が長すぎます"), {}};
  } else if (NotAllowed(error) || !error) {
    // A refusal without a system error is file_io's own: a file nobody may
    // write, one this user may not write, or no regular file.
    notice.main.push_back({VK47_TEXT("ここに書き込むことは許されていません。"), {}});
    notice.reason = {VK47_TEXT("書き込みが許されていません"), {}};
  } else {
    notice.main.push_back({VK47_TEXT("ファイルを書き込めませんでした。"), {}});
    notice.reason = {VK47_TEXT("書き込めませんでした"), {}};
  }
  notice.main.push_back({VK47_TEXT("別の名前にするか、別のフォルダ (ドキュメントなど) に保存してください。"), {}});
  if (error) notice.details.push_back(SystemReason(error));
  return notice;
}

}  // namespace

Notice SaveProgramFile(const std::filesystem::path& path, const ProgramCodes& codes) {
  const FileWrite write = WriteFileChecked(path, ProgramFileText(codes));
  if (write) return {};
  return SaveFailure(path, write);
}

Words CreateFailureWords(const std::filesystem::path& path) {
  return {VK47_TEXT("ファイル %1 を作成できません"), {PathText(path)}};
}

}  // namespace vk47
