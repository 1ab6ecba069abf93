#include "platform/gfx/detail/page_ink.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "platform/gfx/detail/drawable_range.h"

namespace ql::gfx::detail {

namespace {

// Boxes a new box is compared with for one covering the other: a stroke and the
// filled box drawn over it come one after the other.
constexpr size_t kCoverWindow = 8;
constexpr uint32_t kRgbBits = 0xFFFFFF;

bool Covers(const PageBox& outer, const PageBox& inner) {
    return outer.left <= inner.left && outer.top <= inner.top && outer.right >= inner.right &&
           outer.bottom >= inner.bottom;
}

bool InRange(Point p) {
    return std::abs(p.x) <= kCairoCoordinateLimit && std::abs(p.y) <= kCairoCoordinateLimit;
}

struct PathPoint {
    double x = 0, y = 0;
    bool operator==(const PathPoint&) const = default;
};

// The corners of a path made of one move and straight lines, closed; false for any
// other path.
bool PolygonCorners(const std::vector<cairo_path_data_t>& path, std::vector<PathPoint>* corners) {
    bool closed = false;
    for (size_t i = 0; i < path.size(); i += static_cast<size_t>(path[i].header.length)) {
        const cairo_path_data_t& head = path[i];
        if (head.header.length < 1 || closed) {
            // Cairo leaves a move to the start after a close: nothing may follow it.
            if (closed && head.header.type == CAIRO_PATH_MOVE_TO && i + 2 == path.size()) break;
            return false;
        }
        switch (head.header.type) {
        case CAIRO_PATH_MOVE_TO:
            if (i != 0) return false;
            [[fallthrough]];
        case CAIRO_PATH_LINE_TO: {
            const PathPoint p{path[i + 1].point.x, path[i + 1].point.y};
            if (corners->empty() || !(corners->back() == p)) corners->push_back(p);
            break;
        }
        case CAIRO_PATH_CLOSE_PATH:
            closed = true;
            break;
        default:
            return false;
        }
    }
    if (corners->size() > 1 && corners->front() == corners->back()) corners->pop_back();
    return closed && corners->size() >= 3;
}

// Which way the edges at corner i turn (the sign of their cross product).
double Turn(const std::vector<PathPoint>& c, size_t i) {
    const PathPoint& a = c[i];
    const PathPoint& b = c[(i + 1) % c.size()];
    const PathPoint& d = c[(i + 2) % c.size()];
    return (b.x - a.x) * (d.y - b.y) - (b.y - a.y) * (d.x - b.x);
}

// Times the sign of a run of differences changes going round the polygon.
int SignChanges(const std::vector<PathPoint>& c, bool alongX) {
    int changes = 0, last = 0;
    for (size_t i = 0; i <= c.size(); ++i) {
        const PathPoint& a = c[i % c.size()];
        const PathPoint& b = c[(i + 1) % c.size()];
        const double step = alongX ? b.x - a.x : b.y - a.y;
        const int sign = step > 0 ? 1 : step < 0 ? -1 : 0;
        if (sign == 0) continue;
        if (last != 0 && sign != last && i < c.size()) ++changes;
        last = sign;
    }
    return changes;
}

std::vector<PathPoint> SortedUnique(std::vector<PathPoint> points) {
    auto less = [](const PathPoint& a, const PathPoint& b) { return a.x < b.x || (a.x == b.x && a.y < b.y); };
    std::sort(points.begin(), points.end(), less);
    points.erase(std::unique(points.begin(), points.end()), points.end());
    return points;
}

double Cross(const PathPoint& o, const PathPoint& a, const PathPoint& b) {
    return (a.x - o.x) * (b.y - o.y) - (a.y - o.y) * (b.x - o.x);
}

// The convex hull of sorted distinct points (Andrew's monotone chain), without
// corners on its straight edges.
std::vector<PathPoint> Hull(const std::vector<PathPoint>& points) {
    if (points.size() < 3) return points;
    std::vector<PathPoint> hull(2 * points.size());
    size_t k = 0;
    for (size_t i = 0; i < points.size(); ++i) {
        while (k >= 2 && Cross(hull[k - 2], hull[k - 1], points[i]) <= 0) --k;
        hull[k++] = points[i];
    }
    for (size_t i = points.size() - 1, lower = k + 1; i-- > 0;) {
        while (k >= lower && Cross(hull[k - 2], hull[k - 1], points[i]) <= 0) --k;
        hull[k++] = points[i];
    }
    hull.resize(k - 1);
    return hull;
}

void WritePolygon(const std::vector<PathPoint>& corners, std::vector<cairo_path_data_t>* path) {
    path->clear();
    for (size_t i = 0; i < corners.size(); ++i) {
        cairo_path_data_t head;
        head.header.type = i == 0 ? CAIRO_PATH_MOVE_TO : CAIRO_PATH_LINE_TO;
        head.header.length = 2;
        cairo_path_data_t point;
        point.point.x = corners[i].x;
        point.point.y = corners[i].y;
        path->push_back(head);
        path->push_back(point);
    }
    cairo_path_data_t close;
    close.header.type = CAIRO_PATH_CLOSE_PATH;
    close.header.length = 1;
    path->push_back(close);
}

double SignedArea(const std::vector<PathPoint>& corners) {
    double area = 0;
    for (size_t i = 0; i < corners.size(); ++i) {
        const PathPoint& a = corners[i];
        const PathPoint& b = corners[(i + 1) % corners.size()];
        area += a.x * b.y - b.x * a.y;
    }
    return area;
}

}  // namespace

namespace {

// True when the corners turn one way only, once round; they then run clockwise.
bool ClockwiseConvex(std::vector<PathPoint>* corners) {
    bool left = false, right = false;
    for (size_t i = 0; i < corners->size(); ++i) {
        const double turn = Turn(*corners, i);
        left = left || turn < 0;
        right = right || turn > 0;
    }
    const double area = SignedArea(*corners);
    // One way round, once round: x and y each turn back twice at most.
    if ((left && right) || area == 0 || SignChanges(*corners, true) > 2 || SignChanges(*corners, false) > 2)
        return false;
    if (area < 0) std::reverse(corners->begin(), corners->end());
    return true;
}

// Grows a convex polygon by what a 1-pixel pen covers tracing its corners through
// the pixels' centres; false when a corner is sharper than the pen's mitre reaches
// within the hull.
bool GrowByPen(std::vector<PathPoint>* corners) {
    constexpr double kBluntestSharpCosine = 0.5;
    const std::vector<PathPoint>& c = *corners;
    for (size_t i = 0; i < c.size(); ++i) {
        const PathPoint& o = c[i];
        const PathPoint& a = c[(i + c.size() - 1) % c.size()];
        const PathPoint& b = c[(i + 1) % c.size()];
        const double ax = a.x - o.x, ay = a.y - o.y, bx = b.x - o.x, by = b.y - o.y;
        const double lengths = std::sqrt((ax * ax + ay * ay) * (bx * bx + by * by));
        if (lengths == 0 || (ax * bx + ay * by) / lengths > kBluntestSharpCosine) return false;
    }
    std::vector<PathPoint> reach;
    reach.reserve(4 * c.size());
    for (const PathPoint& p : c)
        for (double dx : {0.0, 1.0})
            for (double dy : {0.0, 1.0}) reach.push_back(PathPoint{p.x + dx, p.y + dy});
    *corners = Hull(SortedUnique(reach));
    if (SignedArea(*corners) < 0) std::reverse(corners->begin(), corners->end());
    return true;
}

}  // namespace

bool MakeClockwiseConvex(std::vector<cairo_path_data_t>* path) {
    std::vector<PathPoint> corners;
    if (!PolygonCorners(*path, &corners) || !ClockwiseConvex(&corners)) return false;
    WritePolygon(corners, path);
    return true;
}

bool GrowByThinOutline(std::vector<cairo_path_data_t>* path, const std::vector<Point>& outline) {
    // The path comes back from the surface's fixed-point units within this.
    constexpr double kSamePoint = 1.0 / 16;
    std::vector<PathPoint> corners;
    if (!PolygonCorners(*path, &corners)) return false;
    std::vector<PathPoint> traced;
    for (Point p : outline) traced.push_back(PathPoint{double(p.x), double(p.y)});
    traced = SortedUnique(traced);
    if (traced.size() != corners.size()) return false;
    // Each corner of the path is one of the pen's, which has whole pixels.
    for (PathPoint& c : corners) {
        auto same = std::find_if(traced.begin(), traced.end(), [&c](const PathPoint& t) {
            return std::abs(t.x - c.x) < kSamePoint && std::abs(t.y - c.y) < kSamePoint;
        });
        if (same == traced.end()) return false;
        c = *same;
    }
    if (!GrowByPen(&corners)) return false;
    WritePolygon(corners, path);
    return true;
}

PageInk::PageInk(cairo_surface_t* surface, double unitsPerDotX, double unitsPerDotY, PdfPrintJob* job)
    : cr_(cairo_create(job && job->cairo() ? job->cairo() : surface)),
      job_(job),
      record_(job ? job->page() : nullptr),
      unitsPerDotX_(unitsPerDotX),
      unitsPerDotY_(unitsPerDotY) {
    cairo_scale(cr_, unitsPerDotX, unitsPerDotY);
}

PageInk::~PageInk() {
    while (depth_ > 0) End();
    Flush();
    cairo_destroy(cr_);
}

void PageInk::TurnToCairo() {
    Flush();
    cairo_t* cr = cairo_create(job_->TurnToCairo());
    cairo_scale(cr, unitsPerDotX_, unitsPerDotY_);
    DrawPageRecord(*record_, cr);
    record_->Clear();
    record_ = nullptr;
    cairo_destroy(cr_);
    cr_ = cr;
    clipped_ = false;
}

// The page's clip is set outside any operation and kept while it stays the same;
// an operation begun inside another sets its clip inside its own state.
cairo_t* PageInk::BeginInColour(const Rect& clip, uint32_t colour) {
    if ((colour & kRgbBits) != colour_) Flush();
    return Open(clip);
}

cairo_t* PageInk::Begin(const Rect& clip) {
    Flush();
    return Open(clip);
}

cairo_t* PageInk::Open(const Rect& clip) {
    if (record_) TurnToCairo();
    if (depth_ == 0 && (!clipped_ || !(clip == clip_))) {
        SetClip(clip);
        clip_ = clip;
        clipped_ = true;
    }
    cairo_save(cr_);
    if (depth_ > 0) SetClip(clip);
    ++depth_;
    return cr_;
}

void PageInk::End() {
    if (depth_ == 0) return;
    cairo_restore(cr_);
    --depth_;
}

void PageInk::SetClip(const Rect& clip) {
    cairo_reset_clip(cr_);
    cairo_rectangle(cr_, clip.left, clip.top, clip.Width(), clip.Height());
    cairo_clip(cr_);
}

bool PageInk::HasClippedInk() const { return !glyphRuns_.empty() || !fills_.empty() || !strokes_.empty(); }

void PageInk::Join(uint32_t colour, const Rect& clip) {
    colour &= kRgbBits;
    if (colour != colour_) Flush();
    colour_ = colour;
    if (HasClippedInk() && !(clip == inkClip_)) Flush();
    inkClip_ = clip;
}

void PageInk::AddBox(const PageBox& box, uint32_t colour, const Rect& clip) {
    const PageBox cut{std::max<double>(box.left, clip.left), std::max<double>(box.top, clip.top),
                      std::min<double>(box.right, clip.right), std::min<double>(box.bottom, clip.bottom)};
    if (cut.left >= cut.right || cut.top >= cut.bottom) return;
    colour &= kRgbBits;
    if (colour != colour_) Flush();
    colour_ = colour;
    const size_t from = boxes_.size() > kCoverWindow ? boxes_.size() - kCoverWindow : 0;
    for (size_t i = from; i < boxes_.size(); ++i)
        if (Covers(boxes_[i], cut)) return;
    auto covered = [&cut](const PageBox& b) { return Covers(cut, b); };
    boxes_.erase(std::remove_if(boxes_.begin() + static_cast<std::ptrdiff_t>(from), boxes_.end(), covered),
                 boxes_.end());
    boxes_.push_back(cut);
    // Inside an operation, what it draws next must come after the box.
    if (depth_ > 0) Flush();
}

PageInk::GlyphRun& PageInk::RunOf(cairo_scaled_font_t* font) {
    for (GlyphRun& run : glyphRuns_)
        if (run.font == font) return run;
    GlyphRun run;
    run.font = cairo_scaled_font_reference(font);
    cairo_matrix_t size;
    cairo_scaled_font_get_font_matrix(font, &size);
    run.em = std::max(1.0, std::abs(size.yy));
    cairo_glyph_t* space = nullptr;
    int count = 0;
    if (cairo_scaled_font_text_to_glyphs(font, 0, 0, " ", 1, &space, &count, nullptr, nullptr, nullptr) ==
            CAIRO_STATUS_SUCCESS &&
        count == 1) {
        cairo_text_extents_t ink;
        cairo_scaled_font_glyph_extents(font, space, 1, &ink);
        run.hasSpacer = ink.width == 0 && ink.height == 0;
        run.spacer = space->index;
    }
    cairo_glyph_free(space);
    glyphRuns_.push_back(std::move(run));
    return glyphRuns_.back();
}

void PageInk::AddGlyphs(cairo_scaled_font_t* font, const cairo_glyph_t* glyphs, int count, uint32_t colour,
                        const Rect& clip) {
    if (count <= 0) return;
    Join(colour, clip);
    GlyphRun* run = &RunOf(font);
    if (!run->glyphs.empty() && run->glyphs.back().y == glyphs[0].y) {
        if (run->hasSpacer) {
            run->glyphs.push_back(cairo_glyph_t{run->spacer, glyphs[0].x, glyphs[0].y - run->em});
        } else {
            // A run of this font on its line must be placed by a text object of its own.
            Flush();
            Join(colour, clip);
            run = &RunOf(font);
        }
    }
    run->glyphs.insert(run->glyphs.end(), glyphs, glyphs + count);
    if (depth_ > 0) Flush();
}

bool PageInk::AddOutlinedPolygon(const std::vector<Point>& corners, uint32_t colour, const Rect& clip) {
    std::vector<PathPoint> polygon;
    for (Point p : corners) {
        if (!InRange(p)) return false;
        const PathPoint corner{double(p.x), double(p.y)};
        if (polygon.empty() || !(polygon.back() == corner)) polygon.push_back(corner);
    }
    if (polygon.size() > 1 && polygon.front() == polygon.back()) polygon.pop_back();
    if (polygon.size() < 3 || !ClockwiseConvex(&polygon) || !GrowByPen(&polygon)) return false;
    std::vector<cairo_path_data_t> path;
    WritePolygon(polygon, &path);
    Join(colour, clip);
    fills_.insert(fills_.end(), path.begin(), path.end());
    if (depth_ > 0) Flush();
    return true;
}

std::vector<cairo_path_data_t> PageInk::CopyPath(const std::function<void(cairo_t*)>& build) {
    cairo_new_path(cr_);
    build(cr_);
    cairo_path_t* path = cairo_copy_path(cr_);
    cairo_new_path(cr_);
    std::vector<cairo_path_data_t> data;
    if (path->status == CAIRO_STATUS_SUCCESS) data.assign(path->data, path->data + path->num_data);
    cairo_path_destroy(path);
    return data;
}

void PageInk::AppendPath(const std::vector<cairo_path_data_t>& data) {
    cairo_path_t path{CAIRO_STATUS_SUCCESS, const_cast<cairo_path_data_t*>(data.data()),
                      static_cast<int>(data.size())};
    cairo_append_path(cr_, &path);
}

PageInk::Gathered PageInk::AddConvexFill(const std::function<void(cairo_t*)>& build, uint32_t colour,
                                         const Rect& clip, const std::vector<Point>* outline) {
    std::vector<cairo_path_data_t> path = CopyPath(build);
    if (path.empty()) return Gathered::Fill;
    if (!MakeClockwiseConvex(&path)) return Gathered::No;
    const bool grown = outline != nullptr && GrowByThinOutline(&path, *outline);
    Join(colour, clip);
    fills_.insert(fills_.end(), path.begin(), path.end());
    if (depth_ > 0) Flush();
    return grown ? Gathered::FillAndOutline : Gathered::Fill;
}

void PageInk::AddStroke(const std::function<void(cairo_t*)>& build, int width, uint32_t colour,
                        const Rect& clip) {
    std::vector<cairo_path_data_t> path = CopyPath(build);
    if (path.empty()) return;
    Join(colour, clip);
    auto run = std::find_if(strokes_.begin(), strokes_.end(), [width](const StrokeRun& r) { return r.width == width; });
    if (run == strokes_.end()) {
        strokes_.push_back(StrokeRun{width, {}});
        run = strokes_.end() - 1;
    }
    run->path.insert(run->path.end(), path.begin(), path.end());
    if (depth_ > 0) Flush();
}

void PageInk::AddPathInk(const std::function<void(cairo_t*)>* fill, cairo_fill_rule_t rule, uint32_t fillColour,
                         const std::function<void(cairo_t*)>* outline, const PageStroke* stroke,
                         uint32_t penColour, const Rect& clip) {
    Flush();
    PageRecord& out = Target();
    if (fill) out.AddFill(CopyPath(*fill), rule, fillColour & kRgbBits, clip);
    if (outline && stroke) out.AddStroke(CopyPath(*outline), *stroke, penColour & kRgbBits, clip);
    DrawScratch();
}

bool PageInk::AddImage(const unsigned char* pixels, int stride, int width, int height, int left, int top,
                       const Rect& clip) {
    Flush();
    PageImage image;
    if (!MakePageImage(pixels, stride, width, height, left, top, &image)) return false;
    Target().AddImage(std::move(image), clip);
    DrawScratch();
    return true;
}

void PageInk::GatherClippedInk(PageRecord& out) {
    for (GlyphRun& run : glyphRuns_) {
        out.AddGlyphs(run.font, run.glyphs.data(), static_cast<int>(run.glyphs.size()), colour_, inkClip_);
        cairo_scaled_font_destroy(run.font);
    }
    glyphRuns_.clear();
    if (!fills_.empty()) {
        out.AddFill(fills_, CAIRO_FILL_RULE_WINDING, colour_, inkClip_);
        fills_.clear();
    }
    for (const StrokeRun& run : strokes_) {
        const bool wide = run.width > 1;
        PageStroke stroke;
        stroke.width = run.width;
        stroke.cap = wide ? CAIRO_LINE_CAP_ROUND : CAIRO_LINE_CAP_BUTT;
        stroke.join = wide ? CAIRO_LINE_JOIN_ROUND : CAIRO_LINE_JOIN_MITER;
        out.AddStroke(run.path, stroke, colour_, inkClip_);
    }
    strokes_.clear();
}

void PageInk::DrawScratch() {
    if (scratch_.empty()) return;
    cairo_save(cr_);
    // Boxes are cut to their clips already; the other ink carries its own.
    cairo_reset_clip(cr_);
    if (depth_ == 0) clipped_ = false;
    DrawPageRecord(scratch_, cr_);
    cairo_restore(cr_);
    scratch_.Clear();
}

void PageInk::Flush() {
    if (boxes_.empty() && !HasClippedInk()) return;
    PageRecord& out = Target();
    out.AddBoxes(boxes_, colour_);
    boxes_.clear();
    GatherClippedInk(out);
    DrawScratch();
}

bool StraightThinLineBox(Point a, Point b, PageBox* box) {
    if (!InRange(a) || !InRange(b) || (a.x == b.x && a.y == b.y)) return false;
    // The pixels from a up to b, b left out, whichever way the line runs.
    auto run = [](int32_t from, int32_t to, double* low, double* high) {
        *low = from < to ? from : to + 1.0;
        *high = from < to ? double(to) : from + 1.0;
    };
    if (a.y == b.y) {
        run(a.x, b.x, &box->left, &box->right);
        box->top = a.y;
        box->bottom = a.y + 1.0;
        return true;
    }
    if (a.x == b.x) {
        run(a.y, b.y, &box->top, &box->bottom);
        box->left = a.x;
        box->right = a.x + 1.0;
        return true;
    }
    return false;
}

}  // namespace ql::gfx::detail
