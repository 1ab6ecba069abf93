// Recording: every event played into the record input reaches the transcription
// exactly once and in order, at the refills and at Stop, and Stop writes what was
// transcribed into the recorded staff; without "KeepMIDI" the record pool is empty
// after Stop, with it the events stay until the next run; an input that will not
// open refuses the run.
#include <gtest/gtest.h>

#include "core/constants.h"
#include "core/memory/pool.h"
#include "platform/midi/headless.h"
#include "sequencer/kept_recording.h"
#include "sequencer/record_routing.h"
#include "sequencer/sequencer_state.h"
#include "sequencer/tests/builder/score_fixture.h"
#include "core/model/events.h"
#include "core/objects/midi_action.h"
#include "core/ui/long_operation.h"
#include "platform/win/message_loop.h"
#include "platform/win/window.h"
#include "core/text/text_object.h"
#include "notes/pitch/pitch.h"
#include "notes/pitch/pitch_vocabulary.h"
#include "sequencer/tests/static_pool_count.h"
#include "sequencer/transcription.h"
#include "sequencer/transcription_measures.h"
#include "sequencer/transcription_stream.h"

namespace ql::testing {
namespace {

constexpr int kEvents = 300;
constexpr uint32_t kFirstEventMs = 1000;  // the events straddle the refill at 1,200 ticks

class RecordingTest : public ScoreTest {
protected:
    void SetUp() override {
        ScoreTest::SetUp();
        midi::headless::AddDevice("Synth", true, false);
        midi::headless::AddDevice("Keyboard", false, true);
        BuildScore(2, 4);
    }
    // Events the transcription has taken: note-ons, note-offs, other messages.
    static uint32_t Handed() {
        const TranscriptionCounts& c = TranscriptionCountsNow();
        return c.noteOns + c.noteOffs + c.channelEvents;
    }
    // The pedal values found in a staff's cells, in measure and list order.
    std::vector<int> PedalValues(int staff) {
        std::vector<int> values;
        for (int m = 1; m <= doc_->header.measureCount; ++m) {
            MeasureCell* cell = GetOrCreateMeasureCell(StaffRecordOf(doc_, staff), doc_, m);
            ScoreObject* list = GetOrCreateCellObjectList(cell);
            for (ScoreObject* o = list != nullptr ? list->next.get() : nullptr; o != nullptr; o = o->next.get())
                if (o->type == TypeCode(ObjectType::Pedal)) values.push_back(MidiActionOfText(o)->head.values.value);
        }
        return values;
    }
    // Objects of a type in a staff's cells.
    int ObjectsIn(int staff, ObjectType type) {
        int count = 0;
        for (int m = 1; m <= doc_->header.measureCount; ++m) {
            ScoreObject* list = GetOrCreateCellObjectList(GetOrCreateMeasureCell(StaffRecordOf(doc_, staff), doc_, m));
            for (ScoreObject* o = list != nullptr ? list->next.get() : nullptr; o != nullptr; o = o->next.get())
                count += o->type == TypeCode(type) ? 1 : 0;
        }
        return count;
    }
    // The key of the first note written into a staff (measure 1), -1 for none.
    int FirstKey(int staff) {
        MeasureCell* cell = GetOrCreateMeasureCell(StaffRecordOf(doc_, staff), doc_, 1);
        EventRecord* note = GetVoiceFirstEvent(cell, 0);
        return note != nullptr ? NoteToMidiKey(StaffRecordOf(doc_, staff), *note, CellClef(*cell), CellKey(*cell)) : -1;
    }
    // Events in the first voice of a staff.
    int EventsIn(int staff) {
        int count = 0;
        for (int m = 1; m <= doc_->header.measureCount; ++m) {
            MeasureCell* cell = GetOrCreateMeasureCell(StaffRecordOf(doc_, staff), doc_, m);
            for (EventRecord* e = GetVoiceFirstEvent(cell, 0); e != nullptr; e = NextEvent(e)) ++count;
        }
        return count;
    }
    PlaybackRequest RecordRequest(bool keep) {
        PlaybackRequest request = Request(1, 4);
        request.recording = true;
        request.recordInput = "Keyboard";
        request.routing.recordStaff = 2;
        request.keepMidi = keep;
        return request;
    }
    // 300 messages at 1 ms spacing from kFirstEventMs, note-ons and note-offs and
    // every tenth a controller, played in as the clock reaches them (the virtual
    // input holds a limited number of waiting bursts).
    std::vector<uint32_t> PlayIn() {
        auto* input = dynamic_cast<midi::headless::VirtualMidiIn*>(PlaybackRecordInput());
        EXPECT_NE(input, nullptr);
        std::vector<uint32_t> messages;
        constexpr int kChunk = 100;
        for (int first = 0; first < kEvents && input != nullptr; first += kChunk) {
            for (int i = first; i < first + kChunk; ++i) {
                std::vector<uint8_t> bytes = {static_cast<uint8_t>(i % 2 == 0 ? 0x90 : 0x80),
                                              static_cast<uint8_t>(40 + i % 50), static_cast<uint8_t>(i % 2 == 0 ? 90 : 0)};
                if (i % 10 == 5) bytes = {0xB0, 64, static_cast<uint8_t>(i % 128)};
                EXPECT_TRUE(input->InjectAt(kFirstEventMs + static_cast<uint32_t>(i), bytes));
                messages.push_back(bytes[0] | (bytes[1] << 8) | (bytes[2] << 16));
            }
            Advance(kFirstEventMs + first + kChunk - midi::headless::Now());
        }
        return messages;
    }
};

// A second Stop and a transcribe message that arrive while Stop writes the
// recording (its progress dialog lets messages through) do not enter it: every
// event is handed over once, and the devices are silenced once.
TEST_F(RecordingTest, StopIsNotEnteredAgainWhileItTranscribes) {
    ASSERT_EQ(StartPlayback(RecordRequest(false)), PlaybackStart::Started);
    PlayIn();
    ASSERT_TRUE(win::PostMessage(sequencerWindow_, static_cast<win::Message>(kMsgSequencerStop), 0, 0));
    ASSERT_TRUE(win::PostMessage(sequencerWindow_, static_cast<win::Message>(kMsgTranscribeRecorded), 0, 0));
    midi::headless::ClearSent();
    StopPlayback();
    EXPECT_FALSE(IsPlaybackRunning());
    EXPECT_EQ(TranscriptionCountsNow().noteOns, 150u);
    int allNotesOff = 0;
    for (const midi::headless::SentMessage& sent : midi::headless::Sent())
        allNotesOff += sent.bytes == std::vector<uint8_t>{0xB1, 123, 0} ? 1 : 0;
    EXPECT_EQ(allNotesOff, 1) << "the silencing sweep ran more than once";
    win::PumpMessages();  // what is left of them after Stop asks for nothing
    EXPECT_EQ(TranscriptionCountsNow().noteOns, 150u);
}

// Each event once, in order, to the right part of the transcription: 150 note-ons
// and 120 note-offs to the notes, the 30 pedal messages to pedal marks of the
// recorded staff with their values in the order played; every note-on is written
// or counted as dropped; the record pool is empty afterwards.
TEST_F(RecordingTest, StopHandsOverEveryEventOnce) {
    ASSERT_EQ(StartPlayback(RecordRequest(false)), PlaybackStart::Started);
    const std::vector<uint32_t> messages = PlayIn();
    EXPECT_GT(Handed(), 0u);  // the refill at 1,200 handed over the first ones
    EXPECT_LT(Handed(), static_cast<uint32_t>(kEvents));
    Advance(200);
    StopPlayback();
    const TranscriptionCounts& counts = TranscriptionCountsNow();
    EXPECT_EQ(counts.noteOns, 150u);
    EXPECT_EQ(counts.noteOffs, 120u);
    EXPECT_EQ(counts.channelEvents, 30u);
    std::vector<int> pedals;
    for (uint32_t m : messages)
        if ((m & 0xF0) == 0xB0) pedals.push_back(static_cast<int>(m >> 16));
    EXPECT_EQ(PedalValues(2), pedals);
    EXPECT_TRUE(PedalValues(1).empty());
    EXPECT_EQ(TranscriptionWritten().soundStarts + counts.dropped, counts.noteOns);
    EXPECT_GT(TranscriptionWritten().soundStarts, 0u);
    EXPECT_EQ(EventsIn(2), static_cast<int>(TranscriptionWritten().events));
    EXPECT_EQ(EventsIn(1), 0);
    EXPECT_EQ(LiveStaticRecords(kSequencerStaticPool), 0);
    EXPECT_EQ(PlaybackFlags().SequencerRecording.load(), 0);
}

// With "KeepMIDI" the events stay after Stop, and the next run gives them back.
TEST_F(RecordingTest, KeptEventsLastUntilTheNextRun) {
    ASSERT_EQ(StartPlayback(RecordRequest(true)), PlaybackStart::Started);
    PlayIn();
    StopPlayback();
    EXPECT_EQ(Handed(), static_cast<uint32_t>(kEvents));
    EXPECT_EQ(LiveStaticRecords(kSequencerStaticPool), kEvents);
    ASSERT_EQ(StartPlayback(Request(1, 1)), PlaybackStart::Started);
    EXPECT_EQ(LiveStaticRecords(kSequencerStaticPool), 0);
    StopPlayback();
}

// New Transcription writes the kept recording into the staff again as the first
// transcription did (the staff emptied first, nothing doubled), and the chain stays
// kept; once discarded (Keep MIDI Data switched) the pool is empty and a new
// transcription says "No data" and leaves the score alone.
TEST_F(RecordingTest, KeptRecordingIsTranscribedAgainUntilDiscarded) {
    ASSERT_EQ(StartPlayback(RecordRequest(true)), PlaybackStart::Started);
    PlayIn();
    StopPlayback();
    const int written = EventsIn(2);
    ASSERT_GT(written, 0);
    ASSERT_TRUE(HasKeptRecording());
    EXPECT_EQ(TranscribeKeptRecording(view_, true), KeptTranscription::Done);
    EXPECT_EQ(TranscriptionCountsNow().noteOns, 150u);
    EXPECT_EQ(EventsIn(2), written);
    EXPECT_EQ(EventsIn(1), 0);
    EXPECT_EQ(LiveStaticRecords(kSequencerStaticPool), kEvents);

    DiscardKeptRecording();
    EXPECT_FALSE(HasKeptRecording());
    EXPECT_EQ(LiveStaticRecords(kSequencerStaticPool), 0);
    EXPECT_EQ(TranscribeKeptRecording(view_, true), KeptTranscription::NoData);
    EXPECT_EQ(EventsIn(2), written);
}

// A message the transcription's progress pump delivers records whether the long
// operation guard was up; it is down again afterwards.
bool g_guardedDuringAnalysis = false;
constexpr win::Message kProbeMessage = win::PrivateMessage(0x0123);

intptr_t ProbeProc(platform::WindowHandle window, win::Message message, uint32_t word, intptr_t data) {
    if (message == kProbeMessage) {
        g_guardedDuringAnalysis = LongOperationRunning();
        return 0;
    }
    return win::DefaultWindowProc(window, message, word, data);
}

TEST_F(RecordingTest, TranscriptionRunsUnderTheLongOperationGuard) {
    ASSERT_EQ(StartPlayback(RecordRequest(true)), PlaybackStart::Started);
    PlayIn();
    StopPlayback();
    win::WindowClass probeClass;
    probeClass.name = "TranscriptionProbe";
    probeClass.procedure = ProbeProc;
    win::RegisterWindowClass(probeClass);
    win::WindowParams params;
    params.className = "TranscriptionProbe";
    const platform::WindowHandle probe = win::CreateWindow(params);
    g_guardedDuringAnalysis = false;
    ASSERT_TRUE(win::PostMessage(probe, kProbeMessage));
    EXPECT_EQ(TranscribeKeptRecording(view_, true), KeptTranscription::Done);
    EXPECT_TRUE(g_guardedDuringAnalysis);
    EXPECT_FALSE(LongOperationRunning());
    win::DestroyWindow(probe);
}

// Without "KeepMIDI" nothing is transcribed, whatever is left in the chain.
TEST_F(RecordingTest, NewTranscriptionWithoutKeepingDoesNothing) {
    ASSERT_EQ(StartPlayback(RecordRequest(true)), PlaybackStart::Started);
    PlayIn();
    StopPlayback();
    const int written = EventsIn(2);
    EXPECT_EQ(TranscribeKeptRecording(view_, false), KeptTranscription::NotKeeping);
    EXPECT_EQ(EventsIn(2), written);
    EXPECT_TRUE(HasKeptRecording());
}

// Split mode: keys below the split point are written into the split staff, the
// rest and the other messages into the record staff; filtered controllers are not
// handed over and make nothing.
TEST_F(RecordingTest, SplitModeAndFilters) {
    PlaybackRequest request = RecordRequest(false);
    request.routing.mode = RecordMode::Split;
    request.routing.recordStaff = 1;
    request.routing.splitStaff = 2;
    request.routing.splitPoint = 60;
    request.routing.filterControllers = true;
    ASSERT_EQ(StartPlayback(request), PlaybackStart::Started);
    auto* input = dynamic_cast<midi::headless::VirtualMidiIn*>(PlaybackRecordInput());
    ASSERT_NE(input, nullptr);
    for (const std::vector<uint8_t>& bytes : std::vector<std::vector<uint8_t>>{
             {0x90, 59, 80}, {0x90, 60, 80}, {0xB0, 64, 127}, {0x80, 59, 0}, {0xE0, 0, 64}})
        input->InjectNow(bytes);
    StopPlayback();
    const TranscriptionCounts& counts = TranscriptionCountsNow();
    EXPECT_EQ(counts.noteOns, 2u);
    EXPECT_EQ(counts.noteOffs, 1u);
    EXPECT_EQ(counts.channelEvents, 1u);
    EXPECT_EQ(FirstKey(1), 60);
    EXPECT_EQ(FirstKey(2), 59);
    EXPECT_EQ(EventsIn(1), 1);
    EXPECT_EQ(EventsIn(2), 1);
    EXPECT_EQ(ObjectsIn(1, ObjectType::MidiEvent), 1);
    EXPECT_EQ(ObjectsIn(2, ObjectType::MidiEvent), 0);
    EXPECT_TRUE(PedalValues(1).empty());
    EXPECT_TRUE(PedalValues(2).empty());
}

// What the keyboard plays while recording is sent thru to the "ThruPorts" other
// than the record staff's port, on the record staff's channel; with no thru port
// (and no echo) nothing is sent.
TEST_F(RecordingTest, InputGoesThruToTheThruPorts) {
    for (const uint8_t thru : {uint8_t{0}, uint8_t{0x02}}) {
        midi::headless::ClearSent();
        PlaybackRequest request = RecordRequest(false);
        request.routing.recordStaff = 1;  // port A, channel 0
        request.thruPorts = thru;
        request.options.metronome = false;
        ASSERT_EQ(StartPlayback(request), PlaybackStart::Started);
        auto* input = dynamic_cast<midi::headless::VirtualMidiIn*>(PlaybackRecordInput());
        ASSERT_NE(input, nullptr);
        midi::headless::ClearSent();
        const std::vector<uint8_t> noteOn = {0x93, 61, 70};
        input->InjectNow(noteOn);
        const std::vector<midi::headless::SentMessage> sent = PlayedMessages();
        StopPlayback();
        size_t thruNotes = 0;
        for (const auto& m : sent) thruNotes += m.bytes[0] == 0x90 && m.bytes[1] == 61 && m.bytes[2] == 70;
        EXPECT_EQ(thruNotes, thru != 0 ? 1u : 0u) << int{thru};
    }
}

// The routing a run uses: staves outside the score and a split onto the record
// staff itself fall back; multichannel takes a staff per channel, the channel's own
// number when the table says nothing usable.
TEST(RecordRoutingTest, StavesByModeAndTheirFallbacks) {
    RecordRouting routing;
    routing.mode = RecordMode::Split;
    routing.recordStaff = 9;
    routing.splitStaff = 9;
    RecordRouting used = NormalizeRouting(routing, 3);
    EXPECT_EQ(used.recordStaff, 1);
    EXPECT_EQ(used.splitStaff, 2);
    EXPECT_EQ(used.mode, RecordMode::Split);
    used = NormalizeRouting(routing, 1);  // no room for a split staff
    EXPECT_EQ(used.mode, RecordMode::Single);
    routing.recordStaff = 2;
    routing.splitStaff = 2;
    EXPECT_EQ(NormalizeRouting(routing, 3).mode, RecordMode::Single);

    routing = RecordRouting{};
    routing.mode = RecordMode::Multichannel;
    EXPECT_EQ(RecordedEventStaff(routing, 0x403C92, 4), 3);   // channel 3 on staff 3
    EXPECT_EQ(RecordedEventStaff(routing, 0x403C97, 4), 1);   // channel 8: no staff 8
    routing.channelStaves = {4, 0, 9};
    EXPECT_EQ(RecordedEventStaff(routing, 0x403C90, 4), 4);
    EXPECT_EQ(RecordedEventStaff(routing, 0x403C91, 4), 2);   // 0: its own number
    EXPECT_EQ(RecordedEventStaff(routing, 0x403C92, 4), 3);   // past the score: its own
    EXPECT_EQ(RecordedEventStaff(routing, 0x0000F8, 4), 0);   // not a channel message
}

// A record input that is not there refuses the run, says so, and leaves nothing
// open or running.
TEST_F(RecordingTest, MissingInputRefusesTheRun) {
    PlaybackRequest request = RecordRequest(false);
    request.recordInput = "Unplugged";
    EXPECT_EQ(StartPlayback(request), PlaybackStart::InputFailed);
    EXPECT_EQ(PlaybackNotices(), (std::vector<std::string>{"Can't open midi"}));
    EXPECT_FALSE(IsPlaybackRunning());
    EXPECT_EQ(PlaybackDeviceOfPort(0), nullptr);
    EXPECT_EQ(PlaybackFlags().PlaybackActive.load(), 0);
    EXPECT_EQ(PlaybackFlags().SequencerRecording.load(), 0);
    Advance(2000);
    EXPECT_TRUE(PlayedMessages().empty());
}

}  // namespace
}  // namespace ql::testing
