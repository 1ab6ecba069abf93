// A scene the scenarios share: the whole screen's picture (also once settled), a
// window found by its title or as one that came up since, the music's band left of the floating palettes and its
// staff lines, a Main palette button's centre, a new score with the Notes tool
// armed, and the Notes palette brought to the pointer by a right click.
#pragma once

#include <algorithm>
#include <cstdlib>
#include <optional>
#include <set>
#include <string_view>
#include <utility>
#include <vector>

#include "shell/tests/desktop/desktop_fixture.h"
#include "shell/tests/desktop/scene_pictures.h"

namespace ql::desktop {

inline constexpr int kNotesOnMain = 1;  // the Notes tool: the Main palette's second button

class MusicBesidePalettes : public DesktopScenario {
  protected:
    ScreenPicture Screen() const { return x_.Grab(0, 0, x_.ScreenWidth(), x_.ScreenHeight()); }
    // The screen once two pictures a moment apart agree (a redraw has ended).
    ScreenPicture SettledScreen() const {
        return SettledPicture(x_, [this] { return Screen(); }, kRedrawTimeout);
    }
    // The window titled `title` now, without waiting for it.
    std::optional<ShownWindow> Titled(std::string_view title) const {
        for (const ShownWindow& w : x_.Windows())
            if (w.title == title) return w;
        return std::nullopt;
    }
    // The ids of the windows shown now.
    std::set<unsigned long> ShownWindowIds() const {
        std::set<unsigned long> ids;
        for (const ShownWindow& w : x_.Windows()) ids.insert(w.id);
        return ids;
    }
    // A window that came up since `before`, other than menus and tooltips (waited for
    // a while); empty when none came.
    std::optional<ShownWindow> WindowCameSince(const std::set<unsigned long>& before) const {
        for (int tries = 0; tries < 100; ++tries) {
            for (const ShownWindow& w : x_.Windows())
                if (!before.count(w.id) && !w.overrideRedirect && w.width > 0) return w;
            x_.Settle();
        }
        return std::nullopt;
    }
    // The right end of the music left of the palettes (the systems end before the
    // page does).
    int MusicRight() const {
        int right = x_.ScreenWidth();
        for (const ShownWindow& w : x_.Windows())
            for (std::string_view title : {"Main", "Notes", "Staff Tools", "Graphics", "Text & Symbols", "Performance"})
                if (w.title == title) right = std::min(right, w.x);
        return right - 80;
    }
    // The left end of the music: past the frame's edge and the first system's indent.
    int MusicLeft() const { return Frame().x + 120; }
    // The staff lines shown between MusicLeft and MusicRight, below the bars.
    std::vector<int> StaffLinesBesidePalettes(const ScreenPicture& picture) const {
        return picture.LongDarkLines(MusicLeft(), BarsBottom(), MusicRight(), x_.ScreenHeight() - 100, 0.95);
    }
    // The centre of button `index` of a palette laid out as one row (the Main palette).
    static std::pair<int, int> RowButton(const ShownWindow& palette, int index) {
        return {palette.x + 1 + index * kPaletteCell + kPaletteButtonMiddle, palette.y + 1 + kPaletteButtonMiddle};
    }
    // The program started on a new one-staff score; its Main palette, or empty (a
    // failure is recorded) when a step did not happen.
    std::optional<ShownWindow> NewScoreWithMain() {
        if (!StartProgram()) return std::nullopt;
        NewScore("1");
        if (!WaitFor([&] { return Titled("Main").has_value(); })) {
            ADD_FAILURE() << "no Main palette";
            return std::nullopt;
        }
        x_.Settle(Millis{800});
        return Titled("Main");
    }
    // A new one-staff score with the Notes tool armed from the Main palette and the
    // pointer parked below the palette; the Main palette, or empty (a failure is
    // recorded) when a step did not happen.
    std::optional<ShownWindow> NewScoreWithNotesTool() {
        const std::optional<ShownWindow> found = NewScoreWithMain();
        if (!found) return std::nullopt;
        const ShownWindow main = *found;
        const auto [bx, by] = RowButton(main, kNotesOnMain);
        x_.Click(bx, by);
        x_.Settle(Millis{500});
        ParkPointer(main);
        return main;
    }
    // A right click at the point; true when the Notes palette then stands centred on
    // it (popped up there by the Notes or the articulation tool).
    bool NotesPaletteComesTo(int x, int y) {
        x_.MovePointer(x, y);
        x_.Settle(Millis{300});
        x_.Click(x, y, 3);
        return WaitFor([&] {
            for (const ShownWindow& w : x_.Windows())
                if (w.title == "Notes" && std::abs(w.x + w.width / 2 - x) <= 24 && std::abs(w.y + w.height / 2 - y) <= 40)
                    return true;
            x_.Settle(Millis{100});
            return false;
        }, Millis{5000});
    }
    // The pointer below the Main palette, off the music (the location stays put).
    void ParkPointer(const ShownWindow& main) { x_.MovePointer(main.x + kPaletteButtonMiddle, x_.ScreenHeight() - 20); }
};

}  // namespace ql::desktop
