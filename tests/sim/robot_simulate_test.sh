#!/usr/bin/env bash
# vk47-robot --simulate on a table of programs as a teacher runs it: the trace
# text, the exit statuses, the SVG, bad options; and --trace on a transfer
# that arrives on the robot's device.
set -u
robot=$1
source "$(dirname "$0")/../cli_test_lib.sh"

# program NAME CODE... : a .pt3 with the codes first and empty slots after.
program() {
  local name=$1; shift
  local codes=("$@")
  while ((${#codes[@]} < 16)); do codes+=(-1); done
  printf '%s\r\n' "${codes[@]}" > "$dir/$name.pt3"
}
header=$'t_s\tstep\tx_cm\ty_cm\theading_deg'

# name | codes | options | exit status | lines (header included) | last line
table=(
  "line|47 208||0|3|3.75	1	37.50	0.00	0.00"
  "line_fast|47 208|--speed 20|0|3|3.75	1	75.00	0.00	0.00"
  "square|36 54 36 54 36 54 36 54 208|--track 9.5493|0|10|10.00	8	0.00	0.00	0.00"
  "loop|179 36 193 208||0|9|3.00	3	30.00	0.00	0.00"
  "loop_once|176 36 193 208||0|5|1.00	3	10.00	0.00	0.00"
  "jump_cap|36 160||3|1201|600.00	1	6000.00	0.00	0.00"
  "zero_loop|160||3|2|0.00	0	0.00	0.00	0.00"
  "zero_loop_after_a_move|36 161||3|3|1.00	1	10.00	0.00	0.00"
  "cap_within_a_step|47 29 160||3|258|600.00	1	41.61	1.47	-59.58"
  "presses_during_a_wait_are_lost|15 128 40 208|--switch-at 1 2|4|2|3.75	0	0.00	0.00	0.00"
  "each_lost_press|4 128 208|--switch-at 0.3 0.6|4|2|1.00	0	0.00	0.00	0.00"
  "no_press_kept_for_a_move|113 4 40 208|--switch-at 0.3 0.6|0|5|3.00	3	20.00	0.00	0.00"
  "press_as_the_move_ends|113 36 4 208|--switch-at 1|0|5|2.00	3	10.00	0.00	0.00"
  "press_as_the_next_move_starts|113 36 36 208|--switch-at 1|0|5|1.79	3	10.00	0.00	-90.00"
  "switch_never|36 128 36 208||4|2|1.00	0	10.00	0.00	0.00"
  "switch_pressed|36 128 36 208|--switch-at 2.5|0|5|3.50	3	20.00	0.00	0.00"
  "switch_too_early|36 128 36 208|--switch-at 0.5|4|2|1.00	0	10.00	0.00	0.00"
  "switch_twice|128 128 208|--switch-at 2 --switch-at 1|0|4|2.00	2	0.00	0.00	0.00"
  "switch_list|128 128 128 208|--switch-at 3 1 2|0|5|3.00	3	0.00	0.00	0.00"
  "turn_left|114 47 208|--switch-at 1 --turn 45|0|4|1.39	2	10.00	0.00	45.00"
  "turn_right|113 47 208|--switch-at 1|0|4|1.79	2	10.00	0.00	-90.00"
  "stop|115 47 208|--switch-at 1|0|4|1.00	2	10.00	0.00	0.00"
  "past_end|33 33 33 33 33 33 33 33 33 33 33 33 33 33 33 33||0|17|4.00	15	40.00	0.00	0.00"
)
for row in "${table[@]}"; do
  IFS='|' read -r name codes options status lines last <<<"$row"
  # shellcheck disable=SC2086  # the codes and options are words
  program "$name" $codes
  # shellcheck disable=SC2086
  out=$("$robot" --simulate "$dir/$name.pt3" $options 2>"$dir/$name.err"); code=$?
  check "$name: exit" "$status" "$code"
  check "$name: header" "$header" "$(head -n 1 <<<"$out")"
  check "$name: lines" "$lines" "$(wc -l <<<"$out")"
  check "$name: last line" "$last" "$(tail -n 1 <<<"$out")"
  if [[ $status == 0 ]]; then check "$name: quiet" "" "$(cat "$dir/$name.err")"; fi
done
check "square: a right angle" $'2.50\t1\t14.77\t4.77\t90.00' "$("$robot" --simulate "$dir/square.pt3" --track 9.5493 | sed -n 3p)"
# At the cap the message names the step of the trace's last line: the step
# the cap cut, or the last that ran when a step ended exactly at 600 s (the
# step after it would begin then, and never runs).
for name in jump_cap cap_within_a_step; do
  program "$name" $(grep "^\"$name|" <<<"$(printf '"%s\n' "${table[@]}")" | cut -d'|' -f2)
  last_step=$("$robot" --simulate "$dir/$name.pt3" 2>/dev/null | tail -n 1 | cut -f2)
  check "$name: cap message names the last line's step" \
    "vk47-robot: 10 分たっても終わらないので止めました (ステップ $last_step)" "$(cat "$dir/$name.err")"
done
check "cap message after a step that ended at the cap" "vk47-robot: 10 分たっても終わらないので止めました (ステップ 1)" \
  "$(cat "$dir/jump_cap.err")"
check "loop message" "vk47-robot: 時間の進まないくり返しなので止めました (ステップ 1 にもどっても時間が進まず、同じことがずっとくり返されます)" \
  "$(cat "$dir/zero_loop_after_a_move.err")"
check "switch message" "vk47-robot: ステップ 1 でマイクロスイッチが押されるのを待ったままです (1.00 秒)" \
  "$(cat "$dir/switch_never.err")"

# The path for a worksheet.
"$robot" --simulate "$dir/square.pt3" --svg "$dir/square.svg" >/dev/null; check "svg exit" 0 $?
check "svg start" '<?xml version="1.0" encoding="UTF-8"?>' "$(head -n 1 "$dir/square.svg")"
check "svg end" '</svg>' "$(tail -n 1 "$dir/square.svg")"
check "svg size in millimetres" 'width="' "$(grep -o 'width="[0-9.]*mm"' "$dir/square.svg" | head -c 7)"
err=$("$robot" --simulate "$dir/square.pt3" --svg "$dir/no/such/folder.svg" 2>&1 >/dev/null); check "svg unwritable exit" 1 $?
check "svg unwritable message" "vk47-robot: ファイル $dir/no/such/folder.svg を作成できません" "$err"

# Refused input.
err=$("$robot" --simulate "$dir/missing.pt3" 2>&1); check "missing file exit" 1 $?
check "missing file message" "vk47-robot: ファイル $dir/missing.pt3 は開けません" "$err"
for bad in "--speed 0" "--speed abc" "--speed nan" "--track -1" "--track 1e-307" "--turn 400" \
           "--switch-at -1" "--switch-at 1e999" "--switch-at 1 -2" "--count 2"; do
  # shellcheck disable=SC2086
  "$robot" --simulate "$dir/line.pt3" $bad >/dev/null 2>&1; check "refused: $bad" 2 $?
done
# Counts are read whole, never as the number they begin with.
for bad in "--frames abc" "--frames 1x" "--count 1x" "--count 0" "--count ''"; do
  eval "\"\$robot\" $bad" >/dev/null 2>&1; check "refused: $bad" 2 $?
done
"$robot" --svg "$dir/x.svg" >/dev/null 2>&1; check "--svg alone" 2 $?
# Usage asked for goes to standard output and is no error; usage after a
# wrong argument goes to standard error with status 2.
out=$("$robot" --help 2>"$dir/help.err"); check "--help exit" 0 $?
check "--help on standard output" "使い方: vk47-robot" "$(head -n 1 <<<"$out" | cut -d" " -f1-2)"
check "--help: nothing on standard error" "" "$(cat "$dir/help.err")"
err=$("$robot" --no-such-option 2>&1 >/dev/null); check "wrong argument exit" 2 $?
check "wrong argument: usage on standard error" "使い方: vk47-robot" "$(head -n 1 <<<"$err" | cut -d" " -f1-2)"
# The narrowest track and the highest speed still give numbers, never nan.
out=$("$robot" --simulate "$dir/turn_left.pt3" --switch-at 1 --speed 1e4 --track 0.1 --svg "$dir/fast.svg")
check "fast turn: no nan" "" "$(grep -il nan <<<"$out" "$dir/fast.svg")"

# Output that cannot be written is a failure, with a word on standard error.
err=$("$robot" --simulate "$dir/line.pt3" 2>&1 >/dev/full); check "trace to a full disk exit" 1 $?
check "trace to a full disk message" "vk47-robot: 標準出力に書き込めませんでした" "${err%% (*}"
check "trace to a full disk: said once" 1 "$(grep -c 標準出力 <<<"$err")"
err=$(timeout 5 "$robot" 2>&1 >/dev/full); check "device line to a full disk exit" 1 $?
check "device line to a full disk: said once, with the reason" \
  "vk47-robot: 標準出力に書き込めませんでした ($(python3 -c 'import os; print(os.strerror(28))'))" "$err"
err=$(timeout 5 "$robot" --json "$dir/no/such/robot.json" 2>&1 >/dev/null); check "unwritable --json exit" 1 $?
check "unwritable --json message" "vk47-robot: ファイル $dir/no/such/robot.json を作成できません" "$err"
"$robot" --switch-at 1 >/dev/null 2>&1; check "--switch-at without a simulation" 2 $?

# --trace: the robot simulates what it receives, with the same trace text.
timeout 20 "$robot" --trace --frames 1 >"$dir/robot.out" 2>/dev/null &
robot_pid=$!
for _ in $(seq 100); do [[ -s "$dir/robot.out" ]] && break; sleep 0.05; done
device=$(head -n 1 "$dir/robot.out")
check "robot device" "/dev/" "${device:0:5}"
printf '\x74\x24\x34\xd0\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00' > "$device"
wait "$robot_pid"; check "robot exit" 0 $?
received=$(cat "$dir/robot.out")
program traced 36 52 208
expected=$("$robot" --simulate "$dir/traced.pt3")
check "trace after the listing" "$expected" "$(sed -n "/^t_s/,\$p" <<<"$received")"
exit $fail
