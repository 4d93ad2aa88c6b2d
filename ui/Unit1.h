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
//
// The window is thin: parts that own their state do the work, and the
// handlers named after the designer's components forward to them. The
// program as a document (undo, the file, unsaved changes, the caption) is a
// ProgramDocument, its files and sheet a TProgramFiles, the palette drag a
// TPaletteDrag, the slots and their editing TStepSlots and TSlotEditor, the
// status bar a TWindowStatus, the robot commands' work a LinkRunner.
// ui/README.md has the key to those names and says which file holds which
// part of the window.

#include <QMainWindow>
#include <functional>
#include <memory>
#include <optional>

#include "serial/port_resolver.h"
#include "serial/rs232c.h"
#include "ui/DragController.h"
#include "ui/editor/ProgramDocument.h"
#include "ui/editor/PaletteDrag.h"
#include "ui/editor/ProgramFiles.h"
#include "ui/editor/ProgramSheet.h"
#include "ui/editor/StepSlots.h"

class QAction;
class QGroupBox;
class QLabel;
class QMenu;
class QMenuBar;
class QPlainTextEdit;
class QPushButton;
class QSlider;

namespace vk47 {

class LinkRunner;
struct LinkReport;
class TImage;
class TClassSendDialog;
class TLogWhenSeen;
class TSlotEditor;
class TWindowStatus;

class TForm1 : public QMainWindow {
  Q_OBJECT

 public:
  // `device_factory` makes rs232c's device at each open (tests pass a fake).
  explicit TForm1(CommDeviceFactory device_factory = MakePlatformCommDevice);
  ~TForm1() override;

  // --- Components, named as their object names ---------------------------
  // The window's designed controls, which the other windows and the tests
  // reach by these names. The controls added since (the client area, the
  // status bar and its fields, the menu items Sim1, Class1, Print1, Pdf1,
  // Kana1, Undo1, Redo1) are found by their object names with findChild.
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

  // --- Parts ------------------------------------------------------------------
  // The step slots: codes, pictures' tags, the value and code labels.
  TStepSlots& StepSlots() { return slots_; }
  const TStepSlots& StepSlots() const { return slots_; }
  // The slots edited in place and by keyboard (editor/SlotEditor.h).
  TSlotEditor& SlotEditor() { return *slot_editor_; }
  // Memo1's lines, kept while it is hidden (common/LogWhenSeen.h).
  TLogWhenSeen& MemoLog() { return *memo_log_; }

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
  void Sim1Click();    // the simulator window (sim/SimWindow.h)
  void Print1Click();  // print the program sheet (editor/ProgramSheet.h)
  void Pdf1Click();    // the program sheet as a PDF file
  void Class1Click();  // one program to the class (robot/ClassSendDialog.h)
  void N8Click();      // port settings dialog
  void Kana1Click();   // switches the hiragana mode and stores it in set.ini
  void N9Click();      // help page
  void Undo1Click();
  void Redo1Click();
  void Button1Click();
  void Button2Click();
  void Button3Click();
  void TrackBar1Change();
  void StepValueLabelClick(QLabel* label);
  void rs232cOpen();   // DTR then RTS on once the port is open
  void rs232cClose();  // DTR then RTS off as it closes

  // The palette drag-and-drop: its state (PressPoint, Pressed, DragBitmap)
  // and the Image1... and Image8... handlers (editor/PaletteDrag.h).
  TPaletteDrag& PaletteDrag() { return *palette_drag_; }

  // --- Program state (editor/ProgramFiles.h, Unit1_edit.cpp) ------------------
  // The program as a document: undo stack, file, unsaved changes, caption.
  ProgramDocument& Document() { return *document_; }
  bool Modified() const { return document_->Modified(); }
  // Saves the program through the save dialog; true once the file is written,
  // false when the dialog was cancelled. Throws when the file cannot be written.
  bool SaveProgram();
  // Shows `codes` in the slots: every icon is checked first, so a missing one
  // throws FileOpenError with no slot changed.
  void RestoreProgram(const ProgramCodes& codes);
  // Whether closing may go on: asks about unsaved changes (see closeEvent).
  bool ConfirmClose();

  // --- Status bar and caption (editor/WindowStatus.h) --------------------------
  // Updates title and status bar after a change of the program or its file.
  void UpdateProgramState();
  // Shows the outcome of a command in the status bar, with the time of day,
  // cut with "…" where it would reach the file and port fields (the whole
  // text in its tool tip).
  void ShowOutcome(const QString& text);
  // Refreshes the port part of the status bar (also every two seconds).
  void UpdatePortStatus();
  // The port part of the status bar for a device already chosen: what a
  // robot command is about to open.
  void ShowPortStatus(const ResolvedPort& resolved);
  // The program sheet of the program on the slots, named after its file.
  SheetContent CurrentSheet() const;
  // The class dialog once 制御 > クラスに転送… has opened it.
  TClassSendDialog* ClassDialog() const { return class_dialog_; }

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
  void CreateComponents();  // the layout (MainLayout.h), then the status bar
  void ConnectHandlers();
  void ConnectEditHandlers();
  void ConnectLinkHandlers();
  // Unit1_slots.cpp: the menu shortcuts' guard and the window's sizing with
  // its diagnostic controls, the slot editor, the tab order and the
  // accessible names, connected in that order.
  void ConnectSizing();
  void ConnectSlotEditing();
  void SetTabOrder();
  void NameControls();
  // Places command `number` in `slot` as one undoable change: what a palette
  // drop and a command chosen from the keyboard both do.
  void PlaceCommand(int slot, const QString& number);
  void MarkDragImageTargets();
  void PrepareToShow();
  // Shows a robot command's report in the status bar; throws its message for
  // the error box when the command failed. When the window was asked to close
  // during the command, shows the error box itself and closes the window.
  void ShowLinkReport(const LinkReport& report);
  // Runs 転送 or 実行 on the device chosen once for it and named in the
  // status bar first (Unit1_link.cpp).
  LinkReport RunLinkCommand(const std::function<LinkReport(const ResolvedPort& chosen)>& command);
  // Asked to close while a robot command runs (here or in the class dialog):
  // stops it, and closes once it has ended and said how far it came. True
  // when the close must wait for that.
  bool DeferCloseForLink();
  // Shows every text built from values again after the hiragana mode changed:
  // icons, value labels, caption, status bar.
  void RefreshForKanaMode();

  // Built by BuildMainLayout and BuildMainMenus (MainLayout.h).
  friend void BuildMainLayout(TForm1& form);
  friend void BuildMainMenus(TForm1& form);
  QWidget* Client = nullptr;  // the 732 x 524 client area below the menu bar
  QAction* Sim1 = nullptr;    // 制御 > シミュレーション, after N6
  QAction* Class1 = nullptr;  // 制御 > クラスに転送…, last
  QAction* Print1 = nullptr;  // ファイル > 印刷…, after Exit1
  QAction* Pdf1 = nullptr;    // ファイル > PDF に書き出す…, last
  QAction* Kana1 = nullptr;   // 設定 > ひらがな (checkable), after N8
  QAction* Undo1 = nullptr;   // Edit > 元に戻す, after N2 and N3
  QAction* Redo1 = nullptr;   // Edit > やり直し

  TStepSlots slots_;
  TSlotEditor* slot_editor_ = nullptr;
  TLogWhenSeen* memo_log_ = nullptr;
  TWindowStatus* status_ = nullptr;  // StatusBar1 with FileStatus and PortStatus
  std::unique_ptr<ProgramDocument> document_;
  std::unique_ptr<TProgramFiles> files_;  // load, save, demo, the sheet
  TPaletteDrag* palette_drag_ = nullptr;
  std::unique_ptr<LinkRunner> link_;
  int hold_count_ = 0;
  std::optional<CommandHold> class_hold_;  // while the class dialog sends
  TClassSendDialog* class_dialog_ = nullptr;
  bool centred_ = false;
  std::uint32_t port_closed_at_ = 0;  // start-up's close of the port, on TickCount
  bool link_running_ = false;     // 転送 or 実行 is under way
  bool stop_link_ = false;        // ...and is to stop after its current byte
  bool close_after_link_ = false; // the window closes once the command has ended
};

// The program's main window, set while it exists.
extern TForm1* Form1;

}  // namespace vk47
