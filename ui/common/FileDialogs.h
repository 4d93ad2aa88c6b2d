#pragma once
// OpenDialog1 and SaveDialog1: the program file dialogs. Both show the one
// filter "PT-36ファイル(*.pt3)", add "pt3" to a name typed without an
// extension and start in the folder of the program's file, or, before the
// program has one, in the pupil's documents folder (never the application's
// own folder, which root could write to). The save dialog offers the file's
// name and asks before overwriting; the open dialog takes only an existing
// file.
//
// The dialogs are Qt's own (not the desktop's), so that every word on them
// can be set: each goes through the catalogue and follows the hiragana mode,
// the question before overwriting too.
//
// The dialogs run through one replaceable function, so tests answer them
// without a modal window. UI thread only.

#include <QString>
#include <filesystem>
#include <functional>
#include <memory>

class QFileDialog;
class QWidget;

namespace vk47 {

struct TFileDialog {
  enum class Kind { kOpen, kSave };
  Kind kind = Kind::kOpen;
  QString Title;
  QString Filter = QStringLiteral("PT-36ファイル(*.pt3)");  // kana in the hiragana mode: no kanji
  QString DefaultExt = QStringLiteral("pt3");
  // A folder to start in, or a file: its folder, with its name offered.
  // Empty: the documents folder.
  QString InitialDir;
  QString FileName;    // the chosen file after Execute returned true

  // Shows the dialog; false when the user cancelled.
  bool Execute(QWidget* parent);
};

// Answers a dialog instead of showing it: sets FileName and returns true, or
// returns false for a cancel. An empty function restores the real dialogs.
using FileDialogFunction = std::function<bool(QWidget* parent, TFileDialog& dialog)>;
void SetFileDialogFunction(FileDialogFunction function);

// The real dialog for `d`, set up but not shown: its folder, offered name,
// filter and every label in the current mode's words.
std::unique_ptr<QFileDialog> NewFileDialog(QWidget* parent, const TFileDialog& d);

// The folder the dialogs start in: the folder of `current_file` while that
// folder exists, else the documents folder that settings/ names for every
// program (or the nearest folder above it that exists).
QString ProgramFileFolder(const QString& current_file = QString());

// Where a dialog for the program's file starts: for a save, the file itself
// (its folder, its name offered), for an open its folder; the documents
// folder while the program has no file.
QString ProgramDialogStart(TFileDialog::Kind kind, const QString& current_file);

// A chosen file name as the file calls take it: wide on Windows, the local
// 8-bit bytes elsewhere (as the file dialogs' own calls would encode it).
std::filesystem::path FilePathOf(const QString& name);

}  // namespace vk47
