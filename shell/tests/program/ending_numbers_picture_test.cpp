// The numbers of repeat endings imported from MusicXML files are drawn on a page
// painted through a recording (as the page pictures and copied pictures are): every
// ending's number holds ink in the page's picture, though the label's own font is
// let go as soon as the label has been drawn. A file's rehearsal marks show their
// letters inside open frames.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "core/model/pages.h"
#include "core/model/score_document.h"
#include "core/model/view.h"
#include "core/text/text_object.h"
#include "display/view_location.h"
#include "platform/gfx/bitmap.h"
#include "platform/ui/headless.h"
#include "shell/tests/program/musicxml_text_scores.h"
#include "shell/tests/program/page_pictures.h"
#include "shell/tests/program/program_fixture.h"
#include "shell/tests/program/staff_contents.h"

namespace ql {
namespace {

const std::filesystem::path kSuite =
    std::filesystem::path(QL_SOURCE_DIR) / ".." / "shared" / "corpus" / "musicxml-suite";
constexpr int kInkThreshold = 128;

int InkIn(platform::BitmapHandle image, const gfx::Mapping& mapping, const RecordRect& area) {
    const gfx::Point a = gfx::MapLogicalToDevice(mapping, {area.left, area.top});
    const gfx::Point b = gfx::MapLogicalToDevice(mapping, {area.right, area.bottom});
    int ink = 0;
    for (int y = a.y; y <= b.y; ++y)
        for (int x = a.x; x <= b.x; ++x) {
            const gfx::Colour c = gfx::GetBitmapPixel(image, x, y);
            if (c != gfx::kInvalidColour &&
                (gfx::RedOf(c) + gfx::GreenOf(c) + gfx::BlueOf(c)) / 3 < kInkThreshold)
                ++ink;
        }
    return ink;
}

class EndingNumbersPictureTest : public testing::ProgramFixture,
                                 public ::testing::WithParamInterface<const char*> {};

TEST_P(EndingNumbersPictureTest, EveryEndingNumberHoldsInkOnItsPage) {
    ASSERT_EQ(Start(), StartupCode::Ok);
    ui::headless::ResetUi();
    std::ifstream in(kSuite / GetParam(), std::ios::binary);
    const std::string xml{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    ScoreView* view = testing::ImportMusicXmlText(xml, "endings_XML");
    ASSERT_NE(view, nullptr);
    ScoreDocument* document = view->document;
    ASSERT_EQ(document->firstPage->next.get(), nullptr) << "a score of one page";
    std::vector<std::pair<int, ScoreObject*>> endings;  // with their measures
    for (int measure = 1; measure <= document->header.measureCount; ++measure)
        for (ScoreObject* ending : testing::ObjectsOf(document, measure, ObjectType::RepeatEnding))
            endings.emplace_back(measure, ending);
    ASSERT_GE(endings.size(), 2u);
    EXPECT_TRUE(testing::PaintPagePicture(
        view, document->firstPage, [&](platform::BitmapHandle image, const gfx::Mapping& mapping) {
            for (auto [measure, ending] : endings) {
                SetCurrentMeasure(view, 1, measure);
                RecordRect label;
                TextClassOf(ending).SelectTextFont(ending, view, TextObjectAnchorPoint(ending, view),
                                                   &label);
                // Its lower part may touch the ending's line.
                label.bottom = label.top + (label.bottom - label.top) / 2;
                EXPECT_GT(InkIn(image, mapping, label), 0)
                    << "ending number of measure " << measure << " at " << label.left << ","
                    << label.top << " to " << label.right << "," << label.bottom;
            }
            return true;
        }));
}

TEST_F(EndingNumbersPictureTest, RehearsalMarksShowTheirLettersInsideOpenFrames) {
    ASSERT_EQ(Start(), StartupCode::Ok);
    ui::headless::ResetUi();
    std::ifstream in(kSuite / "31a-Directions.xml", std::ios::binary);
    ScoreView* view = testing::ImportMusicXmlText({std::istreambuf_iterator<char>(in), {}}, "rehearsal_XML");
    ASSERT_NE(view, nullptr);
    std::vector<ScoreObject*> framed;  // "A" in a box by default, "Test" in a box, "Crc" in a circle
    for (ScoreObject* text : testing::ObjectsOf(view->document, 1, ObjectType::Text))
        if ((AsTextObject(text)->body.flags & kTextFrameMask) != 0) framed.push_back(text);
    ASSERT_EQ(framed.size(), 3u);
    EXPECT_TRUE(testing::PaintPagePicture(
        view, view->document->firstPage, [&](platform::BitmapHandle image, const gfx::Mapping& mapping) {
            SetCurrentMeasure(view, 1, 1);
            for (ScoreObject* mark : framed) {
                RecordRect letters;
                TextClassOf(mark).SelectTextFont(mark, view, TextObjectAnchorPoint(mark, view), &letters);
                const gfx::Point a = gfx::MapLogicalToDevice(mapping, {letters.left, letters.top});
                const gfx::Point b = gfx::MapLogicalToDevice(mapping, {letters.right, letters.bottom});
                const int ink = InkIn(image, mapping, letters);
                EXPECT_GT(ink, 0) << TextObjectString(AsTextObject(mark));
                EXPECT_LT(ink * 2, (b.x - a.x + 1) * (b.y - a.y + 1)) << TextObjectString(AsTextObject(mark));
            }
            return true;
        }));
}

INSTANTIATE_TEST_SUITE_P(Suite, EndingNumbersPictureTest,
                         ::testing::Values("45b-RepeatWithAlternatives.xml",
                                           "45e-Repeats-Combination.xml"));

}  // namespace
}  // namespace ql
