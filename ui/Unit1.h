#pragma once
// TForm1: the main window. It shows the palette of fifteen command icons, the
// sixteen step slots with their labels, the track bar that gives a step its
// parameter, the menus and the transfer/execute buttons, and holds the serial
// port component. Creating it runs the start-up (FormCreate); destroying it
// runs the shutdown (FormDestroy).
//
// Every command handler runs through RunCommand: its body's exceptions end in
// the application's error box, and while a timed operation holds the commands
// back (HoldCommands) the command is ignored. UI thread only.

#include <QMainWindow>
#include <QPixmap>
#include <QPoint>
#include <functional>
#include <memory>

#include "serial/rs232c.h"
#include "ui/DragController.h"
#include "ui/StepSlots.h"

class QAction;
class QMimeData;
class QGroupBox;
class QLabel;
class QMenu;
class QMenuBar;
class QPlainTextEdit;
class QPushButton;
class QSlider;

namespace vk47 {

class TImage;

class TForm1 : public QMainWindow {
  Q_OBJECT

 public:
  // `device_factory` makes rs232c's device at each open (tests pass a fake).
  explicit TForm1(CommDeviceFactory device_factory = MakePlatformCommDevice);
  ~TForm1() override;

  // --- Components, named as their object names ---------------------------
  QWidget* Client = nullptr;  // the 732 x 524 client area below the menu bar
  QGroupBox* GroupBox1 = nullptr;
  QGroupBox* GroupBox2 = nullptr;
  QGroupBox* GroupBox3 = nullptr;
  QGroupBox* GroupBox4 = nullptr;
  QGroupBox* GroupBox5 = nullptr;
  QGroupBox* GroupBox6 = nullptr;
  QGroupBox* GroupBox7 = nullptr;
  QGroupBox* GroupBox9 = nullptr;
  QSlider* TrackBar1 = nullptr;
  QPushButton* Button1 = nullptr;
  QPushButton* Button2 = nullptr;
  QPushButton* Button3 = nullptr;
  QPlainTextEdit* Memo1 = nullptr;  // transfer log, beyond the client area
  QLabel* Label13 = nullptr;
  QMenuBar* MainMenu1 = nullptr;
  QMenu* File1 = nullptr;
  QMenu* Edit1 = nullptr;
  QMenu* N4 = nullptr;
  QMenu* N7 = nullptr;
  QMenu* Help1 = nullptr;
  QAction* N1 = nullptr;
  QAction* Save1 = nullptr;
  QAction* Exit1 = nullptr;
  QAction* N2 = nullptr;
  QAction* N3 = nullptr;
  QAction* N5 = nullptr;
  QAction* N6 = nullptr;
  QAction* N8 = nullptr;
  QAction* N9 = nullptr;
  Trs232c rs232c;
  TDragController DragController1;  // picture and drag object of a palette drag

  // --- Fields ---------------------------------------------------------------
  QPoint PressPoint;                    // palette drag: where the button went down
  bool Pressed = false;                 // palette drag: button down on an icon
  std::unique_ptr<QPixmap> DragBitmap;  // created by start-up, freed by shutdown
  TStepSlots Slots;                     // codes, pictures' tags, DropLabels/AsciiLabels

  // The picture "Image" + n (palette 1..7 and 24..31, slots 8..23).
  TImage* Picture(int n) const;

  // --- Handlers -------------------------------------------------------------
  void FormCreate();
  void FormDestroy();
  void N1Click();      // load a program file
  void Save1Click();   // save the program file
  void Exit1Click();
  void N2Click();      // demo program
  void N3Click();      // clear
  void N5Click();      // transfer
  void N6Click();      // execute
  void N8Click();      // port settings dialog
  void N9Click();      // help page
  void Button1Click();
  void Button2Click();
  void Button3Click();
  void TrackBar1Change();
  void StepValueLabelClick(QLabel* label);
  void rs232cOpen();   // DTR then RTS on once the port is open
  void rs232cClose();  // DTR then RTS off as it closes

  // Palette drag-and-drop (Unit1_drag.cpp). The fifteen palette pictures
  // share the Image1 handlers, the sixteen slots the Image8 handlers; the
  // sender is the picture. Positions are in the picture's coordinates.
  void Image1MouseDown(QWidget* sender, Qt::MouseButton button, int x, int y);
  void Image1MouseMove(QWidget* sender, int x, int y);
  void Image1MouseUp(QWidget* sender, Qt::MouseButton button, int x, int y);
  TDragObj* Image1StartDrag(QWidget* sender);  // nullptr: the drag cannot start
  void Image1EndDrag(QWidget* sender);
  bool Image8DragOver(QWidget* sender, const QMimeData* source);  // accepts?
  void Image8DragDrop(QWidget* sender, const QMimeData* source);

  // The data of a palette drag: the command number text under this type.
  static constexpr char kCommandMimeType[] = "application/x-vk47-command";
  static QMimeData* NewCommandMimeData(const QString& number);

  // --- Command guard --------------------------------------------------------
  // Runs a command: ignored while commands are held back, otherwise run
  // through RunGuarded (an exception ends in the error box).
  void RunCommand(const std::function<void()>& body);
  bool CommandsHeldBack() const { return hold_count_ > 0; }

  // While a returned hold lives, menus, shortcuts, buttons, value-label clicks
  // (and drags, which check CommandsHeldBack) are ignored; windows still paint.
  class CommandHold {
   public:
    explicit CommandHold(TForm1& form) : form_(&form) { ++form_->hold_count_; }
    ~CommandHold() { if (form_) --form_->hold_count_; }
    CommandHold(CommandHold&& other) noexcept : form_(other.form_) { other.form_ = nullptr; }
    CommandHold(const CommandHold&) = delete;
    CommandHold& operator=(const CommandHold&) = delete;
    CommandHold& operator=(CommandHold&&) = delete;

   private:
    TForm1* form_;
  };
  [[nodiscard]] CommandHold HoldCommands() { return CommandHold(*this); }

 signals:
  // The window has closed; the program entry ends the message loop on it.
  void Closed();

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void CreateComponents();
  void CreateMenus();
  void ConnectHandlers();
  void MarkDragImageTargets();
  // Replaces the program by `codes` (a checked file or the demo), slot by
  // slot, calling `step_done` after each; see Unit1_program.cpp.
  void ApplyProgram(const ProgramCodes& codes, const std::function<void(int)>& step_done);
  void ConnectDragHandlers();
  void BeginPaletteDrag(QWidget* icon);

  int hold_count_ = 0;
  bool centred_ = false;
};

// The program's main window, set while it exists.
extern TForm1* Form1;

}  // namespace vk47
