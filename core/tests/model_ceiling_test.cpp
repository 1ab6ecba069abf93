// The event pool's ceiling: a score filled with notes until pool 4 has no record
// left refuses the next note cleanly (low-memory box, nothing changed) and is
// destroyed without leaving anything behind.
#include "core/tests/model_fixture.h"

namespace ql::testing_model {
namespace {

constexpr int kShortValue = 5;  // 32 ticks: 128 of them fill a 4/4 measure
constexpr int kShortTicks = 32;
constexpr int kNotesPerVoice = 128;
constexpr int kMeasures = 200;
// Pool 4 holds 32 blocks of 1023 records (15-bit handles).
constexpr int kEventPoolRecords = 32 * 1023;

using CeilingTest = ModelTest;

// Fills the first voice of successive cells until the pool refuses a note (every
// voice head is a record of the same pool).
int FillUntilRefused(ScoreView* view, ScoreDocument* doc, MeasureCell** lastCell, int* lastVoice) {
    int notes = 0;
    for (int m = 1; m <= kMeasures; ++m) {
        for (int s = 1; s <= doc->header.staffCount; ++s) {
            MeasureCell* cell = GetOrCreateMeasureCell(StaffRecordOf(doc, s), doc, m);
            for (int i = 0; i < kNotesPerVoice; ++i) {
                if (AddEventToVoice(view, cell, 0, static_cast<uint16_t>(i * kShortTicks),
                                    kShortValue, static_cast<uint8_t>(i % 9)) == nullptr)
                    return notes;
                *lastCell = cell;
                *lastVoice = 0;
                ++notes;
            }
        }
    }
    return notes;
}

// About 32,700 notes fit; the next one is refused with one box and changes nothing.
TEST_F(CeilingTest, FullEventPoolRefusesTheNextNoteCleanly) {
    BuildStaves(kMeasures);
    view_->currentMeasureLength = DefaultMeasureTicks();
    MeasureCell* cell = nullptr;
    int voice = 0;
    const int notes = FillUntilRefused(view_, doc_, &cell, &voice);
    EXPECT_GT(notes, 32400);
    EXPECT_LT(notes, kEventPoolRecords);
    ASSERT_NE(cell, nullptr);
    ui::headless::ResetUi();
    const auto before = Voice(cell, voice);
    const uint16_t counter = doc_->changeCounter;
    EXPECT_EQ(AddEventToVoice(view_, cell, voice, 0, kShortValue, 3), nullptr);
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
    EXPECT_NE(AddEventToVoice(view_, cell, voice, 0, kShortValue, 3), nullptr);
    EXPECT_EQ(AddEventToVoice(view_, cell, voice, 0, kShortValue, 4), nullptr);
}

}  // namespace
}  // namespace ql::testing_model
