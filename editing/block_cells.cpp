// The cell copy of the block operations: voices, rests and measure objects of one
// staff's measure copied into another cell, possibly of another document. Handles
// of the source resolve in the source's pools, new records come from the
// destination's (a scoped switch of the current pool set for each side).
#include <cstring>
#include <unordered_map>
#include <vector>

#include "core/model/document.h"
#include "core/model/events.h"
#include "core/model/grid.h"
#include "core/model/object_list.h"
#include "core/model/score_document.h"
#include "core/objects/class_table.h"
#include "core/objects/score_object.h"
#include "editing/block_edit.h"

namespace ql {
namespace {

constexpr int kVoices = 4;
// The cell's bytes before its voice handles: clef and key, counts, hide bits and
// the time signature.
constexpr size_t kCellSignatureBytes = 8;
constexpr int kMaxListWalk = 32 * 1024;

bool VoiceSelected(uint8_t mask, int voice) {
    return mask == 0 || (mask & (1u << voice)) != 0;
}

// The events of a source voice in chain order, with their handles in the source.
struct SourceChain {
    std::vector<const EventRecord*> events;
    std::vector<RecordHandle> handles;
};

SourceChain ReadSourceChain(const BlockCellCopy& copy, MeasureCell* source, int voice) {
    ScopedPoolSet from(copy.from->pools);
    SourceChain chain;
    EventRecord* event = GetVoiceFirstEvent(source, voice);
    for (int i = 0; event != nullptr && i < kMaxChainLength; ++i, event = NextEvent(event)) {
        chain.events.push_back(event);
        chain.handles.push_back(HandleOfEvent(event));
    }
    return chain;
}

// The beam partners of the copies: each source link is looked up among the chain's
// handles and replaced by the handle of that event's copy; a link that leaves the
// chain is cleared.
void TranslateBeamLinks(const SourceChain& chain, const std::vector<EventRecord*>& copies) {
    std::unordered_map<uint16_t, RecordHandle> table;
    table.reserve(chain.handles.size());
    for (size_t i = 0; i < copies.size(); ++i) table[chain.handles[i].bits] = HandleOfEvent(copies[i]);
    auto translate = [&table](RecordHandle link) {
        if (!link) return RecordHandle{};
        const auto found = table.find(link.bits);
        return found != table.end() ? found->second : RecordHandle{};
    };
    for (size_t i = 0; i < copies.size(); ++i) {
        copies[i]->beamPrev = translate(chain.events[i]->beamPrev);
        copies[i]->beamNext = translate(chain.events[i]->beamNext);
    }
}

int CopyVoiceEvents(const BlockCellCopy& copy, MeasureCell* source, MeasureCell* dest, int voice) {
    const SourceChain chain = ReadSourceChain(copy, source, voice);
    if (chain.events.empty()) return 1;
    ScopedPoolSet to(copy.to->pools);
    EventRecord* last = GetOrCreateVoiceChain(dest, copy.to, voice);
    if (!HandleOfEvent(last)) return 0;
    std::vector<EventRecord*> copies;
    copies.reserve(chain.events.size());
    for (const EventRecord* event : chain.events) {
        EventRecord* made = CloneEvent(event, copy.view, copy.from->pools, copy.to->pools);
        if (made == nullptr) break;
        InsertEventAfter(last, copy.to, made);
        copies.push_back(made);
        last = made;
    }
    TranslateBeamLinks(chain, copies);
    return copies.size() == chain.events.size() ? 1 : 0;
}

// Clones the chain of objects after `first` (inclusive) in the source behind
// `anchor` in the destination.
int CloneObjectChain(const BlockCellCopy& copy, ScoreObject* first, ScoreObject* anchor) {
    ScoreObject* last = anchor;
    for (int i = 0; last != nullptr && last->next && i < kMaxListWalk; ++i) last = last->next.get();
    ScoreObject* object = first;
    for (int i = 0; object != nullptr && i < kMaxListWalk; ++i, object = object->next.get()) {
        ScoreObject* clone = ClassOf(object).Clone(object, copy.view, copy.from->pools, copy.to->pools);
        if (clone == nullptr) return 0;
        clone->prev = clone->next = Ref32<ScoreObject>{};
        InsertObjectAfter(last, clone);
        last = clone;
    }
    return 1;
}

int CopyVoiceRests(const BlockCellCopy& copy, MeasureCell* source, MeasureCell* dest, int voice) {
    ScoreObject* first;
    {
        ScopedPoolSet from(copy.from->pools);
        first = GetVoiceFirstElement(source, voice);
    }
    if (first == nullptr) return 1;
    ScopedPoolSet to(copy.to->pools);
    ScoreObject* list = GetOrCreateVoiceElementList(dest, voice);
    return list != nullptr ? CloneObjectChain(copy, first, list) : 0;
}

bool VoiceHasContent(ScoreDocument* document, MeasureCell* cell, int voice) {
    ScopedPoolSet pools(document->pools);
    return IsVoiceEmpty(cell, voice) == 0;
}

// Frees the events and rests of one voice; the voice's head and list stay.
void EmptyVoice(ScoreDocument* document, MeasureCell* cell, int voice) {
    ScopedPoolSet pools(document->pools);
    if (EventRecord* head = GetVoiceHead(cell, voice); head != nullptr && head->next) FreeEventChain(head);
    if (ScoreObject* list = GetVoiceElementList(cell, voice)) ReleaseObjectChain(list, document);
}

}  // namespace

int CopyCellVoices(const BlockCellCopy& copy, MeasureCell* source, MeasureCell* dest) {
    if (copy.from == nullptr || copy.to == nullptr || source == nullptr || dest == nullptr) return 0;
    int ok = 1;
    for (int voice = 0; voice < kVoices && ok; ++voice) {
        if (!VoiceSelected(copy.voiceMask, voice) || VoiceHasContent(copy.to, dest, voice)) continue;
        ok = CopyVoiceEvents(copy, source, dest, voice) && CopyVoiceRests(copy, source, dest, voice);
    }
    return ok;
}

int CopyCellObjects(const BlockCellCopy& copy, MeasureCell* source, MeasureCell* dest) {
    if (copy.from == nullptr || copy.to == nullptr || source == nullptr || dest == nullptr) return 0;
    ScoreObject* head = source->objects.get();
    ScoreObject* first = head != nullptr ? head->next.get() : nullptr;
    if (first == nullptr) return 1;
    ScopedPoolSet to(copy.to->pools);
    ScoreObject* list = GetOrCreateCellObjectList(dest);
    if (list == nullptr || !CloneObjectChain(copy, first, list)) return 0;
    RecountCellClefChanges(dest);
    RecountCellKeyChanges(dest);
    return 1;
}

int ReplaceCellContents(const BlockCellCopy& copy, MeasureCell* source, MeasureCell* dest) {
    if (copy.from == nullptr || copy.to == nullptr || source == nullptr || dest == nullptr) return 0;
    for (int voice = 0; voice < kVoices; ++voice)
        if (VoiceSelected(copy.voiceMask, voice)) EmptyVoice(copy.to, dest, voice);
    if (copy.voiceMask != 0) return CopyCellVoices(copy, source, dest);
    {
        ScopedPoolSet to(copy.to->pools);
        if (ScoreObject* list = dest->objects.get()) ReleaseObjectChain(list, copy.to);
    }
    std::memcpy(dest, source, kCellSignatureBytes);
    return CopyCellVoices(copy, source, dest) && CopyCellObjects(copy, source, dest);
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
