// Program files against whatever the file system holds: reads that must not
// hang, and saves that must respect links, permissions and long names.

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "model/file_io.h"
#include "model/program_file.h"
#include "tests/model/file_safety_support.h"

namespace vk47 {
namespace {

namespace fs = std::filesystem;
using test::RunUnprivileged;
using test::Watchdog;

const ProgramCodes kDemo = {36, 4, 84, 4, 36, 4, 84, 4, 20, 4, 68, 4, 52, 4, 100, 4};

std::string Slurp(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

void Put(const fs::path& p, const std::string& bytes) {
  std::ofstream(p, std::ios::binary) << bytes;
}

int ModeOf(const fs::path& p) {
  struct stat st {};
  return ::stat(p.c_str(), &st) == 0 ? static_cast<int>(st.st_mode & 07777) : -1;
}

class FileSafety : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "vk47-files-XXXXXX").string();
    dir_ = ::mkdtemp(pattern.data());
  }
  void TearDown() override {
    std::error_code ec;
    for (const auto& entry : fs::recursive_directory_iterator(dir_, ec)) {
      if (entry.is_directory(ec)) fs::permissions(entry.path(), fs::perms::owner_all, fs::perm_options::add, ec);
    }
    fs::permissions(dir_, fs::perms::owner_all, fs::perm_options::add, ec);
    fs::remove_all(dir_, ec);
  }
  // Names in the folder other than `except`: temporary files left behind.
  std::vector<std::string> Others(const fs::path& folder, const std::string& except) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) {
      if (entry.path().filename() != except) names.push_back(entry.path().filename().string());
    }
    return names;
  }
  fs::path dir_;
};

// Every one of these would block an ordinary open or read forever (or spin on
// an endless device); each must be refused at once with the open message.
TEST_F(FileSafety, NonRegularFilesAreRefusedWithoutWaiting) {
  const fs::path fifo = dir_ / "fifo.pt3";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
  const fs::path folder = dir_ / "folder.pt3";
  fs::create_directory(folder);
  const fs::path socket_path = dir_ / "sock.pt3";
  const int sock = ::socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::snprintf(address.sun_path, sizeof address.sun_path, "%s", socket_path.c_str());
  ASSERT_EQ(::bind(sock, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  const fs::path link_to_fifo = dir_ / "link.pt3";
  fs::create_symlink(fifo, link_to_fifo);

  for (const fs::path& path : {fifo, folder, socket_path, link_to_fifo, fs::path("/dev/zero"),
                               fs::path("/dev/urandom"), fs::path("/dev/null")}) {
    const Watchdog watchdog("ReadProgramFile(" + path.string() + ")");
    EXPECT_EQ(ReadProgramFile(path).error, "ファイル " + path.string() + " は開けません");
  }
  // A save aimed at a FIFO is refused too, rather than waiting for a reader.
  {
    const Watchdog watchdog("WriteProgramFile(fifo)");
    EXPECT_EQ(WriteProgramFile(fifo, kDemo), "ファイル " + fifo.string() + " を作成できません");
    EXPECT_EQ(WriteProgramFile(folder, kDemo), "ファイル " + folder.string() + " を作成できません");
  }
  EXPECT_TRUE(fs::is_fifo(fifo));
  ::close(sock);

  // A link to a regular file is read like the file.
  Put(dir_ / "real.pt3", ProgramFileText(kDemo));
  fs::create_symlink("real.pt3", dir_ / "alias.pt3");
  const ProgramParse parsed = ReadProgramFile(dir_ / "alias.pt3");
  ASSERT_TRUE(parsed.ok()) << parsed.error;
  EXPECT_EQ(*parsed.codes, kDemo);
}

// Only kMaxProgramFileBytes are read. What lies beyond can never turn an
// incomplete line into a shorter, valid number.
TEST_F(FileSafety, ReadingStopsAtTheBudgetWithTheUsualMessages) {
  const Watchdog watchdog("budget");
  // No line break at all: the one long line is no integer.
  Put(dir_ / "endless.pt3", std::string(4 << 20, '1'));
  EXPECT_EQ(ReadProgramFile(dir_ / "endless.pt3").error,
            "'" + std::string(64, '1') + "…' は整数ではありません");

  // Sixteen lines "-000…01" of 4095 bytes each (value -1) cross the budget in
  // the last line: its start "-000…0" must not be read as 0.
  const std::string line = "-" + std::string(4093, '0') + "1";
  std::string text;
  for (int i = 0; i < 16; ++i) text += line + "\r\n";
  ASSERT_GT(text.size(), kMaxProgramFileBytes);
  Put(dir_ / "cut.pt3", text);
  const ProgramParse cut = ReadProgramFile(dir_ / "cut.pt3");
  EXPECT_FALSE(cut.ok());
  EXPECT_NE(cut.error.find("は整数ではありません"), std::string::npos) << cut.error;
  // The same lines a little shorter fit, and read as sixteen empty slots.
  const std::string shorter = "-" + std::string(4080, '0') + "1";
  text.clear();
  for (int i = 0; i < 16; ++i) text += shorter + "\r\n";
  ASSERT_LT(text.size(), kMaxProgramFileBytes);
  Put(dir_ / "fits.pt3", text);
  EXPECT_TRUE(ReadProgramFile(dir_ / "fits.pt3").ok());

  // Boundaries exactly at the budget: a file of the budget's size is whole.
  Put(dir_ / "five", "12345");
  for (const auto& [budget, complete] : {std::pair{4u, false}, {5u, true}, {6u, true}}) {
    const FileRead read = ReadRegularFile(dir_ / "five", budget);
    EXPECT_EQ(read.complete, complete) << budget;
    EXPECT_EQ(read.bytes, std::string("12345").substr(0, budget)) << budget;
  }
}

TEST_F(FileSafety, SaveThroughALinkWritesTheTargetAndKeepsTheLink) {
  fs::create_directory(dir_ / "real");
  fs::create_directory(dir_ / "links");
  const fs::path target = dir_ / "real" / "prog.pt3";
  Put(target, ProgramFileText(EmptyProgram()));
  ASSERT_EQ(::chmod(target.c_str(), 03640), 0);  // set-group-id and sticky bits too
  // A chain: a relative link to an absolute link to the file.
  fs::create_symlink(target, dir_ / "real" / "abs.pt3");
  const fs::path link = dir_ / "links" / "prog.pt3";
  fs::create_symlink("../real/abs.pt3", link);

  ASSERT_EQ(WriteProgramFile(link, kDemo), "");
  EXPECT_TRUE(fs::is_symlink(link));
  EXPECT_TRUE(fs::is_symlink(dir_ / "real" / "abs.pt3"));
  EXPECT_EQ(Slurp(target), ProgramFileText(kDemo));
  EXPECT_EQ(ModeOf(target), 03640);
  EXPECT_EQ(Others(dir_ / "real", "prog.pt3"), std::vector<std::string>{"abs.pt3"});
  EXPECT_EQ(Others(dir_ / "links", "prog.pt3"), std::vector<std::string>{});

  // A link whose target does not exist yet: the target is created.
  const fs::path dangling = dir_ / "links" / "new.pt3";
  fs::create_symlink("../real/new.pt3", dangling);
  ASSERT_EQ(WriteProgramFile(dangling, kDemo), "");
  EXPECT_TRUE(fs::is_symlink(dangling));
  EXPECT_EQ(Slurp(dir_ / "real" / "new.pt3"), ProgramFileText(kDemo));
}

// A read-only file is read-only for everyone here, root included, as the
// read-only attribute makes it on Windows.
TEST_F(FileSafety, ReadOnlyFileIsRefusedAndKept) {
  const fs::path path = dir_ / "done.pt3";
  Put(path, ProgramFileText(kDemo));
  ASSERT_EQ(::chmod(path.c_str(), 0444), 0);
  EXPECT_EQ(WriteProgramFile(path, EmptyProgram()), "ファイル " + path.string() + " を作成できません");
  EXPECT_EQ(Slurp(path), ProgramFileText(kDemo));
  EXPECT_EQ(ModeOf(path), 0444);
  EXPECT_TRUE(Others(dir_, "done.pt3").empty());
  // Through a link the same.
  fs::create_symlink(path, dir_ / "via.pt3");
  EXPECT_NE(WriteProgramFile(dir_ / "via.pt3", EmptyProgram()), "");
  EXPECT_EQ(Slurp(path), ProgramFileText(kDemo));
}

// As an ordinary user: another user's file that we may not write is left
// alone even in a folder we may write (the rename would replace it); a
// writable file in a folder that forbids new files is rewritten in place.
TEST_F(FileSafety, PermissionsOfTheFileAndTheFolderAreRespected) {
  const fs::path mine = dir_ / "mine";
  fs::create_directory(mine);
  Put(mine / "mine.pt3", ProgramFileText(EmptyProgram()));
  ::chmod((mine / "mine.pt3").c_str(), 0664);
  const fs::path others = dir_ / "others.pt3";
  Put(others, ProgramFileText(kDemo));
  const bool privileged = test::Privileged();
  const std::string failure = RunUnprivileged({dir_, mine, mine / "mine.pt3"}, [&]() -> std::string {
    if (::chmod(mine.c_str(), 0555) != 0) return "chmod";
    if (WriteProgramFile(mine / "mine.pt3", kDemo) != "") return "in-place save failed";
    if (Slurp(mine / "mine.pt3") != ProgramFileText(kDemo)) return "in-place save wrote wrong bytes";
    if (ModeOf(mine / "mine.pt3") != 0664) return "in-place save changed the mode";
    if (WriteProgramFile(mine / "new.pt3", kDemo) == "") return "a new file appeared in a read-only folder";
    return "";
  });
  EXPECT_EQ(failure, "");
  if (!privileged) GTEST_SKIP() << "another user's file needs root to set up";
  // The folder is nobody's, the file root's and writable by root only.
  ASSERT_EQ(::chmod(others.c_str(), 0644), 0);
  EXPECT_EQ(RunUnprivileged({dir_}, [&]() -> std::string {
              if (WriteProgramFile(others, EmptyProgram()) != "ファイル " + others.string() + " を作成できません") {
                return "another user's file was replaced";
              }
              return "";
            }),
            "");
  EXPECT_EQ(Slurp(others), ProgramFileText(kDemo));
}

// Root run with a pupil's HOME must not write through the pupil's link into
// a third account's file: a link is followed by root only when root or the
// target's owner (the folder's, for a new file) owns it.
TEST_F(FileSafety, RootFollowsOnlyLinksOfTheTargetsOwner) {
  if (::geteuid() != 0) GTEST_SKIP() << "the rule holds back root only";
  constexpr uid_t kPupil = 47231, kThird = 47232;
  const fs::path third = dir_ / "third";
  fs::create_directory(third);
  ASSERT_EQ(::chown(third.c_str(), kThird, kThird), 0);
  const struct {
    const char* name;
    uid_t link_owner;
    bool target_exists;
    bool written;
  } rows[] = {
      {"pupil's link to a third's file", kPupil, true, false},
      {"pupil's link to a new file in a third's folder", kPupil, false, false},
      {"the third's own link", kThird, true, true},
      {"root's own link", 0, true, true},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    const fs::path target = third / "work.pt3", link = dir_ / "link.pt3";
    fs::remove(target);
    fs::remove(link);
    if (row.target_exists) {
      Put(target, "mine\r\n");
      ASSERT_EQ(::chown(target.c_str(), kThird, kThird), 0);
    }
    fs::create_symlink(target, link);
    ASSERT_EQ(::lchown(link.c_str(), row.link_owner, row.link_owner), 0);
    const std::string error = WriteProgramFile(link, kDemo);
    EXPECT_EQ(error.empty(), row.written) << error;
    if (!row.written) {
      EXPECT_EQ(error, "ファイル " + link.string() + " を作成できません");
      EXPECT_EQ(fs::exists(target) ? Slurp(target) : "", row.target_exists ? "mine\r\n" : "");
    }
    EXPECT_TRUE(fs::is_symlink(link));
  }
}

TEST_F(FileSafety, LongestLegalNameSavesAndLeavesNothingElse) {
  for (std::size_t length : {249u, 250u, 255u}) {
    const std::string name = std::string(length - 4, 'a') + ".pt3";
    const fs::path path = dir_ / name;
    ASSERT_EQ(WriteProgramFile(path, kDemo), "") << length;
    ASSERT_EQ(WriteProgramFile(path, EmptyProgram()), "") << length;
    EXPECT_EQ(Slurp(path), ProgramFileText(EmptyProgram()));
    EXPECT_TRUE(Others(dir_, name).empty()) << length;
    fs::remove(path);
  }
  // Japanese names, and a name that is not UTF-8 at all, work as they are.
  for (const std::string& name : {std::string("プログラム.pt3"), std::string("\xB0\xA1.pt3")}) {
    const fs::path path = PathFromText(dir_.string() + "/" + name);
    ASSERT_EQ(WriteProgramFile(path, kDemo), "");
    EXPECT_TRUE(ReadProgramFile(path).ok());
    EXPECT_EQ(PathText(path), dir_.string() + "/" + name);
  }
}

}  // namespace
}  // namespace vk47
