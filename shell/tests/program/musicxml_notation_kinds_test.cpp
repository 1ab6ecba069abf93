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
#include "interchange/musicxml/musicxml_convert.h"
#include "shell/tests/program/musicxml_text_scores.h"
#include "shell/tests/program/program_fixture.h"

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

// The count of `kind` the converter reports for the score.
int Skipped(const std::string& xml, const std::string& kind) {
    const musicxml::MusicXmlConversion conversion =
        musicxml::ConvertMusicXml(std::vector<uint8_t>(xml.begin(), xml.end()), musicxml::MusicXmlForm::Plain);
    EXPECT_TRUE(conversion.ok) << conversion.error;
    return conversion.skipped.CountOf(kind);
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
        if (c.counted != nullptr) {
            EXPECT_EQ(Skipped(xml, c.counted), 1);
        }
    }
}

}  // namespace
}  // namespace ql
