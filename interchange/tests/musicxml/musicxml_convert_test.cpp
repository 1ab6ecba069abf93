// MusicXML to NIFF: partwise, timewise and compressed forms of one score give the
// same NIFF bytes, which the NIFF reader reads to the end; hostile and damaged
// files end with a one-line reason.
#include <gtest/gtest.h>

#include <algorithm>

#include "interchange/byte_source.h"
#include "interchange/musicxml/musicxml_convert.h"
#include "interchange/musicxml/mxl_archive.h"
#include "interchange/niff/niff_import.h"
#include "interchange/niff/niff_import_state.h"
#include "interchange/tests/musicxml/musicxml_fixtures.h"

namespace ql::musicxml {
namespace {

using testing::BytesOf;
using testing::ContainerFor;
using testing::FixtureBytes;
using testing::ZipOf;

MusicXmlConversion Plain(const std::vector<uint8_t>& bytes) { return ConvertMusicXml(bytes, MusicXmlForm::Plain); }
MusicXmlConversion Zipped(const std::vector<uint8_t>& bytes) { return ConvertMusicXml(bytes, MusicXmlForm::Compressed); }

bool Contains(const std::vector<uint8_t>& bytes, std::string_view text) {
    return std::search(bytes.begin(), bytes.end(), text.begin(), text.end()) != bytes.end();
}

TEST(MusicXmlConvert, PartwiseTimewiseAndCompressedGiveTheSameNiff) {
    const MusicXmlConversion partwise = Plain(FixtureBytes("duet_partwise.xml"));
    ASSERT_TRUE(partwise.ok) << partwise.error;
    const MusicXmlConversion timewise = Plain(FixtureBytes("duet_timewise.xml"));
    ASSERT_TRUE(timewise.ok) << timewise.error;
    EXPECT_EQ(partwise.niff, timewise.niff);

    const std::vector<uint8_t> score = FixtureBytes("duet_partwise.xml");
    const MusicXmlConversion withContainer =
        Zipped(ZipOf({{"META-INF/container.xml", ContainerFor("music/duet.xml")}, {"music/duet.xml", score}}));
    ASSERT_TRUE(withContainer.ok) << withContainer.error;
    EXPECT_EQ(withContainer.niff, partwise.niff);
    const MusicXmlConversion fallback = Zipped(ZipOf({{"notes.txt", BytesOf("x")}, {"duet.musicxml", score}}));
    ASSERT_TRUE(fallback.ok) << fallback.error;
    EXPECT_EQ(fallback.niff, partwise.niff);
}

// The chorale's two systems: the second begins at its print new-system (the
// fourth measure, at 9/4 after the quarter pickup and two whole measures), and
// each system brackets the two parts (stfg type 3, a pad, over staves 1..2).
TEST(MusicXmlConvert, NewSystemAndBracketGroupReachTheNiff) {
    const MusicXmlConversion partwise = Plain(FixtureBytes("chorale_partwise.xml"));
    ASSERT_TRUE(partwise.ok) << partwise.error;
    const MusicXmlConversion timewise = Plain(FixtureBytes("chorale_timewise.xml"));
    ASSERT_TRUE(timewise.ok) << timewise.error;
    EXPECT_EQ(partwise.niff, timewise.niff);
    const std::string dump = testing::ChunkDump(partwise.niff, "syhd");
    const size_t second = dump.find("syhd\n");
    ASSERT_NE(second, std::string::npos) << dump;
    EXPECT_EQ(dump.find("syhd\n", second + 1), std::string::npos) << dump;  // two systems in all
    EXPECT_EQ(dump.substr(second).rfind("syhd\nstfg 03 00 01 00 02 00\n", 0), 0u) << dump;
    const size_t measure = dump.find("tmsl 01", second);
    ASSERT_NE(measure, std::string::npos);
    EXPECT_EQ(dump.substr(measure, dump.find('\n', measure) - measure), "tmsl 01 00 09 00 04 00");
}

TEST(MusicXmlConvert, NiffOutputIsReadToTheEndWithPartsAndTexts) {
    const MusicXmlConversion conversion = Plain(FixtureBytes("duet_partwise.xml"));
    ASSERT_TRUE(conversion.ok) << conversion.error;
    const std::vector<uint8_t>& niff = conversion.niff;
    ASSERT_GE(niff.size(), 12u);
    EXPECT_EQ(std::string(niff.begin(), niff.begin() + 4), "RIFX");
    EXPECT_EQ(std::string(niff.begin() + 8, niff.begin() + 12), "NIFF");
    for (const char* text : {"Clarinet", "Cl.", "Piano", "Aria", "A-", "ri", "dolce", "tie ", "beam", "acdl", "dynm", "lyrc", "stfg"})
        EXPECT_TRUE(Contains(niff, text)) << text;
    EXPECT_FALSE(Contains(niff, "INAM"));
    niff::NiffImportState state;
    const niff::NiffReadResult read =
        niff::ReadNiffPasses(state, [&] { return ByteSource::FromMemory(niff); });
    EXPECT_TRUE(read.read);
    EXPECT_TRUE(read.complete);
    EXPECT_EQ(state.staffCount, 3);
    EXPECT_EQ(state.parts.size(), 2u);
    EXPECT_EQ(state.frame.staves[1].label, "Clarinet");
    EXPECT_EQ(state.frame.staves[1].channel, 1);
    EXPECT_EQ(state.frame.staves[2].label, "Piano");
    EXPECT_EQ(state.frame.staves[3].label, "");  // the piano's second staff
    niff::ReleaseNiffImport(state);
    // Written (the grace note and the staccato), and left out and counted by name.
    EXPECT_EQ(conversion.skipped.CountOf("grace note"), 0);
    EXPECT_EQ(conversion.skipped.CountOf("staccato"), 0);
    EXPECT_EQ(conversion.skipped.CountOf("diatonic"), 1);
}

TEST(MusicXmlConvert, HostileDocumentsEndWithOneLineReasons) {
    struct Case {
        std::string document;
        std::string reason;
    };
    const std::string laughs =
        "<?xml version=\"1.0\"?><!DOCTYPE lolz [<!ENTITY lol \"lol\"><!ENTITY lol2 \"&lol;&lol;&lol;&lol;\">]>"
        "<score-partwise>&lol2;</score-partwise>";
    const std::string external =
        "<?xml version=\"1.0\"?><!DOCTYPE s [<!ENTITY x SYSTEM \"/etc/passwd\">]><score-partwise>&x;</score-partwise>";
    const Case cases[] = {
        {laughs, "entity declarations are not accepted"},
        {external, "entity declarations are not accepted"},
        {"<?xml version=\"1.0\" encoding=\"EBCDIC-XYZ\"?><score-partwise/>", "the encoding \"EBCDIC-XYZ\" is not supported"},
        {std::string(100000, ' ').replace(0, 100000, "") + [] {
             std::string deep = "<score-partwise>";
             for (int i = 0; i < 100000; ++i) deep += "<a>";
             return deep;
         }(),
         "nested deeper than 256 levels"},
        {"<score-partwise><part-list><score-part id=\"P1\"/></part-list><part id=\"P1\"><measure>", "line 1"},
        {"<html/>", "not a MusicXML score"},
        {"<score-partwise><part-list/><part id=\"Q\"/></score-partwise>", "not in the part list"},
        {"<score-partwise><part-list><score-part id=\"P\"/></part-list><part id=\"P\"><measure><attributes>"
         "<staves>5</staves></attributes></measure></part></score-partwise>",
         "more than four staves in one part"},
    };
    for (const Case& test : cases) {
        const MusicXmlConversion result = Plain(BytesOf(test.document));
        EXPECT_FALSE(result.ok) << test.reason;
        EXPECT_NE(result.error.find(test.reason), std::string::npos) << result.error;
        EXPECT_EQ(result.error.find('\n'), std::string::npos) << result.error;
        EXPECT_TRUE(result.niff.empty());
    }
}

TEST(MusicXmlConvert, OutOfRangeNumbersSkipTheirItemWithACount) {
    const MusicXmlConversion result = Plain(BytesOf(
        "<score-partwise><part-list><score-part id=\"P\"/></part-list><part id=\"P\"><measure>"
        "<attributes><divisions>1</divisions></attributes>"
        "<note><pitch><step>C</step><octave>-3</octave></pitch><duration>1</duration></note>"
        "<note><pitch><step>C</step><octave>4</octave></pitch><duration>99999999999</duration></note>"
        "<note><pitch><step>C</step><octave>4</octave></pitch><duration>1</duration><type>quarter</type></note>"
        "</measure></part></score-partwise>"));
    ASSERT_TRUE(result.ok) << result.error;
    EXPECT_EQ(result.skipped.CountOf("out-of-range number in <octave>"), 1);
    EXPECT_EQ(result.skipped.CountOf("out-of-range number in <duration>"), 1);
}

// Notes about the file in its identification (the encoding, its software, fields
// of its own) have nothing to show: they are read past without a count.
TEST(MusicXmlConvert, NotesAboutTheFileAreReadPastUncounted) {
    const MusicXmlConversion result = Plain(BytesOf(
        "<score-partwise><identification><encoding><software>A</software></encoding><miscellaneous>"
        "<miscellaneous-field name=\"description\">What the file tests</miscellaneous-field></miscellaneous>"
        "</identification><part-list><score-part id=\"P\"/></part-list><part id=\"P\"><measure>"
        "<note><pitch><step>C</step><octave>4</octave></pitch><duration>1</duration><type>quarter</type></note>"
        "</measure></part></score-partwise>"));
    ASSERT_TRUE(result.ok) << result.error;
    EXPECT_TRUE(result.skipped.Empty()) << result.skipped.Text();
}

TEST(MusicXmlConvert, DamagedAndHostileArchivesEndWithOneLineReasons) {
    const std::vector<uint8_t> score = FixtureBytes("duet_partwise.xml");
    std::vector<uint8_t> truncated = ZipOf({{"duet.xml", score}});
    truncated.resize(truncated.size() / 2);
    std::vector<uint8_t> corrupt = ZipOf({{"duet.xml", score}});
    corrupt[60] ^= 0x55;  // inside the stored entry's data: the CRC no longer matches
    const std::vector<uint8_t> bomb(kMaxEntryBytes + 1, ' ');
    struct Case {
        std::vector<uint8_t> archive;
        std::string reason;
    };
    const Case cases[] = {
        {truncated, "not a readable zip archive"},
        {ZipOf({{"META-INF/container.xml", ContainerFor("gone.xml")}, {"duet.xml", score}}), "\"gone.xml\" named by the container is missing"},
        {ZipOf({{"../x.xml", score}}), "the archive holds no score"},
        {ZipOf({{"big.xml", bomb}}), "larger than 64 MiB"},
        {BytesOf("not a zip at all"), "not a readable zip archive"},
        {ZipOf({{"duet.xml", score}}, true), "the entry \"duet.xml\" is encrypted"},
    };
    for (const Case& test : cases) {
        const MusicXmlConversion result = Zipped(test.archive);
        EXPECT_FALSE(result.ok) << test.reason;
        EXPECT_NE(result.error.find(test.reason), std::string::npos) << result.error;
    }
    const MusicXmlConversion damaged = Zipped(corrupt);
    EXPECT_FALSE(damaged.ok && damaged.niff == Plain(score).niff);
}

}  // namespace
}  // namespace ql::musicxml
