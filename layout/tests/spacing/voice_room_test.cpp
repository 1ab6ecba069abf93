// Voices told in one walk to need no room in front of their chords: over seeded
// measures (accidentals, grace notes, clef and key changes, tight and roomy
// stretches) every voice the walk passes is one the full fitting finds nothing in,
// and FitMeasure answers as a probe of every voice does. Damaged chains (a loop, a
// sentinel in the middle, a link that names nothing) are read as the fitting reads them.
#include <cstring>
#include <vector>
#include <random>

#include "core/model/object_list.h"
#include "core/model/signature_fields.h"
#include "core/objects/score_object.h"
#include "core/text/text_object.h"
#include "layout/spacing/spacing_list.h"
#include "layout/spacing/voice_columns.h"
#include "layout/tests/layout_fixture.h"
#include "notes/accidentals/accidental_layout.h"

namespace ql::testing_layout {
namespace {

constexpr int kQuarter = 10;
constexpr int kStaves = 2;
constexpr int kMeasures = 60;

class VoiceRoomTest : public LayoutTest {
  protected:
    void SetUp() override {
        LayoutTest::SetUp();
        BuildScore(kStaves, kMeasures);
        system_ = UseSystem(1, kMeasures);
        view_->glyphWidths.black = 80;
        view_->glyphWidths.halfBlack = 40;
    }

    // Chords at random quarters of the voice, one to three notes each; a note has a
    // sign one time in `signOdds`, the first chord a grace offset one time in 6.
    void FillVoice(int staff, int measure, int voice, int signOdds) {
        for (int time = 0; time < 4096; time += 1024) {
            if (rng_() % 3 == 0) continue;
            const int notes = 1 + static_cast<int>(rng_() % 3);
            for (int n = 0; n < notes; ++n) {
                EventRecord* note = Note(staff, measure, voice, time, kQuarter, 2 * n + static_cast<int>(rng_() % 2));
                if (note == nullptr) continue;
                if (rng_() % signOdds == 0) Accidental(note, 1 + static_cast<int>(rng_() % 5));
                if (time == 0 && rng_() % 6 == 0) note->nudge = static_cast<int8_t>(-1 - static_cast<int>(rng_() % 3));
            }
        }
    }

    void AddSign(int staff, int measure, ObjectType type) {
        ScoreObject* sign = ConstructObject(TypeCode(type));
        SetSignatureTickOfObject(sign, static_cast<int>(rng_() % 4) * 1024 + 512);
        const int32_t width = 333;
        if (type == ObjectType::KeySignature)
            std::memcpy(sign->BodyBytes() + offsetof(TextObjectBody, width), &width, 4);
        InsertObjectAfter(GetOrCreateCellObjectList(Cell(staff, measure)), sign);
    }

    bool Probe(int staff, int measure, int voice) {
        EventRecord* first = GetVoiceFirstEvent(Cell(staff, measure), voice);
        int32_t widening = 0;
        return first != nullptr && FitVoiceColumns(view_, first, system_, staff, measure,
                                                   Record(measure).width, widening, false);
    }

    // Seeded measures whose voices lie in several blocks of the event pool, a
    // voice's chords far apart in it; then FitMeasure over all of them, with the
    // lookups kept over every measure or made for each. Returns what the fitting
    // answered and left: widths, leads, factors, spacing lists, accidental offsets.
    std::vector<int> FitSeededMeasures(bool keepLookups) {
        rng_.seed(77);
        std::vector<EventRecord*> notes;
        for (int time = 0; time < 4096; time += 512)
            for (int m = 1; m <= kMeasures; ++m)
                for (int staff = 1; staff <= kStaves; ++staff)
                    for (int voice = 0; voice < kVoiceCount; ++voice) {
                        if (rng_() % 3 == 0) continue;
                        EventRecord* note = Note(staff, m, voice, time, kQuarter - 1, static_cast<int>(rng_() % 8));
                        if (note == nullptr) continue;
                        if (rng_() % 3 == 0) Accidental(note, 1 + static_cast<int>(rng_() % 5));
                        notes.push_back(note);
                    }
        for (int m = 1; m <= kMeasures; ++m) {
            Record(m).stretch = rng_() % 2 == 0 ? 256 : 4096;
            Record(m).width = ProportionalWidth(Record(m));
            Record(m).lead = 0;
        }
        std::vector<int> result;
        FitLookups kept;
        for (int m = 1; m <= kMeasures; ++m) {
            FitLookups own;
            result.push_back(FitMeasure(view_, system_, m, true, keepLookups ? kept : own));
        }
        for (int m = 1; m <= kMeasures; ++m) {
            const MeasureRecord& record = Record(m);
            result.insert(result.end(), {record.width, record.lead, record.stretch});
            for (const SpacingEntry* e = SpacingEntryOf(record.spacing); e != nullptr;
                 e = SpacingEntryOf(RecordHandle{e->next}))
                result.insert(result.end(), {e->time, e->ticksToNext, e->xPer16Ticks});
        }
        for (const EventRecord* note : notes)
            if (const ScoreObject* sign = AccidentalOfNote(*note)) result.push_back(AccidentalOffset(sign));
        return result;
    }

    std::mt19937 rng_{55};
    ScoreSystem* system_ = nullptr;
};

TEST_F(VoiceRoomTest, VoicesThePassTellsNeedNothingAndMeasuresAnswerAsEveryProbe) {
    BlockResolver<EventRecord> events(kEventRecordPool);
    for (int m = 1; m <= kMeasures; ++m) {
        Record(m).stretch = rng_() % 2 == 0 ? 256 : 4096;  // too tight or roomy for a sign
        Record(m).width = ProportionalWidth(Record(m));
        Record(m).lead = 0;
        for (int staff = 1; staff <= kStaves; ++staff) {
            // Every third measure has no accidental: its needs are graces, clefs and keys.
            for (int voice = 0; voice < 2; ++voice) FillVoice(staff, m, voice, m % 3 == 0 ? 1 << 20 : 2 + m % 20);
            if (rng_() % 3 == 0) AddSign(staff, m, rng_() % 2 ? ObjectType::Clef : ObjectType::KeySignature);
        }
    }
    int passed = 0, needing = 0, roomy = 0;
    for (int m = 1; m <= kMeasures; ++m) {
        bool anyProbe = false;
        for (int staff = 1; staff <= kStaves; ++staff) {
            MeasureCell* cell = Cell(staff, m);
            for (int voice = 0; voice < 2; ++voice) {
                const EventRecord* first = GetVoiceFirstEvent(cell, voice);
                const bool pass = !CellHasClefOrKey(cell) && VoiceNeedsNoRoom(first, events);
                const bool probe = Probe(staff, m, voice);
                EXPECT_FALSE(pass && probe) << "measure " << m << " staff " << staff << " voice " << voice;
                passed += pass;
                needing += probe;
                roomy += !pass && !probe;
                anyProbe = anyProbe || probe;
            }
        }
        EXPECT_EQ(FitMeasure(view_, system_, m, false), anyProbe ? 1 : 0) << "measure " << m;
    }
    // Every kind of voice came up.
    EXPECT_GT(passed, 20);
    EXPECT_GT(needing, 20);
    EXPECT_GT(roomy, 5);
}

TEST_F(VoiceRoomTest, DamagedChainsAreReadAsTheFittingReadsThem) {
    BlockResolver<EventRecord> events(kEventRecordPool);
    EventRecord* a = Note(1, 1, 0, 0, kQuarter, 0);
    EventRecord* b = Note(1, 1, 0, 1024, kQuarter, 0);
    EventRecord* c = Note(1, 1, 0, 2048, kQuarter, 0);
    ASSERT_TRUE(a != nullptr && b != nullptr && c != nullptr);
    EXPECT_TRUE(VoiceNeedsNoRoom(a, events));
    const RecordHandle end = c->next;
    c->next = HandleOfEvent(a);  // a loop ends, with the probe's answer
    EXPECT_EQ(FitMeasure(view_, system_, 1, false), Probe(1, 1, 0) ? 1 : 0);
    EXPECT_EQ(FitMeasure(view_, system_, 1, true), 0);
    c->next = end;
    // A sentinel in the middle: the fitting skips it and reads on.
    b->step = kSentinelStep;
    b->time = kSentinelTime;
    Accidental(c, 1);
    Record(1).stretch = 256;
    Record(1).width = ProportionalWidth(Record(1));
    EXPECT_FALSE(VoiceNeedsNoRoom(a, events));
    EXPECT_TRUE(Probe(1, 1, 0));
    b->step = 0;
    b->time = 1024;
    // After a link that names nothing the chain ends, for the fitting as here: the
    // sign beyond it is read by neither.
    const RecordHandle link = b->next;
    b->next = RecordHandle{0x7FFF};
    EXPECT_TRUE(VoiceNeedsNoRoom(a, events));
    EXPECT_FALSE(Probe(1, 1, 0));
    b->next = link;
}

// The re-spacing fits the measures of a system with one set of lookups: the
// fittings in between widen stretches, rebuild slots and move the view, and the
// measures' events lie in several blocks. Every measure comes out as when fitted
// with lookups of its own.
TEST_F(VoiceRoomTest, LookupsKeptOverMeasuresFitAsLookupsOfTheirOwn) {
    const std::vector<int> own = FitSeededMeasures(false);
    EXPECT_GE(CurrentPoolSet().pools[kEventRecordPool].blockCount, 3);
    int fitted = 0;
    for (int m = 0; m < kMeasures; ++m) fitted += own[static_cast<size_t>(m)];
    EXPECT_GT(fitted, kMeasures / 4) << "measures widened";
    EXPECT_LT(fitted, kMeasures) << "and measures left as they were";
    TearDown();
    SetUp();
    EXPECT_EQ(FitSeededMeasures(true), own);
}

}  // namespace
}  // namespace ql::testing_layout
