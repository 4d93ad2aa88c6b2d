#!/usr/bin/env bash
# vk47ctl ports with HOME in a temporary folder: which settings file it reads,
# which port it marks, what set.ini's [devices] entries do; it creates nothing.
set -u
ctl=$1
source "$(dirname "$0")/../cli_test_lib.sh"

out=$("$ctl" ports); check "exit without settings" 0 $?
check "file line" "settings file: $dir/Documents/PT-36Temp/set.ini (missing)" "$(sed -n 1p <<<"$out")"
check "index line" "stored index:  0" "$(sed -n 2p <<<"$out")"
check "COM1 marked" "* COM1" "$(grep -o '^\* COM[0-9]' <<<"$out")"
check "four ports" 4 "$(grep -c ' COM[1-4]  /dev/' <<<"$out")"
check "nothing created" "" "$(ls -A "$dir")"

mkdir -p "$dir/Documents/PT-36Temp"
printf '[comport]\r\nname=2\r\n[devices]\r\nCOM3=%s\r\n' "$dir/robot" > "$dir/Documents/PT-36Temp/set.ini"
touch "$dir/robot"
out=$("$ctl" ports); check "exit with settings" 0 $?
check "documents file" "settings file: $dir/Documents/PT-36Temp/set.ini" "$(sed -n 1p <<<"$out")"
check "COM3 line" "* COM3 $dir/robot exists (set.ini [devices] com3)" \
  "$(grep '^\* ' <<<"$out" | tr -s ' ')"

printf '[comport]\r\nname=7\r\n' > "$dir/Documents/PT-36Temp/set.ini"
out=$("$ctl" ports)
check "index out of range" "stored index:  7 (no port of COM1..COM4, so COM1 is used)" \
  "$(sed -n 2p <<<"$out")"
check "out of range uses COM1" "* COM1" "$(grep -o '^\* COM[0-9]' <<<"$out")"

"$ctl" ports extra >/dev/null 2>&1; check "extra argument exit" 2 $?
exit $fail
