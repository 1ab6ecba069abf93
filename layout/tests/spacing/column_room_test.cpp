// The columns' room kept while a layout pass runs, and the x of many ticks in one
// walk of a spacing list: both give what the one-at-a-time answers give.
#include <algorithm>
#include <random>
#include <vector>

#include "layout/spacing/column_room.h"
#include "layout/tests/layout_fixture.h"

namespace ql::testing_layout {
namespace {

constexpr int kMeasures = 6;
constexpr int kStaves = 2;
constexpr int kSeeds = 40;
constexpr int kFirstValue = 9;   // eighth
constexpr int kValueCount = 3;   // eighth, quarter, half
constexpr int kSharp = 3;
constexpr int kMeasureTicks = 4096;

class ColumnRoomTest : public LayoutTest {
  protected:
    void SetUp() override {
        LayoutTest::SetUp();
        BuildScore(kStaves, kMeasures);
    }

    // A seeded measure: notes of mixed values, dots and sharps in two voices of
    // both staves, some on a time another voice holds, some within one 16-tick step.
    void FillMeasure(std::mt19937& random, int measure) {
        for (int staff = 1; staff <= kStaves; ++staff)
            for (int voice = 0; voice < 2; ++voice) {
                int time = static_cast<int>(random() % 3) * 8;
                while (time < kMeasureTicks) {
                    const int code = kFirstValue + static_cast<int>(random() % kValueCount);
                    EventRecord* note = Note(staff, measure, voice, time, code, static_cast<int>(random() % 9),
                                             static_cast<int>(random() % 2));
                    if (random() % 3 == 0) Accidental(note, kSharp);
                    time += 1 << (code - 1 - static_cast<int>(random() % 2));
                }
            }
    }

    // A seeded list over the measure's length: entries with gaps between them, at
    // times on and off the 16-tick grid, and a factor for the gaps.
    void FillList(std::mt19937& random, int measure) {
        MeasureRecord& record = Record(measure);
        FreeSpacingList(record.spacing);
        record.stretch = static_cast<uint16_t>(1500 + random() % 3000);
        SpacingEntry* last = nullptr;
        for (int time = static_cast<int>(random() % 40); time < record.lengthTicks;) {
            const int ticks = 8 + static_cast<int>(random() % 700);
            if (random() % 4 != 0)
                last = InsertSpacingEntry(record, last, time, std::min(ticks, record.lengthTicks - time),
                                          static_cast<uint16_t>(500 + random() % 5000));
            time += ticks + static_cast<int>(random() % 2) * static_cast<int>(random() % 300);
        }
    }
};

// The x of ascending ticks told in one walk is each tick's SpacingTickX: before,
// on and after the bounds of the entries and gaps, on and off the grid, and past the
// measure's end.
TEST_F(ColumnRoomTest, TicksToldInOneWalkAgreeWithOneAtATime) {
    for (int seed = 1; seed <= kSeeds; ++seed) {
        std::mt19937 random(static_cast<uint32_t>(seed));
        SetLength(1, 1024 + static_cast<int>(random() % 4) * 1024);
        FillList(random, 1);
        std::vector<int32_t> ticks;
        for (int32_t tick = 0; tick <= Record(1).lengthTicks + 64; tick += 1 + static_cast<int32_t>(random() % 60))
            ticks.push_back(tick);
        std::vector<int32_t> xs(ticks.size(), -1);
        SpacingTicksX(Record(1), ticks, xs);
        for (size_t i = 0; i < ticks.size(); ++i)
            ASSERT_EQ(xs[i], SpacingTickX(Record(1), ticks[i])) << "seed " << seed << " tick " << ticks[i];
    }
    std::vector<int32_t> none;
    SpacingTicksX(Record(2), none, none);  // nothing asked, nothing told
}

// What a measure's columns need, and the re-spacing that gives it to them, are the
// same with the rooms kept in a scope as told afresh: asked twice, after its list
// changed under them, and tight or not.
TEST_F(ColumnRoomTest, KeptRoomsGiveWhatFreshOnesGive) {
    std::mt19937 random(7);
    for (int m = 1; m <= kMeasures; ++m) FillMeasure(random, m);
    for (int m = 1; m <= kMeasures; ++m) {
        FillList(random, m);
        const std::vector<Column> list = Columns(m);
        const MeasureRecord before = Record(m);
        const int32_t fresh = MeasureMinimumWidth(doc_, m);
        const int32_t freshTight = MeasureMinimumWidth(doc_, m, true);
        const MeasureWidths freshWidths = MeasureWidthsOf(doc_, m);
        const bool freshChanged = KeepColumnsApart(doc_, m);
        const std::vector<Column> freshList = Columns(m);
        const MeasureRecord freshRecord = Record(m);
        // The same list again, the rooms now kept.
        FreeSpacingList(Record(m).spacing);
        Record(m) = before;
        SpacingEntry* last = nullptr;
        Record(m).spacing = RecordHandle{};
        for (const Column& c : list)
            last = InsertSpacingEntry(Record(m), last, c.time, c.ticks, static_cast<uint16_t>(c.value));
        ColumnRoomScope scope(doc_);
        for (int ask = 0; ask < 2; ++ask) {
            EXPECT_EQ(MeasureMinimumWidth(doc_, m), fresh) << "measure " << m;
            EXPECT_EQ(MeasureMinimumWidth(doc_, m, true), freshTight) << "measure " << m;
            EXPECT_EQ(MeasureWidthsOf(doc_, m).need, freshWidths.need);
            EXPECT_EQ(MeasureWidthsOf(doc_, m).ease, freshWidths.ease);
        }
        EXPECT_EQ(KeepColumnsApart(doc_, m), freshChanged) << "measure " << m;
        EXPECT_EQ(Columns(m), freshList) << "measure " << m;
        EXPECT_EQ(Record(m).width, freshRecord.width);
        EXPECT_EQ(Record(m).lead, freshRecord.lead);
        EXPECT_EQ(Record(m).stretch, freshRecord.stretch);
    }
    // One scope asked from the last measure down, then up again.
    std::vector<int32_t> fresh(kMeasures + 1);
    for (int m = 1; m <= kMeasures; ++m) fresh[m] = MeasureMinimumWidth(doc_, m);
    ColumnRoomScope scope(doc_);
    for (int m = kMeasures; m >= 1; --m) EXPECT_EQ(MeasureMinimumWidth(doc_, m), fresh[m]) << "measure " << m;
    for (int m = 1; m <= kMeasures; ++m) EXPECT_EQ(MeasureMinimumWidth(doc_, m), fresh[m]) << "measure " << m;
}

// A measure whose length changes while the scope is open is told again; a scope for
// another document keeps nothing for this one.
TEST_F(ColumnRoomTest, ChangedLengthIsToldAgain) {
    Note(1, 1, 0, 0, kFirstValue + 1);
    Note(1, 1, 0, 3072, kFirstValue + 1);
    ColumnRoomScope scope(doc_);
    const int32_t whole = MeasureMinimumWidth(doc_, 1);
    SetLength(1, 2048);  // the note at 3072 now lies past the end
    const int32_t shorter = MeasureMinimumWidth(doc_, 1);
    EXPECT_LT(shorter, whole);
    {
        ColumnRoomScope other(nullptr);  // no document: the open scope stays in force
        EXPECT_EQ(MeasureMinimumWidth(doc_, 1), shorter);
    }
    SetLength(1, kMeasureTicks);
    EXPECT_EQ(MeasureMinimumWidth(doc_, 1), whole);
}

}  // namespace
}  // namespace ql::testing_layout
