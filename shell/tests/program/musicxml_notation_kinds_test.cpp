// Notation a MusicXML file gives that the score holds, imported through the
// converter and the NIFF import: each case a small score, and the objects and
// records the import made of it. What the score cannot hold is counted by the
// converter.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/model/document.h"
#include "core/model/grid_records.h"
#include "core/model/score_document.h"
#include "core/model/view.h"
#include "core/objects/midi_action.h"
#include "core/text/text_object.h"
#include "display/tests/painter/engraving_expect.h"
#include "interchange/musicxml/musicxml_convert.h"
#include "interchange/musicxml/musicxml_tempo.h"
#include "objects/chord/chord_symbol.h"
#include "objects/spanners/spanner_objects.h"
#include "platform/ui/headless.h"
#include "shell/tests/program/musicxml_text_scores.h"
#include "shell/tests/program/program_fixture.h"
#include "shell/tests/program/staff_contents.h"

namespace ql {
namespace {

// A score of one part, a whole note to each 4/4 measure; `extra[m]` is written
// into measure m after its note.
std::string OnePartScore(const std::vector<std::string>& extra) {
    std::string xml = "<score-partwise><part-list><score-part id=\"P\"><part-name>Solo</part-name></score-part>"
                      "</part-list><part id=\"P\">";
    for (size_t m = 0; m < extra.size(); ++m) {
        xml += "<measure number=\"" + std::to_string(m + 1) + "\">";
        if (m == 0)
            xml += "<attributes><divisions>1</divisions><time><beats>4</beats><beat-type>4</beat-type></time>"
                   "<clef><sign>G</sign><line>2</line></clef></attributes>";
        xml += "<note><pitch><step>C</step><octave>5</octave></pitch><duration>4</duration><type>whole</type></note>" +
               extra[m] + "</measure>";
    }
    return xml + "</part></score-partwise>";
}

std::string Barline(const char* location, const std::string& content) {
    return std::string("<barline location=\"") + location + "\">" + content + "</barline>";
}

std::string Harmony(const char* root, const char* kind, const std::string& more = "") {
    return std::string("<harmony><root><root-step>") + root[0] + "</root-step>" +
           (root[1] != 0 ? std::string("<root-alter>") + (root[1] == '#' ? "1" : "-1") + "</root-alter>" : "") +
           "</root><kind>" + kind + "</kind>" + more + "</harmony>";
}

// The converter reports `kind` (when not null) so many times for the score.
void ExpectCounted(const std::string& xml, const char* kind, int times = 1) {
    if (kind == nullptr) return;
    const musicxml::MusicXmlConversion conversion =
        musicxml::ConvertMusicXml(std::vector<uint8_t>(xml.begin(), xml.end()), musicxml::MusicXmlForm::Plain);
    EXPECT_TRUE(conversion.ok) << conversion.error;
    EXPECT_EQ(conversion.skipped.CountOf(kind), times) << kind;
}

class MusicXmlNotationKindsTest : public testing::ProgramFixture {};

// The barline in front of each measure (repeat count in the high byte, the two
// barline codes in the low one) and the one after the last: repeats, final,
// double and thick barlines; the looks the score does not draw are counted.
TEST_F(MusicXmlNotationKindsTest, BarlinesAndRepeatsBecomeTheMeasuresBarlines) {
    ASSERT_EQ(Start(), StartupCode::Ok);
    const std::string forward = Barline("left", "<bar-style>heavy-light</bar-style><repeat direction=\"forward\"/>");
    const std::string backward = Barline("right", "<bar-style>light-heavy</bar-style><repeat direction=\"backward\"/>");
    const struct {
        std::vector<std::string> extra;
        std::vector<int> words;  // records 1 to 4
        const char* counted;
    } cases[] = {
        {{"", "", ""}, {0, 0, 0, 0}, nullptr},
        {{"", "", Barline("right", "<bar-style>light-heavy</bar-style>")}, {0, 0, 0, 0x03}, nullptr},
        {{Barline("right", "<bar-style>light-light</bar-style>"), "", ""}, {0, 0x01, 0, 0}, nullptr},
        {{Barline("right", "<bar-style>heavy</bar-style>"), "", ""}, {0, 0x44, 0, 0}, nullptr},
        {{"", forward, backward}, {0, 0x55, 0, 0x0106}, nullptr},
        {{backward, forward, ""}, {0, 0x0177, 0, 0}, nullptr},
        {{forward, "", ""}, {0x55, 0, 0, 0}, nullptr},
        {{Barline("right", "<bar-style>dotted</bar-style>"), "", ""}, {0, 0, 0, 0}, "barline dotted"},
        {{"", Barline("right", "<repeat direction=\"backward\" times=\"3\"/>"), ""},
         {0, 0, 0x0106, 0},
         "repeat played other than twice"},
        {{"", Barline("middle", "<bar-style>light-light</bar-style>"), ""}, {0, 0, 0, 0}, "barline inside a measure"},
    };
    for (const auto& c : cases) {
        const std::string xml = OnePartScore(c.extra);
        SCOPED_TRACE(xml);
        ScoreView* view = testing::ImportMusicXmlText(xml, "barlines_XML");
        ASSERT_NE(view, nullptr);
        ASSERT_EQ(view->document->header.measureCount, 3);
        for (int m = 1; m <= 4; ++m) {
            const MeasureRecord* record = MeasureRecordOf(view->document, m);
            EXPECT_EQ(record->repeatCount << 8 | record->barline, c.words[static_cast<size_t>(m - 1)]) << m;
        }
        ExpectCounted(xml, c.counted);
    }
}

// Endings of one measure each, over a measure of a single whole note (the first
// closed, the second left open): each stands over its measure from barline to
// barline, its ends before the note's tick and past it by most of the measure,
// and above all the staff holds (the second measure's chord symbols), clear of it
// on the page.
TEST_F(MusicXmlNotationKindsTest, AnEndingOfOneMeasureSpansItFromBarlineToBarline) {
    ASSERT_EQ(Start(), StartupCode::Ok);
    const std::string note = "<note><pitch><step>C</step><octave>5</octave></pitch><duration>4</duration><type>whole</type></note>";
    const std::string chord = Harmony("G", "dominant") + Harmony("C", "major") +
                              "<note><pitch><step>F</step><octave>4</octave></pitch><duration>4</duration><type>whole</type></note>";
    const auto ending = [&](const char* number, const char* end) {
        return Barline("left", std::string("<ending number=\"") + number + "\" type=\"start\"/>") +
               (*number == '1' ? chord : note) +
               Barline("right", std::string("<ending number=\"") + number + "\" type=\"" + end + "\"/>");
    };
    std::string xml = OnePartScore({"", "", ""});
    const std::string plain = "<measure number=\"2\">" + note + "</measure><measure number=\"3\">" + note + "</measure>";
    xml.replace(xml.find(plain), plain.size(),
                "<measure number=\"2\">" + ending("1", "stop") + "</measure><measure number=\"3\">" +
                    ending("2", "discontinue") + "</measure>");
    ScoreView* view = testing::ImportMusicXmlText(xml, "endings_XML");
    ASSERT_NE(view, nullptr);
    for (int m = 2; m <= 3; ++m) {
        const std::vector<ScoreObject*> endings = testing::ObjectsOf(view->document, m, ObjectType::RepeatEnding);
        ASSERT_EQ(endings.size(), 1u) << m;
        const RepeatEndingObject* made = AsRepeatEnding(endings[0]);
        const SpannerEndpoint& ends = made->spanner.endpoint;
        EXPECT_EQ(made->passes[0], m - 1);
        EXPECT_EQ(ends.start.coarse[0], 0);
        EXPECT_EQ(ends.end.coarse[0], 0);  // it ends in its own measure
        constexpr int kSpace = 128;  // view units
        EXPECT_EQ(ends.start.coarse[1], 0);
        EXPECT_LT(ends.start.x, 0) << m;  // before the note, by its barline
        EXPECT_GT(ends.end.x - ends.start.x, 8 * kSpace) << m;
        EXPECT_GT(ends.startHook, 0);
        EXPECT_EQ(ends.endHook != 0, m == 2);
    }
    EXPECT_TRUE(ui::headless::MessageBoxes().empty());
    EXPECT_TRUE(testing::EngravingIsClean(view));
}

std::string Direction(const std::string& types, const std::string& after = "") {
    return "<direction placement=\"above\"><direction-type>" + types + "</direction-type>" + after + "</direction>";
}
std::string Metronome(const std::string& beat, const char* perMinute) {
    return "<metronome>" + beat + "<per-minute>" + perMinute + "</per-minute></metronome>";
}

// Tempo marks in the second measure: a metronome mark shows its beat and number
// and sets the tempo; a sound tempo alone (of a direction or of the measure) sets
// it unseen, in quarters; a beat the marks do not show sets its tempo unseen,
// counted; a mark from one beat to another is counted and sets nothing.
TEST_F(MusicXmlNotationKindsTest, MetronomeMarksAndSoundTemposBecomeTempoMarks) {
    ASSERT_EQ(Start(), StartupCode::Ok);
    constexpr uint16_t kQuarterUnit = 1 << 12;
    constexpr uint16_t kHalfUnit = 2 << 12;
    constexpr uint16_t kDotted = 0x4000;
    constexpr uint16_t kUnitBits = 0x7000;
    const struct {
        std::string mark;
        int perMinute;  // 0: no tempo mark
        uint16_t unit;
        bool hidden;
        const char* counted;
    } cases[] = {
        {Direction(Metronome("<beat-unit>quarter</beat-unit>", "120")), 120, kQuarterUnit, false, nullptr},
        {Direction(Metronome("<beat-unit>quarter</beat-unit><beat-unit-dot/>", "c. 96")), 96, kQuarterUnit | kDotted,
         false, nullptr},
        {Direction(Metronome("<beat-unit>half</beat-unit>", "60"), "<sound tempo=\"120\"/>"), 60, kHalfUnit, false,
         nullptr},
        {Direction("<words>Allegro</words>", "<sound tempo=\"132.4\"/>"), 132, kQuarterUnit, true, nullptr},
        {"<sound tempo=\"90\"/>", 90, kQuarterUnit, true, nullptr},
        {Direction(Metronome("<beat-unit>16th</beat-unit>", "240")), 60, kQuarterUnit, true,
         musicxml::kTempoOfOtherBeats},
        {Direction("<metronome><beat-unit>quarter</beat-unit><beat-unit>half</beat-unit></metronome>"), 0, 0, false,
         musicxml::kTempoBetweenBeats},
    };
    for (const auto& c : cases) {
        const std::string xml = OnePartScore({"", c.mark, ""});
        SCOPED_TRACE(xml);
        ScoreView* view = testing::ImportMusicXmlText(xml, "tempo_XML");
        ASSERT_NE(view, nullptr);
        const std::vector<ScoreObject*> marks = testing::ObjectsOf(view->document, 2, ObjectType::Tempo);
        ASSERT_EQ(marks.size(), c.perMinute > 0 ? 1u : 0u);
        if (c.perMinute > 0) {
            EXPECT_EQ(MidiActionOfText(marks[0])->head.values.value, c.perMinute);
            const uint16_t flags = AsTextObject(marks[0])->body.flags;
            EXPECT_EQ(flags & kUnitBits, c.unit);
            EXPECT_EQ((flags & kTextHidden) != 0, c.hidden);
        }
        ExpectCounted(xml, c.counted);
    }
}

// Chord symbols in the second measure, before its note: root, accidental, quality
// (a row of the chord table) and bass; a kind outside the table is a text of its
// own, counted, as is a degree; a chord without a root is counted and left out.
TEST_F(MusicXmlNotationKindsTest, HarmoniesBecomeChordSymbols) {
    ASSERT_EQ(Start(), StartupCode::Ok);
    constexpr int kNone = -1;  // no chord symbol made
    const struct {
        std::string harmony;
        int root, accidental, quality, bass, bassAccidental;
        const char* counted;
    } cases[] = {
        {Harmony("C", "major"), 0, 0, 0, 0, 0, nullptr},
        {Harmony("Bb", "minor-seventh"), 6, 2, 5, 6, 0, nullptr},
        {Harmony("F#", "half-diminished"), 3, 1, 14, 3, 0, nullptr},
        {Harmony("D", "diminished-seventh"), 1, 0, 6, 1, 0, nullptr},
        {Harmony("G", "suspended-fourth"), 4, 0, 10, 4, 0, nullptr},
        {Harmony("A", "major-seventh", "<bass><bass-step>E</bass-step><bass-alter>-1</bass-alter></bass>"), 5, 0, 4, 2,
         2, nullptr},
        {Harmony("E", "dominant", "<degree><degree-value>9</degree-value><degree-alter>-1</degree-alter>"
                                  "<degree-type>add</degree-type></degree>"),
         2, 0, 3, 2, 0, "chord symbol degree (left out)"},
        {Harmony("C", "minor-ninth"), kNone, 0, 0, 0, 0, "chord symbol of another kind (shown as a text)"},
        {"<harmony><function>V</function><kind>dominant</kind></harmony>", kNone, 0, 0, 0, 0,
         "chord symbol without a root"},
    };
    for (const auto& c : cases) {
        const std::string xml = OnePartScore({"", c.harmony, ""});
        SCOPED_TRACE(xml);
        ScoreView* view = testing::ImportMusicXmlText(xml, "chords_XML");
        ASSERT_NE(view, nullptr);
        const std::vector<ScoreObject*> symbols = testing::ObjectsOf(view->document, 2, ObjectType::Chord);
        ASSERT_EQ(symbols.size(), c.root == kNone ? 0u : 1u);
        if (c.root != kNone) {
            const auto& chord = AsChordSymbol(symbols[0])->chord;
            EXPECT_EQ(std::vector<int>({chord.root, chord.rootAccidental, chord.quality, chord.bass, chord.bassAccidental}),
                      std::vector<int>({c.root, c.accidental, c.quality, c.bass, c.bassAccidental}));
        }
        ExpectCounted(xml, c.counted);
    }
}

// Chord symbols and directions after measure 2's whole note: a harmony stacking
// chords gives a chord symbol for each; an offset moves a harmony, words, a
// dynamic or a tempo mark that far from where it was read while it stays inside
// the measure, and a direction whose marks cannot move (a pedal mark) keeps them
// at its place and counts its offset. Each symbol (its root) and text of the
// measure at its tick, each new one first.
TEST_F(MusicXmlNotationKindsTest, HarmoniesAndDirectionsStandAtTheirOffsets) {
    ASSERT_EQ(Start(), StartupCode::Ok);
    const std::string second = "<root><root-step>D</root-step></root><kind>minor</kind>";
    const auto offset = [](const char* by) { return std::string("<offset>") + by + "</offset>"; };
    const auto words = [&](const char* text, const char* by) {
        return Direction(std::string("<words>") + text + "</words>", offset(by));
    };
    const struct {
        std::string extra;
        std::vector<std::string> marks;  // "root@tick" of a chord symbol, "words@tick" of a text
        int counted;                     // offsets left unused
    } cases[] = {
        {Harmony("C", "major"), {"0@4080"}, 0},  // after the last note: the measure's last tick
        {Harmony("C", "major", second), {"1@4080", "0@4080"}, 0},
        {Harmony("E", "major", offset("-2")), {"2@2048"}, 0},
        {Harmony("E", "major", offset("-4")) + Harmony("F", "major", offset("-1")), {"3@3072", "2@0"}, 0},
        {Harmony("G", "major", offset("-5")), {"4@4080"}, 0},  // before the measure: where it was read
        {Harmony("A", "major", offset("x")), {"5@4080"}, 0},
        {words("one", "-3") + words("three", "-1"), {"three@3072", "one@1024"}, 0},
        {words("far", "-9"), {"far@4080"}, 0},
        {Direction("<pedal type=\"start\"/>", offset("-2")), {}, 1},
    };
    for (const auto& c : cases) {
        const std::string xml = OnePartScore({"", c.extra, ""});
        SCOPED_TRACE(xml);
        ScoreView* view = testing::ImportMusicXmlText(xml, "offsets_XML");
        ASSERT_NE(view, nullptr);
        std::vector<std::string> marks;
        const auto tick = [](ScoreObject* o) { return "@" + std::to_string(AsTextObject(o)->body.location.position >> 16); };
        for (ScoreObject* symbol : testing::ObjectsOf(view->document, 2, ObjectType::Chord))
            marks.push_back(std::to_string(AsChordSymbol(symbol)->chord.root) + tick(symbol));
        for (ScoreObject* text : testing::ObjectsOf(view->document, 2, ObjectType::Text))
            marks.push_back(TextObjectString(AsTextObject(text)) + tick(text));
        EXPECT_EQ(marks, c.marks);
        ExpectCounted(xml, "offset", c.counted);
    }
}

std::string Pedal(const std::string& attributes) {
    return "<direction placement=\"below\"><direction-type><pedal " + attributes + "/></direction-type></direction>";
}

// Pedal directions in measures 1 to 3: each press and release of a sign a pedal
// mark (its glyph "Ped." or "*"); a line a pedal bracket from press to release,
// counted as not played when it has no sign; a change releases and presses again.
TEST_F(MusicXmlNotationKindsTest, PedalDirectionsBecomePedalMarksAndBrackets) {
    ASSERT_EQ(Start(), StartupCode::Ok);
    constexpr int kDown = 225, kUp = 42;  // the pedal marks' glyphs
    const std::string start = Pedal("type=\"start\" line=\"yes\""), stop = Pedal("type=\"stop\" line=\"yes\"");
    const char* unplayed = "pedal line without its sign (shown, not played)";
    const struct {
        std::vector<std::string> extra;
        std::vector<std::vector<int>> marks;  // per measure, its pedal marks
        int brackets;
        const char* counted;
        int times = 1;
    } cases[] = {
        {{"", Pedal("type=\"start\""), Pedal("type=\"stop\"")}, {{}, {kDown}, {kUp}}, 0, nullptr},
        {{"", start, stop}, {{}, {}, {}}, 1, unplayed, 2},
        {{start, Pedal("type=\"change\" line=\"yes\""), stop}, {{}, {}, {}}, 2, unplayed, 3},
        {{"", Pedal("type=\"start\" line=\"yes\" sign=\"yes\""),
          Pedal("type=\"continue\" line=\"yes\"") + Pedal("type=\"stop\" line=\"yes\" sign=\"yes\"")},
         {{}, {kDown}, {kUp}},
         1,
         nullptr},
        {{"", "", stop}, {{}, {}, {}}, 0, "pedal line end without its start"},
        {{"", Pedal("type=\"resume\""), ""}, {{}, {}, {}}, 0, "pedal resume"},
    };
    for (const auto& c : cases) {
        const std::string xml = OnePartScore(c.extra);
        SCOPED_TRACE(xml);
        ScoreView* view = testing::ImportMusicXmlText(xml, "pedals_XML");
        ASSERT_NE(view, nullptr);
        int brackets = 0;
        for (int m = 1; m <= 3; ++m) {
            std::vector<int> marks;
            for (ScoreObject* mark : testing::ObjectsOf(view->document, m, ObjectType::Pedal))
                marks.push_back(AsTextObject(mark)->body.string);
            EXPECT_EQ(marks, c.marks[static_cast<size_t>(m - 1)]) << m;
            brackets += static_cast<int>(testing::ObjectsOf(view->document, m, ObjectType::PedalBracket).size());
        }
        EXPECT_EQ(brackets, c.brackets);
        ExpectCounted(xml, c.counted, c.times);
    }
}

}  // namespace
}  // namespace ql
