// Marks a NIFF file places on the page imported into a score window: a hairpin,
// slur, octave line, repeat ending or pedal bracket whose nodes are placed from the
// page header
// becomes one of the page's items at the file's page points, beside a page text,
// and none of its measure's objects.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <vector>

#include "core/model/pages.h"
#include "core/model/page_records.h"
#include "core/model/score_document.h"
#include "core/model/view.h"
#include "core/objects/score_object.h"
#include "interchange/niff/niff_import.h"
#include "interchange/niff/niff_writer.h"
#include "objects/curves/curve_objects.h"
#include "objects/hairpin/hairpin.h"
#include "objects/spanners/spanner_classes.h"
#include "objects/spanners/spanner_objects.h"
#include "platform/ui/headless.h"
#include "shell/tests/program/program_fixture.h"
#include "shell/tests/program/staff_contents.h"

namespace ql {
namespace {

using niff::NiffField;

constexpr int32_t kPageOrigin = 30720;

// Where the string table of the files keeps the text "1. 2. ".
constexpr int kFirstAndSecondText = 3;

// The head of the files: one part of one staff on one page, up to the staff's
// header.
void BeginPage(niff::NiffWriter& out) {
    out.BeginForm("NIFF");
    out.BeginList("setp");
    out.BeginChunk("stbl");
    out.Bytes(std::vector<uint8_t>{0, 'P', 0, '1', '.', ' ', '2', '.', ' ', 0});
    out.EndChunk();
    out.BeginChunk("part", {0, 0, 0, 1, 0, -1, 0});
    out.EndChunk();
    out.EndList();
    out.BeginList("data");
    out.BeginChunk("pghd");
    out.EndChunk();
    out.BeginChunk("syhd");
    out.Tag(1, {160, 400});
    out.EndChunk();
    out.BeginChunk("sthd");
    out.Tag(32, {0});
    out.EndChunk();
}

// One staff, one measure of four quarters; a crescendo from page point (100, 250)
// to (300, 250) and a text at (100, 300), all placed from the page header.
std::vector<uint8_t> PageHairpinScore() {
    niff::NiffWriter out;
    BeginPage(out);
    out.BeginChunk("tmsl", {1, NiffField::Rational(0, 1)});
    out.EndChunk();
    for (int quarter = 0; quarter < 4; ++quarter) {
        out.BeginChunk("tmsl", {2, NiffField::Rational(static_cast<int16_t>(quarter), 4)});
        out.EndChunk();
        if (quarter == 0 || quarter == 3) {
            out.BeginChunk("hrpn", {1});
            out.Tag(18, {7});
            if (quarter == 0) out.Tag(28, {2});
            out.Tag(3, {"pghd"});
            out.Tag(1, {static_cast<int16_t>(quarter == 0 ? 100 : 300), 250});
            out.EndChunk();
        }
        out.BeginChunk("stem");
        out.EndChunk();
        out.BeginChunk("note", {0, 4, NiffField::Rational(1, 4)});
        out.EndChunk();
    }
    out.BeginChunk("text", {1});
    out.Tag(3, {"pghd"});
    out.Tag(1, {100, 300});
    out.EndChunk();
    out.EndList();
    out.EndList();
    return out.Take();
}

std::vector<ScoreObject*> PageItems(ScorePage* page) {
    std::vector<ScoreObject*> items;
    for (ScoreObject* o = page != nullptr && page->margins ? page->margins->next.get() : nullptr; o != nullptr;
         o = o->next.get())
        items.push_back(o);
    return items;
}

// The page point an anchor point keeps.
int32_t PageX(const AnchorPoint& point) {
    return point.coarse[0] * 128 + point.x - kPageOrigin;
}
int32_t PageY(const AnchorPoint& point) {
    return point.coarse[1] * 128 + point.y - kPageOrigin;
}

using NiffPageItemsTest = testing::ProgramFixture;

TEST_F(NiffPageItemsTest, AHairpinPlacedOnThePageIsOneOfThePagesItems) {
    ASSERT_EQ(Start(), StartupCode::Ok);
    ui::headless::ResetUi();
    ScoreView* view = niff::OpenNiffScoreWindowFromMemory(PageHairpinScore(), "page_NIFF");
    ASSERT_NE(view, nullptr);
    ScoreDocument* document = view->document;
    EXPECT_TRUE(testing::ObjectsOf(document, 1, ObjectType::Hairpin).empty());
    const std::vector<ScoreObject*> items = PageItems(GetPageAt(document, 0));
    const HairpinObject* hairpin = nullptr;
    int texts = 0;
    for (ScoreObject* item : items) {
        EXPECT_EQ(item->subtype, SubtypeCode(ObjectSubtype::PageList));
        if (item->type == TypeCode(ObjectType::Hairpin)) hairpin = AsHairpin(item);
        if (item->type == TypeCode(ObjectType::Text)) ++texts;
    }
    EXPECT_EQ(texts, 1);
    ASSERT_NE(hairpin, nullptr) << "the hairpin is not among the page's items";
    // A crescendo: its apex at the first node's page point, its open ends at the
    // second's, above and below it by the same opening.
    EXPECT_EQ(hairpin->direction, kHairpinCrescendo);
    const int32_t apexX = PageX(hairpin->points[0]);
    const int32_t endX = PageX(hairpin->points[1]);
    EXPECT_EQ(PageX(hairpin->points[2]), endX);
    EXPECT_GT(endX, apexX);
    // The open ends lie either side of the axis; the length and the start keep the
    // file's proportion (200 from 100), whatever the unit scale.
    EXPECT_EQ(PageY(hairpin->points[1]) + PageY(hairpin->points[2]), 2 * PageY(hairpin->points[0]));
    EXPECT_LT(PageY(hairpin->points[1]), PageY(hairpin->points[0]));
    EXPECT_EQ((endX - apexX) * 100, (apexX + kPageOrigin) * 200);
}

// One staff, two measures of four quarters; a slur (no side) from page point
// (100, 250) to (300, 240) and a pedal bracket (shapes 6 and 7) from (100, 300) to
// (300, 300) in the first measure, an octave sign (above) from (100, 200) in the
// first measure to (400, 200) in the second, and an ending "1. 2. " with both hooks
// from (120, 150) in the first measure to (380, 150) in the second, all placed from
// the page header.
std::vector<uint8_t> PageSpannersScore() {
    niff::NiffWriter out;
    BeginPage(out);
    const auto node = [&](const char (&chunk)[5], std::initializer_list<NiffField> fixedPart, int id, bool first,
                          int16_t x, int16_t y) {
        out.BeginChunk(chunk, fixedPart);
        out.Tag(18, {id});
        if (first) out.Tag(28, {2});
        out.Tag(3, {"pghd"});
        out.Tag(1, {x, y});
        out.EndChunk();
    };
    for (int measure = 0; measure < 2; ++measure) {
        out.BeginChunk("tmsl", {1, NiffField::Rational(static_cast<int16_t>(measure), 1)});
        out.EndChunk();
        for (int quarter = 0; quarter < 4; ++quarter) {
            out.BeginChunk("tmsl", {2, NiffField::Rational(static_cast<int16_t>(measure * 4 + quarter), 4)});
            out.EndChunk();
            out.BeginChunk("stem");
            out.EndChunk();
            out.BeginChunk("note", {0, 4, NiffField::Rational(1, 4)});
            out.EndChunk();
            if (measure == 0 && quarter == 0) {
                node("slur", {}, 3, true, 100, 250);
                node("pdlp", {6}, 5, true, 100, 300);
                node("octv", {0, 1, 0, 0}, 4, true, 100, 200);
                node("altg", {3, kFirstAndSecondText}, 6, true, 120, 150);
            }
            if (measure == 0 && quarter == 3) {
                node("slur", {}, 3, false, 300, 240);
                node("pdlp", {7}, 5, false, 300, 300);
            }
            if (measure == 1 && quarter == 3) {
                node("octv", {0, 1, 0, 0}, 4, false, 400, 200);
                node("altg", {3, kFirstAndSecondText}, 6, false, 380, 150);
            }
        }
    }
    out.EndList();
    out.EndList();
    return out.Take();
}

LogicalPoint PagePoint(const AnchorPoint& point) {
    return LogicalPoint{PageX(point), PageY(point)};
}

// The page point a labelled spanner's label keeps.
LogicalPoint LabelPoint(ScoreObject* object) {
    AnchorPoint anchor;
    static_assert(sizeof anchor == sizeof(ObjectLocation));
    std::memcpy(&anchor, &AsTextObject(object)->body.location, sizeof anchor);
    return PagePoint(anchor);
}

TEST_F(NiffPageItemsTest, SlursOctaveLinesAndPedalBracketsPlacedOnThePageAreThePagesItems) {
    ASSERT_EQ(Start(), StartupCode::Ok);
    ui::headless::ResetUi();
    ScoreView* view = niff::OpenNiffScoreWindowFromMemory(PageSpannersScore(), "spanners_NIFF");
    ASSERT_NE(view, nullptr);
    ScoreDocument* document = view->document;
    for (int measure = 1; measure <= 2; ++measure)
        for (ObjectType type : {ObjectType::Slur, ObjectType::Octave, ObjectType::PedalBracket})
            EXPECT_TRUE(testing::ObjectsOf(document, measure, type).empty())
                << "measure " << measure << " holds a spanner of type " << static_cast<int>(type);
    SlurObject* slur = nullptr;
    ScoreObject* octave = nullptr;
    Wickette* pedal = nullptr;
    for (ScoreObject* item : PageItems(GetPageAt(document, 0))) {
        EXPECT_EQ(item->subtype, SubtypeCode(ObjectSubtype::PageList));
        if (item->type == TypeCode(ObjectType::Slur)) slur = AsSlur(item);
        if (item->type == TypeCode(ObjectType::Octave)) octave = item;
        if (item->type == TypeCode(ObjectType::PedalBracket)) pedal = AsWickette(item);
    }
    ASSERT_NE(slur, nullptr) << "the slur is not among the page's items";
    ASSERT_NE(octave, nullptr) << "the octave line is not among the page's items";
    ASSERT_NE(pedal, nullptr) << "the pedal bracket is not among the page's items";

    // Every end at the file's page point: x and y keep the file's proportions
    // (300 and 240 from 100 and 250), whatever the unit scale.
    const LogicalPoint start = PagePoint(slur->body.points[0]);
    const LogicalPoint end = PagePoint(slur->body.points[3]);
    const int32_t unit = (start.x + kPageOrigin) / 100;
    ASSERT_GT(unit, 0);
    EXPECT_EQ(end.x + kPageOrigin, 300 * unit);
    EXPECT_EQ(start.y + kPageOrigin, 250 * unit);
    EXPECT_EQ(end.y + kPageOrigin, 240 * unit);
    // Without a side the slur arches above both ends, its band under the curve.
    for (int i : {1, 2}) {
        EXPECT_LT(PagePoint(slur->body.points[i]).y, end.y);
        EXPECT_GT(PagePoint(slur->body.points[i]).x, start.x);
        EXPECT_LT(PagePoint(slur->body.points[i]).x, end.x);
    }
    EXPECT_GT(slur->body.inner[1], 0);

    const SpannerEndpoint& line = SpannerOf(octave)->endpoint;
    EXPECT_EQ(PageX(line.start) + kPageOrigin, 100 * unit);
    EXPECT_EQ(PageX(line.end) + kPageOrigin, 400 * unit);
    EXPECT_EQ(PageY(line.start) + kPageOrigin, 200 * unit);
    EXPECT_EQ(PageY(line.end), PageY(line.start));
    EXPECT_GT(line.endHook, 0) << "a sign above ends in a hook down";
    EXPECT_EQ(AsTextObject(octave)->body.string, kOctaveAboveCode);
    // The label stays by the line's start, as the octave tool puts it.
    const LogicalPoint label = LabelPoint(octave);
    EXPECT_LT(std::abs(label.x - (100 * unit - kPageOrigin)), 1024);
    EXPECT_LT(std::abs(label.y - (200 * unit - kPageOrigin)), 1024);

    const SpannerEndpoint& bracket = pedal->spanner.endpoint;
    EXPECT_EQ(PageX(bracket.start) + kPageOrigin, 100 * unit);
    EXPECT_EQ(PageX(bracket.end) + kPageOrigin, 300 * unit);
    EXPECT_EQ(PageY(bracket.start) + kPageOrigin, 300 * unit);
    EXPECT_EQ(PageY(bracket.end), PageY(bracket.start));
    EXPECT_GT(bracket.startHook, 0);
    EXPECT_EQ(bracket.endHook, bracket.startHook);
    EXPECT_EQ(bracket.style, 0x80);
}

// The ending's line runs between the file's page points with both hooks, over the
// two measures, with the numbers of its text; its label stays by its start.
TEST_F(NiffPageItemsTest, ARepeatEndingPlacedOnThePageIsOneOfThePagesItems) {
    ASSERT_EQ(Start(), StartupCode::Ok);
    ui::headless::ResetUi();
    ScoreView* view = niff::OpenNiffScoreWindowFromMemory(PageSpannersScore(), "ending_NIFF");
    ASSERT_NE(view, nullptr);
    ScoreDocument* document = view->document;
    for (int measure = 1; measure <= 2; ++measure)
        EXPECT_TRUE(testing::ObjectsOf(document, measure, ObjectType::RepeatEnding).empty())
            << "measure " << measure << " holds the ending";
    ScoreObject* found = nullptr;
    for (ScoreObject* item : PageItems(GetPageAt(document, 0)))
        if (item->type == TypeCode(ObjectType::RepeatEnding)) found = item;
    ASSERT_NE(found, nullptr) << "the ending is not among the page's items";
    EXPECT_EQ(found->subtype, SubtypeCode(ObjectSubtype::PageList));
    const RepeatEndingObject* ending = AsRepeatEnding(found);
    const SpannerEndpoint& line = ending->spanner.endpoint;
    const int32_t unit = (PageX(line.start) + kPageOrigin) / 120;
    ASSERT_GT(unit, 0);
    EXPECT_EQ(PageX(line.start) + kPageOrigin, 120 * unit);
    EXPECT_EQ(PageX(line.end) + kPageOrigin, 380 * unit);
    EXPECT_EQ(PageY(line.start) + kPageOrigin, 150 * unit);
    EXPECT_EQ(PageY(line.end), PageY(line.start));
    EXPECT_EQ(line.startHook, 256);
    EXPECT_EQ(line.endHook, 256);
    EXPECT_EQ(ending->span, 2);
    EXPECT_EQ(ending->passes[0], 1);
    EXPECT_EQ(ending->passes[1], 2);
    EXPECT_EQ(ending->passes[2], 0);
    EXPECT_EQ(ending->text.body.string, '1');
    const LogicalPoint label = LabelPoint(found);
    EXPECT_LT(std::abs(label.x - (120 * unit - kPageOrigin)), 1024);
    EXPECT_LT(std::abs(label.y - (150 * unit - kPageOrigin)), 1024);
}

}  // namespace
}  // namespace ql
