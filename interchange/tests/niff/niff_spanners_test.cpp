// Spanners, ties and tuplets of writer-made NIFF files through the main pass: the
// requests the handlers leave for the builder (slurs whose chunks come before or
// after their notes, hairpins, octave signs and endings from node to node, ties
// across a barline), tuplet values and durations, and damaged references skipped
// and counted.
#include <gtest/gtest.h>

#include <array>
#include <random>
#include <sstream>
#include <string>

#include "core/state.h"
#include "interchange/byte_source.h"
#include "interchange/niff/niff_import.h"
#include "interchange/niff/niff_import_state.h"
#include "core/model/event_record.h"
#include "interchange/niff/niff_spanner_objects.h"
#include "interchange/niff/niff_spanners.h"
#include "interchange/niff/niff_values.h"
#include "interchange/niff/niff_writer.h"
#include "interchange/tests/niff/niff_scores.h"
#include "platform/ui/headless.h"

namespace ql::niff {
namespace {

// String offsets of the fixture's string table.
constexpr uint32_t kEndingNumbers = 1;  // "1. 2. "
constexpr uint32_t kEndingWord = 8;     // "A"

// A score of one part of `staves` staves up to its system header; the caller writes
// the staves and closes the data list and the form with EndScore.
void BeginScore(NiffWriter& out, int staves = 1) {
    out.BeginForm("NIFF");
    out.BeginList("setp");
    out.BeginChunk("stbl");
    out.Bytes(std::vector<uint8_t>{0, '1', '.', ' ', '2', '.', ' ', 0, 'A', 0});
    out.EndChunk();
    out.BeginChunk("part", {0, 0, 0, staves, 0, -1, 0});
    out.EndChunk();
    out.EndList();
    out.BeginList("data");
    out.BeginChunk("pghd");
    out.EndChunk();
    out.BeginChunk("syhd");
    out.EndChunk();
}

void Staff(NiffWriter& out, int within) {
    out.BeginChunk("sthd");
    out.Tag(32, {0});
    if (within > 0) out.Tag(47, {within});
    out.EndChunk();
}

void Slice(NiffWriter& out, int type, int numerator, int denominator) {
    out.BeginChunk("tmsl", {type, NiffField::Rational(static_cast<int16_t>(numerator), static_cast<int16_t>(denominator))});
    out.EndChunk();
}

void Stem(NiffWriter& out, int direction = 0) {
    out.BeginChunk("stem");
    if (direction != 0) out.Tag(22, {0, direction, 0});
    out.EndChunk();
}

void Note(NiffWriter& out, int step, int numerator, int denominator) {
    out.BeginChunk("note", {0, step, NiffField::Rational(static_cast<int16_t>(numerator), static_cast<int16_t>(denominator))});
    out.EndChunk();
}

// A node of a spanner chunk: its ID and, when given, its node count.
void Node(NiffWriter& out, const char (&id)[5], std::initializer_list<NiffField> fixed, int spannerId, int nodes = 0) {
    out.BeginChunk(id, fixed);
    out.Tag(18, {spannerId});
    if (nodes > 0) out.Tag(28, {nodes});
    out.EndChunk();
}

void Tuplet(NiffWriter& out, int id, int count, int a, int b, int c, int d) {
    out.BeginChunk("tupl");
    out.Tag(18, {id});
    out.Tag(28, {count});
    out.Tag(45, {NiffField::Rational(static_cast<int16_t>(a), static_cast<int16_t>(b)),
                 NiffField::Rational(static_cast<int16_t>(c), static_cast<int16_t>(d)), 0});
    out.EndChunk();
}

std::vector<uint8_t> EndScore(NiffWriter& out) {
    out.EndList();
    out.EndList();
    return out.Take();
}

NiffImportState& Import(const std::vector<uint8_t>& bytes, NiffImportState& import) {
    ResetProgramState();
    ui::headless::ResetUi();
    const NiffReadResult read = ReadNiffPasses(import, [&] { return ByteSource::FromMemory(bytes); });
    EXPECT_TRUE(read.complete);
    return import;
}

// Each note of the first staff's first measure, voice by voice: tick, value and
// dots, tuplet kind and value, duration.
std::string DumpTuplets(const NiffImportState& import) {
    std::ostringstream out;
    for (const NiffStaffMeasure& staff : import.frame.measures[0].staves)
        for (const NiffVoice& voice : staff.voices)
            for (const NiffEvent& e : voice.events)
                out << e.tick << ":" << e.code << "." << e.dots << " " << e.tupletKind << "/0x" << std::hex
                    << e.tupletValue << std::dec << " " << e.duration << "\n";
    return out.str();
}

TEST(NiffTuplets, NotatedValuesOfOwnRatiosAreKeptAndPlayedOnesScaledBack) {
    EXPECT_EQ(NiffDurationToNoteValue(1, 16, 5, 3).code, 8);  // written as notated
    EXPECT_EQ(NiffDurationToNoteValue(3, 80, 5, 3).code, 8);  // written as performed
    EXPECT_EQ(NiffDurationToNoteValue(3, 32, 5, 3).dots, 1);  // a dotted sixteenth, as notated
    EXPECT_EQ(NiffDurationToNoteValue(1, 12, 3, 2).code, 9);  // fixed ratios unchanged
    EXPECT_EQ(NiffTupletOf(3, 2).kind, 1);
    EXPECT_EQ(NiffTupletOf(3, 2).value, 0);
    EXPECT_EQ(NiffTupletOf(4, 6).value, 8);
    EXPECT_EQ(NiffTupletOf(5, 3).kind, 2);
    EXPECT_EQ(NiffTupletOf(5, 3).value, 0x53);
    EXPECT_EQ(NiffTupletOf(0, 3).kind, 0);
    // A number above 15: the nearest ratio whose notes are no longer (17:3 as 6:1).
    for (const auto& [actual, normal, held] : {std::array{17, 3, 0x61}, {40, 1, 0xF1}, {16, 15, 0xFE}, {1, 40, 0x1F}})
        EXPECT_EQ(NiffTupletOf(actual, normal).value, held) << actual << ":" << normal;
}

// A triplet of eighths (3/8 in the time of 2/8), then 5:3 sixteenths written as
// notated (1/16) on beat 2 and as performed (3/80) on beat 3.
TEST(NiffTuplets, TupletNotesGetTheirRatioDurationAndAMarkAtTheMiddleNote) {
    NiffWriter out;
    BeginScore(out);
    Staff(out, 0);
    Slice(out, 1, 0, 1);
    // Event slices in 240ths of a whole note from the measure's start.
    const auto group = [&](int id, int count, int a, int c, int start, int step, int n, int d) {
        for (int i = 0; i < count; ++i) {
            Slice(out, 2, start + i * step, 240);
            Stem(out, 1);
            Tuplet(out, id, count, a, 16, c, 16);
            Note(out, 2, n, d);
        }
    };
    group(1, 3, 3, 2, 0, 20, 1, 8);    // ticks 0, 341, 682
    group(2, 5, 5, 3, 60, 9, 1, 16);   // from 1,024, every 153
    group(3, 5, 5, 3, 120, 9, 3, 80);  // from 2,048
    NiffImportState state;
    const NiffImportState& import = Import(EndScore(out), state);
    EXPECT_EQ(DumpTuplets(import),
              "0:9.0 1/0x0 341\n341:9.0 1/0x0 341\n682:9.0 1/0x0 341\n"
              "1024:8.0 2/0x53 153\n1177:8.0 2/0x53 153\n1331:8.0 2/0x53 153\n1484:8.0 2/0x53 153\n"
              "1638:8.0 2/0x53 153\n"
              "2048:8.0 2/0x53 153\n2201:8.0 2/0x53 153\n2355:8.0 2/0x53 153\n2508:8.0 2/0x53 153\n"
              "2662:8.0 2/0x53 153\n");
    // One mark per group, at its middle note: serials 1, 5 and 10.
    const std::vector<NiffTupletRequest>& marks = import.frame.spanners.tuplets;
    ASSERT_EQ(marks.size(), 3u);
    EXPECT_EQ(marks[0].event, 1);
    EXPECT_EQ(marks[0].digit, 3);
    EXPECT_EQ(marks[1].event, 5);
    EXPECT_EQ(marks[1].digit, 5);
    EXPECT_EQ(marks[2].event, 10);
}

// Slur 7 starts with a chunk before note A (the next note takes it) and ends with
// one after note C; slur 8 starts after note D and ends before note E.
TEST(NiffSlurs, ChunksBeforeOrAfterTheirNotesMakeEachSlurOnce) {
    NiffWriter out;
    BeginScore(out);
    Staff(out, 0);
    Slice(out, 1, 0, 1);
    Slice(out, 2, 0, 1);
    Stem(out);
    Node(out, "slur", {}, 7, 2);
    Note(out, 2, 1, 4);  // A
    Slice(out, 2, 1, 4);
    Stem(out);
    Note(out, 3, 1, 4);  // B
    Slice(out, 2, 2, 4);
    Stem(out);
    Note(out, 4, 1, 4);  // C
    Node(out, "slur", {}, 7);
    Slice(out, 2, 3, 4);
    Stem(out);
    Note(out, 5, 1, 8);  // D
    Node(out, "slur", {}, 8, 2);
    Slice(out, 2, 7, 8);
    Stem(out);
    Node(out, "slur", {}, 8);
    Note(out, 6, 1, 8);  // E
    // Two chunks of slur 9 after one note, and a slur without an ID.
    Slice(out, 1, 1, 1);
    Slice(out, 2, 1, 1);
    Stem(out);
    Note(out, 2, 1, 1);
    Node(out, "slur", {}, 9, 2);
    Node(out, "slur", {}, 9);
    out.BeginChunk("slur");
    out.EndChunk();
    NiffImportState state;
    const NiffImportState& import = Import(EndScore(out), state);
    const std::vector<NiffSlurRequest>& slurs = import.frame.spanners.slurs;
    ASSERT_EQ(slurs.size(), 2u);
    EXPECT_EQ(slurs[0].first, 0);
    EXPECT_EQ(slurs[0].last, 2);
    EXPECT_EQ(slurs[1].first, 3);
    EXPECT_EQ(slurs[1].last, 4);
    EXPECT_EQ(import.report.CountOf(kNiffSpannersToThemselves), 1);
    EXPECT_EQ(import.report.CountOf(kNiffSpannersWithoutId), 1);
    EXPECT_EQ(import.report.CountOf(kNiffSpannersUnended), 0);
}

// A crescendo hairpin, an octave sign above and two endings, each of two nodes
// from measure 1 to measure 2.
TEST(NiffLines, TwoNodesMakeOneLineFromTheFirstToTheSecond) {
    NiffWriter out;
    BeginScore(out);
    Staff(out, 0);
    Slice(out, 1, 0, 1);
    Node(out, "hrpn", {1}, 3, 2);
    Node(out, "octv", {0, 1, 0, 0}, 4, 2);
    Node(out, "altg", {3, kEndingNumbers}, 5, 2);
    Node(out, "altg", {1, kEndingWord}, 6, 2);
    Slice(out, 1, 1, 1);
    Slice(out, 2, 1, 2);
    Node(out, "hrpn", {1}, 3);
    Node(out, "octv", {0, 1, 0, 0}, 4);
    Node(out, "altg", {3, kEndingNumbers}, 5);
    Node(out, "altg", {1, kEndingWord}, 6);
    NiffImportState state;
    const NiffImportState& import = Import(EndScore(out), state);
    std::ostringstream dump;
    for (const NiffLineRequest& line : import.frame.spanners.lines)
        dump << static_cast<int>(line.kind) << " staff " << line.staff << " " << line.startMeasure << ":"
             << line.startTick << "-" << line.endMeasure << ":" << line.endTick << " closing " << line.closing
             << " above " << line.above << " hooks " << line.startHook << line.endHook << " passes "
             << int{line.passes[0]} << int{line.passes[1]} << int{line.passes[2]} << "\n";
    EXPECT_EQ(dump.str(),
              "0 staff 1 1:0-2:2048 closing 0 above 1 hooks 00 passes 100\n"
              "1 staff 1 1:0-2:2048 closing 0 above 1 hooks 00 passes 100\n"
              "2 staff 1 1:0-2:2048 closing 0 above 1 hooks 11 passes 120\n"
              "2 staff 1 1:0-2:2048 closing 0 above 1 hooks 10 passes 100\n");
    EXPECT_EQ(import.report.Total(), 0);
}

// Damaged references: a hairpin ending before it starts, one ending on another
// staff, one whose last node never comes, one ending where it starts, a tie
// without an end note.
TEST(NiffLines, DamagedReferencesAreSkippedAndCounted) {
    NiffWriter out;
    BeginScore(out, 2);
    Staff(out, 0);
    Slice(out, 1, 0, 1);
    Slice(out, 1, 1, 1);
    Node(out, "hrpn", {2}, 1, 2);
    Node(out, "hrpn", {2}, 2, 2);
    Node(out, "hrpn", {2}, 3, 5);
    Node(out, "hrpn", {2}, 4, 2);
    Node(out, "hrpn", {2}, 4);
    Slice(out, 2, 1, 4);
    Stem(out);
    Note(out, 2, 1, 4);
    Node(out, "tie ", {}, 9);
    Slice(out, 1, 0, 1);  // back to measure 1
    Node(out, "hrpn", {2}, 1);
    Staff(out, 1);
    Slice(out, 1, 1, 1);
    Node(out, "hrpn", {2}, 2);
    NiffImportState state;
    const NiffImportState& import = Import(EndScore(out), state);
    EXPECT_TRUE(import.frame.spanners.lines.empty());
    EXPECT_EQ(import.report.CountOf(kNiffSpannersReversed), 1);
    EXPECT_EQ(import.report.CountOf(kNiffSpannersAcrossStaves), 1);
    EXPECT_EQ(import.report.CountOf(kNiffSpannersUnended), 1);
    EXPECT_EQ(import.report.CountOf(kNiffLinesWithoutLength), 1);
    EXPECT_EQ(import.report.CountOf(kNiffTiesUnended), 1);
}

TEST(NiffLines, AFullTableTakesOverRecordZeroAndCountsIt) {
    NiffImportState import;
    for (int id = 0; id < kNiffSpannerRecords; ++id) {
        const int index = FindNiffSpanner(import, NiffSpannerType::kHairpin, id);
        ASSERT_EQ(index, id);
        import.frame.spanners.records[static_cast<size_t>(index)].id = static_cast<int16_t>(id);
        import.frame.spanners.records[static_cast<size_t>(index)].type = NiffSpannerType::kHairpin;
    }
    EXPECT_EQ(FindNiffSpanner(import, NiffSpannerType::kHairpin, 500), 500);  // found again
    EXPECT_EQ(import.report.CountOf(kNiffSpannerTableFull), 0);
    EXPECT_EQ(FindNiffSpanner(import, NiffSpannerType::kHairpin, 9999), 0);
    EXPECT_EQ(import.report.CountOf(kNiffSpannerTableFull), 1);
    EXPECT_TRUE(import.frame.spanners.records[0].Free());
}

// The spanner search and the end of a measure's tuplets and beams over seeded
// runs of takes, frees and measure ends, against the same done over the whole
// table.
TEST(NiffLines, SearchesAndMeasureEndsMatchTheWholeTable) {
    constexpr NiffSpannerType kTypes[] = {NiffSpannerType::kBeam, NiffSpannerType::kTuplet,
                                          NiffSpannerType::kHairpin, NiffSpannerType::kSlur,
                                          NiffSpannerType::kOctave};
    int fullTables = 0;  // searches that found the table full and took record 0
    for (unsigned seed = 1; seed <= 12; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        std::mt19937 random(seed);
        NiffImportState import;
        std::vector<NiffSpannerRecord> whole(kNiffSpannerRecords);
        const auto find = [&whole](NiffSpannerType type, int id) {
            for (size_t i = 0; i < whole.size(); ++i)
                if (whole[i].type == type && whole[i].id == id) return static_cast<int>(i);
            for (size_t i = 0; i < whole.size(); ++i)
                if (whole[i].Free()) {
                    whole[i] = {};
                    return static_cast<int>(i);
                }
            whole[0] = {};
            return 0;
        };
        for (int step = 0; step < 2500; ++step) {
            // Odd seeds free little, so the table fills.
            const auto draw = static_cast<unsigned>(random() % 64);
            const unsigned op = seed % 2 == 0 ? draw % 16 : draw < 60 ? 0 : draw < 63 ? 11 : 15;
            std::vector<NiffSpannerRecord>& records = import.frame.spanners.records;
            if (op < 11) {
                const NiffSpannerType type = kTypes[random() % std::size(kTypes)];
                const int id = static_cast<int>(random() % 1000);
                const int index = FindNiffSpanner(import, type, id);
                ASSERT_EQ(index, find(type, id)) << "step " << step;
                for (NiffSpannerRecord* record : {&records[static_cast<size_t>(index)], &whole[static_cast<size_t>(index)]}) {
                    record->type = type;
                    record->id = static_cast<int16_t>(id);
                }
            } else if (op < 15) {
                // A record ended by its last node, freed as the handlers free it.
                const size_t at = random() % whole.size();
                if (whole[at].Free()) continue;
                records[at].id = kNiffSpannerFree;
                whole[at].id = kNiffSpannerFree;
            } else {
                EndNiffTuplets(import);
                for (NiffSpannerRecord& record : whole)
                    if (record.type == NiffSpannerType::kTuplet || record.type == NiffSpannerType::kBeam) record = {};
            }
            for (size_t i = 0; i < whole.size(); ++i) {
                ASSERT_EQ(records[i].type, whole[i].type) << "step " << step << " record " << i;
                ASSERT_EQ(records[i].id, whole[i].id) << "step " << step << " record " << i;
            }
        }
        fullTables += import.report.CountOf(kNiffSpannerTableFull);
    }
    EXPECT_GT(fullTables, 0);
}

// Measure 1: a stem-up note high and a tied stem-down note low (the lower voice,
// 2); measure 2: only the tied note's partner, which takes voice 2 too.
TEST(NiffTies, ATieAcrossTheBarlineFindsItsPartnerAndItsVoice) {
    NiffWriter out;
    BeginScore(out);
    Staff(out, 0);
    Slice(out, 1, 0, 1);
    Slice(out, 2, 1, 2);
    Stem(out, 1);
    Note(out, 7, 1, 2);
    Stem(out, 2);
    Note(out, 1, 1, 2);
    Node(out, "tie ", {}, 4);
    Slice(out, 1, 1, 1);
    Slice(out, 2, 0, 1);
    Stem(out, 2);
    Note(out, 1, 1, 2);
    out.BeginChunk("tie ");
    out.Tag(18, {4});
    out.Tag(44, {2});  // below
    out.EndChunk();
    NiffImportState state;
    const NiffImportState& import = Import(EndScore(out), state);
    const std::vector<NiffTieRequest>& ties = import.frame.spanners.ties;
    ASSERT_EQ(ties.size(), 1u);
    EXPECT_EQ(ties[0].start, 1);
    EXPECT_EQ(ties[0].end, 2);
    EXPECT_EQ(ties[0].side, 2);
    ASSERT_EQ(import.frame.measures.size(), 2u);
    const NiffStaffMeasure& second = import.frame.measures[1].staves.at(0);
    EXPECT_TRUE(second.voices[0].events.empty());
    ASSERT_EQ(second.voices[2].events.size(), 1u);
    EXPECT_EQ(second.voices[2].events[0].serial, 2);
    EXPECT_EQ(import.report.CountOf(kNiffTiesUnended), 0);
}

// A placed note at a staff step (4 the middle line) with its stem up or down, in a
// voice.
NiffPlacedEvent Placed(EventRecord& record, int step, bool stemUp, int voice = 0) {
    record = EventRecord{};
    record.step = static_cast<uint8_t>(-step);
    record.flags = stemUp ? kEventStemFlag : 0;
    return NiffPlacedEvent{&record, 1, 1, voice};
}

TEST(NiffTies, TheSideComesFromTheFileElseFromVoicePitchAndStems) {
    EventRecord a{}, b{};
    // A side the file gave wins.
    EXPECT_TRUE(NiffTieGoesAbove(1, Placed(a, 1, true), Placed(b, 1, true)));
    EXPECT_FALSE(NiffTieGoesAbove(2, Placed(a, 7, false), Placed(b, 7, false)));
    // High notes with their stems down: above; low notes stemmed up: below.
    EXPECT_TRUE(NiffTieGoesAbove(0, Placed(a, 6, false), Placed(b, 6, false)));
    EXPECT_FALSE(NiffTieGoesAbove(0, Placed(a, 1, true), Placed(b, 1, true)));
    // One high end with a stem down is enough; a lower voice always goes below.
    EXPECT_TRUE(NiffTieGoesAbove(0, Placed(a, 2, true), Placed(b, 4, false)));
    EXPECT_FALSE(NiffTieGoesAbove(0, Placed(a, 6, false, 1), Placed(b, 6, false, 1)));
    // Low notes with stems down: below (the start lies under the middle line).
    EXPECT_FALSE(NiffTieGoesAbove(0, Placed(a, 2, false), Placed(b, 2, false)));
    // On a staff of two voices the upper voice's ties go above, whatever its notes,
    // and the lower voice's below.
    EXPECT_TRUE(NiffTieGoesAbove(0, Placed(a, 7, true), Placed(b, 7, true), true));
    EXPECT_TRUE(NiffTieGoesAbove(0, Placed(a, 1, true), Placed(b, 1, true), true));
    EXPECT_FALSE(NiffTieGoesAbove(0, Placed(a, 6, false, 1), Placed(b, 6, false, 1), true));
}

// The damaged-file driver's spanner score as written: every spanner is whole.
TEST(NiffSpannerScore, TheDriversScoreHasNoDamagedReference) {
    testing::NiffScoreShape shape;
    shape.partStaves = {2};
    shape.stavesPerSystem = 2;
    shape.systemsPerPage = 2;
    shape.measuresPerSystem = 2;
    shape.notes = true;
    shape.spanners = true;
    NiffImportState state;
    const NiffImportState& import = Import(testing::WriteNiffScore(shape), state);
    const NiffSpannerState& made = import.frame.spanners;
    EXPECT_EQ(made.slurs.size(), 8u);   // one per staff and measure
    EXPECT_EQ(made.lines.size(), 20u);  // 8 hairpins, 8 endings, 4 octave signs
    EXPECT_EQ(made.ties.size(), 4u);    // within each staff's system
    EXPECT_EQ(made.tuplets.size(), 8u);
    for (const char* kind : {kNiffSpannersReversed, kNiffSpannersAcrossStaves, kNiffSpannersToThemselves,
                             kNiffSpannersUnended, kNiffSpannersWithoutId})
        EXPECT_EQ(import.report.CountOf(kind), 0) << kind;
    EXPECT_EQ(import.report.CountOf(kNiffTiesUnended), 4);  // the last of each staff's system
}

}  // namespace
}  // namespace ql::niff
