// Spacing lists: building a measure's list from its notes and rests, merging one
// entry, giving a stretch its own spacing, and clearing a measure before a
// justification.
#include <array>
#include <random>

#include "core/model/engraving_metrics.h"
#include "core/settings/preference_defaults.h"
#include "layout/spacing/spacing_collect.h"
#include "layout/tests/layout_fixture.h"
#include "notes/pitch/pitch_vocabulary.h"

namespace ql::testing_layout {
namespace {

constexpr int kQuarter = 10;
constexpr int kEighth = 9;
constexpr int kHalf = 11;
constexpr int kSixteenth = 8;
constexpr int kFactor = kBuiltInStretchFactor;  // 2816

class SpacingListTest : public LayoutTest {
  protected:
    void SetUp() override {
        LayoutTest::SetUp();
        BuildScore(2, 8);
    }
    CollectResult Collect(int measure, ClassCounts* counts = nullptr) {
        return CollectMeasureSpacing(view_, measure, counts);
    }
};

// Class words: (14 - class) x 256, class 14 standing for "no class".
TEST_F(SpacingListTest, ClassWordsAndClasses) {
    EXPECT_EQ(ClassWord(kQuarter), 1024);
    EXPECT_EQ(ClassWord(kEighth), 1280);
    EXPECT_EQ(ClassWord(kHalf), 768);
    EXPECT_EQ(ClassWord(kFillerClass), 512);
    EXPECT_EQ(ClassOfWord(1280), kEighth);
    EXPECT_EQ(ClassOfWord(0), kNoDurationClass);       // an unclassed word
    EXPECT_EQ(ClassOfWord(0x0F00), kNoDurationClass);  // above class 0: not a class word
    // Inside a tuplet the class comes from the ticks: a triplet eighth (341) is
    // class 8; a very short one is kept at 4.
    EXPECT_EQ(DurationClassOf(kEighth, 341, true), 8);
    EXPECT_EQ(DurationClassOf(kEighth, 3, true), kShortestTupletClass);
    EXPECT_EQ(DurationClassOf(20, 0, false), kDurationClassCount - 1);  // damaged code
}

// FindSpacingEntries: a sound list's entries in order with their handles, none for
// no list; a damaged list (an overlap, a link to no live record) is reported and left
// as it is; a list with more entries than the room given is reported as longer.
TEST_F(SpacingListTest, FindingEntriesChecksTheList) {
    WriteColumns(1, {{0, 1024, 3000}, {1024, 512, 4000}, {2048, 1024, 5000}});
    std::array<FoundSpacingEntry, 3> found{};
    ASSERT_EQ(FindSpacingEntries(Record(1).spacing, found), 3);
    EXPECT_EQ(found[0].handle, Record(1).spacing);
    EXPECT_EQ(found[0].entry, SpacingEntryOf(Record(1).spacing));
    EXPECT_EQ(found[1].handle.bits, found[0].entry->next);
    EXPECT_EQ(found[1].entry, SpacingEntryOf(found[1].handle));
    EXPECT_EQ(found[2].entry->time, 2048);
    EXPECT_EQ(FindSpacingEntries(Record(2).spacing, found), 0);
    std::array<FoundSpacingEntry, 2> two{};
    EXPECT_EQ(FindSpacingEntries(Record(1).spacing, two), kSpacingListLonger);
    WriteColumns(3, {{0, 1024, 3000}, {512, 512, 4000}});
    EXPECT_EQ(FindSpacingEntries(Record(3).spacing, found), kSpacingListDamaged);
    found[2].entry->next = 0x7123;
    EXPECT_EQ(FindSpacingEntries(Record(1).spacing, found), kSpacingListDamaged);
    EXPECT_EQ(Columns(1).size(), 3u);  // checked, not freed
}

// A measure whose voices are all empty gets one filler over its length, class 12.
TEST_F(SpacingListTest, EmptyMeasureGetsOneFiller) {
    const CollectResult result = Collect(3);
    EXPECT_TRUE(result.valid);
    EXPECT_EQ(result.naturalEnd, 0);
    EXPECT_EQ(Columns(3), (std::vector<Column>{{0, 4096, 512}}));
}

// 1,024 ticks: a quarter at 0 in one voice, eighths at 0 and 512 in another: two
// entries, both with the eighth's word.
TEST_F(SpacingListTest, EighthsInAnotherVoiceSplitTheQuarter) {
    SetLength(2, 1024);
    Note(1, 2, 0, 0, kQuarter);
    Note(1, 2, 1, 0, kEighth);
    Note(1, 2, 1, 512, kEighth);
    ClassCounts counts;
    const CollectResult result = Collect(2, &counts);
    EXPECT_EQ(result.naturalEnd, 1024);
    EXPECT_EQ(Columns(2), (std::vector<Column>{{0, 512, 1280}, {512, 512, 1280}}));
    EXPECT_EQ(counts.counts[kQuarter], 1);
    EXPECT_EQ(counts.counts[kEighth], 2);
    EXPECT_EQ(counts.counts[kFillerClass], 0);  // fillers are not counted
}

// 2,048 ticks: a quarter and a half note at 0 on two staves: 0-1024 with the
// quarter's word and the half note's remainder 1024-2048 with the half's.
TEST_F(SpacingListTest, HalfNoteKeepsItsRemainder) {
    SetLength(2, 2048);
    Note(1, 2, 0, 0, kQuarter);
    Note(2, 2, 0, 0, kHalf);
    Collect(2);
    EXPECT_EQ(Columns(2), (std::vector<Column>{{0, 1024, 1024}, {1024, 1024, 768}}));
}

// Rests count like notes; the silence after a voice's last item is filler.
TEST_F(SpacingListTest, RestsCountAndSilenceIsFiller) {
    Rest(1, 4, 0, 0, kQuarter);
    Note(1, 4, 0, 1024, kEighth);
    const CollectResult result = Collect(4);
    EXPECT_EQ(result.naturalEnd, 1536);
    EXPECT_EQ(Columns(4), (std::vector<Column>{{0, 1024, 1024}, {1024, 512, 1280}, {1536, 2560, 512}}));
}

// Dots lengthen a chord's stretch, not its class; a note without a value makes the
// measure unreadable and leaves it without a list.
TEST_F(SpacingListTest, DotsAndMissingValues) {
    Note(1, 5, 0, 0, kQuarter, 0, 1);  // dotted quarter: 1536 ticks, class 10
    Collect(5);
    EXPECT_EQ(Columns(5)[0], (Column{0, 1536, 1024}));
    EventRecord* bad = Note(1, 6, 0, 0, kQuarter);
    bad->duration = 0;
    const CollectResult result = Collect(6);
    EXPECT_FALSE(result.valid);
    EXPECT_TRUE(Columns(6).empty());
}

// Live entries in the spacing pool, to see that a rewritten list leaves none behind.
int LiveSpacingEntries() {
    int live = 0;
    AnyLiveRecordOf(kSpacingEntryPool, [&](void*) { return ++live, false; });
    return live;
}

// Collecting again writes over the entries the measure already had: a longer old
// list gives back what is left over, a shorter one grows, a damaged (looping) one is
// dropped, and no old value survives in the new list.
TEST_F(SpacingListTest, RecollectingRewritesTheOldList) {
    SetLength(2, 1024);
    Note(1, 2, 0, 0, kEighth);
    Note(1, 2, 0, 512, kEighth);
    const std::vector<Column> fresh{{0, 512, 1280}, {512, 512, 1280}};
    const int before = LiveSpacingEntries();
    WriteColumns(2, {{0, 100, 7}, {100, 100, 7}, {200, 100, 7}, {300, 100, 7}, {400, 624, 7}});
    Collect(2);
    EXPECT_EQ(Columns(2), fresh);
    EXPECT_EQ(LiveSpacingEntries(), before + 2);
    WriteColumns(2, {{0, 1024, 7}});
    Collect(2);
    EXPECT_EQ(Columns(2), fresh);
    EXPECT_EQ(LiveSpacingEntries(), before + 2);
    // The last entry leads back to the first: the loop is freed, never walked again.
    WriteColumns(2, {{0, 512, 7}, {512, 512, 7}});
    SpacingEntry* first = SpacingEntryOf(Record(2).spacing);
    SpacingEntryOf(RecordHandle{first->next})->next = Record(2).spacing.bits;
    Collect(2);
    EXPECT_EQ(Columns(2), fresh);
    EXPECT_EQ(LiveSpacingEntries(), before + 2);
}

// A measure whose notes cannot be read keeps the list it had, entries and values.
TEST_F(SpacingListTest, UnreadableMeasureKeepsItsList) {
    WriteColumns(6, {{0, 2048, 900}, {2048, 2048, 1100}});
    EventRecord* bad = Note(1, 6, 0, 0, kQuarter);
    bad->duration = 0;
    EXPECT_FALSE(Collect(6).valid);
    EXPECT_EQ(Columns(6), (std::vector<Column>{{0, 2048, 900}, {2048, 2048, 1100}}));
}

// Merging one entry: equal stretches keep the larger word, partial overlaps split,
// gaps and the end take the new entry; an entry under 2 ticks is ignored.
TEST_F(SpacingListTest, AddSpacingEntryMerges) {
    WriteColumns(1, {{1024, 1024, 1024}});
    AddSpacingEntry(doc_, 1, SpacingEntry{0, 1024, 1024, 768});  // equal: larger kept
    EXPECT_EQ(Columns(1), (std::vector<Column>{{1024, 1024, 1024}}));
    AddSpacingEntry(doc_, 1, SpacingEntry{0, 512, 1024, 1280});  // straddles the start
    EXPECT_EQ(Columns(1),
              (std::vector<Column>{{512, 512, 1280}, {1024, 512, 1280}, {1536, 512, 1024}}));
    AddSpacingEntry(doc_, 1, SpacingEntry{0, 3000, 2000, 512});  // after the end
    EXPECT_EQ(Columns(1).back(), (Column{3000, 2000, 512}));
    AddSpacingEntry(doc_, 1, SpacingEntry{0, 2048, 1, 1536});  // too short
    EXPECT_EQ(Columns(1).size(), 4u);
    // Across an entry's end, a gap and into the next entry: every bound stays.
    AddSpacingEntry(doc_, 1, SpacingEntry{0, 2000, 1500, 512});
    EXPECT_EQ(Columns(1), (std::vector<Column>{{512, 512, 1280},
                                               {1024, 512, 1280},
                                               {1536, 464, 1024},
                                               {2000, 48, 1024},
                                               {2048, 952, 512},
                                               {3000, 500, 512},
                                               {3500, 1500, 512}}));
}

// The list CollectMeasureSpacing writes is the list AddSpacingEntry builds entry by
// entry from the same stretches (random chords in random voices, fixed seeds).
TEST_F(SpacingListTest, CollectEqualsOneByOneMerge) {
    for (unsigned seed = 1; seed <= 40; ++seed) {
        std::mt19937 rng(seed);
        const int measure = 1 + static_cast<int>(seed % 6);
        FreeCellVoices(Cell(1, measure), doc_, 0);
        FreeCellVoices(Cell(2, measure), doc_, 0);
        std::vector<SpacingEntry> stretches;
        int ends[kVoiceCount] = {};
        for (int i = 0; i < 12; ++i) {
            const int staff = 1 + static_cast<int>(rng() % 2);
            const int voice = static_cast<int>(rng() % kVoiceCount);
            const int code = kSixteenth + static_cast<int>(rng() % 5);
            const int time = static_cast<int>(rng() % 64) * 64;
            const EventRecord* note = Note(staff, measure, voice, time, code);
            ASSERT_NE(note, nullptr);
            (void)note;
        }
        // The stretches as the voices hold them (one per chord), then the fillers.
        for (int voice = 0; voice < kVoiceCount; ++voice)
            for (int staff = 1; staff <= 2; ++staff) {
                int previous = -1;
                for (EventRecord* e = GetVoiceFirstEvent(Cell(staff, measure), voice); e != nullptr;
                     e = NextEvent(e)) {
                    if (e->time == previous) continue;
                    previous = e->time;
                    const int ticks = EventDurationTicks(*e);
                    stretches.push_back({0, e->time, uint16_t(ticks), ClassWord(e->duration)});
                    ends[voice] = std::max(ends[voice], e->time + ticks);
                }
            }
        for (int end : ends)
            if (4096 - end >= 2) stretches.push_back({0, uint16_t(end), uint16_t(4096 - end), 512});
        FreeSpacingList(Record(8).spacing);
        for (const SpacingEntry& s : stretches) AddSpacingEntry(doc_, 8, s);
        Collect(measure);
        EXPECT_EQ(Columns(measure), Columns(8)) << "seed " << seed;
    }
}

// On an empty list, SetSpanSpacing fills the measure at the factor and gives the
// span the scaled value: the filler split around the span.
TEST_F(SpacingListTest, SetSpanSpacingSplitsTheFiller) {
    EXPECT_TRUE(SetSpanSpacing(doc_, 2, SpacingEntry{0, 1024, 1024, 0}, 100, 200));
    EXPECT_EQ(Columns(2), (std::vector<Column>{
                              {0, 1024, kFactor}, {1024, 1024, kFactor * 2}, {2048, 2048, kFactor}}));
    EXPECT_GT(doc_->changeCounter, 0);
}

// Rescaling: 4 x 33/32 is still 4 and is raised to 5; a larger value needs no
// raise; distances under 32 scale nothing; results stay within 4..65,530.
TEST_F(SpacingListTest, RescalingRules) {
    WriteColumns(1, {{0, 1024, 4}, {1024, 1024, 64}, {2048, 1024, 60000}, {3072, 1024, 100}});
    SetSpanSpacing(doc_, 1, SpacingEntry{0, 0, 1024, 0}, 32, 33);
    SetSpanSpacing(doc_, 1, SpacingEntry{0, 1024, 1024, 0}, 32, 33);
    SetSpanSpacing(doc_, 1, SpacingEntry{0, 2048, 1024, 0}, 100, 200);
    SetSpanSpacing(doc_, 1, SpacingEntry{0, 3072, 1024, 0}, 31, 200);
    EXPECT_EQ(Columns(1), (std::vector<Column>{
                              {0, 1024, 5}, {1024, 1024, 66}, {2048, 1024, 65530}, {3072, 1024, 100}}));
    // A span shorter than 2 ticks does nothing at all.
    const uint16_t before = doc_->changeCounter;
    SetSpanSpacing(doc_, 1, SpacingEntry{0, 100, 1, 0}, 100, 200);
    EXPECT_EQ(doc_->changeCounter, before);
}

// The span's part past the measure's length is added with the span's value; an
// entry straddling a bound keeps its value outside the span.
TEST_F(SpacingListTest, SpanPastTheLengthAndStraddlingEntries) {
    WriteColumns(3, {{0, 4096, 1000}});
    SetSpanSpacing(doc_, 3, SpacingEntry{0, 3072, 2048, 777}, 100, 150);
    EXPECT_EQ(Columns(3), (std::vector<Column>{{0, 3072, 1000}, {3072, 1024, 1500}, {4096, 1024, 777}}));
}

// Clearing before a justification: the default factor, lead and trail from the
// metrics and the barlines, and neither margin shrinks.
TEST_F(SpacingListTest, ClearMeasureSpacingSetsMargins) {
    doc_->internalDistances[static_cast<int>(EngravingMetric::Beat0)] = 100;
    doc_->internalDistances[static_cast<int>(EngravingMetric::BeatX)] = 50;
    doc_->internalDistances[static_cast<int>(EngravingMetric::BetweenDouble)] = 10;  // A
    doc_->internalDistances[static_cast<int>(EngravingMetric::ThickBarline)] = 20;   // B
    doc_->internalDistances[static_cast<int>(EngravingMetric::BarLineWid)] = 8;    // C
    WriteColumns(2, {{0, 1024, 999}});
    Record(2).stretch = 1;
    Record(2).lead = Record(2).trail = 0;
    Record(2).barline = 0x50;  // start kind 5: A + B + C + 96
    Record(3).barline = 0x06;  // the next barline ends with repeat dots
    ClearMeasureSpacing(doc_, 2);
    EXPECT_FALSE(Record(2).spacing);
    EXPECT_EQ(Record(2).stretch, kFactor);
    EXPECT_EQ(Record(2).lead, 100 + 10 + 20 + 8 + 96);
    EXPECT_EQ(Record(2).trail, 50 + 8 + 4 + 20);
    Record(4).lead = 500;  // larger than anything the metrics give: kept
    Record(4).barline = 0x10;
    ClearMeasureSpacing(doc_, 4);
    EXPECT_EQ(Record(4).lead, 500);
}

}  // namespace
}  // namespace ql::testing_layout
