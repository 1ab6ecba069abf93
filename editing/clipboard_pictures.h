// The two pictures Print to Clipboard makes of a lifted page (see
// print_to_clipboard_internal.h): the region's pixels at the view's zoom, and an
// SVG of the region replayed from a recording of the page drawing. Both draw with
// the program's print context set to their own context; the caller's scope puts
// the view and the drawing state back.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "platform/gfx/types.h"

namespace ql {

struct ScoreView;

// The picture's title in the SVG, and the caption of the command's message boxes.
inline constexpr char kClipboardPictureTitle[] = "Quaverlinescribe";

// Contexts and bitmaps a picture made, deleted by the caller's scope.
struct ClipboardDrawingObjects {
    std::vector<platform::DcHandle> contexts;
    std::vector<platform::BitmapHandle> bitmaps;
};

// The PNG of `region` (logical, lifted) cut from the whole page area drawn at the
// view's zoom; none when no bitmap could be made (the notices are shown here).
std::optional<std::vector<uint8_t>> MakeRegionPng(ScoreView* view, const gfx::Rect& pageArea,
                                                  const gfx::Rect& region, ClipboardDrawingObjects& made);
// The SVG of `region`, drawn at the view's current zoom; its size in millimetres is
// the region's logical size over the view's units per inch.
std::optional<std::vector<uint8_t>> MakeRegionSvg(ScoreView* view, const gfx::Rect& region,
                                                  ClipboardDrawingObjects& made);

}  // namespace ql
