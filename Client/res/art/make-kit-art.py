#!/usr/bin/env python3
"""Draws the window kit's pictures into Client/res/kit.

  210  check-box states of the findings tree: four 13 x 15 images
       (none, ticked, unticked, partly ticked), white = transparent
  225  small item images, 18 x 18 each (registry, key, file, folder,
       shortcut, backup), white = transparent
  334  "GIF": the scanning spinner, 16 x 16, transparent background
  361  "GIF": the updater's busy bar, on white
  128  the program icon, 16, 32 and 48 pixels

Run from anywhere: python3 Client/res/art/make-kit-art.py
"""
import math
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import artlib as a  # noqa: E402

OUT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "kit")

BLUE_DARK = "#1F4E8C"
BLUE = "#3A74C4"
BLUE_LIGHT = "#8DB4E6"
GREEN = "#2E9B4A"
GOLD = "#D9A21B"


def check_states(s):
    """Four check-box images, 13 wide and 15 high, the box 13 x 13 at y 1."""
    images = []
    box = "rectangle 0,1 12,13"
    for index in range(4):
        path = s.path(f"check{index}.png")
        if index == 0:
            a.save_png(a.canvas(13, 15, "white"), path)
        else:
            args = a.canvas(13, 15, "white")
            # A softly shaded face, never pure white (white is the mask).
            args += ["(", "-size", "11x11", "gradient:#F7FAFD-#DCE6F2", ")",
                     "-geometry", "+1+2", "-composite"]
            args += a.draw(box, stroke="#5B7FAE", antialias=False)
            if index == 1:
                args += a.draw("polyline 3,7 5,10 10,4", stroke=GREEN, width=2)
            elif index == 3:
                args += a.draw("rectangle 3,4 9,10", fill="#4C7FC0", antialias=False)
            a.save_png(args, path)
        images.append(path)
    a.hstrip(images, os.path.join(OUT, "check-states.bmp"))


def item_images(s):
    """Six 18 x 18 images on white."""
    shapes = []
    # 0: registry: a block of four cells.
    shapes.append(a.draw("roundrectangle 2,2 15,15 2,2", fill=BLUE_LIGHT, stroke=BLUE_DARK)
                  + a.draw("line 9,3 9,14", "line 3,9 14,9", stroke=BLUE_DARK))
    # 1: registry key: a gold key.
    shapes.append(a.draw("circle 6,9 6,5", fill=GOLD, stroke="#8A6410")
                  + a.draw("circle 6,9 6,8", fill="white", stroke="#8A6410")
                  + a.draw("rectangle 9,8 16,10", "rectangle 13,10 14,13", "rectangle 16,10 16,12",
                           fill=GOLD, stroke="#8A6410", antialias=False))
    # 2: file: a page with a folded corner.
    shapes.append(a.draw("polygon 4,1 11,1 15,5 15,16 4,16", fill="#FDFDFD", stroke="#6A7C91")
                  + a.draw("polygon 11,1 11,5 15,5", fill="#D5DEE8", stroke="#6A7C91")
                  + a.draw("line 6,8 13,8", "line 6,11 13,11", "line 6,14 11,14", stroke="#9AAABD"))
    # 3: folder.
    shapes.append(a.draw("polygon 1,4 7,4 8,6 16,6 16,15 1,15", fill="#F2C65A", stroke="#A67C1A")
                  + a.draw("rectangle 1,8 16,15", fill="#F7D57A", stroke="#A67C1A"))
    # 4: shortcut: a page with an arrow badge.
    shapes.append(a.draw("polygon 4,1 11,1 15,5 15,16 4,16", fill="#FDFDFD", stroke="#6A7C91")
                  + a.draw("rectangle 1,9 8,16", fill="#FDFDFD", stroke="#6A7C91", antialias=False)
                  + a.draw("polyline 3,14 6,11", "polyline 4,11 6,11 6,13", stroke=BLUE, width=1.5))
    # 5: backup: a disk.
    shapes.append(a.draw("roundrectangle 2,2 15,15 2,2", fill="#4F6F99", stroke="#2C4466")
                  + a.draw("rectangle 5,2 12,7", fill="#E9EEF5", stroke="#2C4466", antialias=False)
                  + a.draw("rectangle 5,10 12,15", fill="#C9D5E4", stroke="none", antialias=False))
    paths = []
    for index, shape in enumerate(shapes):
        path = s.path(f"item{index}.png")
        a.save_png(a.canvas(18, 18, "white") + shape, path)
        paths.append(path)
    a.hstrip(paths, os.path.join(OUT, "item-images.bmp"))


def spinner(s):
    """Eight dots on a circle, the bright one going round."""
    frames = []
    count = 8
    for frame in range(count):
        args = a.canvas(16, 16, "white")
        for dot in range(count):
            age = (frame - dot) % count
            shade = [BLUE_DARK, BLUE, "#5C8CD0", "#7FA4DA", "#A3BEE4", "#BFD1EC", "#D2DFF2", "#DEE7F5"][age]
            angle = 2 * math.pi * dot / count - math.pi / 2
            x = 7.5 + 5.2 * math.cos(angle)
            y = 7.5 + 5.2 * math.sin(angle)
            radius = 1.9 if age < 2 else 1.5
            args += a.draw(f"circle {x:.2f},{y:.2f} {x + radius:.2f},{y:.2f}", fill=shade)
        path = s.path(f"spin{frame}.png")
        a.save_png(args, path)
        frames.append(path)
    a.gif(frames, os.path.join(OUT, "scan-spinner.gif"), delay=9, dispose="Background", transparent="white")


def busy_bar(s):
    """A bar with a light segment sweeping from left to right."""
    width, height = 220, 12
    frames = []
    count = 14
    for frame in range(count):
        args = a.canvas(width, height, "white")
        args += a.draw(f"roundrectangle 0,0 {width - 1},{height - 1} 5,5", fill="#E6ECF4", stroke="#9DB2CF")
        left = -50 + frame * (width + 50) // count
        right = min(width - 3, left + 60)
        left = max(2, left)
        if right > left + 2:
            args += ["(", "-size", f"{right - left}x{height - 4}", f"gradient:{BLUE_LIGHT}-{BLUE}", ")",
                     "-geometry", f"+{left}+2", "-composite"]
        path = s.path(f"bar{frame}.png")
        a.save_png(args, path)
        frames.append(path)
    a.gif(frames, os.path.join(OUT, "update-busy.gif"), delay=7, dispose="None")


def program_icon(s):
    """A blue rounded tile with a white quill and a green tick."""
    paths = []
    for size in (48, 32, 16):
        k = size / 48.0

        def p(x, y):
            return f"{x * k:.1f},{y * k:.1f}"

        args = ["-size", f"{size}x{size}", "xc:none"]
        args += ["(", "-size", f"{size}x{size}", f"gradient:#4D8FE0-{BLUE_DARK}",
                 "(", "-size", f"{size}x{size}", "xc:none", "-fill", "white",
                 "-draw", f"roundrectangle 1,1 {size - 2},{size - 2} {7 * k:.1f},{7 * k:.1f}", ")",
                 "-compose", "DstIn", "-composite", ")", "-compose", "Over", "-composite"]
        args += a.draw(f"polygon {p(34, 6)} {p(42, 8)} {p(22, 34)} {p(16, 38)} {p(18, 31)}",
                       fill="white", stroke="#DCE8F8", width=max(1, k))
        args += a.draw(f"line {p(17, 37)} {p(10, 43)}", stroke="white", width=max(1, 2 * k))
        args += a.draw(f"polyline {p(24, 36)} {p(30, 42)} {p(42, 26)}", stroke="#5BD178", width=max(1.5, 4 * k))
        path = s.path(f"icon{size}.png")
        a.save_png(args, path)
        paths.append(path)
    a.ico(paths, os.path.join(OUT, "quillomar.ico"))


def main():
    os.makedirs(OUT, exist_ok=True)
    with a.Scratch() as s:
        check_states(s)
        item_images(s)
        spinner(s)
        busy_bar(s)
        program_icon(s)


if __name__ == "__main__":
    main()
