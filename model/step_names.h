#pragma once
// What a step is called, as the window's labels show it and as assistive
// technology (a screen reader) says it: a slot "ステップ 0 前進 1秒" or
// "ステップ 4 空き", a command "前進", the value label "1.5秒", the track
// bar "時間・飛び先・回数 4". The desktop window and the browser edition both
// name their controls with these. The texts come through the catalogue of the
// current mode (`lookup`, text/words.h) like every text a pupil reads; the
// parts that are catalogue texts themselves (a command's name, a unit) are
// looked up each by itself. Pure functions; any thread.

#include <string>
#include <string_view>

#include "text/words.h"

namespace vk47 {

// What the command of a number text is called ("2" -> "前進"); "" for a text
// that is none of the fifteen.
std::string CommandName(std::string_view number, const Lookup& lookup);

// The value that a step's label shows ("1.5秒", "3回", "12へ"), with the
// given decimal separator; "" for an empty slot, a command without a value
// and a code of no command.
std::string StepValueCaption(int code, std::string_view decimal_separator, const Lookup& lookup);

// A slot's name for its step code: "ステップ 0 前進 1秒", "ステップ 3 左折"
// for a command without a value, "ステップ 4 空き" for an empty slot, and
// the bare code ("ステップ 2 112") for a code of no command, which only a
// file edited by hand can hold.
std::string SlotName(int slot, int code, std::string_view decimal_separator, const Lookup& lookup);

// The track bar's name at a position: "時間・飛び先・回数 4".
std::string TrackBarName(int position, const Lookup& lookup);

}  // namespace vk47
