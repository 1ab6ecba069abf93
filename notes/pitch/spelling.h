// Spelling a MIDI key as a written note: which staff position and which accidental
// code a pitch gets under a clef and a key signature, guided by the user's spelling
// preferences (notes/pitch/spelling_preferences.h).
//
// The method: take the natural at or below the key. A white pitch class the key
// signature leaves alone stays there with no code; a black one goes to the sharp of
// the lower step or the flat of the upper step, as the preference for its interval
// above the key's tonic says, with no code where the key signature already supplies
// that sharp or flat. A preference that asks a white pitch class for a flat or sharp
// spelling gives F-flat, C-flat, E-sharp, B-sharp or a double accidental, unless the
// key alters the natural, in which case a natural sign is written instead. On a
// staff whose key signature alters nothing (Percussion), a black key of the key's
// own scale gets the sign written that the key would have given.
//
// Invariant: whatever the preferences, the note written sounds the key played
// (NoteToMidiKey gives it back), on every staff but TAB, whose lines are strings. A
// preference of 0 at a black-key interval (1, 3, 6, 8, 10), which would break that,
// is spelled with the built-in default of that interval; the stored table keeps
// what the user saved.
#pragma once

#include <cstdint>

#include "notes/pitch/pitch_frame.h"
#include "notes/pitch/pitch_vocabulary.h"
#include "notes/pitch/spelling_preferences.h"

namespace ql {

struct ScoreView;

// Writes the note's position and code for `midiKey` under `clef` (the position) and
// `keyClef` with `key` (the key signature). Minor preferences apply when the first
// staff of the view's document has its minor-key flag (major without a view). Returns
// the accidental the key signature gives the chosen spelling (1 sharp, 3 flat) when
// the note was left without a code, else 0. Bad codes or keys: 0, nothing written.
int SpellPitch(ScoreView* view, int clef, int midiKey, int keyClef, int key, EventRecord& note);
// The same with the mode given.
int SpellPitchInMode(bool minor, int clef, int midiKey, int keyClef, int key, EventRecord& note);

// SpellPitchInMode for many notes under one mode, clef and key: the codes are checked
// and the preferences read once, at construction. Not to be kept across a change of
// the spelling preferences.
class PitchSpeller {
  public:
    PitchSpeller(bool minor, int clef, int keyClef, int key);
    // False when a code is out of range: Spell then writes nothing and gives 0.
    bool ok() const { return ok_; }
    // As SpellPitchInMode with the constructor's arguments.
    int Spell(int midiKey, EventRecord& note) const;

  private:
    bool ok_ = false;
    int clef_ = 0;
    PitchFrame keyFrame_;  // the key's alterations, read under keyClef
    int8_t preferences_[kSpellingIntervals] = {};  // by pitch class
};

// Whether the first staff of the view's document is in a minor key.
bool IsMinorKeyScore(const ScoreView* view);

// The preference (-1 flat, 0 none, +1 sharp) that spelling uses for a pitch class
// 0..11 in a key and mode, from the rotated copy that is cached for one key and mode.
int SpellingPreferenceFor(int key, bool minor, int pitchClass);

// True for the pitch classes that have no natural spelling: 1, 3, 6, 8, 10.
bool IsBlackPitchClass(int pitchClass);

}  // namespace ql
