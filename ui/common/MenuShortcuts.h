#pragma once
// Keeps a window's menu shortcuts ahead of whatever control has the focus.
//
// Qt first offers a key that is some action's shortcut to the focused
// control (a ShortcutOverride event); a text box accepts Ctrl+C, Ctrl+Z and
// the like for its own copy and undo, and the window's command never runs.
// The pupil expects クリア (Ctrl+C) and 元に戻す (Ctrl+Z) to act on the
// program wherever the focus happens to be, so for every control inside the
// window this guard keeps such a key from the control and the window's action
// runs. Keys that are no shortcut of the window's actions reach the control
// as before. UI thread only.

#include <QObject>

class QWidget;

namespace vk47 {

class TMenuShortcutGuard : public QObject {
  Q_OBJECT

 public:
  // Watches the keys of every control inside `window` (an application event
  // filter, so controls created later are covered); `window` owns the guard.
  explicit TMenuShortcutGuard(QWidget* window);
  ~TMenuShortcutGuard() override;

  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  bool IsWindowShortcut(const QKeyCombination& keys) const;
  QWidget* window_;
};

}  // namespace vk47
