// The score view's private messages, declared once for every module that posts or
// handles them.
#pragma once

#include <cstdint>

#include "platform/win/messages.h"

namespace ql {

// Redraw the focused object later: posted by an object's Update while the object is
// focused and being edited.
constexpr uint32_t kMsgRedrawFocusedObjectId = 0x800B;
// Track the pointer again: the view takes its location and handles from the pointer
// anew (posted after a note's beams or stems changed under it).
constexpr uint32_t kMsgTrackPointerAgainId = 0x8018;
// A synthetic left-button press at the current pointer. The clef and key stepping
// code posts it (and changes nothing itself) so that the armed tool's CreateAtClick
// opens its dialog at the pointer: that dialog is the confirmation.
constexpr uint32_t kMsgSyntheticPressId = 0x8020;
// Run the focused object's EditAttributes: the same dialog on an existing object.
constexpr uint32_t kMsgEditFocusedObjectId = 0x8022;

constexpr win::Message kMsgRedrawFocusedObject =
    static_cast<win::Message>(kMsgRedrawFocusedObjectId);
constexpr win::Message kMsgTrackPointerAgain = static_cast<win::Message>(kMsgTrackPointerAgainId);
constexpr win::Message kMsgSyntheticPress = static_cast<win::Message>(kMsgSyntheticPressId);
constexpr win::Message kMsgEditFocusedObject = static_cast<win::Message>(kMsgEditFocusedObjectId);

}  // namespace ql
