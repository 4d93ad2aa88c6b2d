#include "ui/editor/AccessibleNames.h"

#include <QAccessibleWidget>
#include <QLocale>
#include <QWidget>

#include "model/step_names.h"
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

// The rules are the Qt-free model's (model/step_names.h), shared with the
// browser edition; the window gives them its catalogue and number format.
std::string TrText(const std::string& source) { return Tr(source.c_str()).toStdString(); }

std::string DecimalPoint() { return QLocale().decimalPoint().toStdString(); }

}  // namespace

QString CommandName(const QString& number) {
  return QString::fromStdString(vk47::CommandName(number.toStdString(), TrText));
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
  return QString::fromStdString(vk47::StepValueCaption(code, DecimalPoint(), TrText));
}

QString SlotAccessibleName(int slot, int code) {
  return QString::fromStdString(SlotName(slot, code, DecimalPoint(), TrText));
}

QString TrackBarAccessibleName(int position) { return QString::fromStdString(TrackBarName(position, TrText)); }

}  // namespace vk47
