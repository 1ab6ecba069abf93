// Device capabilities: size, resolution and colour depth of the surface behind a
// context. Every surface is one plane of 32-bit pixels, a monochrome image one of
// 1 bit. Screen contexts (window, paint, memory) report the headless screen set here;
// printer contexts their page in printer dots; recording contexts those of the
// context they were made for.
#pragma once

#include <cstdint>

#include "platform/gfx/types.h"

namespace ql::gfx {

// Classic index numbers, kept because the program passes them.
enum class DeviceCap : uint16_t {
    HorzSize = 4,     // width in millimetres
    VertSize = 6,     // height in millimetres
    HorzRes = 8,      // width in pixels
    VertRes = 10,     // height in pixels
    BitsPixel = 12,   // bits of colour per pixel and plane
    Planes = 14,      // colour planes
    LogPixelsX = 88,  // pixels per logical inch across
    LogPixelsY = 90,  // pixels per logical inch down
};

// 0 for a handle that does not resolve.
int GetDeviceCaps(DcHandle dc, DeviceCap cap);

struct ScreenMetrics {
    int width = 1920;
    int height = 1080;
    int dpiX = 96;
    int dpiY = 96;
};
// The screen of the headless backend (the interactive backend sets the real one).
void SetScreenMetrics(const ScreenMetrics& metrics);
ScreenMetrics GetScreenMetrics();

}  // namespace ql::gfx
