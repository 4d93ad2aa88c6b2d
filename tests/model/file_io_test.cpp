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
#include "tests/model/save_outcome.h"

namespace vk47 {
namespace {

using testing::SavedOrFirstLine;

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
    const Watchdog watchdog("SavedOrFirstLine(fifo)");
    EXPECT_EQ(SavedOrFirstLine(fifo, kDemo), "ファイル " + fifo.string() + " を作成できません");
    EXPECT_EQ(SavedOrFirstLine(folder, kDemo), "ファイル " + folder.string() + " を作成できません");
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

  ASSERT_EQ(SavedOrFirstLine(link, kDemo), "");
  EXPECT_TRUE(fs::is_symlink(link));
  EXPECT_TRUE(fs::is_symlink(dir_ / "real" / "abs.pt3"));
  EXPECT_EQ(Slurp(target), ProgramFileText(kDemo));
  EXPECT_EQ(ModeOf(target), 03640);
  EXPECT_EQ(Others(dir_ / "real", "prog.pt3"), std::vector<std::string>{"abs.pt3"});
  EXPECT_EQ(Others(dir_ / "links", "prog.pt3"), std::vector<std::string>{});

  // A link whose target does not exist yet: the target is created.
  const fs::path dangling = dir_ / "links" / "new.pt3";
  fs::create_symlink("../real/new.pt3", dangling);
  ASSERT_EQ(SavedOrFirstLine(dangling, kDemo), "");
  EXPECT_TRUE(fs::is_symlink(dangling));
  EXPECT_EQ(Slurp(dir_ / "real" / "new.pt3"), ProgramFileText(kDemo));
}

// A read-only file is read-only for everyone here, root included, as the
// read-only attribute makes it on Windows.
TEST_F(FileSafety, ReadOnlyFileIsRefusedAndKept) {
  const fs::path path = dir_ / "done.pt3";
  Put(path, ProgramFileText(kDemo));
  ASSERT_EQ(::chmod(path.c_str(), 0444), 0);
  EXPECT_EQ(SavedOrFirstLine(path, EmptyProgram()), "ファイル " + path.string() + " を作成できません");
  EXPECT_EQ(Slurp(path), ProgramFileText(kDemo));
  EXPECT_EQ(ModeOf(path), 0444);
  EXPECT_TRUE(Others(dir_, "done.pt3").empty());
  // Through a link the same.
  fs::create_symlink(path, dir_ / "via.pt3");
  EXPECT_NE(SavedOrFirstLine(dir_ / "via.pt3", EmptyProgram()), "");
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
    if (SavedOrFirstLine(mine / "mine.pt3", kDemo) != "") return "in-place save failed";
    if (Slurp(mine / "mine.pt3") != ProgramFileText(kDemo)) return "in-place save wrote wrong bytes";
    if (ModeOf(mine / "mine.pt3") != 0664) return "in-place save changed the mode";
    if (SavedOrFirstLine(mine / "new.pt3", kDemo) == "") return "a new file appeared in a read-only folder";
    return "";
  });
  EXPECT_EQ(failure, "");
  if (!privileged) GTEST_SKIP() << "another user's file needs root to set up";
  // The folder is nobody's, the file root's and writable by root only.
  ASSERT_EQ(::chmod(others.c_str(), 0644), 0);
  EXPECT_EQ(RunUnprivileged({dir_}, [&]() -> std::string {
              if (SavedOrFirstLine(others, EmptyProgram()) != "ファイル " + others.string() + " を作成できません") {
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
    const std::string error = SavedOrFirstLine(link, kDemo);
    EXPECT_EQ(error.empty(), row.written) << error;
    if (!row.written) {
      EXPECT_EQ(error, "ファイル " + link.string() + " を作成できません");
      EXPECT_EQ(fs::exists(target) ? Slurp(target) : "", row.target_exists ? "mine\r\n" : "");
    }
    EXPECT_TRUE(fs::is_symlink(link));
  }
}

uid_t OwnerOf(const fs::path& p) {
  struct stat st {};
  return ::lstat(p.c_str(), &st) == 0 ? st.st_uid : static_cast<uid_t>(-1);
}

gid_t GroupOf(const fs::path& p) {
  struct stat st {};
  return ::lstat(p.c_str(), &st) == 0 ? st.st_gid : static_cast<gid_t>(-1);
}

// A link that someone else planted in a folder like /tmp (sticky, writable by
// everyone) is not followed, in any folder of the path and by root too, as
// the kernel's protected_symlinks rule would have it; the writer's own links
// there, and the folder owner's, are.
TEST_F(FileSafety, LinkPlantedInASharedStickyFolderIsNotFollowed) {
  if (!test::Privileged()) GTEST_SKIP() << "another account's link needs root to set up";
  constexpr uid_t kIntruder = 47241;
  const fs::path shared = dir_ / "tmp", pupil = dir_ / "pupil", important = pupil / "important.txt";
  fs::create_directory(shared);
  fs::create_directory(pupil);
  ASSERT_EQ(::chmod(shared.c_str(), 01777), 0);
  ASSERT_EQ(::chmod(dir_.c_str(), 0755), 0);
  Put(important, "keep me\n");
  auto plant = [](const fs::path& target, const fs::path& link, uid_t owner) {
    fs::create_symlink(target, link);
    return ::lchown(link.c_str(), owner, owner) == 0;
  };
  ASSERT_TRUE(plant(important, shared / "x.pt3", kIntruder));
  ASSERT_TRUE(plant(pupil, shared / "folder", kIntruder));
  ASSERT_TRUE(plant(important, shared / "mine.pt3", test::kNobody));
  ASSERT_TRUE(plant(pupil / "from-root.pt3", shared / "roots.pt3", 0));

  // As the pupil ("nobody"), who owns the file the links lead to.
  EXPECT_EQ(RunUnprivileged({pupil, important}, [&]() -> std::string {
              for (const fs::path& path : {shared / "x.pt3", shared / "folder" / "important.txt"}) {
                const FileWrite write = WriteFileChecked(path, "overwritten\n");
                if (write.status != WriteStatus::kUnsafeLink) return path.string() + " was not refused as a link";
                const fs::path link = path.parent_path() == shared ? path : shared / "folder";
                if (write.link != link) return "the refusal names " + write.link.string();
                if (Slurp(important) != "keep me\n") return path.string() + " overwrote the pupil's file";
                if (Plain(WriteFailureWords(path, write)) !=
                    "ファイル " + path.string() + " を作成できません。" + link.string() +
                        " は別のユーザーが置いたシンボリックリンクなので、たどりません") {
                  return "message: " + Plain(WriteFailureWords(path, write));
                }
                if (SavedOrFirstLine(path, kDemo).empty()) return "a program was saved through " + path.string();
              }
              if (Others(shared, "").size() != 4 || !Others(pupil, "important.txt").empty()) {
                return "the refused writes left something behind";
              }
              if (!WriteFileAtomically(shared / "mine.pt3", "mine\n")) return "the pupil's own link was refused";
              if (Slurp(important) != "mine\n") return "the pupil's own link did not reach the file";
              if (!WriteFileAtomically(shared / "roots.pt3", "via root\n")) return "the folder owner's link was refused";
              return "";
            }),
            "");
  EXPECT_TRUE(fs::is_symlink(shared / "x.pt3"));
  // Root is held back by the same rule.
  Put(important, "keep me\n");
  EXPECT_EQ(WriteFileChecked(shared / "x.pt3", "root\n").status, WriteStatus::kUnsafeLink);
  EXPECT_FALSE(LinksMayBeFollowed(shared / "folder" / "important.txt"));
  EXPECT_EQ(Slurp(important), "keep me\n");
}

// Root run with a pupil's HOME: a pupil's link in any folder of the path,
// not only the last name, leads neither into a third account's folder nor
// into root's own; a new folder is not made there either.
TEST_F(FileSafety, RootChecksTheLinksInEveryFolderOfThePath) {
  if (::geteuid() != 0) GTEST_SKIP() << "the rule holds back root only";
  constexpr uid_t kPupil = 47231, kThird = 47232;
  const fs::path home = dir_ / "pupil", third = dir_ / "third" / "PT-36Temp", root_only = dir_ / "root-only";
  fs::create_directories(home / "Documents");
  fs::create_directories(third);
  fs::create_directory(root_only);
  ASSERT_EQ(::chmod(root_only.c_str(), 0700), 0);
  for (const fs::path& p : {home, home / "Documents"}) ASSERT_EQ(::chown(p.c_str(), kPupil, kPupil), 0);
  for (const fs::path& p : {third.parent_path(), third}) ASSERT_EQ(::chown(p.c_str(), kThird, kThird), 0);
  Put(third / "set.ini", "[comport]\r\nname=1\r\n");
  ASSERT_EQ(::chown((third / "set.ini").c_str(), kThird, kThird), 0);

  const struct {
    const char* name;
    fs::path link, target, write;
    uid_t owner;
    bool written;
  } rows[] = {
      {"pupil's PT-36Temp leads to a third's", home / "Documents" / "PT-36Temp", third,
       home / "Documents" / "PT-36Temp" / "set.ini", kPupil, false},
      {"pupil's Documents leads to a third's", home / "Docs", third.parent_path(), home / "Docs" / "PT-36Temp" / "set.ini",
       kPupil, false},
      {"pupil's link to a new file in a third's folder", home / "Docs", third.parent_path(),
       home / "Docs" / "PT-36Temp" / "new.pt3", kPupil, false},
      {"pupil's Documents leads into root's folder", home / "Docs", root_only, home / "Docs" / "lesson.pdf", kPupil,
       false},
      {"the third's own link", home / "Docs", third.parent_path(), home / "Docs" / "PT-36Temp" / "set.ini", kThird,
       true},
      {"root's own link", home / "Docs", root_only, home / "Docs" / "lesson.pdf", 0, true},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    fs::remove(row.link);
    fs::create_symlink(row.target, row.link);
    ASSERT_EQ(::lchown(row.link.c_str(), row.owner, row.owner), 0);
    const bool existed = fs::exists(row.write);
    const std::string before = existed ? Slurp(row.write) : "";
    const FileWrite write = WriteFileChecked(row.write, "written\n");
    EXPECT_EQ(static_cast<bool>(write), row.written);
    EXPECT_EQ(LinksMayBeFollowed(row.write), row.written);
    if (row.written) {
      EXPECT_EQ(Slurp(row.write), "written\n");
      if (existed) Put(row.write, before);
      else fs::remove(row.write);
    } else {
      EXPECT_EQ(write.status, WriteStatus::kUnsafeLink);
      EXPECT_EQ(write.link, row.link);
      EXPECT_EQ(fs::exists(row.write), existed);
      EXPECT_EQ(existed ? Slurp(row.write) : "", before);
    }
    EXPECT_EQ(CreateFolder(row.link / "made"), row.written);
    EXPECT_EQ(fs::exists(row.target / "made"), row.written);
    fs::remove(row.target / "made");
  }
  EXPECT_EQ(Slurp(third / "set.ini"), "[comport]\r\nname=1\r\n");
  EXPECT_TRUE(fs::is_empty(root_only));
}

// An output never replaces the file it is made from: not by the same name,
// another spelling of it, a link to it or a second name (hard link).
TEST_F(FileSafety, OutputThatIsTheInputIsRefused) {
  const fs::path program = dir_ / "x.pt3";
  Put(program, ProgramFileText(kDemo));
  fs::create_directory(dir_ / "sub");
  fs::create_symlink(program, dir_ / "link.pt3");
  fs::create_hard_link(program, dir_ / "second.pt3");
  for (const fs::path& output : {program, dir_ / "sub" / ".." / "x.pt3", dir_ / "link.pt3", dir_ / "second.pt3"}) {
    SCOPED_TRACE(output);
    for (const fs::path& input : {program, dir_ / "link.pt3"}) {
      const FileWrite write = WriteFileChecked(output, "%PDF-1.4\n", {dir_ / "other.pt3", input});
      EXPECT_EQ(write.status, WriteStatus::kSameAsInput);
      EXPECT_EQ(Plain(WriteFailureWords(output, write)),
                "ファイル " + output.string() + " は読み込んだファイルと同じなので、上書きしません");
    }
  }
  EXPECT_EQ(Slurp(program), ProgramFileText(kDemo));
  EXPECT_TRUE(Others(dir_, "x.pt3").size() == 3) << "no temporary file left";
  EXPECT_TRUE(WriteFileChecked(dir_ / "x.pdf", "%PDF-1.4\n", {program}));
  EXPECT_EQ(Slurp(dir_ / "x.pdf"), "%PDF-1.4\n");
}

// What root makes in another account's folder is that account's (and its
// folder's group), so that a pupil can go on saving where root saved for them;
// in root's own folders it stays root's; a name that is a link is never what
// changes owner.
TEST_F(FileSafety, RootGivesWhatItMakesInAnotherAccountsFolderToThatAccount) {
  if (::geteuid() != 0) GTEST_SKIP() << "only root can make files for another account";
  constexpr uid_t kPupil = 47231;
  constexpr gid_t kClass = 47299;
  const fs::path home = dir_ / "pupil";
  fs::create_directory(home);
  ASSERT_EQ(::chown(home.c_str(), kPupil, kClass), 0);

  ASSERT_TRUE(WriteFileChecked(home / "new.pt3", "x\n"));
  EXPECT_EQ(OwnerOf(home / "new.pt3"), kPupil);
  EXPECT_EQ(GroupOf(home / "new.pt3"), kClass);
  ASSERT_TRUE(CreateFolder(home / "PT-36Temp"));
  EXPECT_EQ(OwnerOf(home / "PT-36Temp"), kPupil);
  EXPECT_EQ(GroupOf(home / "PT-36Temp"), kClass);
  ASSERT_TRUE(WriteFileChecked(home / "PT-36Temp" / "set.ini", "[comport]\r\nname=1\r\n"));
  EXPECT_EQ(OwnerOf(home / "PT-36Temp" / "set.ini"), kPupil);

  ASSERT_TRUE(WriteFileChecked(dir_ / "roots.pt3", "x\n"));
  EXPECT_EQ(OwnerOf(dir_ / "roots.pt3"), 0u);
  ASSERT_TRUE(CreateFolder(dir_ / "roots"));
  EXPECT_EQ(OwnerOf(dir_ / "roots"), 0u);
  // An existing file keeps its owner.
  ASSERT_TRUE(WriteFileChecked(dir_ / "roots.pt3", "y\n"));
  EXPECT_EQ(OwnerOf(dir_ / "roots.pt3"), 0u);

  // The pupil's link to root's folder, as the name of the folder to make.
  fs::create_symlink(dir_ / "roots", home / "Documents");
  ASSERT_EQ(::lchown((home / "Documents").c_str(), kPupil, kPupil), 0);
  EXPECT_FALSE(CreateFolder(home / "Documents"));
  EXPECT_FALSE(CreateFolder(home / "Documents" / "PT-36Temp"));
  EXPECT_EQ(OwnerOf(dir_ / "roots"), 0u);
  EXPECT_TRUE(fs::is_empty(dir_ / "roots"));
}

TEST_F(FileSafety, LongestLegalNameSavesAndLeavesNothingElse) {
  for (std::size_t length : {249u, 250u, 255u}) {
    const std::string name = std::string(length - 4, 'a') + ".pt3";
    const fs::path path = dir_ / name;
    ASSERT_EQ(SavedOrFirstLine(path, kDemo), "") << length;
    ASSERT_EQ(SavedOrFirstLine(path, EmptyProgram()), "") << length;
    EXPECT_EQ(Slurp(path), ProgramFileText(EmptyProgram()));
    EXPECT_TRUE(Others(dir_, name).empty()) << length;
    fs::remove(path);
  }
  // Japanese names, and a name that is not UTF-8 at all, work as they are.
  for (const std::string& name : {std::string("プログラム.pt3"), std::string("\xB0\xA1.pt3")}) {
    const fs::path path = PathFromText(dir_.string() + "/" + name);
    ASSERT_EQ(SavedOrFirstLine(path, kDemo), "");
    EXPECT_TRUE(ReadProgramFile(path).ok());
    EXPECT_EQ(PathText(path), dir_.string() + "/" + name);
  }
}

}  // namespace
}  // namespace vk47
