// The teacher's tools in the window: the sheet through ファイル > 印刷… and
// PDF に書き出す… (answered dialogs, the printer writing a PDF file), and
// 制御 > クラスに転送… holding the window's commands back while it sends to a
// robot on a pseudo-terminal.
#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QFile>
#include <QPrinter>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include "model/demo_program.h"
#include "tests/serial/pty_pair.h"
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
  form->Pdf1->trigger();
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
  form->Pdf1->trigger();
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
  form->Print1->trigger();
  EXPECT_FALSE(QFile::exists(printed));
  answer = true;
  form->Print1->trigger();
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
  form->Class1->trigger();
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
  EXPECT_EQ(form->Slots.Program().Codes(), *DemoProgram().codes);
  EXPECT_TRUE(sandbox.line->CallsOf("Write").empty());
  std::vector<std::uint8_t> frame = {0x74};
  // The demo is kept in a named object: a range over a member of a temporary
  // would outlive it.
  const auto demo = DemoProgram();
  for (int code : *demo.codes) frame.push_back(static_cast<std::uint8_t>(code));
  EXPECT_EQ(reader.Values(17, std::chrono::milliseconds(1000)), frame);
}

}  // namespace
}  // namespace vk47
