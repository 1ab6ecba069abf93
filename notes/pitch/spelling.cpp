// Pitch spelling: the preference tables (loading, the per-key rotated copy) and the
// choice of position and accidental code for a MIDI key.
#include "notes/pitch/spelling.h"

#include <cstdio>
#include <cstring>

#include "core/model/document.h"
#include "core/model/score_document.h"
#include "core/state.h"
#include "notes/pitch/pitch.h"
#include "notes/pitch/pitch_tables.h"
#include "notes/pitch/spelling_preferences.h"

namespace ql {
namespace {

constexpr int kFirstStaff = 1;
constexpr int kParsedCount = 12;
static_assert(kParsedCount == kSpellingIntervals);
constexpr char kSpellingFormat[] = "%d,%d,%d,%d,%d,%d,%d,%d,%d,%d,%d,%d";
// White pitch classes spelled with a single flat or sharp from the next step.
constexpr int kPitchClassFFlat = 4;
constexpr int kPitchClassCFlat = 11;
constexpr int kPitchClassESharp = 5;
constexpr int kPitchClassBSharp = 0;

NotesGlobals& Notes() {
    return State().notes;
}

void InvalidateSpellingCache() {
    Notes().SpellingCacheKey = kSpellingCacheEmpty;
    Notes().SpellingCacheMode = kSpellingCacheEmpty;
}

int8_t* StoredTable(bool minor) {
    SpellingPreferenceTable& tables = Notes().SpellingPreferences;
    return minor ? tables.minor : tables.major;
}

// The stored value of an interval, or the built-in default where a 0 at a black-key
// interval would leave the pitch a semitone off.
int8_t EffectivePreference(bool minor, int interval) {
    const int8_t stored = StoredTable(minor)[interval];
    if (stored != 0 || !IsBlackPitchClass(interval)) return stored;
    static constexpr SpellingPreferenceTable kDefaults{};
    return minor ? kDefaults.minor[interval] : kDefaults.major[interval];
}

void RebuildSpellingCache(int key, bool minor) {
    const int transpose = KeyTransposeOf(key);
    for (int i = 0; i < kSpellingIntervals; ++i)
        Notes().SpellingCache[i] = EffectivePreference(minor, (i + transpose) % kSpellingIntervals);
    Notes().SpellingCacheKey = static_cast<uint8_t>(key);
    Notes().SpellingCacheMode = minor ? 1 : 0;
}

// The cached preferences of a valid key and mode, by pitch class; valid until the
// next call with another key or mode, or a change of the preferences.
const int8_t* RotatedPreferences(int key, bool minor) {
    NotesGlobals& notes = Notes();
    if (notes.SpellingCacheKey != key || notes.SpellingCacheMode != (minor ? 1 : 0))
        RebuildSpellingCache(key, minor);
    return notes.SpellingCache;
}

// The spelling of one pitch once the natural below it is known.
struct Spelling {
    int position;  // written to the note
    int code;      // AccidentalCode written to the note
    int a;         // the key's alteration that the result reports
};

Spelling SpellBlack(Spelling s, int p, const PitchFrame& keyFrame) {
    if (p < 0) {  // flat of the upper step
        s.position -= 1;
        s.code = s.a < 0 ? CodeOf(AccidentalCode::None) : CodeOf(AccidentalCode::Flat);
    } else if (p > 0) {  // sharp of the lower step
        s.code = s.a > 0 ? CodeOf(AccidentalCode::None) : CodeOf(AccidentalCode::Sharp);
    } else if (s.a <= 0) {
        // The key decides: its flat on the upper step. Where the key signature alters
        // nothing (Percussion, TAB), the note gets the sign the key would have given:
        // a sharp on the lower step in a sharp key, else a flat on the upper step.
        const int upper = keyFrame.KeyAlteration(s.position - 1);
        if (upper < 0) {
            s.position -= 1;
            s.a = upper;
        } else if (KeySide(keyFrame.key()) > 0) {
            s.code = CodeOf(AccidentalCode::Sharp);
        } else {
            s.position -= 1;
            s.code = CodeOf(AccidentalCode::Flat);
        }
    }
    return s;
}

Spelling SpellWhite(Spelling s, int p, int pitchClass) {
    if (p < 0) {
        if (s.a > 0) {
            s.code = CodeOf(AccidentalCode::Natural);
        } else {
            s.position -= 1;
            const bool single = pitchClass == kPitchClassFFlat || pitchClass == kPitchClassCFlat;
            s.code = CodeOf(single ? AccidentalCode::Flat : AccidentalCode::DoubleFlat);
        }
    } else if (p > 0) {
        if (s.a < 0) {
            s.code = CodeOf(AccidentalCode::Natural);
        } else {
            s.position += 1;
            const bool single = pitchClass == kPitchClassESharp || pitchClass == kPitchClassBSharp;
            s.code = CodeOf(single ? AccidentalCode::Sharp : AccidentalCode::DoubleSharp);
        }
    } else if (s.a < 0) {
        s.position -= 1;  // the flat of the upper step, from the key
    } else if (s.a > 0) {
        s.position += 1;  // the sharp of the lower step, from the key
    }
    return s;
}

}  // namespace

bool IsBlackPitchClass(int pitchClass) {
    switch (pitchClass) {
        case 1:
        case 3:
        case 6:
        case 8:
        case 10:
            return true;
        default:
            return false;
    }
}

bool ParseSpellingPreferences(const char* text, int8_t table[kSpellingIntervals]) {
    if (text == nullptr) return false;
    int v[kParsedCount] = {};
    if (std::sscanf(text, kSpellingFormat, &v[0], &v[1], &v[2], &v[3], &v[4], &v[5], &v[6], &v[7],
                    &v[8], &v[9], &v[10], &v[11]) != kParsedCount)
        return false;
    for (int i = 0; i < kParsedCount; ++i) table[i] = static_cast<int8_t>(v[i]);
    return true;
}

void LoadSpellingPreferences(const char* majorText, const char* minorText) {
    ParseSpellingPreferences(majorText, StoredTable(false));
    ParseSpellingPreferences(minorText, StoredTable(true));
    InvalidateSpellingCache();
}

bool SetSpellingPreference(bool minor, int interval, int value) {
    if (interval < 0 || interval >= kSpellingIntervals) return false;
    StoredTable(minor)[interval] = static_cast<int8_t>(value);
    InvalidateSpellingCache();
    return true;
}

const int8_t* SpellingPreferencesOf(bool minor) {
    return StoredTable(minor);
}

int SpellingPreferenceFor(int key, bool minor, int pitchClass) {
    if (!IsValidKey(key) || pitchClass < 0 || pitchClass >= kSpellingIntervals) return 0;
    return RotatedPreferences(key, minor)[pitchClass];
}

bool IsMinorKeyScore(const ScoreView* view) {
    if (view == nullptr || view->document == nullptr) return false;
    const StaffRecord* staff = StaffRecordOf(view->document, kFirstStaff);
    return staff != nullptr && IsMinorKeyStaff(*staff);
}

PitchSpeller::PitchSpeller(bool minor, int clef, int keyClef, int key)
    : ok_(IsValidClef(clef) && IsValidClef(keyClef) && IsValidKey(key)),
      clef_(clef),
      keyFrame_(keyClef, key) {
    if (ok_) std::memcpy(preferences_, RotatedPreferences(key, minor), sizeof preferences_);
}

int PitchSpeller::Spell(int midiKey, EventRecord& note) const {
    if (!ok_ || !IsValidMidiKey(midiKey)) return 0;
    Spelling s{};
    s.position = static_cast<StaffPosition>(PositionOfPitch(PitchToStaffPosition(clef_, midiKey)));
    s.a = keyFrame_.KeyAlteration(s.position);
    const int pitchClass = midiKey % kSemitonesPerOctave;
    const int p = preferences_[pitchClass];
    s = IsBlackPitchClass(pitchClass) ? SpellBlack(s, p, keyFrame_)
                                      : SpellWhite(s, p, pitchClass);
    SetNotePosition(note, s.position);
    SetNoteAccidentalCode(note, s.code);
    if (s.code != CodeOf(AccidentalCode::None)) return 0;
    if (s.a < 0) return CodeOf(AccidentalCode::Flat);
    return s.a > 0 ? CodeOf(AccidentalCode::Sharp) : 0;
}

int SpellPitchInMode(bool minor, int clef, int midiKey, int keyClef, int key, EventRecord& note) {
    if (!IsValidMidiKey(midiKey)) return 0;
    return PitchSpeller(minor, clef, keyClef, key).Spell(midiKey, note);
}

int SpellPitch(ScoreView* view, int clef, int midiKey, int keyClef, int key, EventRecord& note) {
    return SpellPitchInMode(IsMinorKeyScore(view), clef, midiKey, keyClef, key, note);
}

}  // namespace ql
