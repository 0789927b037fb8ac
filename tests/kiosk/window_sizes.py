#!/usr/bin/python3
"""Reads a Wayland client's protocol log (WAYLAND_DEBUG=client) and checks that every window of
its own (a toplevel without a parent: not a dialog, not a companion) ended up as large as the
output the compositor offered, in the size the client itself drew.

Usage: window_sizes.py LOG WIDTH HEIGHT"""
import re
import sys

log, width, height = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
toplevel_of, title, parented, geometry = {}, {}, set(), {}
for line in open(log, errors="replace"):
    if m := re.search(r"-> (xdg_surface@\d+)\.get_toplevel\(new id (xdg_toplevel@\d+)\)", line):
        toplevel_of[m[1]] = m[2]
        title[m[2]], geometry[m[2]] = "(untitled)", None
        parented.discard(m[2])
    elif m := re.search(r"-> (xdg_toplevel@\d+)\.set_title\(\"(.*)\"\)", line):
        title[m[1]] = m[2]
    elif m := re.search(r"-> (xdg_toplevel@\d+)\.set_parent\((xdg_toplevel@\d+)\)", line):
        parented.add(m[1])
    elif m := re.search(r"-> (xdg_surface@\d+)\.set_window_geometry\(0, 0, (\d+), (\d+)\)", line):
        if m[1] in toplevel_of:
            geometry[toplevel_of[m[1]]] = (int(m[2]), int(m[3]))
own = [t for t in geometry if t not in parented and geometry[t]]
if not own:
    sys.exit(f"{log}: no window of the program's own was drawn")
wrong = 0
for t in own:
    fills = geometry[t] == (width, height)
    wrong += not fills
    print(f"{'fills' if fills else 'SMALL'} {geometry[t][0]}x{geometry[t][1]}: {title[t]}")
sys.exit(f"{wrong} window(s) do not fill the {width}x{height} output" if wrong else 0)
