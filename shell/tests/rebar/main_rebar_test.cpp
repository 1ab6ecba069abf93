// The frame's main bar from the settings: the first-run layout with its row break,
// the buttons' labels,
// a saved order missing a band, a hidden band kept over a restart, a rebuild for
// another button size that keeps order and widths, the Main palette's band swapped by
// command 3062, button bits on every band, and 10,000 random "RBand%d" values.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "core/settings/settings_table.h"
#include "editing/palette_faces.h"
#include "editing/palette_layout.h"
#include "editing/palette_windows.h"
#include "editing/tool_bitmaps.h"
#include "platform/gfx/bitmap.h"
#include "platform/gfx/objects.h"
#include "platform/ui/controls.h"
#include "platform/ui/headless.h"
#include "platform/ui/rebar.h"
#include "platform/ui/toolbar.h"
#include "platform/win/window.h"
#include "shell/program/frame.h"
#include "shell/rebar/band_layout_keys.h"
#include "shell/rebar/main_rebar.h"
#include "shell/rebar/toolbar_art.h"
#include "shell/tests/rebar/main_rebar_fixture.h"

namespace ql {
namespace {

const Ids kFirstRunOrder = {1001, 1002, 1007, 1005, 1003, 1009, 1011, 1010, 1006, 1004, 1008};

TEST_F(MainRebarTest, TheFirstRunShowsThePartsOrderWithTheBreakBeforeTheMainPalette) {
    Start();
    EXPECT_EQ(Order(), kFirstRunOrder);
    for (int32_t id : kFirstRunOrder)
        EXPECT_EQ((Band(id).style & ui::kBandBreak) != 0, id == kMainPaletteBand) << id;
    EXPECT_EQ(Band(kEditBand).width, 314);
    EXPECT_EQ(Stored(kToolbarSection, "RBand0"), "1001,182,164");
    EXPECT_EQ(Stored(kToolbarSection, "RBand8"), "1006,371,165");
    // Go To, Notes and Text are off by default; the rest show; Main stays in its band.
    for (int32_t id : {kGoToBand, kNotesBand, kTextBand}) EXPECT_TRUE(Hidden(id)) << id;
    for (int32_t id : {kFileBand, kEditBand, kMidiBand, kMainPaletteBand}) EXPECT_FALSE(Hidden(id)) << id;
    EXPECT_TRUE(MainPaletteInBand());
    EXPECT_GT(MainRebarThickness(), 0);
    // The Main band's tools are the Main palette's, with its tips.
    const platform::WindowHandle main = BandToolbar(kMainPaletteBand);
    ASSERT_TRUE(main);
    EXPECT_EQ(ui::ToolbarButtonCount(main), PaletteSpecOf(kMainPalette).buttons);
    const auto first = ui::GetToolbarButton(main, 0);
    ASSERT_TRUE(first);
    EXPECT_EQ(ui::ToolbarButtonTooltip(main, first->command), PaletteButtonTooltip(kMainPalette, 0));
}

// Every band's buttons carry labels (the Main band's tools none); File's read New,
// Open, Save and Print.
TEST_F(MainRebarTest, BandButtonsCarryTheirLabels) {
    Start();
    for (const BandRecord& band : BandTable()) {
        const platform::WindowHandle toolbar = BandToolbar(band.id);
        ASSERT_TRUE(toolbar) << band.name;
        for (int32_t i = 0; i < ui::ToolbarButtonCount(toolbar); ++i)
            EXPECT_EQ(ui::GetToolbarButton(toolbar, i)->label.empty(), band.id == kMainPaletteBand) << band.name << i;
    }
    std::vector<std::string> file;
    for (int32_t i = 0; i < ui::ToolbarButtonCount(BandToolbar(kFileBand)); ++i)
        file.push_back(ui::GetToolbarButton(BandToolbar(kFileBand), i)->label);
    EXPECT_EQ(file, (std::vector<std::string>{"New", "Open", "Save", "Print"}));
}

TEST_F(MainRebarTest, ABandTheSavedOrderOmitsComesAtTheEndAndShowsByItsSetting) {
    std::string text = "[ToolbarSettings]\nLRToolbar=1\n";
    int n = 0;
    for (int32_t id : kFirstRunOrder)
        if (id != kGoToBand) text += "RBand" + std::to_string(n++) + "=" + std::to_string(id) + ",150,164\n";
    WriteSettings(text);
    Start();
    Ids expected = kFirstRunOrder;
    std::erase(expected, kGoToBand);
    expected.push_back(kGoToBand);
    EXPECT_EQ(Order(), expected);
    EXPECT_FALSE(Hidden(kGoToBand));
}

TEST_F(MainRebarTest, AHiddenEditBandStaysHiddenAfterARestart) {
    Start();
    HideBand(kEditBand);
    Restart();
    EXPECT_TRUE(Hidden(kEditBand));
    EXPECT_EQ(Options().EditToolbar, 0) << "the setting follows the saved band";
    EXPECT_EQ(Order(), kFirstRunOrder);
    ShowBand(kEditBand);
    Options().EditToolbar = 1;
    Restart();
    EXPECT_FALSE(Hidden(kEditBand));
}

TEST_F(MainRebarTest, RebuildingForAnotherButtonSizeKeepsOrderWidthsAndBreaks) {
    Start();
    ui::DropRebarBand(MainRebarWindow(), 0, {5000, 1});  // File to the end of the first row
    ui::SetRebarBandWidth(MainRebarWindow(), 2, 77);
    std::vector<ui::RebarBand> before;
    for (int i = 0; i < ui::RebarBandCount(MainRebarWindow()); ++i)
        before.push_back(*ui::GetRebarBand(MainRebarWindow(), i));
    const int32_t smallHeight = ui::ToolbarIdealSize(BandToolbar(kFileBand)).cy;
    ASSERT_EQ(Options().SmallToolBars, 1) << "small buttons by default";
    Options().SmallToolBars = 0;
    ASSERT_TRUE(RebuildRebar(frame_, 0));
    ASSERT_EQ(ui::RebarBandCount(MainRebarWindow()), static_cast<int>(before.size()));
    for (size_t i = 0; i < before.size(); ++i) {
        const ui::RebarBand now = *ui::GetRebarBand(MainRebarWindow(), static_cast<int>(i));
        EXPECT_EQ(now.id, before[i].id) << i;
        EXPECT_EQ(now.width, before[i].width) << i;
        EXPECT_EQ(now.style, before[i].style) << i;
    }
    EXPECT_GT(ui::ToolbarIdealSize(BandToolbar(kFileBand)).cy, smallHeight);
}

TEST_F(MainRebarTest, Command3062SwapsTheMainPaletteBetweenBandAndWindow) {
    Start();
    ASSERT_FALSE(Hidden(kMainPaletteBand));
    SwapMainPaletteBand();
    EXPECT_TRUE(Hidden(kMainPaletteBand));
    EXPECT_FALSE(MainPaletteInBand());
    Restart();
    EXPECT_EQ(Stored(kToolbarSection, "KeepMainToolBar"), "0");
    EXPECT_EQ(Stored(kToolbarSection, "FloatMainToolBar"), "1");
    EXPECT_TRUE(Hidden(kMainPaletteBand)) << "the palette floats after a restart too";
    SwapMainPaletteBand();
    EXPECT_FALSE(Hidden(kMainPaletteBand));
    EXPECT_TRUE(MainPaletteInBand());
}

// With the Main palette floating its band is hidden, and the break it carried
// still starts the second row at View: no band runs past a 1280-pixel frame.
TEST_F(MainRebarTest, WithTheMainPaletteFloatingEveryBandStaysInsideTheFrame) {
    Start();
    const int32_t frameWidth = 1280;
    SwapMainPaletteBand();
    ASSERT_TRUE(Hidden(kMainPaletteBand));
    ui::LayoutRebar(MainRebarWindow(), frameWidth);
    for (int32_t i = 0; i < ui::RebarBandCount(MainRebarWindow()); ++i) {
        const gfx::Rect r = ui::RebarBandRect(MainRebarWindow(), i);
        if (r.Width() > 0) {
            EXPECT_LE(r.right, frameWidth) << Order()[static_cast<size_t>(i)];
        }
    }
    const gfx::Rect view = ui::RebarBandRect(MainRebarWindow(), ui::RebarIdToIndex(MainRebarWindow(), kViewBand));
    EXPECT_EQ(view.left, 0) << "View starts the second row";
    EXPECT_GT(view.top, 0);
    const gfx::Rect pagers = ui::RebarBandRect(MainRebarWindow(), ui::RebarIdToIndex(MainRebarWindow(), kPagersBand));
    EXPECT_EQ(pagers.top, view.top) << "the page band follows View on its row";
    EXPECT_EQ(MainRebarThickness(), pagers.bottom);
}

// A grip let go below the bar docks it at the frame's bottom, above it at the top;
// other codes leave it.
TEST_F(MainRebarTest, AGripDroppedBeyondAnEdgeDocksTheBarThere) {
    Start();
    ASSERT_EQ(Frame().dock, DockSide::Top);
    DockMainRebar(ui::kRebarDroppedBelow);
    EXPECT_EQ(Frame().dock, DockSide::Bottom);
    DockMainRebar(0);
    EXPECT_EQ(Frame().dock, DockSide::Bottom);
    DockMainRebar(ui::kRebarDroppedAbove);
    EXPECT_EQ(Frame().dock, DockSide::Top);
    ResetFrame();
}

// A bar that cannot be made says so with the system's text and leaves no bar: the
// frame goes on without bands.
TEST_F(MainRebarTest, ABarThatCannotBeMadeShowsTheSystemErrorBox) {
    Open();
    LoadPreferences();
    const size_t boxes = ui::headless::MessageBoxes().size();
    EXPECT_FALSE(CreateMainRebar(platform::WindowHandle{}, 0));
    ASSERT_EQ(ui::headless::MessageBoxes().size(), boxes + 1);
    EXPECT_EQ(ui::headless::MessageBoxes().back().text.rfind("Unable to create Rebar.\n", 0), 0u);
    EXPECT_FALSE(MainRebarWindow());
    EXPECT_EQ(MainRebarThickness(), 0);
}

TEST_F(MainRebarTest, ButtonStatesReachTheBandsThatHoldTheCommand) {
    Start();
    SetToolbarButtonState(42035, ui::kToolButtonEnabled | ui::kToolButtonChecked);
    EXPECT_EQ(ui::GetToolbarButtonBits(BandToolbar(kMidiBand), 42035),
              ui::kToolButtonEnabled | ui::kToolButtonChecked);
    SetToolbarButtonState(42035, 0);
    EXPECT_EQ(ui::GetToolbarButtonBits(BandToolbar(kMidiBand), 42035), 0);
    EXPECT_EQ(ui::GetToolbarButtonBits(BandToolbar(kFileBand), 42035), std::nullopt);
}

// Random values, each made valid or broken by construction: 10,000 values read
// alone; then whole layouts through the settings, where the reading takes the
// valid ones up to the first broken one and the bar holds each band once.
TEST_F(MainRebarTest, RandomSavedValuesEndTheReadingAtTheFirstBrokenOne) {
    Start();
    std::mt19937 random(20261207);
    const auto pick = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
    const auto number = [&]() -> long {
        switch (pick(4)) {
            case 0: return 1001 + pick(11);
            case 1: return -static_cast<long>(random() % 100000);
            case 2: return static_cast<long>(random()) * (pick(2) ? 1 : -1) * 1000003L;
            default: return static_cast<long>(random() % 1000);
        }
    };
    const auto broken = [&]() -> std::string {
        switch (pick(9)) {
            case 0: return "1001,20";
            case 1: return "1001,20,164,5";
            case 2: return "99999999999999999999,1,1";
            case 3: return "1001, 20,164";
            case 4: return "1001,20,164x";
            case 5: return ",,";
            case 6: return std::string(200, '7');
            case 7: return "+-4,1,1";
            default: {
                std::string bytes;
                for (int i = pick(40); i > 0; --i) bytes += static_cast<char>(1 + pick(255));
                return bytes + "!";
            }
        }
    };
    for (int i = 0; i < 10000; ++i) {
        if (pick(3) == 0) {
            const std::string text = broken();
            EXPECT_FALSE(ParseSavedBand(text)) << text;
            continue;
        }
        const SavedBand band{number(), number(), number()};
        const std::optional<SavedBand> read = ParseSavedBand(
            std::to_string(band.id) + "," + std::to_string(band.width) + "," + std::to_string(band.style));
        ASSERT_TRUE(read);
        EXPECT_EQ(read->id, band.id);
        EXPECT_EQ(read->width, band.width);
        EXPECT_EQ(read->style, band.style);
    }
    // Writing a value to the settings file takes a few milliseconds: 16 layouts.
    int values = 0;
    for (int layout = 0; values < 16 * kSavedBandKeys; ++layout) {
        std::vector<SavedBand> expected;
        bool ended = false;
        for (int n = 0; n < kSavedBandKeys; ++n, ++values) {
            const std::string key = "RBand" + std::to_string(n);
            SetPrefString(kToolbarSection, key.c_str(), nullptr);  // a refused text leaves none
            if (pick(8) == 0) {
                const std::string text = broken();
                SetPrefString(kToolbarSection, key.c_str(), text.c_str());
                ended = true;
                continue;
            }
            const SavedBand band{number(), number(), number()};
            const std::string text =
                std::to_string(band.id) + "," + std::to_string(band.width) + "," + std::to_string(band.style);
            SetPrefString(kToolbarSection, key.c_str(), text.c_str());
            if (!ended) expected.push_back(band);
        }
        const std::vector<SavedBand> read = ReadSavedBands();
        ASSERT_EQ(read.size(), expected.size()) << "layout " << layout;
        for (size_t i = 0; i < read.size(); ++i) {
            EXPECT_EQ(read[i].id, expected[i].id);
            EXPECT_EQ(read[i].width, expected[i].width);
            EXPECT_EQ(read[i].style, expected[i].style);
        }
        if (layout % 4 != 0 || expected.empty()) continue;
        DestroyMainRebar();
        ASSERT_TRUE(CreateMainRebar(frame_, 0));
        Ids ids = Order();
        std::sort(ids.begin(), ids.end());
        EXPECT_EQ(ids, (Ids{1001, 1002, 1003, 1004, 1005, 1006, 1007, 1008, 1009, 1010, 1011}));
    }
}

}  // namespace
}  // namespace ql

namespace ql {
namespace {

// The toolbar strips the build drew: 43 faces at each button size, every face a
// picture of its own (none blank but the two no button shows), none at a size the
// toolbars do not use.
TEST(ToolbarStripTest, EveryButtonHasAFaceOfItsOwn) {
    for (int32_t size : {kToolbarImageSize, kSmallToolbarImageSize}) {
        const platform::BitmapHandle strip = MakeToolbarStrip(size);
        ASSERT_TRUE(strip) << size;
        const std::vector<gfx::Colour> pixels = gfx::ReadBitmapPixels(strip);
        gfx::DeleteObject(strip);
        ASSERT_EQ(pixels.size(), static_cast<size_t>(size * size * kToolbarImageCount));
        std::vector<std::vector<gfx::Colour>> faces(kToolbarImageCount);
        for (int32_t y = 0; y < size; ++y)
            for (int32_t x = 0; x < size * kToolbarImageCount; ++x)
                faces[static_cast<size_t>(x / size)].push_back(pixels[static_cast<size_t>(y * size * kToolbarImageCount + x)] & 0xFFFFFFu);
        for (int32_t i = 0; i < kToolbarImageCount; ++i) {
            const auto& face = faces[static_cast<size_t>(i)];
            const bool blank = std::all_of(face.begin(), face.end(), [&](gfx::Colour c) { return c == face.front(); });
            EXPECT_EQ(blank, i == 28 || i == 29) << "face " << i << " at " << size;
            for (int32_t j = 0; j < i && !blank; ++j) EXPECT_NE(face, faces[static_cast<size_t>(j)]) << i << " and " << j;
        }
    }
    EXPECT_FALSE(MakeToolbarStrip(20));
}

// The Main band's strip: the Main palette's faces as the palette shows them, on its
// button colour, each a picture of its own, at both button sizes.
TEST(ToolbarStripTest, TheMainBandWearsTheMainPalettesFaces) {
    FreeToolBitmaps();  // read the palettes' strips anew, whatever tests before did
    const int32_t buttons = PaletteSpecOf(kMainPalette).buttons;
    for (int32_t size : {kToolbarImageSize, kSmallToolbarImageSize}) {
        const platform::BitmapHandle strip = MakePaletteStrip(kMainPalette, size);
        ASSERT_TRUE(strip) << size;
        const std::vector<gfx::Colour> pixels = gfx::ReadBitmapPixels(strip);
        gfx::DeleteObject(strip);
        ASSERT_EQ(pixels.size(), static_cast<size_t>(size * size * buttons));
        std::vector<std::vector<gfx::Colour>> faces(static_cast<size_t>(buttons));
        for (int32_t y = 0; y < size; ++y)
            for (int32_t x = 0; x < size * buttons; ++x)
                faces[static_cast<size_t>(x / size)].push_back(pixels[static_cast<size_t>(y * size * buttons + x)] & 0xFFFFFFu);
        for (int32_t i = 0; i < buttons; ++i) {
            const auto& face = faces[static_cast<size_t>(i)];
            EXPECT_EQ(face.front(), kPaletteButtonColour) << "face " << i << " at " << size;
            EXPECT_TRUE(std::any_of(face.begin(), face.end(), [&](gfx::Colour c) { return c != face.front(); }))
                << "face " << i << " at " << size << " is blank";
            for (int32_t j = 0; j < i; ++j) EXPECT_NE(face, faces[static_cast<size_t>(j)]) << i << " and " << j;
        }
    }
}

}  // namespace
}  // namespace ql
