// The NIFF of a score with its page layout, credits, slurs, tuplets, tie sides and
// signature changes inside measures: chunk by chunk as the NIFF reader sees it, and
// what the NIFF import makes of it.
#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "core/state.h"
#include "interchange/byte_source.h"
#include "interchange/musicxml/musicxml_convert.h"
#include "interchange/musicxml/musicxml_reader.h"
#include "interchange/niff/niff_import.h"
#include "interchange/niff/niff_import_state.h"
#include "interchange/niff/niff_spanners.h"
#include "interchange/tests/musicxml/musicxml_fixtures.h"
#include "platform/ui/headless.h"

namespace ql::musicxml {
namespace {

std::vector<uint8_t> Phrases(const char* name = "phrases_partwise.xml") {
    const MusicXmlConversion conversion = ConvertMusicXml(testing::FixtureBytes(name), MusicXmlForm::Plain);
    EXPECT_TRUE(conversion.ok) << conversion.error;
    EXPECT_TRUE(conversion.skipped.Counts().empty());
    return conversion.niff;
}

// Page size and staff height from the scaling and page layout; each credit at its
// place from the page's top left, the centred one aligned on its middle and the
// right-justified one on its right end.
TEST(MusicXmlPhrases, PageStaffAndCreditsFollowTheScaling) {
    const std::string dump = testing::ChunkDump(Phrases(), "pghd");
    EXPECT_EQ(dump.substr(0, dump.find("syhd")),
              "  tag 48 d3 32\n"
              "  tag 17 c6 41\n"
              "  tag 3 70 67 68 64\n"
              "  tag 1 6a 19 cb 02\n"
              "  tag 33 03 00 00 00\n"
              "text 01 00 00 00\n"
              "  tag 3 70 67 68 64\n"
              "  tag 1 d6 2f fb 05\n"
              "  tag 33 02 00 00 00\n"
              "text 09 00 00 00\n");
}

// Slurs and tuplets after their stem (and beam), before the notes; the tuplet's
// first chunk with its members and ratio, a rest's after the rest; ties with their
// side; articulations after their note; hairpins, octave signs, endings, key and clef
// changes at their event slices; a time change inside a measure written at the
// next measure.
TEST(MusicXmlPhrases, SpannersAndChangesInsideMeasures) {
    EXPECT_EQ(testing::ChunkDump(Phrases()),
              "  tag 32 00 00\n"
              "  tag 17 98 01\n"
              "tmsl 01 00 00 00 01 00\n"
              "clef 01 02 00\n"
              "keys 00\n"
              "time 02 04\n"
              "tmsl 02 00 00 00 01 00\n"
              "  tag 18 02 00\n"
              "  tag 28 02 00\n"
              "hrpn 01\n"  // crescendo, its start and end
              "  tag 47 01 00\n"
              "stem\n"
              "  tag 18 03 00\n"
              "beam 00 01\n"
              "  tag 18 01 00\n"
              "  tag 28 03 00\n"
              "  tag 45 03 00 08 00 02 00 08 00 00 00\n"
              "tupl\n"
              "  tag 18 04 00\n"
              "  tag 28 02 00\n"
              "  tag 44 01\n"
              "slur\n"
              "note 04 05 01 00 08 00\n"
              "tmsl 02 00 01 00 0c 00\n"
              "  tag 47 01 00\n"
              "stem\n"
              "  tag 18 03 00\n"
              "beam 01 01\n"
              "  tag 18 01 00\n"
              "tupl\n"
              "note 04 06 01 00 08 00\n"
              "tmsl 02 00 01 00 06 00\n"
              "  tag 47 01 00\n"
              "stem\n"
              "  tag 18 03 00\n"
              "beam 01 00\n"
              "  tag 18 01 00\n"
              "tupl\n"
              "note 04 07 01 00 08 00\n"
              "tmsl 02 00 01 00 04 00\n"
              "  tag 18 02 00\n"
              "hrpn 01\n"
              "keys 02\n"  // two sharps from the second beat
              "  tag 47 01 00\n"
              "stem\n"
              "note 04 08 01 00 04 00\n"
              "artc 02 00\n"  // accent
              "  tag 18 05 00\n"
              "  tag 44 02\n"
              "tie \n"
              "tmsl 01 00 01 00 02 00\n"  // measure 2, no empty slice for the time change
              "time 03 04\n"  // the change at the end of measure 1
              "tmsl 02 00 00 00 01 00\n"
              "  tag 18 07 00\n"
              "  tag 28 02 00\n"
              "altg 01 00 0f 00 00 00\n"  // "1. 2. ", the start hook
              "  tag 47 01 00\n"
              "stem\n"
              "  tag 18 04 00\n"
              "slur\n"
              "note 04 08 01 00 04 00\n"
              "  tag 18 05 00\n"
              "tie \n"
              "tmsl 02 00 01 00 04 00\n"
              "clef 02 06 00\n"  // bass clef inside measure 2
              "  tag 18 08 00\n"
              "  tag 28 02 00\n"
              "octv 01 01 00 00 00 00 00 00\n"  // one octave, above, its start and end
              "  tag 47 01 00\n"
              "stem\n"
              "  tag 18 06 00\n"
              "  tag 28 05 00\n"
              "  tag 45 05 00 08 00 03 00 08 00 00 00\n"
              "tupl\n"
              "note 04 fd 01 00 08 00\n"  // D3 written an octave lower, under the octave sign
              "tmsl 02 00 0d 00 28 00\n"
              "  tag 47 01 00\n"
              "stem\n"
              "  tag 18 06 00\n"
              "tupl\n"
              "note 04 fe 01 00 08 00\n"
              "tmsl 02 00 02 00 05 00\n"
              "  tag 47 01 00\n"
              "stem\n"
              "  tag 18 06 00\n"
              "tupl\n"
              "note 04 00 01 00 08 00\n"
              "tmsl 02 00 13 00 28 00\n"
              "  tag 47 01 00\n"
              "rest 05 04 01 00 08 00\n"
              "  tag 18 06 00\n"
              "tupl\n"
              "tmsl 02 00 0b 00 14 00\n"
              "  tag 47 01 00\n"
              "stem\n"
              "  tag 18 06 00\n"
              "tupl\n"
              "note 04 01 01 00 08 00\n"
              "artc 08 00\n"  // fermata
              "tmsl 02 00 05 00 08 00\n"
              "  tag 18 08 00\n"
              "octv 01 01 00 00 00 00 00 00\n"
              "  tag 47 01 00\n"
              "rest 05 04 01 00 08 00\n"
              "  tag 18 07 00\n"
              "altg 03 00 0f 00 00 00\n");  // both hooks, with the last slice
}

// A left barline's ending before the measure's attributes: the clef, key and time
// still open the measure, and the ending starts at its first event slice.
TEST(MusicXmlPhrases, SignaturesOpenTheMeasureBeforeAnEnding) {
    const MusicXmlConversion conversion = ConvertMusicXml(
        testing::BytesOf("<score-partwise><part-list><score-part id=\"P\"/></part-list><part id=\"P\"><measure>"
                         "<barline location=\"left\"><ending number=\"1\" type=\"start\"/></barline>"
                         "<attributes><divisions>1</divisions><time><beats>1</beats><beat-type>4</beat-type></time>"
                         "<clef><sign>F</sign><line>4</line></clef></attributes>"
                         "<note><rest/><duration>1</duration><type>quarter</type></note>"
                         "<barline location=\"right\"><ending number=\"1\" type=\"discontinue\"/></barline>"
                         "</measure></part></score-partwise>"),
        MusicXmlForm::Plain);
    ASSERT_TRUE(conversion.ok) << conversion.error;
    EXPECT_EQ(testing::ChunkDump(conversion.niff),
              "  tag 32 00 00\n"
              "  tag 17 8d 01\n"
              "tmsl 01 00 00 00 01 00\n"
              "clef 02 06 00\n"
              "keys 00\n"
              "time 01 04\n"
              "tmsl 02 00 00 00 01 00\n"
              "  tag 18 01 00\n"
              "  tag 28 02 00\n"
              "altg 01 00 01 00 00 00\n"  // "1. ", the start hook
              "  tag 47 01 00\n"
              "rest 04 04 01 00 04 00\n"
              "  tag 18 01 00\n"
              "altg 01 00 01 00 00 00\n");  // open at its end
}

TEST(MusicXmlPhrases, TimewiseFormGivesTheSameBytes) { EXPECT_EQ(Phrases("phrases_timewise.xml"), Phrases()); }

// The NIFF import makes one slur above over the barline, one tie below, two
// tuplet marks, a crescendo, an octave sign and an ending, and a key and a clef
// change inside their measures.
TEST(MusicXmlPhrases, TheNiffImportMakesEachSpannerAndChange) {
    ResetProgramState();
    ui::headless::ResetUi();
    const std::vector<uint8_t> niff = Phrases();
    niff::NiffImportState import;
    ASSERT_TRUE(niff::ReadNiffPasses(import, [&] { return ByteSource::FromMemory(niff); }).complete);
    const niff::NiffSpannerState& made = import.frame.spanners;
    ASSERT_EQ(made.slurs.size(), 1u);
    EXPECT_EQ(made.slurs[0].side, 1);
    ASSERT_EQ(made.ties.size(), 1u);
    EXPECT_EQ(made.ties[0].side, 2);
    ASSERT_EQ(made.lines.size(), 3u);
    ASSERT_EQ(made.tuplets.size(), 2u);
    EXPECT_EQ(made.tuplets[0].digit, 3);
    EXPECT_EQ(made.tuplets[1].digit, 5);
    ASSERT_EQ(import.frame.signChanges.size(), 2u);
    EXPECT_TRUE(import.frame.signChanges[0].key);
    EXPECT_EQ(import.frame.signChanges[0].measure, 1);
    EXPECT_FALSE(import.frame.signChanges[1].key);
    EXPECT_EQ(import.frame.signChanges[1].measure, 2);
    for (const char* kind : {niff::kNiffSpannersReversed, niff::kNiffSpannersAcrossStaves, niff::kNiffSpannersUnended,
                             niff::kNiffSpannersWithoutId, niff::kNiffTupletsWithoutRatio, niff::kNiffTiesUnended})
        EXPECT_EQ(import.report.CountOf(kind), 0) << kind;
    niff::ReleaseNiffImport(import);
}

// A tuplet's mark keeps the look its start gives: a straight bracket, a curve,
// the number alone or no mark at all (0: the number alone, the file saying nothing);
// what the score does not show is counted.
TEST(MusicXmlPhrases, TupletMarksKeepTheLookTheFileGives) {
    const struct {
        const char* attributes;
        int bracket;  // of the mark made; -2 none made
        const char* counted;
        int notes = 3;
    } cases[] = {
        {"", 0, nullptr},
        {" bracket=\"yes\"", 1, nullptr},
        {" bracket=\"yes\" line-shape=\"curved\"", 2, nullptr},
        {" bracket=\"no\"", 0, nullptr},
        {" bracket=\"no\" show-number=\"none\"", -2, nullptr},
        {" bracket=\"yes\" show-number=\"both\"", 1, "tuplet ratio shown whole (its first number shown)"},
        {" bracket=\"yes\" show-number=\"none\"", 1, "tuplet bracket without its number (the number shown)"},
        // A quarter and an eighth: the score's bracket would join the next group's.
        {" bracket=\"yes\"", 0, "tuplet bracket over notes of unequal values (its number shown)", 2},
    };
    for (const auto& c : cases) {
        std::string notes;
        for (int i = 0; i < c.notes; ++i) {
            const bool quarter = c.notes == 2 && i == 0;
            notes += std::string("<note><pitch><step>C</step><octave>5</octave></pitch><duration>") +
                     (quarter ? "2</duration><type>quarter" : "1</duration><type>eighth") +
                     "</type><time-modification><actual-notes>3</actual-notes>"
                     "<normal-notes>2</normal-notes></time-modification>" +
                     (i == 0              ? std::string("<notations><tuplet type=\"start\"") + c.attributes + "/></notations>"
                      : i == c.notes - 1 ? "<notations><tuplet type=\"stop\"/></notations>"
                                         : "") +
                     "</note>";
        }
        const MusicXmlConversion conversion = ConvertMusicXml(
            testing::BytesOf("<score-partwise><part-list><score-part id=\"P\"/></part-list><part id=\"P\"><measure>"
                             "<attributes><divisions>3</divisions><time><beats>1</beats><beat-type>4</beat-type></time>"
                             "</attributes>" + notes + "</measure></part></score-partwise>"),
            MusicXmlForm::Plain);
        ASSERT_TRUE(conversion.ok) << conversion.error;
        SCOPED_TRACE(c.attributes);
        EXPECT_EQ(c.counted == nullptr || conversion.skipped.CountOf(c.counted) == 1, true);
        ResetProgramState();
        niff::NiffImportState import;
        ASSERT_TRUE(niff::ReadNiffPasses(import, [&] { return ByteSource::FromMemory(conversion.niff); }).complete);
        const std::vector<niff::NiffTupletRequest>& marks = import.frame.spanners.tuplets;
        ASSERT_LE(marks.size(), 1u);
        EXPECT_EQ(marks.empty() ? -2 : marks[0].bracket, c.bracket);
        niff::ReleaseNiffImport(import);
    }
}

// The composer, arranger, lyricist and poet of the identification are page texts
// of the first page (the composer's right-aligned) unless a credit prints them;
// creators of other kinds are counted.
TEST(MusicXmlPhrases, CreatorsNoCreditPrintsBecomePageTexts) {
    const struct {
        const char* header;
        std::vector<std::string> texts;  // page texts, "R:" for a right-aligned one
        int otherKinds;
    } cases[] = {
        {"<identification><creator type=\"composer\">J. Dowland</creator>"
         "<creator type=\"lyricist\">Anon.</creator></identification>",
         {"R:J. Dowland", "Anon."},
         0},
        {"<work><work-title>Air</work-title></work><identification><creator type=\"arranger\">K. M.</creator>"
         "<creator type=\"transcriber\">T.</creator></identification>",
         {"Air", "R:K. M."},
         1},
        {"<identification><creator type=\"composer\">J. Dowland</creator></identification>"
         "<credit page=\"1\"><credit-words>Music by J. Dowland</credit-words></credit>",
         {"Music by J. Dowland"},
         0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.header);
        const MusicXmlConversion conversion = ConvertMusicXml(
            testing::BytesOf(std::string("<score-partwise>") + c.header +
                             "<part-list><score-part id=\"P\"/></part-list><part id=\"P\"><measure>"
                             "<note><rest/><duration>4</duration></note></measure></part></score-partwise>"),
            MusicXmlForm::Plain);
        ASSERT_TRUE(conversion.ok) << conversion.error;
        EXPECT_EQ(conversion.skipped.CountOf("creator of another kind (transcriber)"), c.otherKinds);
        ResetProgramState();
        niff::NiffImportState import;
        ASSERT_TRUE(niff::ReadNiffPasses(import, [&] { return ByteSource::FromMemory(conversion.niff); }).complete);
        std::vector<std::string> texts;
        for (const niff::NiffMark& mark : import.frame.marks)
            if (mark.anchor == niff::NiffAnchor::kPage) texts.push_back((mark.alignX == 2 ? "R:" : "") + mark.text);
        EXPECT_EQ(texts, c.texts);
        niff::ReleaseNiffImport(import);
    }
}

// A melisma's extender line ends its syllable's text with "_", which the score's
// lyrics draw as the line; notation the score has no place for is counted by name:
// the name and abbreviation of a group of parts.
TEST(MusicXmlPhrases, ExtendersEndTheirSyllablesAndGroupNamesAreCountedByName) {
    const MusicXmlConversion conversion = ConvertMusicXml(
        testing::BytesOf("<score-partwise><part-list><part-group type=\"start\"><group-name>Strings</group-name>"
                         "<group-abbreviation>Str.</group-abbreviation><group-symbol>bracket</group-symbol>"
                         "</part-group><score-part id=\"P\"/><part-group type=\"stop\"/></part-list>"
                         "<part id=\"P\"><measure><note><pitch><step>C</step><octave>5</octave></pitch>"
                         "<duration>4</duration><lyric><syllabic>single</syllabic><text>Ah</text><extend/></lyric>"
                         "</note></measure></part></score-partwise>"),
        MusicXmlForm::Plain);
    ASSERT_TRUE(conversion.ok) << conversion.error;
    const std::string_view written(reinterpret_cast<const char*>(conversion.niff.data()), conversion.niff.size());
    EXPECT_NE(written.find(std::string_view("Ah_\0", 4)), std::string_view::npos);
    EXPECT_EQ(conversion.skipped.CountOf(kPartGroupNames), 2);
}

// More ties than 16-bit IDs: 520 measures of 32 two-note chords, every note tied
// to the next. The IDs are taken round again, so every tie is made.
TEST(MusicXmlPhrases, LongScoresTakeSpannerIdsRoundAgain) {
    std::string xml = "<score-partwise><part-list><score-part id=\"P\"/></part-list><part id=\"P\">";
    constexpr int kMeasures = 520;
    constexpr int kChords = 32;
    for (int m = 0; m < kMeasures; ++m) {
        xml += m == 0 ? "<measure><attributes><divisions>8</divisions></attributes>" : "<measure>";
        for (int c = 0; c < kChords; ++c) {
            const bool first = m == 0 && c == 0;
            const bool last = m == kMeasures - 1 && c == kChords - 1;
            const std::string ties = std::string(first ? "" : "<tied type=\"stop\"/>") + (last ? "" : "<tied type=\"start\"/>");
            for (const char* step : {"C", "E"})
                xml += std::string("<note>") + (*step == 'E' ? "<chord/>" : "") + "<pitch><step>" + step +
                       "</step><octave>5</octave></pitch><duration>1</duration><type>32nd</type><notations>" + ties +
                       "</notations></note>";
        }
        xml += "</measure>";
    }
    xml += "</part></score-partwise>";
    const MusicXmlConversion conversion = ConvertMusicXml(testing::BytesOf(xml), MusicXmlForm::Plain);
    ASSERT_TRUE(conversion.ok) << conversion.error;
    ResetProgramState();
    niff::NiffImportState import;
    ASSERT_TRUE(niff::ReadNiffPasses(import, [&] { return ByteSource::FromMemory(conversion.niff); }).complete);
    EXPECT_EQ(import.frame.spanners.ties.size(), size_t{2} * (kMeasures * kChords - 1));
    EXPECT_EQ(import.report.CountOf(niff::kNiffTiesUnended), 0);
    niff::ReleaseNiffImport(import);
}

}  // namespace
}  // namespace ql::musicxml
