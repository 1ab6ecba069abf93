// System drawing read from the grid's ink log: one system of ten staves with a brace,
// a bracket, barline groups, a hide-when-empty staff, a staff without lines and one of
// a single line, and every barline kind; barline strokes at the slot edges, group signs
// over their groups' outer lines, the stroke rules at zoom 16 and 20, measure numbers,
// and the bad-input paths (a slot below 1, a far-left system).
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "core/draw/colour_sets.h"
#include "core/draw/draw_surface.h"
#include "core/model/beat_map_record.h"
#include "core/model/engraving_metrics.h"
#include "core/model/pages.h"
#include "core/settings/program_options.h"
#include "core/state.h"
#include "core/ui/status_bar.h"
#include "display/system_drawing.h"
#include "display/tests/system/sysdraw_fixture.h"
#include "notes/beatmap/beat_map.h"
#include "platform/gfx/dc.h"
#include "platform/ui/headless.h"

namespace ql::testing_sysdraw {
namespace {

constexpr int kStaves = 10;
constexpr int kMeasures = 8;
constexpr int32_t kFullHeight = 512;
constexpr int32_t kSpace = 128;
// Barline kinds by measure (the low nibble of measures 2..9; 9 closes the system).
constexpr uint8_t kKinds[] = {0, 0, 0, 1, 2, 5, 6, 7, 4, 3};
constexpr int kOssiaStaff = 7;
constexpr int kNoLineStaff = 8;
constexpr int kOneLineStaff = 9;

class TenStaffSystem : public SysDrawTest {
  protected:
    void Build(int32_t zoom) {
        if (!HaveMusicFonts()) GTEST_SKIP() << "the music font is not built";
        BuildScore(kStaves, kMeasures, zoom);
        JoinGroup(GroupKind::Brace, 1, 2);
        JoinGroup(GroupKind::Barline, 1, 2);
        JoinGroup(GroupKind::Bracket, 3, 6);
        JoinGroup(GroupKind::Barline, 3, 6);
        SetHideWhenEmpty(kOssiaStaff, true);
        AddNote(kOssiaStaff, 3);
        AddNote(kOssiaStaff, 4);
        SetLines(kNoLineStaff, 0);
        SetLines(kOneLineStaff, 1);
        for (int m = 2; m <= kMeasures + 1; ++m) Measure(m)->barline = kKinds[m];
        UpdateBeatMaps(view_, 1);  // the barlines take their room
    }
    int32_t Top(int staff) const { return StaffY(staff) - kFullHeight; }
    // x of every vertical stroke (1-pixel line or filled) from top to bottom.
    std::vector<int32_t> StrokesSpanning(int32_t top, int32_t bottom) const {
        std::vector<int32_t> xs;
        for (const GridInk& ink : log_) {
            if (ink.kind == GridInkKind::Line && ink.x1 == ink.x2 && ink.y1 == top && ink.y2 == bottom)
                xs.push_back(ink.x1);
            if (ink.kind == GridInkKind::Filled && ink.y1 == top && ink.height == bottom - top)
                xs.push_back(ink.x1);
        }
        std::sort(xs.begin(), xs.end());
        return xs;
    }
    static bool Has(const std::vector<int32_t>& xs, int32_t x) {
        return std::find(xs.begin(), xs.end(), x) != xs.end();
    }
    std::vector<GridInk> Glyphs(uint8_t code) const {
        std::vector<GridInk> out;
        for (const GridInk& ink : Inks(GridInkKind::Glyph))
            if (ink.code == code) out.push_back(ink);
        return out;
    }
    int32_t W() const { return view_->LineWidth2; }
};

// Each barline kind stands where its table puts it against the slot's edge, across
// the bracket group's outer lines (zoom 40: every stroke filled).
TEST_F(TenStaffSystem, BarlinesStandAtTheirMeasureEdges) {
    Build(40);
    DrawAll();
    const std::vector<int32_t> xs = StrokesSpanning(Top(3), StaffY(6));
    const int32_t h = W() / 2;
    const int32_t g = kDoubleGap;
    const int32_t t = kThickBarWidth;
    // Slot 2 single: one stroke at the edge.
    EXPECT_TRUE(Has(xs, SlotX(2)));
    // Slot 3 double: W at x - G and at x.
    EXPECT_TRUE(Has(xs, SlotX(3) - g));
    EXPECT_TRUE(Has(xs, SlotX(3)));
    // Slot 4 begin section: T at x - G - h - T, W at x - h - W.
    EXPECT_TRUE(Has(xs, SlotX(4) - g - h - t));
    EXPECT_TRUE(Has(xs, SlotX(4) - h - W()));
    // Slot 5 start repeat: as begin section.
    EXPECT_TRUE(Has(xs, SlotX(5) - g - h - t));
    // Slot 6 end repeat: W at c, T at c + G.
    const int32_t c6 = SlotX(6) - g - h - t + 8;
    EXPECT_TRUE(Has(xs, c6));
    EXPECT_TRUE(Has(xs, c6 + g));
    // Slot 7 both repeats: the end repeat's strokes and W at x + G + h - 8.
    EXPECT_TRUE(Has(xs, SlotX(7) + g + h - 8));
    // Slot 8 thick: T ending at the edge.
    EXPECT_TRUE(Has(xs, SlotX(8) - t));
    // Slot 9 closes the system with an end section.
    EXPECT_TRUE(Has(xs, SlotX(9) - g - h - t + 8));
    // Repeat dots sit on the staff's y, right of the start repeat and left of the end repeat.
    const std::vector<GridInk> dots = Glyphs(185);
    EXPECT_TRUE(std::any_of(dots.begin(), dots.end(), [&](const GridInk& d) {
        return d.x1 == SlotX(5) - h - W() + 96 && d.y1 == StaffY(3);
    }));
    EXPECT_TRUE(std::any_of(dots.begin(), dots.end(),
                            [&](const GridInk& d) { return d.x1 == c6 - 96 && d.y1 == StaffY(6); }));
}

// The dotted kind is one dotted pen line of the thin width at x - W / 2.
TEST_F(TenStaffSystem, DottedBarlineIsADottedPenLine) {
    Build(40);
    Measure(5)->barline = 8;
    DrawAll();
    const std::vector<GridInk> dotted = Inks(GridInkKind::DottedLine);
    EXPECT_TRUE(std::any_of(dotted.begin(), dotted.end(), [&](const GridInk& d) {
        return d.x1 == SlotX(5) - W() / 2 && d.y1 == Top(3) + 32 && d.y2 == StaffY(6) - 32 &&
               d.width == W();
    }));
}

// Barlines join the staves of their group only; a staff alone has its own.
TEST_F(TenStaffSystem, BarlinesSpanTheirGroups) {
    Build(40);
    DrawAll();
    EXPECT_FALSE(StrokesSpanning(Top(1), StaffY(2)).empty());   // braced pair
    EXPECT_FALSE(StrokesSpanning(Top(3), StaffY(6)).empty());   // bracket group
    EXPECT_TRUE(StrokesSpanning(Top(3), StaffY(3)).empty());    // not per staff inside it
    EXPECT_FALSE(StrokesSpanning(Top(10), StaffY(10)).empty()); // a staff alone
}

// A staff without lines draws no lines, only barlines over a five-line frame; a
// one-line staff has its line one space above its y and bars one space either side.
TEST_F(TenStaffSystem, StaffTypesDrawTheirLines) {
    Build(40);
    DrawAll();
    for (const GridInk& ink : Inks(GridInkKind::Filled)) {
        if (ink.height != kStaffLineWidth) continue;  // staff lines only
        const int32_t middle = ink.y1 + ink.height / 2;
        EXPECT_FALSE(middle > Top(kNoLineStaff) - kSpace && middle < StaffY(kNoLineStaff) + kSpace)
            << "a line drawn on the staff without lines at y " << middle;
    }
    EXPECT_FALSE(StrokesSpanning(Top(kNoLineStaff), StaffY(kNoLineStaff)).empty());
    const int32_t line = StaffY(kOneLineStaff) - 2 * kSpace;
    const std::vector<GridInk> lines = Inks(GridInkKind::Line);
    EXPECT_TRUE(std::any_of(lines.begin(), lines.end(), [&](const GridInk& l) {
        return l.y1 == line && l.y2 == line && l.x2 > l.x1;
    }));
    EXPECT_FALSE(StrokesSpanning(line - kSpace, line + kSpace).empty());
}

// At zoom 16 on screen thin lines are 1-pixel lines doubled one pixel over; from zoom 20
// every stroke is filled to its width.
TEST_F(TenStaffSystem, ZoomDecidesBetweenDoubledLinesAndFilledStrokes) {
    Build(16);
    DrawAll();
    const int32_t pixel = view_->PixelUnitsX;
    std::vector<int32_t> thin = StrokesSpanning(Top(10), StaffY(10));
    EXPECT_TRUE(Has(thin, SlotX(2)));
    EXPECT_TRUE(Has(thin, SlotX(2) + pixel));  // the doubled line
    const std::vector<GridInk> lines = Inks(GridInkKind::Line);
    const int32_t y = StaffY(10);
    EXPECT_TRUE(std::any_of(lines.begin(), lines.end(), [&](const GridInk& l) {
        return l.y1 == y - view_->PixelUnitsY && l.y2 == l.y1;
    }));
    for (const GridInk& ink : Inks(GridInkKind::Filled))
        EXPECT_NE(ink.height, kStaffLineWidth) << "a staff line filled at zoom 16";

    SetZoom(20);
    DrawAll();
    const std::vector<GridInk> filled = Inks(GridInkKind::Filled);
    EXPECT_TRUE(std::any_of(filled.begin(), filled.end(), [&](const GridInk& f) {
        return f.x1 == SlotX(2) && f.width == W() && f.y1 == Top(10);
    }));
    EXPECT_TRUE(std::any_of(filled.begin(), filled.end(), [&](const GridInk& f) {
        return f.height == kStaffLineWidth && f.y1 == y - kStaffLineWidth / 2;
    }));
}

// The bracket runs from the group's bottom line up to its top line with an end at each;
// the brace stands at the middle of its pair in a font sized from the span.
TEST_F(TenStaffSystem, BracketAndBraceCoverTheirGroups) {
    Build(40);
    DrawAll();
    const int32_t bracketX = System()->x - kBracketOffset;
    const std::vector<GridInk> top = Glyphs(254);
    const std::vector<GridInk> bottom = Glyphs(255);
    ASSERT_EQ(top.size(), 1u);
    ASSERT_EQ(bottom.size(), 1u);
    EXPECT_EQ(top[0].x1, bracketX);
    EXPECT_EQ(top[0].y1, Top(3));
    EXPECT_EQ(bottom[0].y1, StaffY(6));
    const std::vector<GridInk> body = Glyphs(253);
    ASSERT_FALSE(body.empty());
    const auto [lowest, highest] = std::minmax_element(
        body.begin(), body.end(), [](const GridInk& a, const GridInk& b) { return a.y1 > b.y1; });
    EXPECT_EQ(lowest->y1, StaffY(6));
    EXPECT_GT(highest->y1, Top(3));
    const std::vector<GridInk> braces = Glyphs(251);
    ASSERT_EQ(braces.size(), 1u);
    const int32_t half = (StaffY(2) - Top(1)) / 2;
    EXPECT_EQ(braces[0].x1, System()->x - kBraceOffset);
    EXPECT_EQ(braces[0].y1, Top(1) + half);
    EXPECT_EQ(braces[0].fontHeight, ((half + 64) >> 5) + 3 * (half + 64));
    EXPECT_EQ(braces[0].fontWidth, half > 1536 ? 460 : 405);
    EXPECT_EQ(Glyphs(252).size(), 1u);
}

// A brace whose half-span passes 1536 takes the wide glyph 32 units further left; a
// brace of one staff the narrow one 16 units right; a span of 0 draws nothing.
TEST_F(TenStaffSystem, BraceWidthFollowsItsSpan) {
    Build(40);
    JoinGroup(GroupKind::Brace, 1, 4);
    DrawAll();
    std::vector<GridInk> braces = Glyphs(251);
    ASSERT_EQ(braces.size(), 1u);
    ASSERT_GT((StaffY(4) - Top(1)) / 2, 1536);
    EXPECT_EQ(braces[0].fontWidth, 460);
    // Staves 3 and 4 carry bracket bits: the brace moves left of the bracket too.
    EXPECT_EQ(braces[0].x1, System()->x - kBraceOffset - kBracketOffset - 32);

    JoinGroup(GroupKind::Brace, 1, 1);
    for (int s = 2; s <= 4; ++s) ClearGroupBits(*Staff(s), GroupKind::Brace);
    DrawAll();
    braces = Glyphs(251);
    ASSERT_EQ(braces.size(), 1u);
    EXPECT_EQ(braces[0].fontWidth, 320);
    EXPECT_EQ(braces[0].x1, System()->x - kBraceOffset + 16);

    // Staff 2 pulled up until the pair's outer lines meet: a span of 0.
    uint16_t* offsets = StaffOffsetsOf(System());
    offsets[1] = kFullHeight;
    offsets[2] = 0;
    view_->currentSystem = System();
    log_.clear();
    sysdraw::test_seam::SetGridInkLog(&log_);
    BeginViewDraw(view_);
    DrawBrace(view_, 1, 2);
    EndViewDraw(view_);
    sysdraw::test_seam::SetGridInkLog(nullptr);
    EXPECT_TRUE(Glyphs(251).empty());
}

// The system's left edge gets a plain stroke across each group, left out for a
// one-staff score whose first measure hides it and where a staff has no signs at the
// start; the opening kind (high nibble) stands after the signs.
TEST_F(SysDrawTest, OpeningBarlineFollowsItsRules) {
    if (!HaveMusicFonts()) GTEST_SKIP() << "the music font is not built";
    BuildScore(2, 4, 40);
    DrawAll();
    const auto leftStrokes = [&](int staff) {
        int count = 0;
        for (const GridInk& ink : Inks(GridInkKind::Filled))
            if (ink.x1 == SlotX(1) && ink.y1 == StaffY(staff) - 512 && ink.height == 512) ++count;
        return count;
    };
    EXPECT_EQ(leftStrokes(1), 1);
    StaffFlagsOf(System())[1] = kSystemStaffNoClef | kSystemStaffNoKey | kSystemStaffNoTime;
    DrawAll();
    EXPECT_EQ(leftStrokes(1), 0);  // no signs: no stroke
    EXPECT_EQ(leftStrokes(2), 1);
    // An opening start repeat: its thick stroke ends G + h before x'.
    StaffFlagsOf(System())[1] = 0;
    Measure(1)->barline = 0x50;
    DrawAll();
    const int32_t opening =
        System()->x + view_->beatMap.contentX[BeatMapCell(System()->number, 1)] - Measure(1)->lead + 128;
    const int32_t thickX = opening - kDoubleGap - view_->LineWidth2 / 2 - kThickBarWidth;
    const std::vector<GridInk> filled = Inks(GridInkKind::Filled);
    EXPECT_TRUE(std::any_of(filled.begin(), filled.end(), [&](const GridInk& f) {
        return f.x1 == thickX && f.width == kThickBarWidth;
    }));
}

// In print the staff lines are cut to the band being printed, and stay whole on screen.
TEST_F(SysDrawTest, PrintedStaffLinesStayInsideThePrintedBand) {
    BuildScore(2, 4, 40);
    const int32_t left = SlotX(2) + 40;
    const int32_t right = SlotX(3) + 24;
    PainterState& painter = State().display.painter;
    painter.paintRect = PaintArea{left, -30000, right, 30000};
    painter.paintRectActive = 1;
    const auto linesOf = [&](int staff) {
        std::vector<GridInk> lines;
        for (const GridInk& ink : Inks(GridInkKind::Line))
            if (ink.y1 == StaffY(staff) && ink.y2 == ink.y1) lines.push_back(ink);
        return lines;
    };
    DrawAll();
    ASSERT_FALSE(linesOf(1).empty());
    EXPECT_LT(linesOf(1).front().x1, left);  // not printing: the whole system

    const platform::DcHandle printer = gfx::CreateMemoryContext({});
    State().drawing.PrintDC = printer;
    DrawAll();
    State().drawing.PrintDC = {};
    gfx::DeleteContext(printer);
    painter.paintRectActive = 0;
    for (int staff = 1; staff <= 2; ++staff) {
        const std::vector<GridInk> lines = linesOf(staff);
        ASSERT_FALSE(lines.empty());
        for (const GridInk& line : lines) {
            EXPECT_EQ(line.x1, left);
            EXPECT_EQ(line.x2, right);
        }
    }
}

// A hidden barline is left out, or drawn in the hidden colours while hidden items are
// shown.
TEST_F(SysDrawTest, HiddenBarlinesShowOnlyWhenAsked) {
    if (!HaveMusicFonts()) GTEST_SKIP() << "the music font is not built";
    BuildScore(1, 4, 40);
    ASSERT_TRUE(CreateColourSets());
    Measure(3)->flags |= kMeasureBarlineHidden;
    const auto strokesAt = [&](int32_t x) {
        int count = 0;
        for (const GridInk& ink : Inks(GridInkKind::Filled))
            if (ink.x1 == x && ink.height == 512) ++count;
        return count;
    };
    DrawAll();
    EXPECT_EQ(strokesAt(SlotX(3)), 0);
    EXPECT_EQ(strokesAt(SlotX(2)), 1);
    State().notes.DisplayHiddenItems = 1;
    DrawAll();
    EXPECT_EQ(strokesAt(SlotX(3)), 1);
}

// Mode 2, basis 0, interval 5: numbers on multiples of 5, and with the numbering-break
// flag on every number that does not continue its predecessor.
TEST_F(SysDrawTest, MeasureNumbersFollowTheRule) {
    constexpr int kMany = 16;
    BuildScore(2, kMany, 16);
    for (int m = 12; m <= kMany; ++m) Measure(m)->number = static_cast<uint16_t>(m + 5);  // 17..21
    PageRecord& settings = doc_->header.pageGeometry;
    settings.measureNumberStyle = 2;
    settings.measureNumberIsManMeasure = 0;
    settings.measureNumberEvery = 5;
    view_->currentSystem = System();
    const auto due = [&] {
        std::vector<int> numbers;
        for (int slot = 1; slot <= kMany; ++slot)
            if (IsMeasureNumberDue(view_, slot)) numbers.push_back(Measure(slot)->number);
        return numbers;
    };
    Options().MeasureNumberShowChange = 0;
    EXPECT_EQ(due(), (std::vector<int>{5, 10, 20}));
    Options().MeasureNumberShowChange = 1;
    EXPECT_EQ(due(), (std::vector<int>{5, 10, 17, 20}));
    // Basis 1 counts slots; interval 0 gives none; mode 1 only the system's start.
    settings.measureNumberIsManMeasure = 1;
    settings.measureNumberEvery = 4;
    Options().MeasureNumberShowChange = 0;
    EXPECT_EQ(due(), (std::vector<int>{4, 8, 17, 21}));
    settings.measureNumberEvery = 0;
    EXPECT_TRUE(due().empty());
    settings.measureNumberStyle = 1;
    EXPECT_EQ(due(), (std::vector<int>{1}));
    // A hidden number is never drawn.
    Measure(1)->numberFlags = kMeasureNumberHidden;
    EXPECT_TRUE(due().empty());
}

// A due number is drawn on the first staff at the slot's edge + x offset + 8, above the
// staff by the y offset.
TEST_F(SysDrawTest, MeasureNumbersStandAboveTheFirstStaff) {
    if (!HaveMusicFonts()) GTEST_SKIP() << "the music font is not built";
    BuildScore(3, 6, 40);
    PageRecord& settings = doc_->header.pageGeometry;
    settings.measureNumberStyle = 2;
    settings.measureNumberIsManMeasure = 0;
    settings.measureNumberEvery = 2;
    settings.measureNumberAlign = 1;
    settings.measureNumberOffsetX = 40;
    settings.measureNumberOffsetY = 128;
    DrawAll();
    const std::vector<GridInk> numbers = Inks(GridInkKind::Text);
    ASSERT_EQ(numbers.size(), 3u);
    for (const GridInk& n : numbers) {
        const int slot = n.number;
        EXPECT_EQ(n.x1, SlotX(slot) + 40 + 8);
        EXPECT_EQ(n.y1, StaffY(1) - 128 - 512);
    }
}

// A first slot below 1 is reported once in status part 0 ("Notice: " and the module
// line) and drawing goes on from slot 1; not while the sequencer plays.
TEST_F(SysDrawTest, SlotBelowOneIsReportedAndDrawnFromOne) {
    if (!HaveMusicFonts()) GTEST_SKIP() << "the music font is not built";
    BuildScore(2, 4, 20);
    State().dialogs.StatusWindow = CreateStatusBar(window_);
    view_->currentSystem = System();
    log_.clear();
    sysdraw::test_seam::SetGridInkLog(&log_);
    BeginViewDraw(view_);
    DrawSystem(view_, 1, 0, 4);
    EndViewDraw(view_);
    sysdraw::test_seam::SetGridInkLog(nullptr);
    const auto& texts = ui::headless::StatusTexts();
    ASSERT_FALSE(texts.empty());
    EXPECT_EQ(texts.back().part, 0);
    EXPECT_NE(texts.back().text.find("Notice: "), std::string::npos);
    EXPECT_NE(texts.back().text.find("[DRAW.2024]"), std::string::npos);
    EXPECT_FALSE(Inks(GridInkKind::Filled).empty());
    const size_t reports = texts.size();
    PlaybackFlags().SequencerRunning = 1;
    BeginViewDraw(view_);
    DrawSystem(view_, 1, -3, 4);
    EndViewDraw(view_);
    PlaybackFlags().SequencerRunning = 0;
    EXPECT_EQ(ui::headless::StatusTexts().size(), reports);
}

// A system pushed left of -30720 is parked at x = y = -29696 and nothing is drawn; the
// score is not marked modified.
TEST_F(SysDrawTest, FarLeftSystemIsParked) {
    if (!HaveMusicFonts()) GTEST_SKIP() << "the music font is not built";
    BuildScore(2, 4, 20);
    System()->x = -31000;
    const uint16_t counter = doc_->changeCounter;
    DrawAll();
    EXPECT_EQ(System()->x, kFarLeftParking);
    EXPECT_EQ(System()->y, kFarLeftParking);
    EXPECT_TRUE(log_.empty());
    EXPECT_EQ(doc_->changeCounter, counter);
}

// Drawing rewrites the barline bytes for the measures' places and draws the same again.
TEST_F(SysDrawTest, DrawingNormalisesBarlineBytesOnce) {
    if (!HaveMusicFonts()) GTEST_SKIP() << "the music font is not built";
    BuildScore(2, 4, 20);
    Measure(3)->barline = 0x50;  // an opening start repeat in the middle of the system
    Measure(5)->barline = 0x07;  // a combined repeat closing the system
    const uint16_t counter = doc_->changeCounter;
    DrawAll();
    EXPECT_EQ(Measure(3)->barline, 0x05);
    EXPECT_EQ(Measure(5)->barline, 0x56);
    const std::vector<GridInk> first = log_;
    DrawAll();
    EXPECT_EQ(log_.size(), first.size());
    EXPECT_EQ(doc_->changeCounter, counter);
}

}  // namespace
}  // namespace ql::testing_sysdraw
