// Documents as other programs write them: a file re-encoded to UTF-8 whose
// declaration still names UTF-16; a piano part whose slurs go from one staff to the
// other while the same slur numbers are used on each staff, and whose voices number
// their slurs each on their own; chains of ties with only "start" on their middle
// notes; unpitched notes of a percussion part; and slurs that start on grace notes.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <utility>
#include <vector>

#include "core/state.h"
#include "interchange/byte_source.h"
#include "interchange/musicxml/musicxml_convert.h"
#include "interchange/musicxml/musicxml_slurs.h"
#include "interchange/musicxml/musicxml_ties.h"
#include "interchange/niff/niff_import.h"
#include "interchange/niff/niff_import_state.h"
#include "interchange/niff/niff_spanners.h"
#include "interchange/tests/musicxml/musicxml_fixtures.h"

namespace ql::musicxml {
namespace {

const std::string kScore =
    "<score-partwise><part-list><score-part id=\"P\"><part-name>Oboe</part-name></score-part></part-list>"
    "<part id=\"P\"><measure><attributes><divisions>1</divisions></attributes>"
    "<note><pitch><step>A</step><octave>4</octave></pitch><duration>4</duration><type>whole</type></note>"
    "</measure></part></score-partwise>";

std::vector<uint8_t> Declared(const std::string& encoding, const std::string& before = "") {
    return testing::BytesOf(before + "<?xml version=\"1.0\" encoding=\"" + encoding + "\"?>\r\n" + kScore);
}

// The same document in UTF-16LE with its byte order mark.
std::vector<uint8_t> Utf16(const std::vector<uint8_t>& ascii) {
    std::vector<uint8_t> wide{0xFF, 0xFE};
    for (uint8_t c : ascii) wide.insert(wide.end(), {c, 0});
    return wide;
}

MusicXmlConversion Plain(const std::vector<uint8_t>& bytes) {
    return ConvertMusicXml(bytes, MusicXmlForm::Plain);
}

// The NIFF import's reading passes over a conversion's bytes, released at the end.
struct ReadBack {
    explicit ReadBack(const MusicXmlConversion& conversion) {
        ResetProgramState();
        complete = niff::ReadNiffPasses(import, [&] { return ByteSource::FromMemory(conversion.niff); }).complete;
    }
    ~ReadBack() { niff::ReleaseNiffImport(import); }
    ReadBack(const ReadBack&) = delete;
    ReadBack& operator=(const ReadBack&) = delete;
    niff::NiffImportState import;
    bool complete = false;
};

TEST(MusicXmlOtherWriters, AnEightBitFileDeclaredUtf16IsReadAsUtf8) {
    const MusicXmlConversion plain = Plain(Declared("UTF-8"));
    ASSERT_TRUE(plain.ok) << plain.error;
    for (const std::string& bom : {std::string("\xEF\xBB\xBF"), std::string()}) {
        for (const char* declared : {"UTF-16", "utf-16"}) {
            const MusicXmlConversion result = Plain(Declared(declared, bom));
            ASSERT_TRUE(result.ok) << declared << ": " << result.error;
            EXPECT_EQ(result.niff, plain.niff) << declared;
        }
    }
    // A document that is UTF-16 keeps its declaration.
    const MusicXmlConversion wide = Plain(Utf16(Declared("UTF-16")));
    ASSERT_TRUE(wide.ok) << wide.error;
    EXPECT_EQ(wide.niff, plain.niff);
    // Other declared encodings are still the parser's to judge.
    EXPECT_FALSE(Plain(Declared("EBCDIC-XYZ")).ok);
}

// A note of a two-staff part: its pitch, staff, voice and slurs.
std::string Note(const char* step, int staff, int voice, const std::string& slurs = "") {
    return std::string("<note><pitch><step>") + step + "</step><octave>4</octave></pitch><duration>1</duration>"
           "<voice>" + std::to_string(voice) + "</voice><type>quarter</type><staff>" + std::to_string(staff) +
           "</staff>" + (slurs.empty() ? "" : "<notations>" + slurs + "</notations>") + "</note>";
}

std::string Slur(int number, const char* type) {
    return "<slur number=\"" + std::to_string(number) + "\" type=\"" + type + "\"/>";
}

// Measure 1: slur 1 from the lower staff's first beat to the upper staff's second
// (whose staff is written first); then slur 1 again on the lower staff from beat 3
// to beat 4, and slur 2 on the upper staff from beat 3 to the next measure's first
// beat.
std::string CrossStaffScore() {
    return "<score-partwise><part-list><score-part id=\"P\"/></part-list><part id=\"P\"><measure>"
           "<attributes><divisions>1</divisions><staves>2</staves>"
           "<clef number=\"1\"><sign>G</sign><line>2</line></clef>"
           "<clef number=\"2\"><sign>F</sign><line>4</line></clef></attributes>" +
           Note("C", 1, 1) + Note("D", 1, 1, Slur(1, "stop")) + Note("E", 1, 1, Slur(2, "start")) + Note("F", 1, 1) +
           "<backup><duration>4</duration></backup>" + Note("C", 2, 5, Slur(1, "start")) + Note("D", 2, 5) +
           Note("E", 2, 5, Slur(1, "start")) + Note("F", 2, 5, Slur(1, "stop")) +
           "</measure><measure>" + Note("G", 1, 1, Slur(2, "stop")) + Note("A", 1, 1) + Note("B", 1, 1) +
           Note("C", 1, 1) + "<backup><duration>4</duration></backup>" + Note("C", 2, 5) + Note("D", 2, 5) +
           Note("E", 2, 5) + Note("F", 2, 5) + "</measure></part></score-partwise>";
}

// The NIFF import reads `count` slurs, and none that crosses staves, has no end,
// ends before its start or at its own note.
void ExpectSlursRead(const MusicXmlConversion& conversion, size_t count) {
    ReadBack read(conversion);
    ASSERT_TRUE(read.complete);
    EXPECT_EQ(read.import.frame.spanners.slurs.size(), count);
    for (const char* kind : {niff::kNiffSpannersAcrossStaves, niff::kNiffSpannersUnended, niff::kNiffSpannersReversed,
                             niff::kNiffSpannersToThemselves})
        EXPECT_EQ(read.import.report.CountOf(kind), 0) << kind;
}

TEST(MusicXmlOtherWriters, ASlurAcrossStavesIsLeftOutAndFreesItsNumber) {
    const MusicXmlConversion conversion = Plain(testing::BytesOf(CrossStaffScore()));
    ASSERT_TRUE(conversion.ok) << conversion.error;
    EXPECT_EQ(conversion.skipped.CountOf(kSlursAcrossStaves), 1);
    EXPECT_EQ(conversion.skipped.CountOf("slur end without its start"), 0);
    EXPECT_EQ(conversion.skipped.CountOf("slur started again before its end"), 0);
    // The two slurs of one staff each, each from its own start to its own end.
    ExpectSlursRead(conversion, 2);
}

// Slur 1 in the upper voice from beat 1 to beat 4 and slur 1 in the lower voice of
// the same staff from beat 2 to beat 3, as programs that number each voice's slurs
// on their own write them; and slur 1 on the lower staff over the same beats.
std::string VoicesScore() {
    return "<score-partwise><part-list><score-part id=\"P\"/></part-list><part id=\"P\"><measure>"
           "<attributes><divisions>1</divisions><staves>2</staves></attributes>" +
           Note("C", 1, 1, Slur(1, "start")) + Note("D", 1, 1) + Note("E", 1, 1) + Note("F", 1, 1, Slur(1, "stop")) +
           "<backup><duration>4</duration></backup>" + Note("C", 1, 2) + Note("D", 1, 2, Slur(1, "start")) +
           Note("E", 1, 2, Slur(1, "stop")) + Note("F", 1, 2) + "<backup><duration>4</duration></backup>" +
           Note("C", 2, 5) + Note("D", 2, 5, Slur(1, "start")) + Note("E", 2, 5, Slur(1, "stop")) + Note("F", 2, 5) +
           "</measure></part></score-partwise>";
}

TEST(MusicXmlOtherWriters, EachVoiceKeepsItsOwnSlurNumbers) {
    const MusicXmlConversion conversion = Plain(testing::BytesOf(VoicesScore()));
    ASSERT_TRUE(conversion.ok) << conversion.error;
    EXPECT_TRUE(conversion.skipped.Counts().empty()) << conversion.skipped.Text();
    ExpectSlursRead(conversion, 3);
}

// One part of one staff whose notes (given whole, inside <note>) are quarters of
// one division, four to the measure.
std::string OneStaffScore(const std::vector<std::string>& notes) {
    std::string xml = "<score-partwise><part-list><score-part id=\"P\"/></part-list><part id=\"P\">";
    for (size_t i = 0; i < notes.size(); ++i) {
        if (i % 4 == 0) xml += i == 0 ? "<measure><attributes><divisions>1</divisions></attributes>" : "<measure>";
        xml += "<note>" + notes[i] + "<duration>1</duration><type>quarter</type></note>";
        if (i % 4 == 3 || i + 1 == notes.size()) xml += "</measure>";
    }
    return xml + "</part></score-partwise>";
}

// C5 tied over three barlines with only "start" on the notes inside the chain,
// then a plain note: three ties, each ending at the next C5. The first two have
// rests between their notes and are written as slurs; the last is a tie.
TEST(MusicXmlOtherWriters, AChainOfTieStartsTiesEachNoteToTheNext) {
    const std::string c5 = "<pitch><step>C</step><octave>5</octave></pitch>";
    const std::string start = "<notations><tied type=\"start\"/></notations>";
    const std::string stop = "<notations><tied type=\"stop\"/></notations>";
    std::vector<std::string> notes{"<rest/>", "<rest/>", "<rest/>", c5 + start};
    for (int m = 0; m < 2; ++m) notes.insert(notes.end(), {"<rest/>", "<rest/>", "<rest/>", c5 + start});
    notes.insert(notes.end(), {c5 + stop, c5});
    const MusicXmlConversion conversion = Plain(testing::BytesOf(OneStaffScore(notes)));
    ASSERT_TRUE(conversion.ok) << conversion.error;
    EXPECT_EQ(conversion.skipped.CountOf(kTiesAsSlurs), 2);
    ReadBack read(conversion);
    ASSERT_TRUE(read.complete);
    const niff::NiffImportState& import = read.import;
    EXPECT_EQ(import.frame.spanners.ties.size(), 1u);
    EXPECT_EQ(import.frame.spanners.slurs.size(), 2u);
    EXPECT_EQ(import.report.CountOf(niff::kNiffTiesUnended), 0);
}

// A tie from the upper voice's whole note to the next measure, while the lower
// voice of the same staff has a value at the same pitch that is split into tied
// notes (a whole of five quarters' length): the upper tie still reaches its end.
TEST(MusicXmlOtherWriters, TiesOfTwoVoicesAtOnePitchKeepTheirOwnEnds) {
    const std::string f4 = "<pitch><step>F</step><octave>4</octave></pitch>";
    const std::string xml =
        "<score-partwise><part-list><score-part id=\"P\"/></part-list><part id=\"P\"><measure>"
        "<attributes><divisions>1</divisions><time><beats>5</beats><beat-type>4</beat-type></time></attributes>"
        "<note>" + f4 + "<duration>5</duration><voice>1</voice><notations><tied type=\"start\"/></notations></note>"
        "<backup><duration>5</duration></backup>"
        "<note>" + f4 + "<duration>5</duration><voice>2</voice></note></measure><measure>"
        "<note>" + f4 + "<duration>5</duration><voice>1</voice><notations><tied type=\"stop\"/></notations></note>"
        "</measure></part></score-partwise>";
    const MusicXmlConversion conversion = Plain(testing::BytesOf(xml));
    ASSERT_TRUE(conversion.ok) << conversion.error;
    ReadBack read(conversion);
    ASSERT_TRUE(read.complete);
    const niff::NiffImportState& import = read.import;
    // The notes are numbered as written, in time order with the upper voice first
    // at one time: 0 and 1 the two voices' wholes, 2 and 3 their quarters, then
    // the second measure's whole (4) and quarter (5). Each split value is tied
    // within its voice, and the upper voice's tie reaches the next measure.
    std::set<std::pair<int, int>> ties;
    for (const niff::NiffTieRequest& tie : import.frame.spanners.ties) ties.insert({tie.start, tie.end});
    const std::set<std::pair<int, int>> expected{{0, 2}, {1, 3}, {2, 4}, {4, 5}};
    EXPECT_EQ(ties, expected);
    EXPECT_EQ(import.report.CountOf(niff::kNiffTiesUnended), 0);
}

// An unpitched note stands at its display step and octave, as the pitched note
// there would; its staff, given no clef, has the percussion clef. Nothing is
// left out.
TEST(MusicXmlOtherWriters, AnUnpitchedNoteStandsWhereTheFileShowsIt) {
    const MusicXmlConversion pitched =
        Plain(testing::BytesOf(OneStaffScore({"<pitch><step>E</step><octave>5</octave></pitch>"})));
    const MusicXmlConversion unpitched = Plain(testing::BytesOf(
        OneStaffScore({"<unpitched><display-step>E</display-step><display-octave>5</display-octave></unpitched>"})));
    ASSERT_TRUE(pitched.ok) << pitched.error;
    ASSERT_TRUE(unpitched.ok) << unpitched.error;
    std::string percussion = testing::ChunkDump(unpitched.niff);
    const size_t clef = percussion.find("clef 04 02 00");
    ASSERT_NE(clef, std::string::npos) << percussion;
    EXPECT_EQ(percussion.replace(clef, 13, "clef 01 02 00"), testing::ChunkDump(pitched.niff));
    EXPECT_EQ(unpitched.skipped.Total(), 0);
}

// Slurs to and from grace notes are kept: a slur from a grace note to the note
// it leads to joins the two, and one that goes on past that note starts at the
// grace note.
TEST(MusicXmlOtherWriters, ASlurFromAGraceNoteStartsOnTheGraceNote) {
    const std::string grace = "<grace/><pitch><step>B</step><octave>4</octave></pitch>";
    auto note = [](const char* step, const std::string& notations = "") {
        return std::string("<pitch><step>") + step + "</step><octave>5</octave></pitch>" +
               (notations.empty() ? "" : "<notations>" + notations + "</notations>");
    };
    auto quarters = [](const std::vector<std::string>& notes) {
        std::string measure = "<measure>";
        for (const std::string& content : notes)
            measure += "<note>" + content + "<duration>1</duration><type>quarter</type></note>";
        return measure + "</measure>";
    };
    // Measure 1: a grace note slurred to C5 (slur 1), then D5 E5 F5. Measure 2: a
    // grace note slurred to the chord C5 E5 whose upper note ends slur 2, then one
    // slurred (slur 3) past its C5 to D5, and a slur 1 of the file's own from that
    // D5 to E5.
    const std::string xml =
        "<score-partwise><part-list><score-part id=\"P\"/></part-list><part id=\"P\">" +
        quarters({grace + "<notations>" + Slur(1, "start") + "</notations>", note("C", Slur(1, "stop")), note("D"),
                  note("E"), note("F")}) +
        quarters({grace + "<notations>" + Slur(2, "start") + "</notations>", note("C"),
                  "<chord/>" + note("E", Slur(2, "stop")), grace + "<notations>" + Slur(3, "start") + "</notations>",
                  note("C"), note("D", Slur(3, "stop") + Slur(1, "start")), note("E", Slur(1, "stop"))}) +
        "</part></score-partwise>";
    const MusicXmlConversion conversion = Plain(testing::BytesOf(xml));
    ASSERT_TRUE(conversion.ok) << conversion.error;
    EXPECT_EQ(conversion.skipped.CountOf("grace note"), 0);
    EXPECT_EQ(conversion.skipped.Total(), 0) << conversion.skipped.Text();
    EXPECT_EQ(conversion.skipped.CountOf("slur end without its start"), 0) << conversion.skipped.Text();
    EXPECT_EQ(conversion.skipped.CountOf("slur started again before its end"), 0) << conversion.skipped.Text();
    ReadBack read(conversion);
    ASSERT_TRUE(read.complete);
    // Notes in time order, each grace note before its note: B C D E F (0-4), B
    // and the chord C E (5-7), B C D E (8-11): slur 1 from the first B to the C,
    // slur 2 from the second B to the chord, slur 3 from the third B past its C to
    // the D, and slur 1 from that D to the E.
    std::set<std::pair<int, int>> slurs;
    for (const niff::NiffSlurRequest& slur : read.import.frame.spanners.slurs) slurs.insert({slur.first, slur.last});
    const std::set<std::pair<int, int>> expected{{0, 1}, {5, 6}, {8, 10}, {10, 11}};
    EXPECT_EQ(slurs, expected);
}

}  // namespace
}  // namespace ql::musicxml
