// The transposers: chromatic (by semitones, spelled afresh under the new key), by key
// (degree for degree, each note keeping its alteration relative to the key), whole
// measures, and the marquee block. Each checks its arguments, walks the range
// (transpose_walk.cpp), updates each cell and restems it as soon as its notes are
// rewritten, and reports notes that had to move by another octave once.
//
// The degree respelling reads two tables (transpose_tables.h) that assume a whole
// tone between neighbouring letters, which is wrong at E-F and B-C; every note so
// spelled is checked against the key it should sound and spelled from that key when
// it misses.
#include <array>

#include "core/model/document.h"
#include "core/model/grid.h"
#include "core/model/score_document.h"
#include "core/undo/undo.h"
#include "notes/pitch/pitch.h"
#include "notes/pitch/spelling.h"
#include "notes/stems/measure_restemmer.h"
#include "notes/transpose/transpose.h"
#include "notes/transpose/transpose_internal.h"
#include "notes/transpose/transpose_tables.h"
#include "platform/ui/message_box.h"

namespace ql {
namespace transpose {
namespace {

bool IsClefOrKept(int clef) {
    return clef == kKeepClefOrKey || IsValidClef(clef);
}
bool IsKeyOrKept(int key) {
    return key == kKeepClefOrKey || IsValidKey(key);
}
bool IsDirection(TransposeDirection direction) {
    return direction == TransposeDirection::None || direction == TransposeDirection::Up ||
           direction == TransposeDirection::Down;
}

// The range's staff and first cell, or null when the request cannot be run.
struct Target {
    ScoreDocument* document = nullptr;
    StaffRecord* staff = nullptr;
    MeasureCell* first = nullptr;
};
Target TargetOf(ScoreView* view, const TransposeRequest& request) {
    Target target;
    if (view == nullptr || view->document == nullptr) return target;
    if (!IsClefOrKept(request.newClef) || !IsKeyOrKept(request.newKey) ||
        !IsDirection(request.direction) || request.semitones < -kLargestSemitoneShift ||
        request.semitones > kLargestSemitoneShift || request.firstMeasure < 1 ||
        request.lastMeasure < request.firstMeasure)
        return target;
    target.staff = StaffOfDocument(view->document, request.staff);
    target.first = ExistingCell(target.staff, request.firstMeasure);
    if (target.first != nullptr) target.document = view->document;
    return target;
}

TransposeOutcome Refuse() {
    ui::Beep(ui::BeepKind::Default);
    TransposeOutcome outcome;
    outcome.refused = true;
    return outcome;
}

// Where the notes read under one clef and key go: the clef they are placed under (the
// new one when the notes follow it), the clef they are read under afterwards, and the
// key (wrapped) with its frame. Made once per key for the clef in force (a range often
// changes key every few measures), and again for every key when the clef changes.
struct Placement {
    int clef = 0;
    int readingClef = 0;
    int key = 0;
    PitchFrame frame{-1, -1};
    ClefShift shift{-1, -1};  // from the clef read to the clef placed under
};
class PlacementCache {
  public:
    PlacementCache(const TransposeRequest& request, int sharps)
        : request_(request), sharps_(sharps) {}
    // A valid key (0..14).
    const Placement& Of(int clef, int key) {
        if (clef != fromClef_) {
            fromClef_ = clef;
            made_.fill(false);
        }
        if (!made_[key]) Make(clef, key);
        return placements_[key];
    }

  private:
    void Make(int clef, int key) {
        made_[key] = true;
        Placement& placement = placements_[key];
        const bool follows = request_.clefMode == TransposeClefMode::Transpose;
        placement.clef = follows && request_.newClef >= 0 ? request_.newClef : clef;
        placement.readingClef = request_.newClef >= 0 ? request_.newClef : clef;
        placement.key = WrapTransposedKey(key, sharps_);
        placement.frame = PitchFrame(placement.clef, placement.key);
        placement.shift = ClefShift(clef, placement.clef);
    }

    const TransposeRequest& request_;
    int sharps_;
    int fromClef_ = -1;
    std::array<bool, kKeyCodeCount> made_{};
    std::array<Placement, kKeyCodeCount> placements_;
};

// Spells the shifted key afresh under the new key of the note.
class ChromaticRespeller : public NoteRespeller {
  public:
    ChromaticRespeller(ScoreView* view, const TransposeRequest& request, int shift, int sharps)
        : view_(view), shift_(shift), placements_(request, sharps) {}

    bool Respell(const NoteBefore& before, NoteAfter& after) override {
        const Placement& to = placements_.Of(before.clef, before.key);
        const int base = to.shift.Apply(before.position);
        int shift = shift_;
        int steps = (shift_ * kStepsPerOctave) / kSemitonesPerOctave;
        if (!FoldIntoRange(before.midiKey, base, shift, steps, after.folded)) return false;
        EventRecord spelled{};
        SpellPitch(view_, to.clef, before.midiKey + shift, to.clef, to.key, spelled);
        after.position = NotePosition(spelled);
        after.code = NoteAccidentalCode(spelled);
        after.clef = to.readingClef;
        after.key = to.key;
        return after.position >= kLowestTransposedPosition &&
               after.position <= kHighestTransposedPosition;
    }

  private:
    ScoreView* view_;
    int shift_;
    PlacementCache placements_;
};

// Moves each note by the interval's steps, keeping its alteration relative to the
// key, then checks the result sounds the shifted key.
class DegreeRespeller : public NoteRespeller {
  public:
    DegreeRespeller(ScoreView* view, const TransposeRequest& request, KeyInterval interval,
                    int sharps)
        : view_(view), interval_(interval), placements_(request, sharps) {}

    bool Respell(const NoteBefore& before, NoteAfter& after) override {
        const Placement& to = placements_.Of(before.clef, before.key);
        const int base = to.shift.Apply(before.position);
        int shift = interval_.semitones;
        int steps = interval_.steps;
        if (!FoldIntoRange(before.midiKey, base, shift, steps, after.folded)) return false;
        const int degree = base - steps;
        const PitchFrame::PositionReading at = to.frame.At(degree);
        const DegreeRespelling respelled =
            RespellDegree(before.keyAlteration, before.code, at.keyAlteration);
        const RespellCell cell = respelled.cell;
        // +1 is one letter higher, which is one position up (positions grow downwards).
        after.position = degree - cell.stepCorrection;
        after.code = cell.code;
        // Without a step correction the note stands on the degree just read.
        const int sounded = cell.stepCorrection == 0 ? at.natural + respelled.alteration
                                                     : to.frame.MidiKey(after.position, after.code);
        SpellIfMissed(to.frame, sounded, before.midiKey + shift, after);
        after.clef = to.readingClef;
        after.key = to.key;
        return after.position >= kLowestTransposedPosition &&
               after.position <= kHighestTransposedPosition;
    }

  private:
    // The table's codes are all stored codes (0..5) and the frame reads a position as
    // its stored byte, so `sounded`, the frame's key of the result, is what the note
    // will sound.
    void SpellIfMissed(const PitchFrame& frame, int sounded, int intended, NoteAfter& after) {
        if (frame.valid() && sounded == intended) return;
        EventRecord note{};
        SetNotePosition(note, after.position);
        SetNoteAccidentalCode(note, after.code);
        if (!frame.valid() && NoteToMidiKey(nullptr, note, frame.clef(), frame.key()) == intended)
            return;
        SpellPitch(view_, frame.clef(), intended, frame.clef(), frame.key(), note);
        after.position = NotePosition(note);
        after.code = NoteAccidentalCode(note);
    }

    ScoreView* view_;
    KeyInterval interval_;
    PlacementCache placements_;
};

// The cell updates after each measure: clef and key nibbles where the cell's start is
// in the range, clef and key objects inside it, chord symbols, slurs; then the cell is
// restemmed.
class CellUpdates : public MeasureHook {
  public:
    CellUpdates(ScoreView* view, const TransposeRequest& request, int keySharps, int chordSharps)
        : request_(request), keySharps_(keySharps), chordSharps_(chordSharps), restemmer_(view) {}

    void AfterMeasure(MeasureCell* cell, int measure, int positionSum, int count,
                      const CellVoices& voices) override {
        int fromTick = 0;
        int toTick = 0;
        TickWindowOf(request_, measure, fromTick, toTick);
        const int afterTick = measure == request_.firstMeasure ? request_.firstTick : -1;
        if (CellStartInRange(request_, measure)) {
            int clef = CellClef(*cell);
            if (request_.newClef >= 0) clef = request_.newClef;
            const int key = IsValidKey(CellKey(*cell))
                                ? WrapTransposedKey(CellKey(*cell), keySharps_)
                                : CellKey(*cell);
            cell->clefKey = static_cast<uint8_t>(clef | key << kKeyNibbleShift);
        }
        if (request_.newClef >= 0) SetClefObjectsInRange(cell, request_.newClef, afterTick, toTick);
        if (keySharps_ != 0) WrapKeyObjectsInRange(cell, keySharps_, afterTick, toTick);
        if (request_.chordSymbols && chordSharps_ != 0)
            TransposeChordSymbolsOfCell(cell, chordSharps_);
        ShiftSlursByAverage(cell, positionSum, count);
        restemmer_.Restem(request_.staff, measure, cell, voices);
    }

  private:
    const TransposeRequest& request_;
    int keySharps_;
    int chordSharps_;
    MeasureRestemmer restemmer_;
};

TransposeOutcome Finish(const Target& target, const WalkTotals& totals) {
    SetDocumentModified(target.document);
    TransposeOutcome outcome;
    outcome.notesMoved = totals.moved;
    outcome.notesFolded = totals.folded;
    return outcome;
}

// The key of the range's start and the new key (kept when none is given).
void KeysOf(const Target& target, const TransposeRequest& request, int& oldKey, int& newKey) {
    oldKey = KeySignatureAtTick(target.first, request.firstTick);
    newKey = request.newKey >= 0 ? request.newKey : oldKey;
}

// The octave part of a transposition by key: the semitones, or with equal keys and
// none an octave in the given direction (none without one).
int OctaveShift(const TransposeRequest& request, bool sameKey) {
    if (request.semitones != 0 || !sameKey) return request.semitones;
    if (request.direction == TransposeDirection::Up) return kSemitonesPerOctave;
    if (request.direction == TransposeDirection::Down) return -kSemitonesPerOctave;
    return 0;
}

// Whole measures first..end by semitones under the key in force; no report.
TransposeOutcome RunMeasures(ScoreView* view, int voiceMask, int staff, int firstMeasure,
                             int endMeasure, int semitones) {
    TransposeRequest request;
    request.voiceMask = voiceMask;
    request.staff = staff;
    request.firstMeasure = firstMeasure;
    request.lastMeasure = endMeasure + 1;  // tick 0 of the next measure: the end is whole
    request.semitones = semitones;
    const Target target = TargetOf(view, request);
    if (target.document == nullptr) return Refuse();
    ChromaticRespeller respeller(view, request, semitones, 0);
    CellUpdates cells(view, request, 0, 0);
    const WalkTotals totals = WalkTransposedRange(view, target.staff, request, respeller, cells);
    return Finish(target, totals);
}

TransposeOutcome Reported(const TransposeOutcome& outcome) {
    ReportFolded(outcome.notesFolded);
    return outcome;
}

}  // namespace
}  // namespace transpose

using namespace transpose;

TransposeOutcome TransposeBySemitones(ScoreView* view, const TransposeRequest& request) {
    if (request.semitones % kSemitonesPerOctave == 0) return TransposeByKey(view, request);
    const Target target = TargetOf(view, request);
    if (target.document == nullptr) return Refuse();
    int oldKey = 0;
    int newKey = 0;
    KeysOf(target, request, oldKey, newKey);
    if (!IsValidKey(oldKey)) return Refuse();
    const int sharps = newKey - oldKey;
    const KeyInterval interval = KeyIntervalBetween(oldKey, newKey, request.direction);
    ChromaticRespeller respeller(view, request, interval.semitones + request.semitones, sharps);
    CellUpdates cells(view, request, sharps, sharps + SharpsOfSemitones(request.semitones));
    const WalkTotals totals = WalkTransposedRange(view, target.staff, request, respeller, cells);
    return Reported(Finish(target, totals));
}

TransposeOutcome TransposeByKey(ScoreView* view, const TransposeRequest& request) {
    const Target target = TargetOf(view, request);
    if (target.document == nullptr || request.semitones % kSemitonesPerOctave != 0) return Refuse();
    int oldKey = 0;
    int newKey = 0;
    KeysOf(target, request, oldKey, newKey);
    if (!IsValidKey(oldKey)) return Refuse();
    const int sharps = newKey - oldKey;
    KeyInterval interval = KeyIntervalBetween(oldKey, newKey, request.direction);
    const int octave = OctaveShift(request, sharps == 0);
    interval.semitones += octave;
    interval.steps += octave / kSemitonesPerOctave * kStepsPerOctave;
    DegreeRespeller respeller(view, request, interval, sharps);
    CellUpdates cells(view, request, sharps, sharps);
    const WalkTotals totals = WalkTransposedRange(view, target.staff, request, respeller, cells);
    return Reported(Finish(target, totals));
}

TransposeOutcome TransposeMeasures(ScoreView* view, int voiceMask, int staff, int firstMeasure,
                                   int endMeasure, int semitones) {
    return Reported(RunMeasures(view, voiceMask, staff, firstMeasure, endMeasure, semitones));
}

TransposeOutcome TransposeSelection(ScoreView* view, const MeasureBlock& block, int semitones) {
    if (view == nullptr || view->document == nullptr || semitones < -kLargestSemitoneShift ||
        semitones > kLargestSemitoneShift || block.firstStaff < 1 ||
        block.lastStaff < block.firstStaff || block.firstMeasure < 1 ||
        block.lastMeasure < block.firstMeasure)
        return Refuse();
    UndoStep step(view->document, view, UndoKind::Pitch, 0, UndoVerb::Change);
    TransposeOutcome total;
    for (int staff = block.firstStaff; staff <= block.lastStaff; ++staff) {
        if (StaffOfDocument(view->document, staff) == nullptr) continue;
        const TransposeOutcome one = RunMeasures(view, kAllVoicesMask, staff, block.firstMeasure,
                                                 block.lastMeasure, semitones);
        total.notesMoved += one.notesMoved;
        total.notesFolded += one.notesFolded;
    }
    ReportFolded(total.notesFolded);
    return total;
}

}  // namespace ql
