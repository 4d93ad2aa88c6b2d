#include "model/command_set.h"

#include <cstdlib>

#include "text/words.h"

namespace vk47 {
namespace {

constexpr std::string_view kBasic = VK47_TEXT("基本命令");
constexpr std::string_view kSeconds = VK47_TEXT("秒");
constexpr std::string_view kTimes = VK47_TEXT("回");
constexpr std::string_view kTo = VK47_TEXT("へ");

const std::array<Command, 15> kCommands = {{
    {"1", kBasic, VK47_TEXT("左車輪を前進させる命令"), 0x10, true, kSeconds, VK47_TEXT("左前")},
    {"2", kBasic, VK47_TEXT("前進させる命令"), 0x20, true, kSeconds, VK47_TEXT("前進")},
    {"3", kBasic, VK47_TEXT("右車輪を前進させる命令"), 0x30, true, kSeconds, VK47_TEXT("右前")},
    {"4", kBasic, "", 0x00, true, kSeconds, VK47_TEXT("待つ")},
    {"5", kBasic, VK47_TEXT("左車輪を後退させる命令"), 0x40, true, kSeconds, VK47_TEXT("左後")},
    {"6", kBasic, VK47_TEXT("後退させる命令"), 0x50, true, kSeconds, VK47_TEXT("後退")},
    {"7", kBasic, VK47_TEXT("右車輪を後退させる命令"), 0x60, true, kSeconds, VK47_TEXT("右後")},
    {"24", VK47_TEXT("繰り返し"), VK47_TEXT("繰返し回数の設定"), 0xB0, true, kTimes, VK47_TEXT("回数")},
    {"25", VK47_TEXT("繰り返し"), VK47_TEXT("繰り返す最初の番地の設定"), 0xC0, true, kTo, VK47_TEXT("ここから")},
    {"26", VK47_TEXT("拡張命令"), VK47_TEXT("前進中入力があると左に方向転換"), 0x72, false, "", VK47_TEXT("左折")},
    {"27", VK47_TEXT("拡張命令"), VK47_TEXT("前進中入力があると停止"), 0x73, false, "", VK47_TEXT("停止")},
    {"28", VK47_TEXT("拡張命令"), VK47_TEXT("前進中入力があると右に方向転換"), 0x71, false, "", VK47_TEXT("右折")},
    {"29", VK47_TEXT("入力"), VK47_TEXT("マイクロスイッチが入るまで待つ"), 0x80, false, "", VK47_TEXT("入力")},
    {"30", VK47_TEXT("飛べ"), VK47_TEXT("無条件に指定番地へ飛ぶ"), 0xA0, true, kTo, VK47_TEXT("飛ぶ")},
    {"31", VK47_TEXT("終了"), VK47_TEXT("プログラムを途中で終了"), 0xD0, false, "", VK47_TEXT("終了")},
}};

// Decoding rows in the order they are tested; the first match decides.
struct DecodeRow {
  int low;
  int high;
  std::string_view number;
};
constexpr DecodeRow kDecodeRows[] = {
    {-1, -1, "4"},     {16, 31, "1"},     {32, 47, "2"},    {48, 63, "3"},
    {0, 15, "4"},      {64, 79, "5"},     {80, 95, "6"},    {96, 111, "7"},
    {176, 191, "24"},  {192, 207, "25"},  {160, 175, "30"}, {114, 114, "26"},
    {115, 115, "27"},  {113, 113, "28"},  {128, 128, "29"}, {208, 208, "31"},
};

}  // namespace

const std::array<Command, 15>& Commands() { return kCommands; }

const Command* FindCommand(std::string_view number) {
  for (const Command& c : kCommands) {
    if (c.number == number) return &c;
  }
  return nullptr;
}

int EncodeStep(std::string_view number, int position) {
  const Command* c = FindCommand(number);
  if (c == nullptr) return position;
  return c->takes_parameter ? c->base_code + position : c->base_code;
}

std::optional<std::string> StepCommandNumber(int code) {
  for (const DecodeRow& row : kDecodeRows) {
    if (code >= row.low && code <= row.high) return std::string(row.number);
  }
  return std::nullopt;
}

std::optional<std::string> StepIconFile(int code) {
  auto number = StepCommandNumber(code);
  if (!number) return std::nullopt;
  return *number + ".bmp";
}

std::string QuarterSecondsText(int quarters, std::string_view decimal_separator) {
  const bool negative = quarters < 0;
  const long long q = std::llabs(static_cast<long long>(quarters));
  std::string text = negative ? "-" : "";
  text += std::to_string(q / 4);
  static constexpr std::string_view kFractions[] = {"", "25", "5", "75"};
  if (q % 4 != 0) {
    text += decimal_separator;
    text += kFractions[q % 4];
  }
  return text;
}

std::optional<std::string> StepValueText(int code, std::string_view number,
                                         std::string_view decimal_separator) {
  const Command* c = FindCommand(number);
  if (c == nullptr) return std::nullopt;
  if (!c->takes_parameter) return std::string();
  const int parameter = code - c->base_code;
  std::string text = c->unit == kSeconds ? QuarterSecondsText(parameter, decimal_separator)
                                         : std::to_string(parameter);
  text += c->unit;
  return text;
}

}  // namespace vk47
