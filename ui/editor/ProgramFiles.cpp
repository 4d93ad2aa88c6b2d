#include "ui/editor/ProgramFiles.h"

#include <QDate>
#include <QDir>
#include <QFileInfo>
#include <QImageReader>
#include <QPageLayout>
#include <QPageSize>
#include <QPrintDialog>
#include <QPrinter>

#include "model/command_set.h"
#include "model/demo_program.h"
#include "model/program_file.h"
#include "ui/common/AppFolder.h"
#include "ui/common/Catalogue.h"
#include "ui/common/ErrorBox.h"
#include "ui/common/FileDialogs.h"
#include "ui/common/WaitWithMessages.h"
#include "ui/editor/ProgramDocument.h"
#include "ui/editor/StepSlots.h"
#include "ui/editor/TImage.h"
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

void SetPrintDialogFunction(PrintDialogFunction function) { PrintFunction() = std::move(function); }

TProgramFiles::TProgramFiles(QWidget& window, ProgramDocument& document, TStepSlots& steps,
                             std::function<void(const QString&)> show_outcome)
    : window_(window), document_(document), slots_(steps), show_outcome_(std::move(show_outcome)) {}

// 保存 always asks for the name, starting at the program's file when it
// has one, so that Enter saves it again where it was.
bool TProgramFiles::Save() {
  const ProgramCodes codes = slots_.Program().Codes();
  TFileDialog dialog;
  dialog.kind = TFileDialog::Kind::kSave;
  dialog.Title = Tr("名前を付けて保存");
  dialog.InitialDir = ProgramDialogStart(dialog.kind, document_.FileName());
  if (!dialog.Execute(&window_)) return false;
  const Notice failure = SaveProgramFile(FilePathOf(dialog.FileName), codes);
  if (!failure.empty()) {
    show_outcome_(Tr("保存できませんでした (%1)").arg(NoticeReasonText(failure)));
    throw NoticeError(failure);
  }
  document_.MarkSaved(dialog.FileName, codes);
  show_outcome_(Tr("%1 に保存しました").arg(QFileInfo(dialog.FileName).fileName()));
  return true;
}

void TProgramFiles::Load() {
  LoadProgress progress;
  TFileDialog dialog;
  dialog.kind = TFileDialog::Kind::kOpen;
  dialog.Title = Tr("ファイルを開く");
  dialog.InitialDir = ProgramDialogStart(dialog.kind, document_.FileName());
  if (!dialog.Execute(&window_)) return;
  const ProgramParse parsed = ReadProgramFile(FilePathOf(dialog.FileName));
  if (!parsed.ok()) {
    show_outcome_(Tr("読み込めませんでした (%1)").arg(NoticeReasonText(parsed.notice)));
    throw NoticeError(parsed.notice);
  }
  const QString name = QFileInfo(dialog.FileName).fileName();
  document_.RecordChange(Tr("読込 %1").arg(name), [&] {
    Apply(*parsed.codes, [&progress](int slot) { progress.Step(slot); });
  });
  document_.MarkSaved(dialog.FileName, *parsed.codes);
  show_outcome_(Tr("%1 を読み込みました").arg(name));
}

void TProgramFiles::PlaceDemo() {
  LoadProgress progress;
  document_.RecordChange(Tr("デモ"), [&] {
    Apply(*DemoProgram().codes, [&progress](int slot) { progress.Step(slot); });
  });
  show_outcome_(Tr("デモのプログラムを置きました"));
}

void TProgramFiles::Restore(const ProgramCodes& codes) { Apply(codes, {}); }

// A load and the demo pass `step_done` and pause 2 ms after each slot so the
// windows repaint; undo and redo pass none and change the slots at once.
void TProgramFiles::Apply(const ProgramCodes& codes, const std::function<void(int)>& step_done) {
  CheckProgramIcons(codes);
  slots_.FreeStepLabels();
  for (int i = 0; i < kSlotCount; ++i) {
    const int value = codes[i];
    if (TImage* picture = slots_.SlotPicture(i)) picture->LoadFromFile(IconPath(IconFileOf(value)));
    if (value != kEmptyCode) {
      slots_.CreateStepLabels(value, i, QString::fromStdString(StepCommandNumber(value).value_or("")));
    }
    slots_.SetCode(i, value);
    if (step_done) {
      step_done(i);
      WaitWithMessages(2);  // lets the windows repaint between slots
    }
  }
}

SheetContent TProgramFiles::CurrentSheet() const {
  return {document_.FileName(), QDate::currentDate(), slots_.Program().Codes()};
}

void TProgramFiles::Print() {
  const ProgramSheet sheet(CurrentSheet());
  QPrinter printer(QPrinter::HighResolution);
  printer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(0, 0, 0, 0)));
  printer.setFullPage(true);  // the sheet keeps its own margins
  printer.setDocName(sheet.Title());
  const bool accepted = PrintFunction() ? PrintFunction()(&window_, printer) : [&] {
    QPrintDialog dialog(&printer, &window_);
    dialog.setWindowTitle(Tr("印刷"));
    return dialog.exec() == QDialog::Accepted;
  }();
  if (!accepted) return;
  if (!sheet.PaintOn(printer)) throw NoticeError(PrintFailure());
  show_outcome_(Tr("プログラムシートを印刷しました"));
}

void TProgramFiles::ExportPdf() {
  const ProgramSheet sheet(CurrentSheet());
  TFileDialog dialog;
  dialog.kind = TFileDialog::Kind::kSave;
  dialog.Title = Tr("PDF に書き出す");
  dialog.Filter = Tr("PDF ファイル (*.pdf)");
  dialog.DefaultExt = QStringLiteral("pdf");
  // Where programs are saved, named after the program when it has a file.
  const QString& file = document_.FileName();
  const QString stem = file.isEmpty() ? Tr("プログラムシート") : QFileInfo(file).completeBaseName();
  dialog.InitialDir = QDir(ProgramFileFolder(file)).filePath(stem + QStringLiteral(".pdf"));
  if (!dialog.Execute(&window_)) return;
  const Notice failure = sheet.WritePdf(dialog.FileName);
  if (!failure.empty()) throw NoticeError(failure);
  show_outcome_(Tr("%1 に書き出しました").arg(QFileInfo(dialog.FileName).fileName()));
}

}  // namespace vk47
