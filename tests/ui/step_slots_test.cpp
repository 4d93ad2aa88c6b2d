// The step slots' labels: creation, click, release, and clearing.
#include <gtest/gtest.h>

#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QSlider>
#include <QTest>

#include "model/command_set.h"
#include "ui/common/AppFolder.h"
#include "ui/common/Controls.h"
#include "ui/editor/TImage.h"
#include "ui/Unit1.h"
#include "ui_test_support.h"

namespace vk47 {
namespace {

class StepSlotsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    sandbox.WriteAllIcons();
    form = std::make_unique<TForm1>(sandbox.Factory());
  }

  // What a drop does: the code, the command's picture, the labels.
  void Place(int slot, int code) {
    const QString number = QString::fromStdString(StepCommandNumber(code).value_or(""));
    form->StepSlots().SetCode(slot, code);
    if (auto icon = StepIconFile(code)) form->Picture(slot + 8)->LoadFromFile(IconPath(QString::fromStdString(*icon)));
    form->StepSlots().CreateStepLabels(code, slot, number);
  }
  QLabel* Label(const char* prefix, int n) {
    return qobject_cast<QLabel*>(FindControl(form.get(), QString::fromLatin1(prefix), n));
  }
  void ClickValueLabel(int slot) {
    QTest::mouseClick(form->StepSlots().DropLabels[slot], Qt::LeftButton, {}, QPoint(5, 5));
  }
  int CountLabels() {
    int count = 0;
    for (QLabel* label : form->findChildren<QLabel*>()) {
      const QString name = label->objectName();
      if (name.startsWith(QStringLiteral("Drop_Label")) || name.startsWith(QStringLiteral("ASCII_Label"))) ++count;
    }
    return count;
  }

  testing::UiSandbox sandbox;
  std::unique_ptr<TForm1> form;
};

TEST_F(StepSlotsTest, LabelsTakeTheirPlacesAndLooks) {
  struct Row { int slot; int code; QRect value; QRect code_rect; const char* text; };
  const Row rows[] = {
      {0, 36, {64, 30, 53, 19}, {64, 70, 24, 16}, "1秒"},
      {5, 179, {195, 105, 53, 19}, {195, 145, 24, 16}, "3回"},
      {15, 207, {457, 255, 53, 19}, {457, 295, 24, 16}, "15へ"},
      {10, 114, {326, 180, 53, 19}, {326, 220, 24, 16}, ""},
  };
  for (const Row& row : rows) {
    Place(row.slot, row.code);
    QLabel* value = Label("drop_label", row.slot + 1);
    QLabel* code = Label("ascii_label", row.slot + 1);
    ASSERT_NE(value, nullptr);
    ASSERT_NE(code, nullptr);
    EXPECT_EQ(form->StepSlots().DropLabels[row.slot], value);
    EXPECT_EQ(form->StepSlots().AsciiLabels[row.slot], code);
    EXPECT_EQ(value->objectName(), QStringLiteral("Drop_Label%1").arg(row.slot + 1));
    EXPECT_EQ(code->objectName(), QStringLiteral("ASCII_Label%1").arg(row.slot + 1));
    EXPECT_EQ(value->parentWidget(), form->GroupBox3);
    EXPECT_EQ(value->geometry(), row.value) << row.slot;
    EXPECT_EQ(code->geometry(), row.code_rect) << row.slot;
    EXPECT_EQ(value->text(), QString::fromUtf8(row.text));
    EXPECT_EQ(code->text(), QString::number(row.code));
    EXPECT_EQ(value->palette().color(QPalette::Window), kCyan);
    EXPECT_EQ(code->palette().color(QPalette::Window), QColor(Qt::white));
    EXPECT_EQ(value->font().pointSize(), 14);
    EXPECT_EQ(code->font().pointSize(), 12);
    EXPECT_TRUE(value->alignment() & Qt::AlignRight);
    EXPECT_TRUE(code->alignment() & Qt::AlignRight);
    EXPECT_EQ(value->property("tag").toInt(), row.slot);
    EXPECT_EQ(code->property("tag").toInt(), row.slot);
    EXPECT_TRUE(value->isVisible() || !form->isVisible());
  }
}

struct ClickCase {
  int code;
  int position;
  int new_code;
  const char* value_text;
};

class StepValueClick : public StepSlotsTest, public ::testing::WithParamInterface<ClickCase> {};

TEST_P(StepValueClick, ReencodesWithTheTrackBarAndKeepsRectangles) {
  const ClickCase& c = GetParam();
  Place(6, c.code);
  const QImage picture = form->Picture(14)->Picture().toImage();
  // Any picture load now would fail: the click must not reload it.
  for (int n : {1, 2, 3, 4, 5, 6, 7, 24, 25, 26, 27, 28, 29, 30, 31}) sandbox.RemoveIcon(n);
  form->TrackBar1->setValue(c.position);
  ClickValueLabel(6);
  EXPECT_EQ(form->StepSlots().Code(6), c.new_code);
  EXPECT_EQ(form->Picture(14)->property("tag").toInt(), c.new_code);
  EXPECT_EQ(form->StepSlots().DropLabels[6]->text(), QString::fromUtf8(c.value_text));
  EXPECT_EQ(form->StepSlots().AsciiLabels[6]->text(), QString::number(c.new_code));
  EXPECT_EQ(form->StepSlots().DropLabels[6]->geometry(), QRect(195, 180, 53, 19));
  EXPECT_EQ(form->StepSlots().AsciiLabels[6]->geometry(), QRect(195, 220, 24, 16));
  EXPECT_EQ(form->Picture(14)->Picture().toImage(), picture);
  EXPECT_TRUE(sandbox.boxes.empty());
}

INSTANTIATE_TEST_SUITE_P(Codes, StepValueClick,
                         ::testing::Values(ClickCase{36, 10, 42, "2.5秒"},    // command 2
                                           ClickCase{114, 9, 114, ""},        // command 26 keeps its code
                                           ClickCase{179, 12, 188, "12回"},   // command 24
                                           ClickCase{112, 7, 7, ""},          // no command: command 4's code
                                           ClickCase{3, 0, 0, "0秒"}));

TEST_F(StepSlotsTest, ClickIsIgnoredWhileCommandsAreHeldBack) {
  Place(0, 36);
  form->TrackBar1->setValue(10);
  {
    auto hold = form->HoldCommands();
    ClickValueLabel(0);
    EXPECT_EQ(form->StepSlots().Code(0), 36);
  }
  ClickValueLabel(0);
  EXPECT_EQ(form->StepSlots().Code(0), 42);
}

TEST_F(StepSlotsTest, ClearingAnEmptyProgramLoadsNothing) {
  sandbox.RemoveIcon(4);
  form->N3->trigger();
  EXPECT_TRUE(sandbox.boxes.empty());
  for (int k = 0; k < 16; ++k) EXPECT_EQ(form->StepSlots().Code(k), -1);
}

TEST_F(StepSlotsTest, ClearingAFullProgramLeavesNoLabel) {
  for (int k = 0; k < 16; ++k) Place(k, 0x10 + k);
  EXPECT_EQ(CountLabels(), 32);
  form->N3->trigger();
  EXPECT_TRUE(sandbox.boxes.empty());
  EXPECT_EQ(CountLabels(), 0);
  const QImage empty = form->Picture(4)->Picture().toImage();
  for (int k = 0; k < 16; ++k) {
    EXPECT_EQ(form->StepSlots().Code(k), -1);
    EXPECT_EQ(form->Picture(k + 8)->property("tag").toInt(), -1);
    EXPECT_EQ(form->Picture(k + 8)->Picture().toImage(), empty);
    EXPECT_EQ(form->StepSlots().DropLabels[k], nullptr);
    EXPECT_EQ(form->StepSlots().AsciiLabels[k], nullptr);
  }
}

TEST_F(StepSlotsTest, ClearingStopsAtAMissingPictureWithTheFileError) {
  Place(2, 36);
  Place(9, 48);
  sandbox.RemoveIcon(4);
  form->N3->trigger();
  ASSERT_EQ(sandbox.boxes.size(), 1u);
  EXPECT_EQ(sandbox.boxes[0].icon, QMessageBox::Critical);
  EXPECT_EQ(sandbox.boxes[0].caption, QStringLiteral("vk47"));
  EXPECT_EQ(sandbox.boxes[0].text,
            QStringLiteral("ファイル %1 は開けません.").arg(IconPath(QStringLiteral("4.bmp"))));
  // The failing slot and those after it are as they were.
  EXPECT_EQ(form->StepSlots().Code(2), 36);
  EXPECT_EQ(form->StepSlots().Code(9), 48);
  EXPECT_EQ(CountLabels(), 4);
}

TEST_F(StepSlotsTest, ReleasingAllLabelsTwiceReleasesEachOnce) {
  Place(1, 36);
  Place(12, 208);
  form->StepSlots().FreeStepLabels();
  EXPECT_EQ(CountLabels(), 0);
  form->StepSlots().FreeStepLabels();
  EXPECT_EQ(CountLabels(), 0);
  EXPECT_EQ(form->StepSlots().Code(12), 208);  // codes stay for the caller to rebuild
  // A new label for the slot may take the same names again.
  form->StepSlots().CreateStepLabels(36, 1, QStringLiteral("2"));
  EXPECT_EQ(CountLabels(), 2);
}

}  // namespace
}  // namespace vk47

namespace vk47 {
namespace {

// The widest texts fit their fixed rectangles whole, also after a click.
TEST_F(StepSlotsTest, WideTextsAreDrawnWholeInTheirRectangles) {
  auto fits = [](QLabel* label) {
    return QFontMetrics(label->font()).horizontalAdvance(label->text()) <= label->width();
  };
  Place(0, 111);  // 3.75秒, 111
  Place(1, 207);  // 15へ, 207
  EXPECT_TRUE(fits(form->StepSlots().DropLabels[0])) << form->StepSlots().DropLabels[0]->text().toStdString();
  EXPECT_TRUE(fits(form->StepSlots().AsciiLabels[0]));
  EXPECT_TRUE(fits(form->StepSlots().AsciiLabels[1]));
  EXPECT_EQ(form->StepSlots().DropLabels[0]->font().pointSize(), 14);
  EXPECT_EQ(form->StepSlots().AsciiLabels[0]->font().pointSize(), 12);
  form->TrackBar1->setValue(1);
  ClickValueLabel(0);
  EXPECT_EQ(form->StepSlots().DropLabels[0]->text(), QStringLiteral("0.25秒"));
  EXPECT_TRUE(fits(form->StepSlots().DropLabels[0]));
  EXPECT_TRUE(fits(form->StepSlots().AsciiLabels[0]));
}

}  // namespace
}  // namespace vk47
