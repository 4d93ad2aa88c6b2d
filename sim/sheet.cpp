#include "sim/sheet.h"

#include "model/command_set.h"
#include "model/listing.h"
#include "sim/floor_scale.h"
#include "sim/sim_texts.h"

namespace vk47 {
namespace {

// A file's name without its folder.
std::string_view BaseName(std::string_view path) {
#ifdef _WIN32
  const std::size_t slash = path.find_last_of("/\\");
#else
  const std::size_t slash = path.find_last_of('/');
#endif
  return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

}  // namespace

PrintedSheet MakePrintedSheet(const ProgramCodes& codes, std::string_view file_name, SheetDate date,
                              const SimParams& params) {
  PrintedSheet sheet;
  const std::string_view name = BaseName(file_name);
  sheet.title = name.empty() ? Words{VK47_TEXT("無題"), {}} : Verbatim(std::string(name));
  sheet.date = {VK47_TEXT("%1年%2月%3日"),
                {std::to_string(date.year), std::to_string(date.month), std::to_string(date.day)}};
  sheet.name_label = {VK47_TEXT("名前"), {}};
  sheet.class_label = {VK47_TEXT("組"), {}};
  sheet.program_heading = {VK47_TEXT("プログラム (上から下へ、左の列から右の列へ進みます)"), {}};
  for (int k = 0; k < kSlotCount; ++k) {
    SheetStep& step = sheet.steps[static_cast<std::size_t>(k)];
    step.slot = k;
    step.code = codes[static_cast<std::size_t>(k)];
    step.picture = StepCommandNumber(step.code).value_or("4");
    step.text = StepSheetWords(step.code);
  }
  sheet.empty_step = {VK47_TEXT("(空き)"), {}};
  sheet.floor_heading = {VK47_TEXT("ロボットの通り道 (スイッチを押さないとき)"), {}};

  sheet.run = RunProgram(codes, params, {});
  using namespace sheet_mm;
  PaperFloor& floor = sheet.floor;
  floor.numbers_w_mm = kNumbersW;
  floor.numbers_h_mm = kNumbersH;
  floor.scale = FitFloor(PathBounds(sheet.run.path, sheet.run.end.pose), kFloorRoomW, kFloorRoomH, kNumbersW,
                         kNumbersH, PaperMarksReachMm());
  // Numbers on every line that leaves them 10 mm apart at least.
  for (int k : {1, 2, 5, 10, 20, 50}) {
    floor.numbered_every = k;
    if (k * floor.scale.grid_cm * floor.scale.MmPerCm() >= 10) break;
  }
  sheet.scale = ScaleWords(floor.scale);
  sheet.legend = {VK47_TEXT("● スタート　▲ 最後の位置と向き　数字は cm、1 目盛り = %1 cm"),
                  {GridNumber(floor.scale.grid_cm)}};
  sheet.outcome = OutcomeWords(sheet.run, params);
  return sheet;
}

FloorDrawing SheetFloorDrawing(const PrintedSheet& sheet) {
  return PaperFloorDrawing(sheet.floor, sheet.run.path, sheet.run.end.pose);
}

SheetRect SheetFloorPlace(const PrintedSheet& sheet) {
  using namespace sheet_mm;
  const FloorScale& scale = sheet.floor.scale;
  const double w = scale.grid.Width() * scale.MmPerCm() + sheet.floor.numbers_w_mm;
  const double h = scale.grid.Height() * scale.MmPerCm() + sheet.floor.numbers_h_mm;
  return {(kPageW - w) / 2, kFloorRoomTop + (kFloorRoomH - h) / 2, w, h};
}

std::string SheetFloorSvg(const PrintedSheet& sheet, const Say& say) {
  return PaperFloorSvg(sheet.floor, sheet.run.path, sheet.run.end.pose, sheet.floor_heading, say);
}

}  // namespace vk47
