#pragma once
// TClassSendDialog (制御 > クラスに転送…): one program to every robot of a
// class. It lists COM1..COM4 with the device each leads to, then every other
// serial device found (USB adapters, running virtual robots), each with a
// check box that starts checked when the device is there. 「転送」 sends the
// program on the slots to every checked port at once, through the same
// many-port transfer as `vk47ctl send` (link/class_link.h): one row per robot
// shows its steps and then 「OK」 or why it failed, and the summary says how
// many robots got the whole program. 「実行」 sends the execute byte to every
// checked port; 「更新」 looks for devices again; 「閉じる」 closes.
//
// The ports are served on worker threads, so the dialog repaints and the
// rows move while the robots are sent to; what the workers report is handed
// to the UI thread before it touches a widget. While a command runs the
// dialog's buttons, and through `Hooks::busy` the main window's commands,
// are held back, all but 「閉じる」: closing the dialog then (also Escape,
// or the main window closing) stops every robot after its current byte,
// even one whose device has stalled, shows how many steps each got, and
// closes once all have stopped. A robot that is missing or fails is done at
// once and never delays the others. When the system cannot start the
// command's thread, an error box says so and nothing is sent. Destroying the
// dialog mid-command stops every transfer after its current byte. Switching
// the hiragana mode builds every shown text again, the rows' results and the
// summary included. UI thread only.

#include <QDialog>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>
#include <utility>
#include <vector>

#include "link/class_link.h"
#include "settings/class_ports.h"

class QCheckBox;
class QGridLayout;
class QLabel;
class QProgressBar;
class QPushButton;
class QScrollArea;

namespace vk47 {

class TClassSendDialog : public QDialog {
  Q_OBJECT

 public:
  struct Hooks {
    // The program on the slots, read when 「転送」 is pressed.
    std::function<ProgramCodes()> program;
    // The main window lets go of its own port before a class command, so
    // that its robot can be among the class (the port reopens at its next use).
    std::function<void()> release_window_port;
    // True while a command runs: the main window holds its commands back.
    std::function<void(bool busy)> busy;
    // The ports to list; by default set.ini's COM1..COM4 and the devices found.
    std::function<std::vector<ClassPort>()> list_ports;
    // Makes each port's device (tests pass fakes).
    CommDeviceFactory device_factory = MakePlatformCommDevice;
    // Starts the command's worker thread; throws std::system_error when the
    // system cannot (tests pass one that fails).
    std::function<std::thread(std::function<void()> work)> start_thread;
  };

  TClassSendDialog(Hooks hooks, QWidget* parent);
  ~TClassSendDialog() override;

  void Refresh();   // 更新: lists the ports again (also when shown)
  void Transfer();  // 転送
  void Execute();   // 実行
  bool Busy() const { return worker_.joinable(); }
  // Stops a running command after each robot's current byte (a stalled
  // write included); the results then show how far each came.
  void Stop();

  // What a command last showed in a row: kept as the link's words, so that
  // the row's text can be built again in the other mode.
  struct Result {
    enum class State { kNone, kSending, kOk, kFailed, kSameDevice };
    State state = State::kNone;
    WordsLine reason;  // kFailed, kSameDevice: LinkSummary of the outcome
  };

  // One listed port's widgets, in list order, and its results: the last
  // 転送's, then the 実行 sent after it.
  struct Row {
    ClassPort port;
    QCheckBox* check = nullptr;  // its text is the port's title
    QLabel* device = nullptr;
    QProgressBar* progress = nullptr;
    QLabel* result = nullptr;
    Result transfer_result;
    Result execute_result;
  };
  const std::vector<Row>& Rows() const { return rows_; }
  QLabel* Summary() const { return summary_; }
  QPushButton* TransferButton() const { return transfer_; }
  QPushButton* ExecuteButton() const { return execute_; }
  QPushButton* CloseButton() const { return close_; }

 signals:
  // A command has ended and its results are shown.
  void Finished();

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void reject() override;

 private:
  void Start(bool transfer);
  void Report(std::size_t row, int steps, bool done, bool ok, const WordsLine& why);
  void Finish(bool transfer);
  // The summary line, built by `text` now and again after a mode switch.
  void ShowSummary(std::function<QString()> text);
  void ShowTitle();
  // Builds the texts made from values again in the current mode.
  void ShowTexts();
  void SetBusy(bool busy);
  // The pacing wait of the workers: at least `ms`, shorter only on a stop.
  void PacedWait(std::uint32_t ms);

  Hooks hooks_;
  std::vector<Row> rows_;
  QScrollArea* scroll_ = nullptr;
  QWidget* list_ = nullptr;
  QGridLayout* grid_ = nullptr;
  QLabel* summary_ = nullptr;
  std::function<QString()> summary_text_;
  std::optional<std::pair<std::size_t, std::size_t>> title_counts_;  // robots served, of how many
  QPushButton* refresh_ = nullptr;
  QPushButton* transfer_ = nullptr;
  QPushButton* execute_ = nullptr;
  QPushButton* close_ = nullptr;

  RobotJobs jobs_;
  std::vector<std::size_t> job_rows_;  // the row of each job
  std::thread worker_;
  std::mutex stop_mutex_;
  std::condition_variable stop_changed_;
  bool stop_ = false;
  bool close_when_done_ = false;  // closed during a command: closes once it has stopped
  bool executing_ = false;        // the command under way is 実行 (not 転送)
};

}  // namespace vk47
