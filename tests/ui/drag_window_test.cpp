// The drag picture on a real X display (run under Xvfb by CTest): Qt draws it
// in a private window class that NewControlDrag shapes, hides and shows by
// name. If a Qt update renames or drops that class, this test fails instead
// of the drag picture silently losing its shape and its hiding.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCursor>
#include <QDrag>
#include <QElapsedTimer>
#include <QMimeData>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include <functional>
#include <memory>

#include "ui/DragController.h"

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

}  // namespace
}  // namespace vk47

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
