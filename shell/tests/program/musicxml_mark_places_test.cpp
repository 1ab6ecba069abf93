// Where the directions of an imported MusicXML score stand on its pages, read from
// the ink the page paint draws: a dynamic below its staff (above it when the file
// says so) and clear of the notes, their stems, the lyrics and the other marks; a
// hairpin on the line of the dynamics beside it; a text over the measure and time
// it belongs to, printed once. Each score is also checked by the engraving check
// and kept as pictures in the test output folder.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "core/draw/draw_surface.h"
#include "core/draw/ink_tag.h"
#include "core/model/page_records.h"
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
#include "shell/tests/program/page_pictures.h"
#include "shell/tests/program/program_fixture.h"

namespace ql {
namespace {

constexpr int32_t kSpace = 128;
constexpr int32_t kTouch = 16;  // ink boxes a device pixel apart only touch

// One run of text or glyphs a paint drew: its ink, what drew it and where.
struct InkRun {
    gfx::Rect box;
    const ScoreObject* object = nullptr;
    ScoreSystem* system = nullptr;
    int staff = 0;
    int measure = 0;
    std::string text;
};

// Every run the pages' paint draws, one device pixel to a layout unit.
std::vector<InkRun> PaintedInk(ScoreView* view) {
    std::vector<InkRun> runs;
    const int32_t zoom = view->zoom;
    view->zoom = kMappingUnits;
    const text::TextInkTap kept = text::SetTextInkTap([&](const text::TextInk& ink) {
        std::string text(ink.bytes);
        for (const char16_t c : ink.text) text += static_cast<char>(c < 127 ? c : '?');
        runs.push_back({ink.box, CurrentInkObject(), view->currentSystem, view->currentStaff, view->currentMeasure, text});
    });
    PaintEachPage(view, [](ScorePage*, int, platform::DcHandle, const std::function<void()>& paint) {
        paint();
        return true;
    });
    text::SetTextInkTap(kept);
    view->zoom = zoom;
    return runs;
}

bool Overlap(const gfx::Rect& a, const gfx::Rect& b) {
    return std::min(a.right, b.right) - std::max(a.left, b.left) > kTouch &&
           std::min(a.bottom, b.bottom) - std::max(a.top, b.top) > kTouch;
}

bool IsType(const ScoreObject* object, ObjectType type) {
    return object != nullptr && object->type == TypeCode(type);
}

std::string Pitch(const std::string& pitch) {
    return "<pitch><step>" + pitch.substr(0, 1) + "</step><octave>" + pitch.substr(1, 1) + "</octave></pitch>";
}
// A quarter note (stem down, on `staff`, with what follows its stem).
std::string Quarter(const std::string& pitch, int staff = 1, const std::string& after = "") {
    return "<note>" + Pitch(pitch) + "<duration>1</duration><voice>" + std::to_string(staff) +
           "</voice><type>quarter</type><stem>down</stem><staff>" + std::to_string(staff) + "</staff>" + after +
           "</note>";
}
std::string Direction(const std::string& type, int staff, const std::string& placement) {
    return "<direction" + (placement.empty() ? "" : " placement=\"" + placement + "\"") + "><direction-type>" + type +
           "</direction-type><staff>" + std::to_string(staff) + "</staff></direction>";
}
std::string Dynamic(const char* mark, int staff = 1, const std::string& placement = "below") {
    return Direction(std::string("<dynamics><") + mark + "/></dynamics>", staff, placement);
}
std::string Wedge(const char* type, int staff = 1) {
    return Direction(std::string("<wedge type=\"") + type + "\"/>", staff, "below");
}
std::string Words(const char* text, const std::string& placement = "above", bool directive = false) {
    const std::string direction = Direction(std::string("<words>") + text + "</words>", 1, placement);
    return directive ? "<direction directive=\"yes\"" + direction.substr(std::string("<direction").size()) : direction;
}
std::string Lyric(const char* syllable) { return "<lyric number=\"1\"><text>" + std::string(syllable) + "</text></lyric>"; }

// One part of `staves` staves (treble, then bass), four measures of 4/4, each
// measure's content from `measure`.
template <typename Measure>
std::string OnePart(int staves, Measure measure) {
    std::string xml = "<score-partwise><part-list><score-part id=\"P\"><part-name>Piano</part-name></score-part>"
                      "</part-list><part id=\"P\">";
    for (int m = 1; m <= 4; ++m) {
        xml += "<measure number=\"" + std::to_string(m) + "\">";
        if (m == 1)
            xml += "<attributes><divisions>1</divisions><time><beats>4</beats><beat-type>4</beat-type></time>"
                   "<staves>" + std::to_string(staves) + "</staves><clef number=\"1\"><sign>G</sign><line>2</line>"
                   "</clef><clef number=\"2\"><sign>F</sign><line>4</line></clef></attributes>";
        xml += measure(m) + "</measure>";
    }
    return xml + "</part></score-partwise>";
}

// Piano: the right hand's stems down to below its staff, dynamics under both hands
// (the right hand's at the start, the left's on beat 3), a crescendo from the right
// hand's dynamic over two beats, a "pp" the file puts above the left hand.
std::string PianoScore() {
    return OnePart(2, [](int m) {
        std::string right = m == 2 ? Dynamic("p") + Wedge("crescendo") : "";
        right += Quarter("B4") + Quarter("C5") + (m == 2 ? Wedge("stop") : "") + Quarter("B4") + Quarter("A4");
        std::string left = Quarter("D3", 2) + Quarter("E3", 2) + (m == 3 ? Dynamic("f", 2) : "") + Quarter("F3", 2) +
                           (m == 4 ? Dynamic("pp", 2, "above") : "") + Quarter("G3", 2);
        return right + "<backup><duration>4</duration></backup>" + left;
    });
}

// A song line: syllables under every note, a dynamic under the voice.
std::string SongScore() {
    const char* words[] = {"Ah", "vous", "di", "rai"};
    return OnePart(1, [&](int m) {
        std::string voice = m == 2 ? Dynamic("mf") : "";
        for (int q = 0; q < 4; ++q) voice += Quarter(q % 2 ? "A4" : "F4", 1, Lyric(words[q]));
        return voice;
    });
}

// Texts on later beats of later measures: "pizz." over beat 2 of measure 3,
// "dolce" the file puts below measure 2, a tempo word over measure 4.
std::string TextScore() {
    return OnePart(1, [](int m) {
        std::string music = Quarter("G4");
        if (m == 3) music += Words("pizz.");
        if (m == 2) music += Words("dolce", "below");
        if (m == 4) music = Words("Allegro") + music;
        return music + Quarter("A4") + Quarter("B4") + Quarter("C5");
    });
}

// Four string parts, their notes high above the staff, a "pizz." over each part's
// second measure: no room between the staves for it. Each part but the first
// gives the tempo word, as a directive, over its first measure.
std::string StringsScore() {
    std::string list, parts;
    for (int p = 1; p <= 4; ++p) {
        const std::string id = "S" + std::to_string(p);
        list += "<score-part id=\"" + id + "\"><part-name>Strings " + std::to_string(p) + "</part-name></score-part>";
        parts += "<part id=\"" + id + "\">";
        for (int m = 1; m <= 3; ++m) {
            parts += "<measure number=\"" + std::to_string(m) + "\">";
            if (m == 1)
                parts += "<attributes><divisions>1</divisions><time><beats>4</beats><beat-type>4</beat-type></time>"
                         "<clef><sign>G</sign><line>2</line></clef></attributes>";
            if (m == 1 && p > 1) parts += Words("Allegro", "above", true);
            if (m == 2) parts += Words("pizz.");
            for (int q = 0; q < 4; ++q) parts += Quarter(q % 2 ? "C6" : "A5");
            parts += "</measure>";
        }
        parts += "</part>";
    }
    return "<score-partwise><part-list>" + list + "</part-list>" + parts + "</score-partwise>";
}

class MusicXmlMarkPlacesTest : public testing::ProgramFixture {
  protected:
    ScoreView* Import(const std::string& xml, const std::string& title) {
        const musicxml::MusicXmlConversion conversion =
            musicxml::ConvertMusicXml(std::vector<uint8_t>(xml.begin(), xml.end()), musicxml::MusicXmlForm::Plain);
        EXPECT_TRUE(conversion.ok) << conversion.error;
        if (!conversion.ok) return nullptr;
        ui::headless::ResetUi();
        return niff::OpenNiffScoreWindowFromMemory(conversion.niff, title);
    }
    void Close(ScoreView* view) {
        ForceCloseScoreWindow(view->ViewWindow);
        Pump();
    }
};

// Each dynamic stands on the side of its staff its file gives, clear of the stems
// that reach below the staff and of every other run of ink.
TEST_F(MusicXmlMarkPlacesTest, DynamicsStandBesideTheirStaffClearOfTheMusic) {
    ASSERT_EQ(Start(), StartupCode::Ok);
    const struct {
        const char* name;
        std::string xml;
        int dynamics;
    } scores[] = {{"piano", PianoScore(), 3}, {"song", SongScore(), 1}};
    for (const auto& score : scores) {
        SCOPED_TRACE(score.name);
        ScoreView* view = Import(score.xml, std::string("marks_") + score.name + "_XML");
        ASSERT_NE(view, nullptr);
        EXPECT_TRUE(testing::SavePagePictures(view, std::string("marks_") + score.name));
        const std::vector<InkRun> ink = PaintedInk(view);
        int seen = 0;
        for (const InkRun& run : ink) {
            if (!IsType(run.object, ObjectType::Dynamic)) continue;
            ++seen;
            SCOPED_TRACE(run.text + " of staff " + std::to_string(run.staff) + " measure " + std::to_string(run.measure));
            const StaffLinesY lines = StaffLinesIn(view, run.system, run.staff);
            if (run.measure == 4) {  // "pp": the file puts it above
                EXPECT_LE(run.box.bottom, lines.top);
            } else {
                // Below the staff; the right hand's below the stems down from its
                // middle line too (three spaces and a half long).
                EXPECT_GE(run.box.top, lines.bottom + (run.staff == 1 ? kSpace * 3 / 2 : 0));
                const bool overLeftHand = run.staff == 1 && std::string(score.name) == "piano";
                EXPECT_TRUE(!overLeftHand || run.box.bottom <= StaffLinesIn(view, run.system, 2).top);
            }
            for (const InkRun& other : ink) {
                if (other.object == run.object) continue;
                EXPECT_FALSE(Overlap(run.box, other.box)) << "over \"" << other.text << "\"";
            }
        }
        EXPECT_EQ(seen, score.dynamics);
        EXPECT_TRUE(testing::EngravingIsClean(view));
        Close(view);
    }
}

// The crescendo starts after the "p" it follows and stands on its line.
TEST_F(MusicXmlMarkPlacesTest, HairpinStandsOnTheLineOfItsDynamic) {
    ASSERT_EQ(Start(), StartupCode::Ok);
    ScoreView* view = Import(PianoScore(), "marks_hairpin_XML");
    ASSERT_NE(view, nullptr);
    const std::vector<InkRun> ink = PaintedInk(view);
    const auto p = std::find_if(ink.begin(), ink.end(), [](const InkRun& r) {
        return IsType(r.object, ObjectType::Dynamic) && r.measure == 2;
    });
    ASSERT_NE(p, ink.end());
    ScoreObject* hairpin = nullptr;
    SetCurrentSystemAndMeasureQuick(view, p->system, 1, 2);
    for (ScoreObject* o = view->currentCell->objects->next.get(); o != nullptr; o = o->next.get())
        if (IsType(o, ObjectType::Hairpin)) hairpin = o;
    ASSERT_NE(hairpin, nullptr);
    const HairpinShape shape = DecodeHairpinShape(AsHairpin(hairpin), view);
    EXPECT_NEAR(shape.apex.y, (p->box.top + p->box.bottom) / 2, kSpace / 2);
    EXPECT_GT(shape.apex.x, p->box.right);
    Close(view);
}

// Each text stands once, over (or, as its file says, under) its measure and time,
// near its staff rather than at the top of the page.
TEST_F(MusicXmlMarkPlacesTest, TextsStandOnceAtTheirMeasures) {
    ASSERT_EQ(Start(), StartupCode::Ok);
    ScoreView* view = Import(TextScore(), "marks_texts_XML");
    ASSERT_NE(view, nullptr);
    EXPECT_TRUE(testing::SavePagePictures(view, "marks_texts"));
    const std::vector<InkRun> ink = PaintedInk(view);
    const struct {
        const char* text;
        int measure;
        bool below;
    } texts[] = {{"pizz.", 3, false}, {"dolce", 2, true}, {"Allegro", 4, false}};
    for (const auto& expected : texts) {
        SCOPED_TRACE(expected.text);
        std::vector<InkRun> runs;
        for (const InkRun& run : ink)
            if (IsType(run.object, ObjectType::Text) && run.text == expected.text) runs.push_back(run);
        ASSERT_EQ(runs.size(), 1u);
        const InkRun& run = runs.front();
        EXPECT_EQ(run.measure, expected.measure);
        SetCurrentSystemAndMeasureQuick(view, run.system, 1, expected.measure);
        const int slot = view->currentSlot;
        EXPECT_GE(run.box.left, SlotBarlineX(view, run.system, slot));
        EXPECT_LE(run.box.left, SlotBarlineX(view, run.system, slot + 1));
        const StaffLinesY lines = StaffLinesIn(view, run.system, 1);
        if (expected.below) {
            EXPECT_GE(run.box.top, lines.bottom);
            EXPECT_LE(run.box.top, lines.bottom + 4 * kSpace);
        } else {
            EXPECT_LE(run.box.bottom, lines.top);
            EXPECT_GE(run.box.bottom, lines.top - 4 * kSpace);
        }
    }
    EXPECT_TRUE(testing::EngravingIsClean(view));
    Close(view);
}

// A text with no room between its staff and the one above stands over its own
// staff, nearer to it than to the staff above, rather than piled over the system;
// the tempo word the later parts give stands once, over the first part.
TEST_F(MusicXmlMarkPlacesTest, TextsOfCrowdedStavesStandOverTheirOwnStaff) {
    ASSERT_EQ(Start(), StartupCode::Ok);
    ScoreView* view = Import(StringsScore(), "marks_strings_XML");
    ASSERT_NE(view, nullptr);
    EXPECT_TRUE(testing::SavePagePictures(view, "marks_strings"));
    int seen = 0;
    int tempoWords = 0;
    for (const InkRun& run : PaintedInk(view)) {
        if (IsType(run.object, ObjectType::Text) && run.text == "Allegro") {
            ++tempoWords;
            EXPECT_EQ(run.staff, 1);
        }
        if (!IsType(run.object, ObjectType::Text) || run.text != "pizz.") continue;
        ++seen;
        SCOPED_TRACE(run.staff);
        EXPECT_EQ(run.measure, 2);
        const StaffLinesY own = StaffLinesIn(view, run.system, run.staff);
        EXPECT_LE(run.box.bottom, own.top);
        const int above = std::max(run.staff - 1, 1);  // the first staff's own: nothing above
        EXPECT_TRUE(run.staff == 1 || run.box.top > StaffLinesIn(view, run.system, above).top);
    }
    EXPECT_EQ(seen, 4);
    EXPECT_EQ(tempoWords, 1);
    Close(view);
}

}  // namespace
}  // namespace ql
