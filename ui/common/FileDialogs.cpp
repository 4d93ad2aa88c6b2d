#include "ui/common/FileDialogs.h"

#include <QAbstractButton>
#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>

#include "model/file_io.h"
#include "settings/settings_folder.h"
#include "ui/common/Catalogue.h"

namespace vk47 {
namespace {

FileDialogFunction& DialogFunction() {
  static FileDialogFunction function;
  return function;
}

// The question before a file is replaced, in the mode's words (Qt's own has
// kanji in every mode). Escape and the box's close button keep the file.
bool AskToReplace(QWidget* parent, const QString& file) {
  QMessageBox box(QMessageBox::Question, parent ? parent->windowTitle() : QString(),
                  Tr("%1 はもうあります。置きかえますか？").arg(QFileInfo(file).fileName()), QMessageBox::NoButton,
                  parent);
  QPushButton* replace = box.addButton(Tr("置きかえる"), QMessageBox::AcceptRole);
  QPushButton* keep = box.addButton(Tr("キャンセル"), QMessageBox::RejectRole);
  box.setDefaultButton(keep);
  box.setEscapeButton(keep);
  box.exec();
  return box.clickedButton() == replace;
}

// Qt's dialog, asking its own question before it replaces a file.
class TProgramFileDialog : public QFileDialog {
 public:
  using QFileDialog::QFileDialog;

  void accept() override {
    if (acceptMode() == AcceptSave) {
      const QStringList files = selectedFiles();
      if (!files.isEmpty()) {
        const QFileInfo target(files.constFirst());
        if (target.exists() && !target.isDir() && !AskToReplace(this, target.filePath())) return;
      }
    }
    QFileDialog::accept();
  }
};

void SetToolTip(QFileDialog& dialog, const char* name, const QString& text) {
  if (auto* button = dialog.findChild<QAbstractButton*>(QString::fromLatin1(name))) {
    button->setToolTip(text);
    button->setAccessibleName(text);
  }
}

void SetActionText(QFileDialog& dialog, const char* name, const QString& text) {
  if (auto* action = dialog.findChild<QAction*>(QString::fromLatin1(name))) action->setText(text);
}

// Every word Qt puts on its dialog, from the catalogue: the same as Qt's
// Japanese in the normal mode, without kanji in the hiragana mode.
void LabelDialog(QFileDialog& dialog, TFileDialog::Kind kind) {
  dialog.setLabelText(QFileDialog::LookIn, Tr("場所:"));
  dialog.setLabelText(QFileDialog::FileName, Tr("ファイル名:"));
  dialog.setLabelText(QFileDialog::FileType, Tr("ファイルの種類:"));
  dialog.setLabelText(QFileDialog::Accept, kind == TFileDialog::Kind::kOpen ? Tr("開く") : Tr("保存"));
  dialog.setLabelText(QFileDialog::Reject, Tr("キャンセル"));
  SetToolTip(dialog, "backButton", Tr("戻る"));
  SetToolTip(dialog, "forwardButton", Tr("進む"));
  SetToolTip(dialog, "toParentButton", Tr("上のフォルダへ"));
  SetToolTip(dialog, "newFolderButton", Tr("新しいフォルダを作る"));
  SetToolTip(dialog, "listModeButton", Tr("名前だけを表示"));
  SetToolTip(dialog, "detailModeButton", Tr("くわしく表示"));
  SetActionText(dialog, "qt_rename_action", Tr("名前を変える"));
  SetActionText(dialog, "qt_delete_action", Tr("削除"));
  SetActionText(dialog, "qt_show_hidden_action", Tr("かくしファイルを表示"));
  SetActionText(dialog, "qt_new_folder_action", Tr("新しいフォルダ"));
}

// The nearest folder at or above `path` that exists; empty when none does.
QString ExistingFolder(QString path) {
  while (!path.isEmpty()) {
    const QFileInfo info(path);
    if (info.isDir()) return info.absoluteFilePath();
    const QString parent = info.absolutePath();
    if (parent == info.absoluteFilePath()) break;
    path = parent;
  }
  return QString();
}

QString DocumentsFolder() {
  const std::filesystem::path documents = PathFromText(DocumentsFolderPath());
#if defined(_WIN32)
  const QString folder = QString::fromStdWString(documents.native());
#else
  const QString folder = QFile::decodeName(QByteArray::fromStdString(documents.native()));
#endif
  const QString existing = ExistingFolder(folder);
  return existing.isEmpty() ? folder : existing;
}

}  // namespace

void SetFileDialogFunction(FileDialogFunction function) { DialogFunction() = std::move(function); }

std::unique_ptr<QFileDialog> NewFileDialog(QWidget* parent, const TFileDialog& d) {
  // A file given as the start is offered by name in its folder.
  auto dialog = std::make_unique<TProgramFileDialog>(parent, d.Title,
                                                     d.InitialDir.isEmpty() ? ProgramFileFolder() : d.InitialDir,
                                                     d.Filter);
  dialog->setOption(QFileDialog::DontUseNativeDialog, true);
  dialog->setDefaultSuffix(d.DefaultExt);
  dialog->setSizeGripEnabled(true);
  // Names only: the detail view's type column says "Folder" in English and
  // its columns are cut at the dialog's size.
  dialog->setViewMode(QFileDialog::List);
  if (d.kind == TFileDialog::Kind::kOpen) {
    dialog->setAcceptMode(QFileDialog::AcceptOpen);
    dialog->setFileMode(QFileDialog::ExistingFile);
  } else {
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    dialog->setFileMode(QFileDialog::AnyFile);
    // The dialog asks itself, in the mode's words (TProgramFileDialog).
    dialog->setOption(QFileDialog::DontConfirmOverwrite, true);
  }
  LabelDialog(*dialog, d.kind);
  return dialog;
}

bool TFileDialog::Execute(QWidget* parent) {
  const FileDialogFunction& function = DialogFunction();
  if (function) return function(parent, *this);
  const std::unique_ptr<QFileDialog> dialog = NewFileDialog(parent, *this);
  if (dialog->exec() != QDialog::Accepted || dialog->selectedFiles().isEmpty()) return false;
  FileName = dialog->selectedFiles().constFirst();
  return true;
}

QString ProgramFileFolder(const QString& current_file) {
  if (!current_file.isEmpty()) {
    const QFileInfo folder(QFileInfo(current_file).absolutePath());
    if (folder.isDir()) return folder.absoluteFilePath();
  }
  return DocumentsFolder();
}

QString ProgramDialogStart(TFileDialog::Kind kind, const QString& current_file) {
  const QString folder = ProgramFileFolder(current_file);
  if (kind == TFileDialog::Kind::kOpen || current_file.isEmpty()) return folder;
  return QDir(folder).filePath(QFileInfo(current_file).fileName());
}

std::filesystem::path FilePathOf(const QString& name) {
#if defined(_WIN32)
  return std::filesystem::path(name.toStdWString());
#else
  return std::filesystem::path(QFile::encodeName(name).toStdString());
#endif
}

}  // namespace vk47
