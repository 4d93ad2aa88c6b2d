// Fuzzes the program file reader.
//  - ParseProgramText never crashes; it gives sixteen valid codes or a message.
//  - Valid codes written back as a file read back as the same codes.
//  - ProgramLineSplitter fed the text in random chunk sizes gives exactly the
//    lines of one whole Feed, for any line limit (a reader may feed a file in
//    chunks, so a line or a CR LF cut by a chunk border must not change).
//  - A smaller line limit gives a prefix of the lines of a larger one.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "model/command_set.h"
#include "model/program_file.h"
#include "tests/fuzz/fuzz_check.h"

namespace {

using vk47::ProgramLine;

bool SameLines(const std::vector<ProgramLine>& a, const std::vector<ProgramLine>& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (a[i].text != b[i].text || a[i].truncated != b[i].truncated) return false;
  }
  return true;
}

// A small deterministic generator seeded from the input, so every input gets
// its own chunk pattern and a crash reproduces from the input alone.
struct SplitMix {
  std::uint64_t state;
  std::uint64_t Next() {
    std::uint64_t z = (state += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
};

std::uint64_t Fnv1a(std::string_view text) {
  std::uint64_t h = 0xcbf29ce484222325ull;
  for (unsigned char c : text) h = (h ^ c) * 0x100000001b3ull;
  return h;
}

std::vector<ProgramLine> FeedInChunks(std::string_view text, std::size_t max_lines, SplitMix& rng) {
  vk47::ProgramLineSplitter splitter(max_lines);
  std::size_t pos = 0;
  while (pos < text.size()) {
    // Mostly tiny chunks (borders inside CR LF), sometimes large ones.
    const std::uint64_t r = rng.Next();
    std::size_t size = (r & 3) == 0 ? 1 + (r >> 8) % 5000 : 1 + (r >> 8) % 4;
    if (size > text.size() - pos) size = text.size() - pos;
    const bool more = splitter.Feed(text.substr(pos, size));
    pos += size;
    if (!more) break;  // what a chunked reader does when Feed says no more input matters
  }
  return splitter.Finish();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);

  const vk47::ProgramParse parse = vk47::ParseProgramText(text);
  FUZZ_CHECK(parse.ok() == parse.error.empty(), "exactly one of codes and message");
  if (parse.ok()) {
    for (int code : *parse.codes) {
      FUZZ_CHECK(code == vk47::kEmptyCode || vk47::StepCommandNumber(code).has_value(),
                 "an accepted code is empty or a step code");
    }
    const vk47::ProgramParse again = vk47::ParseProgramText(vk47::ProgramFileText(*parse.codes));
    FUZZ_CHECK(again.ok() && *again.codes == *parse.codes, "written codes read back the same");
  }

  SplitMix rng{Fnv1a(text)};
  const std::size_t limits[] = {vk47::kSlotCount, 1 + rng.Next() % 40, 1000000};
  std::vector<ProgramLine> unlimited;
  for (std::size_t limit : limits) {
    const std::vector<ProgramLine> whole = vk47::SplitProgramLines(text, limit);
    FUZZ_CHECK(whole.size() <= limit, "no more lines than the limit");
    for (const ProgramLine& line : whole) {
      FUZZ_CHECK(line.text.size() <= vk47::kMaxLineBytes, "a line is cut to the cap");
      FUZZ_CHECK(!line.truncated || line.text.size() == vk47::kMaxLineBytes,
                 "only a full-length line is marked cut");
      FUZZ_CHECK(line.text.find_first_of(std::string_view("\r\n\0", 3)) == std::string_view::npos,
                 "a line holds no break and no NUL");
    }
    FUZZ_CHECK(SameLines(FeedInChunks(text, limit, rng), whole), "chunked feed equals one feed");
    if (limit == 1000000) unlimited = whole;
  }
  // Prefix property, checked against the unlimited split.
  for (std::size_t limit : {std::size_t{1}, std::size_t{vk47::kSlotCount}}) {
    const std::vector<ProgramLine> some = vk47::SplitProgramLines(text, limit);
    const std::vector<ProgramLine> head(
        unlimited.begin(), unlimited.begin() + static_cast<std::ptrdiff_t>(std::min(limit, unlimited.size())));
    FUZZ_CHECK(SameLines(some, head), "a smaller limit gives a prefix");
  }
  return 0;
}
