// Start-up of the main window: icons loaded in order, the warning on failure,
// the port name from the settings file.
#include <gtest/gtest.h>

#include <QCoreApplication>

#include "ui/TImage.h"
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
  TForm1 form;
  for (int n = 1; n <= 31; ++n) {
    EXPECT_EQ(form.Picture(n)->HasPicture(), n <= GetParam().last_loaded) << "Image" << n;
  }
  ASSERT_EQ(sandbox.boxes.size(), 1u);
  EXPECT_EQ(sandbox.boxes[0].icon, QMessageBox::Warning);
  EXPECT_EQ(sandbox.boxes[0].caption, QStringLiteral("警告"));
  EXPECT_EQ(sandbox.boxes[0].text,
            QStringLiteral("エラーが発生しました\r\nソフトを再起動するか再度インストールして下さい"));
  // The later steps did not run.
  EXPECT_EQ(form.DragBitmap, nullptr);
  EXPECT_EQ(form.rs232c.portname, "COM1");
}

INSTANTIATE_TEST_SUITE_P(Icons, StartupMissingIcon,
                         ::testing::Values(MissingIconCase{24, 23}, MissingIconCase{4, 3},
                                           MissingIconCase{1, 0}, MissingIconCase{31, 30}));

TEST(Startup, LoadsEveryPictureAndShowsNoBox) {
  testing::UiSandbox sandbox;
  sandbox.WriteAllIcons();
  TForm1 form;
  for (int n = 1; n <= 31; ++n) EXPECT_TRUE(form.Picture(n)->HasPicture()) << "Image" << n;
  // Every slot shows the empty-slot picture, the icon of command 4.
  const QImage empty = form.Picture(4)->Picture().toImage();
  for (int n = 8; n <= 23; ++n) EXPECT_EQ(form.Picture(n)->Picture().toImage(), empty) << n;
  EXPECT_TRUE(sandbox.boxes.empty());
  EXPECT_NE(form.DragBitmap, nullptr);
  for (int k = 0; k < 16; ++k) {
    EXPECT_EQ(form.Slots.DropLabels[k], nullptr);
    EXPECT_EQ(form.Slots.AsciiLabels[k], nullptr);
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
  TForm1 form;
  EXPECT_EQ(form.rs232c.portname, GetParam().portname);
}

INSTANTIATE_TEST_SUITE_P(Settings, StartupPortName,
                         ::testing::Values(PortNameCase{std::nullopt, "com1"}, PortNameCase{0, "com1"},
                                           PortNameCase{2, "com3"}, PortNameCase{3, "com4"},
                                           PortNameCase{4, "COM1"}, PortNameCase{-1, "COM1"}));

}  // namespace
}  // namespace vk47
