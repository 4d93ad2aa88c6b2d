#!/usr/bin/env bash
# vk47ctl show/demo as a user runs them: listing, file bytes, errors, exit codes.
set -u
ctl=$1
source "$(dirname "$0")/../cli_test_lib.sh"

"$ctl" demo "$dir/demo.pt3"; check "demo writes" 0 $?
check "demo bytes" "$(printf '%s\r\n' 36 4 84 4 36 4 84 4 20 4 68 4 52 4 100 4 | od -An -tx1)" \
  "$(od -An -tx1 < "$dir/demo.pt3")"

out=$("$ctl" show "$dir/demo.pt3"); check "show exit" 0 $?
check "show line 0" $'0\t36\t2\t1秒\t前進' "$(sed -n 1p <<<"$out")"
check "show line 14" $'14\t100\t7\t1秒\t右後' "$(sed -n 15p <<<"$out")"
check "show lines" 16 "$(wc -l <<<"$out")"
check "demo listing = show of saved demo" "$out" "$("$ctl" demo)"

printf '%s\r\n' 1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 > "$dir/short.pt3"
err=$("$ctl" show "$dir/short.pt3" 2>&1 >/dev/null); check "short exit" 1 $?
check "short message" "リストのインデックスが範囲を超えています (15)" "$err"

printf 'q1\n' > "$dir/bad.pt3"
err=$("$ctl" show "$dir/bad.pt3" 2>&1 >/dev/null); check "bad exit" 1 $?
check "bad message" "'q1' は整数ではありません" "$err"

err=$("$ctl" show "$dir/missing.pt3" 2>&1 >/dev/null); check "missing exit" 1 $?
check "missing message" "ファイル $dir/missing.pt3 は開けません" "$err"

"$ctl" bogus >/dev/null 2>&1; check "unknown command exit" 2 $?
exit $fail
