// Export and import again: random scores (notes, chords, rests, ties within and
// across barlines, triplets, time and key changes, an upbeat, a tempo, one to three
// staves) written as a Standard MIDI File and read back with triplets allowed give
// the same sounds (start, key, length through the ties, tuplet or not), the same
// measures with their lengths and signatures, and the same tempo. Notes start on
// eighths and last whole eighths (at most a dotted half through their ties), which
// the export's playback percent and the import's grids and gap filling give back.
// Each seed is a case of its own (--gtest_filter=Seeds/SmfRoundTrip.*/7 replays 7).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "core/model/document_context.h"
#include "core/model/events.h"
#include "core/model/grid.h"
#include "core/model/score_document.h"
#include "core/settings/program_options.h"
#include "core/state.h"
#include "core/ui/status_bar_notes.h"
#include "interchange/smf/smf_export.h"
#include "interchange/tests/smf/smf_score_fixture.h"
#include "layout/page_chain.h"
#include "notes/pitch/accidental_state.h"
#include "notes/ties/ties.h"
#include "sequencer/transcription_grid.h"

namespace ql::testing {
namespace {

constexpr int kScores = 40;
constexpr int32_t kEighth = 512;
constexpr int32_t kLongestSound = 3072;

struct Sound {
    int32_t start;
    int key;
    int32_t length;
    bool tuplet;
    bool operator==(const Sound&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Sound& s) {
    return out << s.start << ":" << s.key << "/" << s.length << (s.tuplet ? "t" : "");
}

// Each measure as "length beats/unit key" per staff.
std::vector<std::string> Measures(ScoreDocument* document, int staves, int count) {
    std::vector<std::string> measures;
    for (int m = 1; m <= count; ++m) {
        std::string text = std::to_string(MeasureRecordOf(document, m)->lengthTicks);
        for (int s = 1; s <= staves; ++s) {
            const MeasureCell* cell = GetOrCreateMeasureCell(StaffRecordOf(document, s), document, m);
            text += " " + std::to_string(cell->beats) + "/" + std::to_string(cell->beatUnit) + " k" +
                    std::to_string(CellKey(*cell));
        }
        measures.push_back(text);
    }
    return measures;
}

// The sounds of a staff: tied pieces joined into the note they sound as.
std::vector<Sound> Sounds(ScoreDocument* document, int staff, int count) {
    std::vector<Sound> sounds;
    std::map<int, size_t> open;  // key -> its last sound
    StaffRecord* record = StaffRecordOf(document, staff);
    int32_t start = 0;
    for (int m = 1; m <= count; ++m) {
        MeasureCell* cell = GetOrCreateMeasureCell(record, document, m);
        for (EventRecord* e = GetVoiceFirstEvent(cell, 0); e != nullptr; e = NextEvent(e)) {
            if (IsHeadSentinel(*e)) continue;
            const int key = ComputeNoteKeyInCell(record, cell, *e, 0);
            const int32_t at = start + e->time;
            const int32_t length = EventDurationTicks(*e);
            auto held = open.find(key);
            if ((e->word2 & kTieEndsHere) != 0 && held != open.end() &&
                sounds[held->second].start + sounds[held->second].length == at) {
                sounds[held->second].length += length;
                continue;
            }
            open[key] = sounds.size();
            sounds.push_back(Sound{at, key, length, e->tupletKind != 0});
        }
        start += MeasureRecordOf(document, m)->lengthTicks;
    }
    std::sort(sounds.begin(), sounds.end(), [](const Sound& a, const Sound& b) {
        return a.start != b.start ? a.start < b.start : a.key < b.key;
    });
    return sounds;
}

// Where two lists of sounds part: a few of each from the first difference.
std::string Parting(const std::vector<Sound>& got, const std::vector<Sound>& want) {
    size_t i = 0;
    while (i < got.size() && i < want.size() && got[i] == want[i]) ++i;
    std::ostringstream out;
    out << "from sound " << i << ":";
    for (const auto* list : {&got, &want}) {
        out << (list == &got ? "\n  back:" : "\n  sent:");
        for (size_t k = i; k < list->size() && k < i + 5; ++k) out << " " << (*list)[k];
    }
    return out.str();
}

class SmfRoundTrip : public SmfScoreTest, public ::testing::WithParamInterface<int> {
  protected:
    int Uniform(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random_); }
    bool OneIn(int n) { return Uniform(1, n) == 1; }

    void StandOn(int staff, int measure, MeasureCell* cell) {
        view_->currentStaff = staff;
        view_->currentMeasure = measure;
        view_->currentCell = cell;
        view_->currentStaffRecord = StaffRecordOf(doc_, staff);
        view_->currentMeasureLength = MeasureRecordOf(doc_, measure)->lengthTicks;
    }

    EventRecord* Put(int staff, int measure, int32_t time, int32_t ticks, int key, bool tuplet) {
        MeasureCell* cell = GetOrCreateMeasureCell(StaffRecordOf(doc_, staff), doc_, measure);
        StandOn(staff, measure, cell);
        const NoteValue value = tuplet ? NoteValue{9, 0} : ValueOfTicks(ticks);
        EventRecord* e = AddEventToVoice(view_, cell, 0, static_cast<uint16_t>(time), static_cast<uint8_t>(value.code), 0);
        if (e == nullptr) return nullptr;
        e->word2 = static_cast<uint16_t>((e->word2 & ~kEventDotsMask) | value.dots);
        if (tuplet) {
            e->tupletKind = 1;
            e->tupletRatio = static_cast<uint8_t>(FixedTupletRatioIndex(3, 2));
        }
        SpellEnteredNote(view_, *e, key, cell, 0);
        return e;
    }

    // Signatures, upbeat and tempo of a random score of `measures` measures.
    void RandomFrame(int staves, int measures) {
        BuildScore(staves, measures);
        doc_->header.tempo = static_cast<uint16_t>(Uniform(50, 200));
        const std::pair<int, int> metres[] = {{4, 10}, {3, 10}, {2, 10}, {6, 9}};
        std::pair<int, int> metre = metres[Uniform(0, 3)];
        int key = Uniform(4, 10);
        for (int m = 1; m <= measures; ++m) {
            if (m > 2 && OneIn(4)) metre = metres[Uniform(0, 3)];
            if (m > 1 && OneIn(5)) key = Uniform(4, 10);
            int32_t length = metre.first << metre.second;
            if (m == 1 && OneIn(3)) length = kEighth * Uniform(1, length / kEighth - 1);
            MeasureRecordOf(doc_, m)->lengthTicks = static_cast<uint16_t>(length);
            for (int s = 0; s <= staves; ++s) {
                MeasureCell* cell = GetOrCreateMeasureCell(StaffRecordOf(doc_, s), doc_, m);
                cell->beats = static_cast<uint8_t>(metre.first);
                cell->beatUnit = static_cast<uint8_t>(metre.second);
                cell->clefKey = static_cast<uint8_t>((cell->clefKey & 0x0F) | (key << 4));
            }
        }
    }

    // Random music on a staff: chords, rests, ties and triplets on beats of quarters.
    void RandomMusic(int staff, int measures) {
        std::vector<EventRecord*> tiedFrom;  // notes waiting for their continuation
        std::vector<int> tiedKeys;
        int32_t chain = 0;
        for (int m = 1; m <= measures; ++m) {
            const int32_t length = MeasureRecordOf(doc_, m)->lengthTicks;
            const MeasureCell* cell = GetOrCreateMeasureCell(StaffRecordOf(doc_, staff), doc_, m);
            for (int32_t t = 0; t < length;) {
                const int32_t room = length - t;
                if (tiedFrom.empty() && cell->beatUnit == 10 && t % 1024 == 0 && room >= 1024 && OneIn(5)) {
                    for (int k = 0; k < 3; ++k) Put(staff, m, t + k * 341, 341, Uniform(55, 79), true);
                    t += 1024;
                    continue;
                }
                if (tiedFrom.empty() && OneIn(4)) {
                    t += kEighth * Uniform(1, std::min(room / kEighth, 2));
                    continue;
                }
                int32_t ticks = kEighth * Uniform(1, std::min(room / kEighth, 4));
                if (!tiedFrom.empty()) ticks = std::min(ticks, kLongestSound - chain);
                std::vector<int> keys = tiedKeys;
                for (int n = keys.empty() ? Uniform(1, 3) : 0; n > 0; --n) {
                    // Keys of a chord a third apart or more: each on a step of its own.
                    const int key = Uniform(55, 79);
                    if (std::none_of(keys.begin(), keys.end(), [&](int k) { return std::abs(k - key) < 3; }))
                        keys.push_back(key);
                }
                std::vector<EventRecord*> made;
                for (int key : keys)
                    if (EventRecord* e = Put(staff, m, t, ticks, key, false)) made.push_back(e);
                for (size_t i = 0; i < tiedFrom.size(); ++i) ToggleTieFrom(tiedFrom[i]);
                chain = tiedFrom.empty() ? ticks : chain + ticks;
                tiedFrom.clear();
                tiedKeys.clear();
                t += ticks;
                if (chain + kEighth <= kLongestSound && OneIn(4) && (t < length || m < measures)) {
                    tiedFrom = made;
                    tiedKeys = keys;
                }
            }
        }
    }

    void ToggleTieFrom(EventRecord* note) {
        for (int m = 1; m <= doc_->header.measureCount; ++m) {
            MeasureCell* cell = ExistingMeasureCell(doc_, view_->currentStaff, m);
            for (EventRecord* e = cell != nullptr ? GetVoiceFirstEvent(cell, 0) : nullptr; e != nullptr; e = NextEvent(e)) {
                if (e != note) continue;
                StandOn(view_->currentStaff, m, cell);
                ToggleTie(view_, note, 0);
                return;
            }
        }
    }

    std::mt19937 random_;
};

TEST_P(SmfRoundTrip, ExportedScoreComesBackTheSame) {
    random_.seed(static_cast<uint32_t>(GetParam()));
    const int staves = Uniform(1, 3);
    const int measures = OneIn(4) ? Uniform(30, 50) : Uniform(3, 8);
    RandomFrame(staves, measures);
    for (int s = 1; s <= staves; ++s) RandomMusic(s, measures);
    const std::string path = PathOf("round.mid");
    ASSERT_TRUE(WriteStandardMidiFile(view_, path, SmfExportTexts{}));
    const std::vector<std::string> measuresBefore = Measures(doc_, staves, measures);
    std::vector<std::vector<Sound>> before;
    for (int s = 1; s <= staves; ++s) before.push_back(Sounds(doc_, s, measures));
    const uint16_t tempo = doc_->header.tempo;

    ql::Options().AllowTriplets = 1;
    ScoreView* imported = Import(path);
    ASSERT_NE(imported, nullptr);
    ScopedDocumentContext context(imported);
    ScoreDocument* back = imported->document;
    ASSERT_EQ(back->header.staffCount, staves);
    EXPECT_EQ(back->header.tempo, tempo);
    // The pages hold whole pages of measures, but no page starts after the music.
    const int after = back->header.measureCount;
    EXPECT_GE(after, measures);
    EXPECT_LE(pages::LastPage(back)->firstMeasure, measures);
    EXPECT_EQ(Measures(back, staves, measures), measuresBefore);
    for (int s = 1; s <= staves; ++s) {
        SCOPED_TRACE("staff " + std::to_string(s));
        const std::vector<Sound> sounds = Sounds(back, s, after);
        EXPECT_TRUE(sounds == before[static_cast<size_t>(s - 1)]) << Parting(sounds, before[static_cast<size_t>(s - 1)]);
    }
}

INSTANTIATE_TEST_SUITE_P(Seeds, SmfRoundTrip, ::testing::Range(1, kScores + 1));

}  // namespace
}  // namespace ql::testing
