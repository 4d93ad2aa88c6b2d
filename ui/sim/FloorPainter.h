#pragma once
// Paints a drawing of the floor (sim/floor_drawing.h) with QPainter: the
// simulator window's live floor and the printed sheet walk the same shapes
// that the SVG writer (sim/floor_svg.h) writes for the browser, so every
// edition draws the same floor. UI thread (or the command line's one thread).

#include <QFont>
#include <QPointF>
#include <QRectF>

#include "sim/floor_drawing.h"

class QPainter;

namespace vk47 {

// Where a drawing's floor lies on a device: its frame fills `target`.
struct FloorToDevice {
  FloorBox frame;
  QRectF target;

  double PerCm() const { return frame.Width() > 0 ? target.width() / frame.Width() : 1; }
  QPointF At(double x_cm, double y_cm) const {
    return {target.left() + (x_cm - frame.x0_cm) * PerCm(), target.top() + (frame.y1_cm - y_cm) * PerCm()};
  }
  QPointF At(const FloorPoint& p) const { return At(p.x_cm, p.y_cm); }
};

// The drawing's background over `target`, then every shape in its order;
// texts in the family of `font`.
void PaintFloorDrawing(QPainter& painter, const FloorDrawing& drawing, const QRectF& target, const QFont& font);

// One shape, for a view that adds to what it painted before.
void PaintFloorShape(QPainter& painter, const FloorShape& shape, const FloorToDevice& to, const QFont& font);

}  // namespace vk47
