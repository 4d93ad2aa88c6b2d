#include "ui/common/WindowSizing.h"

#include <QEvent>
#include <QLayout>
#include <QMainWindow>
#include <QWidget>

namespace vk47 {
namespace {

// Long enough for a window manager that reports the new size before the
// maximised state to have reported both.
constexpr int kSettleMs = 60;

}  // namespace

TWindowSizing::TWindowSizing(QMainWindow* window, QWidget* client, QSize client_size)
    : QObject(window), window_(window), client_(client), client_size_(client_size) {
  settle_.setSingleShot(true);
  settle_.setInterval(kSettleMs);
  connect(&settle_, &QTimer::timeout, this, [this] { KeepNormalSize(); });
  if (window_->layout()) window_->layout()->setSizeConstraint(QLayout::SetDefaultConstraint);
  window_->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
  window_->installEventFilter(this);
  client_->installEventFilter(this);
  ApplyState();
}

bool TWindowSizing::Enlarged() const {
  return (window_->windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen)) != 0;
}

QSize TWindowSizing::NormalSize() const {
  return window_->layout() ? window_->layout()->minimumSize() : window_->minimumSizeHint();
}

void TWindowSizing::ShowOnlyWhenSeen(QWidget* widget, Qt::FocusPolicy policy) {
  watched_.push_back({widget, policy});
  UpdateSeenWidgets();
}

bool TWindowSizing::eventFilter(QObject* watched, QEvent* event) {
  if (watched == window_) {
    if (event->type() == QEvent::WindowStateChange) ApplyState();
    if (event->type() == QEvent::Resize && !Enlarged()) settle_.start();
  } else if (watched == client_ && event->type() == QEvent::Resize) {
    UpdateSeenWidgets();
  }
  return false;
}

void TWindowSizing::ApplyState() {
  if (Enlarged()) {
    settle_.stop();
    client_->setMinimumSize(client_size_);
    client_->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
  } else {
    // The layout gives the window this minimum; a larger size is undone.
    client_->setFixedSize(client_size_);
    if (window_->layout()) window_->layout()->activate();
    KeepNormalSize();
  }
  UpdateSeenWidgets();
}

void TWindowSizing::KeepNormalSize() {
  if (Enlarged()) return;
  const QSize normal = NormalSize();
  if (window_->size() != normal) window_->resize(normal);
}

void TWindowSizing::UpdateSeenWidgets() {
  const QRect seen(QPoint(0, 0), client_->size());
  for (const Watched& w : watched_) {
    const bool visible = seen.intersects(w.widget->geometry());
    w.widget->setFocusPolicy(visible ? w.policy : Qt::NoFocus);
    if (!visible && w.widget->hasFocus()) w.widget->clearFocus();
    w.widget->setVisible(visible);
  }
}

}  // namespace vk47
