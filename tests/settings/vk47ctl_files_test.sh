#!/usr/bin/env bash
# vk47ctl against files that would block a plain open or never end, from a
# fresh HOME: a FIFO as set.ini and as a program file, a device, a folder.
# Each command returns at once (a hang fails through `timeout`), says why,
# and leaves the FIFO as it was.
set -u
ctl=$1
source "$(dirname "$0")/../cli_test_lib.sh"
run() { timeout 10 "$ctl" "$@"; }

ini="$dir/Documents/PT-36Temp/set.ini"
mkdir -p "$(dirname "$ini")"
mkfifo "$ini"
# Its mapping is unknown: an error that names it, not the built-in devices.
out=$(run ports 2>/dev/null); check "ports with a FIFO as set.ini" 1 $?
check "ports says why" "settings file: $ini (cannot be read: 通常のファイルではありません)" "$(sed -n 1p <<<"$out")"
check "ports marks COM1" "* COM1" "$(grep -o '^\* COM[0-9]' <<<"$out")"
err=$(run port com2 2>&1 >/dev/null); check "port com2 into a FIFO" 1 $?
check "port com2 message" "$ini に書き込めません" "$err"
check "the FIFO stays" "p" "$(stat -c %A "$ini" | cut -c1)"

mkfifo "$dir/fifo.pt3"
mkdir "$dir/folder.pt3"
for file in "$dir/fifo.pt3" /dev/zero /dev/urandom "$dir/folder.pt3"; do
  err=$(run show "$file" 2>&1 >/dev/null); check "show $file" 1 $?
  check "show $file message" "ファイル $file は開けません" "$err"
done
# An endless line: read within the budget and reported as no integer.
head -c 8000000 /dev/zero | tr '\0' '7' > "$dir/endless.pt3"
err=$(run show "$dir/endless.pt3" 2>&1 >/dev/null); check "show endless line" 1 $?
check "endless line message" "'$(printf '7%.0s' {1..64})…' は整数ではありません" "$err"
exit $fail
