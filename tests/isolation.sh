# Sourced by the test scripts (scripts/test, test-asan, test-tsan,
# test-windows, test-package, tests/cli_test_lib.sh): leaves out what the
# desktop of whoever runs the tests provides and would change their outcome,
# as tests/isolation.py does for each program a test starts.
#
# - No session bus: with none named, Qt's and Wine's D-Bus use starts one on
#   demand (dbus-launch --autolaunch, where dbus-x11 is installed) that
#   outlives the program; with the desktop's, a window under test would talk
#   to the desktop's accessibility, portals and input method.
# - No display, Wayland socket or session manager: the window tests start
#   their own X server (Xvfb), the others run offscreen.
# - No input method, Qt theme, style, scale or plugin path, no XDG folders
#   or desktop name, and one locale (LC_ALL would override LANG).
unset DISPLAY WAYLAND_DISPLAY XAUTHORITY SESSION_MANAGER XMODIFIERS GTK_IM_MODULE \
  LC_ALL LANGUAGE DESKTOP_SESSION GNOME_DESKTOP_SESSION_ID KDE_FULL_SESSION
while read -r _name; do
  unset "$_name"
done < <(compgen -e | grep -E '^(QT|XDG)_')
unset _name
export DBUS_SESSION_BUS_ADDRESS=disabled: LANG=C.UTF-8
