// Drags on a real X display (run under Xvfb by CTest), where Qt's own drag
// runs its loop (offscreen, QDrag::exec returns at once).
//
// The drag picture: Qt draws it in a private window class that
// NewControlDrag shapes, hides and shows by name. If a Qt update renames or
// drops that class, this test fails instead of the drag picture silently
// losing its shape and its hiding.
//
// A step drag ended with Escape keeps the step.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCursor>
#include <QDrag>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QTimer>
#include <QUndoStack>
#include <QWidget>
#include <QWindow>

#include <functional>
#include <memory>

#include "model/step_program.h"
#include "ui/DragController.h"
#include "ui/Unit1.h"
#include "ui/editor/TImage.h"
#include "ui_test_support.h"

namespace vk47 {
namespace {

QImage Icon() {
  QImage image(50, 72, QImage::Format_RGB32);
  image.fill(Qt::white);
  for (int y = 20; y < 52; ++y) {
    for (int x = 10; x < 40; ++x) image.setPixel(x, y, qRgb(0, 0, 255));
  }
  return image;
}

// Waits, with events processed, until `done` holds or a second has passed.
bool WaitFor(const std::function<bool()>& done) {
  QElapsedTimer timer;
  timer.start();
  while (!done() && timer.elapsed() < 1000) QApplication::processEvents(QEventLoop::AllEvents, 20);
  return done();
}

TEST(DragPictureWindow, ExistsDuringARealDragAndHidesOverUnmarkedControls) {
  ASSERT_EQ(QGuiApplication::platformName(), QStringLiteral("xcb")) << "run under an X server";
  // A window with a control that shows the picture and one that hides it.
  QWidget window;
  window.setGeometry(100, 100, 400, 100);
  window.setProperty("displayDragImage", true);
  QWidget shows(&window);
  shows.setGeometry(0, 0, 200, 100);
  QWidget hides(&window);
  hides.setGeometry(200, 0, 200, 100);
  hides.setProperty("displayDragImage", false);
  window.show();
  ASSERT_TRUE(WaitFor([&] { return window.isVisible() && window.windowHandle()->isExposed(); }));
  QCursor::setPos(window.mapToGlobal(QPoint(50, 50)));

  TDragController controller;
  controller.SetDragBitmap(Icon(), 0xFFFFFF, {25, 36});
  TDragObj* obj = controller.CreateDragObject(&shows);
  const std::unique_ptr<QDrag> drag(NewControlDrag(*obj, new QMimeData));

  bool found = false, mask_set = false, hidden = false, shown_again = false;
  QTimer::singleShot(100, [&] {
    QWindow* picture = DragPictureWindow();
    found = picture != nullptr;
    if (found) {
      mask_set = !picture->mask().isEmpty();
      QCursor::setPos(window.mapToGlobal(QPoint(300, 50)));
      hidden = WaitFor([&] { return !picture->isVisible(); });
      QCursor::setPos(window.mapToGlobal(QPoint(60, 50)));
      shown_again = WaitFor([&] { return picture->isVisible(); });
    }
    QDrag::cancel();
  });
  drag->exec(Qt::MoveAction);
  controller.FinishDrag();

  EXPECT_TRUE(found) << "no top-level window of class " << kDragPictureWindowClass
                     << " during a drag: Qt's drag picture window has changed";
  EXPECT_TRUE(mask_set) << "the picture window was not shaped";
  EXPECT_TRUE(hidden) << "the picture stayed over a control that hides it";
  EXPECT_TRUE(shown_again) << "the picture did not come back";
}

// Escape ends a step drag without a drop and keeps the step, even with the
// pointer over the palette side, where a release removes it. The drag is
// Qt's own on the X display; the press and the move that start it are sent
// to the slot, so no button counts as held when the drag ends, as after a
// release.
TEST(StepDrag, EscapeKeepsTheStepWhereAReleaseWouldRemoveIt) {
  ASSERT_EQ(QGuiApplication::platformName(), QStringLiteral("xcb")) << "run under an X server";
  testing::UiSandbox sandbox;
  sandbox.WriteAllIcons();
  TForm1 form(sandbox.Factory());
  form.show();
  ASSERT_TRUE(WaitFor([&] { return form.windowHandle() && form.windowHandle()->isExposed(); }));
  ProgramCodes codes = EmptyProgram();
  codes[5] = 40;  // 前進 2秒
  form.RestoreProgram(codes);
  QWidget* slot = form.Picture(5 + 8);
  QCursor::setPos(form.centralWidget()->mapToGlobal(QPoint(100, 300)));

  bool escaped = false, cancelled = false;
  QTimer::singleShot(300, [&] {
    escaped = true;
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(slot, &escape);
  });
  QTimer::singleShot(5000, [&] {
    cancelled = true;  // Escape did not end the drag: it is ended anyway
    QDrag::cancel();
  });
  const auto send = [&](QEvent::Type type, QPoint pos, Qt::MouseButton button) {
    QMouseEvent event(type, QPointF(pos), slot->mapToGlobal(QPointF(pos)), button,
                      type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(slot, &event);
  };
  send(QEvent::MouseButtonPress, {20, 30}, Qt::LeftButton);
  send(QEvent::MouseMove, {30, 30}, Qt::NoButton);  // starts the drag, and returns when it ends
  send(QEvent::MouseButtonRelease, {30, 30}, Qt::LeftButton);
  ASSERT_TRUE(escaped) << "the drag ended before Escape was pressed";
  EXPECT_FALSE(cancelled) << "Escape did not end the drag";
  EXPECT_FALSE(form.DragController1.Dragging);
  EXPECT_EQ(form.StepSlots().Program().Codes(), codes);
  EXPECT_EQ(form.Document().UndoStack()->count(), 0);
}

}  // namespace
}  // namespace vk47

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
