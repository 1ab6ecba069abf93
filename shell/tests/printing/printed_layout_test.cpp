// A printed page is laid out as the screen lays it out, whichever page the screen
// shows when the print starts: the common-time sign stands as far from the clef in
// the PDF as on screen, and the screen gets its own page's beat maps back after.
#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <vector>

#include "core/draw/draw_surface.h"
#include "core/model/pages.h"
#include "core/state.h"
#include "display/painter.h"
#include "notes/beatmap/beat_map.h"
#include "notes/pitch/pitch_vocabulary.h"
#include "shell/printing/print_document_internal.h"
#include "shell/program_options.h"
#include "shell/shell_services.h"
#include "shell/tests/printing/print_fixture.h"
#include "staves/clef_key_placement.h"
#include "staves/time_signature.h"

namespace ql {
namespace {

using PrintedLayoutTest = testing::PrintFixture;

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

}  // namespace
}  // namespace ql
