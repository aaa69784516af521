#!/usr/bin/env python3
"""Draws the backup, defragmentation and ignore-list pages' pictures.

  Client/res/backup      197 page background; 228/229 backup, 230/231
                         restore, 188/189 delete buttons (normal, hover)
  Client/res/defrag      391 start face, 386 analysed face; 389/390
                         Analyse, 387/388 Defrag, 178/179 Back buttons
  Client/res/ignorelist  392 page background; 368/369 Remove button;
                         (the tabs are the settings page's, 297-304)

Pages are 509 x 332 pixels; buttons of 73 x 21 dialog units are 110 x 34
pixels at the template font (6 x 13 base units). The texts drawn into a
background sit where the page has no control over them.

Run from anywhere: python3 Client/res/art/make-maintenance-art.py
"""
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import artlib as a  # noqa: E402

RES = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..")
FONT = "DejaVu-Sans"
BOLD = "DejaVu-Sans-Bold"

INK = "#1d2b38"
SOFT_INK = "#52606d"
ACCENT = "#2b6ea8"
ACCENT_DARK = "#17466e"
PANEL = "#eef4fa"
PANEL_EDGE = "#c9d6e3"
HOVER = "#d5e5f4"
GREEN = "#2e8b4a"
GREEN_DARK = "#1f6a36"
RED = "#b8432f"
RED_DARK = "#8e2f20"

PAGE_W, PAGE_H = 509, 332
BUTTON_W, BUTTON_H = 110, 34


def text(x, y, words, size=10, font=FONT, fill=INK):
    return ["-stroke", "none", "-font", font, "-pointsize", size, "-fill", fill, "-annotate", f"+{x}+{y}", words]


def panel(x0, y0, x1, y1, fill=PANEL):
    return a.draw(f"roundrectangle {x0},{y0} {x1},{y1} 8,8", fill=fill, stroke=PANEL_EDGE)


def page(out, *parts):
    args = a.canvas(PAGE_W, PAGE_H, "white")
    for part in parts:
        args += part
    a.save_bmp(args, out)


def button(out, caption, top, bottom, glyph, hover=False):
    """A rounded face with a glyph and a caption, lighter under the mouse."""
    if hover:
        top, bottom = bottom, top
    args = a.canvas(BUTTON_W, BUTTON_H, "white")
    args += ["(", "-size", f"{BUTTON_W - 2}x{BUTTON_H - 2}", f"gradient:{top}-{bottom}", ")",
             "-geometry", "+1+1", "-composite"]
    args += a.draw(f"roundrectangle 0,0 {BUTTON_W - 1},{BUTTON_H - 1} 7,7", stroke=bottom)
    # Corners outside the rounding stay white like the page behind them.
    args += glyph
    args += ["-stroke", "none", "-font", BOLD, "-pointsize", 10, "-fill", "white", "-gravity", "west",
             "-annotate", "+34+0", caption, "-gravity", "northwest"]
    a.save_bmp(args, out)


def round_corners(path):
    """Whites out what lies outside the button's rounded outline."""
    with a.Scratch() as s:
        mask = s.path("mask.png")
        a.run(a.canvas(BUTTON_W, BUTTON_H, "black") +
              a.draw(f"roundrectangle 0,0 {BUTTON_W - 1},{BUTTON_H - 1} 7,7", fill="white") + [mask])
        a.run(a.canvas(BUTTON_W, BUTTON_H, "white") + [path, mask, "-composite", "-alpha", "off",
                                                       "-type", "TrueColor", "BMP3:" + path])


def button_pair(folder, normal, hover, caption, top, bottom, glyph):
    for name, lit in ((normal, False), (hover, True)):
        path = os.path.join(folder, f"{name}.bmp")
        button(path, caption, top, bottom, glyph, lit)
        round_corners(path)


# Glyphs, drawn at the left end of a 34 pixel high button.
DISK = a.draw("roundrectangle 10,9 25,24 2,2", fill="white") + a.draw("rectangle 13,9 22,14", fill=ACCENT_DARK)
ARROW_BACK = a.draw("polyline 24,12 14,12 18,8", "line 14,12 18,16", "arc 10,10 26,26 270,90",
                    stroke="white", width=2)
CROSS = a.draw("line 12,11 23,22", "line 23,11 12,22", stroke="white", width=3)
GAUGE = a.draw("arc 9,9 26,26 180,360", stroke="white", width=2) + a.draw("line 17,17 23,11", stroke="white",
                                                                         width=2)
BLOCKS = a.draw("rectangle 10,10 16,16", "rectangle 19,10 25,16", "rectangle 10,19 16,25", "rectangle 19,19 25,25",
                fill="white")
LEFT = a.draw("polygon 21,9 11,17 21,25", fill="white")
MINUS = a.draw("circle 17,17 17,9", fill="white") + a.draw("rectangle 12,16 22,18", fill=RED_DARK)


def backup_art():
    out = os.path.join(RES, "backup")
    os.makedirs(out, exist_ok=True)
    page(os.path.join(out, "197.bmp"),
         panel(10, 6, 498, 74),
         a.draw("roundrectangle 10,78 498,254 4,4", stroke=PANEL_EDGE))
    button_pair(out, 228, 229, "Backup", ACCENT, ACCENT_DARK, DISK)
    button_pair(out, 230, 231, "Restore", GREEN, GREEN_DARK, ARROW_BACK)
    button_pair(out, 188, 189, "Delete", RED, RED_DARK, CROSS)


def defrag_face(path, title, lines, mark):
    parts = [panel(10, 6, 498, 240),
             text(24, 36, title, size=14, font=BOLD, fill=ACCENT_DARK)]
    for index, line in enumerate(lines):
        parts.append(text(24, 68 + index * 20, line, size=9))
    parts.append(mark)
    page(path, *parts)


def defrag_art():
    out = os.path.join(RES, "defrag")
    os.makedirs(out, exist_ok=True)
    bars = []
    for index, height in enumerate((40, 70, 28, 56, 84, 46)):
        x = 414 + index * 13
        bars += a.draw(f"rectangle {x},{220 - height} {x + 9},220", fill="#8db4e6" if index % 2 else ACCENT)
    defrag_face(os.path.join(out, "391.bmp"), "Registry Defragmentation", [
        "Over time the registry files grow full of gaps left by deleted keys and values.",
        "Press Analyse to measure how fragmented your registry is. Nothing is changed",
        "until you choose to defragment it.",
        "",
        "Before you start, save your work, close all running applications and make",
        "sure some disk space is free.",
    ], bars)
    tidy = []
    for index in range(6):
        x = 414 + index * 13
        tidy += a.draw(f"rectangle {x},150 {x + 9},220", fill=GREEN if index % 2 else "#6cbf83")
    defrag_face(os.path.join(out, "386.bmp"), "Analysis Complete", [
        "Your registry was analysed. Press Defrag to write compact copies of the",
        "registry files; Windows puts them in place when your computer restarts.",
        "",
        "Press Back to return without changing anything.",
    ], tidy)
    button_pair(out, 389, 390, "Analyse", ACCENT, ACCENT_DARK, GAUGE)
    button_pair(out, 387, 388, "Defrag", GREEN, GREEN_DARK, BLOCKS)
    button_pair(out, 178, 179, "Back", "#6b7f93", "#4a5a6a", LEFT)


def ignore_list_art():
    out = os.path.join(RES, "ignorelist")
    os.makedirs(out, exist_ok=True)
    page(os.path.join(out, "392.bmp"),
         a.draw(f"rectangle 0,32 {PAGE_W - 1},32", fill=PANEL_EDGE, stroke=PANEL_EDGE),
         text(18, 296, "Findings you chose to ignore are left out of every scan.", size=8, fill=SOFT_INK),
         text(18, 312, "Select one and press Remove to have it reported again.", size=8, fill=SOFT_INK))
    button_pair(out, 368, 369, "Remove", RED, RED_DARK, MINUS)


def main():
    backup_art()
    defrag_art()
    ignore_list_art()
    print("drawn into", os.path.abspath(RES))


if __name__ == "__main__":
    main()
