#!/usr/bin/env bash
# vk47ctl send to the virtual robot, which is killed in the middle of the
# transfer: the send must end at once with a non-zero status and say how many
# of the sixteen steps went out, never hang or claim success.
set -u
ctl=$1
robot=$2
dir=$(mktemp -d)
robot_pid=
cleanup() { [[ -n $robot_pid ]] && kill -9 "$robot_pid" 2>/dev/null; rm -rf "$dir"; }
trap cleanup EXIT
export HOME=$dir

"$robot" > "$dir/robot.out" &
robot_pid=$!
for _ in $(seq 50); do [[ -s $dir/robot.out ]] && break; sleep 0.1; done
device=$(head -n1 "$dir/robot.out")
[[ -c $device ]] || { echo "robot printed no device: '$device'"; exit 1; }
"$ctl" demo "$dir/demo.pt3" || exit 1

start=$(date +%s%N)
"$ctl" send "$dir/demo.pt3" --port "$device" > "$dir/send.out" 2> "$dir/send.err" &
send_pid=$!
sleep 0.45  # the command byte and three or four steps
{ kill -9 "$robot_pid"; wait "$robot_pid"; } 2>/dev/null
robot_pid=
wait "$send_pid"
status=$?
elapsed_ms=$(( ($(date +%s%N) - start) / 1000000 ))

fail=0
[[ $status -eq 1 ]] || { echo "FAIL: exit status $status, expected 1"; fail=1; }
steps=$(grep -o '16 ステップのうち [0-9]* ステップです' "$dir/send.err" | grep -o ' [0-9]* ' | tr -d ' ')
if [[ -z $steps ]]; then
  echo "FAIL: no step count in: $(cat "$dir/send.err")"; fail=1
elif (( steps < 1 || steps > 8 )); then
  echo "FAIL: $steps steps reported sent after 0.45 s"; fail=1
fi
grep -q '接続が切れました' "$dir/send.err" || { echo "FAIL: no I/O error in: $(cat "$dir/send.err")"; fail=1; }
[[ ! -s $dir/send.out ]] || { echo "FAIL: success text printed: $(cat "$dir/send.out")"; fail=1; }
# A whole transfer takes 1.7 s; a stopped one must not wait that out.
(( elapsed_ms < 1500 )) || { echo "FAIL: send took $elapsed_ms ms"; fail=1; }
[[ $fail -eq 0 ]] && echo "stopped after $steps steps in $elapsed_ms ms: $(head -n1 "$dir/send.err")"
exit $fail
