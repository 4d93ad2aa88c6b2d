#!/usr/bin/env bash
# Malformed input through the tool surface. Program files through
# `vk47ctl show`: each one loads, or ends with its own clear message and exit
# 1, without a crash and without reading a huge file into memory. Settings
# files through `vk47ctl ports`: no crash, index 0, and nothing written.
set -u
ctl=$1
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
export HOME=$dir
unset XDG_CONFIG_HOME
fail=0
report() { echo "FAIL: $1"; shift; for line in "$@"; do echo "  $line"; done; fail=1; }

# Runs a command and prints its peak resident memory in KiB on fd 3.
max_rss_kib() {
  python3 -c '
import resource, subprocess, sys
status = subprocess.run(sys.argv[1:], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL).returncode
print(resource.getrusage(resource.RUSAGE_CHILDREN).ru_maxrss)
sys.exit(status)' "$@"
}

lines() { printf '%s\r\n' "$@"; }
demo=(36 4 84 4 36 4 84 4 20 4 68 4 52 4 100 4)

# --- program files -----------------------------------------------------------
lines "${demo[@]}" > "$dir/demo.pt3"
: > "$dir/empty.pt3"
head -c 3000 /dev/urandom | tr -d '\0\r\n0-9' | head -c 2000 > "$dir/garbage.pt3"
printf '\x89PNG\r\n\x1a\n\0\0\0\rIHDR' > "$dir/png.pt3"
lines "${demo[@]:0:15}" > "$dir/fifteen.pt3"
lines "${demo[@]}" 7 > "$dir/seventeen.pt3"
lines "${demo[@]:0:5}" abc "${demo[@]:6}" > "$dir/abc.pt3"
lines "${demo[@]:0:2}" 1.5 "${demo[@]:3}" > "$dir/decimal.pt3"
lines 300 "${demo[@]:1}" > "$dir/code300.pt3"
lines "${demo[@]:0:7}" -2 "${demo[@]:8}" > "$dir/code-2.pt3"
lines "${demo[@]:0:15}" 112 > "$dir/code112.pt3"
lines 99999999999 "${demo[@]:1}" > "$dir/overflow.pt3"
{ lines "${demo[@]:0:8}"; printf '\0'; lines "${demo[@]:8}"; } > "$dir/nul8.pt3"
{ printf '\0'; lines "${demo[@]}"; } > "$dir/nul0.pt3"
{ printf '3\0'; lines 6 "${demo[@]:2}"; } > "$dir/nul_in_line.pt3"
{ lines "${demo[@]:0:2}"; head -c 10000 /dev/zero | tr '\0' '7'; printf '\r\n'; lines "${demo[@]:3}"; } \
  > "$dir/long_line.pt3"
# 50 MB: a valid program, then junk that must never be read.
{ lines "${demo[@]}"; head -c 50000000 /dev/zero | tr '\0' 'x'; } > "$dir/huge_valid.pt3"
head -c 50000000 /dev/zero | tr '\0' '4' > "$dir/huge_line.pt3"

# name | expected exit | how the message is compared | expected message (stderr)
# A message is compared literally ("="), after printf's %b turns "\x89" into
# its byte; a row marked "~" is a shell pattern, for a message that quotes
# random or very long content ("*" stands for any text there). A listing
# (exit 0) has no message.
while IFS='|' read -r name want_status match want_message; do
  [[ -z $name ]] && continue
  out=$("$ctl" show "$dir/$name" 2>"$dir/err")
  status=$?
  err=$(cat "$dir/err")
  if [[ $status -ne $want_status ]]; then
    report "show $name: exit $status, expected $want_status" "$err"
  elif [[ $want_status -eq 0 ]]; then
    [[ $(wc -l <<<"$out") -eq 16 && -z $err ]] || report "show $name: no listing of 16 slots" "$out" "$err"
  elif [[ $match == "=" ]]; then
    want=$(printf '%b' "$want_message")
    [[ $err == "$want" ]] ||
      report "show $name: wrong message" "expected: $(printf '%q' "$want")" "actual:   $(printf '%q' "$err")"
  elif [[ $match == "~" ]]; then
    # shellcheck disable=SC2053  # the row is a pattern on purpose
    [[ $err == $want_message ]] ||
      report "show $name: message does not match" "pattern: $want_message" "actual:  $(printf '%q' "$err")"
  else
    report "show $name: the row's comparison is neither = nor ~: $match"
  fi
done <<'TABLE'
demo.pt3|0||
seventeen.pt3|0||
huge_valid.pt3|0||
empty.pt3|1|=|リストのインデックスが範囲を超えています (0)
nul0.pt3|1|=|リストのインデックスが範囲を超えています (0)
nul8.pt3|1|=|リストのインデックスが範囲を超えています (8)
nul_in_line.pt3|1|=|リストのインデックスが範囲を超えています (1)
fifteen.pt3|1|=|リストのインデックスが範囲を超えています (15)
garbage.pt3|1|=|このファイルは文字で書かれていません (バイナリファイル)
png.pt3|1|=|このファイルは文字で書かれていません (バイナリファイル)
abc.pt3|1|=|'abc' は整数ではありません
decimal.pt3|1|=|'1.5' は整数ではありません
overflow.pt3|1|=|'99999999999' は整数ではありません
long_line.pt3|1|~|'7777*…' は整数ではありません
huge_line.pt3|1|~|'4444*…' は整数ではありません
code300.pt3|1|=|1 行目の値 300 はロボットの命令ではありません
code-2.pt3|1|=|8 行目の値 -2 はロボットの命令ではありません
code112.pt3|1|=|16 行目の値 112 はロボットの命令ではありません
TABLE

# A huge file costs no more memory than a small one (only 4 KiB of a line is kept).
small_kib=$(max_rss_kib "$ctl" show "$dir/demo.pt3")
for name in huge_valid.pt3 huge_line.pt3; do
  kib=$(max_rss_kib "$ctl" show "$dir/$name")
  (( kib < small_kib + 8192 )) || report "show $name: peak memory $kib KiB, a small file takes $small_kib KiB"
done

# Output that cannot be written is a failure with a word on standard error,
# for every command that prints.
for command in "demo" "show $dir/demo.pt3" "ports" "port" "--version" "--help"; do
  # shellcheck disable=SC2086  # the command and its file are words
  err=$("$ctl" $command 2>&1 >/dev/full)
  status=$?
  [[ $status -ne 0 && $err == *"標準出力に書き込めませんでした"* ]] ||
    report "$command >/dev/full: exit $status" "$err"
done

# --- settings files ----------------------------------------------------------
folder=$dir/Documents/PT-36Temp
mkdir -p "$folder"
ini=$folder/set.ini
make_ini() {  # make_ini CASE: writes set.ini for that case
  case $1 in
    binary) head -c 4096 /dev/urandom > "$ini" ;;
    huge) { head -c 3000000 /dev/urandom; printf '\r\n[comport]\r\nname=2\r\n'; } > "$ini" ;;
    duplicate) printf '[comport]\r\nother=1\r\n[comport]\r\nname=2\r\n[COMPORT]\r\nname=3\r\n' > "$ini" ;;
    utf16) printf '[comport]\r\nname=2\r\n' | iconv -f UTF-8 -t UTF-16 > "$ini" ;;
    bad_value) printf '[comport]\r\nname=2x\r\n' > "$ini" ;;
    overflow) printf '[comport]\r\nname=4294967298\r\n' > "$ini" ;;
    nul) printf '[comport]\r\nname=\0\x32\r\n' > "$ini" ;;
    key_as_section) printf '[comport]\r\n[name=2]\r\n' > "$ini" ;;
    empty) : > "$ini" ;;
    directory) mkdir "$ini" ;;
  esac
}
for case in binary huge duplicate utf16 bad_value overflow nul key_as_section empty directory; do
  rm -rf "$ini"
  make_ini "$case"
  touch -d '2001-02-03 04:05:06' "$ini"
  before=$(cd "$folder" && find . -printf '%p %s %TY%Tm%Td%TH%TM%TS\n' | sort; [[ -f $ini ]] && sha256sum < "$ini")
  out=$("$ctl" ports 2>&1)
  status=$?
  after=$(cd "$folder" && find . -printf '%p %s %TY%Tm%Td%TH%TM%TS\n' | sort; [[ -f $ini ]] && sha256sum < "$ini")
  # A folder in set.ini's place cannot be read: an error naming it, not
  # the built-in devices. Everything else reads, however damaged.
  if [[ $case == directory ]]; then
    [[ $status -eq 1 && $out == *"set.ini (cannot be read: "* ]] || report "ports with $case set.ini: exit $status" "$out"
  else
    [[ $status -eq 0 ]] || report "ports with $case set.ini: exit $status" "$out"
  fi
  [[ $(sed -n 2p <<<"$out") == "stored index:  0" ]] || report "ports with $case set.ini: not index 0" "$out"
  [[ $before == "$after" ]] || report "ports with $case set.ini: the folder changed" "$before" "$after"
done

exit $fail
