// The document's 64-slot object cache: first free slot, a full cache that refuses
// without harm, and deletion through the cache whether or not the object is in it.
#include <vector>

#include "core/draw/gdi_cache.h"
#include "core/tests/draw/draw_fixture.h"
#include "platform/gfx/dc.h"
#include "platform/gfx/draw.h"
#include "platform/gfx/objects.h"

namespace ql::testing_draw {
namespace {

class GdiCache : public DrawTest {
  protected:
    platform::PenHandle NewPen() { return gfx::CreatePen(gfx::PenStyle::Solid, 1, gfx::kBlack); }
    bool IsAlive(platform::PenHandle pen) {
        gfx::PenDesc desc;
        return gfx::GetPenDesc(pen, &desc);
    }
    std::vector<platform::PenHandle> FillCache() {
        std::vector<platform::PenHandle> pens;
        for (int i = 0; i < kGdiCacheSlots; ++i) {
            pens.push_back(NewPen());
            EXPECT_TRUE(CacheGdiObject(document_.get(), pens.back()));
        }
        return pens;
    }
};

// The 65th object is not cached, stays usable, and deleting it leaves the cache alone.
TEST_F(GdiCache, The65thObjectIsNotCachedAndStillUsable) {
    FillCache();
    platform::PenHandle extra = NewPen();
    EXPECT_FALSE(CacheGdiObject(document_.get(), extra));
    EXPECT_EQ(CachedGdiObjectCount(document_.get()), kGdiCacheSlots);
    BeginViewDraw(&view_);
    EXPECT_TRUE(gfx::SelectObject(view_.ViewDC, extra));
    EXPECT_TRUE(gfx::LineTo(view_.ViewDC, gfx::Point{kLogicalOrigin + 256, kLogicalOrigin}));
    EndViewDrawAll(&view_);
    DeleteCachedGdiObject(document_.get(), extra);
    EXPECT_FALSE(IsAlive(extra)) << "an uncached object is still deleted";
    EXPECT_EQ(CachedGdiObjectCount(document_.get()), kGdiCacheSlots);
    DeleteAllCachedGdiObjects(document_.get());
}

// A freed slot is the next one filled; the first holder of a handle is cleared.
TEST_F(GdiCache, AnObjectGoesIntoTheFirstFreeSlot) {
    std::vector<platform::PenHandle> pens = FillCache();
    DeleteCachedGdiObject(document_.get(), pens[10]);
    EXPECT_FALSE(IsAlive(pens[10]));
    EXPECT_EQ(document_->gdiCache[10], 0u);
    platform::PenHandle next = NewPen();
    EXPECT_TRUE(CacheGdiObject(document_.get(), next));
    EXPECT_EQ(document_->gdiCache[10], next.bits);
    DeleteAllCachedGdiObjects(document_.get());
}

// Destroying the cache deletes every cached object, fonts included.
TEST_F(GdiCache, DeleteAllDeletesEveryCachedObject) {
    std::vector<platform::PenHandle> pens = FillCache();
    DeleteCachedGdiObject(document_.get(), pens[0]);
    text::LogicalFont request;
    request.SetFace("Liberation Sans");
    platform::FontHandle font = text::CreateFontIndirect(request);
    ASSERT_TRUE(font);
    EXPECT_TRUE(CacheGdiObject(document_.get(), font));
    DeleteAllCachedGdiObjects(document_.get());
    for (platform::PenHandle pen : pens) EXPECT_FALSE(IsAlive(pen));
    EXPECT_FALSE(text::FindFont(font));
    EXPECT_EQ(CachedGdiObjectCount(document_.get()), 0);
}

}  // namespace
}  // namespace ql::testing_draw
