#include "ui/editor/CommandMenu.h"

#include <QAction>
#include <QIcon>
#include <QImage>
#include <QPixmap>
#include <QProxyStyle>

#include "ui/editor/AccessibleNames.h"
#include "ui/common/AppFolder.h"
#include "ui/common/Catalogue.h"
#include "ui/editor/TImage.h"

namespace vk47 {
namespace {

constexpr char kNumberProperty[] = "commandNumber";

QIcon IconOf(const QString& number) {
  QImage image;
  if (!image.load(IconPath(number + QStringLiteral(".bmp")))) return {};
  return QIcon(QPixmap::fromImage(WithTransparentBackground(image)));
}

// The icons large enough to tell apart: a menu's icons are the style's small
// icons, 16 pixels high in most styles.
class IconSizeStyle : public QProxyStyle {
 public:
  int pixelMetric(PixelMetric metric, const QStyleOption* option, const QWidget* widget) const override {
    if (metric == PM_SmallIconSize) return 32;
    return QProxyStyle::pixelMetric(metric, option, widget);
  }
};

}  // namespace

TCommandMenu::TCommandMenu(const QString& current, QWidget* parent) : QMenu(parent) {
  setObjectName(QStringLiteral("CommandMenu"));
  setAccessibleName(Tr("命令の一覧"));
  auto* style = new IconSizeStyle;
  style->setParent(this);
  setStyle(style);
  QAction* highlighted = nullptr;
  for (int n : kPaletteOrder) {
    const QString number = QString::number(n);
    QAction* action = addAction(IconOf(number), CommandName(number));
    action->setProperty(kNumberProperty, number);
    action->setIconVisibleInMenu(true);
    if (number == current || !highlighted) highlighted = action;
  }
  setActiveAction(highlighted);
}

QString TCommandMenu::NumberOf(const QAction* action) {
  return action ? action->property(kNumberProperty).toString() : QString();
}

std::optional<QString> TCommandMenu::Choose(QWidget* slot) {
  const QAction* chosen = exec(slot->mapToGlobal(QPoint(0, slot->height())), activeAction());
  const QString number = NumberOf(chosen);
  if (number.isEmpty()) return std::nullopt;
  return number;
}

}  // namespace vk47
