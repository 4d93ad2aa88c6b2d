// The browser edition's core: the rules of the Qt-free modules as plain C
// functions for web/src/core.ts (which gives them their types,
// web/src/core-types.ts). Texts go both ways as UTF-8; structured answers
// are JSON. See binding.h for the exchange.

#include "binding.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "catalogue.h"
#include "link/link_words.h"
#include "link/protocol.h"
#include "model/command_set.h"
#include "model/demo_program.h"
#include "model/program_file.h"
#include "model/step_names.h"
#include "sim/trace.h"

namespace vk47::web {
namespace {

// The page's language writes decimals with a point, as Japanese does.
constexpr std::string_view kDecimalPoint = ".";

std::string g_in;
std::string g_out;
std::int32_t g_codes[kSlotCount];
std::vector<double> g_numbers;
bool g_kana = false;

std::string KanaOrSource(const std::string& source) {
  if (g_kana) {
    if (const char* kana = FindKana(source)) return kana;
  }
  return source;
}

// The port's kinds of failure by the names the page gives them.
CommErrorKind KindNamed(std::string_view name) {
  static constexpr std::pair<std::string_view, CommErrorKind> kKinds[] = {
      {"not-found", CommErrorKind::kNotFound},
      {"in-use", CommErrorKind::kInUse},
      {"permission-denied", CommErrorKind::kPermissionDenied},
      {"unsupported-setting", CommErrorKind::kUnsupportedSetting},
      {"io-error", CommErrorKind::kIoError},
      {"timed-out", CommErrorKind::kTimedOut},
      {"not-open", CommErrorKind::kNotOpen},
  };
  for (const auto& [kind_name, kind] : kKinds) {
    if (kind_name == name) return kind;
  }
  return CommErrorKind::kOther;
}

// The texts the page gave, the missing ones empty.
std::string Nth(const std::vector<std::string>& texts, std::size_t n) {
  return n < texts.size() ? texts[n] : std::string();
}

// A failed command: the notice, and the status line (with the time when given).
int AnswerFailure(const Notice& notice, const std::string& time) {
  Json json;
  json.Open('{');
  WriteNotice(json, notice);
  json.Key("status");
  json.String(StatusAt(NotSentStatus(notice, CurrentLookup()), time));
  json.Close('}');
  return Answer(json.Take());
}

}  // namespace

const char* FindKana(std::string_view source) {
  const CatalogueEntry* end = kCatalogue + kCatalogueSize;
  const CatalogueEntry* found = std::lower_bound(
      kCatalogue, end, source, [](const CatalogueEntry& entry, std::string_view text) { return entry.source < text; });
  return found != end && found->source == source ? found->kana : nullptr;
}

std::string_view Input() { return g_in; }

std::vector<std::string> InputTexts() {
  std::vector<std::string> texts;
  std::size_t start = 0;
  for (std::size_t i = 0; i < g_in.size(); ++i) {
    if (g_in[i] == '\0') {
      texts.emplace_back(g_in, start, i - start);
      start = i + 1;
    }
  }
  return texts;
}

ProgramCodes InputCodes() {
  ProgramCodes codes;
  std::copy(std::begin(g_codes), std::end(g_codes), codes.begin());
  return codes;
}

std::vector<double> InputNumbers() { return g_numbers; }

int Answer(std::string text) {
  g_out = std::move(text);
  return static_cast<int>(g_out.size());
}

const Lookup& CurrentLookup() {
  static const Lookup lookup = KanaOrSource;
  return lookup;
}

std::string SpeakText(const std::string& source) { return KanaOrSource(source); }

void Json::Separate() {
  if (!first_) text_ += ',';
  first_ = false;
}

void Json::Open(char bracket) {
  Separate();
  text_ += bracket;
  first_ = true;
}

void Json::Close(char bracket) {
  text_ += bracket;
  first_ = false;
}

void Json::Key(std::string_view key) {
  String(key);
  text_ += ':';
  first_ = true;
}

void Json::String(std::string_view value) {
  Separate();
  text_ += '"';
  for (char c : value) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      text_ += '\\';
      text_ += c;
    } else if (byte < 0x20) {
      static constexpr char kHex[] = "0123456789abcdef";
      text_ += "\\u00";
      text_ += kHex[byte >> 4];
      text_ += kHex[byte & 15];
    } else {
      text_ += c;
    }
  }
  text_ += '"';
}

void Json::Int(long long value) {
  Separate();
  text_ += std::to_string(value);
}

void Json::Number(double value) {
  Separate();
  if (!std::isfinite(value)) {
    text_ += "null";
    return;
  }
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%.17g", value);
  text_ += buffer;
}

void Json::Bool(bool value) {
  Separate();
  text_ += value ? "true" : "false";
}

void Json::Null() {
  Separate();
  text_ += "null";
}

void Json::Strings(const std::vector<std::string>& values) {
  Open('[');
  for (const std::string& value : values) String(value);
  Close(']');
}

void Json::Ints(const ProgramCodes& codes) {
  Open('[');
  for (int code : codes) Int(code);
  Close(']');
}

void WriteNotice(Json& json, const Notice& notice) {
  auto lines = [](const std::vector<Words>& words) {
    std::vector<std::string> texts;
    for (const Words& line : words) texts.push_back(Speak(line));
    return texts;
  };
  json.Key("main");
  json.Strings(lines(notice.main));
  json.Key("reason");
  json.String(notice.reason.empty() ? std::string() : Speak(notice.reason));
  json.Key("details");
  json.Strings(lines(notice.details));
}

}  // namespace vk47::web

using namespace vk47;
using namespace vk47::web;

// The exchange buffers.
VK47_EXPORT char* vk47_in(int size) {
  g_in.assign(static_cast<std::size_t>(std::max(size, 0)), '\0');
  return g_in.data();
}
VK47_EXPORT std::int32_t* vk47_codes() { return g_codes; }
VK47_EXPORT double* vk47_numbers(int count) {
  g_numbers.assign(static_cast<std::size_t>(std::max(count, 0)), 0.0);
  return g_numbers.data();
}
VK47_EXPORT const char* vk47_out() { return g_out.data(); }
VK47_EXPORT int vk47_out_size() { return static_cast<int>(g_out.size()); }

// The mode and the catalogue.
VK47_EXPORT void vk47_set_kana(int on) { g_kana = on != 0; }
VK47_EXPORT int vk47_kana() { return g_kana ? 1 : 0; }

// Input: the source, then its values.
VK47_EXPORT int vk47_text() {
  const std::vector<std::string> texts = InputTexts();
  if (texts.empty()) return Answer({});
  return Answer(Speak({texts[0], {texts.begin() + 1, texts.end()}}));
}

// Steps and their names.
VK47_EXPORT int vk47_commands() {
  Json json;
  json.Open('[');
  for (const Command& command : Commands()) {
    json.Open('{');
    json.Key("number");
    json.String(command.number);
    json.Key("group");
    json.String(SpeakText(std::string(command.group)));
    json.Key("name");
    json.String(SpeakText(std::string(command.name)));
    json.Key("hint");
    json.String(command.hint.empty() ? std::string() : SpeakText(std::string(command.hint)));
    json.Key("takesParameter");
    json.Bool(command.takes_parameter);
    json.Close('}');
  }
  json.Close(']');
  return Answer(json.Take());
}

// Input: the command's number text.
VK47_EXPORT int vk47_encode_step(int position) { return EncodeStep(Nth(InputTexts(), 0), position); }

// Answers the command's number text; returns -1 for a code of no command.
VK47_EXPORT int vk47_command_of(int code) {
  const auto number = StepCommandNumber(code);
  if (!number) {
    Answer({});
    return -1;
  }
  return Answer(*number);
}

VK47_EXPORT int vk47_value_text(int code) {
  return Answer(StepValueCaption(code, kDecimalPoint, CurrentLookup()));
}
VK47_EXPORT int vk47_slot_name(int slot, int code) {
  return Answer(SlotName(slot, code, kDecimalPoint, CurrentLookup()));
}
VK47_EXPORT int vk47_track_bar_name(int position) { return Answer(TrackBarName(position, CurrentLookup())); }

// Files. Input: the codes.
VK47_EXPORT int vk47_program_file() { return Answer(ProgramFileText(InputCodes())); }

// Input: the file's bytes (not a text list).
VK47_EXPORT int vk47_read_program_file() {
  const ProgramParse parse = ParseProgramStart(Input().substr(0, kMaxProgramFileBytes),
                                               Input().size() <= kMaxProgramFileBytes);
  Json json;
  json.Open('{');
  json.Key("ok");
  json.Bool(parse.ok());
  if (parse.ok()) {
    json.Key("codes");
    json.Ints(*parse.codes);
  } else {
    json.Key("notice");
    json.Open('{');
    WriteNotice(json, parse.notice);
    json.Close('}');
  }
  json.Close('}');
  return Answer(json.Take());
}

VK47_EXPORT int vk47_demo() {
  Json json;
  json.Ints(*DemoProgram().codes);
  return Answer(json.Take());
}

// The robot commands. Input: the codes.
VK47_EXPORT int vk47_transfer_steps() {
  const ProgramCodes codes = InputCodes();
  Json json;
  json.Open('[');
  auto step = [&json](int byte, int position, int counter) {
    json.Open('{');
    json.Key("byte");
    json.Int(byte);
    json.Key("waitMs");
    json.Int(kStepGapMs);
    json.Key("position");
    json.Int(position);
    json.Key("counter");
    json.Int(counter);
    json.Close('}');
  };
  step(kTransferCommand, 0, 0);
  for (int k = 0; k < kSlotCount; ++k) step(StepByte(codes[k]), StepProgressPosition(k), k + 1);
  json.Close(']');
  return Answer(json.Take());
}

VK47_EXPORT int vk47_execute_byte() { return kExecuteCommand; }

// Input: the port, the time.
VK47_EXPORT int vk47_transfer_done() {
  const auto texts = InputTexts();
  return Answer(StatusAt(Speak(TransferSentWords(Nth(texts, 0))), Nth(texts, 1)));
}
VK47_EXPORT int vk47_execute_done() {
  const auto texts = InputTexts();
  return Answer(StatusAt(Speak(ExecuteSentWords(Nth(texts, 0))), Nth(texts, 1)));
}

// Input: the port, the browser's own text of the cause, the time.
VK47_EXPORT int vk47_transfer_failed(int steps_sent) {
  const auto texts = InputTexts();
  return AnswerFailure(PortFailedNotice(CommErrorKind::kIoError, Nth(texts, 0), Nth(texts, 1),
                                        StepsSentWords(std::clamp(steps_sent, 0, kSlotCount))),
                       Nth(texts, 2));
}
VK47_EXPORT int vk47_execute_failed() {
  const auto texts = InputTexts();
  return AnswerFailure(PortFailedNotice(CommErrorKind::kIoError, Nth(texts, 0), Nth(texts, 1), ExecuteNotSentWords()),
                       Nth(texts, 2));
}
// Input: the kind's name ("in-use", ...), the port, the cause, the time.
VK47_EXPORT int vk47_port_failed() {
  const auto texts = InputTexts();
  return AnswerFailure(PortFailedNotice(KindNamed(Nth(texts, 0)), Nth(texts, 1), Nth(texts, 2)), Nth(texts, 3));
}

// The simulator's rows for a whole run: the codes, and the switch presses
// (seconds) as numbers.
VK47_EXPORT int vk47_trace_text() {
  return Answer(TraceText(RunProgram(InputCodes(), SimParams{}, InputNumbers())));
}
