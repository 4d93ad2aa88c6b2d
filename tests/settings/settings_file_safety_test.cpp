// set.ini against whatever the file system holds and against other writers:
// no hang, no lost line, links and permissions respected.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include "settings/port_setting.h"
#include "settings/profile.h"
#include "settings/profile_lock.h"
#include "settings/settings_error.h"
#include "tests/model/file_safety_support.h"
#include "tests/settings/temp_folder.h"

namespace vk47 {
namespace {

namespace fs = std::filesystem;
using test::ReadBytes;
using test::RunUnprivileged;
using test::TempFolder;
using test::Watchdog;
using test::WriteBytes;

std::string WriteError(const std::string& ini, std::int32_t index) {
  try {
    WritePortIndex(ini, index);
  } catch (const SettingsError& e) {
    return e.what();
  }
  return "";
}

// A FIFO, a folder or a device as set.ini reads as the default at once and is
// never written; a FIFO swapped in is not opened for a blocking read either.
TEST(SettingsFileSafety, NonRegularSettingsFilesNeitherHangNorChange) {
  TempFolder dir;
  const std::string fifo = dir / "fifo.ini";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
  const std::string folder = dir / "folder.ini";
  fs::create_directory(folder);
  const std::string zero = dir / "zero.ini";
  fs::create_symlink("/dev/zero", zero);
  for (const std::string& ini : {fifo, folder, zero}) {
    const Watchdog watchdog("set.ini " + ini);
    EXPECT_EQ(ReadPortIndex(ini), 0) << ini;
    EXPECT_EQ(GetPrivateProfileString("comport", "name", "dflt", ini), "dflt") << ini;
    EXPECT_EQ(WriteError(ini, 2), ini + " に書き込めません");
  }
  EXPECT_TRUE(fs::is_fifo(fifo));
  EXPECT_TRUE(fs::is_symlink(zero));
}

TEST(SettingsFileSafety, WriteThroughALinkKeepsTheLinkAndTheMode) {
  TempFolder dir;
  fs::create_directory(dir / "shared");
  fs::create_directory(dir / "PT-36Temp");
  const std::string target = dir / "shared/class.ini";
  WriteBytes(target, "[comport]\nname=0\n[devices]\ncom1=/dev/ttyUSB3\n");
  ASSERT_EQ(::chmod(target.c_str(), 0664), 0);
  const std::string ini = dir / "PT-36Temp/set.ini";
  fs::create_symlink("../shared/class.ini", ini);

  WritePortIndex(ini, 2);
  EXPECT_TRUE(fs::is_symlink(ini));
  EXPECT_EQ(ReadBytes(target), "[comport]\nname=2\n[devices]\ncom1=/dev/ttyUSB3\n");
  EXPECT_EQ(fs::status(target).permissions(), static_cast<fs::perms>(0664));
  EXPECT_EQ(ReadPortIndex(ini), 2);
  // A key added through the link keeps the file's LF ends.
  ASSERT_TRUE(WritePrivateProfileString("editor", "confirmexit", "0", ini));
  EXPECT_EQ(ReadBytes(target),
            "[comport]\nname=2\n[devices]\ncom1=/dev/ttyUSB3\n[editor]\nconfirmexit=0\n");
}

// As with program files, root does not write set.ini through a link that
// someone else than the target's owner made (sudo -E with a pupil's HOME).
TEST(SettingsFileSafety, RootDoesNotWriteThroughAnotherAccountsLink) {
  if (::geteuid() != 0) GTEST_SKIP() << "the rule holds back root only";
  TempFolder dir;
  fs::create_directory(dir / "PT-36Temp");
  const std::string target = dir / "thirds.ini", ini = dir / "PT-36Temp/set.ini";
  WriteBytes(target, "[comport]\nname=0\n");
  ASSERT_EQ(::chown(target.c_str(), 47232, 47232), 0);
  fs::create_symlink(target, ini);
  ASSERT_EQ(::lchown(ini.c_str(), 47231, 47231), 0);
  EXPECT_EQ(WriteError(ini, 2), WriteFailureMessage(ini, ProfileFailure::kNotWritten));
  EXPECT_EQ(ReadBytes(target), "[comport]\nname=0\n");
}

TEST(SettingsFileSafety, ReadOnlySettingsFileIsRefusedAndKept) {
  TempFolder dir;
  const std::string ini = dir / "set.ini";
  WriteBytes(ini, "[comport]\r\nname=3\r\n");
  ASSERT_EQ(::chmod(ini.c_str(), 0444), 0);
  EXPECT_EQ(WriteError(ini, 1), ini + " に書き込めません");
  EXPECT_EQ(ReadBytes(ini), "[comport]\r\nname=3\r\n");
  EXPECT_EQ(ReadPortIndex(ini), 3);
}

// A teacher may make the folder read-only and leave set.ini writable: the
// port choice is then written in place, and nothing else appears there.
TEST(SettingsFileSafety, WritableFileInAReadOnlyFolderIsWrittenInPlace) {
  TempFolder dir;
  const fs::path folder = dir / "PT-36Temp";
  fs::create_directory(folder);
  const std::string ini = (folder / "set.ini").string();
  WriteBytes(ini, "[comport]\r\nname=3\r\n");
  const std::string failure = RunUnprivileged({dir.path(), folder, ini}, [&]() -> std::string {
    if (::chmod(folder.c_str(), 0555) != 0) return "chmod";
    const std::string error = WriteError(ini, 1);
    if (!error.empty()) return error;
    if (ReadBytes(ini) != "[comport]\r\nname=1\r\n") return "wrong contents: " + ReadBytes(ini);
    if (std::distance(fs::directory_iterator(folder), fs::directory_iterator()) != 1) {
      return "something besides set.ini appeared";
    }
    return "";
  });
  EXPECT_EQ(failure, "");
}

// Another program holding the lock for longer than the wait gets a clear
// message after that bounded wait, never a hang, and the file stays as it was.
TEST(SettingsFileSafety, ALockHeldTooLongIsAClearError) {
  TempFolder dir;
  const std::string ini = dir / "set.ini";
  WriteBytes(ini, "[comport]\r\nname=3\r\n");
  int ready[2];
  int release[2];
  ASSERT_EQ(::pipe(ready), 0);
  ASSERT_EQ(::pipe(release), 0);
  const pid_t holder = ::fork();
  ASSERT_GE(holder, 0);
  if (holder == 0) {
    const ProfileLock lock(ini);
    const char held = lock.held() ? 'y' : 'n';
    [[maybe_unused]] ssize_t n = ::write(ready[1], &held, 1);
    char c;
    n = ::read(release[0], &c, 1);  // until the test lets go
    std::_Exit(0);
  }
  char held = 0;
  ASSERT_EQ(::read(ready[0], &held, 1), 1);
  ASSERT_EQ(held, 'y');

  SetProfileLockWaitMs(300);
  {
    const Watchdog watchdog("a write against a held lock");
    EXPECT_EQ(WriteError(ini, 1),
              ini + " に書き込めません\r\n別のプログラムが書き込み中です。しばらく待ってから、もう一度試してください。");
  }
  EXPECT_EQ(ReadBytes(ini), "[comport]\r\nname=3\r\n");
  SetProfileLockWaitMs(kProfileLockWaitMs);

  ASSERT_EQ(::write(release[1], "x", 1), 1);
  int status = 0;
  ASSERT_EQ(::waitpid(holder, &status, 0), holder);
  for (int fd : {ready[0], ready[1], release[0], release[1]}) ::close(fd);
  // Once the holder has gone, the write goes through.
  EXPECT_EQ(WriteError(ini, 1), "");
  EXPECT_EQ(ReadPortIndex(ini), 1);
}

// Writers in separate processes, each adding its own key many times over at
// the same moment: with the lock, no write is lost.
TEST(SettingsFileSafety, ConcurrentWritersLoseNothing) {
  TempFolder dir;
  const std::string ini = dir / "set.ini";
  constexpr int kWriters = 4;
  constexpr int kRounds = 40;
  pid_t children[kWriters];
  for (int w = 0; w < kWriters; ++w) {
    children[w] = ::fork();
    ASSERT_GE(children[w], 0);
    if (children[w] == 0) {
      bool ok = true;
      for (int r = 0; r < kRounds; ++r) {
        ok = WritePrivateProfileString("writers", "w" + std::to_string(w) + "-" + std::to_string(r),
                                       std::to_string(r), ini) && ok;
        if (w == 0) {
          ok = WriteError(ini, r % 4).empty() && ok;  // the port dialog's write among them
        }
      }
      std::_Exit(ok ? 0 : 1);
    }
  }
  const Watchdog watchdog("concurrent writers", std::chrono::seconds(60));
  for (pid_t child : children) {
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }
  for (int w = 0; w < kWriters; ++w) {
    for (int r = 0; r < kRounds; ++r) {
      EXPECT_EQ(GetPrivateProfileString("writers", "w" + std::to_string(w) + "-" + std::to_string(r),
                                        "lost", ini),
                std::to_string(r));
    }
  }
  EXPECT_EQ(ReadPortIndex(ini), (kRounds - 1) % 4);
}

}  // namespace
}  // namespace vk47
