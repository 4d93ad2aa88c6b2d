#pragma once
// OpenDialog1 and SaveDialog1: the program file dialogs. Both show the one
// filter "PT-36ファイル(*.pt3)", add "pt3" to a name typed without an
// extension and start in the application folder (or in the documents folder
// when the application folder is not writable, as on an installed system).
// The save dialog asks before overwriting; the open dialog takes only an
// existing file.
//
// The dialogs run through one replaceable function, so tests answer them
// without a modal window. UI thread only.

#include <QString>
#include <filesystem>
#include <functional>

class QWidget;

namespace vk47 {

struct TFileDialog {
  enum class Kind { kOpen, kSave };
  Kind kind = Kind::kOpen;
  QString Title;
  QString Filter = QStringLiteral("PT-36ファイル(*.pt3)");  // kana in the hiragana mode: no kanji
  QString DefaultExt = QStringLiteral("pt3");
  QString InitialDir;  // empty: the starting folder described above
  QString FileName;    // the chosen file after Execute returned true

  // Shows the dialog; false when the user cancelled.
  bool Execute(QWidget* parent);
};

// Answers a dialog instead of showing it: sets FileName and returns true, or
// returns false for a cancel. An empty function restores the real dialogs.
using FileDialogFunction = std::function<bool(QWidget* parent, TFileDialog& dialog)>;
void SetFileDialogFunction(FileDialogFunction function);

// The folder both dialogs start in: the application folder when it is
// writable, else the documents folder that settings/ names for every program.
QString ProgramFileFolder();

// A chosen file name as the file calls take it: wide on Windows, the local
// 8-bit bytes elsewhere (as the file dialogs' own calls would encode it).
std::filesystem::path FilePathOf(const QString& name);

}  // namespace vk47
