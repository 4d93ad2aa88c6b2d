#pragma once
// The application icon: a two-wheeled robot under a forward arrow on a blue
// tile. One list of shapes in a 256 x 256 square gives both the PNG sizes of
// the desktop's icon theme and the scalable SVG, so the two always match.

#include <QImage>
#include <QString>

namespace vk47::icongen {

inline constexpr int kAppIconBox = 256;
// The bitmap sizes the icon theme gets (hicolor/NxN/apps).
inline constexpr int kAppIconSizes[] = {48, 64, 128, 256};

// The icon drawn at size x size pixels, transparent outside the tile.
QImage RenderAppIcon(int size);

// The same drawing as an SVG document (UTF-8 text).
QString AppIconSvg();

}  // namespace vk47::icongen
