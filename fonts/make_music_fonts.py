#!/usr/bin/python3
"""Build step making the program's music fonts "Glyphora" (symbols, from the
Emmentaler glyphs of Debian's lilypond-fonts) and "Fretmark" (chord diagrams
from a voicing table), with their licence. Usage: make_music_fonts.py --out
DIR; writes Glyphora.ttf, Fretmark.ttf and OFL.txt into DIR, prints nothing on
success, and on failure a reason on stderr with exit status 1."""

import argparse
import glob
import os
import shutil
import sys

# Keep the source folder clean: no bytecode caches beside the modules.
sys.dont_write_bytecode = True
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from fontTools.ttLib import TTFont  # noqa: E402

import fretmark  # noqa: E402
import glyphora  # noqa: E402
from font_writer import build_font  # noqa: E402
from outline_kit import DESIGN_EM, SourceFont  # noqa: E402

EMMENTALER_PATTERNS = ("/usr/share/lilypond/*/fonts/otf/emmentaler-20.otf",)
BRACE_PATTERNS = ("/usr/share/lilypond/*/fonts/otf/emmentaler-brace.otf",)
LIBERATION_DIRS = ("/usr/share/fonts/truetype/liberation2", "/usr/share/fonts/truetype/liberation")
SERIF_ITALIC = "LiberationSerif-Italic.ttf"
SANS_REGULAR = "LiberationSans-Regular.ttf"
# Words are set at 0.55 em of the staff-height em: an x-height of about one
# staff space.
TEXT_SIZE_EM = 0.55
LICENCE = "OFL.txt"


class BuildError(Exception):
    pass


def _find(patterns, what):
    for pattern in patterns:
        found = sorted(glob.glob(pattern))
        if found:
            return found[-1]
    raise BuildError(f"{what} not found (looked for {', '.join(patterns)})")


def _liberation(file_name):
    return _find([os.path.join(d, file_name) for d in LIBERATION_DIRS], file_name)


def _load(path, size_em=None):
    font = TTFont(path, lazy=False)
    scale = 1.0
    if size_em is not None:
        scale = size_em * DESIGN_EM / font["head"].unitsPerEm
    return SourceFont(font, scale, postscript_orientation="CFF " in font)


def build(out_dir):
    music = _load(_find(EMMENTALER_PATTERNS, "emmentaler-20.otf (package lilypond-fonts)"))
    braces = _load(_find(BRACE_PATTERNS, "emmentaler-brace.otf (package lilypond-fonts)"))
    words = _load(_liberation(SERIF_ITALIC), TEXT_SIZE_EM)
    labels = _load(_liberation(SANS_REGULAR))
    os.makedirs(out_dir, exist_ok=True)
    build_font(glyphora.font_info(), glyphora.build_glyphs(music, words, braces),
               os.path.join(out_dir, "Glyphora.ttf"))
    build_font(fretmark.font_info(), fretmark.build_glyphs(labels),
               os.path.join(out_dir, "Fretmark.ttf"))
    here = os.path.dirname(os.path.abspath(__file__))
    shutil.copyfile(os.path.join(here, LICENCE), os.path.join(out_dir, LICENCE))


def main(argv):
    parser = argparse.ArgumentParser(description="Make the Glyphora and Fretmark fonts.")
    parser.add_argument("--out", required=True, help="folder for the font files")
    args = parser.parse_args(argv)
    try:
        build(args.out)
    except (BuildError, KeyError, ValueError, OSError) as error:
        print(f"make_music_fonts: {error}", file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
