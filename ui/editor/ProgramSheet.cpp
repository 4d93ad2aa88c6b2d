#include "ui/editor/ProgramSheet.h"

#include <QFileInfo>
#include <QFontMetricsF>
#include <QImage>
#include <QLocale>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPainterPath>
#include <QPdfWriter>
#include <QSaveFile>
#include <algorithm>
#include <cmath>

#include "model/command_set.h"
#include "model/listing.h"
#include "sim/trace.h"
#include "ui/common/AppFolder.h"
#include "ui/common/Controls.h"
#include "ui/editor/TImage.h"

namespace vk47 {
namespace {

// The page in millimetres: A4 portrait with 15 mm margins.
constexpr double kPageW = 210, kPageH = 297, kMargin = 15;
constexpr double kContentW = kPageW - 2 * kMargin;
// The step grid: four columns of four cells.
constexpr double kGridTop = 47, kCellW = kContentW / 4, kCellH = 27;
// The floor under it.
constexpr double kFloorTop = kGridTop + 4 * kCellH + 16, kFloorBottom = 276;

const QColor kInk(0x22, 0x33, 0x44);
const QColor kFaint(0x9a, 0xa8, 0xb4);
const QColor kBadge(0, 0, 128);
const QColor kPathBlue(0x00, 0x64, 0xe6);
const QColor kStartGreen(0x1a, 0x9e, 0x3a);
const QColor kEndOrange(0xe0, 0x5a, 0x00);

// Millimetres on the page to device units.
struct PageUnits {
  double k;
  QPointF At(double x, double y) const { return {x * k, y * k}; }
  QRectF Box(double x, double y, double w, double h) const { return {x * k, y * k, w * k, h * k}; }
  double Len(double mm) const { return mm * k; }
};

QFont SheetFont(double points, bool bold = false) {
  QFont font = WindowFont();
  font.setPointSizeF(points);
  font.setBold(bold);
  return font;
}

// The floor around the path on whole grid lines, and how many millimetres
// of paper a centimetre of floor takes: life size (10) when it fits the
// space, else 10 / N for the smallest N of 1, 2, 2.5, 4, 5 times a power of
// ten that fits, so that the scale reads as a plain 1/N.
struct FloorFrame {
  double x0 = 0, x1 = 0, y0 = 0, y1 = 0;  // centimetres of floor
  double major = 10, minor = 1;           // grid spacing, centimetres
  double mm_per_cm = 10;
  double scale_denominator = 1;  // the N of 1/N; 1 at life size
};

FloorFrame FrameFor(const SimRun& run, const SimParams& params, double space_w, double space_h) {
  FloorFrame f;
  for (const Pose& p : run.path) {
    f.x0 = std::min(f.x0, p.x_cm), f.x1 = std::max(f.x1, p.x_cm);
    f.y0 = std::min(f.y0, p.y_cm), f.y1 = std::max(f.y1, p.y_cm);
  }
  const double margin = params.track_cm + 5.0;
  const double extent = std::max(f.x1 - f.x0, f.y1 - f.y0) + 2 * margin;
  // About ten numbered lines along the longer side, at 10, 20, 50, 100 ... cm.
  for (double decade = 10; f.major * 10 < extent; decade *= 10) {
    for (double step : {1.0, 2.0, 5.0, 10.0}) {
      f.major = step * decade;
      if (f.major * 10 >= extent) break;
    }
  }
  f.minor = f.major / 10;
  f.x0 = std::floor((f.x0 - margin) / f.major) * f.major, f.x1 = std::ceil((f.x1 + margin) / f.major) * f.major;
  f.y0 = std::floor((f.y0 - margin) / f.major) * f.major, f.y1 = std::ceil((f.y1 + margin) / f.major) * f.major;
  const double fit = std::min({10.0, space_w / (f.x1 - f.x0), space_h / (f.y1 - f.y0)});
  for (double decade = 1;; decade *= 10) {
    for (double n : {1.0, 2.0, 2.5, 4.0, 5.0}) {
      if (10.0 / (n * decade) <= fit + 1e-9) {
        f.scale_denominator = n * decade;
        f.mm_per_cm = 10.0 / f.scale_denominator;
        return f;
      }
    }
  }
}

QString Number(double value) { return QLocale::c().toString(value, 'g', 6); }

void PaintHeader(QPainter& p, const PageUnits& u, const QString& title, const QDate& date) {
  p.setPen(kInk);
  p.setFont(SheetFont(17, true));
  p.drawText(u.Box(kMargin, kMargin - 2, kContentW - 45, 11), Qt::AlignLeft | Qt::AlignVCenter, title);
  p.setFont(SheetFont(11));
  p.drawText(u.Box(kPageW - kMargin - 45, kMargin - 2, 45, 11), Qt::AlignRight | Qt::AlignVCenter,
             QLocale(QLocale::Japanese).toString(date, QStringLiteral("yyyy年M月d日")));
  // Lines to write on: the pupil's name and class.
  const double line_y = kMargin + 21;
  p.setFont(SheetFont(12));
  p.drawText(u.Box(kMargin, line_y - 7, 16, 7), Qt::AlignLeft | Qt::AlignBottom, ProgramSheet::tr("名前"));
  p.drawText(u.Box(kMargin + 118, line_y - 7, 12, 7), Qt::AlignLeft | Qt::AlignBottom, ProgramSheet::tr("組"));
  p.setPen(QPen(kInk, u.Len(0.3)));
  p.drawLine(u.At(kMargin + 15, line_y), u.At(kMargin + 112, line_y));
  p.drawLine(u.At(kMargin + 128, line_y), u.At(kPageW - kMargin, line_y));
  p.setPen(kInk);
  p.setFont(SheetFont(11, true));
  p.drawText(u.Box(kMargin, kGridTop - 7, kContentW, 6), Qt::AlignLeft | Qt::AlignBottom,
             ProgramSheet::tr("プログラム (上から下へ、左の列から右の列へ進みます)"));
}

// One step: its number, its icon and what it does, in the cell at (x, y).
void PaintStep(QPainter& p, const PageUnits& u, int slot, int code, double x, double y) {
  p.setPen(QPen(kFaint, u.Len(0.25)));
  p.setBrush(Qt::NoBrush);
  p.drawRoundedRect(u.Box(x + 0.8, y + 0.8, kCellW - 1.6, kCellH - 1.6), u.Len(1.5), u.Len(1.5));

  // The icon at the bitmap's proportions (50 x 72), as the window shows it;
  // an empty slot shows the empty-slot picture like the window.
  const QRectF icon = u.Box(x + 8.5, y + 3, 14.6, 21);
  const std::string file = StepIconFile(code).value_or("4.bmp");
  QImage image;
  if (image.load(IconPath(QString::fromStdString(file)))) {
    p.setRenderHint(QPainter::SmoothPixmapTransform, false);
    p.drawImage(icon, WithTransparentBackground(image));
  } else {
    p.setPen(QPen(kFaint, u.Len(0.25), Qt::DashLine));
    p.drawRect(icon);
    p.setFont(SheetFont(8));
    p.drawText(icon, Qt::AlignCenter, QString::fromStdString(StepCommandNumber(code).value_or("?")));
  }

  // The step number in a badge, as on the window's slots.
  const QRectF badge = u.Box(x + 2, y + 2.2, 6, 5);
  p.setPen(Qt::NoPen);
  p.setBrush(kBadge);
  p.drawRoundedRect(badge, u.Len(1), u.Len(1));
  p.setBrush(Qt::NoBrush);
  p.setPen(Qt::white);
  p.setFont(SheetFont(9, true));
  p.drawText(badge, Qt::AlignCenter, QString::number(slot));

  // The step in words on one line, smaller where a long one needs it.
  const std::string words = StepSheetText(code);
  const QString text = words.empty() ? ProgramSheet::tr("(空き)") : QString::fromStdString(words);
  const QRectF box = u.Box(x + 24.2, y + 2, kCellW - 25.5, kCellH - 4);
  QFont font = SheetFont(10.5, !words.empty());
  while (font.pointSizeF() > 7 && QFontMetricsF(font, p.device()).horizontalAdvance(text) > box.width()) {
    font.setPointSizeF(font.pointSizeF() - 0.5);
  }
  p.setPen(words.empty() ? kFaint : kInk);
  p.setFont(font);
  p.drawText(box, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextWordWrap, text);
}

void PaintFloor(QPainter& p, const PageUnits& u, const ProgramCodes& codes) {
  const SimParams params;
  const SimRun run = RunProgram(codes, params, {});
  const double space_top = kFloorTop + 8, space_h = kFloorBottom - space_top;
  const FloorFrame f = FrameFor(run, params, kContentW - 10, space_h - 6);
  const double w_mm = (f.x1 - f.x0) * f.mm_per_cm, h_mm = (f.y1 - f.y0) * f.mm_per_cm;
  // The floor centred in its space, numbers left of and under it.
  const double left = kMargin + 10 + (kContentW - 10 - w_mm) / 2, top = space_top + (space_h - 6 - h_mm) / 2;
  auto floor = [&](double x_cm, double y_cm) {
    return u.At(left + (x_cm - f.x0) * f.mm_per_cm, top + (f.y1 - y_cm) * f.mm_per_cm);
  };

  p.setPen(kInk);
  p.setFont(SheetFont(11, true));
  p.drawText(u.Box(kMargin, kFloorTop, kContentW / 2, 6), Qt::AlignLeft | Qt::AlignVCenter,
             ProgramSheet::tr("ロボットの通り道 (スイッチを押さないとき)"));
  p.setFont(SheetFont(11, true));
  const QString scale = f.scale_denominator == 1 ? ProgramSheet::tr("実物大")
                                                 : ProgramSheet::tr("縮尺 1/%1").arg(Number(f.scale_denominator));
  p.drawText(u.Box(kPageW / 2, kFloorTop, kContentW / 2, 6), Qt::AlignRight | Qt::AlignVCenter, scale);

  auto is_major = [&](double v) { return std::fmod(std::abs(v), f.major) < 1e-6; };
  for (double x = f.x0; x <= f.x1 + 1e-9; x += f.minor) {
    p.setPen(QPen(is_major(x) ? QColor(0x99, 0xaa, 0xbb) : QColor(0xd4, 0xdd, 0xe5), u.Len(is_major(x) ? 0.3 : 0.1)));
    p.drawLine(floor(x, f.y0), floor(x, f.y1));
  }
  for (double y = f.y0; y <= f.y1 + 1e-9; y += f.minor) {
    p.setPen(QPen(is_major(y) ? QColor(0x99, 0xaa, 0xbb) : QColor(0xd4, 0xdd, 0xe5), u.Len(is_major(y) ? 0.3 : 0.1)));
    p.drawLine(floor(f.x0, y), floor(f.x1, y));
  }
  p.setPen(QPen(QColor(0x55, 0x66, 0x77), u.Len(0.4)));
  p.drawLine(floor(f.x0, 0), floor(f.x1, 0));
  p.drawLine(floor(0, f.y0), floor(0, f.y1));
  p.setPen(kInk);
  p.setFont(SheetFont(7.5));
  for (double x = f.x0; x <= f.x1 + 1e-9; x += f.major) {
    const QPointF at = floor(x, f.y0);
    p.drawText(QRectF(at.x() - u.Len(8), at.y() + u.Len(0.5), u.Len(16), u.Len(4)), Qt::AlignHCenter | Qt::AlignTop,
               Number(x));
  }
  for (double y = f.y0; y <= f.y1 + 1e-9; y += f.major) {
    const QPointF at = floor(f.x0, y);
    p.drawText(QRectF(at.x() - u.Len(11), at.y() - u.Len(2), u.Len(10), u.Len(4)), Qt::AlignRight | Qt::AlignVCenter,
               Number(y));
  }

  p.setRenderHint(QPainter::Antialiasing, true);
  QPainterPath path;
  for (std::size_t i = 0; i < run.path.size(); ++i) {
    const QPointF at = floor(run.path[i].x_cm, run.path[i].y_cm);
    if (i == 0) path.moveTo(at);
    else path.lineTo(at);
  }
  p.setPen(QPen(kPathBlue, u.Len(0.8), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  p.drawPath(path);
  // The start: a green dot; the end: a triangle pointing along the heading.
  const double dot = params.track_cm / 10.0 * f.mm_per_cm;
  p.setPen(Qt::NoPen);
  p.setBrush(kStartGreen);
  p.drawEllipse(floor(0, 0), u.Len(std::max(dot, 1.2)), u.Len(std::max(dot, 1.2)));
  const Pose& e = run.end.pose;
  const double th = e.heading_deg * std::acos(-1.0) / 180.0;
  const double r = std::max(params.track_cm / 3.0, 3.0 / f.mm_per_cm);
  auto corner = [&](double along, double side) {
    return floor(e.x_cm + along * std::cos(th) - side * std::sin(th), e.y_cm + along * std::sin(th) + side * std::cos(th));
  };
  QColor end = kEndOrange;
  end.setAlphaF(0.75);
  p.setBrush(end);
  p.drawPolygon(QPolygonF({corner(r, 0), corner(-r * 0.6, r * 0.6), corner(-r * 0.6, -r * 0.6)}));
  p.setBrush(Qt::NoBrush);
  p.setRenderHint(QPainter::Antialiasing, false);

  p.setPen(kInk);
  p.setFont(SheetFont(9));
  QString legend = ProgramSheet::tr("● スタート　▲ 最後の位置と向き　数字は cm、1 目盛り = %1 cm")
                       .arg(Number(f.minor));
  const std::string outcome = OutcomeText(run, params);
  if (!outcome.empty()) legend += QStringLiteral("\n") + QString::fromStdString(outcome);
  p.drawText(u.Box(kMargin, kFloorBottom + 1, kContentW, 10), Qt::AlignLeft | Qt::AlignTop, legend);
}

}  // namespace

QString ProgramSheet::Title() const {
  if (content_.file_name.isEmpty()) return tr("無題");
  return QFileInfo(content_.file_name).fileName();
}

void ProgramSheet::Paint(QPainter& painter, double dots_per_mm) const {
  const PageUnits u{dots_per_mm};
  painter.save();
  painter.fillRect(u.Box(0, 0, kPageW, kPageH), Qt::white);
  PaintHeader(painter, u, Title(), content_.date);
  for (int k = 0; k < kSlotCount; ++k) {
    // Down the columns, as the window's slots run.
    PaintStep(painter, u, k, content_.codes[k], kMargin + (k / 4) * kCellW, kGridTop + (k % 4) * kCellH);
  }
  PaintFloor(painter, u, content_.codes);
  painter.restore();
}

bool ProgramSheet::PaintOn(QPagedPaintDevice& device) const {
  device.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(0, 0, 0, 0)));
  QPainter painter;
  if (!painter.begin(&device)) return false;
  Paint(painter, device.logicalDpiX() / 25.4);
  return painter.end();
}

bool ProgramSheet::WritePdf(const QString& path, QString* error) const {
  QSaveFile file(path);
  bool written = file.open(QIODevice::WriteOnly);
  if (written) {
    QPdfWriter pdf(&file);
    pdf.setTitle(Title());
    pdf.setCreator(QStringLiteral("vk47"));
    written = PaintOn(pdf);
  }
  written = written && file.commit();
  if (!written && error) {
    *error = tr("PDF ファイル %1 を作成できません。%2").arg(path, file.errorString());
  }
  return written;
}

}  // namespace vk47
