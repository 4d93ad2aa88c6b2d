#pragma once
// vk47's own words as the window shows them: as written in the sources, or,
// in the hiragana mode ([editor] kana=1 in set.ini, or 設定 > ひらがな), from
// the catalogue translations/vk47_kana.ts, compiled to
// translations/vk47_kana.qm beside the application. The catalogue is loaded
// only when the mode is switched on, so a normal start costs nothing.
//
// Marking a text: Tr("転送") where the text is shown, or VK47_TEXT("転送")
// where it is only stored (tables, the modules without Qt) and Tr(text) or
// TrWords(words) where it is shown. scripts/update-translations then brings
// it into the catalogue, where it gets its hiragana.
//
// Switching the mode re-applies every text that went through Tr to the
// widgets and actions that show it (text, title, window title, tool tip,
// accessible name and description); texts that are built from values (the
// status bar, counters) are built again by their owners, who hear of the
// switch through KanaModeNotifier(). UI thread only.

#include <QObject>
#include <QString>

#include "text/words.h"

namespace vk47 {

// The text in the current mode. `source` must stay valid (a literal).
QString Tr(const char* source);

// The words' text in the current mode, with their values filled in.
QString TrWords(const Words& words);

// A text of pieces (text/words.h), each in the current mode, joined.
QString TrLine(const WordsLine& line);

// A notice's details one per line, and its reason alone, as the error box
// and the status line show them.
QString NoticeDetailsText(const Notice& notice);
QString NoticeReasonText(const Notice& notice);

bool KanaMode();

// Loads (or drops) the catalogue and re-applies every shown text. Returns
// false, leaving the mode as it was, when the catalogue cannot be loaded.
// `folder` is where vk47_kana.qm lies; empty: the application folder's
// "translations".
bool SetKanaMode(bool on, const QString& folder = QString());

// Emits Changed() after every switch.
class KanaModeSignal : public QObject {
  Q_OBJECT

 signals:
  void Changed(bool on);
};
KanaModeSignal& KanaModeNotifier();

}  // namespace vk47
