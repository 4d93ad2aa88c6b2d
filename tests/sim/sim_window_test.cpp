// The simulator window offscreen: opened from the 制御 menu, it runs the
// program on the slots, marks the running step's slot in the main window,
// takes switch presses, and goes back to the start when the program changes.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QMimeData>
#include <QPushButton>
#include <QSlider>
#include <QTest>
#include <QUndoStack>

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
    const std::unique_ptr<QMimeData> data(TForm1::NewCommandMimeData(QString::number(number)));
    form->Image8DragDrop(form->Picture(slot + 8), data.get());
  }
  TSimWindow* OpenFromMenu() {
    form->Sim1->trigger();
    return form->findChild<TSimWindow*>();
  }
  // Whether the pixel at the middle of the left edge of slot k's mark is the
  // mark's colour, as the main window draws itself.
  bool SlotLooksMarked(int slot) {
    const QRect r = form->Picture(slot + 8)->geometry();
    const QImage image = form->GroupBox3->grab().toImage();
    const QColor c = image.pixelColor(r.left() - 2, r.center().y());
    return c.red() > 230 && c.green() > 100 && c.green() < 170 && c.blue() < 60;
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
  EXPECT_EQ(form->Client->size(), QSize(732, 524));
}

TEST_F(SimWindowTest, RunsTheDemoAndMarksTheRunningStep) {
  form->N2->trigger();  // the demo: 2 for 1 s, 4 for 1 s, 6 for 1 s ...
  TSimWindow* sim = OpenFromMenu();
  ASSERT_EQ(sim->Codes(), form->Slots.Program().Codes());
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
  form->Slots.StepValueLabelClick(form->Slots.DropLabels[0]);  // no undo step: the frame check sees it
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
  EXPECT_EQ(sim->Codes(), form->Slots.Program().Codes());

  // Paused, then undone: back to the start again, with the program before.
  sim->Start();
  sim->AdvanceFrame(0.25);
  sim->Pause();
  form->Undo1->trigger();
  EXPECT_EQ(sim->State().time_s, 0);
  EXPECT_EQ(sim->Codes()[1], kEmptyCode);

  // A change that no undo step records is met at the next frame.
  sim->Start();
  sim->AdvanceFrame(0.25);
  form->Slots.SetCode(2, 0xD0);
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
  form->Slots.StepValueLabelClick(form->Slots.DropLabels[0]);
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
