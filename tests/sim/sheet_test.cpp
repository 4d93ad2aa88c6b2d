// What both editions take from the Qt-free modules: the program sheet's
// content, the floor as SVG (the live view and the sheet's), and the
// simulator's words. Texts are checked as their pieces, so that the
// hiragana mode can look each one up.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <regex>

#include "model/command_set.h"
#include "model/demo_program.h"
#include "model/listing.h"
#include "sim/floor_drawing.h"
#include "sim/floor_marks.h"
#include "sim/floor_svg.h"
#include "sim/sheet.h"
#include "sim/sim_texts.h"

namespace vk47 {
namespace {

ProgramCodes Program(std::initializer_list<int> first) {
  ProgramCodes codes = EmptyProgram();
  std::size_t i = 0;
  for (int code : first) codes[i++] = code;
  return codes;
}

// Marks every catalogue text, so a test sees which pieces went through the
// catalogue and which stood as they are.
std::string Marked(const Words& words) {
  if (words.source == "%1") return Plain(words);
  return "[" + Plain(words) + "]";
}
std::string Marked(const WordsLine& line) {
  std::string text;
  for (const Words& piece : line) text += Marked(piece);
  return text;
}

struct SvgBox {
  double width = 0, height = 0, x = 0, y = 0, w = 0, h = 0;
};
SvgBox ReadBox(const std::string& svg, const char* unit) {
  SvgBox box;
  const std::string format = std::string("<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"%lf") + unit +
                             "\" height=\"%lf" + unit + "\" viewBox=\"%lf %lf %lf %lf\"";
  EXPECT_EQ(std::sscanf(svg.c_str(), format.c_str(), &box.width, &box.height, &box.x, &box.y, &box.w, &box.h), 6)
      << svg.substr(0, 200);
  return box;
}

int Count(const std::string& text, const std::string& part) {
  int n = 0;
  for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
  return n;
}

TEST(SheetWords, EachKindOfStepInPieces) {
  struct Row { int code; const char* marked; const char* plain; };
  const Row rows[] = {
      {0x24, "[前進] 1[秒]", "前進 1秒"},
      {0x22, "[前進] 0.5[秒]", "前進 0.5秒"},
      {0xB3, "[回数] 3", "回数 3"},
      {0xC2, "[ここから] → 2", "ここから → 2"},
      {0xA5, "[飛ぶ] → 5", "飛ぶ → 5"},
      {0x80, "[入力]", "入力"},
      {0xD0, "[終了]", "終了"},
      {kEmptyCode, "", ""},
      {112, "[コード 112]", "コード 112"},  // a code of no command, from a file edited by hand
  };
  for (const Row& row : rows) {
    EXPECT_EQ(Marked(StepSheetWords(row.code)), row.marked) << row.code;
    EXPECT_EQ(Plain(StepSheetWords(row.code)), row.plain) << row.code;
  }
  EXPECT_EQ(Marked(StepValueWords(0x24)), "1[秒]");
  EXPECT_EQ(Marked(StepValueWords(0xB3)), "3[回]");
  EXPECT_TRUE(StepValueWords(0xD0).empty());
}

TEST(Sheet, TheDemoAsBothEditionsPrintIt) {
  const ProgramCodes demo = *DemoProgram().codes;
  const PrintedSheet sheet = MakePrintedSheet(demo, "/home/pupil/デモ.pt3", {2026, 12, 10});
  EXPECT_EQ(Plain(sheet.title), "デモ.pt3");
  EXPECT_EQ(sheet.title.source, "%1") << "a file's name is no catalogue text";
  EXPECT_EQ(Plain(sheet.date), "2026年12月10日");
  EXPECT_EQ(Marked(sheet.name_label) + Marked(sheet.class_label), "[名前][組]");
  for (int k = 0; k < kSlotCount; ++k) {
    const SheetStep& step = sheet.steps[k];
    EXPECT_EQ(step.slot, k);
    EXPECT_EQ(step.code, demo[k]);
    EXPECT_EQ(Plain(step.text), Plain(StepSheetWords(demo[k]))) << k;
    EXPECT_EQ(step.picture, StepCommandNumber(demo[k]).value_or("4")) << k;
  }
  EXPECT_EQ(Plain(sheet.scale), "実物大");
  EXPECT_EQ(Plain(sheet.legend), "● スタート　▲ 最後の位置と向き　数字は cm、1 目盛り = 1 cm");
  EXPECT_TRUE(sheet.outcome.empty());
  // The floor fits its room on the page with the numbers beside it.
  const FloorBox& g = sheet.floor.scale.grid;
  EXPECT_LE(g.Width() * 10 + sheet_mm::kNumbersW, sheet_mm::kFloorRoomW);
  EXPECT_LE(g.Height() * 10 + sheet_mm::kNumbersH, sheet_mm::kFloorRoomH);
  EXPECT_EQ(sheet.floor.numbered_every, 1);
}

TEST(Sheet, TitlesScalesAndOutcomes) {
  struct Row { ProgramCodes codes; const char* file; const char* title; const char* scale; const char* outcome; };
  ProgramCodes long_drive;
  long_drive.fill(36);
  long_drive[15] = 20;
  const Row rows[] = {
      {EmptyProgram(), "", "無題", "実物大", ""},
      {long_drive, "long.pt3", "long.pt3", "縮尺 1/10", ""},
      {Program({0x80}), "a/b/c.pt3", "c.pt3", "実物大", "ステップ 0 でマイクロスイッチが押されるのを待ったままです (0.00 秒)"},
      {Program({0x20, 0xA0}), "x.pt3", "x.pt3", "実物大",
       "時間の進まないくり返しなので止めました (ステップ 0 にもどっても時間が進まず、同じことがずっとくり返されます)"},
  };
  for (const Row& row : rows) {
    const PrintedSheet sheet = MakePrintedSheet(row.codes, row.file, {2027, 1, 5});
    EXPECT_EQ(Plain(sheet.title), row.title) << row.file;
    EXPECT_EQ(Plain(sheet.scale), row.scale) << row.file;
    EXPECT_EQ(Plain(sheet.outcome), row.outcome) << row.file;
    // The tools' outcome text is the same words.
    EXPECT_EQ(Plain(OutcomeWords(sheet.run, {})), row.outcome) << row.file;
  }
  EXPECT_EQ(Marked(MakePrintedSheet(EmptyProgram(), "", {}).title), "[無題]");
  // At 1/10 the squares are 5 cm (5 mm on paper): numbers on every second.
  EXPECT_EQ(MakePrintedSheet(long_drive, "", {}).floor.numbered_every, 2);
}

TEST(SheetFloorSvg, LifeSizeInMillimetresAndEveryMark) {
  const PrintedSheet sheet = MakePrintedSheet(*DemoProgram().codes, "demo.pt3", {2026, 12, 10});
  const std::string svg = SheetFloorSvg(sheet);
  const SvgBox box = ReadBox(svg, "mm");
  const FloorBox& g = sheet.floor.scale.grid;
  // Life size: a centimetre of floor is ten millimetres of paper.
  EXPECT_NEAR(box.width, box.w * 10, 0.01);
  EXPECT_NEAR(box.height, box.h * 10, 0.01);
  EXPECT_NEAR(box.w, g.Width() + 1.0, 1e-3);   // the numbers' 10 mm column
  EXPECT_NEAR(box.h, g.Height() + 0.5, 1e-3);  // and their 5 mm row
  EXPECT_NEAR(box.x, g.x0_cm - 1.0, 1e-3);
  EXPECT_NEAR(box.y, -g.y1_cm, 1e-3);
  EXPECT_EQ(Count(svg, "<path d=\"M0 0L"), 1);
  // The marks at the legend's size on paper, solid: a dot of 1.5 mm and a
  // triangle of 3.2 mm.
  EXPECT_EQ(Count(svg, "<polygon"), 1);
  EXPECT_EQ(Count(svg, "<circle cx=\"0\" cy=\"0\" r=\"0.15\""), 1);
  EXPECT_NE(svg.find(std::string("fill=\"") + kEndColour + "\"/>"), std::string::npos);
  EXPECT_EQ(svg.find("opacity"), std::string::npos);
  // One line per square each way, and the two axes.
  const int lines = static_cast<int>(std::lround(g.Width())) + static_cast<int>(std::lround(g.Height())) + 2 + 2;
  EXPECT_EQ(Count(svg, "<line "), lines);
  EXPECT_EQ(svg.substr(svg.size() - 7), "</svg>\n");

  // At 1/10 the viewBox stays in centimetres and the paper shrinks.
  ProgramCodes long_drive;
  long_drive.fill(36);
  long_drive[15] = 20;
  const SvgBox far = ReadBox(SheetFloorSvg(MakePrintedSheet(long_drive, "", {})), "mm");
  EXPECT_NEAR(far.width, far.w, 0.01);
  EXPECT_LE(far.width, sheet_mm::kFloorRoomW);
  EXPECT_LE(far.height, sheet_mm::kFloorRoomH);
}

// The sheet's floor takes the page's width: a path up to about 16 cm across
// is drawn life size, so a robot set on the printed start follows the line.
TEST(Sheet, APathUpToSixteenCentimetresIsLifeSize) {
  struct Row { ProgramCodes codes; SimParams params; int denominator; const char* what; };
  const SimParams fast{16, 10, 90, 600};  // 16 cm in one second
  const Row rows[] = {
      {Program({0x24}), fast, 1, "16 cm forward"},
      {Program({0x54}), fast, 1, "16 cm backward"},
      {Program({0x26}), {}, 1, "15 cm"},
      {Program({0x52, 0x26}), {}, 1, "back to -5 cm, then forward to 10 cm"},
      {Program({0x27}), {}, 2, "17.5 cm: more than the page's width at life size"},
  };
  for (const Row& row : rows) {
    const PrintedSheet sheet = MakePrintedSheet(row.codes, "", {}, row.params);
    EXPECT_EQ(sheet.floor.scale.denominator, row.denominator) << row.what;
    const SheetRect place = SheetFloorPlace(sheet);
    // Centred across the page, inside the 10 mm a printer keeps clear.
    EXPECT_NEAR(place.x + place.width / 2, sheet_mm::kPageW / 2, 1e-9) << row.what;
    EXPECT_GE(place.x, sheet_mm::kFloorMargin) << row.what;
    EXPECT_LE(place.y + place.height, sheet_mm::kFloorBottom) << row.what;
    // The path and both marks on the grid.
    const FloorBox& g = sheet.floor.scale.grid;
    const double reach = PaperMarksReachMm() / sheet.floor.scale.MmPerCm();
    for (const Pose& p : sheet.run.path) {
      EXPECT_GE(p.x_cm - reach, g.x0_cm) << row.what;
      EXPECT_LE(p.x_cm + reach, g.x1_cm) << row.what;
    }
  }
  // Within the steps' column width (180 mm) the 16 cm path would have been
  // halved: the floor uses the width beyond it.
  const PrintedSheet sixteen = MakePrintedSheet(Program({0x24}), "", {}, fast);
  EXPECT_GT(SheetFloorPlace(sixteen).width, sheet_mm::kContentW);
  EXPECT_EQ(Plain(sixteen.scale), "実物大");
}

// The centre of a triangle's corners.
FloorPoint Middle(const std::vector<FloorPoint>& corners) {
  FloorPoint m;
  for (const FloorPoint& c : corners) m.x_cm += c.x_cm / corners.size(), m.y_cm += c.y_cm / corners.size();
  return m;
}

TEST(FloorDrawing, TheEndMarkStandsOnTheEndPosePointingAlongIt) {
  for (double heading : {0.0, 90.0, 180.0, -45.0, 123.4}) {
    const Pose end{12.5, -3, heading};
    const auto corners = EndMark(end, 0.3);
    const FloorPoint middle = Middle({corners.begin(), corners.end()});
    EXPECT_NEAR(middle.x_cm, 12.5, 1e-12) << heading;
    EXPECT_NEAR(middle.y_cm, -3, 1e-12) << heading;
    // The tip two thirds of the height ahead, along the heading.
    const double th = heading * kPi / 180;
    EXPECT_NEAR(corners[0].x_cm, 12.5 + 0.2 * std::cos(th), 1e-12) << heading;
    EXPECT_NEAR(corners[0].y_cm, -3 + 0.2 * std::sin(th), 1e-12) << heading;
    // Equal sides.
    auto side = [](FloorPoint a, FloorPoint b) { return std::hypot(a.x_cm - b.x_cm, a.y_cm - b.y_cm); };
    EXPECT_NEAR(side(corners[0], corners[1]), side(corners[1], corners[2]), 1e-12);
    EXPECT_NEAR(side(corners[0], corners[2]), side(corners[1], corners[2]), 1e-12);
  }
}

// The shapes of a kind in a drawing.
std::vector<const FloorShape*> ShapesOf(const FloorDrawing& drawing, FloorShape::Kind kind) {
  std::vector<const FloorShape*> shapes;
  for (const FloorShape& shape : drawing.shapes) {
    if (shape.kind == kind) shapes.push_back(&shape);
  }
  return shapes;
}

// The SVG writes the drawing's shapes: the same grid, the same path, the
// end mark on the run's end pose, at the sheet's scale.
TEST(FloorDrawing, TheSheetsSvgIsItsDrawing) {
  ProgramCodes long_drive;
  long_drive.fill(36);
  long_drive[15] = 20;
  for (const ProgramCodes& codes : {*DemoProgram().codes, long_drive, Program({0x28, 0x14, 0x26, 0x57})}) {
    const PrintedSheet sheet = MakePrintedSheet(codes, "", {});
    const FloorDrawing drawing = SheetFloorDrawing(sheet);
    const std::string svg = SheetFloorSvg(sheet);
    const SvgBox box = ReadBox(svg, "mm");
    const SheetRect place = SheetFloorPlace(sheet);
    EXPECT_NEAR(box.width, place.width, 1e-3);
    EXPECT_NEAR(box.height, place.height, 1e-3);
    EXPECT_NEAR(box.w * sheet.floor.scale.MmPerCm(), place.width, 1e-3);
    EXPECT_NEAR(box.x, drawing.frame.x0_cm, 1e-3);
    EXPECT_EQ(drawing.unit_per_cm, sheet.floor.scale.MmPerCm());
    EXPECT_EQ(drawing.grid_cm, sheet.floor.scale.grid_cm);
    EXPECT_EQ(Plain(sheet.legend).find("1 目盛り = " + GridNumber(drawing.grid_cm) + " cm") == std::string::npos, false);
    EXPECT_EQ(Count(svg, "<line "), static_cast<int>(ShapesOf(drawing, FloorShape::Kind::kLine).size()));
    EXPECT_EQ(Count(svg, "<text "), static_cast<int>(ShapesOf(drawing, FloorShape::Kind::kText).size()));
    // The end mark: its corners' middle is the run's end.
    const auto marks = ShapesOf(drawing, FloorShape::Kind::kPolygon);
    ASSERT_EQ(marks.size(), 1u);
    const FloorPoint middle = Middle(marks[0]->runs[0]);
    EXPECT_NEAR(middle.x_cm, sheet.run.end.pose.x_cm, 1e-9);
    EXPECT_NEAR(middle.y_cm, sheet.run.end.pose.y_cm, 1e-9);
    std::smatch m;
    const std::string polygon = svg.substr(svg.find("<polygon points=\""));
    ASSERT_TRUE(std::regex_search(polygon, m, std::regex(R"(([-0-9.]+),([-0-9.]+) ([-0-9.]+),([-0-9.]+) ([-0-9.]+),([-0-9.]+))")));
    EXPECT_NEAR((std::stod(m[1]) + std::stod(m[3]) + std::stod(m[5])) / 3, sheet.run.end.pose.x_cm, 1e-3);
    EXPECT_NEAR(-(std::stod(m[2]) + std::stod(m[4]) + std::stod(m[6])) / 3, sheet.run.end.pose.y_cm, 1e-3);
    // Every mark the legend's size on paper, whatever the scale.
    const double cm_per_mm = 1 / sheet.floor.scale.MmPerCm();
    const auto dots = ShapesOf(drawing, FloorShape::Kind::kDot);
    ASSERT_EQ(dots.size(), 1u);
    EXPECT_NEAR(dots[0]->size, kPaperStartDotMm * cm_per_mm, 1e-12);
    const auto& c = marks[0]->runs[0];
    EXPECT_NEAR(std::hypot(c[0].x_cm - middle.x_cm, c[0].y_cm - middle.y_cm), kPaperEndMarkMm * 2 / 3 * cm_per_mm, 1e-9);
  }
}

// The live view's SVG is its drawing too, with the robot over it.
TEST(FloorDrawing, TheLiveSvgIsItsDrawing) {
  SimRunner runner(Program({0x2F, 0x2F, 0x14, 0x2F}), {});
  runner.RunToEnd();
  const FloorView view = FollowRobot({}, runner.Path(), runner.State().pose, {}, 500, 320);
  ASSERT_LT(view.px_per_cm, 8) << "the view zoomed out";
  const FloorDrawing drawing = LiveFloorDrawing(runner.Path(), view, 500, 320);
  const std::string svg = LiveFloorSvg(runner.Path(), runner.State().pose, {}, view, 500, 320);
  EXPECT_EQ(drawing.grid_cm, LiveGrid(view.px_per_cm).step_cm);
  EXPECT_NE(svg.find(">1 マス = " + GridNumber(drawing.grid_cm) + " cm<"), std::string::npos);
  EXPECT_EQ(Count(svg, "<line "), static_cast<int>(ShapesOf(drawing, FloorShape::Kind::kLine).size()));
  EXPECT_EQ(Count(svg, "<text "), static_cast<int>(ShapesOf(drawing, FloorShape::Kind::kText).size()));
  EXPECT_EQ(Count(svg, "<path d="), 1);
  const FloorBox frame = LiveFrame(view, 500, 320);
  EXPECT_NEAR(frame.Width() * view.px_per_cm, 500, 1e-9);
  EXPECT_NEAR((frame.x0_cm + frame.x1_cm) / 2, view.centre_x_cm, 1e-9);
  // A piece of the path from a point on is the rest of the same line.
  const FloorShape piece = LivePathPiece(runner.Path(), runner.Path().size() - 3, view);
  ASSERT_EQ(piece.runs.size(), 1u);
  EXPECT_EQ(piece.runs[0].size(), 3u);
  EXPECT_EQ(piece.size, ShapesOf(drawing, FloorShape::Kind::kPath)[0]->size);
  EXPECT_TRUE(LivePathPiece(runner.Path(), runner.Path().size() - 1, view).runs.empty());
}

TEST(SheetFloorSvg, TextsPassThroughTheCallersWordsAndAreEscaped) {
  const PrintedSheet sheet = MakePrintedSheet(EmptyProgram(), "", {});
  const std::string svg = SheetFloorSvg(sheet, [](const Words&) { return std::string("<A & \"B\">"); });
  EXPECT_NE(svg.find("<title>&lt;A &amp; &quot;B&quot;&gt;</title>"), std::string::npos);
  EXPECT_NE(svg.find("aria-label=\"&lt;A &amp; &quot;B&quot;&gt;\""), std::string::npos);
  EXPECT_EQ(svg.find("<A &"), std::string::npos);
  const std::string live = LiveFloorSvg({{}}, {}, {}, {}, 300, 200, [](const Words& w) { return "(" + Plain(w) + ")"; });
  EXPECT_NE(live.find("(1 マス = 1 cm)"), std::string::npos);
  EXPECT_NE(live.find("<title>(床とロボットの通り道)</title>"), std::string::npos);
}

TEST(FloorView, KeepsTheRobotInViewZoomingOutOnly) {
  const SimParams params;
  const FloorView start;
  // At the start the robot is in the middle of a 500 x 320 view.
  EXPECT_TRUE(ViewShows(start, {}, params, 500, 320));
  const FloorView same = FollowRobot(start, {{}, {20, 0, 0}}, {20, 0, 0}, params, 500, 320);
  EXPECT_EQ(same.px_per_cm, start.px_per_cm);
  EXPECT_EQ(same.centre_x_cm, 0);
  // 100 cm to the right leaves a view 62 cm wide: it centres on the path
  // and zooms out until the path and the robot fit.
  const std::vector<Pose> path{{}, {100, 0, 0}};
  const FloorView out = FollowRobot(start, path, path.back(), params, 500, 320);
  EXPECT_LT(out.px_per_cm, start.px_per_cm);
  EXPECT_DOUBLE_EQ(out.centre_x_cm, 50);
  EXPECT_TRUE(ViewShows(out, path.back(), params, 500, 320));
  EXPECT_TRUE(ViewShows(out, path.front(), params, 500, 320));
  // A view not laid out yet (no pixels) keeps its scale.
  EXPECT_EQ(FollowRobot(start, path, path.back(), params, 0, 0).px_per_cm, start.px_per_cm);
  // Back near the start it stays zoomed out.
  const FloorView back = FollowRobot(out, path, {}, params, 500, 320);
  EXPECT_EQ(back.px_per_cm, out.px_per_cm);
}

TEST(FloorView, GridOnTheOneTwoFiveLadder) {
  struct Row { double px_per_cm, major, step; };
  const Row rows[] = {
      {8, 10, 1},     // 80 px squares of 10 cm, lines every 8 px
      {5, 20, 2},     // 10 cm would be 50 px: 20 cm, and 2 cm (10 px)
      {2, 50, 5},
      {1, 100, 10},
      {0.5, 200, 20},
      {0.25, 500, 50},
      {6, 10, 1},        // 10 cm = 60 px exactly; 1 cm = 6 px exactly
  };
  for (const Row& row : rows) {
    const ScreenGrid grid = LiveGrid(row.px_per_cm);
    EXPECT_EQ(grid.major_cm, row.major) << row.px_per_cm;
    EXPECT_EQ(grid.step_cm, row.step) << row.px_per_cm;
  }
}

TEST(LiveFloorSvg, TheRobotWhereTheRunnerIs) {
  SimRunner runner(Program({0x24, 0x34}), {});
  runner.RunUntil(1.5);
  const std::string svg = LiveFloorSvg(runner.Path(), runner.State().pose, {}, {}, 500, 320);
  const SvgBox box = ReadBox(svg, "");
  EXPECT_EQ(box.width, 500);
  EXPECT_EQ(box.h, 320);
  // The robot is drawn at its pose, turned by its heading (the screen's y
  // runs down, so the turn is negated).
  const Pose& p = runner.State().pose;
  const std::regex robot(R"re(<g transform="translate\(([-0-9.]+) ([-0-9.]+)\) rotate\(([-0-9.]+)\) scale\(8\)")re");
  std::smatch m;
  ASSERT_TRUE(std::regex_search(svg, m, robot)) << svg;
  EXPECT_NEAR(std::stod(m[1]), 250 + p.x_cm * 8, 1e-3);
  EXPECT_NEAR(std::stod(m[2]), 160 - p.y_cm * 8, 1e-3);
  EXPECT_NEAR(std::stod(m[3]), -p.heading_deg, 1e-3);
  EXPECT_EQ(Count(svg, "<path d=\"M250 160L"), 1) << "the path from the start";
  EXPECT_NE(svg.find(std::string("stroke=\"") + kPathColour), std::string::npos);
  // Before the start no path is drawn, only the robot on the start dot.
  const std::string first = LiveFloorSvg({{}}, {}, {}, {}, 500, 320);
  EXPECT_EQ(Count(first, "<path"), 0);
  EXPECT_EQ(Count(first, "<circle cx=\"250\" cy=\"160\" r=\"4\""), 1);
}

TEST(LiveFloorSvg, ALoopDrivenAgainIsDrawnOnce) {
  // 2 s forward and back, once and then nine times, then a quarter turn on
  // one wheel: the stretch driven again is drawn once, the turn after it.
  SimRunner once(Program({0x28, 0x58, 0x18}), {});
  once.RunToEnd();
  SimRunner many(Program({0xB9, 0x28, 0x58, 0xC1, 0x18}), {});
  many.RunToEnd();
  ASSERT_GT(many.Path().size(), 5 * once.Path().size());
  const FloorView view;
  const std::string svg_once = LiveFloorSvg(once.Path(), once.State().pose, {}, view, 500, 320);
  const std::string svg_many = LiveFloorSvg(many.Path(), many.State().pose, {}, view, 500, 320);
  auto path_of = [](const std::string& svg) {
    const std::size_t at = svg.find("<path d=\"") + 9;
    return svg.substr(at, svg.find('"', at) - at);
  };
  // The same floor: the nine loops once, then the turn from where it starts.
  const std::string drawn_once = path_of(svg_once), drawn_many = path_of(svg_many);
  EXPECT_EQ(Count(drawn_once, "M"), 1);
  EXPECT_EQ(Count(drawn_many, "M"), 2);
  EXPECT_EQ(drawn_many.size(), drawn_once.size() + std::string("M250 160").size());
  const std::string turn_end = drawn_once.substr(drawn_once.rfind('L'));
  EXPECT_EQ(drawn_many.substr(drawn_many.rfind('L')), turn_end);
}

TEST(SimTexts, StatusForEveryPhase) {
  SimState s;
  EXPECT_EQ(Plain(SimStatusWords(s, false, 1)), "「スタート」を押すと、いまのプログラムで動きます。");
  EXPECT_EQ(Plain(SimStatusWords(s, true, 4)), "動いています (速さ ×4)");
  s.time_s = 1;
  EXPECT_EQ(Plain(SimStatusWords(s, false, 1)), "一時停止中");
  s.phase = SimPhase::kWaitSwitch;
  EXPECT_EQ(Plain(SimStatusWords(s, true, 1)), "スイッチが押されるのを待っています。「スイッチ」を押してください。");
  EXPECT_EQ(Plain(SimStatusWords(s, false, 1)), "一時停止中 (スイッチを待っています)");
  s.phase = SimPhase::kEnded;
  EXPECT_EQ(Plain(SimStatusWords(s, false, 1)), "おわり: ステップ 15 まで進みました。");
  s.ended_by_command = true, s.step = 6;
  EXPECT_EQ(Marked(SimStatusWords(s, false, 1)), "[おわり: ステップ 6 の「終了」でおしまいです。]");
  s.phase = SimPhase::kCapped;
  EXPECT_EQ(Plain(SimStatusWords(s, true, 1)), "10 分たっても終わらないので止めました。");
  s.phase = SimPhase::kStuck;
  EXPECT_EQ(Plain(SimStatusWords(s, true, 1)), "時間の進まないくり返しがずっと続くので止めました。");
}

TEST(SimTexts, TheStepTheTimeAndTheRules) {
  // 回数 2, then a 1 s drive inside the loop.
  SimRunner runner(Program({0xB2, 0x24, 0xC1}), {});
  EXPECT_EQ(Marked(SimStepWords(runner.Codes(), runner.State())), "[ステップ 0]: [回数] 2[回]");
  runner.RunUntil(0.5);
  EXPECT_EQ(Marked(SimStepWords(runner.Codes(), runner.State())), "[ステップ 1]: [前進] 1[秒][  (回数の残り 2)]");
  EXPECT_EQ(Plain(SimTimeWords(runner.State().time_s)), "時間 0.50 秒");
  runner.RunToEnd();
  EXPECT_TRUE(SimStepWords(runner.Codes(), runner.State()).empty());
  // An empty slot runs as a wait of no time.
  SimState at_empty;
  at_empty.step = 3;
  EXPECT_EQ(Plain(SimStepWords(EmptyProgram(), at_empty)), "ステップ 3: 待つ 0秒");
  EXPECT_EQ(Plain(SimStepWords(Program({0x80}), {})), "ステップ 0: 入力") << "no space after a command without a value";
  EXPECT_NE(Plain(SimRules()).find("1 秒に 10 cm"), std::string::npos);
  EXPECT_EQ(Count(Plain(SimRules()), "\n"), 6) << "seven rules, one a line";
  EXPECT_FALSE(SimRulesTitle().empty());
}

}  // namespace
}  // namespace vk47
