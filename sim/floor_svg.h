#pragma once
// The floor as SVG, for the editions that draw with SVG (the browser): the
// simulator's live view in pixels, and the printed sheet's floor at its
// scale in millimetres. Both write the shapes of sim/floor_drawing.h, which
// the window paints with Qt: the same drawing in both editions.
//
// The live view: the floor seen from above at `px_per_cm`, centred on
// `centre`; it starts at 8 px/cm on the start and, when the robot would
// leave it, centres on the path and zooms out (never in) so that the path
// and the robot fit with room. Grid lines every 10, 20, 50, 100 ... cm (the
// 1-2-5 ladder), the first at least 60 px apart, numbered, and lines a tenth
// of that between them while those are 6 px apart or more; the caption
// 「1 マス = N cm」 at the top right; the start dot, the path so far, and the
// robot with its wheels and a red arrow for its heading.
//
// Texts inside a drawing pass through `say`, which gives them in the
// caller's mode (kanji or hiragana); Plain leaves them as written.
//
// Pure functions; any thread.

#include <functional>
#include <string>
#include <vector>

#include "sim/floor_scale.h"
#include "sim/simulator.h"
#include "text/words.h"

namespace vk47 {

using Say = std::function<std::string(const Words&)>;
std::string SayPlain(const Words& words);

struct FloorView {
  double px_per_cm = 8;
  double centre_x_cm = 0, centre_y_cm = 0;
};

// Whether the whole robot at `pose` is in a view of `width_px` x `height_px`,
// with a little room.
bool ViewShows(const FloorView& view, const Pose& pose, const SimParams& params, double width_px, double height_px);

// The view after the robot moved to `pose` along `path`: as it was while it
// shows the robot, else centred on the path (with the start) and zoomed out
// as far as needed.
FloorView FollowRobot(const FloorView& view, const std::vector<Pose>& path, const Pose& pose,
                      const SimParams& params, double width_px, double height_px);

// The live view's grid: numbered lines every `major_cm`, lines every
// `step_cm` (a tenth of that, or `major_cm` when a tenth would be closer
// than 6 px).
struct ScreenGrid {
  double major_cm = 10;
  double step_cm = 1;
};
ScreenGrid LiveGrid(double px_per_cm);

// The live view's caption: 「1 マス = N cm」 for lines `step_cm` apart.
Words GridCaption(double step_cm);

// The live view as an SVG of `width_px` x `height_px`.
std::string LiveFloorSvg(const std::vector<Pose>& path, const Pose& pose, const SimParams& params,
                         const FloorView& view, int width_px, int height_px, const Say& say = SayPlain);

// The printed sheet's floor: the grid `scale.grid`, numbered on every
// `numbered_every`-th line, a column of numbers left of it and a row under
// it (`numbers_w_mm`, `numbers_h_mm`), the path, the start dot and the end
// mark (sim/floor_drawing.h). The viewBox is in centimetres of floor, the width and height in
// millimetres of paper: life size when the scale is 1.
struct PaperFloor {
  FloorScale scale;
  int numbered_every = 1;
  double numbers_w_mm = 10, numbers_h_mm = 5;
  double number_font_mm = 2.65;  // 7.5 pt
};
// Whether the paper grid's line at `cm` carries a number (and is drawn stronger).
bool PaperLineNumbered(const PaperFloor& floor, double cm);

std::string PaperFloorSvg(const PaperFloor& floor, const std::vector<Pose>& path, const Pose& end,
                          const Words& title, const Say& say = SayPlain);

// The path of a whole run for a worksheet on an A4 page held upright
// (vk47-robot --svg): the paper floor of the sheet, numbered every fifth
// line, at the scale FitFloor chooses for the page's room less what is drawn
// beside the grid, with a two-line legend above it that states the scale.
// The viewBox is in centimetres of floor, the size in millimetres of paper.
std::string WorksheetSvg(const std::vector<Pose>& path, const Pose& end);

// A number of centimetres as the grids write it: "0", "-20", "2.5".
std::string GridNumber(double cm);

}  // namespace vk47
