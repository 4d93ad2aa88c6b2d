# Sourced by the command-line test scripts: nothing of the desktop running
# the tests (tests/isolation.sh), a temporary folder as HOME that is removed
# at exit, a runtime folder of the test's own for robots' records (so robots
# running elsewhere on the machine are not seen), and
# `check NAME EXPECTED ACTUAL`, which reports a difference and sets `fail`.
source "$(dirname "${BASH_SOURCE[0]}")/isolation.sh"
dir=$(mktemp -d)
XDG_RUNTIME_DIR=$(mktemp -d)  # private (0700), and not inside HOME
trap 'rm -rf "$dir" "$XDG_RUNTIME_DIR"' EXIT
export HOME=$dir XDG_RUNTIME_DIR
fail=0
check() {
  if [[ "$2" != "$3" ]]; then
    echo "FAIL: $1"; echo "  expected: $(printf '%q' "$2")"; echo "  actual:   $(printf '%q' "$3")"; fail=1
  fi
}
