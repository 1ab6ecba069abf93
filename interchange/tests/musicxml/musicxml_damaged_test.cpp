// Damaged and hostile MusicXML, plain and zipped, from a fixed seed: every case
// either converts (to NIFF the NIFF reader reads to its end) or ends with a
// one-line reason; never a crash or a leak (the sanitizers watch). Among the
// damages: elements moved out of their place (a part or a measure inside another
// element) and part-list entries and parts of a repeated id.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>

#include "interchange/byte_source.h"
#include "interchange/musicxml/musicxml_convert.h"
#include "interchange/musicxml/musicxml_reader.h"
#include "interchange/niff/niff_import.h"
#include "interchange/niff/niff_import_state.h"
#include "interchange/tests/musicxml/musicxml_fixtures.h"

namespace ql::musicxml {
namespace {

constexpr int kCases = 20000;
constexpr uint32_t kSeed = 0x4D584D4C;

// Replaces the text of a random numeric element with a hostile number.
void HostileNumber(std::string& text, std::mt19937& random) {
    static const char* const kNumbers[] = {"0", "-1", "-2147483649", "99999999999999999999", "1e9", "32768",
                                           "-0", "4.5", "", "  7  "};
    const size_t open = text.find('>', std::uniform_int_distribution<size_t>(0, text.size() - 1)(random));
    const size_t close = open == std::string::npos ? open : text.find("</", open);
    if (close == std::string::npos || close - open > 12) return;
    text.replace(open + 1, close - open - 1, kNumbers[random() % std::size(kNumbers)]);
}

// Replaces a random attribute's value (a slur or credit number, a position) with a
// hostile number.
void HostileAttribute(std::string& text, std::mt19937& random) {
    static const char* const kNumbers[] = {"0", "-1", "99999999999999999999", "1e400", "nan", "-0.0", "", "17"};
    const size_t open = text.find("=\"", std::uniform_int_distribution<size_t>(0, text.size() - 1)(random));
    const size_t close = open == std::string::npos ? open : text.find('"', open + 2);
    if (close == std::string::npos || close - open > 24) return;
    text.replace(open + 2, close - open - 2, kNumbers[random() % std::size(kNumbers)]);
}

// The start tag of an element (`<name ...>`) found from a random place, or from the
// start; empty when the text has none.
std::string StartTagOf(const std::string& text, const std::string& name, size_t from) {
    size_t open = text.find("<" + name, from);
    if (open == std::string::npos) open = text.find("<" + name);
    if (open == std::string::npos) return {};
    return text.substr(open, text.find('>', open) - open + 1);
}

// A part, a measure, a part-list entry or a whole part element put where it does
// not belong: right after a random start tag.
void Misplace(std::string& text, std::mt19937& random) {
    static const char* const kNames[] = {"part", "measure", "score-part", "part-list"};
    const size_t from = std::uniform_int_distribution<size_t>(0, text.size() - 1)(random);
    std::string tag = StartTagOf(text, kNames[random() % std::size(kNames)], from);
    if (tag.empty()) return;
    if (random() % 2 && tag.back() != '/') tag.insert(tag.size() - 1, "/");  // or an empty element
    if (random() % 2) tag += "<attributes><divisions>3</divisions><time><beats>3</beats><beat-type>4</beat-type></time></attributes>";
    const size_t at = text.find('>', std::uniform_int_distribution<size_t>(0, text.size() - 1)(random));
    if (at != std::string::npos) text.insert(at + 1, tag);
}

// The id of the element whose start tag opens at `open`; empty when none.
std::string IdAt(const std::string& text, size_t open) {
    const size_t id = text.find(" id=\"", open);
    if (id == std::string::npos || id > text.find('>', open)) return {};
    return text.substr(id + 5, text.find('"', id + 5) - id - 5);
}

// A part-list entry or a part (partwise: the whole part; timewise: a part within
// a measure) given twice in a row, or the id of one given to the next of its kind.
void RepeatId(std::string& text, std::mt19937& random) {
    const std::string name = random() % 2 ? "score-part" : "part";
    size_t open = text.find("<" + name + " ", std::uniform_int_distribution<size_t>(0, text.size() - 1)(random));
    if (open == std::string::npos) open = text.find("<" + name + " ");
    if (open == std::string::npos) return;
    const size_t tagEnd = text.find('>', open);
    if (tagEnd == std::string::npos) return;
    const size_t close = text[tagEnd - 1] == '/' ? tagEnd + 1 : text.find("</" + name + ">", open);
    if (close == std::string::npos) return;
    const size_t end = text[tagEnd - 1] == '/' ? close : close + name.size() + 3;
    if (random() % 2) {
        text.insert(end, text.substr(open, end - open));
        return;
    }
    const size_t next = text.find("<" + name + " ", end);
    const std::string id = IdAt(text, open);
    const std::string other = next == std::string::npos ? std::string() : IdAt(text, next);
    if (!id.empty() && !other.empty()) text.replace(text.find(other, next), other.size(), id);
}

std::string Mutate(std::string text, std::mt19937& random) {
    auto at = [&] { return std::uniform_int_distribution<size_t>(0, text.size() - 1)(random); };
    const int kind = static_cast<int>(random() % 12);
    switch (kind) {
    case 0: text.resize(at()); break;
    case 1:
        for (int flips = 1 + static_cast<int>(random() % 8); flips > 0; --flips) text[at()] = static_cast<char>(random());
        break;
    case 2: {  // drop an end tag
        const size_t tag = text.find("</", at());
        if (tag != std::string::npos) text.erase(tag, text.find('>', tag) - tag + 1);
        break;
    }
    case 3: {  // duplicate an end tag
        const size_t tag = text.find("</", at());
        if (tag != std::string::npos) text.insert(tag, text.substr(tag, text.find('>', tag) - tag + 1));
        break;
    }
    case 4: {  // nesting far past the limit
        static const std::string deep = [] {
            std::string levels;
            for (int i = 0; i < 100000; ++i) levels += "<measure>";
            return levels;
        }();
        text.insert(text.find("<measure"), deep);
        break;
    }
    case 5:
        text.insert(text.find("<score"), "<!DOCTYPE s [<!ENTITY a \"aaaaaaaaaa\"><!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;\">"
                                         "<!ENTITY c \"&b;&b;&b;&b;&b;&b;&b;&b;\">]>");
        text.insert(text.find("<part-name>") + 11, "&c;");
        break;
    case 6:
        text.insert(text.find("<score"), "<!DOCTYPE s [<!ENTITY x SYSTEM \"file:///etc/passwd\">]>");
        text.insert(text.find("<part-name>") + 11, "&x;");
        break;
    case 7: text.replace(text.find("UTF-8"), 5, random() % 2 ? "KOI8-R" : "UTF-16"); break;
    case 8: Misplace(text, random); break;
    case 9: RepeatId(text, random); break;
    case 10: {  // leave out an element of a number (a time signature's beat type, a duration)
        const size_t open = text.find("<", at());
        const size_t close = open == std::string::npos ? open : text.find("</", open);
        if (close != std::string::npos && close - open < 40 && text.find('<', open + 1) == close)
            text.erase(open, text.find('>', close) - open + 1);
        break;
    }
    default:
        for (int n = 1 + static_cast<int>(random() % 4); n > 0; --n)
            random() % 2 ? HostileNumber(text, random) : HostileAttribute(text, random);
        break;
    }
    return text;
}

void Check(const MusicXmlConversion& result, int index) {
    if (!result.ok) {
        EXPECT_FALSE(result.error.empty()) << "case " << index << " seed " << kSeed;
        EXPECT_EQ(result.error.find('\n'), std::string::npos) << "case " << index << " seed " << kSeed;
        EXPECT_TRUE(result.niff.empty());
        return;
    }
    niff::NiffImportState state;
    const niff::NiffReadResult read = niff::ReadNiffPasses(state, [&] { return ByteSource::FromMemory(result.niff); });
    EXPECT_TRUE(read.complete) << "case " << index << " seed " << kSeed;
    niff::ReleaseNiffImport(state);
}

TEST(MusicXmlDamaged, SeededMutantsConvertOrGiveOneLineReasons) {
    std::vector<std::string> sources;
    for (const char* name : {"duet_partwise.xml", "duet_timewise.xml", "phrases_partwise.xml", "phrases_timewise.xml",
                             "chorale_partwise.xml", "chorale_timewise.xml"}) {
        const std::vector<uint8_t> fixture = testing::FixtureBytes(name);
        sources.emplace_back(fixture.begin(), fixture.end());
    }
    std::mt19937 random(kSeed);
    int converted = 0;
    for (int index = 0; index < kCases; ++index) {
        const std::string& source = sources[static_cast<size_t>(index) % sources.size()];
        const std::string mutant = Mutate(source, random);
        const std::vector<uint8_t> bytes(mutant.begin(), mutant.end());
        if (index % 50 == 0) {
            const MusicXmlConversion zipped = ConvertMusicXml(testing::ZipOf({{"s.xml", bytes}}), MusicXmlForm::Compressed);
            Check(zipped, index);
        }
        const MusicXmlConversion plain = ConvertMusicXml(bytes, MusicXmlForm::Plain);
        converted += plain.ok;
        Check(plain, index);
        if (HasFailure()) break;
    }
    // Both outcomes were reached.
    EXPECT_GT(converted, kCases / 20);
    EXPECT_LT(converted, kCases);
}

// Inputs the fuzzer found, and their kin: a part inside a part-list entry, a
// timewise measure with no part of its own, part-list entries and parts of one id,
// time signatures without their beat type or their beats. Each converts with what
// was in its place reported, or ends with a reason.
TEST(MusicXmlDamaged, PartsOutOfPlaceAndRepeatedIdsAreReportedAndRefused) {
    const std::string list = "<part-list><score-part id=\"P1\"/></part-list>";
    const std::string measure = "<measure><attributes><divisions>1</divisions></attributes>"
                                "<note><rest/><duration>4</duration></note></measure>";
    struct Case {
        std::string document;
        std::string reported;  // a kind of the report, or a part of the reason
        int measures;          // of the first part, when converted
    };
    const Case cases[] = {
        {"<score-timewise><part-list><score-part id=\"P1\"><part id=\"P1\"><measure><divisions>1</divisions>",
         "<part> outside its place", 0},
        {"<score-partwise><part-list><score-part id=\"P1\"><part id=\"P1\">" + measure + "</part></score-part>"
         "</part-list><part id=\"P1\">" + measure + "</part></score-partwise>",
         "<part> outside its place", 1},
        {"<score-timewise>" + list + "<measure><divisions>1</divisions><part id=\"P1\"><note><rest/>"
         "<duration>4</duration></note></part></measure></score-timewise>",
         "", 1},
        {"<score-timewise>" + list + "<part id=\"P1\"><measure><attributes><divisions>1</divisions></attributes>"
         "</measure></part><measure><part id=\"P1\"><measure/></part></measure></score-timewise>",
         "<measure> outside its place", 1},
        {"<score-partwise><part-list><score-part id=\"P1\"/><score-part id=\"P1\"/></part-list><part id=\"P1\">" +
             measure + "</part></score-partwise>",
         "part-list entries of a repeated id", 1},
        {"<score-partwise>" + list + "<part id=\"P1\">" + measure + "</part><part id=\"P1\">" + measure + measure +
             "</part></score-partwise>",
         "parts of a repeated id", 1},
        {"<score-timewise>" + list + "<measure><part id=\"P1\"><attributes><divisions>1</divisions></attributes>"
         "</part><part id=\"P1\"><note><rest/><duration>4</duration></note></part></measure></score-timewise>",
         "parts of a repeated id", 1},
        {testing::TextOf(testing::FixtureBytes("time_without_beat_type.xml")), kHalfTimeSignatures, 1},
        {"<score-partwise>" + list + "<part id=\"P1\"><measure><attributes><divisions>1</divisions><time>"
         "<beat-type>4</beat-type></time></attributes><note><rest/><duration>4</duration></note></measure></part>"
         "</score-partwise>",
         kHalfTimeSignatures, 1},
    };
    for (const Case& test : cases) {
        const MusicXmlConversion result = ConvertMusicXml(testing::BytesOf(test.document), MusicXmlForm::Plain);
        Check(result, static_cast<int>(&test - cases));
        if (!result.ok) {
            EXPECT_EQ(test.measures, 0) << test.document << ": " << result.error;
            continue;
        }
        if (!test.reported.empty()) {
            EXPECT_EQ(result.skipped.CountOf(test.reported), 1) << result.skipped.Text();
        }
        niff::NiffImportState state;
        ASSERT_TRUE(niff::ReadNiffPasses(state, [&] { return ByteSource::FromMemory(result.niff); }).complete);
        EXPECT_EQ(state.frame.measures.size(), static_cast<size_t>(test.measures)) << test.document;
        niff::ReleaseNiffImport(state);
    }
}

TEST(MusicXmlDamaged, DamagedArchivesConvertOrGiveOneLineReasons) {
    const std::vector<uint8_t> archive = testing::ZipOf(
        {{"META-INF/container.xml", testing::ContainerFor("s.xml")}, {"s.xml", testing::FixtureBytes("duet_partwise.xml")}});
    std::mt19937 random(kSeed);
    for (int index = 0; index < 2000; ++index) {
        std::vector<uint8_t> mutant = archive;
        if (index % 3 == 0) mutant.resize(random() % mutant.size());
        for (int flips = 1 + static_cast<int>(random() % 4); flips > 0; --flips)
            if (!mutant.empty()) mutant[random() % mutant.size()] = static_cast<uint8_t>(random());
        Check(ConvertMusicXml(mutant, MusicXmlForm::Compressed), index);
        if (HasFailure()) break;
    }
}

}  // namespace
}  // namespace ql::musicxml
