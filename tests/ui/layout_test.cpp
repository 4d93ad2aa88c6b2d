// The main window's layout: names, parents, rectangles, captions, menus.
// The rectangles that other tests point at (group boxes, palette, slots,
// value labels, track bar, buttons) are read from tests/ui/layout.json, the
// one place the tests keep them, and checked here against the window.
#include <gtest/gtest.h>

#include <QAction>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSlider>
#include <QStatusBar>
#include <iterator>
#include <string>

#include "ui/common/Controls.h"
#include "ui/editor/TImage.h"
#include "ui/Unit1.h"
#include "ui_test_support.h"

namespace vk47 {
namespace {

// tests/ui/layout.json, read once.
const QJsonObject& Layout() {
  static const QJsonObject layout = [] {
    QFile file(QStringLiteral(VK47_LAYOUT_JSON));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << VK47_LAYOUT_JSON;
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(file.readAll(), &error);
    EXPECT_EQ(error.error, QJsonParseError::NoError) << error.errorString().toStdString();
    return document.object();
  }();
  return layout;
}

// [left, top, width, height] of the layout file; an empty rectangle when missing.
QRect RectOf(const QJsonValue& value) {
  const QJsonArray a = value.toArray();
  EXPECT_EQ(a.size(), 4) << "not a rectangle in layout.json";
  if (a.size() != 4) return {};
  return {a[0].toInt(), a[1].toInt(), a[2].toInt(), a[3].toInt()};
}
QRect LayoutRect(const char* group, const QString& name) { return RectOf(Layout()[QLatin1String(group)][name]); }
QRect LayoutRect(const char* group, int index) { return RectOf(Layout()[QLatin1String(group)].toArray()[index]); }

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
  // A control's rectangle in client coordinates, as layout.json gives it.
  QRect InClient(const QWidget* widget) const {
    return {widget->mapTo(form->centralWidget(), QPoint(0, 0)), widget->size()};
  }

  testing::UiSandbox sandbox;
  std::unique_ptr<TForm1> form;
};

TEST_F(LayoutTest, WindowHasFixedClientAreaAndCaption) {
  EXPECT_EQ(form->windowTitle(), QStringLiteral("VK-47ロボット制御３"));
  form->show();
  const QJsonObject client = Layout()[QLatin1String("client")].toObject();
  EXPECT_EQ(form->centralWidget()->size(), QSize(client[QLatin1String("width")].toInt(), client[QLatin1String("height")].toInt()));
  EXPECT_EQ(form->statusBar()->height(), client[QLatin1String("status_bar_height")].toInt());
  EXPECT_EQ(form->centralWidget()->y(), form->menuBar()->height());
  // Not larger than the client area and its bars; maximisable all the same.
  EXPECT_EQ(form->size(), form->minimumSize());
  EXPECT_EQ(form->maximumSize(), QSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX));
  EXPECT_TRUE(form->font().families().contains(QStringLiteral("IPAPGothic")));
  EXPECT_EQ(form->font().pixelSize(), 12);
  EXPECT_TRUE(sandbox.boxes.empty());
}

TEST_F(LayoutTest, GroupBoxes) {
  struct Row { const char* name; const char* caption; bool silver; };
  const Row rows[] = {
      {"GroupBox1", "基本命令", true},  {"GroupBox3", "プログラム", true}, {"GroupBox4", "拡張命令", true},
      {"GroupBox2", "繰り返し", true},  {"GroupBox5", "入力", true},       {"GroupBox6", "飛べ", true},
      {"GroupBox7", "終了", true},      {"GroupBox9", "時間・飛び先・回数", false},
  };
  EXPECT_EQ(Layout()[QLatin1String("group_boxes")].toObject().size(), std::ssize(rows));
  const QRect client = form->centralWidget()->rect();
  for (const Row& row : rows) {
    auto* box = qobject_cast<QGroupBox*>(Find(row.name));
    ASSERT_NE(box, nullptr) << row.name;
    EXPECT_EQ(box->parentWidget(), form->centralWidget()) << row.name;
    EXPECT_EQ(box->title(), QString::fromUtf8(row.caption)) << row.name;
    EXPECT_EQ(box->geometry(), LayoutRect("group_boxes", QString::fromLatin1(row.name))) << row.name;
    EXPECT_TRUE(client.contains(box->geometry())) << row.name;
    EXPECT_EQ(box->palette().color(QPalette::Window) == kSilver, row.silver) << row.name;
  }
}

// No two group boxes overlap, nor two pictures in one box: a drop or a click
// always lands on exactly one of them.
TEST_F(LayoutTest, BoxesAndPicturesDoNotOverlap) {
  const QList<QGroupBox*> boxes = form->centralWidget()->findChildren<QGroupBox*>(QString(), Qt::FindDirectChildrenOnly);
  EXPECT_EQ(boxes.size(), 8);
  for (qsizetype i = 0; i < boxes.size(); ++i) {
    for (qsizetype j = i + 1; j < boxes.size(); ++j) {
      EXPECT_FALSE(boxes[i]->geometry().intersects(boxes[j]->geometry()))
          << boxes[i]->objectName().toStdString() << " and " << boxes[j]->objectName().toStdString();
    }
    const QList<TImage*> pictures = boxes[i]->findChildren<TImage*>(QString(), Qt::FindDirectChildrenOnly);
    for (qsizetype a = 0; a < pictures.size(); ++a) {
      for (qsizetype b = a + 1; b < pictures.size(); ++b) {
        EXPECT_FALSE(pictures[a]->geometry().intersects(pictures[b]->geometry()))
            << pictures[a]->objectName().toStdString() << " and " << pictures[b]->objectName().toStdString();
      }
    }
  }
}

TEST_F(LayoutTest, PaletteIcons) {
  struct Row { int number; const char* parent; const char* hint; };
  const Row rows[] = {
      {1, "GroupBox1", "左車輪を前進させる命令"},
      {2, "GroupBox1", "前進させる命令"},
      {3, "GroupBox1", "右車輪を前進させる命令"},
      {4, "GroupBox1", ""},
      {5, "GroupBox1", "左車輪を後退させる命令"},
      {6, "GroupBox1", "後退させる命令"},
      {7, "GroupBox1", "右車輪を後退させる命令"},
      {26, "GroupBox4", "前進中入力があると左に方向転換"},
      {27, "GroupBox4", "前進中入力があると停止"},
      {28, "GroupBox4", "前進中入力があると右に方向転換"},
      {24, "GroupBox2", "繰返し回数の設定"},
      {25, "GroupBox2", "繰り返す最初の番地の設定"},
      {29, "GroupBox5", "マイクロスイッチが入るまで待つ"},
      {30, "GroupBox6", "無条件に指定番地へ飛ぶ"},
      {31, "GroupBox7", "プログラムを途中で終了"},
  };
  EXPECT_EQ(Layout()[QLatin1String("palette")].toObject().size(), std::ssize(rows));
  for (const Row& row : rows) {
    const std::string name = "Image" + std::to_string(row.number);
    auto* image = qobject_cast<TImage*>(Find(name.c_str()));
    ASSERT_NE(image, nullptr) << name;
    EXPECT_EQ(image->parentWidget()->objectName(), QString::fromLatin1(row.parent)) << name;
    EXPECT_EQ(InClient(image), LayoutRect("palette", QString::number(row.number))) << name;
    EXPECT_EQ(image->size(), QSize(50, 72)) << name;
    EXPECT_TRUE(image->parentWidget()->rect().contains(image->geometry())) << name << " inside its box";
    EXPECT_EQ(Hint(image), QString::fromUtf8(row.hint)) << name;
    EXPECT_TRUE(image->toolTip().isEmpty()) << name;
    EXPECT_EQ(image->Stretch, row.number != 1) << name;
  }
}

// Slot k is in column k / 4 and row k % 4: the columns from left to right,
// the rows from top to bottom, apart from one another, inside the program box.
TEST_F(LayoutTest, StepSlotsRunDownTheColumns) {
  const char* digits[] = {"０", "１", "２", "３", "４", "５", "６", "７",
                          "８", "９", "１０", "１１", "１２", "１３", "１４", "１５"};
  EXPECT_EQ(Layout()[QLatin1String("slots")].toArray().size(), 16);
  EXPECT_EQ(Layout()[QLatin1String("value_labels")].toArray().size(), 16);
  for (int k = 0; k < 16; ++k) {
    TImage* image = form->Picture(k + 8);
    ASSERT_NE(image, nullptr) << k;
    EXPECT_EQ(image->parentWidget(), form->GroupBox3) << k;
    EXPECT_EQ(InClient(image), LayoutRect("slots", k)) << k;
    EXPECT_TRUE(form->GroupBox3->rect().contains(image->geometry())) << k;
    if (k % 4 > 0) {
      const QRect above = form->Picture(k + 7)->geometry();
      EXPECT_EQ(image->x(), above.x()) << k;
      EXPECT_GT(image->y(), above.bottom()) << k;
    }
    if (k >= 4) {
      EXPECT_GT(image->x(), form->Picture(k + 4)->geometry().right()) << k;  // slot k - 4
    }
    EXPECT_EQ(image->size(), QSize(50, 72)) << k;  // auto-sized to the 50 x 72 icon
    EXPECT_EQ(Hint(image), QStringLiteral("ステップ") + QString::fromUtf8(digits[k])) << k;
    EXPECT_EQ(image->property("tag").toInt(), -1) << k;
  }
}

// A filled slot's value label: where layout.json has it, right of its picture.
TEST_F(LayoutTest, ValueLabelsBesideTheirSlots) {
  form->RestoreProgram({36, 36, 36, 36, 36, 36, 36, 36, 36, 36, 36, 36, 36, 36, 36, 36});
  for (int k = 0; k < 16; ++k) {
    QLabel* label = form->StepSlots().DropLabels[k];
    ASSERT_NE(label, nullptr) << k;
    EXPECT_EQ(InClient(label), LayoutRect("value_labels", k)) << k;
    const QRect picture = form->Picture(k + 8)->geometry();
    EXPECT_GT(label->x(), picture.right()) << k;
    EXPECT_TRUE(label->geometry().top() >= picture.top() && label->geometry().bottom() <= picture.bottom()) << k;
  }
}

TEST_F(LayoutTest, TrackBarAndScaleLabels) {
  QSlider* bar = form->TrackBar1;
  EXPECT_EQ(bar->parentWidget(), form->GroupBox9);
  EXPECT_EQ(InClient(bar), RectOf(Layout()[QLatin1String("track_bar")]));
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
  struct Row { const char* name; const char* text; };
  for (const Row& row : {Row{"Button1", "転送"}, Row{"Button2", "実行"}}) {
    auto* button = qobject_cast<QPushButton*>(Find(row.name));
    ASSERT_NE(button, nullptr) << row.name;
    EXPECT_EQ(button->parentWidget(), form->centralWidget()) << row.name;
    EXPECT_EQ(button->text(), QString::fromUtf8(row.text)) << row.name;
    EXPECT_EQ(button->geometry(), LayoutRect("buttons", QString::fromLatin1(row.name))) << row.name;
    EXPECT_TRUE(form->centralWidget()->rect().contains(button->geometry())) << row.name;
  }
  // The diagnostic controls lie right of the client area, shown only when
  // the window is maximised.
  EXPECT_EQ(form->Button3->text(), QStringLiteral("クラス呼び出し"));
  EXPECT_EQ(form->Button3->geometry(), QRect(760, 432, 105, 25));
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
