// Kinds of notation a MusicXML file carries, imported as a user would: grace notes,
// articulations and ornaments, arpeggios, unpitched percussion notes, more than
// four voices on a staff, values longer than one note shows, and ties between
// notes apart. Each becomes what the score can hold, and draws; only what it cannot
// hold is listed.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "display/tests/painter/engraving_expect.h"
#include "core/model/score_document.h"
#include "core/model/view.h"
#include "interchange/musicxml/musicxml_import.h"
#include "objects/curves/curve_objects.h"
#include "platform/ui/headless.h"
#include "platform/ui/message_box.h"
#include "shell/program/score_windows.h"
#include "shell/tests/program/imported_score_dump.h"
#include "shell/tests/program/isolation_scores.h"
#include "shell/tests/program/page_pictures.h"
#include "shell/tests/program/program_fixture.h"
#include "shell/tests/program/staff_contents.h"

namespace ql {
namespace {

// A note: its content before <duration> (grace, chord, pitch), its duration in
// divisions (none for a grace note), voice, type and what follows (stem, notations).
std::string Note(const std::string& head, int duration, int voice, const char* type, const std::string& tail = "") {
    return "<note>" + head + (duration > 0 ? "<duration>" + std::to_string(duration) + "</duration>" : "") +
           "<voice>" + std::to_string(voice) + "</voice><type>" + type + "</type>" + tail + "</note>";
}
std::string Pitch(const char* step, int octave) {
    return std::string("<pitch><step>") + step + "</step><octave>" + std::to_string(octave) + "</octave></pitch>";
}
std::string Quarter(const char* step, const std::string& notations = "", int voice = 1) {
    const std::string marks = notations.empty() ? "" : "<notations>" + notations + "</notations>";
    return Note(Pitch(step, 5), 1, voice, "quarter", marks);
}
std::string Grace(const char* step, const char* type = "eighth", const std::string& beam = "") {
    return Note("<grace/>" + Pitch(step, 5), 0, 1, type, "<stem>up</stem>" + beam);
}
// An eighth of a beamed triplet on beat 1 (three divisions to the quarter).
std::string Triplet(const char* step, const char* bracket = "") {
    const std::string beam = *bracket == 0 ? "continue" : std::string(bracket) == "start" ? "begin" : "end";
    return "<note>" + Pitch(step, 5) + "<duration>1</duration><voice>1</voice><type>eighth</type>"
           "<time-modification><actual-notes>3</actual-notes><normal-notes>2</normal-notes></time-modification>"
           "<beam number=\"1\">" + beam + "</beam>" +
           (*bracket != 0 ? std::string("<notations><tuplet type=\"") + bracket + "\"/></notations>" : "") + "</note>";
}
std::string Backup(int quarters) {
    return "<backup><duration>" + std::to_string(quarters) + "</duration></backup>";
}

// One part, one quarter to a division (or `divisions`), in `beats`/`unit` with `clef`.
std::string Score(const std::vector<std::string>& measures, int beats = 4, int unit = 4,
                  const std::string& clef = "<clef><sign>G</sign><line>2</line></clef>", int divisions = 1) {
    std::string xml = "<score-partwise><part-list><score-part id=\"P\"><part-name>A</part-name></score-part>"
                      "</part-list><part id=\"P\">";
    for (size_t m = 0; m < measures.size(); ++m) {
        xml += "<measure number=\"" + std::to_string(m + 1) + "\">";
        if (m == 0)
            xml += "<attributes><divisions>" + std::to_string(divisions) + "</divisions><time><beats>" +
                   std::to_string(beats) + "</beats><beat-type>" + std::to_string(unit) + "</beat-type></time>" +
                   clef + "</attributes>";
        xml += measures[m] + "</measure>";
    }
    return xml + "</part></score-partwise>";
}

// Six voices, each filling the measure, whose rests come first in time: 1 and 2 a
// whole note; 3 a half rest and a half note, 4 two quarter rests and a half note;
// 5 and 6 a half note and a half rest.
std::string SixVoices() {
    const auto rest = [](int quarters, int voice) {
        return "<note><rest/><duration>" + std::to_string(quarters) + "</duration><voice>" + std::to_string(voice) +
               "</voice><type>" + (quarters == 2 ? "half" : "quarter") + "</type></note>";
    };
    const auto stem = [](int voice) { return voice % 2 == 1 ? "<stem>up</stem>" : "<stem>down</stem>"; };
    return Note(Pitch("E", 5), 4, 1, "whole", stem(1)) + Backup(4) + Note(Pitch("C", 4), 4, 2, "whole", stem(2)) +
           Backup(4) + rest(2, 3) + Note(Pitch("G", 4), 2, 3, "half", stem(3)) + Backup(4) + rest(1, 4) + rest(1, 4) +
           Note(Pitch("E", 4), 2, 4, "half", stem(4)) + Backup(4) + Note(Pitch("A", 4), 2, 5, "half", stem(5)) +
           rest(2, 5) + Backup(4) + Note(Pitch("F", 4), 2, 6, "half", stem(6)) + rest(2, 6);
}

std::string Unpitched(const char* step, int octave, const char* instrument) {
    const std::string display = *step == 0 ? "<unpitched/>"
                                           : std::string("<unpitched><display-step>") + step +
                                                 "</display-step><display-octave>" + std::to_string(octave) +
                                                 "</display-octave></unpitched>";
    return "<note>" + display + "<duration>1</duration><instrument id=\"" + instrument +
           "\"/><voice>1</voice><type>quarter</type></note>";
}

class MusicXmlNotationImportTest : public testing::MusicXmlProgramFixture {};

TEST_F(MusicXmlNotationImportTest, EachKindBecomesWhatTheScoreHolds) {
    ASSERT_EQ(Start(), StartupCode::Ok);
    const std::string percussion = "<clef><sign>percussion</sign></clef><staff-details><staff-lines>1</staff-lines>"
                                   "</staff-details>";
    struct Case {
        const char* name;
        std::string xml;
        std::string dump;             // the score's measures (staff lines and pages left out)
        std::vector<std::string> listed;  // the whole list of what was not converted
    } cases[] = {
        // One grace note before beat 1, two beamed sixteenths before beat 2, one after
        // the last note: each a grace note at its note's time in a free voice, before
        // it (offset -16, two staff spaces, per place) or after it; the measure keeps its four beats.
        {"grace notes",
         Score({Grace("D") + Quarter("C") + Grace("B", "16th", "<beam number=\"1\">begin</beam>") +
                Grace("C", "16th", "<beam number=\"1\">end</beam>") + Quarter("D") + Quarter("E") + Quarter("F") +
                Grace("E")}),
         "staff 1 measure 1 length 4096 clef 0 key 7 time 4/10\n"
         "  v0: |0:10.0@-5 |1024:10.0@-6 |2048:10.0@-7 |3072:10.0@-8\n"
         "  v1: |0:9.0@-6 grace-16 |1024:8.0@-11 grace-32 |3072:9.0@-7 grace16\n"
         "  v2: |1024:8.0@-5 grace-16\n",
         {}},
        // A grace note inside a triplet leaves the triplet whole: one mark (51).
        {"grace note in a triplet",
         Score({Triplet("C", "start") + Grace("C") + Triplet("D") + Triplet("E", "stop") +
                Note(Pitch("F", 5), 3, 1, "quarter") + Note(Pitch("G", 5), 3, 1, "quarter") +
                Note(Pitch("A", 5), 3, 1, "quarter")},
               4, 4, "<clef><sign>G</sign><line>2</line></clef>", 3),
         "staff 1 measure 1 length 4096 clef 0 key 7 time 4/10\n"
         "  v0: |0:9.0@-5 tup1/0 b> |341:9.0@-6 tup1/0 b<> [51] |682:9.0@-7 tup1/0 b< |1024:10.0@-8 |2048:10.0@-9 "
         "|3072:10.0@-10\n"
         "  v1: |341:9.0@-5 grace-16\n",
         {}},
        // Staccato and tenuto are the note's bits; the other marks are objects (26).
        {"articulations and ornaments",
         Score({Quarter("C", "<articulations><staccato/></articulations>") +
                Quarter("D", "<articulations><tenuto/><accent/></articulations>") +
                Quarter("E", "<articulations><detached-legato/><strong-accent/></articulations><fermata/>") +
                Quarter("F", "<technical><up-bow/></technical><ornaments><trill-mark/><mordent/></ornaments>")}),
         "staff 1 measure 1 length 4096 clef 0 key 7 time 4/10\n"
         "  v0: |0:10.0@-5 stacc |1024:10.0@-6 ten [26] |2048:10.0@-7 stacc ten [26] [26] "
         "|3072:10.0@-8 [26] [26] [26]\n",
         {}},
        // An arpeggio: a wavy line (8) on the chord.
        {"arpeggio",
         Score({Note(Pitch("C", 4), 4, 1, "whole", "<notations><arpeggiate/></notations>") +
                Note("<chord/>" + Pitch("E", 4), 4, 1, "whole", "<notations><arpeggiate/></notations>") +
                Note("<chord/>" + Pitch("G", 4), 4, 1, "whole", "<notations><arpeggiate/></notations>")}),
         "staff 1 measure 1 length 4096 clef 0 key 7 time 4/10\n"
         "  v0: |0:12.0@-2 [8] 0:12.0@0 0:12.0@2\n",
         {}},
        // Unpitched notes on a one-line percussion staff: at their display step (the
        // line is step -4), on the line without one; the instruments' own sounds
        // are what the score cannot keep.
        {"percussion",
         Score({Unpitched("B", 4, "P-snare") + Unpitched("E", 4, "P-kick") + Unpitched("", 0, "P-snare") +
                Unpitched("F", 5, "P-hat")},
               4, 4, percussion),
         "staff 1 measure 1 length 4096 clef 5 key 7 time 4/10\n"
         "  v0: |0:10.0@-4 |1024:10.0@0 |2048:10.0@-4 |3072:10.0@-8\n",
         {"sounds of percussion instruments: 3"}},
        // Six voices: the notes of the two that sound in the first half take the
        // voices of those that rest there; no rest is left under a note.
        {"six voices", Score({SixVoices()}),
         "staff 1 measure 1 length 4096 clef 0 key 7 time 4/10\n"
         "  v0: |0:12.0@-7\n"
         "  v1: |0:11.0@-3 |2048:11.0@-2\n"
         "  v2: |0:11.0@-1 |2048:11.0@0\n"
         "  v3: |0:12.0@2\n",
         {}},
        // A breve in 4/2 and a long in 4/1: tied wholes.
        {"long values",
         Score({Note(Pitch("C", 5), 8, 1, "breve"),
                "<attributes><time><beats>4</beats><beat-type>1</beat-type></time></attributes>" +
                    Note(Pitch("D", 5), 16, 1, "long")},
               4, 2),
         "staff 1 measure 1 length 8192 clef 0 key 7 time 4/11\n"
         "  v0: |0:12.0@-5 t> [5] |4096:12.0@-5 t<\n"
         "staff 1 measure 2 length 16384 clef 0 key 7 time 4/12\n"
         "  v0: |0:12.0@-6 t> [5] |4096:12.0@-6 t<> [5] |8192:12.0@-6 t<> [5] |12288:12.0@-6 t<\n",
         {}},
        // C5 tied over E5 to C5: a slur (4) from the first C5 to the second.
        {"tie apart",
         Score({Quarter("C", "<tied type=\"start\"/>") + Quarter("E") + Quarter("C", "<tied type=\"stop\"/>") +
                Quarter("G")}),
         "staff 1 measure 1 length 4096 clef 0 key 7 time 4/10\n"
         "  v0: |0:10.0@-5 |1024:10.0@-7 |2048:10.0@-5 |3072:10.0@-9\n"
         "  objects: 4\n",
         {"ties between notes apart (written as slurs): 1"}},
    };
    for (const Case& test : cases) {
        const std::filesystem::path path = scratch / (std::string(test.name) + ".xml");
        std::ofstream(path) << test.xml;
        ui::headless::ResetUi();
        ScoreView* view = ImportMusicXml(path);
        ASSERT_NE(view, nullptr) << test.name;
        std::string listed;
        for (const ui::headless::MessageBoxRecord& box : ui::headless::MessageBoxes()) listed += box.text;
        std::string expected;
        for (const std::string& line : test.listed) expected += "\n" + line;
        EXPECT_EQ(listed, test.listed.empty() ? "" : "These items of the file were not converted:" + expected)
            << test.name;
        std::string dump = testing::ImportedScoreDump(view->document);
        dump = dump.substr(0, dump.find("page 1"));
        dump.erase(0, dump.find('\n') + 1);  // the staff's lines
        EXPECT_EQ(dump.substr(0, test.dump.size()), test.dump) << test.name;
        EXPECT_FALSE(testing::isolation::PaintedPixels(view).empty()) << test.name;  // what it holds draws
        EXPECT_TRUE(testing::EngravingIsClean(view)) << test.name;
        ForceCloseScoreWindow(view->ViewWindow);
        Pump();
    }
}

// Slurs to and from grace notes (stems up, so the slurs go under the heads): from
// a grace note to its note, from a note to the grace note before the next one,
// and from a grace note into the next measure. Each slur's ends stand at its
// notes' places, a grace note's before its note's time, and its control points
// between them; the curve stands clear of the heads and stems.
TEST_F(MusicXmlNotationImportTest, SlursReachGraceNotes) {
    ASSERT_EQ(Start(), StartupCode::Ok);
    const auto slur = [](const char* type) { return std::string("<slur number=\"1\" type=\"") + type + "\"/>"; };
    const std::string xml =
        Score({Note("<grace/>" + Pitch("D", 5), 0, 1, "eighth", "<notations>" + slur("start") + "</notations>") +
                   Quarter("C", slur("stop")) + Quarter("E", slur("start")) +
                   Note("<grace/>" + Pitch("G", 5), 0, 1, "16th", "<notations>" + slur("stop") + "</notations>") +
                   Quarter("F") +
                   Note("<grace/>" + Pitch("A", 5), 0, 1, "16th", "<notations>" + slur("start") + "</notations>") +
                   Quarter("G"),
               Note(Pitch("A", 4), 4, 1, "whole", "<notations>" + slur("stop") + "</notations>")});
    const std::filesystem::path path = scratch / "grace slurs.xml";
    std::ofstream(path) << xml;
    ui::headless::ResetUi();
    ScoreView* view = ImportMusicXml(path);
    ASSERT_NE(view, nullptr);
    EXPECT_TRUE(ui::headless::MessageBoxes().empty());
    // Each slur as its ends' (tick, x from the tick) and whether it goes under.
    std::vector<std::string> slurs;
    for (ScoreObject* object : testing::ObjectsOf(view->document, 1, ObjectType::Slur)) {
        const AnchorPoint* p = AsSlur(object)->body.points;
        slurs.push_back(std::to_string(p[0].coarse[1]) + "/" + std::to_string(p[0].x) + " " +
                        std::to_string(p[3].coarse[1]) + "/" + std::to_string(p[3].x) +
                        (p[1].y > p[0].y ? " under" : " over"));
        // At one tick (a grace note's slur to its note) the control points stay in order.
        if (p[3].coarse[0] == 0 && p[3].coarse[1] == p[0].coarse[1]) {
            EXPECT_TRUE(p[0].x < p[1].x && p[1].x < p[2].x && p[2].x < p[3].x) << slurs.back();
        }
    }
    std::sort(slurs.begin(), slurs.end());
    EXPECT_EQ(slurs, (std::vector<std::string>{"0/-201 0/-32 under", "1024/0 2048/-256 under", "3072/-256 0/0 under"}));
    EXPECT_TRUE(testing::EngravingIsClean(view));
    if (std::getenv("QL_PAGE_PICTURES") != nullptr) {
        EXPECT_TRUE(testing::SavePagePictures(view, "grace_slurs"));
    }
    ForceCloseScoreWindow(view->ViewWindow);
    Pump();
}

}  // namespace
}  // namespace ql
