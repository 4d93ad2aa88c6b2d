#pragma once
// TWindowStatus: the main window's status bar, below the client area so no
// control of the window moves. On the left the outcome of the last command
// with the time of day, cut with "…" where it would reach the fields (the
// whole text in its tool tip); on the right the program's file with "*"
// while changes are unsaved, and the port with the device behind it, looked
// at again every two seconds unless commands are held back. UI thread only.

#include <QObject>
#include <QString>
#include <functional>

class QLabel;
class QMainWindow;
class QStatusBar;

namespace vk47 {

class Trs232c;
struct ResolvedPort;

class TWindowStatus : public QObject {
 public:
  // The bar's fixed height in pixels.
  static constexpr int kHeight = 22;

  // Creates the bar of `window` (StatusBar1) and its fields (FileStatus,
  // PortStatus). The port field shows `port`; while `held_back` says so,
  // the two-second look at the port waits, so set.ini is not read between
  // two bytes of a transfer.
  TWindowStatus(QMainWindow& window, const Trs232c& port, std::function<bool()> held_back);

  QStatusBar* Bar() const { return bar_; }

  // Shows the outcome of a command, with the time of day.
  void ShowOutcome(const QString& text);
  // The file field: `label` shown, `path` in its tool tip.
  void ShowFile(const QString& label, const QString& path);
  // Looks at the port again and shows what is behind it.
  void UpdatePort();
  // The port field for a device already chosen: what a robot command is
  // about to open.
  void ShowPort(const ResolvedPort& resolved);

 private:
  // Fits the last outcome into the room left of the file and port fields.
  void ElideOutcome();

  const Trs232c& port_;
  QStatusBar* bar_ = nullptr;
  QLabel* file_ = nullptr;
  QLabel* port_field_ = nullptr;
  QString outcome_;  // the last outcome, whole
};

}  // namespace vk47
