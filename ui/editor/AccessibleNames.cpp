#include "ui/editor/AccessibleNames.h"

#include <QAccessibleWidget>
#include <QFocusFrame>
#include <QLocale>
#include <QMenu>
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

constexpr char kSeenChildrenProperty[] = "accessibleSeenChildrenOnly";

// A widget whose hidden children are not its children to assistive
// technology: Qt lists every child widget, hidden or not, so a control that
// nobody can see would still be read out and reached.
class TSeenChildrenInterface : public QAccessibleWidget {
 public:
  explicit TSeenChildrenInterface(QWidget* widget) : QAccessibleWidget(widget) {}

  int childCount() const override { return static_cast<int>(Seen().size()); }
  QAccessibleInterface* child(int index) const override {
    const QWidgetList seen = Seen();
    return index >= 0 && index < seen.size() ? QAccessible::queryAccessibleInterface(seen.at(index)) : nullptr;
  }
  int indexOfChild(const QAccessibleInterface* child) const override {
    if (!child) return -1;
    return static_cast<int>(Seen().indexOf(qobject_cast<QWidget*>(child->object())));
  }

 private:
  // Qt's own rule for a widget's accessible children, less the hidden ones.
  QWidgetList Seen() const {
    QWidgetList seen;
    for (QObject* object : widget()->children()) {
      auto* child = qobject_cast<QWidget*>(object);
      if (!child || child->isWindow() || child->isHidden() || qobject_cast<QMenu*>(child) ||
          qobject_cast<QFocusFrame*>(child)) {
        continue;
      }
      seen.append(child);
    }
    return seen;
  }
};

QAccessibleInterface* SeenChildrenInterface(const QString&, QObject* object) {
  auto* widget = qobject_cast<QWidget*>(object);
  if (!widget || !widget->property(kSeenChildrenProperty).toBool()) return nullptr;
  return new TSeenChildrenInterface(widget);
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

void ListOnlySeenChildren(QWidget* parent) {
  static const bool installed = [] {
    QAccessible::installFactory(SeenChildrenInterface);
    return true;
  }();
  (void)installed;
  parent->setProperty(kSeenChildrenProperty, true);
}

QString StepValueCaption(int code) {
  return QString::fromStdString(vk47::StepValueCaption(code, DecimalPoint(), TrText));
}

QString SlotAccessibleName(int slot, int code) {
  return QString::fromStdString(SlotName(slot, code, DecimalPoint(), TrText));
}

QString TrackBarAccessibleName(int position) { return QString::fromStdString(TrackBarName(position, TrText)); }

}  // namespace vk47
