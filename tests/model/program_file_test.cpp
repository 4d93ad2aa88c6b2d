#include "model/program_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#if !defined(_WIN32)
#include <sys/stat.h>
#endif

#include "model/demo_program.h"
#include "model/listing.h"
#include "tests/model/save_outcome.h"

namespace vk47 {
namespace {

using testing::SavedOrFirstLine;

namespace fs = std::filesystem;

const ProgramCodes kDemo = {36, 4, 84, 4, 36, 4, 84, 4, 20, 4, 68, 4, 52, 4, 100, 4};

std::string Lines(std::initializer_list<const char*> lines, const char* eol = "\r\n") {
  std::string text;
  for (const char* line : lines) text += std::string(line) + eol;
  return text;
}

std::string Repeat(const std::string& line, int n) {
  std::string text;
  for (int i = 0; i < n; ++i) text += line;
  return text;
}

TEST(ProgramFile, WritesSixteenCrLfLines) {
  const std::string empty = ProgramFileText(EmptyProgram());
  EXPECT_EQ(empty.size(), 64u);
  EXPECT_EQ(empty, Repeat("-1\r\n", 16));
  EXPECT_EQ(ProgramFileText(kDemo),
            Lines({"36", "4", "84", "4", "36", "4", "84", "4", "20", "4", "68", "4", "52", "4",
                   "100", "4"}));
}

TEST(ProgramFile, LineBreaksOfEveryKindReadTheSame) {
  const std::string crlf = ProgramFileText(kDemo);
  const std::string lf = Lines({"36", "4", "84", "4", "36", "4", "84", "4", "20", "4", "68",
                                "4", "52", "4", "100", "4"}, "\n");
  std::string cr = lf;
  std::replace(cr.begin(), cr.end(), '\n', '\r');
  std::string mixed = "36\r4\n84\r\n4\n\r" + Repeat("4\r\n", 1);  // "\n\r" is two breaks
  for (const std::string& text : {crlf, lf, cr, crlf + "17\r\n-1\r\nabc\r\n",
                                  crlf.substr(0, crlf.size() - 2) /* no final break */}) {
    const ProgramParse parsed = ParseProgramText(text);
    ASSERT_TRUE(parsed.ok()) << parsed.error;
    EXPECT_EQ(*parsed.codes, kDemo);
  }
  const auto lines = SplitProgramLines(mixed, 100);
  ASSERT_EQ(lines.size(), 6u);
  EXPECT_EQ(lines[4].text, "");
}

TEST(ProgramFile, NulEndsTheText) {
  std::string text = Repeat("5\r\n", 15) + "6";
  text += '\0';
  text += "\r\n7\r\n";
  const ProgramParse parsed = ParseProgramText(text);
  ASSERT_TRUE(parsed.ok()) << parsed.error;
  EXPECT_EQ((*parsed.codes)[15], 6);

  std::string cut = Repeat("5\r\n", 10);
  cut += '\0';
  cut += Repeat("5\r\n", 10);
  EXPECT_EQ(ParseProgramText(cut).error, "リストのインデックスが範囲を超えています (10)");
}

TEST(ProgramFile, RefusesBadFilesWithTheirMessages) {
  struct Row { std::string text; std::string error; };
  const Row rows[] = {
      {"", "リストのインデックスが範囲を超えています (0)"},
      {Repeat("-1\r\n", 15), "リストのインデックスが範囲を超えています (15)"},
      {"1\r\nabc\r\n" + Repeat("1\r\n", 14), "'abc' は整数ではありません"},
      {"1\r\n\r\n" + Repeat("1\r\n", 14), "'' は整数ではありません"},
      {"1.5\r\n" + Repeat("1\r\n", 3), "'1.5' は整数ではありません"},
      {Repeat("1\r\n", 15) + "300\r\n", "16 行目の値 300 はロボットの命令ではありません"},
      {"112\r\n" + Repeat("1\r\n", 15), "1 行目の値 112 はロボットの命令ではありません"},
      {"-2\r\n" + Repeat("1\r\n", 15), "1 行目の値 -2 はロボットの命令ではありません"},
      // the first fault in slot order decides, as the slots would be reached
      {"abc\r\n300\r\n", "'abc' は整数ではありません"},
  };
  for (const Row& r : rows) {
    const ProgramParse parsed = ParseProgramText(r.text);
    EXPECT_FALSE(parsed.ok());
    EXPECT_EQ(parsed.error, r.error);
  }
}

TEST(ProgramFile, MinusZeroOneIsAnEmptySlotAndLongLinesAreCut) {
  const ProgramParse parsed = ParseProgramText("-01\r\n0\r\n208\r\n" + Repeat("-1\r\n", 13));
  ASSERT_TRUE(parsed.ok());
  EXPECT_EQ((*parsed.codes)[0], -1);
  EXPECT_EQ((*parsed.codes)[1], 0);
  EXPECT_EQ((*parsed.codes)[2], 208);

  const std::string huge(kMaxLineBytes * 3, '7');
  const ProgramParse refused = ParseProgramText(huge + "\r\n");
  ASSERT_FALSE(refused.ok());
  EXPECT_EQ(refused.error, "'" + std::string(64, '7') + "…' は整数ではありません");

  // Control bytes of a binary line are not passed on to a terminal or a box
  // (the file is named a binary file instead); a cut never splits a
  // multi-byte character.
  EXPECT_EQ(ParseProgramText(std::string("\x1b[2J\x07x\r\n")).error, "このファイルは文字で書かれていません (バイナリファイル)");
  const std::string wide = std::string(63, 'a') + "秒秒";
  EXPECT_EQ(ParseProgramText(wide + "\r\n").error, "'" + std::string(63, 'a') + "…' は整数ではありません");
  EXPECT_NE(refused.error.find("は整数ではありません"), std::string::npos);
}

TEST(ProgramFile, LineCapKeepsExactlyTheLimitWhole) {
  for (std::size_t length : {kMaxLineBytes - 1, kMaxLineBytes, kMaxLineBytes + 1, kMaxLineBytes + 2}) {
    SCOPED_TRACE(length);
    const bool cut = length > kMaxLineBytes;
    // Leading zeros make a line of any length an integer while it is whole.
    const std::string line = std::string(length - 1, '0') + "7";
    const auto lines = SplitProgramLines(line + "\r\n4\r\n");
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].truncated, cut);
    EXPECT_EQ(lines[0].text, line.substr(0, kMaxLineBytes));
    EXPECT_EQ(lines[1].text, "4") << "the cut line's rest is no line of its own";

    const ProgramParse parsed = ParseProgramText(line + "\r\n" + Repeat("4\r\n", 15));
    EXPECT_EQ(parsed.ok(), !cut) << parsed.error;
    if (!cut) {
      EXPECT_EQ((*parsed.codes)[0], 7);
    }
  }
}

class ProgramFileOnDisk : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("vk47-model-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
            "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override {
    fs::permissions(dir_, fs::perms::owner_all, fs::perm_options::add);
    fs::remove_all(dir_);
  }
  static std::string Slurp(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }
  fs::path dir_;
};

TEST_F(ProgramFileOnDisk, SaveThenLoadGivesTheSameProgram) {
  const std::string path = (dir_ / "demo.pt3").string();
  ASSERT_EQ(SavedOrFirstLine(path, kDemo), "");
  EXPECT_EQ(Slurp(path), ProgramFileText(kDemo));
  const ProgramParse back = ReadProgramFile(path);
  ASSERT_TRUE(back.ok()) << back.error;
  EXPECT_EQ(*back.codes, kDemo);
  // Overwriting leaves no temporary file beside it.
  ASSERT_EQ(SavedOrFirstLine(path, EmptyProgram()), "");
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 1);
}

TEST_F(ProgramFileOnDisk, FailuresNameThePathAndKeepTheOldFile) {
  const std::string missing = (dir_ / "none.pt3").string();
  EXPECT_EQ(ReadProgramFile(missing).error, "ファイル " + missing + " は開けません");

  const std::string path = (dir_ / "keep.pt3").string();
  ASSERT_EQ(SavedOrFirstLine(path, kDemo), "");
  fs::permissions(dir_, fs::perms::owner_read | fs::perms::owner_exec);
  const std::string nowhere = (dir_ / "no-such-folder" / "x.pt3").string();
  EXPECT_EQ(SavedOrFirstLine(nowhere, kDemo), "ファイル " + nowhere + " を作成できません");
  if (WriteFileAtomically((dir_ / "probe").string(), "x")) {
    GTEST_SKIP() << "running with permission to write anywhere (root)";
  }
  // A new file cannot be made in a read-only folder. (An existing writable
  // file there is rewritten in place: file_io_test.cpp.)
  const std::string fresh = (dir_ / "fresh.pt3").string();
  EXPECT_EQ(SavedOrFirstLine(fresh, EmptyProgram()), "ファイル " + fresh + " を作成できません");
  EXPECT_FALSE(fs::exists(fresh));
  EXPECT_EQ(Slurp(path), ProgramFileText(kDemo));
}

#if !defined(_WIN32)
// The permission bits of a file, or -1 when it cannot be examined.
int ModeOf(const fs::path& p) {
  struct stat st {};
  return ::stat(p.c_str(), &st) == 0 ? static_cast<int>(st.st_mode & 07777) : -1;
}

// Sets the process's umask for one scope.
class ScopedUmask {
 public:
  explicit ScopedUmask(mode_t mask) : old_(::umask(mask)) {}
  ~ScopedUmask() { ::umask(old_); }
  ScopedUmask(const ScopedUmask&) = delete;
  ScopedUmask& operator=(const ScopedUmask&) = delete;

 private:
  mode_t old_;
};

TEST_F(ProgramFileOnDisk, SaveKeepsAnExistingFilesModeAndANewFileFollowsTheUmask) {
  // A replaced file keeps its mode whatever the umask says.
  const fs::path kept = dir_ / "kept.pt3";
  for (int mode : {0600, 0640, 0604, 0666}) {
    ASSERT_EQ(SavedOrFirstLine(kept.string(), EmptyProgram()), "");
    ASSERT_EQ(::chmod(kept.c_str(), static_cast<mode_t>(mode)), 0);
    const ScopedUmask mask(077);
    ASSERT_EQ(SavedOrFirstLine(kept.string(), kDemo), "");
    EXPECT_EQ(ModeOf(kept), mode) << std::oct << mode;
    EXPECT_EQ(Slurp(kept), ProgramFileText(kDemo));
  }
  // A new file gets what the umask leaves of rw-rw-rw-.
  struct Row {
    mode_t umask;
    int mode;
  };
  for (const Row row : {Row{022, 0644}, Row{077, 0600}, Row{002, 0664}, Row{027, 0640}}) {
    const fs::path fresh = dir_ / ("new-" + std::to_string(row.umask) + ".pt3");
    const ScopedUmask mask(row.umask);
    ASSERT_EQ(SavedOrFirstLine(fresh.string(), kDemo), "");
    EXPECT_EQ(ModeOf(fresh), row.mode) << "umask " << std::oct << row.umask;
  }
}
#endif

TEST_F(ProgramFileOnDisk, HugeFileWithValidStartLoadsWithoutReadingItAll) {
  const fs::path path = dir_ / "big.pt3";
  {
    std::ofstream out(path, std::ios::binary);
    out << ProgramFileText(kDemo);
    const std::string junk(1 << 20, 'z');
    for (int i = 0; i < 8; ++i) out << junk;
  }
  const ProgramParse parsed = ReadProgramFile(path.string());
  ASSERT_TRUE(parsed.ok()) << parsed.error;
  EXPECT_EQ(*parsed.codes, kDemo);
}

TEST(DemoProgram, MatchesTheTableAndItsListing) {
  ASSERT_EQ(DemoSteps.size(), 16u);
  const ProgramParse demo = DemoProgram();
  ASSERT_TRUE(demo.ok());
  EXPECT_EQ(*demo.codes, kDemo);
  const char* numbers[] = {"2", "4", "6", "4", "2", "4", "6", "4",
                           "1", "4", "5", "4", "3", "4", "7", "4"};
  const char* names[] = {"前進", "待つ", "後退", "待つ", "前進", "待つ", "後退", "待つ",
                         "左前", "待つ", "左後", "待つ", "右前", "待つ", "右後", "待つ"};
  std::string expected;
  for (int k = 0; k < 16; ++k) {
    expected += std::to_string(k) + "\t" + std::to_string(kDemo[k]) + "\t" + numbers[k] + "\t1秒\t" +
                names[k] + "\n";
  }
  EXPECT_EQ(ProgramListing(*demo.codes), expected);
}

// Scripts cut the listing at its fourth tab: those columns must read as they
// always have, for every kind of slot; the name only ever follows them. The
// printed sheet says the same step in words.
TEST(Listing, TheFirstFourColumnsNeverChangeAndTheSheetSaysTheStep) {
  const struct {
    int code;
    const char* first_four;
    const char* name;
    const char* sheet;
  } rows[] = {
      {-1, "3\t-1\t-\t", "", ""},
      {300, "3\t300\t-\t", "", "コード 300"},
      {112, "3\t112\t-\t", "", "コード 112"},
      {0, "3\t0\t4\t0秒", "待つ", "待つ 0秒"},
      {31, "3\t31\t1\t3.75秒", "左前", "左前 3.75秒"},
      {0x24, "3\t36\t2\t1秒", "前進", "前進 1秒"},
      {0xB3, "3\t179\t24\t3回", "回数", "回数 3"},
      {0xCF, "3\t207\t25\t15へ", "ここから", "ここから → 15"},
      {0x72, "3\t114\t26\t", "左折", "左折"},
      {0x73, "3\t115\t27\t", "停止", "停止"},
      {0x71, "3\t113\t28\t", "右折", "右折"},
      {0x80, "3\t128\t29\t", "入力", "入力"},
      {0xA5, "3\t165\t30\t5へ", "飛ぶ", "飛ぶ → 5"},
      {0xA0, "3\t160\t30\t0へ", "飛ぶ", "飛ぶ → 0"},
      {0xD0, "3\t208\t31\t", "終了", "終了"},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(ListingLine(3, row.code), std::string(row.first_four) + "\t" + row.name) << row.code;
    EXPECT_EQ(Plain(StepSheetWords(row.code)), row.sheet) << row.code;
  }
}

}  // namespace
}  // namespace vk47
