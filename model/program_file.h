#pragma once
// The program file (.pt3): sixteen lines of decimal step codes, each ended by
// CR LF, "-1" for an empty slot. Reading is all-or-nothing: every one of the
// first sixteen lines is checked before a caller may change any slot.
// Pure functions and whole-file I/O (file_io.h); any thread.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/file_io.h"
#include "model/step_program.h"
#include "text/words.h"

namespace vk47 {

// Longest line text kept when reading; a longer line can be no step code and
// is reported with its first bytes, so a huge file cannot exhaust memory.
inline constexpr std::size_t kMaxLineBytes = 4096;

// At most this much of a program file is read: sixteen lines need a few dozen
// bytes, and an endless file must not keep the reader busy.
inline constexpr std::size_t kMaxProgramFileBytes = 64 * 1024;

// The file's bytes for a program: each code in decimal followed by CR LF.
std::string ProgramFileText(const ProgramCodes& codes);

// Cuts text into lines: a line ends at CR LF, CR or LF; a break at the very end
// makes no extra empty line; a NUL ends the text. At most `max_lines` lines are
// returned; each is cut to kMaxLineBytes (`truncated` marks those).
struct ProgramLine {
  std::string text;
  bool truncated = false;
};
std::vector<ProgramLine> SplitProgramLines(std::string_view content,
                                           std::size_t max_lines = kSlotCount);

// Incremental form of SplitProgramLines for reading a file chunk by chunk.
class ProgramLineSplitter {
 public:
  explicit ProgramLineSplitter(std::size_t max_lines) : max_lines_(max_lines) {}
  // Feeds more bytes; returns false once no further input can matter.
  bool Feed(std::string_view chunk);
  // The input was cut short: the line being read is incomplete, so it is
  // marked truncated rather than read as a shorter number.
  void Cut();
  // Ends the input and returns the lines.
  std::vector<ProgramLine> Finish();

 private:
  void EndLine();
  std::size_t max_lines_;
  std::vector<ProgramLine> lines_;
  ProgramLine current_;
  bool line_open_ = false;
  bool after_cr_ = false;
  bool done_ = false;
};

// The outcome of reading a program: the codes, or what to tell the user.
struct ProgramParse {
  std::optional<ProgramCodes> codes;
  std::string error;  // set when codes is empty: Plain(words)
  Words words;        // the first line of `notice`, as catalogue text and values
  // The whole story for the error box: `words` first, then one sentence a
  // pupil understands; the reason for a status line; the details (the line,
  // the value, the file, the system's reason, what to do) for a teacher.
  Notice notice;
  bool ok() const { return codes.has_value(); }
};

// Whether a line holds bytes that no text file has: a control character
// (other than a tab), DEL, or bytes that are not UTF-8. Such a line is never
// quoted in a message; the file is named a binary file instead.
bool LooksBinary(std::string_view line);

// Checks and converts the first sixteen lines. The first line of a refusal:
//  fewer lines:   "リストのインデックスが範囲を超えています (15)" (first missing index)
//  non-integer:   "'abc' は整数ではありません" (a line over 64 bytes cut with
//                 "…"); a line that LooksBinary gives
//                 "このファイルは文字で書かれていません (バイナリファイル)"
//                 and its first bytes in hexadecimal in the details
//  no step code:  "16 行目の値 300 はロボットの命令ではありません"
// A line whose value is -1 ("-1", "-01") is an empty slot.
ProgramParse ParseProgramLines(const std::vector<ProgramLine>& lines);
ProgramParse ParseProgramText(std::string_view content);

// Checks the start of a file as ReadProgramFile read it: `complete` is false
// when the file went on beyond these bytes, so that a line cut there is not
// read as a shorter number.
ProgramParse ParseProgramStart(std::string_view start, bool complete);

// Reads and checks a program file (ReadRegularFile, at most
// kMaxProgramFileBytes). A file that is missing, cannot be opened, or is no
// regular file (a FIFO, device, socket or folder) gives
// "ファイル %s は開けません" with the path, then why (no such file, a
// folder or device, not allowed to read), with the system's own text in the
// details. A file whose sixteen lines do not end within the budget gives the
// list-index or not-an-integer message. Every refusal names the file in its
// details.
ProgramParse ReadProgramFile(const std::filesystem::path& path);

// Writes a program file with WriteFileChecked (file_io.h). Returns an empty
// notice on success; otherwise "ファイル %s を作成できません" (or the write's
// own first line, file_io.h WriteFailureWords), then why in a pupil's words
// and what to do, with the system's reason in the details. The file is then
// as it was.
Notice SaveProgramFile(const std::filesystem::path& path, const ProgramCodes& codes);

Words CreateFailureWords(const std::filesystem::path& path);

}  // namespace vk47
