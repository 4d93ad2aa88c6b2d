#include "sim/floor_scale.h"

#include <algorithm>
#include <cmath>


namespace vk47 {

// 1, 2, 5, 10, 20, 50 ... from the smallest; the step after `value`.
double NextOneTwoFive(double value) {
  const double decade = std::pow(10.0, std::floor(std::log10(value) + 1e-9));
  const double mantissa = value / decade;
  if (mantissa < 1.5) return 2 * decade;
  if (mantissa < 3.5) return 5 * decade;
  return 10 * decade;
}

FloorBox PathBounds(const std::vector<Pose>& path, const Pose& end) {
  FloorBox box{std::min(0.0, end.x_cm), std::min(0.0, end.y_cm), std::max(0.0, end.x_cm), std::max(0.0, end.y_cm)};
  for (const Pose& p : path) {
    box.x0_cm = std::min(box.x0_cm, p.x_cm), box.x1_cm = std::max(box.x1_cm, p.x_cm);
    box.y0_cm = std::min(box.y0_cm, p.y_cm), box.y1_cm = std::max(box.y1_cm, p.y_cm);
  }
  return box;
}

FloorScale FitFloor(const FloorBox& bounds, double room_w_mm, double room_h_mm, double beside_w_mm,
                    double beside_h_mm, double marks_mm) {
  FloorScale scale;
  for (double n = 1;; n = NextOneTwoFive(n)) {
    scale.denominator = static_cast<int>(n);
    double grid = 1;
    while (grid * scale.MmPerCm() < 5) grid = NextOneTwoFive(grid);
    scale.grid_cm = grid;
    // The marks at their size on paper, and a fifth of a square of room.
    const double room = marks_mm / scale.MmPerCm() + grid / 5;
    scale.grid = {std::floor((bounds.x0_cm - room) / grid) * grid, std::floor((bounds.y0_cm - room) / grid) * grid,
                  std::ceil((bounds.x1_cm + room) / grid) * grid, std::ceil((bounds.y1_cm + room) / grid) * grid};
    const bool fits = scale.grid.Width() * scale.MmPerCm() + beside_w_mm <= room_w_mm &&
                      scale.grid.Height() * scale.MmPerCm() + beside_h_mm <= room_h_mm;
    if (fits || n >= 1e8) return scale;
  }
}

Words ScaleWords(const FloorScale& scale) {
  if (scale.denominator == 1) return {VK47_TEXT("実物大"), {}};
  return {VK47_TEXT("縮尺 1/%1"), {std::to_string(scale.denominator)}};
}

}  // namespace vk47
