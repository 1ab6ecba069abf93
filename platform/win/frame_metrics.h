// Sizes of the frames, captions and scroll bars the layer itself draws (the
// document children's frames, window scroll bars). Every backend reports these
// through the system metrics, so document windows are arranged alike whichever
// backend runs.
#pragma once

#include <cstdint>

namespace ql::win::detail {

constexpr int32_t kBorderWidth = 1;     // thin border
constexpr int32_t kFrameWidth = 4;      // sizing frame
constexpr int32_t kScrollBarWidth = 16;
constexpr int32_t kCaptionHeight = 18;
constexpr int32_t kMenuBarHeight = 19;

}  // namespace ql::win::detail
