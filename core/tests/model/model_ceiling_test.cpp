// The event pool's ceiling: a score filled with notes until pool 4 has no record
// left refuses the next note cleanly (low-memory box, nothing changed) and is
// destroyed without leaving anything behind.
#include "core/tests/model/full_score.h"
#include "core/tests/model/model_fixture.h"

namespace ql::testing_model {
namespace {

// Pool 4 holds 32 blocks of 1023 records (15-bit handles).
constexpr int kEventPoolRecords = 32 * 1023;

using CeilingTest = ModelTest;

// About 32,700 notes fit; the next one is refused with one box and changes nothing.
TEST_F(CeilingTest, FullEventPoolRefusesTheNextNoteCleanly) {
    BuildStaves(full_score::kMeasures);
    view_->currentMeasureLength = DefaultMeasureTicks();
    MeasureCell* cell = nullptr;
    const int voice = 0;  // the filler uses the first voice
    const int notes = full_score::FillUntilRefused(view_, doc_, &cell);
    EXPECT_GT(notes, 32400);
    EXPECT_LT(notes, kEventPoolRecords);
    ASSERT_NE(cell, nullptr);
    ui::headless::ResetUi();
    const auto before = Voice(cell, voice);
    const uint16_t counter = doc_->changeCounter;
    EXPECT_EQ(AddEventToVoice(view_, cell, voice, 0, full_score::kShortValue, 3), nullptr);
    EXPECT_EQ(Voice(cell, voice), before);
    EXPECT_EQ(doc_->changeCounter, counter);
    ASSERT_EQ(ui::headless::MessageBoxes().size(), 1u);
    EXPECT_NE(ui::headless::MessageBoxes()[0].text.find("Resource memory is low."),
              std::string::npos);
    EXPECT_FALSE(ui::headless::Beeps().empty());  // the exhausted pool beeps
    // A freed note makes room for exactly one more.
    EventRecord* last = GetVoiceFirstEvent(cell, voice);
    UnlinkChord(last, doc_);
    FreeEvent(last);
    EXPECT_NE(AddEventToVoice(view_, cell, voice, 0, full_score::kShortValue, 3), nullptr);
    EXPECT_EQ(AddEventToVoice(view_, cell, voice, 0, full_score::kShortValue, 4), nullptr);
}

}  // namespace
}  // namespace ql::testing_model
