// A printed page is laid out as the screen lays it out, whichever page the screen
// shows when the print starts: the common-time sign stands as far from the clef in
// the PDF as on screen, and the screen gets its own page's beat maps back after.
// On screen the grand staff's left barline is black over the left margin's guide.
#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <vector>

#include "core/draw/draw_surface.h"
#include "core/model/pages.h"
#include "core/settings/program_options.h"
#include "core/state.h"
#include "display/painter.h"
#include "notes/beatmap/beat_map.h"
#include "notes/pitch/pitch_vocabulary.h"
#include "platform/gfx/bitmap.h"
#include "platform/gfx/dc.h"
#include "platform/gfx/draw.h"
#include "platform/gfx/mapping.h"
#include "platform/gfx/objects.h"
#include "platform/gfx/recording.h"
#include "shell/printing/print_document_internal.h"
#include "shell/shell_services.h"
#include "shell/tests/printing/print_fixture.h"
#include "staves/clef_key_placement.h"
#include "staves/time_signature.h"

namespace ql {
namespace {

using PrintedLayoutTest = testing::PrintFixture;

// Bottom to top line of a five-line staff at full size.
constexpr int32_t kFiveLineStaffHeight = 512;

// The common-time sign's centre less the treble clef's centre, on the first system
// of the view's current page, as both are drawn.
int32_t SignOffsetFromClef(ScoreView* view) {
    ScoreSystem* system = view->currentPage->firstSystem.get();
    view->currentSystem = system;
    const PlacedClef clef = PlaceClefAtSystemStart(view, 1, 1, CodeOf(ClefKind::Treble));
    EXPECT_TRUE(clef.found);
    return TimeSignatureCentreX(view, system, 1, kCommonTimeBeats, kQuarterBeatCode) - clef.at.x;
}

void PaintScreen(ScoreView* view) {
    BeginViewDraw(view);
    DrawScoreContents(view);
    EndViewDraw(view);
}

std::vector<uint16_t> FirstRowSlots(const ScoreView* view) {
    const BeatMap& map = view->beatMap;
    std::vector<uint16_t> slots;
    for (int slot = 1; slot <= kLastBeatMapSlot; ++slot) {
        slots.push_back(map.slotX[BeatMapCell(0, slot)]);
        slots.push_back(map.timeX[BeatMapCell(0, slot)]);
    }
    return slots;
}

TEST_F(PrintedLayoutTest, PageOnePrintsItsTimeSignatureWhereTheScreenDrawsItFromAnyShownPage) {
    Options().CommonCut = 1;
    ShowPageInView(view_, 0);
    PaintScreen(view_);
    const int32_t onScreen = SignOffsetFromClef(view_);
    EXPECT_GT(onScreen, 0);

    // The user looks at page 2, then prints page 1.
    ShowPageInView(view_, 1);
    PaintScreen(view_);
    const std::vector<uint16_t> pageTwoSlots = FirstRowSlots(view_);
    const uint16_t changes = view_->document->changeCounter;
    std::vector<int32_t> printed;
    SetPrintedPageObserver([&](int32_t number, platform::DcHandle) {
        if (number == 1) printed.push_back(SignOffsetFromClef(view_));
    });
    sysdlg::PrintChoice choice = ListChoice("1");
    QueueOk(choice);
    const PrintRunResult result = PrintDocument(view_);
    SetPrintedPageObserver({});
    ASSERT_EQ(result.pagesDrawn, std::vector<int32_t>{1});
    ASSERT_EQ(printed.size(), 1u);
    EXPECT_EQ(printed[0], onScreen);

    // Back on screen, page 2 is laid out by its own beat maps again.
    EXPECT_EQ(view_->currentPage, GetPageAt(view_->document, 1));
    EXPECT_EQ(FirstRowSlots(view_), pageTwoSlots);
    EXPECT_EQ(view_->document->changeCounter, changes);
}

// The new score's grand staff: its system starts on the left margin, where the
// barline joining both staves and the grey guide of the margin meet. Between the
// staves, where nothing else is drawn, the screen shows the barline's black.
TEST_F(PrintedLayoutTest, TheGrandStaffsLeftBarlineIsBlackOverTheMarginGuide) {
    ASSERT_EQ(view_->document->header.staffCount, 2);
    ASSERT_NE(Options().ShowMargins, 0);
    const platform::DcHandle recording = gfx::CreateRecordingContext({});
    State().drawing.PaintDC = recording;
    BeginViewDraw(view_);
    DrawScoreContents(view_);
    const gfx::Mapping mapping = gfx::GetMapping(recording);
    EndViewDraw(view_);
    State().drawing.PaintDC = {};

    const platform::BitmapHandle image = gfx::CreateImageBitmap(view_->DeviceWidth, view_->DeviceHeight);
    const platform::DcHandle screen = gfx::CreateWindowContext(image);
    gfx::PatternBlit(screen, gfx::Rect{0, 0, view_->DeviceWidth, view_->DeviceHeight}, gfx::RasterOp::Whiteness);
    ASSERT_TRUE(gfx::PlayRecording(recording, screen));
    const ScoreSystem* system = view_->currentPage->firstSystem.get();
    const uint16_t* offsets = StaffOffsetsOf(system);
    // Bottom line of the upper staff to the top line of the lower one (four spaces up).
    const int32_t upperBottom = system->y + offsets[1];
    const int32_t lowerTop = system->y + offsets[2] - kFiveLineStaffHeight;
    ASSERT_LT(upperBottom, lowerTop);
    const gfx::Point from = gfx::MapLogicalToDevice(mapping, {system->x, upperBottom});
    const gfx::Point to = gfx::MapLogicalToDevice(mapping, {system->x, lowerTop});
    int black = 0;
    for (int y = from.y + 2; y <= to.y - 2; ++y) {
        const gfx::Colour colour = gfx::GetPixel(screen, {from.x, y});
        black += colour == 0 ? 1 : 0;
        EXPECT_EQ(colour, 0u) << "device y " << y;
    }
    EXPECT_GT(black, 0);
    gfx::DeleteContext(screen);
    gfx::DeleteObject(image);
    gfx::DeleteContext(recording);
}

}  // namespace
}  // namespace ql
