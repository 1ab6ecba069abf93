// What documents and views own outside the pools: a document's fonts and cached
// platform objects go with it, renewing a document starts a new undo history, a
// copied view owns none of its source's drawing state, and a destroyed view
// releases its own.
#include "core/draw/gdi_cache.h"
#include "core/tests/model/model_fixture.h"
#include "core/undo/undo.h"
#include "platform/gfx/bitmap.h"
#include "platform/gfx/objects.h"
#include "platform/text/context_font.h"
#include "platform/text/font.h"

namespace ql::testing_model {
namespace {

constexpr uint16_t kEditedTempo = 77;
constexpr int kBitmapSide = 8;

class LifecycleTest : public ModelTest {
  protected:
    void SetUp() override {
        ModelTest::SetUp();
        text::RegisterFontDeleter();
        fontsBefore_ = text::LiveFontCount();
    }

    static uint32_t NewFont() {
        text::LogicalFont request;
        request.height = -200;
        return text::CreateFontIndirect(request).bits;
    }
    static bool FontLives(uint32_t bits) {
        return text::FindFont(platform::FontHandle{bits}) != nullptr;
    }
    static bool BitmapLives(platform::BitmapHandle bitmap) {
        gfx::BitmapInfo info;
        return gfx::GetBitmapInfo(bitmap, &info);
    }

    size_t fontsBefore_ = 0;
};

// Destroying a document deletes the fonts of its styles and font references, its
// measure-number font and every object of its cache, even one held in two places.
TEST_F(LifecycleTest, DestroyedDocumentLeavesNoFontBehind) {
    doc_->fonts[0].handle = NewFont();
    doc_->fonts[23].handle = NewFont();
    doc_->fontRefs[1].font = NewFont();
    ASSERT_TRUE(CacheGdiObject(doc_, platform::FontHandle{doc_->fontRefs[1].font}));
    ASSERT_TRUE(CacheGdiObject(doc_, platform::FontHandle{NewFont()}));
    doc_->header.pageGeometry.measureNumberFont = NewFont();
    ASSERT_EQ(text::LiveFontCount(), fontsBefore_ + 5);
    FreeDocument(doc_);
    doc_ = nullptr;
    EXPECT_EQ(text::LiveFontCount(), fontsBefore_);
}

// Releasing the fonts clears every slot, so a later release deletes nothing twice.
TEST_F(LifecycleTest, ReleasedFontSlotsAreCleared) {
    doc_->fonts[4].handle = NewFont();
    doc_->fontRefs[0].font = NewFont();
    ReleaseDocumentFonts(doc_);
    EXPECT_EQ(doc_->fonts[4].handle, 0u);
    const uint32_t reference = doc_->fontRefs[0].font;  // packed: read by value
    EXPECT_EQ(reference, 0u);
    EXPECT_EQ(CachedGdiObjectCount(doc_), 0);
    uint32_t unrelated = NewFont();
    ReleaseDocumentFonts(doc_);
    EXPECT_TRUE(FontLives(unrelated));
    text::DeleteFont(platform::FontHandle{unrelated});
}

// After renewal neither Undo nor a return to the baseline brings back the old
// score's bytes.
TEST_F(LifecycleTest, RenewalStartsANewUndoHistory) {
    const uint16_t defaultTempo = doc_->header.tempo;
    ASSERT_NE(defaultTempo, kEditedTempo);
    {
        UndoStep step(doc_, view_, UndoKind::Setting, 0, UndoVerb::Modify);
        doc_->header.tempo = kEditedTempo;
        SetDocumentModified(doc_);
    }
    ASSERT_EQ(UndoDepth(doc_), 1);
    ASSERT_EQ(InitNewDocument(doc_, view_, nullptr), 1);
    EXPECT_EQ(UndoDepth(doc_), 0);
    EXPECT_EQ(RedoDepth(doc_), 0);
    RestoreUndoBaseline(doc_);
    EXPECT_EQ(doc_->header.tempo, defaultTempo);
    UndoCommand(doc_, view_);
    EXPECT_EQ(doc_->header.tempo, defaultTempo);
}

// A copy holds none of the source's contexts, note-head bitmaps or platform
// objects, so destroying the copy leaves the source's alive.
TEST_F(LifecycleTest, CopiedViewOwnsNoDrawingState) {
    ScoreView* copy = AllocView();
    view_->glyphBitmaps[0] = gfx::CreateImageBitmap(kBitmapSide, kBitmapSide);
    platform::PenHandle pen = gfx::CreatePen(gfx::PenStyle::Solid, 1, gfx::kBlack);
    view_->gdiObjects[1] = pen.bits;
    view_->ViewDC = platform::DcHandle{0x1234};
    view_->ViewMemoryDC = platform::DcHandle{0x2345};
    view_->ViewMirrorDC = platform::DcHandle{0x3456};
    view_->DrawDepth = 2;
    CopyView(copy, view_);
    EXPECT_FALSE(copy->ViewDC);
    EXPECT_FALSE(copy->ViewMemoryDC);
    EXPECT_FALSE(copy->ViewMirrorDC);
    EXPECT_EQ(copy->DrawDepth, 0);
    EXPECT_FALSE(copy->glyphBitmaps[0]);
    FreeView(copy);
    EXPECT_TRUE(BitmapLives(view_->glyphBitmaps[0]));
    gfx::PenDesc desc;
    EXPECT_TRUE(gfx::GetPenDesc(pen, &desc));
    view_->ViewDC = view_->ViewMemoryDC = view_->ViewMirrorDC = {};
    view_->DrawDepth = 0;
}

// A destroyed view deletes its note-head bitmaps and its own platform objects.
TEST_F(LifecycleTest, DestroyedViewReleasesItsDrawing) {
    ScoreView* view = InitView(AllocView());
    platform::BitmapHandle head = gfx::CreateImageBitmap(kBitmapSide, kBitmapSide);
    platform::PenHandle pen = gfx::CreatePen(gfx::PenStyle::Solid, 1, gfx::kBlack);
    view->glyphBitmaps[1] = head;
    view->gdiObjects[2] = pen.bits;
    FreeView(view);
    EXPECT_FALSE(BitmapLives(head));
    gfx::PenDesc desc;
    EXPECT_FALSE(gfx::GetPenDesc(pen, &desc));
}

// A view made anew over one in use starts as a new view: its beat map empty and
// its buffers freed (a leak check sees any left), its fields their defaults.
TEST_F(LifecycleTest, ReinitialisedViewStartsAfresh) {
    ScoreView* view = InitView(AllocView());
    view->beatMap.rowBuffers[2].reset(new uint16_t[kBitmapSide]);
    view->beatMap.rowCapacity[2] = kBitmapSide * sizeof(uint16_t);
    view->beatMap.rowsAllocated = 3;
    view->beatMap.contentX[BeatMapCell(2, 5)] = 123;
    view->zoom = kDefaultZoomLevel + 1;
    view->slotCount = 4;
    ASSERT_EQ(InitView(view), view);
    EXPECT_EQ(view->self, view);
    EXPECT_EQ(view->beatMap.rowBuffers[2], nullptr);
    EXPECT_EQ(view->beatMap.rowCapacity[2], 0u);
    EXPECT_EQ(view->beatMap.rowsAllocated, 0);
    EXPECT_EQ(view->beatMap.contentX[BeatMapCell(2, 5)], 0);
    EXPECT_EQ(view->zoom, kDefaultZoomLevel);
    EXPECT_EQ(view->slotCount, 0);
    FreeView(view);
}

}  // namespace
}  // namespace ql::testing_model
