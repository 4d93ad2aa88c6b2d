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
#include <sys/resource.h>
#include <sys/wait.h>
#include <system_error>
#include <termios.h>
#include <unistd.h>

#include "model/demo_program.h"
#include "tests/serial/pty_pair.h"
#include "ui/common/Catalogue.h"
#include "ui/common/ErrorBox.h"
#include "ui/robot/ClassSendDialog.h"
#include "ui_test_support.h"

namespace vk47 {
namespace {

using testing::MasterReader;
using testing::HasKanji;
using testing::PtyPair;

// Hooks that send the demo program to `ports`, which must outlive the dialog.
TClassSendDialog::Hooks DemoHooks(const std::vector<ClassPort>& ports) {
  TClassSendDialog::Hooks hooks;
  hooks.program = [] { return *DemoProgram().codes; };
  hooks.list_ports = [&ports] { return ports; };
  return hooks;
}

// Three rows: a virtual robot on `robot`, a robot that is missing, and
// `robot` once more under another name.
std::vector<ClassPort> RobotMissingAndTwice(const PtyPair& robot) {
  const std::string twice = "/dev/../dev/" + robot.slave_path().substr(5);
  const std::string missing = "/nonexistent/vk47-robot";
  return {{robot.slave_path(), "COM1", robot.slave_path(), "仮想ロボット", true},
          {missing, "COM2", missing, "", false},
          {twice, twice, twice, "", true}};
}

// Every text the dialog shows: its title, its labels and its buttons.
QStringList ShownTexts(const TClassSendDialog& dialog) {
  QStringList texts = {dialog.windowTitle()};
  for (const QLabel* label : dialog.findChildren<QLabel*>()) texts << label->text();
  for (const QAbstractButton* button : dialog.findChildren<QAbstractButton*>()) texts << button->text();
  return texts;
}

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
  TClassSendDialog::Hooks hooks = DemoHooks(ports);
  hooks.busy = [&](bool b) { busy.push_back(b); };
  hooks.release_window_port = [&] { ++released; };
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
  EXPECT_FALSE(dialog.TransferButton()->isEnabled());
  EXPECT_TRUE(dialog.CloseButton()->isEnabled()) << "閉じる is the way out of a stalled robot";
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
  // Each row keeps what its transfer showed and adds the execute's outcome.
  for (std::size_t row : {0u, 2u, 3u}) {
    EXPECT_EQ(dialog.Rows()[row].result->text(), QStringLiteral("OK、実行 OK")) << row;
    EXPECT_EQ(dialog.Rows()[row].progress->value(), 16) << row;
  }

  // A robot that is missed is named by its own row, whichever rows above it
  // are unchecked (it is then the first robot sent to, not the first row).
  dialog.Rows()[0].check->setChecked(false);
  dialog.Rows()[1].check->setChecked(true);
  dialog.ExecuteButton()->click();
  ASSERT_TRUE(finished.wait(5000));
  EXPECT_TRUE(dialog.Summary()->text().endsWith(QStringLiteral("届かなかったロボット: COM2")))
      << dialog.Summary()->text().toStdString();
  EXPECT_EQ(dialog.Rows()[0].result->text(), QString()) << "an unchecked row shows no result";
  EXPECT_EQ(dialog.Rows()[2].result->text(), QStringLiteral("OK、実行 OK")) << "one transfer, the last execute";
  EXPECT_TRUE(dialog.Rows()[1].result->text().startsWith(QStringLiteral("実行: ")))
      << dialog.Rows()[1].result->text().toStdString();

  // Nothing checked: nothing is sent and the dialog says what to do.
  for (const auto& row : dialog.Rows()) row.check->setChecked(false);
  dialog.TransferButton()->click();
  EXPECT_FALSE(dialog.Busy());
  EXPECT_TRUE(dialog.Summary()->text().contains(QStringLiteral("チェック")));
}

// 閉じる while one robot's line is stalled (its output suspended, so its
// first byte cannot go): every robot stops within half a second, each row
// and the summary say how many steps went out, and then the dialog closes.
// Escape does the same.
TEST(ClassSendDialog, ClosingDuringAStallStopsEveryRobotAndSaysHowFarEachCame) {
  for (const bool escape : {false, true}) {
    SCOPED_TRACE(escape ? "Escape" : "閉じる");
    PtyPair stalled, healthy;
    MasterReader stalled_reader(stalled.master()), healthy_reader(healthy.master());
    ASSERT_EQ(::tcflow(stalled.slave(), TCOOFF), 0);
    std::vector<ClassPort> ports = {
        {stalled.slave_path(), "COM1", stalled.slave_path(), "", true},
        {healthy.slave_path(), "COM2", healthy.slave_path(), "", true},
    };
    TClassSendDialog::Hooks hooks = DemoHooks(ports);
    TClassSendDialog dialog(hooks, nullptr);
    dialog.show();
    QSignalSpy finished(&dialog, &TClassSendDialog::Finished);
    dialog.TransferButton()->click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return dialog.Rows()[1].progress->value() >= 3; }, 3000));
    QElapsedTimer clock;
    clock.start();
    if (escape) {
      QTest::keyClick(&dialog, Qt::Key_Escape);
    } else {
      dialog.CloseButton()->click();
    }
    ASSERT_TRUE(finished.wait(3000));
    EXPECT_LT(clock.elapsed(), 500);
    EXPECT_FALSE(dialog.Busy());
    QCoreApplication::processEvents();
    EXPECT_FALSE(dialog.isVisible()) << "it closes once the robots have stopped";
    const QString summary = dialog.Summary()->text();
    EXPECT_TRUE(summary.startsWith(QStringLiteral("転送を中断しました。"))) << summary.toStdString();
    EXPECT_TRUE(summary.contains(QStringLiteral("COM1 0/16"))) << summary.toStdString();
    const int healthy_steps = dialog.Rows()[1].progress->value();
    EXPECT_GE(healthy_steps, 3);
    EXPECT_LT(healthy_steps, 16);
    EXPECT_TRUE(summary.contains(QStringLiteral("COM2 %1/16").arg(healthy_steps))) << summary.toStdString();
    EXPECT_TRUE(dialog.Rows()[0].result->text().contains(QStringLiteral("中断"))) << dialog.Rows()[0].result->text().toStdString();
    ASSERT_EQ(::tcflow(stalled.slave(), TCOON), 0);
    EXPECT_TRUE(stalled_reader.Values(1, std::chrono::milliseconds(100)).empty()) << "the held byte went out later";
  }
}

// A device listed under two names is sent to once; its second row still
// shows the steps and says why it was not sent to again.
TEST(ClassSendDialog, ADeviceNamedTwiceShowsItsStepsInBothRows) {
  PtyPair robot;
  MasterReader reader(robot.master());
  const std::string twice = "/dev/../dev/" + robot.slave_path().substr(5);
  std::vector<ClassPort> ports = {{robot.slave_path(), "COM1", robot.slave_path(), "", true},
                                  {twice, twice, twice, "", true}};
  TClassSendDialog::Hooks hooks = DemoHooks(ports);
  TClassSendDialog dialog(hooks, nullptr);
  dialog.show();
  QSignalSpy finished(&dialog, &TClassSendDialog::Finished);
  dialog.TransferButton()->click();
  ASSERT_TRUE(finished.wait(5000));
  EXPECT_EQ(reader.Values(18, std::chrono::milliseconds(300)).size(), 17u) << "sent to twice";
  EXPECT_EQ(dialog.Rows()[0].result->text(), QStringLiteral("OK"));
  EXPECT_EQ(dialog.Rows()[1].progress->value(), 16);
  EXPECT_TRUE(dialog.Rows()[1].result->text().contains(QStringLiteral("二度指定されています")))
      << dialog.Rows()[1].result->text().toStdString();
  EXPECT_FALSE(dialog.Rows()[1].result->text().contains(QStringLiteral("com1")));
}

// When the system cannot start the command's thread (a process limit, as
// with `ulimit -u`), the dialog says so in an error box and nothing is sent;
// the window and its program carry on, and the next try can work.
TEST(ClassSendDialog, AThreadThatCannotStartIsAnErrorBoxNotAnEnd) {
  PtyPair robot;
  MasterReader reader(robot.master());
  std::vector<ClassPort> ports = {{robot.slave_path(), "COM1", robot.slave_path(), "", true}};
  std::vector<bool> busy;
  bool refuse = true;
  TClassSendDialog::Hooks hooks = DemoHooks(ports);
  hooks.busy = [&](bool b) { busy.push_back(b); };
  hooks.start_thread = [&](std::function<void()> work) {
    if (refuse) throw std::system_error(EAGAIN, std::generic_category(), "thread");
    return std::thread(std::move(work));
  };
  std::vector<MessageBoxRequest> boxes;
  SetMessageBoxFunction([&](QWidget*, const MessageBoxRequest& box) { boxes.push_back(box); });
  TClassSendDialog dialog(hooks, nullptr);
  dialog.show();
  dialog.TransferButton()->click();
  SetMessageBoxFunction({});
  EXPECT_FALSE(dialog.Busy());
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].icon, QMessageBox::Critical);
  EXPECT_TRUE(boxes[0].text.contains(QStringLiteral("送信を始められません"))) << boxes[0].text.toStdString();
  EXPECT_TRUE(boxes[0].details.contains(QString::fromStdString(std::generic_category().message(EAGAIN))))
      << boxes[0].details.toStdString();
  EXPECT_EQ(busy, (std::vector<bool>{true, false})) << "the main window's commands are given back";
  EXPECT_TRUE(dialog.TransferButton()->isEnabled());
  EXPECT_TRUE(dialog.Rows()[0].check->isEnabled());
  EXPECT_TRUE(reader.Values(1, std::chrono::milliseconds(100)).empty());

  refuse = false;
  QSignalSpy finished(&dialog, &TClassSendDialog::Finished);
  dialog.TransferButton()->click();
  ASSERT_TRUE(finished.wait(5000));
  EXPECT_EQ(reader.Values(17, std::chrono::milliseconds(1000)).size(), 17u);
}

// The same with the system's own limit (`ulimit -u`, as another account,
// since root is not held to it): the window's process carries on and says
// why, instead of ending with SIGABRT and losing the unsaved program.
TEST(ClassSendDialog, UnderAProcessLimitTheDialogSaysSoAndTheProgramLivesOn) {
  if (::geteuid() != 0) GTEST_SKIP() << "needs root to run as an account held to the limit";
  int result[2];
  ASSERT_EQ(::pipe(result), 0);
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    ::close(result[0]);
    // An account with no process of its own, allowed only this one.
    const rlimit one{1, 1};
    if (::setgid(65534) != 0 || ::setuid(65534) != 0 || ::setrlimit(RLIMIT_NPROC, &one) != 0) ::_exit(3);
    // Whatever escapes ends this copy of the test program here.
    std::set_terminate([] { ::_exit(4); });
    try {
      std::vector<ClassPort> ports = {{"/nonexistent/vk47-robot", "COM1", "/nonexistent/vk47-robot", "", true}};
      TClassSendDialog::Hooks hooks = DemoHooks(ports);
      std::vector<MessageBoxRequest> boxes;
      SetMessageBoxFunction([&](QWidget*, const MessageBoxRequest& box) { boxes.push_back(box); });
      TClassSendDialog dialog(hooks, nullptr);
      dialog.Refresh();
      dialog.TransferButton()->click();
      const char answer = dialog.Busy() ? 'b' : boxes.size() != 1 ? 'n' : boxes[0].text.contains(QStringLiteral("送信を始められません")) ? 'y' : 't';
      [[maybe_unused]] ssize_t n = ::write(result[1], &answer, 1);
    } catch (...) {
      ::_exit(4);  // what the window's event loop would have ended with
    }
    ::_exit(0);
  }
  ::close(result[1]);
  char answer = 0;
  const ssize_t n = ::read(result[0], &answer, 1);
  ::close(result[0]);
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status)) << "the process ended by signal " << (WIFSIGNALED(status) ? WTERMSIG(status) : 0);
  ASSERT_NE(WEXITSTATUS(status), 3) << "could not take on the other account";
  ASSERT_NE(WEXITSTATUS(status), 4) << "the thread's failure escaped the dialog";
  ASSERT_EQ(n, 1);
  EXPECT_EQ(answer, 'y') << "b: still busy, n: no single box, t: another text";
}

// A dialog over a virtual robot, a missing one and the robot named twice,
// all three rows ticked; the hiragana mode is off again after each case.
class ClassDialogWords : public ::testing::Test {
 protected:
  void TearDown() override { SetKanaMode(false); }

  TClassSendDialog& Open() {
    dialog_ = std::make_unique<TClassSendDialog>(DemoHooks(ports_), nullptr);
    dialog_->show();
    EXPECT_EQ(dialog_->Rows().size(), 3u);
    dialog_->Rows()[1].check->setChecked(true);
    return *dialog_;
  }
  // Presses 転送 or 実行 and waits until every robot is done.
  bool Press(QPushButton* button) {
    QSignalSpy finished(dialog_.get(), &TClassSendDialog::Finished);
    button->click();
    return finished.wait(5000);
  }

  PtyPair robot_;
  MasterReader reader_{robot_.master()};
  std::vector<ClassPort> ports_ = RobotMissingAndTwice(robot_);
  std::unique_ptr<TClassSendDialog> dialog_;
};

// In the hiragana mode every text the dialog shows after a send has no
// kanji: its buttons, heads and summary, a device's kind, a missing robot's
// row (the port's own sentences) and the second row of a device named twice.
// Switching back puts the source texts back on the widgets.
TEST_F(ClassDialogWords, InTheHiraganaModeNothingItShowsHasKanji) {
  ASSERT_TRUE(SetKanaMode(true, QStringLiteral(VK47_CATALOGUE_DIR)));
  TClassSendDialog& dialog = Open();
  ASSERT_TRUE(Press(dialog.TransferButton()));
  EXPECT_TRUE(dialog.Rows()[2].result->text().contains(QStringLiteral("2かい"))) << "named twice, in hiragana";
  EXPECT_FALSE(dialog.Rows()[1].result->text().isEmpty());
  int kanji_texts = 0;
  for (const QString& text : ShownTexts(dialog)) {
    if (!HasKanji(text)) continue;
    ++kanji_texts;
    ADD_FAILURE() << "kanji in: " << text.toStdString();
  }
  EXPECT_EQ(kanji_texts, 0);
  EXPECT_EQ(dialog.CloseButton()->text(), QStringLiteral("とじる"));
  SetKanaMode(false);
  EXPECT_EQ(dialog.CloseButton()->text(), QStringLiteral("閉じる"));
}

// Switched while the dialog shows the results of a 転送 and a 実行: the rows
// (a device's kind, each robot's results, a missing robot's reasons, a
// device named twice), the summary and the title are built again in the new
// mode, and switching back gives exactly the texts shown before.
TEST_F(ClassDialogWords, SwitchingTheHiraganaModeRebuildsTheResultsShown) {
  TClassSendDialog& dialog = Open();
  ASSERT_TRUE(Press(dialog.TransferButton()));
  ASSERT_TRUE(Press(dialog.ExecuteButton()));
  ASSERT_EQ(dialog.Rows()[0].result->text(), QStringLiteral("OK、実行 OK"));
  ASSERT_TRUE(dialog.Rows()[1].result->text().contains(QStringLiteral("、実行: "))) << dialog.Rows()[1].result->text().toStdString();
  const QStringList before = ShownTexts(dialog);

  ASSERT_TRUE(SetKanaMode(true, QStringLiteral(VK47_CATALOGUE_DIR)));
  for (const QString& text : ShownTexts(dialog)) EXPECT_FALSE(HasKanji(text)) << "kanji in: " << text.toStdString();
  EXPECT_EQ(dialog.Rows()[0].result->text(), QStringLiteral("OK、じっこう OK"));
  EXPECT_TRUE(dialog.Rows()[1].result->text().contains(QStringLiteral("、じっこう: "))) << dialog.Rows()[1].result->text().toStdString();
  EXPECT_TRUE(dialog.Rows()[2].result->text().contains(QStringLiteral("2かい"))) << dialog.Rows()[2].result->text().toStdString();

  ASSERT_TRUE(SetKanaMode(false));
  EXPECT_EQ(ShownTexts(dialog), before);

  // A new 転送 starts the rows afresh: no 実行 result of the last round is left.
  ASSERT_TRUE(Press(dialog.TransferButton()));
  EXPECT_EQ(dialog.Rows()[0].result->text(), QStringLiteral("OK"));
}

}  // namespace
}  // namespace vk47
