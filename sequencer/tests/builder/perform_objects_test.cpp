// What the MIDI-carrying marks add to a run: tempo changes (single and gradual,
// and the tempo reached before the start), dynamics as velocity changes or
// volume, pedal controllers, and clamping of bad values.
#include <gtest/gtest.h>

#include <algorithm>

#include "core/objects/midi_action.h"
#include "core/text/text_object.h"
#include "objects/hairpin/hairpin.h"
#include "objects/midi_marks/mark_classes.h"
#include "objects/spanners/spanner_classes.h"
#include "objects/spanners/spanner_objects.h"
#include "sequencer/tests/builder/score_fixture.h"
#include "staves/staff_group_bits.h"

namespace ql::testing {
namespace {

constexpr uint8_t kTimingGradual = 1 << 4;
constexpr uint8_t kDestinationAllStaves = 1;

class ObjectsTest : public ScoreTest {
protected:
    std::vector<Placed> Tempos(const std::vector<Placed>& all) {
        std::vector<Placed> out;
        for (const Placed& p : all)
            if (p.kind == PerformanceEventKind::Tempo) out.push_back(p);
        return out;
    }
    static MidiAction& Action(ScoreObject* mark) { return *MidiActionOfText(mark); }
    std::vector<int> OnKeys(const std::vector<Placed>& all) { return OnBytes(all, 1); }
    std::vector<int> OnVelocities(const std::vector<Placed>& all) { return OnBytes(all, 2); }
    std::vector<int> OnBytes(const std::vector<Placed>& all, int byte) {
        std::vector<int> out;
        for (const Placed& p : Channel(all))
            if ((p.message & 0xF0) == 0x90) out.push_back(MessageByte(p.message, byte));
        return out;
    }
    std::vector<Placed> Controllers(const std::vector<Placed>& all) {
        std::vector<Placed> out;
        for (const Placed& p : Channel(all))
            if ((p.message & 0xF0) == 0xB0) out.push_back(p);
        return out;
    }
    // A pedal mark of a staff, down or up, as the palette makes it.
    ScoreObject* Pedal(int measure, int tick, bool down, int staff = 1) {
        ScoreObject* mark = Mark(ObjectType::Pedal, staff, measure, tick);
        if (mark == nullptr) return nullptr;
        AsTextObject(mark)->body.string = down ? kPedalDownSymbol : kPedalUpSymbol;
        Action(mark).flags = kPedalNewFlags;
        Action(mark).controller = kPedalController;
        Action(mark).head.values.value = down ? kPedalDownValue : 0;
        return mark;
    }
};

// A quarter = 90 mark at beat 2 of measure 1 makes one tempo event of 90 x 1,024
// ticks a minute there; a gradual change from 60 to 120 over 4 sixteenths steps
// every 128 ticks and ends at the final tempo.
TEST_F(ObjectsTest, TempoMarks) {
    BuildScore(1, 2);
    ScoreObject* mark = Mark(ObjectType::Tempo, 1, 1, 1024);
    ASSERT_NE(mark, nullptr);
    Action(mark).head.values.value = 90;
    std::vector<Placed> tempos = Tempos(BuildAll(Options(1, 2)));
    ASSERT_EQ(tempos.size(), 1u);
    EXPECT_EQ(tempos[0].time, 1024);
    EXPECT_EQ(tempos[0].message, 90u * 1024u);
    Action(mark).head.values.value = 60;
    Action(mark).head.values.finalValue = 120;
    Action(mark).destinationTiming = kTimingGradual;
    Action(mark).interval = 4;
    tempos = Tempos(BuildAll(Options(1, 2)));
    ASSERT_EQ(tempos.size(), 9u);  // t = 0, 128 ... 896, and 1,024
    EXPECT_EQ(tempos[0].message, 60u * 1024u);
    EXPECT_EQ(tempos[4].time, 1024 + 512);
    EXPECT_EQ(tempos[4].message, 90u * 1024u);
    EXPECT_EQ(tempos[8].time, 2048);
    EXPECT_EQ(tempos[8].message, 120u * 1024u);
}

// A run from measure 2 starts at the tempo the mark in measure 1 has reached; a
// disabled mark plays nothing.
TEST_F(ObjectsTest, StartingTempoComesFromEarlierMarks) {
    BuildScore(1, 2);
    ScoreObject* mark = Mark(ObjectType::Tempo, 1, 1, 0);
    Action(mark).head.values.value = 60;
    Action(mark).head.values.finalValue = 100;
    Action(mark).destinationTiming = kTimingGradual;
    std::vector<Placed> tempos = Tempos(BuildAll(Options(2, 2)));
    ASSERT_EQ(tempos.size(), 1u);
    EXPECT_EQ(tempos[0].time, 0);
    EXPECT_EQ(tempos[0].message, 100u * 1024u);
    Action(mark).flags &= ~kMidiFlagEnabled;
    EXPECT_TRUE(Tempos(BuildAll(Options(2, 2))).empty());
    EXPECT_TRUE(Tempos(BuildAll(Options(1, 2))).empty());
}

// Started inside a gradual change from 60 to 120 (from beat 3 of measure 1 over
// a bar), the run follows the rest of the change as played from the start.
TEST_F(ObjectsTest, StartingInsideATempoChangeFollowsIt) {
    BuildScore(1, 2);
    ScoreObject* mark = Mark(ObjectType::Tempo, 1, 1, 2048);
    Action(mark).head.values.value = 60;
    Action(mark).head.values.finalValue = 120;
    Action(mark).destinationTiming = kTimingGradual;
    Action(mark).interval = 16;
    std::vector<Placed> fromTheStart;
    for (Placed p : Tempos(BuildAll(Options(1, 2)))) {
        if (p.time < kBar) continue;
        p.time -= kBar;
        fromTheStart.push_back(p);
    }
    const std::vector<Placed> fromMeasureTwo = Tempos(BuildAll(Options(2, 2)));
    ASSERT_EQ(fromMeasureTwo.size(), fromTheStart.size());
    EXPECT_EQ(fromMeasureTwo.front().message, 90u * 1024u);
    for (size_t i = 0; i < fromTheStart.size(); ++i) {
        EXPECT_EQ(fromMeasureTwo[i].time, fromTheStart[i].time);
        EXPECT_EQ(fromMeasureTwo[i].message, fromTheStart[i].message);
    }
}

// A dynamic with Key velocity changes the velocity of the notes from its tick on,
// on its own staff; one before the start still applies; a change past 127 is
// clamped and the note's velocity stops at 127.
TEST_F(ObjectsTest, DynamicsChangeVelocities) {
    BuildScore(2, 2);
    Note(1, 1, 0, kQuarter, 0);
    Note(1, 1, 2048, kQuarter, 0);
    Note(2, 1, 2048, kQuarter, 0);
    Note(1, 2, 0, kQuarter, 0);
    ScoreObject* mark = Mark(ObjectType::Dynamic, 1, 1, 1024);
    Action(mark).flags = static_cast<uint16_t>(Action(mark).flags | kMidiFlagKeyVelocity);
    Action(mark).head.values.value = -30;
    std::vector<Placed> notes = Channel(BuildAll(Options(1, 2)));
    std::vector<int> velocities;
    for (const Placed& p : notes)
        if ((p.message & 0xF0) == 0x90) velocities.push_back(MessageByte(p.message, 2));
    EXPECT_EQ(velocities, (std::vector<int>{64, 34, 64, 34}));
    notes = Channel(BuildAll(Options(2, 2)));
    EXPECT_EQ(MessageByte(notes[0].message, 2), 34);
    Action(mark).head.values.value = 300;
    notes = Channel(BuildAll(Options(2, 2)));
    EXPECT_EQ(MessageByte(notes[0].message, 2), 127);
}

// A dynamic marked for all staves (velocity -30 on staff 2 in measure 2) reaches
// staff 1 above it as well, at every block length: the note in measure 2 after
// the mark and the one a measure later play at 34; the note before it at 64.
TEST_F(ObjectsTest, DynamicsForAllStavesReachTheStavesAbove) {
    BuildScore(2, 3);
    Note(1, 2, 0, kQuarter, 0);
    Note(1, 2, 2048, kQuarter, 0);
    Note(1, 3, 0, kQuarter, 0);
    Note(2, 3, 0, kQuarter, 0);
    ScoreObject* mark = Mark(ObjectType::Dynamic, 2, 2, 1024);
    Action(mark).flags = static_cast<uint16_t>(Action(mark).flags | kMidiFlagKeyVelocity);
    Action(mark).destinationTiming = kDestinationAllStaves;
    Action(mark).head.values.value = -30;
    for (int32_t block : {kMinBlockLength, 1536, kMaxBlockLength}) {
        SCOPED_TRACE(block);
        std::vector<int> velocities;
        for (const Placed& p : Channel(BuildAll(Options(1, 3), block)))
            if ((p.message & 0xF0) == 0x90) velocities.push_back(MessageByte(p.message, 2));
        EXPECT_EQ(velocities, (std::vector<int>{64, 34, 34, 34}));
    }
}

// Without Key velocity a dynamic sends controller 7 with its value, clamped to
// 0..127, on each distinct port and channel of its voices; a pedal sends its own
// controller.
TEST_F(ObjectsTest, ControllersOfDynamicsAndPedals) {
    BuildScore(1, 1);
    StaffRecordOf(doc_, 1)->timbres[1] = StaffTimbre{1, 5, 0, 0};
    ScoreObject* dynamic = Mark(ObjectType::Dynamic, 1, 1, 0);
    Action(dynamic).flags = static_cast<uint16_t>((Action(dynamic).flags & ~kMidiFlagKeyVelocity & ~kMidiVoiceMask) |
                                                  (0x3 << kMidiVoiceShift));
    Action(dynamic).controller = 7;
    Action(dynamic).head.values.value = 100;
    std::vector<Placed> channel = Channel(BuildAll(Options(1, 1)));
    ASSERT_EQ(channel.size(), 2u);
    EXPECT_EQ(channel[0].message, 0xB0u | (7u << 8) | (100u << 16));
    EXPECT_EQ(channel[0].port, 0);
    EXPECT_EQ(channel[1].message, 0xB5u | (7u << 8) | (100u << 16));
    EXPECT_EQ(channel[1].port, 1);
    Action(dynamic).head.values.value = -5;
    EXPECT_EQ(MessageByte(Channel(BuildAll(Options(1, 1)))[0].message, 2), 0);
}

// A single value above 127 on controllers 0-31 goes out as 14 bits: the high seven
// on the controller, then the low seven on the one 32 higher, at the same tick;
// capped at 16,383. Controllers from 32 on, and the steps of a transition, are
// clamped to 127 instead.
TEST_F(ObjectsTest, WideControllerValuesAreSplitInTwoHalves) {
    BuildScore(1, 1);
    ScoreObject* pedal = Pedal(1, 1024, true);
    ASSERT_NE(pedal, nullptr);
    const auto sent = [&](int controller, int value) {
        Action(pedal).controller = static_cast<uint8_t>(controller);
        Action(pedal).head.values.value = static_cast<int16_t>(value);
        std::vector<uint32_t> messages;
        for (const Placed& p : Controllers(BuildAll(Options(1, 1)))) messages.push_back(p.message);
        return messages;
    };
    Action(pedal).controller = 7;
    Action(pedal).head.values.value = 300;
    const std::vector<Placed> halves = Controllers(BuildAll(Options(1, 1)));
    ASSERT_EQ(halves.size(), 2u);
    EXPECT_EQ(halves[0].time, 1024);
    EXPECT_EQ(halves[1].time, 1024);
    // 300 = 2 x 128 + 44.
    EXPECT_EQ(sent(7, 300), (std::vector<uint32_t>{0xB0u | (7u << 8) | (2u << 16), 0xB0u | (39u << 8) | (44u << 16)}));
    EXPECT_EQ(sent(31, 20000), (std::vector<uint32_t>{0xB0u | (31u << 8) | (127u << 16), 0xB0u | (63u << 8) | (127u << 16)}));
    EXPECT_EQ(sent(7, 127), (std::vector<uint32_t>{0xB0u | (7u << 8) | (127u << 16)}));
    EXPECT_EQ(sent(64, 300), (std::vector<uint32_t>{0xB0u | (64u << 8) | (127u << 16)}));
    // A gradual change from 0 to 300 over a sixteenth: 7-bit steps on controller 7 alone.
    Action(pedal).destinationTiming = kTimingGradual;
    Action(pedal).head.values.finalValue = 300;
    Action(pedal).interval = 1;
    for (const uint32_t message : sent(7, 0)) {
        EXPECT_EQ(MessageByte(message, 1), 7);
        EXPECT_LE(MessageByte(message, 2), 127);
    }
}

// Output destinations: staves 2 and 3 share a bracket, staves 4 and 5 a brace;
// each staff plays on its own channel. A pedal of staff 2 sent to its group
// reaches staves 2 and 3; to itself and staff 5, staves 2 and 5; to itself and
// staff 5's group, 2, 4 and 5; group and group, 2 to 5; a named staff outside the
// score adds nothing.
TEST_F(ObjectsTest, OutputDestinationsReachTheirStaves) {
    BuildScore(5, 1);
    for (int s = 1; s <= 5; ++s) StaffRecordOf(doc_, s)->timbres[0] = StaffTimbre{0, static_cast<uint8_t>(s), 0, 0};
    SetJoinsStaffBelow(*StaffRecordOf(doc_, 2), GroupKind::Bracket, true);
    SetJoinsStaffAbove(*StaffRecordOf(doc_, 3), GroupKind::Bracket, true);
    SetJoinsStaffBelow(*StaffRecordOf(doc_, 4), GroupKind::Brace, true);
    SetJoinsStaffAbove(*StaffRecordOf(doc_, 5), GroupKind::Brace, true);
    ScoreObject* pedal = Pedal(1, 0, true, 2);
    ASSERT_NE(pedal, nullptr);
    const auto channels = [&](uint8_t destination, int named) {
        Action(pedal).destinationTiming = destination;
        Action(pedal).namedStaff = static_cast<uint8_t>(named);
        std::vector<int> out;
        for (const Placed& p : Controllers(BuildAll(Options(1, 1)))) out.push_back(p.message & 0x0F);
        std::sort(out.begin(), out.end());
        return out;
    };
    EXPECT_EQ(channels(0, 0), (std::vector<int>{2}));
    EXPECT_EQ(channels(2, 0), (std::vector<int>{2, 3}));
    EXPECT_EQ(channels(3, 5), (std::vector<int>{2, 5}));
    EXPECT_EQ(channels(4, 5), (std::vector<int>{2, 3, 5}));
    EXPECT_EQ(channels(5, 5), (std::vector<int>{2, 4, 5}));
    EXPECT_EQ(channels(6, 4), (std::vector<int>{2, 3, 4, 5}));
    EXPECT_EQ(channels(3, 9), (std::vector<int>{2}));
    // A mark keeps bits 12-15 for itself: the named staff takes the mask of bits 8-11.
    for (int s = 1; s <= 5; ++s) StaffRecordOf(doc_, s)->timbres[1] = StaffTimbre{0, static_cast<uint8_t>(s + 8), 0, 0};
    Action(pedal).flags = static_cast<uint16_t>((Action(pedal).flags & ~kMidiVoiceMask & 0x0FFF) |
                                                (0x1 << kMidiVoiceShift) | 0x2000);
    EXPECT_EQ(channels(3, 5), (std::vector<int>{2, 5}));
}

// A crescendo hairpin over beats 1-2 (0 to 16 with Key velocity) raises the notes
// under it step by step, and the level it reached holds after it; with Enable MIDI
// clear it plays nothing.
TEST_F(ObjectsTest, HairpinsRaiseVelocities) {
    BuildScore(1, 1);
    for (int t = 0; t < kBar; t += 1024) Note(1, 1, t, kQuarter, 0);
    ScoreObject* object = Mark(ObjectType::Hairpin, 1, 1, 0);
    ASSERT_NE(object, nullptr);
    HairpinObject& hairpin = *AsHairpin(object);
    hairpin.points[0].coarse[0] = 0;
    hairpin.points[0].coarse[1] = 0;
    hairpin.points[1].coarse[0] = 0;
    hairpin.points[1].coarse[1] = 2048;
    std::vector<int> velocities;
    for (const Placed& p : Channel(BuildAll(Options(1, 1))))
        if ((p.message & 0xF0) == 0x90) velocities.push_back(MessageByte(p.message, 2));
    // t = 0: +0; t = 1,024: +8; from t = 1,920 on: +15 (steps of 128 while t < 2,048).
    EXPECT_EQ(velocities, (std::vector<int>{64, 72, 79, 79}));
    hairpin.action.flags &= ~kMidiFlagEnabled;
    velocities.clear();
    for (const Placed& p : Channel(BuildAll(Options(1, 1))))
        if ((p.message & 0xF0) == 0x90) velocities.push_back(MessageByte(p.message, 2));
    EXPECT_EQ(velocities, (std::vector<int>{64, 64, 64, 64}));
}

// An 8va sign over beats 1-2 raises the notes inside it an octave and leaves the
// one at its end; an 8vb label lowers them; a key pushed past 127 plays nothing.
TEST_F(ObjectsTest, OctaveSignsShiftTheirNotes) {
    BuildScore(1, 1);
    Note(1, 1, 0, kQuarter, 0);
    Note(1, 1, 1024, kQuarter, 0);
    Note(1, 1, 2048, kQuarter, 0);
    ScoreObject* object = Mark(ObjectType::Octave, 1, 1, 0);
    ASSERT_NE(object, nullptr);
    TextSpanner& line = *reinterpret_cast<TextSpanner*>(object);
    line.spanner.endpoint.start.coarse[0] = 0;
    line.spanner.endpoint.start.coarse[1] = 0;
    line.spanner.endpoint.end.coarse[0] = 0;
    line.spanner.endpoint.end.coarse[1] = 2048;
    auto keys = [&] {
        std::vector<int> out;
        for (const Placed& p : Channel(BuildAll(Options(1, 1))))
            if ((p.message & 0xF0) == 0x90) out.push_back(MessageByte(p.message, 1));
        return out;
    };
    line.text.body.string = kOctaveAboveCode;
    EXPECT_EQ(keys(), (std::vector<int>{76, 76, 64}));
    line.text.body.string = kOctaveBelowCode;
    EXPECT_EQ(keys(), (std::vector<int>{52, 52, 64}));
    line.text.body.string = kOctaveAboveCode;
    StaffRecordOf(doc_, 1)->semitones = 60;  // 124 + 12 is off the keyboard
    EXPECT_EQ(keys(), (std::vector<int>{124}));
}

// Started inside it, an 8va line from measure 1 to measure 3 still raises the
// note of measure 2 (key 76 from either start) and not the one of measure 3.
TEST_F(ObjectsTest, StartingInsideAnOctaveLinePlaysItsOctave) {
    BuildScore(1, 3);
    for (int m = 1; m <= 3; ++m) Note(1, m, 0, kQuarter, 0);
    TextSpanner& line = *reinterpret_cast<TextSpanner*>(Mark(ObjectType::Octave, 1, 1, 0));
    line.spanner.endpoint.start.coarse[0] = 0;
    line.spanner.endpoint.start.coarse[1] = 0;
    line.spanner.endpoint.end.coarse[0] = 2;  // measure 3, its first beat
    line.spanner.endpoint.end.coarse[1] = 0;
    line.text.body.string = kOctaveAboveCode;
    EXPECT_EQ(OnKeys(BuildAll(Options(1, 3))), (std::vector<int>{76, 76, 64}));
    EXPECT_EQ(OnKeys(BuildAll(Options(2, 3))), (std::vector<int>{76, 64}));
    EXPECT_EQ(OnKeys(BuildAll(Options(3, 3))), (std::vector<int>{64}));
}

// An 8va line over a multi-measure rest of three bars lasts all of them: it
// reaches the first beat of the measure after the rest, and not its second.
TEST_F(ObjectsTest, AnOctaveLineLastsEveryBarOfARestItCrosses) {
    BuildScore(1, 3);
    Note(1, 1, 0, kQuarter, 0);
    Note(1, 3, 0, kQuarter, 0);
    Note(1, 3, 1024, kQuarter, 0);
    MeasureRecordOf(doc_, 2)->extra = 2;
    TextSpanner& line = *reinterpret_cast<TextSpanner*>(Mark(ObjectType::Octave, 1, 1, 0));
    line.spanner.endpoint.start.coarse[0] = 0;
    line.spanner.endpoint.start.coarse[1] = 0;
    line.spanner.endpoint.end.coarse[0] = 2;
    line.spanner.endpoint.end.coarse[1] = 1024;
    line.text.body.string = kOctaveAboveCode;
    EXPECT_EQ(OnKeys(BuildAll(Options(1, 3))), (std::vector<int>{76, 76, 64}));
}

// Started after a pedal went down in measure 1, the run puts the pedal down at
// its first tick; after the pedal came up again, it sends the pedal up there;
// nothing when no pedal was marked before the start.
TEST_F(ObjectsTest, StartingAfterAPedalMarkPutsThePedalAsMarked) {
    BuildScore(1, 3);
    Note(1, 2, 0, kQuarter, 0);
    EXPECT_TRUE(Controllers(BuildAll(Options(2, 3))).empty());
    ASSERT_NE(Pedal(1, 0, true), nullptr);
    std::vector<Placed> controllers = Controllers(BuildAll(Options(2, 3)));
    ASSERT_EQ(controllers.size(), 1u);
    EXPECT_EQ(controllers[0].time, 0);
    EXPECT_EQ(controllers[0].message, 0xB0u | (64u << 8) | (127u << 16));
    Pedal(1, 2048, false);
    controllers = Controllers(BuildAll(Options(3, 3)));
    ASSERT_EQ(controllers.size(), 1u);
    EXPECT_EQ(controllers[0].message, 0xB0u | (64u << 8));
}

// A crescendo from beat 3 of measure 1 to beat 3 of measure 2 gives the notes of
// measure 2 the same velocities whether the run starts at measure 1 or inside
// the crescendo at measure 2.
TEST_F(ObjectsTest, StartingInsideAHairpinPlaysItsLevels) {
    BuildScore(1, 2);
    for (int t = 0; t < kBar; t += 1024) Note(1, 2, t, kQuarter, 0);
    HairpinObject& hairpin = *AsHairpin(Mark(ObjectType::Hairpin, 1, 1, 0));
    hairpin.points[0].coarse[0] = 0;
    hairpin.points[0].coarse[1] = 2048;
    hairpin.points[1].coarse[0] = 1;
    hairpin.points[1].coarse[1] = 2048;
    const std::vector<int> fromTheStart = OnVelocities(BuildAll(Options(1, 2)));
    EXPECT_EQ(fromTheStart, (std::vector<int>{72, 76, 79, 79}));
    EXPECT_EQ(OnVelocities(BuildAll(Options(2, 2))), fromTheStart);
}

}  // namespace
}  // namespace ql::testing
