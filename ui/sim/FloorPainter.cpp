#include "ui/sim/FloorPainter.h"

#include <QColor>
#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <cmath>

namespace vk47 {

void PaintFloorShape(QPainter& p, const FloorShape& shape, const FloorToDevice& to, const QFont& font) {
  const QColor colour{QLatin1String(shape.colour)};
  const double k = to.PerCm();
  p.save();
  // Grid lines stay crisp; everything else is smoothed.
  p.setRenderHint(QPainter::Antialiasing, shape.kind != FloorShape::Kind::kLine);
  switch (shape.kind) {
    case FloorShape::Kind::kLine:
      if (shape.runs.empty() || shape.runs[0].size() < 2) break;
      p.setPen(QPen(colour, shape.size * k, Qt::SolidLine, Qt::FlatCap));
      p.drawLine(to.At(shape.runs[0][0]), to.At(shape.runs[0][1]));
      break;
    case FloorShape::Kind::kPath: {
      QPainterPath path;
      for (const auto& run : shape.runs) {
        for (std::size_t i = 0; i < run.size(); ++i) {
          if (i == 0) path.moveTo(to.At(run[i]));
          else path.lineTo(to.At(run[i]));
        }
      }
      p.setPen(QPen(colour, shape.size * k, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
      p.setBrush(Qt::NoBrush);
      p.drawPath(path);
      break;
    }
    case FloorShape::Kind::kDot:
      p.setPen(Qt::NoPen);
      p.setBrush(colour);
      p.drawEllipse(to.At(shape.at), shape.size * k, shape.size * k);
      break;
    case FloorShape::Kind::kPolygon: {
      if (shape.runs.empty()) break;
      QPolygonF corners;
      for (const FloorPoint& c : shape.runs[0]) corners << to.At(c);
      p.setPen(Qt::NoPen);
      p.setBrush(colour);
      p.drawPolygon(corners);
      break;
    }
    case FloorShape::Kind::kText: {
      QFont sized = font;
      sized.setPixelSize(std::max(1, static_cast<int>(std::lround(shape.size * k))));
      const QString text = QString::fromStdString(shape.text);
      const double width = QFontMetricsF(sized, p.device()).horizontalAdvance(text);
      QPointF at = to.At(shape.at);
      if (shape.anchor == FloorShape::Anchor::kMiddle) at.rx() -= width / 2;
      if (shape.anchor == FloorShape::Anchor::kEnd) at.rx() -= width;
      p.setFont(sized);
      p.setPen(colour);
      p.drawText(at, text);
      break;
    }
  }
  p.restore();
}

void PaintFloorDrawing(QPainter& painter, const FloorDrawing& drawing, const QRectF& target, const QFont& font) {
  const FloorToDevice to{drawing.frame, target};
  painter.fillRect(target, QColor(QLatin1String(drawing.background)));
  for (const FloorShape& shape : drawing.shapes) PaintFloorShape(painter, shape, to, font);
}

}  // namespace vk47
