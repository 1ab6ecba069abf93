// Durations of notes and rests in ticks, and the initial state of new events.
#include <gtest/gtest.h>

#include <cstring>

#include "core/model/events.h"

namespace ql {
namespace {

// Plain and dotted values: a quarter, a dotted quarter, a triple-dotted quarter.
TEST(DurationTicks, DotsAddHalvesOfTheValue) {
    EXPECT_EQ(ComputeDurationTicks(0, 0, 10, 0, 0, 0, 0, 0, 0), 1024);
    EXPECT_EQ(ComputeDurationTicks(0, 1, 10, 0, 0, 0, 0, 0, 0), 1536);
    EXPECT_EQ(ComputeDurationTicks(0, 2, 10, 0, 0, 0, 0, 0, 0), 1792);
    EXPECT_EQ(ComputeDurationTicks(0, 3, 10, 0, 0, 0, 0, 0, 0), 1920);
    EXPECT_EQ(ComputeDurationTicks(0, 0, 13, 0, 0, 0, 0, 0, 0), 8192);
}

// Fixed ratios: a triplet eighth is 341 ticks (truncated), a quintuplet sixteenth
// 204; an index of 9 or more leaves the value unscaled.
TEST(DurationTicks, FixedTupletRatiosTruncate) {
    EXPECT_EQ(ComputeDurationTicks(1, 0, 9, 0, 0, 0, 0, 0, 0), 341);
    EXPECT_EQ(ComputeDurationTicks(1, 0, 8, 0, 1, 0, 0, 0, 0), 204);
    EXPECT_EQ(ComputeDurationTicks(1, 0, 10, 0, 6, 0, 0, 0, 0), 1536);
    EXPECT_EQ(ComputeDurationTicks(1, 0, 10, 0, 9, 0, 0, 0, 0), 1024);
    EXPECT_EQ(ComputeDurationTicks(1, 1, 10, 0, 0, 0, 0, 0, 0), 1024);  // dotted triplet quarter
}

// Own ratios: a divisor of 0 counts as 1; the outer ratio applies first.
TEST(DurationTicks, OwnAndOuterRatios) {
    EXPECT_EQ(ComputeDurationTicks(2, 0, 10, 0, 0, 0, 3, 0, 0), 3072);
    EXPECT_EQ(ComputeDurationTicks(2, 0, 10, 0, 0, 5, 4, 0, 0), 819);
    // Outer 2:3 then own 4:5 on a half note: 2048 * 2 / 3 = 1365, * 4 / 5 = 1092.
    EXPECT_EQ(ComputeDurationTicks(2, 0, 11, 0x32, 0, 5, 4, 3, 2), 1092);
    // Without a tuplet kind the outer ratio is not applied.
    EXPECT_EQ(ComputeDurationTicks(0, 0, 11, 0x32, 0, 0, 0, 3, 2), 2048);
}

// Table ratios of an eighth (512): 11:8 is 372, 4:6 is 768, a triplet 341; a free
// 5:3 is 307; 3:2 nested inside 5:4 truncates at each step (409, then 272).
TEST(DurationTicks, TupletRatiosOfAnEighth) {
    EventRecord note{};
    note.duration = 9;
    note.tupletKind = 1;
    note.tupletRatio = 5;
    EXPECT_EQ(EventDurationTicks(note), 372);
    note.tupletRatio = 8;
    EXPECT_EQ(EventDurationTicks(note), 768);
    note.tupletRatio = 0;
    EXPECT_EQ(EventDurationTicks(note), 341);
    note.outerRatio = 0x54;
    EXPECT_EQ(EventDurationTicks(note), 272);
    note.tupletKind = 2;
    note.tupletRatio = 0x53;
    note.outerRatio = 0;
    EXPECT_EQ(EventDurationTicks(note), 307);
    // A zero first number of a free ratio counts as 1.
    note.tupletRatio = 0x03;
    EXPECT_EQ(EventDurationTicks(note), 1536);
}

// A kind byte other than 1 and 2 is no ratio at all: neither its own ratio byte nor
// the nested one scales the value, and it groups no notes.
TEST(DurationTicks, UnknownTupletKindIsNoRatio) {
    EventRecord note{};
    note.duration = 9;
    note.tupletRatio = 0x53;
    note.outerRatio = 0x54;
    for (uint8_t kind : {3, 4, 255}) {
        note.tupletKind = kind;
        EXPECT_EQ(EventDurationTicks(note), 512) << int(kind);
        EXPECT_EQ(TupletNoteCount(note), 1) << int(kind);
        EXPECT_EQ(GetNoteTupletNumerator(note), 0);
        EXPECT_EQ(GetNoteNestedNumerator(note), 0);
    }
}

// The accessors: kind 1 by table index (3:2 .. 4:6, none past 8), kind 2 by nibbles,
// the nested byte by nibbles.
TEST(TupletNumbers, AccessorsReadTheThreeBytes) {
    EventRecord note{};
    note.tupletKind = 1;
    note.tupletRatio = 5;
    note.outerRatio = 0x54;
    EXPECT_EQ(GetNoteTupletNumerator(note), 11);
    EXPECT_EQ(GetNoteTupletDenominator(note), 8);
    EXPECT_EQ(GetNoteNestedNumerator(note), 5);
    EXPECT_EQ(GetNoteNestedDenominator(note), 4);
    note.tupletRatio = 8;
    EXPECT_EQ(GetNoteTupletNumerator(note), 4);
    EXPECT_EQ(GetNoteTupletDenominator(note), 6);
    note.tupletRatio = 9;
    EXPECT_EQ(GetNoteTupletNumerator(note), 0);
    EXPECT_EQ(GetNoteTupletDenominator(note), 0);
    note.tupletKind = 2;
    note.tupletRatio = 0x85;
    EXPECT_EQ(GetNoteTupletNumerator(note), 8);
    EXPECT_EQ(GetNoteTupletDenominator(note), 5);
    note.tupletKind = 0;
    EXPECT_EQ(GetNoteTupletNumerator(note), 0);
    EXPECT_EQ(GetNoteNestedDenominator(note), 0);
}

// A damaged duration code gives no length instead of undefined arithmetic.
TEST(DurationTicks, OutOfRangeCodeLastsNothing) {
    EXPECT_EQ(ComputeDurationTicks(0, 3, 200, 0, 0, 0, 0, 0, 0), 0);
    EXPECT_EQ(ComputeDurationTicks(0, 0, -1, 0, 0, 0, 0, 0, 0), 0);
}

// The event's own fields feed the computation (triplet eighth with one dot).
TEST(DurationTicks, EventFieldsAreReadFromTheRecord) {
    EventRecord event{};
    event.duration = 9;
    event.word2 = 1;
    event.tupletKind = 2;
    event.tupletRatio = 0x32;  // divisor 3, multiplier 2
    EXPECT_EQ(EventDurationTicks(event), 768 * 2 / 3);
}

// A new note: chord head, initialised, stem up 448 or down -448 with the stem flag.
TEST(EventInit, NewNotesAndRestsStartClean) {
    EventRecord event;
    std::memset(&event, 0xAB, sizeof event);
    InitEvent(&event, 512, 1, 9, 6);
    EXPECT_EQ(event.flags, kEventChordHead | kEventInitialised | kEventStemFlag);
    EXPECT_EQ(event.stemLength, -448);
    EXPECT_EQ(event.time, 512);
    EXPECT_FALSE(event.next || event.prev || event.attachment || event.beamNext);
    InitEvent(&event, 0, 0, 10, 4);
    EXPECT_EQ(event.stemLength, 448);
    std::memset(&event, 0xAB, sizeof event);
    InitRestEvent(&event);
    EXPECT_EQ(event.flags, kEventChordHead | kEventInitialised);
    EXPECT_EQ(event.stemLength, -448);
    EXPECT_EQ(event.word2 & kEventWord2InitCleared, 0);
}

}  // namespace
}  // namespace ql
