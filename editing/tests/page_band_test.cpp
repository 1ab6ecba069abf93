// The page band's arithmetic and faces: the window over the pages keeps the shown
// page on a visible button and turns between "L" (or "R") and the last page; a
// face copies its image from the page strip, or stays a blank page when the strip
// is missing, and carries its label. Pictures of the faces of L, R, 1 and 12,
// pressed and not, are written for the eye.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

#include "core/model/score_document.h"
#include "editing/page_band_faces.h"
#include "editing/page_window.h"
#include "editing/tests/editing_fixture.h"
#include "platform/gfx/bitmap.h"
#include "platform/gfx/dc.h"
#include "platform/gfx/objects.h"
#include "platform/sys/resources.h"
#include "platform/tests/win/win_test_fixture.h"

namespace ql {
namespace {

constexpr int kWanted = 16;

// The shown page moves the window just enough; the count is cut to the pages there.
TEST(PageWindowTest, FitKeepsTheCurrentPageVisibleWithinThePagesThatExist) {
    EXPECT_EQ(FitPageWindow({-2, 0}, kWanted, 3, 0), (PageWindow{-2, 5}));  // L R 1 2 3
    EXPECT_EQ(FitPageWindow({-2, 5}, kWanted, 40, 20), (PageWindow{5, kWanted}));
    EXPECT_EQ(FitPageWindow({5, kWanted}, kWanted, 40, 3), (PageWindow{3, kWanted}));
    EXPECT_EQ(FitPageWindow({5, kWanted}, kWanted, 40, 12), (PageWindow{5, kWanted}));  // already shown
    // Pages deleted under the window: it ends at the last page left.
    EXPECT_EQ(FitPageWindow({30, kWanted}, kWanted, 10, 9), (PageWindow{9, 1}));
    EXPECT_EQ(FitPageWindow({-2, kWanted}, kWanted, 10, -1), (PageWindow{-2, 12}));
    // Every current page lies on a visible button.
    for (int pages = 1; pages < 70; pages += 7)
        for (int current = -2; current < pages; ++current)
            for (int first = -2; first < 70; first += 9) {
                const PageWindow w = FitPageWindow({first, 3}, kWanted, pages, current);
                EXPECT_GE(current, w.first);
                EXPECT_LT(current, w.first + w.visible);
                EXPECT_LE(w.first + w.visible, pages);
                EXPECT_GE(w.visible, 1);
                EXPECT_LE(w.visible, kWanted);
            }
}

// Back on a facing-page score ends at "L"; on a single-sided one at "R", and Ctrl
// reaches "L" there too.
TEST(PageWindowTest, TurningBackStopsAtTheLowestMaster) {
    PageWindow w{2, 5};
    std::optional<int> shown;
    for (int i = 0; i < 10; ++i) {
        const PageTurn turn = TurnPageWindow(w, kWanted, 5, false, false, true);
        if (turn.show) shown = turn.show;
        w = turn.window;
    }
    EXPECT_EQ(w.first, kLeftMasterIndex);
    EXPECT_EQ(shown, kLeftMasterIndex);
    EXPECT_FALSE(CanTurnBack(w, true));
    EXPECT_FALSE(TurnPageWindow(w, kWanted, 5, false, true, true).show);

    const PageWindow single{kRightMasterIndex, 6};
    EXPECT_FALSE(TurnPageWindow(single, kWanted, 5, false, false, false).show);
    EXPECT_FALSE(CanTurnBack(single, false));
    EXPECT_EQ(TurnPageWindow(single, kWanted, 5, false, true, false).show, kLeftMasterIndex);
}

// Forward shows the last visible page until the first button shows the last page;
// then it does nothing.
TEST(PageWindowTest, ForwardAtTheLastPageDoesNothing) {
    const PageTurn first = TurnPageWindow({-2, 7}, kWanted, 5, true, false, true);
    EXPECT_EQ(first.window, (PageWindow{-1, 6}));
    EXPECT_EQ(first.show, 4);
    PageWindow w = first.window;
    for (int i = 0; i < 10; ++i) w = TurnPageWindow(w, kWanted, 5, true, false, true).window;
    EXPECT_EQ(w, (PageWindow{4, 1}));
    const PageTurn last = TurnPageWindow(w, kWanted, 5, true, false, true);
    EXPECT_EQ(last.window, w);
    EXPECT_FALSE(last.show);
}

// A 17 x 22 picture of one face.
class PageFacePicture : public testing::FreshWindowLayer {
  protected:
    void SetUp() override {
        FreshWindowLayer::SetUp();
        image_ = gfx::CreateImageBitmap(page_band::kButtonWidth, page_band::kButtonHeight);
        dc_ = gfx::CreateWindowContext(image_);
    }
    void TearDown() override {
        gfx::DeleteContext(dc_);
        gfx::DeleteObject(image_);
        FreshWindowLayer::TearDown();
    }
    void Draw(const PageFace& face, bool pressed) { DrawPageButtonFace(dc_, face, pressed); }
    gfx::Colour At(int x, int y) const { return gfx::GetBitmapPixel(image_, x, y); }
    int Count(gfx::Colour colour) const {
        int n = 0;
        for (gfx::Colour pixel : gfx::ReadBitmapPixels(image_)) n += pixel == colour ? 1 : 0;
        return n;
    }
    // Pixels of the label's box (around x 8, above baseline 18) lighter than the
    // ground the label is written on (its edges are blended into the ground).
    int LabelPixels(gfx::Colour ground) const {
        const auto light = [](gfx::Colour c) { return (c & 0xFF) + ((c >> 8) & 0xFF) + ((c >> 16) & 0xFF); };
        int n = 0;
        for (int y = 8; y <= 18; ++y)
            for (int x = 1; x < page_band::kButtonWidth - 1; ++x) n += light(At(x, y)) > light(ground) + 96 ? 1 : 0;
        return n;
    }
    void Write(const std::string& name) const {
        std::filesystem::create_directories(QL_TEST_OUTPUT_DIR);
        EXPECT_TRUE(gfx::WritePng(image_, (std::filesystem::path(QL_TEST_OUTPUT_DIR) / name).string()));
    }

    platform::BitmapHandle image_;
    platform::DcHandle dc_;
};

// Without the page strip each face is a blank page with its label; pressed, the
// page is filled with the highlight colour. Written for the eye.
TEST_F(PageFacePicture, BlankFacesCarryTheirLabelsPressedAndNot) {
    const gfx::Colour highlight = gfx::Rgb(0, 0, 128);
    for (int page : {kLeftMasterIndex, kRightMasterIndex, 0, 11}) {
        const PageFace face = PageFaceOf(nullptr, page);
        for (bool pressed : {false, true}) {
            Draw(face, pressed);
            Write("page_face_" + face.label + (pressed ? "_pressed" : "") + ".png");
            const gfx::Colour ground = pressed ? highlight : gfx::kGrey;
            EXPECT_EQ(At(0, 0), ground) << face.label;
            EXPECT_GT(LabelPixels(ground), 6) << face.label << " pressed " << pressed;
            EXPECT_GT(Count(ground), page_band::kButtonWidth * page_band::kButtonHeight / 2) << face.label;
        }
    }
    // The label is what is drawn: "L" and "R" leave different pictures.
    Draw(PageFaceOf(nullptr, kLeftMasterIndex), false);
    const auto left = gfx::ReadBitmapPixels(image_);
    Draw(PageFaceOf(nullptr, kRightMasterIndex), false);
    EXPECT_NE(gfx::ReadBitmapPixels(image_), left);
}

// With the page strip in the program's resources, each face is its image of the
// strip: 12 for L, 13 for R, 0 for a right-hand page.
TEST_F(PageFacePicture, FacesComeFromTheirImageOfThePageStrip) {
    constexpr int kImages = 14;
    auto bundle = std::make_shared<sys::ResourceBundle>();
    sys::BitmapResource strip{kImages * page_band::kButtonWidth, page_band::kButtonHeight, {}};
    for (int y = 0; y < strip.height; ++y)
        for (int x = 0; x < strip.width; ++x)
            strip.pixels.push_back(gfx::Rgb(static_cast<uint8_t>(10 * (x / page_band::kButtonWidth)), 90, 40));
    bundle->bitmaps[466] = strip;
    sys::SetProgramBundle(bundle);
    Draw(PageFaceOf(nullptr, kLeftMasterIndex), false);
    EXPECT_EQ(At(1, 1), gfx::Rgb(120, 90, 40));
    EXPECT_GT(LabelPixels(gfx::Rgb(120, 90, 40)), 6);
    Draw(PageFaceOf(nullptr, kRightMasterIndex), false);
    EXPECT_EQ(At(16, 21), gfx::Rgb(130, 90, 40));
    Draw(PageFaceOf(nullptr, 0), false);
    EXPECT_EQ(At(1, 1), gfx::Rgb(0, 90, 40));
    // A strip too small for its faces leaves them blank.
    bundle->bitmaps[466] = sys::BitmapResource{page_band::kButtonWidth, page_band::kButtonHeight,
                                               std::vector<gfx::Colour>(page_band::kButtonWidth * page_band::kButtonHeight, gfx::kBlack)};
    Draw(PageFaceOf(nullptr, kRightMasterIndex), false);
    EXPECT_EQ(At(1, 1), gfx::kGrey);
}

using PageFaceNumberingTest = testing_editing::EditingTest;

// Labels are the numbers the document gives its pages, in the small font from 10
// on; with facing pages a left-hand page takes image 2.
TEST_F(PageFaceNumberingTest, LabelsFollowThePageNumbering) {
    ScoreDocument* document = view_->document;
    EXPECT_EQ(PageFaceOf(document, kLeftMasterIndex).label, "L");
    EXPECT_EQ(PageFaceOf(document, kRightMasterIndex).label, "R");
    EXPECT_EQ(PageFaceOf(document, kLeftMasterIndex).image, 12);
    EXPECT_EQ(PageFaceOf(document, kRightMasterIndex).image, 13);
    document->firstPage->pageNumber = 12;
    const PageFace twelve = PageFaceOf(document, 0);
    EXPECT_EQ(twelve.label, "12");
    EXPECT_TRUE(twelve.smallFont);
    EXPECT_EQ(twelve.image, 0);
    document->header.pageGeometry.sides = 1;
    document->header.pageGeometry.firstPage = 0;  // the first page is a left page
    EXPECT_EQ(PageFaceOf(document, 0).image, 2);
    document->firstPage->pageNumber = 9;
    EXPECT_FALSE(PageFaceOf(document, 0).smallFont);
}

}  // namespace
}  // namespace ql
