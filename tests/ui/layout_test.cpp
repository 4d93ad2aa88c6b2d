// The main window's layout: names, parents, rectangles, captions, menus.
#include <gtest/gtest.h>

#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSlider>

#include "ui/common/Controls.h"
#include "ui/editor/TImage.h"
#include "ui/Unit1.h"
#include "ui_test_support.h"

namespace vk47 {
namespace {

class LayoutTest : public ::testing::Test {
 protected:
  void SetUp() override {
    sandbox.WriteAllIcons();
    form = std::make_unique<TForm1>(sandbox.Factory());
  }
  QWidget* Find(const char* name) const {
    auto* widget = qobject_cast<QWidget*>(FindControlByName(form.get(), QString::fromLatin1(name)));
    EXPECT_NE(widget, nullptr) << name;
    return widget;
  }

  testing::UiSandbox sandbox;
  std::unique_ptr<TForm1> form;
};

TEST_F(LayoutTest, WindowHasFixedClientAreaAndCaption) {
  EXPECT_EQ(form->windowTitle(), QStringLiteral("VK-47ロボット制御３"));
  form->show();
  EXPECT_EQ(form->Client->size(), QSize(732, 524));
  EXPECT_EQ(form->Client->y(), form->menuBar()->height());
  // Not larger than the client area and its bars; maximisable all the same.
  EXPECT_EQ(form->size(), form->minimumSize());
  EXPECT_EQ(form->maximumSize(), QSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX));
  EXPECT_TRUE(form->font().families().contains(QStringLiteral("IPAPGothic")));
  EXPECT_EQ(form->font().pixelSize(), 12);
  EXPECT_TRUE(sandbox.boxes.empty());
}

TEST_F(LayoutTest, GroupBoxes) {
  struct Row { const char* name; const char* caption; QRect rect; bool silver; };
  const Row rows[] = {
      {"GroupBox1", "基本命令", {3, 5, 193, 273}, true},
      {"GroupBox3", "プログラム", {208, 5, 521, 329}, true},
      {"GroupBox4", "拡張命令", {3, 344, 193, 97}, true},
      {"GroupBox2", "繰り返し", {208, 344, 137, 97}, true},
      {"GroupBox5", "入力", {355, 344, 81, 97}, true},
      {"GroupBox6", "飛べ", {445, 344, 81, 97}, true},
      {"GroupBox7", "終了", {536, 344, 81, 97}, true},
      {"GroupBox9", "時間・飛び先・回数", {3, 448, 729, 73}, false},
  };
  for (const Row& row : rows) {
    auto* box = qobject_cast<QGroupBox*>(Find(row.name));
    ASSERT_NE(box, nullptr) << row.name;
    EXPECT_EQ(box->parentWidget(), form->Client) << row.name;
    EXPECT_EQ(box->title(), QString::fromUtf8(row.caption)) << row.name;
    EXPECT_EQ(box->geometry(), row.rect) << row.name;
    EXPECT_EQ(box->palette().color(QPalette::Window) == kSilver, row.silver) << row.name;
  }
}

TEST_F(LayoutTest, PaletteIcons) {
  struct Row { const char* name; const char* parent; QPoint pos; const char* hint; };
  const Row rows[] = {
      {"Image1", "GroupBox1", {8, 24}, "左車輪を前進させる命令"},
      {"Image2", "GroupBox1", {71, 24}, "前進させる命令"},
      {"Image3", "GroupBox1", {133, 24}, "右車輪を前進させる命令"},
      {"Image4", "GroupBox1", {71, 104}, ""},
      {"Image5", "GroupBox1", {8, 184}, "左車輪を後退させる命令"},
      {"Image6", "GroupBox1", {71, 184}, "後退させる命令"},
      {"Image7", "GroupBox1", {133, 184}, "右車輪を後退させる命令"},
      {"Image26", "GroupBox4", {8, 18}, "前進中入力があると左に方向転換"},
      {"Image27", "GroupBox4", {71, 18}, "前進中入力があると停止"},
      {"Image28", "GroupBox4", {133, 18}, "前進中入力があると右に方向転換"},
      {"Image24", "GroupBox2", {12, 18}, "繰返し回数の設定"},
      {"Image25", "GroupBox2", {74, 18}, "繰り返す最初の番地の設定"},
      {"Image29", "GroupBox5", {16, 18}, "マイクロスイッチが入るまで待つ"},
      {"Image30", "GroupBox6", {16, 18}, "無条件に指定番地へ飛ぶ"},
      {"Image31", "GroupBox7", {16, 18}, "プログラムを途中で終了"},
  };
  for (const Row& row : rows) {
    auto* image = qobject_cast<TImage*>(Find(row.name));
    ASSERT_NE(image, nullptr) << row.name;
    EXPECT_EQ(image->parentWidget()->objectName(), QString::fromLatin1(row.parent)) << row.name;
    EXPECT_EQ(image->geometry(), QRect(row.pos, QSize(50, 72))) << row.name;
    EXPECT_EQ(Hint(image), QString::fromUtf8(row.hint)) << row.name;
    EXPECT_TRUE(image->toolTip().isEmpty()) << row.name;
    EXPECT_EQ(image->Stretch, row.name != std::string("Image1")) << row.name;
  }
}

TEST_F(LayoutTest, StepSlotsRunDownTheColumns) {
  const int lefts[] = {8, 139, 269, 400};
  const int tops[] = {24, 99, 173, 248};
  const char* digits[] = {"０", "１", "２", "３", "４", "５", "６", "７",
                          "８", "９", "１０", "１１", "１２", "１３", "１４", "１５"};
  for (int k = 0; k < 16; ++k) {
    TImage* image = form->Picture(k + 8);
    ASSERT_NE(image, nullptr) << k;
    EXPECT_EQ(image->parentWidget(), form->GroupBox3) << k;
    EXPECT_EQ(image->pos(), QPoint(lefts[k / 4], tops[k % 4])) << k;
    EXPECT_EQ(image->size(), QSize(50, 72)) << k;  // auto-sized to the 50 x 72 icon
    EXPECT_EQ(Hint(image), QStringLiteral("ステップ") + QString::fromUtf8(digits[k])) << k;
    EXPECT_EQ(image->property("tag").toInt(), -1) << k;
  }
}

TEST_F(LayoutTest, TrackBarAndScaleLabels) {
  QSlider* bar = form->TrackBar1;
  EXPECT_EQ(bar->parentWidget(), form->GroupBox9);
  EXPECT_EQ(bar->geometry(), QRect(8, 22, 713, 32));
  EXPECT_EQ(bar->minimum(), 0);
  EXPECT_EQ(bar->maximum(), 15);
  EXPECT_EQ(bar->value(), 0);
  EXPECT_EQ(bar->pageStep(), 1);
  EXPECT_EQ(bar->tickPosition(), QSlider::TicksBothSides);
  EXPECT_EQ(bar->focusPolicy(), Qt::ClickFocus);  // a click focuses it; no tab stop
  EXPECT_EQ(Hint(bar), QStringLiteral("実行する時間、飛び先、回数の設定"));

  struct Row { const char* name; const char* text; QPoint pos; };
  const Row rows[] = {
      {"Label9", "0", {15, 10}},      {"Label10", "5", {245, 10}},    {"Label11", "10", {473, 10}},
      {"Label12", "15", {703, 10}},   {"Label1", "0", {15, 55}},      {"Label2", "0.5秒", {99, 55}},
      {"Label3", "1秒", {196, 55}},   {"Label5", "1.5秒", {285, 55}}, {"Label4", "2秒", {381, 55}},
      {"Label6", "2.5秒", {470, 55}}, {"Label7", "3秒", {563, 55}},   {"Label8", "3.5秒", {653, 55}},
  };
  for (const Row& row : rows) {
    auto* label = qobject_cast<QLabel*>(Find(row.name));
    ASSERT_NE(label, nullptr) << row.name;
    EXPECT_EQ(label->parentWidget(), form->GroupBox9) << row.name;
    EXPECT_EQ(label->text(), QString::fromUtf8(row.text)) << row.name;
    EXPECT_EQ(label->pos(), row.pos) << row.name;
    EXPECT_EQ(label->font().pixelSize(), 13) << row.name;
  }
}

TEST_F(LayoutTest, ButtonsAndDiagnosticControls) {
  struct Row { const char* name; const char* text; QRect rect; };
  const Row rows[] = {
      {"Button1", "転送", {624, 352, 105, 33}},
      {"Button2", "実行", {624, 400, 105, 33}},
      {"Button3", "クラス呼び出し", {760, 432, 105, 25}},
  };
  for (const Row& row : rows) {
    auto* button = qobject_cast<QPushButton*>(Find(row.name));
    ASSERT_NE(button, nullptr) << row.name;
    EXPECT_EQ(button->parentWidget(), form->Client) << row.name;
    EXPECT_EQ(button->text(), QString::fromUtf8(row.text)) << row.name;
    EXPECT_EQ(button->geometry(), row.rect) << row.name;
  }
  EXPECT_EQ(form->Memo1->geometry(), QRect(744, 16, 185, 361));
  EXPECT_EQ(form->Memo1->toPlainText(), QStringLiteral("Memo1"));
  EXPECT_EQ(form->Label13->pos(), QPoint(776, 464));
  EXPECT_EQ(form->Label13->text(), QStringLiteral("Label13"));
}

TEST_F(LayoutTest, MenusInOrderWithShortcuts) {
  struct Item { const char* name; const char* caption; const char* shortcut; };
  struct Menu { const char* name; const char* caption; std::vector<Item> items; };
  const Menu menus[] = {
      {"File1", "ファイル", {{"N1", "読込", "Ctrl+O"}, {"Save1", "保存", "Ctrl+S"}, {"Exit1", "終了", "Ctrl+Q"},
                          {"", "", ""}, {"Print1", "印刷…", "Ctrl+P"}, {"Pdf1", "PDF に書き出す…", ""}}},
      {"Edit1", "Edit", {{"N2", "デモ", "Ctrl+D"}, {"N3", "クリア", "Ctrl+C"},
                         {"Undo1", "元に戻す", "Ctrl+Z"}, {"Redo1", "やり直し", "Ctrl+Y"}}},
      {"N4", "制御", {{"N5", "転送", "Ctrl+T"}, {"N6", "実行", "Ctrl+R"}, {"Sim1", "シミュレーション", "F5"},
                      {"", "", ""}, {"Class1", "クラスに転送…", ""}}},
      {"N7", "設定", {{"N8", "RS-232Cポートの設定", ""}, {"Kana1", "ひらがな", ""}}},
      {"Help1", "ヘルプ", {{"N9", "ヘルプの表示", "F1"}}},
  };
  const QList<QAction*> bar = form->menuBar()->actions();
  ASSERT_EQ(bar.size(), 5);
  for (int m = 0; m < 5; ++m) {
    QMenu* menu = bar[m]->menu();
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(menu->objectName(), QString::fromLatin1(menus[m].name));
    EXPECT_EQ(menu->title(), QString::fromUtf8(menus[m].caption));
    const QList<QAction*> items = menu->actions();
    ASSERT_EQ(items.size(), static_cast<qsizetype>(menus[m].items.size())) << menus[m].name;
    for (qsizetype i = 0; i < items.size(); ++i) {
      const Item& item = menus[m].items[i];
      EXPECT_EQ(items[i]->objectName(), QString::fromLatin1(item.name));
      EXPECT_EQ(items[i]->text(), QString::fromUtf8(item.caption)) << item.name;
      EXPECT_EQ(items[i]->shortcut(), QKeySequence(QString::fromLatin1(item.shortcut))) << item.name;
    }
  }
}

TEST_F(LayoutTest, FindControlIgnoresLetterCase) {
  EXPECT_EQ(FindControl(form.get(), QStringLiteral("image"), 8), form->Picture(8));
  EXPECT_EQ(FindControl(form.get(), QStringLiteral("IMAGE"), 31), form->Picture(31));
  EXPECT_EQ(FindControl(form.get(), QStringLiteral("image"), 8)->objectName(), QStringLiteral("Image8"));
  EXPECT_EQ(FindControl(form.get(), QStringLiteral("image"), 32), nullptr);
}

}  // namespace
}  // namespace vk47
