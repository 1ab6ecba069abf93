// A NIFF file's slurs, ties, hairpins, pedal brackets, octave signs and repeat
// endings imported into a score window: each becomes its object in the measure it
// starts in, tied notes carry the tie, clef and key changes inside a measure become
// its objects, and page 1 is written as a picture for the eye.
#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

#include "core/model/signature_fields.h"
#include "display/tests/painter/engraving_expect.h"
#include "core/model/document.h"
#include "core/model/events.h"
#include "core/model/grid.h"
#include "core/model/grid_records.h"
#include "core/model/score_document.h"
#include "core/model/view.h"
#include "core/objects/score_object.h"
#include "core/state.h"
#include "interchange/niff/niff_import.h"
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

TEST_F(NiffSpannerImportTest, SpannersBecomeObjectsOfTheirFirstMeasure) {
    ASSERT_EQ(Start(), StartupCode::Ok);
    ui::headless::ResetUi();
    State().notes.CurveSide = 1;  // the tie command set to go below
    ScoreView* view = niff::OpenNiffScoreWindowFromMemory(testing::NiffSpannerScore(), "spanners_NIFF");
    ASSERT_NE(view, nullptr);
    // Held back: the octave sign's and the ending's texts keep the file's places
    // above the page until marks are placed clear.
    EXPECT_TRUE(testing::EngravingIsClean(view, {FindingKind::GlyphOffPage}));
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

}  // namespace
}  // namespace ql
