// What a refused load or save tells: the fixed first line, the pupil's
// sentence, the status line's reason and the teacher's details, for a short,
// a text, a binary, an unreadable and an unsaveable file.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>
#include <vector>

#if !defined(_WIN32)
#include <cerrno>
#include <unistd.h>
#endif

#include "model/program_file.h"
#include "tests/model/save_outcome.h"

namespace vk47 {
namespace {

using testing::SavedOrFirstLine;

namespace fs = std::filesystem;

std::vector<std::string> Lines(const std::vector<Words>& words) {
  std::vector<std::string> lines;
  for (const Words& line : words) lines.push_back(Plain(line));
  return lines;
}

std::string Repeat(const std::string& line, int n) {
  std::string text;
  for (int i = 0; i < n; ++i) text += line;
  return text;
}

bool Contains(const std::vector<std::string>& lines, const std::string& part) {
  for (const std::string& line : lines) {
    if (line.find(part) != std::string::npos) return true;
  }
  return false;
}

TEST(ProgramFileNotice, ShortFilesSayHowManyLinesTheyHave) {
  const ProgramParse three = ParseProgramText("4\r\n4\r\n4\r\n");
  ASSERT_FALSE(three.ok());
  EXPECT_EQ(Lines(three.notice.main),
            (std::vector<std::string>{"リストのインデックスが範囲を超えています (3)",
                                      "ファイルが短すぎます (3 行しかありません)。"}));
  EXPECT_EQ(three.error, "リストのインデックスが範囲を超えています (3)") << "the first line stays the one text";
  EXPECT_EQ(Plain(three.notice.reason), "ファイルが短すぎます");
  EXPECT_TRUE(Contains(Lines(three.notice.details), "16 行"));

  const ProgramParse empty = ParseProgramText("");
  EXPECT_EQ(Lines(empty.notice.main)[1], "ファイルが空です。");

  // A NUL ends the text; the teacher is told where.
  const ProgramParse cut = ParseProgramText(Repeat("4\r\n", 10) + std::string(1, '\0') + Repeat("4\r\n", 10));
  EXPECT_EQ(cut.error, "リストのインデックスが範囲を超えています (10)");
  EXPECT_TRUE(Contains(Lines(cut.notice.details), "11 行目に文字ではないバイト (00)"));
}

TEST(ProgramFileNotice, TextFilesAreNoProgramAndABadLineIsNamed) {
  const ProgramParse text = ParseProgramText("こんにちは\r\nせかい\r\n");
  EXPECT_EQ(Lines(text.notice.main), (std::vector<std::string>{"'こんにちは' は整数ではありません",
                                                               "このファイルはロボットのプログラムではありません。"}));
  EXPECT_EQ(Plain(text.notice.reason), "ロボットのプログラムではありません");
  EXPECT_TRUE(Contains(Lines(text.notice.details), "1 行目: 'こんにちは'"));

  // One bad line in an otherwise good file is a broken file, named by its line.
  const ProgramParse broken = ParseProgramText(Repeat("4\r\n", 4) + "four\r\n" + Repeat("4\r\n", 11));
  EXPECT_EQ(Lines(broken.notice.main)[1], "5 行目が数ではありません。ファイルがこわれているかもしれません。");
  EXPECT_EQ(Plain(broken.notice.reason), "5 行目が数ではありません");

  const ProgramParse code = ParseProgramText(Repeat("4\r\n", 15) + "300\r\n");
  EXPECT_EQ(code.error, "16 行目の値 300 はロボットの命令ではありません");
  EXPECT_EQ(code.notice.main.size(), 2u);
}

TEST(ProgramFileNotice, BinaryFilesAreNamedAndTheirBytesShownOnlyInHex) {
  // A picture's header, a line of control bytes, bytes that are no UTF-8.
  const std::string png("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16);
  for (const std::string& bytes : {png, std::string("\x01\x02\xff\xfe"), std::string("\x1b[2J\r\n")}) {
    const ProgramParse parse = ParseProgramText(bytes);
    ASSERT_FALSE(parse.ok());
    EXPECT_EQ(Lines(parse.notice.main),
              (std::vector<std::string>{"このファイルは文字で書かれていません (バイナリファイル)",
                                        "このファイルはロボットのプログラムではありません。"}));
    EXPECT_EQ(Plain(parse.notice.reason), "バイナリファイルです");
    for (const std::string& line : Lines(parse.notice.details)) EXPECT_FALSE(LooksBinary(line)) << line;
  }
  EXPECT_TRUE(Contains(Lines(ParseProgramText(png).notice.details), "1 行目のはじめのバイト (16 進数): 89 50 4E 47"));
}

TEST(ProgramFileNotice, BinaryMeansControlBytesOrBrokenUtf8) {
  for (const char* text : {"36", "\t4", "こんにちは", "ab\xc3\xa9", "\xf0\x9f\x98\x80"}) {
    EXPECT_FALSE(LooksBinary(text)) << text;
  }
  // A control byte, DEL, a lone continuation byte, a cut sequence, an
  // overlong "/", a surrogate, a C1 control (U+009B, a terminal's CSI).
  for (const char* text : {"4\x07", "\x7f", "\x80", "\xe3\x81", "\xc0\xaf", "\xed\xa0\x80", "\xc2\x9b"}) {
    EXPECT_TRUE(LooksBinary(text)) << text;
  }
}

#if !defined(_WIN32)
class ProgramFileNoticeOnDisk : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("vk47-notice-" + std::to_string(::getpid()) + "-" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override {
    std::error_code ignored;
    fs::permissions(dir_, fs::perms::owner_all, fs::perm_options::add, ignored);
    fs::remove_all(dir_, ignored);
  }
  static std::string SystemText(int error) {
    return std::error_code(error, std::system_category()).message() + " (エラー番号 " + std::to_string(error) + ")";
  }
  fs::path dir_;
};

TEST_F(ProgramFileNoticeOnDisk, UnreadableFilesSayWhyWithTheSystemsReason) {
  const fs::path missing = dir_ / "none.pt3";
  const ProgramParse none = ReadProgramFile(missing);
  EXPECT_EQ(Lines(none.notice.main), (std::vector<std::string>{"ファイル " + missing.string() + " は開けません",
                                                               "そのファイルはありません。名前とフォルダを確かめてください。"}));

  const ProgramParse folder = ReadProgramFile(dir_);
  EXPECT_EQ(Lines(folder.notice.main)[1], "これはファイルではありません (フォルダか装置です)。");

  // A loop of links cannot be opened by anyone, root included: the
  // system's own text and number are the teacher's.
  fs::create_symlink("b.pt3", dir_ / "a.pt3");
  fs::create_symlink("a.pt3", dir_ / "b.pt3");
  const ProgramParse loop = ReadProgramFile(dir_ / "a.pt3");
  EXPECT_EQ(Lines(loop.notice.main)[1], "ファイルを読み込めませんでした。先生に知らせてください。");
  EXPECT_EQ(Lines(loop.notice.details), (std::vector<std::string>{"システムの説明: " + SystemText(ELOOP)}));

  const fs::path locked = dir_ / "locked.pt3";
  std::ofstream(locked) << Repeat("4\r\n", 16);
  fs::permissions(locked, fs::perms::none);
  if (::access(locked.c_str(), R_OK) == 0) GTEST_SKIP() << "running with permission to read anything (root)";
  const ProgramParse denied = ReadProgramFile(locked);
  EXPECT_EQ(Lines(denied.notice.main)[1], "このファイルを読むことは許されていません。先生に知らせてください。");
  EXPECT_TRUE(Contains(Lines(denied.notice.details), SystemText(EACCES)));
}

TEST_F(ProgramFileNoticeOnDisk, ARefusedLoadNamesTheFileInTheDetails) {
  const fs::path path = dir_ / "hello.txt";
  std::ofstream(path) << "こんにちは\r\n";
  const ProgramParse parse = ReadProgramFile(path);
  ASSERT_FALSE(parse.notice.details.empty());
  EXPECT_EQ(Plain(parse.notice.details.front()), "ファイル: " + path.string());
}

TEST_F(ProgramFileNoticeOnDisk, FailedSavesSayWhyAndWhatToDo) {
  const ProgramCodes codes = EmptyProgram();
  const std::string advice = "別の名前にするか、別のフォルダ (ドキュメントなど) に保存してください。";
  struct Row {
    fs::path path;
    std::string why;
  };
  fs::create_directories(dir_ / "taken.pt3");
  const std::vector<Row> rows = {
      {dir_ / "no-such-folder" / "x.pt3", "保存先のフォルダがありません。"},
      {dir_ / "taken.pt3", "同じ名前のフォルダがあります。"},
      {dir_ / (std::string(300, 'a') + ".pt3"), "ファイルの名前が長すぎます。"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.path.string());
    const Notice notice = SaveProgramFile(row.path, codes);
    EXPECT_EQ(Lines(notice.main),
              (std::vector<std::string>{"ファイル " + row.path.string() + " を作成できません", row.why, advice}));
    EXPECT_EQ(SavedOrFirstLine(row.path, codes), "ファイル " + row.path.string() + " を作成できません");
  }
  EXPECT_TRUE(Contains(Lines(SaveProgramFile(rows[2].path, codes).details), SystemText(ENAMETOOLONG)));

  // A file nobody may write is refused even for root, with no system error.
  const fs::path read_only = dir_ / "read-only.pt3";
  std::ofstream(read_only) << Repeat("-1\r\n", 16);
  fs::permissions(read_only, fs::perms::owner_read);
  const Notice refused = SaveProgramFile(read_only, codes);
  EXPECT_EQ(Lines(refused.main)[1], "ここに書き込むことは許されていません。");
  EXPECT_EQ(Plain(refused.reason), "書き込みが許されていません");

  EXPECT_TRUE(SaveProgramFile(dir_ / "fine.pt3", codes).empty());
}
#endif

}  // namespace
}  // namespace vk47
