// Where the directions of an imported MusicXML score stand, read from the ink the
// page paint draws: a dynamic below its staff (above when the file says so), clear
// of the notes, stems and lyrics; a hairpin on the line of its dynamic; a text over
// its measure beside its own staff (below when the file says so), not piled over
// the system, a tempo word every later part gives printed once over the first.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "core/draw/draw_surface.h"
#include "core/draw/ink_tag.h"
#include "core/model/view.h"
#include "core/objects/score_object.h"
#include "display/engraving_check.h"
#include "display/tests/painter/engraving_expect.h"
#include "display/view_location.h"
#include "interchange/imported_text_room.h"
#include "interchange/musicxml/musicxml_convert.h"
#include "interchange/niff/niff_import.h"
#include "objects/hairpin/hairpin_class.h"
#include "platform/text/text_ink_tap.h"
#include "platform/ui/headless.h"
#include "shell/program/score_windows.h"
#include "shell/tests/program/musicxml_text_scores.h"
#include "shell/tests/program/page_pictures.h"
#include "shell/tests/program/program_fixture.h"

namespace ql {
namespace {

constexpr int32_t kSpace = 128;
constexpr int32_t kTouch = 16;  // ink boxes a device pixel apart only touch

struct InkRun {
    gfx::Rect box;
    const ScoreObject* object = nullptr;
    ScoreSystem* system = nullptr;
    int staff = 0;
    int measure = 0;
    std::string text;
};

// Every run of text or glyphs the pages' paint draws, one device pixel a unit.
std::vector<InkRun> PaintedInk(ScoreView* view) {
    std::vector<InkRun> runs;
    const int32_t zoom = view->zoom;
    view->zoom = kMappingUnits;
    const text::TextInkTap kept = text::SetTextInkTap([&](const text::TextInk& ink) {
        std::string text(ink.bytes);
        for (const char16_t c : ink.text) text += static_cast<char>(c < 127 ? c : '?');
        runs.push_back({ink.box, CurrentInkObject(), view->currentSystem, view->currentStaff,
                        view->currentMeasure, text});
    });
    PaintEachPage(view,
                  [](ScorePage*, int, platform::DcHandle, const std::function<void()>& paint) {
                      paint();
                      return true;
                  });
    text::SetTextInkTap(kept);
    view->zoom = zoom;
    return runs;
}

bool IsType(const ScoreObject* object, ObjectType type) {
    return object != nullptr && object->type == TypeCode(type);
}

std::string Direction(const std::string& type, int staff, const std::string& placement,
                      bool directive = false) {
    return std::string("<direction") + (directive ? " directive=\"yes\"" : "") + " placement=\"" +
           placement + "\"><direction-type>" + type + "</direction-type><staff>" +
           std::to_string(staff) + "</staff></direction>";
}
std::string Dynamic(const char* mark, int staff = 1, const char* placement = "below") {
    return Direction(std::string("<dynamics><") + mark + "/></dynamics>", staff, placement);
}
std::string Wedge(const char* type, const char* placement = "below") {
    return Direction(std::string("<wedge type=\"") + type + "\"/>", 1, placement);
}
std::string Words(const char* text, const char* placement = "above", bool directive = false) {
    return Direction(std::string("<words>") + text + "</words>", 1, placement, directive);
}
// A quarter note, stem down, on `staff`, with what follows its stem.
std::string Quarter(const char* pitch, int staff = 1, const std::string& after = "") {
    return std::string("<note><pitch><step>") + pitch[0] + "</step><octave>" + pitch[1] +
           "</octave></pitch><duration>1</duration><voice>" + std::to_string(staff) +
           "</voice><type>quarter</type><stem>down</stem><staff>" + std::to_string(staff) +
           "</staff>" + after + "</note>";
}

// `parts` parts of `staves` staves (treble, then bass), four measures of 4/4 each,
// the content of part p's measure m from `measure(p, m)`.
std::string Score(int parts, int staves, const std::function<std::string(int, int)>& measure) {
    std::string list, music;
    for (int p = 1; p <= parts; ++p) {
        list += "<score-part id=\"P" + std::to_string(p) + "\"><part-name>P" + std::to_string(p) +
                "</part-name></score-part>";
        music += "<part id=\"P" + std::to_string(p) + "\">";
        for (int m = 1; m <= 4; ++m)
            music += "<measure number=\"" + std::to_string(m) + "\">" +
                     (m > 1 ? ""
                            : "<attributes><divisions>1</divisions><time><beats>4</"
                              "beats><beat-type>4</beat-type></time>"
                              "<staves>" +
                                  std::to_string(staves) +
                                  "</staves><clef number=\"1\"><sign>G</sign>"
                                  "<line>2</line></clef><clef "
                                  "number=\"2\"><sign>F</sign><line>4</line></clef></attributes>") +
                     measure(p, m) + "</measure>";
        music += "</part>";
    }
    return "<score-partwise><part-list>" + list + "</part-list>" + music + "</score-partwise>";
}

// Piano: the right hand's stems down below its staff, a "p" and a crescendo under
// it, an "f" under the left hand, a "pp" the file puts above it.
std::string Piano(int, int m) {
    const std::string right = (m == 2 ? Dynamic("p") + Wedge("crescendo") : "") + Quarter("B4") +
                              Quarter("C5") + (m == 2 ? Wedge("stop") : "") + Quarter("B4") +
                              Quarter("A4");
    return right + "<backup><duration>4</duration></backup>" + Quarter("D3", 2) + Quarter("E3", 2) +
           (m == 3 ? Dynamic("f", 2) : "") + Quarter("F3", 2) +
           (m == 4 ? Dynamic("pp", 2, "above") : "") + Quarter("G3", 2);
}
// "p < f" over the staff: the "p" over a high note, the "f" over a low one.
std::string Swell(int, int m) {
    if (m != 2) return Quarter("B4") + Quarter("B4") + Quarter("B4") + Quarter("B4");
    return Dynamic("p", 1, "above") + Wedge("crescendo", "above") + Quarter("A5") + Quarter("G5") +
           Wedge("stop", "above") + Dynamic("f", 1, "above") + Quarter("E4") + Quarter("F4");
}
// A song: a syllable under every note, an "mf" under the voice.
std::string Song(int, int m) {
    std::string voice = m == 2 ? Dynamic("mf") : "";
    for (const char* syllable : {"Ah", "vous", "di", "rai"})
        voice += Quarter("F4", 1, std::string("<lyric><text>") + syllable + "</text></lyric>");
    return voice;
}
// Texts on later beats: "dolce" the file puts below measure 2, "pizz." over beat 2
// of measure 3, "Allegro" over measure 4.
std::string Texts(int, int m) {
    return (m == 4 ? Words("Allegro") : "") + Quarter("G4") + (m == 3 ? Words("pizz.") : "") +
           (m == 2 ? Words("dolce", "below") : "") + Quarter("A4") + Quarter("B4") + Quarter("C5");
}
// Four string parts, their notes high over the staff (no room between the staves),
// a "pizz." over each second measure; the later parts give "Tempo" as a directive,
// and every part rehearsal mark "B" at measure 3.
std::string Strings(int p, int m) {
    std::string music = (m == 1 && p > 1 ? Words("Tempo", "above", true) : "") +
                        (m == 2 ? Words("pizz.") : "") +
                        (m == 3 ? Direction("<rehearsal>B</rehearsal>", 1, "above") : "");
    for (const char* pitch : {"A5", "C6", "A5", "C6"}) music += Quarter(pitch);
    return music;
}

// Two parts, the second's notes high over its staff and a diminuendo the file puts
// above them: the hairpin stands nearer the first part's staff than its own.
std::string HighWedge(int p, int m) {
    if (p == 1 || m != 2) return Quarter("B4") + Quarter("B4") + Quarter("B4") + Quarter("B4");
    return Wedge("diminuendo", "above") + Quarter("C6") + Quarter("A5") + Quarter("C6") +
           Wedge("stop", "above") + Quarter("A5");
}
// A crescendo over a measure with an "ff" under its second note, in its middle.
std::string WedgeOverDynamic(int, int m) {
    if (m != 2) return Quarter("B4") + Quarter("B4") + Quarter("B4") + Quarter("B4");
    return Wedge("crescendo") + Quarter("E4") + Dynamic("ff") + Quarter("D4") + Quarter("G4") +
           Wedge("stop") + Quarter("F4");
}
// Two voices, the upper one's rest raised over the staff under a "pp" the file
// puts above it.
std::string RaisedRest(int, int m) {
    const auto note = [](const char* pitch, int voice, const char* stem) {
        return std::string("<note><pitch><step>") + pitch[0] + "</step><octave>" + pitch[1] +
               "</octave></pitch><duration>1</duration><voice>" + std::to_string(voice) +
               "</voice><type>quarter</type><stem>" + stem + "</stem></note>";
    };
    const std::string rest =
        "<note><rest/><duration>1</duration><voice>1</voice><type>quarter</type></note>";
    const std::string upper = m == 2 ? note("A5", 1, "up") + Dynamic("pp", 1, "above") + rest +
                                           note("G5", 1, "up") + note("A5", 1, "up")
                                     : note("A5", 1, "up") + note("G5", 1, "up") +
                                           note("A5", 1, "up") + note("G5", 1, "up");
    return upper + "<backup><duration>4</duration></backup>" + note("E4", 2, "down") +
           note("D4", 2, "down") + note("E4", 2, "down") + note("D4", 2, "down");
}

// Two voices with ties: the upper voice's high pair stemmed up, the lower voice's
// pair over the upper voice's note sung below it between them.
std::string CrossedTies(int, int m) {
    const auto note = [](const char* pitch, int voice, int length, const char* tie = nullptr) {
        const std::string tied = tie != nullptr ? std::string("<tie type=\"") + tie + "\"/>" : "";
        return std::string("<note><pitch><step>") + pitch[0] + "</step><octave>" + pitch[1] +
               "</octave></pitch><duration>" + std::to_string(length) + "</duration>" + tied +
               "<voice>" + std::to_string(voice) + "</voice><type>" +
               (length == 2 ? "half" : "quarter") + "</type><stem>" + (voice == 1 ? "up" : "down") +
               "</stem>" +
               (tie != nullptr ? std::string("<notations><tied type=\"") + tie + "\"/></notations>"
                               : "") +
               "</note>";
    };
    if (m != 2) return note("B4", 1, 1) + note("B4", 1, 1) + note("B4", 1, 1) + note("B4", 1, 1);
    return note("B4", 1, 1) + note("A4", 1, 1) + note("G5", 1, 1, "start") +
           note("G5", 1, 1, "stop") + "<backup><duration>4</duration></backup>" +
           note("D5", 2, 2, "start") + note("D5", 2, 1, "stop") + note("G4", 2, 1);
}

// Low notes with sharps and flats, stemmed up, under a "p" below each of them.
std::string LowAccidentals(int, int m) {
    std::string music;
    for (const char* pitch : {"B3", "C4", "A3", "C4"}) {
        const bool flat = pitch[0] != 'C';
        music += (m == 2 ? Dynamic("p") : "") + "<note><pitch><step>" + pitch[0] +
                 "</step><alter>" + (flat ? "-1" : "1") + "</alter><octave>" + pitch[1] +
                 "</octave></pitch><duration>1</duration><voice>1</voice><type>quarter</type>"
                 "<accidental>" +
                 (flat ? "flat" : "sharp") + "</accidental><stem>up</stem></note>";
    }
    return music;
}

// What the ink of the marks of one kind shows: so many runs of `type` (with that
// text, when given), each in `measure` on `staff` (0: any), above or below its
// staff's lines by at least `gap` and no more than four spaces beyond its notes
// (the staff above's top line, for one above), over no other run when `alone`.
struct Expect {
    ObjectType type;
    const char* text;
    int measure;
    int staff;
    bool above;
    int count;
    int32_t gap = 0;
    bool alone = true;
};

class MusicXmlMarkPlacesTest : public testing::ProgramFixture {
  protected:
    ScoreView* Import(const std::string& xml, const std::string& title) {
        return testing::ImportMusicXmlText(xml, title);
    }
};

TEST_F(MusicXmlMarkPlacesTest, MarksStandBesideTheirStaffAtTheirMeasure) {
    ASSERT_EQ(Start(), StartupCode::Ok);
    const struct {
        const char* name;
        std::string xml;
        std::vector<Expect> marks;
    } scores[] = {
        {"piano",
         Score(1, 2, Piano),
         {{ObjectType::Dynamic, "", 2, 1, false, 1, 3 * kSpace / 2},
          {ObjectType::Dynamic, "", 3, 2, false, 1},
          {ObjectType::Dynamic, "", 4, 2, true, 1}}},
        {"song", Score(1, 1, Song), {{ObjectType::Dynamic, "", 2, 1, false, 1}}},
        {"texts",
         Score(1, 1, Texts),
         {{ObjectType::Text, "dolce", 2, 1, false, 1},
          {ObjectType::Text, "pizz.", 3, 1, true, 1},
          {ObjectType::Text, "Allegro", 4, 1, true, 1}}},
        {"strings",
         Score(4, 1, Strings),
         {{ObjectType::Text, "pizz.", 2, 0, true, 4, 0, false},
          {ObjectType::Text, "Tempo", 1, 1, true, 1, 0, false},
          {ObjectType::Text, "B", 3, 1, true, 1, 0, false}}},
        {"wedge over a dynamic",
         Score(1, 1, WedgeOverDynamic),
         {{ObjectType::Dynamic, "", 2, 1, false, 1}}},
        {"raised rest", Score(1, 1, RaisedRest), {{ObjectType::Dynamic, "", 2, 1, true, 1}}},
        {"crossed ties", Score(1, 1, CrossedTies), {}},
        {"low accidentals",
         Score(1, 1, LowAccidentals),
         {{ObjectType::Dynamic, "", 2, 1, false, 4}}},
    };
    for (const auto& score : scores) {
        SCOPED_TRACE(score.name);
        ScoreView* view = Import(score.xml, std::string("marks_") + score.name + "_XML");
        ASSERT_NE(view, nullptr);
        EXPECT_TRUE(testing::SavePagePictures(view, std::string("marks_") + score.name));
        const std::vector<InkRun> ink = PaintedInk(view);
        for (const Expect& mark : score.marks) {
            SCOPED_TRACE(::testing::Message() << mark.text << " in measure " << mark.measure);
            int seen = 0;
            for (const InkRun& run : ink) {
                if (!IsType(run.object, mark.type) || (*mark.text != 0 && run.text != mark.text) ||
                    (*mark.text == 0 && run.measure != mark.measure))
                    continue;
                ++seen;
                EXPECT_EQ(run.measure, mark.measure);
                EXPECT_TRUE(mark.staff == 0 || run.staff == mark.staff) << run.staff;
                SetCurrentSystemAndMeasureQuick(view, run.system, run.staff, mark.measure);
                const int slot = view->currentSlot;
                EXPECT_GE(run.box.left + kTouch, SlotBarlineX(view, run.system, slot));
                EXPECT_LT(run.box.left, SlotBarlineX(view, run.system, slot + 1));
                const StaffLinesY lines = StaffLinesIn(view, run.system, run.staff);
                const int32_t ceiling = run.staff > 1
                                            ? StaffLinesIn(view, run.system, run.staff - 1).top
                                            : lines.top - 8 * kSpace;
                if (mark.above) {
                    EXPECT_LE(run.box.bottom, lines.top - mark.gap);
                    EXPECT_GT(run.box.top, ceiling);
                } else {
                    EXPECT_GE(run.box.top, lines.bottom + mark.gap);
                    EXPECT_LE(run.box.top, lines.bottom + 8 * kSpace);
                }
                for (const InkRun& other : ink) {
                    const bool over = std::min(run.box.right, other.box.right) -
                                              std::max(run.box.left, other.box.left) >
                                          kTouch &&
                                      std::min(run.box.bottom, other.box.bottom) -
                                              std::max(run.box.top, other.box.top) >
                                          kTouch;
                    EXPECT_FALSE(mark.alone && other.object != run.object && over)
                        << "over \"" << other.text << "\"";
                }
            }
            EXPECT_EQ(seen, mark.count);
        }
        EXPECT_TRUE(testing::EngravingIsClean(view));
        ForceCloseScoreWindow(view->ViewWindow);
        Pump();
    }
}

// The crescendo starts after the "p" it follows and ends before the "f", the
// three on one line, that of the "p" over the high note.
TEST_F(MusicXmlMarkPlacesTest, HairpinAndItsDynamicsStandOnOneLine) {
    ASSERT_EQ(Start(), StartupCode::Ok);
    ScoreView* view = Import(Score(1, 1, Swell), "marks_hairpin_XML");
    ASSERT_NE(view, nullptr);
    std::vector<InkRun> marks;
    for (const InkRun& run : PaintedInk(view))
        if (IsType(run.object, ObjectType::Dynamic) && run.measure == 2) marks.push_back(run);
    ASSERT_EQ(marks.size(), 2u);
    SetCurrentSystemAndMeasureQuick(view, marks[0].system, 1, 2);
    ScoreObject* hairpin = nullptr;
    for (ScoreObject* o = view->currentCell->objects->next.get(); o != nullptr; o = o->next.get())
        if (IsType(o, ObjectType::Hairpin)) hairpin = o;
    ASSERT_NE(hairpin, nullptr);
    const HairpinShape shape = DecodeHairpinShape(AsHairpin(hairpin), view);
    for (const InkRun& mark : marks)
        EXPECT_NEAR(shape.apex.y, (mark.box.top + mark.box.bottom) / 2, kSpace / 2);
    EXPECT_GT(shape.apex.x, std::min(marks[0].box.right, marks[1].box.right));
    EXPECT_LT(shape.upper.x, std::max(marks[0].box.left, marks[1].box.left));
}

// A crescendo over eight crowded measures carried on from system to system, a
// dynamic under the first note of every measure but the first: the dynamics of the
// later systems keep clear of the pieces carried on to them.
TEST_F(MusicXmlMarkPlacesTest, DynamicsKeepClearOfAHairpinCarriedOnToTheirSystem) {
    ASSERT_EQ(Start(), StartupCode::Ok);
    std::string music;
    for (int m = 1; m <= 8; ++m) {
        music += "<measure number=\"" + std::to_string(m) + "\">" +
                 (m == 1 ? "<attributes><divisions>4</divisions><time><beats>4</"
                           "beats><beat-type>4</beat-type>"
                           "</time><clef><sign>G</sign><line>2</line></clef></attributes>" +
                               Wedge("crescendo")
                         : Dynamic(m % 2 == 0 ? "mf" : "ff"));
        for (int n = 0; n < 16; ++n)
            music += std::string("<note><pitch><step>") + "CEGB"[n % 4] + "</step><alter>" +
                     (n % 2 ? "1" : "0") +
                     "</alter><octave>5</octave></pitch><duration>1</duration><voice>1</"
                     "voice><type>16th</type>"
                     "<accidental>" +
                     (n % 2 ? "sharp" : "natural") + "</accidental></note>";
        music += (m == 8 ? Wedge("stop") : "") + "</measure>";
    }
    ScoreView* view = Import(
        "<score-partwise><part-list><score-part id=\"P1\"><part-name>P1</part-name></score-part>"
        "</part-list><part id=\"P1\">" +
            music + "</part></score-partwise>",
        "marks_carried_wedge_XML");
    ASSERT_NE(view, nullptr);
    EXPECT_NE(view->document->firstPage->firstSystem->next.get(), nullptr);
    EXPECT_TRUE(testing::EngravingIsClean(view));
}

// The second part's diminuendo is drawn above its own staff, under the first's,
// though it stands nearer the first.
TEST_F(MusicXmlMarkPlacesTest, HairpinAboveALowerStaffStaysOverIt) {
    ASSERT_EQ(Start(), StartupCode::Ok);
    ScoreView* view = Import(Score(2, 1, HighWedge), "marks_high_wedge_XML");
    ASSERT_NE(view, nullptr);
    ScoreSystem* system = view->document->firstPage->firstSystem.get();
    SetCurrentSystemAndMeasureQuick(view, system, 2, 2);
    ScoreObject* hairpin = nullptr;
    for (ScoreObject* o = view->currentCell->objects->next.get(); o != nullptr; o = o->next.get())
        if (IsType(o, ObjectType::Hairpin)) hairpin = o;
    ASSERT_NE(hairpin, nullptr);
    const HairpinShape shape = DecodeHairpinShape(AsHairpin(hairpin), view);
    const int32_t top = std::min({shape.upper.y, shape.apex.y, shape.lower.y});
    const int32_t bottom = std::max({shape.upper.y, shape.apex.y, shape.lower.y});
    EXPECT_GT(top, StaffLinesIn(view, system, 1).bottom);
    EXPECT_LT(bottom, StaffLinesIn(view, system, 2).top);
    EXPECT_TRUE(testing::EngravingIsClean(view));
}

}  // namespace
}  // namespace ql
