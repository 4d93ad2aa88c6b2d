#pragma once
// The hiragana catalogue compiled into the browser edition's core: the
// finished translations of translations/vk47_kana.ts, sorted by source
// (written at build time by catalogue.py).

#include <cstddef>
#include <string_view>

namespace vk47::web {

struct CatalogueEntry {
  const char* source;
  const char* kana;
};
extern const CatalogueEntry kCatalogue[];
extern const std::size_t kCatalogueSize;

// The hiragana of a source text; nullptr when the catalogue has none.
const char* FindKana(std::string_view source);

}  // namespace vk47::web
