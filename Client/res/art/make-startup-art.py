#!/usr/bin/env python3
"""Draws the startup page's pictures into Client/res/startup.

  171  the page background, 509 x 332 (the page's place in the main window)
  344  "Enable All" button, 345 under the mouse
  346  "Disable All" button, 347 under the mouse
  348  "Disable" button, 349 under the mouse
  350  "Remove" button, 351 under the mouse
  354  "Enable" button, 355 under the mouse

Buttons are 108 x 29 pixels, their template size at the page font. Colours
follow the main window's skin (Client/res/draw-shell-art.sh).

Run from anywhere: python3 Client/res/art/make-startup-art.py
"""
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import artlib as a  # noqa: E402

OUT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "startup")

PAGE = "#ffffff"
PANEL = "#e9eff5"
PANEL_EDGE = "#c9d6e3"
INK = "#1d2b38"
ACCENT = "#2b6ea8"
HOVER = "#d5e5f4"
FONT_BOLD = "DejaVu-Sans-Bold"

WIDTH, HEIGHT = 509, 332
BUTTON_W, BUTTON_H = 108, 29

def background():
    args = a.canvas(WIDTH, HEIGHT, PAGE)
    # The band behind the two labels, with a blue mark at its left edge.
    args += a.draw("roundrectangle 8,6 500,64 6,6", fill=PANEL, stroke=PANEL_EDGE)
    args += a.draw("rectangle 9,12 11,58", fill=ACCENT, antialias=False)
    # A rule between the list and the buttons.
    args += a.draw("rectangle 14,281 494,281", fill=PANEL_EDGE, antialias=False)
    a.save_bmp(args, os.path.join(OUT, "171.bmp"))

def button(name, caption, face, glyph):
    args = a.canvas(BUTTON_W, BUTTON_H, PAGE)
    args += a.draw(f"roundrectangle 0,0 {BUTTON_W - 1},{BUTTON_H - 1} 6,6", fill=face, stroke="#9fb6cc")
    args += glyph
    args += ["-stroke", "none", "-strokewidth", "1", "-font", FONT_BOLD, "-pointsize", "10", "-fill", INK,
             "-annotate", "+30+19", caption]
    a.save_bmp(args, os.path.join(OUT, f"{name}.bmp"))

def tick(colour):
    return a.draw("polyline 10,15 14,19 21,10", stroke=colour, width=3)

def cross(colour):
    return a.draw("line 11,10 20,19", "line 20,10 11,19", stroke=colour, width=3)

def main():
    os.makedirs(OUT, exist_ok=True)
    background()
    green, red = "#2e9b4a", "#c0392b"
    buttons = [
        (344, 345, "Enable All", tick(green) + a.draw("line 8,22 23,22", stroke=green, width=2)),
        (346, 347, "Disable All", cross(red) + a.draw("line 8,22 23,22", stroke=red, width=2)),
        (348, 349, "Disable", cross(red)),
        (350, 351, "Remove", a.draw("rectangle 11,11 20,21", fill="#7f8c99", antialias=False)
         + a.draw("rectangle 9,8 22,9", fill="#7f8c99", antialias=False)),
        (354, 355, "Enable", tick(green)),
    ]
    for normal, hover, caption, glyph in buttons:
        button(normal, caption, PAGE, glyph)
        button(hover, caption, HOVER, glyph)

if __name__ == "__main__":
    main()
