// The glyph metric table of the music font: an entry for every code 32..255,
// scaled to an em of 512, measured once per run and copied into each document; and
// the head widths of the view at full, 75 % and 65 % size.
#include <cstdlib>
#include <cstring>

#include "core/draw/glyph_metrics.h"
#include "core/tests/draw/draw_fixture.h"
#include "core/draw/view_metrics.h"
#include "platform/gfx/dc.h"
#include "platform/gfx/objects.h"
#include "platform/text/text_metrics.h"

namespace ql::testing_draw {
namespace {

using GlyphTable = DrawTest;

// Every code has an entry with an advance; the heads are centred on the baseline
// and about one staff space (128 of 512) tall.
TEST_F(GlyphTable, EveryCodeFrom32To255HasAnEntryFromTheMusicFont) {
    RequireMusicFonts();
    EXPECT_EQ(BuildGlyphMetrics(&view_), GlyphTableStatus::Built);
    for (int code = kFirstGlyphCode; code <= kLastGlyphCode; ++code) {
        GlyphMetricEntry entry = GlyphMetricOf(*document_, code);
        EXPECT_GT(entry.advance, 0) << "code " << code;
        EXPECT_EQ(entry.halfAdvance, entry.advance >> 1) << "code " << code;
        if (entry.inkFlag == kGlyphHasInk) {  // each value is scaled on its own: within 1
            EXPECT_NEAR(entry.outline[kOutlineInkWidth],
                        entry.outline[kOutlineInkRight] - entry.outline[kOutlineInkLeft], 1);
        }
    }
    for (int code = kBreveHeadCode; code <= kBlackHeadCode; ++code) {
        GlyphMetricEntry head = GlyphMetricOf(*document_, code);
        EXPECT_EQ(head.inkFlag, kGlyphHasInk) << "code " << code;
        EXPECT_NEAR(head.outline[kOutlineCentreY], 0, 4) << "code " << code;
        if (code != kBreveHeadCode) {  // the breve's side bars reach further
            EXPECT_NEAR(head.outline[kOutlineInkHeight], kUnitsPerStaffSpace,
                        kUnitsPerStaffSpace / 3)
                << "code " << code;
        }
    }
    EXPECT_EQ(GlyphMetricOf(*document_, kFirstGlyphCode - 1).advance, 0);
}

// The table's advance is the font's own advance at one em of 512 units.
TEST_F(GlyphTable, AdvancesAreTheFontsAtAnEmOf512) {
    RequireMusicFonts();
    ASSERT_EQ(BuildGlyphMetrics(&view_), GlyphTableStatus::Built);
    platform::DcHandle dc = gfx::CreateMemoryContext({});
    gfx::SelectObject(dc, State().drawing.MusicFont);  // height -512, one unit per pixel
    for (int code : {int(kBlackHeadCode), int(kWholeHeadCode), 61, 136, 218}) {
        int32_t width = 0;
        ASSERT_TRUE(text::GetCharWidths(dc, code, code, &width));
        EXPECT_NEAR(GlyphMetricOf(*document_, code).advance, width, 1) << "code " << code;
    }
    gfx::DeleteContext(dc);
}

// Measured once per run: a second document receives the same table.
TEST_F(GlyphTable, ASecondDocumentReceivesTheSameTable) {
    RequireMusicFonts();
    ASSERT_EQ(BuildGlyphMetrics(&view_), GlyphTableStatus::Built);
    ScoreDocument other;
    ScoreView second = view_;
    second.self = &second;
    second.document = &other;
    EXPECT_EQ(BuildGlyphMetrics(&second), GlyphTableStatus::Copied);
    EXPECT_EQ(std::memcmp(other.glyphMetrics, document_->glyphMetrics, sizeof(other.glyphMetrics)),
              0);
    EXPECT_FALSE(second.ViewDC);
}

// Without a context the document's table is left as it was.
TEST_F(GlyphTable, WithoutAContextTheTableIsUnchanged) {
    RequireMusicFonts();
    view_.ViewWindow = {};
    document_->glyphMetrics[40][0] = 0x5A;
    EXPECT_EQ(BuildGlyphMetrics(&view_), GlyphTableStatus::NoSurface);
    EXPECT_EQ(document_->glyphMetrics[40][0], 0x5A);
    EXPECT_EQ(State().drawing.GlyphTableBuilt, 0);
}

using HeadWidths = DrawTest;

// "H", "G", "F", "E" at 75 % and 65 % are those fractions of the full widths (to a
// device pixel), and keep their order: breve > whole > half >= black.
TEST_F(HeadWidths, WidthsAtFullAnd75And65PercentAreConsistent) {
    RequireMusicFonts();
    InitViewMetrics(&view_);
    const GlyphWidths& full = view_.glyphWidths;
    EXPECT_GT(full.breve, full.whole);
    EXPECT_GT(full.whole, full.half);
    EXPECT_GE(full.half, full.black);
    EXPECT_EQ(full.halfBlack, full.black >> 1);
    const double fractions[2] = {kMusicFont75Fraction, kMusicFont65Fraction};
    for (int size = 0; size < 2; ++size) {
        const GlyphWidths& small = view_.smallGlyphWidths[size];
        const int32_t pixel = view_.PixelUnitsX;
        EXPECT_NEAR(small.black, full.black * fractions[size], pixel) << "size " << size;
        EXPECT_NEAR(small.half, full.half * fractions[size], pixel) << "size " << size;
        EXPECT_NEAR(small.whole, full.whole * fractions[size], pixel) << "size " << size;
        EXPECT_NEAR(small.breve, full.breve * fractions[size], pixel) << "size " << size;
        EXPECT_EQ(small.halfBlack, small.black >> 1);
    }
    EXPECT_EQ(view_.scaledMetrics.blackWidth, full.black);
}

}  // namespace
}  // namespace ql::testing_draw
