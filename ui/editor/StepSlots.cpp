#include "ui/editor/StepSlots.h"

#include <QFontMetrics>
#include <algorithm>

#include <QLocale>
#include <QMouseEvent>

#include "model/command_set.h"
#include "ui/editor/AccessibleNames.h"
#include "ui/common/AppFolder.h"
#include "ui/common/Catalogue.h"
#include "ui/common/Controls.h"
#include "ui/editor/TImage.h"

namespace vk47 {
namespace {

const QString kValuePrefix = QStringLiteral("Drop_Label");
const QString kCodePrefix = QStringLiteral("ASCII_Label");

std::string DecimalSeparator() { return QLocale().decimalPoint().toStdString(); }

// "1.5秒", or in the hiragana mode "1.5びょう": the unit is the command
// table's word, looked up in the catalogue.
QString ValueText(int code, const QString& number) {
  const auto text = StepValueText(code, number.toStdString(), DecimalSeparator());
  if (!text) return QString();
  const Command* command = FindCommand(number.toStdString());
  const std::string_view unit = command ? command->unit : std::string_view();
  if (unit.empty() || !text->ends_with(unit)) return QString::fromStdString(*text);
  return QString::fromStdString(text->substr(0, text->size() - unit.size())) + Tr(unit.data());
}

}  // namespace

void TClickLabel::mousePressEvent(QMouseEvent* event) {
  pressed_ = event->button() == Qt::LeftButton;
  QLabel::mousePressEvent(event);
}

void TClickLabel::mouseReleaseEvent(QMouseEvent* event) {
  const bool click = pressed_ && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint());
  pressed_ = false;
  QLabel::mouseReleaseEvent(event);
  if (click) emit clicked();
}

QRect ValueLabelRect(int slot) { return {(slot / 4) * 131 + 64, (slot % 4) * 75 + 30, 53, 19}; }
QRect CodeLabelRect(int slot) { return {(slot / 4) * 131 + 64, (slot % 4) * 75 + 70, 24, 16}; }

TStepSlots::TStepSlots(QWidget* owner, std::function<int()> track_position)
    : owner_(owner), track_position_(std::move(track_position)) {}

TStepSlots::~TStepSlots() = default;

void TStepSlots::SetCode(int slot, int code) {
  program_.SetCode(slot, code);
  if (TImage* picture = SlotPicture(slot)) {
    picture->setProperty("tag", code);
    // What a screen reader says for the slot follows every change of it.
    picture->setAccessibleName(SlotAccessibleName(slot, code));
  }
}

TImage* TStepSlots::SlotPicture(int slot) const {
  return qobject_cast<TImage*>(FindControl(owner_, QStringLiteral("image"), slot + 8));
}

void TStepSlots::ResetLabelArrays() {
  DropLabels.fill(nullptr);
  AsciiLabels.fill(nullptr);
}

namespace {

// The labels keep their small fixed rectangles; a text wider than its label
// (such as "3.75秒" or "100" in a font wider than the one the rectangles were
// made for) is drawn narrower instead of losing its first characters.
void FitTextToWidth(QLabel* label) {
  QFont font = label->font();
  font.setStretch(QFont::Unstretched);
  const int advance = QFontMetrics(font).horizontalAdvance(label->text());
  const int room = label->width() - 1;
  if (advance > room && advance > 0) font.setStretch(std::max(50, 100 * room / advance));
  label->setFont(font);
}

}  // namespace

QLabel* TStepSlots::NewLabel(bool value_label, int slot) {
  QLabel* label = value_label ? new TClickLabel(group_box_) : new QLabel(group_box_);
  (value_label ? DropLabels : AsciiLabels).at(slot) = label;
  SetBackground(label, value_label ? kCyan : QColor(Qt::white));
  const QRect rect = value_label ? ValueLabelRect(slot) : CodeLabelRect(slot);
  label->move(rect.topLeft());
  label->setProperty("tag", slot);
  label->setProperty("displayDragImage", true);
  label->setObjectName((value_label ? kValuePrefix : kCodePrefix) + QString::number(slot + 1));
  return label;
}

void TStepSlots::CreateStepLabels(int code, int slot, const QString& number) {
  QLabel* value = NewLabel(true, slot);
  value->setText(ValueText(code, number));
  QFont font = owner_->font();
  font.setPointSize(14);
  value->setFont(font);
  value->setAlignment(Qt::AlignRight | Qt::AlignTop);
  QObject::connect(static_cast<TClickLabel*>(value), &TClickLabel::clicked, value, [this, value] {
    if (OnValueLabelClick) OnValueLabelClick(value);
  });
  value->setGeometry(ValueLabelRect(slot));
  FitTextToWidth(value);
  // A command without a value (入力, 終了) shows no empty cyan box; its
  // label is still there to be clicked like any other.
  value->setAutoFillBackground(!value->text().isEmpty());
  value->show();

  QLabel* code_label = NewLabel(false, slot);
  code_label->setText(QString::number(code));
  font.setPointSize(12);
  code_label->setFont(font);
  code_label->setAlignment(Qt::AlignRight | Qt::AlignTop);
  code_label->setGeometry(CodeLabelRect(slot));
  FitTextToWidth(code_label);
  code_label->show();
}

void TStepSlots::FreeSlotLabels(int slot) {
  delete DropLabels.at(slot).data();
  delete AsciiLabels.at(slot).data();
  DropLabels.at(slot) = nullptr;
  AsciiLabels.at(slot) = nullptr;
}

void TStepSlots::FreeStepLabels() {
  for (int slot = 0; slot < kSlotCount; ++slot) {
    if (program_.IsFilled(slot)) FreeSlotLabels(slot);
  }
}

void TStepSlots::PlaceCommand(int slot, const QString& number) {
  TImage* picture = SlotPicture(slot);
  if (!picture) return;
  picture->LoadFromFile(IconPath(number + QStringLiteral(".bmp")));
  FreeSlotLabels(slot);
  const int code = EncodeStep(number.toStdString(), track_position_());
  SetCode(slot, code);
  CreateStepLabels(code, slot, number);
}

void TStepSlots::StepValueLabelClick(QLabel* label) {
  const int n = NumberAfterPrefix(label->objectName(), kValuePrefix.size());
  if (n < 1 || n > kSlotCount) return;
  const int slot = n - 1;
  auto* code_label = qobject_cast<QLabel*>(FindControl(owner_, kCodePrefix, n));
  const QPoint value_pos = label->pos();
  const QPoint code_pos = code_label ? code_label->pos() : QPoint();

  // The command stays; only the parameter follows the track bar.
  const auto step = program_.Reencode(slot, track_position_());
  const int code = step.code;
  label->setText(ValueText(code, QString::fromStdString(step.command_number)));
  label->setGeometry(QRect(value_pos, QSize(53, 19)));
  FitTextToWidth(label);
  SetCode(slot, code);
  if (code_label) {
    code_label->setText(QString::number(code));
    code_label->setGeometry(QRect(code_pos, QSize(24, 16)));
    FitTextToWidth(code_label);
  }
}

void TStepSlots::Clear() {
  for (int slot = 0; slot < kSlotCount; ++slot) {
    if (!program_.IsFilled(slot)) continue;
    if (TImage* picture = SlotPicture(slot)) picture->LoadFromFile(IconPath(QStringLiteral("4.bmp")));
    SetCode(slot, kEmptyCode);
    delete FindControl(owner_, kValuePrefix, slot + 1);
    delete FindControl(owner_, kCodePrefix, slot + 1);
    DropLabels.at(slot) = nullptr;
    AsciiLabels.at(slot) = nullptr;
  }
}

}  // namespace vk47
