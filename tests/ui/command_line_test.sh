#!/usr/bin/env bash
# vk47 --version and --help answer on standard output without a display and
# exit 0; an unknown option gives the usage on standard error and exit 2.
# usage: command_line_test.sh VK47
set -u
vk47=$1
fail=0
check() {  # NAME EXPECTED_STATUS STDOUT_PATTERN STDERR_PATTERN ARGS...
  local name=$1 want=$2 out_pat=$3 err_pat=$4
  shift 4
  local out err status
  out=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM timeout 10 "$vk47" "$@" 2>/tmp/vk47-cl-err.$$)
  status=$?
  err=$(cat /tmp/vk47-cl-err.$$)
  rm -f /tmp/vk47-cl-err.$$
  [[ $status == "$want" ]] || { echo "FAIL $name: exit $status, expected $want ($err)"; fail=1; }
  [[ $out =~ $out_pat ]] || { echo "FAIL $name: stdout '$out'"; fail=1; }
  [[ $err =~ $err_pat ]] || { echo "FAIL $name: stderr '$err'"; fail=1; }
}
check version 0 '^vk47 [0-9]+\.[0-9]+\.[0-9]+$' '^$' --version
check short-version 0 '^vk47 ' '^$' -v
check help 0 '使い方: vk47' '^$' --help
check help-first 0 '使い方: vk47' '^$' -h --nonsense
check unknown 2 '^$' 'このオプションは使えません: --nonsense.*使い方: vk47' --nonsense
check word 2 '^$' 'このオプションは使えません: file.pt3' file.pt3
check qt-option-missing-value 2 '^$' 'このオプションは使えません: -style' -style
exit $fail
