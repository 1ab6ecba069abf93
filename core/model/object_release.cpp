// Releasing score objects by type code: each type's clean-up, then its record goes
// back to the type's pool. Prototypes, codes above 53 and everything during shutdown
// are left alone; callers unlink an object before they release it. Without a document
// given, the active view's (else the current document) tells what is a prototype.
#include <cstddef>

#include "core/objects/class_table.h"
#include "core/objects/midi_action.h"
#include "core/model/object_list.h"
#include "core/memory/pool.h"
#include "core/model/score_document.h"
#include "core/objects/score_object.h"
#include "core/services/score_object_services.h"
#include "core/state.h"
#include "core/text/text_object.h"
#include "core/ui/selection_services.h"

namespace ql {

namespace {

constexpr int kMaxReleaseChain = 64 * 1024;

enum class Release : uint8_t {
    Nothing,
    Pool6,  // bare root objects and guide lines
    Pool8,
    Pool9,
    TextBox,       // text-box clean-up, pool 8
    MidiBody,      // MidiAction at the start of the body, pool 9
    AreaElement,   // static pool 1
    Text8,         // text clean-up, pool 8
    Text9,         // text clean-up, pool 9
    MidiOuter,     // text + MidiAction of the outer record, outer record to pool 9
    NotesHandler,  // its destructor; static pool 0 or pool 9
    Rest,          // the rest's destructor, pool 8
    Tuplet,        // tuplet clean-up, pool 9
    Picture,       // picture clean-up, pool 9
    Marquee,       // its own delete: static pool 1, or pool 8 for a prototype
};

Release ReleaseKindOf(uint8_t type) {
    switch (type) {
        case 0:
            return Release::Marquee;
        case 1:
        case 52:
            return Release::Pool6;
        case 4:
            return Release::Pool9;
        case 5:
        case 8:
        case 9:
        case 10:
        case 12:
        case 33:
        case 46:
            return Release::Pool8;
        case 6:
        case 28:
            return Release::TextBox;
        case 7:
            return Release::MidiBody;
        case 13:
        case 19:
        case 27:
            return Release::AreaElement;
        case 14:
        case 15:
        case 18:
        case 38:
        case 50:
            return Release::Text8;
        case 39:
        case 47:
        case 48:
        case 49:
            return Release::Text9;
        case 20:
        case 21:
        case 22:
        case 24:
        case 25:
        case 26:
            return Release::MidiOuter;
        case 29:
            return Release::NotesHandler;
        case 45:
            return Release::Rest;
        case 51:
            return Release::Tuplet;
        case 53:
            return Release::Picture;
        default:
            return Release::Nothing;
    }
}

// The text clean-up: the owned string and the cached fonts.
void DestroyTextObjectParts(ScoreObject* object) {
    DestroyTextObject(AsTextObject(object));
}

// The outer record that starts with a MidiAction right before the object.
void ReleaseMidiOuter(ScoreObject* object) {
    MidiTextRecord* outer = MidiTextRecordOfText(object);
    if (outer == nullptr) return;
    DestroyTextObjectParts(object);
    DestroyMidiAction(&outer->action);
    FreeRecord(kMidiTextRecordPool, outer);
}

bool IsPrototype(const ScoreDocument* document, const ScoreObject* object) {
    return object->type < kObjectTypeCount && document->prototypes[object->type] == object;
}

void ReleaseByKind(Release kind, ScoreObject* object) {
    switch (kind) {
        case Release::Nothing:
            return;
        case Release::Pool6:
            FreeRecord(kRootObjectPool, object);
            return;
        case Release::Pool8:
            FreeRecord(kTextObjectPool, object);
            return;
        case Release::Pool9:
            FreeRecord(kLargeObjectPool, object);
            return;
        case Release::TextBox:
            objects::DestroyTextBox(object);
            FreeRecord(kTextObjectPool, object);
            return;
        case Release::MidiBody:
            DestroyMidiAction(reinterpret_cast<MidiAction*>(object->BodyBytes()));
            FreeRecord(kLargeObjectPool, object);
            return;
        case Release::AreaElement:
            objects::FreeArea(object);
            return;
        case Release::Text8:
            DestroyTextObjectParts(object);
            FreeRecord(kTextObjectPool, object);
            return;
        case Release::Text9:
            DestroyTextObjectParts(object);
            FreeRecord(kLargeObjectPool, object);
            return;
        case Release::MidiOuter:
            ReleaseMidiOuter(object);
            return;
        case Release::NotesHandler:
            objects::DestroyNotesHandler(object);
            return;
        case Release::Rest:
            objects::DestroyRest(object);
            return;
        case Release::Tuplet:
            objects::DestroyTupletBody(object);
            FreeRecord(kLargeObjectPool, object);
            return;
        case Release::Picture:
            objects::DestroyPicture(object);
            FreeRecord(kLargeObjectPool, object);
            return;
        case Release::Marquee:
            DestroyMarquee(object);
            return;
    }
}

}  // namespace

void ReleaseObjectByType(ScoreDocument* document, ScoreObject* object) {
    if (State().program.ShutdownFlag || object == nullptr) return;
    if (document == nullptr) {
        // The active view's document, else the current one: a score read or laid out
        // with no window active has its pools current all the same.
        ScoreView* active = State().documents.ActiveView;
        document = active != nullptr ? active->document : nullptr;
        if (document == nullptr) document = State().documents.CurrentDocument;
        if (document == nullptr) return;
    }
    if (object->type > kLastObjectType || IsPrototype(document, object)) return;
    ReleaseByKind(ReleaseKindOf(object->type), object);
}

void ReleaseObject(ScoreObject* object) {
    ReleaseObjectByType(nullptr, object);
}

void ReleaseObjectChain(ScoreObject* head, ScoreDocument* document) {
    if (State().program.ShutdownFlag || head == nullptr) return;
    ScoreObject* member = head->next.get();
    for (int i = 0; member != nullptr && i < kMaxReleaseChain; ++i) {
        ScoreObject* next = member->next.get();
        member->next = Ref32<ScoreObject>{};
        ReleaseObjectByType(document, member);
        member = next;
    }
    head->next = Ref32<ScoreObject>{};
}

}  // namespace ql
