#!/usr/bin/env bash
# vk47ctl.exe under Wine: a program saved to and shown from a folder with a
# Japanese name given on the command line (the wide command line, not the
# ANSI code page), and COM1..COM4 named as the system's devices.
#   vk47ctl_test.sh WINE VK47CTL.EXE
set -euo pipefail
wine=$1
ctl=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
mkdir "ロボット教室"

fail() { echo "FAIL: $*" >&2; exit 1; }

"$wine" "$ctl" demo "ロボット教室/デモ.pt3" >/dev/null || fail "demo did not save"
[[ -f "ロボット教室/デモ.pt3" ]] || fail "no file named デモ.pt3: $(ls "ロボット教室")"
cmp -s <(head -c 4 "ロボット教室/デモ.pt3") <(printf '36\r\n') || fail "the file does not start with 36 CR LF"

listing=$("$wine" "$ctl" show "ロボット教室/デモ.pt3") || fail "show failed"
[[ "$listing" == *$'0\t36\t'* && "$listing" == *$'15\t4\t'* ]] || fail "listing: $listing"
[[ "$listing" == *"前進"* ]] || fail "the listing lost its Japanese text: $listing"

ports=$(HOME=$work "$wine" "$ctl" ports) || fail "ports failed"
for n in 1 2 3 4; do
  [[ "$ports" == *"COM$n  \\\\.\\COM$n"* ]] || fail "COM$n is not \\\\.\\COM$n: $ports"
done
echo "vk47ctl under Wine: demo, show and ports as expected"
