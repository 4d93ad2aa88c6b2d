// The window's editing safety and legibility: undo and redo of every change of
// the program, the question before closing over unsaved changes, the title and
// status bar, the step numbers, Qt's Japanese texts, the track bar's focus,
// help without a viewer, and where the drag picture is shown.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDesktopServices>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QGroupBox>
#include <QLabel>
#include <QMenuBar>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSlider>
#include <QStatusBar>
#include <QTest>
#include <QTimer>
#include <QUndoStack>

#include "model/demo_program.h"
#include "model/command_set.h"
#include "model/program_file.h"
#include "ui/DragController.h"
#include "ui/common/Catalogue.h"
#include "ui/common/FileDialogs.h"
#include "ui/editor/AccessibleNames.h"
#include "ui/editor/SlotEditor.h"
#include "ui/editor/TImage.h"
#include "ui/common/Translation.h"
#include "ui/Unit1.h"
#include "ui/progresbar.h"
#include "ui_test_support.h"

namespace vk47 {
namespace {

const QString kCaption = QStringLiteral("VK-47ロボット制御３");

class EditTest : public ::testing::Test {
 protected:
  void SetUp() override {
    sandbox.WriteAllIcons();
    form = std::make_unique<TForm1>(sandbox.Factory());
    form2 = std::make_unique<TForm2>(form.get());
    form->show();
    SetSaveQuestionFunction([this](QWidget*, const QString& text) {
      questions.push_back(text);
      return answer;
    });
  }
  void TearDown() override {
    SetSaveQuestionFunction({});
    SetFileDialogFunction({});
    form2.reset();
    form.reset();
  }

  // The next dialogs choose these files in turn; an empty name cancels.
  void AnswerDialogs(std::vector<QString> names) {
    SetFileDialogFunction([names, i = std::size_t{0}](QWidget*, TFileDialog& d) mutable {
      const QString name = i < names.size() ? names[i++] : QString();
      d.FileName = name;
      return !name.isEmpty();
    });
  }
  QString PathOf(const QString& name) const { return sandbox.ImgFolder() + QStringLiteral("../") + name; }

  void Drop(int number, int slot) {
    const std::unique_ptr<QMimeData> data(TPaletteDrag::NewCommandMimeData(QString::number(number)));
    form->PaletteDrag().Image8DragDrop(form->Picture(slot + 8), data.get());
  }
  void ClickValueLabel(int slot) {
    QTest::mouseClick(form->StepSlots().DropLabels[slot], Qt::LeftButton, {}, QPoint(5, 5));
  }
  ProgramCodes Codes() const { return form->StepSlots().Program().Codes(); }
  // What the pupil sees of the program: pictures, labels, step numbers.
  QImage Grab() const { return form->GroupBox3->grab().toImage(); }
  QString Status() const { return form->statusBar()->currentMessage(); }

  testing::UiSandbox sandbox;
  std::unique_ptr<TForm1> form;
  std::unique_ptr<TForm2> form2;
  std::vector<QString> questions;
  SaveAnswer answer = SaveAnswer::kCancel;
};

// --- undo and redo -------------------------------------------------------------

TEST_F(EditTest, EveryKindOfChangeUndoesAndRedoesToIdenticalPictures) {
  QByteArray file;
  for (int i = 0; i < 16; ++i) file += i % 3 ? "-1\r\n" : "52\r\n";
  QFile out(PathOf(QStringLiteral("p.pt3")));
  ASSERT_TRUE(out.open(QIODevice::WriteOnly));
  out.write(file);
  out.close();

  const std::pair<const char*, std::function<void()>> changes[] = {
      {"drop", [&] { form->TrackBar1->setValue(8); Drop(2, 3); }},
      {"drop onto a filled slot", [&] { form->TrackBar1->setValue(2); Drop(24, 3); }},
      {"value label", [&] { form->TrackBar1->setValue(11); ClickValueLabel(3); }},
      {"demo", [&] { form->N2->trigger(); }},
      {"clear (Ctrl+C)", [&] { form->N3->trigger(); }},
      {"load", [&] { AnswerDialogs({out.fileName()}); form->N1->trigger(); }},
  };
  for (const auto& [name, change] : changes) {
    SCOPED_TRACE(name);
    const ProgramCodes before = Codes();
    const QImage before_grab = Grab();
    change();
    ASSERT_NE(Codes(), before);
    const ProgramCodes after = Codes();
    const QImage after_grab = Grab();
    ASSERT_NE(after_grab, before_grab);

    // Both sides name the step they moved over (the one redo would now redo,
    // the one undo would now undo).
    form->findChild<QAction*>(QStringLiteral("Undo1"))->trigger();
    EXPECT_EQ(Codes(), before);
    EXPECT_EQ(Grab(), before_grab);
    EXPECT_TRUE(Status().startsWith(QStringLiteral("元に戻しました (%1)").arg(form->Document().UndoStack()->redoText())))
        << Status().toStdString();
    form->findChild<QAction*>(QStringLiteral("Redo1"))->trigger();
    EXPECT_EQ(Codes(), after);
    EXPECT_EQ(Grab(), after_grab);
    EXPECT_TRUE(Status().startsWith(QStringLiteral("やり直しました (%1)").arg(form->Document().UndoStack()->undoText())))
        << Status().toStdString();
  }
  EXPECT_EQ(form->Document().UndoStack()->count(), 6);
  EXPECT_TRUE(sandbox.boxes.empty());
}

TEST_F(EditTest, AHundredStepsBackAndForthEndWhereTheyBegan) {
  form->N2->trigger();
  const ProgramCodes start = Codes();
  const QImage start_grab = Grab();
  // A hundred changes after the demo (an operation that changes nothing adds
  // no step, so count the steps rather than the operations).
  for (int i = 0; form->Document().UndoStack()->count() < 101; ++i) {
    form->TrackBar1->setValue((i * 7) % 16);
    if (i % 2) {
      Drop(i % 3 ? 2 : 25, i % 16);
    } else {
      ClickValueLabel(i % 16);
    }
  }
  const ProgramCodes end = Codes();
  const QImage end_grab = Grab();
  for (int i = 0; i < 100; ++i) form->findChild<QAction*>(QStringLiteral("Undo1"))->trigger();
  EXPECT_EQ(Codes(), start);
  EXPECT_EQ(Grab(), start_grab);
  for (int i = 0; i < 100; ++i) form->findChild<QAction*>(QStringLiteral("Redo1"))->trigger();
  EXPECT_EQ(Codes(), end);
  EXPECT_EQ(Grab(), end_grab);
}

TEST_F(EditTest, UnchangedProgramsAndCancelledLoadsAddNoStep) {
  form->N3->trigger();  // clearing an empty program
  AnswerDialogs({});
  form->N1->trigger();  // cancelled
  EXPECT_EQ(form->Document().UndoStack()->count(), 0);
  EXPECT_FALSE(form->findChild<QAction*>(QStringLiteral("Undo1"))->isEnabled());
  form->N2->trigger();
  form->N2->trigger();  // the same program again
  EXPECT_EQ(form->Document().UndoStack()->count(), 1);
  EXPECT_TRUE(form->findChild<QAction*>(QStringLiteral("Undo1"))->isEnabled());
  EXPECT_FALSE(form->findChild<QAction*>(QStringLiteral("Redo1"))->isEnabled());
}

TEST_F(EditTest, ShortcutsOfUndoAndRedo) {
  EXPECT_EQ(form->findChild<QAction*>(QStringLiteral("Undo1"))->shortcut(), QKeySequence(QStringLiteral("Ctrl+Z")));
  EXPECT_EQ(form->findChild<QAction*>(QStringLiteral("Redo1"))->shortcuts(),
            (QList<QKeySequence>{QKeySequence(QStringLiteral("Ctrl+Y")), QKeySequence(QStringLiteral("Ctrl+Shift+Z"))}));
}

TEST_F(EditTest, UndoOrRedoWithAMissingIconSaysSoAndMovesNothing) {
  // Each side checks the program it is about to show: undo the one before
  // the step (the demo, after a clear), redo the one after it (the demo,
  // after the demo was undone).
  for (const bool redo : {false, true}) {
    SCOPED_TRACE(redo ? "redo" : "undo");
    sandbox.WriteAllIcons();
    sandbox.boxes.clear();
    form->N3->trigger();
    form->Document().UndoStack()->clear();
    form->N2->trigger();
    if (redo) {
      form->findChild<QAction*>(QStringLiteral("Undo1"))->trigger();
    } else {
      form->N3->trigger();
    }
    const int index = form->Document().UndoStack()->index();
    sandbox.RemoveIcon(2);  // the demo's forward steps need it
    (redo ? form->findChild<QAction*>(QStringLiteral("Redo1")) : form->findChild<QAction*>(QStringLiteral("Undo1")))->trigger();
    ASSERT_EQ(sandbox.boxes.size(), 1u);
    EXPECT_TRUE(sandbox.boxes[0].text.startsWith(QStringLiteral("ファイル "))) << sandbox.boxes[0].text.toStdString();
    EXPECT_EQ(Codes(), EmptyProgram());
    EXPECT_EQ(form->Document().UndoStack()->index(), index);
  }
}

TEST_F(EditTest, UndoAndRedoAreHeldBackDuringALoadTheDemoOrATransfer) {
  form->N2->trigger();
  const ProgramCodes demo = Codes();
  {
    const TForm1::CommandHold hold = form->HoldCommands();
    form->findChild<QAction*>(QStringLiteral("Undo1"))->trigger();
    EXPECT_EQ(Codes(), demo);
  }
  form->N3->trigger();
  form->findChild<QAction*>(QStringLiteral("Undo1"))->trigger();
  // Undo (Ctrl+Z) and redo arrive while the demo is being loaded.
  QTimer::singleShot(10, form.get(), [this] {
    form->findChild<QAction*>(QStringLiteral("Undo1"))->trigger();
    form->findChild<QAction*>(QStringLiteral("Redo1"))->trigger();
  });
  form->N3->trigger();
  form->N2->trigger();
  EXPECT_EQ(Codes(), demo);
  EXPECT_EQ(form->Document().UndoStack()->count(), 3);
  EXPECT_EQ(form->Document().UndoStack()->index(), 3);
}

// --- title, status bar, step numbers ---------------------------------------------

TEST_F(EditTest, TitleShowsTheFileAndUnsavedChanges) {
  EXPECT_EQ(form->windowTitle(), kCaption);
  Drop(2, 0);
  EXPECT_EQ(form->windowTitle(), QStringLiteral("無題* - ") + kCaption);
  EXPECT_EQ(form->findChild<QLabel*>(QStringLiteral("FileStatus"))->text(), QStringLiteral("無題*"));
  form->findChild<QAction*>(QStringLiteral("Undo1"))->trigger();
  EXPECT_EQ(form->windowTitle(), kCaption) << "back to the program started with";

  form->N2->trigger();
  AnswerDialogs({PathOf(QStringLiteral("demo.pt3"))});
  form->Save1->trigger();
  EXPECT_EQ(form->windowTitle(), QStringLiteral("demo.pt3 - ") + kCaption);
  EXPECT_TRUE(Status().startsWith(QStringLiteral("demo.pt3 に保存しました"))) << Status().toStdString();
  form->N3->trigger();
  EXPECT_EQ(form->windowTitle(), QStringLiteral("demo.pt3* - ") + kCaption);
  form->findChild<QAction*>(QStringLiteral("Undo1"))->trigger();
  EXPECT_FALSE(form->Modified());
  EXPECT_EQ(form->findChild<QLabel*>(QStringLiteral("FileStatus"))->text(), QStringLiteral("demo.pt3"));

  form->N3->trigger();
  AnswerDialogs({PathOf(QStringLiteral("demo.pt3"))});
  form->N1->trigger();
  EXPECT_EQ(form->windowTitle(), QStringLiteral("demo.pt3 - ") + kCaption);
  EXPECT_TRUE(Status().startsWith(QStringLiteral("demo.pt3 を読み込みました")));
}

// Every change of the program says what it did, so the line never speaks
// of an earlier change (a sentinel is shown before each one).
TEST_F(EditTest, TheStatusLineFollowsEveryKindOfChange) {
  const QString file = PathOf(QStringLiteral("status.pt3"));
  const QString cleared = QStringLiteral("クリアしました。Ctrl+Z で元に戻せます");
  const std::pair<std::function<void()>, QString> changes[] = {
      {[&] { form->TrackBar1->setValue(3); Drop(2, 5); }, QStringLiteral("ステップ 5 に 前進 を置きました")},
      {[&] { form->TrackBar1->setValue(7); ClickValueLabel(5); },
       QStringLiteral("ステップ 5 の値を %1 にしました").arg(StepValueCaption(EncodeStep("2", 7)))},
      {[&] { form->SlotEditor().ChangeValue(5, 1); },
       QStringLiteral("ステップ 5 の値を %1 にしました").arg(StepValueCaption(EncodeStep("2", 8)))},
      {[&] { form->SlotEditor().MoveStep(5, 6); }, QStringLiteral("ステップ 5 を 6 に移しました")},
      {[&] { form->SlotEditor().CopyStep(6, 7); }, QStringLiteral("ステップ 6 を 7 にコピーしました")},
      {[&] { form->SlotEditor().EmptyStep(7); }, QStringLiteral("ステップ 7 を空にしました")},
      {[&] { AnswerDialogs({file}); form->Save1->trigger(); }, QStringLiteral("status.pt3 に保存しました")},
      {[&] { form->N2->trigger(); }, QStringLiteral("デモのプログラムを置きました")},
      {[&] { form->N3->trigger(); }, cleared},
      {[&] { form->findChild<QAction*>(QStringLiteral("Undo1"))->trigger(); }, QStringLiteral("元に戻しました (クリア)")},
      // Ctrl+Z, then クリア again: the line tells of the new clearing.
      {[&] { form->N3->trigger(); }, cleared},
      {[&] { form->findChild<QAction*>(QStringLiteral("Undo1"))->trigger(); }, QStringLiteral("元に戻しました (クリア)")},
      {[&] { form->findChild<QAction*>(QStringLiteral("Redo1"))->trigger(); }, QStringLiteral("やり直しました (クリア)")},
      {[&] { AnswerDialogs({file}); form->N1->trigger(); }, QStringLiteral("status.pt3 を読み込みました")},
  };
  for (const auto& [change, expected] : changes) {
    SCOPED_TRACE(expected.toStdString());
    form->ShowOutcome(QStringLiteral("-"));
    change();
    EXPECT_TRUE(Status().startsWith(expected + QStringLiteral(" "))) << Status().toStdString();
  }
  EXPECT_TRUE(sandbox.boxes.empty());

  // In the hiragana mode the hint is in kana too.
  ASSERT_TRUE(SetKanaMode(true, QStringLiteral(VK47_CATALOGUE_DIR)));
  form->N3->trigger();
  EXPECT_TRUE(Status().startsWith(QStringLiteral("クリアしました。Ctrl+Z で もとに もどせます"))) << Status().toStdString();
  SetKanaMode(false);
}

TEST_F(EditTest, StatusBarSaysWhatWasSentAndWhatFailed) {
  EXPECT_EQ(form->centralWidget()->size(), QSize(732, 524));
  EXPECT_GE(form->statusBar()->y(), form->centralWidget()->geometry().bottom());
  // The sandbox resolves every port to a missing device; the fake line opens.
  EXPECT_EQ(form->findChild<QLabel*>(QStringLiteral("PortStatus"))->text(), QStringLiteral("COM1 → /nonexistent/vk47-test-port"));

  form->N2->trigger();
  form->N5->trigger();
  EXPECT_TRUE(Status().startsWith(QStringLiteral("16 ステップを COM1 に送信しました"))) << Status().toStdString();
  form->Button2->click();
  EXPECT_TRUE(Status().startsWith(QStringLiteral("実行命令を COM1 に送信しました")));

  form->rs232c.close();
  sandbox.line->open_error = {CommErrorKind::kNotFound, 2, "No such file or directory", "/dev/ttyUSB0"};
  form->Button1->click();
  ASSERT_EQ(sandbox.boxes.size(), 1u);
  // The cause in a few words; the box says what to do, and keeps the device
  // and the system's own text for a teacher behind くわしく.
  EXPECT_TRUE(Status().startsWith(QStringLiteral("送信できませんでした: COM1 が見つかりません"))) << Status().toStdString();
  EXPECT_TRUE(sandbox.boxes[0].text.startsWith(QStringLiteral("シリアルポート COM1 が見つかりません。")));
  EXPECT_FALSE(sandbox.boxes[0].text.contains(QStringLiteral("No such file"))) << "the reason is given in Japanese";
  EXPECT_FALSE(sandbox.boxes[0].text.contains(QStringLiteral("/dev/ttyUSB0")));
  EXPECT_TRUE(sandbox.boxes[0].details.contains(QStringLiteral("/dev/ttyUSB0")));
  EXPECT_TRUE(sandbox.boxes[0].details.contains(QStringLiteral("No such file")));
  EXPECT_EQ(form->findChild<QLabel*>(QStringLiteral("PortStatus"))->text(), QStringLiteral("COM1: 見つかりません"));
}

// However long the outcome, it stops with "…" before the file and port
// fields, which keep their whole text; the tool tip has the whole outcome.
TEST_F(EditTest, ALongOutcomeLeavesTheFileAndPortFieldsWhole) {
  form->show();
  form->ShowOutcome(QStringLiteral("16 ステップを COM1 に送信しました"));
  EXPECT_TRUE(Status().startsWith(QStringLiteral("16 ステップを COM1 に送信しました "))) << "a short one stays whole";
  QString outcome = QStringLiteral("送信できませんでした: ");
  for (int i = 0; i < 20; ++i) outcome += QStringLiteral("シリアルポート COM1 につながっていた仮想ロボットはもう動いていません。");
  for (const int width : {0, 400}) {
    if (width) form->statusBar()->setFixedWidth(width);  // narrower than the window: the fields still fit
    form->ShowOutcome(outcome);
    QCoreApplication::processEvents();
    const QString shown = Status();
    EXPECT_TRUE(shown.endsWith(QChar(0x2026))) << shown.toStdString();
    EXPECT_TRUE(outcome.startsWith(shown.chopped(1))) << shown.toStdString();
    EXPECT_LE(6 + form->statusBar()->fontMetrics().horizontalAdvance(shown), form->findChild<QLabel*>(QStringLiteral("FileStatus"))->x() - 2) << width;
    EXPECT_TRUE(form->statusBar()->toolTip().startsWith(outcome));
    for (const QLabel* field : {form->findChild<QLabel*>(QStringLiteral("FileStatus")), form->findChild<QLabel*>(QStringLiteral("PortStatus"))}) {
      EXPECT_GE(field->width(), field->sizeHint().width()) << field->text().toStdString();
      EXPECT_LE(field->x() + field->width(), form->statusBar()->width()) << field->text().toStdString();
    }
  }
}

TEST_F(EditTest, EachSlotShowsItsStepNumber) {
  for (int k = 0; k < 16; ++k) EXPECT_EQ(form->Picture(k + 8)->Badge, QString::number(k)) << k;
  for (int n : {1, 24, 31}) EXPECT_TRUE(form->Picture(n)->Badge.isEmpty()) << n;
  // The number is drawn over the picture, which itself stays the icon.
  TImage* slot = form->Picture(8);
  EXPECT_EQ(slot->grab().toImage().pixelColor(1, 6), QColor(0, 0, 128));
  EXPECT_EQ(slot->Picture().toImage().pixel(1, 6), slot->Picture().toImage().pixel(45, 6));
}

// --- closing -----------------------------------------------------------------------

TEST_F(EditTest, ClosingAnUntouchedOrSavedProgramAsksNothing) {
  EXPECT_TRUE(form->close());
  EXPECT_TRUE(questions.empty());

  form->show();
  form->N2->trigger();
  AnswerDialogs({PathOf(QStringLiteral("x.pt3"))});
  form->Save1->trigger();
  EXPECT_TRUE(form->close());
  EXPECT_TRUE(questions.empty());
}

TEST_F(EditTest, ClosingOverUnsavedChangesAsks) {
  int closed = 0;
  QObject::connect(form.get(), &TForm1::Closed, [&closed] { ++closed; });
  form->N2->trigger();

  answer = SaveAnswer::kCancel;
  form->Exit1->trigger();
  ASSERT_EQ(questions.size(), 1u);
  EXPECT_EQ(questions[0], QStringLiteral("プログラムが保存されていません。保存しますか？"));
  EXPECT_TRUE(form->isVisible());
  EXPECT_EQ(closed, 0);
  EXPECT_EQ(Codes(), *DemoProgram().codes);

  // 保存 with the dialog cancelled, then with a file that cannot be written:
  // the window stays.
  answer = SaveAnswer::kSave;
  AnswerDialogs({});
  EXPECT_FALSE(form->close());
  AnswerDialogs({PathOf(QStringLiteral("no-such-folder/x.pt3"))});
  EXPECT_FALSE(form->close());
  ASSERT_EQ(sandbox.boxes.size(), 1u);
  EXPECT_TRUE(sandbox.boxes[0].text.contains(QStringLiteral("を作成できません")));
  EXPECT_EQ(closed, 0);

  // 保存 that writes the file closes.
  const QString path = PathOf(QStringLiteral("kept.pt3"));
  AnswerDialogs({path});
  EXPECT_TRUE(form->close());
  EXPECT_EQ(closed, 1);
  const ProgramParse kept = ReadProgramFile(path.toStdString());
  ASSERT_TRUE(kept.ok());
  EXPECT_EQ(*kept.codes, *DemoProgram().codes);

  // 保存しない closes without writing.
  form->show();
  form->N3->trigger();
  answer = SaveAnswer::kDiscard;
  EXPECT_TRUE(form->close());
  EXPECT_EQ(closed, 2);
  EXPECT_EQ(questions.size(), 5u);
}

TEST_F(EditTest, ATeacherCanSwitchTheQuestionOff) {
  QDir().mkpath(QFileInfo(sandbox.SettingsFile()).path());
  QFile ini(sandbox.SettingsFile());
  ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
  ini.write("[comport]\r\nname=0\r\n[Editor]\r\nConfirmExit=0\r\n");
  ini.close();
  form->N2->trigger();
  EXPECT_TRUE(form->close());
  EXPECT_TRUE(questions.empty());
}

// --- Japanese texts, focus, help, drag picture -------------------------------------

TEST(QtJapanese, DialogButtonsSpeakJapaneseOnceTheCatalogueIsLoaded) {
  ASSERT_TRUE(InstallQtJapanese(*QCoreApplication::instance()))
      << "qtbase_ja.qm missing: install qt6-translations-l10n";
  QDialogButtonBox buttons(QDialogButtonBox::Open | QDialogButtonBox::Save | QDialogButtonBox::Cancel);
  EXPECT_EQ(buttons.button(QDialogButtonBox::Cancel)->text(), QStringLiteral("キャンセル"));
  EXPECT_EQ(buttons.button(QDialogButtonBox::Open)->text().left(2), QStringLiteral("開く"));
  EXPECT_EQ(buttons.button(QDialogButtonBox::Save)->text().left(2), QStringLiteral("保存"));

  QFileDialog dialog(nullptr, QStringLiteral("ファイルを開く"));
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  QStringList texts;
  for (const QLabel* label : dialog.findChildren<QLabel*>()) texts << label->text();
  for (const QAbstractButton* button : dialog.findChildren<QAbstractButton*>()) texts << button->text();
  EXPECT_FALSE(texts.contains(QStringLiteral("Look in:"))) << texts.join(u'|').toStdString();
  EXPECT_FALSE(texts.contains(QStringLiteral("Cancel"))) << texts.join(u'|').toStdString();
  EXPECT_TRUE(texts.contains(QStringLiteral("キャンセル"))) << texts.join(u'|').toStdString();
}

TEST_F(EditTest, TrackBarTakesFocusOnClickAndMovesWithTheArrowKeys) {
  QApplication::setActiveWindow(form.get());
  EXPECT_EQ(form->TrackBar1->focusPolicy(), Qt::ClickFocus) << "a click, but no tab stop";
  QTest::mouseClick(form->TrackBar1, Qt::LeftButton, {}, QPoint(2, 16));
  EXPECT_TRUE(form->TrackBar1->hasFocus());
  QTest::keyClick(form->TrackBar1, Qt::Key_Right);
  QTest::keyClick(form->TrackBar1, Qt::Key_Right);
  EXPECT_EQ(form->TrackBar1->value(), 2);
}

TEST_F(EditTest, HelpWithoutAPageOrViewerSaysWhereItIs) {
  form->N9->trigger();
  ASSERT_EQ(sandbox.boxes.size(), 1u);
  EXPECT_TRUE(sandbox.boxes[0].text.startsWith(QStringLiteral("ヘルプのページを開けませんでした")));
  EXPECT_TRUE(sandbox.boxes[0].details.contains(QStringLiteral("Help/index.html")));

  // With the page and a viewer, it opens and nothing is said.
  QDir(sandbox.ImgFolder() + QStringLiteral("..")).mkpath(QStringLiteral("Help"));
  QFile page(sandbox.ImgFolder() + QStringLiteral("../Help/index.html"));
  ASSERT_TRUE(page.open(QIODevice::WriteOnly));
  page.close();
  testing::UrlRecorder viewer;
  QDesktopServices::setUrlHandler(QStringLiteral("file"), &viewer, "Open");
  form->N9->trigger();
  QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
  EXPECT_EQ(viewer.urls.size(), 1);
  EXPECT_EQ(sandbox.boxes.size(), 1u);
}

TEST_F(EditTest, DragPictureHiddenOnlyOverTheTrackBarAndItsScale) {
  form->N2->trigger();
  const QWidget* shown[] = {form.get(), form->centralWidget(), form->GroupBox9, form->Picture(2), form->Picture(8),
                            form->StepSlots().DropLabels[0], form->StepSlots().AsciiLabels[0], form->Button1,
                            form->Memo1->viewport(), form->menuBar(), form->statusBar()};
  for (const QWidget* widget : shown) EXPECT_TRUE(ShowsDragImage(widget)) << widget->objectName().toStdString();
  EXPECT_FALSE(ShowsDragImage(form->TrackBar1));
  for (const char* name : {"Label1", "Label8", "Label9", "Label12"}) {
    EXPECT_FALSE(ShowsDragImage(form->findChild<QWidget*>(QString::fromLatin1(name)))) << name;
  }
  EXPECT_FALSE(ShowsDragImage(form2.get())) << "another window of the program";
}

}  // namespace
}  // namespace vk47
