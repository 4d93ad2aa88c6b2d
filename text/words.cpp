#include "text/words.h"

namespace vk47 {

std::string Fill(std::string_view source, const std::vector<std::string>& args) {
  std::string text;
  text.reserve(source.size());
  for (std::size_t i = 0; i < source.size(); ++i) {
    const char c = source[i];
    if (c == '%' && i + 1 < source.size() && source[i + 1] >= '1' && source[i + 1] <= '9') {
      const std::size_t index = static_cast<std::size_t>(source[i + 1] - '1');
      if (index < args.size()) {
        text += args[index];
        ++i;
        continue;
      }
    }
    text += c;
  }
  return text;
}

std::string Render(const Words& words, const Lookup& lookup) {
  if (words.source == "%1") return Fill(words.source, words.args);
  return Fill(lookup(words.source), words.args);
}

std::string Plain(const WordsLine& line) {
  std::string text;
  for (const Words& piece : line) text += Plain(piece);
  return text;
}

std::string NoticeText(const Notice& notice) {
  std::string text;
  auto add = [&text](const Words& words) {
    if (!text.empty()) text += "\r\n";
    text += Plain(words);
  };
  for (const Words& line : notice.main) add(line);
  for (const Words& line : notice.details) add(line);
  return text;
}

NoticeError::NoticeError(Notice notice) : std::runtime_error(NoticeText(notice)), notice_(std::move(notice)) {}

}  // namespace vk47
