// The NIFF a small score converts to, chunk by chunk as the NIFF reader sees it:
// measure and event slices in whole notes, the clef, key and time, stems with
// their direction and voice, notes on the staff steps of the clef, accidentals
// against the key, a beam group, a tie over the barline and a lyric.
#include <gtest/gtest.h>

#include <string>

#include "interchange/musicxml/musicxml_convert.h"
#include "interchange/niff/niff_reader.h"
#include "interchange/tests/musicxml/musicxml_fixtures.h"
#include "interchange/tests/niff/niff_recorder.h"

namespace ql::musicxml {
namespace {

TEST(MusicXmlNiffDump, OneStaffOfTwoMeasures) {
    const MusicXmlConversion conversion = ConvertMusicXml(
        testing::BytesOf(
            "<score-partwise><part-list><score-part id=\"P\"><part-name>V</part-name></score-part></part-list>"
            "<part id=\"P\"><measure><attributes><divisions>2</divisions><key><fifths>-2</fifths></key>"
            "<time><beats>3</beats><beat-type>4</beat-type></time><clef><sign>G</sign><line>2</line></clef></attributes>"
            "<note><pitch><step>C</step><octave>5</octave></pitch><duration>2</duration><type>quarter</type><stem>up</stem>"
            "<lyric><syllabic>begin</syllabic><text>la</text></lyric></note>"
            "<note><pitch><step>E</step><alter>-1</alter><octave>5</octave></pitch><duration>1</duration><type>eighth</type>"
            "<beam number=\"1\">begin</beam></note>"
            "<note><pitch><step>F</step><alter>1</alter><octave>5</octave></pitch><duration>1</duration><type>eighth</type>"
            "<beam number=\"1\">end</beam></note>"
            "<note><pitch><step>B</step><octave>4</octave></pitch><duration>2</duration><type>quarter</type>"
            "<notations><tied type=\"start\"/></notations></note></measure>"
            "<measure><note><pitch><step>B</step><octave>4</octave></pitch><duration>6</duration><type>half</type><dot/>"
            "<notations><tied type=\"stop\"/></notations></note></measure></part></score-partwise>"),
        MusicXmlForm::Plain);
    ASSERT_TRUE(conversion.ok) << conversion.error;
    // Values as the reader gives them (little-endian); steps count from the bottom
    // line (E4 in the treble clef); E-flat is in the key, F-sharp and B-natural are not.
    EXPECT_EQ(testing::ChunkDump(conversion.niff),
              "  tag 32 00 00\n"          // part 0
              "  tag 17 8d 01\n"          // staff height 397
              "tmsl 01 00 00 00 01 00\n"  // measure at 0/1
              "clef 01 02 00\n"
              "keys 09\n"                 // two flats
              "time 03 04\n"
              "tmsl 02 00 00 00 01 00\n"
              "  tag 22 00 01 00\n"       // stem up
              "  tag 47 01 00\n"          // the file's voice 1
              "stem\n"
              "note 04 05 01 00 04 00\n"  // C5, 1/4
              "lyrc 01 00 00 00 00 00\n"  // "la-", verse 1
              "tmsl 02 00 01 00 04 00\n"
              "  tag 47 01 00\n"
              "stem\n"
              "  tag 18 01 00\n"
              "beam 00 01\n"
              "note 04 07 01 00 08 00\n"  // E-flat 5, 1/8
              "tmsl 02 00 03 00 08 00\n"
              "  tag 47 01 00\n"
              "stem\n"
              "  tag 18 01 00\n"
              "beam 01 00\n"
              "note 04 08 01 00 08 00\n"  // F-sharp 5
              "acdl 04\n"
              "tmsl 02 00 01 00 02 00\n"
              "  tag 47 01 00\n"
              "stem\n"
              "note 04 04 01 00 04 00\n"  // B-natural 4
              "acdl 03\n"
              "  tag 18 02 00\n"
              "tie \n"
              "tmsl 01 00 03 00 04 00\n"  // measure 2 at 3/4
              "tmsl 02 00 00 00 01 00\n"
              "  tag 47 01 00\n"
              "stem\n"
              "note 03 04 03 00 04 00\n"  // dotted half, 3/4
              "acdl 03\n"                 // natural again: the pitch comes from it
              "  tag 18 02 00\n"
              "tie \n");
}

// A B-flat clarinet part (written a tone above its sound), its transposition
// restated in a later measure: the part's transposition is the importer's negation
// of -2, whatever the number of restatements.
TEST(MusicXmlNiffDump, TransposingPartWritesItsTranspositionOnce) {
    const std::string transpose = "<transpose><diatonic>-1</diatonic><chromatic>-2</chromatic></transpose>";
    const MusicXmlConversion conversion = ConvertMusicXml(
        testing::BytesOf("<score-partwise><part-list><score-part id=\"P\"><midi-instrument id=\"i\"><midi-channel>3"
                         "</midi-channel></midi-instrument></score-part></part-list><part id=\"P\">"
                         "<measure><attributes><divisions>1</divisions>" + transpose + "</attributes>"
                         "<note><pitch><step>C</step><octave>5</octave></pitch><duration>4</duration></note></measure>"
                         "<measure><attributes>" + transpose + "</attributes>"
                         "<note><pitch><step>C</step><octave>5</octave></pitch><duration>4</duration></note></measure>"
                         "</part></score-partwise>"),
        MusicXmlForm::Plain);
    ASSERT_TRUE(conversion.ok) << conversion.error;
    niff::testing::Recorder recorder;
    auto reader = niff::testing::RecordingReader(conversion.niff, recorder);
    niff::RunNiffPass(*reader);
    const std::vector<niff::testing::Call> parts = niff::testing::CallsOf(recorder, "data part");
    ASSERT_EQ(parts.size(), 1u);
    ASSERT_EQ(parts[0].bytes.size(), 14u);
    EXPECT_EQ(parts[0].bytes[11], 2);     // MIDI channel 3, numbered from 0
    EXPECT_EQ(parts[0].bytes[12], 0xFF);  // no cable
    EXPECT_EQ(parts[0].bytes[13], 2);     // transposition
}

// A chord and a rest of five eighths, with no type: no note shows the value, so
// each becomes a half and an eighth, the chord's notes tied across, the rests not.
// The file gives no time signature: the measure's ten eighths make it 5/4.
TEST(MusicXmlNiffDump, ValuesNoNoteShowsAreSplitLargestFirst) {
    const std::string chord = "<pitch><step>C</step><octave>5</octave></pitch><duration>5</duration>";
    const MusicXmlConversion conversion = ConvertMusicXml(
        testing::BytesOf("<score-partwise><part-list><score-part id=\"P\"/></part-list><part id=\"P\"><measure>"
                         "<attributes><divisions>2</divisions></attributes><note>" + chord +
                         "<lyric><text>la</text></lyric></note>"
                         "<note><chord/><pitch><step>E</step><octave>5</octave></pitch><duration>5</duration></note>"
                         "<note><rest/><duration>5</duration></note></measure></part></score-partwise>"),
        MusicXmlForm::Plain);
    ASSERT_TRUE(conversion.ok) << conversion.error;
    const std::string dump = testing::ChunkDump(conversion.niff);
    EXPECT_EQ(dump.substr(dump.find("time ")),
              "time 05 04\n"
              "tmsl 02 00 00 00 01 00\n"
              "  tag 47 01 00\n"
              "stem\n"
              "note 03 05 01 00 02 00\n"  // C5, a half
              "  tag 18 01 00\n"
              "tie \n"
              "lyrc 01 00 00 00 00 00\n"  // the lyric on the first part
              "note 03 07 01 00 02 00\n"  // E5, a half
              "  tag 18 02 00\n"
              "tie \n"
              "tmsl 02 00 01 00 02 00\n"
              "  tag 47 01 00\n"
              "stem\n"
              "note 04 05 01 00 08 00\n"  // C5, an eighth, tied from the half
              "  tag 18 01 00\n"
              "tie \n"
              "note 04 07 01 00 08 00\n"
              "  tag 18 02 00\n"
              "tie \n"
              "tmsl 02 00 05 00 08 00\n"
              "  tag 47 01 00\n"
              "rest 03 04 01 00 02 00\n"  // a half rest, then an eighth rest
              "tmsl 02 00 09 00 08 00\n"
              "  tag 47 01 00\n"
              "rest 05 04 01 00 08 00\n");
}

}  // namespace
}  // namespace ql::musicxml

namespace ql::musicxml {
namespace {

// Two voices each sing verse 1 and voice 2 opens with a rest the file does not
// show: the voices' syllables go to lines 0 and 1; the rest is written invisible.
TEST(MusicXmlNiffDump, EachVoiceSingsOnItsOwnLineAndHiddenRestsAreTimeOnly) {
    const auto note = [](const char* step, int voice, const char* type, int duration, const char* syllable) {
        return std::string("<note><pitch><step>") + step + "</step><octave>4</octave></pitch><duration>" +
               std::to_string(duration) + "</duration><voice>" + std::to_string(voice) + "</voice><type>" + type +
               "</type><lyric number=\"1\"><text>" + syllable + "</text></lyric></note>";
    };
    const MusicXmlConversion conversion = ConvertMusicXml(
        testing::BytesOf("<score-partwise><part-list><score-part id=\"P\"/></part-list><part id=\"P\"><measure>"
                         "<attributes><divisions>1</divisions><time><beats>2</beats><beat-type>4</beat-type></time>"
                         "</attributes>" + note("C", 1, "half", 2, "la") + "<backup><duration>2</duration></backup>"
                         "<note print-object=\"no\"><rest/><duration>1</duration><voice>2</voice></note>" +
                         note("A", 2, "quarter", 1, "lo") + "</measure></part></score-partwise>"),
        MusicXmlForm::Plain);
    ASSERT_TRUE(conversion.ok) << conversion.error;
    const std::string dump = testing::ChunkDump(conversion.niff);
    EXPECT_NE(dump.find("  tag 19\nrest "), std::string::npos) << dump;
    EXPECT_NE(dump.find("lyrc 01 00 00 00 00 00\n"), std::string::npos) << dump;  // "la", line 0
    EXPECT_NE(dump.find("lyrc 04 00 00 00 01 00\n"), std::string::npos) << dump;  // "lo", line 1
}

// Three lyrics of one note that the file numbers 1 (telling them apart by name)
// take three lines, not one.
TEST(MusicXmlNiffDump, LyricsOfOneNoteNumberedAlikeTakeLinesOfTheirOwn) {
    std::string lyrics;
    for (const char* name : {"Verse", "Chorus", "Chorus"})
        lyrics += std::string("<lyric number=\"1\" name=\"") + name + "\"><text>" + name + "</text></lyric>";
    const MusicXmlConversion conversion = ConvertMusicXml(
        testing::BytesOf("<score-partwise><part-list><score-part id=\"P\"/></part-list><part id=\"P\"><measure>"
                         "<attributes><divisions>1</divisions></attributes><note><pitch><step>C</step>"
                         "<octave>5</octave></pitch><duration>4</duration>" + lyrics +
                         "</note></measure></part></score-partwise>"),
        MusicXmlForm::Plain);
    ASSERT_TRUE(conversion.ok) << conversion.error;
    const std::string dump = testing::ChunkDump(conversion.niff);
    for (const char* line : {"00 00\n", "01 00\n", "02 00\n"})
        EXPECT_NE(dump.find(std::string(" 00 00 00 ") + line), std::string::npos) << line << dump;
}

// Stems the file does not give: beside another voice each voice takes its side
// (the first voice up though its note lies low, the second down though its note
// lies high); a voice alone follows its notes; a stem the file says is none is
// written hidden.
TEST(MusicXmlNiffDump, StemsTakeTheirVoicesSideAndNoneIsHidden) {
    const auto note = [](const char* step, int octave, int voice, const char* stem) {
        return std::string("<note><pitch><step>") + step + "</step><octave>" + std::to_string(octave) +
               "</octave></pitch><duration>2</duration><voice>" + std::to_string(voice) +
               "</voice><type>half</type>" + stem + "</note>";
    };
    const MusicXmlConversion conversion = ConvertMusicXml(
        testing::BytesOf("<score-partwise><part-list><score-part id=\"P\"/></part-list><part id=\"P\"><measure>"
                         "<attributes><divisions>1</divisions><time><beats>2</beats><beat-type>4</beat-type></time>"
                         "</attributes>" + note("D", 4, 1, "") + "<backup><duration>2</duration></backup>" +
                         note("A", 5, 2, "") + "</measure><measure>" + note("D", 4, 1, "<stem>none</stem>") +
                         "</measure></part></score-partwise>"),
        MusicXmlForm::Plain);
    ASSERT_TRUE(conversion.ok) << conversion.error;
    const std::string dump = testing::ChunkDump(conversion.niff);
    EXPECT_NE(dump.find("  tag 22 00 01 00\n  tag 47 01 00\nstem\nnote 03 ff"), std::string::npos) << dump;
    EXPECT_NE(dump.find("  tag 22 00 02 00\n  tag 47 02 00\nstem\nnote 03 0a"), std::string::npos) << dump;
    EXPECT_NE(dump.find("  tag 19\n  tag 47 01 00\nstem\nnote 03 ff"), std::string::npos) << dump;
}

// Two beamed eighth chords of a piano's right hand whose lower notes stand on the
// left hand's staff, stems up, the beams on each chord's first (lower) note: each
// staff's part is a chord with its own stem up, beamed with the other chord's part
// on its staff.
TEST(MusicXmlNiffDump, AChordOnTwoStavesIsStemmedAndBeamedOnEachStaff) {
    const auto chord = [](const char* beam) {
        const auto note = [](bool chorded, const char* step, int octave, int staff, const std::string& beams) {
            return std::string("<note>") + (chorded ? "<chord/>" : "") + "<pitch><step>" + step + "</step><octave>" +
                   std::to_string(octave) + "</octave></pitch><duration>1</duration><voice>1</voice>"
                   "<type>eighth</type><stem>up</stem><staff>" + std::to_string(staff) + "</staff>" + beams + "</note>";
        };
        return note(false, "A", 3, 2, std::string("<beam number=\"1\">") + beam + "</beam>") +
               note(true, "E", 4, 1, "");
    };
    const MusicXmlConversion conversion = ConvertMusicXml(
        testing::BytesOf("<score-partwise><part-list><score-part id=\"P\"/></part-list><part id=\"P\"><measure>"
                         "<attributes><divisions>2</divisions><time><beats>1</beats><beat-type>4</beat-type></time>"
                         "<staves>2</staves><clef number=\"1\"><sign>G</sign><line>2</line></clef><clef number=\"2\">"
                         "<sign>F</sign><line>4</line></clef></attributes>" + chord("begin") + chord("end") +
                         "</measure></part></score-partwise>"),
        MusicXmlForm::Plain);
    ASSERT_TRUE(conversion.ok) << conversion.error;
    const std::string dump = testing::ChunkDump(conversion.niff);
    const std::string upper = dump.substr(0, dump.find("  tag 47 01 00\n  tag 17"));
    const std::string lower = dump.substr(upper.size());
    for (const std::string& staff : {upper, lower}) {
        for (const char* beam : {"beam 00 01\n", "beam 01 00\n"})
            EXPECT_NE(staff.find(std::string(" 00\n") + beam), std::string::npos) << staff;
        EXPECT_EQ(staff.find("  tag 19\n"), std::string::npos) << staff;
        EXPECT_NE(staff.find("  tag 22 00 01 00\n  tag 47 01 00\nstem\n"), std::string::npos) << staff;
    }
}

}  // namespace
}  // namespace ql::musicxml
