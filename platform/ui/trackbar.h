// The trackbar control: a thumb moved along a range of integer positions, with a
// page step and tick marks. The user's moves (arrows, page clicks, dragging the
// thumb) change the position and tell the parent with a vertical or horizontal
// scroll message (the code, the new position, the trackbar as data), followed by
// EndScroll, as scroll bars do. The pointer moving over it is told to the parent as
// ParentNotify (word: MouseMove, data: the trackbar). On GTK it is a GtkScale.
#pragma once

#include <cstdint>

#include "platform/handles.h"
#include "platform/win/messages.h"

namespace ql::ui {

using platform::WindowHandle;

constexpr char kTrackbarClass[] = "Trackbar";

// Trackbar styles.
constexpr uint32_t kTrackbarAutoTicks = 0x0001;
constexpr uint32_t kTrackbarVertical = 0x0002;

struct TrackbarRange {
    int32_t minimum = 0;
    int32_t maximum = 0;
};

// A range whose maximum is below its minimum is refused (false). The position is
// kept within the range.
bool SetTrackbarRange(WindowHandle trackbar, int32_t minimum, int32_t maximum);
TrackbarRange GetTrackbarRange(WindowHandle trackbar);
// Returns the previous position; the new one is clamped to the range.
int32_t SetTrackbarPosition(WindowHandle trackbar, int32_t position);
int32_t GetTrackbarPosition(WindowHandle trackbar);
bool SetTrackbarPage(WindowHandle trackbar, int32_t page);
int32_t GetTrackbarPage(WindowHandle trackbar);
// Tick marks every `frequency` positions (with kTrackbarAutoTicks); 0 none.
bool SetTrackbarTickFrequency(WindowHandle trackbar, int32_t frequency);
int32_t GetTrackbarTickFrequency(WindowHandle trackbar);

// The user's move: LineUp and LineDown step by 1 toward the minimum or the maximum,
// PageUp and PageDown by the page, Top and Bottom go to the ends, ThumbTrack and
// ThumbPosition to `position`; the position is clamped and the parent is told.
// False for a window that is not a trackbar or is disabled.
bool MoveTrackbar(WindowHandle trackbar, win::ScrollCode code, int32_t position = 0);

}  // namespace ql::ui
