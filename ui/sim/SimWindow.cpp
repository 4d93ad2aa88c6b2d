#include "ui/sim/SimWindow.h"

#include <QButtonGroup>
#include <QCloseEvent>
#include <QFile>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QScreen>
#include <QTimer>
#include <QUndoStack>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "model/command_set.h"
#include "sim/floor_drawing.h"
#include "sim/sim_texts.h"
#include "ui/common/Catalogue.h"
#include "ui/common/Controls.h"
#include "ui/editor/TImage.h"
#include "ui/sim/FloorPainter.h"
#include "ui/editor/StepSlots.h"

namespace vk47 {
namespace {

const QColor kMarkColour{QLatin1String(kRunningStepColour)};

constexpr int kWidestFloor = 540;        // pixels, where the screen has room
constexpr double kStartScale = 8.0;       // pixels per centimetre at the start
constexpr double kMaxFrameSeconds = 0.25;  // a stalled loop does not leap ahead
constexpr qint64 kFrameNs = 1'000'000'000 / TSimWindow::kFramesPerSecond;

// The frame around the running step's slot in the main window: drawn over
// the slot, letting the mouse and drops through to it.
class TSlotMark : public QWidget {
 public:
  explicit TSlotMark(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("SimSlotMark"));
    setAttribute(Qt::WA_TransparentForMouseEvents);
  }

 protected:
  // Round-cornered and outside the slot, in its own colour: never taken for
  // the square orange focus frame drawn inside a slot.
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setPen(QPen(kMarkColour, 4));
    painter.drawRoundedRect(QRectF(rect()).adjusted(2, 2, -2, -2), 8, 8);
  }
};

// A button that works with its key too while the window is active.
QPushButton* NewButton(QWidget* parent, const char* name, const QString& text, const QString& key) {
  auto* button = new QPushButton(text, parent);
  button->setObjectName(QString::fromLatin1(name));
  button->setFocusPolicy(Qt::NoFocus);
  button->setShortcut(QKeySequence(key));
  button->setToolTip(Tr("キー: %1").arg(key == QStringLiteral("Space") ? Tr("スペース") : key));
  return button;
}

}  // namespace

// The floor seen from above. The floor's drawing (the grid and the path so
// far) is kept in a picture; a frame paints the new part of the path into it,
// then the picture and the robot. The view zooms out when the robot would
// leave it.
class TSimFloor : public QWidget {
 public:
  explicit TSimFloor(TSimWindow* window) : QWidget(window), window_(window) {
    setObjectName(QStringLiteral("Floor"));
    setMinimumSize(500, 320);
    setAttribute(Qt::WA_OpaquePaintEvent);
  }

  // Repaints what a frame changed: where the robot was and is, and the new
  // part of the path; everything when the view has to move.
  void UpdateAfterStep(const Pose& before) {
    const Pose& now = window_->State().pose;
    if (layer_.isNull() || !Shows(now)) {
      update();
      return;
    }
    QRectF dirty = RobotRect(before) | RobotRect(now);
    const std::vector<Pose>& path = window_->Path();
    for (std::size_t i = drawn_ ? drawn_ - 1 : 0; i < path.size(); ++i) {
      const QPointF at = ToScreen(path[i].x_cm, path[i].y_cm);
      dirty |= QRectF(at - QPointF(3, 3), at + QPointF(3, 3));
    }
    update(dirty.toAlignedRect());
  }

  void ResetView() {
    scale_ = kStartScale;
    centre_ = QPointF();
    layer_ = QPixmap();
    update();
  }

  // Draws the floor afresh: its words follow a switch of the hiragana mode.
  void Redraw() {
    layer_ = QPixmap();
    update();
  }

  // The scale and the centre of the floor shown.
  FloorView View() const { return {scale_, centre_.x(), centre_.y()}; }

 protected:
  void paintEvent(QPaintEvent*) override {
    const Pose& pose = window_->State().pose;
    if (!Shows(pose)) FitView();
    const std::vector<Pose>& path = window_->Path();
    const qreal ratio = devicePixelRatioF();
    if (layer_.isNull() || layer_.size() != size() * ratio || drawn_ > path.size()) {
      RebuildLayer(ratio);
    } else if (drawn_ < path.size()) {
      QPainter layer(&layer_);
      DrawPath(layer, drawn_ ? drawn_ - 1 : 0);
    }
    QPainter painter(this);
    painter.drawPixmap(0, 0, layer_);
    DrawRobot(painter, pose);
    CountFrame();
  }

 private:
  QPointF ToScreen(double x, double y) const { return Mapping().At(x, y); }

  // The square that holds the robot drawn at a pose, whatever its heading.
  QRectF RobotRect(const Pose& p) const {
    const double reach = RobotScale(scale_, kParams()) * kParams().track_cm * 0.8 + 4;
    const QPointF at = ToScreen(p.x_cm, p.y_cm);
    return {at.x() - reach, at.y() - reach, 2 * reach, 2 * reach};
  }

  // Whether the whole robot is in view, with a little room.
  bool Shows(const Pose& p) const { return ViewShows(View(), p, kParams(), width(), height()); }


  static const SimParams& kParams() { return TSimWindow::kParams; }

  // Centres the view on the path and the robot, zooming out as needed.
  void FitView() {
    const FloorView view = FollowRobot(View(), window_->Path(), window_->State().pose, kParams(), width(), height());
    scale_ = view.px_per_cm;
    centre_ = QPointF(view.centre_x_cm, view.centre_y_cm);
    layer_ = QPixmap();
  }

  // Where the view's floor lies on the widget.
  FloorToDevice Mapping() const { return {LiveFrame(View(), width(), height()), QRectF(rect())}; }

  // The floor as every edition draws it (sim/floor_drawing.h): the grid, its
  // numbers and caption, the start and the path so far.
  void RebuildLayer(qreal ratio) {
    layer_ = QPixmap(size() * ratio);
    layer_.setDevicePixelRatio(ratio);
    QPainter painter(&layer_);
    const auto say = [](const Words& words) { return TrWords(words).toStdString(); };
    PaintFloorDrawing(painter, LiveFloorDrawing(window_->Path(), View(), width(), height(), say), QRectF(rect()),
                      font());
    drawn_ = window_->Path().size();
  }

  // The path from point `from` on, and remembers how far it is drawn.
  void DrawPath(QPainter& painter, std::size_t from) {
    const std::vector<Pose>& path = window_->Path();
    PaintFloorShape(painter, LivePathPiece(path, from, View()), Mapping(), font());
    drawn_ = path.size();
  }

  // The robot from above, in centimetres: body, two wheels, heading arrow.
  // The body lets the path under it show. Far out it keeps a size that can
  // still be seen.
  void DrawRobot(QPainter& painter, const Pose& pose) {
    const RobotShape robot = RobotFromAbove(kParams());
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.translate(ToScreen(pose.x_cm, pose.y_cm));
    painter.rotate(-pose.heading_deg);  // the screen's y runs down
    const double s = RobotScale(scale_, kParams());
    painter.scale(s, s);
    QPen outline(QColor(QLatin1String(kRobotOutlineColour)), 1.5);
    outline.setCosmetic(true);
    painter.setPen(outline);
    QColor body{QLatin1String(kRobotBodyColour)};
    body.setAlphaF(kRobotBodyOpacity);  // the path shows through the body
    auto draw = [&](const FloorRect& r) {
      painter.drawRoundedRect(QRectF(r.x, r.y, r.width, r.height), r.corner, r.corner);
    };
    painter.setBrush(body);
    draw(robot.body);
    painter.setBrush(QColor(QLatin1String(kRobotWheelColour)));
    for (const FloorRect& wheel : robot.wheels) draw(wheel);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(QLatin1String(kRobotArrowColour)));
    QPolygonF arrow;
    for (const FloorPoint& p : robot.arrow) arrow << QPointF(p.x_cm, p.y_cm);
    painter.drawPolygon(arrow);
    painter.restore();
  }

  // Frame figures while the simulation runs.
  void CountFrame() {
    TSimWindow& w = *window_;
    if (!w.running_) return;
    const qint64 now = w.clock_.nsecsElapsed();
    if (w.frames_ > 0) w.worst_gap_ns_ = std::max(w.worst_gap_ns_, now - w.last_paint_ns_);
    w.last_paint_ns_ = now;
    ++w.frames_;
  }

  TSimWindow* window_;
  QPixmap layer_;
  std::size_t drawn_ = 0;  // path points already in layer_
  double scale_ = kStartScale;
  QPointF centre_;
};

TSimWindow::TSimWindow(QWidget* owner, const TStepSlots& steps, QUndoStack* changes)
    : QWidget(owner, Qt::Window), owner_(owner), slots_(&steps) {
  setObjectName(QStringLiteral("SimWindow"));
  setWindowTitle(Tr("シミュレーション"));
  // Texts built from the run's state follow a switch of the hiragana mode.
  connect(&KanaModeNotifier(), &KanaModeSignal::Changed, this, [this] {
    UpdateTexts();
    static_cast<TSimFloor*>(Floor)->Redraw();
  });
  setAttribute(Qt::WA_DeleteOnClose);
  setAttribute(Qt::WA_QuitOnClose, false);
  setFont(WindowFont(12));
  CreateControls();
  frame_timer_ = new QTimer(this);
  frame_timer_->setSingleShot(true);
  frame_timer_->setTimerType(Qt::PreciseTimer);
  connect(frame_timer_, &QTimer::timeout, this, [this] { Tick(); });
  clock_.start();
  // Every change of the program passes the undo stack; each frame checks too.
  if (changes) connect(changes, &QUndoStack::indexChanged, this, [this] { CheckProgram(); });
  Reset();
}

TSimWindow::~TSimWindow() {
  if (running_) WriteFrameStats();
  delete mark_;
}

TSimWindow* TSimWindow::Open(QWidget* owner, const TStepSlots& steps, QUndoStack* changes) {
  TSimWindow* window = owner->findChild<TSimWindow*>(QString(), Qt::FindDirectChildrenOnly);
  if (!window) {
    window = new TSimWindow(owner, steps, changes);
    window->PlaceBeside(owner);
  }
  window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
  window->show();
  window->raise();
  window->activateWindow();
  window->CheckProgram();
  return window;
}

// Beside the main window, both wholly on the screen and neither covering the
// other: right of it, else left of it, else the main window moves left as
// far as it must (a screen narrower than both gets them overlapping, the
// simulator at its right edge). The height shows every rule when the screen
// is tall enough; else the rules scroll. The simulator's frame is taken to
// be as wide as the main window's.
void TSimWindow::PlaceBeside(QWidget* form) {
  QScreen* screen = form->screen();
  if (!screen) return;
  const QRect free = screen->availableGeometry();
  QRect main = form->frameGeometry();
  const QRect inner = form->geometry();
  const int frame_w = inner.left() - main.left() + main.right() - inner.right();
  const int frame_h = inner.top() - main.top() + main.bottom() - inner.bottom();

  // As wide as the screen lets it be beside the main window, within its
  // narrowest and widest.
  constexpr int kGap = 6;
  const int room = free.width() - main.width() - kGap - frame_w;
  setFixedWidth(std::clamp(room, narrowest_width_, widest_width_));
  // The rules get the height they need out of what the screen has to spare
  // above the window's least height; the rest of them scroll.
  ensurePolished();
  for (QWidget* child : findChildren<QWidget*>()) child->ensurePolished();
  auto* rules = findChild<QScrollArea*>(QStringLiteral("RulesScroll"));
  const int least = rules->minimumHeight();  // set by CreateControls
  const int spare = free.height() - frame_h - layout()->totalMinimumHeightForWidth(width());
  const int more = std::clamp(RulesHeightFor(width()) - least, 0, std::max(spare, 0));
  // The window's layout takes the new least height of the rules when it is
  // shown (the sizes of hidden widgets are not passed up until then).
  rules->setMinimumHeight(least + more);
  const int height = layout()->totalMinimumHeightForWidth(width()) + more;
  resize(width(), height);

  const int w = width() + frame_w, h = height + frame_h;
  int x = main.right() + 1 + kGap;
  if (x + w > free.right() + 1) {
    if (main.left() - kGap - w >= free.left()) {
      x = main.left() - kGap - w;
    } else {
      const int main_x = std::max(free.left(), free.right() + 1 - w - kGap - main.width());
      if (main_x != main.left()) {
        form->move(main_x, main.top());
        main.moveLeft(main_x);
      }
      x = std::min(main.right() + 1 + kGap, free.right() + 1 - w);
    }
  }
  move(x, std::clamp(main.top(), free.top(), std::max(free.top(), free.bottom() + 1 - h)));
}

void TSimWindow::CreateControls() {
  Floor = new TSimFloor(this);
  TimeLabel = new QLabel(this);
  TimeLabel->setObjectName(QStringLiteral("TimeLabel"));
  QFont big = WindowFont(16);
  big.setBold(true);
  TimeLabel->setFont(big);
  TimeLabel->setMinimumWidth(150);
  StepLabel = new QLabel(this);
  StepLabel->setObjectName(QStringLiteral("StepLabel"));
  StepLabel->setFont(WindowFont(14));
  StatusLabel = new QLabel(this);
  StatusLabel->setObjectName(QStringLiteral("StatusLabel"));
  StatusLabel->setWordWrap(true);

  StartButton = NewButton(this, "StartButton", Tr("スタート"), QStringLiteral("S"));
  PauseButton = NewButton(this, "PauseButton", Tr("一時停止"), QStringLiteral("P"));
  ResetButton = NewButton(this, "ResetButton", Tr("リセット"), QStringLiteral("R"));
  SwitchButton = NewButton(this, "SwitchButton", Tr("スイッチ"), QStringLiteral("Space"));
  connect(StartButton, &QPushButton::clicked, this, [this] { Start(); });
  connect(PauseButton, &QPushButton::clicked, this, [this] { Pause(); });
  connect(ResetButton, &QPushButton::clicked, this, [this] { Reset(); });
  connect(SwitchButton, &QPushButton::clicked, this, [this] { PressSwitch(); });
  auto* speeds = new QButtonGroup(this);
  const int factors[] = {1, 2, 4};
  for (int i = 0; i < 3; ++i) {
    const QByteArray name = "Speed" + QByteArray::number(factors[i]);
    SpeedButtons[i] = NewButton(this, name.constData(), Tr("×%1").arg(factors[i]), QString::number(factors[i]));
    SpeedButtons[i]->setCheckable(true);
    SpeedButtons[i]->setMinimumWidth(40);
    speeds->addButton(SpeedButtons[i], factors[i]);
  }
  SpeedButtons[0]->setChecked(true);
  connect(speeds, &QButtonGroup::idClicked, this, [this](int factor) { SetSpeed(factor); });

  auto* rules_box = new QGroupBox(TrWords(SimRulesTitle()), this);
  rules_box->setObjectName(QStringLiteral("RulesBox"));
  // The rules scroll when the screen is too low to show them all.
  auto* rules_scroll = new QScrollArea(rules_box);
  rules_scroll->setObjectName(QStringLiteral("RulesScroll"));
  rules_scroll->setFrameShape(QFrame::NoFrame);
  rules_scroll->setWidgetResizable(true);
  rules_scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  RulesLabel = new QLabel(TrWords(SimRules()));
  RulesLabel->setObjectName(QStringLiteral("RulesLabel"));
  RulesLabel->setWordWrap(true);
  RulesLabel->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  RulesLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
  rules_scroll->setWidget(RulesLabel);
  (new QVBoxLayout(rules_box))->addWidget(rules_scroll);

  auto* info = new QHBoxLayout;
  info->addWidget(TimeLabel);
  info->addWidget(StepLabel, 1);
  auto* buttons = new QHBoxLayout;
  for (QPushButton* b : {StartButton, PauseButton, ResetButton}) buttons->addWidget(b);
  buttons->addSpacing(16);
  buttons->addWidget(new QLabel(Tr("速さ"), this));
  for (QPushButton* b : SpeedButtons) buttons->addWidget(b);
  buttons->addSpacing(16);
  buttons->addWidget(SwitchButton);
  buttons->addStretch(1);
  auto* column = new QVBoxLayout(this);
  column->addWidget(Floor, 1);
  column->addLayout(info);
  column->addWidget(StatusLabel);
  column->addLayout(buttons);
  column->addWidget(rules_box);
  // A width and a height for the screen (PlaceBeside); a taller window gives
  // the floor the room. The status gets the height of two lines, so that
  // nothing overlaps.
  const int sides = column->contentsMargins().left() + column->contentsMargins().right();
  narrowest_width_ = Floor->minimumWidth() + sides;
  widest_width_ = kWidestFloor + sides;
  setFixedWidth(widest_width_);
  rules_scroll->setMinimumHeight(5 * RulesLabel->fontMetrics().lineSpacing());
  StatusLabel->setMinimumHeight(2 * StatusLabel->fontMetrics().lineSpacing());
}

int TSimWindow::RulesHeightFor(int window_width) const {
  const QWidget* box = RulesLabel->parentWidget();
  while (box && !qobject_cast<const QGroupBox*>(box)) box = box->parentWidget();
  const QMargins margins = layout()->contentsMargins() + box->contentsMargins() + box->layout()->contentsMargins();
  const auto* scroll = findChild<QScrollArea*>(QStringLiteral("RulesScroll"));
  const int text_width = window_width - margins.left() - margins.right() - scroll->verticalScrollBar()->sizeHint().width();
  return RulesLabel->heightForWidth(text_width) + 2 * scroll->frameWidth();
}

void TSimWindow::Start() {
  if (running_) return;
  CheckProgram();
  if (IsFinished(State().phase)) Reset();
  running_ = true;
  const qint64 now = clock_.nsecsElapsed();
  run_started_ns_ = last_tick_ns_ = next_frame_ns_ = now;
  frames_ = 0;
  worst_gap_ns_ = 0;
  MarkSlot(State().step);
  UpdateTexts();
  ScheduleFrame();
}

void TSimWindow::Pause() {
  if (!running_) return;
  Stop();
  UpdateTexts();
}

void TSimWindow::Stop() {
  if (running_) WriteFrameStats();
  running_ = false;
  frame_timer_->stop();
}

void TSimWindow::Reset() {
  Stop();
  runner_ = std::make_unique<SimRunner>(owner_ ? slots_->Program().Codes() : EmptyProgram(), kParams);
  static_cast<TSimFloor*>(Floor)->ResetView();
  MarkSlot(-1);
  UpdateTexts();
}

// The press meets the program at once, at the simulated time of now.
void TSimWindow::PressSwitch() {
  if (!running_) return;
  runner_->Press();
  RunTo(State().time_s);
}

void TSimWindow::SetSpeed(int factor) {
  speed_ = std::clamp(factor, 1, 4);
  for (QPushButton* b : SpeedButtons) b->setChecked(b->text() == Tr("×%1").arg(speed_));
  UpdateTexts();
}

void TSimWindow::ScheduleFrame() {
  const qint64 now = clock_.nsecsElapsed();
  while (next_frame_ns_ <= now) next_frame_ns_ += kFrameNs;
  frame_timer_->start(static_cast<int>((next_frame_ns_ - now + 999'999) / 1'000'000));
}

void TSimWindow::Tick() {
  const qint64 now = clock_.nsecsElapsed();
  const double seconds = (now - last_tick_ns_) / 1e9;
  last_tick_ns_ = now;
  AdvanceFrame(seconds);
  if (running_) ScheduleFrame();
}

void TSimWindow::AdvanceFrame(double real_seconds) {
  RunTo(State().time_s + std::clamp(real_seconds, 0.0, kMaxFrameSeconds) * speed_);
}

void TSimWindow::RunTo(double sim_seconds) {
  if (CheckProgram()) return;
  const Pose before = State().pose;
  runner_->RunUntil(sim_seconds);
  if (IsFinished(State().phase)) {
    Stop();
    MarkSlot(-1);
  } else {
    MarkSlot(State().step);
  }
  UpdateTexts();
  static_cast<TSimFloor*>(Floor)->UpdateAfterStep(before);
}

bool TSimWindow::CheckProgram() {
  if (!owner_ || slots_->Program().Codes() == Codes()) return false;
  Reset();
  return true;
}

FloorView TSimWindow::FloorShown() const { return static_cast<const TSimFloor*>(Floor)->View(); }

int TSimWindow::MarkedSlot() const {
  if (!mark_ || mark_->isHidden()) return -1;
  return mark_->property("slot").toInt();
}

void TSimWindow::MarkSlot(int slot) {
  if (slot < 0 || slot >= kSlotCount || !owner_) {
    if (mark_) mark_->hide();
    return;
  }
  TImage* picture = slots_->SlotPicture(slot);
  if (!picture || !picture->parentWidget()) return;
  if (!mark_) mark_ = new TSlotMark(picture->parentWidget());
  if (mark_->property("slot").toInt() != slot || mark_->isHidden()) {
    mark_->setProperty("slot", slot);
    mark_->setGeometry(picture->geometry().adjusted(-4, -4, 4, 4));
    mark_->raise();
    mark_->show();
  }
}

void TSimWindow::UpdateTexts() {
  // The words are the simulator's own (sim/sim_texts.h), as the browser shows them.
  TimeLabel->setText(TrWords(SimTimeWords(State().time_s)));
  StepLabel->setText(TrLine(SimStepWords(Codes(), State())));
  StatusLabel->setText(TrWords(SimStatusWords(State(), running_, speed_)));
  StartButton->setEnabled(!running_);
  PauseButton->setEnabled(running_);
  SwitchButton->setEnabled(running_);
}

void TSimWindow::WriteFrameStats() const {
  const QString path = qEnvironmentVariable("VK47_SIM_STATS");
  if (path.isEmpty()) return;
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) return;
  const double seconds = (last_paint_ns_ - run_started_ns_) / 1e9;
  file.write(QStringLiteral("{\"frames\": %1, \"seconds\": %2, \"worst_gap_ms\": %3, \"speed\": %4}\n")
                 .arg(frames_)
                 .arg(seconds, 0, 'f', 3)
                 .arg(worst_gap_ns_ / 1e6, 0, 'f', 2)
                 .arg(speed_)
                 .toUtf8());
}

void TSimWindow::closeEvent(QCloseEvent* event) {
  Stop();
  MarkSlot(-1);
  QWidget::closeEvent(event);
}

}  // namespace vk47
