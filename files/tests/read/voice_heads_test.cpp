// The head sentinel of each voice read from a file: its own record, taken with the
// voice's events, heading them in order, and still the voice's own when the record
// meant for it cannot be had.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/constants.h"
#include "core/memory/pool.h"
#include "core/model/document.h"
#include "core/model/event_record.h"
#include "core/model/events.h"
#include "core/model/grid.h"
#include "core/model/score_document.h"
#include "files/tests/read/read_fixture.h"

namespace ql {
namespace {

namespace tf = testing_files;

class VoiceHeads : public tf::ReadTest {
  protected:
    // Why voice 0 of staff 1, measure 1 is not headed as it should be ("" when it is):
    // its own sentinel, linked both ways to the `notes` events that follow it.
    static std::string HeadFault(ScoreDocument* document, int notes) {
        ScopedPoolSet pools(document->pools);
        MeasureCell* cell = GetOrCreateMeasureCell(StaffRecordOf(document, 1), document, 1);
        if (cell == nullptr) return "no cell";
        for (int voice = 1; voice < kVoiceCount; ++voice)
            if (cell->voices[voice]) return "an empty voice was given a head";
        EventRecord* head = GetVoiceHead(cell, 0);
        if (head == nullptr || !IsHeadSentinel(*head)) return "no sentinel heads the voice";
        if (cell->voices[0] == document->headSentinel) return "the voice shares the document's sentinel";
        if (!(HandleOfEvent(head) == cell->voices[0])) return "the cell holds another handle";
        if (head->prev) return "the head has a predecessor";
        RecordHandle previous = cell->voices[0];
        int count = 0;
        for (EventRecord* event = NextEvent(head); event != nullptr; event = NextEvent(event)) {
            if (!(event->prev == previous)) return "an event does not point back to its predecessor";
            previous = HandleOfEvent(event);
            ++count;
        }
        return count == notes ? "" : "the voice holds " + std::to_string(count) + " events";
    }
};

TEST_F(VoiceHeads, EachVoiceReadHasItsOwnSentinelBeforeItsEvents) {
    BuildSmallScore(2, 3);
    ScoreLoad load = Read(Write(doc_, view_));
    ASSERT_EQ(load.code, 0);
    EXPECT_EQ(HeadFault(load.document, 2), "");
}

// A single record refused anywhere in the read: a read that succeeds still gives the
// voice a sentinel of its own, the refused one included.
TEST_F(VoiceHeads, OneRefusedRecordLeavesTheVoiceItsOwnHead) {
    BuildSmallScore(2, 3);
    const std::vector<uint8_t> bytes = Write(doc_, view_);
    int succeeded = 0;
    for (int n = 0; n < 400; ++n) {
        FailRecordAllocationAfter(n);
        ScoreLoad load = Read(bytes);
        FailNextRecordAllocations(0);
        if (load.code != 0) continue;
        ++succeeded;
        EXPECT_EQ(HeadFault(load.document, 2), "") << "refused after " << n << " records";
    }
    EXPECT_GT(succeeded, 0);
}

}  // namespace
}  // namespace ql
