// A file whose notes are held across all of it: its ties fill the score's records,
// and the import says so in one box, keeps the score it made, and leaves no note
// marked as tied without its tie.
#include <gtest/gtest.h>

#include <string>

#include "core/model/events.h"
#include "core/model/grid.h"
#include "core/model/score_document.h"
#include "interchange/tests/smf/smf_bytes.h"
#include "interchange/tests/smf/smf_score_fixture.h"
#include "notes/ties/ties.h"
#include "platform/ui/headless.h"

namespace ql::testing {
namespace {

constexpr char kLowMemoryText[] = "Resource memory is low";
// A chord of 64 notes held for 300 measures asks for more ties than the records hold.
constexpr int kHeldKeys = 64;
constexpr int kHeldMeasures = 300;

// Notes marked as tied on whose tie is missing.
int TieMarksWithoutTies(ScoreView* view) {
    ScoreDocument* document = view->document;
    int missing = 0;
    for (int m = 1; m <= document->header.measureCount; ++m)
        for (EventRecord* e = GetVoiceFirstEvent(
                 GetOrCreateMeasureCell(StaffRecordOf(document, 1), document, m), 0);
             e != nullptr; e = NextEvent(e))
            missing += (e->word2 & kTieStartsHere) != 0 && FindNoteTie(e) == nullptr ? 1 : 0;
    return missing;
}

TEST_F(SmfScoreTest, TiesPastTheRecordsAreToldOnceAndTheScoreKept) {
    ui::headless::ResetUi();
    ScoreView* view =
        Import(WriteBytes("held.mid", smf::testing::HeldChordFile(kHeldKeys, kHeldMeasures)));
    ASSERT_NE(view, nullptr);
    int lowMemory = 0;
    for (const auto& box : ui::headless::MessageBoxes())
        lowMemory += box.text.find(kLowMemoryText) != std::string::npos ? 1 : 0;
    EXPECT_EQ(lowMemory, 1);
    EXPECT_EQ(ui::headless::MessageBoxes().size(), 1u);
    EXPECT_EQ(TieMarksWithoutTies(view), 0);
    // The chord's first measures are there, tied on.
    EXPECT_NE(FindNoteTie(GetVoiceFirstEvent(
                  GetOrCreateMeasureCell(StaffRecordOf(view->document, 1), view->document, 1), 0)),
              nullptr);
}

}  // namespace
}  // namespace ql::testing
