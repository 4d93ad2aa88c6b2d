#include "tools/icongen/icon_canvas.h"

#include <QFont>
#include <QFontMetricsF>
#include <QPainter>

#include "tools/icongen/pictograms.h"

namespace vk47::icongen {
namespace {

// The palette and the slots sit on silver group boxes: soft edges are mixed
// with that colour, so they look smooth where the icons are actually shown.
constexpr int kShownOn = 192;
// Pixels covered less than this (of 255) become background.
constexpr int kOpaqueFrom = 110;

const QRectF kBand(1, 57, 48, 14);  // leaves the bottom row and the edge columns white
const QColor kCaptionText(250, 250, 250);

void DrawCaption(QPainter& p, const Pictogram& pictogram, Captions captions) {
  p.setPen(Qt::NoPen);
  p.setBrush(pictogram.band);
  p.drawRoundedRect(kBand, 3, 3);
  const QString caption = QString::fromUtf8(captions == Captions::kKana ? pictogram.kana_caption : pictogram.caption);
  QFont font("IPAPGothic");
  font.setBold(true);
  // The largest size up to 12 px that fits the band: "ここから" needs smaller
  // type, and a kana word of six ("にゅうりょく") the smallest.
  for (int size = 12; size >= 7; --size) {
    font.setPixelSize(size);
    if (QFontMetricsF(font).horizontalAdvance(caption) <= kBand.width() - 3) break;
  }
  p.setFont(font);
  p.setPen(kCaptionText);
  p.drawText(kBand.adjusted(0, -1, 0, 0), Qt::AlignCenter, caption);
}

// Opaque enough pixels are mixed onto the silver of the group box, the rest
// becomes the white transparent colour; no drawn pixel may come out white.
QImage Flatten(const QImage& canvas) {
  QImage icon(canvas.size(), QImage::Format_RGB888);
  for (int y = 0; y < canvas.height(); ++y) {
    const auto* in = reinterpret_cast<const QRgb*>(canvas.constScanLine(y));
    uchar* out = icon.scanLine(y);
    for (int x = 0; x < canvas.width(); ++x, out += 3) {
      const QRgb px = in[x];  // premultiplied
      const int a = qAlpha(px);
      int rgb[3] = {255, 255, 255};
      if (a >= kOpaqueFrom) {
        const int under = (255 - a) * kShownOn / 255;
        rgb[0] = qRed(px) + under;
        rgb[1] = qGreen(px) + under;
        rgb[2] = qBlue(px) + under;
        if (rgb[0] >= 255 && rgb[1] >= 255 && rgb[2] >= 255) rgb[0] = rgb[1] = rgb[2] = 250;
      }
      for (int c = 0; c < 3; ++c) out[c] = static_cast<uchar>(std::min(rgb[c], 255));
    }
  }
  return icon;
}

}  // namespace

QImage RenderIcon(const Pictogram& pictogram, Captions captions) {
  QImage canvas(kIconWidth, kIconHeight, QImage::Format_ARGB32_Premultiplied);
  canvas.fill(Qt::transparent);
  {
    QPainter p(&canvas);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.save();
    p.setClipRect(0, 0, kPictureWidth, kPictureHeight);
    pictogram.draw(p);
    p.restore();
    DrawCaption(p, pictogram, captions);
  }
  return Flatten(canvas);
}

}  // namespace vk47::icongen
