// Rests in their voices: the default place by voice and value, the tick-sorted voice
// list, rests made from event records, and placing with the rest tool (value, tuplet,
// dots, tick and the room left).
#include <gtest/gtest.h>

#include "core/memory/pool.h"
#include "core/model/document.h"
#include "core/model/object_list.h"
#include "core/objects/selection_state.h"
#include "core/state.h"
#include "notes/beatmap/beat_map.h"
#include "notes/rests/rest.h"
#include "notes/rests/rest_internal.h"
#include "notes/rests/staff_place.h"
#include "notes/tests/rests/rest_fixture.h"
#include "platform/ui/headless.h"

namespace ql::testing_rests {
namespace {

constexpr char kNoRoom[] = "No more room in measure.";

// The single-voice, upper and lower rows, and the shifts for crowded neighbours.
TEST_F(RestTest, DefaultPlaceByVoiceAndValue) {
    // One voice in use: a quarter on the middle line, an eighth a step higher, a whole
    // hanging from the fourth line, a 256th low in the staff.
    EXPECT_EQ(RestStaffOffset(cell_, kQuarter, 0), -4);
    EXPECT_EQ(RestStaffOffset(cell_, kEighth, 0), -5);
    EXPECT_EQ(RestStaffOffset(cell_, kWhole, 0), -4);
    EXPECT_EQ(RestStaffOffset(cell_, 4, 0), 3);
    // Voices 2 and 3 empty: the second voice takes the lower row.
    Note(1, 0, kQuarter, -2);
    EXPECT_EQ(RestStaffOffset(cell_, kQuarter, 1), 0);
    EXPECT_EQ(RestStaffOffset(cell_, kWhole, 1), 2);
    // Voices 0, 1 and 2 in use: voice 0 the upper row 4 higher, voice 2 the lower row.
    Note(0, 0, kQuarter, -6);
    Rest(2, 0, kQuarter);
    EXPECT_EQ(RestStaffOffset(cell_, kQuarter, 0), -12);
    EXPECT_EQ(RestStaffOffset(cell_, kQuarter, 1), -8);
    EXPECT_EQ(RestStaffOffset(cell_, kQuarter, 2), 0);
    // Voice 3 in use as well: voice 2 moves 4 lower.
    Rest(3, 0, kQuarter);
    EXPECT_EQ(RestStaffOffset(cell_, kQuarter, 2), 4);
    EXPECT_EQ(RestStaffOffset(cell_, kHalf, 3), 0);
    // A voice above 3 gives 0.
    EXPECT_EQ(RestStaffOffset(cell_, kQuarter, 4), 0);
}

// A rest beside the other side's voice clears its heads: a lower voice's rest stands
// below the upper voice's note, an upper voice's rest above the lower voice's, and
// neither comes nearer the middle than its row. One note and one rest per column.
TEST_F(RestTest, RestBesideAnotherVoiceClearsItsHeads) {
    constexpr int kColumn = 1024;
    int measure = 1;
    for (const int code : {kEighth, kQuarter, kHalf}) {
        ASSERT_NE(UseMeasure(measure++), nullptr);
        int tick = 0;
        for (const bool lowerRest : {false, true})
            for (int position = -10; position <= 12; ++position, tick += kColumn) {
                Note(lowerRest ? 0 : 2, tick, kQuarter, position);
                const int place = RestStaffOffsetOver(cell_, code, lowerRest ? 2 : 0, tick, kColumn);
                const int row = rests::RestRowPlace(lowerRest ? rests::RestRow::Lower : rests::RestRow::Upper, code);
                SCOPED_TRACE(::testing::Message() << "code " << code << " note at " << position << " rest at " << place);
                if (lowerRest) {
                    EXPECT_GE(place, row);
                    EXPECT_GT(place * kUnitsPerStep - rests::RestExtentAbove(code), (position + 1) * kUnitsPerStep);
                } else {
                    EXPECT_LE(place, row);
                    EXPECT_LT(place * kUnitsPerStep + rests::RestExtentBelow(code), (position - 1) * kUnitsPerStep);
                }
            }
    }
}

// Codes outside 4..13 (a damaged record) take the quarter's entries.
TEST_F(RestTest, DefaultPlaceOfOtherCodes) {
    EXPECT_EQ(RestStaffOffset(cell_, 14, 0), RestStaffOffset(cell_, kQuarter, 0));
    EXPECT_EQ(RestStaffOffset(cell_, 14, 0), -4);
    EXPECT_EQ(RestStaffOffset(cell_, 3, 0), -4);
    EXPECT_EQ(RestStaffOffset(cell_, 4, 0), 3);  // the first code is its own (256th)
    EXPECT_EQ(RestStaffOffset(nullptr, kQuarter, 0), -4);  // no cell: no voice in use
}

// The tick-sorted list: equal ticks keep their order of insertion; an element that
// is not a list head takes nothing once it has a successor, and any object without a
// successor takes the new one as its first element.
TEST_F(RestTest, VoiceListKeepsTickOrder) {
    ScoreObject* b = Rest(0, 1024, kQuarter);
    ScoreObject* a = Rest(0, 0, kQuarter);
    ScoreObject* c1 = Rest(0, 2048, kQuarter);
    ScoreObject* c2 = Rest(0, 2048, kEighth);
    EXPECT_EQ(VoiceRests(0), (std::vector<ScoreObject*>{a, b, c1, c2}));
    ScoreObject* stray = AllocRestRecord();
    EXPECT_FALSE(InsertIntoVoiceList(a, stray));
    EXPECT_EQ(VoiceRests(0).size(), 4u);
    ScoreObject* lone = AllocRestRecord();
    EXPECT_TRUE(InsertIntoVoiceList(lone, stray));
    EXPECT_EQ(lone->next.get(), stray);
    FreePool8Record(stray);
    FreePool8Record(lone);
}

// A damaged link inside a list ends it: the insertion lands after the last live
// element and the dead link is cut.
TEST_F(RestTest, VoiceListCutsDeadLinks) {
    ScoreObject* a = Rest(0, 0, kQuarter);
    a->next = Ref32<ScoreObject>{0x12345};  // names no live record
    ScoreObject* b = Rest(0, 1024, kQuarter);
    EXPECT_EQ(VoiceRests(0), (std::vector<ScoreObject*>{a, b}));
}

// A rest made from an event record copies its fields; the place becomes the
// single-voice default when only voice 0 is in use or the value is half or longer.
TEST_F(RestTest, RestFromEventRecord) {
    EventRecord event{};
    event.time = 512;
    event.duration = kEighth;
    event.step = static_cast<uint8_t>(-9);
    event.word2 = 2;       // two dots
    event.flags = 0x0010;  // size 1
    event.nudge = -3;
    event.tupletKind = 1;
    event.tupletRatio = 4;
    Note(2, 0, kQuarter, 0);  // another voice than the first is in use
    view_->voiceMask = 0x02;  // voice 1 edited
    ScoreObject* rest = NewRestInActiveVoice(view_, &event);
    ASSERT_NE(rest, nullptr);
    EXPECT_EQ(VoiceRests(1), std::vector<ScoreObject*>{rest});
    const RestBody& body = Body(rest);
    EXPECT_EQ(body.tick, 512);
    EXPECT_EQ(body.xOffset, -3);
    EXPECT_EQ(RestDots(body), 2);
    EXPECT_EQ(RestSize(body), 1);
    EXPECT_EQ(body.tupletKind, 1);
    EXPECT_EQ(body.tupletValue, 4);
    EXPECT_EQ(body.position, -9);  // voice 2 is in use: the position is kept
    // Voice 0 of an empty measure: the single-voice default of an eighth.
    view_->voiceMask = 0;
    UseMeasure(2);
    EXPECT_EQ(Body(NewRestInActiveVoice(view_, &event)).position, -5);
    // A half rest keeps the default even among other voices.
    UseMeasure(3);
    Note(1, 0, kQuarter, -2);
    event.duration = kHalf;
    EXPECT_EQ(Body(NewRestInActiveVoice(view_, &event)).position, -4);
}

class RestToolTest : public RestTest {
  protected:
    ScoreObject* Place(int pointerTick = 0) {
        view_->pointerPoint.x = CurrentSlotX(view_) + BeatMapTickToX(view_, pointerTick);
        return rests::TheRestClass().CreateAtClick(nullptr, view_);
    }
    // Takes a placed rest out again.
    void Remove(ScoreObject* rest) {
        UnlinkObject(rest);
        DestroyRest(rest);
    }
    RestToolState& Tool() { return State().notes.RestTools; }
};

// The value from the tool's palette index and variant, or the forced value; the
// place is the default of the value.
TEST_F(RestToolTest, ValueFromTheTool) {
    struct Case {
        uint8_t index, variant, forced;
        int code;
    };
    SetMeasureLength(1, 2 * kBar);  // room for a double whole
    const Case cases[] = {
        {1, 0, 0, kWhole},  {1, 1, 0, kDoubleWhole}, {2, 0, 0, kHalf}, {3, 0, 0, kQuarter},
        {4, 0, 0, kEighth}, {5, 0, 0, 8},            {6, 0, 0, 7},     {6, 3, 0, 4},
        {7, 9, 0, kEighth}, {3, 0, 8, 8},
    };
    for (const Case& c : cases) {
        Tool().paletteIndex = c.index;
        Tool().variant = c.variant;
        Tool().forcedCode = c.forced;
        ScoreObject* rest = Place();
        ASSERT_NE(rest, nullptr) << int(c.index) << "/" << int(c.variant);
        EXPECT_EQ(Body(rest).code, c.code) << int(c.index) << "/" << int(c.variant);
        EXPECT_EQ(Body(rest).position, RestStaffOffset(cell_, c.code, 0));
        EXPECT_EQ(TheSelectionState()->currentObject.get(), rest);
        Remove(rest);
    }
}

// Tuplet entry: a ratio among the nine fixed ones is stored by its index, another by
// its two numbers; the extra ratio only with its option. Dot entry gives the dots.
TEST_F(RestToolTest, TupletAndDotEntry) {
    Tool().tupletOn = 1;
    Tool().tupletFirst = 7;
    Tool().tupletSecond = 4;
    ScoreObject* fixed = Place();
    EXPECT_EQ(Body(fixed).tupletKind, 1);
    EXPECT_EQ(Body(fixed).tupletValue, 3);
    EXPECT_EQ(Body(fixed).extraRatio, 0);
    Remove(fixed);
    Tool().tupletFirst = 5;
    Tool().tupletSecond = 3;
    Tool().extraOn = 1;
    Tool().extraMultiplier = 2;
    Tool().extraDivisor = 3;
    Tool().dotsOn = 1;
    Tool().dots = 2;
    ScoreObject* free = Place();
    EXPECT_EQ(Body(free).tupletKind, 2);
    EXPECT_EQ(Body(free).tupletValue, 0x53);
    EXPECT_EQ(Body(free).extraRatio, 0x32);
    EXPECT_EQ(RestDots(Body(free)), 2);
}

// The tick: right after the voice's items before the pointer; the later items move on
// by the new rest's length.
TEST_F(RestToolTest, PlacedAfterTheItemsBeforeThePointer) {
    ScoreObject* first = Rest(0, 0, kQuarter);
    ScoreObject* later = Rest(0, 1024, kQuarter);
    Tool().paletteIndex = 4;  // eighth
    ScoreObject* rest = Place(1000);
    ASSERT_NE(rest, nullptr);
    EXPECT_EQ(Body(rest).tick, 1024);
    EXPECT_EQ(Body(later).tick, 1024 + 512);
    EXPECT_EQ(VoiceRests(0), (std::vector<ScoreObject*>{first, rest, later}));
}

// Room: an overrun below 16 ticks is accepted; 16 or more is refused with the notice
// and nothing placed, unless "Auto extend measure" is on, which lengthens the measure.
TEST_F(RestToolTest, RoomLeftInTheVoice) {
    MakeStatusBar();
    Tool().paletteIndex = 3;  // quarter, 1024 ticks
    SetMeasureLength(1, 1024 - 10);
    EXPECT_NE(Place(), nullptr);
    UseMeasure(2);
    SetMeasureLength(2, 1024 - 16);
    EXPECT_EQ(Place(), nullptr);
    EXPECT_TRUE(VoiceRests(0).empty());
    EXPECT_EQ(TheSelectionState()->rebuildRequested, 1);
    ASSERT_FALSE(Notices().empty());
    EXPECT_NE(Notices().back().find(kNoRoom), std::string::npos);
    State().notes.AutoExtendMeasure = 1;
    ASSERT_NE(Place(), nullptr);
    EXPECT_EQ(MeasureRecordOf(doc_, 2)->lengthTicks, 1024);
    EXPECT_EQ(VoiceRests(0).size(), 1u);
}

// No record to be had: placing does nothing.
TEST_F(RestToolTest, ExhaustedPoolPlacesNothing) {
    FailNextRecordAllocations(1);
    EXPECT_EQ(Place(), nullptr);
    EXPECT_TRUE(VoiceRests(0).empty());
}

}  // namespace
}  // namespace ql::testing_rests
