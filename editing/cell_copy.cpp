// One cell copied, within a document or between two. Each voice's events are read
// in chain order with the source current (at most a chain's length), cloned into
// the destination's pools and linked after its own head; the copies' beam links are
// then translated through a table of source handle -> copy handle built from that
// one walk, so a link that leaves the chain is cleared. The voice's rests and the
// cell's objects are cloned by their classes. One scope switches the current pool
// set and document between the two sides and restores the caller's on every path.
#include "editing/cell_copy.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <string>
#include <unordered_map>
#include <vector>

#include "core/model/events.h"
#include "core/model/grid.h"
#include "core/model/object_list.h"
#include "core/model/score_document.h"
#include "core/constants.h"
#include "core/draw/fonts.h"
#include "core/objects/class_table.h"
#include "core/state.h"
#include "core/text/text_object.h"
#include "display/view_location.h"
#include "editing/document_switch.h"
#include "notes/stems/stems.h"
#include "objects/object_services.h"
#include "objects/text_box/text_box.h"

namespace ql {
namespace {

constexpr uint8_t kAllVoices = 0x0F;

bool IsVoiceSelected(uint8_t mask, int voice) { return mask == 0 || (mask & (1u << voice)) != 0; }
// A mask as the voices it selects, 0 read as all four.
uint8_t AsVoiceBits(uint8_t mask) { return mask == 0 ? kAllVoices : static_cast<uint8_t>(mask & kAllVoices); }

// The voices the program's voice filter lets through: all when its mode is 1 or
// its mask is empty.
uint8_t VoiceFilterMask() {
    const LocateGlobals& flags = State().locate;
    if (flags.VoiceFilterMode == 1 || flags.VoiceFilterMask == 0) return 0;
    return static_cast<uint8_t>(flags.VoiceFilterMask);
}

// The events of a source voice in chain order, with their handles and beam links
// as they stand in the source.
struct SourceEvent {
    const EventRecord* event;
    RecordHandle handle;
    RecordHandle beamPrev;
    RecordHandle beamNext;
};

std::vector<SourceEvent> ReadSourceChain(MeasureCell* source, int voice) {
    std::vector<SourceEvent> chain;
    EventRecord* event = GetVoiceFirstEvent(source, voice);
    for (int i = 0; event != nullptr && i < kMaxChainLength; ++i, event = NextEvent(event))
        chain.push_back(SourceEvent{event, HandleOfEvent(event), event->beamPrev, event->beamNext});
    return chain;
}

void TranslateBeamLinks(const std::vector<SourceEvent>& chain, const std::vector<EventRecord*>& copies) {
    std::unordered_map<uint16_t, RecordHandle> table;
    table.reserve(copies.size());
    for (size_t i = 0; i < copies.size(); ++i) table[chain[i].handle.bits] = HandleOfEvent(copies[i]);
    auto translate = [&table](RecordHandle link) {
        if (!link) return RecordHandle{};
        const auto found = table.find(link.bits);
        return found != table.end() ? found->second : RecordHandle{};
    };
    for (size_t i = 0; i < copies.size(); ++i) {
        copies[i]->beamPrev = translate(chain[i].beamPrev);
        copies[i]->beamNext = translate(chain[i].beamNext);
    }
}

// The destination voice's own head, made when missing; null when only the
// document's shared sentinel could be had, which must never take a chain.
EventRecord* OwnVoiceHead(MeasureCell* dest, ScoreDocument* document, int voice) {
    GetOrCreateVoiceChain(dest, document, voice);
    EventRecord* head = GetVoiceHead(dest, voice);
    if (head != nullptr && dest->voices[voice] != document->headSentinel) return head;
    if (dest->voices[voice] == document->headSentinel) dest->voices[voice] = RecordHandle{};
    return nullptr;
}

// The text-family objects whose own font names a face of the document's table.
bool NamesOwnFace(const ScoreObject* object) {
    return dynamic_cast<const TextObjectClass*>(&ClassOf(object)) != nullptr &&
           (AsTextObject(object)->body.flags & kTextOwnFont) != 0;
}

// A clone into another document names its own font's face by the destination's
// table: the face of the source's table is looked up there, and added when missing.
void TakeFaceIntoDestination(const FaceNameEntry* fromFaces, ScoreDocument* to, const ScoreObject* original,
                             ScoreObject* clone) {
    if (!NamesOwnFace(clone)) return;
    const FaceNameEntry& face = fromFaces[TextFaceIndexOf(AsTextObject(original)->body.style)];
    const int index = FindFaceNameIndex(to, std::string(face.name, strnlen(face.name, kFaceNameChars)).c_str());
    AsTextObject(clone)->body.style = static_cast<uint8_t>(index >= 0 ? index : kFallbackFaceIndex);
}

void TakeFaceIntoDestination(const CellCopySides& sides, const ScoreObject* original, ScoreObject* clone) {
    if (sides.from != sides.to) TakeFaceIntoDestination(sides.from->faceNames, sides.to, original, clone);
}

void TakeAttachmentFaces(const CellCopySides& sides, const EventRecord* original, const EventRecord* copy) {
    if (sides.from != sides.to) TakeAttachmentFacesFrom(sides.from->faceNames, sides.to, sides.fromSet, original, copy);
}

}  // namespace

void TakeAttachmentFacesFrom(const FaceNameEntry* fromFaces, ScoreDocument* to, PoolSet fromSet,
                             const EventRecord* original, const EventRecord* copy) {
    const ScoreObject* from;
    {
        ScopedPoolSet reading(fromSet);
        from = GetEventAttachment(original);
    }
    ScoreObject* made = GetEventAttachment(copy);
    for (int i = 0; from != nullptr && made != nullptr && i < kMaxChainLength; ++i) {
        TakeFaceIntoDestination(fromFaces, to, from, made);
        from = from->next.get();
        made = made->next.get();
    }
}

namespace {

// Copies every event of the voice it can; false when one could not be copied
// whole (it is left out, the others are copied).
bool CopyVoiceEvents(ScopedDocumentSwitch& switcher, const CellCopySides& sides, MeasureCell* source,
                     MeasureCell* dest, int voice) {
    switcher.ToSource();
    const std::vector<SourceEvent> chain = ReadSourceChain(source, voice);
    if (chain.empty()) return true;
    switcher.ToDestination();
    EventRecord* last = OwnVoiceHead(dest, sides.to, voice);
    if (last == nullptr) return false;
    std::vector<SourceEvent> copied;
    std::vector<EventRecord*> copies;
    copies.reserve(chain.size());
    for (const SourceEvent& entry : chain) {
        switcher.ToSource();
        EventRecord* made = CloneEvent(entry.event, sides.view, sides.fromSet, sides.toSet);
        switcher.ToDestination();
        if (made == nullptr) continue;
        TakeAttachmentFaces(sides, entry.event, made);
        last = InsertEventAfter(last, sides.to, made);
        copied.push_back(entry);
        copies.push_back(made);
    }
    TranslateBeamLinks(copied, copies);
    return copies.size() == chain.size();
}

// The clone made with the source current, finished with the destination current.
ScoreObject* CloneWith(ScopedDocumentSwitch& switcher, const CellCopySides& sides, ScoreObject* object) {
    switcher.ToSource();
    ScoreObject* clone = ClassOf(object).Clone(object, sides.view, sides.fromSet, sides.toSet);
    switcher.ToDestination();
    if (clone == nullptr) return nullptr;
    TakeFaceIntoDestination(sides, object, clone);
    clone->prev = clone->next = Ref32<ScoreObject>{};
    return clone;
}

// What an object shows, as every copy of it shows the same: its kind and body, a
// text's string and its own face by name instead of the handles and caches each
// copy has of its own. Read with the document's pools current.
std::string ObjectContentKey(const ScoreDocument* document, ScoreObject* object) {
    std::string key{static_cast<char>(object->type), static_cast<char>(object->subtype)};
    const ScoreObjectClass& cls = ClassOf(object);
    if (dynamic_cast<const TextObjectClass*>(&cls) != nullptr) {
        TextObjectBody body = AsTextObject(object)->body;
        if ((body.flags & kTextOwnsString) != 0) {
            const char* text = TextObjectString(AsTextObject(object));
            key += text != nullptr ? text : "";
            body.string = 0;
        }
        if ((body.flags & kTextOwnFont) != 0) {
            const FaceNameEntry& face = document->faceNames[TextFaceIndexOf(body.style)];
            key.append(face.name, strnlen(face.name, kFaceNameChars));
            body.style = 0;
        }
        body.stringPool = 0;
        body.fontCache = body.bitmapCache = 0;
        key.push_back('\0');
        key.append(reinterpret_cast<const char*>(&body), sizeof body);
    } else if (object->type == TypeCode(ObjectType::TextBox) || object->type == TypeCode(ObjectType::Label)) {
        const char* text = GetTextBoxString(object);
        key += text != nullptr ? text : "";
        TextBoxBody body = AsTextBox(object)->body;
        body.style &= static_cast<uint16_t>(~kTextBoxPoolMask);
        body.string = 0;
        body.word24 = body.bitmapCache = 0;
        key.push_back('\0');
        key.append(reinterpret_cast<const char*>(&body), sizeof body);
    } else {
        key.append(reinterpret_cast<const char*>(cls.GetBody(object)), cls.GetBodySize(object));
    }
    return key;
}

// Clones the objects from `first` on (source side) onto the end of the list at
// `anchor` (destination side). Every kind of object has its own copy; one that
// cannot be had (no record, or a damaged object of no class) is left out and the
// result is false, the others are copied. An object `skip` (asked with the source
// current) tells apart is not copied.
bool CloneObjectChain(ScopedDocumentSwitch& switcher, const CellCopySides& sides, ScoreObject* first,
                      ScoreObject* anchor, const std::function<bool(ScoreObject*)>& skip = {}) {
    ScoreObject* last = anchor;
    for (int i = 0; last != nullptr && last->next && i < kMaxChainLength; ++i) last = last->next.get();
    bool whole = true;
    ScoreObject* object = first;
    for (int i = 0; object != nullptr && i < kMaxChainLength; ++i, object = object->next.get()) {
        switcher.ToSource();
        if (skip && skip(object)) continue;
        ScoreObject* clone = CloneWith(switcher, sides, object);
        if (clone == nullptr) {
            whole = false;
            continue;
        }
        InsertObjectAfter(last, clone);
        last = clone;
    }
    return whole;
}

bool CopyVoiceRests(ScopedDocumentSwitch& switcher, const CellCopySides& sides, MeasureCell* source,
                    MeasureCell* dest, int voice) {
    switcher.ToSource();
    ScoreObject* first = GetVoiceFirstElement(source, voice);
    if (first == nullptr) return true;
    switcher.ToDestination();
    ScoreObject* list = GetOrCreateVoiceElementList(dest, voice);
    return list != nullptr && CloneObjectChain(switcher, sides, first, list);
}

bool IsCopyLocked(const ScoreDocument& document) {
    return document.clearedFlags[0] != 0 || document.clearedFlags[1] != 0;
}

// Both sides present, and the destination not under its copy lock.
bool IsUsable(const CellCopySides& sides, MeasureCell* source, MeasureCell* dest) {
    return sides.from != nullptr && sides.to != nullptr && source != nullptr && dest != nullptr &&
           !IsCopyLocked(*sides.to);
}

}  // namespace

int CopyCellVoicesBetween(const CellCopySides& sides, MeasureCell* source, MeasureCell* dest) {
    if (!IsUsable(sides, source, dest)) return 0;
    ScopedDocumentSwitch switcher(sides.from, sides.fromSet, sides.to, sides.toSet);
    bool whole = true;
    for (int voice = 0; voice < kVoiceCount; ++voice) {
        if (!IsVoiceSelected(sides.voiceMask, voice)) continue;
        switcher.ToDestination();
        if (IsVoiceEmpty(dest, voice) == 0) continue;  // a voice with notes or rests is kept
        // A voice that cannot be copied whole does not keep the later voices out.
        const bool events = CopyVoiceEvents(switcher, sides, source, dest, voice);
        const bool rests = CopyVoiceRests(switcher, sides, source, dest, voice);
        whole = whole && events && rests;
    }
    return whole ? 1 : 0;
}

ScoreObject* CloneObjectBetween(const CellCopySides& sides, ScoreObject* object) {
    if (sides.from == nullptr || sides.to == nullptr || object == nullptr) return nullptr;
    ScopedDocumentSwitch switcher(sides.from, sides.fromSet, sides.to, sides.toSet);
    return CloneWith(switcher, sides, object);
}

int CopyObjectListBetween(const CellCopySides& sides, ScoreObject* sourceList, ScoreObject* destList) {
    if (sides.from == nullptr || sides.to == nullptr || destList == nullptr) return 0;
    ScoreObject* first = sourceList != nullptr ? sourceList->next.get() : nullptr;
    if (first == nullptr) return 1;
    ScopedDocumentSwitch switcher(sides.from, sides.fromSet, sides.to, sides.toSet);
    return CloneObjectChain(switcher, sides, first, destList) ? 1 : 0;
}

int CopyCellObjectsBetween(const CellCopySides& sides, MeasureCell* source, MeasureCell* dest) {
    if (!IsUsable(sides, source, dest)) return 0;
    ScoreObject* head = source->objects.get();
    if (head == nullptr || !head->next) return 1;
    ScopedDocumentSwitch switcher(sides.from, sides.fromSet, sides.to, sides.toSet);
    switcher.ToDestination();
    ScoreObject* list = GetOrCreateCellObjectList(dest);
    if (list == nullptr) return 0;
    // An object the destination already holds a copy of (the same measure copied
    // there again) is not copied a second time.
    std::vector<std::string> present;
    for (ScoreObject* o = list->next.get(); o != nullptr && present.size() < kMaxChainLength; o = o->next.get())
        present.push_back(ObjectContentKey(sides.to, o));
    const bool whole = CloneObjectChain(switcher, sides, head->next.get(), list, [&](ScoreObject* object) {
        const auto copy = std::find(present.begin(), present.end(), ObjectContentKey(sides.from, object));
        if (copy == present.end()) return false;
        present.erase(copy);
        return true;
    });
    RecountCellClefChanges(dest);
    RecountCellKeyChanges(dest);
    return whole ? 1 : 0;
}

int CopyCellContentsBetween(const CellCopySides& sides, MeasureCell* source, MeasureCell* dest) {
    // The objects are copied also when a voice could not be copied whole.
    const int voices = CopyCellVoicesBetween(sides, source, dest);
    const int objects = CopyCellObjectsBetween(sides, source, dest);
    return voices != 0 && objects != 0 ? 1 : 0;
}

int CopyCellBetweenDocuments(ScoreDocument* source, ScoreDocument* destination, PoolSet sourceSet,
                             PoolSet destinationSet, MeasureCell* sourceCell, MeasureCell* destinationCell,
                             uint8_t voiceMask, ScoreView* view) {
    const uint8_t allowed = static_cast<uint8_t>(AsVoiceBits(voiceMask) & AsVoiceBits(VoiceFilterMask()));
    const CellCopySides sides{source, destination, sourceSet, destinationSet, view, allowed};
    if (allowed == 0) return CopyCellObjectsBetween(sides, sourceCell, destinationCell);
    return CopyCellContentsBetween(sides, sourceCell, destinationCell);
}

void RebeamCopiedVoices(ScoreView* view, uint8_t mask, int staff, int measure) {
    if (view == nullptr || mask == 0) return;
    SetCurrentMeasure(view, staff, measure);
    if (view->currentCell == nullptr) return;
    for (int voice = 0; voice < kVoiceCount; ++voice) {
        if ((mask & (1u << voice)) == 0) continue;
        EventRecord* event = GetVoiceFirstEvent(view->currentCell, voice);
        for (int i = 0; event != nullptr && i < kMaxChainLength; ++i, event = NextEvent(event))
            if ((event->flags & kEventChordHead) != 0 && !event->beamPrev && !event->beamNext)
                AutoBeamNoteQuiet(view, event);
    }
}

}  // namespace ql
