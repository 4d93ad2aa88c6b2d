#include "ui/common/MenuShortcuts.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QWidget>

namespace vk47 {

TMenuShortcutGuard::TMenuShortcutGuard(QWidget* window) : QObject(window), window_(window) {
  qApp->installEventFilter(this);
}

TMenuShortcutGuard::~TMenuShortcutGuard() { qApp->removeEventFilter(this); }

bool TMenuShortcutGuard::IsWindowShortcut(const QKeyCombination& keys) const {
  // The keypad's own modifier is no part of a menu shortcut.
  const QKeySequence pressed(QKeyCombination(keys.keyboardModifiers() & ~Qt::KeypadModifier, keys.key()));
  for (const QAction* action : window_->actions()) {
    if (action->isEnabled() && action->shortcuts().contains(pressed)) return true;
  }
  return false;
}

bool TMenuShortcutGuard::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::ShortcutOverride) return false;
  auto* widget = qobject_cast<QWidget*>(watched);
  if (!widget || widget->window() != window_) return false;
  auto* key = static_cast<QKeyEvent*>(event);
  if (!IsWindowShortcut(key->keyCombination())) return false;
  // Not accepted and not passed on: Qt goes on to the window's shortcut.
  key->ignore();
  return true;
}

}  // namespace vk47
