#pragma once
// TSimWindow: the simulator window, opened from 制御 > シミュレーション (F5).
// It runs the program that is on the main window's slots through the same
// SimRunner as vk47-robot --simulate (sim/run.h), and
// shows a top-down floor with a centimetre grid, the robot with its wheels
// and heading, the path behind it and the time; the step that runs is
// marked on its slot in the main window. Buttons: スタート, 一時停止,
// リセット, the speed ×1 / ×2 / ×4 and スイッチ (a press of the micro
// switch). The rules the simulator assumes are shown in the window, at the
// window's font size, scrolling when the screen is too low for all of them.
// It opens beside the main window, which moves aside when the screen has
// room for both only that way.
//
// The simulator runs on the program as it was when スタート was pressed from
// the start; any change of the program on the slots resets it. Frames come
// from a precise timer at 60 per second while it runs and stop when it does;
// the floor keeps the grid and the path drawn so far in a picture and adds
// only the new part of the path at each frame.
//
// With the environment variable VK47_SIM_STATS naming a file, the window
// writes its frame figures there (JSON) whenever a run stops, for the
// benchmark. UI thread only; the main window owns it (one at a time).

#include <QElapsedTimer>
#include <QPointer>
#include <QWidget>
#include <memory>
#include <vector>

#include "model/step_program.h"
#include "sim/floor_svg.h"
#include "sim/run.h"

class QLabel;
class QPushButton;
class QTimer;
class QUndoStack;

namespace vk47 {

class TStepSlots;

class TSimWindow : public QWidget {
  Q_OBJECT

 public:
  // A window of `owner` (the main window) that runs the program on `steps`,
  // checking it again after each change on `changes` (may be null). The
  // slots outlive the window: they belong to its owner.
  TSimWindow(QWidget* owner, const TStepSlots& steps, QUndoStack* changes);
  ~TSimWindow() override;

  // Shows the main window's simulator, creating it when there is none, and
  // brings it to the front.
  static TSimWindow* Open(QWidget* owner, const TStepSlots& steps, QUndoStack* changes);

  QWidget* Floor = nullptr;
  QPushButton* StartButton = nullptr;
  QPushButton* PauseButton = nullptr;
  QPushButton* ResetButton = nullptr;
  QPushButton* SwitchButton = nullptr;
  QPushButton* SpeedButtons[3] = {};  // ×1, ×2, ×4
  QLabel* TimeLabel = nullptr;
  QLabel* StepLabel = nullptr;
  QLabel* StatusLabel = nullptr;
  QLabel* RulesLabel = nullptr;  // the assumptions, for the pupil and the teacher

  void Start();  // from the start, or on after a pause; again after the end
  void Pause();
  void Reset();  // back to the start with the program now on the slots
  void PressSwitch();
  void SetSpeed(int factor);  // 1, 2 or 4
  int Speed() const { return speed_; }

  // Runs the simulation for `real_seconds` of the wall clock times the speed
  // and repaints: one frame. The timer calls it; tests call it directly.
  void AdvanceFrame(double real_seconds);
  // The same to the simulated time `sim_seconds`, whatever a frame allows.
  void RunTo(double sim_seconds);

  bool Running() const { return running_; }
  const SimState& State() const { return runner_->State(); }
  const ProgramCodes& Codes() const { return runner_->Codes(); }
  const std::vector<Pose>& Path() const { return runner_->Path(); }
  // A line for every step that ended, as vk47-robot --simulate prints them.
  const std::vector<TraceRow>& Rows() const { return runner_->Rows(); }
  // The slot marked in the main window, or -1.
  int MarkedSlot() const;
  // The part of the floor shown as last painted: its scale and centre.
  FloorView FloorShown() const;

  static constexpr SimParams kParams{};
  static constexpr int kFramesPerSecond = 60;

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void CreateControls();
  void ScheduleFrame();
  void Tick();
  void Stop();  // no more frames: paused or finished
  bool CheckProgram();  // resets (and says so) when the slots hold another program
  void UpdateTexts();
  void MarkSlot(int slot);  // -1 removes the mark
  void WriteFrameStats() const;
  void PlaceBeside(QWidget* owner);
  int RulesHeightFor(int window_width) const;  // all the rules, at that width

  QPointer<QWidget> owner_;
  const TStepSlots* slots_;
  QPointer<QWidget> mark_;  // the frame around the running step's slot
  QTimer* frame_timer_ = nullptr;
  QElapsedTimer clock_;
  qint64 last_tick_ns_ = 0;
  qint64 next_frame_ns_ = 0;

  std::unique_ptr<SimRunner> runner_;
  bool running_ = false;
  int speed_ = 1;
  int narrowest_width_ = 0;  // the window's width range beside the main window
  int widest_width_ = 0;

  // Frame figures of the current run (VK47_SIM_STATS).
  friend class TSimFloor;
  qint64 run_started_ns_ = 0;
  qint64 last_paint_ns_ = 0;
  qint64 worst_gap_ns_ = 0;
  long frames_ = 0;
};

}  // namespace vk47
