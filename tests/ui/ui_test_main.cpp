// GoogleTest main with the QApplication that every window test needs. Runs
// offscreen unless a platform is chosen.
#include <gtest/gtest.h>

#include <QApplication>

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("vk47"));
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
