// A hostile mix of every respelling and transposition operation over one score, in
// random order with fixed seeds: after each step every note still sounds what the
// step asked for (unchanged for respelling, moved by the interval for
// transposition), the chains keep their notes and times, and every position stays
// inside the range the accidental state follows.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "core/model/events.h"
#include "core/model/grid.h"
#include "core/state.h"
#include "notes/pitch/accidental_state.h"
#include "notes/pitch/pitch.h"
#include "notes/respell/respell.h"
#include "notes/tests/pitch/pitch_fixture.h"
#include "notes/transpose/transpose.h"

namespace ql::testing_pitch {
namespace {

constexpr int kMeasures = 4;
constexpr int kNotesPerMeasure = 6;
constexpr int kVoice = 0;

class RespellMixTest : public PitchScoreTest {
  protected:
    struct Entry {
        EventRecord* note;
        MeasureCell* cell;
        int time;
        int key;
    };
    void Build(std::mt19937& random) {
        for (int m = 1; m <= kMeasures; ++m) {
            MeasureCell* cell = CellWith(m % 2 ? CodeOf(ClefKind::Treble) : CodeOf(ClefKind::Bass),
                                         static_cast<int>(random() % kKeyCodeCount), m);
            for (int t = 0; t < kNotesPerMeasure; ++t)
                AddNote(cell, t * 512, static_cast<int>(random() % 13) - 9,
                        static_cast<int>(random() % 6));
        }
        Snapshot();
    }
    void Snapshot() {
        entries_.clear();
        for (int m = 1; m <= kMeasures; ++m) {
            MeasureCell* cell = GetOrCreateMeasureCell(Staff(1), doc_, m);
            for (EventRecord* n = GetVoiceFirstEvent(cell, kVoice); n != nullptr; n = NextEvent(n))
                entries_.push_back(
                    {n, cell, n->time, ComputeNoteKeyInCell(Staff(1), cell, *n, kVoice)});
        }
    }
    // Every note sounds its key moved by `shift`, at its time, inside the state's range.
    void Check(int shift, const char* step) {
        size_t count = 0;
        for (int m = 1; m <= kMeasures; ++m) {
            MeasureCell* cell = GetOrCreateMeasureCell(Staff(1), doc_, m);
            for (EventRecord* n = GetVoiceFirstEvent(cell, kVoice); n != nullptr; n = NextEvent(n))
                ++count;
        }
        ASSERT_EQ(count, entries_.size()) << step;
        for (const Entry& e : entries_) {
            ASSERT_EQ(e.note->time, e.time) << step;
            ASSERT_GE(NotePosition(*e.note), -kAccidentalStateBias) << step;
            ASSERT_LE(NotePosition(*e.note), kAccidentalStateBias + 1) << step;
            ASSERT_EQ(ComputeNoteKeyInCell(Staff(1), e.cell, *e.note, kVoice), e.key + shift)
                << step;
        }
        Snapshot();
    }
    // The interval TransposeBySemitones asks for.
    static int ShiftOf(int oldKey, int newKey, TransposeDirection direction, int semitones) {
        const int d = newKey - oldKey;
        int x = (d < 0 ? -d : d) * 7;
        if (x > 12) x -= 12 * ((x - 1) / 12);
        const int up = d == 0 ? 0 : d > 0 ? x : 12 - x;
        int interval = up;
        if (direction == TransposeDirection::Down && d != 0) interval = up - 12;
        if (direction == TransposeDirection::None && d != 0 && up > 6) interval = up - 12;
        if (d == 0 && semitones == 0)
            return direction == TransposeDirection::Up     ? 12
                   : direction == TransposeDirection::Down ? -12
                                                           : 0;
        return interval + semitones;
    }
    std::vector<Entry> entries_;
};

TEST_F(RespellMixTest, EveryOperationKeepsWhatItShould) {
    for (const unsigned seed : {1u, 19u, 2164u, 2165u}) {
        std::mt19937 random(seed);
        Build(random);
        for (int step = 0; step < 60; ++step) {
            const int op = static_cast<int>(random() % 5);
            const Entry target = entries_[random() % entries_.size()];
            if (op == 0) {  // enharmonic, normal or extended
                State().input.StickyCtrlFlag = static_cast<uint8_t>(random() % 2);
                EnharmonicChangeNote(
                    view_, target.note, target.cell, kVoice,
                    random() % 2 ? DoubleChoice::LowDouble : DoubleChoice::HighDouble);
                State().input.StickyCtrlFlag = 0;
                Check(0, "enharmonic");
            } else if (op == 1) {  // a key change keeping the pitches
                ParkCellPitches(Staff(1), target.cell);
                target.cell->clefKey = static_cast<uint8_t>(
                    CellClef(*target.cell) | (random() % kKeyCodeCount) << kKeyNibbleShift);
                RespellCellFromParkedPitches(view_, target.cell);
                Check(0, "key change");
            } else if (op == 2) {  // explicit, then redundant dropped
                MakeVoiceAccidentalsExplicit(target.cell, kVoice);
                Check(0, "explicit");
                DropRedundantAccidentals(view_, target.cell, kVoice);
                Check(0, "redundant");
            } else {  // a transposition of the whole range, by key or by semitones
                TransposeRequest request;
                request.firstMeasure = 1;
                request.lastMeasure = kMeasures + 1;
                request.direction = static_cast<TransposeDirection>(random() % 3);
                request.semitones = static_cast<int>(random() % 9) - 4;
                request.newKey =
                    random() % 2 ? kKeepClefOrKey : static_cast<int>(random() % kKeyCodeCount);
                const int oldKey = CellKey(*GetOrCreateMeasureCell(Staff(1), doc_, 1));
                const int newKey = request.newKey < 0 ? oldKey : request.newKey;
                const TransposeOutcome outcome = TransposeBySemitones(view_, request);
                ASSERT_FALSE(outcome.refused);
                if (outcome.notesFolded != 0) {
                    Snapshot();  // folded notes moved by another octave on purpose
                    continue;
                }
                Check(ShiftOf(oldKey, newKey, request.direction, request.semitones), "transpose");
            }
        }
        for (int m = 1; m <= kMeasures; ++m)
            FreeCellVoices(GetOrCreateMeasureCell(Staff(1), doc_, m), doc_, 0);
    }
}

}  // namespace
}  // namespace ql::testing_pitch
