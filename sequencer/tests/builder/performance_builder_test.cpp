// The events the builder makes from a score: downbeats, beats and clicks; notes
// with their lengths, swing, ties, transposition and velocities; the order inside
// a slot; pending events across blocks; the end of the data; pool exhaustion.
#include <gtest/gtest.h>

#include <algorithm>

#include "core/memory/pool.h"
#include "core/model/document.h"
#include "core/model/model_reports.h"
#include "core/state.h"
#include "notes/drawing/note_fields.h"
#include "notes/ties/ties.h"
#include "sequencer/tests/builder/score_fixture.h"

namespace ql::testing {
namespace {

constexpr uint8_t kOn = 0x90;
constexpr uint8_t kOff = 0x80;
constexpr uint8_t kE4 = 64;  // the bottom line of the treble staff
constexpr uint8_t kG4 = 67;
constexpr uint8_t kVelocity = 64;  // a new staff's base velocity
constexpr uint8_t kOffVelocity = 64;

class BuilderTest : public ScoreTest {
protected:
    std::vector<Placed> Of(const std::vector<Placed>& all, PerformanceEventKind kind) {
        std::vector<Placed> out;
        for (const Placed& p : all)
            if (p.kind == kind) out.push_back(p);
        return out;
    }
    static std::vector<int32_t> Times(const std::vector<Placed>& events) {
        std::vector<int32_t> times;
        for (const Placed& p : events) times.push_back(p.time);
        return times;
    }
};

// One 4/4 measure with the metronome: the downbeat at 0, the bar click's end at
// 128, beats at 1,024, 2,048 and 3,072 each with its click's end 128 later.
// Without the metronome only the downbeat; exporting never has beats.
TEST_F(BuilderTest, DownbeatsBeatsAndClicks) {
    BuildScore(1, 2);
    PerformanceOptions options = Options(1, 1);
    options.metronome = true;
    std::vector<Placed> all = BuildAll(options);
    EXPECT_EQ(Times(Of(all, PerformanceEventKind::Downbeat)), (std::vector<int32_t>{0}));
    EXPECT_EQ(Times(Of(all, PerformanceEventKind::BarClickOff)), (std::vector<int32_t>{128}));
    EXPECT_EQ(Times(Of(all, PerformanceEventKind::Beat)), (std::vector<int32_t>{1024, 2048, 3072}));
    EXPECT_EQ(Times(Of(all, PerformanceEventKind::BeatClickOff)), (std::vector<int32_t>{1152, 2176, 3200}));
    options.metronome = false;
    all = BuildAll(options);
    EXPECT_EQ(Of(all, PerformanceEventKind::Downbeat).size(), 1u);
    EXPECT_TRUE(Of(all, PerformanceEventKind::Beat).empty());
    EXPECT_TRUE(Of(all, PerformanceEventKind::BarClickOff).empty());
    options.metronome = true;
    options.exporting = true;
    EXPECT_TRUE(Of(BuildAll(options), PerformanceEventKind::Beat).empty());
}

// The downbeat carries the measure number, the numerator in its slot field, the
// beat-unit code in its port field and in its message the measure and beat
// lengths / 32 and the key code.
TEST_F(BuilderTest, DownbeatLayout) {
    BuildScore(1, 3);
    std::vector<Placed> downbeats = Of(BuildAll(Options(2, 3)), PerformanceEventKind::Downbeat);
    ASSERT_EQ(downbeats.size(), 2u);
    EXPECT_EQ(downbeats[0].measure, 2);
    EXPECT_EQ(downbeats[1].measure, 3);
    EXPECT_EQ(downbeats[1].time, kBar);
    EXPECT_EQ(downbeats[0].slot, 4);
    EXPECT_EQ(downbeats[0].port, 10);
    EXPECT_EQ(MessageByte(downbeats[0].message, 0), kBar / 32);
    EXPECT_EQ(MessageByte(downbeats[0].message, 1), 1024 / 32);
    const MeasureCell* cell = GetOrCreateMeasureCell(StaffRecordOf(doc_, 1), doc_, 2);
    EXPECT_EQ(MessageByte(downbeats[0].message, 2), cell->clefKey >> 4);
}

// A four-bar multi-measure rest in measure 2: the note of measure 3 comes five
// bars in, and each bar of the rest has its downbeat (the metronome counts it).
TEST_F(BuilderTest, MultiMeasureRestCountsItsBars) {
    BuildScore(1, 3);
    MeasureRecordOf(doc_, 2)->extra = 3;
    Note(1, 1, 0, kQuarter, 0);
    Note(1, 3, 0, kQuarter, 0);
    PerformanceOptions options = Options(1, 3);
    options.metronome = true;
    std::vector<Placed> all = BuildAll(options);
    std::vector<Placed> notes = Channel(all);
    ASSERT_EQ(notes.size(), 4u);
    EXPECT_EQ(notes[2].time, 5 * kBar);
    std::vector<Placed> downbeats = Of(all, PerformanceEventKind::Downbeat);
    EXPECT_EQ(Times(downbeats), (std::vector<int32_t>{0, kBar, 2 * kBar, 3 * kBar, 4 * kBar, 5 * kBar}));
    std::vector<int> measures;
    for (const Placed& p : downbeats) measures.push_back(p.measure);
    EXPECT_EQ(measures, (std::vector<int>{1, 2, 2, 2, 2, 3}));
    EXPECT_EQ(MessageByte(downbeats[2].message, 0), kBar / 32);
    EXPECT_EQ(Of(all, PerformanceEventKind::Beat).size(), 6u * 3u);
}

// A quarter at 90 percent sounds 920 ticks; the note-on and note-off go to the
// staff's slot, port and channel; the end of data follows the last event.
TEST_F(BuilderTest, QuarterNoteAtNinetyPercent) {
    BuildScore(2, 1);
    Note(2, 1, 1024, kQuarter, 0);
    std::vector<Placed> all = BuildAll(Options(1, 1));
    std::vector<Placed> notes = Channel(all);
    ASSERT_EQ(notes.size(), 2u);
    EXPECT_EQ(notes[0].time, 1024);
    EXPECT_EQ(notes[0].message, NoteMessage(kOn | 1, kE4, kVelocity));
    EXPECT_EQ(notes[0].slot, 2);
    EXPECT_EQ(notes[0].port, 1);
    EXPECT_EQ(notes[1].time, 1024 + 920);
    EXPECT_EQ(notes[1].message, NoteMessage(kOff | 1, kE4, kOffVelocity));
    std::vector<Placed> end = Of(all, PerformanceEventKind::EndOfData);
    ASSERT_EQ(end.size(), 1u);
    EXPECT_EQ(all.back().kind, PerformanceEventKind::EndOfData);
}

// The length arithmetic side by side: percent, the tick short of full while
// playing, staccato, swing.
TEST_F(BuilderTest, SoundingLengths) {
    PerformanceOptions options;
    options.playbackPercent = 90;
    EXPECT_EQ(SoundingLength(options, 0, 1024, false), 920);
    options.playbackPercent = 100;
    EXPECT_EQ(SoundingLength(options, 0, 1024, false), 1023);  // playing: one tick short
    EXPECT_EQ(SoundingLength(options, 0, 1024, true), 511);    // staccato halves
    options.exporting = true;
    EXPECT_EQ(SoundingLength(options, 0, 1024, false), 1024);  // an export sounds it whole
    options.swingEighths = true;
    // Two eighths on beat 1: the first is longer, the second starts late and is shorter.
    EXPECT_EQ(SwingStartDelay(options, 0, 512), 0);
    EXPECT_EQ(SwingStartDelay(options, 512, 512), 170);
    EXPECT_EQ(SoundingLength(options, 0, 512, false), 682);
    EXPECT_EQ(SoundingLength(options, 512, 512, false), 342);
    EXPECT_EQ(SoundingLength(options, 0, 1024, false), 1024);  // an even number of eighths
    options.swingEighths = false;
    options.swingSixteenths = true;
    EXPECT_EQ(SwingStartDelay(options, 256, 256), 85);
    EXPECT_EQ(SwingStartDelay(options, 512, 256), 0);
}

// A quarter at position 1,030 outside a tuplet starts at 1,040; with eighth
// swing the second eighth of a beat starts 170 ticks late.
TEST_F(BuilderTest, StartRoundingAndSwing) {
    BuildScore(1, 1);
    Note(1, 1, 1030, kQuarter, 0);
    EXPECT_EQ(Channel(BuildAll(Options(1, 1)))[0].time, 1040);
    BuildScore(1, 1);
    Note(1, 1, 0, kEighthCode, 0);
    Note(1, 1, 512, kEighthCode, 2);
    PerformanceOptions options = Options(1, 1);
    options.swingEighths = true;
    std::vector<Placed> notes = Channel(BuildAll(options));
    std::vector<int32_t> ons;
    for (const Placed& p : notes)
        if ((p.message & 0xF0) == kOn) ons.push_back(p.time);
    EXPECT_EQ(ons, (std::vector<int32_t>{0, 682}));
}

// With "AllowMIDIdelay" a note starts by its own delay and, with a length change
// set, lasts its value plus that change instead of the playback percent; without
// the setting both are ignored.
TEST_F(BuilderTest, NoteDelays) {
    BuildScore(1, 1);
    EventRecord* note = Note(1, 1, 1024, kQuarter, 0);
    note->attack = 100;
    note->release = 300;
    PerformanceOptions options = Options(1, 1);
    std::vector<Placed> notes = Channel(BuildAll(options));
    EXPECT_EQ(Times(notes), (std::vector<int32_t>{1024, 1024 + 920}));
    options.allowMidiDelay = true;
    notes = Channel(BuildAll(options));
    EXPECT_EQ(Times(notes), (std::vector<int32_t>{1124, 1124 + 1024 + 300}));
    note->release = 0;
    notes = Channel(BuildAll(options));
    EXPECT_EQ(Times(notes), (std::vector<int32_t>{1124, 1124 + 920}));
}

// "Loosen Up!" moves starts within 2^(k + 2) ticks and velocities within V of
// their places; one seed gives one performance, another seed another.
TEST_F(BuilderTest, LoosenUpStaysInsideItsWidths) {
    BuildScore(1, 2);
    for (int m = 1; m <= 2; ++m)
        for (int t = 0; t < kBar; t += 1024) Note(1, m, t, kQuarter, 0);
    PerformanceOptions options = Options(1, 2);
    options.loosen.on = true;
    options.loosen.timingCode = 3;  // 32 ticks
    options.loosen.velocityWidth = 10;
    options.loosen.seed = 7;
    const std::vector<Placed> first = Channel(BuildAll(options));
    ASSERT_EQ(first.size(), 16u);
    int moved = 0;
    for (const Placed& p : first) {
        if ((p.message & 0xF0) != kOn) continue;
        const int32_t nominal = (p.time + 512) / 1024 * 1024;
        EXPECT_LE(std::abs(p.time - nominal), 32);
        EXPECT_LE(std::abs(MessageByte(p.message, 2) - kVelocity), 10);
        moved += p.time != nominal;
    }
    EXPECT_GT(moved, 0);
    const std::vector<Placed> again = Channel(BuildAll(options));
    EXPECT_EQ(Times(again), Times(first));
    options.loosen.seed = 8;
    EXPECT_NE(Times(Channel(BuildAll(options))), Times(first));
}

// Three tied quarters, the last across the barline: one note-on at the first and
// one note-off after the third.
TEST_F(BuilderTest, TiedNotesSoundOnce) {
    BuildScore(1, 2);
    EventRecord* a = Note(1, 1, 2048, kQuarter, 0);
    EventRecord* b = Note(1, 1, 3072, kQuarter, 0);
    EventRecord* c = Note(1, 2, 0, kQuarter, 0);
    a->word2 |= kTieStartsHere;
    b->word2 |= kTieStartsHere | kTieEndsHere;
    c->word2 |= kTieEndsHere;
    std::vector<Placed> notes = Channel(BuildAll(Options(1, 2)));
    ASSERT_EQ(notes.size(), 2u);
    EXPECT_EQ(notes[0].time, 2048);
    EXPECT_EQ(notes[0].message & 0xF0, kOn);
    EXPECT_EQ(notes[1].time, kBar + 920);
    EXPECT_EQ(notes[1].message & 0xF0, kOff);
    // Starting on the last note of the tie plays it as a note of its own.
    notes = Channel(BuildAll(Options(2, 2)));
    ASSERT_EQ(notes.size(), 2u);
    EXPECT_EQ(notes[0].time, 0);
}

// A tie that leads nowhere ends its note at its own end: followed by another key,
// and as the last note of the run.
TEST_F(BuilderTest, TieThatLeadsNowhereEnds) {
    BuildScore(1, 1);
    Note(1, 1, 0, kQuarter, 0)->word2 |= kTieStartsHere;
    Note(1, 1, 1024, kQuarter, 2);
    Note(1, 1, 3072, kQuarter, 4)->word2 |= kTieStartsHere;
    std::vector<Placed> notes = Channel(BuildAll(Options(1, 1)));
    ASSERT_EQ(notes.size(), 6u);
    int offs = 0;
    for (const Placed& p : notes) offs += (p.message & 0xF0) == kOff;
    EXPECT_EQ(offs, 3);
    EXPECT_EQ(notes[1].time, 920);
    EXPECT_EQ(MessageByte(notes[1].message, 1), kE4);
    EXPECT_EQ(notes.back().time, 3072 + 920);
}

// A repeated note of one key: the second note-on and the first note-off share a
// tick, and the note-on comes first in the slot (controls before both).
TEST_F(BuilderTest, NoteOnBeforeNoteOffInOneSlot) {
    BuildScore(1, 1);
    PerformanceOptions options = Options(1, 1);
    options.playbackPercent = 100;
    options.exporting = true;  // full length: the first note ends where the second starts
    Note(1, 1, 0, kQuarter, 0);
    Note(1, 1, 1024, kQuarter, 0);
    std::vector<Placed> all = BuildAll(options);
    std::vector<Placed> at1024;
    for (const Placed& p : all)
        if (p.time == 1024) at1024.push_back(p);
    ASSERT_EQ(at1024.size(), 2u);
    EXPECT_EQ(at1024[0].message & 0xF0, kOn);
    EXPECT_EQ(at1024[1].message & 0xF0, kOff);
    EXPECT_EQ(all.front().kind, PerformanceEventKind::Downbeat);
}

// Transposition moves the key; a key pushed off 0..127 plays nothing; velocity
// stops at 127 and a velocity below 1 is silent.
TEST_F(BuilderTest, KeysAndVelocitiesStayInRange) {
    BuildScore(1, 1);
    EventRecord* note = Note(1, 1, 0, kQuarter, 0);
    StaffRecordOf(doc_, 1)->semitones = 3;
    EXPECT_EQ(MessageByte(Channel(BuildAll(Options(1, 1)))[0].message, 1), kG4);
    PerformanceOptions options = Options(1, 1);
    options.globalTransposition = 127;
    EXPECT_TRUE(Channel(BuildAll(options)).empty());
    options.globalTransposition = -100;
    EXPECT_TRUE(Channel(BuildAll(options)).empty());
    note->velocity = 100;
    EXPECT_EQ(MessageByte(Channel(BuildAll(Options(1, 1)))[0].message, 2), 127);
    note->velocity = -64;
    EXPECT_TRUE(Channel(BuildAll(Options(1, 1))).empty());
}

// A note whose sound is hidden (a cue note) is not played, however loud its
// velocity; the note beside it in the voice is.
TEST_F(BuilderTest, NoteWithItsSoundHiddenIsNotPlayed) {
    BuildScore(1, 1);
    EventRecord* cue = Note(1, 1, 0, kQuarter, 0);
    Note(1, 1, 1024, kQuarter, 0);
    cue->flags |= kNoteSoundHidden;
    cue->velocity = 100;
    const std::vector<Placed> notes = Channel(BuildAll(Options(1, 1)));
    ASSERT_EQ(notes.size(), 2u);
    EXPECT_EQ(notes[0].time, 1024);
}

// Events long after their block wait in the pending chains and come out in the
// block of their tick: a whole note in measure 3 with the smallest block.
TEST_F(BuilderTest, PendingEventsReachTheirBlock) {
    BuildScore(2, 3);
    Note(1, 3, 2048, kHalf, 0);
    Note(2, 1, 0, kQuarter, 0);
    std::vector<Placed> all = BuildAll(Options(1, 3), kMinBlockLength);
    std::vector<int32_t> times = Times(all);
    EXPECT_TRUE(std::is_sorted(times.begin(), times.end()));
    std::vector<Placed> notes = Channel(all);
    ASSERT_EQ(notes.size(), 4u);
    EXPECT_EQ(notes[2].time, 2 * kBar + 2048);
    EXPECT_EQ(Of(all, PerformanceEventKind::Downbeat).size(), 3u);
    EXPECT_EQ(all.back().kind, PerformanceEventKind::EndOfData);
}

// With no event pool left, the notes that could not be had are dropped whole: no
// note-on is placed without its note-off, the report shows once, and the pool's
// records all come back.
TEST_F(BuilderTest, PoolExhaustionNeverLeavesAHangingNote) {
    BuildScore(1, 2);
    for (int m = 1; m <= 2; ++m)
        for (int t = 0; t < kBar; t += 1024) Note(1, m, t, kQuarter, 0);
    const int reportsBefore = LowMemoryReportCount();
    for (int allowed = 0; allowed < 12; ++allowed) {
        FailRecordAllocationAfter(allowed);
        std::vector<Placed> notes = Channel(BuildAll(Options(1, 2)));
        int sounding = 0;
        for (const Placed& p : notes) sounding += (p.message & 0xF0) == kOn ? 1 : -1;
        EXPECT_EQ(sounding, 0) << "allowed " << allowed;
    }
    EXPECT_GT(LowMemoryReportCount(), reportsBefore);
    FailNextRecordAllocations(0);
}

// Playing or exporting the whole score leaves the score's measures as they were.
TEST_F(BuilderTest, BuildingAddsNoMeasures) {
    BuildScore(1, 2);
    Note(1, 2, 3072, kQuarter, 0);
    BuildAll(Options(1, 2));
    PerformanceOptions options = Options(1, 2);
    options.exporting = true;
    BuildAll(options);
    EXPECT_EQ(doc_->header.measureCount, 2);
}

}  // namespace
}  // namespace ql::testing
