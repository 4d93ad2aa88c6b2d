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
#include "sim/floor_scale.h"
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
  // The floor's numbers take a column left of it and a row under it.
  constexpr double kNumbersW = 10, kNumbersH = 5;
  const double space_top = kFloorTop + 8, space_h = kFloorBottom - space_top;
  const FloorScale scale =
      FitFloor(PathBounds(run.path, run.end.pose, params), kContentW, space_h, kNumbersW, kNumbersH);
  const FloorBox& g = scale.grid;
  const double mm_per_cm = scale.MmPerCm();
  const double w_mm = g.Width() * mm_per_cm, h_mm = g.Height() * mm_per_cm;
  // The floor centred in its space, numbers left of and under it.
  const double left = kMargin + kNumbersW + (kContentW - kNumbersW - w_mm) / 2;
  const double top = space_top + (space_h - kNumbersH - h_mm) / 2;
  auto floor = [&](double x_cm, double y_cm) {
    return u.At(left + (x_cm - g.x0_cm) * mm_per_cm, top + (g.y1_cm - y_cm) * mm_per_cm);
  };

  p.setPen(kInk);
  p.setFont(SheetFont(11, true));
  p.drawText(u.Box(kMargin, kFloorTop, kContentW / 2, 6), Qt::AlignLeft | Qt::AlignVCenter,
             ProgramSheet::tr("ロボットの通り道 (スイッチを押さないとき)"));
  // The scale in the words of ScaleText, through the catalogue.
  const QString scale_text = scale.denominator == 1 ? ProgramSheet::tr("実物大")
                                                    : ProgramSheet::tr("縮尺 1/%1").arg(scale.denominator);
  p.drawText(u.Box(kPageW / 2, kFloorTop, kContentW / 2, 6), Qt::AlignRight | Qt::AlignVCenter, scale_text);

  // Every grid line; numbers on every line that leaves them 10 mm apart,
  // and those lines drawn stronger.
  const double square = scale.grid_cm;
  int every = 1;
  for (int k : {1, 2, 5, 10, 20, 50}) {
    every = k;
    if (k * square * mm_per_cm >= 10) break;
  }
  auto numbered = [&](double v) {
    const double n = std::round(v / square);
    return std::abs(std::fmod(n, every)) < 0.5;
  };
  auto grid_pen = [&](double v) {
    return QPen(numbered(v) ? QColor(0x99, 0xaa, 0xbb) : QColor(0xd4, 0xdd, 0xe5), u.Len(numbered(v) ? 0.3 : 0.12));
  };
  for (double x = g.x0_cm; x <= g.x1_cm + 1e-9; x += square) {
    p.setPen(grid_pen(x));
    p.drawLine(floor(x, g.y0_cm), floor(x, g.y1_cm));
  }
  for (double y = g.y0_cm; y <= g.y1_cm + 1e-9; y += square) {
    p.setPen(grid_pen(y));
    p.drawLine(floor(g.x0_cm, y), floor(g.x1_cm, y));
  }
  p.setPen(QPen(QColor(0x55, 0x66, 0x77), u.Len(0.4)));
  if (g.y0_cm <= 0 && g.y1_cm >= 0) p.drawLine(floor(g.x0_cm, 0), floor(g.x1_cm, 0));
  if (g.x0_cm <= 0 && g.x1_cm >= 0) p.drawLine(floor(0, g.y0_cm), floor(0, g.y1_cm));
  p.setPen(kInk);
  p.setFont(SheetFont(7.5));
  for (double x = g.x0_cm; x <= g.x1_cm + 1e-9; x += square) {
    if (!numbered(x)) continue;
    const QPointF at = floor(x, g.y0_cm);
    p.drawText(QRectF(at.x() - u.Len(8), at.y() + u.Len(0.5), u.Len(16), u.Len(4)), Qt::AlignHCenter | Qt::AlignTop,
               Number(x));
  }
  for (double y = g.y0_cm; y <= g.y1_cm + 1e-9; y += square) {
    if (!numbered(y)) continue;
    const QPointF at = floor(g.x0_cm, y);
    p.drawText(QRectF(at.x() - u.Len(kNumbersW + 1), at.y() - u.Len(2), u.Len(kNumbersW), u.Len(4)),
               Qt::AlignRight | Qt::AlignVCenter, Number(y));
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
  // The end: a see-through triangle pointing along the heading; the start: a
  // green dot over it. Both at their size on the floor, as in the SVG.
  p.setPen(Qt::NoPen);
  const Pose& e = run.end.pose;
  const double th = e.heading_deg * std::acos(-1.0) / 180.0;
  const double r = params.track_cm / 3.0;
  auto corner = [&](double along, double side) {
    return floor(e.x_cm + along * std::cos(th) - side * std::sin(th), e.y_cm + along * std::sin(th) + side * std::cos(th));
  };
  QColor end = kEndOrange;
  end.setAlphaF(0.5);
  p.setBrush(end);
  p.drawPolygon(QPolygonF({corner(r, 0), corner(-r * 0.6, r * 0.6), corner(-r * 0.6, -r * 0.6)}));
  const double dot = params.track_cm / 10.0 * mm_per_cm;
  p.setBrush(kStartGreen);
  p.drawEllipse(floor(0, 0), u.Len(dot), u.Len(dot));
  p.setBrush(Qt::NoBrush);
  p.setRenderHint(QPainter::Antialiasing, false);

  p.setPen(kInk);
  p.setFont(SheetFont(9));
  QString legend = ProgramSheet::tr("● スタート　▲ 最後の位置と向き　数字は cm、1 目盛り = %1 cm").arg(Number(square));
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
