// The walk every transposer runs over a range of one staff: for each measure and each
// voice of the mask, each note in chain order gets the code it sounds with made
// explicit from the source state (per voice, rebuilt whenever the clef or key in
// force changes), is respelled by the transposer, and is reconciled with the result
// state of its voice: a code the result already has in force is dropped, a note left
// without a code where the result holds another gets the key's own alteration
// written out. A note left with a code gets its Accidental sign.
//
// The source state is kept per voice, as the accidental walk that reads the pitches
// back (notes/pitch/accidental_state.h) keeps it: a sign in one voice does not alter
// the notes of another. Notes under a Percussion or TAB clef are left as they are.
// The clef and key in force are looked up note by note only in a cell whose list
// holds a change of them; elsewhere every note reads the cell's own.
#include <cstring>

#include "core/constants.h"
#include "core/model/events.h"
#include "core/model/grid.h"
#include "core/model/score_document.h"
#include "core/objects/score_object.h"
#include "notes/accidentals/accidental.h"
#include "notes/drawing/note_fields.h"
#include "notes/pitch/accidental_state.h"
#include "notes/pitch/pitch.h"
#include "notes/stems/measure_restemmer.h"
#include "notes/transpose/transpose_internal.h"

namespace ql::transpose {
namespace {

int StateIndex(int position) {
    const int index = position + kAccidentalStateBias;
    return index >= 0 && index < kAccidentalStatePositions ? index : -1;
}

// An accidental state that remembers which positions it wrote, so that clearing it
// costs what was written (a voice holds a few notes, the table 128 positions).
class TouchedState {
  public:
    int At(int index) const { return codes_[index]; }
    void Set(int index, int code) {
        if (!listed_[index]) {
            listed_[index] = true;
            touched_[count_++] = static_cast<uint8_t>(index);
        }
        codes_[index] = static_cast<uint8_t>(code);
    }
    void Clear() {
        for (int i = 0; i < count_; ++i) {
            codes_[touched_[i]] = 0;
            listed_[touched_[i]] = false;
        }
        count_ = 0;
    }

  private:
    uint8_t codes_[kAccidentalStatePositions] = {};
    bool listed_[kAccidentalStatePositions] = {};
    uint8_t touched_[kAccidentalStatePositions] = {};
    int count_ = 0;
};

bool HasKeyPitches(int clef) {
    return clef != CodeOf(ClefKind::Percussion) && clef != CodeOf(ClefKind::Tab);
}

// The code a key alteration is written with: 3 flat, 1 sharp, 5 natural.
int WrittenKeyCode(int keyAlteration) {
    if (keyAlteration < 0) return CodeOf(AccidentalCode::Flat);
    if (keyAlteration > 0) return CodeOf(AccidentalCode::Sharp);
    return CodeOf(AccidentalCode::Natural);
}

class VoiceWalk {
  public:
    VoiceWalk(ScoreView* view, NoteRespeller& respeller) : view_(view), respeller_(respeller) {}

    // The notes of a voice from its first event, as the snapshot holds them.
    // `signaturesChange`: whether the cell's list may change its clef or key (else
    // every note reads the cell's own).
    void Run(MeasureCell* cell, const stems::VoiceChords& voice, EventRecord* first, int fromTick,
             int toTick, bool signaturesChange);
    int positionSum() const { return positionSum_; }
    int moved() const { return moved_; }
    int folded() const { return folded_; }

  private:
    void Note(MeasureCell* cell, EventRecord& note);
    // The clef and key in force at the note.
    void SignaturesAt(MeasureCell* cell, const EventRecord& note, int& clef, int& key) const;
    int ExplicitCode(const EventRecord& note);
    void Reconcile(EventRecord& note, const NoteAfter& after);
    void ShowSign(EventRecord& note);

    ScoreView* view_;
    NoteRespeller& respeller_;
    TouchedState source_;
    TouchedState result_;
    int clef_ = -1;
    int key_ = -1;
    bool signaturesChange_ = false;
    int cellClef_ = 0;  // the cell's own, read when its signatures do not change
    int cellKey_ = 0;
    FrameCache frames_;
    const PitchFrame* frame_ = nullptr;  // of clef_ and key_; null where notes keep their place
    int positionSum_ = 0;
    int moved_ = 0;
    int folded_ = 0;
};

void VoiceWalk::Run(MeasureCell* cell, const stems::VoiceChords& voice, EventRecord* first,
                    int fromTick, int toTick, bool signaturesChange) {
    positionSum_ = moved_ = folded_ = 0;
    source_.Clear();
    result_.Clear();
    clef_ = key_ = -1;
    signaturesChange_ = signaturesChange;
    cellClef_ = ClefAtTick(cell, 0);
    cellKey_ = KeySignatureAtTick(cell, 0);
    // The snapshot begins at the first event unless the chain is damaged before it.
    int i = 0;
    while (i < voice.EventCount() && voice.Event(i) != first) ++i;
    for (; i < voice.EventCount(); ++i) {
        EventRecord* note = voice.Event(i);
        if (note->time >= toTick) break;
        if (note->time >= fromTick) Note(cell, *note);
    }
}

int VoiceWalk::ExplicitCode(const EventRecord& note) {
    const int index = StateIndex(NotePosition(note));
    const int code = NoteAccidentalCode(note);
    if (code != CodeOf(AccidentalCode::None)) {
        if (index >= 0) source_.Set(index, code);
        return code;
    }
    if (IsTieContinuation(note) && NoteTiedAccidental(note) != 0) return NoteTiedAccidental(note);
    return index >= 0 ? source_.At(index) : 0;
}

void VoiceWalk::SignaturesAt(MeasureCell* cell, const EventRecord& note, int& clef,
                             int& key) const {
    if (!signaturesChange_) {
        clef = cellClef_;
        key = cellKey_;
        return;
    }
    clef = ClefAtTick(cell, note.time);
    key = KeySignatureAtTick(cell, note.time);
}

void VoiceWalk::Note(MeasureCell* cell, EventRecord& note) {
    int clef = 0;
    int key = 0;
    SignaturesAt(cell, note, clef, key);
    if (clef != clef_ || key != key_) {
        source_.Clear();
        clef_ = clef;
        key_ = key;
        const bool pitched = HasKeyPitches(clef) && IsValidClef(clef) && IsValidKey(key);
        frame_ = pitched ? &frames_.Of(clef, key) : nullptr;
    }
    const int explicitCode = ExplicitCode(note);
    if (frame_ == nullptr) return;
    NoteBefore before{NotePosition(note), explicitCode, clef, key, 0, 0};
    const PitchFrame::NoteReading reading = frame_->Read(before.position, explicitCode);
    before.midiKey = reading.midiKey;
    before.keyAlteration = reading.keyAlteration;
    NoteAfter after;
    if (!respeller_.Respell(before, after)) return;
    const int shift = after.position - before.position;
    SetNotePosition(note, after.position);
    SetNoteAccidentalCode(note, after.code);
    if (IsCrossStaff(note) && note.crossStaffPosition != kNoCrossStaffPosition)
        note.crossStaffPosition = static_cast<uint8_t>(
            static_cast<int8_t>(static_cast<int8_t>(note.crossStaffPosition) + shift));
    Reconcile(note, after);
    positionSum_ += shift;
    ++moved_;
    if (after.folded) ++folded_;
}

void VoiceWalk::Reconcile(EventRecord& note, const NoteAfter& after) {
    const int index = StateIndex(NotePosition(note));
    const int code = NoteAccidentalCode(note);
    if (index >= 0) {
        const int inForce = result_.At(index);
        if (code != CodeOf(AccidentalCode::None)) {
            if (code == inForce)
                SetNoteAccidentalCode(note, CodeOf(AccidentalCode::None));
            else
                result_.Set(index, code);
        } else if (inForce != 0) {
            const int own =
                HasKeyPitches(after.clef)
                    ? WrittenKeyCode(KeyAlterationAt(after.clef, after.key, NotePosition(note)))
                    : CodeOf(AccidentalCode::Natural);
            SetNoteAccidentalCode(note, own);
            result_.Set(index, 0);
        }
    }
    if (IsTieContinuation(note) && NoteTiedAccidental(note) != 0) {
        SetNoteTiedAccidental(note, NoteAccidentalCode(note));
        SetNoteAccidentalCode(note, CodeOf(AccidentalCode::None));
        return;
    }
    ShowSign(note);
}

// A note with a code shows it: its Accidental takes the glyph, or one is made.
void VoiceWalk::ShowSign(EventRecord& note) {
    const int code = NoteAccidentalCode(note);
    if (code == CodeOf(AccidentalCode::None)) return;
    ScoreObject* sign = GetEventAttachment(&note);
    if (sign == nullptr)
        NewAccidentalForNote(view_, &note);
    else if (sign->type == TypeCode(ObjectType::Accidental))
        SetAccidentalGlyph(sign, code);
}

}  // namespace

StaffRecord* StaffOfDocument(ScoreDocument* document, int staff) {
    if (document == nullptr || document->staves == nullptr) return nullptr;
    if (staff < 1 || staff > document->header.staffCount || staff >= kStavesArrayEntries)
        return nullptr;
    return document->staves->staves[staff].get();
}

MeasureCell* ExistingCell(StaffRecord* staff, int measure) {
    return ExistingCell(staff, measure, PoolResolver<MeasureCell>(kMeasureCellPool));
}

MeasureCell* ExistingCell(StaffRecord* staff, int measure, const PoolResolver<MeasureCell>& pool) {
    CellHandleArray* cells = staff != nullptr ? CellArrayOf(staff) : nullptr;
    if (cells == nullptr || measure < 0 || measure >= MaxMeasures) return nullptr;
    return pool.Find(cells->cells[measure]);
}

bool CellStartInRange(const TransposeRequest& request, int measure) {
    if (measure == request.firstMeasure && request.firstTick > 0) return false;
    return measure < request.lastMeasure ||
           (measure == request.lastMeasure && request.lastTick > 0);
}

void TickWindowOf(const TransposeRequest& request, int measure, int& fromTick, int& toTick) {
    constexpr int kPastLastTick = 0x10000;
    fromTick = measure == request.firstMeasure ? request.firstTick : 0;
    toTick = measure == request.lastMeasure ? request.lastTick : kPastLastTick;
}

WalkTotals WalkTransposedRange(ScoreView* view, StaffRecord* staff, const TransposeRequest& request,
                               NoteRespeller& respeller, MeasureHook& hook) {
    WalkTotals totals;
    VoiceWalk walk(view, respeller);
    CellVoices voices;
    const PoolResolver<MeasureCell> cellPool(kMeasureCellPool);
    const int last = request.lastTick > 0 ? request.lastMeasure : request.lastMeasure - 1;
    for (int measure = request.firstMeasure; measure <= last; ++measure) {
        MeasureCell* cell = ExistingCell(staff, measure, cellPool);
        if (cell == nullptr) continue;
        int fromTick = 0;
        int toTick = 0;
        TickWindowOf(request, measure, fromTick, toTick);
        int sum = 0;
        int count = 0;
        voices.Take(cell);
        const bool signaturesChange = CellChangesSignatures(cell);
        for (int voice = 0; voice < kVoiceCount; ++voice) {
            EventRecord* first = voices.First(voice);
            if ((request.voiceMask & (1 << voice)) == 0 || first == nullptr) continue;
            walk.Run(cell, voices.Voice(voice), first, fromTick, toTick, signaturesChange);
            sum += walk.positionSum();
            count += walk.moved();
            totals.folded += walk.folded();
        }
        totals.moved += count;
        hook.AfterMeasure(cell, measure, sum, count, voices);
    }
    return totals;
}

}  // namespace ql::transpose
