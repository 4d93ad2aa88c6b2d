#pragma once
// The program sheet: one A4 portrait page for a pupil's folder or the class
// wall. At the top the program's file name (or 無題) and the date, with lines
// for the pupil's name and class; then the sixteen steps as a 4 x 4 grid in
// the window's order (down the columns), each with its step number, its
// command's icon and the step in words ("前進 1秒", "回数 3", "飛ぶ → 5");
// under them the path the simulator drives with no switch press, on a
// centimetre grid at life size when it fits (else a stated scale), with the
// start and the end marked. Every text is drawn as text, so a PDF of the
// sheet can be searched and read aloud.
//
// The same painting serves the printer (the window's 印刷…), the PDF export
// (PDF に書き出す…) and `vk47 --sheet`, which needs no display. Icons come
// from the application folder's Img/; a missing icon leaves a framed gap
// with the command number rather than no sheet. UI thread (or the one
// thread of the command line).

#include <QCoreApplication>
#include <QDate>
#include <QString>

#include "model/step_program.h"
#include "sim/sheet.h"
#include "text/words.h"

class QPainter;
class QPagedPaintDevice;

namespace vk47 {

struct SheetContent {
  QString file_name;  // the program file; only its name is shown, 無題 when empty
  QDate date;
  ProgramCodes codes = EmptyProgram();
};

class ProgramSheet {
  Q_DECLARE_TR_FUNCTIONS(ProgramSheet)

 public:
  explicit ProgramSheet(SheetContent content) : content_(std::move(content)) {}

  // Paints the page on `painter`, whose origin is the page's top-left corner,
  // at `dots_per_mm` device units per millimetre.
  void Paint(QPainter& painter, double dots_per_mm) const;

  // Sets `device` to one A4 portrait page without margins and paints the
  // sheet on it; false when painting could not begin.
  bool PaintOn(QPagedPaintDevice& device) const;

  // Writes the sheet as a one-page PDF, replacing the file only once it is
  // complete. Returns what to tell the user when it cannot (naming the
  // file); empty on success.
  Notice WritePdf(const QString& path) const;

  // The sheet's title: the file's name without its folder, or 無題.
  QString Title() const;

 private:
  // What the sheet says and where its floor lies (sim/sheet.h).
  PrintedSheet Shared() const;

  SheetContent content_;
};

// What to tell the user when the printer would not take the sheet.
Notice PrintFailure();

}  // namespace vk47
