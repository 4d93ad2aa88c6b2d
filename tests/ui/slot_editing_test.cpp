// Editing the program where the steps stand, and without a mouse: moving,
// copying and removing steps by drag, the keyboard on a focused slot, the
// wheel, the command list; the menu shortcuts whatever has the focus; the
// maximised window; and the names a screen reader says, read through Qt's
// accessibility interface. Offscreen, drags are delivered as drop events.
#include <gtest/gtest.h>

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSlider>
#include <QStatusBar>
#include <QTest>
#include <QTimer>
#include <QUndoStack>
#include <QWheelEvent>

#include "model/demo_program.h"
#include "ui/editor/CommandMenu.h"
#include "ui/editor/SlotEditor.h"
#include "ui/editor/TImage.h"
#include "ui/Unit1.h"
#include "ui/common/Catalogue.h"
#include "ui/common/WindowSizing.h"
#include "ui_test_support.h"

namespace vk47 {
namespace {

// Slot 0 前進 1秒, slot 1 左折, slot 2 回数 15回, slot 3 待つ 0秒, the rest empty.
const ProgramCodes kStart = {36, 114, 191, 0, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1};

QString NameOf(QObject* object) {
  QAccessibleInterface* face = QAccessible::queryAccessibleInterface(object);
  return face ? face->text(QAccessible::Name) : QStringLiteral("(none)");
}

class SlotEditingTest : public ::testing::Test {
 public:  // the rows of the table tests act through the fixture
  void SetUp() override {
    sandbox.WriteAllIcons();
    form = std::make_unique<TForm1>(sandbox.Factory());
    form->show();
    QApplication::setActiveWindow(form.get());
    form->RestoreProgram(kStart);
  }
  void TearDown() override { form.reset(); }

  QWidget* Slot(int k) const { return form->Picture(k + 8); }
  ProgramCodes Codes() const { return form->StepSlots().Program().Codes(); }
  QString Status() const { return form->statusBar()->currentMessage(); }
  QString SlotName(int k) const { return NameOf(Slot(k)); }
  void Key(int k, Qt::Key key, Qt::KeyboardModifiers modifiers = {}) {
    Slot(k)->setFocus();
    QTest::keyClick(Slot(k), key, modifiers);
  }
  // A wheel turn over a picture or label: neither takes it, and Qt passes it
  // on to the program box, where it arrives here.
  void Wheel(QWidget* over, int delta) {
    const QPointF pos = over->mapTo(form->GroupBox3, QPointF(5, 5));
    QWheelEvent wheel(pos, form->GroupBox3->mapToGlobal(pos), QPoint(), QPoint(0, delta), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(form->GroupBox3, &wheel);
  }
  // A step of slot `from` dropped on `target` at `pos`; whether it was taken.
  bool DropStep(int from, QWidget* target, QPoint pos, Qt::KeyboardModifiers modifiers = {}) {
    const std::unique_ptr<QMimeData> data(TSlotEditor::NewStepMimeData(from));
    return DropData(data.get(), target, pos, modifiers);
  }
  static bool DropData(QMimeData* data, QWidget* target, QPoint pos, Qt::KeyboardModifiers modifiers = {}) {
    const Qt::DropActions actions = Qt::MoveAction | Qt::CopyAction;
    QDragEnterEvent enter(pos, actions, data, Qt::LeftButton, modifiers);
    QApplication::sendEvent(target, &enter);
    if (!enter.isAccepted()) return false;
    QDropEvent drop(QPointF(pos), actions, data, Qt::LeftButton, modifiers);
    QApplication::sendEvent(target, &drop);
    return drop.isAccepted();
  }
  // Answers the next command list with `keys` once it is open.
  void AnswerList(std::vector<Qt::Key> keys, QStringList* entries = nullptr, QString* highlighted = nullptr) {
    QTimer::singleShot(0, form.get(), [this, keys, entries, highlighted] {
      auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
      if (!menu) {
        AnswerList(keys, entries, highlighted);  // not open yet
        return;
      }
      if (entries) {
        for (const QAction* action : menu->actions()) {
          *entries << action->text() + (action->icon().isNull() ? QStringLiteral("(no icon)") : QString());
        }
      }
      if (highlighted && menu->activeAction()) *highlighted = menu->activeAction()->text();
      for (Qt::Key key : keys) QTest::keyClick(menu, key);
    });
  }

  testing::UiSandbox sandbox;
  std::unique_ptr<TForm1> form;
};

// --- each kind of change: codes, status, undo, redo, names ---------------------------

struct ChangeRow {
  const char* name;
  std::function<void(SlotEditingTest&)> act;
  std::vector<std::pair<int, int>> changed;  // slot, code afterwards
  const char* status;
  std::vector<std::pair<int, const char*>> names;  // slot, accessible name afterwards
};

TEST_F(SlotEditingTest, EachChangeIsOneUndoableStepWithItsTextAndNames) {
  const ChangeRow rows[] = {
      {"drag onto an empty slot moves", [](SlotEditingTest& t) { t.DropStep(0, t.Slot(7), {20, 30}); },
       {{7, 36}, {0, -1}}, "ステップ 0 を 7 に移しました",
       {{7, "ステップ 7 前進 1秒"}, {0, "ステップ 0 空き"}}},
      {"drag onto a filled slot replaces it", [](SlotEditingTest& t) { t.DropStep(2, t.Slot(1), {20, 30}); },
       {{1, 191}, {2, -1}}, "ステップ 2 を 1 に移しました", {{1, "ステップ 1 回数 15回"}}},
      {"Ctrl at the drop copies", [](SlotEditingTest& t) { t.DropStep(0, t.Slot(12), {20, 30}, Qt::ControlModifier); },
       {{12, 36}}, "ステップ 0 を 12 にコピーしました", {{12, "ステップ 12 前進 1秒"}, {0, "ステップ 0 前進 1秒"}}},
      {"dropped on the palette side removes",
       [](SlotEditingTest& t) { t.DropStep(1, t.form->centralWidget(), {100, 300}); },
       {{1, -1}}, "ステップ 1 を空にしました", {{1, "ステップ 1 空き"}}},
      {"Delete empties", [](SlotEditingTest& t) { t.Key(0, Qt::Key_Delete); }, {{0, -1}},
       "ステップ 0 を空にしました", {{0, "ステップ 0 空き"}}},
      {"Backspace empties", [](SlotEditingTest& t) { t.Key(3, Qt::Key_Backspace); }, {{3, -1}},
       "ステップ 3 を空にしました", {{3, "ステップ 3 空き"}}},
      {"+ raises", [](SlotEditingTest& t) { t.Key(0, Qt::Key_Plus, Qt::ShiftModifier); }, {{0, 37}},
       "ステップ 0 の値を 1.25秒 にしました", {{0, "ステップ 0 前進 1.25秒"}}},
      {"- on the keypad lowers", [](SlotEditingTest& t) { t.Key(0, Qt::Key_Minus, Qt::KeypadModifier); },
       {{0, 35}}, "ステップ 0 の値を 0.75秒 にしました", {{0, "ステップ 0 前進 0.75秒"}}},
      {"wheel up over the value label", [](SlotEditingTest& t) { t.Wheel(t.form->StepSlots().DropLabels[3], 120); },
       {{3, 1}}, "ステップ 3 の値を 0.25秒 にしました", {{3, "ステップ 3 待つ 0.25秒"}}},
      {"wheel down over the picture", [](SlotEditingTest& t) { t.Wheel(t.Slot(2), -120); }, {{2, 190}},
       "ステップ 2 の値を 14回 にしました", {{2, "ステップ 2 回数 14回"}}},
      {"command list: Enter, Down, Enter",
       [](SlotEditingTest& t) {
         t.form->TrackBar1->setValue(6);
         t.AnswerList({Qt::Key_Down, Qt::Key_Return});
         t.Key(5, Qt::Key_Return);
       },
       {{5, 38}}, "ステップ 5 に 前進 を置きました", {{5, "ステップ 5 前進 1.5秒"}}},
  };
  for (const ChangeRow& row : rows) {
    SCOPED_TRACE(row.name);
    form->RestoreProgram(kStart);
    form->Document().UndoStack()->clear();
    form->statusBar()->clearMessage();
    row.act(*this);
    ProgramCodes expected = kStart;
    for (const auto& [slot, code] : row.changed) expected[slot] = code;
    EXPECT_EQ(Codes(), expected);
    EXPECT_TRUE(Status().startsWith(QString::fromUtf8(row.status))) << Status().toStdString();
    for (const auto& [slot, name] : row.names) EXPECT_EQ(SlotName(slot), QString::fromUtf8(name)) << slot;
    EXPECT_TRUE(form->Modified());
    ASSERT_EQ(form->Document().UndoStack()->count(), 1);
    form->findChild<QAction*>(QStringLiteral("Undo1"))->trigger();
    EXPECT_EQ(Codes(), kStart);
    for (const auto& [slot, name] : row.names) EXPECT_EQ(SlotName(slot), NameOf(Slot(slot)));
    EXPECT_EQ(SlotName(4), QStringLiteral("ステップ 4 空き"));
    EXPECT_EQ(SlotName(0), QStringLiteral("ステップ 0 前進 1秒"));
    form->findChild<QAction*>(QStringLiteral("Redo1"))->trigger();
    EXPECT_EQ(Codes(), expected);
  }
  EXPECT_TRUE(sandbox.boxes.empty());
}

TEST_F(SlotEditingTest, WhatChangesNothingAddsNoStep) {
  const std::pair<const char*, std::function<void()>> rows[] = {
      {"a plain click, which focuses the slot",
       [&] {
         QTest::mouseClick(Slot(0), Qt::LeftButton, {}, QPoint(20, 30));
         EXPECT_EQ(form->focusWidget(), Slot(0));
       }},
      {"+ at 15", [&] { Key(2, Qt::Key_Plus); }},
      {"- at 0", [&] { Key(3, Qt::Key_Minus); }},
      {"+ on a command without a value", [&] { Key(1, Qt::Key_Plus); }},
      {"wheel over an empty slot", [&] { Wheel(Slot(9), 120); }},
      {"half a notch", [&] { Wheel(Slot(0), 60); }},
      {"Delete on an empty slot", [&] { Key(8, Qt::Key_Delete); }},
      {"a step dropped on itself", [&] { DropStep(0, Slot(0), {20, 30}); }},
      {"Escape in the list", [&] { AnswerList({Qt::Key_Down, Qt::Key_Escape}); Key(0, Qt::Key_Space); }},
      {"dropped inside the program box", [&] { EXPECT_FALSE(DropStep(0, form->centralWidget(), {300, 320})); }},
      {"a step from another vk47",
       [&] {
         QMimeData data;
         data.setData(TSlotEditor::kStepMimeType, "1:0");
         EXPECT_FALSE(DropData(&data, Slot(5), {20, 30}));
         EXPECT_FALSE(DropData(&data, form->centralWidget(), {100, 300}));
       }},
      {"a palette drag over the client area",
       [&] {
         const std::unique_ptr<QMimeData> data(TPaletteDrag::NewCommandMimeData(QStringLiteral("2")));
         EXPECT_FALSE(DropData(data.get(), form->centralWidget(), {100, 300}));
       }},
  };
  for (const auto& [name, act] : rows) {
    SCOPED_TRACE(name);
    act();
    EXPECT_EQ(Codes(), kStart);
    EXPECT_EQ(form->Document().UndoStack()->count(), 0);
  }
}

// The wheel's part of a notch belongs to the slot it was turned over: half a
// notch over one slot and half over another change nothing, and two halves
// over one slot make a step of its value.
TEST_F(SlotEditingTest, APartNotchStaysWithItsSlot) {
  Wheel(Slot(0), 60);
  Wheel(Slot(3), 60);
  Wheel(Slot(0), 60);
  EXPECT_EQ(Codes(), kStart);
  EXPECT_EQ(form->Document().UndoStack()->count(), 0);
  Wheel(Slot(0), 60);
  ProgramCodes expected = kStart;
  expected[0] = 37;  // 前進 1.25秒
  EXPECT_EQ(Codes(), expected);
}

TEST_F(SlotEditingTest, HeldBackWhileALoadTheDemoOrATransferRuns) {
  const TForm1::CommandHold hold = form->HoldCommands();
  Key(0, Qt::Key_Delete);
  Key(0, Qt::Key_Plus);
  Wheel(Slot(2), -120);
  EXPECT_FALSE(DropStep(0, Slot(7), {20, 30}));
  EXPECT_FALSE(DropStep(0, form->centralWidget(), {100, 300}));
  form->SlotEditor().MoveStep(0, 7);
  form->SlotEditor().ChooseCommand(5);
  EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
  EXPECT_EQ(Codes(), kStart);
  EXPECT_EQ(form->Document().UndoStack()->count(), 0);
}

// Released over nothing that takes a step: outside the window the step is
// removed, over the program box it stays. (Offscreen, the drag ends at once
// where the pointer is; the events go straight to the slot, so the platform
// counts no button as held when it ends, as after a release.)
TEST_F(SlotEditingTest, AStepReleasedOverNoTargetIsRemovedOnlyOutsideTheProgramBox) {
  const auto drag = [&](int slot, QPoint pointer) {
    QCursor::setPos(pointer);
    const auto send = [&](QEvent::Type type, QPoint pos, Qt::MouseButtons held) {
      QMouseEvent event(type, QPointF(pos), Slot(slot)->mapToGlobal(QPointF(pos)),
                        type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton, held, Qt::NoModifier);
      QApplication::sendEvent(Slot(slot), &event);
    };
    send(QEvent::MouseButtonPress, {20, 30}, Qt::LeftButton);
    send(QEvent::MouseMove, {30, 30}, Qt::LeftButton);
    send(QEvent::MouseButtonRelease, {30, 30}, Qt::NoButton);
  };
  drag(0, form->GroupBox3->mapToGlobal(QPoint(300, 320)));
  EXPECT_EQ(Codes(), kStart);
  drag(0, form->mapToGlobal(QPoint(-200, 100)));
  ProgramCodes expected = kStart;
  expected[0] = kEmptyCode;
  EXPECT_EQ(Codes(), expected);
  EXPECT_TRUE(Status().startsWith(QStringLiteral("ステップ 0 を空にしました")));
  EXPECT_FALSE(form->DragController1.Dragging);
  drag(4, form->mapToGlobal(QPoint(-200, 100)));  // an empty slot drags nothing
  EXPECT_EQ(Codes(), expected);
}

TEST_F(SlotEditingTest, UndoAndRedoOfAMoveRestorePicturesAndLabels) {
  Slot(9)->setFocus();  // where the drop leaves the focus, with its frame
  const QImage before = form->GroupBox3->grab().toImage();
  DropStep(2, Slot(9), {20, 30});
  const QImage after = form->GroupBox3->grab().toImage();
  ASSERT_NE(after, before);
  EXPECT_EQ(form->StepSlots().DropLabels[2], nullptr);
  ASSERT_NE(form->StepSlots().DropLabels[9], nullptr);
  EXPECT_EQ(form->StepSlots().DropLabels[9]->text(), QStringLiteral("15回"));
  form->findChild<QAction*>(QStringLiteral("Undo1"))->trigger();
  EXPECT_TRUE(Status().startsWith(QStringLiteral("元に戻しました (ステップ 2 を 9 に移す)"))) << Status().toStdString();
  EXPECT_EQ(form->GroupBox3->grab().toImage(), before);
  EXPECT_EQ(SlotName(9), QStringLiteral("ステップ 9 空き"));
  form->findChild<QAction*>(QStringLiteral("Redo1"))->trigger();
  EXPECT_EQ(form->GroupBox3->grab().toImage(), after);
  EXPECT_EQ(SlotName(9), QStringLiteral("ステップ 9 回数 15回"));
}

// --- the keyboard ------------------------------------------------------------------------

TEST_F(SlotEditingTest, ArrowKeysFollowTheGridAsDrawn) {
  struct Row { int from; Qt::Key key; int to; };
  std::vector<Row> rows = {{0, Qt::Key_Down, 1},   {5, Qt::Key_Up, 4},   {1, Qt::Key_Right, 5},
                           {11, Qt::Key_Right, 15}, {6, Qt::Key_Left, 2}, {15, Qt::Key_Up, 14}};
  // At every edge the focus stays: each slot of the last column with Right,
  // of the first with Left, of the top row with Up, of the bottom row with Down.
  for (int i = 0; i < 4; ++i) {
    rows.push_back({12 + i, Qt::Key_Right, 12 + i});
    rows.push_back({i, Qt::Key_Left, i});
    rows.push_back({4 * i, Qt::Key_Up, 4 * i});
    rows.push_back({4 * i + 3, Qt::Key_Down, 4 * i + 3});
  }
  for (const Row& row : rows) {
    Key(row.from, row.key);
    EXPECT_EQ(form->SlotEditor().FocusedSlot(), row.to) << row.from << " " << row.key;
  }
}

TEST_F(SlotEditingTest, TabVisitsTheSlotsThenTransferAndExecute) {
  Slot(0)->setFocus();
  std::vector<QString> order;
  for (int i = 0; i < 19; ++i) {
    order.push_back(QApplication::focusWidget()->objectName());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
  }
  std::vector<QString> expected;
  for (int k = 0; k < 16; ++k) expected.push_back(QStringLiteral("Image%1").arg(k + 8));
  expected.insert(expected.end(), {QStringLiteral("Button1"), QStringLiteral("Button2"), QStringLiteral("Image8")});
  EXPECT_EQ(order, expected);
  EXPECT_EQ(form->TrackBar1->focusPolicy(), Qt::ClickFocus);
  EXPECT_TRUE(form->Memo1->isReadOnly());
}

TEST_F(SlotEditingTest, TheListShowsTheCommandsInPaletteOrderWithTheSlotsOwnHighlighted) {
  QStringList entries;
  QString highlighted;
  AnswerList({Qt::Key_Escape}, &entries, &highlighted);
  Key(4, Qt::Key_Return);
  EXPECT_EQ(entries.join(u' '), QStringLiteral("左前 前進 右前 待つ 左後 後退 右後 左折 停止 右折 回数 ここから 入力 飛ぶ 終了"));
  EXPECT_EQ(highlighted, QStringLiteral("左前")) << "an empty slot";
  AnswerList({Qt::Key_Escape}, nullptr, &highlighted);
  Key(2, Qt::Key_Space);
  EXPECT_EQ(highlighted, QStringLiteral("回数"));
  // Up from 回数 is 右折, placed as a drop places it, whatever the track bar.
  AnswerList({Qt::Key_Up, Qt::Key_Enter});
  Key(2, Qt::Key_Enter);
  EXPECT_EQ(Codes()[2], 113);
  EXPECT_EQ(form->focusWidget(), Slot(2));
}

TEST_F(SlotEditingTest, TheFocusedSlotHasAFrame) {
  const QImage plain = Slot(5)->grab().toImage();
  Slot(5)->setFocus();
  const QImage framed = Slot(5)->grab().toImage();
  EXPECT_EQ(framed.pixelColor(1, 36), QColor(255, 140, 0));
  EXPECT_NE(plain.pixelColor(1, 36), QColor(255, 140, 0));
}

// --- menu shortcuts and the maximised window -------------------------------------------

TEST_F(SlotEditingTest, MenuShortcutsWinWhateverHasTheFocus) {
  form->showMaximized();
  QApplication::processEvents();
  ASSERT_EQ(form->Memo1->focusPolicy(), Qt::StrongFocus) << "seen in the maximised window";
  // A text box that edits, copies and undoes by itself.
  auto* text = new QLineEdit(QStringLiteral("abc"), form->centralWidget());
  text->setGeometry(744, 400, 100, 20);
  text->show();
  for (QWidget* focus : std::initializer_list<QWidget*>{form->Memo1, text, Slot(0), form->Button1, form->TrackBar1}) {
    SCOPED_TRACE(focus->objectName().toStdString());
    form->RestoreProgram(kStart);
    focus->setFocus();
    ASSERT_TRUE(focus->hasFocus());
    QTest::keyClick(focus, Qt::Key_C, Qt::ControlModifier);  // クリア
    EXPECT_EQ(Codes(), EmptyProgram());
    QTest::keyClick(focus, Qt::Key_Z, Qt::ControlModifier);  // 元に戻す
    EXPECT_EQ(Codes(), kStart);
    QTest::keyClick(focus, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);  // やり直し
    EXPECT_EQ(Codes(), EmptyProgram());
    QTest::keyClick(focus, Qt::Key_D, Qt::ControlModifier);  // デモ
    EXPECT_EQ(Codes(), *DemoProgram().codes);
  }
  EXPECT_EQ(form->Memo1->toPlainText(), QStringLiteral("Memo1")) << "the log took no key";
  EXPECT_EQ(text->text(), QStringLiteral("abc"));
  // Keys that are no shortcut of the window still reach the control.
  text->setFocus();
  QTest::keyClick(text, Qt::Key_A, Qt::ControlModifier);
  QTest::keyClick(text, Qt::Key_X);
  EXPECT_EQ(text->text(), QStringLiteral("x"));
}

TEST_F(SlotEditingTest, MaximisedTheDiagnosticControlsShowAndRestoredTheClientIsFixedAgain) {
  // Out of sight they are hidden: the log then costs a transfer nothing.
  EXPECT_FALSE(form->Memo1->isVisibleTo(form.get()));
  EXPECT_EQ(form->Memo1->focusPolicy(), Qt::NoFocus);
  EXPECT_EQ(form->Button3->focusPolicy(), Qt::NoFocus);
  EXPECT_EQ(form->maximumSize(), QSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX)) << "the window can be maximised";

  form->showMaximized();
  QApplication::processEvents();
  ASSERT_GT(form->centralWidget()->width(), 760);
  EXPECT_EQ(form->Memo1->geometry(), QRect(744, 16, 185, 361));
  EXPECT_TRUE(form->Memo1->isVisible());
  EXPECT_EQ(form->Button3->geometry(), QRect(760, 432, 105, 25));
  QTest::mouseClick(form->Button3, Qt::LeftButton, {}, QPoint(5, 5));
  EXPECT_EQ(form->Label13->text(), QStringLiteral("1"));
  form->Memo1->setFocus();

  form->showNormal();
  QApplication::processEvents();
  EXPECT_EQ(form->centralWidget()->size(), QSize(732, 524));
  EXPECT_EQ(form->size(), form->minimumSize());
  EXPECT_FALSE(form->Memo1->hasFocus());
  EXPECT_EQ(form->Memo1->focusPolicy(), Qt::NoFocus);

  // A resize in the normal state (a drag of the border) is undone.
  form->resize(form->width() + 40, form->height() + 30);
  QTest::qWait(150);
  EXPECT_EQ(form->centralWidget()->size(), QSize(732, 524));
  EXPECT_EQ(form->size(), form->minimumSize());
}

// --- names for assistive technology --------------------------------------------------

TEST_F(SlotEditingTest, PaletteButtonsAndTrackBarHaveNames) {
  const std::pair<int, const char*> icons[] = {{1, "左前"}, {2, "前進"}, {4, "待つ"}, {26, "左折"}, {24, "回数"},
                                               {25, "ここから"}, {29, "入力"}, {30, "飛ぶ"}, {31, "終了"}};
  for (const auto& [number, name] : icons) EXPECT_EQ(NameOf(form->Picture(number)), QString::fromUtf8(name)) << number;
  EXPECT_EQ(NameOf(form->Button1), QStringLiteral("転送"));
  EXPECT_EQ(NameOf(form->Button2), QStringLiteral("実行"));
  EXPECT_EQ(NameOf(form->TrackBar1), QStringLiteral("時間・飛び先・回数 0"));
  form->TrackBar1->setValue(4);
  EXPECT_EQ(NameOf(form->TrackBar1), QStringLiteral("時間・飛び先・回数 4"));

  QAccessibleInterface* slot = QAccessible::queryAccessibleInterface(Slot(3));
  ASSERT_NE(slot, nullptr);
  EXPECT_EQ(slot->role(), QAccessible::Button);
  EXPECT_TRUE(slot->state().focusable);
  EXPECT_EQ(QAccessible::queryAccessibleInterface(form->Picture(2))->role(), QAccessible::StaticText);

  // Every change of the program renames its slots: a drop, a value-label
  // click, the demo, clear.
  const std::unique_ptr<QMimeData> data(TPaletteDrag::NewCommandMimeData(QStringLiteral("30")));
  form->PaletteDrag().Image8DragDrop(Slot(6), data.get());
  EXPECT_EQ(SlotName(6), QStringLiteral("ステップ 6 飛ぶ 4へ"));
  form->TrackBar1->setValue(11);
  QTest::mouseClick(form->StepSlots().DropLabels[0], Qt::LeftButton, {}, QPoint(5, 5));
  EXPECT_EQ(SlotName(0), QStringLiteral("ステップ 0 前進 2.75秒"));
  EXPECT_EQ(SlotName(1), QStringLiteral("ステップ 1 左折"));
  form->N2->trigger();
  EXPECT_EQ(SlotName(15), QStringLiteral("ステップ 15 待つ 1秒"));
  form->N3->trigger();
  for (int k = 0; k < kSlotCount; ++k) EXPECT_EQ(SlotName(k), QStringLiteral("ステップ %1 空き").arg(k));
}

TEST_F(SlotEditingTest, NamesFollowTheHiraganaMode) {
  ASSERT_TRUE(SetKanaMode(true, QStringLiteral(VK47_CATALOGUE_DIR)));
  EXPECT_EQ(SlotName(0), QStringLiteral("ステップ 0 ぜんしん 1びょう"));
  EXPECT_EQ(SlotName(4), QStringLiteral("ステップ 4 あき"));
  EXPECT_EQ(NameOf(form->TrackBar1), QStringLiteral("じかん・とびさき・かいすう 0"));
  EXPECT_EQ(NameOf(form->Picture(2)), QStringLiteral("ぜんしん"));
  SetKanaMode(false);
  EXPECT_EQ(SlotName(0), QStringLiteral("ステップ 0 前進 1秒"));
  EXPECT_EQ(NameOf(form->Picture(2)), QStringLiteral("前進"));
}

}  // namespace
}  // namespace vk47
