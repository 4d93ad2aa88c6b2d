#include "settings/port_setting.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "settings/editor_setting.h"
#include "settings/settings_error.h"
#include "tests/settings/temp_folder.h"
#if !defined(_WIN32)
#include "tests/model/file_safety_support.h"
#endif

namespace vk47 {
namespace {

namespace fs = std::filesystem;
using test::ReadBytes;
using test::TempFolder;
using test::WriteBytes;

TEST(PortSetting, ReadsTheStoredIndex) {
  struct Row {
    const char* name;
    std::string file;  // contents of set.ini
    std::int32_t index;
  } rows[] = {
      {"stored 3", "[comport]\r\nname=3\r\n", 3},
      {"blank before the digit", "[comport]\r\nname= 3\r\n", 3},
      {"hex 0x", "[comport]\r\nname=0x2\r\n", 2},
      {"hex 0X", "[comport]\r\nname=0X1f\r\n", 31},
      {"hex $", "[comport]\r\nname=$1F\r\n", 31},
      {"negative", "[comport]\r\nname=-1\r\n", -1},
      {"letters", "[comport]\r\nname=abc\r\n", 0},
      {"bare 0x", "[comport]\r\nname=0x\r\n", 0},
      {"trailing junk", "[comport]\r\nname=2a\r\n", 0},
      {"empty value", "[comport]\r\nname=\r\n", 0},
      {"overflow", "[comport]\r\nname=2147483648\r\n", 0},
      {"smallest", "[comport]\r\nname=-2147483648\r\n", -2147483647 - 1},
      {"missing key", "[comport]\r\nother=2\r\n", 0},
      {"missing section", "[devices]\r\nname=2\r\n", 0},
      {"upper-case names", "[COMPORT]\r\nNAME=3\r\n", 3},
  };
  TempFolder dir;
  const std::string ini = dir / "set.ini";
  for (const Row& row : rows) {
    WriteBytes(ini, row.file);
    EXPECT_EQ(ReadPortIndex(ini), row.index) << row.name;
  }
  fs::remove(ini);
  EXPECT_EQ(ReadPortIndex(ini), 0) << "missing file";
  EXPECT_FALSE(fs::exists(ini)) << "reading must not create the file";
}

TEST(PortSetting, FirstWriteCreatesTwoCrLfLines) {
  TempFolder dir;
  const std::string ini = dir / "set.ini";
  WritePortIndex(ini, 2);
  EXPECT_EQ(ReadBytes(ini), "[comport]\r\nname=2\r\n");
  WritePortIndex(ini, -1);
  EXPECT_EQ(ReadBytes(ini), "[comport]\r\nname=-1\r\n");
  EXPECT_EQ(ReadPortIndex(ini), -1);
}

TEST(PortSetting, WriteKeepsTheUsersOtherEntries) {
  TempFolder dir;
  const std::string ini = dir / "set.ini";
  WriteBytes(ini, "; teacher's notes\r\n[devices]\ncom3=/dev/ttyUSB7\n\n[COMPORT]\r\n NAME = 0\r\n"
                  "speed=9600\r\n");
  WritePortIndex(ini, 3);
  EXPECT_EQ(ReadBytes(ini),
            "; teacher's notes\r\n[devices]\ncom3=/dev/ttyUSB7\n\n[COMPORT]\r\n NAME = 3\r\n"
            "speed=9600\r\n");
  EXPECT_EQ(ReadPortIndex(ini), 3);
}

// Throws unless the write fails with the message that names the file.
void ExpectWriteFailure(const std::string& ini, const char* why) {
  try {
    WritePortIndex(ini, 1);
    ADD_FAILURE() << why << ": no error";
  } catch (const SettingsError& e) {
    EXPECT_EQ(std::string(e.what()), ini + " に書き込めません") << why;
  }
}

// Failures that stop every user, root included; nothing there before is lost.
TEST(PortSetting, FailedWriteThrowsWithThePath) {
  TempFolder dir;
  const std::string folder_in_place = dir / "as-folder.ini";
  fs::create_directory(folder_in_place);
  WriteBytes(folder_in_place + "/inside", "kept");
  ExpectWriteFailure(folder_in_place, "folder in place of the file");
  EXPECT_EQ(ReadBytes(folder_in_place + "/inside"), "kept");

  ExpectWriteFailure(dir / "missing/set.ini", "missing parent folder");
  EXPECT_FALSE(fs::exists(dir / "missing"));
}

#if !defined(_WIN32)
// A read-only folder takes no new set.ini (and no lock or temporary file).
// A set.ini already there is written in place: settings_file_safety_test.cpp.
TEST(PortSetting, ReadOnlyFolderTakesNoNewFile) {
  TempFolder dir;
  const std::string locked = dir / "locked";
  fs::create_directory(locked);
  const std::string failure = test::RunUnprivileged({dir.path(), locked}, [&]() -> std::string {
    fs::permissions(locked, fs::perms::owner_read | fs::perms::owner_exec);
    try {
      WritePortIndex(locked + "/set.ini", 2);
      return "a set.ini was written into a read-only folder";
    } catch (const SettingsError& e) {
      if (std::string(e.what()) != locked + "/set.ini に書き込めません") return e.what();
    }
    if (!fs::is_empty(locked)) return "something was left in the folder";
    return "";
  });
  EXPECT_EQ(failure, "");
}
#endif

TEST(PortSetting, PortNameForIndex) {
  const std::pair<std::int32_t, std::optional<std::string>> rows[] = {
      {-5, std::nullopt}, {-1, std::nullopt}, {0, "com1"}, {1, "com2"},
      {2, "com3"},        {3, "com4"},        {4, std::nullopt}, {7, std::nullopt},
  };
  for (const auto& [index, name] : rows) EXPECT_EQ(PortNameForIndex(index), name) << index;
}

// The hiragana mode is off unless a teacher or the menu switched it on; the
// menu's write keeps the rest of the file, the port choice included.
TEST(EditorSetting, KanaModeReadsOffByDefaultAndWritesInPlace) {
  TempFolder dir;
  const std::string ini = dir / "set.ini";
  const struct {
    const char* file;
    bool on;
  } rows[] = {{nullptr, false},
              {"[editor]\r\nconfirmexit=0\r\n", false},
              {"[editor]\r\nkana=1\r\n", true},
              {"[EDITOR]\r\nKANA = 2\r\n", true},
              {"[editor]\r\nkana=0\r\n", false},
              {"[editor]\r\nkana=yes\r\n", false},
              {"[editor]\r\nkana=\r\n", false}};
  for (const auto& row : rows) {
    fs::remove(ini);
    if (row.file) WriteBytes(ini, row.file);
    EXPECT_EQ(ReadKanaMode(ini), row.on) << (row.file ? row.file : "no file");
  }

  WriteBytes(ini, "[comport]\r\nname=2\r\n[editor]\r\nconfirmexit=0\r\n");
  WriteKanaMode(ini, true);
  EXPECT_EQ(ReadBytes(ini), "[comport]\r\nname=2\r\n[editor]\r\nconfirmexit=0\r\nkana=1\r\n");
  EXPECT_TRUE(ReadKanaMode(ini));
  EXPECT_FALSE(ReadConfirmExit(ini));
  WriteKanaMode(ini, false);
  EXPECT_FALSE(ReadKanaMode(ini));
  EXPECT_EQ(ReadPortIndex(ini), 2);

  EXPECT_THROW(WriteKanaMode(dir / "missing/set.ini", true), SettingsError);
}

}  // namespace
}  // namespace vk47
