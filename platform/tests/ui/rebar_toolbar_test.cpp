// The toolbar control and the band container: button bits, clicks that reach the
// notify window only from enabled buttons, tips cut to 79 characters; bands laid
// out in rows by their breaks, hidden bands taking no place, and grip drops that
// move a band within or between rows or report an edge; the parent told of bands
// that took another size and of a new height.
#include <algorithm>
#include <string>
#include <vector>

#include "platform/gfx/bitmap.h"
#include "platform/gfx/dc.h"
#include "platform/gfx/objects.h"
#include "platform/tests/win/win_test_fixture.h"
#include "platform/ui/rebar.h"
#include "platform/text/text_metrics.h"
#include "platform/ui/toolbar.h"
#include "platform/win/message_loop.h"
#include "platform/win/window.h"

namespace ql::ui {
namespace {

using win::Message;

class BarsTest : public testing::FreshWindowLayer {
  protected:
    void SetUp() override {
        FreshWindowLayer::SetUp();
        win::WindowClass cls;
        cls.name = "Host";
        cls.procedure = [](WindowHandle w, Message m, uint32_t word, intptr_t data) {
            return win::DefaultWindowProc(w, m, word, data);
        };
        win::RegisterWindowClass(cls);
        win::WindowParams params;
        params.className = "Host";
        params.style = win::kStyleVisible;
        params.rect = {0, 0, 800, 600};
        host = win::CreateWindow(params);
        strip = gfx::CreateImageBitmap(16 * 4, 16);
    }
    void TearDown() override {
        gfx::DeleteObject(strip);
        FreshWindowLayer::TearDown();
    }
    WindowHandle MakeToolbar(WindowHandle parent, int buttons, int id = 1) {
        std::vector<ToolbarButtonSpec> specs;
        for (int i = 0; i < buttons; ++i) specs.push_back({100 + i, i % 4, "B" + std::to_string(i)});
        ToolbarParams params;
        params.parent = parent;
        params.notify = host;
        params.id = id;
        params.images = {strip, 16};
        return CreateToolbar(params, specs);
    }
    // The commands posted to the host.
    std::vector<int32_t> Commands() {
        std::vector<int32_t> commands;
        win::QueuedMessage m;
        for (int n = 0; n < 256 && win::PeekMessage(m); ++n) {
            if (m.message == Message::Command && m.window == host)
                commands.push_back(static_cast<int32_t>(m.word & 0xFFFF));
            else
                win::DispatchMessage(m);
        }
        return commands;
    }
    void Click(WindowHandle toolbar, int index) {
        const gfx::Rect r = ToolbarButtonRect(toolbar, index);
        const intptr_t at = win::PackPoint({r.left + 2, r.top + 2});
        win::SendMessage(toolbar, Message::LeftButtonDown, 0, at);
        win::SendMessage(toolbar, Message::LeftButtonUp, 0, at);
    }
    WindowHandle host;
    platform::BitmapHandle strip;
};

TEST_F(BarsTest, ToolbarButtonsCarryTheirBitsAndOnlyEnabledOnesCommand) {
    WindowHandle toolbar = MakeToolbar(host, 3);
    ASSERT_TRUE(toolbar);
    EXPECT_EQ(ToolbarButtonCount(toolbar), 3);
    EXPECT_EQ(ToolbarIdealSize(toolbar).cx, 3 * ToolbarButtonRect(toolbar, 0).right);
    Click(toolbar, 1);
    EXPECT_EQ(Commands(), (std::vector<int32_t>{101}));
    ASSERT_TRUE(SetToolbarButtonBits(toolbar, 101, kToolButtonChecked));
    EXPECT_EQ(GetToolbarButtonBits(toolbar, 101), kToolButtonChecked);
    Click(toolbar, 1);
    EXPECT_TRUE(Commands().empty()) << "a disabled button sends nothing";
    EXPECT_EQ(GetToolbarButtonBits(toolbar, 101), kToolButtonChecked) << "the press left no pressed bit";
    EXPECT_FALSE(SetToolbarButtonBits(toolbar, 999, kToolButtonEnabled));
    EXPECT_EQ(GetToolbarButtonBits(toolbar, 999), std::nullopt);
    // A press that ends on another button is no click.
    const gfx::Rect first = ToolbarButtonRect(toolbar, 0);
    const gfx::Rect third = ToolbarButtonRect(toolbar, 2);
    win::SendMessage(toolbar, Message::LeftButtonDown, 0, win::PackPoint({first.left + 2, 2}));
    win::SendMessage(toolbar, Message::LeftButtonUp, 0, win::PackPoint({third.left + 2, 2}));
    EXPECT_TRUE(Commands().empty());
    EXPECT_FALSE(SetToolbarButtonBits(host, 100, 0)) << "a window that is no toolbar";
}

TEST_F(BarsTest, ToolbarTipsComeFromTheCallbackCutTo79Characters) {
    ToolbarParams params;
    params.parent = host;
    params.images = {strip, 16};
    params.tooltip = [](int32_t command) { return command == 7 ? std::string(200, 'x') : std::string("short"); };
    const ToolbarButtonSpec specs[] = {{7, 0, "Seven"}, {8, 1, "Eight"}};
    WindowHandle toolbar = CreateToolbar(params, specs);
    EXPECT_EQ(ToolbarButtonTooltip(toolbar, 7).size(), 79u);
    EXPECT_EQ(ToolbarButtonTooltip(toolbar, 8), "short");
    EXPECT_EQ(ToolbarButtonTooltip(toolbar, 9), "");
    params.tooltip = nullptr;
    WindowHandle plain = CreateToolbar(params, specs);
    EXPECT_EQ(ToolbarButtonTooltip(plain, 8), "Eight") << "without a callback the label is the tip";
}

// Shown labels are never cut: every cell holds the widest label, short labels or
// long, with room on either side.
TEST_F(BarsTest, LabelledCellsHoldTheWidestLabel) {
    ToolbarParams params;
    params.parent = host;
    params.images = {strip, 16};
    params.showLabels = true;
    const ToolbarButtonSpec specs[] = {{7, 0, "Go"}, {8, 1, "Record and Margins"}};
    WindowHandle toolbar = CreateToolbar(params, specs);
    gfx::DcHandle dc = gfx::CreateMemoryContext({});
    gfx::Size wide{};
    ASSERT_TRUE(text::GetTextExtentA(dc, "Record and Margins", &wide));
    gfx::DeleteContext(dc);
    for (int index : {0, 1}) EXPECT_GT(ToolbarButtonRect(toolbar, index).Width(), wide.cx) << index;
    EXPECT_EQ(ToolbarIdealSize(toolbar).cx, 2 * ToolbarButtonRect(toolbar, 0).Width());
    // A band given less width than its buttons shows them all; it keeps the width
    // it was given.
    WindowHandle rebar = CreateRebar(host, 1000, false);
    ASSERT_TRUE(InsertRebarBand(rebar, {1001, toolbar, 20, 0}));
    LayoutRebar(rebar, 800);
    EXPECT_GT(RebarBandRect(rebar, 0).Width(), ToolbarIdealSize(toolbar).cx);
    EXPECT_EQ(GetRebarBand(rebar, 0)->width, 20);
}

TEST_F(BarsTest, BandsFillRowsByTheirBreaksAndHiddenBandsTakeNoPlace) {
    WindowHandle rebar = CreateRebar(host, 1000, false);
    ASSERT_TRUE(rebar);
    const uint32_t styles[] = {0, 0, kBandBreak, 0};
    for (int i = 0; i < 4; ++i)
        ASSERT_TRUE(InsertRebarBand(rebar, {1001 + i, MakeToolbar(rebar, 2, 1001 + i), 100 + i, styles[i]}));
    EXPECT_FALSE(InsertRebarBand(rebar, {2000, WindowHandle{}, 10, 0}));
    LayoutRebar(rebar, 800);
    const int32_t row = RebarBandRect(rebar, 0).bottom;
    EXPECT_GT(row, 0);
    EXPECT_EQ(RebarBandRect(rebar, 1).left, 100);
    EXPECT_EQ(RebarBandRect(rebar, 2).top, row);
    EXPECT_EQ(RebarBandRect(rebar, 2).left, 0);
    EXPECT_EQ(RebarHeight(rebar), 2 * row);
    EXPECT_EQ(RebarIdToIndex(rebar, 1003), 2);
    EXPECT_EQ(RebarIdToIndex(rebar, 42), -1);

    // Hiding the second row's bands leaves one row; the band keeps its break.
    ASSERT_TRUE(ShowRebarBand(rebar, 2, false));
    ASSERT_TRUE(ShowRebarBand(rebar, 3, false));
    EXPECT_EQ(RebarHeight(rebar), row);
    EXPECT_FALSE(win::IsWindowVisible(GetRebarBand(rebar, 2)->child));
    EXPECT_EQ(GetRebarBand(rebar, 2)->style, kBandBreak | kBandHidden);
    ASSERT_TRUE(ShowRebarBand(rebar, 2, true));
    EXPECT_EQ(RebarHeight(rebar), 2 * row);
    EXPECT_FALSE(ShowRebarBand(rebar, 9, true));

    // The row's first band hidden, its break starts the row at the next band shown;
    // a grip drop before that band keeps the row where it starts.
    ASSERT_TRUE(ShowRebarBand(rebar, 3, true));
    ASSERT_TRUE(ShowRebarBand(rebar, 2, false));
    EXPECT_EQ(RebarBandRect(rebar, 3).top, row);
    EXPECT_EQ(RebarBandRect(rebar, 3).left, 0);
    EXPECT_EQ(RebarHeight(rebar), 2 * row);
    EXPECT_EQ(DropRebarBand(rebar, 1, {5, row + row / 2}), BandDrop::Moved);
    EXPECT_EQ(RebarBandRect(rebar, 0).top, 0);
    EXPECT_EQ(RebarBandRect(rebar, RebarIdToIndex(rebar, 1002)).top, row);
    EXPECT_EQ(RebarBandRect(rebar, RebarIdToIndex(rebar, 1002)).left, 0);
    EXPECT_EQ(RebarBandRect(rebar, RebarIdToIndex(rebar, 1004)).top, row);
    EXPECT_EQ(RebarHeight(rebar), 2 * row);
}

TEST_F(BarsTest, GripDropsMoveBandsOrReportTheEdge) {
    WindowHandle rebar = CreateRebar(host, 1000, false);
    const uint32_t styles[] = {0, 0, kBandBreak, 0};
    for (int i = 0; i < 4; ++i) InsertRebarBand(rebar, {1 + i, MakeToolbar(rebar, 2, 1 + i), 100, styles[i]});
    LayoutRebar(rebar, 800);
    const int32_t row = RebarBandRect(rebar, 0).bottom;
    const auto ids = [&] {
        std::vector<int32_t> out;
        for (int i = 0; i < RebarBandCount(rebar); ++i) out.push_back(GetRebarBand(rebar, i)->id);
        return out;
    };
    // Band 4 onto the first row, before band 2.
    EXPECT_EQ(DropRebarBand(rebar, 3, {150, row / 2}), BandDrop::Moved);
    EXPECT_EQ(ids(), (std::vector<int32_t>{1, 4, 2, 3}));
    EXPECT_EQ(GetRebarBand(rebar, 3)->style & kBandBreak, kBandBreak) << "band 3 still starts the second row";
    // Band 1 (the row's first) to the end of the second row: band 4 starts the bar.
    EXPECT_EQ(DropRebarBand(rebar, 0, {700, row + row / 2}), BandDrop::Moved);
    EXPECT_EQ(ids(), (std::vector<int32_t>{4, 2, 3, 1}));
    EXPECT_EQ(GetRebarBand(rebar, 0)->style & kBandBreak, 0u);
    EXPECT_EQ(RebarBandRect(rebar, 3).top, row);
    // Below the rows, within reach: a row of its own.
    EXPECT_EQ(DropRebarBand(rebar, 1, {10, 2 * row + 1}), BandDrop::Moved);
    EXPECT_EQ(ids(), (std::vector<int32_t>{4, 3, 1, 2}));
    EXPECT_EQ(RebarHeight(rebar), 3 * row);
    // Beyond the edges nothing moves.
    EXPECT_EQ(DropRebarBand(rebar, 0, {10, -5}), BandDrop::AboveTop);
    EXPECT_EQ(DropRebarBand(rebar, 0, {10, 10 * row}), BandDrop::BelowBottom);
    EXPECT_EQ(ids(), (std::vector<int32_t>{4, 3, 1, 2}));
}

// The left button on a grip drags its band: let go on another band of the bar it
// moves there; let go beyond the bottom edge the parent is told, for docking.
TEST_F(BarsTest, AGripDraggedWithTheMouseMovesItsBandOrAsksToDock) {
    std::vector<uint32_t> told;
    win::WindowClass cls;
    cls.name = "Docking";
    cls.procedure = [&told](WindowHandle w, Message m, uint32_t word, intptr_t data) -> intptr_t {
        if (m == Message::Command && (word & 0xFFFF) == 1000) told.push_back(word >> 16);
        return win::DefaultWindowProc(w, m, word, data);
    };
    win::RegisterWindowClass(cls);
    win::WindowParams params;
    params.className = "Docking";
    params.style = win::kStyleVisible;
    WindowHandle frame = win::CreateWindow(params);
    WindowHandle rebar = CreateRebar(frame, 1000, false);
    for (int i = 0; i < 3; ++i) InsertRebarBand(rebar, {1 + i, MakeToolbar(rebar, 2, 1 + i), 100, 0});
    LayoutRebar(rebar, 800);
    const int32_t row = RebarBandRect(rebar, 0).bottom;
    const auto drag = [&](gfx::Point from, gfx::Point to) {
        win::SendMessage(rebar, Message::LeftButtonDown, 0, win::PackPoint(from));
        win::SendMessage(rebar, Message::LeftButtonUp, 0, win::PackPoint(to));
    };
    drag({203, row / 2}, {50, row / 2});  // band 3's grip onto band 1
    EXPECT_EQ(GetRebarBand(rebar, 0)->id, 3);
    drag({150, row / 2}, {10, row / 2});  // not a grip: nothing
    EXPECT_EQ(GetRebarBand(rebar, 0)->id, 3);
    EXPECT_TRUE(told.empty());
    drag({3, row / 2}, {10, 20 * row});
    drag({3, row / 2}, {10, -40});
    EXPECT_EQ(told, (std::vector<uint32_t>{kRebarDroppedBelow, kRebarDroppedAbove}));
    EXPECT_EQ(GetRebarBand(rebar, 0)->id, 3);
}

// The parent hears of every band whose place took another size and of a new height:
// a band dropped on a row of its own makes the bar taller; a width change tells of
// that band alone; a layout that changes nothing tells nothing.
TEST_F(BarsTest, LayoutChangesAreToldToTheParent) {
    std::vector<RebarNotice> told;
    win::WindowClass cls;
    cls.name = "Listening";
    cls.procedure = [&told](WindowHandle w, Message m, uint32_t word, intptr_t data) -> intptr_t {
        if (m == Message::Notify && word == 1000) told.push_back(*reinterpret_cast<const RebarNotice*>(data));
        return win::DefaultWindowProc(w, m, word, data);
    };
    win::RegisterWindowClass(cls);
    win::WindowParams params;
    params.className = "Listening";
    params.style = win::kStyleVisible;
    WindowHandle frame = win::CreateWindow(params);
    WindowHandle rebar = CreateRebar(frame, 1000, false);
    for (int i = 0; i < 3; ++i) InsertRebarBand(rebar, {1 + i, MakeToolbar(rebar, 2, 1 + i), 100, 0});
    LayoutRebar(rebar, 800);
    const int32_t row = RebarHeight(rebar);
    told.clear();
    LayoutRebar(rebar, 800);
    EXPECT_TRUE(told.empty()) << "nothing changed";
    ASSERT_EQ(DropRebarBand(rebar, 1, {10, row + 2}), BandDrop::Moved);
    ASSERT_GT(RebarHeight(rebar), row);
    ASSERT_FALSE(told.empty());
    EXPECT_EQ(told.back().code, RebarNoticeCode::HeightChange);
    const auto toldOf = [&](int32_t id) {
        return std::count_if(told.begin(), told.end(), [&](const RebarNotice& n) {
            return n.code == RebarNoticeCode::ChildSize && n.bandId == id;
        });
    };
    told.clear();
    ASSERT_TRUE(SetRebarBandWidth(rebar, 0, 180));
    EXPECT_EQ(toldOf(1), 1);
    EXPECT_EQ(toldOf(3), 0) << "the band moved along its row kept its size";
    EXPECT_EQ(std::count_if(told.begin(), told.end(),
                            [](const RebarNotice& n) { return n.code == RebarNoticeCode::HeightChange; }),
              0);
}

}  // namespace
}  // namespace ql::ui
