"""Guitar voicings of the chord-diagram font: for each of 12 roots and 16
qualities, the lowest-placed fingering among a few open chords and movable
shapes rooted on the sixth, fifth and fourth string (standard tuning). Every
voicing is checked: only chord tones sound, the root is the bass, the defining
tones are present, and the fretted span fits four frets."""

# Open-string pitch classes, sixth (low E) to first string.
TUNING = (4, 9, 2, 7, 11, 4)
MUTED = None
ROOT_NAMES = ("C", "C#", "D", "Eb", "E", "F", "F#", "G", "Ab", "A", "Bb", "B")
MAX_FRET = 15
MAX_SPAN = 4

# Quality index -> (name, chord tones as semitones over the root, tones that
# must sound).
QUALITIES = (
    ("Major", {0, 4, 7}, {0, 4}),
    ("Minor", {0, 3, 7}, {0, 3}),
    ("Augmented", {0, 4, 8}, {0, 4, 8}),
    ("Dominant 7", {0, 4, 7, 10}, {0, 4, 10}),
    ("Major 7", {0, 4, 7, 11}, {0, 4, 11}),
    ("Minor 7", {0, 3, 7, 10}, {0, 3, 10}),
    ("Diminished 7", {0, 3, 6, 9}, {0, 3, 6, 9}),
    ("Augmented 7", {0, 4, 8, 10}, {0, 4, 8, 10}),
    ("Major 6", {0, 4, 7, 9}, {0, 4, 9}),
    ("Dom 7 (9)", {0, 2, 4, 7, 10}, {0, 2, 4, 10}),
    ("Suspended 4", {0, 5, 7}, {0, 5, 7}),
    ("Dom 7 (sus 4)", {0, 5, 7, 10}, {0, 5, 10}),
    ("Minor 6", {0, 3, 7, 9}, {0, 3, 9}),
    ("add 2", {0, 2, 4, 7}, {0, 2, 4}),
    ("Min 7 (-5)", {0, 3, 6, 10}, {0, 3, 6, 10}),
    ("Dom 7 (9-5)", {0, 2, 4, 6, 10}, {0, 2, 4, 6, 10}),
)

X = MUTED
# Movable shapes: (root string index 0..2 = sixth..fourth, fret offsets from
# the root's fret, sixth string first). One list per quality.
SHAPES = (
    [(0, (0, 2, 2, 1, 0, 0)), (1, (X, 0, 2, 2, 2, 0)), (2, (X, X, 0, 2, 3, 2))],
    [(0, (0, 2, 2, 0, 0, 0)), (1, (X, 0, 2, 2, 1, 0)), (2, (X, X, 0, 2, 3, 1))],
    [(0, (0, 3, 2, 1, 1, 0)), (1, (X, 0, 3, 2, 2, 1)), (2, (X, X, 0, 3, 3, 2))],
    [(0, (0, 2, 0, 1, 0, 0)), (1, (X, 0, 2, 0, 2, 0)), (2, (X, X, 0, 2, 1, 2))],
    [(0, (0, X, 1, 1, 0, X)), (1, (X, 0, 2, 1, 2, 0)), (2, (X, X, 0, 2, 2, 2))],
    [(0, (0, 2, 0, 0, 0, 0)), (1, (X, 0, 2, 0, 1, 0)), (2, (X, X, 0, 2, 1, 1))],
    [(0, (0, 1, 2, 0, 2, 0)), (1, (X, 0, 1, 2, 1, 2)), (2, (X, X, 0, 1, 0, 1))],
    [(0, (0, 3, 0, 1, 1, 0)), (1, (X, 0, 3, 0, 2, 1))],
    [(0, (0, 2, 2, 1, 2, 0)), (1, (X, 0, 2, 2, 2, 2)), (2, (X, X, 0, 2, 0, 2))],
    [(0, (0, X, 0, 1, 0, 2)), (1, (X, 0, -1, 0, 0, 0))],
    [(0, (0, 2, 2, 2, 0, 0)), (1, (X, 0, 2, 2, 3, 0)), (2, (X, X, 0, 2, 3, 3))],
    [(0, (0, 2, 0, 2, 0, 0)), (1, (X, 0, 2, 0, 3, 0)), (2, (X, X, 0, 2, 1, 3))],
    [(0, (0, 2, 2, 0, 2, 0)), (1, (X, 0, 2, 2, 1, 2)), (2, (X, X, 0, 2, 0, 1))],
    [(0, (0, 2, 2, 1, 0, 2)), (1, (X, 0, 2, 4, 2, 0))],
    [(0, (0, X, 0, 0, -1, X)), (1, (X, 0, 1, 0, 1, X)), (2, (X, X, 0, 1, 1, 1))],
    [(0, (0, 1, 0, 1, X, 2)), (1, (X, 0, -1, 0, 0, -1))],
)

# Open-position chords that the movable shapes do not reach:
# (root, quality) -> frets, sixth string first.
OPEN_CHORDS = {
    (0, 0): (X, 3, 2, 0, 1, 0),
    (0, 3): (X, 3, 2, 3, 1, 0),
    (0, 4): (X, 3, 2, 0, 0, 0),
    (0, 13): (X, 3, 2, 0, 3, 0),
    (7, 0): (3, 2, 0, 0, 0, 3),
    (7, 3): (3, 2, 0, 0, 0, 1),
    (7, 4): (3, 2, 0, 0, 0, 2),
    (7, 8): (3, 2, 0, 0, 0, 0),
}


def sounding_notes(frets):
    return [(TUNING[s] + f) % 12 for s, f in enumerate(frets) if f is not MUTED]


def check_voicing(root, quality, frets):
    """None when the voicing is right, else the reason it is wrong."""
    _, tones, required = QUALITIES[quality]
    notes = sounding_notes(frets)
    intervals = {(n - root) % 12 for n in notes}
    if not notes or (notes[0] - root) % 12 != 0:
        return "the bass is not the root"
    if not intervals <= tones:
        return f"foreign tones {sorted(intervals - tones)}"
    if not required <= intervals:
        return f"missing tones {sorted(required - intervals)}"
    fretted = [f for f in frets if f not in (MUTED, 0)]
    if any(f < 0 or f > MAX_FRET for f in frets if f is not MUTED):
        return "fret out of range"
    if fretted and max(fretted) - min(fretted) >= MAX_SPAN:
        return "span too wide"
    return None


def _candidates(root, quality):
    if (root, quality) in OPEN_CHORDS:
        yield OPEN_CHORDS[(root, quality)]
    for root_string, offsets in SHAPES[quality]:
        base = (root - TUNING[root_string]) % 12
        for fret in (base, base + 12):
            frets = tuple(MUTED if o is MUTED else fret + o for o in offsets)
            if all(f is MUTED or 0 <= f <= MAX_FRET for f in frets):
                yield frets


def _cost(frets):
    """Lowest position first, then more sounding strings."""
    played = [f for f in frets if f is not MUTED]
    return (max(played), -len(played))


def voicing(root, quality):
    """The chosen voicing (frets, sixth string first, None for muted)."""
    valid = [f for f in _candidates(root, quality) if check_voicing(root, quality, f) is None]
    if not valid:
        raise ValueError(f"no voicing for {ROOT_NAMES[root]} {QUALITIES[quality][0]}")
    return min(valid, key=_cost)


def voicing_table():
    """{(root, quality): frets} for all 192 chords."""
    return {(r, q): voicing(r, q) for r in range(12) for q in range(len(QUALITIES))}
