// The ink of a printed page drawn on an image surface, pixel for pixel against the
// same drawing made one operation at a time: boxes gathered into runs keep their
// clip, their place in the order against ink of other colours, and their place
// inside an operation begun around them; and the box of a straight 1-pixel line.
#include <gtest/gtest.h>

#include <cairo.h>

#include <cstring>
#include <functional>
#include <vector>

#include "platform/gfx/detail/page_ink.h"

namespace ql::gfx::detail {
namespace {

constexpr int kSide = 32;
constexpr uint32_t kRed = 0xFF0000, kBlue = 0x0000FF;
const Rect kPage{0, 0, kSide, kSide};

struct Surface {
    Surface() : surface(cairo_image_surface_create(CAIRO_FORMAT_RGB24, kSide, kSide)) {
        cairo_t* cr = cairo_create(surface);
        cairo_set_source_rgb(cr, 1, 1, 1);
        cairo_paint(cr);
        cairo_destroy(cr);
    }
    ~Surface() { cairo_surface_destroy(surface); }
    std::vector<uint8_t> Pixels() {
        cairo_surface_flush(surface);
        const uint8_t* data = cairo_image_surface_get_data(surface);
        return {data, data + static_cast<size_t>(cairo_image_surface_get_stride(surface)) * kSide};
    }
    cairo_surface_t* surface;
};

void FillBox(cairo_t* cr, const PageBox& b, uint32_t colour) {
    cairo_set_source_rgb(cr, (colour >> 16 & 0xFF) / 255.0, (colour >> 8 & 0xFF) / 255.0, (colour & 0xFF) / 255.0);
    cairo_rectangle(cr, b.left, b.top, b.right - b.left, b.bottom - b.top);
    cairo_fill(cr);
}

// One step drawn both ways: through the page's ink, and straight on a context.
struct Step {
    std::function<void(PageInk&)> throughPage;
    std::function<void(cairo_t*)> straight;
};

Step Box(PageBox b, uint32_t colour, Rect clip = kPage) {
    return {[=](PageInk& page) { page.AddBox(b, colour, clip); },
            [=](cairo_t* cr) {
                cairo_save(cr);
                cairo_rectangle(cr, clip.left, clip.top, clip.Width(), clip.Height());
                cairo_clip(cr);
                FillBox(cr, b, colour);
                cairo_restore(cr);
            }};
}

// An operation of its own (a glyph, a curve) that fills `b` in `colour`, begun
// as one of that colour alone when `oneColour`, with `inside` drawn within it.
Step Operation(PageBox b, uint32_t colour, bool oneColour, std::vector<Step> inside = {}) {
    return {[=](PageInk& page) {
                cairo_t* cr = oneColour ? page.BeginInColour(kPage, colour) : page.Begin(kPage);
                for (const Step& s : inside) s.throughPage(page);
                FillBox(cr, b, colour);
                page.End();
            },
            [=](cairo_t* cr) {
                for (const Step& s : inside) s.straight(cr);
                FillBox(cr, b, colour);
            }};
}

TEST(PageInkTest, DrawsWhatEachOperationDrawsInItsOrder) {
    const std::vector<std::pair<const char*, std::vector<Step>>> cases = {
        {"boxes of one colour, one covering another",
         {Box({2, 2, 10, 4}, kRed), Box({3, 2, 9, 3}, kRed), Box({1, 10, 30, 12}, kRed)}},
        {"a box cut to its clip", {Box({0, 0, 20, 20}, kRed, Rect{4, 4, 8, 30})}},
        {"a box of another colour after boxes", {Box({2, 2, 20, 20}, kRed), Box({10, 10, 30, 30}, kBlue)}},
        {"an operation of another colour over boxes",
         {Box({2, 2, 20, 20}, kRed), Operation({10, 10, 30, 30}, kBlue, true)}},
        {"an operation of any colour over boxes",
         {Box({2, 2, 20, 20}, kRed), Operation({10, 10, 30, 30}, kBlue, false)}},
        {"boxes waiting past an operation of their colour",
         {Box({2, 2, 20, 20}, kRed), Operation({10, 10, 30, 30}, kRed, true), Box({0, 12, 32, 14}, kBlue)}},
        {"a box drawn inside an operation comes before what follows it",
         {Operation({4, 4, 28, 28}, kBlue, false, {Box({0, 0, 32, 32}, kRed)})}},
    };
    for (const auto& [name, steps] : cases) {
        Surface gathered, straight;
        {
            PageInk page(gathered.surface, 1.0, 1.0);
            for (const Step& s : steps) s.throughPage(page);
        }
        cairo_t* cr = cairo_create(straight.surface);
        for (const Step& s : steps) s.straight(cr);
        cairo_destroy(cr);
        EXPECT_TRUE(gathered.Pixels() == straight.Pixels()) << name;
    }
}

TEST(PageInkTest, StraightThinLinesCoverTheirPixelsWithoutTheLast) {
    struct Case {
        Point a, b;
        bool straight;
        PageBox box;
    };
    const Case cases[] = {
        {{0, 0}, {5, 0}, true, {0, 0, 5, 1}},  {{5, 0}, {0, 0}, true, {1, 0, 6, 1}},
        {{3, 2}, {3, 9}, true, {3, 2, 4, 9}},  {{3, 9}, {3, 2}, true, {3, 3, 4, 10}},
        {{0, 0}, {4, 4}, false, {}},           {{2, 2}, {2, 2}, false, {}},
        {{0, 0}, {1 << 23, 0}, false, {}},
    };
    for (const Case& c : cases) {
        PageBox box;
        ASSERT_EQ(StraightThinLineBox(c.a, c.b, &box), c.straight) << c.a.x << "," << c.a.y;
        if (!c.straight) continue;
        EXPECT_EQ(box.left, c.box.left);
        EXPECT_EQ(box.top, c.box.top);
        EXPECT_EQ(box.right, c.box.right);
        EXPECT_EQ(box.bottom, c.box.bottom);
    }
}

}  // namespace
}  // namespace ql::gfx::detail
