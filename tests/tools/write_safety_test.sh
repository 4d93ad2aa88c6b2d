#!/usr/bin/env bash
# The tools' writes between real local accounts (made here with useradd and
# removed at the end), as a class's shared computer has them:
#  - an intruder's link planted in /tmp is not followed by the pupil's
#    vk47ctl demo, vk47-robot --json or --svg, or vk47 --pdf;
#  - root run with a pupil's HOME follows no pupil's link in a folder of the
#    path into another account's settings, takes no documents folder from the
#    pupil's user-dirs.dirs that is only root's, and leaves the pupil a
#    settings folder and set.ini that are the pupil's own;
#  - vk47 --sheet X --pdf X and vk47-robot --simulate X --svg X leave X as
#    it was and fail.
# Needs root (useradd, setpriv); exits 77 (skipped) otherwise.
#
#     write_safety_test.sh VK47CTL VK47_ROBOT [VK47]
set -u
ctl=$1 robot=$2 window=${3:-}
if [[ $(id -u) -ne 0 ]] || ! command -v useradd >/dev/null || ! command -v setpriv >/dev/null; then
  echo "SKIP: needs root, useradd and setpriv to act as several local accounts"
  exit 77
fi
source "$(dirname "$0")/../cli_test_lib.sh"
chmod 755 "$dir"

accounts=()
tmp_links=()
cleanup() {
  for name in "${accounts[@]}"; do userdel "$name" 2>/dev/null; done
  rm -f "${tmp_links[@]}"
  rm -rf "$dir" "$XDG_RUNTIME_DIR"
}
trap cleanup EXIT

# A local account with no home and no login; useradd waits for no lock of
# /etc/passwd, so a busy moment is tried again.
make_account() {
  local name=$1
  for _ in $(seq 50); do
    useradd --no-create-home --shell /usr/sbin/nologin --user-group "$name" 2>/dev/null && break
    sleep 0.1
  done
  if ! id -u "$name" >/dev/null 2>&1; then
    # A system whose account files cannot be changed (read-only /etc) cannot
    # run this test at all; that is no failure of the tools.
    echo "SKIP: useradd $name did not make the account"
    exit 77
  fi
  accounts+=("$name")
}
pupil=vk47p$$ intruder=vk47i$$ other=vk47o$$
for name in "$pupil" "$intruder" "$other"; do make_account "$name"; done

# as ACCOUNT HOME COMMAND...: runs the command as that account with that HOME
# and a runtime folder of its own.
for name in "${accounts[@]}"; do
  install -d -m 700 -o "$name" -g "$name" "$dir/run-$name"
done
as() {
  local name=$1 home=$2
  shift 2
  HOME=$home XDG_RUNTIME_DIR=$dir/run-$name setpriv --reuid="$name" --regid="$name" --init-groups timeout 20 "$@"
}
owner() { stat -c %U "$1"; }

home=$dir/pupil
mkdir -p "$home" "$dir/other"
chown "$pupil:$pupil" "$home"
chown "$other:$other" "$dir/other"
printf 'keep me\n' > "$home/important.txt"
chown "$pupil:$pupil" "$home/important.txt"
as "$pupil" "$home" "$ctl" demo "$home/demo.pt3"; check "pupil saves a program" 0 $?

# 1. Links an intruder planted in /tmp.
planted=/tmp/vk47-planted-$$
for suffix in .pt3 .json .svg; do
  tmp_links+=("$planted$suffix")
  as "$intruder" "$dir" ln -s "$home/important.txt" "$planted$suffix"
done
refusal() { echo "ファイル $1 を作成できません。$1 は別のユーザーが置いたシンボリックリンクなので、たどりません"; }
err=$(as "$pupil" "$home" "$ctl" demo "$planted.pt3" 2>&1 >/dev/null); check "demo through a planted link" 1 $?
check "demo names the planted link" "$(refusal "$planted.pt3")" "$err"
err=$(as "$pupil" "$home" "$robot" --json "$planted.json" 2>&1 </dev/null >/dev/null); check "robot --json through a planted link" 1 $?
check "robot --json names the planted link" "vk47-robot: $(refusal "$planted.json")" "$err"
err=$(as "$pupil" "$home" "$robot" --simulate "$home/demo.pt3" --svg "$planted.svg" 2>&1 >/dev/null)
check "robot --svg through a planted link" 1 $?
check "robot --svg names the planted link" "vk47-robot: $(refusal "$planted.svg")" "$err"
check "the pupil's file is kept" "keep me" "$(cat "$home/important.txt")"
# A picture is never drawn over the program it is drawn from.
cp "$home/demo.pt3" "$dir/demo.before"
err=$(as "$pupil" "$home" "$robot" --simulate "$home/demo.pt3" --svg "$home/demo.pt3" 2>&1 >/dev/null)
check "robot --svg over its program" 1 $?
check "robot --svg over its program says why" \
  "vk47-robot: ファイル $home/demo.pt3 は読み込んだファイルと同じなので、上書きしません" "$err"
check "the program is kept (svg)" "$(cat "$dir/demo.before")" "$(cat "$home/demo.pt3")"
# The pupil's own link there is the pupil's to use.
tmp_links+=("$planted-own.pt3")
as "$pupil" "$home" ln -s "$home/own.pt3" "$planted-own.pt3"
as "$pupil" "$home" "$ctl" demo "$planted-own.pt3"; check "demo through the pupil's own link" 0 $?
check "own link leads to the pupil's file" "$(cat "$home/demo.pt3")" "$(cat "$home/own.pt3" 2>&1)"

# 2. Root with the pupil's HOME, and a link one folder above set.ini that
# leads into another pupil's settings.
as "$other" "$dir/other" "$ctl" port com2 >/dev/null; check "other pupil saves a setting" 0 $?
other_ini=$dir/other/Documents/PT-36Temp/set.ini
before=$(cat "$other_ini")
as "$pupil" "$home" mkdir "$home/Documents"
as "$pupil" "$home" ln -s "$dir/other/Documents/PT-36Temp" "$home/Documents/PT-36Temp"
HOME=$home "$ctl" port com4 >/dev/null 2>&1; check "root through the pupil's PT-36Temp link" 1 $?
check "the other pupil's set.ini is kept" "$before" "$(cat "$other_ini")"
check "the other pupil's set.ini stays theirs" "$other" "$(owner "$other_ini")"
# One folder higher: Documents itself.
as "$pupil" "$home" rm "$home/Documents/PT-36Temp"
as "$pupil" "$home" rmdir "$home/Documents"
as "$pupil" "$home" ln -s "$dir/other/Documents" "$home/Documents"
HOME=$home "$ctl" port com4 >/dev/null 2>&1; check "root through the pupil's Documents link" 1 $?
check "the other pupil's set.ini is kept (Documents)" "$before" "$(cat "$other_ini")"

# 3. Root with a pupil's HOME that has no settings folder yet: the folders
# and set.ini it makes are the pupil's, so the pupil can go on saving.
fresh=$dir/fresh
mkdir "$fresh"
chown "$pupil:$pupil" "$fresh"
HOME=$fresh "$ctl" port com2 >/dev/null; check "root saves the pupil's setting" 0 $?
for made in "$fresh/Documents" "$fresh/Documents/PT-36Temp" "$fresh/Documents/PT-36Temp/set.ini"; do
  check "$made is the pupil's" "$pupil" "$(owner "$made")"
done
as "$pupil" "$fresh" "$ctl" port com3 >/dev/null; check "the pupil saves after root" 0 $?
check "the pupil's setting is kept" "name=2" "$(grep -o 'name=[0-9]' "$fresh/Documents/PT-36Temp/set.ini")"

# ... and whose user-dirs.dirs names a folder only root may enter: root makes
# nothing there, and the settings go to the pupil's own Documents.
xdg=$dir/xdg
mkdir -p "$xdg/.config" "$dir/root-only/docs"
chmod 700 "$dir/root-only"
printf 'XDG_DOCUMENTS_DIR="%s"\n' "$dir/root-only/docs" > "$xdg/.config/user-dirs.dirs"
chown -R "$pupil:$pupil" "$xdg"
HOME=$xdg "$ctl" port com2 >/dev/null; check "root saves beside the root-only folder" 0 $?
check "nothing in the root-only folder" "" "$(ls -A "$dir/root-only/docs")"
check "the setting is in the pupil's Documents" "$pupil" "$(owner "$xdg/Documents/PT-36Temp/set.ini")"

# 4. The sheet: never over its program, never through a pupil's link into
# root's file, and a new sheet in the pupil's folder is the pupil's.
if [[ -n $window ]]; then
  cp "$home/demo.pt3" "$dir/demo.copy"
  err=$(cd "$home" && as "$pupil" "$home" "$window" --sheet demo.pt3 --pdf demo.pt3 2>&1 >/dev/null)
  check "--pdf equal to --sheet" 1 $?
  check "--pdf equal to --sheet says why" "vk47: ファイル demo.pt3 は読み込んだファイルと同じなので、上書きしません" "$err"
  as "$pupil" "$home" ln -s demo.pt3 "$home/same.pdf"
  (cd "$home" && as "$pupil" "$home" "$window" --sheet demo.pt3 --pdf same.pdf 2>/dev/null)
  check "--pdf a link to --sheet" 1 $?
  check "the program is kept" "$(cat "$dir/demo.copy")" "$(cat "$home/demo.pt3")"

  printf 'root only\n' > "$dir/root-file"
  as "$pupil" "$home" ln -s "$dir/root-file" "$home/lesson.pdf"
  (cd "$home" && HOME=$home "$window" --sheet demo.pt3 --pdf lesson.pdf 2>/dev/null)
  check "root's sheet through the pupil's link" 1 $?
  check "root's file is kept" "root only" "$(cat "$dir/root-file")"
  (cd "$home" && HOME=$home "$window" --sheet demo.pt3 --pdf new.pdf); check "root's sheet for the pupil" 0 $?
  check "the new sheet is the pupil's" "$pupil" "$(owner "$home/new.pdf")"
  err=$(as "$pupil" "$home" "$window" --sheet "$home/demo.pt3" --pdf "$planted.pt3" 2>&1 >/dev/null)
  check "sheet through a planted link" 1 $?
  check "sheet names the planted link" "vk47: $(refusal "$planted.pt3")" "$err"
  check "the pupil's file is kept (sheet)" "keep me" "$(cat "$home/important.txt")"
fi
exit $fail
