// A NIFF file's slurs, ties, hairpins, pedal brackets, octave signs and repeat
// endings imported into a score window: each becomes its object in the measure it
// starts in, tied notes carry the tie, clef and key changes inside a measure become
// its objects, and page 1 is written as a picture for the eye. Octave signs and
// other lines far above the first staff, placed so by the file or moved so later,
// take the page's first system down the page and stay on the paper.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <vector>

#include "core/model/signature_fields.h"
#include "display/tests/painter/engraving_expect.h"
#include "core/model/document.h"
#include "core/model/events.h"
#include "core/model/grid.h"
#include "core/model/grid_records.h"
#include "core/model/page_records.h"
#include "core/model/pages.h"
#include "core/model/score_document.h"
#include "core/model/view.h"
#include "core/objects/score_object.h"
#include "core/state.h"
#include "interchange/niff/niff_import.h"
#include "layout/page_format.h"
#include "notes/ties/ties.h"
#include "objects/curves/curve_objects.h"
#include "objects/curves/curve_interface.h"
#include "objects/hairpin/hairpin.h"
#include "objects/spanners/spanner_interface.h"
#include "objects/spanners/spanner_objects.h"
#include "platform/gfx/bitmap.h"
#include "platform/ui/headless.h"
#include "platform/win/paint.h"
#include "platform/win/window.h"
#include "shell/program/score_windows.h"
#include "shell/tests/program/isolation_scores.h"
#include "shell/tests/program/niff_spanner_score.h"
#include "shell/tests/program/program_fixture.h"
#include "shell/tests/program/staff_contents.h"

namespace ql {
namespace {

using testing::NoteAt;
using testing::ObjectsOf;

using NiffSpannerImportTest = testing::ProgramFixture;

// A label stands at most a space above or below its line's start.
constexpr int32_t kLabelBesideLine = 128;

// The y offset of a labelled line's label.
int32_t LabelY(ScoreObject* object) {
    return static_cast<int16_t>(AsTextObject(object)->body.location.measure);
}

// Whether a labelled line's label is anchored in its line's first measure, within
// the beat its line starts on (the lines of the file's score start on a measure's
// first beat).
bool LabelAtLineStart(ScoreObject* object) {
    constexpr uint32_t kBeat = 1024;
    const uint32_t position = AsTextObject(object)->body.location.position;
    return (position & 0xFFFF) == 0 && (position >> 16) < kBeat;
}

TEST_F(NiffSpannerImportTest, SpannersBecomeObjectsOfTheirFirstMeasure) {
    ASSERT_EQ(Start(), StartupCode::Ok);
    ui::headless::ResetUi();
    State().notes.CurveSide = 1;  // the tie command set to go below
    ScoreView* view = niff::OpenNiffScoreWindowFromMemory(testing::NiffSpannerScore(), "spanners_NIFF");
    ASSERT_NE(view, nullptr);
    // The octave sign and the ending's number stand beside their lines, on the page;
    // the ending's hooks stand over the octave line that shares its measures.
    EXPECT_TRUE(testing::EngravingIsClean(view));
    ScoreDocument* document = view->document;
    // The tie from the last note of measure 1 to the first of measure 2.
    EventRecord* tied = NoteAt(document, 1, 3072);
    EventRecord* partner = NoteAt(document, 2, 0);
    ASSERT_NE(tied, nullptr);
    ASSERT_NE(partner, nullptr);
    EXPECT_NE(FindNoteTie(tied), nullptr);
    EXPECT_NE(tied->word2 & kTieStartsHere, 0);
    EXPECT_NE(partner->word2 & kTieEndsHere, 0);
    // Above, as the file's notes ask (their stems point down), whatever the
    // command's setting, which the import leaves as it was.
    EXPECT_LT(AsTie(FindNoteTie(tied))->body.startDy, 0);
    EXPECT_EQ(State().notes.CurveSide, 1);
    // Slur 1 within measure 1 and slur 5 from measure 2 over the barline, both
    // above (their first notes' stems point down), time-anchored at their notes.
    const std::vector<ScoreObject*> first = ObjectsOf(document, 1, ObjectType::Slur);
    ASSERT_EQ(first.size(), 1u);
    const SlurBody& inMeasure = AsSlur(first[0])->body;
    EXPECT_EQ(inMeasure.points[0].coarse[0], 0);
    EXPECT_EQ(inMeasure.points[0].coarse[1], 0);
    EXPECT_EQ(inMeasure.points[3].coarse[0], 0);
    EXPECT_EQ(inMeasure.points[3].coarse[1], 3072);
    EXPECT_LT(inMeasure.points[1].y, inMeasure.points[0].y);  // arched upwards
    const std::vector<ScoreObject*> second = ObjectsOf(document, 2, ObjectType::Slur);
    ASSERT_EQ(second.size(), 1u);
    EXPECT_EQ(AsSlur(second[0])->body.points[0].coarse[1], 3072);
    EXPECT_EQ(AsSlur(second[0])->body.points[3].coarse[0], 1);  // the next measure
    EXPECT_EQ(AsSlur(second[0])->body.points[3].coarse[1], 0);
    // The crescendo from the start of measure 1 to its last beat.
    const std::vector<ScoreObject*> hairpins = ObjectsOf(document, 1, ObjectType::Hairpin);
    ASSERT_EQ(hairpins.size(), 1u);
    const HairpinObject* hairpin = AsHairpin(hairpins[0]);
    EXPECT_EQ(hairpin->direction, kHairpinCrescendo);
    EXPECT_EQ(hairpin->points[0].coarse[1], 0);
    EXPECT_EQ(hairpin->points[1].coarse[1], 3072);
    EXPECT_EQ(hairpin->points[2].y - hairpin->points[1].y, 2 * 87);
    // The pedal bracket from the second beat of measure 1 to the third of measure
    // 2, its end drawn as the release of a half pedal (the file's shapes 6 and 7),
    // hooks of the file's default height and the document's line width.
    const std::vector<ScoreObject*> pedals = ObjectsOf(document, 1, ObjectType::PedalBracket);
    ASSERT_EQ(pedals.size(), 1u);
    const SpannerEndpoint& pedal = AsWickette(pedals[0])->spanner.endpoint;
    EXPECT_EQ(pedal.start.coarse[0], 0);
    EXPECT_EQ(pedal.start.coarse[1], 1024);
    EXPECT_EQ(pedal.end.coarse[0], 1);
    EXPECT_EQ(pedal.end.coarse[1], 2048);
    EXPECT_EQ(pedal.start.y, pedal.end.y);
    EXPECT_GT(pedal.start.y, 0);  // under the staff
    EXPECT_EQ(pedal.style, kSpannerHookFirstStyle);
    EXPECT_EQ(pedal.startHook, pedal.endHook);
    EXPECT_NE(pedal.startHook, 0);
    EXPECT_EQ(pedal.lineWidth, CurveLineValuesOf(document).defaultLineWidth);
    // The octave line above from measure 2 into measure 3.
    const std::vector<ScoreObject*> octaves = ObjectsOf(document, 2, ObjectType::Octave);
    ASSERT_EQ(octaves.size(), 1u);
    const SpannerEndpoint& octave = AsTextSpanner(octaves[0])->spanner.endpoint;
    EXPECT_EQ(octave.end.coarse[0], 1);
    EXPECT_EQ(octave.end.coarse[1], 2048);
    EXPECT_GT(octave.endHook, 0);  // the hook points down to the staff
    // Its sign beside its line's start, as the octave tool sets them.
    EXPECT_LE(std::abs(LabelY(octaves[0]) - octave.start.y), kLabelBesideLine);
    EXPECT_TRUE(LabelAtLineStart(octaves[0]));
    // The ending of measure 3 for passes 1 and 2, hooked at both ends.
    const std::vector<ScoreObject*> endings = ObjectsOf(document, 3, ObjectType::RepeatEnding);
    ASSERT_EQ(endings.size(), 1u);
    const RepeatEndingObject* ending = AsRepeatEnding(endings[0]);
    EXPECT_EQ(ending->passes[0], 1);
    EXPECT_EQ(ending->passes[1], 2);
    EXPECT_EQ(ending->passes[2], 0);
    EXPECT_EQ(ending->span, 1);
    EXPECT_GT(ending->spanner.endpoint.startHook, 0);
    EXPECT_GT(ending->spanner.endpoint.endHook, 0);
    EXPECT_LE(std::abs(LabelY(endings[0]) - ending->spanner.endpoint.start.y), kLabelBesideLine);
    EXPECT_TRUE(LabelAtLineStart(endings[0]));
    // The bass clef half way from the second beat of measure 2 to its third, the
    // measures after it in that clef; the key of two sharps in measure 3.
    const std::vector<ScoreObject*> clefs = ObjectsOf(document, 2, ObjectType::Clef);
    ASSERT_EQ(clefs.size(), 1u);
    EXPECT_EQ(ClefKindOfObject(clefs[0]), 3);
    EXPECT_EQ(SignatureTickOfObject(clefs[0]), 1536);
    EXPECT_EQ(GetOrCreateMeasureCell(StaffRecordOf(document, 1), document, 3)->clefKey & 0x0F, 3);
    const std::vector<ScoreObject*> keys = ObjectsOf(document, 3, ObjectType::KeySignature);
    ASSERT_EQ(keys.size(), 1u);
    EXPECT_EQ(KeyCodeOfObject(keys[0]), 9);
    EXPECT_EQ(SignatureTickOfObject(keys[0]), 1536);
    // Everything was converted.
    EXPECT_TRUE(ui::headless::MessageBoxes().empty());
    testing::isolation::PaintedPixels(view);
    std::filesystem::create_directories(QL_TEST_OUTPUT_DIR);
    EXPECT_TRUE(gfx::WritePng(win::GetWindowImage(view->ViewWindow),
                              (std::filesystem::path(QL_TEST_OUTPUT_DIR) / "niff_spanners_page1.png").string()));
}

// The highest point of a line's ends and hooks.
int32_t LineTop(const SpannerEndpoint& ends) {
    return std::min({int32_t{ends.start.y}, int32_t{ends.end.y}, ends.start.y + ends.startHook, ends.end.y + ends.endHook});
}

// The y of the first shown staff of page 1's first system, from which the marks'
// offsets count.
int32_t FirstStaffY(ScoreView* view) {
    const ScoreSystem* system = view->document->firstPage->firstSystem.get();
    return system->y + StaffOffsetsOf(system)[1];
}

// An octave sign the file places far above the staff of a system the file puts
// near the page's top edge: the system goes down the page and the sign, its line
// and its label stay on the paper.
TEST_F(NiffSpannerImportTest, AnOctaveSignFarAboveTheFirstStaffStaysOnThePage) {
    ASSERT_EQ(Start(), StartupCode::Ok);
    ui::headless::ResetUi();
    ScoreView* view = niff::OpenNiffScoreWindowFromMemory(testing::NiffSpannerScore(900), "octave_NIFF");
    ASSERT_NE(view, nullptr);
    const std::vector<ScoreObject*> octaves = ObjectsOf(view->document, 2, ObjectType::Octave);
    ASSERT_EQ(octaves.size(), 1u);
    TextSpanner* octave = AsTextSpanner(octaves[0]);
    const int32_t line = LineTop(octave->spanner.endpoint);
    const int32_t label = LabelY(octaves[0]);
    EXPECT_GE(FirstStaffY(view) + std::min(line, label), kLogicalOrigin);
    EXPECT_TRUE(testing::EngravingIsClean(view, {}));
}

// Lines and labels a user moves far above the first staff take the page's first
// system down the page when its pages are formatted again: each mark, lifted on
// its own, stays on the paper.
TEST_F(NiffSpannerImportTest, MarksLiftedFarAboveTheFirstStaffStayOnThePage) {
    constexpr int32_t kLift = 2560;
    struct Mark {
        int measure;
        ObjectType type;
    };
    const Mark marks[] = {{2, ObjectType::Octave},
                          {3, ObjectType::RepeatEnding},
                          {1, ObjectType::Hairpin},
                          {1, ObjectType::PedalBracket}};
    ASSERT_EQ(Start(), StartupCode::Ok);
    for (const Mark& mark : marks) {
        SCOPED_TRACE(::testing::Message() << "type " << static_cast<int>(mark.type));
        ui::headless::ResetUi();
        ScoreView* view = niff::OpenNiffScoreWindowFromMemory(testing::NiffSpannerScore(), "lifted_NIFF");
        ASSERT_NE(view, nullptr);
        const std::vector<ScoreObject*> found = ObjectsOf(view->document, mark.measure, mark.type);
        ASSERT_EQ(found.size(), 1u);
        ScoreObject* object = found[0];
        int32_t top = 0;
        if (mark.type == ObjectType::Hairpin) {
            for (AnchorPoint& point : AsHairpin(object)->points) point.y = static_cast<int16_t>(point.y - kLift);
            top = std::min({AsHairpin(object)->points[0].y, AsHairpin(object)->points[1].y, AsHairpin(object)->points[2].y});
        } else {
            SpannerEndpoint& ends = SpannerOf(object)->endpoint;
            ends.start.y = static_cast<int16_t>(ends.start.y - kLift);
            ends.end.y = static_cast<int16_t>(ends.end.y - kLift);
            top = LineTop(ends);
        }
        if (mark.type != ObjectType::PedalBracket && mark.type != ObjectType::Hairpin) {
            uint16_t& label = AsTextObject(object)->body.location.measure;
            label = static_cast<uint16_t>(static_cast<int16_t>(label) - kLift);
            top = std::min<int32_t>(top, static_cast<int16_t>(label));
        }
        ReformatOptions options;
        ReformatFromPage(view, &options, view->document->firstPage);
        EXPECT_GE(FirstStaffY(view) + top, kLogicalOrigin);
        EXPECT_TRUE(testing::EngravingIsClean(view));
    }
}

}  // namespace
}  // namespace ql
