#include "ui/DragController.h"

#include <QCursor>
#include <QDrag>
#include <QMimeData>
#include <QWidget>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace vk47 {
namespace {

QImage Filled(int width, int height, QRgb colour) {
  QImage image(width, height, QImage::Format_RGB32);
  image.fill(colour);
  return image;
}

class DragControllerTest : public ::testing::Test {
 protected:
  QWidget icon;
  TDragController controller;
};

TEST_F(DragControllerTest, ListIsInUseOnlyBetweenBitmapAndFinish) {
  TDragObj* obj = controller.CreateDragObject(&icon);
  EXPECT_EQ(obj->ImageListInUse(), nullptr) << "no bitmap given yet";
  controller.FinishDrag();

  controller.SetDragBitmap(Filled(50, 72, qRgb(0, 0, 255)), 0xFFFFFF, {10, 20});
  obj = controller.CreateDragObject(&icon);
  EXPECT_EQ(obj->ImageListInUse(), &controller.DragImageList);
  controller.FinishDrag();

  EXPECT_EQ(controller.DragImageList.Count(), 0);
  TDragObj after(&icon, &controller);
  EXPECT_EQ(after.ImageListInUse(), nullptr);
}

TEST_F(DragControllerTest, OnePictureOfTheBitmapsSizeWhateverWasHeld) {
  controller.SetDragBitmap(Filled(30, 30, qRgb(1, 2, 3)), 0xFFFFFF, {0, 0});
  controller.DragImageList.AddMasked(Filled(30, 30, qRgb(4, 5, 6)), 0xFFFFFF);
  ASSERT_EQ(controller.DragImageList.Count(), 2);

  controller.SetDragBitmap(Filled(50, 72, qRgb(1, 2, 3)), 0xFFFFFF, {0, 0});
  const TDragImageList& list = controller.DragImageList;
  EXPECT_EQ(list.Count(), 1);
  EXPECT_EQ(list.Width(), 50);
  EXPECT_EQ(list.Height(), 72);
  EXPECT_EQ(list.Image(0).size(), QSize(50, 72));
}

TEST_F(DragControllerTest, OnlyPixelsOfExactlyTheColourBecomeTransparent) {
  struct Row {
    QRgb pixel;
    bool drawn;
  };
  const std::vector<Row> rows = {
      {qRgb(255, 255, 255), false}, {qRgb(254, 255, 255), true}, {qRgb(255, 255, 254), true},
      {qRgb(0, 0, 0), true},        {qRgb(255, 0, 0), true},     {qRgb(192, 192, 192), true},
  };
  QImage bitmap(static_cast<int>(rows.size()), 1, QImage::Format_RGB32);
  for (int x = 0; x < bitmap.width(); ++x) bitmap.setPixel(x, 0, rows[x].pixel);

  controller.SetDragBitmap(bitmap, 0xFFFFFF, {0, 0});
  const QImage picture = controller.DragImageList.DragPixmap().toImage();
  for (int x = 0; x < bitmap.width(); ++x) {
    SCOPED_TRACE(QString::number(rows[x].pixel, 16).toStdString());
    EXPECT_EQ(qAlpha(picture.pixel(x, 0)), rows[x].drawn ? 255 : 0);
    if (rows[x].drawn) {
      EXPECT_EQ(picture.pixel(x, 0) & 0xFFFFFF, rows[x].pixel & 0xFFFFFF);
    }
  }
}

TEST_F(DragControllerTest, HotSpotSitsUnderThePointer) {
  controller.SetDragBitmap(Filled(50, 72, qRgb(0, 128, 0)), 0xFFFFFF, {10, 20});
  TDragImageList& list = controller.DragImageList;
  EXPECT_EQ(list.HotSpot(), QPoint(10, 20));
}

TEST_F(DragControllerTest, TheDragCursorIsTheControlsOwnOrTheMoveCursor) {
  QWidget arrow_icon;
  SetDragCursor(&arrow_icon, Qt::ArrowCursor);
  EXPECT_EQ(DragCursorOf(&icon), Qt::DragMoveCursor);
  EXPECT_EQ(DragCursorOf(&arrow_icon), Qt::ArrowCursor);
  EXPECT_FALSE(DragCursorPixmap(Qt::ArrowCursor).isNull()) << "the arrow is drawn for the drag";
  EXPECT_TRUE(DragCursorPixmap(Qt::DragMoveCursor).isNull()) << "Qt's own move cursor is kept";
}

TEST_F(DragControllerTest, FinishDragTwiceLeavesTheControllerIdle) {
  controller.SetDragBitmap(Filled(50, 72, qRgb(9, 9, 9)), 0xFFFFFF, {1, 1});
  controller.CreateDragObject(&icon);
  controller.FinishDrag();
  controller.FinishDrag();
  EXPECT_EQ(controller.CurrentDragObject, nullptr);
  EXPECT_FALSE(controller.Dragging);
  EXPECT_EQ(controller.DragImageList.Count(), 0);
  EXPECT_NO_THROW(controller.CreateDragObject(&icon));
}

TEST_F(DragControllerTest, ANewBitmapDuringADragReplacesThePicture) {
  controller.SetDragBitmap(Filled(50, 72, qRgb(9, 9, 9)), 0xFFFFFF, {10, 20});
  TDragObj* obj = controller.CreateDragObject(&icon);
  controller.SetDragBitmap(Filled(40, 40, qRgb(7, 7, 7)), 0xFFFFFF, {3, 4});
  const TDragImageList* list = obj->ImageListInUse();
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(list->Count(), 1);
  EXPECT_EQ(list->DragPixmap().size(), QSize(40, 40));
  EXPECT_EQ(list->HotSpot(), QPoint(3, 4));
  controller.FinishDrag();
  EXPECT_TRUE(list->DragPixmap().isNull());
}

TEST_F(DragControllerTest, EmptyBitmapLeavesTheDragWithTheCursorAlone) {
  controller.SetDragBitmap(Filled(50, 72, qRgb(9, 9, 9)), 0xFFFFFF, {0, 0});
  controller.SetDragBitmap(QImage(), 0xFFFFFF, {0, 0});
  TDragObj* obj = controller.CreateDragObject(&icon);
  EXPECT_EQ(obj->ImageListInUse(), nullptr);
  const std::unique_ptr<QDrag> drag(NewControlDrag(*obj, new QMimeData));
  EXPECT_TRUE(drag->pixmap().isNull()) << "no picture: Qt's cursor alone";
}

TEST_F(DragControllerTest, SecondCreateDragObjectFailsAndKeepsTheHeldObject) {
  TDragObj* first = controller.CreateDragObject(&icon);
  QWidget other;
  try {
    controller.CreateDragObject(&other);
    FAIL() << "no assertion failure";
  } catch (const EAssertionFailed& failure) {
    EXPECT_THAT(failure.what(),
                ::testing::MatchesRegex(R"(Assertion failure \(DragController\.cpp, line [0-9]+\))"));
  }
  EXPECT_EQ(controller.CurrentDragObject.get(), first);
  EXPECT_EQ(first->Control, &icon);
  EXPECT_TRUE(controller.Dragging);
}

TEST_F(DragControllerTest, QDragCarriesPictureHotSpotCursorAndData) {
  SetDragCursor(&icon, Qt::ArrowCursor);
  controller.SetDragBitmap(Filled(50, 72, qRgb(0, 0, 255)), 0xFFFFFF, {10, 20});
  TDragObj* obj = controller.CreateDragObject(&icon);
  auto* mime = new QMimeData;
  mime->setData("application/x-test", "2");

  std::unique_ptr<QDrag> drag(NewControlDrag(*obj, mime));
  EXPECT_EQ(drag->pixmap().size(), QSize(50, 72));
  EXPECT_EQ(drag->hotSpot(), QPoint(10, 20));
  EXPECT_EQ(drag->mimeData(), mime);
  EXPECT_FALSE(drag->dragCursor(Qt::MoveAction).isNull()) << "arrow instead of the drag cursor";
  EXPECT_TRUE(drag->dragCursor(Qt::IgnoreAction).isNull()) << "no-drop stays Qt's";
}

TEST_F(DragControllerTest, QDragWithoutPictureKeepsQtsDragCursor) {
  TDragObj* obj = controller.CreateDragObject(&icon);
  std::unique_ptr<QDrag> drag(NewControlDrag(*obj, new QMimeData));
  EXPECT_TRUE(drag->pixmap().isNull());
  EXPECT_TRUE(drag->dragCursor(Qt::MoveAction).isNull());
}

}  // namespace
}  // namespace vk47
