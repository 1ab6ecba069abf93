// Mapping points and splitting figures at the end of the view's current system.
// Points are wrapped when they pass the content end C; figures are cut at the end
// line E, where the system's last measure ends.
//
// A figure laid out past E (its far end decoded in the slots that continue the
// system past its last measure) is drawn as runs: those at or before E in place,
// those beyond E on N. The stretch E..C is the next measure's barline and leading
// space, which on N is the room after its clef, key and time signature (K..D):
// far points there are laid over K..D, points past C keep their distance from
// the first beat (x - C + D). The far runs are then cut at N's own end line, so
// that nothing is drawn past a system's end. A figure that does not reach past
// the middle of E..C only overhangs the barline: it is cut at E and has no far
// piece (a hairpin to the last barline, a slur end's pen).
#include "layout/system_span.h"

#include <algorithm>
#include <climits>
#include <cmath>

#include "core/draw/draw_polyline.h"
#include "core/model/beat_map_record.h"
#include "core/model/pages.h"
#include "core/model/score_document.h"
#include "core/objects/hit_record.h"
#include "core/state.h"
#include "platform/gfx/draw.h"

namespace ql {

namespace {

// Points a figure may have and still be split.
constexpr int kPointBuffer = 3072;
constexpr int kBufferReserve = 4;
constexpr double kVerticalSlope = 1.7e38;

int32_t StaffOffset(const ScoreSystem* system, int staff) {
    const uint16_t* offsets = StaffOffsetsOf(system);
    return offsets != nullptr && staff >= 0 ? offsets[staff] : 0;
}

gfx::Point Moved(const SystemSpan& span, gfx::Point p) {
    return {p.x - span.contentEnd + span.nextStart, p.y + span.shiftY};
}

// Where N's last measure ends; a row laid out no further than N's first slot reads
// as wide as S.
int32_t NextEndLine(const ScoreView* view, const ScoreSystem* s, const ScoreSystem* n,
                    int32_t endLine) {
    const int slot = std::clamp(n->lastMeasure - n->firstMeasure + 2, 1, kLastBeatMapSlot);
    const int32_t end = n->x + view->beatMap.slotX[BeatMapCell(n->number, slot)];
    return slot > 1 && end > n->x ? end : n->x + (endLine - s->x);
}

struct Line {
    double slope;
    double intercept;
    bool vertical;
    bool horizontal;
};

Line LineOf(const gfx::Point* s) {
    const double dx = double(s[1].x) - s[0].x;
    const double dy = double(s[1].y) - s[0].y;
    Line line{0.0, 0.0, dx == 0.0, dy == 0.0 && dx != 0.0};
    line.slope = line.vertical ? kVerticalSlope : (line.horizontal ? 0.0 : dy / dx);
    line.intercept = s[0].y - s[0].x * line.slope;
    return line;
}

bool Within(int32_t v, int32_t a, int32_t b) { return v >= std::min(a, b) && v <= std::max(a, b); }

// Where the segment a-b crosses x = edge.
gfx::Point Crossing(int32_t edge, gfx::Point a, gfx::Point b) {
    const gfx::Point segment[2] = {a, b};
    const gfx::Point line[2] = {{edge, INT_MIN}, {edge, INT_MAX}};
    gfx::Point at{edge, a.y};
    ClipSegmentToEdge(segment, line, &at);
    return at;
}

// A system after S that a figure laid out past E lands on: the stretch of S's row
// that stands for its first measure (from the barline before it, `from`, to its
// first beat, `beat`) and where that stretch lands on it (K..D, then on past D).
struct Onward {
    int32_t from = 0;
    int32_t beat = 0;
    int32_t signsEnd = 0;  // K
    int32_t start = 0;     // D
    int32_t endLine = 0;   // where the system's last measure ends
    int32_t shiftY = 0;
};

Onward OnwardOfNext(const SystemSpan& span) {
    return Onward{span.endLine,   span.contentEnd,  span.nextSignsEnd,
                  span.nextStart, span.nextEndLine, span.shiftY};
}

gfx::Point MoveOnto(const Onward& to, gfx::Point p) {
    if (p.x > to.beat || to.beat <= to.from) return {p.x - to.beat + to.start, p.y + to.shiftY};
    const int64_t into = std::max(0, p.x - to.from);
    const int64_t room = int64_t{to.start} - to.signsEnd;
    return {to.signsEnd + static_cast<int32_t>(into * room / (to.beat - to.from)), p.y + to.shiftY};
}

}  // namespace

SystemSpan CurrentSystemSpan(const ScoreView* view) {
    SystemSpan span;
    const ScoreSystem* s = view != nullptr ? view->currentSystem : nullptr;
    if (s == nullptr || s->number >= kBeatMapRows) return span;
    span.valid = true;
    const int slot = std::clamp(s->lastMeasure - s->firstMeasure + 2, 1, kLastBeatMapSlot);
    const int cell = BeatMapCell(s->number, slot);
    span.endLine = s->x + view->beatMap.slotX[cell];
    span.contentEnd = s->x + view->beatMap.contentX[cell];
    const ScoreSystem* n = s->next.get();
    if (n == nullptr || n->previous.get() != s || n->number >= kBeatMapRows) return span;
    span.hasNext = true;
    const int first = BeatMapCell(n->number, 1);
    span.nextStart = n->x + view->beatMap.contentX[first];
    span.nextSignsEnd = std::min<int32_t>(n->x + view->beatMap.marginX[first], span.nextStart);
    span.nextEndLine = NextEndLine(view, s, n, span.endLine);
    span.shiftY = (n->y + StaffOffset(n, view->currentStaff)) - (s->y + StaffOffset(s, view->currentStaff));
    return span;
}

gfx::Point WrapPointToNextSystem(const ScoreView* view, gfx::Point point) {
    const SystemSpan span = CurrentSystemSpan(view);
    if (!span.hasNext || point.x <= span.contentEnd) return point;
    return Moved(span, point);
}

int PointBeyondSystemEnd(const ScoreView* view, gfx::Point point) {
    const SystemSpan span = CurrentSystemSpan(view);
    const int32_t only = State().layout.ContinuationOnly;
    if (span.valid && point.x > span.contentEnd && !span.hasNext) return only;
    return only == 0 ? 1 : 0;
}

namespace {

// The record moved by the offset, and its anchor point wrapped.
LogicalPoint MovedAnchor(const ScoreView* view, HitRecord* hit, gfx::Point offset) {
    OffsetHitRecord(hit, LogicalPoint{offset.x, offset.y});
    const LogicalPoint anchor = hit->location.point;
    const gfx::Point wrapped = WrapPointToNextSystem(view, gfx::Point{anchor.x, anchor.y});
    return LogicalPoint{wrapped.x, wrapped.y};
}

}  // namespace

void WrapObjectRectToNextSystem(const ScoreView* view, HitRecord* hit, gfx::Point offset, int32_t half) {
    if (hit == nullptr) return;
    const LogicalPoint wrapped = MovedAnchor(view, hit, offset);
    PlaceHitRecord(hit, wrapped, half);
    hit->point = wrapped;
    hit->location.point = wrapped;
}

void WrapObjectPointToNextSystem(const ScoreView* view, HitRecord* hit, gfx::Point offset) {
    if (hit == nullptr) return;
    SetHitRecordPoint(hit, MovedAnchor(view, hit, offset));
}

gfx::Point MoveOntoNextSystem(const SystemSpan& span, gfx::Point point) {
    return MoveOnto(OnwardOfNext(span), point);
}

int ClipSegmentToEdge(const gfx::Point* a, const gfx::Point* b, gfx::Point* out) {
    const Line la = LineOf(a);
    const Line lb = LineOf(b);
    if (la.slope == lb.slope) return 0;
    double x = 0.0;
    double y = 0.0;
    if (la.vertical) {
        x = a[0].x;
        y = lb.horizontal ? b[0].y : std::trunc((double(a[0].x) - b[0].x) * lb.slope + b[0].y);
    } else if (lb.vertical) {
        x = b[0].x;
        y = la.horizontal ? a[0].y : std::trunc((double(b[0].x) - a[0].x) * la.slope + a[0].y);
    } else if (lb.horizontal) {
        y = b[0].y;
        x = std::trunc((double(b[0].y) - a[0].y) / la.slope + a[0].x);
    } else if (la.horizontal) {
        y = a[0].y;
        x = std::trunc((double(a[0].y) - b[0].y) / lb.slope + b[0].x);
    } else {
        const double xd = (lb.intercept - la.intercept) / (la.slope - lb.slope);
        x = std::trunc(xd);
        y = std::trunc(xd * la.slope + la.intercept);
    }
    const gfx::Point p{static_cast<int32_t>(x), static_cast<int32_t>(y)};
    if (!Within(p.x, a[0].x, a[1].x) || !Within(p.x, b[0].x, b[1].x) || !Within(p.y, a[0].y, a[1].y) ||
        !Within(p.y, b[0].y, b[1].y))
        return 0;
    *out = p;
    return 1;
}

namespace {

struct Piece {
    bool far;
    std::vector<gfx::Point> points;
};

// Runs of a polyline at or before x = edge and beyond it, the crossing point at
// each change of side ending one run and starting the next.
std::vector<Piece> RunsAt(int32_t edge, const gfx::Point* points, int count) {
    std::vector<Piece> runs;
    Piece run{points[0].x > edge, {points[0]}};
    for (int i = 1; i < count; ++i) {
        const bool side = points[i].x > edge;
        if (side != run.far) {
            const gfx::Point cross = Crossing(edge, points[i - 1], points[i]);
            run.points.push_back(cross);
            runs.push_back(std::move(run));
            run = Piece{side, {cross}};
        }
        run.points.push_back(points[i]);
    }
    runs.push_back(std::move(run));
    return runs;
}

int32_t RightmostX(const gfx::Point* points, int count) {
    int32_t most = INT32_MIN;
    for (int i = 0; i < count; ++i) most = std::max(most, points[i].x);
    return most;
}

// The systems after S a figure reaching x = most lands on, N first; a later one
// while S's row has a slot for its first measure (the row's slots go on past S's
// last measure, as far as the row reaches) and the figure reaches past the
// barline before it. Empty when the figure does not go on past S: it reaches no
// further than the middle of E..C (the next measure's leading space).
std::vector<Onward> OnwardSystems(const ScoreView* view, const SystemSpan& span, int32_t most) {
    std::vector<Onward> systems;
    if (!span.hasNext || int64_t{most} * 2 < int64_t{span.endLine} + span.contentEnd)
        return systems;
    systems.push_back(OnwardOfNext(span));
    const ScoreSystem* s = view->currentSystem;
    const ScoreSystem* before = s->next.get();
    for (const ScoreSystem* t = before->next.get();
         t != nullptr && t->previous.get() == before && t->number < kBeatMapRows;
         before = t, t = t->next.get()) {
        const int slot = t->firstMeasure - s->firstMeasure + 1;
        if (slot > kLastBeatMapSlot) break;
        const int cell = BeatMapCell(s->number, slot);
        const int32_t from = s->x + view->beatMap.slotX[cell];
        if (from <= systems.back().from || from >= most) break;
        const int first = BeatMapCell(t->number, 1);
        Onward to;
        to.from = from;
        to.beat = std::max(from, s->x + view->beatMap.contentX[cell]);
        to.start = t->x + view->beatMap.contentX[first];
        to.signsEnd = std::min<int32_t>(t->x + view->beatMap.marginX[first], to.start);
        to.endLine = NextEndLine(view, s, t, span.endLine);
        to.shiftY = (t->y + StaffOffset(t, view->currentStaff)) -
                    (s->y + StaffOffset(s, view->currentStaff));
        systems.push_back(to);
    }
    return systems;
}

// A piece of a figure and the system it is drawn on: 0 for S, 1 for N, and so on.
struct Placed {
    size_t system;
    std::vector<gfx::Point> points;
};

// Places a run beyond E: the part up to the next system's stretch moved onto
// systems[index] and cut at its end line, the rest onto the systems after it.
void PlaceFarRun(const std::vector<Onward>& systems, size_t index,
                 const std::vector<gfx::Point>& run, std::vector<Placed>* out) {
    if (index >= systems.size() || run.size() < 2) return;
    const int32_t until = index + 1 < systems.size() ? systems[index + 1].from : INT32_MAX;
    for (Piece& part : RunsAt(until, run.data(), static_cast<int>(run.size()))) {
        if (part.far) {
            PlaceFarRun(systems, index + 1, part.points, out);
            continue;
        }
        for (gfx::Point& p : part.points) p = MoveOnto(systems[index], p);
        const Onward& to = systems[index];
        for (Piece& kept :
             RunsAt(to.endLine, part.points.data(), static_cast<int>(part.points.size())))
            if (!kept.far) out->push_back(Placed{index + 1, std::move(kept.points)});
    }
}

// The pieces of a figure: runs at or before E on S, runs beyond E on the systems
// after it (none when the figure does not go on past S). False when the figure
// is to be drawn whole (all at or before E, or too large).
bool SplitRuns(const ScoreView* view, const SystemSpan& span, const gfx::Point* points, int count,
               std::vector<Placed>* placed) {
    const int inside = static_cast<int>(
        std::count_if(points, points + count, [&](gfx::Point p) { return p.x <= span.endLine; }));
    if (inside == count ||
        count + std::max(inside, count - inside) >= kPointBuffer - kBufferReserve)
        return false;
    const std::vector<Onward> systems = OnwardSystems(view, span, RightmostX(points, count));
    for (Piece& run : RunsAt(span.endLine, points, count)) {
        if (run.far)
            PlaceFarRun(systems, 0, run.points, placed);
        else
            placed->push_back(Placed{0, std::move(run.points)});
    }
    return true;
}

}  // namespace

std::vector<std::vector<gfx::Point>> SplitPolylinePieces(const ScoreView* view, const gfx::Point* points,
                                                         int count) {
    std::vector<std::vector<gfx::Point>> pieces;
    const SystemSpan span = CurrentSystemSpan(view);
    if (points == nullptr || count < 2 || !span.valid) return pieces;
    const bool only = State().layout.ContinuationOnly != 0;
    std::vector<Placed> placed;
    if (!SplitRuns(view, span, points, count, &placed)) {
        if (!only) pieces.emplace_back(points, points + count);
        return pieces;
    }
    for (Placed& piece : placed) {
        if (piece.points.size() < 2) continue;
        if (piece.system > 0 ? span.hasNext : !only) pieces.push_back(std::move(piece.points));
    }
    return pieces;
}

int DrawSplitPolyline(ScoreView* view, const gfx::Point* points, int count) {
    if (view == nullptr || view->currentSystem == nullptr || count < 2) return 0;
    for (const auto& piece : SplitPolylinePieces(view, points, count))
        gfx::Polyline(view->ViewDC, piece.data(), static_cast<int>(piece.size()));
    return 1;
}

int DrawSplitPolylineWithPen(ScoreView* view, const gfx::Point* points, int count,
                             gfx::PenStyle style, int32_t width, bool joinFlag) {
    if (view == nullptr || view->currentSystem == nullptr || count < 2) return 0;
    for (const auto& piece : SplitPolylinePieces(view, points, count))
        DrawPolylineWithPen(view, piece.data(), static_cast<int>(piece.size()), style, width,
                            joinFlag);
    return 1;
}

int DrawSplitPolygon(ScoreView* view, const gfx::Point* points, int count) {
    if (view == nullptr || view->currentSystem == nullptr || count < 2 || points == nullptr) return 0;
    const SystemSpan span = CurrentSystemSpan(view);
    if (!span.valid) return 0;
    const bool only = State().layout.ContinuationOnly != 0;
    std::vector<Placed> placed;
    if (!SplitRuns(view, span, points, count, &placed)) {
        if (!only) gfx::Polygon(view->ViewDC, points, count);
        return 1;
    }
    // Each system's runs joined into one outline: the band's outer and inner runs.
    std::vector<std::vector<gfx::Point>> parts;
    for (const Placed& piece : placed) {
        if (parts.size() <= piece.system) parts.resize(piece.system + 1);
        parts[piece.system].insert(parts[piece.system].end(), piece.points.begin(),
                                   piece.points.end());
    }
    for (size_t system = 0; system < parts.size(); ++system) {
        const bool drawn = system > 0 ? span.hasNext : !only;
        if (drawn && parts[system].size() >= 2)
            gfx::Polygon(view->ViewDC, parts[system].data(),
                         static_cast<int>(parts[system].size()));
    }
    return 1;
}

}  // namespace ql
