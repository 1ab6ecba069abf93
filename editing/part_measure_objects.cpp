// Measure objects offered across staves to a part's first staff. A text line is
// offered when it is a repeat symbol (a single glyph 37, 226, 227 or 228: the
// fixed symbols of the text tool) or carries frame bits (a rehearsal mark); a
// dynamic when it plays on all staves (destination 1), or on a group (2, 4, 7) and
// the offering staff shares a brace or bracket group with the part's first staff;
// tempo marks, chord symbols and repeat endings always. The part's cell takes an
// offered object only when it holds no equal one: a text line with that glyph or
// those frame bits, a dynamic with that glyph, a tempo mark with that glyph and
// tempo, a chord symbol of that name, any repeat ending. Taken objects are cloned
// by the cell copy's object clone and appended to the cell's object list.
#include "editing/part_measure_objects.h"

#include <algorithm>
#include <iterator>
#include <vector>

#include "core/constants.h"
#include "core/model/document.h"
#include "core/model/events.h"
#include "core/model/grid.h"
#include "core/model/object_list.h"
#include "core/model/score_document.h"
#include "core/objects/midi_action.h"
#include "core/objects/score_object.h"
#include "core/text/text_object.h"
#include "editing/cell_copy.h"
#include "editing/document_switch.h"
#include "objects/chord/chord_class.h"
#include "objects/chord/chord_symbol.h"
#include "objects/text_marks/text_line.h"
#include "staves/staff_group_bits.h"

namespace ql {
namespace {

// The glyph of a single-symbol text line (its character), else 0.
uint16_t SymbolGlyph(const ScoreObject* object) {
    const TextObjectBody& body = AsTextObject(object)->body;
    return (body.flags & kTextOwnsString) != 0 ? 0 : body.string;
}

uint16_t FrameBits(const ScoreObject* object) { return AsTextObject(object)->body.flags & kTextFrameMask; }

bool IsRepeatSymbol(uint16_t glyph) {
    return std::find(std::begin(kFixedSymbolCodes), std::end(kFixedSymbolCodes), glyph) != std::end(kFixedSymbolCodes);
}

// Dynamics' destinations: all staves, and the ones that play on a group.
constexpr uint8_t kAllStavesDestination = 1;
constexpr uint8_t kGroupDestinations[] = {2, 4, 7};

uint8_t DestinationOf(ScoreObject* object) {
    return MidiActionOfText(object)->destinationTiming & kMidiDestinationMask;
}

bool IsDynamicOffered(ScoreObject* object, bool sharesGroup) {
    const uint8_t destination = DestinationOf(object);
    if (destination == kAllStavesDestination) return true;
    return sharesGroup && std::find(std::begin(kGroupDestinations), std::end(kGroupDestinations), destination) !=
                              std::end(kGroupDestinations);
}

// `sharesGroup`: the offering staff is in a brace or bracket group with the
// part's first staff.
bool IsOffered(ScoreObject* object, bool sharesGroup) {
    switch (static_cast<ObjectType>(object->type)) {
    case ObjectType::RepeatEnding:
    case ObjectType::Tempo:
    case ObjectType::Chord: return true;
    case ObjectType::Dynamic: return IsDynamicOffered(object, sharesGroup);
    case ObjectType::Text: return IsRepeatSymbol(SymbolGlyph(object)) || FrameBits(object) != 0;
    default: return false;
    }
}

bool SameGlyph(const ScoreObject* a, const ScoreObject* b) {
    const uint16_t glyph = SymbolGlyph(a);
    return glyph != 0 && SymbolGlyph(b) == glyph;
}

int16_t TempoOf(ScoreObject* object) {
    const MidiAction& action = *MidiActionOfText(object);
    return IsDataCarrying(action) ? 0 : action.head.values.value;
}

// Two objects of one type count as equal for the part's cell.
bool IsEqualMark(ScoreObject* offered, ScoreObject* held) {
    switch (static_cast<ObjectType>(offered->type)) {
    case ObjectType::RepeatEnding: return true;
    case ObjectType::Dynamic: return SameGlyph(offered, held);
    case ObjectType::Tempo: return SameGlyph(offered, held) && TempoOf(offered) == TempoOf(held);
    case ObjectType::Chord:
        return BuildChordName(AsChordSymbol(offered)->chord) == BuildChordName(AsChordSymbol(held)->chord);
    default:
        if (IsRepeatSymbol(SymbolGlyph(offered)) && SameGlyph(offered, held)) return true;
        return FrameBits(offered) != 0 && FrameBits(held) == FrameBits(offered);
    }
}

// The part's cell holds an equal mark already.
bool IsThereAlready(ScoreObject* offered, const ScoreObject* list) {
    ScoreObject* object = list->next.get();
    for (int n = 0; object != nullptr && n < kMaxChainLength; ++n, object = object->next.get())
        if (object->type == offered->type && IsEqualMark(offered, object)) return true;
    return false;
}

// The number of the group of this kind that holds the staff, counting the
// score's groups from staff 1 down; 0 when the staff is in none. Source pools.
int GroupNumberOf(ScoreDocument* document, int staff, GroupKind kind) {
    int number = 0;
    int current = 0;
    for (int t = 1; t <= staff; ++t) {
        const StaffRecord* record = StaffRecordOf(document, t);
        if (record == nullptr || !IsInGroup(*record, kind)) {
            current = 0;
            continue;
        }
        if (current == 0 || !JoinsStaffAbove(*record, kind)) current = ++number;
    }
    return current;
}

bool SharesGroup(ScoreDocument* document, int staff, int other) {
    for (GroupKind kind : {GroupKind::Brace, GroupKind::Bracket}) {
        const int number = GroupNumberOf(document, staff, kind);
        if (number != 0 && number == GroupNumberOf(document, other, kind)) return true;
    }
    return false;
}

ScoreObject* ListTail(ScoreObject* list) {
    for (int n = 0; list->next && n < kMaxChainLength; ++n) list = list->next.get();
    return list;
}

// The objects of one source cell offered to the part's cell; the count not copied.
int OfferCell(const CellCopySides& sides, MeasureCell* source, MeasureCell* dest, bool sharesGroup) {
    ScoreObject* head = source->objects.get();
    if (head == nullptr) return 0;
    ScopedDocumentSwitch switcher(sides.from, sides.fromSet, sides.to, sides.toSet);
    switcher.ToDestination();
    ScoreObject* list = nullptr;
    int failed = 0;
    ScoreObject* object = head->next.get();
    for (int n = 0; object != nullptr && n < kMaxChainLength; ++n, object = object->next.get()) {
        if (!IsOffered(object, sharesGroup)) continue;
        if (list == nullptr) list = GetOrCreateCellObjectList(dest);
        if (list == nullptr) return failed + 1;
        if (IsThereAlready(object, list)) continue;
        ScoreObject* clone = CloneObjectBetween(sides, object);
        if (clone == nullptr) {
            ++failed;
            continue;
        }
        InsertObjectAfter(ListTail(list), clone);
    }
    return failed;
}

}  // namespace

int OfferMeasureObjectsToPart(ScoreView* sourceView, ScoreView* partView, int firstStaff, int lastMeasure) {
    ScoreDocument* source = sourceView->document;
    ScoreDocument* part = partView->document;
    const CellCopySides sides{source, part, source->pools, part->pools, partView, 0};
    StaffRecord* partStaff = StaffRecordOf(part, 1);
    if (partStaff == nullptr) return 0;
    const int lastStaff = std::min<int>(firstStaff, source->header.staffCount);
    std::vector<bool> sharesGroup(static_cast<size_t>(lastStaff) + 1, false);
    {
        ScopedPoolSet pools(source->pools);
        for (int s = 1; s <= lastStaff; ++s) sharesGroup[static_cast<size_t>(s)] = SharesGroup(source, s, firstStaff);
    }
    int failed = 0;
    for (int m = 1; m <= lastMeasure; ++m) {
        MeasureCell* dest = nullptr;
        {
            ScopedPoolSet pools(part->pools);
            dest = GetOrCreateMeasureCell(partStaff, part, m);
        }
        for (int s = 1; s <= lastStaff && dest != nullptr; ++s) {
            MeasureCell* from = nullptr;
            {
                ScopedPoolSet pools(source->pools);
                from = GetOrCreateMeasureCell(StaffRecordOf(source, s), source, m);
            }
            if (from != nullptr) failed += OfferCell(sides, from, dest, sharesGroup[static_cast<size_t>(s)]);
        }
    }
    return failed;
}

}  // namespace ql
