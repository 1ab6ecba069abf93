// The fonts of the program's own windows (the readout, the rulers and the other
// interface texts): made once for the screen the program runs on, kept
// program-wide and shared by every window that draws with them, made again when
// the display changes (its class may have changed) and deleted at shutdown. No
// window deletes one of them; a window selects one only for the length of a paint.
#pragma once

#include <cstdint>

#include "platform/handles.h"

namespace ql {

enum class InterfaceFont : uint8_t {
    Heading,    // Arial bold, 13 pixels (11 on the smallest screen class)
    SmallBold,  // Arial bold, 11 pixels
    Small,      // Arial, 9 pixels
    Plain,      // Arial, a 13-pixel cell
    Large,      // "System,bold" 16 pixels; Arial bold 12 below 700 pixels across
    Readout,    // Arial bold, seven eighths of the menu bar's text height
    Ruler,      // Arial at the rulers' label height
};
constexpr int kInterfaceFontCount = 7;

// The request of a font for a screen of the given class and horizontal resolution,
// a menu bar of menuHeight with borders of borderHeight, and labels of rulerLabel
// pixels; pure.
struct InterfaceFontScreen {
    int32_t screenClass = 0;
    int32_t horizontalResolution = 0;
    int32_t menuHeight = 0;
    int32_t borderHeight = 0;
    int32_t rulerLabel = 0;
};
struct InterfaceFontRequest {
    const char* face = "";
    int32_t height = 0;  // negative: the characters' height; positive: the cell's
    int32_t weight = 0;
};
InterfaceFontRequest InterfaceFontRequestOf(InterfaceFont font, const InterfaceFontScreen& screen);

// Makes the fonts for the screen as last read (screen_metrics.h), deleting the
// ones made before; false when one of them could not be made (it is then null and
// its users draw with the context's font).
bool CreateInterfaceFonts();
void DeleteInterfaceFonts();
// Null before CreateInterfaceFonts and after DeleteInterfaceFonts.
platform::FontHandle GetInterfaceFont(InterfaceFont font);

}  // namespace ql
