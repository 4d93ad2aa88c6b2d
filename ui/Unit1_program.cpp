// TForm1's program-file commands: save (Save1Click), load (N1Click), the
// demo program (N2Click), and the program sheet on paper (Print1Click) or as
// a PDF (Pdf1Click). A load or the demo replaces the program only once
// every line has been read and checked and every icon it needs can be read;
// until then no slot, picture or label changes.

#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QPageLayout>
#include <QPageSize>
#include <QPrintDialog>
#include <QPrinter>
#include <QString>
#include <stdexcept>

#include "model/command_set.h"
#include "model/demo_program.h"
#include "model/program_file.h"
#include "ui/common/AppFolder.h"
#include "ui/common/Catalogue.h"
#include "ui/common/FileDialogs.h"
#include "ui/editor/ProgramSheet.h"
#include "ui/editor/TImage.h"
#include "ui/Unit1.h"
#include "ui/common/WaitWithMessages.h"
#include "ui/progresbar.h"

namespace vk47 {
namespace {

PrintDialogFunction& PrintFunction() {
  static PrintDialogFunction function;
  return function;
}

// Shows the progress window for a load and closes it however the load ends.
class LoadProgress {
 public:
  LoadProgress() {
    if (!Form2) return;
    Form2->ShowProgress();
    Form2->SetPosition(0);
    Form2->SetTitle(Tr("読み込み中"));
  }
  ~LoadProgress() {
    if (Form2) Form2->CloseProgress();
  }
  LoadProgress(const LoadProgress&) = delete;
  LoadProgress& operator=(const LoadProgress&) = delete;
  void Step(int slot) {
    if (!Form2) return;
    Form2->SetPosition(TForm2::ProgressForStep(slot));
    Form2->SetCounter(slot + 1);
  }
};

QString IconFileOf(int code) { return QString::fromStdString(StepIconFile(code).value_or("")); }

}  // namespace

// Every icon that the program will show must be readable before any slot
// changes, so a missing icon cannot leave a half-loaded program.
void CheckProgramIcons(const ProgramCodes& codes) {
  for (int code : codes) {
    const QString path = IconPath(IconFileOf(code));
    if (!QImageReader(path).canRead()) throw FileOpenError(path);
  }
}

void TForm1::Save1Click() { SaveProgram(); }

// 保存 always asks for the name, starting at the program's file when it
// has one, so that Enter saves it again where it was.
bool TForm1::SaveProgram() {
  const ProgramCodes codes = Slots.Program().Codes();
  TFileDialog dialog;
  dialog.kind = TFileDialog::Kind::kSave;
  dialog.Title = Tr("名前を付けて保存");
  dialog.InitialDir = ProgramDialogStart(dialog.kind, document_->FileName());
  if (!dialog.Execute(this)) return false;
  const Notice failure = SaveProgramFile(FilePathOf(dialog.FileName), codes);
  if (!failure.empty()) {
    ShowOutcome(Tr("保存できませんでした (%1)").arg(NoticeReasonText(failure)));
    throw NoticeError(failure);
  }
  document_->MarkSaved(dialog.FileName, codes);
  ShowOutcome(Tr("%1 に保存しました").arg(QFileInfo(dialog.FileName).fileName()));
  return true;
}

void TForm1::N1Click() {
  const CommandHold hold = HoldCommands();
  LoadProgress progress;
  TFileDialog dialog;
  dialog.kind = TFileDialog::Kind::kOpen;
  dialog.Title = Tr("ファイルを開く");
  dialog.InitialDir = ProgramDialogStart(dialog.kind, document_->FileName());
  if (!dialog.Execute(this)) return;
  const ProgramParse parsed = ReadProgramFile(FilePathOf(dialog.FileName));
  if (!parsed.ok()) {
    ShowOutcome(Tr("読み込めませんでした (%1)").arg(NoticeReasonText(parsed.notice)));
    throw NoticeError(parsed.notice);
  }
  const QString name = QFileInfo(dialog.FileName).fileName();
  document_->RecordChange(Tr("読込 %1").arg(name), [&] {
    ApplyProgram(*parsed.codes, [&progress](int slot) { progress.Step(slot); });
  });
  document_->MarkSaved(dialog.FileName, *parsed.codes);
  ShowOutcome(Tr("%1 を読み込みました").arg(name));
}

void TForm1::N2Click() {
  const CommandHold hold = HoldCommands();
  LoadProgress progress;
  document_->RecordChange(Tr("デモ"), [&] {
    ApplyProgram(*DemoProgram().codes, [&progress](int slot) { progress.Step(slot); });
  });
  ShowOutcome(Tr("デモのプログラムを置きました"));
}

void TForm1::RestoreProgram(const ProgramCodes& codes) { ApplyProgram(codes, {}); }

// A load and the demo pass `step_done` and pause 2 ms after each slot so the
// windows repaint; undo and redo pass none and change the slots at once.
void TForm1::ApplyProgram(const ProgramCodes& codes, const std::function<void(int)>& step_done) {
  CheckProgramIcons(codes);
  Slots.FreeStepLabels();
  for (int i = 0; i < kSlotCount; ++i) {
    const int value = codes[i];
    if (TImage* picture = Slots.SlotPicture(i)) picture->LoadFromFile(IconPath(IconFileOf(value)));
    if (value != kEmptyCode) {
      Slots.CreateStepLabels(value, i, QString::fromStdString(StepCommandNumber(value).value_or("")));
    }
    Slots.SetCode(i, value);
    if (step_done) {
      step_done(i);
      WaitWithMessages(2);  // lets the windows repaint between slots
    }
  }
}

void SetPrintDialogFunction(PrintDialogFunction function) { PrintFunction() = std::move(function); }

SheetContent TForm1::CurrentSheet() const {
  return {document_->FileName(), QDate::currentDate(), Slots.Program().Codes()};
}

void TForm1::Print1Click() {
  const ProgramSheet sheet(CurrentSheet());
  QPrinter printer(QPrinter::HighResolution);
  printer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(0, 0, 0, 0)));
  printer.setFullPage(true);  // the sheet keeps its own margins
  printer.setDocName(sheet.Title());
  const bool accepted = PrintFunction() ? PrintFunction()(this, printer) : [&] {
    QPrintDialog dialog(&printer, this);
    dialog.setWindowTitle(Tr("印刷"));
    return dialog.exec() == QDialog::Accepted;
  }();
  if (!accepted) return;
  if (!sheet.PaintOn(printer)) throw NoticeError(PrintFailure());
  ShowOutcome(Tr("プログラムシートを印刷しました"));
}

void TForm1::Pdf1Click() {
  const ProgramSheet sheet(CurrentSheet());
  TFileDialog dialog;
  dialog.kind = TFileDialog::Kind::kSave;
  dialog.Title = Tr("PDF に書き出す");
  dialog.Filter = Tr("PDF ファイル (*.pdf)");
  dialog.DefaultExt = QStringLiteral("pdf");
  // Where programs are saved, named after the program when it has a file.
  const QString& file = document_->FileName();
  const QString stem = file.isEmpty() ? Tr("プログラムシート") : QFileInfo(file).completeBaseName();
  dialog.InitialDir = QDir(ProgramFileFolder(file)).filePath(stem + QStringLiteral(".pdf"));
  if (!dialog.Execute(this)) return;
  const Notice failure = sheet.WritePdf(dialog.FileName);
  if (!failure.empty()) throw NoticeError(failure);
  ShowOutcome(Tr("%1 に書き出しました").arg(QFileInfo(dialog.FileName).fileName()));
}

}  // namespace vk47
