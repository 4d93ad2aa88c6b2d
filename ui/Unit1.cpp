// TForm1's frame: construction and destruction, the wiring of every handler,
// start-up and shutdown, the command guard, and the small menu commands
// (clear, port dialog, help, simulator, the diagnostic button).

#include "ui/Unit1.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLayout>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QSlider>
#include <QUrl>

#include "model/command_set.h"
#include "settings/editor_setting.h"
#include "settings/port_setting.h"
#include "ui/common/AppFolder.h"
#include "ui/common/Catalogue.h"
#include "ui/editor/AccessibleNames.h"
#include "ui/common/Controls.h"
#include "ui/common/ErrorBox.h"
#include "ui/MainLayout.h"
#include "ui/MyConst.h"
#include "ui/Setup.h"
#include "ui/editor/TImage.h"
#include "ui/editor/WindowStatus.h"
#include "ui/common/StartupTrace.h"
#include "ui/common/WaitWithMessages.h"
#include "ui/robot/ClassSendDialog.h"
#include "ui/robot/LinkRunner.h"
#include "ui/sim/SimWindow.h"

namespace vk47 {

TForm1* Form1 = nullptr;

TForm1::TForm1(CommDeviceFactory device_factory)
    : rs232c(std::move(device_factory)), slots_(this, [this] { return TrackBar1 ? TrackBar1->value() : 0; }) {
  Form1 = this;
  rs232c.OnOpen = [this](void*) { rs232cOpen(); };
  rs232c.OnClose = [this](void*) { rs232cClose(); };
  MarkStartup("form1 begins");
  // Start-up's close of the port (which finds it closed) comes first, and
  // the 400 ms before the port opens count from it: the controls are built
  // and the pictures loaded within that pause instead of before it.
  rs232c.close();
  port_closed_at_ = TickCount();
  CreateComponents();
  MarkStartup("components");
  ConnectHandlers();
  FormCreate();
  UpdatePortStatus();
  MarkStartup("port status");
}

TForm1::~TForm1() {
  // The document goes first: its stack's clean-up must not reach a window
  // being destroyed.
  document_.reset();
  // A class send in progress stops after its current byte; the dialog goes
  // before the window it would report to.
  delete class_dialog_;
  class_dialog_ = nullptr;
  FormDestroy();
  if (Form1 == this) Form1 = nullptr;
}

TImage* TForm1::Picture(int n) const {
  return qobject_cast<TImage*>(FindControl(this, QStringLiteral("image"), n));
}

void TForm1::ConnectHandlers() {
  const std::pair<QAction*, void (TForm1::*)()> actions[] = {
      {N1, &TForm1::N1Click}, {Save1, &TForm1::Save1Click},
      {N2, &TForm1::N2Click}, {N3, &TForm1::N3Click},       {N5, &TForm1::N5Click},
      {N6, &TForm1::N6Click}, {N8, &TForm1::N8Click},       {N9, &TForm1::N9Click},
      {Kana1, &TForm1::Kana1Click},
      {Sim1, &TForm1::Sim1Click}, {Print1, &TForm1::Print1Click}, {Pdf1, &TForm1::Pdf1Click},
      {Class1, &TForm1::Class1Click},
  };
  for (const auto& [action, handler] : actions) {
    connect(action, &QAction::triggered, this, [this, handler = handler] { RunCommand([&] { (this->*handler)(); }); });
  }
  // 終了 is never held back: during a transfer it ends the transfer and then
  // closes (closeEvent), so a stalled device cannot keep the window.
  connect(Exit1, &QAction::triggered, this, [this] { RunGuarded(this, [this] { Exit1Click(); }); });
  const std::pair<QPushButton*, void (TForm1::*)()> buttons[] = {
      {Button1, &TForm1::Button1Click}, {Button2, &TForm1::Button2Click}, {Button3, &TForm1::Button3Click}};
  for (const auto& [button, handler] : buttons) {
    connect(button, &QPushButton::clicked, this, [this, handler = handler] { RunCommand([&] { (this->*handler)(); }); });
  }
  connect(TrackBar1, &QSlider::valueChanged, this, [this] { RunGuarded(this, [this] { TrackBar1Change(); }); });
  slots_.OnValueLabelClick = [this](QLabel* label) { RunCommand([&] { StepValueLabelClick(label); }); };
  PaletteDragHooks drag_hooks;
  drag_hooks.held_back = [this] { return CommandsHeldBack(); };
  drag_hooks.place_command = [this](int slot, const QString& number) { PlaceCommand(slot, number); };
  palette_drag_ = new TPaletteDrag(*this, DragController1, std::move(drag_hooks));
  ConnectEditHandlers();
  ConnectLinkHandlers();
  ConnectSizing();
  ConnectSlotEditing();
  SetTabOrder();
  NameControls();
}

void TForm1::CreateComponents() {
  BuildMainLayout(*this);
  BuildMainMenus(*this);
  status_ = new TWindowStatus(*this, rs232c, [this] { return CommandsHeldBack(); });
}

void TForm1::UpdateProgramState() {
  if (!document_) return;
  setWindowTitle(document_->Caption());
  status_->ShowFile(document_->FileLabel(), document_->FileName());
}

void TForm1::ShowOutcome(const QString& text) { status_->ShowOutcome(text); }
void TForm1::UpdatePortStatus() { status_->UpdatePort(); }
void TForm1::ShowPortStatus(const ResolvedPort& resolved) { status_->ShowPort(resolved); }

void TForm1::RunCommand(const std::function<void()>& body) {
  if (CommandsHeldBack()) return;
  RunGuarded(this, body);
}

// Start-up. Any failure shows the warning box and ends the sequence; the
// window then runs on as far as it got.
void TForm1::FormCreate() {
  try {
    // The palette's icons and the empty-slot picture of every step slot.
    for (int n = 1; n <= 31; ++n) {
      const QString file = (n >= 8 && n <= 23) ? QStringLiteral("4.bmp") : QStringLiteral("%1.bmp").arg(n);
      if (TImage* image = Picture(n)) image->LoadFromFile(IconPath(file));
    }
    MarkStartup("icons");
    // Where the drag picture stays visible during a palette drag.
    MarkDragImageTargets();
    // The picture of a dragged icon, set when a drag starts.
    palette_drag_->DragBitmap = std::make_unique<QPixmap>();
    // The serial port, on the port that the settings name. It was closed
    // when the window's construction began and stays closed at least 400 ms;
    // the pause is spent readying the window to be shown.
    if (const auto name = PortNameForIndex(ReadPortIndex(SettingsFilePath()))) rs232c.portname = *name;
    MarkStartup("pause begins");
    PrepareToShow();
    MarkStartup("prepared");
    WaitWithMessagesSince(port_closed_at_, 400);
    MarkStartup("pause ends");
    rs232c.open();
    MarkStartup("port open");
    // No slot has labels yet.
    slots_.ResetLabelArrays();
  } catch (...) {
    ShowFailureWarning(this);
  }
}

// Polishes and lays out every control, creates the native window and paints
// it once off screen, so that fonts, glyphs and pictures are ready and the
// first show only maps the window and paints from warm caches.
void TForm1::PrepareToShow() {
  ensurePolished();
  if (layout()) layout()->activate();
  winId();
  (void)grab();
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
  // The track bar and its scale labels hide it. Marked false rather than left
  // unmarked: a widget without the mark takes its parent's (see
  // ShowsDragImage), and their group box shows the image.
  for (QWidget* child : GroupBox9->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
    child->setProperty("displayDragImage", false);
  }
}

void TForm1::FormDestroy() {
  palette_drag_->DragBitmap.reset();
  rs232c.close();
  slots_.FreeStepLabels();
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

void TForm1::Exit1Click() { close(); }

// Ctrl+C is クリア here, so a pupil who pressed it to copy is told how to
// get the program back.
void TForm1::N3Click() {
  document_->RecordChange(Tr("クリア"), [this] { slots_.Clear(); });
  ShowOutcome(Tr("クリアしました。Ctrl+Z で元に戻せます"));
}

// The program-file commands are TProgramFiles' (editor/ProgramFiles.h); a
// load and the demo hold the other commands back while the slots fill.
void TForm1::N1Click() {
  const CommandHold hold = HoldCommands();
  files_->Load();
}

void TForm1::N2Click() {
  const CommandHold hold = HoldCommands();
  files_->PlaceDemo();
}

void TForm1::Save1Click() { SaveProgram(); }
bool TForm1::SaveProgram() { return files_->Save(); }
void TForm1::RestoreProgram(const ProgramCodes& codes) { files_->Restore(codes); }
SheetContent TForm1::CurrentSheet() const { return files_->CurrentSheet(); }
void TForm1::Print1Click() { files_->Print(); }
void TForm1::Pdf1Click() { files_->ExportPdf(); }

// Places command `number` in `slot`: what a palette drop and a command
// chosen from the keyboard both do.
void TForm1::PlaceCommand(int slot, const QString& number) {
  try {
    if (slot < 0 || slot >= kSlotCount || !FindCommand(number.toStdString())) return;
    document_->RecordChange(Tr("ステップ %1 に置く").arg(slot), [&] { slots_.PlaceCommand(slot, number); });
    ShowOutcome(Tr("ステップ %1 に %2 を置きました").arg(slot).arg(CommandName(number)));
  } catch (...) {
    ShowFailureWarning(this);
  }
}

void TForm1::N8Click() {
  if (Form3) Form3->exec();
}

// A page that is missing or that no viewer can show is reported with its
// path, so a teacher knows what to open by hand.
void TForm1::N9Click() {
  const QString page = ApplicationFolder() + QStringLiteral("Help/index.html");
  if (QFileInfo::exists(page) && QDesktopServices::openUrl(QUrl::fromLocalFile(page))) return;
  ShowMessageBox(this, {QMessageBox::Information, ApplicationTitle(),
                        Tr("ヘルプのページを開けませんでした。先生に知らせてください。"),
                        Tr("ブラウザで次のファイルを開いてください: %1").arg(QDir::toNativeSeparators(page))});
}

void TForm1::Sim1Click() { TSimWindow::Open(this, slots_, document_->UndoStack()); }

// The choice takes effect at once and is kept for the next start. A
// catalogue that cannot be loaded leaves the mode as it was.
void TForm1::Kana1Click() {
  const bool on = Kana1->isChecked();
  if (!SetKanaMode(on)) {
    Kana1->setChecked(KanaMode());
    const QString catalogue = ApplicationFolder() + QStringLiteral("translations/vk47_kana.qm");
    throw NoticeError({{{VK47_TEXT("ひらがなの言葉のファイルが読めません。先生に知らせてください。"), {}}},
                       {},
                       {{VK47_TEXT("ファイル: %1"), {QDir::toNativeSeparators(catalogue).toStdString()}}}});
  }
  RefreshForKanaMode();
  ShowOutcome(on ? Tr("ひらがなで表示します") : Tr("漢字を使って表示します"));
  WriteKanaMode(SettingsFilePath(), on);
}

void TForm1::RefreshForKanaMode() {
  if (Kana1) Kana1->setChecked(KanaMode());
  // The palette and the slots draw their icons' captions in the mode's words.
  for (int n = 1; n <= 31; ++n) {
    if (n >= 8 && n <= 23) continue;
    if (TImage* image = Picture(n); image && image->HasPicture()) {
      image->LoadFromFile(IconPath(QStringLiteral("%1.bmp").arg(n)));
    }
  }
  // The slider's scale labels take the width of their new words.
  for (QLabel* label : GroupBox9->findChildren<QLabel*>(Qt::FindDirectChildrenOnly)) label->adjustSize();
  RestoreProgram(slots_.Program().Codes());
  UpdateProgramState();
  UpdatePortStatus();
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

void TForm1::StepValueLabelClick(QLabel* label) {
  const int slot = label->property("tag").toInt();
  const int before = slots_.Code(slot);
  document_->RecordChange(Tr("値の変更"), [&] { slots_.StepValueLabelClick(label); });
  if (slots_.Code(slot) == before) return;
  ShowOutcome(Tr("ステップ %1 の値を %2 にしました").arg(slot).arg(StepValueCaption(slots_.Code(slot))));
}

}  // namespace vk47
