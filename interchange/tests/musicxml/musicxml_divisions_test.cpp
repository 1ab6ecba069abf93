// Divisions that change inside a measure: every duration of the measure, before
// and after the change, keeps its length in quarters, and the measures after count
// in the divisions last stated.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "interchange/musicxml/musicxml_reader.h"
#include "interchange/tests/musicxml/musicxml_fixtures.h"

namespace ql::musicxml {
namespace {

std::string Note(int duration) {
    return "<note><pitch><step>C</step><octave>5</octave></pitch><duration>" + std::to_string(duration) +
           "</duration></note>";
}
std::string Divisions(int divisions) {
    return "<attributes><divisions>" + std::to_string(divisions) + "</divisions></attributes>";
}

// Each measure's notes, backups and forwards as lengths in quarters.
std::vector<std::vector<double>> QuartersOf(const std::string& measures) {
    MxlScore score;
    ImportReport skipped;
    std::string error;
    const std::string text = "<score-partwise><part-list><score-part id=\"P\"/></part-list><part id=\"P\">" +
                             measures + "</part></score-partwise>";
    EXPECT_TRUE(ReadMusicXml(testing::BytesOf(text), score, skipped, error)) << error;
    std::vector<std::vector<double>> result;
    int divisions = 1;
    for (const MxlMeasure& measure : score.parts.at(0).measures) {
        if (measure.divisions != 0) divisions = measure.divisions;
        std::vector<double>& lengths = result.emplace_back();
        for (const MxlItem& item : measure.items)
            lengths.push_back(double(item.kind == MxlItemKind::Note ? item.note.duration : item.amount) / divisions);
    }
    return result;
}

TEST(MusicXmlDivisions, ChangesInsideAMeasureKeepEveryLength) {
    const struct {
        std::string measures;
        std::vector<std::vector<double>> quarters;
    } kCases[] = {
        {"<measure>" + Divisions(1) + Note(1) + Note(1) + Divisions(8) + Note(8) + Note(8) + "</measure><measure>" +
             Note(16) + Divisions(38) + Note(76) + "</measure><measure>" + Note(38) + Note(114) + "</measure>",
         {{1, 1, 1, 1}, {2, 2}, {1, 3}}},
        {"<measure>" + Divisions(2) + Note(2) + Divisions(4) + "<backup><duration>4</duration></backup>" + Note(2) +
             "<forward><duration>6</duration></forward></measure>",
         {{1, 1, 0.5, 1.5}}},
        {"<measure>" + Divisions(3) + Divisions(4) + Note(4) + "</measure><measure>" + Note(8) + "</measure>",
         {{1}, {2}}},
    };
    for (const auto& c : kCases) EXPECT_EQ(QuartersOf(c.measures), c.quarters) << c.measures;
}

}  // namespace
}  // namespace ql::musicxml
