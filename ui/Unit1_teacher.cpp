// TForm1's tools for the teacher: the program sheet (ファイル > 印刷…,
// ファイル > PDF に書き出す…, ProgramSheet.h) and one program to the whole
// class (制御 > クラスに転送…, ClassSendDialog.h). While the class dialog
// sends, the window's own commands are held back, as during a transfer.

#include <QDate>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QPageLayout>
#include <QPageSize>
#include <QPrintDialog>
#include <QPrinter>
#include <stdexcept>

#include "ui/ClassSendDialog.h"
#include "ui/FileDialogs.h"
#include "ui/ProgramSheet.h"
#include "ui/Unit1.h"

namespace vk47 {
namespace {

PrintDialogFunction& PrintFunction() {
  static PrintDialogFunction function;
  return function;
}

}  // namespace

void SetPrintDialogFunction(PrintDialogFunction function) { PrintFunction() = std::move(function); }

SheetContent TForm1::CurrentSheet() const { return {file_name_, QDate::currentDate(), Slots.Program().Codes()}; }

void TForm1::Print1Click() {
  const ProgramSheet sheet(CurrentSheet());
  QPrinter printer(QPrinter::HighResolution);
  printer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(0, 0, 0, 0)));
  printer.setFullPage(true);  // the sheet keeps its own margins
  printer.setDocName(sheet.Title());
  const bool accepted = PrintFunction() ? PrintFunction()(this, printer) : [&] {
    QPrintDialog dialog(&printer, this);
    dialog.setWindowTitle(tr("印刷"));
    return dialog.exec() == QDialog::Accepted;
  }();
  if (!accepted) return;
  if (!sheet.PaintOn(printer)) throw std::runtime_error(tr("印刷できませんでした。").toStdString());
  ShowOutcome(tr("プログラムシートを印刷しました"));
}

void TForm1::Pdf1Click() {
  const ProgramSheet sheet(CurrentSheet());
  TFileDialog dialog;
  dialog.kind = TFileDialog::Kind::kSave;
  dialog.Title = tr("PDF に書き出す");
  dialog.Filter = tr("PDF ファイル (*.pdf)");
  dialog.DefaultExt = QStringLiteral("pdf");
  // Where programs are saved, named after the program when it has a file.
  const QString stem = file_name_.isEmpty() ? tr("プログラムシート") : QFileInfo(file_name_).completeBaseName();
  dialog.InitialDir = QDir(ProgramFileFolder()).filePath(stem + QStringLiteral(".pdf"));
  if (!dialog.Execute(this)) return;
  QString error;
  if (!sheet.WritePdf(dialog.FileName, &error)) throw std::runtime_error(error.toStdString());
  ShowOutcome(tr("%1 に書き出しました").arg(QFileInfo(dialog.FileName).fileName()));
}

void TForm1::Class1Click() {
  if (!class_dialog_) {
    TClassSendDialog::Hooks hooks;
    hooks.program = [this] { return Slots.Program().Codes(); };
    // The window's own robot can be one of the class: its port is let go and
    // opened again by the next 転送 or 実行.
    hooks.release_window_port = [this] { rs232c.close(); };
    hooks.busy = [this](bool busy) {
      if (busy) {
        class_hold_.emplace(*this);
      } else {
        class_hold_.reset();
        UpdatePortStatus();
      }
    };
    class_dialog_ = new TClassSendDialog(std::move(hooks), this);
    connect(class_dialog_, &TClassSendDialog::Finished, this,
            [this] { ShowOutcome(class_dialog_->Summary()->text().section(QLatin1Char('\n'), 0, 0)); });
  }
  class_dialog_->show();
  class_dialog_->raise();
  class_dialog_->activateWindow();
}

}  // namespace vk47
