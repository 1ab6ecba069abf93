// The notes handler's class: placing a note with the Notes tool (one undoable edit
// around the entry), the drop of the pointer on a focused note, the slots that answer
// fixed values, and where handler records come from and go back to.
#include "notes/handler/notes_handler.h"

#include "core/constants.h"
#include "core/memory/pool.h"
#include "core/model/document.h"
#include "core/model/events.h"
#include "core/model/geometry.h"
#include "core/model/grid.h"
#include "core/model/score_document.h"
#include "core/objects/class_table.h"
#include "core/objects/handle_flags.h"
#include "core/objects/hit_record.h"
#include "core/objects/object_classes.h"
#include "core/objects/score_object.h"
#include "core/objects/selection_state.h"
#include "core/state.h"
#include "core/ui/command_letters.h"
#include "core/ui/selection_services.h"
#include "core/undo/undo.h"
#include "core/units/save_stacks.h"
#include "notes/drawing/note_redraw.h"
#include "notes/entry/note_delete.h"
#include "notes/entry/note_drag.h"
#include "notes/entry/note_duration.h"
#include "notes/entry/note_entry.h"
#include "notes/settings/note_settings_dialog.h"
#include "platform/win/keys.h"

namespace ql {

namespace {

constexpr uint8_t kNoteType = TypeCode(ObjectType::Note);
constexpr uint8_t kClearedFlagBits = 0xC0;  // flag-word bits 6 and 7
constexpr uint8_t kFirstHeadHandle = 3;     // handles 0-2 are the stem's
// What a note shows that the Note Settings change: flags bit 10, word2 bits 6-7 and 12-13.
constexpr uint16_t kShownFlagBits = 0x0400;
constexpr uint16_t kShownWord2Bits = 0x30C0;
constexpr intptr_t kDialogOk = 1;

class NotesHandlerClass final : public ScoreObjectClass {
  public:
    uint32_t GetBodySize(const ScoreObject*) const override { return kNotesHandlerBodyBytes; }
    int HitTest(ScoreObject* object, const RecordRect& rect, HitRecord* hit) const override;
    void Measure(ScoreObject*, ScoreView*) const override {}
    void Draw(ScoreObject*, ScoreView*) const override {}
    void Paint(ScoreObject*, ScoreView*) const override {}
    void DrawSelected(ScoreObject*, ScoreView*) const override {}
    ScoreObject* CreateAtClick(ScoreObject* object, ScoreView* view) const override;
    int CommitDrag(ScoreObject* object, ScoreView* view) const override;
    void EndDrag(ScoreObject*, ScoreView*) const override {}
    void DragMove(ScoreObject*, ScoreView*) const override {}
    void DrawHandle(ScoreObject*, ScoreView*, HitRecord*) const override {}
    void ConstrainDrag(ScoreObject*, ScoreView*) const override {}
    int HandleDrop(ScoreObject* object, ScoreView* view, ScoreObject* target,
                   HitRecord* hit) const override;
    int OnInsertKey(ScoreObject*, ScoreView*, ScoreObject*, HitRecord*) const override { return 1; }
    int EditAttributes(ScoreObject* object, ScoreView* view) const override;
    // The note commands of the menus reach the Notes tool here.
    int OnEditCommand(ScoreObject*, ScoreView* view, int command, int value) const override {
        return ApplyNoteCommand(view, command, value);
    }
    int Query35(ScoreObject*, int32_t, int32_t) const override { return 0; }
    int Query36(ScoreObject*, int32_t, int32_t) const override { return 0; }
    int Query37(ScoreObject*, int32_t, int32_t) const override { return 0; }
    int Query38(ScoreObject*, int32_t, int32_t) const override { return 0; }
    int OnKey(ScoreObject* object, ScoreView* view, uint32_t virtualKey) const override;
    void StepValue(ScoreObject*, ScoreView* view, int step) const override { StepNoteValue(view, step); }
    void Invalidate(ScoreObject*, ScoreView* view) const override { InvalidateNoteOffsets(view); }
    HitRecord* BuildHandles(ScoreObject* object, ScoreView* view) const override {
        return BuildNoteHandleRecords(object, view);
    }
    // The rest class's: the note handles of the location join the selection.
    int FollowLocation(ScoreObject*, ScoreView* view) const override { return FollowNoteHandlesForSelection(view); }
    ScoreObject* Clone(ScoreObject*, ScoreView*, PoolSet, PoolSet) const override { return nullptr; }
    void ResetState(ScoreObject*, ScoreView*) const override {}
};

const NotesHandlerClass& TheNotesHandlerClass() {
    static const NotesHandlerClass cls;
    return cls;
}

void ConstructNotesHandler(ScoreObject* object) {
    ConstructScoreObject(object);
    object->classId = ClassOfType(ObjectType::Note);
    object->type = kNoteType;
    auto* body = reinterpret_cast<NotesHandlerBody*>(object->BodyBytes());
    body->flags = static_cast<uint8_t>(body->flags & ~kClearedFlagBits);
    object->prev = Ref32<ScoreObject>{};
    object->next = Ref32<ScoreObject>{};
}

bool IsStaticHandler(const ScoreObject* object) {
    return IsLiveRecord(PoolSet(TheStaticPoolSet()), kHitRecordStaticPool, object);
}

int NotesHandlerClass::HitTest(ScoreObject*, const RecordRect& rect, HitRecord*) const {
    const ScoreView* view = State().documents.ActiveView;
    if (view == nullptr) return 0;
    const LogicalPoint p = view->pointerPoint;
    return p.x >= rect.left && p.x < rect.right && p.y >= rect.top && p.y < rect.bottom ? 1 : 0;
}

// NotesHandler::Place: the entry at the pointer in one undoable edit.
ScoreObject* NotesHandlerClass::CreateAtClick(ScoreObject*, ScoreView* view) const {
    if (view == nullptr || view->document == nullptr) return nullptr;
    const MeasureRecord* record = MeasureRecordOf(view->document, view->currentMeasure);
    if (record != nullptr && record->extra != 0) return nullptr;
    UndoStep step(view->document, view, UndoKind::Item, kNoteType, UndoVerb::Add);
    if (SelectionState* selection = TheSelectionState()) selection->rebuildRequested = 1;
    SetNoteCursorContext(view);
    State().notes.NoteEntry.fromMidi = 0;
    InsertNoteAtCursor(view);
    view->voiceChain = GetVoiceFirstEvent(view->currentCell, EntryVoice(view));
    return nullptr;
}

// The drag of a note's head (handle index 3 and above), or of a handle object's stem
// and beam handles (0-2), each in one undoable edit. The drag ends where it last moved
// the selection's grab point, not where the pointer went after the release; a note
// chosen by a key or a menu was never dragged and stays as it is.
int NotesHandlerClass::CommitDrag(ScoreObject* object, ScoreView* view) const {
    SelectionState* selection = TheSelectionState();
    if (selection == nullptr) return 0;
    // The handle dragged, when it is one of this object's (another object may be
    // grabbed while this one is committed).
    HitRecord* hit = selection->grabbedRecord.get();
    if (hit == nullptr || hit->owner.get() != object) hit = selection->focusRecord.get();
    if (hit == nullptr || hit->owner.get() != object) return 0;
    const LogicalPoint end{selection->grabX, selection->grabY};
    if (hit->kind < kFirstHeadHandle) {
        if (view == nullptr || view->document == nullptr || end.y == hit->point.y) return 0;
        UndoStep step(view->document, view, UndoKind::Stem, kNoteType, UndoVerb::Move);
        return CommitStemDrag(view, hit->owner.get(), hit->kind, end.y - hit->point.y);
    }
    return CommitNoteDrag(view, hit->noteEvent.get(), hit->point, end);
}

int NotesHandlerClass::HandleDrop(ScoreObject*, ScoreView* view, ScoreObject*, HitRecord* hit) const {
    EventRecord* note = hit != nullptr ? hit->noteEvent.get() : nullptr;
    return DropOnNote(view, note != nullptr ? note : FocusedNote());
}

// The Note Settings of the focused note, or of the note under the pointer (a double
// click on a head); 1 after OK. A change of what the note shows (hidden head or stem,
// staccato, legato) draws its group again in every view before the commit.
int NotesHandlerClass::EditAttributes(ScoreObject*, ScoreView* view) const {
    if (view == nullptr || view->document == nullptr) return 0;
    EventRecord* note = FocusedNote();
    if (note == nullptr) {
        HitRecord* under = FindRecordUnderPointer(view);
        note = under != nullptr && under->ownerType == kNoteType ? under->noteEvent.get() : nullptr;
    }
    if (note == nullptr) return 0;
    const EventRecord before = *note;
    PushViewLocation(view);
    const intptr_t result = RunNoteSettingsDialog(view, note);
    PopViewLocation(view);
    if (result != kDialogOk) return 0;
    if ((note->flags & kShownFlagBits) != (before.flags & kShownFlagBits) ||
        (note->word2 & kShownWord2Bits) != (before.word2 & kShownWord2Bits)) {
        EventRecord now = *note;
        *note = before;
        DrawNoteGroupSavedLinked(view, note);  // the old image drawn away
        *note = now;
        RedrawNotesLinked(view, note);
    }
    CommitFocusedElement(view);
    return 1;
}

int NotesHandlerClass::OnKey(ScoreObject* object, ScoreView* view, uint32_t virtualKey) const {
    EventRecord* note = FocusedNote();
    if (note == nullptr) return 0;
    (void)object;
    // F1 among the plain keys opens the help of notes, as on every object.
    if (virtualKey == static_cast<uint32_t>(win::Key::F1) && ModifierStateNow() == 0)
        return ShowHelpOfType(TypeCode(ObjectType::Note));
    // The language's letters are read as the built-in ones.
    return NoteKey(view, note, TranslateCommandLetter(virtualKey));
}

}  // namespace

void RegisterNotesHandlerClass() {
    RegisterObjectClass(ClassOfType(ObjectType::Note), &TheNotesHandlerClass());
    RegisterObjectType(kNoteType, {kLargeObjectPool, &ConstructNotesHandler});
}

ScoreObject* NewNotesHandler() {
    auto* object = static_cast<ScoreObject*>(AllocStaticRecord(kHitRecordStaticPool));
    if (object == nullptr) return nullptr;
    ConstructNotesHandler(object);
    return object;
}

void DestroyNotesHandler(ScoreObject* object) {
    if (object == nullptr) return;
    if (HitRecord* chain = object->handleChain.get()) {
        UnlinkHitRecord(chain);
        FreeHitRecordChain(chain);
        FreeHitRecord(chain);
        object->handleChain = Ref32<HitRecord>{};
    }
    if (SelectionState* selection = TheSelectionState())
        if (selection->currentObject.get() == object) selection->currentObject = Ref32<ScoreObject>{};
    if (IsStaticHandler(object)) {
        FreeStaticRecord(kHitRecordStaticPool, object);
    } else {
        FreeRecord(kLargeObjectPool, object);
    }
}

// The head the click took when it is one of the focused group's heads; else the
// note of the focus record, the group's first chord.
EventRecord* FocusedNote() {
    SelectionState* selection = TheSelectionState();
    HitRecord* focus = selection != nullptr ? selection->focusRecord.get() : nullptr;
    if (focus == nullptr) return nullptr;
    const HitRecord* grabbed = selection->grabbedRecord.get();
    if (grabbed != nullptr && grabbed->owner == focus->owner && grabbed->kind >= kFirstNoteHeadHandle &&
        grabbed->noteEvent)
        return grabbed->noteEvent.get();
    return focus->noteEvent.get();
}

int DropOnNote(ScoreView* view, EventRecord* note) {
    if (view == nullptr || view->document == nullptr || note == nullptr) return 0;
    if (!win::IsKeyDown(win::Key::Shift)) return DeleteNoteAndFollow(view, note);
    UndoStep step(view->document, view, UndoKind::Note, kNoteType, UndoVerb::Change);
    const int code = PaletteDurationCode();
    EventRecord changed = *note;
    changed.duration = static_cast<uint8_t>(code);
    const int delta = EventDurationTicks(changed) - EventDurationTicks(*note);
    return ApplyDurationStep(view, EntryVoice(view), note, code, delta);
}

}  // namespace ql
