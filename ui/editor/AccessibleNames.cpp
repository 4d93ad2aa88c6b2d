#include "ui/editor/AccessibleNames.h"

#include <QAccessibleWidget>
#include <QCoreApplication>
#include <QLocale>
#include <QWidget>

#include "model/command_set.h"
#include "model/step_program.h"

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

QString FromView(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

}  // namespace

QString CommandName(const QString& number) {
  const Command* command = FindCommand(number.toStdString());
  if (!command) return {};
  const QByteArray name = FromView(command->name).toUtf8();
  return QCoreApplication::translate("vk47::Commands", name.constData());
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
  return text ? QString::fromStdString(*text) : QString();
}

QString SlotAccessibleName(int slot, int code) {
  if (code == kEmptyCode) {
    return QCoreApplication::translate("vk47::AccessibleNames", "ステップ %1 空き").arg(slot);
  }
  const auto number = StepCommandNumber(code);
  // A code of no command (only a file edited by hand can hold one) is read out
  // as its number.
  const QString command = number ? CommandName(QString::fromStdString(*number)) : QString::number(code);
  QString name = QCoreApplication::translate("vk47::AccessibleNames", "ステップ %1 %2").arg(slot).arg(command);
  const QString value = StepValueCaption(code);
  if (!value.isEmpty()) name += u' ' + value;
  return name;
}

QString TrackBarAccessibleName(int position) {
  return QCoreApplication::translate("vk47::AccessibleNames", "時間・飛び先・回数 %1").arg(position);
}

}  // namespace vk47
