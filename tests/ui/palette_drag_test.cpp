// Palette drag-and-drop of the main window, offscreen: QDrag::exec returns at
// once there, so drops are delivered as QDropEvents to the slots and the
// pictures get real QMouseEvents through the window's event routing.

#include <QCoreApplication>
#include <QDropEvent>
#include <QLabel>
#include <QMimeData>
#include <QMouseEvent>
#include <QPointer>
#include <QSlider>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "model/command_set.h"
#include "ui/common/AppFolder.h"
#include "ui/common/ErrorBox.h"
#include "ui/editor/TImage.h"
#include "ui/Unit1.h"
#include "ui_test_support.h"

namespace vk47 {
namespace {

// The sandbox's icons are white with a block of a colour picked from the
// command number, so a picture tells which file it came from by its centre.
QRgb IconColour(int number) { return QColor::fromHsv(number * 11, 200, 200).rgb(); }

class PaletteDragTest : public ::testing::Test {
 protected:
  void SetUp() override {
    sandbox_.WriteAllIcons();
    form_ = std::make_unique<TForm1>();
    ASSERT_TRUE(sandbox_.boxes.empty()) << "start-up failed";
  }
  void TearDown() override { form_.reset(); }

  TImage* Image(int n) const { return form_->Picture(n); }
  static QRgb CentreOf(const QPixmap& pixmap) {
    return pixmap.toImage().pixel(pixmap.width() / 2, pixmap.height() / 2) | 0xFF000000u;
  }

  static void SendMouse(QWidget* widget, QEvent::Type type, Qt::MouseButton button, QPoint pos) {
    const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(button);
    QMouseEvent event(type, QPointF(pos), widget->mapToGlobal(QPointF(pos)),
                      type == QEvent::MouseMove ? Qt::NoButton : button, held, Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &event);
  }
  // A press at `from` and one movement to `to`, without releasing.
  static void PressAndMove(QWidget* widget, Qt::MouseButton button, QPoint from, QPoint to) {
    SendMouse(widget, QEvent::MouseButtonPress, button, from);
    SendMouse(widget, QEvent::MouseMove, button, to);
  }

  // Delivers a drop of command `number` onto slot picture Image(8 + slot).
  bool Drop(int number, int slot) {
    const std::unique_ptr<QMimeData> data(TPaletteDrag::NewCommandMimeData(QString::number(number)));
    QWidget* target = Image(8 + slot);
    QDragEnterEvent enter(QPoint(20, 30), Qt::MoveAction, data.get(), Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &enter);
    if (!enter.isAccepted()) return false;
    QDropEvent drop(QPointF(20, 30), Qt::MoveAction, data.get(), Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &drop);
    return drop.isAccepted();
  }

  testing::UiSandbox sandbox_;
  std::vector<MessageBoxRequest>& boxes_ = sandbox_.boxes;
  std::unique_ptr<TForm1> form_;
};

TEST_F(PaletteDragTest, DropPlacesTheCommandWithTheTrackBarOfTheMoment) {
  form_->TrackBar1->setValue(3);
  SendMouse(Image(2), QEvent::MouseButtonPress, Qt::LeftButton, {10, 10});
  form_->TrackBar1->setValue(8);  // the position at the drop counts
  ASSERT_TRUE(Drop(2, 3));

  EXPECT_EQ(form_->StepSlots().Code(3), 40);
  EXPECT_EQ(Image(11)->property("tag").toInt(), 40);
  EXPECT_EQ(CentreOf(Image(11)->Picture()), IconColour(2));
  ASSERT_TRUE(form_->StepSlots().DropLabels[3]);
  ASSERT_TRUE(form_->StepSlots().AsciiLabels[3]);
  EXPECT_EQ(form_->StepSlots().DropLabels[3]->text(), QStringLiteral("2秒"));
  EXPECT_EQ(form_->StepSlots().AsciiLabels[3]->text(), QStringLiteral("40"));
  for (int other = 0; other < kSlotCount; ++other) {
    if (other != 3) {
      EXPECT_EQ(form_->StepSlots().Code(other), kEmptyCode) << other;
    }
  }
  EXPECT_TRUE(boxes_.empty());
}

TEST_F(PaletteDragTest, SecondDropReplacesCodePictureAndLabels) {
  form_->TrackBar1->setValue(8);
  ASSERT_TRUE(Drop(2, 3));
  const QPointer<QLabel> old_value = form_->StepSlots().DropLabels[3];
  const QPointer<QLabel> old_code = form_->StepSlots().AsciiLabels[3];

  form_->TrackBar1->setValue(2);
  ASSERT_TRUE(Drop(24, 3));
  EXPECT_EQ(form_->StepSlots().Code(3), EncodeStep("24", 2));
  EXPECT_EQ(CentreOf(Image(11)->Picture()), IconColour(24));
  EXPECT_TRUE(old_value.isNull());
  EXPECT_TRUE(old_code.isNull());
  EXPECT_EQ(form_->StepSlots().DropLabels[3]->text(), QStringLiteral("2回"));
  EXPECT_EQ(form_->StepSlots().AsciiLabels[3]->text(), QString::number(EncodeStep("24", 2)));
  EXPECT_EQ(form_->findChildren<QLabel*>(QStringLiteral("Drop_Label4")).size(), 1);
}

TEST_F(PaletteDragTest, DropWhoseIconCannotBeReadKeepsTheSlot) {
  form_->TrackBar1->setValue(8);
  ASSERT_TRUE(Drop(2, 3));
  const QPointer<QLabel> value = form_->StepSlots().DropLabels[3];
  sandbox_.RemoveIcon(6);

  Drop(6, 3);
  ASSERT_EQ(boxes_.size(), 1u);
  EXPECT_EQ(boxes_[0].text, FailureWarningText());
  EXPECT_EQ(form_->StepSlots().Code(3), 40);
  EXPECT_EQ(CentreOf(Image(11)->Picture()), IconColour(2));
  EXPECT_EQ(form_->StepSlots().DropLabels[3], value);
  EXPECT_EQ(value->text(), QStringLiteral("2秒"));
}

TEST_F(PaletteDragTest, EverySlotAndNothingElseTakesPaletteDrops) {
  for (int slot = 0; slot < kSlotCount; ++slot) EXPECT_TRUE(Drop(31, slot)) << slot;
  // Any other widget that takes drops at all (the memo takes text) refuses
  // a palette drag.
  const std::unique_ptr<QMimeData> palette(TPaletteDrag::NewCommandMimeData(QStringLiteral("2")));
  for (QWidget* widget : form_->findChildren<QWidget*>()) {
    const int n = widget->objectName().startsWith(QStringLiteral("Image")) ? widget->objectName().mid(5).toInt() : 0;
    if (n >= 8 && n <= 23) {
      EXPECT_TRUE(widget->acceptDrops()) << n;
    } else if (widget->acceptDrops()) {
      QDragEnterEvent enter(QPoint(5, 5), Qt::MoveAction, palette.get(), Qt::LeftButton, Qt::NoModifier);
      QCoreApplication::sendEvent(widget, &enter);
      EXPECT_FALSE(enter.isAccepted()) << widget->objectName().toStdString();
    }
  }
  EXPECT_FALSE(form_->acceptDrops());

  struct Row {
    const char* format;
    QByteArray payload;
  };
  const Row refused[] = {{"text/plain", "2"}, {"application/x-vk47-command", "99"},
                         {"application/x-vk47-command", "02"}};
  for (const Row& row : refused) {
    QMimeData data;
    data.setData(QString::fromLatin1(row.format), row.payload);
    QDragEnterEvent enter(QPoint(5, 5), Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(Image(9), &enter);
    EXPECT_FALSE(enter.isAccepted()) << row.format << " " << row.payload.toStdString();
  }
}

// Whether a press and a movement on a picture ran a drag: the drag start
// loads the icon into DragBitmap and the end of the drag clears Pressed.
struct MoveRow {
  const char* name;
  int picture;
  Qt::MouseButton button;
  QPoint to;  // from (20, 30)
  bool drags;
};

void PrintTo(const MoveRow& row, std::ostream* os) { *os << row.name; }

class PaletteDragStartTest : public PaletteDragTest, public ::testing::WithParamInterface<MoveRow> {};

TEST_P(PaletteDragStartTest, StartsOnlyBeyondTheThresholdWithTheLeftButtonOnAnIcon) {
  const MoveRow& row = GetParam();
  *form_->PaletteDrag().DragBitmap = QPixmap();
  PressAndMove(Image(row.picture), row.button, {20, 30}, row.to);

  EXPECT_EQ(!form_->PaletteDrag().DragBitmap->isNull(), row.drags);
  if (row.drags) {
    EXPECT_EQ(CentreOf(*form_->PaletteDrag().DragBitmap), IconColour(row.picture));
    EXPECT_FALSE(form_->PaletteDrag().Pressed) << "the end of the drag clears it";
  }
  EXPECT_FALSE(form_->DragController1.Dragging);
  EXPECT_EQ(form_->DragController1.DragImageList.Count(), 0);
  EXPECT_TRUE(boxes_.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Moves, PaletteDragStartTest,
    ::testing::Values(MoveRow{"Exactly5Each", 2, Qt::LeftButton, {25, 35}, false},
                      MoveRow{"Exactly5Back", 2, Qt::LeftButton, {15, 25}, false},
                      MoveRow{"SixRight", 2, Qt::LeftButton, {26, 30}, true},
                      MoveRow{"SixUp", 27, Qt::LeftButton, {20, 24}, true},
                      MoveRow{"RightButton", 2, Qt::RightButton, {60, 60}, false},
                      MoveRow{"MiddleButton", 2, Qt::MiddleButton, {60, 60}, false},
                      MoveRow{"OnASlot", 8, Qt::LeftButton, {60, 60}, false}),
    [](const ::testing::TestParamInfo<MoveRow>& info) { return std::string(info.param.name); });

TEST_F(PaletteDragTest, ReleaseOnTheIconEndsThePress) {
  SendMouse(Image(5), QEvent::MouseButtonPress, Qt::LeftButton, {10, 10});
  EXPECT_TRUE(form_->PaletteDrag().Pressed);
  EXPECT_EQ(form_->PaletteDrag().PressPoint, QPoint(10, 10));
  SendMouse(Image(5), QEvent::MouseButtonRelease, Qt::LeftButton, {10, 10});
  EXPECT_FALSE(form_->PaletteDrag().Pressed);
  *form_->PaletteDrag().DragBitmap = QPixmap();
  SendMouse(Image(5), QEvent::MouseMove, Qt::NoButton, {40, 40});
  EXPECT_TRUE(form_->PaletteDrag().DragBitmap->isNull());
}

TEST_F(PaletteDragTest, DragStartWithAMissingIconWarnsAndDragsThePreviousPicture) {
  PressAndMove(Image(2), Qt::LeftButton, {20, 30}, {40, 30});
  ASSERT_EQ(CentreOf(*form_->PaletteDrag().DragBitmap), IconColour(2));
  sandbox_.RemoveIcon(5);

  PressAndMove(Image(5), Qt::LeftButton, {20, 30}, {40, 30});
  ASSERT_EQ(boxes_.size(), 1u);
  EXPECT_EQ(boxes_[0].text, FailureWarningText());
  EXPECT_EQ(CentreOf(*form_->PaletteDrag().DragBitmap), IconColour(2));
  EXPECT_FALSE(form_->PaletteDrag().Pressed) << "the drag ran to its end";
}

TEST_F(PaletteDragTest, StartDragHandsOverTheGrabPointAndTheIconsCursor) {
  form_->PaletteDrag().PressPoint = QPoint(12, 34);
  TDragObj* obj = form_->PaletteDrag().Image1StartDrag(Image(3));
  ASSERT_NE(obj, nullptr);
  const TDragImageList* list = obj->ImageListInUse();
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(list->HotSpot(), QPoint(12, 34));
  EXPECT_EQ(list->DragPixmap().size(), QSize(50, 72));
  EXPECT_EQ(DragCursorOf(obj->Control), Qt::ArrowCursor);
  form_->PaletteDrag().Image1EndDrag(Image(3));

  obj = form_->PaletteDrag().Image1StartDrag(Image(2));
  EXPECT_EQ(DragCursorOf(obj->Control), Qt::DragMoveCursor);
  form_->PaletteDrag().Image1EndDrag(Image(2));
  EXPECT_EQ(form_->DragController1.CurrentDragObject, nullptr);
}

}  // namespace
}  // namespace vk47
