// Measure objects offered across staves to a part's first staff. A text line is
// offered when it is a repeat symbol (a single glyph 37, 226, 227 or 228: the
// fixed symbols of the text tool) or carries frame bits (a rehearsal mark), and
// taken only when the part's cell has no text line with that glyph or those frame
// bits; a repeat ending is taken once per measure. Taken objects are cloned by the
// cell copy's object clone and appended to the cell's object list.
// Dynamics, tempo marks and chord symbols are not offered yet.
#include "editing/part_measure_objects.h"

#include <algorithm>
#include <iterator>

#include "core/constants.h"
#include "core/model/document.h"
#include "core/model/events.h"
#include "core/model/grid.h"
#include "core/model/object_list.h"
#include "core/model/score_document.h"
#include "core/objects/score_object.h"
#include "core/text/text_object.h"
#include "editing/cell_copy.h"
#include "editing/document_switch.h"
#include "objects/text_marks/text_line.h"

namespace ql {
namespace {

bool IsType(const ScoreObject* object, ObjectType type) { return object->type == TypeCode(type); }

// The glyph of a single-symbol text line (its character), else 0.
uint16_t SymbolGlyph(const ScoreObject* object) {
    const TextObjectBody& body = AsTextObject(object)->body;
    return (body.flags & kTextOwnsString) != 0 ? 0 : body.string;
}

uint16_t FrameBits(const ScoreObject* object) { return AsTextObject(object)->body.flags & kTextFrameMask; }

bool IsRepeatSymbol(uint16_t glyph) {
    return std::find(std::begin(kFixedSymbolCodes), std::end(kFixedSymbolCodes), glyph) != std::end(kFixedSymbolCodes);
}

bool IsOffered(const ScoreObject* object) {
    if (IsType(object, ObjectType::RepeatEnding)) return true;
    return IsType(object, ObjectType::Text) && (IsRepeatSymbol(SymbolGlyph(object)) || FrameBits(object) != 0);
}

// The part's cell holds an equal mark already.
bool IsThereAlready(const ScoreObject* offered, const ScoreObject* list) {
    const ScoreObject* object = list->next.get();
    for (int n = 0; object != nullptr && n < kMaxChainLength; ++n, object = object->next.get()) {
        if (object->type != offered->type) continue;
        if (IsType(offered, ObjectType::RepeatEnding)) return true;
        const uint16_t glyph = SymbolGlyph(offered);
        if (IsRepeatSymbol(glyph) && SymbolGlyph(object) == glyph) return true;
        if (FrameBits(offered) != 0 && FrameBits(object) == FrameBits(offered)) return true;
    }
    return false;
}

ScoreObject* ListTail(ScoreObject* list) {
    for (int n = 0; list->next && n < kMaxChainLength; ++n) list = list->next.get();
    return list;
}

// The objects of one source cell offered to the part's cell; the count not copied.
int OfferCell(const CellCopySides& sides, MeasureCell* source, MeasureCell* dest) {
    ScoreObject* head = source->objects.get();
    if (head == nullptr) return 0;
    ScopedDocumentSwitch switcher(sides.from, sides.fromSet, sides.to, sides.toSet);
    switcher.ToDestination();
    ScoreObject* list = nullptr;
    int failed = 0;
    ScoreObject* object = head->next.get();
    for (int n = 0; object != nullptr && n < kMaxChainLength; ++n, object = object->next.get()) {
        if (!IsOffered(object)) continue;
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
            if (from != nullptr) failed += OfferCell(sides, from, dest);
        }
    }
    return failed;
}

}  // namespace ql
