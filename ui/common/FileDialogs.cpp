#include "ui/common/FileDialogs.h"

#include <QFile>
#include <QFileDialog>
#include <QFileInfo>

#include "model/file_io.h"
#include "settings/settings_folder.h"
#include "ui/common/AppFolder.h"

namespace vk47 {
namespace {

FileDialogFunction& DialogFunction() {
  static FileDialogFunction function;
  return function;
}

bool RunRealDialog(QWidget* parent, TFileDialog& d) {
  QFileDialog dialog(parent, d.Title, d.InitialDir.isEmpty() ? ProgramFileFolder() : d.InitialDir,
                     d.Filter);
  dialog.setDefaultSuffix(d.DefaultExt);
  dialog.setSizeGripEnabled(true);
  // Names only: the detail view's type column says "Folder" in English and
  // its columns are cut at the dialog's size.
  dialog.setViewMode(QFileDialog::List);
  if (d.kind == TFileDialog::Kind::kOpen) {
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
  } else {
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);  // the overwrite question is on by default
  }
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return false;
  d.FileName = dialog.selectedFiles().constFirst();
  return true;
}

}  // namespace

void SetFileDialogFunction(FileDialogFunction function) { DialogFunction() = std::move(function); }

bool TFileDialog::Execute(QWidget* parent) {
  const FileDialogFunction& function = DialogFunction();
  return function ? function(parent, *this) : RunRealDialog(parent, *this);
}

QString ProgramFileFolder() {
  const QString app = ApplicationFolder();
  if (QFileInfo(app).isWritable()) return app;
  const std::filesystem::path documents = PathFromText(DocumentsFolderPath());
#if defined(_WIN32)
  return QString::fromStdWString(documents.native());
#else
  return QFile::decodeName(QByteArray::fromStdString(documents.native()));
#endif
}

std::filesystem::path FilePathOf(const QString& name) {
#if defined(_WIN32)
  return std::filesystem::path(name.toStdWString());
#else
  return std::filesystem::path(QFile::encodeName(name).toStdString());
#endif
}

}  // namespace vk47
