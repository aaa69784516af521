#!/usr/bin/env python3
"""Draws the updater's, the About page's and the threat pop-up's pictures.

  updater/363.bmp  the updater dialog's background, 508 x 156 (339 x 96 dialog
                   units); the busy bar (kit GIF 361) plays on its white middle
  about/396.bmp    the About page's background, 508 x 331 (339 x 204)
  popup/242.bmp    the threat pop-up's background, 242 x 231 (161 x 142)
  popup/317.bmp    the pop-up's heading picture, 154 x 16 (103 x 10)

Pixel sizes are the templates' sizes at their font (6 x 13 base units).
Labels draw their own text; these pictures leave plain ground where they sit.
Run from anywhere: python3 Client/res/art/make-update-about-art.py
"""
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import artlib as a  # noqa: E402

RES = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..")
FONT = "DejaVu-Sans"
BOLD = "DejaVu-Sans-Bold"
BLUE_DARK = "#17466e"
BLUE = "#2b6ea8"
PANEL = "#e9eff5"
LINE = "#c9d6e3"
INK = "#1d2b38"
GREY = "#6b7f93"
RED = "#b3261e"
RED_LIGHT = "#f6e3e1"


def text(x, y, words, size, colour=INK, font=FONT):
    return ["-font", font, "-pointsize", size, "-stroke", "none", "-fill", colour, "-annotate", f"+{x}+{y}", words]


def quill_tile(x, y, size):
    """The product's mark: a blue rounded tile with a white quill and a tick."""
    k = size / 48.0

    def p(px, py):
        return f"{x + px * k:.1f},{y + py * k:.1f}"

    return (a.draw(f"roundrectangle {p(0, 0)} {p(47, 47)} {8 * k:.1f},{8 * k:.1f}", fill=BLUE) +
            a.draw(f"polygon {p(14, 36)} {p(34, 8)} {p(38, 12)} {p(18, 38)}", fill="white") +
            a.draw(f"polyline {p(22, 32)} {p(28, 38)} {p(40, 24)}", stroke="#7fd18f", width=max(2, 3 * k)))


def updater(out):
    args = a.canvas(508, 156, "white")
    args += a.draw("rectangle 0,0 507,36", fill=PANEL) + a.draw("rectangle 0,36 507,36", fill=LINE)
    args += quill_tile(470, 6, 24)
    args += text(300, 24, "Quillomar software update", 10, GREY)
    # A frame around the busy bar's place and a hint below the status line.
    args += a.draw("roundrectangle 138,66 369,88 5,5", stroke=LINE, fill="white")
    args += a.draw("rectangle 0,135 507,155", fill=PANEL) + a.draw("rectangle 0,135 507,135", fill=LINE)
    args += text(18, 149, "Closing this window stops the check or the download.", 9, GREY)
    args += a.draw("rectangle 0,0 507,155", stroke=BLUE)
    a.save_bmp(args, os.path.join(out, "363.bmp"))


def about(out):
    args = a.canvas(508, 331, "white")
    args += quill_tile(40, 40, 96)
    args += text(170, 76, "Quillomar", 30, BLUE_DARK, BOLD)
    args += text(172, 100, "Registry cleaner and system tidy-up", 11, GREY)
    args += text(172, 136, "Version", 11, INK, BOLD)
    args += a.draw("rectangle 40,172 467,172", fill=LINE)
    lines = ["Scans the registry for entries that name missing files, repairs",
             "them after an exact backup, backs up and restores the registry,",
             "compacts its hives and manages the programs that start with Windows."]
    for index, line in enumerate(lines):
        args += text(52, 194 + 16 * index, line, 9, INK)
    args += a.draw("rectangle 40,240 467,240", fill=LINE)
    a.save_bmp(args, os.path.join(out, "396.bmp"))


def popup(out):
    args = a.canvas(242, 231, "white")
    args += a.draw("rectangle 0,0 241,36", fill=RED_LIGHT) + a.draw("rectangle 0,36 241,36", fill="#e2b8b3")
    # A shield beside the message.
    args += a.draw("polygon 8,58 20,52 32,58 31,78 20,88 9,78", fill=RED)
    args += a.draw("polyline 14,70 19,75 26,65", stroke="white", width=3)
    args += a.draw("rectangle 0,186 241,230", fill=PANEL) + a.draw("rectangle 0,186 241,186", fill=LINE)
    args += a.draw("rectangle 0,0 241,230", stroke=RED)
    a.save_bmp(args, os.path.join(out, "242.bmp"))

    heading = a.canvas(154, 16, RED_LIGHT)
    heading += text(0, 13, "THREAT BLOCKED", 12, RED, BOLD)
    a.save_bmp(heading, os.path.join(out, "317.bmp"))


def main():
    for folder, drawer in (("updater", updater), ("about", about), ("popup", popup)):
        out = os.path.join(RES, folder)
        os.makedirs(out, exist_ok=True)
        drawer(out)


if __name__ == "__main__":
    main()
