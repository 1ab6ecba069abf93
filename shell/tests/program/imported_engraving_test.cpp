// Small MusicXML scores imported as a user would, their laid-out pages read as a
// musician reads them, on the boxes the painter draws: texts at their anchors with
// their measured extents, glyphs with the music font's ink, numbers from the staff
// grid's ink log, note heads and stems at the beat map's x and their staff steps.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "core/constants.h"
#include "core/draw/glyph_metrics.h"
#include "core/draw/view_drawing.h"
#include "core/model/document.h"
#include "core/model/events.h"
#include "core/model/grid.h"
#include "core/model/page_records.h"
#include "core/model/pages.h"
#include "core/model/score_document.h"
#include "core/objects/class_table.h"
#include "core/text/text_object.h"
#include "core/ui/status_bar_notes.h"
#include "display/anchors.h"
#include "display/system_drawing_test_seam.h"
#include "interchange/imported_text_room.h"
#include "interchange/musicxml/musicxml_import.h"
#include "layout/page_format.h"
#include "notes/beatmap/beat_map.h"
#include "notes/drawing/notation_font.h"
#include "notes/drawing/note_redraw.h"
#include "notes/pitch/pitch_vocabulary.h"
#include "objects/curves/curve_objects.h"
#include "objects/lyrics/lyric.h"
#include "platform/gfx/bitmap.h"
#include "platform/ui/headless.h"
#include "platform/win/paint.h"
#include "shell/program/score_windows.h"
#include "shell/shell_services.h"
#include "shell/tests/program/isolation_scores.h"
#include "shell/tests/program/program_fixture.h"
#include "staves/clef_key_placement.h"
#include "staves/time_signature.h"

namespace ql {
namespace {

using sysdraw::test_seam::GridInk;
constexpr int32_t kStep = 64;
constexpr int32_t kQuarterSpace = 32;
constexpr int kCommonTimeGlyph = 223;

// A quarter note ("C5") of a voice, stem up in voice 1 and down in voice 2.
std::string Note(const char* pitch, int voice, const std::string& inside = "") {
    return std::string("<note><pitch><step>") + pitch[0] + "</step><octave>" + pitch[1] + "</octave></pitch>"
           "<duration>1</duration><voice>" + std::to_string(voice) + "</voice><type>quarter</type><stem>" +
           (voice == 1 ? "up" : "down") + "</stem>" + inside + "</note>";
}
std::string Sung(const char* pitch, int voice, const char* syllable) {
    return Note(pitch, voice, std::string("<lyric number=\"1\"><text>") + syllable + "</text></lyric>");
}
std::string Slur(const char* type) {
    return std::string("<notations><slur number=\"1\" type=\"") + type + "\"/></notations>";
}
// One part in common time in G major, in the treble clef.
std::string Score(const std::vector<std::string>& measures) {
    std::string xml = "<score-partwise><part-list><score-part id=\"P\"><part-name>S</part-name></score-part>"
                      "</part-list><part id=\"P\">";
    for (size_t m = 0; m < measures.size(); ++m)
        xml += "<measure number=\"" + std::to_string(m + 1) + "\">" +
               (m == 0 ? "<attributes><divisions>1</divisions><key><fifths>1</fifths></key><time symbol=\"common\">"
                         "<beats>4</beats><beat-type>4</beat-type></time><clef><sign>G</sign><line>2</line></clef>"
                         "</attributes>"
                       : "") +
               measures[m] + "</measure>";
    return xml + "</part></score-partwise>";
}

struct Box {
    int32_t left, top, right, bottom;
    bool Overlaps(const Box& o) const { return left < o.right && o.left < right && top < o.bottom && o.top < bottom; }
};

// A note's head and stem; a text's box (centred on its anchor, on its baseline);
// a glyph's ink drawn from `x` on `baseline` at a size factor.
Box NoteBox(ScoreView* view, const EventRecord* note, int measure) {
    const NoteDrawLocation location(view, 1, measure);
    const int32_t x = MeasureSlotX(view, view->currentSystem, view->currentSlot) + BeatMapTickToX(view, note->time);
    const int32_t y = view->staffY + static_cast<int8_t>(note->step) * kStep;
    return {x - 80, std::min(y - 32, y + note->stemLength), x + 120, std::max(y + 32, y + note->stemLength)};
}
Box TextBox(ScoreView* view, ScoreObject* object, int measure) {
    const NoteDrawLocation location(view, 1, measure);
    const LogicalPoint at = TextObjectAnchorPoint(object, view);
    const TextObjectBody& body = AsTextObject(object)->body;
    return {at.x - body.width / 2, at.y - body.baseline, at.x + body.width / 2, at.y - body.baseline + body.height};
}
Box GlyphInk(const ScoreDocument& document, int code, int32_t x, int32_t baseline, double factor = 1.0) {
    const GlyphMetricEntry e = GlyphMetricOf(document, code);
    const auto f = [&](int v) { return static_cast<int32_t>(v * factor); };
    return {x + f(e.outline[kOutlineInkLeft]), baseline - f(e.outline[kOutlineInkTop]),
            x + f(e.outline[kOutlineInkLeft] + e.outline[kOutlineInkWidth]), baseline - f(e.outline[kOutlineInkBottom])};
}

// Every event of staff 1 in its measures, and the objects on each or in the cells.
struct Item {
    ScoreObject* object;
    EventRecord* note;  // null for an object of the cell
    int measure;
    int voice;
};
void Collect(ScoreDocument* document, std::vector<Item>& notes, std::vector<Item>& objects) {
    for (int measure = 1; measure <= document->header.measureCount; ++measure) {
        MeasureCell* cell = ExistingMeasureCell(document, 1, measure);
        if (cell == nullptr) continue;
        for (ScoreObject* o = cell->objects ? cell->objects->next.get() : nullptr; o != nullptr; o = o->next.get())
            objects.push_back({o, nullptr, measure, -1});
        for (int voice = 0; voice < kVoiceCount; ++voice)
            for (EventRecord* e = GetVoiceFirstEvent(cell, voice); e != nullptr; e = NextEvent(e)) {
                if (IsHeadSentinel(*e)) continue;
                notes.push_back({nullptr, e, measure, voice});
                ScoreObject* head = GetEventAttachment(e);
                for (ScoreObject* o = head != nullptr ? head->next.get() : nullptr; o != nullptr; o = o->next.get())
                    objects.push_back({o, e, measure, voice});
            }
    }
}

class ImportedEngravingTest : public testing::MusicXmlProgramFixture {
  protected:
    ScoreView* Import(const std::string& name, const std::string& xml) {
        const std::filesystem::path path = scratch / (name + ".xml");
        std::ofstream(path) << xml;
        ui::headless::ResetUi();
        return ImportMusicXml(path);
    }
};

// A song of two voices, both singing verse 1: an upper voice's slur, a tempo word,
// a sharp before common time, a hidden rest, high notes under measure numbers and a
// bass clef from measure 3 on.
TEST_F(ImportedEngravingTest, ASongReadsClear) {
    ASSERT_EQ(Start(), StartupCode::Ok);
    ScoreView* view = Import(
        "song", Score({"<direction placement=\"above\"><direction-type><words>Allegro con brio</words></direction-type>"
                       "</direction>" + Note("C5", 1, "<lyric number=\"1\"><text>Glo</text></lyric>" + Slur("start")) +
                           Sung("D5", 1, "ri") + Sung("E5", 1, "a") +
                           Note("C5", 1, "<lyric number=\"1\"><text>in</text></lyric>" + Slur("stop")) +
                           "<backup><duration>4</duration></backup>" + Sung("E4", 2, "Glo") + Sung("C4", 2, "ri") +
                           Sung("A3", 2, "a") + Sung("E4", 2, "in"),
                       Note("C6", 1) + Note("A5", 1) + Note("G5", 1) + Note("E5", 1) +
                           "<backup><duration>4</duration></backup><note print-object=\"no\"><rest/><duration>2</duration>"
                           "<voice>2</voice><type>half</type></note>" + Note("C4", 2) + Note("D4", 2),
                       "<attributes><clef><sign>F</sign><line>4</line></clef></attributes>" + Note("G3", 1) +
                           Note("A3", 1) + Note("B3", 1) + Note("C4", 1)}));
    ASSERT_NE(view, nullptr);
    ScoreDocument* document = view->document;
    document->header.pageGeometry.measureNumberStyle = 2;  // a number over every measure
    document->header.pageGeometry.measureNumberEvery = 1;
    std::vector<GridInk> inks;
    sysdraw::test_seam::SetGridInkLog(&inks);
    EXPECT_FALSE(testing::isolation::PaintedPixels(view).empty());
    sysdraw::test_seam::SetGridInkLog(nullptr);
    std::filesystem::create_directories(QL_TEST_OUTPUT_DIR);
    EXPECT_TRUE(gfx::WritePng(win::GetWindowImage(view->ViewWindow),
                              (std::filesystem::path(QL_TEST_OUTPUT_DIR) / "two_voice_song.png").string()));
    std::vector<Item> notes, objects;
    Collect(document, notes, objects);
    ScoreSystem* system = document->firstPage->firstSystem.get();
    view->currentSystem = system;
    int32_t lowest = INT32_MIN, upperTop = INT32_MAX;
    for (const Item& n : notes) {
        const Box box = NoteBox(view, n.note, n.measure);
        lowest = std::max(lowest, box.bottom);
        if (n.voice == 0 && n.measure == 1) upperTop = std::min(upperTop, box.top - n.note->stemLength - 32);
    }
    std::vector<std::pair<Box, const Item*>> lyrics;
    for (const Item& o : objects) {
        if (o.object->type == TypeCode(ObjectType::Lyric)) {
            // Each voice's syllables on their own line, under every head and stem.
            const Box box = TextBox(view, o.object, o.measure);
            EXPECT_GE(box.top, lowest) << TextObjectString(AsTextObject(o.object));
            for (const auto& [other, item] : lyrics) {
                EXPECT_FALSE(box.Overlaps(other)) << TextObjectString(AsTextObject(o.object));
                if (item->voice != o.voice) {
                    EXPECT_NE(LyricVerse(AsTextObject(o.object)), LyricVerse(AsTextObject(item->object)));
                }
            }
            lyrics.push_back({box, &o});
        } else if (o.object->type == TypeCode(ObjectType::Text)) {
            // The tempo word above the top line, clear of the notes.
            const Box box = TextBox(view, o.object, o.measure);
            EXPECT_LT(box.bottom, StaffLinesIn(view, system, 1).top);
            for (const Item& n : notes) EXPECT_FALSE(box.Overlaps(NoteBox(view, n.note, n.measure)));
        } else if (o.object->type == TypeCode(ObjectType::Slur)) {
            // The upper voice's slur above its own notes, away from the lower voice.
            const NoteDrawLocation location(view, 1, o.measure);
            LogicalPoint points[4]{};
            DecodeAnchors(view, o.object->subtype, reinterpret_cast<ObjectLocation*>(AsSlur(o.object)->body.points),
                          points, 4);
            for (const LogicalPoint& p : points) EXPECT_LT(p.y, upperTop);
        }
    }
    EXPECT_EQ(lyrics.size(), 8u);
    // Voice 2's hidden rest draws nothing, nor any rest for its time.
    const ScoreObject* rests = GetVoiceElementList(ExistingMeasureCell(document, 1, 2), 1);
    EXPECT_TRUE(rests == nullptr || rests->next.get() == nullptr);
    // The common-time sign a quarter space after the sharp's ink.
    view->currentSystem = system;
    const PlacedKeyRow key = PlaceKeySignature(view, 1, 1, 8, 0);
    ASSERT_EQ(key.count, 1);
    const int32_t centre = TimeSignatureCentreX(view, system, 1, kCommonTimeBeats, kQuarterBeatCode);
    const Box common = GlyphInk(*document, kCommonTimeGlyph, centre - GlyphMetricOf(*document, kCommonTimeGlyph).advance / 2, 0);
    EXPECT_GE(common.left - GlyphInk(*document, key.glyphs[0].glyph, key.glyphs[0].x, 0).right, kQuarterSpace);
    // The bass clef before measure 3 keeps its dots off the barline.
    const PlacedClef clef = PlaceClefChange(view, 1, 2, CodeOf(ClefKind::Bass));
    const double factor = SizeClassFactor(clef.sizeClass);
    const int32_t half = static_cast<int32_t>(GlyphMetricOf(*document, clef.at.glyph).advance * factor) / 2;
    EXPECT_GE(SlotBarlineX(view, system, 3) - GlyphInk(*document, clef.at.glyph, clef.at.x - half, 0, factor).right,
              kQuarterSpace);
    // Each measure number's baseline over the heads, ledger lines and stems within
    // half a space of it.
    int numbers = 0;
    for (const GridInk& ink : inks) {
        if (ink.kind != sysdraw::test_seam::GridInkKind::Text) continue;
        ++numbers;
        for (const Item& n : notes) {
            const Box box = NoteBox(view, n.note, n.measure);
            if (box.right + 2 * kQuarterSpace > ink.x1 && ink.x1 + ink.x2 > box.left - 2 * kQuarterSpace) {
                EXPECT_LE(ink.y1, box.top) << "number " << ink.number;
            }
        }
    }
    EXPECT_EQ(numbers, 3);
    ForceCloseScoreWindow(view->ViewWindow);
    Pump();
}

// A fermata on the last note of every fourth of eighty measures, over systems and
// pages: each stands just over its note.
TEST_F(ImportedEngravingTest, FermatasStandOverTheirNotes) {
    ASSERT_EQ(Start(), StartupCode::Ok);
    std::vector<std::string> measures(80, Note("E5", 1) + Note("G5", 1) + Note("E5", 1));
    for (size_t m = 0; m < measures.size(); ++m)
        measures[m] += Note("G5", 1, m % 4 == 3 ? "<notations><fermata/></notations>" : "");
    ScoreView* view = Import("fermatas", Score(measures));
    ASSERT_NE(view, nullptr);
    std::vector<Item> notes, objects;
    Collect(view->document, notes, objects);
    int fermatas = 0;
    for (const Item& o : objects) {
        if (o.object->type != TypeCode(ObjectType::NoteArticulation)) continue;
        ++fermatas;
        ShowPageInView(view, PageIndexOfMeasure(view->document, o.measure));
        const Box note = NoteBox(view, o.note, o.measure);
        const int32_t y = TextBox(view, o.object, o.measure).top + AsTextObject(o.object)->body.baseline;
        EXPECT_LT(y, note.top) << "measure " << o.measure;
        EXPECT_GT(y, note.top - 8 * kStep) << "measure " << o.measure;
    }
    EXPECT_EQ(fermatas, 20);
    ForceCloseScoreWindow(view->ViewWindow);
    Pump();
}

}  // namespace
}  // namespace ql
