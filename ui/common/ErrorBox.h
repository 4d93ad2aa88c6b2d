#pragma once
// The application's two message boxes and the guard that turns a command's
// exception into one of them.
//
// Qt cannot carry an exception out of an event handler through its event
// loop, so every command handler runs its body through RunGuarded: whatever
// the body throws ends there, in the application's standard error box (error
// icon, one OK, the application's title as caption), and the program carries
// on. Start-up, drag start and drop catch failures themselves and show the
// warning box instead (ShowFailureWarning).
//
// The boxes go through one replaceable function so tests can record them
// instead of blocking in a modal box. UI thread only.

#include <QMessageBox>
#include <QString>
#include <functional>

#include "text/words.h"

class QWidget;

namespace vk47 {

struct MessageBoxRequest {
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  QString caption;
  QString text;
  // For a teacher: device paths, the system's text, commands to type. Shown
  // behind the box's 「くわしく」 button; none when empty.
  QString details;
};

// Shows a modal box with one OK button. The default shows a real QMessageBox;
// an empty function restores the default.
using MessageBoxFunction = std::function<void(QWidget* parent, const MessageBoxRequest&)>;
void SetMessageBoxFunction(MessageBoxFunction function);
void ShowMessageBox(QWidget* parent, const MessageBoxRequest& request);

// The caption of the error box: the application's name ("vk47").
QString ApplicationTitle();

// The message as the error box shows it: "." is appended when the last
// character sorts after "." (so Japanese text and letters get one, while a
// text ending in "." or "!" is left alone), except after a sentence that
// already ends in a Japanese full stop, question or exclamation mark.
QString MessageWithPeriod(const QString& message);

// The standard error box for an exception's message, with a teacher's
// details behind 「くわしく」 when there are any.
void ShowErrorBox(QWidget* parent, const QString& message, const QString& details = QString());

// The standard error box for a notice (text/words.h): the pupil's lines as
// the text, the details behind 「くわしく」, in the current mode's words.
void ShowNoticeBox(QWidget* parent, const Notice& notice);

// The one warning box of start-up, drag start and drop: caption "警告",
// warning icon, OK, text "エラーが発生しました" CR LF "ソフトを再起動するか...".
void ShowFailureWarning(QWidget* parent);
QString FailureWarningText();

// The question before closing over unsaved changes: 保存 (save first),
// 保存しない (discard the changes), キャンセル (keep the window; also Escape
// and the box's close button). It goes through a replaceable function too.
enum class SaveAnswer { kSave, kDiscard, kCancel };
using SaveQuestionFunction = std::function<SaveAnswer(QWidget* parent, const QString& text)>;
void SetSaveQuestionFunction(SaveQuestionFunction function);
SaveAnswer AskToSave(QWidget* parent, const QString& text);

// Runs `body`; an exception it throws is shown in the error box and goes no
// further (a NoticeError as its notice). Returns false when the body threw.
bool RunGuarded(QWidget* parent, const std::function<void()>& body);

}  // namespace vk47
