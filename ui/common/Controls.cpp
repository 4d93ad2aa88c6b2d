#include "ui/common/Controls.h"

#include <QObject>
#include <QPalette>
#include <QVariant>
#include <QWidget>

namespace vk47 {

QFont WindowFont(int pixel_size) {
  QFont font;
  font.setFamilies({QStringLiteral("MS PGothic"), QStringLiteral("IPAPGothic")});
  font.setPixelSize(pixel_size);
  return font;
}

QObject* FindControlByName(const QObject* root, const QString& name) {
  const auto children = root->findChildren<QObject*>();
  for (QObject* child : children) {
    if (child->objectName().compare(name, Qt::CaseInsensitive) == 0) return child;
  }
  return nullptr;
}

QObject* FindControl(const QObject* root, const QString& prefix, int number) {
  return FindControlByName(root, prefix + QString::number(number));
}

int NumberAfterPrefix(const QString& name, int prefix_length) {
  bool ok = false;
  const int number = name.mid(prefix_length).toInt(&ok);
  return ok ? number : -1;
}

void SetHint(QWidget* widget, const QString& hint) { widget->setProperty("hint", hint); }

QString Hint(const QWidget* widget) { return widget->property("hint").toString(); }

void SetBackground(QWidget* widget, const QColor& colour) {
  QPalette palette = widget->palette();
  palette.setColor(QPalette::Window, colour);
  widget->setPalette(palette);
  widget->setAutoFillBackground(true);
}

}  // namespace vk47
