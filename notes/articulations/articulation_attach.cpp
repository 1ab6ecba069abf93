// Attaching articulation marks to notes (see articulation_attach.h).
#include "notes/articulations/articulation_attach.h"

#include <cstddef>
#include <cstring>

#include "core/constants.h"
#include "core/memory/pool.h"
#include "core/model/object_list.h"
#include "core/objects/class_table.h"
#include "core/objects/score_object.h"
#include "core/text/text_object.h"
#include "notes/drawing/note_fields.h"

namespace ql {

bool IsArticulationEntry(ArticulationPalette palette, int entry) {
    const int entries = palette == ArticulationPalette::Accents ? kAccentEntries : kOrnamentEntries;
    return entry >= 0 && entry < entries;
}

namespace {

// A fresh NoteArticulation from the class table, or null.
ScoreObject* NewArticulationObject(void*& record, int& pool) {
    const ObjectTypeEntry type = FindObjectType(TypeCode(ObjectType::NoteArticulation));
    if (type.construct == nullptr) return nullptr;
    pool = type.pool;
    record = AllocRecord(pool);
    if (record == nullptr) return nullptr;
    auto* object =
        reinterpret_cast<ScoreObject*>(static_cast<std::byte*>(record) + type.objectOffset);
    type.construct(object);
    object->subtype = SubtypeCode(ObjectSubtype::NoteAttachment);
    return object;
}

}  // namespace

int ArticulationGlyphOf(ArticulationPalette palette, int entry) {
    return (palette == ArticulationPalette::Accents ? kAccentGlyphBase : kOrnamentGlyphBase) +
           entry;
}

ScoreObject* AttachArticulationObject(ScoreView* view, EventRecord* note, int glyph) {
    if (note == nullptr) return nullptr;
    void* record = nullptr;
    int pool = 0;
    ScoreObject* object = NewArticulationObject(record, pool);
    if (object == nullptr) return nullptr;
    AsTextObject(object)->body.string = static_cast<uint16_t>(glyph);
    if (AttachObjectToNote(view, note, object) == 0) {
        FreeRecord(pool, record);
        return nullptr;
    }
    return object;
}

AttachedArticulation AttachArticulation(ScoreView* view, EventRecord* note,
                                        ArticulationPalette palette, int entry) {
    AttachedArticulation result;
    if (note == nullptr || !IsArticulationEntry(palette, entry)) return result;
    if (palette == ArticulationPalette::Accents &&
        (entry == kLegatoEntry || entry == kStaccatoEntry)) {
        note->word2 = static_cast<uint16_t>(note->word2 |
                                            (entry == kLegatoEntry ? kNoteLegato : kNoteStaccato));
        result.changed = true;
        return result;
    }
    result.object = AttachArticulationObject(view, note, ArticulationGlyphOf(palette, entry));
    result.changed = result.object != nullptr;
    return result;
}

}  // namespace ql
