"""The environment a program under test starts with: nothing of the desktop
of whoever runs the tests, so that a test judges the program and not the
machine.

- No session bus: DBUS_SESSION_BUS_ADDRESS=disabled:. Without any address,
  Qt's D-Bus use starts a bus on demand (`dbus-launch --autolaunch`) wherever
  dbus-x11 is installed, and that bus outlives the window; with the desktop's
  address, the window would talk to the desktop's accessibility, portals and
  input method.
- Only the variables below pass: not the desktop's display, Wayland socket,
  session manager, input method, Qt theme, scale or plugin path, locale
  (LC_ALL would override the LANG given here) or XDG folders.

The caller adds HOME, DISPLAY and whatever its program needs.
"""
import os

# What a program needs to start at all, and the sanitizers' settings of a
# sanitizer build's run.
PASSED = frozenset({"PATH", "TMPDIR", "USER", "LOGNAME", "LD_LIBRARY_PATH"})
PASSED_PREFIXES = ("ASAN_", "UBSAN_", "LSAN_", "TSAN_")

NO_SESSION_BUS = "disabled:"


def environment(home, **extra):
    """The environment of a program under test whose HOME is `home`."""
    env = {k: v for k, v in os.environ.items() if k in PASSED or k.startswith(PASSED_PREFIXES)}
    env.update(HOME=home, LANG="C.UTF-8", DBUS_SESSION_BUS_ADDRESS=NO_SESSION_BUS)
    env.update(extra)
    return env
