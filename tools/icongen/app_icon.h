#pragma once
// The application icon: a two-wheeled robot under a forward arrow on a blue
// tile. One list of shapes in a 256 x 256 square gives both the PNG sizes of
// the desktop's icon theme and the scalable SVG, so the two always match.

#include <QByteArray>
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

// The sizes of the Windows icon file: the small ones for the title bar and
// the taskbar, 256 for Explorer's large views.
inline constexpr int kWindowsIconSizes[] = {16, 24, 32, 48, 64, 256};

// A Windows .ico file with one PNG-compressed image per size of
// kWindowsIconSizes (the form Windows reads since Vista), smallest first;
// empty when an image cannot be encoded.
QByteArray AppIconIco();

}  // namespace vk47::icongen
