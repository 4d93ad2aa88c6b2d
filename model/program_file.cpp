#include "model/program_file.h"

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

namespace {

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

ProgramParse Refused(Words words) {
  ProgramParse parse;
  parse.error = Plain(words);
  parse.words = std::move(words);
  return parse;
}

}  // namespace

ProgramParse ParseProgramLines(const std::vector<ProgramLine>& lines) {
  ProgramCodes codes = EmptyProgram();
  for (int i = 0; i < kSlotCount; ++i) {
    if (static_cast<std::size_t>(i) >= lines.size()) {
      return Refused({VK47_TEXT("リストのインデックスが範囲を超えています (%1)"), {std::to_string(i)}});
    }
    const ProgramLine& line = lines[i];
    const std::optional<std::int32_t> value =
        line.truncated ? std::nullopt : TextToInt(line.text);
    if (!value) {
      return Refused({VK47_TEXT("'%1' は整数ではありません"), {QuotedLine(line)}});
    }
    if (*value != kEmptyCode && !StepCommandNumber(*value)) {
      return Refused({VK47_TEXT("%1 行目の値 %2 はロボットの命令ではありません"),
                      {std::to_string(i + 1), std::to_string(*value)}});
    }
    codes[i] = *value;
  }
  return {codes, "", {}};
}

ProgramParse ParseProgramText(std::string_view content) {
  return ParseProgramLines(SplitProgramLines(content));
}

ProgramParse ReadProgramFile(const std::filesystem::path& path) {
  const FileRead file = ReadRegularFile(path, kMaxProgramFileBytes);
  if (file.status != FileRead::Status::kRead) {
    return Refused({VK47_TEXT("ファイル %1 は開けません"), {PathText(path)}});
  }
  return ParseProgramStart(file.bytes, file.complete);
}

ProgramParse ParseProgramStart(std::string_view start, bool complete) {
  ProgramLineSplitter splitter(kSlotCount);
  splitter.Feed(start);
  if (!complete) splitter.Cut();
  return ParseProgramLines(splitter.Finish());
}

std::string WriteProgramFile(const std::filesystem::path& path, const ProgramCodes& codes) {
  if (WriteFileAtomically(path, ProgramFileText(codes))) return "";
  return Plain(CreateFailureWords(path));
}

Words CreateFailureWords(const std::filesystem::path& path) {
  return {VK47_TEXT("ファイル %1 を作成できません"), {PathText(path)}};
}

}  // namespace vk47
