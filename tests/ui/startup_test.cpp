// Start-up of the main window: icons loaded in order, the warning on failure,
// the port name from the settings file.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QPointer>

#include "ui/editor/TImage.h"
#include "ui/Unit1.h"
#include "ui_test_support.h"

namespace vk47 {
namespace {

struct MissingIconCase {
  int missing;
  int last_loaded;  // pictures 1..last_loaded are loaded, the rest stay blank
};

class StartupMissingIcon : public ::testing::TestWithParam<MissingIconCase> {};

TEST_P(StartupMissingIcon, StopsAtTheFirstMissingFileAndWarns) {
  testing::UiSandbox sandbox;
  sandbox.WriteAllIcons();
  sandbox.RemoveIcon(GetParam().missing);
  TForm1 form(sandbox.Factory());
  for (int n = 1; n <= 31; ++n) {
    EXPECT_EQ(form.Picture(n)->HasPicture(), n <= GetParam().last_loaded) << "Image" << n;
  }
  ASSERT_EQ(sandbox.boxes.size(), 1u);
  EXPECT_EQ(sandbox.boxes[0].icon, QMessageBox::Warning);
  EXPECT_EQ(sandbox.boxes[0].caption, QStringLiteral("警告"));
  EXPECT_EQ(sandbox.boxes[0].text,
            QStringLiteral("エラーが発生しました\r\nソフトを再起動するか再度インストールして下さい"));
  // The later steps did not run: the port was never opened.
  EXPECT_EQ(form.PaletteDrag().DragBitmap, nullptr);
  EXPECT_EQ(form.rs232c.portname, "COM1");
  EXPECT_FALSE(form.rs232c.opened());
  EXPECT_TRUE(sandbox.line->Ops().empty());
}

INSTANTIATE_TEST_SUITE_P(Icons, StartupMissingIcon,
                         ::testing::Values(MissingIconCase{24, 23}, MissingIconCase{4, 3},
                                           MissingIconCase{1, 0}, MissingIconCase{31, 30}));

TEST(Startup, LoadsEveryPictureAndShowsNoBox) {
  testing::UiSandbox sandbox;
  sandbox.WriteAllIcons();
  // The port opens no sooner than 400 ms after the window's creation began,
  // however much of that the controls and pictures took.
  QElapsedTimer created;
  created.start();
  TForm1 form(sandbox.Factory());
  EXPECT_GE(created.elapsed(), 399);
  for (int n = 1; n <= 31; ++n) EXPECT_TRUE(form.Picture(n)->HasPicture()) << "Image" << n;
  // Every slot shows the empty-slot picture, the icon of command 4.
  const QImage empty = form.Picture(4)->Picture().toImage();
  for (int n = 8; n <= 23; ++n) EXPECT_EQ(form.Picture(n)->Picture().toImage(), empty) << n;
  EXPECT_TRUE(sandbox.boxes.empty());
  EXPECT_NE(form.PaletteDrag().DragBitmap, nullptr);
  EXPECT_TRUE(form.rs232c.opened());
  const auto opens = sandbox.line->CallsOf("Open");
  ASSERT_EQ(opens.size(), 1u);
  EXPECT_EQ(opens[0].text, "com1");
  for (int k = 0; k < 16; ++k) {
    EXPECT_EQ(form.StepSlots().DropLabels[k], nullptr);
    EXPECT_EQ(form.StepSlots().AsciiLabels[k], nullptr);
  }
}

struct PortNameCase {
  std::optional<int> stored;  // nothing: no settings file
  std::string portname;
};

class StartupPortName : public ::testing::TestWithParam<PortNameCase> {};

TEST_P(StartupPortName, MapsTheStoredIndex) {
  testing::UiSandbox sandbox;
  sandbox.WriteAllIcons();
  if (GetParam().stored) sandbox.WritePortSetting(*GetParam().stored);
  TForm1 form(sandbox.Factory());
  EXPECT_EQ(form.rs232c.portname, GetParam().portname);
  const auto opens = sandbox.line->CallsOf("Open");
  ASSERT_EQ(opens.size(), 1u);
  EXPECT_EQ(opens[0].text, GetParam().portname);
}

TEST(Shutdown, ClosesThePortAndReleasesTheLabels) {
  testing::UiSandbox sandbox;
  sandbox.WriteAllIcons();
  QPointer<QLabel> value;
  {
    TForm1 form(sandbox.Factory());
    form.StepSlots().SetCode(3, 36);
    form.StepSlots().CreateStepLabels(36, 3, QStringLiteral("2"));
    value = form.StepSlots().DropLabels[3];
    sandbox.line->ClearCalls();
  }
  EXPECT_TRUE(value.isNull());
  EXPECT_FALSE(sandbox.line->held());
  EXPECT_FALSE(sandbox.line->CallsOf("Close").empty());
}

INSTANTIATE_TEST_SUITE_P(Settings, StartupPortName,
                         ::testing::Values(PortNameCase{std::nullopt, "com1"}, PortNameCase{0, "com1"},
                                           PortNameCase{2, "com3"}, PortNameCase{3, "com4"},
                                           PortNameCase{4, "COM1"}, PortNameCase{-1, "COM1"}));

}  // namespace
}  // namespace vk47

namespace vk47 {
namespace {

struct BadSettings {
  const char* name;
  QByteArray bytes;
  const char* portname;
};

class StartupBadSettings : public ::testing::TestWithParam<BadSettings> {};

// Whatever set.ini holds, start-up reads a port from it and writes nothing.
TEST_P(StartupBadSettings, ReadsAPortAndLeavesTheFileAlone) {
  testing::UiSandbox sandbox;
  sandbox.WriteAllIcons();
  sandbox.WritePortSetting(0);  // creates the folder and the file
  {
    QFile file(sandbox.SettingsFile());
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(GetParam().bytes);
  }
  TForm1 form(sandbox.Factory());
  EXPECT_EQ(form.rs232c.portname, GetParam().portname);
  EXPECT_TRUE(sandbox.boxes.empty());
  QFile file(sandbox.SettingsFile());
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  EXPECT_EQ(file.readAll(), GetParam().bytes);
}

QByteArray Binary() {
  QByteArray bytes;
  for (int i = 0; i < 4096; ++i) bytes += static_cast<char>((i * 131 + 7) & 0xFF);
  return bytes;
}

INSTANTIATE_TEST_SUITE_P(
    Files, StartupBadSettings,
    ::testing::Values(
        BadSettings{"Binary", Binary(), "com1"},
        BadSettings{"Huge", "[comport]\r\nname=3\r\n" + QByteArray(3 << 20, 'x'), "com4"},
        BadSettings{"DuplicateSections", "[comport]\r\nname=2\r\n[COMPORT]\r\nname=3\r\n", "com3"},
        BadSettings{"NulInValue", QByteArray("[comport]\r\nname=1\0 9\r\n", 22), "com2"},
        BadSettings{"OutOfRange", "[comport]\r\nname=99999999999\r\n", "com1"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace vk47
