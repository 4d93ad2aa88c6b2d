#include "ui/robot/ClassSendDialog.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QElapsedTimer>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <chrono>
#include <system_error>

#include "settings/port_setting.h"
#include "ui/common/Catalogue.h"
#include "ui/common/ErrorBox.h"

namespace vk47 {
namespace {

std::vector<ClassPort> DefaultPorts() { return ListClassPorts(SettingsFilePath(), FindSerialDevices()); }

std::thread StartThread(std::function<void()> work) { return std::thread(std::move(work)); }

constexpr int kResultWidth = 280;

// The device column: where COMn leads, with the device's kind, or whether it
// can be used at all; a device found by itself is its own title and shows
// only its kind.
QString DeviceText(const ClassPort& port) {
  const bool named_by_device = port.title == port.device;
  QString where = named_by_device ? QString() : port.device.empty() ? Tr("(使えません)") : QString::fromStdString(port.device);
  if (!port.kind.empty()) where += (where.isEmpty() ? QString() : QStringLiteral(" ・ ")) + TrWords({port.kind, {}});  // a catalogue text (settings/class_ports)
  if (!port.device.empty() && !port.present) where += QStringLiteral(" ") + Tr("(つながっていません)");
  return where;
}

// One command's result in a row, in the current mode.
QString ResultText(const TClassSendDialog::Result& result, bool execute) {
  using State = TClassSendDialog::Result::State;
  switch (result.state) {
    case State::kNone:
      return QString();
    case State::kSending:
      return execute ? Tr("送信中…") : Tr("転送中…");
    case State::kOk:
      return execute ? Tr("実行 OK") : Tr("OK");
    case State::kFailed:
      return execute ? Tr("実行: %1").arg(TrLine(result.reason)) : TrLine(result.reason);
    case State::kSameDevice:
      // Neither a success of its own nor a failure: where its steps went.
      return TrLine(result.reason);
  }
  return QString();
}

// The row's result of a 転送, or of the 実行 sent after it.
TClassSendDialog::Result& ResultOf(TClassSendDialog::Row& row, bool execute) {
  return execute ? row.execute_result : row.transfer_result;
}

// The row's results: the last 転送's, then the 実行 sent after it.
void ShowResult(const TClassSendDialog::Row& row) {
  const QString transfer = ResultText(row.transfer_result, false);
  const QString execute = ResultText(row.execute_result, true);
  row.result->setText(transfer.isEmpty() || execute.isEmpty() ? transfer + execute
                                                              : transfer + QStringLiteral("、") + execute);
}

}  // namespace

TClassSendDialog::TClassSendDialog(Hooks hooks, QWidget* parent) : QDialog(parent), hooks_(std::move(hooks)) {
  if (!hooks_.list_ports) hooks_.list_ports = DefaultPorts;
  if (!hooks_.start_thread) hooks_.start_thread = StartThread;
  setObjectName(QStringLiteral("ClassSend"));
  setWindowTitle(Tr("クラスに転送"));
  setModal(false);

  auto* layout = new QVBoxLayout(this);
  auto* intro = new QLabel(Tr("チェックしたロボット全部に、いまのプログラムを同時に送ります。つながっているポートには、はじめからチェックが入っています。"),
                           this);
  intro->setWordWrap(true);
  layout->addWidget(intro);

  list_ = new QWidget;
  grid_ = new QGridLayout(list_);
  grid_->setColumnStretch(3, 1);
  scroll_ = new QScrollArea(this);
  scroll_->setWidget(list_);
  scroll_->setWidgetResizable(true);
  scroll_->setMinimumHeight(260);
  layout->addWidget(scroll_, 1);

  summary_ = new QLabel(this);
  summary_->setObjectName(QStringLiteral("Summary"));
  summary_->setWordWrap(true);
  summary_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  layout->addWidget(summary_);

  auto* buttons = new QHBoxLayout;
  refresh_ = new QPushButton(Tr("更新"), this);
  transfer_ = new QPushButton(Tr("転送"), this);
  execute_ = new QPushButton(Tr("実行"), this);
  close_ = new QPushButton(Tr("閉じる"), this);
  transfer_->setDefault(true);
  buttons->addWidget(refresh_);
  buttons->addStretch(1);
  buttons->addWidget(transfer_);
  buttons->addWidget(execute_);
  buttons->addWidget(close_);
  layout->addLayout(buttons);

  connect(refresh_, &QPushButton::clicked, this, &TClassSendDialog::Refresh);
  connect(transfer_, &QPushButton::clicked, this, &TClassSendDialog::Transfer);
  connect(execute_, &QPushButton::clicked, this, &TClassSendDialog::Execute);
  connect(close_, &QPushButton::clicked, this, &QDialog::close);
  // Runs after the switch has re-applied the texts that went through Tr.
  connect(&KanaModeNotifier(), &KanaModeSignal::Changed, this, &TClassSendDialog::ShowTexts);
}

TClassSendDialog::~TClassSendDialog() {
  if (!worker_.joinable()) return;
  Stop();
  worker_.join();
}

void TClassSendDialog::Stop() {
  {
    const std::lock_guard<std::mutex> lock(stop_mutex_);
    stop_ = true;
  }
  stop_changed_.notify_all();
}

void TClassSendDialog::Refresh() {
  if (Busy()) return;
  for (Row& row : rows_) {
    for (QWidget* w : {static_cast<QWidget*>(row.check), static_cast<QWidget*>(row.device),
                       static_cast<QWidget*>(row.progress), static_cast<QWidget*>(row.result)}) {
      delete w;
    }
  }
  rows_.clear();
  const QStringList heads = {Tr("ポート"), Tr("デバイス"), Tr("進み具合"), Tr("結果")};
  for (int c = 0; c < heads.size(); ++c) {
    if (grid_->itemAtPosition(0, c)) continue;
    // Bold by its font, so that the label's text is the catalogue's and
    // switching the hiragana mode re-applies it.
    auto* head = new QLabel(heads[c], list_);
    QFont bold = head->font();
    bold.setBold(true);
    head->setFont(bold);
    grid_->addWidget(head, 0, c);
  }
  for (const ClassPort& port : hooks_.list_ports()) {
    Row row;
    row.port = port;
    const int r = static_cast<int>(rows_.size()) + 1;
    row.check = new QCheckBox(QString::fromStdString(port.title), list_);
    row.check->setChecked(port.present);
    row.device = new QLabel(DeviceText(port), list_);
    row.progress = new QProgressBar(list_);
    row.progress->setRange(0, kSlotCount);
    row.progress->setValue(0);
    row.progress->setFormat(QString());
    row.progress->setFixedWidth(130);
    row.result = new QLabel(list_);
    row.result->setWordWrap(true);
    row.result->setMinimumWidth(kResultWidth);
    grid_->addWidget(row.check, r, 0);
    grid_->addWidget(row.device, r, 1);
    grid_->addWidget(row.progress, r, 2);
    grid_->addWidget(row.result, r, 3);
    rows_.push_back(row);
  }
  grid_->setRowStretch(static_cast<int>(rows_.size()) + 1, 1);
  ShowSummary({});
}

void TClassSendDialog::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (Busy()) return;
  Refresh();
  // Room for a device's path and a result in words beside each port.
  resize(std::max(width(), 940), std::max(height(), 440));
  if (QWidget* owner = parentWidget()) {
    QRect frame = frameGeometry();
    frame.moveCenter(owner->frameGeometry().center());
    if (const QScreen* screen = owner->screen()) {
      const QRect room = screen->availableGeometry();
      frame.moveLeft(std::clamp(frame.left(), room.left(), std::max(room.left(), room.right() - frame.width())));
      frame.moveTop(std::clamp(frame.top(), room.top(), std::max(room.top(), room.bottom() - frame.height())));
    }
    move(frame.topLeft());
  }
  // The first port takes the keyboard once the dialog is active: Space
  // checks it, Return sends (転送 is the default button).
  QTimer::singleShot(0, this, [this] {
    if (!rows_.empty()) rows_.front().check->setFocus();
  });
}

// Closed while the robots are being sent to: they stop, and the dialog
// closes once every one has (Finish).
void TClassSendDialog::closeEvent(QCloseEvent* event) {
  if (Busy()) {
    close_when_done_ = true;
    Stop();
    event->ignore();
    return;
  }
  QDialog::closeEvent(event);
}

void TClassSendDialog::reject() {
  if (Busy()) {
    close_when_done_ = true;
    Stop();
    return;
  }
  QDialog::reject();
}

void TClassSendDialog::Transfer() { Start(true); }

void TClassSendDialog::Execute() { Start(false); }

void TClassSendDialog::Start(bool transfer) {
  if (Busy()) return;
  std::vector<std::string> names;
  job_rows_.clear();
  for (std::size_t i = 0; i < rows_.size(); ++i) {
    Row& row = rows_[i];
    // 実行 keeps what the last 転送 showed in a row it sends to (its steps
    // and its result), and adds its own outcome there (Report).
    if (transfer || !row.check->isChecked()) {
      row.progress->setValue(0);
      row.progress->setFormat(row.check->isChecked() ? QStringLiteral("%v / %m") : QString());
      row.transfer_result = {};
    }
    row.execute_result = {};
    ShowResult(row);
    if (!row.check->isChecked()) continue;
    names.push_back(row.port.portname);
    job_rows_.push_back(i);
  }
  if (names.empty()) {
    ShowSummary([] { return Tr("送り先のロボットにチェックを入れてください。"); });
    return;
  }
  const ProgramCodes codes = hooks_.program ? hooks_.program() : EmptyProgram();
  if (hooks_.release_window_port) hooks_.release_window_port();
  executing_ = !transfer;
  for (std::size_t row : job_rows_) {
    ResultOf(rows_[row], !transfer) = {Result::State::kSending, {}};
    ShowResult(rows_[row]);
  }
  ShowSummary([transfer, count = names.size()] {
    return transfer ? Tr("%1 台に転送しています…").arg(count) : Tr("%1 台に実行命令を送っています…").arg(count);
  });
  SetBusy(true);
  jobs_ = MakeRobotJobs(names, hooks_.device_factory);
  {
    const std::lock_guard<std::mutex> lock(stop_mutex_);
    stop_ = false;
  }

  ClassObserver observer;
  observer.wait = [this](std::uint32_t ms) { PacedWait(ms); };
  observer.stop_requested = [this] {
    const std::lock_guard<std::mutex> lock(stop_mutex_);
    return stop_;
  };
  // On the ports' threads: copy what the row shows, then hand it over.
  observer.changed = [this](std::size_t index, const RobotJob& job) {
    const std::size_t row = job_rows_[index];
    const int steps = job.steps.load();
    const bool done = job.done.load();
    const bool ok = done && job.outcome.ok;
    const WordsLine reason = done ? LinkSummary(job.outcome) : WordsLine();
    QMetaObject::invokeMethod(
        this, [this, row, steps, done, ok, reason] { Report(row, steps, done, ok, reason); }, Qt::QueuedConnection);
  };
  try {
    worker_ = hooks_.start_thread([this, transfer, codes, observer] {
      if (transfer) {
        SendToClass(jobs_, codes, observer);
      } else {
        RunOnClass(jobs_, observer);
      }
      QMetaObject::invokeMethod(this, [this, transfer] { Finish(transfer); }, Qt::QueuedConnection);
    });
  } catch (const std::system_error& e) {
    // The system's limit on threads or processes: nothing was sent, and the
    // window with its program carries on.
    jobs_.clear();
    for (std::size_t row : job_rows_) {
      ResultOf(rows_[row], !transfer) = {};
      ShowResult(rows_[row]);
    }
    ShowSummary([] { return Tr("送信を始められません。ほかのプログラムを閉じてから、もう一度試してください。"); });
    SetBusy(false);
    ShowErrorBox(this, summary_->text(), Tr("システムの説明: %1").arg(QString::fromLocal8Bit(e.what())));
  }
}

void TClassSendDialog::Report(std::size_t row, int steps, bool done, bool ok, const WordsLine& why) {
  if (row >= rows_.size()) return;
  Row& r = rows_[row];
  if (steps > r.progress->value()) r.progress->setValue(steps);
  if (!done) return;
  ResultOf(r, executing_) = ok ? Result{Result::State::kOk, {}} : Result{Result::State::kFailed, why};
  ShowResult(r);
  r.result->setStyleSheet(ok ? QStringLiteral("color: #1a7a30; font-weight: bold;") : QStringLiteral("color: #b00020;"));
}

namespace {

// The summary line of a finished command: how many robots took it, how far
// each came when it was stopped, and which ones it did not reach.
QString SummaryText(bool stopped, bool transfer, std::size_t total, std::size_t ok, const QStringList& came,
                    const QStringList& missed) {
  QString text;
  if (stopped && transfer) {
    text = Tr("転送を中断しました。送信できたステップ: %1").arg(came.join(QStringLiteral("、")));
  } else if (stopped) {
    text = Tr("実行命令の送信を中断しました。%1 台のうち %2 台に送りました。").arg(total).arg(ok);
  } else {
    text = transfer ? Tr("%1 台のうち %2 台がプログラム全体を受け取りました。").arg(total).arg(ok)
                    : Tr("%1 台のうち %2 台に実行命令を送りました。").arg(total).arg(ok);
  }
  if (!missed.isEmpty()) text += QStringLiteral("\n") + Tr("届かなかったロボット: %1").arg(missed.join(QStringLiteral("、")));
  return text;
}

}  // namespace

void TClassSendDialog::Finish(bool transfer) {
  if (worker_.joinable()) worker_.join();
  // Every row as its job ended: a device named twice gets its steps and
  // reason only once the command is over.
  for (std::size_t i = 0; i < jobs_.size(); ++i) {
    const RobotJob& job = *jobs_[i];
    Report(job_rows_[i], job.steps.load(), true, job.outcome.ok, LinkSummary(job.outcome));
    if (job.same_as) {
      Row& row = rows_[job_rows_[i]];
      ResultOf(row, executing_) = {Result::State::kSameDevice, LinkSummary(job.outcome)};
      ShowResult(row);
      row.result->setStyleSheet(QString());
    }
  }
  const std::size_t total = jobs_.size();
  const std::size_t ok = CountSucceeded(jobs_);
  QStringList missed;
  for (std::size_t i = 0; i < jobs_.size(); ++i) {
    if (!jobs_[i]->outcome.ok) missed << QString::fromStdString(rows_[job_rows_[i]].port.title);
  }
  bool stopped = false;
  {
    const std::lock_guard<std::mutex> lock(stop_mutex_);
    stopped = stop_;
  }
  // How far each robot came, on the line the main window's status bar shows.
  QStringList came;
  if (stopped && transfer) {
    for (std::size_t i = 0; i < jobs_.size(); ++i) {
      came << QStringLiteral("%1 %2/16").arg(QString::fromStdString(rows_[job_rows_[i]].port.title))
                  .arg(jobs_[i]->outcome.steps_sent);
    }
  }
  ShowSummary([stopped, transfer, total, ok, came, missed] { return SummaryText(stopped, transfer, total, ok, came, missed); });
  title_counts_ = std::make_pair(ok, total);
  ShowTitle();
  jobs_.clear();
  SetBusy(false);
  emit Finished();
  if (close_when_done_) {
    close_when_done_ = false;
    close();
  }
}

void TClassSendDialog::ShowSummary(std::function<QString()> text) {
  summary_text_ = std::move(text);
  summary_->setText(summary_text_ ? summary_text_() : QString());
}

void TClassSendDialog::ShowTitle() {
  QString title = Tr("クラスに転送");
  if (title_counts_) title += QStringLiteral(" (%1/%2)").arg(title_counts_->first).arg(title_counts_->second);
  setWindowTitle(title);
}

void TClassSendDialog::ShowTexts() {
  for (const Row& row : rows_) {
    row.device->setText(DeviceText(row.port));
    ShowResult(row);
  }
  ShowSummary(std::move(summary_text_));
  ShowTitle();
}

void TClassSendDialog::SetBusy(bool busy) {
  // 閉じる stays: it is the way out of a command that waits for a stalled robot.
  for (QPushButton* b : {refresh_, transfer_, execute_}) b->setEnabled(!busy);
  for (const Row& row : rows_) row.check->setEnabled(!busy);
  if (hooks_.busy) hooks_.busy(busy);
}

void TClassSendDialog::PacedWait(std::uint32_t ms) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  std::unique_lock<std::mutex> lock(stop_mutex_);
  stop_changed_.wait_until(lock, deadline, [this] { return stop_; });
}

}  // namespace vk47
