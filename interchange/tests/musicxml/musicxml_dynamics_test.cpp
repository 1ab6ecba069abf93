// Dynamics of a MusicXML file keep their sign: each mark the score can show is
// written with the NIFF code that the program's table reads back as the same
// letters; one it cannot show is counted, not changed into another.
#include <gtest/gtest.h>

#include <string>

#include "core/objects/dynamic_marks.h"
#include "interchange/musicxml/musicxml_reader.h"
#include "interchange/tests/musicxml/musicxml_fixtures.h"

namespace ql::musicxml {
namespace {

TEST(MusicXmlDynamics, EachMarkReadsBackAsItsOwnLettersOrIsCounted) {
    const struct {
        const char* name;
        bool shown;
    } cases[] = {{"pppp", true}, {"p", true},   {"mp", true},   {"mf", true},  {"f", true},   {"ffff", true},
                 {"sf", true},   {"fz", true},  {"fp", true},   {"sfz", false}, {"rfz", false}, {"sfp", false},
                 {"rf", false},  {"sffz", false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string text =
            std::string("<score-partwise><part-list><score-part id=\"P\"/></part-list><part id=\"P\"><measure>"
                        "<attributes><divisions>1</divisions></attributes><direction><direction-type><dynamics><") +
            c.name +
            "/></dynamics></direction-type></direction><note><pitch><step>C</step><octave>5</octave></pitch>"
            "<duration>4</duration></note></measure></part></score-partwise>";
        MxlScore score;
        ImportReport skipped;
        std::string error;
        ASSERT_TRUE(ReadMusicXml(testing::BytesOf(text), score, skipped, error)) << error;
        std::string shown;
        for (const MxlItem& item : score.parts.at(0).measures.at(0).items)
            if (item.kind == MxlItemKind::Dynamic && DynamicOfNiffCode(item.value) != nullptr)
                shown += DynamicOfNiffCode(item.value)->letters;
        EXPECT_EQ(shown, c.shown ? c.name : "");
        EXPECT_EQ(skipped.CountOf(std::string("dynamic ") + c.name), c.shown ? 0 : 1);
    }
}

}  // namespace
}  // namespace ql::musicxml
