#include "settings/settings_folder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "settings/port_setting.h"
#include "settings/settings_error.h"
#include "tests/settings/temp_folder.h"

#if !defined(_WIN32)
#include <sys/stat.h>
#include <unistd.h>

#include "tests/model/file_safety_support.h"
#endif

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
uid_t OwnerOf(const std::string& path) {
  struct stat info {};
  return ::lstat(path.c_str(), &info) == 0 ? info.st_uid : static_cast<uid_t>(-1);
}

// Root run with a pupil's HOME and no settings folder yet makes the folders
// and set.ini the pupil's, so that the pupil can still save afterwards.
TEST_F(SettingsFolder, RootWithAPupilsHomeMakesThePupilsSettingsFolder) {
  if (::geteuid() != 0) GTEST_SKIP() << "only root acts for another account";
  const std::string home = dir_ / "pupil";
  fs::create_directory(home);
  ASSERT_EQ(::chmod(dir_.path().c_str(), 0755), 0);
  ASSERT_EQ(::chown(home.c_str(), test::kNobody, test::kNobody), 0);
  UseDocuments(home + "/Documents");
  const std::string ini = SettingsFilePath();
  WritePortIndex(ini, 2);
  for (const std::string& made : {home + "/Documents", home + "/Documents/PT-36Temp", ini}) {
    EXPECT_EQ(OwnerOf(made), test::kNobody) << made;
  }
  EXPECT_EQ(test::RunUnprivileged({}, [&]() -> std::string {
              try {
                WritePortIndex(ini, 3);
              } catch (const SettingsError& e) {
                return std::string("the pupil cannot save: ") + e.what();
              }
              return ReadPortIndex(ini) == 3 ? "" : "the pupil's setting was not kept";
            }),
            "");
}

// A link in a folder of the path (not only the last name) that the pupil
// made to another account's settings is not followed by root; nothing is
// made or changed there.
TEST_F(SettingsFolder, RootWithAPupilsHomeDoesNotFollowThePupilsLinkToAnotherAccount) {
  if (::geteuid() != 0) GTEST_SKIP() << "the rule holds back root only";
  constexpr uid_t kPupil = 47231, kOther = 47232;
  const std::string home = dir_ / "pupil", other = dir_ / "other/Documents/PT-36Temp";
  fs::create_directories(home + "/Documents");
  fs::create_directories(other);
  for (const std::string& p : {home, home + "/Documents"}) ASSERT_EQ(::chown(p.c_str(), kPupil, kPupil), 0);
  for (const std::string& p : {dir_ / "other", dir_ / "other/Documents", other}) {
    ASSERT_EQ(::chown(p.c_str(), kOther, kOther), 0);
  }
  WriteBytes(other + "/set.ini", "[comport]\r\nname=0\r\n");
  ASSERT_EQ(::chown((other + "/set.ini").c_str(), kOther, kOther), 0);
  fs::create_symlink(other, home + "/Documents/PT-36Temp");
  ASSERT_EQ(::lchown((home + "/Documents/PT-36Temp").c_str(), kPupil, kPupil), 0);
  UseDocuments(home + "/Documents");
  EXPECT_THROW(WritePortIndex(SettingsFilePath(), 2), SettingsError);
  EXPECT_EQ(test::ReadBytes(other + "/set.ini"), "[comport]\r\nname=0\r\n");
  EXPECT_EQ(OwnerOf(other + "/set.ini"), kOther);
  EXPECT_FALSE(fs::exists(other + "/set.ini.lock")) << "no lock file made there either";
  // One folder higher: Documents itself leads to the other account's.
  fs::remove(home + "/Documents/PT-36Temp");
  fs::remove(home + "/Documents");
  fs::create_symlink(dir_ / "other/Documents", home + "/Documents");
  ASSERT_EQ(::lchown((home + "/Documents").c_str(), kPupil, kPupil), 0);
  EXPECT_THROW(WritePortIndex(SettingsFilePath(), 2), SettingsError);
  EXPECT_EQ(test::ReadBytes(other + "/set.ini"), "[comport]\r\nname=0\r\n");
}
#endif

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

// Root run with a pupil's HOME takes a documents folder from the pupil's
// user-dirs.dirs only when it is the pupil's: a pupil cannot make root create
// settings in a folder only root may enter, nor in another account's.
TEST_F(DefaultDocuments, RootWithAPupilsHomeTakesOnlyThePupilsDocumentsFolder) {
  if (::geteuid() != 0) GTEST_SKIP() << "only root acts for another account";
  constexpr uid_t kOther = 47232;
  ASSERT_EQ(::chown(dir_.path().c_str(), test::kNobody, test::kNobody), 0);
  fs::create_directory(dir_ / ".config");
  fs::create_directories(dir_ / "root-only/docs");
  ASSERT_EQ(::chmod((dir_ / "root-only").c_str(), 0700), 0);
  fs::create_directory(dir_ / "others");
  ASSERT_EQ(::chown((dir_ / "others").c_str(), kOther, kOther), 0);
  fs::create_directory(dir_ / "shared");
  ASSERT_EQ(::chown((dir_ / "shared").c_str(), test::kNobody, test::kNobody), 0);
  const struct {
    std::string value, expected;
  } rows[] = {
      {dir_ / "root-only/docs", dir_ / "Documents"},
      {dir_ / "root-only/new/deeper", dir_ / "Documents"},
      {"$HOME/../" + fs::path(dir_.path()).filename().string() + "/root-only/docs", dir_ / "Documents"},
      {dir_ / "others", dir_ / "Documents"},
      {"$HOME/ドキュメント", dir_ / "ドキュメント"},  // missing: the home above it is the pupil's
      {dir_ / "shared", dir_ / "shared"},
  };
  for (const auto& row : rows) {
    WriteBytes(dir_ / ".config/user-dirs.dirs", "XDG_DOCUMENTS_DIR=\"" + row.value + "\"\n");
    EXPECT_EQ(DefaultDocumentsFolder(), row.expected) << row.value;
  }
  WriteBytes(dir_ / ".config/user-dirs.dirs", "XDG_DOCUMENTS_DIR=\"" + (dir_ / "root-only/docs") + "\"\n");
  WritePortIndex(SettingsFilePath(), 2);
  EXPECT_TRUE(fs::is_empty(dir_ / "root-only/docs"));
  EXPECT_EQ(OwnerOf(dir_ / "Documents/PT-36Temp/set.ini"), test::kNobody);
  // Root's own HOME is root's to point anywhere.
  ASSERT_EQ(::chown(dir_.path().c_str(), 0, 0), 0);
  EXPECT_EQ(DefaultDocumentsFolder(), dir_ / "root-only/docs");
}
#endif

}  // namespace
}  // namespace vk47
