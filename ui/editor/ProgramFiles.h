#pragma once
// TProgramFiles: the main window's program-file commands. Saving asks for a
// name and writes the program; loading reads a file, the demo takes the
// built-in program, and either replaces the program on the slots only once
// every line has been read and checked and every icon it needs can be read,
// so until then no slot, picture or label changes. The program sheet goes to
// paper or to a PDF file. Each command is one undoable change of the
// document, with its outcome in the status line; a failure throws a
// NoticeError for the window's error box. UI thread only.

#include <QString>
#include <functional>

#include "model/step_program.h"
#include "ui/editor/ProgramSheet.h"

class QPrinter;
class QWidget;

namespace vk47 {

class ProgramDocument;
class TStepSlots;

class TProgramFiles {
 public:
  // Dialogs and boxes open over `window`; `show_outcome` puts a text in the
  // status line.
  TProgramFiles(QWidget& window, ProgramDocument& document, TStepSlots& steps,
                std::function<void(const QString&)> show_outcome);

  // Asks for a name (starting at the program's file) and saves there; true
  // once written, false when the dialog was cancelled.
  bool Save();
  // Asks for a file and loads it, with the progress window.
  void Load();
  // Puts the demo program on the slots, with the progress window.
  void PlaceDemo();
  // Shows `codes` on the slots at once (undo, redo, a change of mode).
  void Restore(const ProgramCodes& codes);
  // The sheet through the print dialog, or as a PDF file the pupil names.
  void Print();
  void ExportPdf();
  // The program sheet of the program on the slots, named after its file.
  SheetContent CurrentSheet() const;

 private:
  // Replaces the program by `codes`, slot by slot, calling `step_done` after
  // each; an unreadable icon throws before any slot changes.
  void Apply(const ProgramCodes& codes, const std::function<void(int)>& step_done);

  QWidget& window_;
  ProgramDocument& document_;
  TStepSlots& slots_;
  std::function<void(const QString&)> show_outcome_;
};

// Answers the print dialog instead of showing it (true: print); an empty
// function restores the real dialog.
using PrintDialogFunction = std::function<bool(QWidget* parent, QPrinter& printer)>;
void SetPrintDialogFunction(PrintDialogFunction function);

// Throws FileOpenError for the first icon of `codes` that cannot be read.
void CheckProgramIcons(const ProgramCodes& codes);

}  // namespace vk47
