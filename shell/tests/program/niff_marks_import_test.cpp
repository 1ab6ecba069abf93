// A NIFF file's marks imported into the running program: accidentals,
// articulations, ornaments and lyrics on their notes; dynamics, pedal marks, a
// tempo mark, a chord symbol and a text in the measure at their times; measure
// numbering and a staff group in the document. Page 1 is written as a picture.
// Chord symbols the file places keep their places only where those are clear.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "core/constants.h"
#include "core/model/document.h"
#include "core/model/events.h"
#include "core/model/grid.h"
#include "core/model/grid_records.h"
#include "core/model/pages.h"
#include "core/model/score_document.h"
#include "core/objects/midi_action.h"
#include "core/objects/score_object.h"
#include "core/text/text_object.h"
#include "display/anchors.h"
#include "display/tests/painter/engraving_expect.h"
#include "display/view_location.h"
#include "interchange/niff/niff_import.h"
#include "notes/accidentals/accidental_layout.h"
#include "notes/articulations/articulation_class.h"
#include "notes/drawing/note_redraw.h"
#include "notes/pitch/pitch_vocabulary.h"
#include "objects/chord/chord_symbol.h"
#include "objects/lyrics/lyric.h"
#include "objects/lyrics/lyric_lines.h"
#include "platform/gfx/bitmap.h"
#include "platform/ui/headless.h"
#include "platform/win/paint.h"
#include "platform/win/window.h"
#include "shell/tests/program/isolation_scores.h"
#include "shell/tests/program/niff_marked_score.h"
#include "shell/tests/program/program_fixture.h"
#include "staves/staff_group_bits.h"

namespace ql {
namespace {

std::string Text(TextObject* text) {
    const char* value = TextObjectString(text);
    return value != nullptr ? value : "";
}

// The objects a note carries after its accidental: type, glyph or text, verse.
std::string Attached(EventRecord* note) {
    std::string out;
    ScoreObject* head = GetEventAttachment(note);
    for (ScoreObject* object = head != nullptr ? head->next.get() : nullptr; object != nullptr;
         object = object->next.get()) {
        TextObject* text = AsTextObject(object);
        out += std::to_string(object->type) + ":";
        out += object->type == static_cast<uint8_t>(ObjectType::Lyric)
                   ? Text(text) + "/" + std::to_string(LyricVerse(text))
                   : std::to_string(text->body.string);
        out += " ";
    }
    return out;
}

class NiffMarksImportTest : public testing::ProgramFixture {};

TEST_F(NiffMarksImportTest, MarksBecomeObjectsOnNotesAndInMeasures) {
    ASSERT_EQ(Start(), StartupCode::Ok);
    ui::headless::ResetUi();
    ScoreView* view = niff::OpenNiffScoreWindowFromMemory(testing::MarkedNiffScore(), "marks_NIFF");
    ASSERT_NE(view, nullptr);
    // The tempo mark's text, the staff's sign and the verses stand clear of the
    // notes' marks: the first verse under the accent below.
    EXPECT_TRUE(testing::EngravingIsClean(view));
    ScoreDocument* document = view->document;
    MeasureCell* cell = GetOrCreateMeasureCell(StaffRecordOf(document, 1), document, 1);
    ASSERT_NE(cell, nullptr);

    // The notes: a sharp with its sign, an accent and two verses on the first; a
    // fermata-like mark and a turn on the second.
    EventRecord* first = GetVoiceFirstEvent(cell, 0);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(NoteAccidentalCode(*first), 1);
    EXPECT_EQ(AccidentalGlyph(AccidentalOfNote(*first)), 218);
    // Each goes in after the accidental; the accent, given no side, takes the form
    // of its glyph pair that suits its stem-up note, as a click would.
    EXPECT_EQ(Attached(first), "50:lo/1 50:la/0 26:138 ");
    // The four verse lines lie under the staff, each a syllable's height and half a
    // line gap below the one before.
    const TextObject* lyric = AsTextObject(GetEventAttachment(first)->next.get());
    ASSERT_GT(lyric->body.height, 0);
    EXPECT_GE(document->header.lyricLevels[0], kLeastFirstLyricLine);
    for (int verse = 1; verse < 4; ++verse)
        EXPECT_EQ(document->header.lyricLevels[verse] - document->header.lyricLevels[verse - 1],
                  lyric->body.height + kLyricLineGap / 2) << "verse " << verse;
    EventRecord* second = NextEvent(first);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(second->time, 1024);
    EXPECT_EQ(Attached(second), "26:189 26:157 ");

    // The measure's marks at their ticks (each new one first in the list).
    std::string marks;
    for (ScoreObject* object = cell->objects ? cell->objects->next.get() : nullptr; object != nullptr;
         object = object->next.get()) {
        TextObject* text = AsTextObject(object);
        marks += std::to_string(object->type) + "@" + std::to_string(text->body.location.position >> 16) + ":";
        if (object->type == static_cast<uint8_t>(ObjectType::Text)) {
            marks += Text(text) + ((text->body.flags & kTextOwnFont) != 0 ? "(own font)" : "");
        } else if (object->type == static_cast<uint8_t>(ObjectType::Chord)) {
            const ChordFields& chord = AsChordSymbol(object)->chord;
            marks += "root " + std::to_string(chord.root) + " quality " + std::to_string(chord.quality);
        } else {
            marks += std::to_string(text->body.string) + " value " +
                     std::to_string(MidiActionOfText(object)->head.values.value);
        }
        marks += "\n";
    }
    EXPECT_EQ(marks,
              "22@3072:42 value 0\n"
              "22@2048:225 value 127\n"
              "18@0:Solo(own font)\n"
              "39@0:root 5 quality 5\n"
              "24@0:240 value 120\n"
              "21@0:171 value 20\n");

    // Numbering every second measure, measure 1 shown as 5; one bracket over both staves.
    EXPECT_EQ(document->header.pageGeometry.measureNumberStyle, 2);
    EXPECT_EQ(document->header.pageGeometry.measureNumberEvery, 2);
    EXPECT_EQ(MeasureRecordOf(document, 1)->number, 5);
    EXPECT_TRUE(JoinsStaffBelow(*StaffRecordOf(document, 1), GroupKind::Bracket));
    EXPECT_TRUE(JoinsStaffAbove(*StaffRecordOf(document, 2), GroupKind::Bracket));
    EXPECT_TRUE(ui::headless::MessageBoxes().empty());

    // The page text's alignment (tag 33's horizontal 2, not the texts' default 1)
    // moves its point left by half its width; the point keeps its place on the
    // paper, 1000 of the file page's 2720 units from its left edge.
    ScoreObject* pageText = GetPageAt(document, 0)->margins->next.get();
    ASSERT_NE(pageText, nullptr);
    TextObject* centred = AsTextObject(pageText);
    LogicalPoint at{};
    DecodeAnchors(view, 1, &centred->body.location, &at, 1);
    EXPECT_GT(centred->body.width, 64);
    const double across = 1000.0 / 2720.0 * (view->PageRight - kLogicalOrigin);
    EXPECT_NEAR(at.x, kLogicalOrigin + across - centred->body.width / 2, 1);

    testing::isolation::PaintedPixels(view);
    std::filesystem::create_directories(QL_TEST_OUTPUT_DIR);
    EXPECT_TRUE(gfx::WritePng(win::GetWindowImage(view->ViewWindow),
                              (std::filesystem::path(QL_TEST_OUTPUT_DIR) / "niff_marks_page1.png").string()));
}

// The chord symbols of measure 1 of a placed-chords score, in the order the file
// gives them, and where the file's offsets are measured from (the staff's foot).
struct PlacedChords {
    std::vector<LogicalPoint> points;
    std::vector<int32_t> widths;
    LogicalPoint origin{0, 0};
};
PlacedChords PlacedChordsOf(ScoreView* view) {
    PlacedChords placed;
    ScoreDocument* document = view->document;
    MeasureCell* cell = GetOrCreateMeasureCell(StaffRecordOf(document, 1), document, 1);
    if (cell == nullptr || !MeasureOffsetsToPoints(view, 1, 1, &placed.origin, 1)) return placed;
    for (ScoreObject* o = cell->objects ? cell->objects->next.get() : nullptr; o != nullptr;
         o = o->next.get()) {
        if (o->type != static_cast<uint8_t>(ObjectType::Chord)) continue;
        SetCurrentMeasure(view, 1, 1);
        LogicalPoint at{};
        DecodeAnchors(view, o->subtype, &AsTextObject(o)->body.location, &at, 1);
        placed.points.insert(placed.points.begin(), at);  // each new one first in the list
        placed.widths.insert(placed.widths.begin(), AsTextObject(o)->body.width);
    }
    return placed;
}

// Chord symbols the file places: one in the staff is moved above it, clear of the
// notes; one the file places clear keeps its place.
TEST_F(NiffMarksImportTest, PlacedChordSymbolsKeepOnlyClearPlaces) {
    ASSERT_EQ(Start(), StartupCode::Ok);
    ui::headless::ResetUi();
    // File units below the staff's foot, a staff space 64.
    constexpr int32_t kOnStaff = 96;
    constexpr int32_t kClear = -400;
    ScoreView* view = niff::OpenNiffScoreWindowFromMemory(
        testing::PlacedChordsNiffScore(kOnStaff, kClear), "chords_NIFF");
    ASSERT_NE(view, nullptr);
    EXPECT_TRUE(testing::EngravingIsClean(view, {}));
    const PlacedChords chords = PlacedChordsOf(view);
    ASSERT_EQ(chords.points.size(), 2u);
    // A file unit is two score units here, a staff space 128; the staff's top line
    // four spaces above its foot.
    EXPECT_LT(chords.points[0].y, chords.origin.y - 5 * 128);
    EXPECT_NEAR(chords.points[1].y, chords.origin.y + 2 * kClear, 1);
    // Centred on the file's point.
    EXPECT_NEAR(chords.points[1].x, chords.origin.x + 2 * 200 + chords.widths[1] / 2, 1);
}

// A chord symbol the file places far above the staff (off the page) or far below
// it stands just above the staff instead, and the system stays where a score with
// the symbol near the staff has it.
TEST_F(NiffMarksImportTest, ChordSymbolsPlacedFarFromTheStaffStandAboveIt) {
    ASSERT_EQ(Start(), StartupCode::Ok);
    constexpr int32_t kOnStaff = 96;
    int32_t staffFoot = 0;
    for (const int32_t far : {-400, -3000, 2400}) {
        SCOPED_TRACE(far);
        ui::headless::ResetUi();
        ScoreView* view = niff::OpenNiffScoreWindowFromMemory(
            testing::PlacedChordsNiffScore(kOnStaff, far), "far_chords_NIFF");
        ASSERT_NE(view, nullptr);
        const PlacedChords chords = PlacedChordsOf(view);
        ASSERT_EQ(chords.points.size(), 2u);
        if (far == -400) {  // near the staff: kept, and the system's place to compare with
            staffFoot = chords.origin.y;
            continue;
        }
        EXPECT_EQ(chords.origin.y, staffFoot);
        EXPECT_LT(chords.points[1].y, chords.origin.y - 4 * 128);
        EXPECT_GT(chords.points[1].y, chords.origin.y - 10 * 128);
        EXPECT_TRUE(testing::EngravingIsClean(view, {}));
    }
}

// The file gives its articulations no side: each is put where a click would put
// it on its note once the page is laid out, and the marks of one note are moved
// apart, so placing and stacking them again moves nothing.
TEST_F(NiffMarksImportTest, MarksWithoutASideArePlacedOnTheirNotes) {
    ASSERT_EQ(Start(), StartupCode::Ok);
    ui::headless::ResetUi();
    ScoreView* view = niff::OpenNiffScoreWindowFromMemory(testing::MarkedNiffScore(), "marks_NIFF");
    ASSERT_NE(view, nullptr);
    ScoreDocument* document = view->document;
    MeasureCell* cell = GetOrCreateMeasureCell(StaffRecordOf(document, 1), document, 1);
    ASSERT_NE(cell, nullptr);
    int placed = 0;
    const NoteDrawLocation location(view, 1, 1);
    ASSERT_TRUE(location.IsDrawable());
    for (EventRecord* note = GetVoiceFirstEvent(cell, 0); note != nullptr; note = NextEvent(note)) {
        ScoreObject* head = GetEventAttachment(note);
        std::vector<ScoreObject*> marks;
        std::vector<ObjectLocation> imported;
        for (ScoreObject* object = head != nullptr ? head->next.get() : nullptr; object != nullptr;
             object = object->next.get()) {
            if (object->type != static_cast<uint8_t>(ObjectType::NoteArticulation)) continue;
            marks.push_back(object);
            imported.push_back(AsTextObject(object)->body.location);
            placed += PlaceAttachedArticulation(view, object) ? 1 : 0;
        }
        StackChordArticulations(view, marks);
        for (size_t i = 0; i < marks.size(); ++i)
            EXPECT_EQ(std::memcmp(&imported[i], &AsTextObject(marks[i])->body.location, sizeof imported[i]), 0)
                << "glyph " << AsTextObject(marks[i])->body.string << " at tick " << note->time;
    }
    EXPECT_EQ(placed, 3);  // the accent, and both marks of the second note
}

}  // namespace
}  // namespace ql
