// The ink of a printed page drawn on an image surface, pixel for pixel against the
// same drawing made one operation at a time: boxes gathered into runs keep their
// clip, their place in the order against ink of other colours, and their place
// inside an operation begun around them, as do polygons, strokes and glyphs
// gathered by colour; the box of a straight 1-pixel line; which paths are convex
// polygons, and the fill a thin outline grows.
#include <gtest/gtest.h>

#include <cairo-ft.h>
#include <cairo.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cmath>
#include <cstring>
#include <tuple>
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

// Straight on a context: `draw` in `colour` under `clip`.
std::function<void(cairo_t*)> Clipped(Rect clip, uint32_t colour, std::function<void(cairo_t*)> draw) {
    return [=](cairo_t* cr) {
        cairo_save(cr);
        cairo_rectangle(cr, clip.left, clip.top, clip.Width(), clip.Height());
        cairo_clip(cr);
        cairo_set_source_rgb(cr, (colour >> 16 & 0xFF) / 255.0, (colour >> 8 & 0xFF) / 255.0, (colour & 0xFF) / 255.0);
        draw(cr);
        cairo_restore(cr);
    };
}

std::function<void(cairo_t*)> PolygonPath(std::vector<Point> corners, double offset = 0) {
    return [=](cairo_t* cr) {
        for (Point p : corners) cairo_line_to(cr, p.x + offset, p.y + offset);
        cairo_close_path(cr);
    };
}

// A convex polygon filled in one colour, or filled and outlined by a 1-pixel pen
// through the centres of its corner pixels (given with the path, or alone).
enum class Outlined { No, WithPath, Alone };
Step Fill(std::vector<Point> corners, uint32_t colour, Rect clip = kPage, Outlined how = Outlined::No) {
    auto path = PolygonPath(corners);
    const bool outlined = how != Outlined::No;
    return {[=](PageInk& page) {
                if (how == Outlined::Alone) {
                    EXPECT_TRUE(page.AddOutlinedPolygon(corners, colour, clip));
                    return;
                }
                EXPECT_EQ(page.AddConvexFill(path, colour, clip, outlined ? &corners : nullptr),
                          outlined ? PageInk::Gathered::FillAndOutline : PageInk::Gathered::Fill);
            },
            Clipped(clip, colour, [=](cairo_t* cr) {
                path(cr);
                cairo_fill(cr);
                if (!outlined) return;
                PolygonPath(corners, 0.5)(cr);
                cairo_set_line_width(cr, 1);
                cairo_stroke(cr);
            })};
}

// A line from a to b stroked `width` pixels wide.
Step Stroke(Point a, Point b, int width, uint32_t colour, Rect clip = kPage) {
    auto path = [=](cairo_t* cr) {
        cairo_move_to(cr, a.x + 0.5, a.y + 0.5);
        cairo_line_to(cr, b.x + 0.5, b.y + 0.5);
    };
    return {[=](PageInk& page) { page.AddStroke(path, width, colour, clip); },
            Clipped(clip, colour, [=](cairo_t* cr) {
                path(cr);
                cairo_set_line_width(cr, width);
                cairo_set_line_cap(cr, width > 1 ? CAIRO_LINE_CAP_ROUND : CAIRO_LINE_CAP_BUTT);
                cairo_set_line_join(cr, width > 1 ? CAIRO_LINE_JOIN_ROUND : CAIRO_LINE_JOIN_MITER);
                cairo_stroke(cr);
            })};
}

// The program's music font, 16 pixels to the em (kept for the run).
cairo_scaled_font_t* MusicFont() {
    static cairo_scaled_font_t* const font = []() -> cairo_scaled_font_t* {
        static FT_Library library = nullptr;
        static FT_Face face = nullptr;
        if (FT_Init_FreeType(&library) != 0 || FT_New_Face(library, QL_PROGRAM_DIR "/Glyphora.ttf", 0, &face) != 0)
            return nullptr;
        cairo_font_face_t* cairoFace = cairo_ft_font_face_create_for_ft_face(face, FT_LOAD_NO_HINTING);
        cairo_matrix_t size, identity;
        cairo_matrix_init_scale(&size, 16, 16);
        cairo_matrix_init_identity(&identity);
        cairo_font_options_t* options = cairo_font_options_create();
        cairo_scaled_font_t* scaled = cairo_scaled_font_create(cairoFace, &size, &identity, options);
        cairo_font_options_destroy(options);
        cairo_font_face_destroy(cairoFace);
        return scaled;
    }();
    return font;
}

// The glyphs of the font's codes at their places, in one run.
Step Glyphs(std::vector<std::tuple<char, int, int>> codes, uint32_t colour, Rect clip = kPage) {
    std::vector<cairo_glyph_t> glyphs;
    if (MusicFont() != nullptr) {
        FT_Face face = cairo_ft_scaled_font_lock_face(MusicFont());
        for (auto [code, x, y] : codes)
            glyphs.push_back({FT_Get_Char_Index(face, static_cast<unsigned char>(code)), double(x), double(y)});
        cairo_ft_scaled_font_unlock_face(MusicFont());
    }
    return {[=](PageInk& page) {
                page.AddGlyphs(MusicFont(), glyphs.data(), static_cast<int>(glyphs.size()), colour, clip);
            },
            Clipped(clip, colour, [=](cairo_t* cr) {
                cairo_set_scaled_font(cr, MusicFont());
                cairo_show_glyphs(cr, glyphs.data(), static_cast<int>(glyphs.size()));
            })};
}

TEST(PageInkTest, DrawsWhatEachOperationDrawsInItsOrder) {
    ASSERT_NE(MusicFont(), nullptr) << "Glyphora.ttf missing in " QL_PROGRAM_DIR;
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
        {"polygons turning either way, overlapping",
         {Fill({{2, 2}, {20, 2}, {20, 20}, {2, 20}}, kRed), Fill({{10, 10}, {10, 30}, {30, 30}, {30, 10}}, kRed)}},
        {"a sloped polygon cut to its clip, then one under another clip",
         {Fill({{0, 4}, {32, 0}, {32, 6}, {0, 10}}, kRed, Rect{4, 0, 20, 32}),
          Fill({{0, 20}, {32, 16}, {32, 22}, {0, 26}}, kRed, Rect{10, 0, 32, 32})}},
        {"polygons and boxes of two colours in turn",
         {Fill({{2, 2}, {20, 2}, {20, 20}}, kRed), Box({10, 10, 30, 30}, kBlue),
          Fill({{4, 4}, {30, 4}, {30, 14}}, kRed)}},
        {"upright boxes filled and outlined, the outline taken into the fill",
         {Fill({{2, 2}, {12, 2}, {12, 6}, {2, 6}}, kRed, kPage, Outlined::WithPath),
          Fill({{20, 30}, {20, 10}, {28, 10}, {28, 30}}, kRed, kPage, Outlined::Alone)}},
        {"strokes of two widths, apart",
         {Stroke({2, 2}, {28, 2}, 1, kRed), Stroke({4, 8}, {26, 20}, 3, kRed), Stroke({2, 28}, {2, 12}, 1, kRed)}},
        {"a stroke under another colour's box, under a stroke",
         {Stroke({2, 4}, {28, 4}, 3, kRed), Box({10, 0, 14, 32}, kBlue), Stroke({2, 20}, {28, 20}, 5, kRed)}},
        {"strokes under two clips",
         {Stroke({2, 4}, {30, 4}, 1, kRed, Rect{0, 0, 16, 32}), Stroke({2, 8}, {30, 8}, 1, kRed, Rect{8, 0, 32, 32})}},
        {"glyphs of one font in runs on one line and on others, boxes and polygons between",
         {Glyphs({{'H', 1, 8}}, kRed), Box({0, 12, 32, 13}, kRed), Glyphs({{'H', 10, 8}}, kRed),
          Glyphs({{'G', 20, 8}}, kRed), Glyphs({{'H', 2, 24}}, kRed),
          Fill({{20, 20}, {30, 20}, {30, 30}}, kRed)}},
        {"glyphs of another colour over glyphs",
         {Glyphs({{'H', 4, 8}}, kRed), Glyphs({{'H', 6, 8}}, kBlue), Glyphs({{'H', 8, 8}}, kRed)}},
        {"glyphs cut by their clip",
         {Glyphs({{'H', 4, 8}}, kRed, Rect{0, 0, 8, 32}), Glyphs({{'H', 20, 8}}, kRed)}},
        {"glyphs drawn inside an operation come before what follows it",
         {Operation({4, 4, 28, 28}, kBlue, false, {Glyphs({{'H', 2, 8}}, kRed), Stroke({0, 6}, {30, 6}, 3, kRed)})}},
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

// Which paths are gathered as convex polygons (made to run clockwise), and which
// of those a thin outline grows: to the hull of the corners and the corners a
// pixel right, down and both.
TEST(PageInkTest, ConvexPolygonsRunClockwiseAndAThinOutlineGrowsThem) {
    auto curve = [](cairo_t* cr) {
        cairo_move_to(cr, 0, 0);
        cairo_curve_to(cr, 4, 0, 8, 4, 8, 8);
        cairo_close_path(cr);
    };
    auto twoSquares = [](cairo_t* cr) {
        cairo_rectangle(cr, 0, 0, 4, 4);
        cairo_rectangle(cr, 8, 8, 4, 4);
    };
    const std::vector<Point> box{{0, 0}, {10, 0}, {10, 4}, {0, 4}}, wedge{{0, 0}, {30, 4}, {0, 8}};
    struct Case {
        const char* name;
        std::function<void(cairo_t*)> path;
        bool convex;
        std::vector<Point> outline, grown;  // grown empty: the outline is kept
    };
    const Case cases[] = {
        {"a box", PolygonPath(box), true, box, {{0, 0}, {11, 0}, {11, 5}, {0, 5}}},
        {"a beam rising, anticlockwise", PolygonPath({{0, 4}, {0, 10}, {20, 6}, {20, 0}}), true,
         {{0, 4}, {20, 0}, {20, 6}, {0, 10}}, {{0, 4}, {20, 0}, {21, 0}, {21, 7}, {1, 11}, {0, 11}}},
        {"a beam falling", PolygonPath({{0, 0}, {20, 4}, {20, 10}, {0, 6}}), true,
         {{0, 6}, {20, 10}, {20, 4}, {0, 0}}, {{0, 0}, {1, 0}, {21, 4}, {21, 11}, {20, 11}, {0, 7}}},
        {"a box outlined round other corners", PolygonPath(box), true, {{0, 0}, {10, 0}, {10, 5}, {0, 5}}, {}},
        {"a sharp wedge", PolygonPath(wedge), true, wedge, {}},
        {"repeated and collinear corners", PolygonPath({{0, 0}, {5, 0}, {5, 0}, {10, 0}, {10, 10}, {0, 0}}), true,
         {}, {}},
        {"an L", PolygonPath({{0, 0}, {4, 0}, {4, 6}, {10, 6}, {10, 10}, {0, 10}}), false, {}, {}},
        {"a star", PolygonPath({{5, 0}, {8, 10}, {0, 4}, {10, 4}, {2, 10}}), false, {}, {}},
        {"a curve", curve, false, {}, {}},
        {"two squares", twoSquares, false, {}, {}},
    };
    Surface surface;
    cairo_t* cr = cairo_create(surface.surface);
    for (const Case& c : cases) {
        cairo_new_path(cr);
        c.path(cr);
        cairo_path_t* copied = cairo_copy_path(cr);
        std::vector<cairo_path_data_t> path(copied->data, copied->data + copied->num_data);
        cairo_path_destroy(copied);
        ASSERT_EQ(MakeClockwiseConvex(&path), c.convex) << c.name;
        if (!c.convex) continue;
        if (!c.outline.empty()) {
            ASSERT_EQ(GrowByThinOutline(&path, c.outline), !c.grown.empty()) << c.name;
        }
        std::vector<Point> corners;
        for (size_t i = 0; i + 1 < path.size(); i += 2)
            corners.push_back(Point{int32_t(path[i + 1].point.x), int32_t(path[i + 1].point.y)});
        double area = 0;
        for (size_t i = 0; i < corners.size(); ++i) {
            const Point a = corners[i], b = corners[(i + 1) % corners.size()];
            area += double(a.x) * b.y - double(b.x) * a.y;
        }
        EXPECT_GT(area, 0) << c.name;
        if (c.grown.empty()) continue;
        auto start = std::find(corners.begin(), corners.end(), c.grown[0]);  // the same polygon from any corner
        ASSERT_NE(start, corners.end()) << c.name;
        std::rotate(corners.begin(), start, corners.end());
        EXPECT_EQ(corners, c.grown) << c.name;
    }
    cairo_destroy(cr);
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
