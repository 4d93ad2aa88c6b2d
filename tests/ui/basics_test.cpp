// The wait, the error box text and the picture control.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QTimer>
#include <QWidget>

#include "ui/common/ErrorBox.h"
#include "ui/editor/TImage.h"
#include "ui/common/StartupTrace.h"
#include "ui/common/WaitWithMessages.h"
#include "ui_test_support.h"

namespace vk47 {
namespace {

TEST(TicksElapsed, SurvivesTheWrapOfTheCounter) {
  struct Row { std::uint32_t start, now, elapsed; };
  const Row rows[] = {{0, 0, 0},           {100, 500, 400},          {0xFFFFFF00u, 0x90u, 0x190u},
                      {0xFFFFFFFFu, 0, 1}, {0xFFFFFFFFu, 0xFFFFFFFFu, 0}};
  for (const Row& row : rows) EXPECT_EQ(TicksElapsed(row.start, row.now), row.elapsed);
}

TEST(WaitWithMessages, ZeroReturnsWithoutProcessingEvents) {
  bool ran = false;
  QTimer::singleShot(0, [&] { ran = true; });
  WaitWithMessages(0);
  EXPECT_FALSE(ran);
  QCoreApplication::processEvents();
  EXPECT_TRUE(ran);
}

TEST(WaitWithMessages, LastsItsTimeAndProcessesEvents) {
  for (std::uint32_t offset : {0u, 0xFFFFFFFFu - 20u}) {
    // The second row starts the wait 20 ms before the counter wraps.
    SetTickOffsetForTesting(0);
    SetTickOffsetForTesting(offset - TickCount());
    bool ran = false;
    QTimer::singleShot(10, [&] { ran = true; });
    QElapsedTimer timer;
    timer.start();
    WaitWithMessages(60);
    EXPECT_GE(timer.elapsed(), 59) << offset;  // the tick counter counts whole ms
    EXPECT_LT(timer.elapsed(), 1000) << offset;
    EXPECT_TRUE(ran) << offset;
  }
  SetTickOffsetForTesting(0);
}

// A wait counted from an earlier tick waits only what is left of it, and a
// start that has passed long ago returns at once.
TEST(WaitWithMessages, CountedFromAnEarlierTickWaitsWhatIsLeft) {
  QElapsedTimer timer;
  timer.start();
  WaitWithMessagesSince(TickCount() - 40, 100);
  EXPECT_GE(timer.elapsed(), 59);
  EXPECT_LT(timer.elapsed(), 95);
  timer.restart();
  WaitWithMessagesSince(TickCount() - 500, 400);
  EXPECT_LT(timer.elapsed(), 20);
}

// The benchmark reads start-up's marks from this file: every mark in order,
// and "painted" last, once the window's first expose has been painted.
TEST(StartupTrace, WritesTheMarksAfterTheFirstPaint) {
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("marks.txt"));
  qputenv("VK47_STARTUP_TRACE", path.toLocal8Bit());
  MarkStartup("before");
  QWidget window;
  window.resize(100, 50);
  window.show();
  FinishStartupTraceAfterFirstPaint(&window);
  MarkStartup("shown");
  QElapsedTimer waited;
  waited.start();
  while (!QFile::exists(path) && waited.elapsed() < 5000) QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
  qunsetenv("VK47_STARTUP_TRACE");
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << "no marks written";
  QStringList names;
  double last = 0;
  for (const QByteArray& line : file.readAll().split('\n')) {
    if (line.isEmpty()) continue;
    // "name time": a name may hold spaces ("port open"), the time none.
    const qsizetype space = line.lastIndexOf(' ');
    ASSERT_GT(space, 0) << line.constData();
    bool number = false;
    const double time = line.mid(space + 1).toDouble(&number);
    ASSERT_TRUE(number) << line.constData();
    EXPECT_GE(time, last) << line.constData();
    last = time;
    names << QString::fromLatin1(line.left(space));
  }
  ASSERT_GE(names.size(), 3);
  EXPECT_EQ(names.mid(names.size() - 3), QStringList({"before", "shown", "painted"}));
}

TEST(ErrorBox, AppendsAPeriodAfterCharactersThatSortAfterIt) {
  struct Row { const char* message; const char* shown; };
  const Row rows[] = {{"ファイル a は開けません", "ファイル a は開けません."},
                      {"done.", "done."}, {"stop!", "stop!"}, {"abc", "abc."}, {"", ""}, {"x 1", "x 1."},
                      // A Japanese sentence keeps its own mark, with no "." after it.
                      {"開き直します。", "開き直します。"}, {"よいですか？", "よいですか？"}, {"だめ！", "だめ！"}};
  for (const Row& row : rows) {
    EXPECT_EQ(MessageWithPeriod(QString::fromUtf8(row.message)), QString::fromUtf8(row.shown)) << row.message;
  }
}

TEST(ErrorBox, GuardShowsTheExceptionAndCarriesOn) {
  testing::UiSandbox sandbox;
  EXPECT_TRUE(RunGuarded(nullptr, [] {}));
  EXPECT_FALSE(RunGuarded(nullptr, [] { throw std::runtime_error("書けません"); }));
  ASSERT_EQ(sandbox.boxes.size(), 1u);
  EXPECT_EQ(sandbox.boxes[0].icon, QMessageBox::Critical);
  EXPECT_EQ(sandbox.boxes[0].caption, QStringLiteral("vk47"));
  EXPECT_EQ(sandbox.boxes[0].text, QStringLiteral("書けません."));
}

TEST(TImage, BottomLeftColourIsTransparentAndMissingFileThrows) {
  QTemporaryDir dir;
  QImage image(4, 3, QImage::Format_RGB32);
  image.fill(QColor(0, 0, 255));
  image.setPixelColor(1, 1, QColor(255, 0, 0));
  const QString path = dir.filePath(QStringLiteral("x.bmp"));
  ASSERT_TRUE(image.save(path, "BMP"));

  TImage picture;
  picture.AutoSize = true;
  picture.LoadFromFile(path);
  EXPECT_EQ(picture.size(), QSize(4, 3));
  const QImage shown = picture.Picture().toImage();
  EXPECT_EQ(qAlpha(shown.pixel(0, 2)), 0);
  EXPECT_EQ(qAlpha(shown.pixel(3, 0)), 0);
  EXPECT_EQ(shown.pixel(1, 1), qRgb(255, 0, 0));

  const QString missing = dir.filePath(QStringLiteral("none.bmp"));
  try {
    picture.LoadFromFile(missing);
    FAIL() << "no exception";
  } catch (const FileOpenError& error) {
    EXPECT_EQ(QString::fromUtf8(error.what()), QStringLiteral("ファイル %1 は開けません").arg(missing));
  }
  EXPECT_TRUE(picture.HasPicture());  // the old picture stays
}

}  // namespace
}  // namespace vk47
