// One cell copied between documents. Each voice's events are cloned in chain
// order into the destination's pools and linked after its head; the beam links of
// the copies are then remapped through a table of source handle -> copy handle,
// numbered in one walk of the chain (sized to the chain). The voice's rests and
// the cell's objects are cloned by their classes. Reading happens with the source
// current, allocating and linking with the destination current: one scope switches
// between them and restores the caller's on every path.
#include "editing/cell_copy.h"

#include <utility>
#include <vector>

#include "core/model/events.h"
#include "core/model/grid.h"
#include "core/model/object_list.h"
#include "core/model/score_document.h"
#include "core/objects/class_table.h"
#include "core/state.h"
#include "editing/document_switch.h"

namespace ql {
namespace {


bool IsVoiceAllowed(uint8_t mask, int voice) {
    if (mask != 0 && (mask & (1u << voice)) == 0) return false;
    const LocateGlobals& flags = State().locate;
    return flags.VoiceFilterMode == 1 || flags.VoiceFilterMask == 0 || (flags.VoiceFilterMask & (1u << voice)) != 0;
}

struct CopiedEvent {
    RecordHandle source;
    RecordHandle sourceBeamPrev;
    RecordHandle sourceBeamNext;
    EventRecord* copy;
};

RecordHandle Translated(const std::vector<CopiedEvent>& table, const std::vector<RecordHandle>& copies,
                        RecordHandle source) {
    if (!source) return RecordHandle{};
    for (size_t i = 0; i < table.size(); ++i)
        if (table[i].source == source) return copies[i];
    return RecordHandle{};
}

// The events of one voice, then their beam links; false when a record failed.
bool CopyVoiceEvents(ScopedDocumentSwitch& sides, PoolSet from, PoolSet to, MeasureCell* sourceCell,
                     MeasureCell* destinationCell, ScoreDocument* destination, int voice, ScoreView* view) {
    sides.ToSource();
    if (GetVoiceFirstEvent(sourceCell, voice) == nullptr) return true;
    sides.ToDestination();
    GetOrCreateVoiceChain(destinationCell, destination, voice);
    // Only the cell's own head: a head that could not be made is the document's
    // shared sentinel, which must never take a chain.
    EventRecord* head = GetVoiceHead(destinationCell, voice);
    if (head == nullptr || destinationCell->voices[voice] == destination->headSentinel) return false;
    if (head->next) return true;  // a voice with notes is kept
    sides.ToSource();
    std::vector<CopiedEvent> table;
    for (EventRecord* e = GetVoiceFirstEvent(sourceCell, voice);
         e != nullptr && static_cast<int>(table.size()) < kMaxChainLength; e = NextEvent(e))
        table.push_back(CopiedEvent{HandleOfEvent(e), e->beamPrev, e->beamNext, e});
    EventRecord* last = head;
    std::vector<RecordHandle> copies;
    copies.reserve(table.size());
    bool complete = true;
    for (CopiedEvent& entry : table) {
        sides.ToSource();
        EventRecord* copy = CloneEvent(entry.copy, view, from, to);
        sides.ToDestination();
        if (copy == nullptr) {
            complete = false;
            break;
        }
        last = InsertEventAfter(last, destination, copy);
        entry.copy = copy;
        copies.push_back(HandleOfEvent(copy));
    }
    table.resize(copies.size());
    for (const CopiedEvent& entry : table) {
        entry.copy->beamPrev = Translated(table, copies, entry.sourceBeamPrev);
        entry.copy->beamNext = Translated(table, copies, entry.sourceBeamNext);
    }
    return complete;
}

// Clones the objects after `first` (inclusive) onto the end of the list at `tail`.
bool CloneObjectsAfter(ScopedDocumentSwitch& sides, ScoreObject* first, ScoreObject* tail, PoolSet from,
                       PoolSet to, ScoreView* view, CellCopyOutcome& outcome) {
    for (int n = 0; tail != nullptr && tail->next && n < kMaxChainLength; ++n) tail = tail->next.get();
    for (int n = 0; first != nullptr && tail != nullptr && n < kMaxChainLength; ++n, first = first->next.get()) {
        sides.ToSource();
        ScoreObject* clone = ClassOf(first).Clone(first, view, from, to);
        sides.ToDestination();
        if (clone == nullptr) {
            // provisional: a class without its own copy (the MIDI event object's
            // among them, until it lands) is left out of the copy and counted.
            ++outcome.uncloned;
            continue;
        }
        InsertObjectAfter(tail, clone);
        tail = clone;
    }
    return tail != nullptr;
}

}  // namespace

int CopyCellBetweenDocuments(ScoreDocument* source, ScoreDocument* destination, PoolSet sourceSet,
                             PoolSet destinationSet, MeasureCell* sourceCell, MeasureCell* destinationCell,
                             uint8_t voiceMask, ScoreView* view, CellCopyOutcome* outcome) {
    CellCopyOutcome local;
    CellCopyOutcome& out = outcome != nullptr ? *outcome : local;
    out.ok = 0;
    if (source == nullptr || destination == nullptr || sourceCell == nullptr || destinationCell == nullptr) return 0;
    ScopedDocumentSwitch sides(source, sourceSet, destination, destinationSet);
    for (int voice = 0; voice < kVoiceCount; ++voice) {
        if (!IsVoiceAllowed(voiceMask, voice)) continue;
        if (!CopyVoiceEvents(sides, sourceSet, destinationSet, sourceCell, destinationCell, destination, voice,
                             view))
            return 0;
        sides.ToSource();
        ScoreObject* rests = GetVoiceFirstElement(sourceCell, voice);
        if (rests == nullptr) continue;
        sides.ToDestination();
        ScoreObject* list = GetOrCreateVoiceElementList(destinationCell, voice);
        if (list == nullptr || !CloneObjectsAfter(sides, rests, list, sourceSet, destinationSet, view, out))
            return 0;
    }
    sides.ToSource();
    ScoreObject* sourceList = sourceCell->objects.get();
    ScoreObject* first = sourceList != nullptr ? sourceList->next.get() : nullptr;
    if (first != nullptr) {
        sides.ToDestination();
        ScoreObject* list = GetOrCreateCellObjectList(destinationCell);
        if (list == nullptr || !CloneObjectsAfter(sides, first, list, sourceSet, destinationSet, view, out)) return 0;
    }
    out.ok = 1;
    return 1;
}

}  // namespace ql
