// The texts only the browser edition's page says: its menus, buttons and
// messages that the desktop window does not have. Listed here, with
// VK47_TEXT, so that scripts/update-translations (lupdate) brings them into
// translations/vk47_kana.ts, in the context "web", where they get their
// hiragana; compiled into the core, whose catalogue the page's texts come
// from. web/core/page_texts.mjs lists the page's texts that are missing.

#include "binding.h"

namespace web {

const char* const kPageTexts[] = {
    VK47_TEXT("VK-47ロボット制御３"),
    VK47_TEXT("このブラウザからはロボットに送れません (送れるのはパソコンと Chromebook の Chrome と Edge です)。"),
    VK47_TEXT("ポートが選ばれなかったので、何も送りませんでした。"),
    VK47_TEXT("シリアルポート"),
};

}  // namespace web

// The list, for the core's tests.
VK47_EXPORT int vk47_page_texts() {
  vk47::web::Json json;
  json.Open('[');
  for (const char* text : web::kPageTexts) json.String(text);
  json.Close(']');
  return vk47::web::Answer(json.Take());
}
