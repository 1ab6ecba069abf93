// Mute, solo, Stop and several devices during a run: no note hangs, no note-off
// goes out for a note that was never sent, and controller messages follow mute
// but not solo.
#include <map>
#include <tuple>

#include "sequencer/tests/engine/engine_fixture.h"

namespace ql::testing {
namespace {

// The notes left sounding on the wire, per (port, channel, key): a note-on starts
// the note (again), a note-off or a velocity-0 note-on ends it. `strays` counts
// note-offs of notes that were not sounding.
std::map<std::tuple<int, int, int>, bool> Sounding(const std::vector<Sent>& sent, int* strays = nullptr) {
    std::map<std::tuple<int, int, int>, bool> sounding;
    for (const Sent& s : sent) {
        int kind = s.bytes[0] & 0xF0;
        if (kind != 0x80 && kind != 0x90) continue;
        bool& on = sounding[{s.port, s.bytes[0] & 0x0F, s.bytes[1]}];
        bool starts = kind == 0x90 && s.bytes[2] != 0;
        if (!starts && !on && strays != nullptr) ++*strays;
        on = starts;
    }
    std::erase_if(sounding, [](const auto& entry) { return !entry.second; });
    return sounding;
}

class EngineMixerTest : public EngineTest {
protected:
    // Slots 1 and 2 each sound a note from tick 0 to tick 500 on channels 0 and 1,
    // with a second note each from 600 to 700; a clock-like controller runs every
    // 50 ticks on slot 1 so that the engine calls often.
    void BuildTwoSlots() {
        for (int slot = 1; slot <= 2; ++slot) {
            auto channel = static_cast<uint8_t>(slot - 1);
            AddNote(HalfA(), 0, 0x90 | channel, 60, 80, 0, slot);
            AddNote(HalfA(), 500, 0x80 | channel, 60, 0, 0, slot);
            AddNote(HalfA(), 600, 0x90 | channel, 62, 80, 0, slot);
            AddNote(HalfA(), 700, 0x80 | channel, 62, 0, 0, slot);
        }
        for (int tick = 50; tick < 1000; tick += 50) Add(HalfA(), tick, PerformanceEventKind::Channel, Pack(0xB0, 1, 0));
    }
};

// Muting a slot mid-note ends its sounding note at the engine's next call; its
// own note-off later is dropped, and its next note-on is skipped.
TEST_F(EngineMixerTest, MuteMidNoteEndsTheNote) {
    BuildTwoSlots();
    StartRun();
    Advance(120);
    SetSlotMute(*state_, 1, true);
    Advance(31);  // the engine's next call is at 151
    EXPECT_TRUE(Sounding(SentTo(0)).count({0, 0, 60}) == 0) << "slot 1's note still sounds";
    Advance(850);
    int strays = 0;
    EXPECT_TRUE(Sounding(SentTo(0), &strays).empty());
    EXPECT_EQ(strays, 0);
    int slotOneOffs = 0;
    int controllers = 0;
    for (const Sent& s : SentTo(0)) {
        if (s.bytes[0] == 0x80 && s.bytes[1] == 60) ++slotOneOffs;
        if (s.bytes[0] == 0xB0) ++controllers;
    }
    EXPECT_EQ(slotOneOffs, 1);
    // Slot 1's controllers stop with the mute (the first two went out before it).
    EXPECT_EQ(controllers, 2);
}

// Soloing slot 2 mid-note silences slot 1 at once; un-soloing lets slot 1's
// later notes play, and a note-off of a skipped note-on never goes out.
TEST_F(EngineMixerTest, SoloMidNoteEndsTheOtherSlots) {
    BuildTwoSlots();
    StartRun();
    Advance(120);
    SetSlotSolo(*state_, 2, true);
    Advance(530);  // to 650: slot 1's second note-on (600) is skipped
    SetSlotSolo(*state_, 2, false);
    Advance(350);
    EXPECT_TRUE(Sounding(SentTo(0)).empty());
    int ons = 0;
    int offs = 0;
    int controllers = 0;
    for (const Sent& s : SentTo(0)) {
        if ((s.bytes[0] & 0x0F) != 0) continue;  // slot 1 plays on channel 0
        if (s.bytes[0] == 0x90) ++ons;
        if (s.bytes[0] == 0x80) ++offs;
        if (s.bytes[0] == 0xB0) ++controllers;
    }
    EXPECT_EQ(ons, 1);
    EXPECT_EQ(offs, 1);
    // Solo does not apply to controllers: all 19 went out.
    EXPECT_EQ(controllers, 19);
}

// One key on one channel sounding on two devices (a quarter on Out A, a half on
// Out B), from two staves and from two voices of one staff: each device gets its
// own note-off at its own note's end, and Stop in the middle ends both.
TEST_F(EngineMixerTest, EachDeviceEndsItsOwnNotes) {
    for (int secondSlot : {2, 1}) {
        for (bool stopEarly : {false, true}) {
            SCOPED_TRACE(::testing::Message() << "second slot " << secondSlot << (stopEarly ? ", Stop" : ""));
            TearDown();
            SetUp();
            AddNote(HalfA(), 0, 0x90, 60, 80, 0, 1);
            AddNote(HalfA(), 0, 0x90, 60, 80, 1, secondSlot);
            AddNote(HalfA(), 100, 0x80, 60, 0, 0, 1);
            AddNote(HalfA(), 200, 0x80, 60, 0, 1, secondSlot);
            StartRun();
            Advance(stopEarly ? 50 : 300);
            if (stopEarly) StopRun();
            EXPECT_TRUE(Sounding(midi::headless::Sent()).empty()) << "a note hangs";
            if (stopEarly) continue;
            ASSERT_EQ(SentTo(0).size(), 2u);
            ASSERT_EQ(SentTo(1).size(), 2u);
            EXPECT_EQ(SentTo(0)[1].ms, 101u);
            EXPECT_EQ(SentTo(0)[1].bytes, (Bytes{0x80, 60, 0}));
            EXPECT_EQ(SentTo(1)[1].ms, 201u);
            EXPECT_EQ(SentTo(1)[1].bytes, (Bytes{0x80, 60, 0}));
        }
    }
}

// Two ports on one device share its count: the note-off goes out with the later
// of the two notes' ends, as on one port.
TEST_F(EngineMixerTest, PortsOfOneDeviceShareTheirNotes) {
    state_->run.portHandle[2] = outA_.get();
    AddNote(HalfA(), 0, 0x90, 60, 80, 0, 1);
    AddNote(HalfA(), 0, 0x90, 60, 80, 2, 2);
    AddNote(HalfA(), 100, 0x80, 60, 0, 0, 1);
    AddNote(HalfA(), 200, 0x80, 60, 0, 2, 2);
    StartRun();
    Advance(300);
    std::vector<Sent> expected{{1, 0, {0x90, 60, 80}}, {1, 0, {0x90, 60, 80}}, {201, 0, {0x80, 60, 0}}};
    EXPECT_EQ(midi::headless::Sent(), expected);
}

// Mute and solo in any order, many times over: the wire never keeps a note
// sounding after the notes' own ends and the silences.
TEST_F(EngineMixerTest, RandomMuteAndSoloLeaveNothingHanging) {
    Configure(1200, 60000, 4);
    for (int slot = 1; slot <= 4; ++slot)
        for (int tick = slot; tick < 1150; tick += 37) {
            auto key = static_cast<uint8_t>(40 + (tick % 5));  // repeated keys overlap across slots
            AddNote(HalfA(), tick, 0x90 | (slot % 2), key, 70, slot % 2, slot);
            AddNote(HalfA(), tick + 30, 0x80 | (slot % 2), key, 0, slot % 2, slot);
        }
    uint32_t seed = 12345;
    auto next = [&seed] { return seed = seed * 1103515245u + 12345u, (seed >> 16) & 0x7FFF; };
    StartRun();
    for (int step = 0; step < 120; ++step) {
        int slot = 1 + static_cast<int>(next() % 4);
        if (next() % 2) {
            SetSlotMute(*state_, slot, next() % 2 == 0);
        } else {
            SetSlotSolo(*state_, slot, next() % 3 == 0);
        }
        Advance(1 + next() % 15);
    }
    for (int slot = 1; slot <= 4; ++slot) {
        SetSlotMute(*state_, slot, false);
        SetSlotSolo(*state_, slot, false);
    }
    Advance(1300);
    int strays = 0;
    EXPECT_TRUE(Sounding(midi::headless::Sent(), &strays).empty());
    EXPECT_EQ(strays, 0);
}

}  // namespace
}  // namespace ql::testing
