// The enharmonic change of one note: the note moves to a neighbouring spelling of the
// same pitch class in the table below (every spelling of seven steps with five codes),
// one spelling along normally, two with Ctrl held. The note's voice is made explicit
// first and its redundant accidentals dropped afterwards, so that the change reads
// against the accidentals in force.
//
// Where the table has no low spelling (G sharp), the extended change from the high
// one (A flat) goes to the middle one instead of an empty cell. The command redraws
// the later chords of the voice too: their accidentals read against the changed note.
#include "core/constants.h"
#include "core/model/document.h"
#include "core/model/events.h"
#include "core/model/grid.h"
#include "core/model/score_document.h"
#include "core/objects/score_object.h"
#include "core/state.h"
#include "core/undo/undo.h"
#include "display/linked_views.h"
#include "notes/drawing/note_redraw.h"
#include "notes/accidentals/accidental.h"
#include "notes/pitch/pitch.h"
#include "notes/respell/cross_staff_notes.h"
#include "notes/respell/respell.h"
#include "notes/stems/stems.h"

namespace ql {
namespace {

struct Spelling {
    uint8_t step;  // 0 C .. 6 B; kEmptyStep for no spelling
    uint8_t code;  // AccidentalCode
};
constexpr uint8_t kEmptyStep = 7;
constexpr int kPitchClasses = 12;
enum Column { kLow = 0, kMiddle = 1, kHigh = 2, kColumns = 3 };

// By pitch class: the spellings from the lowest step to the highest.
constexpr Spelling kEnharmonicTable[kPitchClasses][kColumns] = {
    {{6, 1}, {0, 5}, {1, 4}},           // B#   C    Dbb
    {{6, 2}, {0, 1}, {1, 3}},           // B##  C#   Db
    {{0, 2}, {1, 5}, {2, 4}},           // C##  D    Ebb
    {{1, 1}, {2, 3}, {3, 4}},           // D#   Eb   Fbb
    {{1, 2}, {2, 5}, {3, 3}},           // D##  E    Fb
    {{2, 1}, {3, 5}, {4, 4}},           // E#   F    Gbb
    {{2, 2}, {3, 1}, {4, 3}},           // E##  F#   Gb
    {{3, 2}, {4, 5}, {5, 4}},           // F##  G    Abb
    {{kEmptyStep, 0}, {4, 1}, {5, 3}},  //  G#   Ab
    {{4, 2}, {5, 5}, {6, 4}},           // G##  A    Bbb
    {{5, 1}, {6, 3}, {0, 4}},           // A#   Bb   Cbb
    {{5, 2}, {6, 5}, {0, 3}},           // A##  B    Cb
};

// Every cell of a row sounds the row's pitch class.
constexpr bool RowsSoundTheirPitchClass() {
    constexpr int kScale[7] = {0, 2, 4, 5, 7, 9, 11};
    constexpr int kCodeSemitones[6] = {0, 1, 2, -1, -2, 0};
    for (int pc = 0; pc < kPitchClasses; ++pc)
        for (const Spelling& s : kEnharmonicTable[pc]) {
            if (s.step == kEmptyStep) continue;
            const int sounds =
                (kScale[s.step] + kCodeSemitones[s.code] + kPitchClasses) % kPitchClasses;
            if (sounds != pc) return false;
        }
    return true;
}
static_assert(RowsSoundTheirPitchClass());

bool IsSingle(const Spelling& s) {
    return s.code == CodeOf(AccidentalCode::Sharp) || s.code == CodeOf(AccidentalCode::Flat);
}
bool IsDouble(const Spelling& s) {
    return s.code == CodeOf(AccidentalCode::DoubleSharp) ||
           s.code == CodeOf(AccidentalCode::DoubleFlat);
}
bool IsEmpty(const Spelling& s) {
    return s.step == kEmptyStep;
}

struct Found {
    int row = -1;
    int column = 0;
};
Found FindSpelling(int step, int code) {
    for (int row = 0; row < kPitchClasses; ++row)
        for (int column = 0; column < kColumns; ++column)
            if (kEnharmonicTable[row][column].step == step &&
                kEnharmonicTable[row][column].code == code)
                return {row, column};
    return {};
}

// The move: steps up (positive) and the new code.
struct Move {
    int stepsUp = 0;
    int code = 0;
};

Move NormalMove(const Spelling (&row)[kColumns], int column, DoubleChoice doubles) {
    if (column == kLow) return {1, row[kMiddle].code};
    if (column == kHigh) return {-1, row[kMiddle].code};
    if (IsSingle(row[kLow])) return {-1, row[kLow].code};
    if (!IsDouble(row[kHigh])) return {1, row[kHigh].code};
    if (doubles == DoubleChoice::LowDouble) return {-1, row[kLow].code};
    return {1, row[kHigh].code};
}

Move ExtendedMove(const Spelling (&row)[kColumns], int column) {
    if (column == kLow) return {2, row[kHigh].code};
    if (column == kHigh) {
        if (IsEmpty(row[kLow])) return {-1, row[kMiddle].code};
        return {-2, row[kLow].code};
    }
    if (IsSingle(row[kLow]) || IsEmpty(row[kLow])) return {1, row[kHigh].code};
    return {-1, row[kLow].code};
}

// The code the change starts from: a carried tie accidental first (taken out of
// its field), none counting as natural.
int StartingCode(EventRecord& note) {
    int code = NoteAccidentalCode(note);
    if (NoteTiedAccidental(note) != 0) {
        code = NoteTiedAccidental(note);
        SetNoteTiedAccidental(note, 0);
    }
    return code == CodeOf(AccidentalCode::None) ? CodeOf(AccidentalCode::Natural) : code;
}

// The first chord after the beam group (or lone chord) of `event` in its voice, or
// null at the voice's end.
EventRecord* ChordAfterGroup(EventRecord* event) {
    EventRecord* last = GetFirstChordOfBeamGroup(event);  // the group's last chord
    if (last == nullptr) last = GetFirstEventOfChord(event);
    EventRecord* next = NextEvent(GetLastEventOfChord(last));
    return next != nullptr && !IsHeadSentinel(*next) ? next : nullptr;
}

// Calls `draw` once for each beam group or lone chord after the note's group in its
// voice: the change can make an accidental of any of them needed or redundant.
template <typename Draw>
void ForEachLaterGroup(EventRecord* note, Draw draw) {
    EventRecord* chord = ChordAfterGroup(note);
    for (int i = 0; chord != nullptr && i < kMaxChainLength; ++i) {
        draw(chord);
        EventRecord* next = ChordAfterGroup(chord);
        if (next == nullptr || next->time <= chord->time) break;  // a damaged chain
        chord = next;
    }
}

bool HasPitchedClef(int clef) {
    return IsValidClef(clef) && clef != CodeOf(ClefKind::Tab) &&
           clef != CodeOf(ClefKind::Percussion);
}

}  // namespace

void EnharmonicChangeNote(ScoreView* view, EventRecord* note, MeasureCell* cell, int voice,
                          DoubleChoice doubles) {
    if (note == nullptr || cell == nullptr) return;
    const int clef = ClefAtTick(cell, note->time);
    if (!HasPitchedClef(clef)) return;
    const int crossStaff = view != nullptr ? CountCrossStaffNotes(view, cell, view->currentStaff,
                                                                  view->currentMeasure, voice, 0)
                                           : 0;
    MakeVoiceAccidentalsExplicit(cell, voice);
    const int code = StartingCode(*note);
    const Found found = FindSpelling(StepOfPosition(clef, NotePosition(*note)), code);
    if (found.row < 0) return;
    const Spelling(&row)[kColumns] = kEnharmonicTable[found.row];
    const Move move =
        CtrlHeld() ? ExtendedMove(row, found.column) : NormalMove(row, found.column, doubles);
    SetNotePosition(*note, NotePosition(*note) - move.stepsUp);
    SetNoteAccidentalCode(*note, move.code);
    if (move.code != CodeOf(AccidentalCode::None) && !note->attachment)
        NewAccidentalForNote(view, note);
    DropRedundantAccidentals(view, cell, voice);
    if (crossStaff != 0) UpdateCrossStaffNotes(view, cell, view->currentStaff, view->currentMeasure, voice);
    if (view != nullptr) SetDocumentModified(view->document);
}

void EnharmonicChangeCommand(ScoreView* view, EventRecord* note, MeasureCell* cell, int voice,
                             DoubleChoice doubles) {
    if (view == nullptr || note == nullptr || cell == nullptr) return;
    if (!HasPitchedClef(ClefAtTick(cell, note->time))) return;
    if (GetLastChordOfBeamGroup(note) == nullptr) return;
    UndoStep step(view->document, view, UndoKind::Enharmonic, TypeCode(ObjectType::Note),
                  UndoVerb::Change);
    // The group is drawn away (the staff lines come back) before its head, stem and
    // accidental move, and drawn again afterwards, here and in the linked views; so is
    // every later group of the voice, whose accidentals the change can add or drop.
    DrawNoteGroupsOnwardSavedLinked(view, note);
    EnharmonicChangeNote(view, note, cell, voice, doubles);
    UpdateBeamForNote(view, note);
    RedrawNotesLinked(view, note);
    ForEachLaterGroup(note, [&](EventRecord* chord) { RedrawNotesLinked(view, chord); });
    RedrawCurrentMeasure(view);
}

}  // namespace ql
