#pragma once
// What every binding file of the browser edition's core shares: the buffers
// through which the page and the core exchange values, the current mode's
// catalogue, and a small JSON writer for answers with structure.
//
// The exchange (web/src/core.ts does the page's half):
//  - the page writes its values first: texts into the input buffer
//    (vk47_in), each followed by a NUL; a program's sixteen codes into
//    vk47_codes(); numbers into vk47_numbers(count);
//  - then it calls an exported function, which reads them, and answers with
//    a number, or with UTF-8 text (plain or JSON) in the output buffer, whose
//    bytes the page reads at vk47_out() for vk47_out_size().
// One page thread; each call replaces the last call's answer.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "model/step_program.h"
#include "text/words.h"

#ifdef __EMSCRIPTEN__
#include <emscripten/emscripten.h>
#define VK47_EXPORT extern "C" EMSCRIPTEN_KEEPALIVE
#else
#define VK47_EXPORT extern "C"
#endif

namespace vk47::web {

// The input buffer as bytes, and as the list of NUL-ended texts it holds.
std::string_view Input();
std::vector<std::string> InputTexts();

// The program the page wrote into vk47_codes().
ProgramCodes InputCodes();

// The numbers the page wrote into vk47_numbers(count).
std::vector<double> InputNumbers();

// Sets the answer; returns its size in bytes.
int Answer(std::string text);

// The catalogue of the current mode (kana on: the hiragana, else the source).
const Lookup& CurrentLookup();
inline std::string Speak(const Words& words) { return Render(words, CurrentLookup()); }
std::string SpeakText(const std::string& source);

// JSON text, written in order: Json j; j.Open('{'); j.Key("a"); j.Int(1); ...
class Json {
 public:
  void Open(char bracket);   // '{' or '['
  void Close(char bracket);  // '}' or ']'
  void Key(std::string_view key);
  void String(std::string_view value);
  void Int(long long value);
  void Number(double value);  // with the digits to read back the same; null when not finite
  void Bool(bool value);
  void Null();
  void Strings(const std::vector<std::string>& values);
  void Ints(const ProgramCodes& codes);
  std::string Take() { return std::move(text_); }

 private:
  void Separate();
  std::string text_;
  bool first_ = true;
};

// A notice as the page gets it: {"main": [..], "reason": "..", "details": [..]},
// every line in the current mode. With `status`, a "status" member too.
void WriteNotice(Json& json, const Notice& notice);

}  // namespace vk47::web
