// Names beyond ASCII on Windows: a program file and set.ini under folders with
// Japanese names are written under exactly those names (wide names in the
// file system, not UTF-8 bytes read in the ANSI code page) and read back. The
// documents folder is given with "/" separators, as Qt gives it, and levels
// above the settings folder are missing.

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <string>
#include <vector>

#include "model/file_io.h"
#include "model/program_file.h"
#include "settings/port_setting.h"
#include "settings/settings_folder.h"

namespace vk47 {
namespace {

namespace fs = std::filesystem;

std::vector<std::wstring> NamesIn(const fs::path& folder) {
  std::vector<std::wstring> names;
  for (const fs::directory_entry& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename().wstring());
  return names;
}

struct UnicodePaths : ::testing::Test {
  fs::path base;
  void SetUp() override {
    static std::atomic<int> counter{0};
    base = fs::temp_directory_path() /
           ("vk47-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(counter++));
    fs::create_directories(base);
  }
  void TearDown() override {
    SetDocumentsFolderProvider({});
    std::error_code ignored;
    fs::remove_all(base, ignored);
  }
};

TEST_F(UnicodePaths, ProgramFileUnderAJapaneseFolder) {
  const fs::path folder = base / fs::path(u8"ロボット教室");
  fs::create_directory(folder);
  const fs::path file = folder / fs::path(u8"前進と後退.pt3");
  const ProgramCodes codes = {36, 4, 84, 4, 20, kEmptyCode, 68, 4, 52, 4, 100, 4, 36, 84, 20, 68};

  ASSERT_TRUE(SaveProgramFile(file, codes).empty());
  EXPECT_EQ(NamesIn(folder), std::vector<std::wstring>{L"前進と後退.pt3"});
  EXPECT_EQ(NamesIn(base), std::vector<std::wstring>{L"ロボット教室"});

  const ProgramParse read = ReadProgramFile(file);
  ASSERT_TRUE(read.ok()) << read.error;
  EXPECT_EQ(*read.codes, codes);
  // The window hands over names as UTF-8 text; the same file is found.
  const std::string text = PathText(file);
  EXPECT_EQ(text, reinterpret_cast<const char*>(file.u8string().c_str()));
  EXPECT_TRUE(ReadProgramFile(PathFromText(text)).ok());

  // A message names the file in UTF-8, readable in the window.
  const fs::path missing = folder / fs::path(u8"ない.pt3");
  EXPECT_NE(ReadProgramFile(missing).error.find(reinterpret_cast<const char*>(u8"ない.pt3")), std::string::npos);
}

TEST_F(UnicodePaths, SetIniUnderAJapaneseDocumentsFolderGivenWithSlashes) {
  // Three missing levels: the pupil's folder, its documents, PT-36Temp.
  const fs::path documents = base / fs::path(u8"生徒") / fs::path(u8"ドキュメント");
  std::string qt_style = PathText(documents) + "/";
  for (char& c : qt_style) {
    if (c == '\\') c = '/';
  }
  SetDocumentsFolderProvider([&] { return qt_style; });

  const std::string ini = SettingsFilePath();
  const fs::path settings = documents / "PT-36Temp";
  ASSERT_TRUE(fs::is_directory(settings)) << ini;
  EXPECT_EQ(NamesIn(base), std::vector<std::wstring>{L"生徒"});
  EXPECT_EQ(ini.find("/\\"), std::string::npos) << "one separator between the levels: " << ini;

  WritePortIndex(ini, 2);
  const std::vector<std::wstring> names = NamesIn(settings);
  EXPECT_NE(std::find(names.begin(), names.end(), L"set.ini"), names.end());
  EXPECT_EQ(ReadPortIndex(ini), 2);
  const FileRead file = ReadRegularFile(settings / "set.ini", 1024);
  EXPECT_EQ(file.bytes, "[comport]\r\nname=2\r\n");
}

}  // namespace
}  // namespace vk47
