#include "tools/icongen/app_icon.h"

#include <QBuffer>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <iterator>
#include <vector>

namespace vk47::icongen {
namespace {

struct Shape {
  enum class Kind { kRoundedRect, kCircle, kPolygon };
  Kind kind;
  QColor fill;
  QRectF rect;             // kRoundedRect: the rectangle; kCircle: the bounding square
  double radius = 0;       // corner radius of kRoundedRect
  QPolygonF points = {};   // kPolygon
};

Shape Rounded(QRectF rect, double radius, QColor fill) {
  return {Shape::Kind::kRoundedRect, fill, rect, radius};
}
Shape Circle(QPointF centre, double r, QColor fill) {
  return {Shape::Kind::kCircle, fill, QRectF(centre.x() - r, centre.y() - r, 2 * r, 2 * r)};
}
Shape Polygon(QPolygonF points, QColor fill) { return {Shape::Kind::kPolygon, fill, {}, 0, points}; }

// Back to front, in the 256 x 256 box.
const std::vector<Shape>& Shapes() {
  static const std::vector<Shape> shapes = [] {
    const QColor tile(0x19, 0x40, 0x8f);  // the blue of the help page's headings
    const QColor body(0xf5, 0xc4, 0x00);
    const QColor tyre(0x22, 0x22, 0x22);
    const QColor hub(0xc0, 0xc0, 0xc0);
    const QColor white(0xff, 0xff, 0xff);
    std::vector<Shape> s;
    s.push_back(Rounded(QRectF(12, 12, 232, 232), 44, tile));
    // The arrow: the robot goes forward.
    s.push_back(Polygon(QPolygonF({QPointF(128, 26), QPointF(170, 66), QPointF(144, 66),
                                   QPointF(144, 92), QPointF(112, 92), QPointF(112, 66),
                                   QPointF(86, 66)}),
                        white));
    s.push_back(Rounded(QRectF(52, 100, 152, 88), 18, body));
    s.push_back(Circle(QPointF(100, 136), 13, white));
    s.push_back(Circle(QPointF(156, 136), 13, white));
    s.push_back(Circle(QPointF(100, 138), 6, tyre));
    s.push_back(Circle(QPointF(156, 138), 6, tyre));
    for (const double x : {72.0, 184.0}) {
      s.push_back(Circle(QPointF(x, 190), 32, tyre));
      s.push_back(Circle(QPointF(x, 190), 13, hub));
    }
    return s;
  }();
  return shapes;
}

QString Number(double v) { return QString::number(v, 'g', 6); }

void AppendLittleEndian(QByteArray& out, quint32 value, int bytes) {
  for (int i = 0; i < bytes; ++i) out.append(char((value >> (8 * i)) & 0xff));
}

}  // namespace

QImage RenderAppIcon(int size) {
  QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  p.scale(double(size) / kAppIconBox, double(size) / kAppIconBox);
  p.setPen(Qt::NoPen);
  for (const Shape& shape : Shapes()) {
    p.setBrush(shape.fill);
    switch (shape.kind) {
      case Shape::Kind::kRoundedRect: p.drawRoundedRect(shape.rect, shape.radius, shape.radius); break;
      case Shape::Kind::kCircle: p.drawEllipse(shape.rect); break;
      case Shape::Kind::kPolygon: p.drawPolygon(shape.points); break;
    }
  }
  p.end();
  return image.convertToFormat(QImage::Format_ARGB32);
}

QString AppIconSvg() {
  QString svg = QStringLiteral(
                    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                    "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"%1\" height=\"%1\" "
                    "viewBox=\"0 0 %1 %1\">\n")
                    .arg(kAppIconBox);
  for (const Shape& shape : Shapes()) {
    const QString fill = shape.fill.name();
    switch (shape.kind) {
      case Shape::Kind::kRoundedRect:
        svg += QStringLiteral("  <rect x=\"%1\" y=\"%2\" width=\"%3\" height=\"%4\" rx=\"%5\" fill=\"%6\"/>\n")
                   .arg(Number(shape.rect.x()), Number(shape.rect.y()), Number(shape.rect.width()),
                        Number(shape.rect.height()), Number(shape.radius), fill);
        break;
      case Shape::Kind::kCircle:
        svg += QStringLiteral("  <circle cx=\"%1\" cy=\"%2\" r=\"%3\" fill=\"%4\"/>\n")
                   .arg(Number(shape.rect.center().x()), Number(shape.rect.center().y()),
                        Number(shape.rect.width() / 2), fill);
        break;
      case Shape::Kind::kPolygon: {
        QStringList points;
        for (const QPointF& pt : shape.points) points << Number(pt.x()) + u',' + Number(pt.y());
        svg += QStringLiteral("  <polygon points=\"%1\" fill=\"%2\"/>\n").arg(points.join(u' '), fill);
        break;
      }
    }
  }
  svg += QStringLiteral("</svg>\n");
  return svg;
}

QByteArray AppIconIco() {
  constexpr int kHeaderSize = 6;
  constexpr int kEntrySize = 16;
  constexpr int kCount = int(std::size(kWindowsIconSizes));
  std::vector<QByteArray> images;
  for (const int size : kWindowsIconSizes) {
    QByteArray png;
    QBuffer buffer(&png);
    if (!buffer.open(QIODevice::WriteOnly) || !RenderAppIcon(size).save(&buffer, "PNG")) return {};
    images.push_back(png);
  }
  // ICONDIR: reserved, type 1 (icon), number of images; then one
  // ICONDIRENTRY per image, then the images in the same order.
  QByteArray ico;
  AppendLittleEndian(ico, 0, 2);
  AppendLittleEndian(ico, 1, 2);
  AppendLittleEndian(ico, kCount, 2);
  quint32 offset = kHeaderSize + kCount * kEntrySize;
  for (int i = 0; i < kCount; ++i) {
    const int size = kWindowsIconSizes[i];
    ico.append(char(size >= 256 ? 0 : size));  // 0 stands for 256
    ico.append(char(size >= 256 ? 0 : size));
    ico.append(char(0));                        // no palette
    ico.append(char(0));                        // reserved
    AppendLittleEndian(ico, 1, 2);              // colour planes
    AppendLittleEndian(ico, 32, 2);             // bits per pixel
    AppendLittleEndian(ico, quint32(images[i].size()), 4);
    AppendLittleEndian(ico, offset, 4);
    offset += quint32(images[i].size());
  }
  for (const QByteArray& png : images) ico += png;
  return ico;
}

}  // namespace vk47::icongen
