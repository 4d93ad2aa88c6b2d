#pragma once
// The names that assistive technology (a screen reader) says for the main
// window's controls: a slot says its step, command and value in words
// ("ステップ 0 前進 1秒", "ステップ 4 空き"), a palette icon its command
// ("前進"), the track bar its caption and position ("時間・飛び先・回数 4").
// The texts go through the catalogue (Catalogue.h) like every text the pupil
// reads; they are built from values, so their owners build them again when
// the hiragana mode is switched. The rules are model/step_names.h, which the
// browser edition shares. Pure functions of their arguments and the user's
// number format.

#include <QString>

class QWidget;

namespace vk47 {

// What the command of a number text is called ("2" -> "前進"); empty for a
// text that is none of the fifteen.
QString CommandName(const QString& number);

// A slot's name for its step code: "ステップ 0 前進 1秒", "ステップ 3 左折"
// for a command without a value, "ステップ 4 空き" for an empty slot.
QString SlotAccessibleName(int slot, int code);

// The track bar's name at a position: "時間・飛び先・回数 4".
QString TrackBarAccessibleName(int position);

// Makes `picture` (a step slot) known to assistive technology as a button
// that takes the focus, rather than as a static picture; its name is its
// accessible name.
void MarkAsAccessibleSlot(QWidget* picture);

// Leaves the hidden children of `parent` out of what assistive technology
// sees of it, while they are hidden (the diagnostic controls right of the
// window's normal client area). Call before anything asked for `parent`'s
// accessible interface.
void ListOnlySeenChildren(QWidget* parent);

// The value that a step's label shows ("1.5秒", "3回", "12へ", "" for a
// command without one), with the user's decimal separator.
QString StepValueCaption(int code);

}  // namespace vk47
