# Sourced by the command-line test scripts: a temporary folder as HOME that
# is removed at exit, and `check NAME EXPECTED ACTUAL`, which reports a
# difference and sets `fail`.
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
export HOME=$dir
unset XDG_CONFIG_HOME
fail=0
check() {
  if [[ "$2" != "$3" ]]; then
    echo "FAIL: $1"; echo "  expected: $(printf '%q' "$2")"; echo "  actual:   $(printf '%q' "$3")"; fail=1
  fi
}
