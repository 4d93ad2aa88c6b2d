#pragma once
// Qt's own Japanese texts: the buttons of message boxes and the file dialogs
// ("キャンセル", "開く", "ファイルの場所") come from Qt's translation catalogue
// qtbase_ja.qm in Qt's translations folder (Debian: qt6-translations-l10n).
// UI thread only; call once the application object exists.

class QCoreApplication;

namespace vk47 {

// Installs the Japanese catalogue in `app`; false when it cannot be loaded
// (the dialogs then speak English, and everything else still works).
bool InstallQtJapanese(QCoreApplication& app);

}  // namespace vk47
