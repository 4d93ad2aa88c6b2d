// The teacher's tools in the window: the sheet through ファイル > 印刷… and
// PDF に書き出す… (answered dialogs, the printer writing a PDF file), and
// 制御 > クラスに転送… holding the window's commands back while it sends to a
// robot on a pseudo-terminal.
#include <gtest/gtest.h>
#include <termios.h>

#include <QAction>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QStatusBar>
#include <QPrinter>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include "model/demo_program.h"
#include "tests/serial/pty_pair.h"
#include "ui/common/ErrorBox.h"
#include "ui/robot/ClassSendDialog.h"
#include "ui/common/FileDialogs.h"
#include "ui/Unit1.h"
#include "ui_test_support.h"

namespace vk47 {
namespace {

class Teacher : public ::testing::Test {
 protected:
  Teacher() {
    sandbox.WriteAllIcons();
    form = std::make_unique<TForm1>(sandbox.Factory());
  }
  ~Teacher() override {
    SetFileDialogFunction({});
    SetPrintDialogFunction({});
  }
  QString Path(const QString& name) const { return sandbox.ImgFolder() + QStringLiteral("/../") + name; }
  static QByteArray Head(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.read(5) : QByteArray();
  }

  testing::UiSandbox sandbox;
  std::unique_ptr<TForm1> form;
};

TEST_F(Teacher, TheSheetPrintsAndExportsFromTheFileMenu) {
  form->N2Click();
  // Untitled: the dialog starts where programs are saved, with a name.
  std::vector<TFileDialog> asked;
  const QString pdf = Path(QStringLiteral("sheet.pdf"));
  SetFileDialogFunction([&](QWidget*, TFileDialog& d) {
    asked.push_back(d);
    d.FileName = pdf;
    return true;
  });
  form->findChild<QAction*>(QStringLiteral("Pdf1"))->trigger();
  EXPECT_EQ(Head(pdf), QByteArray("%PDF-"));
  ASSERT_EQ(asked.size(), 1u);
  EXPECT_EQ(asked[0].DefaultExt, QStringLiteral("pdf"));
  EXPECT_TRUE(asked[0].InitialDir.startsWith(ProgramFileFolder())) << asked[0].InitialDir.toStdString();
  EXPECT_EQ(form->CurrentSheet().codes, *DemoProgram().codes);
  EXPECT_TRUE(form->CurrentSheet().file_name.isEmpty());

  // A PDF that cannot be written is an error box, never a false success.
  SetFileDialogFunction([&](QWidget*, TFileDialog& d) {
    d.FileName = Path(QStringLiteral("no-such-folder/sheet.pdf"));
    return true;
  });
  form->findChild<QAction*>(QStringLiteral("Pdf1"))->trigger();
  ASSERT_EQ(sandbox.boxes.size(), 1u);
  EXPECT_TRUE(sandbox.boxes[0].text.contains(QStringLiteral("no-such-folder/sheet.pdf")));

  // The printer gets the same page; a cancelled print dialog prints nothing.
  const QString printed = Path(QStringLiteral("printed.pdf"));
  bool answer = false;
  SetPrintDialogFunction([&](QWidget*, QPrinter& printer) {
    EXPECT_TRUE(printer.fullPage());
    EXPECT_EQ(printer.pageLayout().pageSize().id(), QPageSize::A4);
    printer.setOutputFileName(printed);
    return answer;
  });
  form->findChild<QAction*>(QStringLiteral("Print1"))->trigger();
  EXPECT_FALSE(QFile::exists(printed));
  answer = true;
  form->findChild<QAction*>(QStringLiteral("Print1"))->trigger();
  EXPECT_EQ(Head(printed), QByteArray("%PDF-"));
}

TEST_F(Teacher, TheClassDialogHoldsTheWindowBackWhileItSends) {
  testing::PtyPair robot;
  testing::MasterReader reader(robot.master());
  QFile ini(sandbox.SettingsFile());
  sandbox.WritePortSetting(0);
  ASSERT_TRUE(ini.open(QIODevice::Append));
  ini.write(QByteArray("[devices]\r\ncom1=") + QByteArray::fromStdString(robot.slave_path()) + "\r\n");
  ini.close();
  SetPortResolver([&](const std::string& name) {
    return PortDevice(name == "com1" ? robot.slave_path() : "/nonexistent/vk47-test-port");
  });
  ASSERT_TRUE(sandbox.line->held());  // the window's own port, opened at start-up

  form->N2Click();
  form->findChild<QAction*>(QStringLiteral("Class1"))->trigger();
  TClassSendDialog* dialog = form->ClassDialog();
  ASSERT_NE(dialog, nullptr);
  ASSERT_FALSE(dialog->Rows().empty());
  EXPECT_TRUE(dialog->Rows()[0].check->isChecked()) << "COM1's robot is there";
  // Only COM1: this machine's own adapters stay out of the test.
  for (std::size_t i = 1; i < dialog->Rows().size(); ++i) dialog->Rows()[i].check->setChecked(false);

  QSignalSpy finished(dialog, &TClassSendDialog::Finished);
  dialog->TransferButton()->click();
  EXPECT_TRUE(form->CommandsHeldBack());
  EXPECT_FALSE(sandbox.line->held()) << "the window let go of its port";
  form->N3->trigger();  // クリア, ignored while held back
  form->N5->trigger();  // 転送 from the window, ignored too
  ASSERT_TRUE(finished.wait(10000));
  EXPECT_FALSE(form->CommandsHeldBack());
  EXPECT_EQ(form->StepSlots().Program().Codes(), *DemoProgram().codes);
  EXPECT_TRUE(sandbox.line->CallsOf("Write").empty());
  std::vector<std::uint8_t> frame = {0x74};
  // The demo is kept in a named object: a range over a member of a temporary
  // would outlive it.
  const auto demo = DemoProgram();
  for (int code : *demo.codes) frame.push_back(static_cast<std::uint8_t>(code));
  EXPECT_EQ(reader.Values(17, std::chrono::milliseconds(1000)), frame);
}

// 終了 (Ctrl+Q) while the class dialog waits for a robot whose line has
// stalled: the class send stops within half a second, the status bar says
// how far each robot came, and the window then closes, asking first about
// the unsaved program.
TEST_F(Teacher, QuittingDuringAStalledClassSendStopsItThenCloses) {
  testing::PtyPair robot;
  testing::MasterReader reader(robot.master());
  ASSERT_EQ(::tcflow(robot.slave(), TCOOFF), 0);
  QFile ini(sandbox.SettingsFile());
  sandbox.WritePortSetting(0);
  ASSERT_TRUE(ini.open(QIODevice::Append));
  ini.write(QByteArray("[devices]\r\ncom1=") + QByteArray::fromStdString(robot.slave_path()) + "\r\n");
  ini.close();
  SetPortResolver([&](const std::string& name) {
    return PortDevice(name == "com1" ? robot.slave_path() : "/nonexistent/vk47-test-port");
  });
  form->show();
  form->N2Click();
  form->findChild<QAction*>(QStringLiteral("Class1"))->trigger();
  TClassSendDialog* dialog = form->ClassDialog();
  ASSERT_NE(dialog, nullptr);
  for (std::size_t i = 1; i < dialog->Rows().size(); ++i) dialog->Rows()[i].check->setChecked(false);
  QStringList questions;
  SetSaveQuestionFunction([&](QWidget*, const QString& text) {
    questions << text;
    return SaveAnswer::kDiscard;
  });
  QSignalSpy finished(dialog, &TClassSendDialog::Finished);
  QSignalSpy closed(form.get(), &TForm1::Closed);
  dialog->TransferButton()->click();
  QTest::qWait(300);
  ASSERT_TRUE(dialog->Busy());
  QElapsedTimer clock;
  clock.start();
  form->Exit1->trigger();
  EXPECT_TRUE(questions.isEmpty()) << "asked while the robots were still being sent to";
  ASSERT_TRUE(finished.wait(3000));
  EXPECT_LT(clock.elapsed(), 500);
  EXPECT_TRUE(form->statusBar()->toolTip().startsWith(QStringLiteral("転送を中断しました。送信できたステップ: COM1 0/16")))
      << form->statusBar()->toolTip().toStdString();
  ASSERT_TRUE(QTest::qWaitFor([&] { return closed.count() == 1; }, 2000));
  EXPECT_EQ(questions.size(), 1);
  SetSaveQuestionFunction({});
  ASSERT_EQ(::tcflow(robot.slave(), TCOON), 0);
  EXPECT_TRUE(reader.Values(1, std::chrono::milliseconds(100)).empty()) << "the held byte went out later";
}

}  // namespace
}  // namespace vk47
