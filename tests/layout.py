"""The main window's layout as the tests drive it: the controls' client
positions (below the menu bar, above the status bar) from tests/ui/layout.json,
the one place that holds them for every test. tests/ui/layout_test.cpp checks
that the window matches it."""
import json
import os

with open(os.path.join(os.path.dirname(os.path.abspath(__file__)), "ui", "layout.json"), encoding="utf-8") as _f:
    _LAYOUT = json.load(_f)

CLIENT_W = _LAYOUT["client"]["width"]
CLIENT_H = _LAYOUT["client"]["height"]
STATUS_H = _LAYOUT["client"]["status_bar_height"]
# (left, top, width, height) in client coordinates.
GROUP_BOXES = {name: tuple(rect) for name, rect in _LAYOUT["group_boxes"].items()}
PALETTE = {int(number): tuple(rect) for number, rect in _LAYOUT["palette"].items()}
SLOTS = [tuple(rect) for rect in _LAYOUT["slots"]]
VALUE_LABELS = [tuple(rect) for rect in _LAYOUT["value_labels"]]
TRACK_BAR = tuple(_LAYOUT["track_bar"])
BUTTONS = {name: tuple(rect) for name, rect in _LAYOUT["buttons"].items()}


def centre(rect):
    x, y, w, h = rect
    return x + w // 2, y + h // 2


def track_point(position):
    """Centre of the track bar's handle at a position (0..15): the handle is
    14 pixels wide and its centre moves across the rest of the bar."""
    x, y, w, h = TRACK_BAR
    return x + 7 + round(position * (w - 14) / 15), y + h // 2
