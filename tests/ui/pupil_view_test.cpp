// What a pupil sees and where the keys go: Enter in the error box after its
// details, the first Tab, the file dialogs' folder, name and words, the track
// bar's title beside its numbers, commands without a value, and the hidden
// diagnostic controls to assistive technology.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAccessible>
#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionGroupBox>
#include <QTest>
#include <QTextEdit>
#include <QTimer>

#include "ui/Unit1.h"
#include "ui/common/Catalogue.h"
#include "ui/common/Controls.h"
#include "ui/common/ErrorBox.h"
#include "ui/common/FileDialogs.h"
#include "ui/editor/StepSlots.h"
#include "ui/editor/TImage.h"
#include "ui_test_support.h"

namespace vk47 {
namespace {

// Runs `script` once the modal box `show` opens is up; a box still open
// after five seconds is closed, and the test says so.
bool DriveModalBox(const std::function<void()>& show, const std::function<void(QMessageBox*)>& script) {
  bool stuck = false;
  QTimer::singleShot(0, [&] {
    if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) script(box);
  });
  QTimer watchdog;
  watchdog.setSingleShot(true);
  QObject::connect(&watchdog, &QTimer::timeout, [&] {
    if (QWidget* box = QApplication::activeModalWidget()) {
      stuck = true;
      box->close();
    }
  });
  watchdog.start(5000);
  show();
  return !stuck;
}

QAbstractButton* DetailsButton(QMessageBox* box) {
  for (QAbstractButton* button : box->buttons()) {
    if (box->buttonRole(button) == QMessageBox::ActionRole) return button;
  }
  return nullptr;
}

TEST(ErrorBoxKeys, EnterPressesOkAlsoAfterTheDetailsWereShown) {
  SetMessageBoxFunction({});
  // くわしく clicked with the mouse, then Enter.
  bool shown = false;
  EXPECT_TRUE(DriveModalBox([] { ShowErrorBox(nullptr, QStringLiteral("だめでした"), QStringLiteral("くわしい話")); },
                            [&](QMessageBox* box) {
                              QAbstractButton* details = DetailsButton(box);
                              ASSERT_NE(details, nullptr);
                              EXPECT_EQ(details->text(), QStringLiteral("くわしく"));
                              QTest::mouseClick(details, Qt::LeftButton);
                              QCoreApplication::processEvents();
                              shown = box->findChild<QTextEdit*>()->isVisibleTo(box);
                              EXPECT_EQ(details->text(), QStringLiteral("閉じる"));
                              QWidget* focus = box->focusWidget() ? box->focusWidget() : box;
                              QTest::keyClick(focus, Qt::Key_Return);
                            }))
      << "Enter after くわしく did not close the box";
  EXPECT_TRUE(shown);

  // くわしく reached with Tab and pressed with Space, then Enter on it.
  EXPECT_TRUE(DriveModalBox([] { ShowErrorBox(nullptr, QStringLiteral("だめでした"), QStringLiteral("くわしい話")); },
                            [&](QMessageBox* box) {
                              QAbstractButton* details = DetailsButton(box);
                              ASSERT_NE(details, nullptr);
                              details->setFocus(Qt::TabFocusReason);
                              QTest::keyClick(details, Qt::Key_Space);
                              QCoreApplication::processEvents();
                              QWidget* focus = box->focusWidget() ? box->focusWidget() : box;
                              QTest::keyClick(focus, Qt::Key_Return);
                            }))
      << "Enter after くわしく by keyboard did not close the box";
}

class PupilView : public ::testing::Test {
 protected:
  void SetUp() override {
    sandbox.WriteAllIcons();
    form = std::make_unique<TForm1>(sandbox.Factory());
  }
  void TearDown() override {
    SetFileDialogFunction({});
    SetKanaMode(false);
    form.reset();
  }
  QString Documents() const { return QDir::cleanPath(QFileInfo(sandbox.SettingsFile()).absolutePath() + "/.."); }
  void Drop(int number, int slot) {
    const std::unique_ptr<QMimeData> data(TPaletteDrag::NewCommandMimeData(QString::number(number)));
    form->PaletteDrag().Image8DragDrop(form->Picture(slot + 8), data.get());
  }

  testing::UiSandbox sandbox;
  std::unique_ptr<TForm1> form;
};

TEST_F(PupilView, TheFirstTabFramesStepZero) {
  form->show();
  QApplication::setActiveWindow(form.get());
  QCoreApplication::processEvents();
  for (int slot = 0; slot < 16; ++slot) EXPECT_FALSE(form->Picture(slot + 8)->hasFocus()) << "framed at the start: " << slot;
  QWidget* focus = QApplication::focusWidget();
  QTest::keyClick(focus ? focus : form.get(), Qt::Key_Tab);
  EXPECT_EQ(QApplication::focusWidget(), static_cast<QWidget*>(form->Picture(8)));
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
  EXPECT_EQ(QApplication::focusWidget(), static_cast<QWidget*>(form->Picture(9)));
}

TEST_F(PupilView, FileDialogsStartAtTheProgramsFileElseInTheDocuments) {
  std::vector<TFileDialog> asked;
  QString answer;
  SetFileDialogFunction([&](QWidget*, TFileDialog& d) {
    asked.push_back(d);
    d.FileName = answer;
    return !answer.isEmpty();
  });
  // No file yet: the documents folder, for both (the application folder is
  // writable here, as it is to root, and is never where programs go).
  form->N1->trigger();
  form->Save1->trigger();
  ASSERT_EQ(asked.size(), 2u);
  EXPECT_EQ(asked[0].InitialDir, Documents());
  EXPECT_EQ(asked[1].InitialDir, Documents());

  // Once saved, both start in its folder, and 保存 offers its name.
  ASSERT_TRUE(QDir(Documents()).mkpath(QStringLiteral("くみ")));
  const QString file = Documents() + QStringLiteral("/くみ/わたしの.pt3");
  answer = file;
  form->N2->trigger();
  form->Save1->trigger();
  answer.clear();
  asked.clear();
  form->Save1->trigger();
  form->N1->trigger();
  ASSERT_EQ(asked.size(), 2u);
  EXPECT_EQ(asked[0].InitialDir, file);
  EXPECT_EQ(asked[1].InitialDir, Documents() + QStringLiteral("/くみ"));

  // The real dialog opens there with the name filled in.
  const std::unique_ptr<QFileDialog> dialog = NewFileDialog(nullptr, asked[0]);
  EXPECT_EQ(QDir::cleanPath(dialog->directory().absolutePath()), Documents() + QStringLiteral("/くみ"));
  auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
  ASSERT_NE(name, nullptr);
  EXPECT_EQ(name->text(), QStringLiteral("わたしの.pt3"));

  // A file whose folder has gone: the documents folder again.
  EXPECT_EQ(ProgramFileFolder(Documents() + QStringLiteral("/なくなった/a.pt3")), Documents());
}

TEST_F(PupilView, FileDialogsSpeakTheModesWords) {
  TFileDialog open;
  TFileDialog save;
  save.kind = TFileDialog::Kind::kSave;
  struct Expected {
    bool kana;
    QString file_name, file_type, look_in, open, save, cancel, parent;
  };
  for (const Expected& e : {Expected{false, "ファイル名:", "ファイルの種類:", "場所:", "開く", "保存", "キャンセル", "上のフォルダへ"},
                            Expected{true, "ファイルめい:", "ファイルの しゅるい:", "ばしょ:", "ひらく", "ほぞん",
                                     "キャンセル", "うえの フォルダへ"}}) {
    ASSERT_TRUE(SetKanaMode(e.kana, QStringLiteral(VK47_CATALOGUE_DIR)));
    const std::unique_ptr<QFileDialog> o = NewFileDialog(nullptr, open);
    const std::unique_ptr<QFileDialog> s = NewFileDialog(nullptr, save);
    EXPECT_TRUE(o->testOption(QFileDialog::DontUseNativeDialog));
    EXPECT_EQ(o->labelText(QFileDialog::FileName), e.file_name);
    EXPECT_EQ(o->labelText(QFileDialog::FileType), e.file_type);
    EXPECT_EQ(o->labelText(QFileDialog::LookIn), e.look_in);
    EXPECT_EQ(o->labelText(QFileDialog::Accept), e.open);
    EXPECT_EQ(s->labelText(QFileDialog::Accept), e.save);
    EXPECT_EQ(s->labelText(QFileDialog::Reject), e.cancel);
    auto* up = o->findChild<QAbstractButton*>(QStringLiteral("toParentButton"));
    ASSERT_NE(up, nullptr);
    EXPECT_EQ(up->toolTip(), e.parent);
  }
}

// The title's rectangle as the style lays it out in the box.
QRect TitleRect(QGroupBox* box, Qt::Alignment alignment) {
  QStyleOptionGroupBox option;
  option.initFrom(box);
  option.text = box->title();
  option.lineWidth = 1;
  option.textAlignment = alignment;
  option.subControls = QStyle::SC_GroupBoxFrame | QStyle::SC_GroupBoxLabel;
  return box->style()->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxLabel, box);
}

TEST_F(PupilView, TheTrackBarsTitleLeavesItsNumbersFree) {
  form->show();
  for (const bool kana : {false, true}) {
    SCOPED_TRACE(kana ? "hiragana" : "kanji");
    ASSERT_TRUE(SetKanaMode(kana, QStringLiteral(VK47_CATALOGUE_DIR)));
    QGroupBox* box = form->GroupBox9;
    const QRect title = TitleRect(box, box->alignment());
    ASSERT_FALSE(title.isEmpty());
    for (const char* name : {"Label9", "Label10", "Label11", "Label12"}) {
      auto* number = box->findChild<QLabel*>(QString::fromLatin1(name));
      ASSERT_NE(number, nullptr);
      EXPECT_FALSE(title.intersects(number->geometry())) << name << " " << number->text().toStdString();
    }
    // At the left, where a box's title usually is, it would cover the "0".
    EXPECT_TRUE(TitleRect(box, Qt::AlignLeft).intersects(box->findChild<QLabel*>(QStringLiteral("Label9"))->geometry()));
  }
}

TEST_F(PupilView, CommandsWithoutAValueShowNoEmptyBox) {
  form->show();
  Drop(2, 0);   // 前進: a value
  Drop(29, 1);  // 入力
  Drop(31, 2);  // 終了
  const QImage program = form->GroupBox3->grab().toImage();
  auto cyan_in = [&](int slot) {
    const QRect rect = ValueLabelRect(slot);
    int count = 0;
    for (int y = rect.top(); y <= rect.bottom(); ++y) {
      for (int x = rect.left(); x <= rect.right(); ++x) count += program.pixelColor(x, y) == kCyan;
    }
    return count;
  };
  EXPECT_GT(cyan_in(0), 100);
  EXPECT_EQ(cyan_in(1), 0);
  EXPECT_EQ(cyan_in(2), 0);
  // The label is still there: a click on it is handled as for every step.
  ASSERT_FALSE(form->StepSlots().DropLabels[1].isNull());
  EXPECT_EQ(form->StepSlots().DropLabels[1]->text(), QString());
}

std::vector<QObject*> AccessibleChildren(QObject* object) {
  std::vector<QObject*> children;
  QAccessibleInterface* face = QAccessible::queryAccessibleInterface(object);
  if (!face) return children;
  for (int i = 0; i < face->childCount(); ++i) {
    QAccessibleInterface* child = face->child(i);
    if (!child) continue;
    children.push_back(child->object());
    EXPECT_EQ(face->indexOfChild(child), i);
  }
  return children;
}

TEST_F(PupilView, HiddenDiagnosticControlsAreHiddenFromAssistiveTechnology) {
  form->show();
  QCoreApplication::processEvents();
  const auto contains = [](const std::vector<QObject*>& list, QObject* object) {
    return std::find(list.begin(), list.end(), object) != list.end();
  };
  std::vector<QObject*> seen = AccessibleChildren(form->centralWidget());
  EXPECT_TRUE(contains(seen, form->Button1));
  EXPECT_TRUE(contains(seen, form->GroupBox3));
  for (QWidget* diagnostic : {static_cast<QWidget*>(form->Memo1), static_cast<QWidget*>(form->Button3),
                              static_cast<QWidget*>(form->Label13)}) {
    EXPECT_FALSE(diagnostic->isVisibleTo(form.get())) << diagnostic->objectName().toStdString();
    EXPECT_FALSE(contains(seen, diagnostic)) << diagnostic->objectName().toStdString();
  }

  // Maximised, they can be seen and are read out, with their own captions.
  form->showMaximized();
  QCoreApplication::processEvents();
  ASSERT_GT(form->centralWidget()->width(), 790);
  seen = AccessibleChildren(form->centralWidget());
  for (QWidget* diagnostic : {static_cast<QWidget*>(form->Memo1), static_cast<QWidget*>(form->Button3),
                              static_cast<QWidget*>(form->Label13)}) {
    EXPECT_TRUE(contains(seen, diagnostic)) << diagnostic->objectName().toStdString();
  }
  EXPECT_EQ(form->Label13->text(), QStringLiteral("Label13"));
  EXPECT_EQ(form->Memo1->toPlainText(), QStringLiteral("Memo1"));
}

}  // namespace
}  // namespace vk47
