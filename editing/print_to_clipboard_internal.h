// The steps of Print to Clipboard a test can make fail (each once), and the lift
// the page gets while it is drawn for the clipboard.
#pragma once

#include <cstdint>

#include "platform/gfx/types.h"

namespace ql {

struct ScoreView;

enum class ClipboardPictureStep : uint8_t { ColourBitmap, MonochromeBitmap, RegionBitmap, Recording, Svg };
// The next run of that step fails (once); ResetClipboardPictureFailures clears all.
void FailClipboardPictureStep(ClipboardPictureStep step);
void ResetClipboardPictureFailures();
bool TakeClipboardPictureFailure(ClipboardPictureStep step);

// The page is lifted by this many logical units while it is drawn for the
// clipboard, so that no coordinate of the picture is negative.
constexpr int32_t kClipboardPageLift = 28672;

}  // namespace ql
