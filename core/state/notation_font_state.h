// The notation-font state: which size class of the music font the notes are being
// drawn in (normal, petite at 75 %, grace at 65 %), with the beam metrics and head
// widths of that class in view units. One current state per program, saved into a
// caller's area around a nested switch (notes/drawing/notation_font.h operates it).
// A value type only, so that the program state can hold the current one.
#pragma once

#include <cstdint>

#include "platform/handles.h"

namespace ql {

// Size classes of a note (flags bits 4-5).
enum class NoteSizeClass : uint8_t { Normal = 0, Petite = 1, Grace = 2 };
constexpr int kSizeClassCount = 3;

struct NotationFontState {
    platform::FontHandle font{};          // the music font of the class
    platform::FontHandle previousFont{};  // the font that was selected before it
    uint16_t sizeClass = 0;               // NoteSizeClass
    uint16_t beamThickness = 0;
    uint16_t beamSeparation = 0;
    uint16_t breveWidth = 0;
    uint16_t wholeWidth = 0;
    uint16_t halfWidth = 0;
    uint16_t blackWidth = 0;
    uint16_t dotGap = 0;
    uint16_t quarterBlackWidth = 0;
    uint16_t nesting = 0;  // counts every switch
};

}  // namespace ql
