// The window's files: the documents folder it shares with the tools, loads
// that must not hang, and saves that respect links, permissions and names.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <optional>

#include "model/program_file.h"
#include "settings/settings_folder.h"
#include "tests/model/file_safety_support.h"
#include "ui/common/FileDialogs.h"
#include "ui/Unit1.h"
#include "ui/progresbar.h"
#include "ui_test_support.h"

namespace vk47 {
namespace {

using test::Watchdog;

const ProgramCodes kDemo = {36, 4, 84, 4, 36, 4, 84, 4, 20, 4, 68, 4, 52, 4, 100, 4};

// Sets an environment variable (or removes it) for one scope.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, std::optional<QByteArray> value) : name_(name) {
    if (qEnvironmentVariableIsSet(name)) old_ = qgetenv(name);
    Set(value);
  }
  ~ScopedEnv() { Set(old_); }
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;

 private:
  void Set(const std::optional<QByteArray>& value) {
    if (value) qputenv(name_, *value);
    else qunsetenv(name_);
  }
  const char* name_;
  std::optional<QByteArray> old_;
};

// The window and the tools name one documents folder, the one the desktop's
// toolkit reports, whatever the home holds: nothing is created beforehand.
TEST(DocumentsFolder, SettingsAndTheToolkitNameTheSameFolder) {
  SetDocumentsFolderProvider({});  // what the window and the tools ask
  struct Row {
    const char* name;
    const char* user_dirs;  // nullptr: no user-dirs.dirs at all
    bool own_config_home;   // XDG_CONFIG_HOME names a folder of its own
    const char* expected;   // relative to the home, or absolute
  };
  const Row rows[] = {
      {"fresh home, no Documents", nullptr, false, "Documents"},
      {"config folder without user-dirs.dirs", nullptr, true, "Documents"},
      {"XDG = $HOME", "XDG_DOCUMENTS_DIR=\"$HOME/\"\n", false, ""},
      {"custom XDG folder", "XDG_DESKTOP_DIR=\"$HOME/Desktop\"\nXDG_DOCUMENTS_DIR=\"$HOME/Dokumente\"\n",
       false, "Dokumente"},
      {"custom config home", "XDG_DOCUMENTS_DIR=\"$HOME/ドキュメント\"\n", true, "ドキュメント"},
      {"absolute folder", "XDG_DOCUMENTS_DIR=\"/srv/class/docs\"\n", false, "/srv/class/docs"},
      {"unquoted", "XDG_DOCUMENTS_DIR=$HOME/Docs\n", false, "Docs"},
  };
  for (const Row& row : rows) {
    QTemporaryDir home;
    const QString config = home.path() + (row.own_config_home ? "/cfg" : "/.config");
    if (row.user_dirs != nullptr || row.own_config_home) QDir().mkpath(config);
    if (row.user_dirs != nullptr) {
      QFile file(config + "/user-dirs.dirs");
      ASSERT_TRUE(file.open(QIODevice::WriteOnly));
      file.write(row.user_dirs);
    }
    const ScopedEnv set_home("HOME", QFile::encodeName(home.path()));
    const ScopedEnv set_config("XDG_CONFIG_HOME",
                               row.own_config_home ? std::optional(QFile::encodeName(config)) : std::nullopt);
    const QString expected = QString::fromUtf8(row.expected).startsWith('/')
                                 ? QString::fromUtf8(row.expected)
                                 : QDir::cleanPath(home.path() + "/" + QString::fromUtf8(row.expected));
    const QString ours = QFile::decodeName(DocumentsFolderPath().c_str());
    EXPECT_EQ(ours.toStdString(), expected.toStdString()) << row.name;
    EXPECT_EQ(ours.toStdString(),
              QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation).toStdString())
        << row.name;
    EXPECT_EQ(QDir(home.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::Hidden).size(),
              row.user_dirs != nullptr || row.own_config_home ? 1 : 0)
        << row.name << ": asking created something";
  }
}

class WindowFiles : public ::testing::Test {
 protected:
  WindowFiles() {
    sandbox.WriteAllIcons();
    form1 = std::make_unique<TForm1>(sandbox.Factory());
    form2 = std::make_unique<TForm2>(form1.get());
    form1->N2Click();
  }
  ~WindowFiles() override { SetFileDialogFunction({}); }

  void Answer(const QString& name) {
    SetFileDialogFunction([name](QWidget*, TFileDialog& d) {
      d.FileName = name;
      return true;
    });
  }
  // Runs the load of `name` under a watchdog; returns the error box's text.
  QString Load(const QString& name) {
    Answer(name);
    sandbox.boxes.clear();
    const Watchdog watchdog("the window's load of " + name.toStdString());
    form1->RunCommand([this] { form1->N1Click(); });
    return sandbox.boxes.empty() ? QString() : sandbox.boxes[0].text;
  }
  QString Save(const QString& name) {
    Answer(name);
    sandbox.boxes.clear();
    form1->RunCommand([this] { form1->Save1Click(); });
    return sandbox.boxes.empty() ? QString() : sandbox.boxes[0].text;
  }
  static QByteArray Bytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
  }

  testing::UiSandbox sandbox;
  std::unique_ptr<TForm1> form1;
  std::unique_ptr<TForm2> form2;
  QTemporaryDir dir;
};

TEST_F(WindowFiles, LoadsThatWouldHangAreRefusedAndChangeNothing) {
  const QString fifo = dir.path() + "/fifo.pt3";
  ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0644), 0);
  for (const QString& path : {fifo, dir.path(), QStringLiteral("/dev/zero")}) {
    EXPECT_TRUE(Load(path).startsWith(QStringLiteral("ファイル %1 は開けません").arg(path)))
        << path.toStdString();
    EXPECT_EQ(form1->StepSlots().Program().Codes(), kDemo);
    EXPECT_FALSE(form2->isVisible());
  }
  // A file of endless digits without a line break: read within the budget.
  QFile endless(dir.path() + "/endless.pt3");
  ASSERT_TRUE(endless.open(QIODevice::WriteOnly));
  endless.write(QByteArray(8 << 20, '4'));
  endless.close();
  EXPECT_TRUE(Load(endless.fileName()).startsWith(QStringLiteral("'4444")));
  EXPECT_EQ(form1->StepSlots().Program().Codes(), kDemo);
}

TEST_F(WindowFiles, SavesRespectLinksReadOnlyFilesAndJapaneseNames) {
  const QString target = dir.path() + "/real.pt3";
  ASSERT_TRUE(QFile::link(target, dir.path() + "/link.pt3"));
  EXPECT_EQ(Save(dir.path() + "/link.pt3"), QString());
  EXPECT_TRUE(QFileInfo(dir.path() + "/link.pt3").isSymLink());
  EXPECT_EQ(Bytes(target).toStdString(), ProgramFileText(kDemo));

  const QString kept = dir.path() + "/kept.pt3";
  {
    QFile file(kept);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("-1\r\n");
  }
  ASSERT_EQ(::chmod(QFile::encodeName(kept).constData(), 0444), 0);
  EXPECT_TRUE(Save(kept).startsWith(QStringLiteral("ファイル %1 を作成できません").arg(kept)));
  EXPECT_EQ(Bytes(kept), QByteArray("-1\r\n"));

  // A Japanese name reaches the disk as the same name.
  const QString japanese = dir.path() + QStringLiteral("/プログ.pt3");
  EXPECT_EQ(Save(japanese), QString());
  EXPECT_TRUE(QDir(dir.path()).entryList().contains(QStringLiteral("プログ.pt3")));
  form1->N3Click();
  EXPECT_EQ(Load(japanese), QString());
  EXPECT_EQ(form1->StepSlots().Program().Codes(), kDemo);
}

// A FIFO in set.ini's place must not hang the window's start-up.
TEST(WindowStartup, AFifoAsTheSettingsFileReadsAsCom1) {
  testing::UiSandbox sandbox;
  sandbox.WriteAllIcons();
  QDir().mkpath(QFileInfo(sandbox.SettingsFile()).path());
  ASSERT_EQ(::mkfifo(QFile::encodeName(sandbox.SettingsFile()).constData(), 0644), 0);
  const Watchdog watchdog("start-up with a FIFO as set.ini");
  TForm1 form1(sandbox.Factory());
  EXPECT_EQ(form1.rs232c.portname, "com1");
}

}  // namespace
}  // namespace vk47
