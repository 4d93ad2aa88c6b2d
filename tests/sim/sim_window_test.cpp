// The simulator window offscreen: opened from the 制御 menu or F5, it runs the
// program on the slots, marks the running step's slot in the main window,
// takes switch presses, and goes back to the start when the program changes.
// Given the same presses, it and vk47-robot --simulate's RunProgram reach the
// same steps at the same times and places.
#include <gtest/gtest.h>

#include <numbers>

#include <QAction>
#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QMimeData>
#include <QPushButton>
#include <QSlider>
#include <QTest>
#include <QUndoStack>
#include <algorithm>
#include <cstdlib>
#include <random>

#include "model/command_set.h"
#include "sim/floor_marks.h"
#include "sim/trace.h"

#include "tests/ui/ui_test_support.h"
#include "ui/sim/SimWindow.h"
#include "ui/editor/TImage.h"
#include "ui/Unit1.h"
#include "ui/progresbar.h"

namespace vk47 {
namespace {

class SimWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    sandbox.WriteAllIcons();
    form = std::make_unique<TForm1>(sandbox.Factory());
    form2 = std::make_unique<TForm2>(form.get());
    form->show();
  }
  void TearDown() override {
    form2.reset();
    form.reset();
  }

  void Drop(int number, int slot) {
    const std::unique_ptr<QMimeData> data(TPaletteDrag::NewCommandMimeData(QString::number(number)));
    form->PaletteDrag().Image8DragDrop(form->Picture(slot + 8), data.get());
  }
  TSimWindow* OpenFromMenu() {
    form->findChild<QAction*>(QStringLiteral("Sim1"))->trigger();
    return form->findChild<TSimWindow*>();
  }
  // Whether the pixel at the middle of the left edge of slot k's mark is the
  // mark's colour, as the main window draws itself.
  bool SlotLooksMarked(int slot) {
    const QRect r = form->Picture(slot + 8)->geometry();
    const QImage image = form->GroupBox3->grab().toImage();
    const QColor c = image.pixelColor(r.left() - 2, r.center().y());
    const QColor mark{QLatin1String(kRunningStepColour)};
    return std::abs(c.red() - mark.red()) < 30 && std::abs(c.green() - mark.green()) < 30 &&
           std::abs(c.blue() - mark.blue()) < 30;
  }

  // Runs `codes` in the window as a pupil does, at x4 with frames of
  // `frame_s` of the wall clock (several lengths by turns), the switch
  // pressed when the simulated time reaches each press; stops at the end or
  // when it waits for a press that will not come.
  TSimWindow* RunInWindow(const ProgramCodes& codes, std::vector<double> presses,
                          std::vector<double> frames = {1.0 / 60}) {
    for (int i = 0; i < kSlotCount; ++i) form->StepSlots().SetCode(i, codes[static_cast<std::size_t>(i)]);
    TSimWindow* sim = TSimWindow::Open(form.get(), form->StepSlots(), form->Document().UndoStack());
    sim->Reset();
    sim->SetSpeed(4);
    sim->Start();
    std::sort(presses.begin(), presses.end());
    std::size_t next = 0, turn = 0;
    while (sim->Running()) {
      const double frame = frames[turn++ % frames.size()];
      if (next < presses.size() && presses[next] <= sim->State().time_s + frame * 4) {
        sim->RunTo(presses[next++]);
        sim->PressSwitch();
        continue;
      }
      if (next == presses.size() && sim->State().phase == SimPhase::kWaitSwitch) break;
      sim->AdvanceFrame(frame);
    }
    return sim;
  }

  // A run as exact text: every step's end, then the end (a wait's time left
  // out: the window's clock runs on while it waits).
  static std::string Exact(const std::vector<TraceRow>& rows, const SimState& end, bool waits) {
    std::string text;
    const auto add = [&](double time_s, int step, const Pose& p) {
      char line[160];
      std::snprintf(line, sizeof line, "%.17g %d %.17g %.17g %.17g\n", time_s, step, p.x_cm, p.y_cm, p.heading_deg);
      text += line;
    };
    for (const TraceRow& row : rows) add(row.time_s, row.step, row.pose);
    add(waits ? -1 : end.time_s, end.step, end.pose);
    return text + std::to_string(static_cast<int>(end.phase));
  }
  static bool Agree(const TSimWindow& sim, const SimRun& trace) {
    const bool waits = trace.outcome == SimRun::Outcome::kWaitingSwitch;
    return Exact(sim.Rows(), sim.State(), waits) == Exact(trace.rows, trace.end, waits);
  }

  testing::UiSandbox sandbox;
  std::unique_ptr<TForm1> form;
  std::unique_ptr<TForm2> form2;
};

TEST_F(SimWindowTest, OpensOnceFromTheControlMenuWithItsRules) {
  TSimWindow* sim = OpenFromMenu();
  ASSERT_NE(sim, nullptr);
  EXPECT_TRUE(sim->isVisible());
  EXPECT_EQ(sim->windowTitle(), QStringLiteral("シミュレーション"));
  EXPECT_EQ(OpenFromMenu(), sim);
  EXPECT_EQ(form->findChildren<TSimWindow*>().size(), 1);
  EXPECT_TRUE(sim->RulesLabel->text().contains(QStringLiteral("10 cm")));
  EXPECT_TRUE(sim->StatusLabel->text().contains(QStringLiteral("スタート")));
  EXPECT_FALSE(sim->Running());
  EXPECT_EQ(sim->MarkedSlot(), -1);
  // The main window's client area keeps its size.
  EXPECT_EQ(form->centralWidget()->size(), QSize(732, 524));
}

TEST_F(SimWindowTest, F5OpensItOrBringsItToTheFront) {
  EXPECT_EQ(form->findChild<QAction*>(QStringLiteral("Sim1"))->shortcut(), QKeySequence(Qt::Key_F5));
  // No other command of the window has the key.
  for (QAction* action : form->findChildren<QAction*>()) {
    if (action == form->findChild<QAction*>(QStringLiteral("Sim1"))) continue;
    EXPECT_NE(action->shortcut(), QKeySequence(Qt::Key_F5)) << action->objectName().toStdString();
  }
  QApplication::setActiveWindow(form.get());
  QTest::keyClick(form.get(), Qt::Key_F5);
  TSimWindow* sim = form->findChild<TSimWindow*>();
  ASSERT_NE(sim, nullptr);
  sim->showMinimized();
  QApplication::setActiveWindow(form.get());
  QTest::keyClick(form.get(), Qt::Key_F5);
  EXPECT_EQ(form->findChildren<TSimWindow*>().size(), 1);
  EXPECT_FALSE(sim->isMinimized());
  // The rules are no smaller than the window's text.
  EXPECT_GE(QFontInfo(sim->RulesLabel->font()).pixelSize(), QFontInfo(sim->font()).pixelSize());
}

TEST_F(SimWindowTest, TheWindowAndTheTraceAgree) {
  // The programs a teacher would try, with their presses: through the
  // window frame by frame, and through RunProgram as vk47-robot does.
  using O = SimRun::Outcome;
  struct Row { ProgramCodes codes; std::vector<double> presses; O outcome; double end_s, x, heading; const char* what; };
  const double turn_s = std::numbers::pi / 4;
  auto program = [](std::initializer_list<int> first) {
    ProgramCodes codes = EmptyProgram();
    std::copy(first.begin(), first.end(), codes.begin());
    return codes;
  };
  const Row rows[] = {
      {program({15, 128, 40, 208}), {1, 2}, O::kWaitingSwitch, 3.75, 0, 0, "both presses during the wait are lost"},
      {program({4, 128, 208}), {0.3, 0.6}, O::kWaitingSwitch, 1, 0, 0, "each press before 29 is lost"},
      {program({113, 4, 40, 208}), {0.3, 0.6}, O::kEnded, 3, 20, 0, "no press is kept for a later 前進"},
      {program({113, 36, 4, 208}), {1}, O::kEnded, 2, 10, 0, "a press as the 前進 ends is lost"},
      {program({113, 36, 36, 208}), {1}, O::kEnded, 1 + turn_s, 10, -90, "a press as the 前進 starts counts"},
      {program({0x72, 0x20, 0x80, 0xD0}), {0}, O::kEnded, 0, 0, 0, "a 前進 of 0 s leaves the press to 29"},
      {program({0x24, 0xB3, 0x80, 0xD0}), {1}, O::kEnded, 1, 10, 0, "pressed while steps take no time: 29 takes it"},
      {program({128, 128, 208}), {2, 2}, O::kEnded, 2, 0, 0, "two presses at one instant end two waits"},
      {program({0x72, 0x34, 0xD0}), {0.5}, O::kEnded, 1, 5 * std::sin(1.0), 180 / std::numbers::pi,
       "only 前進 reacts, not 右前"},
      {program({178, 36, 178, 4, 195, 193, 208}), {}, O::kEnded, 3, 10, 0, "loops do not nest: one drive"},
      {program({47, 29, 160}), {}, O::kCapped, 600, 41.61, -59.58, "the cap within a step"},
      {program({36, 161}), {}, O::kStuck, 1, 10, 0, "a loop that takes no time"},
  };
  for (const Row& row : rows) {
    const SimRun trace = RunProgram(row.codes, TSimWindow::kParams, row.presses);
    EXPECT_EQ(trace.outcome, row.outcome) << row.what;
    EXPECT_NEAR(trace.end.time_s, row.end_s, 1e-9) << row.what;
    EXPECT_NEAR(trace.end.pose.x_cm, row.x, 0.005) << row.what;
    EXPECT_NEAR(trace.end.pose.heading_deg, row.heading, 0.005) << row.what;
    ASSERT_FALSE(trace.rows.empty()) << row.what;
    if (row.outcome == O::kCapped) {  // the last line is the state at the cap
      EXPECT_EQ(trace.rows.back().time_s, 600.0);
      EXPECT_EQ(trace.rows.back().step, trace.end.step);
    }
    EXPECT_TRUE(Agree(*RunInWindow(row.codes, row.presses, {1.0 / 60, 0.25, 0.007}), trace)) << row.what;
  }
}

// Random programs with random presses, a share of them on quarter seconds
// where steps begin and end. VK47_SIM_AGREEMENT=N runs N programs and prints
// the share that agree.
TEST_F(SimWindowTest, RandomProgramsAgreeWithTheTrace) {
  const char* count_text = std::getenv("VK47_SIM_AGREEMENT");
  const int count = count_text ? std::atoi(count_text) : 150;
  std::mt19937 random(26);
  std::vector<int> codes_in_use;
  for (const Command& c : Commands()) {
    for (int p = 0; p < (c.takes_parameter ? 16 : 1); ++p) codes_in_use.push_back(c.base_code + p);
  }
  // Half the steps from those that a press meets: 前進, 26 to 28 and 29.
  std::vector<int> switch_codes = {0x71, 0x72, 0x73, 0x80};
  for (int p = 0; p < 16; ++p) switch_codes.push_back(0x20 + p);
  std::uniform_real_distribution<double> frame(0.001, 0.25);
  int agree = 0;
  for (int n = 0; n < count; ++n) {
    ProgramCodes codes = EmptyProgram();
    const int length = std::uniform_int_distribution<int>(1, 16)(random);
    for (int i = 0; i < length; ++i) {
      const std::vector<int>& pool = random() % 2 ? switch_codes : codes_in_use;
      codes[static_cast<std::size_t>(i)] = pool[std::uniform_int_distribution<std::size_t>(0, pool.size() - 1)(random)];
    }
    std::vector<double> presses(std::uniform_int_distribution<std::size_t>(0, 6)(random));
    for (double& at : presses) {
      at = std::uniform_real_distribution<double>(0, 30)(random);
      if (random() % 2) at = std::round(at * 4) / 4;
    }
    const std::vector<double> frames = {frame(random), frame(random), frame(random)};
    const SimRun trace = RunProgram(codes, TSimWindow::kParams, presses);
    const bool same = Agree(*RunInWindow(codes, presses, frames), trace);
    agree += same;
    EXPECT_TRUE(same) << "program " << n << ": " << TraceText(trace);
  }
  std::printf("the window and the trace agree on %d of %d random programs\n", agree, count);
}

TEST_F(SimWindowTest, RunsTheDemoAndMarksTheRunningStep) {
  form->N2->trigger();  // the demo: 2 for 1 s, 4 for 1 s, 6 for 1 s ...
  TSimWindow* sim = OpenFromMenu();
  ASSERT_EQ(sim->Codes(), form->StepSlots().Program().Codes());
  sim->SetSpeed(4);
  sim->Start();
  EXPECT_TRUE(sim->Running());
  EXPECT_EQ(sim->MarkedSlot(), 0);
  sim->AdvanceFrame(0.125);  // x4: half a second
  EXPECT_DOUBLE_EQ(sim->State().time_s, 0.5);
  EXPECT_NEAR(sim->State().pose.x_cm, 5, 1e-9);
  EXPECT_EQ(sim->MarkedSlot(), 0);
  sim->AdvanceFrame(0.25);  // to 1.5 s: step 1 (a wait) runs
  EXPECT_EQ(sim->MarkedSlot(), 1);
  EXPECT_TRUE(SlotLooksMarked(1));
  EXPECT_FALSE(SlotLooksMarked(0));
  EXPECT_NEAR(sim->Path().back().x_cm, 10, 1e-9);
  EXPECT_EQ(sim->TimeLabel->text(), QStringLiteral("時間 1.50 秒"));
  EXPECT_TRUE(sim->StepLabel->text().startsWith(QStringLiteral("ステップ 1: 待つ 1秒")));
  // Paused, nothing moves; on again, it runs to the end (16 s) and the mark goes.
  sim->Pause();
  EXPECT_FALSE(sim->Running());
  EXPECT_EQ(sim->MarkedSlot(), 1);
  sim->Start();
  for (int i = 0; i < 20 && sim->Running(); ++i) sim->AdvanceFrame(0.25);
  EXPECT_FALSE(sim->Running());
  EXPECT_DOUBLE_EQ(sim->State().time_s, 16);
  EXPECT_EQ(sim->MarkedSlot(), -1);
  EXPECT_TRUE(sim->StatusLabel->text().startsWith(QStringLiteral("おわり")));
}

TEST_F(SimWindowTest, AChangeOfTheProgramResetsIt) {
  Drop(2, 0);  // 2 at 0 s: the track bar is at 0
  form->TrackBar1->setValue(8);
  form->StepSlots().StepValueLabelClick(form->StepSlots().DropLabels[0]);  // no undo step: the frame check sees it
  TSimWindow* sim = OpenFromMenu();
  EXPECT_EQ(sim->Codes()[0], 0x28);
  sim->Start();
  sim->AdvanceFrame(0.25);
  ASSERT_GT(sim->State().time_s, 0);
  ASSERT_EQ(sim->MarkedSlot(), 0);

  Drop(31, 1);  // through the undo stack
  EXPECT_FALSE(sim->Running());
  EXPECT_EQ(sim->State().time_s, 0);
  EXPECT_EQ(sim->Path().size(), 1u);
  EXPECT_EQ(sim->MarkedSlot(), -1);
  EXPECT_EQ(sim->Codes(), form->StepSlots().Program().Codes());

  // Paused, then undone: back to the start again, with the program before.
  sim->Start();
  sim->AdvanceFrame(0.25);
  sim->Pause();
  form->findChild<QAction*>(QStringLiteral("Undo1"))->trigger();
  EXPECT_EQ(sim->State().time_s, 0);
  EXPECT_EQ(sim->Codes()[1], kEmptyCode);

  // A change that no undo step records is met at the next frame.
  sim->Start();
  sim->AdvanceFrame(0.25);
  form->StepSlots().SetCode(2, 0xD0);
  sim->AdvanceFrame(0.25);
  EXPECT_EQ(sim->State().time_s, 0);
  EXPECT_FALSE(sim->Running());
}

TEST_F(SimWindowTest, TheSwitchEndsAWait) {
  Drop(29, 0);
  Drop(31, 1);
  TSimWindow* sim = OpenFromMenu();
  EXPECT_FALSE(sim->SwitchButton->isEnabled());
  sim->Start();
  sim->AdvanceFrame(0.1);
  EXPECT_EQ(sim->State().phase, SimPhase::kWaitSwitch);
  EXPECT_TRUE(sim->StatusLabel->text().contains(QStringLiteral("スイッチ")));
  sim->AdvanceFrame(0.1);
  EXPECT_TRUE(sim->Running());
  QTest::mouseClick(sim->SwitchButton, Qt::LeftButton);
  sim->AdvanceFrame(0.1);
  EXPECT_FALSE(sim->Running());
  EXPECT_TRUE(sim->State().ended_by_command);
  EXPECT_NEAR(sim->State().time_s, 0.2, 1e-9);
}

TEST_F(SimWindowTest, TheTimerRunsFramesAndClosingRemovesTheMark) {
  Drop(2, 0);
  form->TrackBar1->setValue(15);
  form->StepSlots().StepValueLabelClick(form->StepSlots().DropLabels[0]);
  TSimWindow* sim = OpenFromMenu();
  QTest::mouseClick(sim->SpeedButtons[2], Qt::LeftButton);
  EXPECT_EQ(sim->Speed(), 4);
  QTest::mouseClick(sim->StartButton, Qt::LeftButton);
  QTest::qWait(300);
  EXPECT_GT(sim->State().time_s, 0.5);
  EXPECT_LT(sim->State().time_s, 3.75);
  EXPECT_TRUE(SlotLooksMarked(0));
  QPointer<TSimWindow> alive(sim);
  sim->close();
  QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_TRUE(alive.isNull());
  EXPECT_FALSE(SlotLooksMarked(0));
}

}  // namespace
}  // namespace vk47
