// Explicit and redundant accidentals of a voice, and keeping a cell's pitches through
// a change of its key signature (see respell.h).
#include "notes/respell/respell.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "core/constants.h"
#include "core/model/events.h"
#include "core/model/grid.h"
#include "core/objects/score_object.h"
#include "notes/accidentals/accidental.h"
#include "notes/pitch/pitch.h"
#include "notes/pitch/pitch_frame.h"
#include "notes/pitch/spelling.h"
#include "notes/respell/respell_internal.h"

namespace ql {
namespace respell {

int StateIndex(int position) {
    const int index = position + kAccidentalStateBias;
    return index >= 0 && index < kAccidentalStatePositions ? index : -1;
}

bool KeyStateWalk::Follow(int tick) {
    const int clef = ClefAtTick(cell_, tick);
    const int key = KeySignatureAtTick(cell_, tick);
    if (clef == clef_ && key == key_) return false;
    clef_ = clef;
    key_ = key;
    FillAccidentalStateFromKey(state_, clef, key);
    for (uint8_t& code : state_.codes)
        if (code == CodeOf(AccidentalCode::None)) code = CodeOf(AccidentalCode::Natural);
    return true;
}

int KeyStateWalk::At(int position) const {
    const int index = StateIndex(position);
    return index >= 0 ? state_.codes[index] : CodeOf(AccidentalCode::None);
}

void KeyStateWalk::Store(int position, int code) {
    const int index = StateIndex(position);
    if (index >= 0) state_.codes[index] = static_cast<uint8_t>(code);
}

}  // namespace respell

namespace {

// A note left with a code shows it: its Accidental takes the glyph, or one is made.
void ShowSign(ScoreView* view, EventRecord& note) {
    const int code = NoteAccidentalCode(note);
    if (code == CodeOf(AccidentalCode::None)) return;
    ScoreObject* sign = GetEventAttachment(&note);
    if (sign == nullptr)
        NewAccidentalForNote(view, &note);
    else if (sign->type == TypeCode(ObjectType::Accidental))
        SetAccidentalGlyph(sign, code);
}

// Calls `visit` for each note of a voice from its first, in chain order (the links
// resolved as NextEvent resolves them, the pool looked up once for the walk).
template <typename Visit>
void ForEachNoteFrom(EventRecord* note, Visit visit) {
    const PoolResolver<EventRecord> chain(kEventRecordPool);
    for (int i = 0; note != nullptr && i < kMaxChainLength && !IsHeadSentinel(*note);
         ++i, note = chain.Find(note->next))
        visit(*note);
}

template <typename Visit>
void ForEachNote(MeasureCell* cell, int voice, Visit visit) {
    ForEachNoteFrom(cell != nullptr ? GetVoiceFirstEvent(cell, voice) : nullptr, visit);
}

// Parks the key of every note of a voice in one walk, reading each note as
// ComputeNoteKeyInCell does: the codes written at earlier times in force (the notes of
// one chord do not alter each other), rebuilt at a change of clef or key, a note
// without a code taking its carried tie accidental or the code in force.
void ParkVoicePitches(const StaffRecord* staff, MeasureCell* cell, int voice) {
    EventRecord* first = GetVoiceFirstEvent(cell, voice);
    if (first == nullptr) return;
    AccidentalState state;
    int clef = CellClef(*cell);
    int key = CellKey(*cell);
    FillAccidentalStateFromKey(state, clef, key);
    PitchFrame frame(clef, key);
    // Index, code: the stores of the current time. One list per thread, kept between
    // voices: a whole score parks its pitches without an allocation per voice.
    thread_local std::vector<std::pair<int, int>> pending;
    pending.clear();
    int time = -1;
    ForEachNoteFrom(first, [&](EventRecord& note) {
        if (note.time != time) {
            for (const auto& [index, code] : pending)
                state.codes[index] = static_cast<uint8_t>(code);
            pending.clear();
            time = note.time;
            const int clefHere = ClefAtTick(cell, time);
            const int keyHere = KeySignatureAtTick(cell, time);
            if (clefHere != clef || keyHere != key) {
                clef = clefHere;
                key = keyHere;
                FillAccidentalStateFromKey(state, clef, key);
                frame = PitchFrame(clef, key);
            }
        }
        const int index = respell::StateIndex(NotePosition(note));
        EventRecord sounding = note;
        int code = NoteAccidentalCode(note);
        if (code != CodeOf(AccidentalCode::None)) {
            if (index >= 0) pending.emplace_back(index, code);
        } else {
            const int tied = IsTieContinuation(note) ? NoteTiedAccidental(note) : 0;
            code = tied != 0 ? tied : index >= 0 ? state.codes[index] : 0;
        }
        SetNoteAccidentalCode(sounding, code);
        // A TAB staff (no frame) reads its notes through its tuning.
        const int midiKey = frame.valid()
                                ? frame.MidiKey(NotePosition(note), NoteAccidentalCode(sounding))
                                : NoteToMidiKey(staff, sounding, clef, key);
        SetNotePosition(note, -std::clamp(midiKey, kLowestMidiKey, kHighestMidiKey));
    });
}

}  // namespace

void MakeVoiceAccidentalsExplicit(MeasureCell* cell, int voice) {
    respell::KeyStateWalk walk(cell);
    ForEachNote(cell, voice, [&](EventRecord& note) {
        walk.Follow(note.time);
        const int code = NoteAccidentalCode(note);
        if (code != CodeOf(AccidentalCode::None))
            walk.Store(NotePosition(note), code);
        else
            SetNoteAccidentalCode(note, walk.At(NotePosition(note)));
    });
}

void DropRedundantAccidentals(ScoreView* view, MeasureCell* cell, int voice) {
    respell::KeyStateWalk walk(cell);
    ForEachNote(cell, voice, [&](EventRecord& note) {
        walk.Follow(note.time);
        const int code = NoteAccidentalCode(note);
        if (code == CodeOf(AccidentalCode::None)) return;
        if (code == walk.At(NotePosition(note)))
            SetNoteAccidentalCode(note, CodeOf(AccidentalCode::None));
        walk.Store(NotePosition(note), code);
        ShowSign(view, note);
    });
}

void ParkCellPitches(const StaffRecord* staff, MeasureCell* cell) {
    if (cell == nullptr) return;
    for (int voice = 0; voice < kVoiceCount; ++voice)
        if (cell->voices[voice]) ParkVoicePitches(staff, cell, voice);
}

void RespellVoiceFromParkedPitches(ScoreView* view, MeasureCell* cell, int voice) {
    EventRecord* first = cell != nullptr ? GetVoiceFirstEvent(cell, voice) : nullptr;
    if (first == nullptr) return;
    const int clef = CellClef(*cell);
    const int key = CellKey(*cell);
    if (!IsValidClef(clef) || !IsValidKey(key)) return;
    AccidentalState state;
    FillAccidentalStateFromKey(state, clef, key);
    // As SpellPitch spells, with the mode and the preferences read once for the voice.
    const PitchSpeller speller(IsMinorKeyScore(view), clef, clef, key);
    ForEachNoteFrom(first, [&](EventRecord& note) {
        const int midiKey = -NotePosition(note);
        const int given = speller.Spell(midiKey, note);
        if (given != 0) SetNoteAccidentalCode(note, given);
        const int index = respell::StateIndex(NotePosition(note));
        const int inForce = index >= 0 ? state.codes[index] : 0;
        int code = NoteAccidentalCode(note);
        if (inForce != CodeOf(AccidentalCode::None) && inForce != CodeOf(AccidentalCode::Natural) &&
            code == CodeOf(AccidentalCode::None))
            code = CodeOf(AccidentalCode::Natural);
        if (code == inForce) code = CodeOf(AccidentalCode::None);
        SetNoteAccidentalCode(note, code);
        if (code == CodeOf(AccidentalCode::None)) return;
        if (IsTieContinuation(note)) {
            SetNoteTiedAccidental(note, code);
            SetNoteAccidentalCode(note, CodeOf(AccidentalCode::None));
        } else {
            ShowSign(view, note);
        }
        if (index >= 0) state.codes[index] = static_cast<uint8_t>(code);
    });
}

void RespellCellFromParkedPitches(ScoreView* view, MeasureCell* cell) {
    if (cell == nullptr) return;
    // A voice without a chain has no notes to respell.
    for (int voice = 0; voice < kVoiceCount; ++voice)
        if (cell->voices[voice]) RespellVoiceFromParkedPitches(view, cell, voice);
}

}  // namespace ql
