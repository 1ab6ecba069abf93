// MIDI step entry: keys held together make one chord and the cursor moves on when a
// key is released; the pedal keys choose values or enter rests; messages go through
// to the thru ports while step entry is off; and the input device's queue.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <vector>

#include "core/model/events.h"
#include "core/model/grid_records.h"
#include "core/model/score_document.h"
#include "core/settings/program_options.h"
#include "core/state.h"
#include "core/ui/status_bar_notes.h"
#include "display/view_location.h"
#include "notes/entry/note_entry.h"
#include "notes/pitch/accidental_state.h"
#include "notes/step_entry/step_entry.h"
#include "notes/step_entry/step_entry_input.h"
#include "notes/step_entry/step_entry_output.h"
#include "notes/tests/entry/entry_fixture.h"
#include "platform/gfx/mapping.h"
#include "platform/midi/headless.h"
#include "platform/tests/win/plain_window.h"
#include "platform/win/message_loop.h"

namespace ql::testing_entry {
namespace {

constexpr uint32_t kNoteOn = 0x90;
constexpr uint32_t kNoteOff = 0x80;
constexpr uint32_t kController = 0xB0;
constexpr int kVelocity = 100;
constexpr int kEighthRestCode = 9;
constexpr int kEighthEntry = 4;

uint32_t Message(uint32_t status, int data1, int data2) {
    return status | (static_cast<uint32_t>(data1) << 8) | (static_cast<uint32_t>(data2) << 16);
}

class StepEntry : public EntryTest {
  protected:
    void SetUp() override {
        EntryTest::SetUp();
        ResetStepEntry();
        Options().AllowStepEntry = 1;
        State().sequencer.StepEntryEnabled = 1;
        PointAt(0, kMiddleLine);
        midi::headless::ClearSent();
    }
    void TearDown() override {
        CloseStepEntryOutputs();
        ResetStepEntry();
        Options().AllowStepEntry = 0;
        Options().ThruPorts = 0;
        State().sequencer.StepEntryEnabled = 0;
        EntryTest::TearDown();
    }
    void Press(int key, int velocity = kVelocity) { StepEntryFromMidiInput(view_, Message(kNoteOn, key, velocity)); }
    void Release(int key) { StepEntryFromMidiInput(view_, Message(kNoteOff, key, 0)); }
    void Pedal(bool down) { StepEntryFromMidiInput(view_, Message(kController, kStepPedalController, down ? 127 : 0)); }
    int KeyOf(const EventRecord* note) {
        return ComputeNoteKeyInCell(view_->currentStaffRecord, cell_, *note, 0);
    }
    int PointerTime() { return XToTime(view_, view_->pointerPoint.x); }
};

// Keys pressed before any is released make one chord at the cursor with the
// pitches played; the first release moves the cursor past the chord, later releases
// do nothing, and the next key starts a new chord there.
TEST_F(StepEntry, OverlappingKeysMakeOneChordAndTheFirstReleaseMovesOn) {
    Press(60);
    Press(64);
    cell_ = view_->currentCell;
    ASSERT_EQ(Chords().size(), 1u);
    std::vector<int> keys;
    for (EventRecord* note : Voice()) keys.push_back(KeyOf(note));
    std::sort(keys.begin(), keys.end());
    EXPECT_EQ(keys, (std::vector<int>{60, 64}));
    EXPECT_EQ(StepEntryNow().stepChordOpen, 1);
    const RecordHandle first = StepEntryNow().stepNote;
    ASSERT_NE(ResolveEvent(first), nullptr) << "the first key's note is kept";
    EXPECT_EQ(KeyOf(ResolveEvent(first)), 60);
    Release(64);
    EXPECT_EQ(StepEntryNow().stepChordOpen, 0);
    EXPECT_FALSE(StepEntryNow().stepNote);
    const LogicalPoint after = view_->pointerPoint;
    EXPECT_GT(PointerTime(), 0) << "past the first note";
    Release(60);  // the chord is closed: nothing moves
    EXPECT_EQ(view_->pointerPoint.x, after.x);
    Press(62);
    Release(62);
    cell_ = view_->currentCell;
    const std::vector<EventRecord*> chords = Chords();
    ASSERT_EQ(chords.size(), 2u);
    EXPECT_EQ(chords[1]->time, kEighthTicks);
    EXPECT_EQ(KeyOf(chords[1]), 62);
}

// With "Multinote Mode" off keys held together are entered one after another: the
// second key closes the first one's note and follows it.
TEST_F(StepEntry, WithoutMultinoteModeHeldKeysFollowEachOther) {
    Options().PolyMode = 0;
    Press(60);
    Press(64);
    Options().PolyMode = 1;
    cell_ = view_->currentCell;
    const std::vector<EventRecord*> chords = Chords();
    ASSERT_EQ(chords.size(), 2u);
    EXPECT_EQ(KeyOf(chords[0]), 60);
    EXPECT_EQ(KeyOf(chords[1]), 64);
    EXPECT_EQ(chords[1]->time, kEighthTicks);
}

// Three keys held together, each pressed while the others sound and in no order of
// pitch, are one chord of all three; the releases in another order move on once.
TEST_F(StepEntry, ThreeOverlappingKeysMakeOneChord) {
    Press(64);
    Press(60);
    Press(67);
    cell_ = view_->currentCell;
    ASSERT_EQ(Chords().size(), 1u);
    std::vector<int> keys;
    for (EventRecord* note : Voice()) keys.push_back(KeyOf(note));
    std::sort(keys.begin(), keys.end());
    EXPECT_EQ(keys, (std::vector<int>{60, 64, 67}));
    Release(60);
    const LogicalPoint after = view_->pointerPoint;
    Release(67);
    Release(64);
    EXPECT_EQ(view_->pointerPoint.x, after.x);
    cell_ = view_->currentCell;
    EXPECT_EQ(Chords().size(), 1u);
    EXPECT_EQ(Voice().size(), 3u);
}

// A note-on of velocity 0 is a release; a release with no chord open (a note-off
// without its note-on) changes nothing.
TEST_F(StepEntry, VelocityZeroReleasesAndStrayNoteOffIsIgnored) {
    const std::vector<uint8_t> before = PoolBytes();
    Release(72);
    EXPECT_EQ(PoolBytes(), before);
    EXPECT_EQ(PointerTime(), 0);
    Press(60);
    Press(60, 0);
    EXPECT_EQ(StepEntryNow().stepChordOpen, 0);
    Press(62);
    cell_ = view_->currentCell;
    ASSERT_EQ(Chords().size(), 2u);
    EXPECT_EQ(Chords()[1]->time, kEighthTicks) << "the release moved the cursor on";
}

// With the pedal down key 60 presses the fourth value button in note mode (the next
// notes are eighths) and, after key 48 switched to rest mode, enters an eighth rest
// at the cursor, moves past it and posts a button-up at the pointer. Other keys do
// nothing; the pedal up makes keys notes again.
TEST_F(StepEntry, PedalKeysChooseValuesOrEnterRests) {
    State().notes.NoteTools.selectedEntry = 2;
    view_->ViewWindow = ::ql::testing::OpenPlainWindow("QLStepView", 400, 300);
    Pedal(true);
    Press(60);
    EXPECT_EQ(State().notes.NoteTools.selectedEntry, kEighthEntry);
    EXPECT_TRUE(Voice().empty()) << "a command key enters no note";
    Press(48);
    EXPECT_EQ(StepEntryNow().stepRestMode, 1u);
    Press(61);  // not a command
    EXPECT_TRUE(VoiceRests(0).empty());
    Press(60);
    cell_ = view_->currentCell;
    const std::vector<ScoreObject*> rests = VoiceRests(0);
    ASSERT_EQ(rests.size(), 1u);
    EXPECT_EQ(Body(rests[0]).code, kEighthRestCode);
    EXPECT_EQ(Body(rests[0]).tick, 0);
    EXPECT_GT(PointerTime(), 0) << "past the rest";
    win::QueuedMessage last{};
    constexpr int kMessagesLooked = 64;  // paints of the window come back while it is invalid
    win::QueuedMessage m{};
    for (int i = 0; i < kMessagesLooked && win::PeekMessage(m); ++i)
        if (m.message == win::Message::LeftButtonUp) last = m;
    ASSERT_EQ(last.message, win::Message::LeftButtonUp);
    EXPECT_EQ(last.window, view_->ViewWindow);
    const win::Point posted = win::UnpackPoint(last.data);
    gfx::Point device{view_->pointerPoint.x, view_->pointerPoint.y};
    if (view_->ViewDC) device = gfx::LogicalToDevice(view_->ViewDC, device);
    EXPECT_EQ(posted.x, device.x) << "at the pointer after the move past the rest";
    EXPECT_EQ(posted.y, device.y);
    Pedal(false);
    Press(67);
    Release(67);
    cell_ = view_->currentCell;
    ASSERT_EQ(Voice().size(), 1u);
    EXPECT_EQ(Voice()[0]->time, kEighthTicks) << "the note follows the rest";
}

// Rest codes outside the rest values are refused with nothing made.
TEST_F(StepEntry, RestOutsideTheValuesIsRefused) {
    const std::vector<uint8_t> before = PoolBytes();
    EXPECT_FALSE(EnterRestAtCursor(view_, 3));
    EXPECT_FALSE(EnterRestAtCursor(view_, 14));
    EXPECT_FALSE(EnterRestAtCursor(nullptr, kEighthRestCode));
    EXPECT_EQ(PoolBytes(), before);
}

// Step entry off (the setting, the sequencer's state, or playback running): a key
// goes unchanged to the thru ports only and enters nothing; on, it is echoed on the
// staff's channel.
TEST_F(StepEntry, OffSendsThruOnlyAndOnEchoesOnTheStaffChannel) {
    Options().ThruPorts = 0x01;
    view_->currentStaffRecord->timbres[0].port = 0;
    view_->currentStaffRecord->timbres[0].channel = 5;
    const std::vector<uint8_t> before = PoolBytes();
    for (int off = 0; off < 3; ++off) {
        Options().AllowStepEntry = off == 0 ? 0 : 1;
        State().sequencer.StepEntryEnabled = off == 1 ? 0 : 1;
        PlaybackFlags().SequencerRunning.store(off == 2 ? 1 : 0);
        midi::headless::ClearSent();
        Press(61);
        const std::vector<midi::headless::SentMessage> sent = midi::headless::Sent();
        ASSERT_EQ(sent.size(), 1u) << "case " << off;
        EXPECT_EQ(sent[0].bytes, (std::vector<uint8_t>{0x90, 61, kVelocity}));
        EXPECT_EQ(PoolBytes(), before) << "case " << off;
    }
    PlaybackFlags().SequencerRunning.store(0);
    Options().AllowStepEntry = 1;
    State().sequencer.StepEntryEnabled = 1;
    midi::headless::ClearSent();
    Press(61);
    const std::vector<midi::headless::SentMessage> sent = midi::headless::Sent();
    ASSERT_FALSE(sent.empty());
    EXPECT_EQ(sent[0].bytes, (std::vector<uint8_t>{0x95, 61, kVelocity}));
    EXPECT_EQ(Voice().size(), 1u);
}

// The input device: running status is expanded by the parser, system messages are
// not queued, and a queue that fills drops the rest (counted) without blocking.
TEST_F(StepEntry, InputQueueTakesChannelMessagesAndDropsOverflow) {
    midi::headless::AddDevice("Keys In", false, true);
    StepEntryInput input;
    ASSERT_TRUE(input.Open("Keys In"));
    auto* device = dynamic_cast<midi::headless::VirtualMidiIn*>(input.Device());
    ASSERT_NE(device, nullptr);
    // Note-on 60 and, by running status, 64; a clock byte in between and a sysex
    // message after them.
    const std::vector<uint8_t> chord = {0x90, 60, 90, 0xF8, 64, 90, 0xF0, 1, 2, 0xF7};
    ASSERT_TRUE(device->InjectAt(10, chord));
    midi::headless::Advance(20);
    EXPECT_EQ(input.Deliver(view_), 2u);
    cell_ = view_->currentCell;
    EXPECT_EQ(Voice().size(), 2u);
    EXPECT_EQ(Chords().size(), 1u);
    // More than the queue holds, undelivered: the overflow is dropped.
    Options().AllowStepEntry = 0;
    for (size_t i = 0; i < kStepInputQueueMessages + 10; ++i) {
        const std::vector<uint8_t> off = {0x80, 60, 0};
        device->InjectNow(off);
    }
    EXPECT_EQ(input.Dropped(), 10u);
    EXPECT_EQ(input.Deliver(view_), kStepInputQueueMessages);
    EXPECT_EQ(input.Deliver(view_), 0u);
    EXPECT_FALSE(StepEntryInput{}.Open("No such input"));
}

// Random byte streams (fixed seeds) through a virtual input into step entry: no
// crash, and every voice chain of the measures walks cleanly afterwards.
TEST_F(StepEntry, RandomInputStreamsLeaveSoundChains) {
    midi::headless::AddDevice("Keys In", false, true);
    StepEntryInput input;
    ASSERT_TRUE(input.Open("Keys In"));
    auto* device = dynamic_cast<midi::headless::VirtualMidiIn*>(input.Device());
    ASSERT_NE(device, nullptr);
    constexpr uint8_t kStatuses[] = {0x90, 0x80, 0xB0, 0x90, 0xE0, 0xF0, 0xF7, 0xF8, 0x99};
    for (uint32_t seed : {1u, 7u, 42u}) {
        std::mt19937 rng(seed);
        uint32_t ms = midi::headless::Now();
        for (int burst = 0; burst < 60; ++burst) {
            std::vector<uint8_t> bytes;
            const int length = std::uniform_int_distribution<int>(1, 12)(rng);
            for (int i = 0; i < length; ++i) {
                const bool status = std::uniform_int_distribution<int>(0, 3)(rng) == 0;
                if (status) {
                    bytes.push_back(kStatuses[std::uniform_int_distribution<size_t>(0, 8)(rng)]);
                } else if (std::uniform_int_distribution<int>(0, 4)(rng) == 0) {
                    bytes.push_back(kStepPedalController);
                } else {
                    bytes.push_back(static_cast<uint8_t>(std::uniform_int_distribution<int>(40, 84)(rng)));
                }
            }
            ms += 5;
            device->InjectAt(ms, bytes);
            midi::headless::Advance(5);
            input.Deliver(view_);
            for (int m = 1; m <= 4; ++m) {
                MeasureCell* cell = ExistingMeasureCell(doc_, 1, m);
                for (int v = 0; cell != nullptr && v < 4; ++v) {
                    EventRecord* head = GetVoiceHead(cell, v);
                    int count = 0;
                    int lastTime = -1;
                    EventRecord* prev = head;
                    for (EventRecord* e = NextEvent(head); head != nullptr && e != nullptr;
                         prev = e, e = NextEvent(e)) {
                        ASSERT_LT(++count, kMaxChainLength) << "seed " << seed;
                        ASSERT_EQ(e->prev, HandleOfEvent(prev)) << "seed " << seed;
                        ASSERT_GE(e->time, lastTime) << "seed " << seed;
                        lastTime = e->time;
                    }
                }
            }
        }
    }
}

}  // namespace
}  // namespace ql::testing_entry
