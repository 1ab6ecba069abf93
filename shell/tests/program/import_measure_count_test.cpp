// Imported scores hold exactly the file's measures: NIFF files with and without a
// measure start after each staff's last measure, on one page or several, and
// MusicXML files through the converter. No empty measure is added after the last.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "display/tests/painter/engraving_expect.h"
#include "core/model/pages.h"
#include "core/model/score_document.h"
#include "core/model/view.h"
#include "interchange/musicxml/musicxml_import.h"
#include "interchange/niff/niff_import.h"
#include "interchange/niff/niff_messages.h"
#include "interchange/niff/niff_writer.h"
#include "platform/ui/headless.h"
#include "shell/tests/program/program_fixture.h"

namespace ql {
namespace {

using niff::NiffField;
using niff::NiffWriter;

// A NIFF score of one two-staff part: pages of systems, each system holding the
// given number of measures of one quarter note; `trailing` writes a measure start
// after each staff's last measure, as writers do for the final barline.
struct NiffCase {
    std::vector<std::vector<int>> pages;
    bool trailing = false;
    bool scanned = false;  // written by a scanning program: its staves named by ids
};

std::vector<uint8_t> WriteNiff(const NiffCase& shape) {
    NiffWriter out;
    out.BeginForm("NIFF");
    out.BeginList("setp");
    out.BeginChunk("ISFT");
    out.Text(shape.scanned ? "SmartScore" : "Test writer");
    out.EndChunk();
    out.BeginChunk("part", {0, 0, 0, 2, 0, -1, 0});
    out.EndChunk();
    out.EndList();
    out.BeginList("data");
    int first = 0;
    for (const std::vector<int>& systems : shape.pages) {
        out.BeginChunk("pghd");
        out.Tag(48, {2720});
        out.Tag(17, {3520});
        out.EndChunk();
        for (size_t system = 0; system < systems.size(); ++system) {
            out.BeginChunk("syhd");
            out.Tag(1, {160, static_cast<int>(400 + system * 600)});
            out.Tag(48, {2400});
            out.EndChunk();
            for (int staff = 0; staff < 2; ++staff) {
                out.BeginChunk("sthd");
                out.Tag(32, {0});
                if (staff > 0) out.Tag(47, {staff});
                if (shape.scanned) out.Tag(18, {staff});
                out.Tag(1, {0, staff * 300});
                out.Tag(17, {256});
                out.EndChunk();
                const int count = systems[system] + (shape.trailing ? 1 : 0);
                for (int m = 0; m < count; ++m) {
                    out.BeginChunk("tmsl", {1, NiffField::Rational(static_cast<int16_t>(first + m), 1)});
                    out.EndChunk();
                    if (m == systems[system]) break;  // the trailing start
                    out.BeginChunk("tmsl", {2, NiffField::Rational(0, 1)});
                    out.EndChunk();
                    out.BeginChunk("note", {0, 4, NiffField::Rational(1, 4)});
                    out.EndChunk();
                }
            }
            first += systems[system];
        }
    }
    out.EndList();
    out.EndList();
    return out.Take();
}

// A one-part MusicXML score of `measures` 4/4 measures of a whole note, each on
// a new system when asked.
std::string WriteMusicXml(int measures, bool systemEach) {
    std::string text =
        "<?xml version=\"1.0\"?><score-partwise><part-list><score-part id=\"P1\"><part-name>A</part-name>"
        "</score-part></part-list><part id=\"P1\">";
    for (int m = 1; m <= measures; ++m) {
        text += "<measure number=\"" + std::to_string(m) + "\">";
        if (systemEach && m > 1) text += "<print new-system=\"yes\"/>";
        if (m == 1)
            text += "<attributes><divisions>1</divisions><time><beats>4</beats><beat-type>4</beat-type></time>"
                    "<clef><sign>G</sign><line>2</line></clef></attributes>";
        text += "<note><pitch><step>C</step><octave>5</octave></pitch><duration>4</duration><type>whole</type></note>"
                "</measure>";
    }
    return text + "</part></score-partwise>";
}

class ImportMeasureCountTest : public testing::MusicXmlProgramFixture {};

TEST_F(ImportMeasureCountTest, NiffScoresHoldExactlyTheirMeasures) {
    ASSERT_EQ(Start(), StartupCode::Ok);
    const NiffCase cases[] = {
        {{{3, 3}}, false},
        {{{3, 3}}, true},
        {{{4, 4, 4, 3, 3}}, true},  // one page of five systems, 18 measures
        {{{1}}, true},
        {{{4, 4}, {4, 2}}, true},
        {{{2, 2, 2}, {2}}, false},
        {{{3, 3}}, true, true},  // re-broken on the grid of three-measure systems
        {{{2, 2}, {2, 1}}, true, true},
    };
    for (const NiffCase& shape : cases) {
        int measures = 0;
        for (const std::vector<int>& systems : shape.pages)
            for (int count : systems) measures += count;
        const std::string what = std::to_string(measures) + " measures on " + std::to_string(shape.pages.size()) +
                                 " pages" + (shape.trailing ? ", trailing start" : "") + (shape.scanned ? ", scanned" : "");
        ui::headless::ResetUi();
        ScoreView* view = niff::OpenNiffScoreWindowFromMemory(WriteNiff(shape), "count_NIFF");
        ASSERT_NE(view, nullptr) << what;
        EXPECT_EQ(view->document->header.measureCount, measures) << what;
        if (!shape.scanned) {
            EXPECT_EQ(view->document->header.pageCount, shape.pages.size()) << what;
        }
        const ScorePage* last = GetPageAt(view->document, view->document->header.pageCount - 1);
        ASSERT_NE(last, nullptr) << what;
        EXPECT_EQ(last->lastMeasure, measures) << what;
        EXPECT_TRUE(testing::EngravingIsClean(view)) << what;
    }
}

TEST_F(ImportMeasureCountTest, MusicXmlScoresHoldExactlyTheirMeasures) {
    ASSERT_EQ(Start(), StartupCode::Ok);
    // Measures on one system and on several pages; a new system at every measure
    // makes a first page of six one-measure systems and a second of one.
    const std::pair<int, bool> cases[] = {{1, false}, {4, false}, {30, false}, {4, true}, {7, true}, {13, true}};
    for (const auto& [measures, systemEach] : cases) {
        const std::string what = std::to_string(measures) + (systemEach ? " systems" : " measures");
        const std::filesystem::path path = scratch / ("count" + std::to_string(measures) + ".xml");
        std::ofstream(path) << WriteMusicXml(measures, systemEach);
        ui::headless::ResetUi();
        ScoreView* view = ImportMusicXml(path);
        ASSERT_NE(view, nullptr) << what;
        EXPECT_EQ(view->document->header.measureCount, measures) << what;
        const ScorePage* last = GetPageAt(view->document, view->document->header.pageCount - 1);
        ASSERT_NE(last, nullptr) << what;
        EXPECT_EQ(last->lastMeasure, measures) << what;
        EXPECT_TRUE(testing::EngravingIsClean(view)) << what;
    }
}

// A file of more measures than a score holds (1,016) is refused whole, with the
// reason in a box: a NIFF file and a MusicXML file of 1,017 measures.
TEST_F(ImportMeasureCountTest, FilesOfMoreMeasuresThanAScoreHoldsAreRefused) {
    ASSERT_EQ(Start(), StartupCode::Ok);
    ui::headless::ResetUi();
    EXPECT_EQ(niff::OpenNiffScoreWindowFromMemory(WriteNiff({{{1017}}, true}), "long_NIFF"), nullptr);
    ASSERT_FALSE(ui::headless::MessageBoxes().empty());
    EXPECT_EQ(ui::headless::MessageBoxes().back().text, niff::kNiffTooManyMeasures);
    const std::filesystem::path path = scratch / "long.xml";
    std::ofstream(path) << WriteMusicXml(1017, false);
    ui::headless::ResetUi();
    EXPECT_EQ(ImportMusicXml(path), nullptr);
    ASSERT_FALSE(ui::headless::MessageBoxes().empty());
    EXPECT_NE(ui::headless::MessageBoxes().back().text.find("more than 1016 measures, more than a score can hold"),
              std::string::npos)
        << ui::headless::MessageBoxes().back().text;
}

}  // namespace
}  // namespace ql
