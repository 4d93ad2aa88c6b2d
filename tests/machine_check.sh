# Sourced by scripts/test and scripts/test-asan after scripts/setup-deps:
# check_machine fails with one line naming the cause and the fix when the
# machine lacks something that no test can provide for itself. (What the
# desktop provides is left out by tests/isolation.sh instead.)
check_machine() {
  local why=""
  # The transfer tests time the sender's own writes with strace -f.
  if ! strace -f -qq -o /dev/null true 2>/dev/null; then
    why="strace cannot trace a program here (ptrace is not permitted); the transfer tests time the sender's writes with it: allow ptrace (sysctl kernel.yama.ptrace_scope=1, or a container started with --cap-add=SYS_PTRACE)"
  # Robots and serial tests live on pseudo-terminals.
  elif ! python3 -c 'import os; os.openpty()' 2>/dev/null; then
    why="no pseudo-terminals (os.openpty fails): the robot and serial tests run on them: mount devpts on /dev/pts with /dev/ptmx (in a container: the default /dev)"
  # The window tests start their own X server.
  elif ! timeout 20 xvfb-run -a -s "-nolisten tcp" true 2>/dev/null; then
    why="Xvfb does not start: the window tests run the window on an X server of their own: check that /tmp/.X11-unix is writable (or run scripts/setup-deps for xvfb)"
  fi
  if [[ -n $why ]]; then
    echo "$(basename "$0"): $why" >&2
    return 1
  fi
}
