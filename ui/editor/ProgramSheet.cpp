#include "ui/editor/ProgramSheet.h"

#include <QBuffer>
#include <QFileInfo>
#include <QFontMetricsF>
#include <QImage>
#include <QLocale>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPainterPath>
#include <QPdfWriter>
#include <algorithm>
#include <cmath>
#include <filesystem>
#include <string_view>
#include <vector>

#include "model/command_set.h"
#include "model/file_io.h"
#include "sim/floor_marks.h"
#include "sim/sheet.h"
#include "ui/common/AppFolder.h"
#include "ui/common/Catalogue.h"
#include "ui/common/Controls.h"
#include "ui/editor/TImage.h"

namespace vk47 {
namespace {

// The page in millimetres, and what it says, are the sheet's own
// (sim/sheet.h), shared with the browser's print.
using namespace sheet_mm;

const QColor kInk{QLatin1String(kInkColour)};
const QColor kFaint(0x9a, 0xa8, 0xb4);
const QColor kBadge(0, 0, 128);
const QColor kPathBlue{QLatin1String(kPathColour)};
const QColor kStartGreen{QLatin1String(kStartColour)};
const QColor kEndOrange{QLatin1String(kEndColour)};

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

QString Number(double value) { return QString::fromStdString(GridNumber(value)); }

void PaintHeader(QPainter& p, const PageUnits& u, const PrintedSheet& sheet) {
  p.setPen(kInk);
  p.setFont(SheetFont(17, true));
  p.drawText(u.Box(kMargin, kMargin - 2, kContentW - 45, 11), Qt::AlignLeft | Qt::AlignVCenter, TrWords(sheet.title));
  p.setFont(SheetFont(11));
  p.drawText(u.Box(kPageW - kMargin - 45, kMargin - 2, 45, 11), Qt::AlignRight | Qt::AlignVCenter,
             TrWords(sheet.date));
  // Lines to write on: the pupil's name and class.
  const double line_y = kMargin + 21;
  p.setFont(SheetFont(12));
  p.drawText(u.Box(kMargin, line_y - 7, 16, 7), Qt::AlignLeft | Qt::AlignBottom, TrWords(sheet.name_label));
  p.drawText(u.Box(kMargin + 118, line_y - 7, 12, 7), Qt::AlignLeft | Qt::AlignBottom, TrWords(sheet.class_label));
  p.setPen(QPen(kInk, u.Len(0.3)));
  p.drawLine(u.At(kMargin + 15, line_y), u.At(kMargin + 112, line_y));
  p.drawLine(u.At(kMargin + 128, line_y), u.At(kPageW - kMargin, line_y));
  p.setPen(kInk);
  p.setFont(SheetFont(11, true));
  p.drawText(u.Box(kMargin, kGridTop - 7, kContentW, 6), Qt::AlignLeft | Qt::AlignBottom,
             TrWords(sheet.program_heading));
}

// One step: its number, its icon and what it does, in the cell at (x, y).
void PaintStep(QPainter& p, const PageUnits& u, const SheetStep& step, const Words& empty, double x, double y) {
  const int code = step.code;
  p.setPen(QPen(kFaint, u.Len(0.25)));
  p.setBrush(Qt::NoBrush);
  p.drawRoundedRect(u.Box(x + 0.8, y + 0.8, kCellW - 1.6, kCellH - 1.6), u.Len(1.5), u.Len(1.5));

  // The icon at the bitmap's proportions (50 x 72), as the window shows it;
  // an empty slot shows the empty-slot picture like the window.
  const QRectF icon = u.Box(x + 8.5, y + 3, 14.6, 21);
  const std::string file = step.picture + ".bmp";
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
  p.drawText(badge, Qt::AlignCenter, QString::number(step.slot));

  // The step in words on one line, smaller where a long one needs it.
  const bool filled = !step.text.empty();
  const QString text = filled ? TrLine(step.text) : TrWords(empty);
  const QRectF box = u.Box(x + 24.2, y + 2, kCellW - 25.5, kCellH - 4);
  QFont font = SheetFont(10.5, filled);
  while (font.pointSizeF() > 7 && QFontMetricsF(font, p.device()).horizontalAdvance(text) > box.width()) {
    font.setPointSizeF(font.pointSizeF() - 0.5);
  }
  p.setPen(filled ? kInk : kFaint);
  p.setFont(font);
  p.drawText(box, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextWordWrap, text);
}

void PaintFloor(QPainter& p, const PageUnits& u, const PrintedSheet& sheet) {
  const SimParams params;
  const SimRun& run = sheet.run;
  // The floor's numbers take a column left of it and a row under it.
  const double space_top = kFloorRoomTop, space_h = kFloorRoomH;
  const FloorScale& scale = sheet.floor.scale;
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
             TrWords(sheet.floor_heading));
  p.drawText(u.Box(kPageW / 2, kFloorTop, kContentW / 2, 6), Qt::AlignRight | Qt::AlignVCenter,
             TrWords(sheet.scale));

  // Every grid line; numbers on every line that leaves them 10 mm apart,
  // and those lines drawn stronger.
  const double square = scale.grid_cm;
  auto numbered = [&](double v) { return PaperLineNumbered(sheet.floor, v); };
  auto grid_pen = [&](double v) {
    return QPen(QColor(QLatin1String(numbered(v) ? kGridMajorColour : kGridColour)), u.Len(numbered(v) ? 0.3 : 0.12));
  };
  for (double x = g.x0_cm; x <= g.x1_cm + 1e-9; x += square) {
    p.setPen(grid_pen(x));
    p.drawLine(floor(x, g.y0_cm), floor(x, g.y1_cm));
  }
  for (double y = g.y0_cm; y <= g.y1_cm + 1e-9; y += square) {
    p.setPen(grid_pen(y));
    p.drawLine(floor(g.x0_cm, y), floor(g.x1_cm, y));
  }
  p.setPen(QPen(QColor(QLatin1String(kAxisColour)), u.Len(0.4)));
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
  QPolygonF triangle;
  for (const FloorPoint& c : EndTriangle(run.end.pose, params)) triangle << floor(c.x_cm, c.y_cm);
  QColor end = kEndOrange;
  end.setAlphaF(kEndMarkOpacity);
  p.setBrush(end);
  p.drawPolygon(triangle);
  const double dot = StartDotRadius(params) * mm_per_cm;
  p.setBrush(kStartGreen);
  p.drawEllipse(floor(0, 0), u.Len(dot), u.Len(dot));
  p.setBrush(Qt::NoBrush);
  p.setRenderHint(QPainter::Antialiasing, false);

  p.setPen(kInk);
  p.setFont(SheetFont(9));
  QString legend = TrWords(sheet.legend);
  if (!sheet.outcome.empty()) legend += QStringLiteral("\n") + TrWords(sheet.outcome);
  p.drawText(u.Box(kMargin, kFloorBottom + 1, kContentW, 10), Qt::AlignLeft | Qt::AlignTop, legend);
}

}  // namespace

PrintedSheet ProgramSheet::Shared() const {
  const QDate& d = content_.date;
  return MakePrintedSheet(content_.codes, content_.file_name.toStdString(), {d.year(), d.month(), d.day()});
}

QString ProgramSheet::Title() const { return TrWords(Shared().title); }

void ProgramSheet::Paint(QPainter& painter, double dots_per_mm) const {
  const PageUnits u{dots_per_mm};
  painter.save();
  painter.fillRect(u.Box(0, 0, kPageW, kPageH), Qt::white);
  const PrintedSheet sheet = Shared();
  PaintHeader(painter, u, sheet);
  for (int k = 0; k < kSlotCount; ++k) {
    // Down the columns, as the window's slots run.
    PaintStep(painter, u, sheet.steps[k], sheet.empty_step, kMargin + (k / 4) * kCellW, kGridTop + (k % 4) * kCellH);
  }
  PaintFloor(painter, u, sheet);
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
  // Painted into memory, then written by the one write of every file
  // (file_io.h): its rules for links, owners and the program file itself
  // hold for the sheet too.
  QByteArray bytes;
  QBuffer buffer(&bytes);
  bool painted = buffer.open(QIODevice::WriteOnly);
  if (painted) {
    QPdfWriter pdf(&buffer);
    pdf.setTitle(Title());
    pdf.setCreator(QStringLiteral("vk47"));
    painted = PaintOn(pdf);
  }
  const std::filesystem::path target = PathFromText(path.toStdString());
  std::vector<std::filesystem::path> inputs;
  if (!content_.file_name.isEmpty()) inputs.push_back(PathFromText(content_.file_name.toStdString()));
  FileWrite write;
  write.error = std::make_error_code(std::errc::io_error);  // the painting failed
  if (painted) write = WriteFileChecked(target, std::string_view(bytes.constData(), bytes.size()), inputs);
  if (!write && error) {
    *error = write.status == WriteStatus::kFailed
                 ? tr("PDF ファイル %1 を作成できません。%2")
                       .arg(path, QString::fromLocal8Bit(write.error.message().c_str()))
                 : TrWords(WriteFailureWords(target, write));
  }
  return static_cast<bool>(write);
}

}  // namespace vk47
