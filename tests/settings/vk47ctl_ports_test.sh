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

# A set.ini that is there but cannot be read is an error naming it, in ports
# and in a send, never the built-in device in its place: unreadable by its
# mode (as another account when run as root, since root reads anyway), a
# FIFO in its place, and no file descriptor left to read it with.
ini=$dir/Documents/PT-36Temp/set.ini
printf '[comport]\r\nname=1\r\n[devices]\r\ncom2=/dev/pts/77\r\n' > "$ini"
"$ctl" demo "$dir/demo.pt3" >/dev/null
# Descriptors the test runner left open are closed first, so that five leave
# the program room to start but none to read set.ini with.
few_descriptors() {
  local fd
  for fd in /proc/$BASHPID/fd/*; do
    fd=${fd##*/}
    ((fd > 2)) && eval "exec $fd>&-" 2>/dev/null
  done
  ulimit -n 5
  "$@"
}
# A sanitized build's runtime needs descriptors of its own and cannot start
# with five, so only the plain build is tried that way.
if [[ -z "${ASAN_OPTIONS:-}" ]]; then
  err=$(few_descriptors "$ctl" send "$dir/demo.pt3" --port com1 2>&1 >/dev/null); check "ulimit -n 5: send exit" 1 $?
  check "ulimit -n 5: the file, not ttyS0" "先生へ: 設定ファイル $ini を読めません (Too many open files)。読めるようにするか、消してください。" \
    "$(grep 先生へ <<<"$err")"
fi
rm -f "$ini"; mkfifo "$ini"
out=$(timeout 10 "$ctl" ports 2>/dev/null); check "FIFO: ports exit" 1 $?
check "FIFO: the file line says why" "settings file: $ini (cannot be read: 通常のファイルではありません)" "$(sed -n 1p <<<"$out")"
rm -f "$ini"
printf '[comport]\r\nname=1\r\n[devices]\r\ncom2=/dev/pts/77\r\n' > "$ini"
as_user=()
if ((EUID == 0)); then
  if command -v setpriv >/dev/null; then
    chmod 755 "$dir" "$dir/Documents" "$dir/Documents/PT-36Temp"; chmod 644 "$dir/demo.pt3"
    chown -R 47223:47223 "$dir"
    as_user=(setpriv --reuid=47223 --regid=47223 --clear-groups)
  else
    as_user=(skip)
  fi
fi
if [[ ${as_user[0]:-} != skip ]]; then
  chmod 000 "$ini"
  out=$("${as_user[@]}" "$ctl" ports 2>"$dir/ports.err"); check "mode 000: ports exit" 1 $?
  check "mode 000: the file line says why" "settings file: $ini (cannot be read: Permission denied)" "$(sed -n 1p <<<"$out")"
  check "mode 000: no device shown" "" "$(grep /dev/ <<<"$out")"
  check "mode 000: ports names the file" "vk47ctl: 設定ファイル $ini を読めません (Permission denied)。どのポートがどのデバイスか分かりません。" \
    "$(cat "$dir/ports.err")"
  err=$("${as_user[@]}" "$ctl" send "$dir/demo.pt3" 2>&1 >/dev/null); check "mode 000: send exit" 1 $?
  # The stored port cannot be read either: the send uses COM1, as start-up does.
  check "mode 000: send says so" "設定ファイルを読めないので、シリアルポート COM1 がどのデバイスか分かりません。先生に知らせてください。" \
    "$(sed -n 1p <<<"$err" | tr -d '\r')"
  check "mode 000: send names the file" "先生へ: 設定ファイル $ini を読めません (Permission denied)。読めるようにするか、消してください。" \
    "$(sed -n 2p <<<"$err")"
  check "mode 000: never the built-in device" "" "$(grep -E 'ttyS|ttyUSB' <<<"$err")"
  chmod 644 "$ini"
fi
exit $fail
exit $fail
