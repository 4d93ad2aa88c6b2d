#include "ui/Unit1.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QGroupBox>
#include <QLabel>
#include <QLayout>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QSlider>
#include <QUrl>

#include "settings/port_setting.h"
#include "ui/AppFolder.h"
#include "ui/Controls.h"
#include "ui/ErrorBox.h"
#include "ui/MyConst.h"
#include "ui/Setup.h"
#include "ui/TImage.h"
#include "ui/WaitWithMessages.h"

namespace vk47 {

TForm1* Form1 = nullptr;

TForm1::TForm1(CommDeviceFactory device_factory)
    : rs232c(std::move(device_factory)), Slots(this, [this] { return TrackBar1 ? TrackBar1->value() : 0; }) {
  Form1 = this;
  rs232c.OnOpen = [this](void*) { rs232cOpen(); };
  rs232c.OnClose = [this](void*) { rs232cClose(); };
  CreateComponents();
  ConnectHandlers();
  FormCreate();
}

TForm1::~TForm1() {
  FormDestroy();
  if (Form1 == this) Form1 = nullptr;
}

TImage* TForm1::Picture(int n) const {
  return qobject_cast<TImage*>(FindControl(this, QStringLiteral("image"), n));
}

void TForm1::ConnectHandlers() {
  const std::pair<QAction*, void (TForm1::*)()> actions[] = {
      {N1, &TForm1::N1Click}, {Save1, &TForm1::Save1Click}, {Exit1, &TForm1::Exit1Click},
      {N2, &TForm1::N2Click}, {N3, &TForm1::N3Click},       {N5, &TForm1::N5Click},
      {N6, &TForm1::N6Click}, {N8, &TForm1::N8Click},       {N9, &TForm1::N9Click},
  };
  for (const auto& [action, handler] : actions) {
    connect(action, &QAction::triggered, this, [this, handler = handler] { RunCommand([&] { (this->*handler)(); }); });
  }
  const std::pair<QPushButton*, void (TForm1::*)()> buttons[] = {
      {Button1, &TForm1::Button1Click}, {Button2, &TForm1::Button2Click}, {Button3, &TForm1::Button3Click}};
  for (const auto& [button, handler] : buttons) {
    connect(button, &QPushButton::clicked, this, [this, handler = handler] { RunCommand([&] { (this->*handler)(); }); });
  }
  connect(TrackBar1, &QSlider::valueChanged, this, [this] { RunGuarded(this, [this] { TrackBar1Change(); }); });
  Slots.OnValueLabelClick = [this](QLabel* label) { RunCommand([&] { StepValueLabelClick(label); }); };
  ConnectDragHandlers();
}

void TForm1::RunCommand(const std::function<void()>& body) {
  if (CommandsHeldBack()) return;
  RunGuarded(this, body);
}

// Start-up. Any failure shows the warning box and ends the sequence; the
// window then runs on as far as it got.
void TForm1::FormCreate() {
  try {
    // 1. Palette icons and the empty-slot picture of every step slot.
    for (int n = 1; n <= 31; ++n) {
      const QString file = (n >= 8 && n <= 23) ? QStringLiteral("4.bmp") : QStringLiteral("%1.bmp").arg(n);
      if (TImage* image = Picture(n)) image->LoadFromFile(IconPath(file));
    }
    // 2. Where the drag image stays visible during a palette drag.
    MarkDragImageTargets();
    // 3. The picture of a dragged icon.
    DragBitmap = std::make_unique<QPixmap>();
    // 4. Double buffering: Qt paints every widget double-buffered already.
    // 5.-8. The serial port, on the port that the settings name.
    rs232c.close();
    if (const auto name = PortNameForIndex(ReadPortIndex(SettingsFilePath()))) rs232c.portname = *name;
    WaitWithMessages(400);
    rs232c.open();
    // 9. No slot has labels yet.
    Slots.ResetLabelArrays();
  } catch (...) {
    ShowFailureWarning(this);
  }
}

void TForm1::MarkDragImageTargets() {
  setProperty("displayDragImage", true);
  for (QWidget* child : Client->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
    child->setProperty("displayDragImage", true);
  }
  for (QGroupBox* box : {GroupBox1, GroupBox2, GroupBox3, GroupBox4, GroupBox5, GroupBox6, GroupBox7}) {
    for (QWidget* child : box->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
      child->setProperty("displayDragImage", true);
    }
  }
}

void TForm1::FormDestroy() {
  DragBitmap.reset();
  rs232c.close();
  Slots.FreeStepLabels();
}

void TForm1::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  if (centred_) return;
  centred_ = true;
  if (QScreen* screen = this->screen()) {
    QRect frame = frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    move(frame.topLeft());
  }
}

void TForm1::closeEvent(QCloseEvent* event) {
  QMainWindow::closeEvent(event);
  if (event->isAccepted()) emit Closed();
}

void TForm1::Exit1Click() { close(); }

void TForm1::N3Click() { Slots.Clear(); }

void TForm1::N8Click() {
  if (Form3) Form3->exec();
}

void TForm1::N9Click() {
  QDesktopServices::openUrl(QUrl::fromLocalFile(ApplicationFolder() + QStringLiteral("Help/index.html")));
}

void TForm1::Button3Click() {
  const auto con = std::make_unique<TMyCon>();
  Label13->setText(con->NumberToText(1));
  Label13->adjustSize();
}

void TForm1::TrackBar1Change() {
  // The track bar may move while another of the program's windows is active
  // (the progress window); the main window takes the focus back.
  QWidget* active = QApplication::activeWindow();
  if (active && active != this) activateWindow();
}

void TForm1::StepValueLabelClick(QLabel* label) { Slots.StepValueLabelClick(label); }

}  // namespace vk47
