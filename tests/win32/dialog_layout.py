#!/usr/bin/env python3
"""Checks dialog_probe's lines for frmConfig at 96 dpi against the form's
twips table (15 twips per pixel): each control's class, style, place and
size, and the sliders' range and design position.
Usage: dialog_layout.py PROBE_OUTPUT   (exit 1 and a line per difference)"""
import re
import sys

# name: (id, class, style bits that must be set, container, left, top, width, height)
GROUP, HSCROLL, LABEL_RIGHT, CHECK3, PUSH, DEFPUSH = 0x7, 0x0, 0x2, 0x5, 0x0, 0x1
TAB, DISABLED = 0x10000, 0x8000000
FRAMES = {"Frame(0)": (120, 120, 5625, 855), "Frame(1)": (120, 1080, 2715, 2655),
          "Frame(4)": (3000, 1080, 2745, 855), "Frame(7)": (3000, 2040, 2745, 855),
          "Frame(8)": (120, 3840, 2715, 1215)}
TABLE = [
    (100, "Button", GROUP, None, *FRAMES["Frame(0)"]),
    (101, "ScrollBar", HSCROLL | TAB, "Frame(0)", 240, 360, 5100, 255),
    (102, "Static", 0, "Frame(0)", 300, 600, 300, 225),
    (103, "Static", LABEL_RIGHT, "Frame(0)", 5000, 600, 300, 225),
    (104, "Button", GROUP, None, *FRAMES["Frame(1)"]),
    (105, "Static", 0, "Frame(1)", 240, 360, 1815, 255),
    (106, "ScrollBar", TAB, "Frame(1)", 240, 600, 2200, 200),
    (107, "Static", 0, "Frame(1)", 300, 840, 300, 225),
    (108, "Static", LABEL_RIGHT, "Frame(1)", 2100, 840, 300, 225),
    (109, "Static", 0, "Frame(1)", 240, 1080, 1815, 255),
    (110, "ScrollBar", TAB, "Frame(1)", 240, 1320, 2200, 200),
    (113, "Static", 0, "Frame(1)", 240, 1800, 1815, 255),
    (114, "ScrollBar", TAB, "Frame(1)", 240, 2040, 2200, 200),
    (117, "Button", GROUP, None, *FRAMES["Frame(4)"]),
    (118, "ScrollBar", TAB, "Frame(4)", 240, 360, 2200, 200),
    (121, "Button", GROUP, None, *FRAMES["Frame(7)"]),
    (122, "ScrollBar", TAB, "Frame(7)", 240, 360, 2200, 200),
    (123, "Static", 0, "Frame(7)", 240, 600, 300, 225),
    (125, "Button", GROUP, None, *FRAMES["Frame(8)"]),
    (126, "Button", CHECK3 | TAB, "Frame(8)", 240, 240, 2000, 255),
    (127, "Button", CHECK3 | TAB, "Frame(8)", 240, 720, 2000, 255),
    (128, "Button", CHECK3 | TAB | DISABLED, "Frame(8)", 240, 1200, 2000, 255),
    (129, "Button", CHECK3 | TAB | DISABLED, "Frame(8)", 240, 1680, 2000, 255),
    (130, "Button", PUSH | TAB, None, 3120, 3000, 1200, 975),
    (131, "Button", PUSH | TAB, None, 4560, 3000, 1200, 975),
    (132, "Button", PUSH | TAB, None, 3120, 4080, 1200, 975),
    (133, "Button", DEFPUSH | TAB, None, 4560, 4080, 1200, 975),
]
TEXTS = {100: "General speed / Grundtempo", 105: "Density / Dichte", 126: "Date / Datum",
         127: "Time/ Uhrzeit", 129: "Music / Musik", 130: "&WWW...", 131: "&Info...",
         132: "&Default Standard", 133: "&OK", 102: "-", 103: "+"}


def px(twips):
    return (twips + 7) // 15  # nearest pixel; no twips value here lies half-way


def main():
    lines = open(sys.argv[1], encoding="latin-1").read().splitlines()
    controls = {}
    for line in lines:
        m = re.match(r'ctl (\d+) (\S+) style=([0-9a-f]+) x=(-?\d+) y=(-?\d+) w=(\d+) h=(\d+)(.*) "(.*)"', line)
        if m:
            controls[int(m[1])] = (m[2], int(m[3], 16), *map(int, m.group(4, 5, 6, 7)), m[8], m[9])
    bad = []
    form = next((l for l in lines if l.startswith("form ")), "")
    if " w=396 h=348 " not in form:
        bad.append("form client size: " + form)
    for cid, cls, bits, frame, left, top, width, height in TABLE:
        if cid not in controls:
            bad.append(f"no control {cid}")
            continue
        got_cls, style, x, y, w, h, extra, text = controls[cid]
        fx, fy = (px(FRAMES[frame][0]), px(FRAMES[frame][1])) if frame else (0, 0)
        want = (cls, fx + px(left), fy + px(top), px(width), px(height))
        if (got_cls, x, y, w, h) != want:
            bad.append(f"{cid}: {(got_cls, x, y, w, h)} != {want}")
        if style & 0xF != bits & 0xF or style & (bits & ~0xF) != bits & ~0xF:
            bad.append(f"{cid}: style {style:08x} lacks {bits:08x}")
        if cls == "ScrollBar" and "min=1 max=100 pos=50 page=0" not in extra:
            bad.append(f"{cid}: scroll range {extra}")
        if cid in TEXTS and text != TEXTS[cid]:
            bad.append(f"{cid}: text {text!r}")
    for b in bad:
        print("layout:", b)
    return 1 if bad else 0


sys.exit(main())
