// The toolbar strips: PNGs the build draws into the program folder's tool_faces/
// (shell/resources/tool_faces/toolbar_faces.py), read when a toolbar is made.
#include "shell/rebar/toolbar_art.h"

#include <string>

#include "editing/tool_bitmaps.h"
#include "platform/gfx/bitmap.h"
#include "platform/gfx/objects.h"
#include "platform/sys/folders.h"

namespace ql {

platform::BitmapHandle MakeToolbarStrip(int32_t size) {
    int32_t strip = 0;
    if (size == kToolbarImageSize) strip = kToolbarStripId;
    if (size == kSmallToolbarImageSize) strip = kSmallToolbarStripId;
    if (strip == 0) return {};
    const auto path = sys::ProgramFolder() / kToolFaceFolder / (std::to_string(strip) + ".png");
    platform::BitmapHandle bitmap = gfx::LoadPng(path.string());
    gfx::BitmapInfo info;
    if (bitmap && (!gfx::GetBitmapInfo(bitmap, &info) || info.width != size * kToolbarImageCount ||
                   info.height != size)) {
        gfx::DeleteObject(bitmap);
        return {};
    }
    return bitmap;
}

}  // namespace ql
