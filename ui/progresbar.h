#pragma once
// TForm2: the borderless progress window of the timed operations (load, demo,
// transfer). It shows a title, a step counter before "/ 16" and a bar, and
// places itself over the main window each time it is shown. It is created
// hidden at start-up and only hidden again when an operation ends.
//
// An operation drives it in this order: ShowProgress(), SetPosition(0),
// SetTitle(...), then after slot i: SetPosition(ProgressForStep(i)),
// SetCounter(i + 1); finally CloseProgress(), which paints the last step
// before the window goes. The counter is not reset on showing: it keeps the
// previous operation's value until the first step (a transfer sets it to 0
// first, since its first byte may wait for a stalled device).
// UI thread only.

#include <QHash>
#include <QWidget>

#include "ui/common/QuickPaint.h"

class QLabel;

namespace vk47 {

class TForm2 : public QWidget {
  Q_OBJECT

 public:
  // `main_window` is the window the progress window places itself over.
  explicit TForm2(QWidget* main_window);
  ~TForm2() override;

  void ShowProgress();
  void CloseProgress();
  void SetTitle(const QString& title);
  void SetPosition(int position);
  void SetCounter(int counter);

  // The bar position after slot i: i × 6.25 rounded half to even (0, 6, 12,
  // 19, ... 94).
  static int ProgressForStep(int slot);

  QLabel* Label1 = nullptr;
  QLabel* Label2 = nullptr;
  QLabel* Label3 = nullptr;
  TCachedProgressBar* ProgressBar1 = nullptr;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  QHash<QString, int> counter_widths_;  // the counter label's width for each count
  void FormShow();

  QWidget* main_window_;
};

// The program's progress window, set while it exists.
extern TForm2* Form2;

}  // namespace vk47
