#pragma once
// What vk47 says about its two robot commands, 転送 and 実行, wherever they
// run: the status line after a command ("16 ステップを COM1 に送信しました
// 10:42", "送信できませんでした: ロボットとの接続が切れました 10:42"), how far
// a broken transfer came, and the notice for a port that failed. The desktop
// window (through robot_link and LinkRunner) and the browser edition (whose
// port the browser opens, named as the page names it) say the same words.
// Pure functions; any thread.

#include <string>

#include "text/port_words.h"
#include "text/words.h"

namespace vk47 {

// "転送を中断しました。送信できたのは 16 ステップのうち 3 ステップです。"
// (A failure never says 送信しました: a pupil reads that as success.)
Words StepsSentWords(int steps_sent);

// The status line's text after a command that wrote every byte; `port` as
// the menus name it ("COM1").
Words TransferSentWords(const std::string& port);  // "16 ステップを COM1 に送信しました"
Words ExecuteSentWords(const std::string& port);   // "実行命令を COM1 に送信しました"

// "実行命令を送れませんでした。": what a failed execute command did not do.
Words ExecuteNotSentWords();

// The status line's text after a command that failed: "送信できませんでした"
// and, when the notice has a cause in a few words, ": " and the cause.
std::string NotSentStatus(const Notice& notice, const Lookup& lookup);

// A status line as the window shows it: the outcome and the time ("10:42"),
// or the outcome alone when there is no time.
std::string StatusAt(const std::string& outcome, const std::string& time);

// The notice for a port that failed with `kind`: the kind's words for the
// port, and `cause` (the system's or the browser's own text) for a teacher.
// `first` (when not empty) goes before them: what the command did not do.
Notice PortFailedNotice(CommErrorKind kind, const std::string& port, const std::string& cause,
                        Words first = {});

}  // namespace vk47
