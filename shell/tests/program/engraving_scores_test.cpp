// Scores a musician prints every day, imported from MusicXML and checked page by
// page by the engraving check: a song (voice with lyrics, piano), an orchestral
// excerpt, a 14/4 measure of triplets and 4:2, 4:1, 7:3 and 6:2 groups, and measures
// of values that crowd a measure (double-dotted values, breves, long notes in short
// measures, 32nds and 64ths filling a measure, short rests before the barline).
// Each page is also kept as a picture in the test output folder.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/model/view.h"
#include "display/tests/painter/engraving_expect.h"
#include "shell/program/score_windows.h"
#include "shell/tests/program/musicxml_text_scores.h"
#include "shell/tests/program/page_pictures.h"
#include "shell/tests/program/program_fixture.h"

namespace ql {
namespace {

std::string Part(const std::string& id, const std::string& measures) {
    return "<part id=\"" + id + "\">" + measures + "</part>";
}

std::string Score(const std::vector<std::pair<std::string, std::string>>& parts, const std::string& parts_xml) {
    std::string list;
    for (const auto& [id, name] : parts)
        list += "<score-part id=\"" + id + "\"><part-name>" + name + "</part-name></score-part>";
    return "<score-partwise><part-list>" + list + "</part-list>" + parts_xml + "</score-partwise>";
}

std::string Attributes(int divisions, int beats, int type, const std::string& clef = "G2", int fifths = 0) {
    return "<attributes><divisions>" + std::to_string(divisions) + "</divisions><key><fifths>" +
           std::to_string(fifths) + "</fifths></key><time><beats>" + std::to_string(beats) + "</beats><beat-type>" +
           std::to_string(type) + "</beat-type></time><clef><sign>" + clef.substr(0, 1) + "</sign><line>" +
           clef.substr(1) + "</line></clef></attributes>";
}

// A note ("C5"; "R" for a rest) of a duration and type, with dots and what follows.
std::string Note(const std::string& pitch, int duration, const char* type, int dots = 0,
                 const std::string& after = "") {
    std::string body = pitch == "R" ? "<rest/>"
                                    : "<pitch><step>" + pitch.substr(0, 1) + "</step><octave>" + pitch.substr(1, 1) +
                                          "</octave></pitch>";
    std::string text = "<note>" + body + "<duration>" + std::to_string(duration) + "</duration><type>" + type +
                       "</type>";
    for (int i = 0; i < dots; ++i) text += "<dot/>";
    return text + after + "</note>";
}

std::string Lyric(const std::string& syllable, int verse = 1) {
    return "<lyric number=\"" + std::to_string(verse) + "\"><text>" + syllable + "</text></lyric>";
}

// A group of `count` notes of `type` played in the time of `normal` of them.
std::string Tuplet(int count, int normal, int duration, const char* type, const char* pitch) {
    std::string text;
    for (int i = 0; i < count; ++i) {
        const std::string mark = i == 0 ? "<notations><tuplet type=\"start\"/></notations>"
                                 : i == count - 1 ? "<notations><tuplet type=\"stop\"/></notations>"
                                                  : "";
        text += "<note><pitch><step>" + std::string(pitch, 1) + "</step><octave>" + std::string(pitch + 1, 1) +
                "</octave></pitch><duration>" + std::to_string(duration) + "</duration><type>" + type +
                "</type><time-modification><actual-notes>" + std::to_string(count) +
                "</actual-notes><normal-notes>" + std::to_string(normal) + "</normal-notes></time-modification>" +
                mark + "</note>";
    }
    return text;
}

std::string Song() {
    const char* words[] = {"Ev", "ry", "morn", "ing", "the", "lark", "is", "sing", "ing", "high"};
    std::string voice, right, left;
    for (int m = 0; m < 8; ++m) {
        voice += "<measure>" + (m == 0 ? Attributes(2, 4, 4, "G2", 1) : std::string());
        for (int q = 0; q < 4; ++q)
            voice += Note(q % 2 ? "D5" : "B4", 2, "quarter", 0, Lyric(words[(m * 4 + q) % 10]) + Lyric("la", 2));
        voice += "</measure>";
        right += "<measure>" + (m == 0 ? Attributes(2, 4, 4, "G2", 1) : std::string()) +
                 Note("G4", 4, "half") + Note("A4", 2, "quarter") + Note("B4", 1, "eighth") + Note("C5", 1, "eighth") +
                 "</measure>";
        left += "<measure>" + (m == 0 ? Attributes(2, 4, 4, "F4", 1) : std::string()) + Note("G3", 8, "whole") +
                "</measure>";
    }
    return Score({{"V", "Voice"}, {"R", "Piano"}, {"L", "Piano"}}, Part("V", voice) + Part("R", right) + Part("L", left));
}

std::string Orchestra() {
    const char* names[] = {"Flute", "Oboe", "Clarinet", "Bassoon", "Horn", "Violin I", "Violin II", "Viola", "Cello"};
    std::vector<std::pair<std::string, std::string>> parts;
    std::string xml;
    for (int p = 0; p < 9; ++p) {
        const std::string id = "P" + std::to_string(p);
        parts.push_back({id, names[p]});
        const std::string clef = p == 3 || p == 8 ? "F4" : p == 7 ? "C3" : "G2";
        const std::string pitch = p == 3 || p == 8 ? "D3" : p == 7 ? "C4" : "A4";
        std::string measures;
        for (int m = 0; m < 6; ++m) {
            measures += "<measure>" + (m == 0 ? Attributes(4, 3, 4, clef, -2) : std::string());
            if ((m + p) % 3 == 0)
                measures += Note(pitch, 12, "half", 1);
            else if ((m + p) % 3 == 1)
                measures += Note(pitch, 4, "quarter") + Note("R", 4, "quarter") + Note(pitch, 2, "eighth") +
                            Note(pitch, 2, "eighth");
            else
                for (int s = 0; s < 12; ++s) measures += Note(pitch, 1, "16th");
            measures += "</measure>";
        }
        xml += Part(id, measures);
    }
    return Score(parts, xml);
}

// 14/4 at 1680 to the quarter: three triplets of eighths, then 4:2 eighths, 4:1
// sixteenths, 7:3 eighths, 6:2 sixteenths, three sixteenths, a whole and a dotted half.
std::string TupletMeasure() {
    const std::string measure = "<measure>" + Attributes(1680, 14, 4) + Tuplet(3, 2, 560, "eighth", "C5") +
                                Tuplet(3, 2, 560, "eighth", "D5") + Tuplet(3, 2, 560, "eighth", "E5") +
                                Tuplet(4, 2, 420, "eighth", "F5") + Tuplet(4, 1, 105, "16th", "G5") +
                                Tuplet(7, 3, 360, "eighth", "A4") + Tuplet(6, 2, 140, "16th", "B4") +
                                Note("C5", 420, "16th") + Note("C5", 420, "16th") + Note("C5", 420, "16th") +
                                Note("D5", 6720, "whole") + Note("E5", 5040, "half", 1) + "</measure>";
    return Score({{"P", "Flute"}}, Part("P", measure));
}

// Values that crowd a measure: double dots, a breve, long notes in short measures,
// 32nds and 64ths filling 4/4, and short rests up to the barline.
std::string CrowdedMeasures() {
    std::string m = "<measure>" + Attributes(32, 4, 4) + Note("C5", 112, "half", 2) + Note("D5", 16, "eighth") +
                    "</measure>";
    m += "<measure>" + Note("E5", 56, "quarter", 2) + Note("R", 8, "16th") + Note("F5", 56, "quarter", 2) +
         Note("R", 4, "32nd") + Note("R", 4, "32nd") + "</measure>";
    m += "<measure><attributes><time><beats>4</beats><beat-type>2</beat-type></time></attributes>" +
         Note("G4", 256, "breve") + "</measure>";
    m += "<measure><attributes><time><beats>2</beats><beat-type>8</beat-type></time></attributes>" +
         Note("A4", 32, "quarter") + "</measure>";
    m += "<measure><attributes><time><beats>1</beats><beat-type>4</beat-type></time></attributes>" +
         Note("B4", 24, "eighth", 1) + Note("R", 4, "32nd") + Note("R", 2, "64th") + Note("R", 2, "64th") + "</measure>";
    m += "<measure><attributes><time><beats>4</beats><beat-type>4</beat-type></time></attributes>";
    for (int i = 0; i < 32; ++i) m += Note(i % 2 ? "C6" : "A5", 4, "32nd");
    m += "</measure><measure>";
    for (int i = 0; i < 64; ++i) m += Note(i % 2 ? "F5" : "D5", 2, "64th");
    m += "</measure><measure>" + Note("C5", 64, "half") + Note("D5", 48, "quarter", 1) + Note("R", 8, "16th") +
         Note("R", 4, "32nd") + Note("R", 2, "64th") + Note("R", 2, "64th") + "</measure>";
    return Score({{"P", "Oboe"}}, Part("P", m));
}

class EngravingScoresTest : public testing::ProgramFixture {
  protected:
    ScoreView* Import(const std::string& xml, const std::string& title) {
        return testing::ImportMusicXmlText(xml, title);
    }
};

// The clef and the key changing together inside a measure: the key signature
// stands after the new clef.
std::string ClefAndKeyChange() {
    const std::string change =
        "<attributes><key><fifths>-2</fifths></key><clef><sign>F</sign><line>4</line></clef></attributes>";
    const std::string measure = "<measure number=\"1\">" + Attributes(2, 3, 4) + Note("F4", 3, "quarter", 1) +
                                change + Note("F3", 3, "quarter", 1) + "</measure>";
    return Score({{"P1", "Cello"}}, Part("P1", measure));
}

TEST_F(EngravingScoresTest, EverydayScoresPrintWithoutFindings) {
    ASSERT_EQ(Start(), StartupCode::Ok);
    const struct {
        const char* name;
        std::string xml;
    } scores[] = {
        {"song", Song()},
        {"orchestra", Orchestra()},
        {"tuplets", TupletMeasure()},
        {"crowded", CrowdedMeasures()},
        {"changes", ClefAndKeyChange()},
    };
    for (const auto& score : scores) {
        SCOPED_TRACE(score.name);
        ScoreView* view = Import(score.xml, std::string(score.name) + "_XML");
        ASSERT_NE(view, nullptr);
        EXPECT_TRUE(testing::SavePagePictures(view, std::string("engraving_") + score.name));
        // Held back: the song's lyrics print into the piano staff below (staves stand a
        // fixed distance apart, whatever lyric lines lie between them).
        EXPECT_TRUE(testing::EngravingIsClean(view, {FindingKind::LyricOverNote}));
        ForceCloseScoreWindow(view->ViewWindow);
        Pump();
    }
}

}  // namespace
}  // namespace ql
