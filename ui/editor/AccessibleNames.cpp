#include "ui/editor/AccessibleNames.h"

#include <QAccessibleWidget>
#include <QLocale>
#include <QWidget>

#include "model/command_set.h"
#include "model/step_program.h"
#include "ui/common/Catalogue.h"

namespace vk47 {
namespace {

constexpr char kSlotProperty[] = "accessibleSlot";

// A slot is a picture control to Qt, which a screen reader would announce as
// static text; it is a focusable control that Enter opens.
QAccessibleInterface* SlotInterface(const QString& class_name, QObject* object) {
  if (class_name != QLatin1String("vk47::TImage")) return nullptr;
  auto* widget = qobject_cast<QWidget*>(object);
  if (!widget || !widget->property(kSlotProperty).toBool()) return nullptr;
  return new QAccessibleWidget(widget, QAccessible::Button);
}

}  // namespace

QString CommandName(const QString& number) {
  const Command* command = FindCommand(number.toStdString());
  if (!command) return {};
  // The names are literals of the command table, marked for the catalogue.
  return Tr(command->name.data());
}

void MarkAsAccessibleSlot(QWidget* picture) {
  static const bool installed = [] {
    QAccessible::installFactory(SlotInterface);
    return true;
  }();
  (void)installed;
  picture->setProperty(kSlotProperty, true);
}

QString StepValueCaption(int code) {
  const auto number = StepCommandNumber(code);
  if (!number || code == kEmptyCode) return {};
  const auto text = StepValueText(code, *number, QLocale().decimalPoint().toStdString());
  if (!text) return {};
  // The unit is the command table's word, in the catalogue as the value
  // label shows it ("1.5秒", "1.5びょう").
  const std::string_view unit = FindCommand(*number)->unit;
  if (unit.empty() || !text->ends_with(unit)) return QString::fromStdString(*text);
  return QString::fromStdString(text->substr(0, text->size() - unit.size())) + Tr(unit.data());
}

QString SlotAccessibleName(int slot, int code) {
  if (code == kEmptyCode) {
    return Tr("ステップ %1 空き").arg(slot);
  }
  const auto number = StepCommandNumber(code);
  // A code of no command (only a file edited by hand can hold one) is read out
  // as its number.
  const QString command = number ? CommandName(QString::fromStdString(*number)) : QString::number(code);
  QString name = Tr("ステップ %1 %2").arg(slot).arg(command);
  const QString value = StepValueCaption(code);
  if (!value.isEmpty()) name += u' ' + value;
  return name;
}

QString TrackBarAccessibleName(int position) {
  return Tr("時間・飛び先・回数 %1").arg(position);
}

}  // namespace vk47
