// The progress window, the port dialog, the small commands of the main window,
// the wait, the error box and the picture control.
#include <gtest/gtest.h>

#include <algorithm>

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QElapsedTimer>
#include <QLabel>
#include <QMenu>
#include <QStatusBar>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QUrl>

#include "ui/common/AppFolder.h"
#include "ui/Setup.h"
#include "ui/editor/TImage.h"
#include "settings/editor_setting.h"
#include "ui/Unit1.h"
#include "ui/common/Catalogue.h"
#include "ui/common/WaitWithMessages.h"
#include "ui/progresbar.h"
#include "ui_test_support.h"
#include "serial/port_resolver.h"
#include "tests/serial/pty_pair.h"

namespace vk47 {
namespace {

using testing::HasKanji;

class WindowsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    sandbox.WriteAllIcons();
    // The help page exists; F1 then only asks the desktop to open it.
    QDir(ApplicationFolder()).mkpath(QStringLiteral("Help"));
    QFile(ApplicationFolder() + QStringLiteral("Help/index.html")).open(QIODevice::WriteOnly);
    form1 = std::make_unique<TForm1>(sandbox.Factory());
    form2 = std::make_unique<TForm2>(form1.get());
    form3 = std::make_unique<TForm3>(form1.get());
  }
  void TearDown() override {
    SetKanaMode(false);
    form3.reset();
    form2.reset();
    form1.reset();
  }

  testing::UiSandbox sandbox;
  std::unique_ptr<TForm1> form1;
  std::unique_ptr<TForm2> form2;
  std::unique_ptr<TForm3> form3;
};

TEST_F(WindowsTest, ProgressWindowLayout) {
  EXPECT_TRUE(form2->windowFlags() & Qt::FramelessWindowHint);
  EXPECT_EQ(form2->size(), QSize(368, 67));
  EXPECT_EQ(form2->Label1->pos(), QPoint(67, 8));
  EXPECT_EQ(form2->Label1->text(), QStringLiteral("プログラム転送中"));
  EXPECT_EQ(form2->Label2->geometry(), QRect(222, 8, 9, 16));
  EXPECT_EQ(form2->Label2->text(), QStringLiteral("1"));
  EXPECT_EQ(form2->Label3->geometry(), QRect(240, 8, 33, 16));
  EXPECT_EQ(form2->Label3->text(), QStringLiteral("/ 16"));
  EXPECT_EQ(form2->ProgressBar1->geometry(), QRect(0, 32, 369, 33));
  EXPECT_EQ(form2->ProgressBar1->maximum(), 100);
  EXPECT_EQ(form2->ProgressBar1->value(), 50);
  EXPECT_EQ(form2->Label1->palette().color(QPalette::WindowText), QColor(0, 128, 0));
  EXPECT_TRUE(form2->Label1->font().bold());
  EXPECT_FALSE(form2->isVisible());
}

TEST_F(WindowsTest, ProgressWindowFollowsTheMainWindowAndKeepsItsCounter) {
  form1->show();
  form1->move(40, 30);
  form2->ShowProgress();
  EXPECT_EQ(form2->pos(), form1->pos() + QPoint(200, 270));
  // The title is sized to its words, shorter or longer than the last; its
  // left edge stays.
  for (const QString& title : {QStringLiteral("読み込み中"), QStringLiteral("プログラムを読み込んでいます"),
                               QStringLiteral("読み込み中")}) {
    form2->SetTitle(title);
    EXPECT_EQ(form2->Label1->text(), title);
    EXPECT_EQ(form2->Label1->geometry(), QRect(67, 8, form2->Label1->sizeHint().width(), 16))
        << title.toStdString();
  }
  form2->SetPosition(0);
  for (int i = 0; i < 16; ++i) {
    form2->SetPosition(TForm2::ProgressForStep(i));
    form2->SetCounter(i + 1);
    EXPECT_EQ(form2->Label2->geometry().right() + 1, 231);
  }
  EXPECT_EQ(form2->ProgressBar1->value(), 94);
  EXPECT_EQ(form2->Label2->text(), QStringLiteral("16"));
  form2->CloseProgress();
  EXPECT_FALSE(form2->isVisible());

  form1->move(120, 90);
  form2->ShowProgress();
  EXPECT_EQ(form2->pos(), QPoint(120 + 200, 90 + 270));
  EXPECT_EQ(form2->Label2->text(), QStringLiteral("16"));
  EXPECT_EQ(form2->Label1->x(), 67);
  form2->CloseProgress();
}

// What the progress window's counter and bar showed each time they were
// painted.
class PaintRecorder : public QObject {
 public:
  PaintRecorder(TForm2& form) : form_(form) {
    form.Label2->installEventFilter(this);
    form.ProgressBar1->installEventFilter(this);
  }
  QStringList counters;
  QList<int> bars;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Paint) {
      if (watched == form_.Label2) counters << form_.Label2->text();
      if (watched == form_.ProgressBar1) bars << form_.ProgressBar1->value();
    }
    return QObject::eventFilter(watched, event);
  }

 private:
  TForm2& form_;
};

// A transfer's progress window paints its last step (16 / 16, the bar at
// 94) before it closes; and the next transfer starts from "0 / 16" over its
// empty bar, not from the last one's "16".
TEST_F(WindowsTest, ProgressWindowPaintsItsLastStepAndStartsTheNextFromZero) {
  form1->show();
  PaintRecorder painted(*form2);
  form1->N5Click();
  EXPECT_FALSE(form2->isVisible());
  ASSERT_FALSE(painted.counters.isEmpty());
  ASSERT_FALSE(painted.bars.isEmpty());
  EXPECT_EQ(painted.counters.last(), QStringLiteral("16")) << painted.counters.join(QStringLiteral(" ")).toStdString();
  EXPECT_EQ(painted.bars.last(), 94);

  painted.counters.clear();
  painted.bars.clear();
  form1->N5Click();
  ASSERT_FALSE(painted.counters.isEmpty());
  EXPECT_EQ(painted.counters.first(), QStringLiteral("0")) << painted.counters.join(QStringLiteral(" ")).toStdString();
  EXPECT_EQ(painted.bars.first(), 0);
  EXPECT_EQ(painted.counters.last(), QStringLiteral("16"));
}

// The progress window's bar and counter repaint from kept pictures and
// layouts; what they show must be what a plain QProgressBar and QLabel show,
// at every position, after their pictures were drawn ahead, and after a
// change of size or font.
TEST_F(WindowsTest, ProgressBarAndCounterLookAsTheQtOriginals) {
  QWidget parent;
  parent.setFixedSize(400, 80);
  auto* plain_bar = new QProgressBar(&parent);
  auto* quick_bar = new TCachedProgressBar(&parent);
  auto* plain_label = new QLabel(&parent);
  auto* quick_label = new TStaticTextLabel(QString(), &parent);
  for (QProgressBar* bar : {plain_bar, static_cast<QProgressBar*>(quick_bar)}) {
    bar->setGeometry(0, 32, 369, 33);
    bar->setTextVisible(false);
    bar->setAutoFillBackground(true);  // as the progress window's
  }
  for (QLabel* label : {plain_label, static_cast<QLabel*>(quick_label)}) {
    label->setFont(form2->Label2->font());
    label->setPalette(form2->Label2->palette());
    label->setAlignment(Qt::AlignRight | Qt::AlignTop);
    label->setGeometry(200, 8, 31, 16);
  }
  auto same = [](QWidget* a, QWidget* b) {
    const auto pixels = [](QWidget* w) { return w->grab().toImage().convertToFormat(QImage::Format_ARGB32); };
    return pixels(a) == pixels(b);
  };
  quick_bar->Prepare({0, 50, 94});
  EXPECT_EQ(quick_bar->CachedPictures(), 3);
  for (int position : {0, 6, 50, 94, 100, 50}) {
    plain_bar->setValue(position);
    quick_bar->setValue(position);
    EXPECT_TRUE(same(plain_bar, quick_bar)) << position;
    plain_label->setText(QString::number(position));
    quick_label->setText(QString::number(position));
    EXPECT_TRUE(same(plain_label, quick_label)) << position;
  }
  EXPECT_EQ(quick_bar->CachedPictures(), 5) << "each position drawn once";
  plain_bar->resize(200, 20);
  quick_bar->resize(200, 20);
  EXPECT_TRUE(same(plain_bar, quick_bar)) << "after a resize";
  QFont larger = plain_label->font();
  larger.setPixelSize(24);
  plain_label->setFont(larger);
  quick_label->setFont(larger);
  EXPECT_TRUE(same(plain_label, quick_label)) << "after a font change";
}

TEST(ProgressForStep, RoundsHalfToEven) {
  const int expected[] = {0, 6, 12, 19, 25, 31, 38, 44, 50, 56, 62, 69, 75, 81, 88, 94};
  for (int i = 0; i < 16; ++i) EXPECT_EQ(TForm2::ProgressForStep(i), expected[i]) << i;
}

// A write that waits for a line whose output is suspended keeps the window
// alive: a timer fires meanwhile (it resumes the line here), and the execute
// byte then goes out. Without that, the timer would wait for the write's
// time-out and the command would fail.
TEST(WindowStall, AStalledWriteKeepsTheWindowAlive) {
  testing::UiSandbox sandbox;
  sandbox.WriteAllIcons();
  testing::PtyPair pty;
  testing::MasterReader reader(pty.master());
  const std::string device = pty.slave_path();
  SetPortResolver([device](const std::string&) { return PortDevice(device); });
  TForm1 form(MakePlatformCommDevice);
  form.rs232c.close();
  form.rs232c.txtimeout = 10000;  // far beyond the timer, even on a busy machine
  ASSERT_TRUE(form.rs232c.open()) << DescribeCommError(form.rs232c.lasterror(), form.rs232c.portname);
  ASSERT_EQ(::tcflow(pty.slave(), TCOOFF), 0);
  QElapsedTimer fired;
  QTimer::singleShot(200, [&] {
    fired.start();
    ::tcflow(pty.slave(), TCOON);
  });
  QElapsedTimer took;
  took.start();
  form.N6Click();
  EXPECT_TRUE(fired.isValid()) << "no event was handled during the write";
  EXPECT_LT(took.elapsed(), 8000);
  EXPECT_TRUE(sandbox.boxes.empty());
  EXPECT_EQ(reader.Values(1, std::chrono::milliseconds(1000)), std::vector<std::uint8_t>{0x78});
}

// Closing the window (its close button, or 終了 / Ctrl+Q, which a transfer
// does not hold back) while the line has stalled after three steps: the
// transfer ends within half a second, the error box says how many steps went
// out, and the window then closes, asking first about the unsaved program.
// The byte that was waiting never goes out later.
TEST(WindowStall, ClosingDuringAStallEndsTheTransferSaysHowFarItCameAndCloses) {
  for (const bool by_exit_command : {false, true}) {
    SCOPED_TRACE(by_exit_command ? "終了" : "close");
    testing::UiSandbox sandbox;
    sandbox.WriteAllIcons();
    testing::PtyPair pty;
    testing::MasterReader reader(pty.master());
    const std::string device = pty.slave_path();
    SetPortResolver([device](const std::string&) { return PortDevice(device); });
    TForm1 form(MakePlatformCommDevice);
    form.show();
    form.N2Click();
    ASSERT_TRUE(form.Modified());
    QStringList questions;
    SetSaveQuestionFunction([&](QWidget*, const QString& text) {
      questions << text;
      return SaveAnswer::kDiscard;
    });
    QSignalSpy closed(&form, &TForm1::Closed);
    QElapsedTimer since_close;
    QStringList counter_while_stalled;
    bool stalled = false;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
      if (stalled || reader.Values(4, std::chrono::milliseconds(0)).size() < 4) return;
      stalled = ::tcflow(pty.slave(), TCOOFF) == 0;
      QTimer::singleShot(300, &form, [&] {
        since_close.start();
        if (by_exit_command) {
          form.Exit1->trigger();
        } else {
          form.close();
        }
      });
    });
    watch.start(2);
    form.N5Click();
    const qint64 took = since_close.isValid() ? since_close.elapsed() : -1;
    watch.stop();
    ASSERT_TRUE(stalled);
    EXPECT_GE(took, 0) << "the close was never asked";
    EXPECT_LT(took, 500);
    ASSERT_EQ(sandbox.boxes.size(), 1u);
    EXPECT_TRUE(sandbox.boxes[0].text.contains(QStringLiteral("16 ステップのうち 3 ステップ")))
        << sandbox.boxes[0].text.toStdString();
    EXPECT_TRUE(questions.isEmpty()) << "asked before the transfer had said how far it came";
    ASSERT_TRUE(QTest::qWaitFor([&] { return closed.count() == 1; }, 2000));
    EXPECT_EQ(questions.size(), 1);
    EXPECT_FALSE(form.isVisible());
    SetSaveQuestionFunction({});
    ASSERT_EQ(::tcflow(pty.slave(), TCOON), 0);
    EXPECT_EQ(reader.Values(5, std::chrono::milliseconds(200)).size(), 4u) << "the waiting byte went out later";
  }
}

// The device is chosen once per command and named as chosen. A robot
// linked anew just before 転送 (after the bar's last look): the bar names the
// new device before the first byte, the bytes go there, and the outcome
// line names it. Linked anew during the transfer: the bytes stay on the
// device chosen, the outcome names that one, and the bar then names the
// device the next command will use.
TEST(WindowDevice, TheBarTheBytesAndTheOutcomeNameOneDevice) {
  testing::UiSandbox sandbox;
  sandbox.WriteAllIcons();
  testing::PtyPair first, second, third;
  testing::MasterReader first_reader(first.master()), second_reader(second.master()), third_reader(third.master());
  std::string device = first.slave_path();
  SetPortResolver([&device](const std::string&) { return PortDevice(device); });
  TForm1 form(MakePlatformCommDevice);
  form.show();
  form.UpdatePortStatus();
  EXPECT_EQ(form.findChild<QLabel*>(QStringLiteral("PortStatus"))->text(), QStringLiteral("COM1 → %1").arg(QString::fromStdString(first.slave_path())));

  device = second.slave_path();  // just before 転送
  QString bar_at_first_byte;
  QTimer watch;
  QObject::connect(&watch, &QTimer::timeout, [&] {
    if (bar_at_first_byte.isEmpty() && !second_reader.Values(1, std::chrono::milliseconds(0)).empty()) {
      bar_at_first_byte = form.findChild<QLabel*>(QStringLiteral("PortStatus"))->text();
    }
  });
  watch.start(2);
  form.N5Click();
  const QString second_name = QString::fromStdString(second.slave_path());
  EXPECT_EQ(bar_at_first_byte, QStringLiteral("COM1 → ") + second_name);
  EXPECT_EQ(second_reader.Values(17, std::chrono::milliseconds(1000)).size(), 17u);
  EXPECT_TRUE(first_reader.Values(1, std::chrono::milliseconds(50)).empty());
  EXPECT_TRUE(form.statusBar()->toolTip().startsWith(QStringLiteral("16 ステップを COM1 (%1) に送信しました").arg(second_name)))
      << form.statusBar()->toolTip().toStdString();

  // Linked anew during the transfer, after three steps.
  QObject::disconnect(&watch, nullptr, nullptr, nullptr);
  QObject::connect(&watch, &QTimer::timeout, [&] {
    if (second_reader.Values(21, std::chrono::milliseconds(0)).size() >= 21) device = third.slave_path();
  });
  form.N5Click();
  watch.stop();
  EXPECT_EQ(device, third.slave_path()) << "the link did not change during the transfer";
  EXPECT_EQ(second_reader.Values(34, std::chrono::milliseconds(1000)).size(), 34u);
  EXPECT_TRUE(third_reader.Values(1, std::chrono::milliseconds(50)).empty()) << "bytes went to the device linked later";
  EXPECT_TRUE(form.statusBar()->toolTip().startsWith(QStringLiteral("16 ステップを COM1 (%1) に送信しました").arg(second_name)))
      << form.statusBar()->toolTip().toStdString();
  EXPECT_EQ(form.findChild<QLabel*>(QStringLiteral("PortStatus"))->text(), QStringLiteral("COM1 → %1").arg(QString::fromStdString(third.slave_path())));
  SetPortResolver({});
}

// Something that is no device behind a port is not shown as if it were one.
TEST(WindowDevice, AFileOrFolderBehindThePortIsNotShownAsADevice) {
  testing::UiSandbox sandbox;
  sandbox.WriteAllIcons();
  std::string device = "/etc/passwd";
  SetPortResolver([&device](const std::string&) { return PortDevice(device); });
  TForm1 form(sandbox.Factory());
  for (const std::string& path : {std::string("/etc/passwd"), std::string("/tmp")}) {
    device = path;
    form.UpdatePortStatus();
    EXPECT_EQ(form.findChild<QLabel*>(QStringLiteral("PortStatus"))->text(), QStringLiteral("COM1: 使えません")) << path;
    EXPECT_EQ(form.findChild<QLabel*>(QStringLiteral("PortStatus"))->toolTip(), QString::fromStdString(path) + QStringLiteral(" はシリアルポートではありません"));
  }
  SetPortResolver({});
}

TEST_F(WindowsTest, PortDialogLayout) {
  EXPECT_EQ(form3->windowTitle(), QStringLiteral("RS-232Cポートの設定"));
  EXPECT_EQ(form3->Label1->geometry(), QRect(16, 8, 297, 12));
  EXPECT_EQ(form3->RadioGroup1->geometry(), QRect(8, 32, 313, 113));
  EXPECT_EQ(form3->RadioGroup1->title(), QStringLiteral("RS-232Cポートの設定"));
  EXPECT_EQ(form3->Label2->geometry(), QRect(64, 160, 206, 12));
  EXPECT_EQ(form3->Button1->geometry(), QRect(72, 184, 75, 25));
  EXPECT_EQ(form3->Button1->text(), QStringLiteral("OK"));
  EXPECT_EQ(form3->Button2->geometry(), QRect(176, 184, 75, 25));
  EXPECT_EQ(form3->Button2->text(), QStringLiteral("キャンセル"));
  EXPECT_FALSE(form3->Button1->isDefault() || form3->Button1->autoDefault());
  EXPECT_FALSE(form3->Button2->isDefault() || form3->Button2->autoDefault());
  // Two columns filled top to bottom: COM1 above COM2, COM3 above COM4.
  const auto radios = form3->RadioGroup1->findChildren<QRadioButton*>();
  ASSERT_EQ(radios.size(), 4);
  EXPECT_EQ(radios[0]->x(), radios[1]->x());
  EXPECT_LT(radios[0]->y(), radios[1]->y());
  EXPECT_EQ(radios[2]->x(), radios[3]->x());
  EXPECT_GT(radios[2]->x(), radios[0]->x());
  EXPECT_EQ(radios[2]->y(), radios[0]->y());
  EXPECT_EQ(radios[2]->text(), QStringLiteral("COM3"));
}

struct DialogCase {
  std::optional<int> stored;
  int shown;  // selected item when shown
};

class PortDialogShow : public WindowsTest, public ::testing::WithParamInterface<DialogCase> {};

TEST_P(PortDialogShow, SelectsThePortStartUpUses) {
  if (GetParam().stored) sandbox.WritePortSetting(*GetParam().stored);
  form1->move(70, 50);
  form3->RadioGroup1->SetItemIndex(1);
  form3->show();
  EXPECT_EQ(form3->pos(), QPoint(270, 210));
  EXPECT_EQ(form3->RadioGroup1->ItemIndex(), GetParam().shown);
  form3->Button2->click();
}

INSTANTIATE_TEST_SUITE_P(Stored, PortDialogShow,
                         ::testing::Values(DialogCase{std::nullopt, 0}, DialogCase{2, 2}, DialogCase{7, 0},
                                           DialogCase{99, 0}, DialogCase{4, 0}, DialogCase{-1, -1},
                                           DialogCase{-5, -1}, DialogCase{3, 3}));

TEST_F(WindowsTest, PortDialogRoundTrip) {
  form3->show();
  EXPECT_EQ(form3->RadioGroup1->ItemIndex(), 0);
  form3->RadioGroup1->SetItemIndex(2);
  form3->Button1->click();
  EXPECT_FALSE(form3->isVisible());
  EXPECT_TRUE(sandbox.ReadSettingsFile().contains(QStringLiteral("name=2")));

  form3->show();
  EXPECT_EQ(form3->RadioGroup1->ItemIndex(), 2);
  form3->RadioGroup1->SetItemIndex(0);
  form3->Button2->click();  // Cancel writes nothing
  EXPECT_FALSE(form3->isVisible());
  form3->show();
  EXPECT_EQ(form3->RadioGroup1->ItemIndex(), 2);
  form3->RadioGroup1->SetItemIndex(3);
  form3->close();  // the close box writes nothing either
  EXPECT_TRUE(sandbox.ReadSettingsFile().contains(QStringLiteral("name=2")));
  EXPECT_TRUE(sandbox.boxes.empty());
}

TEST_F(WindowsTest, PortDialogWithNoSelectionWritesMinusOne) {
  sandbox.WritePortSetting(-5);
  form3->show();
  form3->Button1->click();
  EXPECT_TRUE(sandbox.ReadSettingsFile().contains(QStringLiteral("name=-1")));
}

TEST_F(WindowsTest, PortDialogStaysOpenWhenTheFileCannotBeWritten) {
  // A folder in the file's place cannot be replaced by a file.
  QDir().mkpath(sandbox.SettingsFile());
  form3->show();
  form3->RadioGroup1->SetItemIndex(1);
  form3->Button1->click();
  EXPECT_TRUE(form3->isVisible());
  EXPECT_EQ(form3->RadioGroup1->ItemIndex(), 1);
  ASSERT_EQ(sandbox.boxes.size(), 1u);
  EXPECT_EQ(sandbox.boxes[0].icon, QMessageBox::Critical);
  EXPECT_TRUE(sandbox.boxes[0].text.contains(QStringLiteral("に書き込めません")));
  EXPECT_TRUE(sandbox.boxes[0].text.endsWith(u'.'));
  form3->Button2->click();
  EXPECT_FALSE(form3->isVisible());
}

TEST_F(WindowsTest, PortDialogIgnoresEnterAndEscape) {
  form3->show();
  for (int key : {Qt::Key_Escape, Qt::Key_Return, Qt::Key_Enter}) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QCoreApplication::sendEvent(form3.get(), &press);
    EXPECT_TRUE(form3->isVisible()) << key;
  }
  EXPECT_FALSE(QFileInfo::exists(sandbox.SettingsFile()));
  form3->close();
}

TEST_F(WindowsTest, SmallCommands) {
  form1->Button3->click();
  EXPECT_EQ(form1->Label13->text(), QStringLiteral("1"));
  form1->Button3->click();
  EXPECT_EQ(form1->Label13->text(), QStringLiteral("1"));

  testing::UrlRecorder recorder;
  QDesktopServices::setUrlHandler(QStringLiteral("file"), &recorder, "Open");
  form1->N9->trigger();
  QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
  ASSERT_EQ(recorder.urls.size(), 1);
  EXPECT_EQ(recorder.urls[0], QUrl::fromLocalFile(ApplicationFolder() + QStringLiteral("Help/index.html")));
}

TEST_F(WindowsTest, ShortcutsReachTheirCommands) {
  form1->show();
  form1->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(form1.get()));
  testing::UrlRecorder recorder;
  QDesktopServices::setUrlHandler(QStringLiteral("file"), &recorder, "Open");
  QTest::keyClick(form1.get(), Qt::Key_F1);
  QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
  EXPECT_EQ(recorder.urls.size(), 1);

  // Ctrl+C is "クリア": a filled slot empties.
  form1->StepSlots().SetCode(0, 36);
  form1->StepSlots().CreateStepLabels(36, 0, QStringLiteral("2"));
  QTest::keyClick(form1.get(), Qt::Key_C, Qt::ControlModifier);
  EXPECT_EQ(form1->StepSlots().Code(0), -1);
  EXPECT_EQ(form1->StepSlots().DropLabels[0], nullptr);
}

TEST_F(WindowsTest, MenuCommandsAreHeldBackDuringAnOperation) {
  testing::UrlRecorder recorder;
  QDesktopServices::setUrlHandler(QStringLiteral("file"), &recorder, "Open");
  {
    auto hold = form1->HoldCommands();
    form1->N9->trigger();
    form1->Button3->click();
  }
  EXPECT_TRUE(recorder.urls.isEmpty());
  EXPECT_EQ(form1->Label13->text(), QStringLiteral("Label13"));
  form1->N9->trigger();
  QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
  EXPECT_EQ(recorder.urls.size(), 1);
}

// Every text a pupil can see or hear of a window: its own and its children's
// texts, titles, tool tips and accessible names, and those of their actions.
QStringList TextsOf(QWidget* window) {
  QStringList texts;
  QList<QObject*> objects{window};
  for (QWidget* child : window->findChildren<QWidget*>()) {
    objects << child;
    for (QAction* action : child->actions()) objects << action;
  }
  for (QAction* action : window->findChildren<QAction*>()) objects << action;
  for (QObject* object : objects) {
    for (const char* property : {"text", "title", "windowTitle", "toolTip", "accessibleName"}) {
      const QVariant value = object->property(property);
      if (value.typeId() == QMetaType::QString && !value.toString().isEmpty()) {
        texts << object->objectName() + QStringLiteral(".") + QString::fromLatin1(property) + QStringLiteral(": ") +
                     value.toString();
      }
    }
  }
  return texts;
}

// 設定 > ひらがな switches every text at once and back, and remembers it in
// set.ini; off, the texts are exactly as before. The main window, its menus,
// the simulator window (its child), the progress window and the port dialog.
TEST_F(WindowsTest, HiraganaModeLeavesNoKanjiAndSwitchesBack) {
  const QString catalogue_dir = ApplicationFolder() + QStringLiteral("translations");
  ASSERT_TRUE(QDir().mkpath(catalogue_dir));
  ASSERT_TRUE(QFile::copy(QStringLiteral(VK47_CATALOGUE_DIR "/vk47_kana.qm"), catalogue_dir + QStringLiteral("/vk47_kana.qm")));
  form1->N2Click();  // value labels and icons of a whole program
  form1->findChild<QAction*>(QStringLiteral("Sim1"))->trigger();  // the simulator window, a child window of the main window
  ASSERT_NE(form1->findChild<QWidget*>(QStringLiteral("SimWindow")), nullptr);
  const QStringList before = TextsOf(form1.get());
  ASSERT_TRUE(std::any_of(before.begin(), before.end(), HasKanji));

  form1->findChild<QAction*>(QStringLiteral("Kana1"))->trigger();
  EXPECT_TRUE(KanaMode());
  EXPECT_TRUE(form1->findChild<QAction*>(QStringLiteral("Kana1"))->isChecked());
  EXPECT_TRUE(ReadKanaMode(sandbox.SettingsFile().toStdString()));
  for (QWidget* window : {static_cast<QWidget*>(form1.get()), static_cast<QWidget*>(form2.get()),
                          static_cast<QWidget*>(form3.get())}) {
    for (QString text : TextsOf(window)) {
      text.remove(ProgramDocument::BaseCaption());  // the product's name may stay in the caption
      EXPECT_FALSE(HasKanji(text)) << text.toStdString();
    }
  }
  // Labels of a fixed size take their words whole.
  for (const QLabel* label : {form1->findChild<QLabel*>(QStringLiteral("Label8")), form2->Label1, form3->Label1,
                              form3->Label2}) {
    EXPECT_LE(label->sizeHint().width(), label->width()) << label->text().toStdString();
  }
  EXPECT_EQ(form1->GroupBox1->title(), QStringLiteral("きほんめいれい"));
  EXPECT_EQ(form1->findChild<QLabel*>(QStringLiteral("Label3"))->text(), QStringLiteral("1びょう"));
  EXPECT_TRUE(form1->statusBar()->currentMessage().startsWith(QStringLiteral("ひらがなで ひょうじします")));

  form1->findChild<QAction*>(QStringLiteral("Kana1"))->trigger();
  EXPECT_FALSE(KanaMode());
  EXPECT_FALSE(ReadKanaMode(sandbox.SettingsFile().toStdString()));
  // The status bar's tool tip holds the last outcome, which is new.
  const auto without_outcome = [](QStringList texts) {
    texts.removeIf([](const QString& text) { return text.startsWith(QStringLiteral("StatusBar1.toolTip")); });
    return texts;
  };
  EXPECT_EQ(without_outcome(TextsOf(form1.get())), without_outcome(before));
  EXPECT_EQ(form1->N1->text(), QStringLiteral("読込"));
  EXPECT_EQ(form1->Edit1->title(), QStringLiteral("Edit"));
}

// Without its catalogue the mode stays off, says why, and stores nothing.
TEST_F(WindowsTest, HiraganaModeWithoutItsCatalogueStaysOff) {
  form1->findChild<QAction*>(QStringLiteral("Kana1"))->trigger();
  EXPECT_FALSE(KanaMode());
  EXPECT_FALSE(form1->findChild<QAction*>(QStringLiteral("Kana1"))->isChecked());
  ASSERT_EQ(sandbox.boxes.size(), 1u);
  EXPECT_TRUE(sandbox.boxes[0].details.contains(QStringLiteral("vk47_kana.qm")));
  EXPECT_FALSE(ReadKanaMode(sandbox.SettingsFile().toStdString()));
}

}  // namespace
}  // namespace vk47
