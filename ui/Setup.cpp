#include "ui/Setup.h"

#include <QButtonGroup>
#include <algorithm>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

#include "settings/port_setting.h"
#include "ui/common/Catalogue.h"
#include "ui/common/Controls.h"
#include "ui/common/ErrorBox.h"

namespace vk47 {

TForm3* Form3 = nullptr;

TRadioGroup::TRadioGroup(const QString& caption, const QStringList& items, int columns,
                         QWidget* parent)
    : QGroupBox(caption, parent), buttons_(new QButtonGroup(this)), columns_(std::max(columns, 1)) {
  buttons_->setExclusive(true);
  for (int i = 0; i < items.size(); ++i) {
    auto* button = new QRadioButton(items[i], this);
    buttons_->addButton(button, i);
  }
}

void TRadioGroup::resizeEvent(QResizeEvent* event) {
  QGroupBox::resizeEvent(event);
  ArrangeButtons();
}

void TRadioGroup::ArrangeButtons() {
  // Items fill each column top to bottom; each gets an equal cell below the
  // caption line, as the classic radio group lays them out.
  const int count = Count();
  if (count == 0) return;
  const int per_column = (count + columns_ - 1) / columns_;
  const int text_height = fontMetrics().height();
  const int cell_width = (width() - 10) / columns_;
  const int free_height = height() - text_height - 5;
  const int cell_height = free_height / per_column;
  const int top_margin = text_height + 1 + (free_height % per_column) / 2;
  for (int i = 0; i < count; ++i) {
    buttons_->button(i)->setGeometry((i / per_column) * cell_width + 8,
                                     (i % per_column) * cell_height + top_margin, cell_width,
                                     cell_height);
  }
}

int TRadioGroup::Count() const { return static_cast<int>(buttons_->buttons().size()); }

int TRadioGroup::ItemIndex() const { return buttons_->checkedId(); }

void TRadioGroup::SetItemIndex(int index) {
  index = std::clamp(index, -1, Count() - 1);
  if (index >= 0) {
    buttons_->button(index)->setChecked(true);
    return;
  }
  // An exclusive group refuses to uncheck its last checked button.
  buttons_->setExclusive(false);
  for (QAbstractButton* button : buttons_->buttons()) button->setChecked(false);
  buttons_->setExclusive(true);
}

TForm3::TForm3(QWidget* main_window) : QDialog(nullptr), main_window_(main_window) {
  // No parent object: the main window finds its controls by name among its
  // descendants, and the dialog's Label1 or Button1 must not be among them.
  setWindowModality(Qt::ApplicationModal);
  setObjectName(QStringLiteral("Form3"));
  setWindowTitle(Tr("RS-232Cポートの設定"));
  setAttribute(Qt::WA_QuitOnClose, false);
  setFont(WindowFont(12));
  setSizeGripEnabled(false);
  // Client area of a 339 x 254 frame with a sizing border and a caption.
  resize(331, 227);
  SetBackground(this, palette().color(QPalette::Button));

  Label1 = new QLabel(Tr("インタフェースを接続したRS-232Cポートを設定して下さい。"), this);
  Label1->setObjectName(QStringLiteral("Label1"));
  Label1->setGeometry(16, 8, 297, 12);

  RadioGroup1 = new TRadioGroup(Tr("RS-232Cポートの設定"),
                                {"COM1", "COM2", "COM3", "COM4"}, 2, this);
  RadioGroup1->setObjectName(QStringLiteral("RadioGroup1"));
  RadioGroup1->setGeometry(8, 32, 313, 113);
  RadioGroup1->ArrangeButtons();
  RadioGroup1->SetItemIndex(0);

  Label2 = new QLabel(Tr("設定変更後はソフトを再起動して下さい。"), this);
  Label2->setObjectName(QStringLiteral("Label2"));
  Label2->setGeometry(64, 160, 206, 12);

  Button1 = new QPushButton(QStringLiteral("OK"), this);
  Button1->setObjectName(QStringLiteral("Button1"));
  Button1->setGeometry(72, 184, 75, 25);
  Button2 = new QPushButton(Tr("キャンセル"), this);
  Button2->setObjectName(QStringLiteral("Button2"));
  Button2->setGeometry(176, 184, 75, 25);
  for (QPushButton* button : {Button1, Button2}) {
    button->setAutoDefault(false);
    button->setDefault(false);
  }
  setTabOrder(RadioGroup1, Button1);
  setTabOrder(Button1, Button2);

  connect(Button1, &QPushButton::clicked, this, [this] { RunGuarded(this, [this] { Button1Click(); }); });
  connect(Button2, &QPushButton::clicked, this, [this] { RunGuarded(this, [this] { Button2Click(); }); });
  Form3 = this;
}

TForm3::~TForm3() {
  if (Form3 == this) Form3 = nullptr;
}

void TForm3::showEvent(QShowEvent* event) {
  RunGuarded(this, [this] { FormShow(); });
  QDialog::showEvent(event);
}

void TForm3::FormShow() {
  if (main_window_) move(main_window_->pos() + QPoint(200, 160));
  // A stored index past COM4 opens COM1 at start-up: that is the port shown,
  // so that OK cannot quietly switch to COM4. A negative one shows no choice
  // (OK then keeps it at -1, which start-up also takes as COM1).
  const std::int32_t stored = ReadPortIndex(SettingsFilePath());
  RadioGroup1->SetItemIndex(stored >= RadioGroup1->Count() ? 0 : stored);
}

void TForm3::Button1Click() {
  // A failed write throws "<path> に書き込めません"; the dialog then stays open.
  WritePortIndex(SettingsFilePath(), RadioGroup1->ItemIndex());
  accept();
}

void TForm3::Button2Click() { reject(); }

void TForm3::keyPressEvent(QKeyEvent* event) {
  // Neither button is the default or the cancel button.
  switch (event->key()) {
    case Qt::Key_Escape:
    case Qt::Key_Return:
    case Qt::Key_Enter:
      event->ignore();
      return;
    default:
      QDialog::keyPressEvent(event);
  }
}

}  // namespace vk47
