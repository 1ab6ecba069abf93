// The toolbar strips: PNGs the build draws into the program folder's tool_faces/
// (shell/resources/tool_faces/toolbar_faces.py), read when a toolbar is made.
#include "shell/rebar/toolbar_art.h"

#include <string>

#include "editing/palette_faces.h"
#include "editing/palette_layout.h"
#include "editing/palette_windows.h"
#include "editing/tool_bitmaps.h"
#include "platform/gfx/bitmap.h"
#include "platform/gfx/dc.h"
#include "platform/gfx/draw.h"
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

namespace {
// The palette faces' small strips are drawn at this size.
constexpr int32_t kPaletteFaceSize = 24;
}  // namespace

platform::BitmapHandle MakePaletteStrip(int palette, int32_t size) {
    const int buttons = PaletteSpecOf(palette).buttons;
    if (buttons <= 0 || size <= 0) return {};
    // The faces at their own size, then brought to the toolbar's.
    const platform::BitmapHandle faces = gfx::CreateImageBitmap(kPaletteFaceSize * buttons, kPaletteFaceSize);
    const platform::BitmapHandle strip = gfx::CreateImageBitmap(size * buttons, size);
    const platform::DcHandle facesDc = faces ? gfx::CreateWindowContext(faces) : platform::DcHandle{};
    const platform::DcHandle stripDc = strip ? gfx::CreateWindowContext(strip) : platform::DcHandle{};
    const bool made = facesDc && stripDc;
    if (made) {
        const gfx::BrushHandle background = gfx::CreateSolidBrush(kPaletteButtonColour);
        gfx::FillRect(facesDc, {0, 0, kPaletteFaceSize * buttons, kPaletteFaceSize}, background);
        gfx::DeleteObject(background);
        for (int i = 0; i < buttons; ++i) {
            const ToolFace face = PaletteButtonFace(palette, i);
            DrawToolFace(facesDc, i * kPaletteFaceSize, 0, kPaletteFaceSize, face.bitmapId, face.imageIndex);
        }
        gfx::StretchBlit(stripDc, {0, 0, size * buttons, size}, facesDc, {0, 0, kPaletteFaceSize * buttons, kPaletteFaceSize},
                         gfx::RasterOp::SourceCopy);
    }
    if (facesDc) gfx::DeleteContext(facesDc);
    if (stripDc) gfx::DeleteContext(stripDc);
    if (faces) gfx::DeleteObject(faces);
    if (made) return strip;
    if (strip) gfx::DeleteObject(strip);
    return {};
}

}  // namespace ql
