#!/usr/bin/env bash
# vk47ctl send/run to the virtual robot over a real pseudo-terminal: the demo
# frame arrives byte-exact, written by the sender with every gap of at least
# 100 ms, then 0x78.
set -u
ctl=$1
robot=$2
dir=$(mktemp -d)
robot_pid=
cleanup() { [[ -n $robot_pid ]] && kill "$robot_pid" 2>/dev/null; rm -rf "$dir"; }
trap cleanup EXIT
export HOME=$dir  # keeps set.ini and the documents folder inside the test

"$robot" --json "$dir/robot.json" --frames 2 > "$dir/robot.out" &
robot_pid=$!
for _ in $(seq 50); do [[ -s $dir/robot.out ]] && break; sleep 0.1; done
device=$(head -n1 "$dir/robot.out")
[[ -c $device ]] || { echo "robot printed no device: '$device'"; exit 1; }

"$ctl" demo "$dir/demo.pt3" || exit 1
# Under strace, which stamps each of the sender's own writes (pacing.py:
# LeakSanitizer cannot run under ptrace, so a sanitized build checks no leaks
# here), waited for by the sender's own exit.
python3 "$(dirname "$0")/../pacing.py" trace "$dir/send.strace" \
  "$ctl" send "$dir/demo.pt3" --port "$device" 2>/dev/null || { echo "send failed"; exit 1; }
"$ctl" run --port "$device" || { echo "run failed"; exit 1; }
wait "$robot_pid"
robot_pid=

python3 - "$dir/robot.json" "$dir/send.strace" "$device" "$(dirname "$0")/.." <<'PY'
import json, sys
sys.path.insert(0, sys.argv[4])
import pacing
record = json.load(open(sys.argv[1]))
frames = record["frames"]
kinds = [f["kind"] for f in frames]
assert kinds == ["transfer", "execute"], kinds
frame = [0x74, 36, 4, 84, 4, 36, 4, 84, 4, 20, 4, 68, 4, 52, 4, 100, 4]
assert frames[0]["values"] == frame, frames[0]["values"]
sent = pacing.check_sender(pacing.sender_writes(sys.argv[2], sys.argv[3]), frame)
pacing.check_reader(frames[0]["gaps_ms"][1:])
assert frames[1]["values"] == [0x78]
print("demo frame ok; the sender's gaps %.1f..%.1f ms" % (min(sent), max(sent)))
PY
