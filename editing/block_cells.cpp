// The block operations' cell edits: a destination cell emptied and made the
// source cell (the block paste), and a measure record taken over. The copy itself
// is the one cell copy of editing/cell_copy.h.
#include <cstring>

#include "core/model/document.h"
#include "core/model/events.h"
#include "core/model/grid.h"
#include "core/model/object_list.h"
#include "core/model/score_document.h"
#include "core/objects/score_object.h"
#include "editing/block_edit.h"
#include "editing/cell_copy.h"

namespace ql {
namespace {

constexpr int kVoices = 4;
// The cell's bytes before its voice handles: clef and key, counts, hide bits and
// the time signature.
constexpr size_t kCellSignatureBytes = 8;

bool VoiceSelected(uint8_t mask, int voice) {
    return mask == 0 || (mask & (1u << voice)) != 0;
}

CellCopySides SidesOf(const BlockCellCopy& copy) {
    return CellCopySides{copy.from, copy.to, copy.from->pools, copy.to->pools, copy.view, copy.voiceMask};
}

// Frees the events and rests of one voice; the voice's head and list stay.
void EmptyVoice(ScoreDocument* document, MeasureCell* cell, int voice) {
    ScopedPoolSet pools(document->pools);
    if (EventRecord* head = GetVoiceHead(cell, voice); head != nullptr && head->next) FreeEventChain(head);
    if (ScoreObject* list = GetVoiceElementList(cell, voice)) ReleaseObjectChain(list, document);
}

}  // namespace

int CopyCellVoices(const BlockCellCopy& copy, MeasureCell* source, MeasureCell* dest) {
    if (copy.from == nullptr || copy.to == nullptr) return 0;
    return CopyCellVoicesBetween(SidesOf(copy), source, dest);
}

int CopyCellObjects(const BlockCellCopy& copy, MeasureCell* source, MeasureCell* dest) {
    if (copy.from == nullptr || copy.to == nullptr) return 0;
    return CopyCellObjectsBetween(SidesOf(copy), source, dest);
}

int ReplaceCellContents(const BlockCellCopy& copy, MeasureCell* source, MeasureCell* dest) {
    if (copy.from == nullptr || copy.to == nullptr || source == nullptr || dest == nullptr) return 0;
    if (source == dest) return 1;  // a cell pasted onto itself is what it was
    for (int voice = 0; voice < kVoices; ++voice)
        if (VoiceSelected(copy.voiceMask, voice)) EmptyVoice(copy.to, dest, voice);
    if (copy.voiceMask != 0) return CopyCellVoices(copy, source, dest);
    {
        ScopedPoolSet to(copy.to->pools);
        if (ScoreObject* list = dest->objects.get()) ReleaseObjectChain(list, copy.to);
    }
    std::memcpy(dest, source, kCellSignatureBytes);
    return CopyCellContentsBetween(SidesOf(copy), source, dest);
}

void CopyMeasureRecordKeepingNumber(MeasureRecord* dest, const MeasureRecord& source) {
    if (dest == nullptr || dest == &source) return;
    MeasureRecord made = source;
    made.number = dest->number;
    made.numberFlags = dest->numberFlags;
    made.spacing = dest->spacing;
    made.width = dest->width;
    made.lead = dest->lead;
    made.trail = dest->trail;
    made.layoutData14 = dest->layoutData14;
    made.extra = dest->extra;
    made.layoutData17 = dest->layoutData17;
    made.stretch = dest->stretch;
    *dest = made;
}

}  // namespace ql
