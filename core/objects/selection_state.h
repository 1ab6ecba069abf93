// SelectionState: the one program-wide record of the armed tool, the focused object,
// the grabbed handle, the hover and the two hit-record lists. It is carved from the
// record arena because pooled hit records link to the head and tail records embedded
// in it. Created once at start-up, zero-filled; the editing code owns its meaning,
// the core framework reads the fields named in the object protocol.
#pragma once

#include <cstddef>
#include <cstdint>
#include <type_traits>

#include "core/objects/hit_record.h"
#include "core/memory/ref32.h"
#include "core/objects/score_object.h"
#include "platform/handles.h"

namespace ql {

constexpr uint8_t kNoSecondaryType = 253;
constexpr uint16_t kFullRebuildOwnerType = 54;  // list heads marked on a full rebuild

#pragma pack(push, 1)
struct SelectionState {
    // The embedded hit records and the saved drag location come first, so that their
    // points (32-bit words) are aligned: the record starts on an arena page.
    HitRecord listAHead;
    HitRecord listATail;
    HitRecord listBHead;
    HitRecord listBTail;
    LocationRecord savedDragLocation;
    platform::WindowHandle boundWindow;  // score window the state is bound to
    platform::CursorHandle toolCursor;   // cursor of the armed tool
    int16_t grabbedKind;                 // handle kind of the grabbed record; -1 after reset
    uint16_t grabbedOwnerType;
    int16_t focusSystem;   // the saved location: the view's position byte,
    int16_t focusStaff;    // staff and measure where the focus was taken
    int16_t focusMeasure;
    Ref32<ScoreObject> extraChain;
    Ref32<ScoreObject> voiceChain;  // the followed list (barline and note handle objects)
    ScoreObject temporaryChain;  // embedded list head: objects of one message
    Ref32<ScoreObject> pendingObject;
    Ref32<ScoreObject> defaultObject;  // prototype of the armed tool's type
    Ref32<ScoreObject> focusedObject;  // equals defaultObject when nothing is focused
    Ref32<ScoreObject> hoverObject;
    const char* hoverText;  // status text of the hover (program strings)
    int8_t editMode;        // 0 idle, 1 focused/modal, 2 dragging, 3+ notes
    uint8_t toolType;
    uint8_t secondaryType;
    uint8_t behaviourCode;
    uint8_t locationChanged;
    uint8_t resetAfterMessage;
    uint8_t hoverFlag;
    uint8_t noSnap;
    uint8_t pendingSerial;
    uint8_t commitAfterMessage;
    uint32_t grabbedAnchor[2];
    int32_t grabX;
    int32_t grabY;
    int32_t dragOffsetX;
    int32_t dragOffsetY;
    Ref32<HitRecord> pendingRecord;
    Ref32<HitRecord> focusRecord;  // the focused hit chain (list-A record)
    Ref32<HitRecord> grabbedRecord;  // the current handle: the one grabbed or being stepped
    Ref32<HitRecord> hoverListRecord;
    Ref32<HitRecord> hoverRecord;
    Ref32<HitRecord> statusRecord;
    int32_t pointerOffsetX;
    int32_t pointerOffsetY;
    uint16_t modal;  // 1 while an editor dialog runs
    uint8_t armed;
    uint8_t bound;

    // Further fields that the notes, staves and core code read and write.
    uint8_t commitForbidden;
    uint8_t rebuildRequested;  // handles must be rebuilt and redrawn
    uint8_t rebuildHold;       // no redraw is requested while set
    Ref32<ScoreObject> currentObject;
    int32_t currentObjectPoint[2];
    uint16_t selectedCount;       // selected items; >= 3 when a note is focused
    ScoreObject** prototypeList;  // the document's prototype table (borrowed)
    ScoreObject** prototypeListEnd;
    Ref32<ScoreObject> grabbedObject;
    uint8_t changed;        // set after the MIDI Event dialog
    uint8_t locationSaved;
    // The embedded head of the voice chain: the objects made while following the
    // pointer's location (note handles, barline objects), living as long as the hit
    // records built from them.
    ScoreObject followedList;
    uint8_t noteDeleted[2];
    uint8_t dragVoice;
    uint8_t entryFlags;
    uint8_t activationBytes[2];  // cleared when a view is first activated
    uint32_t spareWords[2];
};
#pragma pack(pop)
static_assert(std::is_trivially_copyable_v<SelectionState>);
static_assert(offsetof(SelectionState, listBTail) % alignof(LogicalPoint) == 0);
static_assert(offsetof(SelectionState, savedDragLocation) % alignof(LogicalPoint) == 0);

// The program's SelectionState, or null before start-up made it / after shutdown.
SelectionState* TheSelectionState();
// Carves a zero-filled SelectionState from the arena and makes it the program's; the
// lists start empty (head.next = tail, tail.prev = head). Null when the arena refuses.
// Replaces (and frees) an earlier one.
SelectionState* CreateSelectionState();
void DestroySelectionState();
// True for the head and tail records embedded in the program's SelectionState.
bool IsSelectionListEnd(const HitRecord* hit);
// Empties a list: head.next = tail, tail.prev = head, tail.next = none.
void ResetHitList(HitRecord& head, HitRecord& tail);

}  // namespace ql
