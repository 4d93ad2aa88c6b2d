// One program's floor drawn three ways: in the simulator window, on the
// printed sheet (painted as the printer and the PDF get it) and as the SVG
// the browser shows. They agree on the scale, the grid and where the run
// ends, and what is painted is the shared drawing (sim/floor_drawing.h).
#include <gtest/gtest.h>

#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QRegularExpression>
#include <cmath>
#include <vector>

#include "sim/floor_drawing.h"
#include "sim/sheet.h"
#include "sim/trace.h"
#include "tests/ui/ui_test_support.h"
#include "ui/common/Catalogue.h"
#include "ui/Unit1.h"
#include "ui/editor/ProgramSheet.h"
#include "ui/sim/FloorPainter.h"
#include "ui/sim/SimWindow.h"

namespace vk47 {
namespace {

class FloorAgreementTest : public ::testing::Test {
 protected:
  void SetUp() override {
    sandbox.WriteAllIcons();
    form = std::make_unique<TForm1>(sandbox.Factory());
    form->show();
  }

  testing::UiSandbox sandbox;
  std::unique_ptr<TForm1> form;
};

// Whether `c` is `css` give or take what smoothing does to a colour.
bool Near(const QColor& c, const char* css, int slack = 40) {
  const QColor want{QLatin1String(css)};
  return std::abs(c.red() - want.red()) < slack && std::abs(c.green() - want.green()) < slack &&
         std::abs(c.blue() - want.blue()) < slack;
}

// The distances between the non-white runs of pixels along a row.
std::vector<int> Gaps(const QImage& image, int y, int from, int to) {
  std::vector<int> starts;
  bool inside = false;
  for (int x = from; x < to; ++x) {
    const bool ink = image.pixelColor(x, y) != QColor(Qt::white);
    if (ink && !inside) starts.push_back(x);
    inside = ink;
  }
  std::vector<int> gaps;
  for (std::size_t i = 1; i < starts.size(); ++i) gaps.push_back(starts[i] - starts[i - 1]);
  return gaps;
}

TEST_F(FloorAgreementTest, TheWindowTheSheetAndTheSvgAgree) {
  // 前進 1 s, 左前 1 s (a pivot to the right), 終了: life size on paper.
  ProgramCodes codes = EmptyProgram();
  codes[0] = 0x24, codes[1] = 0x14, codes[2] = 0xD0;
  const SimParams& params = TSimWindow::kParams;

  // Where the run ends: the same in the window, on the sheet and in the trace.
  for (int i = 0; i < kSlotCount; ++i) form->StepSlots().SetCode(i, codes[static_cast<std::size_t>(i)]);
  TSimWindow* sim = TSimWindow::Open(form.get(), form->StepSlots(), form->Document().UndoStack());
  sim->Start();
  sim->RunTo(10);
  ASSERT_TRUE(IsFinished(sim->State().phase));
  const PrintedSheet sheet = MakePrintedSheet(codes, "", {2026, 12, 10}, params);
  const SimRun trace = RunProgram(codes, params, {});
  const Pose end = sim->State().pose;
  EXPECT_EQ(end.x_cm, sheet.run.end.pose.x_cm);
  EXPECT_EQ(end.y_cm, sheet.run.end.pose.y_cm);
  EXPECT_EQ(end.heading_deg, sheet.run.end.pose.heading_deg);
  EXPECT_EQ(end.x_cm, trace.end.pose.x_cm);
  EXPECT_EQ(end.heading_deg, trace.end.pose.heading_deg);

  // The window paints the live drawing: its grid is the live view's, as the
  // browser's SVG of the same view says; the start dot and the path where
  // the drawing puts them.
  const QImage floor = sim->Floor->grab().toImage();
  const FloorView view = sim->FloorShown();
  const FloorDrawing live = LiveFloorDrawing(sim->Path(), view, sim->Floor->width(), sim->Floor->height());
  EXPECT_EQ(live.grid_cm, LiveGrid(view.px_per_cm).step_cm);
  const std::string live_svg =
      LiveFloorSvg(sim->Path(), end, params, view, sim->Floor->width(), sim->Floor->height());
  EXPECT_NE(live_svg.find(">1 マス = " + GridNumber(live.grid_cm) + " cm<"), std::string::npos);
  const FloorToDevice on_screen{live.frame, QRectF(QPointF(), QSizeF(floor.size()) / floor.devicePixelRatio())};
  const double ratio = floor.devicePixelRatio();
  auto screen_pixel = [&](double x_cm, double y_cm, QPointF offset_px = {}) {
    const QPointF at = (on_screen.At(x_cm, y_cm) + offset_px) * ratio;
    return floor.pixelColor(at.toPoint());
  };
  EXPECT_TRUE(Near(screen_pixel(0, 0, {-2, 2}), kStartColour))
      << "the start dot, under the path: " << screen_pixel(0, 0, {-2, 2}).name().toStdString();
  EXPECT_TRUE(Near(screen_pixel(5, 0), kPathColour))
      << "the path half way through the drive: " << screen_pixel(5, 0).name().toStdString();

  // The sheet: life size, squares of 1 cm.
  EXPECT_EQ(sheet.floor.scale.denominator, 1);
  EXPECT_EQ(sheet.floor.scale.grid_cm, 1);
  const FloorDrawing paper = SheetFloorDrawing(sheet);
  // Its SVG is that size on paper, and its end mark stands on the run's end.
  const std::string paper_svg = SheetFloorSvg(sheet);
  const SheetRect place = SheetFloorPlace(sheet);
  char width[32];
  std::snprintf(width, sizeof width, "width=\"%gmm\"", std::round(place.width * 1e4) / 1e4);
  EXPECT_NE(paper_svg.find(width), std::string::npos) << width;

  // Painted as the printer gets it, at 4 dots a millimetre: the end mark on
  // the run's end, the start dot on the start, the grid's lines 1 cm (40
  // dots) apart.
  constexpr double kDots = 4;
  QImage page(static_cast<int>(sheet_mm::kPageW * kDots), static_cast<int>(sheet_mm::kPageH * kDots),
              QImage::Format_RGB32);
  {
    QPainter painter(&page);
    ProgramSheet({QString(), QDate(2026, 12, 10), codes}).Paint(painter, kDots);
  }
  const FloorToDevice on_paper{paper.frame,
                               QRectF(place.x * kDots, place.y * kDots, place.width * kDots, place.height * kDots)};
  EXPECT_NEAR(on_paper.PerCm(), 10 * kDots, 1e-9);
  EXPECT_TRUE(Near(page.pixelColor(on_paper.At(end.x_cm, end.y_cm).toPoint()), kEndColour)) << "the end mark";
  EXPECT_TRUE(Near(page.pixelColor(on_paper.At(0, 0).toPoint()), kStartColour)) << "the start dot";
  // A row half a square above the x axis, clear of the path (which turns
  // right, below it): a grid line every 40 dots.
  const QPointF row_from = on_paper.At(sheet.floor.scale.grid.x0_cm, 0.5), row_to = on_paper.At(sheet.floor.scale.grid.x1_cm, 0.5);
  const std::vector<int> gaps = Gaps(page, static_cast<int>(row_from.y()), static_cast<int>(row_from.x()),
                                     static_cast<int>(row_to.x()) + 2);
  ASSERT_GE(gaps.size(), 10u);
  for (int gap : gaps) EXPECT_NEAR(gap, 40, 1);
}

// In hiragana mode every text of the simulator window, the rules included,
// and the words its floor draws are without kanji; switching back brings the
// kanji back.
TEST_F(FloorAgreementTest, TheSimulatorSpeaksHiraganaInTheMode) {
  ProgramCodes codes = EmptyProgram();
  codes[0] = 0xB2, codes[1] = 0x24, codes[2] = 0xC1;  // 回数 2, 前進 1 s, ここから 1
  for (int i = 0; i < kSlotCount; ++i) form->StepSlots().SetCode(i, codes[static_cast<std::size_t>(i)]);
  TSimWindow* sim = TSimWindow::Open(form.get(), form->StepSlots(), form->Document().UndoStack());
  sim->Start();
  sim->RunTo(0.5);  // in the loop: the step, its value and the counter shown
  ASSERT_TRUE(SetKanaMode(true, QStringLiteral(VK47_CATALOGUE_DIR)));
  const QRegularExpression kanji(QStringLiteral("[\\x{3400}-\\x{4dbf}\\x{4e00}-\\x{9fff}\\x{f900}-\\x{faff}\\x{3005}]"));
  auto texts = [&] {
    QStringList all;
    for (const QLabel* label : sim->findChildren<QLabel*>()) all << label->text();
    for (const QGroupBox* box : sim->findChildren<QGroupBox*>()) all << box->title();
    for (const QPushButton* button : sim->findChildren<QPushButton*>()) all << button->text();
    all << sim->windowTitle();
    return all;
  };
  const QStringList kana = texts();
  for (const QString& text : kana) EXPECT_FALSE(text.contains(kanji)) << text.toStdString();
  EXPECT_TRUE(sim->RulesLabel->text().contains(QStringLiteral("ちょうど 10 ぷん")));
  EXPECT_TRUE(sim->StepLabel->text().contains(QStringLiteral("ぜんしん"))) << sim->StepLabel->text().toStdString();
  // The floor's caption, as the window draws it.
  const auto say = [](const Words& words) { return TrWords(words).toStdString(); };
  const FloorDrawing live = LiveFloorDrawing(sim->Path(), sim->FloorShown(), sim->Floor->width(),
                                             sim->Floor->height(), say);
  bool caption = false;
  for (const FloorShape& shape : live.shapes) {
    if (shape.kind != FloorShape::Kind::kText) continue;
    EXPECT_FALSE(QString::fromStdString(shape.text).contains(kanji)) << shape.text;
    caption = caption || shape.text.find("マス") != std::string::npos;
  }
  EXPECT_TRUE(caption);

  SetKanaMode(false);
  EXPECT_TRUE(sim->RulesLabel->text().contains(QStringLiteral("ちょうど 10 分")));
  EXPECT_TRUE(sim->StepLabel->text().contains(QStringLiteral("前進")));
}

}  // namespace
}  // namespace vk47
