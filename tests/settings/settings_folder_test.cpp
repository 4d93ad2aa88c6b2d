#include "settings/settings_folder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "settings/port_setting.h"
#include "settings/settings_error.h"
#include "tests/settings/temp_folder.h"

namespace vk47 {
namespace {

namespace fs = std::filesystem;
using test::TempFolder;
using test::WriteBytes;

// Points the documents folder at `documents` for one test.
class SettingsFolder : public ::testing::Test {
 protected:
  void UseDocuments(const std::string& documents) {
    SetDocumentsFolderProvider([documents] { return documents; });
  }
  void TearDown() override { SetDocumentsFolderProvider(nullptr); }
  TempFolder dir_;
};

TEST_F(SettingsFolder, JoinsWithExactlyOneSeparator) {
  const std::pair<std::string, std::string> rows[] = {
      {"/", "/PT-36Temp/"},
      {"/home/a", "/home/a/PT-36Temp/"},
      {"/home/a/", "/home/a/PT-36Temp/"},
  };
  for (const auto& [documents, folder] : rows) {
    EXPECT_EQ(SettingsFolderPathFor(documents), folder) << documents;
  }
#if defined(_WIN32)
  // Either separator, as the documents folder uses it.
  EXPECT_EQ(SettingsFolderPathFor("C:/Users/a/Documents"), "C:/Users/a/Documents/PT-36Temp/");
  EXPECT_EQ(SettingsFolderPathFor("C:\\Users\\a"), "C:\\Users\\a\\PT-36Temp\\");
  EXPECT_EQ(SettingsFolderPathFor("C:\\Users\\a/"), "C:\\Users\\a/PT-36Temp/");
#endif
}

TEST_F(SettingsFolder, CreatesMissingParentsOnEveryCall) {
  const std::string documents = dir_ / "home/pupil/Documents";
  UseDocuments(documents + "/");
  EXPECT_EQ(SettingsFolderPath(), documents + "/PT-36Temp/");
  EXPECT_TRUE(FolderExists(documents + "/PT-36Temp"));

  fs::remove_all(dir_ / "home");
  EXPECT_EQ(SettingsFilePath(), documents + "/PT-36Temp/set.ini");
  EXPECT_TRUE(FolderExists(documents + "/PT-36Temp")) << "re-created after removal";
  EXPECT_FALSE(fs::exists(documents + "/PT-36Temp/set.ini")) << "no file without a write";
}

TEST_F(SettingsFolder, AsksTheProviderEveryTime) {
  int calls = 0;
  SetDocumentsFolderProvider([&] { return dir_ / std::to_string(++calls); });
  EXPECT_EQ(DocumentsFolderPath(), dir_ / "1");
  EXPECT_EQ(DocumentsFolderPath(), dir_ / "2");
  SetDocumentsFolderProvider([] { return std::string(); });
  EXPECT_EQ(DocumentsFolderPath(), DefaultDocumentsFolder()) << "empty answer overruled";
  EXPECT_FALSE(DocumentsFolderPath().empty());
}

TEST_F(SettingsFolder, FileInTheWayIsNotReportedAndReadsZero) {
  WriteBytes(dir_ / "PT-36Temp", "not a folder");
  UseDocuments(dir_.path());
  std::string ini;
  EXPECT_NO_THROW(ini = SettingsFilePath());
  EXPECT_EQ(ReadPortIndex(ini), 0);
  EXPECT_THROW(WritePortIndex(ini, 2), SettingsError);
}

TEST_F(SettingsFolder, CreateFolderChain) {
  try {
    CreateFolderChain("");
    ADD_FAILURE() << "empty path accepted";
  } catch (const SettingsError& e) {
    EXPECT_STREQ(e.what(), "ディレクトリを作成することができません");
  }
  EXPECT_TRUE(CreateFolderChain("/"));
  EXPECT_TRUE(CreateFolderChain(dir_.path()));
  EXPECT_TRUE(CreateFolderChain(dir_ / "a/b/c/"));
  EXPECT_TRUE(FolderExists(dir_ / "a/b/c"));

  WriteBytes(dir_ / "file", "x");
  EXPECT_FALSE(CreateFolderChain(dir_ / "file"));
  EXPECT_FALSE(CreateFolderChain(dir_ / "file/sub/deeper"));
  EXPECT_FALSE(FolderExists(dir_ / "file"));
}

#if !defined(_WIN32)
// The fallback guess when no provider is installed, with HOME and the XDG
// configuration pointed into the temporary folder.
class DefaultDocuments : public SettingsFolder {
 protected:
  void SetUp() override {
    Save("HOME", home_);
    Save("XDG_CONFIG_HOME", xdg_);
    setenv("HOME", dir_.path().c_str(), 1);
    unsetenv("XDG_CONFIG_HOME");
  }
  void TearDown() override {
    Restore("HOME", home_);
    Restore("XDG_CONFIG_HOME", xdg_);
    SettingsFolder::TearDown();
  }

 private:
  static void Save(const char* name, std::optional<std::string>& slot) {
    if (const char* v = std::getenv(name)) slot = v;
  }
  static void Restore(const char* name, const std::optional<std::string>& slot) {
    if (slot) setenv(name, slot->c_str(), 1);
    else unsetenv(name);
  }
  std::optional<std::string> home_, xdg_;
};

// The rule must not depend on what exists: the window and the tools ask at
// different moments, and one of them may be the first to create the folder.
TEST_F(DefaultDocuments, FollowsUserDirsWhetherOrNotTheFolderExists) {
  EXPECT_EQ(DefaultDocumentsFolder(), dir_ / "Documents") << "fresh home, nothing created";
  EXPECT_FALSE(fs::exists(dir_ / "Documents")) << "asking creates nothing";

  fs::create_directory(dir_ / ".config");
  const struct {
    const char* line;
    std::string expected;
  } rows[] = {
      {"XDG_DOCUMENTS_DIR=\"$HOME/ドキュメント\"", dir_ / "ドキュメント"},
      {"  XDG_DOCUMENTS_DIR=\"$HOME\"", dir_.path()},
      {"XDG_DOCUMENTS_DIR=\"$HOME/\"", dir_.path()},
      {"XDG_DOCUMENTS_DIR=\"/srv/class/docs/\"", "/srv/class/docs"},
      {"XDG_DOCUMENTS_DIR=\"relative/docs\"", dir_ / "Documents"},
      {"XDG_DOCUMENTS_DIR=\"$HOMEWORK\"", dir_ / "Documents"},
      {"XDG_DESKTOP_DIR=\"$HOME/Desktop\"", dir_ / "Documents"},
  };
  for (const auto& row : rows) {
    WriteBytes(dir_ / ".config/user-dirs.dirs", std::string("# xdg-user-dirs\n") + row.line + "\n");
    EXPECT_EQ(DefaultDocumentsFolder(), row.expected) << row.line;
  }
  WriteBytes(dir_ / ".config/user-dirs.dirs", "XDG_DOCUMENTS_DIR=\"$HOME/ドキュメント\"\n");
  EXPECT_EQ(DocumentsFolderPath(), dir_ / "ドキュメント") << "used when no provider is set";
}
#endif

}  // namespace
}  // namespace vk47
