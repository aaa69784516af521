#!/usr/bin/env python3
"""Draws the settings page's pictures into Client/res/settings.

  172       page background, 509 x 332: white, with the line the tabs sit on
  297, 298  "General" tab button, 90 x 23: normal and current (disabled)
  299, 300  "Advanced" tab button (the ignore-list page keeps it hidden)
  301, 302  "Schedule" tab button
  303, 304  "Ignore List" tab button (the ignore-list page shows these tabs too)
  307, 309  the panel under the tabs, 485 x 282, for General and Schedule
  373, 374  the update button, 75 x 23: normal and pressed

The colours are the main window's (draw-shell-art.sh). Run from anywhere:
python3 Client/res/art/make-settings-art.py
"""
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import artlib as a  # noqa: E402

OUT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "settings")

FONT = "DejaVu-Sans"
BOLD = "DejaVu-Sans-Bold"
HEADER = "#17466e"
ACCENT = "#2b6ea8"
PANEL = "#e9eff5"
LINE = "#c9d6e3"
INK = "#1d2b38"
MUTED = "#6b7f93"

PAGE_W, PAGE_H = 509, 332
PANEL_X, PANEL_Y, PANEL_W, PANEL_H = 12, 36, 485, 282
TAB_W, TAB_H = 90, 23


def text(x, y, caption, size=10, font=FONT, fill=INK, gravity=None):
    args = ["-font", font, "-pointsize", size, "-fill", fill]
    if gravity:
        args += ["-gravity", gravity]
    return args + ["-annotate", f"+{x}+{y}", caption]


def background():
    args = a.canvas(PAGE_W, PAGE_H, "white")
    args += a.draw(f"rectangle {PANEL_X},{PANEL_Y - 1} {PANEL_X + PANEL_W - 1},{PANEL_Y - 1}", fill=LINE)
    a.save_bmp(args, os.path.join(OUT, "172.bmp"))


def tab(normal_id, current_id, caption):
    # A tab not on show: a grey face on the page's white, its bottom on the line.
    args = a.canvas(TAB_W, TAB_H, "white")
    args += a.draw(f"roundrectangle 0,2 {TAB_W - 1},{TAB_H + 4} 5,5", fill=PANEL, stroke=LINE)
    args += a.draw(f"rectangle 0,{TAB_H - 1} {TAB_W - 1},{TAB_H - 1}", fill=LINE)
    args += text(0, 2, caption, size=10, fill=INK, gravity="center")
    a.save_bmp(args, os.path.join(OUT, f"{normal_id}.bmp"))
    # The tab on show: white, open towards its panel, a coloured top edge.
    args = a.canvas(TAB_W, TAB_H, "white")
    args += a.draw(f"roundrectangle 0,0 {TAB_W - 1},{TAB_H + 6} 5,5", fill="white", stroke=LINE)
    args += a.draw(f"roundrectangle 1,0 {TAB_W - 2},4 3,3", fill=ACCENT)
    args += a.draw(f"rectangle 1,3 {TAB_W - 2},4", fill="white")
    args += text(0, 2, caption, size=10, font=BOLD, fill=ACCENT, gravity="center")
    a.save_bmp(args, os.path.join(OUT, f"{current_id}.bmp"))


def panel(panel_id, title, hint):
    # The open side at the top continues the tab on show.
    args = a.canvas(PANEL_W, PANEL_H, "white")
    args += a.draw(f"rectangle 0,0 {PANEL_W - 1},{PANEL_H - 1}", fill="white", stroke=LINE)
    args += a.draw(f"rectangle 1,0 {PANEL_W - 2},0", fill="white")
    args += text(16, 22, title, size=11, font=BOLD, fill=HEADER)
    args += text(16 + 9 * len(title) + 12, 22, hint, size=8, fill=MUTED)
    args += a.draw(f"rectangle 16,30 {PANEL_W - 17},30", fill=PANEL)
    a.save_bmp(args, os.path.join(OUT, f"{panel_id}.bmp"))


def update_button():
    for bitmap_id, face, ink in (("373", ACCENT, "white"), ("374", HEADER, "white")):
        args = a.canvas(75, 23, "white")
        args += a.draw("roundrectangle 0,0 74,22 5,5", fill=face)
        args += text(0, 0, "Update", size=9, font=BOLD, fill=ink, gravity="center")
        a.save_bmp(args, os.path.join(OUT, f"{bitmap_id}.bmp"))


def main():
    os.makedirs(OUT, exist_ok=True)
    background()
    tab(297, 298, "General")
    tab(299, 300, "Advanced")
    tab(301, 302, "Schedule")
    tab(303, 304, "Ignore List")
    panel(307, "General", "What the program does by itself")
    panel(309, "Schedule", "When the registry is scanned without you")
    update_button()


if __name__ == "__main__":
    main()
