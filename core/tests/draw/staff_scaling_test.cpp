// Staff-size scaling: the scaled metric set and music fonts of a staff, one cache
// entry per staff size, unscaled drawing on master pages, and the release of the
// cache with the view's fonts.
#include "core/draw/staff_scaling.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

#include "core/draw/draw_surface.h"
#include "core/draw/fonts.h"
#include "core/model/document.h"
#include "core/model/grid.h"
#include "core/model/view.h"
#include "core/objects/class_table.h"
#include "core/settings/preference_defaults.h"
#include "core/state.h"
#include "platform/text/font.h"
#include "platform/ui/headless.h"
#include "platform/win/headless.h"

namespace ql {
namespace {

constexpr int kStaves = 4;

int32_t HeightOf(platform::FontHandle font) {
    text::LogicalFont request;
    text::GetFontRequest(font, &request);
    return request.height;
}

class StaffScaling : public ::testing::Test {
  protected:
    void SetUp() override {
        std::filesystem::path font = std::filesystem::path(QL_PROGRAM_DIR) / "Glyphora.ttf";
        if (!std::filesystem::exists(font)) GTEST_SKIP() << "the music font is not built";
        ResetProgramState();
        ui::headless::ResetUi();
        win::headless::ResetWindowLayer();
        ResetObjectClassTable();
        ResetPreferenceDefaults();
        fontsBefore_ = text::LiveFontCount();
        ASSERT_TRUE(CreateMusicFonts());
        view_ = InitView(AllocView());
        doc_ = AllocDocument();
        ASSERT_EQ(CreateDocument(doc_, view_, nullptr), doc_);
        view_->currentPage = doc_->firstPage;
        for (int s = 0; s <= kStaves; ++s) {
            StaffRecord* staff = ConstructStaffRecord(AllocStaffRecord(), view_);
            ASSERT_NE(staff, nullptr);
            doc_->staves->staves[s] = Ref32<StaffRecord>::To(staff);
        }
        doc_->header.staffCount = kStaves;
        view_->glyphWidths = GlyphWidths{160, 170, 220, 300, 80};
        view_->LineWidth = view_->LineWidth2 = 96;
    }
    void TearDown() override {
        if (!view_) return;
        ReleaseViewFonts(view_, 1);
        DeleteMusicFonts();
        FreeView(view_);
        FreeDocument(doc_);
        EXPECT_EQ(text::LiveFontCount(), fontsBefore_) << "a font was left behind";
        ResetProgramState();
    }
    void SetStaffSize(int staff, uint8_t percent) {
        StaffRecordOf(doc_, staff)->staffData22[kStaffSizeByte] = percent;
    }

    ScoreView* view_ = nullptr;
    ScoreDocument* doc_ = nullptr;
    size_t fontsBefore_ = 0;
};

// A 75 % staff: staff 384, space 96, step 48, fonts -384, -288 and -249.
TEST_F(StaffScaling, AStaffAt75PercentScalesMetricsAndFonts) {
    SetStaffSize(1, 75);
    EXPECT_EQ(SelectStaffScaledFonts(view_, 1), 0);
    EXPECT_DOUBLE_EQ(ViewScale(view_), 0.75);
    const ScaledMetrics& m = view_->scaledMetrics;
    EXPECT_EQ(m.staffHeight, 384);
    EXPECT_EQ(m.staffSpace, 96);
    EXPECT_EQ(m.staffStep, 48);
    EXPECT_EQ(m.blackWidth, 120);
    EXPECT_EQ(m.quarterBlackWidth, 30);
    const DrawingGlobals& d = State().drawing;
    EXPECT_EQ(HeightOf(d.MusicFont), -384);
    EXPECT_EQ(HeightOf(d.MusicFont75), -288);
    EXPECT_EQ(HeightOf(d.MusicFont65), -249);
    EXPECT_EQ(d.glyphDrawState.musicFont, d.MusicFont.bits);
    EXPECT_EQ(d.glyphDrawState.blackWidth, 120);
}

// Each staff size gets one cache entry: two 60 % staves share theirs.
TEST_F(StaffScaling, EachStaffSizeGetsOneCachedFontSet) {
    SetStaffSize(1, 60);
    SetStaffSize(2, 60);
    SetStaffSize(3, 75);
    SelectStaffScaledFonts(view_, 1);
    platform::FontHandle first = State().drawing.MusicFont;
    SelectStaffScaledFonts(view_, 2);
    EXPECT_EQ(State().drawing.MusicFont, first);
    EXPECT_EQ(ScaledFontEntryCount(), 1);
    SelectStaffScaledFonts(view_, 3);
    EXPECT_EQ(ScaledFontEntryCount(), 2);
    SelectStaffScaledFonts(view_, 1);
    EXPECT_EQ(State().drawing.MusicFont, first);
    EXPECT_EQ(ScaledFontEntryCount(), 2);
}

// Releasing the view's fonts frees the scaled fonts and goes back to full size.
TEST_F(StaffScaling, ReleasingTheViewFreesTheScaledFonts) {
    platform::FontHandle full = State().drawing.MusicFont;
    size_t startUpFonts = text::LiveFontCount();
    SetStaffSize(1, 60);
    SetStaffSize(2, 80);
    SelectStaffScaledFonts(view_, 1);
    SelectStaffScaledFonts(view_, 2);
    EXPECT_EQ(text::LiveFontCount(), startUpFonts + 6);
    ReleaseViewFonts(view_, 0);
    EXPECT_EQ(ScaledFontEntryCount(), 0);
    EXPECT_EQ(text::LiveFontCount(), startUpFonts);
    EXPECT_EQ(State().drawing.MusicFont, full);
    EXPECT_EQ(ViewScale(view_), 0.0);
    EXPECT_NE(State().drawing.ScaledFontCache, nullptr) << "the head stays without freeHead";
    ReleaseDrawingGlobals(1);
    EXPECT_EQ(State().drawing.ScaledFontCache, nullptr);
}

// A full-size staff and any staff on a master page are drawn unscaled.
TEST_F(StaffScaling, FullSizeStavesAndMasterPagesStayUnscaled) {
    SelectStaffScaledFonts(view_, 1);
    EXPECT_EQ(ViewScale(view_), 0.0);
    EXPECT_EQ(view_->scaledMetrics.staffHeight, kFiveLineStaffUnits);
    SetStaffSize(2, 50);
    view_->currentPage = doc_->leftMaster;
    EXPECT_NE(SelectStaffScaledFonts(view_, 2), 0);
    EXPECT_EQ(ViewScale(view_), 0.0);
    EXPECT_EQ(ScaledFontEntryCount(), 0);
    EXPECT_EQ(HeightOf(State().drawing.MusicFont), kMusicFontHeight);
}

// An unchanged scale keeps the document's style fonts; a new scale drops them.
TEST_F(StaffScaling, AnUnchangedScaleKeepsTheStyleFonts) {
    QuickFontRecord& style = doc_->fonts[5];
    std::strcpy(style.face, "Liberation Serif");
    style.height = 300;
    platform::FontHandle font = CreateTextStyleFont(view_, 5);
    ASSERT_TRUE(font);
    SetViewScale(view_, 0.0);
    EXPECT_EQ(style.handle, font.bits);
    EXPECT_TRUE(text::FindFont(font));
    SetViewScale(view_, 0.5);
    EXPECT_EQ(style.handle, 0u);
    EXPECT_FALSE(text::FindFont(font));
}

// Music fonts made again (the old ones deleted) never come back from the cache:
// the view's next unscaled pass draws with the new fonts, not deleted handles.
TEST_F(StaffScaling, RemadeMusicFontsAreTheOnesTheCacheHandsOut) {
    SetStaffSize(1, 60);
    ASSERT_EQ(SelectStaffScaledFonts(view_, 1), 0);
    ASSERT_TRUE(CreateMusicFonts());
    platform::FontHandle remade = State().drawing.MusicFont;
    SelectStaffScaledFonts(view_, 2);  // a full-size staff: back to the head's fonts
    EXPECT_EQ(State().drawing.MusicFont, remade);
    EXPECT_TRUE(text::FindFont(State().drawing.MusicFont));
    ASSERT_EQ(SelectStaffScaledFonts(view_, 1), 0);
    EXPECT_TRUE(text::FindFont(State().drawing.MusicFont));
    EXPECT_EQ(ScaledFontEntryCount(), 1);
}

}  // namespace
}  // namespace ql
