// GoogleTest entry for widget tests: one QApplication for the whole run.
// Without a platform chosen (test discovery at build time, a bare run), the
// offscreen platform is used so that no display is needed.
#include <QApplication>

#include <gtest/gtest.h>

int main(int argc, char** argv) {
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
