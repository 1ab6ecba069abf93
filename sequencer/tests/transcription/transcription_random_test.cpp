// Randomised event lists through the whole transcription (streaming, analysis,
// writing, ties and tuplet marks) under the sanitizers: note messages with hostile
// keys, velocities, deltas (zero, backwards, huge), orphan note-offs, overlapping
// notes, other channel messages, every record mode, random grids and options,
// signatures with a numerator of 0 and measure lengths of 0. After each list every
// note-on is written or counted as dropped, and the score holds exactly the events
// written. The seed of a failing list is printed; QL_TRANSCRIBE_SEED replays one.
#include <gtest/gtest.h>

#include <cstdlib>
#include <random>

#include "core/model/events.h"
#include "core/model/grid.h"
#include "core/settings/program_options.h"
#include "core/undo/undo.h"
#include "sequencer/channel_events.h"
#include "sequencer/tests/transcription/transcription_fixture.h"
#include "sequencer/transcription_measures.h"

namespace ql::testing {
namespace {

constexpr int kLists = 10000;
constexpr int kStaves = 3;
constexpr int kMeasures = 6;

class TranscriptionRandomTest : public TranscriptionTest {
protected:
    std::mt19937 random_;

    int Uniform(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random_); }
    bool OneIn(int n) { return Uniform(1, n) == 1; }

    void RandomOptions() {
        ProgramOptions& o = ql::Options();
        o.PreQuantization = Uniform(3, 12);
        o.PostQuantization = Uniform(3, 12);
        o.AllowTriplets = static_cast<uint8_t>(Uniform(0, 1));
        o.AllowQuin = static_cast<uint8_t>(Uniform(0, 1));
        o.AllowSyncopation = static_cast<uint8_t>(Uniform(0, 1));
        o.ExtendNotes = static_cast<uint8_t>(Uniform(0, 1));
        o.ExtendLimit = 1 << Uniform(8, 10);
        o.KeepQuantizationError = static_cast<uint8_t>(Uniform(0, 1));
        o.QuantizationErrorLimit = static_cast<uint8_t>(Uniform(4, 9));
    }

    // Random signatures and lengths on the measures about to be used.
    void RandomMeasures(int last) {
        for (int m = 1; m <= last; ++m) {
            MeasureRecord* record = MeasureRecordOf(doc_, m);
            if (record == nullptr) continue;
            record->lengthTicks = static_cast<uint16_t>(OneIn(20) ? 0 : (OneIn(4) ? Uniform(1, 16) * 512 : kBar));
            for (int s = 1; s <= kStaves; ++s) {
                MeasureCell* cell = GetOrCreateMeasureCell(StaffRecordOf(doc_, s), doc_, m);
                cell->beats = static_cast<uint8_t>(OneIn(10) ? 0 : Uniform(1, 12));
                cell->beatUnit = static_cast<uint8_t>(Uniform(8, 12));
            }
        }
    }

    // Empties what the previous list wrote.
    void ClearScore() {
        const int last = std::min<int>(doc_->header.measureCount, MeasureLimit);
        for (int s = 1; s <= kStaves; ++s) {
            for (int m = 1; m <= last; ++m) {
                MeasureCell* cell = GetOrCreateMeasureCell(StaffRecordOf(doc_, s), doc_, m);
                ClearMeasureCell(cell, doc_);
                DetachCellObjectList(cell, doc_, 0);
            }
        }
        ClearUndoHistory(doc_);
    }

    void PlayRandomList() {
        TranscriptionInput& in = TranscriptionInputs();
        RecordRouting routing;
        routing.mode = static_cast<RecordMode>(Uniform(0, 2));
        routing.recordStaff = Uniform(1, kStaves);
        routing.splitStaff = Uniform(1, kStaves);
        routing.splitPoint = Uniform(0, 127);
        for (uint8_t& entry : routing.channelStaves) entry = static_cast<uint8_t>(Uniform(0, kStaves + 1));
        if (OneIn(3)) routing.channelStaves[0] = kChannelStavesUnset;
        routing = NormalizeRouting(routing, kStaves);
        in.mode = routing.mode;
        in.upperStaff = routing.recordStaff;
        in.lowerStaff = routing.splitStaff;
        in.resolution = OneIn(5) ? Uniform(1, 4000) : 1024;
        in.nativeTime = OneIn(4);
        in.autoClef = OneIn(2);
        const int events = Uniform(0, 60);
        std::vector<uint8_t> held;
        for (int i = 0; i < events; ++i) {
            int32_t delta = Uniform(0, 700);
            if (OneIn(15)) delta = -Uniform(1, 2000);
            if (OneIn(20)) delta = 0;
            if (OneIn(2000)) delta = Uniform(100000, 2000000);
            uint8_t status = 0x90;
            uint8_t key = static_cast<uint8_t>(OneIn(30) ? Uniform(128, 255) : Uniform(36, 96));
            uint8_t value = static_cast<uint8_t>(OneIn(30) ? Uniform(128, 255) : Uniform(1, 127));
            const int pick = Uniform(0, 9);
            if (pick <= 3 && !held.empty()) {
                status = OneIn(3) ? 0x90 : 0x80;  // a note-on of velocity 0 releases too
                const size_t at = static_cast<size_t>(Uniform(0, static_cast<int>(held.size()) - 1));
                key = held[at];
                held.erase(held.begin() + static_cast<std::ptrdiff_t>(at));
                value = 0;
            } else if (pick == 4) {
                status = 0x80;  // possibly never struck
            } else if (pick == 5) {
                status = static_cast<uint8_t>(0xA0 + 0x10 * Uniform(0, 4));
            } else if (pick == 6 && OneIn(5)) {
                status = static_cast<uint8_t>(Uniform(0, 255) & 0xF0);
            } else {
                held.push_back(key);
            }
            in.channel = static_cast<uint8_t>(Uniform(0, 15));
            in.status = status;
            in.data[0] = key;
            in.data[1] = value;
            in.length = 2;
            in.delta = delta;
            in.staff = RecordedEventStaff(routing, status | in.channel | (uint32_t{key} << 8), kStaves);
            if (in.staff == 0) in.staff = OneIn(2) ? 0 : 1;  // unrouted kinds, and staff 0 now and then
            TranscribeRecordedNotes(view_);
            if (status == 0x80 || status == 0x90) {
                TranscribeRecordedStaff(view_);
            } else {
                const int measure = TranscriptionStaffState(in.staff).currentMeasure;
                if (measure >= 1 && measure <= doc_->header.measureCount)
                    ImportChannelEvent(view_, in.staff, GetOrCreateMeasureCell(StaffRecordOf(doc_, in.staff), doc_, measure));
            }
        }
    }

    int LastUsedMeasure() const {
        int last = 1;
        for (int s = 1; s <= kStaves; ++s) last = std::max({last, LastRawMeasure(s), TranscriptionStaffState(s).currentMeasure + 1});
        return std::min<int>(last, doc_->header.measureCount);
    }

    uint32_t EventsInScore(int last) {
        uint32_t count = 0;
        for (int s = 1; s <= kStaves; ++s)
            for (int m = 1; m <= last; ++m)
                for (EventRecord* e = GetVoiceFirstEvent(GetOrCreateMeasureCell(StaffRecordOf(doc_, s), doc_, m), 0);
                     e != nullptr; e = NextEvent(e))
                    ++count;
        return count;
    }
};

// Zero crashes, and every note-on accounted for in the score or the dropped count.
TEST_F(TranscriptionRandomTest, EveryNoteIsWrittenOrCountedDropped) {
    Begin(kStaves, kMeasures);
    const char* replay = std::getenv("QL_TRANSCRIBE_SEED");
    const uint32_t first = replay != nullptr ? static_cast<uint32_t>(std::strtoul(replay, nullptr, 10)) : 1;
    const int lists = replay != nullptr ? 1 : kLists;
    for (int list = 0; list < lists; ++list) {
        const uint32_t seed = first + static_cast<uint32_t>(list);
        random_.seed(seed);
        ClearScore();
        ResetTranscription();
        ResetTranscriptionWritten();
        RandomOptions();
        RandomMeasures(kMeasures);
        for (int s = 1; s <= kStaves; ++s) StartTranscriptionStaff(view_, s, 1);
        PlayRandomList();
        for (int s = 1; s <= kStaves; ++s) FlushPendingNotes(view_, s);
        const int last = LastUsedMeasure();
        TranscribeMeasureGroups(view_, 1, kStaves, 1, last, false);
        FinishTranscribedMeasures(view_, 0, 1, kStaves, 1, last);
        const TranscriptionCounts& counts = TranscriptionCountsNow();
        const WrittenCounts& written = TranscriptionWritten();
        ASSERT_EQ(written.soundStarts + counts.dropped, counts.noteOns) << "seed " << seed;
        ASSERT_EQ(EventsInScore(last), written.events) << "seed " << seed;
    }
}

}  // namespace
}  // namespace ql::testing
