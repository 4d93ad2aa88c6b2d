#pragma once
// The words vk47 says to a person, kept apart from the values that fill them,
// so that the window can look the text up in its translation catalogue (the
// hiragana mode) before it fills in a port name or a number, and so that a
// failure can speak to the pupil and to the teacher separately.
//
// VK47_TEXT marks a text for the catalogue translations/vk47_kana.ts: lupdate
// reads it as QT_TR_NOOP (see scripts/update-translations), and it stands for
// the text itself. Use it at namespace scope of vk47 (a constant or a free
// function, not a member function), where lupdate gives it the context "vk47"
// that the window looks Words up in. Plain values; no threads of their own.

#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#define VK47_TEXT(text) text

namespace vk47 {

// A text and its values: `source` is the catalogue's key and holds %1 to %9
// where `args` go. A source that is no catalogue text (a device path, the
// system's own message) is given as "%1" with the value.
struct Words {
  std::string source;
  std::vector<std::string> args;

  bool empty() const { return source.empty(); }
  friend bool operator==(const Words&, const Words&) = default;
};

// `source` with %1..%9 replaced by `args` (a missing value leaves the marker).
std::string Fill(std::string_view source, const std::vector<std::string>& args);
inline std::string Plain(const Words& words) { return Fill(words.source, words.args); }

// Words that are no catalogue text: shown as they are in every mode.
inline Words Verbatim(std::string text) { return {"%1", {std::move(text)}}; }

// A text made of pieces that the catalogue knows one by one: "前進", " 1",
// "秒" for "前進 1秒". Each piece is looked up on its own, then they are
// joined as they are, so that a command's name or a unit gets its hiragana
// without a catalogue text for every combination.
using WordsLine = std::vector<Words>;
std::string Plain(const WordsLine& line);

// The catalogue of the current mode as a function: a source's text in that
// mode, or the source itself where the mode has none. The window passes its
// Tr (ui/common/Catalogue.h), the browser edition its compiled table.
using Lookup = std::function<std::string(const std::string& source)>;

// The words in the mode of `lookup`: the source looked up, then its values
// filled in one pass (a value holding "%2" stays as it is). A "%1" source is
// its value as it is.
std::string Render(const Words& words, const Lookup& lookup);

// What vk47 tells a person about a failure.
//   main:    for the pupil: what happened and what to do, in short sentences,
//            ports named as the menus name them (COM1); one entry a sentence
//            or two, shown one per line.
//   reason:  the cause in a few words, without a full stop, for a status line
//            ("COM1 が見つかりません").
//   details: for a teacher: device paths, the system's own text and number,
//            commands to type. Shown behind the message box's 「くわしく」.
struct Notice {
  std::vector<Words> main;
  Words reason;
  std::vector<Words> details;

  bool empty() const { return main.empty(); }
};

// The whole notice as one text for a terminal or a log: the main lines, then
// the details, separated by CR LF.
std::string NoticeText(const Notice& notice);

// An exception that carries a notice; what() is NoticeText. The window shows
// the notice in its error box with the details behind 「くわしく」.
class NoticeError : public std::runtime_error {
 public:
  explicit NoticeError(Notice notice);
  const Notice& notice() const { return notice_; }

 private:
  Notice notice_;
};

}  // namespace vk47
