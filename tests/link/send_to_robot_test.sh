#!/usr/bin/env bash
# vk47ctl send/run to the virtual robot over a real pseudo-terminal: the demo
# frame arrives byte-exact with every gap of at least 100 ms, then 0x78.
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
"$ctl" send "$dir/demo.pt3" --port "$device" 2>/dev/null || { echo "send failed"; exit 1; }
"$ctl" run --port "$device" || { echo "run failed"; exit 1; }
wait "$robot_pid"
robot_pid=

python3 - "$dir/robot.json" <<'PY'
import json, sys
record = json.load(open(sys.argv[1]))
frames = record["frames"]
kinds = [f["kind"] for f in frames]
assert kinds == ["transfer", "execute"], kinds
values = frames[0]["values"]
assert values == [0x74, 36, 4, 84, 4, 36, 4, 84, 4, 20, 4, 68, 4, 52, 4, 100, 4], values
gaps = frames[0]["gaps_ms"][1:]
# The robot's clock starts at read(), a hair after write(). A read that the
# scheduler delays lengthens one gap and shortens the next by as much, so a
# short gap passes only when the one before makes up for it.
for i, gap in enumerate(gaps):
    assert gap >= 99.5 or (i > 0 and gaps[i - 1] + gap >= 199.5), gaps
assert frames[1]["values"] == [0x78]
print("demo frame ok; gaps %.1f..%.1f ms" % (min(gaps), max(gaps)))
PY
