#include "ui/editor/ProgramSheet.h"

#include <QBuffer>
#include <QFileInfo>
#include <QFontMetricsF>
#include <QImage>
#include <QLocale>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
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
#include "ui/sim/FloorPainter.h"

namespace vk47 {
namespace {

// The page in millimetres, and what it says, are the sheet's own
// (sim/sheet.h), shared with the browser's print.
using namespace sheet_mm;

const QColor kInk{QLatin1String(kInkColour)};
const QColor kFaint(0x9a, 0xa8, 0xb4);
const QColor kBadge(0, 0, 128);

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

// The floor's heading and scale, the floor as every edition draws it
// (sim/floor_drawing.h) at its place on the page, and the legend.
void PaintFloor(QPainter& p, const PageUnits& u, const PrintedSheet& sheet) {
  p.setPen(kInk);
  p.setFont(SheetFont(11, true));
  p.drawText(u.Box(kMargin, kFloorTop, kContentW / 2, 6), Qt::AlignLeft | Qt::AlignVCenter,
             TrWords(sheet.floor_heading));
  p.drawText(u.Box(kPageW / 2, kFloorTop, kContentW / 2, 6), Qt::AlignRight | Qt::AlignVCenter,
             TrWords(sheet.scale));

  const SheetRect place = SheetFloorPlace(sheet);
  PaintFloorDrawing(p, SheetFloorDrawing(sheet), u.Box(place.x, place.y, place.width, place.height), SheetFont(7.5));

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

Notice ProgramSheet::WritePdf(const QString& path) const {
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
  if (write) return {};
  Notice notice;
  if (write.status == WriteStatus::kFailed) {
    notice.main.push_back({VK47_TEXT("PDF ファイル %1 を作成できません。"), {path.toStdString()}});
    notice.main.push_back({VK47_TEXT("別の名前にするか、別のフォルダ (ドキュメントなど) に保存してください。"), {}});
    notice.details.push_back({VK47_TEXT("システムの説明: %1"), {write.error.message()}});
  } else {
    // A link it would not follow, or the program's own file: the first line
    // names the file and why.
    notice.main.push_back(WriteFailureWords(target, write));
  }
  notice.reason = {VK47_TEXT("PDF を作成できませんでした"), {}};
  return notice;
}

Notice PrintFailure() {
  Notice notice;
  notice.main.push_back({VK47_TEXT("印刷できませんでした。"), {}});
  notice.main.push_back({VK47_TEXT("プリンタの電源と用紙を確かめて、もう一度試してください。"), {}});
  notice.reason = {VK47_TEXT("印刷できませんでした"), {}};
  return notice;
}

}  // namespace vk47
