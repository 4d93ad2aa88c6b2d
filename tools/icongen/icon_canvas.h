#pragma once
// Turns a pictogram into the finished 50 x 72 icon: drawing on top, caption
// band below, everything on a pure white background. The window takes the
// bottom-left pixel's colour as transparent, so white must appear only where
// the group box behind the icon should show through.

#include <QImage>

namespace vk47::icongen {

struct Pictogram;

inline constexpr int kIconWidth = 50;
inline constexpr int kIconHeight = 72;

// The icon as a 24-bit RGB image, captioned in kanji or, for the hiragana
// mode, in kana.
enum class Captions { kKanji, kKana };
QImage RenderIcon(const Pictogram& pictogram, Captions captions = Captions::kKanji);

}  // namespace vk47::icongen
