// A staff's measure closed into voices: chords of one tick, beams chained and
// linked both ways, stem directions kept apart, at most four voices, and the
// file's notes, rests and beams read through the import into that dump.
#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "core/state.h"
#include "interchange/tests/niff/niff_scores.h"
#include "interchange/byte_source.h"
#include "interchange/niff/niff_import.h"
#include "interchange/niff/niff_import_state.h"
#include "interchange/niff/niff_voices.h"
#include "interchange/niff/niff_writer.h"
#include "platform/ui/headless.h"

namespace ql::niff {
namespace {

NiffEvent Note(int32_t tick, int code, int position, int direction, int beam = -1) {
    NiffEvent event;
    event.tick = tick;
    event.code = code;
    event.duration = 1 << code;
    event.position = position;
    event.direction = direction;
    event.beamId = beam;
    return event;
}

// Per voice: each event as tick:value.dots@position, "<" and ">" for its beam
// links, "|" before the first event of a chord; then the made rests.
std::string Dump(const NiffStaffMeasure& measure) {
    std::ostringstream out;
    for (size_t v = 0; v < kNiffVoices; ++v) {
        const NiffVoice& voice = measure.voices[v];
        if (voice.events.empty() && voice.rests.empty()) continue;
        out << "v" << v << ":";
        for (const NiffEvent& e : voice.events) {
            out << (e.chordHead ? " |" : " ") << e.tick << ":" << e.code << "." << e.dots << "@" << e.position;
            if (e.beamPrev >= 0) out << "<" << e.beamPrev;
            if (e.beamNext >= 0) out << ">" << e.beamNext;
        }
        for (const NiffEvent& r : voice.rests) out << " rest " << r.tick << ":" << r.code << "." << r.dots;
        for (const NiffRestFill& f : voice.fills) out << " fill " << f.tick << ":" << f.code << "." << f.dots;
        out << "\n";
    }
    return out.str();
}

std::string Close(const std::vector<NiffEvent>& events, NiffCloseResult* result = nullptr) {
    NiffStaffMeasure measure;
    const NiffCloseResult closed = BuildNiffChords(events, 4096, measure);
    if (result != nullptr) *result = closed;
    return Dump(measure);
}

TEST(NiffVoices, FourBeamedEighthsChainAsOneVoiceLinkedBothWays) {
    std::vector<NiffEvent> events;
    for (int i = 0; i < 4; ++i) events.push_back(Note(i * 512, 9, -2 - i, -1, 7));
    events.push_back(Note(2048, 10, -4, -1, -1));
    EXPECT_EQ(Close(events), "v0: |0:9.0@-2>1 |512:9.0@-3<0>2 |1024:9.0@-4<1>3 |1536:9.0@-5<2 |2048:10.0@-4\n");
}

TEST(NiffVoices, NotesOfOneTickAndStemFormOneChordTopFirst) {
    const std::vector<NiffEvent> events{Note(0, 10, -2, -1), Note(0, 10, -6, -1), Note(0, 10, -4, -1)};
    EXPECT_EQ(Close(events), "v0: |0:10.0@-6 0:10.0@-4 0:10.0@-2\n");
}

TEST(NiffVoices, AChordChainsToTheNextOfItsStemDirectionWhateverThePitch) {
    // Stem up at 0; at 1,024 a stem-up chord far below and a stem-down chord near,
    // which is a lower voice (2).
    const std::vector<NiffEvent> events{Note(0, 10, -8, -1), Note(1024, 10, 0, -1), Note(1024, 10, -7, 1)};
    EXPECT_EQ(Close(events), "v0: |0:10.0@-8 |1024:10.0@0\nv2: |1024:10.0@-7 fill 0:10.0\n");
}

// Chords whose stems name their voice chain in it: a chant's line of 27 quarters
// (stems turning with the pitch), which the nearness of pitches alone splits into
// three voices, stays one voice in time order; two named voices of one stem and
// value at one tick stay two chords in two voices; a named voice's rest after its
// half note stays in it, where the other voice's half note ends as near before it;
// two voices that only rest are an upper and a lower one.
TEST(NiffVoices, ChordsOfNamedVoicesChainInTheirVoice) {
    const int positions[] = {-2, -1, 1, -1, 0, -1, -2, -1, -2, -1, -3, -3, -5, -4,
                             -3, -5, -2, -3, -2, -2, -3, -2, -1, -3, -5, -3, -2};
    std::vector<NiffEvent> line;
    std::string expected = "v0:";
    for (const int position : positions) {
        const int32_t tick = static_cast<int32_t>(line.size()) * 1024;
        line.push_back(Note(tick, 10, position, position <= -4 ? 1 : -1));
        line.back().fileVoice = 1;
        expected += " |" + std::to_string(tick) + ":10.0@" + std::to_string(position);
    }
    EXPECT_EQ(Close(line), expected + "\n");
    std::vector<NiffEvent> two{Note(0, 10, -6, -1), Note(0, 10, -2, -1)};
    two[0].fileVoice = 1;
    two[1].fileVoice = 2;
    EXPECT_EQ(Close(two), "v0: |0:10.0@-6\nv1: |0:10.0@-2\n");
    std::vector<NiffEvent> rested{Note(0, 11, -6, -1), Note(0, 11, -2, 1), Note(2048, 10, -4, 0),
                                  Note(3072, 10, -7, -1)};
    rested[2].rest = true;
    for (size_t i = 0; i < rested.size(); ++i) rested[i].fileVoice = i == 1 ? 2 : 1;
    EXPECT_EQ(Close(rested), "v0: |0:11.0@-6 |3072:10.0@-7 rest 2048:10.0\nv2: |0:11.0@-2\n");
    std::vector<NiffEvent> silent{Note(0, 10, -4, 0), Note(0, 10, -4, 0)};
    for (size_t i = 0; i < silent.size(); ++i) silent[i].rest = true, silent[i].fileVoice = static_cast<int>(i) + 1;
    EXPECT_EQ(Close(silent), "v0: rest 0:10.0\nv2: rest 0:10.0\n");
}

TEST(NiffVoices, AFifthLineIsNotPlacedAndCounted) {
    std::vector<NiffEvent> events;
    for (int line = 0; line < 5; ++line) {
        events.push_back(Note(0, 11, -2 * line, line % 2 == 0 ? -1 : 1));
        events.back().duration = 4096;  // whole-measure lines never chain
        events.back().beamId = line;     // and no two join one chord
    }
    NiffCloseResult result;
    const std::string dump = Close(events, &result);
    EXPECT_EQ(std::count(dump.begin(), dump.end(), '\n'), 4);
    EXPECT_EQ(result.droppedEvents, 1);
}

// Two voices at one tick, the upper stemmed up: its chord moves a head to the right
// of a head a second off or of an unlike head in unison (black, half or whole, or
// other dots), and stays over a like head in unison.
TEST(NiffVoices, AnUpperChordMovesOffAnotherVoicesHeadItCannotShare) {
    const struct {
        int upperCode, upperDots, upperPosition, lowerCode, lowerPosition;
        int nudge;  // the upper chord's, in 16 units
    } cases[] = {
        {10, 0, -4, 10, -3, 11},  // a second
        {12, 0, -4, 10, -4, 16},  // a whole note and a black head
        {12, 0, -4, 12, -3, 16},  // two whole notes a second apart
        {11, 0, -4, 10, -4, 11},  // a half note and a black head
        {10, 1, -4, 10, -4, 11},  // a dotted and a plain quarter
        {10, 0, -4, 10, -4, 0},   // two quarters share a head
        {11, 0, -4, 11, -4, 0},   // and two halves
        {10, 0, -6, 10, -2, 0},   // a fifth apart
    };
    for (const auto& c : cases) {
        std::vector<NiffEvent> events{Note(0, c.upperCode, c.upperPosition, -1),
                                      Note(0, c.lowerCode, c.lowerPosition, 1)};
        events[0].dots = c.upperDots;
        events[0].fileVoice = 1;
        events[1].fileVoice = 2;
        NiffStaffMeasure measure;
        BuildNiffChords(events, 4096, measure);
        std::vector<const NiffEvent*> heads;  // by voice, upper first
        for (const NiffVoice& voice : measure.voices)
            for (const NiffEvent& e : voice.events) heads.push_back(&e);
        ASSERT_EQ(heads.size(), 2u);
        EXPECT_EQ(heads[0]->nudge, c.nudge) << c.upperCode << " over " << c.lowerCode;
        EXPECT_EQ(heads[1]->nudge, 0);
    }
}

NiffEvent Grace(int32_t tick, int code, int position, int nudge) {
    NiffEvent event = Note(tick, code, position, -1);
    event.grace = true;
    event.nudge = nudge;
    return event;
}

// Chords that no chain of their own holds go into a voice free over their time:
// a fifth chain that the chaining leaves over, and grace chords (which take no
// time: no rests around them). Only what no free voice can take is dropped.
TEST(NiffVoices, ChordsWithoutAVoiceOfTheirOwnGoWhereAVoiceIsFree) {
    // (tick, value, notes at positions, stem, tuplet): eight chords that the
    // chaining makes into five chains, with never more than three sounding at once.
    struct Chord {
        int32_t tick, duration;
        std::vector<int> positions;
        int direction, tuplet;
    };
    const Chord fiveChains[] = {{0, 256, {-13, -13, 4}, -1, 5}, {1024, 512, {-9}, -1, -1}, {2176, 4096, {-8}, 1, -1},
                                {3456, 2048, {-7}, -1, 5},     {256, 64, {-10, 6, 3}, 1, 4}, {1280, 1024, {-2}, 1, 4},
                                {768, 4096, {0, -8}, 1, -1},   {1920, 1024, {-4, 2, -2}, 1, -1}};
    std::vector<NiffEvent> extra;
    for (const Chord& chord : fiveChains)
        for (int position : chord.positions) {
            extra.push_back(Note(chord.tick, 10, position, chord.direction));
            extra.back().duration = chord.duration;
            extra.back().tupletId = chord.tuplet;
            extra.back().serial = static_cast<int>(extra.size());
        }
    const NiffEvent fourLines[] = {Note(0, 12, -2, -1, 1), Note(0, 12, -4, 1, 2), Note(0, 12, -6, -1, 3),
                                   Note(0, 12, -8, 1, 4)};
    struct Case {
        const char* what;
        std::vector<NiffEvent> events;
        int dropped, droppedGraces;
        const char* dump;  // "" when only the counts are checked
    } cases[] = {
        {"a fifth chain", extra, 0, 0, ""},
        // Two grace sixteenths before the second quarter: each in a voice of its own.
        {"graces", {Note(0, 10, -4, -1), Grace(1024, 8, -6, -16), Grace(1024, 8, -5, -8), Note(1024, 10, -4, -1)}, 0, 0,
         "v0: |0:10.0@-4 |1024:10.0@-4\nv1: |1024:8.0@-6\nv2: |1024:8.0@-5\n"},
        // Four voices in use: the grace note goes into the one free after beat 1.
        {"grace in a free voice",
         {fourLines[0], fourLines[1], Note(0, 10, 2, -1), Note(0, 10, -8, 1), Grace(2048, 8, -7, -8),
          Note(2048, 10, -8, 1)},
         0, 0, ""},
        {"no voice free", {fourLines[0], fourLines[1], fourLines[2], fourLines[3], Grace(2048, 8, -7, -8)}, 0, 1, ""},
    };
    for (const Case& test : cases) {
        NiffCloseResult result;
        const std::string dump = Close(test.events, &result);
        EXPECT_EQ(result.droppedEvents, test.dropped) << test.what;
        EXPECT_EQ(result.droppedGraces, test.droppedGraces) << test.what;
        const size_t placed = static_cast<size_t>(std::count(dump.begin(), dump.end(), '@'));
        EXPECT_EQ(placed, test.events.size() - static_cast<size_t>(test.dropped + test.droppedGraces)) << test.what;
        if (*test.dump != 0) {
            EXPECT_EQ(dump, test.dump) << test.what;
        }
    }
}

TEST(NiffVoices, GapsBetweenEventsGetRestsButNotTheEnd) {
    const std::vector<NiffEvent> events{Note(0, 10, -4, -1), Note(2560, 9, -4, -1)};
    EXPECT_EQ(Close(events), "v0: |0:10.0@-4 |2560:9.0@-4 fill 1024:10.1\n");
}

TEST(NiffVoices, OnlyAVoiceWithNotesGetsRestsForItsGaps) {
    const struct {
        const char* what;
        std::vector<NiffEvent> events;
        const char* dump;
    } cases[] = {
        {"a lone written rest", {Note(2048, 10, -4, 0)}, "v0: rest 2048:10.0\n"},
        {"written rests apart", {Note(1024, 10, -4, 0), Note(3072, 10, -4, 0)}, "v0: rest 1024:10.0 rest 3072:10.0\n"},
        {"a rest after a note", {Note(0, 10, -4, -1), Note(2048, 10, -4, 0)}, "v0: |0:10.0@-4 rest 2048:10.0 fill 1024:10.0\n"},
    };
    for (const auto& test : cases) EXPECT_EQ(Close(test.events), test.dump) << test.what;
}

// One staff, one measure: a stem with a quarter chord (stems up below the middle
// line), a beam of two eighths, a
// rest and a note after a gap, written and read through the import.
std::vector<uint8_t> OneMeasure() {
    NiffWriter out;
    testing::BeginOneStaffScore(out);
    out.BeginChunk("tmsl", {1, NiffField::Rational(0, 1)});
    out.EndChunk();
    out.BeginChunk("stem");
    out.EndChunk();
    for (int step : {1, 2}) {
        out.BeginChunk("note", {0, step, NiffField::Rational(1, 4)});
        out.EndChunk();
    }
    out.BeginChunk("tmsl", {2, NiffField::Rational(1, 4)});
    out.EndChunk();
    for (int eighth = 0; eighth < 2; ++eighth) {
        if (eighth > 0) {
            out.BeginChunk("tmsl", {2, NiffField::Rational(3, 8)});
            out.EndChunk();
        }
        out.BeginChunk("stem");
        out.EndChunk();
        out.BeginChunk("beam", {eighth == 0 ? 0 : 1, eighth == 0 ? 1 : 0});
        out.Tag(18, {3});
        out.EndChunk();
        out.BeginChunk("note", {0, 1 + eighth, NiffField::Rational(1, 8)});
        out.EndChunk();
    }
    out.BeginChunk("tmsl", {2, NiffField::Rational(1, 2)});
    out.EndChunk();
    out.BeginChunk("rest", {2, 4, NiffField::Rational(1, 8)});
    out.EndChunk();
    out.BeginChunk("tmsl", {2, NiffField::Rational(3, 4)});
    out.EndChunk();
    out.BeginChunk("stem");
    out.Tag(22, {0, 2, 0});  // stem down asked for
    out.EndChunk();
    out.BeginChunk("note", {0, 7, NiffField::Rational(3, 16)});
    out.EndChunk();
    out.EndList();
    out.EndList();
    return out.Take();
}

TEST(NiffVoices, NotesRestsAndBeamsOfAFileBecomeVoices) {
    ResetProgramState();
    ui::headless::ResetUi();
    const std::vector<uint8_t> bytes = OneMeasure();
    NiffImportState import;
    const NiffReadResult read = ReadNiffPasses(import, [&] { return ByteSource::FromMemory(bytes); });
    ASSERT_TRUE(read.complete);
    ASSERT_EQ(import.frame.measures.size(), 1u);
    const NiffMeasureNode& node = import.frame.measures[0];
    ASSERT_EQ(node.staves.size(), 1u);
    // The stem-down note (a dotted eighth at 3,072) ends the measure at 3,840,
    // rounded to 3,840; the rest of 512 at 2,048 leaves a gap to 3,072.
    EXPECT_EQ(node.lengthTicks, 3840);
    EXPECT_EQ(Dump(node.staves[0]),
              "v0: |0:10.0@-2 0:10.0@-1 |1024:9.0@-1>3 |1536:9.0@-2<2 |3072:9.1@-7 rest 2048:9.0 fill 2560:9.0\n");
    EXPECT_EQ(import.report.Total(), 0);
}

}  // namespace
}  // namespace ql::niff
