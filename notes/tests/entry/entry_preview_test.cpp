// The MIDI preview of entry, as the recording output device saw it: note-on 0x90 |
// channel with velocity 113, note-off as a note-on of velocity 0 (never 0x80), the
// sustain pedal as Control Change 64 with 65 or 0, on the voice slot's channel.
#include <gtest/gtest.h>

#include "core/state.h"
#include "notes/entry/note_preview.h"
#include "notes/tests/entry/entry_fixture.h"
#include "platform/midi/headless.h"

namespace ql::testing_entry {
namespace {

using EntryPreview = EntryTest;

constexpr uint8_t kMiddleLineKey = 71;  // B above middle C on the treble staff

// A note-on and its note-off on the slot's channel; the key is the note's pitch.
TEST_F(EntryPreview, NoteOnAndNoteOffAreNoteOns) {
    view_->currentStaffRecord->timbres[0].channel = 5;
    EventRecord* note = Note(0, 0, kQuarter, kMiddleLine);
    PreviewNote(view_, note, true);
    PreviewNote(view_, note, false);
    const auto sent = Sent();
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(sent[0], (std::vector<uint8_t>{0x95, kMiddleLineKey, 113}));
    EXPECT_EQ(sent[1], (std::vector<uint8_t>{0x95, kMiddleLineKey, 0}));
}

// The sustain pedal: 65 down, 0 up, on the active voice's slot.
TEST_F(EntryPreview, SustainPedal) {
    view_->currentStaffRecord->timbres[0].channel = 2;
    SendSustainPedal(view_, true);
    SendSustainPedal(view_, false);
    const auto sent = Sent();
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(sent[0], (std::vector<uint8_t>{0xB2, 64, 65}));
    EXPECT_EQ(sent[1], (std::vector<uint8_t>{0xB2, 64, 0}));
}

// The staff's transposition moves the key; an unset port or a key past 127 sends
// nothing.
TEST_F(EntryPreview, TranspositionAndSilentCases) {
    EventRecord* note = Note(0, 0, kQuarter, kMiddleLine);
    view_->currentStaffRecord->semitones = -2;
    PreviewNote(view_, note, true);
    view_->currentStaffRecord->semitones = 100;
    PreviewNote(view_, note, true);
    view_->currentStaffRecord->semitones = 0;
    view_->currentStaffRecord->timbres[0].port = kNoTimbrePort;
    PreviewNote(view_, note, true);
    PreviewNote(view_, nullptr, true);
    const auto sent = Sent();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0][1], kMiddleLineKey - 2);
}

// A click sounds the entered note and ends with sustain off and the note-off; in a
// voice whose port was unset, port 0 and channel 0 are set first and used.
TEST_F(EntryPreview, EntrySoundsTheNoteOnTheVoicePort) {
    view_->voiceMask = 0x04;  // voice 3, port unset in a new staff
    PointAt(0, kMiddleLine);
    Click();
    const auto sent = Sent();
    ASSERT_EQ(sent.size(), 3u);
    EXPECT_EQ(sent[0], (std::vector<uint8_t>{0x90, kMiddleLineKey, 113}));
    EXPECT_EQ(sent[1], (std::vector<uint8_t>{0xB0, 64, 0}));
    EXPECT_EQ(sent[2], (std::vector<uint8_t>{0x90, kMiddleLineKey, 0}));
}

// With no output device at all nothing is sent and entry goes on.
TEST_F(EntryPreview, NoDeviceIsSilent) {
    ClosePreviewOutputs();
    midi::headless::Reset();
    PointAt(0, kMiddleLine);
    Click();
    UseMeasure(1);
    EXPECT_EQ(Voice().size(), 1u);
    EXPECT_TRUE(Sent().empty());
}

}  // namespace
}  // namespace ql::testing_entry
