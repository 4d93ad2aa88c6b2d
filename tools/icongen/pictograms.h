#pragma once
// The drawings of the fifteen command icons. Each pictogram paints into the
// picture area (kPictureWidth x kPictureHeight, origin top left) of a
// transparent canvas; icon_canvas.cpp adds the caption band and flattens the
// result onto the white background that the window treats as transparent.

#include <QColor>
#include <string_view>

class QPainter;

namespace vk47::icongen {

inline constexpr int kPictureWidth = 50;
inline constexpr int kPictureHeight = 56;

struct Pictogram {
  std::string_view number;   // command number, the icon's file name without ".bmp"
  const char* caption;       // short Japanese word shown under the drawing (UTF-8)
  const char* kana_caption;  // the same word in kana, for the hiragana mode
  QColor band;               // colour of the caption band, one per palette group
  void (*draw)(QPainter&);   // paints the drawing
};

// The pictogram of a command number, or nullptr when there is none.
const Pictogram* FindPictogram(std::string_view number);

}  // namespace vk47::icongen
