#pragma once
// The main window's size: a fixed client area in the normal state, the whole
// screen when maximised. A pupil cannot resize the window by dragging its
// border; maximising it (its maximise box) shows the controls that lie right
// of the normal client area, and restoring it brings the client area back to
// its fixed size.
//
// Window managers offer the maximise box only to windows they may resize, so
// the window's maximum size stays open; a resize in the normal state (a drag
// of the border) is undone once the window manager has settled, which it
// reports as a state change when it maximises instead.
//
// Controls right of the normal client area take the focus only while they
// can be seen, so Tab never leads into a control nobody sees. UI thread only.

#include <QObject>
#include <QSize>
#include <QTimer>
#include <Qt>
#include <vector>

class QMainWindow;
class QWidget;

namespace vk47 {

class TWindowSizing : public QObject {
  Q_OBJECT

 public:
  // `client` is the window's central widget, `client_size` its size in the
  // normal state. The window owns the object.
  TWindowSizing(QMainWindow* window, QWidget* client, QSize client_size);

  // `widget` (a child of the client area) is shown and takes the focus with
  // `policy` while some of it lies within the client area; otherwise it is
  // hidden and takes none (a hidden log costs nothing to append to).
  void ShowOnlyWhenSeen(QWidget* widget, Qt::FocusPolicy policy);

  // Whether the window is maximised or full screen.
  bool Enlarged() const;
  // The window's size in the normal state: the client area with the menu
  // and status bars.
  QSize NormalSize() const;

  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void ApplyState();
  void UpdateSeenWidgets();
  void KeepNormalSize();

  QMainWindow* window_;
  QWidget* client_;
  QSize client_size_;
  struct Watched {
    QWidget* widget;
    Qt::FocusPolicy policy;
  };
  std::vector<Watched> watched_;
  QTimer settle_;
};

}  // namespace vk47
