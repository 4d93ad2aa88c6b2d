#include "ui/MainLayout.h"

// The main window's layout: its controls and menus, as tables of names,
// captions and rectangles (the status bar is in editor/WindowStatus.cpp).
// Positions are client coordinates (or coordinates within a group box).

#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSlider>

#include "model/command_set.h"
#include "ui/common/Catalogue.h"
#include "ui/common/Controls.h"
#include "ui/editor/TImage.h"
#include "ui/Unit1.h"

namespace vk47 {
namespace {

struct GroupBoxRow {
  QGroupBox* TForm1::*member;
  const char* name;
  const char* caption;
  QRect rect;
  bool silver;
};

const GroupBoxRow kGroupBoxes[] = {
    {&TForm1::GroupBox1, "GroupBox1", VK47_TEXT("基本命令"), {3, 5, 193, 273}, true},
    {&TForm1::GroupBox3, "GroupBox3", VK47_TEXT("プログラム"), {208, 5, 521, 329}, true},
    {&TForm1::GroupBox4, "GroupBox4", VK47_TEXT("拡張命令"), {3, 344, 193, 97}, true},
    {&TForm1::GroupBox2, "GroupBox2", VK47_TEXT("繰り返し"), {208, 344, 137, 97}, true},
    {&TForm1::GroupBox5, "GroupBox5", VK47_TEXT("入力"), {355, 344, 81, 97}, true},
    {&TForm1::GroupBox6, "GroupBox6", VK47_TEXT("飛べ"), {445, 344, 81, 97}, true},
    {&TForm1::GroupBox7, "GroupBox7", VK47_TEXT("終了"), {536, 344, 81, 97}, true},
    {&TForm1::GroupBox9, "GroupBox9", VK47_TEXT("時間・飛び先・回数"), {3, 448, 729, 73}, false},
};

// Palette icons: command number, group box, position within it.
struct PaletteRow {
  int number;
  QGroupBox* TForm1::*group;
  QPoint pos;
};

const PaletteRow kPalette[] = {
    {1, &TForm1::GroupBox1, {8, 24}},   {2, &TForm1::GroupBox1, {71, 24}},
    {3, &TForm1::GroupBox1, {133, 24}}, {4, &TForm1::GroupBox1, {71, 104}},
    {5, &TForm1::GroupBox1, {8, 184}},  {6, &TForm1::GroupBox1, {71, 184}},
    {7, &TForm1::GroupBox1, {133, 184}}, {26, &TForm1::GroupBox4, {8, 18}},
    {27, &TForm1::GroupBox4, {71, 18}}, {28, &TForm1::GroupBox4, {133, 18}},
    {24, &TForm1::GroupBox2, {12, 18}}, {25, &TForm1::GroupBox2, {74, 18}},
    {29, &TForm1::GroupBox5, {16, 18}}, {30, &TForm1::GroupBox6, {16, 18}},
    {31, &TForm1::GroupBox7, {16, 18}},
};

const int kSlotLefts[] = {8, 139, 269, 400};
const int kSlotTops[] = {24, 99, 173, 248};

struct ScaleLabelRow {
  const char* name;
  const char* text;
  QPoint pos;
};

const ScaleLabelRow kScaleLabels[] = {
    {"Label9", "0", {15, 10}},      {"Label10", "5", {245, 10}},   {"Label11", "10", {473, 10}},
    {"Label12", "15", {703, 10}},   {"Label1", "0", {15, 55}},     {"Label2", VK47_TEXT("0.5秒"), {99, 55}},
    {"Label3", VK47_TEXT("1秒"), {196, 55}},   {"Label5", VK47_TEXT("1.5秒"), {285, 55}}, {"Label4", VK47_TEXT("2秒"), {381, 55}},
    {"Label6", VK47_TEXT("2.5秒"), {470, 55}}, {"Label7", VK47_TEXT("3秒"), {563, 55}},  {"Label8", VK47_TEXT("3.5秒"), {653, 55}},
};

QString FullWidthNumber(int number) {
  QString text;
  for (QChar digit : QString::number(number)) text += QChar(0xFF10 + digit.digitValue());
  return text;
}

QPushButton* NewButton(QWidget* parent, const char* name, const char* text, QRect rect) {
  auto* button = new QPushButton(Tr(text), parent);
  button->setObjectName(QString::fromLatin1(name));
  button->setGeometry(rect);
  return button;
}

}  // namespace

void BuildMainLayout(TForm1& form) {
  form.setObjectName(QStringLiteral("Form1"));
  form.setWindowTitle(ProgramDocument::BaseCaption());
  form.setFont(WindowFont(12));

  form.Client = new QWidget(&form);
  form.Client->setObjectName(QStringLiteral("Client"));
  form.Client->setFixedSize(732, 524);
  SetBackground(form.Client, form.palette().color(QPalette::Button));
  form.setCentralWidget(form.Client);

  for (const GroupBoxRow& row : kGroupBoxes) {
    auto* box = new QGroupBox(Tr(row.caption), form.Client);
    box->setObjectName(QString::fromLatin1(row.name));
    box->setGeometry(row.rect);
    SetBackground(box, row.silver ? kSilver : form.palette().color(QPalette::Button));
    form.*row.member = box;
  }

  for (const PaletteRow& row : kPalette) {
    auto* image = new TImage(form.*row.group);
    image->setObjectName(QStringLiteral("Image%1").arg(row.number));
    image->setGeometry(QRect(row.pos, QSize(50, 72)));
    image->Stretch = row.number != 1;
    const Command* command = FindCommand(std::to_string(row.number));
    if (command && !command->hint.empty()) {
      SetHint(image, Tr(command->hint.data()));  // a literal of the command table
    }
  }

  for (int slot = 0; slot < kSlotCount; ++slot) {
    auto* image = new TImage(form.GroupBox3);
    image->setObjectName(QStringLiteral("Image%1").arg(slot + 8));
    image->setGeometry(kSlotLefts[slot / 4], kSlotTops[slot % 4], 50, 72);
    image->AutoSize = true;
    image->setProperty("tag", kEmptyCode);
    SetHint(image, QStringLiteral("ステップ") + FullWidthNumber(slot));
    // The step number in the corner shows the run order: down the columns.
    image->Badge = QString::number(slot);
  }
  form.slots_.SetLabelParent(form.GroupBox3);

  // The track bar's box has its numbers along its top edge, "0" at the far
  // left: its title sits in the middle, where no number is.
  form.GroupBox9->setAlignment(Qt::AlignHCenter);

  form.TrackBar1 = new QSlider(Qt::Horizontal, form.GroupBox9);
  form.TrackBar1->setObjectName(QStringLiteral("TrackBar1"));
  form.TrackBar1->setGeometry(8, 22, 713, 32);
  form.TrackBar1->setRange(0, 15);
  form.TrackBar1->setValue(0);
  form.TrackBar1->setPageStep(1);
  form.TrackBar1->setSingleStep(1);
  form.TrackBar1->setTickInterval(1);
  form.TrackBar1->setTickPosition(QSlider::TicksBothSides);
  // A click gives it the focus so the arrow keys move it; still no tab stop.
  form.TrackBar1->setFocusPolicy(Qt::ClickFocus);
  SetHint(form.TrackBar1, Tr("実行する時間、飛び先、回数の設定"));

  for (const ScaleLabelRow& row : kScaleLabels) {
    auto* label = new QLabel(Tr(row.text), form.GroupBox9);
    label->setObjectName(QString::fromLatin1(row.name));
    label->setFont(WindowFont(13));
    label->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    label->setAutoFillBackground(false);
    label->move(row.pos);
    label->adjustSize();
  }

  form.Button1 = NewButton(form.Client, "Button1", VK47_TEXT("転送"), {624, 352, 105, 33});
  form.Button2 = NewButton(form.Client, "Button2", VK47_TEXT("実行"), {624, 400, 105, 33});

  // Diagnostic controls, right of the client area.
  form.Memo1 = new QPlainTextEdit(QStringLiteral("Memo1"), form.Client);
  form.Memo1->setObjectName(QStringLiteral("Memo1"));
  form.Memo1->setGeometry(744, 16, 185, 361);
  // A log that is only appended to keeps no undo history: each byte of a
  // transfer would add a step to it.
  form.Memo1->setUndoRedoEnabled(false);
  form.Button3 = NewButton(form.Client, "Button3", VK47_TEXT("クラス呼び出し"), {760, 432, 105, 25});
  form.Label13 = new QLabel(QStringLiteral("Label13"), form.Client);
  form.Label13->setObjectName(QStringLiteral("Label13"));
  form.Label13->move(776, 464);
  form.Label13->adjustSize();

  // The client area keeps its size in the normal window, which cannot be
  // resized by dragging but can be maximised: see ConnectSizing (Unit1_slots.cpp).
}

void BuildMainMenus(TForm1& form) {
  form.MainMenu1 = form.menuBar();
  form.MainMenu1->setObjectName(QStringLiteral("MainMenu1"));
  auto menu = [&form](const char* name, const char* caption) {
    QMenu* m = form.MainMenu1->addMenu(Tr(caption));
    m->setObjectName(QString::fromLatin1(name));
    m->menuAction()->setObjectName(QString::fromLatin1(name) + QStringLiteral("Action"));
    return m;
  };
  auto item = [&form](QMenu* m, const char* name, const char* caption, const char* shortcut) {
    QAction* a = m->addAction(Tr(caption));
    a->setObjectName(QString::fromLatin1(name));
    if (shortcut) a->setShortcut(QKeySequence(QString::fromLatin1(shortcut)));
    // The window holds the action too, so its shortcut works with the menu closed.
    form.addAction(a);
    return a;
  };
  form.File1 = menu("File1", VK47_TEXT("ファイル"));
  form.N1 = item(form.File1, "N1", VK47_TEXT("読込"), "Ctrl+O");
  form.Save1 = item(form.File1, "Save1", VK47_TEXT("保存"), "Ctrl+S");
  form.Exit1 = item(form.File1, "Exit1", VK47_TEXT("終了"), "Ctrl+Q");
  form.File1->addSeparator();
  form.Print1 = item(form.File1, "Print1", VK47_TEXT("印刷…"), "Ctrl+P");
  form.Pdf1 = item(form.File1, "Pdf1", VK47_TEXT("PDF に書き出す…"), nullptr);
  form.Edit1 = menu("Edit1", VK47_TEXT("Edit"));
  form.N2 = item(form.Edit1, "N2", VK47_TEXT("デモ"), "Ctrl+D");
  form.N3 = item(form.Edit1, "N3", VK47_TEXT("クリア"), "Ctrl+C");
  form.Undo1 = item(form.Edit1, "Undo1", VK47_TEXT("元に戻す"), "Ctrl+Z");
  form.Redo1 = item(form.Edit1, "Redo1", VK47_TEXT("やり直し"), "Ctrl+Y");
  form.Redo1->setShortcuts({QKeySequence(QStringLiteral("Ctrl+Y")), QKeySequence(QStringLiteral("Ctrl+Shift+Z"))});
  form.N4 = menu("N4", VK47_TEXT("制御"));
  form.N5 = item(form.N4, "N5", VK47_TEXT("転送"), "Ctrl+T");
  form.N6 = item(form.N4, "N6", VK47_TEXT("実行"), "Ctrl+R");
  form.Sim1 = item(form.N4, "Sim1", VK47_TEXT("シミュレーション"), "F5");
  form.N4->addSeparator();
  form.Class1 = item(form.N4, "Class1", VK47_TEXT("クラスに転送…"), nullptr);
  form.N7 = menu("N7", VK47_TEXT("設定"));
  form.N8 = item(form.N7, "N8", VK47_TEXT("RS-232Cポートの設定"), nullptr);
  // The hiragana mode, for the youngest pupils: every text without kanji.
  form.Kana1 = item(form.N7, "Kana1", VK47_TEXT("ひらがな"), nullptr);
  form.Kana1->setCheckable(true);
  form.Kana1->setChecked(KanaMode());
  form.Help1 = menu("Help1", VK47_TEXT("ヘルプ"));
  form.N9 = item(form.Help1, "N9", VK47_TEXT("ヘルプの表示"), "F1");
}

}  // namespace vk47
