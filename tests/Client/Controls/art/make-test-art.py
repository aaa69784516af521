#!/usr/bin/env python3
"""Draws the pictures the window tests use, into this folder: small bitmaps
with known pixels for the region and skin checks, GIF variants for the
animated picture, and the skin of the test page that the screenshot shows.

Run from anywhere: python3 tests/kit/art/make-test-art.py
"""
import os
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "..", "..", "Client", "res", "art"))
import artlib as a  # noqa: E402

KEY = "#FF00FF"
NAVY = "#17365F"
BLUE = "#2F6DB5"
SKY = "#5E9BE0"
PALE = "#EAF1FA"
LINE = "#B9CBE2"


def out(name):
    return os.path.join(HERE, name)


def probe_bitmaps():
    # 60 x 40 white with a keyed top row, a keyed pixel at (0, 5) and a keyed
    # 10 x 10 block at (20, 10).
    args = a.canvas(60, 40, "white")
    args += a.draw("rectangle 0,0 59,0", "point 0,5", "rectangle 20,10 29,19", fill=KEY, stroke="none",
                   antialias=False)
    a.save_bmp(args, out("region-key.bmp"))
    for name, colour in (("skin-normal", "#3F7CC8"), ("skin-hover", "#5A97E0"), ("skin-pressed", "#24508A"),
                         ("skin-disabled", "#A0A8B4")):
        a.save_bmp(a.canvas(80, 24, colour), out(name + ".bmp"))
    # Mask: black where the button shows, white around it.
    mask = a.canvas(80, 24, "white") + a.draw("roundrectangle 0,0 79,23 8,8", fill="black", antialias=False)
    a.save_bmp(mask, out("skin-mask.bmp"))
    a.save_bmp(a.canvas(20, 20, "white"), out("skin-mask-white.bmp"))


def gif_variants():
    with a.Scratch() as s:
        # One frame only.
        a.run(a.canvas(12, 12, "#3F7CC8") + [out("one-frame.gif")])
        # Three frames that restore what was under them.
        frames = []
        for i, colour in enumerate(("#D04040", "#40A040", "#4040D0")):
            path = s.path(f"r{i}.png")
            a.save_png(a.canvas(24, 12, "white") + a.draw(f"rectangle {i * 8},0 {i * 8 + 7},11", fill=colour,
                                                          antialias=False), path)
            frames.append(path)
        a.gif(frames, out("restore-previous.gif"), delay=5, dispose="Previous")
    # The spinner cut short in the middle of its image data.
    with open(os.path.join(HERE, "..", "..", "..", "Client", "res", "kit", "scan-spinner.gif"), "rb") as f:
        data = f.read()
    with open(out("truncated.gif"), "wb") as f:
        f.write(data[: len(data) * 2 // 3])
    # A frame whose sub-block length points far past the end.
    hostile = bytearray(data[:13]) + bytes([0x21, 0xF9, 4, 4, 10, 0, 0, 0]) + bytes(
        [0x2C, 0, 0, 0, 0, 4, 0, 4, 0, 0, 2, 0xFF, 1, 2])
    with open(out("hostile.gif"), "wb") as f:
        f.write(bytes(hostile))


def page_skin():
    w, h = 560, 372
    design = out("page-design.png")
    args = a.canvas(w, h, "white")
    # Title band.
    args += ["(", "-size", f"{w}x58", f"gradient:{SKY}-{NAVY}", ")", "-geometry", "+0+0", "-composite"]
    # Sidebar and its separator.
    args += a.draw(f"rectangle 0,58 160,{h - 30}", fill=PALE, stroke="none", antialias=False)
    args += a.draw(f"line 160,58 160,{h - 30}", stroke=LINE, antialias=False)
    # Status bar.
    args += a.draw(f"rectangle 0,{h - 29} {w - 1},{h - 1}", fill="#F3F6FA", stroke="none", antialias=False)
    args += a.draw(f"line 0,{h - 30} {w - 1},{h - 30}", stroke=LINE, antialias=False)
    a.save_png(args, design)
    mask = out("page-mask.png")
    a.save_png(a.canvas(w, h, "black") + a.draw(f"roundrectangle 0,0 {w - 1},{h - 1} 12,12", fill="white",
                                                antialias=False), mask)
    # The design inside the rounded outline, the key colour outside it.
    final = a.canvas(w, h, KEY) + [design, mask, "-composite"]
    final += a.draw(f"roundrectangle 0,0 {w - 1},{h - 1} 12,12", stroke=NAVY, antialias=False)
    a.save_bmp(final, out("page-background.bmp"))
    os.remove(design)
    os.remove(mask)


def button(name, width, height, top, bottom, border, radius=5, around="white"):
    args = a.canvas(width, height, around)
    face = out(name + ".face.png")
    a.save_png(["-size", f"{width}x{height}", f"gradient:{top}-{bottom}"], face)
    shape = out(name + ".shape.png")
    a.save_png(a.canvas(width, height, "black") + a.draw(
        f"roundrectangle 0,0 {width - 1},{height - 1} {radius},{radius}", fill="white"), shape)
    args += [face, shape, "-composite"]
    args += a.draw(f"roundrectangle 0,0 {width - 1},{height - 1} {radius},{radius}", stroke=border)
    a.save_bmp(args, out(name + ".bmp"))
    os.remove(face)
    os.remove(shape)


def skins():
    # Sidebar buttons, 148 x 30.
    button("nav-normal", 148, 30, "#F7FAFE", "#E3ECF7", "#C3D3E8", around=PALE)
    button("nav-hover", 148, 30, "#FFFFFF", "#D2E3F7", "#8FB2DC", around=PALE)
    button("nav-selected", 148, 30, "#DCEAFB", "#BDD5F3", "#5E8FCB", around=PALE)
    # The main action, green.
    button("action-normal", 120, 32, "#5CC46F", "#2F9A47", "#247A38", 6)
    button("action-hover", 120, 32, "#72D884", "#38AE52", "#247A38", 6)
    button("action-pressed", 120, 32, "#2F9A47", "#5CC46F", "#1C5F2B", 6)
    # A plain secondary button.
    button("plain-normal", 96, 28, "#FFFFFF", "#E7EDF5", "#A9BCD6")
    button("plain-hover", 96, 28, "#FFFFFF", "#D9E6F6", "#7FA3D2")
    button("plain-pressed", 96, 28, "#D5E1F0", "#F5F8FC", "#7FA3D2")
    # Segmented view switch (radio mode).
    button("tab-normal", 84, 24, "#FFFFFF", "#EDF2F8", "#B5C7DE", 3)
    button("tab-checked", 84, 24, "#DCE9F8", "#C4D8F1", "#5E8FCB", 3)
    # A check-mode toggle drawn as a box with room for its caption.
    for name, ticked in (("toggle-off", False), ("toggle-on", True)):
        args = a.canvas(150, 20, "white")
        args += a.draw("roundrectangle 2,3 15,16 2,2", fill="#FBFCFE", stroke="#5B7FAE")
        if ticked:
            args += a.draw("polyline 5,10 8,13 13,6", stroke="#2E9B4A", width=2)
        a.save_bmp(args, out(name + ".bmp"))
    # Close button of the borderless page, round, with its mask.
    for name, colour in (("close-normal", "#DCE7F5"), ("close-hover", "#E8545A")):
        args = a.canvas(22, 22, NAVY) + a.draw("circle 10.5,10.5 10.5,0.5", fill=colour)
        args += a.draw("line 7,7 14,14", "line 14,7 7,14", stroke=NAVY if name == "close-normal" else "white",
                       width=2)
        a.save_bmp(args, out(name + ".bmp"))
    mask = a.canvas(22, 22, "white") + a.draw("circle 10.5,10.5 10.5,0.5", fill="black", antialias=False)
    a.save_bmp(mask, out("close-mask.bmp"))


def main():
    probe_bitmaps()
    gif_variants()
    page_skin()
    skins()


if __name__ == "__main__":
    main()
