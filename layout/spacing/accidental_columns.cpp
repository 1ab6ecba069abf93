// FitChordAccidentals: the accidental column table of one chord.
#include "layout/spacing/accidental_columns.h"

#include <algorithm>
#include <cstdlib>
#include <span>

#include "core/draw/glyph_metrics.h"
#include "core/model/events.h"
#include "core/model/score_document.h"
#include "core/model/engraving_metrics.h"
#include "notes/accidentals/accidental_layout.h"
#include "notes/pitch/pitch_vocabulary.h"

namespace ql {

namespace {

// Music-font code of the sign of accidental code c: kFirstAccidentalGlyph + c.
constexpr int kFirstAccidentalGlyph = 217;
constexpr size_t kMaxChordNotes = 256;

bool IsFarSideHead(const EventRecord& note) {
    return (note.word2 & kEventHeadOtherSide) != 0;
}

struct ChordNote {
    EventRecord* event;
    bool marked;  // has an accidental not placed yet
};

class ColumnFitter {
  public:
    ColumnFitter(ScoreDocument& document, AccidentalColumnTable& table)
        : document_(document), table_(table) {
        const int32_t initial = EngravingMetricOf(document, EngravingMetric::FirstAcci);
        for (auto& column : table_.slots)
            for (AccidentalSlot& slot : column) slot = {kFreeAccidentalSlot, uint16_t(initial), 0};
    }

    // Places a marked note; clears its mark when a column takes it.
    void Place(ChordNote& note);
    // A far-side head occupying slot 0 of column 0.
    void PrePlaceHead(const EventRecord& note) {
        table_.slots[0][0] = {NotePosition(note), table_.slots[0][0].width, 1};
    }
    ChordColumns Result() const;

  private:
    bool ColumnTakes(int column, int position, int* freeSlot) const;
    void SetOffset(EventRecord& note, int column) const;

    ScoreDocument& document_;
    AccidentalColumnTable& table_;
    int highest_ = -1;
    bool wide_ = false;
};

bool ColumnFitter::ColumnTakes(int column, int position, int* freeSlot) const {
    *freeSlot = -1;
    for (int k = 0; k < kAccidentalSlotsPerColumn; ++k) {
        const AccidentalSlot& slot = table_.slots[column][k];
        if (slot.position == kFreeAccidentalSlot) {
            if (*freeSlot < 0) *freeSlot = k;
            continue;
        }
        const int clearance = slot.prePlacedHead ? kPrePlacedHeadClearance : kAccidentalClearance;
        if (std::abs(slot.position - position) < clearance) return false;
    }
    return *freeSlot >= 0;
}

void ColumnFitter::SetOffset(EventRecord& note, int column) const {
    ScoreObject* sign = AccidentalOfNote(note);
    if (sign == nullptr || IsAccidentalPlacedByHand(sign)) return;
    const int32_t spacing = EngravingMetricOf(document_, EngravingMetric::Accident);
    int32_t offset = -EngravingMetricOf(document_, EngravingMetric::FirstAcci) - column * spacing;
    if (IsAccidentalWide(sign)) offset -= spacing;
    SetAccidentalOffset(sign, static_cast<int16_t>(std::max(offset, -32768)));
}

void ColumnFitter::Place(ChordNote& note) {
    if (!note.marked) return;
    const int position = NotePosition(*note.event);
    for (int column = 0; column < kAccidentalColumnCount; ++column) {
        int slot = -1;
        if (!ColumnTakes(column, position, &slot)) continue;
        const int code = NoteAccidentalCode(*note.event);
        const int32_t width = GlyphMetricOf(document_, kFirstAccidentalGlyph + code).advance;
        AccidentalSlot& taken = table_.slots[column][slot];
        taken = {static_cast<int8_t>(position),
                 static_cast<uint16_t>(std::clamp<int32_t>(std::max<int32_t>(taken.width, width), 0, 0xFFFF)),
                 0};
        note.marked = false;
        highest_ = std::max(highest_, column);
        const ScoreObject* sign = AccidentalOfNote(*note.event);
        wide_ = wide_ || (sign != nullptr && IsAccidentalWide(sign));
        SetOffset(*note.event, column);
        return;
    }
}

ChordColumns ColumnFitter::Result() const {
    ChordColumns result;
    if (highest_ < 0) return result;
    result.columns = highest_ + 1 + (wide_ ? kWideAccidentalExtraColumns : 0);
    int32_t width = 0;
    for (const AccidentalSlot& slot : table_.slots[highest_]) width = std::max<int32_t>(width, slot.width);
    result.lastWidth = width;
    return result;
}

// The notes of a chord in chain order, at most kMaxChordNotes, kept in place (one
// chord is fitted at a time, in every measure of every reformat).
class ChordNotes {
  public:
    explicit ChordNotes(EventRecord* note) {
        for (EventRecord* e = GetFirstEventOfChord(note); e != nullptr && count_ < kMaxChordNotes;
             e = GetNextEventSameTime(e))
            notes_[count_++] = {e, NoteHasAccidental(*e)};
    }
    std::span<ChordNote> All() { return {notes_, count_}; }

  private:
    ChordNote notes_[kMaxChordNotes];
    size_t count_ = 0;
};

// The first (or, from the end, the last) note with an accidental; with `skipFarSide`
// a far-side head does not count.
ChordNote* EndNoteWithAccidental(std::span<ChordNote> notes, bool fromEnd, bool skipFarSide) {
    for (size_t i = 0; i < notes.size(); ++i) {
        ChordNote& n = notes[fromEnd ? notes.size() - 1 - i : i];
        if (NoteHasAccidental(*n.event) && !(skipFarSide && IsFarSideHead(*n.event))) return &n;
    }
    return nullptr;
}

void PlaceStemUp(ColumnFitter& fitter, std::span<ChordNote> notes) {
    for (ChordNote& n : notes)
        if (IsFarSideHead(*n.event)) fitter.Place(n);
    if (ChordNote* first = EndNoteWithAccidental(notes, false, false)) fitter.Place(*first);
    if (ChordNote* last = EndNoteWithAccidental(notes, true, false)) fitter.Place(*last);
}

void PlaceStemDown(ColumnFitter& fitter, std::span<ChordNote> notes) {
    for (const ChordNote& n : notes)
        if (IsFarSideHead(*n.event)) {
            fitter.PrePlaceHead(*n.event);
            break;
        }
    if (ChordNote* first = EndNoteWithAccidental(notes, false, true)) fitter.Place(*first);
    for (size_t i = notes.size(); i-- > 0;)
        if (notes[i].marked) {
            fitter.Place(notes[i]);
            break;
        }
}

}  // namespace

bool ChordHasAccidental(const EventRecord* first) {
    // The notes ChordNotes takes: the first kMaxChordNotes.
    size_t seen = 0;
    for (const EventRecord* e = first; e != nullptr && seen < kMaxChordNotes;
         e = GetNextEventSameTime(e), ++seen)
        if (NoteHasAccidental(*e)) return true;
    return false;
}

ChordColumns FitChordAccidentals(ScoreDocument& document, EventRecord* note,
                                 AccidentalColumnTable* table) {
    ChordNotes chord(note);
    const std::span<ChordNote> notes = chord.All();
    const bool marked = std::any_of(notes.begin(), notes.end(), [](const ChordNote& n) { return n.marked; });
    // Most chords have no accidental: then no table is set up (a caller's table is).
    if (table == nullptr && !marked) return ChordColumns{};
    AccidentalColumnTable scratch;
    AccidentalColumnTable& columns = table != nullptr ? *table : scratch;
    ColumnFitter fitter(document, columns);
    if (!marked) return ChordColumns{};
    if ((notes.front().event->flags & kEventStemFlag) != 0)
        PlaceStemUp(fitter, notes);
    else
        PlaceStemDown(fitter, notes);
    for (ChordNote& n : notes) fitter.Place(n);
    ChordColumns result = fitter.Result();
    result.unplaced = static_cast<int>(
        std::count_if(notes.begin(), notes.end(), [](const ChordNote& n) { return n.marked; }));
    return result;
}

}  // namespace ql
