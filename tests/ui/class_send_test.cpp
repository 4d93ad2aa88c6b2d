// The class dialog against three robots on pseudo-terminals and one device
// that is missing: the three get the whole frame byte for byte, the missing
// one is named in its row and in the summary, and the whole send takes about
// as long as one transfer, with the window's commands held back meanwhile.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include "model/demo_program.h"
#include "tests/serial/pty_pair.h"
#include "ui/robot/ClassSendDialog.h"

namespace vk47 {
namespace {

using testing::MasterReader;
using testing::PtyPair;

TEST(ClassSendDialog, ThreeRobotsGetTheProgramAtOnceAndTheMissingOneIsNamed) {
  PtyPair robots[3];
  std::vector<std::unique_ptr<MasterReader>> readers;
  std::vector<ClassPort> ports;
  for (PtyPair& robot : robots) {
    readers.push_back(std::make_unique<MasterReader>(robot.master()));
    ports.push_back({robot.slave_path(), robot.slave_path(), robot.slave_path(), "仮想ロボット", true});
  }
  const std::string missing = "/nonexistent/vk47-robot";
  ports.insert(ports.begin() + 1, {missing, "COM2", missing, "", false});

  std::vector<bool> busy;
  int released = 0;
  TClassSendDialog::Hooks hooks;
  hooks.program = [] { return *DemoProgram().codes; };
  hooks.busy = [&](bool b) { busy.push_back(b); };
  hooks.release_window_port = [&] { ++released; };
  hooks.list_ports = [&] { return ports; };
  TClassSendDialog dialog(hooks, nullptr);
  dialog.show();
  ASSERT_EQ(dialog.Rows().size(), 4u);
  EXPECT_EQ(dialog.Rows()[1].check->text(), QStringLiteral("COM2"));
  EXPECT_FALSE(dialog.Rows()[1].check->isChecked()) << "a missing device starts unchecked";
  EXPECT_TRUE(dialog.Rows()[0].check->isChecked());
  dialog.Rows()[1].check->setChecked(true);

  QSignalSpy finished(&dialog, &TClassSendDialog::Finished);
  QElapsedTimer clock;
  clock.start();
  dialog.TransferButton()->click();
  EXPECT_TRUE(dialog.Busy());
  EXPECT_FALSE(dialog.CloseButton()->isEnabled());
  dialog.close();
  EXPECT_TRUE(dialog.isVisible()) << "it does not close while sending";
  // The missing robot's row says why long before the others are done.
  ASSERT_TRUE(QTest::qWaitFor([&] { return !dialog.Rows()[1].result->text().endsWith(QStringLiteral("…")); }, 1000));
  EXPECT_LT(clock.elapsed(), 1000);
  EXPECT_TRUE(dialog.Rows()[1].result->text().contains(QString::fromStdString(missing)))
      << dialog.Rows()[1].result->text().toStdString();
  ASSERT_TRUE(finished.wait(10000));
  const qint64 took = clock.elapsed();

  std::vector<std::uint8_t> frame = {0x74};
  // The demo is kept in a named object: a range over a member of a temporary
  // would outlive it.
  const auto demo = DemoProgram();
  for (int code : *demo.codes) frame.push_back(static_cast<std::uint8_t>(code));
  for (std::size_t i = 0; i < readers.size(); ++i) {
    EXPECT_EQ(readers[i]->Values(17, std::chrono::milliseconds(1000)), frame) << i;
  }
  // One transfer is seventeen 100 ms gaps: all four took about that long, not
  // four times (loose, for a loaded machine).
  EXPECT_GE(took, 1700);
  EXPECT_LT(took, 4000);
  for (std::size_t row : {0u, 2u, 3u}) {
    EXPECT_EQ(dialog.Rows()[row].result->text(), QStringLiteral("OK")) << row;
    EXPECT_EQ(dialog.Rows()[row].progress->value(), 16) << row;
  }
  EXPECT_TRUE(dialog.Summary()->text().contains(QStringLiteral("4 台のうち 3 台がプログラム全体を受け取りました")))
      << dialog.Summary()->text().toStdString();
  EXPECT_TRUE(dialog.Summary()->text().contains(QStringLiteral("COM2")));
  EXPECT_EQ(busy, (std::vector<bool>{true, false}));
  EXPECT_EQ(released, 1);
  EXPECT_TRUE(dialog.CloseButton()->isEnabled());

  // 実行: the one byte to each checked robot, none left waiting.
  dialog.Rows()[1].check->setChecked(false);
  dialog.ExecuteButton()->click();
  ASSERT_TRUE(finished.wait(5000));
  for (std::size_t i = 0; i < readers.size(); ++i) {
    const std::vector<std::uint8_t> all = readers[i]->Values(18, std::chrono::milliseconds(1000));
    ASSERT_EQ(all.size(), 18u) << i;
    EXPECT_EQ(all.back(), 0x78) << i;
  }
  EXPECT_TRUE(dialog.Summary()->text().contains(QStringLiteral("3 台のうち 3 台に実行命令を送りました")));

  // A robot that is missed is named by its own row, whichever rows above it
  // are unchecked (it is then the first robot sent to, not the first row).
  dialog.Rows()[0].check->setChecked(false);
  dialog.Rows()[1].check->setChecked(true);
  dialog.ExecuteButton()->click();
  ASSERT_TRUE(finished.wait(5000));
  EXPECT_TRUE(dialog.Summary()->text().endsWith(QStringLiteral("届かなかったロボット: COM2")))
      << dialog.Summary()->text().toStdString();
  EXPECT_EQ(dialog.Rows()[0].result->text(), QString()) << "an unchecked row shows no result";

  // Nothing checked: nothing is sent and the dialog says what to do.
  for (const auto& row : dialog.Rows()) row.check->setChecked(false);
  dialog.TransferButton()->click();
  EXPECT_FALSE(dialog.Busy());
  EXPECT_TRUE(dialog.Summary()->text().contains(QStringLiteral("チェック")));
}

}  // namespace
}  // namespace vk47
