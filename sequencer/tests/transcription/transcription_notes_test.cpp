// Transcription of note messages into voices: each attack grid, chords, ties across
// barlines, triplets allowed and refused, the split point between two staves, the
// quantisation error kept or not, the note-off rules, and hostile input.
#include <gtest/gtest.h>

#include "core/model/events.h"
#include "core/model/grid.h"
#include "core/model/model_reports.h"
#include "core/settings/program_options.h"
#include "core/state.h"
#include "core/undo/undo.h"
#include "notes/pitch/accidental_state.h"
#include "notes/ties/ties.h"
#include "sequencer/tests/transcription/transcription_fixture.h"
#include "sequencer/transcription_measures.h"

namespace ql::testing {
namespace {

// Each grid of the dialog ("None" .. "Quarter") puts an attack 37 ticks after beat 2
// where that grid's snapping puts it.
TEST_F(TranscriptionTest, AttacksSnapToEachGrid) {
    const int expected[] = {1056, 1088, 1024, 1024, 1024, 1024};  // exponents 5..10
    for (int exponent = 5; exponent <= 10; ++exponent) {
        SCOPED_TRACE(exponent);
        Begin(1, 2);
        ql::Options().PreQuantization = exponent;
        On(1, 1061, 60);
        Off(1, 1024, 60);
        Finish(1);
        ASSERT_NE(FirstNote(1, 1), nullptr);
        EXPECT_EQ(FirstNote(1, 1)->time, expected[exponent - 5]);
    }
}

// Keys struck a few ticks apart make one chord of one value.
TEST_F(TranscriptionTest, NotesStruckTogetherMakeAChord) {
    Begin(1, 2);
    On(1, 0, 60);
    On(1, 5, 64);
    On(1, 3, 67);
    Off(1, 1016, 60);
    Off(1, 0, 64);
    Off(1, 0, 67);
    Finish(1);
    EXPECT_EQ(Dump(1, 1, 1), "0:60/10 0:64/10 0:67/10 1024:R/10 2048:R/10 3072:R/10");
}

// A note held across two barlines becomes three tied notes: to the end of the
// measure, the whole next measure, and the rest; each tie is a tie object.
TEST_F(TranscriptionTest, HeldNoteTiesAcrossTwoBarlines) {
    Begin(1, 4);
    On(1, 2048, 60);
    Off(1, 2048 + 4096 + 1024, 60);
    Finish(3);
    EXPECT_EQ(Dump(1, 1, 3), "0:R/10 1024:R/10 2048:60/11~ | 0:60/12~^ | 0:60/10^ 1024:R/10 2048:R/10 3072:R/10");
    EXPECT_NE(FindNoteTie(FirstNote(1, 1)), nullptr);
    EXPECT_NE(FindNoteTie(FirstNote(1, 2)), nullptr);
    EXPECT_EQ(FindNoteTie(FirstNote(1, 3)), nullptr);
}

// An arpeggio held under later notes sounds as one note per key: each held key
// goes on in every later chord, tied, into the next measure.
TEST_F(TranscriptionTest, HeldArpeggioIsTiedThroughTheLaterChords) {
    Begin(1, 3);
    const uint8_t keys[] = {60, 64, 67, 71};
    for (uint8_t key : keys) On(1, key == 60 ? 0 : 1024, key);
    Off(1, 1024 + 1024, 60);
    for (uint8_t key : keys)
        if (key != 60) Off(1, 0, key);
    Finish(2);
    EXPECT_EQ(Dump(1, 1, 2),
              "0:60/10~ 1024:60/10~^ 1024:64/10~ 2048:60/10~^ 2048:64/10~^ 2048:67/10~ "
              "3072:60/10~^ 3072:64/10~^ 3072:67/10~^ 3072:71/10~ | "
              "0:60/10^ 0:64/10^ 0:67/10^ 0:71/10^ 1024:R/10 2048:R/10 3072:R/10");
}

// Every note sounds the key played under the accidentals in force before it: E
// after E-flat gets its natural, and in D major F after F-sharp (and F-sharp after
// F) are written so.
TEST_F(TranscriptionTest, NotesAreSpelledAgainstTheAccidentalsInForce) {
    struct Case {
        uint8_t keyCode;  // 7 C major, 9 D major, 5 B-flat major
        std::vector<uint8_t> keys;
    } cases[] = {{7, {63, 64, 63, 64}}, {9, {65, 66, 65}}, {7, {61, 62, 61, 60}}, {5, {70, 71, 70}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.keyCode);
        Begin(1, 2);
        MeasureCell* cell = GetOrCreateMeasureCell(StaffRecordOf(doc_, 1), doc_, 1);
        cell->clefKey = static_cast<uint8_t>((cell->clefKey & 0x0F) | (c.keyCode << 4));
        for (uint8_t key : c.keys) {
            On(1, 0, key);
            Off(1, 512, key);
        }
        Finish(1);
        std::vector<uint8_t> sounding;
        for (EventRecord* e = FirstNote(1, 1); e != nullptr; e = NextEvent(e))
            if (!IsHeadSentinel(*e))
                sounding.push_back(static_cast<uint8_t>(ComputeNoteKeyInCell(StaffRecordOf(doc_, 1), cell, *e, 0)));
        EXPECT_EQ(sounding, c.keys);
    }
}

// A release that snaps onto the barline ends the note there, without a tie.
TEST_F(TranscriptionTest, ReleaseOnTheBarlineEndsWithoutTie) {
    Begin(1, 3);
    On(1, 2048, 60);
    Off(1, 2048 + 64, 60);
    Finish(2);
    EXPECT_EQ(Dump(1, 1, 2), "0:R/10 1024:R/10 2048:60/11 | ");
    EXPECT_EQ(FindNoteTie(FirstNote(1, 1)), nullptr);
}

// A release exactly on the last barline opens no measure after it; a note struck
// there does.
TEST_F(TranscriptionTest, OnlyWhatStartsOnTheLastBarlineOpensAMeasure) {
    Begin(1, 2);
    On(1, 4096, 60);
    Off(1, 4096, 60);
    EXPECT_EQ(doc_->header.measureCount, 2);
    On(1, 0, 62);
    EXPECT_EQ(doc_->header.measureCount, 3);
    Off(1, 1024, 62);
    Finish(3);
    EXPECT_EQ(Dump(1, 2, 3), "0:60/12 | 0:62/10 1024:R/10 2048:R/10 3072:R/10");
}

// Three notes of 341 or 342 ticks from a beat are a triplet (with its mark) only
// with triplets allowed.
TEST_F(TranscriptionTest, TripletsOnlyWhenAllowed) {
    for (bool allowed : {true, false}) {
        SCOPED_TRACE(allowed);
        Begin(1, 2);
        ql::Options().AllowTriplets = allowed ? 1 : 0;
        On(1, 0, 60);
        Off(1, 341, 60);
        On(1, 0, 62);
        Off(1, 341, 62);
        On(1, 0, 64);
        Off(1, 342, 64);
        Finish(1);
        if (allowed) {
            EXPECT_EQ(Dump(1, 1, 1), "0:60/9t 341:62/9t 682:64/9t 1024:R/10 2048:R/11");
            ScoreObject* mark = GetEventAttachment(FirstNote(1, 1));
            while (mark != nullptr && mark->type != TypeCode(ObjectType::Tuplet)) mark = mark->next.get();
            EXPECT_NE(mark, nullptr);
        } else {
            EXPECT_EQ(Dump(1, 1, 1), "0:60/8 256:62/9 768:64/8 1024:R/10 2048:R/11");
        }
    }
}

// Triplet eighths played shorter than their slots (as an export at 90 percent
// writes them, or detached to 200 ticks) are found from their attacks as played,
// on every grid, before the grid moves the second and third attacks (onto 512 and
// 512 on the eighth grid).
TEST_F(TranscriptionTest, ShortTripletsAreFoundFromTheirAttacksAsPlayed) {
    const std::pair<int, int32_t> cases[] = {{8, 307}, {9, 307}, {8, 200}};
    for (const auto& [grid, sounding] : cases) {
        SCOPED_TRACE(grid * 1000 + sounding);
        Begin(1, 2);
        ql::Options().AllowTriplets = 1;
        ql::Options().PreQuantization = grid;
        for (uint8_t key : {60, 62, 64}) {
            On(1, key == 60 ? 0 : 341 - sounding, key);
            Off(1, sounding, key);
        }
        Finish(1);
        EXPECT_EQ(Dump(1, 1, 1), "0:60/9t 341:62/9t 682:64/9t 1024:R/10 2048:R/11");
    }
}

// With a split keyboard, keys below the split point go to the split staff and the
// others to the record staff, and every delta moves both staves on.
TEST_F(TranscriptionTest, SplitPointSendsKeysToTwoStaves) {
    Begin(2, 2);
    TranscriptionInput& in = TranscriptionInputs();
    in.mode = RecordMode::Split;
    in.upperStaff = 1;
    in.lowerStaff = 2;
    RecordRouting routing;
    routing.mode = RecordMode::Split;
    routing.recordStaff = 1;
    routing.splitStaff = 2;
    routing.splitPoint = 60;
    const auto play = [&](int32_t delta, uint8_t status, uint8_t key) {
        const uint32_t message = status | (uint32_t{key} << 8);
        Send(RecordedEventStaff(routing, message, 2), delta, status, key, status == 0x90 ? 80 : 0);
    };
    play(0, 0x90, 72);
    play(0, 0x90, 59);
    play(0, 0x90, 60);
    play(1024, 0x80, 72);
    play(0, 0x80, 59);
    play(0, 0x80, 60);
    play(1024, 0x90, 48);
    play(1024, 0x80, 48);
    Finish(1);
    EXPECT_EQ(Dump(1, 1, 1), "0:60/10 0:72/10 1024:R/10 2048:R/10 3072:R/10");
    EXPECT_EQ(Dump(2, 1, 1), "0:59/10 1024:R/10 2048:48/10 3072:R/10");
}

// "Retain quantization error" keeps what the grids took away (attack 37 ticks late,
// release 13 late); off, both are 0.
TEST_F(TranscriptionTest, QuantizationErrorKeptOnlyWhenRetained) {
    for (bool keep : {true, false}) {
        SCOPED_TRACE(keep);
        Begin(1, 2);
        ql::Options().KeepQuantizationError = keep ? 1 : 0;
        On(1, 1061, 60);
        Off(1, 1000, 60);
        Finish(1);
        const EventRecord* note = FirstNote(1, 1);
        ASSERT_NE(note, nullptr);
        EXPECT_EQ(note->time, 1024);
        EXPECT_EQ(note->attack, keep ? 37 : 0);
        EXPECT_EQ(note->release, keep ? 13 : 0);
    }
}

// Two attacks of one key: a note-off closes the note that began at least 32 ticks
// before it, so the first release ends the older note and the second the newer.
TEST_F(TranscriptionTest, NoteOffClosesTheOlderOfTwoAttacks) {
    Begin(1, 2);
    On(1, 0, 60);
    On(1, 1000, 60);  // snaps to 1024
    Off(1, 10, 60);
    Off(1, 1038, 60);
    Finish(1);
    EXPECT_EQ(Dump(1, 1, 1), "0:60/10 1024:60/10 2048:R/11");
}

// An attack quantised onto the barline waits for the next measure; released before
// the barline it lasts one release step.
TEST_F(TranscriptionTest, PendingNoteReleasedEarlyLastsOneReleaseStep) {
    Begin(1, 3);
    ql::Options().ExtendNotes = 0;
    On(1, 4000, 60);
    Off(1, 50, 60);
    Finish(2);
    EXPECT_EQ(Dump(1, 1, 2), " | 0:60/8 256:R/8 512:R/9 1024:R/10 2048:R/10 3072:R/10");
}

// Hostile input is transcribed or dropped and counted, never a crash: zero-length
// notes, note-offs without note-ons, overlapping notes of one key, time going
// backwards, a numerator of 0, data above 127.
TEST_F(TranscriptionTest, HostileInputIsTranscribedOrDropped) {
    Begin(1, 4);
    GetOrCreateMeasureCell(StaffRecordOf(doc_, 1), doc_, 2)->beats = 0;
    On(1, 0, 60);
    Off(1, 0, 60);      // zero length
    Off(1, 100, 61);    // never struck
    On(1, 100, 62);
    On(1, 10, 62);      // overlapping on one key
    Off(1, 300, 62);
    Off(1, 0, 62);
    On(1, -500, 64);    // backwards
    Off(1, 4096, 64);
    On(1, 0, 200);      // key out of range
    On(1, 0, 65, 200);  // velocity out of range
    Off(1, 5000, 65);
    Finish(4);
    const TranscriptionCounts& counts = TranscriptionCountsNow();
    EXPECT_EQ(counts.noteOns, 6u);
    EXPECT_EQ(counts.unmatchedOffs, 1u);
    EXPECT_EQ(TranscriptionWritten().soundStarts + counts.dropped, counts.noteOns);
    EXPECT_GE(counts.dropped, 1u);  // the key of 200
    EXPECT_EQ(FirstNote(1, 1)->duration, 8);  // the zero-length note: one release step
}

// With auto-clef, low keys take the bass clef, a measure without notes keeps the
// clef before it and high keys bring the treble clef back; a change of time
// signature from the previous measure is shown.
TEST_F(TranscriptionTest, AutoClefAndSignatureChanges) {
    Begin(1, 5);
    TranscriptionInputs().autoClef = true;
    MeasureCell* third = GetOrCreateMeasureCell(StaffRecordOf(doc_, 1), doc_, 3);
    third->beats = 3;
    MeasureRecordOf(doc_, 3)->flags |= kMeasureTimeHidden;
    MeasureRecordOf(doc_, 3)->lengthTicks = 3072;
    On(1, 0, 72);
    Off(1, 1024, 72);
    On(1, 3072, 40);
    On(1, 0, 45);
    Off(1, 1024, 40);
    Off(1, 0, 45);
    On(1, 3072 + 3072, 76);
    Off(1, 1024, 76);
    Finish(4);
    const auto clef = [&](int m) { return GetOrCreateMeasureCell(StaffRecordOf(doc_, 1), doc_, m)->clefKey & kClefNibbleMask; };
    EXPECT_EQ(clef(1), kTrebleClefCode);
    EXPECT_EQ(clef(2), kBassClefCode);
    EXPECT_EQ(clef(3), kBassClefCode);
    EXPECT_EQ(clef(4), kTrebleClefCode);
    EXPECT_EQ(MeasureRecordOf(doc_, 3)->flags & kMeasureTimeHidden, 0);
}

// A cancel through the progress dialog ends the analysis with 0.
TEST_F(TranscriptionTest, CancelEndsTheAnalysis) {
    Begin(2, 2);
    On(1, 0, 60);
    Off(1, 1024, 60);
    State().dialogs.CancelRequested = 1;
    EXPECT_EQ(TranscribeMeasureGroups(view_, 1, 2, 1, 1, true), 0);
    EXPECT_EQ(TranscribeMeasureGroups(view_, 1, 1, 1, 1, true), 0);
    State().dialogs.CancelRequested = 0;
    EXPECT_EQ(Dump(1, 1, 1), "");
    EXPECT_EQ(TranscribeMeasureGroups(view_, 1, 2, 1, 1, true), 1);
    EXPECT_EQ(Dump(1, 1, 1), "0:60/10 1024:R/10 2048:R/10 3072:R/10");
    EXPECT_EQ(TranscribeMeasureGroups(view_, 2, 1, 1, 1, true), 1);
}

// A pool that runs out stops the transcription with the low-memory report: the
// measures before the failing one stay whole, later ones stay empty, every note is
// written or counted as dropped, and Undo takes the edit back. A failure that the
// score model absorbs on its own loses nothing.
TEST_F(TranscriptionTest, ExhaustedPoolKeepsWrittenMeasuresAndUndoes) {
    const auto play = [&] {
        Begin(1, 4);
        for (int m = 0; m < 3; ++m) {
            On(1, m == 0 ? 0 : 2048, 60 + m);
            Off(1, 1024, 60 + m);
            On(1, 0, 64 + m);
            Off(1, 1024, 64 + m);
        }
    };
    play();
    Finish(3);
    std::vector<std::string> whole;
    for (int m = 1; m <= 3; ++m) whole.push_back(Dump(1, m, m));
    int failures = 0;
    for (int allowed = 0; allowed < 24; ++allowed) {
        SCOPED_TRACE(allowed);
        play();
        const int reports = LowMemoryReportCount();
        FailRecordAllocationAfter(allowed);
        TranscribeMeasureGroups(view_, 1, 1, 1, 3, false);
        FailNextRecordAllocations(0);
        int m = 1;
        while (m <= 3 && Dump(1, m, m) == whole[m - 1]) ++m;
        if (LowMemoryReportCount() == reports) {
            EXPECT_EQ(m, 4);
            continue;
        }
        ++failures;
        for (int later = m + 1; later <= 3; ++later) EXPECT_EQ(Dump(1, later, later), "") << later;
        EXPECT_EQ(TranscriptionWritten().soundStarts + TranscriptionCountsNow().dropped, TranscriptionCountsNow().noteOns);
        UndoCommand(doc_, view_);
        for (int n = 1; n <= 3; ++n) EXPECT_EQ(Dump(1, n, n), "") << n;
    }
    EXPECT_GE(failures, 6);
}

}  // namespace
}  // namespace ql::testing
