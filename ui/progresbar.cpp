#include "ui/progresbar.h"

#include "link/protocol.h"
#include "model/step_program.h"
#include "ui/common/Catalogue.h"

#include <QLabel>
#include <QProgressBar>
#include <QTimer>
#include <algorithm>
#include <cmath>

#include "ui/common/Controls.h"

namespace vk47 {

TForm2* Form2 = nullptr;

namespace {

// Counter's right edge: the label grows to the left as the number widens.
constexpr int kCounterRight = 231;
constexpr int kPrepareAfterMs = 1000;

template <typename Label = QLabel>
QLabel* GreenLabel(QWidget* parent, const char* name, const QString& text, QRect rect) {
  auto* label = new Label(text, parent);
  label->setObjectName(QString::fromLatin1(name));
  QFont font = WindowFont(16);
  font.setBold(true);
  label->setFont(font);
  QPalette palette = label->palette();
  palette.setColor(QPalette::WindowText, kDarkGreen);
  label->setPalette(palette);
  label->setAutoFillBackground(false);
  label->setGeometry(rect);
  return label;
}

}  // namespace

TForm2::TForm2(QWidget* main_window)
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint), main_window_(main_window) {
  setObjectName(QStringLiteral("Form2"));
  setWindowTitle(Tr("転送"));
  setAttribute(Qt::WA_QuitOnClose, false);
  setFont(WindowFont(12));
  setFixedSize(368, 67);
  SetBackground(this, palette().color(QPalette::Button));

  Label1 = GreenLabel(this, "Label1", Tr("プログラム転送中"), {67, 8, 128, 16});
  // The title keeps fitting its words when the hiragana mode is switched.
  connect(&KanaModeNotifier(), &KanaModeSignal::Changed, this,
          [this] { Label1->resize(std::max(Label1->width(), Label1->sizeHint().width()), 16); });
  Label2 = GreenLabel<TStaticTextLabel>(this, "Label2", QStringLiteral("1"), {222, 8, 9, 16});
  Label2->setAlignment(Qt::AlignRight | Qt::AlignTop);
  Label3 = GreenLabel(this, "Label3", QStringLiteral("/ 16"), {240, 8, 33, 16});

  ProgressBar1 = new TCachedProgressBar(this);
  ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
  ProgressBar1->setGeometry(0, 32, 369, 33);
  ProgressBar1->setRange(0, 100);
  ProgressBar1->setValue(50);
  ProgressBar1->setTextVisible(false);
  // Its own background, the window's colour: the window then paints nothing
  // under it at each step, and its pictures are opaque.
  ProgressBar1->setAutoFillBackground(true);
  // No text is shown; an empty format spares formatting a percentage at
  // every paint.
  ProgressBar1->setFormat(QString());
  // The bar's positions are drawn once the windows are up and idle, so
  // that neither start-up nor the first transfer's steps pay for the style's
  // drawing.
  QTimer::singleShot(kPrepareAfterMs, this, [this] {
    QList<int> positions{ProgressBar1->value(), 0};
    for (int slot = 0; slot < kSlotCount; ++slot) positions.append(ProgressForStep(slot));
    ProgressBar1->Prepare(positions);
  });
  Form2 = this;
}

TForm2::~TForm2() {
  if (Form2 == this) Form2 = nullptr;
}

void TForm2::showEvent(QShowEvent* event) {
  FormShow();
  QWidget::showEvent(event);
}

void TForm2::FormShow() {
  if (main_window_) move(main_window_->pos() + QPoint(200, 270));
}

void TForm2::ShowProgress() {
  // Shown again when already visible, it is also placed again.
  if (isVisible()) FormShow();
  show();
  raise();
}

// The last step's bar and counter were only marked for painting (SetPosition
// defers it); they are painted now, so the window's last frame shows the
// step that went last ("16 / 16"), not the one before it.
void TForm2::CloseProgress() {
  if (isVisible()) repaint();
  close();
}

void TForm2::SetTitle(const QString& title) {
  // Sized to its text; the left edge stays.
  Label1->setText(title);
  Label1->resize(Label1->sizeHint().width(), 16);
}

// A progress bar repaints itself at once when its value changes; here the
// change is only marked, so that the bar and the counter are painted together
// in one pass when the transfer's wait next handles events.
void TForm2::SetPosition(int position) {
  ProgressBar1->setUpdatesEnabled(false);
  ProgressBar1->setValue(position);
  ProgressBar1->setUpdatesEnabled(true);  // marks the bar for the next paint
}

void TForm2::SetCounter(int counter) {
  const QString text = QString::number(counter);
  if (text == Label2->text()) return;
  Label2->setText(text);
  // The width of each count is measured once: laying the text out again at
  // every step cost more than painting it.
  auto known = counter_widths_.find(text);
  if (known == counter_widths_.end()) known = counter_widths_.insert(text, std::max(Label2->sizeHint().width(), 1));
  const int width = *known;
  Label2->setGeometry(kCounterRight - width, 8, width, 16);
}

int TForm2::ProgressForStep(int slot) { return StepProgressPosition(slot); }

}  // namespace vk47
