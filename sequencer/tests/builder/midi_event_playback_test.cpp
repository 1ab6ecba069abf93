// What a MIDI event object plays: the bytes of each message kind (the pitch
// wheel's 14 bits split low half first, values held to their ranges), notes with
// their note-off an interval later, user bytes as short messages, system exclusive
// as a long message the virtual device receives whole, objects on notes at their
// note's tick, and the objects of the measures before the start.
#include <gtest/gtest.h>

#include <algorithm>

#include "core/model/events.h"
#include "core/model/object_list.h"
#include "core/objects/midi_action.h"
#include "core/text/text_object.h"
#include "notes/accidentals/accidental.h"
#include "platform/midi/headless.h"
#include "sequencer/action_dialogs.h"
#include "sequencer/tests/builder/score_fixture.h"

namespace ql::testing {
namespace {

constexpr uint8_t kLinear = kTimingLinear << kMidiTimingShift;

class MidiEventPlaybackTest : public ScoreTest {
protected:
    void SetUp() override {
        ScoreTest::SetUp();
        RegisterAccidentalClass();  // a note's attachment chain starts with its accidental
    }
    // A MIDI event object at a tick of a cell, MIDI enabled, of the kind and value.
    ScoreObject* Event(int measure, int tick, uint8_t kind, int value, int staff = 1) {
        ScoreObject* object = Mark(ObjectType::MidiEvent, staff, measure, tick);
        if (object == nullptr) return nullptr;
        AsTextObject(object)->body.location.position = static_cast<uint32_t>(tick) << 16;
        SetKind(object, kind, value);
        return object;
    }
    static void SetKind(ScoreObject* object, uint8_t kind, int value) {
        MidiAction& action = *MidiActionOfText(object);
        action.flags = static_cast<uint16_t>(kMidiFlagEnabled | (kind << kMidiKindShift) | (1 << kMidiVoiceShift));
        action.destinationTiming = 0;
        action.head.values.value = static_cast<int16_t>(value);
        action.interval = 16;
    }
    static MidiAction& Action(ScoreObject* object) { return *MidiActionOfText(object); }
    // Gives the action user bytes (kind 6), with or without the system-exclusive bit.
    static void SetUserBytes(ScoreObject* object, std::vector<uint8_t> bytes, bool systemExclusive) {
        MidiAction& action = Action(object);
        SetMidiActionKind(&action, kMidiKindUserBytes, kTimingSingle);
        ASSERT_GE(SetMidiActionData(&action, bytes.data(), bytes.size()), 0);
        action.head.data.length = static_cast<uint8_t>(bytes.size());
        if (systemExclusive) action.flags |= kMidiFlagSystemExclusive;
    }
    // The channel messages placed, as (time, message).
    std::vector<std::pair<int32_t, uint32_t>> Messages(int first = 1, int last = 1) {
        std::vector<std::pair<int32_t, uint32_t>> out;
        for (const Placed& p : Channel(BuildAll(Options(first, last)))) out.emplace_back(p.time, p.message);
        return out;
    }
    // The (port, channel) of each channel message placed, in order.
    std::vector<std::pair<int, int>> PortsAndChannels() {
        std::vector<std::pair<int, int>> out;
        for (const Placed& p : Channel(BuildAll(Options(1, 1)))) out.emplace_back(p.port, p.message & 0x0F);
        return out;
    }
    static uint32_t Pack(int status, int data1, int data2) {
        return static_cast<uint32_t>(status) | static_cast<uint32_t>(data1) << 8 | static_cast<uint32_t>(data2) << 16;
    }
};

// The pitch wheel's value is the bend's 14 bits (8,192 the centre): data 1 takes
// the low seven, data 2 the high seven; values outside 0..16,383 are held to it. A
// linear bend from the centre to the top over a sixteenth steps every 128 ticks.
TEST_F(MidiEventPlaybackTest, PitchWheelSendsItsFourteenBitsLowHalfFirst) {
    BuildScore(1, 1);
    ScoreObject* wheel = Event(1, 1024, kMidiKindPitchWheel, 8192);
    ASSERT_NE(wheel, nullptr);
    const auto sent = [&](int value) {
        Action(wheel).head.values.value = static_cast<int16_t>(value);
        return Messages();
    };
    using Sent = std::vector<std::pair<int32_t, uint32_t>>;
    EXPECT_EQ(sent(8192), (Sent{{1024, Pack(0xE0, 0x00, 0x40)}}));
    EXPECT_EQ(sent(10000), (Sent{{1024, Pack(0xE0, 10000 % 128, 10000 / 128)}}));
    EXPECT_EQ(sent(100), (Sent{{1024, Pack(0xE0, 100, 0)}}));
    EXPECT_EQ(sent(16383), (Sent{{1024, Pack(0xE0, 0x7F, 0x7F)}}));
    EXPECT_EQ(sent(-5), (Sent{{1024, Pack(0xE0, 0, 0)}}));
    EXPECT_EQ(sent(20000), (Sent{{1024, Pack(0xE0, 0x7F, 0x7F)}}));
    Action(wheel).destinationTiming = kLinear;
    Action(wheel).head.values.finalValue = 16383;
    Action(wheel).interval = 1;
    // 8,192 + 8,191 x 128 / 256 = 12,287 = 95 x 128 + 127.
    EXPECT_EQ(sent(8192), (Sent{{1024, Pack(0xE0, 0, 0x40)}, {1152, Pack(0xE0, 127, 95)}}));
}

// Key pressure goes to the action's key, channel pressure and patch change carry
// one data byte; each is held to 0..127, and a patch change is one message even
// when the action is marked gradual.
TEST_F(MidiEventPlaybackTest, PressureAndPatchMessages) {
    BuildScore(1, 1);
    StaffRecordOf(doc_, 1)->timbres[0] = StaffTimbre{0, 3, 0, 0};
    ScoreObject* object = Event(1, 0, kMidiKindKeyPressure, 90);
    ASSERT_NE(object, nullptr);
    Action(object).controller = 60;
    using Sent = std::vector<std::pair<int32_t, uint32_t>>;
    EXPECT_EQ(Messages(), (Sent{{0, Pack(0xA3, 60, 90)}}));
    SetKind(object, kMidiKindChannelPressure, 300);
    EXPECT_EQ(Messages(), (Sent{{0, Pack(0xD3, 127, 0)}}));
    SetKind(object, kMidiKindPatch, 40);
    Action(object).destinationTiming = kLinear;
    Action(object).head.values.finalValue = 45;
    EXPECT_EQ(Messages(), (Sent{{0, Pack(0xC3, 40, 0)}}));
    Action(object).flags &= ~kMidiFlagEnabled;
    EXPECT_TRUE(Messages().empty());
}

// A note: key in the value's low byte, velocity in its high byte; its note-off an
// interval later (a whole note when the interval is 0). A key above 127 or a
// velocity of 0 plays nothing; a velocity above 127 plays at 127.
TEST_F(MidiEventPlaybackTest, NoteMessagesEndOneIntervalLater) {
    BuildScore(1, 2);
    ScoreObject* note = Event(1, 512, kMidiKindNote, 60 | 100 << 8);
    ASSERT_NE(note, nullptr);
    Action(note).interval = 2;
    using Sent = std::vector<std::pair<int32_t, uint32_t>>;
    EXPECT_EQ(Messages(1, 2), (Sent{{512, Pack(0x90, 60, 100)}, {1024, Pack(0x80, 60, 64)}}));
    Action(note).interval = 0;
    EXPECT_EQ(Messages(1, 2), (Sent{{512, Pack(0x90, 60, 100)}, {4608, Pack(0x80, 60, 64)}}));
    Action(note).head.values.value = static_cast<int16_t>(200 | 100 << 8);
    EXPECT_TRUE(Messages(1, 2).empty());
    Action(note).head.values.value = 60;
    EXPECT_TRUE(Messages(1, 2).empty());
    Action(note).head.values.value = static_cast<int16_t>(0xFF3C);  // velocity 255
    EXPECT_EQ(Messages(1, 2).front().second, Pack(0x90, 60, 127));
}

// User bytes without the system-exclusive bit are whole short messages, one event
// each, read up to the first byte that does not make one; an export keeps only
// the channel messages, and makes system exclusive a body event, once even when
// the object sends to two ports.
TEST_F(MidiEventPlaybackTest, UserBytesAreShortMessages) {
    BuildScore(1, 1);
    ScoreObject* object = Event(1, 0, kMidiKindNote, 0);
    ASSERT_NE(object, nullptr);
    SetUserBytes(object, {0xB2, 0x07, 0x64, 0xC2, 0x05, 0x90, 0x3C}, false);
    using Sent = std::vector<std::pair<int32_t, uint32_t>>;
    EXPECT_EQ(Messages(), (Sent{{0, Pack(0xB2, 7, 100)}, {0, Pack(0xC2, 5, 0)}}));
    SetUserBytes(object, {0xB2, 0x87, 0x64}, false);  // a data byte with its top bit
    EXPECT_TRUE(Messages().empty());
    PerformanceOptions exporting = Options(1, 1);
    exporting.exporting = true;
    SetUserBytes(object, {0xF8, 0xC2, 0x05}, false);  // a clock byte, then a patch change
    EXPECT_EQ(Messages(), (Sent{{0, Pack(0xF8, 0, 0)}, {0, Pack(0xC2, 5, 0)}}));
    std::vector<uint32_t> exported;
    for (const Placed& p : Channel(BuildAll(exporting))) exported.push_back(p.message);
    EXPECT_EQ(exported, (std::vector<uint32_t>{Pack(0xC2, 5, 0)}));
    SetUserBytes(object, {0xF0, 0x7E, 0x7F, 0xF7}, true);
    StaffRecordOf(doc_, 1)->timbres[1] = StaffTimbre{1, 0, 0, 0};
    Action(object).flags &= ~kMidiVoiceMask;  // all four voices: ports A and B
    std::vector<Placed> bodies;
    for (const Placed& p : BuildAll(exporting)) {
        EXPECT_NE(p.kind, PerformanceEventKind::LongMessage);
        if (p.kind == PerformanceEventKind::SysExBody) bodies.push_back(p);
    }
    ASSERT_EQ(bodies.size(), 1u);
    EXPECT_EQ(bodies[0].time, 0);
    EXPECT_EQ(bodies[0].message, 1u);  // the run's first long message
}

// Played through a virtual device, a system-exclusive object arrives whole at its
// tick; bytes typed without F0 and F7 get them, and one with a status byte inside
// is not sent. The end repeat at measure 2's barline plays measure 1 twice, and
// its message again.
TEST_F(MidiEventPlaybackTest, SystemExclusiveReachesTheDeviceWhole) {
    midi::headless::AddDevice("Synth A", true, false);
    BuildScore(1, 2);
    SetBarline(2, 6, 1);
    ScoreObject* first = Event(1, 1024, kMidiKindNote, 0);
    ScoreObject* second = Event(2, 0, kMidiKindNote, 0);
    ScoreObject* broken = Event(2, 1024, kMidiKindNote, 0);
    ASSERT_TRUE(first != nullptr && second != nullptr && broken != nullptr);
    SetUserBytes(first, {0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7}, true);
    SetUserBytes(second, {0x43, 0x10, 0x4C}, true);
    SetUserBytes(broken, {0xF0, 0x43, 0x90, 0xF7}, true);
    PlaybackRequest request = Request(1, 2);
    request.ports.entries = {1, 0, 0, 0, 0, 0, 0, 0};
    ASSERT_EQ(StartPlayback(request), PlaybackStart::Started);
    for (uint32_t ms = 0; ms < 60000 && IsPlaybackRunning(); ms += 100) Advance(100);
    std::vector<std::vector<uint8_t>> longs;
    for (const midi::headless::SentMessage& sent : PlayedMessages())
        if (!sent.bytes.empty() && sent.bytes.front() == 0xF0) longs.push_back(sent.bytes);
    const std::vector<uint8_t> reset{0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7};
    const std::vector<uint8_t> closed{0xF0, 0x43, 0x10, 0x4C, 0xF7};
    EXPECT_EQ(longs, (std::vector<std::vector<uint8_t>>{reset, reset, closed}));
}

// An object attached to a note plays at the note's tick; the objects of the
// measures before the start leave their state (the bend reached) at tick 0, but
// their notes are not played.
TEST_F(MidiEventPlaybackTest, ObjectsOnNotesAndBeforeTheStart) {
    BuildScore(1, 2);
    EventRecord* note = Note(1, 2, 2048, kQuarter, 0);
    ASSERT_NE(note, nullptr);
    ScoreObject* onNote = ConstructObject(TypeCode(ObjectType::MidiEvent));
    ASSERT_NE(onNote, nullptr);
    onNote->subtype = SubtypeCode(ObjectSubtype::NoteAttachment);
    ASSERT_EQ(AttachObjectToNote(view_, note, onNote), 1);
    SetKind(onNote, kMidiKindController, 30);
    Action(onNote).controller = 74;
    ASSERT_NE(Event(1, 0, kMidiKindPitchWheel, 4096), nullptr);
    ASSERT_NE(Event(1, 1024, kMidiKindPitchWheel, 6000), nullptr);
    ASSERT_NE(Event(1, 2048, kMidiKindNote, 60 | 90 << 8), nullptr);
    std::vector<std::pair<int32_t, uint32_t>> controls;
    for (const auto& [time, message] : Messages(1, 2))
        if ((message & 0xF0) == 0xB0) controls.emplace_back(time, message);
    EXPECT_EQ(controls, (std::vector<std::pair<int32_t, uint32_t>>{{4096 + 2048, Pack(0xB0, 74, 30)}}));
    std::vector<std::pair<int32_t, uint32_t>> fromTwo;
    for (const auto& [time, message] : Messages(2, 2))
        if ((message & 0xF0) != 0x90 && (message & 0xF0) != 0x80) fromTwo.emplace_back(time, message);
    EXPECT_EQ(fromTwo, (std::vector<std::pair<int32_t, uint32_t>>{{0, Pack(0xE0, 6000 % 128, 6000 / 128)},
                                                                  {2048, Pack(0xB0, 74, 30)}}));
    const auto noteOns = Messages(2, 2);
    EXPECT_EQ(std::count_if(noteOns.begin(), noteOns.end(), [](const auto& m) { return (m.second & 0xF0) == 0x90; }),
              1);  // the score's note alone
}

// Sent to this staff and a named one, the object's voices on this staff come from
// flag bits 8-11 and those on the named staff from bits 12-15, a mask of 0 being
// all four; a staff that is both (named itself) takes the voices of both masks.
TEST_F(MidiEventPlaybackTest, TheNamedStaffTakesItsOwnVoiceMask) {
    BuildScore(2, 1);
    for (int v = 0; v < kVoicesPerStaff; ++v) {
        StaffRecordOf(doc_, 1)->timbres[v] = StaffTimbre{0, static_cast<uint8_t>(v), 0, 0};
        StaffRecordOf(doc_, 2)->timbres[v] = StaffTimbre{1, static_cast<uint8_t>(4 + v), 0, 0};
    }
    ScoreObject* object = Event(1, 0, kMidiKindController, 90);
    ASSERT_NE(object, nullptr);
    const auto sentTo = [&](int near, int remote, int named) {
        MidiAction& action = Action(object);
        action.flags = static_cast<uint16_t>(kMidiFlagEnabled | kMidiKindController << kMidiKindShift |
                                             near << kMidiVoiceShift | remote << kMidiRemoteMaskShift);
        action.destinationTiming = 3;  // this staff and the named staff
        action.namedStaff = static_cast<uint8_t>(named);
        return PortsAndChannels();
    };
    using Sent = std::vector<std::pair<int, int>>;
    EXPECT_EQ(sentTo(0x1, 0x4, 2), (Sent{{0, 0}, {1, 6}}));
    EXPECT_EQ(sentTo(0x1, 0x0, 2), (Sent{{0, 0}, {1, 4}, {1, 5}, {1, 6}, {1, 7}}));
    EXPECT_EQ(sentTo(0x0, 0x8, 2), (Sent{{0, 0}, {0, 1}, {0, 2}, {0, 3}, {1, 7}}));
    EXPECT_EQ(sentTo(0x1, 0x4, 1), (Sent{{0, 0}, {0, 2}}));
}

// A voice whose timbre has no port plays its notes on the staff's main timbre, so
// a message sent to voices goes there too; sent to timbres (flag bit 3), the mask
// names the timbres themselves and one without a port sends nothing.
TEST_F(MidiEventPlaybackTest, VoicesFollowTheirNotesAndTimbresTakeTheirOwnPorts) {
    BuildScore(1, 1);
    StaffTimbre* timbres = StaffRecordOf(doc_, 1)->timbres;
    timbres[0] = StaffTimbre{0, 2, 0, 0};
    timbres[1] = StaffTimbre{0xFF, 0, 0, 0};
    timbres[2] = StaffTimbre{1, 5, 0, 0};
    timbres[3] = StaffTimbre{0xFF, 9, 0, 0};
    ScoreObject* object = Event(1, 0, kMidiKindController, 90);
    ASSERT_NE(object, nullptr);
    const auto sentTo = [&](int mask, bool toTimbres) {
        MidiAction& action = Action(object);
        action.flags = static_cast<uint16_t>(kMidiFlagEnabled | kMidiKindController << kMidiKindShift |
                                             mask << kMidiVoiceShift | (toTimbres ? kMidiFlagTimbres : 0));
        return PortsAndChannels();
    };
    using Sent = std::vector<std::pair<int, int>>;
    EXPECT_EQ(sentTo(0x0, false), (Sent{{0, 2}, {1, 5}}));
    EXPECT_EQ(sentTo(0x2, false), (Sent{{0, 2}}));
    EXPECT_EQ(sentTo(0x0, true), (Sent{{0, 2}, {1, 5}}));
    EXPECT_TRUE(sentTo(0xA, true).empty());
    EXPECT_EQ(sentTo(0x6, true), (Sent{{1, 5}}));
}

}  // namespace
}  // namespace ql::testing
