// Marks a NIFF file places on the page imported into a score window: a hairpin
// whose nodes are placed from the page header becomes one of the page's items at
// the file's page points, beside a page text, and none of its measure's objects.
#include <gtest/gtest.h>

#include <vector>

#include "core/model/pages.h"
#include "core/model/page_records.h"
#include "core/model/score_document.h"
#include "core/model/view.h"
#include "core/objects/score_object.h"
#include "interchange/niff/niff_import.h"
#include "interchange/niff/niff_writer.h"
#include "objects/hairpin/hairpin.h"
#include "platform/ui/headless.h"
#include "shell/tests/program/program_fixture.h"
#include "shell/tests/program/staff_contents.h"

namespace ql {
namespace {

using niff::NiffField;

constexpr int32_t kPageOrigin = 30720;

// One staff, one measure of four quarters; a crescendo from page point (100, 250)
// to (300, 250) and a text at (100, 300), all placed from the page header.
std::vector<uint8_t> PageHairpinScore() {
    niff::NiffWriter out;
    out.BeginForm("NIFF");
    out.BeginList("setp");
    out.BeginChunk("stbl");
    out.Bytes(std::vector<uint8_t>{0, 'P', 0});
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

}  // namespace
}  // namespace ql
