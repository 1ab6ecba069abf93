// The bits of a HitRecord's flags and the shapes of its style byte as the editor
// reads them: what a press, a drag and a release of a handle do, and how its XOR
// feedback is drawn. The object classes set them in BuildHandles.
#pragma once

#include <cstdint>

namespace ql {

// Flags (HitRecord::flags). 0x0001 (live) is the constructors'.
constexpr uint16_t kHandleShowWhileDragging = 0x0002;  // kept visible while its kind is dragged
constexpr uint16_t kHandleMovesWhole = 0x0004;     // a drag moves the object (DragMove)
constexpr uint16_t kHandleNoFeedback = 0x0008;     // no XOR feedback drawn or erased
constexpr uint16_t kHandleKeepFocusOutside = 0x0010;  // a press elsewhere keeps the focus
constexpr uint16_t kHandleCreateOutside = 0x0020;  // a press elsewhere unfocuses and creates
constexpr uint16_t kHandleGrabAtPointer = 0x0080;  // the grab point is the pointer, no warp
constexpr uint16_t kHandleEndOnRelease = 0x0040;   // release after a drag unfocuses
constexpr uint16_t kHandleComplete = 0x0100;       // complete as placed: no focus, no drag
constexpr uint16_t kHandleConstrain = 0x0200;      // every move goes through ConstrainDrag
constexpr uint16_t kHandleLinesOnly = 0x0400;      // shape 8: lines only unless grabbed kind
constexpr uint16_t kHandleHorizontalOnly = 0x0800;
constexpr uint16_t kHandleVerticalOnly = 0x1000;
constexpr uint16_t kHandleDominantAxis = 0x2000;
constexpr uint16_t kHandleLockStaysPut = 0x4000;  // an axis lock leaves the pointer alone

// Kinds (HitRecord::kind) of a note handle object's records: below this one its stem
// and beam ends, from this one on the heads of its notes.
constexpr uint8_t kFirstNoteHeadHandle = 3;

// Shapes (HitRecord::style).
constexpr uint8_t kShapeNone = 0;
constexpr uint8_t kShapeOutline = 1;
constexpr uint8_t kShapeSquare = 2;
constexpr uint8_t kShapeOwnerDrawn = 3;  // the owner's DrawHandle
constexpr uint8_t kShapeOutlineAlt = 6;
constexpr uint8_t kShapeEllipse = 7;
constexpr uint8_t kShapeBitmap = 8;
constexpr uint8_t kShapeNever = 10;  // never drawn, never hit

}  // namespace ql
