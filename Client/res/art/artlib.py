"""Drawing helpers for the program's own art, over ImageMagick's convert.

Every picture of the program is drawn from simple shapes by the scripts
beside this file; nothing is taken from elsewhere. Bitmaps are written as
24-bit BMP files (what LoadBitmap and windres take), animations as GIF and
icons as ICO with several sizes.
"""
import os
import subprocess
import tempfile

CONVERT = os.environ.get("CONVERT", "convert")


def run(args):
    subprocess.run([CONVERT] + [str(a) for a in args], check=True)


def canvas(width, height, colour):
    return ["-size", f"{width}x{height}", f"xc:{colour}"]


def draw(*primitives, fill="none", stroke="none", width=1, antialias=True):
    args = [] if antialias else ["+antialias"]
    args += ["-fill", fill, "-stroke", stroke, "-strokewidth", width]
    for primitive in primitives:
        args += ["-draw", primitive]
    if not antialias:
        args += ["-antialias"]
    return args


def gradient(width, height, top, bottom):
    """A vertical gradient image as an input (for compositing)."""
    return ["(", "-size", f"{width}x{height}", f"gradient:{top}-{bottom}", ")"]


def save_bmp(args, path):
    """Renders the commands and writes a 24-bit bitmap with no alpha."""
    run(args + ["-alpha", "off", "-type", "TrueColor", "BMP3:" + str(path)])


def save_png(args, path):
    run(args + [str(path)])


def hstrip(paths, out_path, background="white"):
    """Joins equal-height images left to right into one bitmap."""
    run(["-background", background] + [str(p) for p in paths] +
        ["+append", "-alpha", "off", "-type", "TrueColor", "BMP3:" + str(out_path)])


def gif(frame_paths, out_path, delay, dispose="Background", transparent=None, loop=0):
    """An animated GIF; delay in hundredths of a second."""
    args = ["-dispose", dispose, "-delay", delay, "-loop", loop]
    args += [str(p) for p in frame_paths]
    if transparent:
        args += ["-transparent", transparent]
    args += ["-layers", "OptimizeTransparency" if transparent else "Optimize", str(out_path)]
    run(args)


def ico(png_paths, out_path):
    run([str(p) for p in png_paths] + [str(out_path)])


class Scratch:
    """A temporary folder for intermediate frames."""

    def __enter__(self):
        self._dir = tempfile.TemporaryDirectory(prefix="qm-art-")
        return self

    def __exit__(self, *exc):
        self._dir.cleanup()

    def path(self, name):
        return os.path.join(self._dir.name, name)
