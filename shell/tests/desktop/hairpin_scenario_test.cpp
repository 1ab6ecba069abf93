// Hairpins on the desktop: the Graphics palette's "Crescendo/Decrescendo" places a
// crescendo where the staff is clicked, with "Symmetric Hairpins" on. Its upper end
// dragged up goes up alone; with Alt pressed during the drag the lower end goes down
// with it (the wedge opens both ways); with Alt held from the press it stays. Its old
// picture goes, and choosing it where it reaches into the next measure draws it
// nowhere else.
#include <optional>
#include <vector>

#include "shell/tests/desktop/music_beside_palettes.h"

namespace ql::desktop {
namespace {

constexpr int kGraphicsOnMain = 2;
constexpr int kHairpinButton = 2;  // first row of the five-column Graphics palette
constexpr int kPointerOnMain = 5;
constexpr int kDragSteps = 8;

// A crescendo placed below the staff, let go again: the screen before it came, the
// staff's lines and the wedge's ink.
struct PlacedHairpin {
    ScreenPicture before;
    std::vector<int> lines;
    InkBox ink;
    int gap = 0;
};

class HairpinScenario : public MusicBesidePalettes {
  protected:
    // Starts the program and places a crescendo with the Graphics palette's button;
    // empty (a failure recorded) when a step did not happen.
    std::optional<PlacedHairpin> PlaceHairpin() {
        WriteSettings("[ToolbarSettings]\nMGTool=760,440,5,2\n[Version 2]\nSymmetricHairpins=1\n");
        if (!StartProgram()) return std::nullopt;
        NewScore("1");
        if (!WaitFor([&] { return Titled("Main").has_value(); })) {
            ADD_FAILURE() << "no Main palette";
            return std::nullopt;
        }
        x_.Settle(Millis{800});
        main_ = *Titled("Main");
        const auto [graphicsX, graphicsY] = RowButton(*main_, kGraphicsOnMain);
        x_.Click(graphicsX, graphicsY);
        const std::optional<ShownWindow> graphics = x_.WaitForWindow("Graphics");
        if (!graphics) {
            ADD_FAILURE() << "Graphics did not open its palette";
            return std::nullopt;
        }
        x_.Settle(Millis{500});
        const auto [hairpinX, hairpinY] = RowButton(*graphics, kHairpinButton);
        x_.Click(hairpinX, hairpinY);
        x_.Settle(Millis{500});

        PlacedHairpin h;
        h.before = SettledScreen();
        h.lines = StaffLinesBesidePalettes(h.before);
        if (h.lines.size() < 5u) {
            ADD_FAILURE() << "no staff lines beside the palettes";
            return std::nullopt;
        }
        h.gap = h.lines[1] - h.lines[0];
        const int x = MusicLeft() + (MusicRight() - MusicLeft()) / 3;
        const int y = h.lines[4] + 3 * h.gap;
        x_.MovePointer(x, y);
        x_.Settle(Millis{300});
        x_.Click(x, y);
        x_.Settle(Millis{800});
        LetGo();
        const ScreenPicture placed = SettledScreen();
        WritePng(placed, TestOutputFolder() / "hairpin_placed_desktop.png");
        h.ink = NewInkBox(h.before, placed, x - h.gap, h.lines[4] + h.gap, MusicRight(), y + 3 * h.gap);
        if (h.ink.count <= 20 || h.ink.right - h.ink.left < 4 * h.gap) {
            ADD_FAILURE() << "no hairpin appeared where the staff was clicked";
            return std::nullopt;
        }
        return h;
    }
    // The Pointer tool from the Main palette: the focused hairpin is let go, drawn
    // without its handles.
    void LetGo() {
        const auto [pointerX, pointerY] = RowButton(*main_, kPointerOnMain);
        x_.Click(pointerX, pointerY);
        x_.Settle(Millis{500});
        ParkPointer(*main_);
    }
    // Drags the upper open end up by `rise` pixels (Alt from `altFromStep`, past the
    // steps for none), lets the hairpin go and gives the wedge's ink then.
    InkBox DragUpperEnd(const PlacedHairpin& h, int rise, int altFromStep, const char* picture) {
        const int endX = h.ink.right - 1;
        const int endY = h.ink.top;
        x_.MovePointer(endX, endY);
        x_.Settle(Millis{300});
        x_.Click(endX, endY);  // chooses the hairpin: its handles come
        x_.Settle(Millis{600});
        x_.MovePointer(endX, endY);
        x_.Settle(Millis{300});
        x_.AltDrag(endX, endY, endX, endY - rise, kDragSteps, altFromStep);
        x_.Settle(Millis{600});
        x_.Click(MusicLeft() + 40, x_.ScreenHeight() - 160);  // the empty paper lets it go
        x_.Settle(Millis{600});
        ParkPointer(*main_);
        const ScreenPicture moved = SettledScreen();
        WritePng(moved, TestOutputFolder() / picture);
        EXPECT_FALSE(WaitForMessageBox()) << "an error box came up while dragging the hairpin";
        // The old upper end's picture is gone, and nothing was drawn right of the
        // wedge (its end reaches into the next measure, where the click was).
        EXPECT_EQ(moved.DarkPixels(endX - 3, endY - 1, endX + 1, endY + 2), 0) << "the old upper end stayed";
        EXPECT_EQ(NewInkBox(h.before, moved, h.ink.right + 2 * h.gap, h.ink.top - h.gap, MusicRight(),
                            h.ink.bottom + h.gap)
                      .count,
                  0)
            << "a picture of the hairpin was drawn right of it";
        return NewInkBox(h.before, moved, h.ink.left - h.gap, h.ink.top - rise - 2 * h.gap, h.ink.right + 2 * h.gap,
                         h.ink.bottom + rise + 2 * h.gap);
    }

    std::optional<ShownWindow> main_;
};

TEST_F(HairpinScenario, AnEndDraggedUpGoesUpAlone) {
    const std::optional<PlacedHairpin> h = PlaceHairpin();
    ASSERT_TRUE(h);
    const int rise = 2 * h->gap;
    const InkBox after = DragUpperEnd(*h, rise, kDragSteps + 1, "hairpin_end_dragged_desktop.png");
    ASSERT_GT(after.count, h->ink.count / 2) << "the hairpin is gone";
    EXPECT_NEAR(after.top, h->ink.top - rise, 3) << "the upper end did not follow the pointer";
    EXPECT_NEAR(after.bottom, h->ink.bottom, 2) << "the lower end moved";
    EXPECT_NEAR(after.left, h->ink.left, 2) << "the apex moved";
    EXPECT_EQ(QuitWithoutSaving(), 0);
}

TEST_F(HairpinScenario, AltPressedDuringTheDragOpensTheWedgeBothWays) {
    const std::optional<PlacedHairpin> h = PlaceHairpin();
    ASSERT_TRUE(h);
    const int rise = 2 * h->gap;
    const InkBox after = DragUpperEnd(*h, rise, 1, "hairpin_mirrored_desktop.png");
    ASSERT_GT(after.count, h->ink.count / 2) << "the hairpin is gone";
    EXPECT_NEAR(after.top, h->ink.top - rise, 3) << "the upper end did not follow the pointer";
    // Alt came after the first step: the lower end mirrors the rest of the drag.
    EXPECT_NEAR(after.bottom, h->ink.bottom + rise - rise / kDragSteps, 3) << "the lower end was not mirrored";
    EXPECT_EQ(QuitWithoutSaving(), 0);
}

TEST_F(HairpinScenario, AltHeldFromThePressLeavesTheOtherEnd) {
    const std::optional<PlacedHairpin> h = PlaceHairpin();
    ASSERT_TRUE(h);
    const int rise = 2 * h->gap;
    const InkBox after = DragUpperEnd(*h, rise, 0, "hairpin_alt_held_desktop.png");
    ASSERT_GT(after.count, h->ink.count / 2) << "the hairpin is gone";
    EXPECT_NEAR(after.top, h->ink.top - rise, 3) << "the upper end did not follow the pointer";
    EXPECT_NEAR(after.bottom, h->ink.bottom, 2) << "the lower end moved";
    EXPECT_EQ(QuitWithoutSaving(), 0);
}

}  // namespace
}  // namespace ql::desktop
