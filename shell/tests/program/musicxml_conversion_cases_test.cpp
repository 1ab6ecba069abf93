// Small MusicXML files converted and imported as a score, one table row each: the
// score's measures and notes (in the imported-score dump), what the conversion
// reports, and what must not reach the NIFF file. Chords across a piano's staves,
// octave signs, whole-measure rests in several meters, pickups and implicit
// measures, values out of range, code page 1252 text, a part missing from the part
// list, a file without a time signature, and what a file hides.
#include <gtest/gtest.h>

#include <algorithm>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "display/tests/painter/engraving_expect.h"
#include "core/model/score_document.h"
#include "core/model/view.h"
#include "interchange/musicxml/musicxml_convert.h"
#include "interchange/musicxml/musicxml_reader.h"
#include "interchange/musicxml/musicxml_text.h"
#include "interchange/musicxml/musicxml_ties.h"
#include "interchange/niff/niff_import.h"
#include "platform/ui/headless.h"
#include "shell/program/score_windows.h"
#include "shell/tests/program/imported_score_dump.h"
#include "shell/tests/program/program_fixture.h"

namespace ql {
namespace {

using musicxml::ConvertMusicXml;
using musicxml::MusicXmlConversion;
using musicxml::MusicXmlForm;

// A partwise score of one part (`listed` names the parts of the part list).
std::string Score(const std::string& measures, const std::string& listed = "<score-part id=\"P\"/>",
                  const std::string& before = "") {
    return before + "<score-partwise><part-list>" + listed + "</part-list><part id=\"P\">" + measures +
           "</part></score-partwise>";
}

std::string Attributes(int divisions, const std::string& time, int staves = 1) {
    std::string text = "<attributes><divisions>" + std::to_string(divisions) + "</divisions>" + time;
    if (staves == 2) text += "<staves>2</staves><clef number=\"2\"><sign>F</sign><line>4</line></clef>";
    return text + "</attributes>";
}

std::string Time(int beats, int type) {
    return "<time><beats>" + std::to_string(beats) + "</beats><beat-type>" + std::to_string(type) + "</beat-type></time>";
}

// A note: its step, octave and alteration ("C5", "F4 0.5"; "+" before them for a
// chord note), duration, voice and type, and what follows the type (a dot, the
// staff, a lyric) as the file gives it.
std::string Note(std::string pitch, int duration, const char* type, const std::string& after = "",
                 const std::string& voice = "") {
    const bool chord = pitch.starts_with("+");
    if (chord) pitch.erase(0, 1);
    return "<note>" + std::string(chord ? "<chord/>" : "") + "<pitch><step>" + pitch.substr(0, 1) + "</step>" +
           (pitch.size() > 2 ? "<alter>" + pitch.substr(3) + "</alter>" : "") + "<octave>" + pitch.substr(1, 1) +
           "</octave></pitch><duration>" + std::to_string(duration) + "</duration>" +
           (voice.empty() ? "" : "<voice>" + voice + "</voice>") + "<type>" + type + "</type>" + after + "</note>";
}

std::string Lyric(const std::string& inside) { return "<lyric number=\"1\">" + inside + "</lyric>"; }

std::string Rest(int duration, const std::string& attributes = "", const char* type = nullptr, const std::string& voice = "") {
    return "<note><rest" + attributes + "/><duration>" + std::to_string(duration) + "</duration>" +
           (voice.empty() ? "" : "<voice>" + voice + "</voice>") + (type ? std::string("<type>") + type + "</type>" : "") +
           "</note>";
}

std::string Backup(int duration) { return "<backup><duration>" + std::to_string(duration) + "</duration></backup>"; }

std::string Octave(const char* type) {
    return std::string("<direction><direction-type><octave-shift type=\"") + type + "\" size=\"8\"/></direction-type></direction>";
}

// Seventeen eighths in the time of three.
std::string Tuplet17() {
    std::string notes;
    for (int i = 0; i < 17; ++i)
        notes += Note("C5", 3, "eighth", "<time-modification><actual-notes>17</actual-notes><normal-notes>3</normal-notes>"
                                         "</time-modification>");
    return notes;
}

struct Case {
    const char* name;
    std::string xml;
    std::vector<std::string> lines;                  // each a line of the dump, or its end
    std::vector<std::pair<const char*, int>> counts; // report kinds and their counts
    std::string absent = "";                         // text the NIFF file must not hold
    int measures = 0;                                // the score's measures, when checked
};

std::vector<Case> Cases() {
    const std::string one = "<staff>1</staff>", two = "<staff>2</staff>", dot = "<dot/>";
    return {
        // Chords of a piano part whose notes stand on both staves: every note on the
        // staff it names, the chord begun on either staff.
        {"chords across staves",
         Score("<measure>" + Attributes(1, Time(4, 4), 2) + Note("C5", 1, "quarter", one) +
               Note("+E5", 1, "quarter", one) + Note("+C3", 1, "quarter", two) + Note("G2", 1, "quarter", two) +
               Note("+G4", 1, "quarter", one) + Note("+B4", 1, "quarter", one) + Note("F5", 2, "half", one) +
               Note("+F3", 2, "half", two) + "</measure>"),
         {"staff 1 measure 1 length 4096 clef 0 key 7 time 4/10",
          "  v0: |0:10.0@-7 0:10.0@-5 |1024:10.0@-4 1024:10.0@-2 |2048:11.0@-8",
          "staff 2 measure 1 length 4096 clef 3 key 7 time 4/10", "  v0: |0:10.0@-3 |1024:10.0@0 |2048:11.0@-6"},
         {}},
        // Under an octave sign above the staff the notes stand an octave below
        // their sounding pitch; after its end, where they sound.
        {"octave sign",
         Score("<measure>" + Attributes(1, Time(4, 4)) + Octave("down") + Note("C6", 1, "quarter") +
               Note("D6", 1, "quarter") + Octave("stop") + Note("E5", 2, "half") + "</measure>"),
         {"  v0: |0:10.0@-5 |1024:10.0@-6 |2048:11.0@-7"},
         {}},
        // Whole-measure rests: the measure keeps its signature's length, and a rest
        // alone on its staff leaves the measure empty (its whole-measure rest
        // shows); one beside another voice's notes fills the measure. A whole rest
        // filling 3/4 is such a rest too.
        {"measure rests",
         Score("<measure>" + Attributes(2, Time(5, 4)) + Rest(10, " measure=\"yes\"") + "</measure><measure>" +
               Attributes(2, Time(5, 8)) + Rest(5, " measure=\"yes\"") + "</measure><measure>" +
               Attributes(2, Time(9, 8)) + Rest(9, " measure=\"yes\"") + "</measure><measure>" +
               Attributes(2, Time(3, 4)) + Rest(6, "", "whole") + "</measure><measure>" + Note("C5", 2, "quarter") +
               Note("D5", 2, "quarter") + Note("E5", 2, "quarter") + "</measure><measure>" + Note("C5", 6, "half", dot) +
               Backup(6) + Rest(6, " measure=\"yes\"", nullptr, "2") + "</measure>"),
         {"staff 1 measure 1 length 5120 clef 0 key 7 time 5/10", "staff 1 measure 2 length 2560 clef 0 key 7 time 5/9",
          "staff 1 measure 3 length 4608 clef 0 key 7 time 9/9", "staff 1 measure 4 length 3072 clef 0 key 7 time 3/10",
          "staff 1 measure 5 length 3072 clef 0 key 7 time 3/10", "  v0: |0:10.0@-5 |1024:10.0@-6 |2048:10.0@-7",
          "staff 1 measure 6 length 3072 clef 0 key 7 time 3/10", "  v2: rest 0:11.1"},
         {}},
        // A pickup and a measure the file marks implicit are as long as their
        // notes; a measure that is short without such a mark keeps its signature's
        // length.
        {"pickup and implicit measures",
         Score("<measure implicit=\"yes\">" + Attributes(1, Time(3, 4)) + Note("G4", 1, "quarter") +
               "</measure><measure>" + Note("C5", 3, "half", dot) + "</measure><measure>" + Note("D5", 2, "half") +
               "</measure><measure implicit=\"yes\">" + Note("E5", 2, "half") + "</measure><measure>" +
               Note("F5", 3, "half", dot) + "</measure>"),
         {"staff 1 measure 1 length 1024 clef 0 key 7 time 3/10", "staff 1 measure 2 length 3072 clef 0 key 7 time 3/10",
          "staff 1 measure 3 length 3072 clef 0 key 7 time 3/10", "staff 1 measure 4 length 2048 clef 0 key 7 time 3/10",
          "staff 1 measure 5 length 3072 clef 0 key 7 time 3/10"},
         {}},
        // Values out of range keep their notes: a quarter tone takes the nearest
        // semitone (a sharp, acc1, and a double flat, acc4), a voice that is no number
        // the next free voice (the same one for each use), and a note that cannot be
        // placed leaves its time (a rest) to the next.
        {"values out of range",
         Score("<measure>" + Attributes(1, Time(4, 4)) + Note("F4 0.5", 1, "quarter") +
               Note("B4 -1.5", 1, "quarter") +
               "<note><pitch><step>C</step><octave>12</octave></pitch><duration>1</duration><type>quarter</type></note>" +
               Note("E5", 1, "quarter") + Backup(4) + Note("C4", 2, "half", "", "lower") +
               Note("D4", 2, "half", "", "lower") + "</measure>"),
         {"|0:10.0@-1 acc1 |1024:10.0@-4 acc4 |3072:10.0@-7 rest 2048:10.0", "|0:11.0@2 |2048:11.0@1"},
         {{musicxml::kRoundedAlterations, 2}, {musicxml::kVoicesWithoutNumber, 1}, {"out-of-range number in <octave>", 1}}},
        // Text in code page 1252 keeps its typographic characters; one it lacks is
        // counted. An elision joins two syllables under one note.
        {"code page 1252 and elisions",
         Score("<measure>" + Attributes(1, Time(2, 4)) +
                   Note("C5", 1, "quarter", Lyric("<text>\u201CAh\u201D \u2013 5\u20AC\u2026\u2192</text>")) +
                   Note("D5", 1, "quarter", Lyric("<syllabic>single</syllabic><text>sa</text><elision/>"
                                                          "<syllabic>begin</syllabic><text>al</text>")) +
                   "</measure>"),
         {"  v0: |0:10.0@-5 [\x93" "Ah\x94 \x96 5\x80\x85?/0] |1024:10.0@-6 [sa al-/0]"},
         {{musicxml::kCharactersOutside1252, 1}}},
        // A part the part list does not name is left out; the others come in.
        {"part missing from the part list",
         Score("<measure>" + Attributes(1, Time(2, 4)) + Note("C5", 2, "half") + "</measure></part><part id=\"Q\">"
               "<measure>" + Attributes(1, Time(2, 4)) + Note("A3", 2, "half") + "</measure>"),
         {"staff 1 measure 1 length 2048 clef 0 key 7 time 2/10", "  v0: |0:11.0@-5"},
         {{musicxml::kUnlistedParts, 1}}},
        // Without a time signature each measure is as long as its music, and the
        // signature the score takes (the first full measure's) is not shown.
        {"no time signature",
         Score("<measure>" + Attributes(1, "") + Note("G4", 1, "quarter") + "</measure><measure>" + Note("C5", 1, "quarter") +
               Note("D5", 1, "quarter") + "</measure><measure>" + Note("E5", 2, "half") + "</measure><measure>" +
               Note("F5", 1, "quarter") + "</measure><measure>" + Note("G5", 3, "half", dot) + "</measure>"),
         {"staff 1 measure 1 length 1024 clef 0 key 7 time 2/10 hidden", "staff 1 measure 2 length 2048 clef 0 key 7 time 2/10",
          "staff 1 measure 3 length 2048 clef 0 key 7 time 2/10", "staff 1 measure 4 length 1024 clef 0 key 7 time 2/10",
          "staff 1 measure 5 length 3072 clef 0 key 7 time 2/10"},
         {}},
        // A part name the file does not print, measure numbers it turns off, and an
        // entity its external DTD would give: nothing shown, the entity reported.
        {"what the file hides",
         Score("<measure>" + Attributes(1, Time(2, 4)) + "<print><measure-numbering>none</measure-numbering></print>" +
                   Note("C5", 2, "half") + "<direction><direction-type><words>dolce&nbsp;</words></direction-type></direction>" +
                   "</measure>",
               "<score-part id=\"P\"><part-name print-object=\"no\">Pianoforte</part-name></score-part>",
               "<!DOCTYPE score-partwise PUBLIC \"-//Test//DTD Partwise//EN\" \"http://localhost/partwise.dtd\">"),
         {"numbering 0"},
         {{musicxml::kExternalEntities, 1}},
         "Pianoforte"},
        // Measures of rests at the end come in, each one, under a repeat ending
        // too, and a score of nothing but rests keeps its measures.
        {"trailing measures of rests",
         Score("<measure>" + Attributes(1, Time(2, 4)) + Note("C5", 2, "half") + "</measure><measure>" +
               "<barline location=\"left\"><ending number=\"1\" type=\"start\"/></barline>" +
               Rest(2, " measure=\"yes\"") +
               "<barline location=\"right\"><ending number=\"1\" type=\"stop\"/></barline></measure><measure>" +
               Rest(2) + "</measure>"),
         {"staff 1 measure 3 length 2048 clef 0 key 7 time 2/10"},
         {},
         "",
         3},
        // Verses a file names rather than numbers take lines by the order their
        // names first appear in the part.
        {"verses by name",
         Score("<measure>" + Attributes(1, Time(2, 4)) +
               Note("C5", 1, "quarter", "<lyric number=\"verse1\"><text>la</text></lyric><lyric number=\"verse2\"><text>lo</text></lyric>") +
               Note("D5", 1, "quarter", "<lyric number=\"verse2\"><text>li</text></lyric>") + "</measure>"),
         {"  v0: |0:10.0@-5 [lo/1] [la/0] |1024:10.0@-6 [li/1]"},
         {{"out-of-range number in <lyric>", 0}, {"lyric verse above 4", 0}}},
        // A grace note keeps to its note across a direction written between them.
        {"grace note before a direction",
         Score("<measure>" + Attributes(1, Time(2, 4)) + Note("C5", 1, "quarter") +
               "<note><grace/><pitch><step>D</step><octave>5</octave></pitch><type>eighth</type></note>"
               "<direction><direction-type><dynamics><f/></dynamics></direction-type></direction>" +
               Note("E5", 1, "quarter") + "</measure>"),
         {"  v0: |0:10.0@-5 |1024:10.0@-7", "  v1: |1024:9.0@-6 grace-16"},
         {}},
        // Cue notes (marked so, or by their type's size) are shown petite and not
        // played; the part's own notes beside them are.
        {"cue notes",
         Score("<measure>" + Attributes(1, Time(3, 4)) + Note("C5", 1, "quarter") +
               "<note><cue/><pitch><step>D</step><octave>5</octave></pitch><duration>1</duration><type>quarter</type></note>"
               "<note><pitch><step>E</step><octave>5</octave></pitch><duration>1</duration><type size=\"cue\">quarter</type></note>"
               "</measure>"),
         {"  v0: |0:10.0@-5 |1024:10.0@-6 petite unplayed |2048:10.0@-7 petite unplayed"},
         {}},
        // A tie from one staff of a part to the other (right hand to left hand)
        // is left out with a count, not left open: the score ties notes of one staff.
        {"tie across the staves of a part",
         Score("<measure>" + Attributes(1, Time(2, 4), 2) +
               Note("C4", 2, "half", one + "<notations><tied type=\"start\"/></notations>") + "</measure><measure>" +
               Note("C4", 2, "half", two + "<notations><tied type=\"stop\"/></notations>") + "</measure>"),
         {"staff 1 measure 1 length 2048 clef 0 key 7 time 2/10\n  v0: |0:11.0@2", "  v0: |0:11.0@-10"},
         {{musicxml::kTiesAcrossStaves, 1}}},
        // A tuplet of more notes than the score's ratios hold (17 in the time of 3)
        // keeps every note in its voice, played in the nearest ratio the score has.
        {"tuplet of 17 notes",
         Score("<measure>" + Attributes(34, Time(3, 8)) + Tuplet17() + "</measure>"),
         {"  v0: |0:9.0@-5 tup2/97 |90:9.0@-5 tup2/97 |180:9.0@-5 tup2/97 |271:9.0@-5 tup2/97 |361:9.0@-5 tup2/97 "
          "|451:9.0@-5 tup2/97 |542:9.0@-5 tup2/97 |632:9.0@-5 tup2/97 |722:9.0@-5 tup2/97 [51] |813:9.0@-5 tup2/97 "
          "|903:9.0@-5 tup2/97 |993:9.0@-5 tup2/97 |1084:9.0@-5 tup2/97 |1174:9.0@-5 tup2/97 |1264:9.0@-5 tup2/97 "
          "|1355:9.0@-5 tup2/97 |1445:9.0@-5 tup2/97"},
         {}},
        // Note heads of other shapes: filled or open by their value unless the
        // file says; a shape the score does not draw is counted, the head plain.
        {"note heads",
         Score("<measure>" + Attributes(1, Time(4, 4)) + Note("C5", 1, "quarter", "<notehead>x</notehead>") +
               Note("D5", 2, "half", "<notehead>x</notehead>") + Note("E5", 1, "quarter", "<notehead>diamond</notehead>") +
               "</measure><measure>" + Note("F5", 1, "quarter", "<notehead filled=\"no\">square</notehead>") +
               Note("G5", 1, "quarter", "<notehead>circle dot</notehead>") +
               Note("A5", 2, "half", "<notehead filled=\"yes\">rectangle</notehead>") + "</measure>"),
         {"  v0: |0:10.0@-5 head2 |1024:11.0@-6 head2 |3072:10.0@-7",
          "  v0: |0:10.0@-8 head11 |1024:10.0@-9 |2048:11.0@-10 head5"},
         {{"notehead", 2}}},
        {"only measures of rests",
         Score("<measure>" + Attributes(1, Time(4, 4)) + Rest(4) + "</measure><measure>" + Rest(4) + "</measure>"),
         {"staff 1 measure 2 length 4096 clef 0 key 7 time 4/10"},
         {},
         "",
         2},
    };
}

class MusicXmlConversionCasesTest : public testing::ProgramFixture {};

TEST_F(MusicXmlConversionCasesTest, EachFileImportsAsItsMusicSays) {
    ASSERT_EQ(Start(), StartupCode::Ok);
    for (const Case& test : Cases()) {
        SCOPED_TRACE(test.name);
        const MusicXmlConversion conversion = ConvertMusicXml(
            std::vector<uint8_t>(test.xml.begin(), test.xml.end()), MusicXmlForm::Plain);
        ASSERT_TRUE(conversion.ok) << conversion.error;
        for (const auto& [kind, count] : test.counts)
            EXPECT_EQ(conversion.skipped.CountOf(kind), count) << kind << "\n" << conversion.skipped.Text();
        if (!test.absent.empty()) {
            EXPECT_EQ(std::search(conversion.niff.begin(), conversion.niff.end(), test.absent.begin(), test.absent.end()),
                      conversion.niff.end());
        }
        ui::headless::ResetUi();
        ScoreView* view = niff::OpenNiffScoreWindowFromMemory(conversion.niff, "case_XML");
        ASSERT_NE(view, nullptr);
        if (test.measures != 0) {
            EXPECT_EQ(view->document->header.measureCount, test.measures);
        }
        std::string dump = testing::ImportedScoreDump(view->document);
        dump = dump.substr(0, dump.find("page 1")) + "numbering " +
               std::to_string(view->document->header.pageGeometry.measureNumberStyle) + "\n";
        for (const std::string& line : test.lines)
            EXPECT_NE(dump.find(line + "\n"), std::string::npos) << line << "\n" << dump;
        EXPECT_TRUE(testing::EngravingIsClean(view)) << test.name;
        ForceCloseScoreWindow(view->ViewWindow);
        Pump();
    }
}

}  // namespace
}  // namespace ql
