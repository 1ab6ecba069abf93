// Music played past the last measure the score can hold: the measures up to it keep
// their own notes, what sounds at its barline ends there, and the notes after it are
// left out and counted, the user told how many once the recording is finished.
#include <gtest/gtest.h>

#include <string>

#include "core/model/grid.h"
#include "core/model/grid_records.h"
#include "core/model/score_document.h"
#include "platform/ui/headless.h"
#include "sequencer/notes_left_out.h"
#include "sequencer/tests/transcription/transcription_fixture.h"
#include "sequencer/transcription.h"

namespace ql::testing {
namespace {

constexpr int32_t kBar = 4096;
constexpr int kBeyond = 6;  // measures played after the last one

uint32_t Message(uint8_t status, uint8_t key, uint8_t velocity) {
    return status | (uint32_t{key} << 8) | (uint32_t{velocity} << 16);
}

// A quarter at the start of every measure, a half held from the last measure's
// third beat over its barline, and a pedal after it.
TEST_F(TranscriptionTest, RecordingPastTheLastMeasureKeepsWhatFitsAndSaysWhatWasLeftOut) {
    BuildScore(1, 2);
    ui::headless::ResetUi();
    RecordRouting routing;
    routing.recordStaff = 1;
    BeginRecordedTranscription(view_, routing, 1);
    const auto key = [](int measure) { return static_cast<uint8_t>(60 + measure % 12); };
    for (int m = 1; m <= MeasureLimit + kBeyond; ++m) {
        const int32_t start = (m - 1) * kBar;
        TranscribeRecordedNote(view_, 1, Message(0x90, key(m), 90), start);
        TranscribeRecordedNote(view_, 1, Message(0x80, key(m), 0), start + kBar / 4);
        if (m == MeasureLimit)
            TranscribeRecordedNote(view_, 1, Message(0x90, 48, 90), start + kBar / 2);
        if (m == MeasureLimit + 1) {
            TranscribeRecordedNote(view_, 1, Message(0x80, 48, 0), start + kBar / 2);
            ImportRecordedChannelEvent(view_, 1, Message(0xB0, 64, 127), start + kBar / 2);
        }
    }
    FinishRecordedTranscription(view_);
    EXPECT_EQ(doc_->header.measureCount, MeasureLimit);
    EXPECT_EQ(Dump(1, MeasureLimit, MeasureLimit),
              "0:" + std::to_string(key(MeasureLimit)) + "/10 1024:R/10 2048:48/11");
    EXPECT_EQ(Dump(1, MeasureLimit - 1, MeasureLimit - 1),
              "0:" + std::to_string(key(MeasureLimit - 1)) + "/10 1024:R/10 2048:R/10 3072:R/10");
    ScoreObject* marks = GetOrCreateCellObjectList(
        GetOrCreateMeasureCell(StaffRecordOf(doc_, 1), doc_, MeasureLimit));
    EXPECT_EQ(marks != nullptr ? marks->next.get() : nullptr, nullptr)
        << "the pedal after it landed in the last measure";
    EXPECT_EQ(TranscriptionCountsNow().pastLastMeasure, static_cast<uint32_t>(kBeyond));
    const auto& boxes = ui::headless::MessageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes.front().text, NotesLeftOutText(kBeyond));
}

}  // namespace
}  // namespace ql::testing
