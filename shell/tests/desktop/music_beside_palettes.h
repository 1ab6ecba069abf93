// A scene the note scenarios share: the whole screen's picture, a window found by
// its title, and the right end of the music left of the floating palettes.
#pragma once

#include <algorithm>
#include <optional>
#include <string_view>

#include "shell/tests/desktop/desktop_fixture.h"

namespace ql::desktop {

constexpr int kPaletteCell = 37;  // a 36-pixel button and its one-pixel gap

inline bool IsDarkPixel(uint32_t p) {
    return ((p >> 16) & 0xFF) + ((p >> 8) & 0xFF) + (p & 0xFF) < 3 * 0x80;
}

class MusicBesidePalettes : public DesktopScenario {
  protected:
    ScreenPicture Screen() const { return x_.Grab(0, 0, x_.ScreenWidth(), x_.ScreenHeight()); }
    std::optional<ShownWindow> Titled(std::string_view title) const {
        for (const ShownWindow& w : x_.Windows())
            if (w.title == title) return w;
        return std::nullopt;
    }
    // The right end of the music left of the palettes.
    int MusicRight() const {
        int right = x_.ScreenWidth();
        for (const ShownWindow& w : x_.Windows())
            for (std::string_view title : {"Main", "Notes", "Staff Tools", "Graphics", "Text & Symbols", "Performance"})
                if (w.title == title) right = std::min(right, w.x);
        return right - 80;
    }
};

}  // namespace ql::desktop
