// The accidentals in force in a measure: the state table, the walk over a voice that
// builds it, and the operations that read it (entering, interpreting, sounding).
#include "notes/pitch/accidental_state.h"

#include <cstring>

#include "core/model/events.h"
#include "core/model/grid.h"
#include "notes/accidentals/accidental.h"
#include "notes/pitch/pitch.h"
#include "notes/pitch/spelling.h"

namespace ql {
namespace {

constexpr int kLowestFilledPosition = -kAccidentalStateBias;
constexpr int kHighestFilledPosition = kAccidentalStateBias;

int IndexOfPosition(int position) {
    const int index = position + kAccidentalStateBias;
    return index >= 0 && index < kAccidentalStatePositions ? index : -1;
}

uint8_t CodeOfAlteration(int alteration) {
    if (alteration < 0) return CodeOf(AccidentalCode::Flat);
    return alteration > 0 ? CodeOf(AccidentalCode::Sharp) : CodeOf(AccidentalCode::None);
}

// The state of one voice walked up to a time, with the clef and key in force.
class VoiceWalk {
  public:
    explicit VoiceWalk(MeasureCell* cell) : cell_(cell) {
        clef_ = CellClef(*cell);
        key_ = CellKey(*cell);
        FillAccidentalStateFromKey(state_, clef_, key_);
    }

    // Takes the voice's events before `time`, in chain order.
    void WalkBefore(int voice, int time) {
        EventRecord* event = GetVoiceFirstEvent(cell_, voice);
        for (int i = 0; event != nullptr && i < kMaxChainLength; ++i, event = NextEvent(event)) {
            if (IsHeadSentinel(*event)) break;
            if (event->time >= time) continue;
            Follow(event->time);
            StoreAccidentalInForce(state_, *event);
        }
    }

    // Rebuilds the state when the clef or key in force at `time` differs.
    void Follow(int time) {
        const int clef = ClefAtTick(cell_, time);
        const int key = KeySignatureAtTick(cell_, time);
        if (clef == clef_ && key == key_) return;
        clef_ = clef;
        key_ = key;
        FillAccidentalStateFromKey(state_, clef_, key_);
    }

    int clef() const { return clef_; }
    int key() const { return key_; }
    const AccidentalState& state() const { return state_; }
    int At(int position) const { return AccidentalStateAt(state_, position); }

  private:
    MeasureCell* cell_;
    AccidentalState state_;
    int clef_ = 0;
    int key_ = 0;
};

// A walk up to the note's time, in force at that time.
VoiceWalk WalkToNote(MeasureCell* cell, int voice, int time) {
    VoiceWalk walk(cell);
    walk.WalkBefore(voice, time);
    walk.Follow(time);
    return walk;
}

}  // namespace

void ClearAccidentalState(AccidentalState& state) {
    std::memset(state.codes, 0, sizeof state.codes);
}

namespace {

void ComputeStateFromKey(AccidentalState& state, int clef, int key) {
    ClearAccidentalState(state);
    // The key alters a step in every octave alike: one code per step, repeated from
    // the lowest filled position up.
    uint8_t byStep[kStepsPerOctave];
    bool altersAny = false;
    for (int i = 0; i < kStepsPerOctave; ++i) {
        byStep[i] = CodeOfAlteration(KeyAlterationAt(clef, key, kLowestFilledPosition + i));
        altersAny = altersAny || byStep[i] != 0;
    }
    if (!altersAny) return;
    int step = 0;
    for (int index = IndexOfPosition(kLowestFilledPosition);
         index <= IndexOfPosition(kHighestFilledPosition); ++index) {
        state.codes[index] = byStep[step];
        if (++step == kStepsPerOctave) step = 0;
    }
}

// The state a key gives depends on the clef and the key alone: each pair met is
// worked out once per thread and copied after (a score's respelling fills one per
// voice and measure).
constexpr int kClefSlots = 16;
constexpr int kKeySlots = 15;
struct KeyStateSlot {
    bool filled = false;
    AccidentalState state;
};

}  // namespace

void FillAccidentalStateFromKey(AccidentalState& state, int clef, int key) {
    if (!IsValidClef(clef) || !IsValidKey(key) || clef >= kClefSlots || key >= kKeySlots) {
        ComputeStateFromKey(state, clef, key);
        return;
    }
    thread_local KeyStateSlot slots[kClefSlots][kKeySlots];
    KeyStateSlot& slot = slots[clef][key];
    if (!slot.filled) {
        ComputeStateFromKey(slot.state, clef, key);
        slot.filled = true;
    }
    state = slot.state;
}

int AccidentalStateAt(const AccidentalState& state, int position) {
    const int index = IndexOfPosition(position);
    return index >= 0 ? state.codes[index] : 0;
}

void CarryAccidental(AccidentalState& state, EventRecord& note) {
    const int index = IndexOfPosition(NotePosition(note));
    if (index < 0) return;
    const int code = NoteAccidentalCode(note);
    if (code == CodeOf(AccidentalCode::None))
        SetNoteAccidentalCode(note, state.codes[index]);
    else
        state.codes[index] = static_cast<uint8_t>(code);
}

void StoreAccidentalInForce(AccidentalState& state, const EventRecord& note) {
    const int code = NoteAccidentalCode(note);
    const int index = IndexOfPosition(NotePosition(note));
    if (code != CodeOf(AccidentalCode::None) && index >= 0) state.codes[index] = static_cast<uint8_t>(code);
}

int CodeAgainstInForce(int code, int inForce) {
    if (inForce != CodeOf(AccidentalCode::None) && inForce != CodeOf(AccidentalCode::Natural) &&
        code == CodeOf(AccidentalCode::None))
        return CodeOf(AccidentalCode::Natural);
    return code == inForce ? CodeOf(AccidentalCode::None) : code;
}

int SpellEnteredNote(ScoreView* view, EventRecord& note, int midiKey, MeasureCell* cell,
                     int voice) {
    if (cell == nullptr || !IsValidMidiKey(midiKey)) return 0;
    const VoiceWalk walk = WalkToNote(cell, voice, note.time);
    if (!IsValidClef(walk.clef()) || !IsValidKey(walk.key())) return 0;
    const int keyCode = SpellPitch(view, walk.clef(), midiKey, walk.clef(), walk.key(), note);
    if (keyCode != 0) SetNoteAccidentalCode(note, keyCode);
    SetNoteAccidentalCode(note, CodeAgainstInForce(NoteAccidentalCode(note), walk.At(NotePosition(note))));
    if (NoteAccidentalCode(note) != CodeOf(AccidentalCode::None) && !note.attachment)
        NewAccidentalForNote(view, &note);
    return NoteAccidentalCode(note);
}

int AccidentalInForceAt(const EventRecord& note, MeasureCell* cell, int voice) {
    if (cell == nullptr) return 0;
    return WalkToNote(cell, voice, note.time).At(NotePosition(note));
}

int ComputeNoteKeyInCell(const StaffRecord* staff, MeasureCell* cell, const EventRecord& note,
                         int voice) {
    return SoundingKeysAt(staff, cell, voice, note.time).KeyOf(note);
}

SoundingKeysAt::SoundingKeysAt(const StaffRecord* staff, MeasureCell* cell, int voice, int time) : staff_(staff) {
    if (cell == nullptr) return;
    const VoiceWalk walk = WalkToNote(cell, voice, time);
    walked_ = true;
    state_ = walk.state();
    clef_ = walk.clef();
    key_ = walk.key();
}

int SoundingKeysAt::KeyOf(const EventRecord& note) const {
    if (!walked_) return 0;
    EventRecord sounding = note;
    if (NoteAccidentalCode(note) == CodeOf(AccidentalCode::None)) {
        const int tied = IsTieContinuation(note) ? NoteTiedAccidental(note) : 0;
        SetNoteAccidentalCode(sounding, tied != 0 ? tied : AccidentalStateAt(state_, NotePosition(note)));
    }
    return NoteToMidiKey(staff_, sounding, clef_, key_);
}

}  // namespace ql
