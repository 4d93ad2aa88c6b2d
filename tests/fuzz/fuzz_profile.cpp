// Fuzzes the INI profile reader and writer on file contents in memory.
// Input: section, key and value as FuzzedDataProvider strings (each ended by
// a backslash and one more byte; "\\\\" is a literal backslash), then the file.
//  - FindProfileValue never crashes and gives a trimmed one-line value.
//  - For an entry WritePrivateProfileString accepts, SetProfileValue then
//    FindProfileValue gives back the value written (trimmed, as any value
//    reads), and every other section and key of the file reads as before.

#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "settings/profile.h"
#include "tests/fuzz/fuzz_check.h"

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\v' || c == '\f' || c == '\x1A'; }

std::string_view Trim(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

std::string Folded(std::string_view s) {
  std::string out(Trim(s));
  for (char& c : out) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return out;
}

// Every name that looks like a section or a key somewhere in the text; more
// names than the file really has do no harm, they must read the same too.
void CollectNames(std::string_view text, std::set<std::string>& sections, std::set<std::string>& keys) {
  std::size_t pos = 0;
  // Bounded: each pair costs two parses of the file.
  while (pos <= text.size() && sections.size() < 6 && keys.size() < 10) {
    std::size_t end = text.find_first_of("\r\n", pos);
    if (end == std::string_view::npos) end = text.size();
    const std::string_view line = text.substr(pos, end - pos);
    const std::string_view body = Trim(line);
    const std::size_t close = body.rfind(']');
    if (!body.empty() && body.front() == '[' && close != std::string_view::npos) {
      sections.insert(std::string(body.substr(1, close - 1)));
    }
    keys.insert(std::string(line.substr(0, line.find('='))));
    pos = end + 1;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  const std::string section = input.ConsumeRandomLengthString(40);
  const std::string key = input.ConsumeRandomLengthString(40);
  const std::string value = input.ConsumeRandomLengthString(80);
  const std::string text = input.ConsumeRemainingBytesAsString();

  const std::optional<std::string> found = vk47::FindProfileValue(text, section, key);
  if (found) {
    FUZZ_CHECK(found->find_first_of("\r\n") == std::string::npos, "a value is one line");
    FUZZ_CHECK(Trim(*found) == *found, "a value is trimmed");
  }
  if (!vk47::IsWritableProfileEntry(section, key, value)) return 0;

  const std::string written = vk47::SetProfileValue(text, section, key, value);
  const std::optional<std::string> read_back = vk47::FindProfileValue(written, section, key);
  FUZZ_CHECK(read_back && *read_back == Trim(value), "the value written reads back");
  FUZZ_CHECK(written.size() >= text.size() - (found ? found->size() : 0),
             "a write removes at most the old value");

  std::set<std::string> sections{section};
  std::set<std::string> keys{key};
  CollectNames(text, sections, keys);
  for (const std::string& s : sections) {
    for (const std::string& k : keys) {
      if (Folded(s) == Folded(section) && Folded(k) == Folded(key)) continue;
      FUZZ_CHECK(vk47::FindProfileValue(text, s, k) == vk47::FindProfileValue(written, s, k),
                 "every other entry reads as before");
    }
  }
  return 0;
}
