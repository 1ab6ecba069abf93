// The slur's curve (see curve_interface.h).
//
// Flattening: a piece (A, B, C, D) is flat when B and C both lie within the
// tolerance of the chord A-D, the distance of P being
// |(P.y - A.y)(D.x - A.x) - (P.x - A.x)(D.y - A.y)| / |AD| with signed differences,
// truncated; a zero-length chord is flat. A piece that is not flat is split at its
// middle by integer halving (de Casteljau, each midpoint (a + b) >> 1) and both
// halves are flattened in turn. Each flat piece appends its end point. The buffer
// holds kCurveBufferLimit points; when full it sets its overflow flag and the last
// point is overwritten, and the drawing of that curve is abandoned.
#include "objects/curves/curve_interface.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "core/draw/draw_polyline.h"
#include "core/draw/draw_surface.h"
#include "core/model/engraving_metrics.h"
#include "core/model/score_document.h"
#include "core/objects/hit_record.h"
#include "display/anchors.h"
#include "display/view_location.h"
#include "layout/system_span.h"
#include "platform/gfx/draw.h"
#include "platform/gfx/mapping.h"

namespace ql {
namespace {

// The document's curve and line values without a stored home.
constexpr int8_t kDefaultSlurThickness = 24;
constexpr int32_t kSlurEndGap = 16;
constexpr int32_t kDottedSlurPenPixels = 2;
constexpr int8_t kDefaultSpannerLineWidth = 2;
constexpr int32_t kLargestThickness = 127;

constexpr int32_t kDefaultShapeUnits = 512;  // inset and height when 0
constexpr int kInsetsPerLength = 3;          // the shortest curve is three insets long
constexpr int32_t kMinimumTolerance = 2;
constexpr int kFineToleranceDivisor = 4;
constexpr int kMaxFlattenDepth = 24;
constexpr int32_t kOwnMarkShift = 128;
constexpr int kFeedbackBandZoom = 10;
constexpr int kFineFeedbackBandZoom = 6;
constexpr int kDottedFineWidthFactor = 4;
constexpr int32_t kPageOrigin = 30720;  // page anchors: coarse * 128 + fine - origin
constexpr int kCoarseShift = 7;
constexpr uint8_t kPageKind = 1;

CurveBuffer& SharedBuffer() {
    static CurveBuffer buffer;
    return buffer;
}

int32_t ScaledDy(const ScoreView* view, int8_t dy) {
    return view != nullptr && view->zoomFactor > 0 ? static_cast<int32_t>(dy * view->zoomFactor) : dy;
}

gfx::Point Mid(gfx::Point a, gfx::Point b) {
    return gfx::Point{(a.x + b.x) >> 1, (a.y + b.y) >> 1};
}

int32_t DistanceFromChord(gfx::Point a, gfx::Point d, gfx::Point p, double chord) {
    const double cross = static_cast<double>(p.y - a.y) * (d.x - a.x) -
                         static_cast<double>(p.x - a.x) * (d.y - a.y);
    return static_cast<int32_t>(std::fabs(cross) / chord);
}

void FlattenPiece(const gfx::Point* c, int32_t tolerance, CurveBuffer* buffer, int depth) {
    buffer->depth = std::max(buffer->depth, depth);
    if (depth >= kMaxFlattenDepth || IsFlatPiece(c, tolerance)) {
        buffer->Append(c[3]);
        return;
    }
    const gfx::Point ab = Mid(c[0], c[1]), bc = Mid(c[1], c[2]), cd = Mid(c[2], c[3]);
    const gfx::Point abc = Mid(ab, bc), bcd = Mid(bc, cd);
    const gfx::Point middle = Mid(abc, bcd);
    const gfx::Point left[4] = {c[0], ab, abc, middle};
    const gfx::Point right[4] = {middle, bcd, cd, c[3]};
    FlattenPiece(left, tolerance, buffer, depth + 1);
    FlattenPiece(right, tolerance, buffer, depth + 1);
}

gfx::Point ToPoint(LogicalPoint p) {
    return gfx::Point{p.x, p.y};
}

// The y of an anchor in its kind's units (page anchors carry coarse and fine words).
int32_t AnchorY(const AnchorPoint& a, uint8_t kind) {
    return kind == kPageKind ? (int32_t{a.coarse[1]} << kCoarseShift) + a.y - kPageOrigin : a.y;
}
void SetAnchorY(AnchorPoint* a, uint8_t kind, int32_t y) {
    if (kind != kPageKind) {
        a->y = static_cast<int16_t>(std::clamp<int32_t>(y, INT16_MIN, INT16_MAX));
        return;
    }
    const int32_t coarse = (y + kPageOrigin) >> kCoarseShift;
    a->coarse[1] = static_cast<uint16_t>(coarse);
    a->y = static_cast<int16_t>(y + kPageOrigin - (coarse << kCoarseShift));
}

int8_t ClampOffset(int32_t value) {
    return static_cast<int8_t>(std::clamp(value, -kLargestThickness, kLargestThickness));
}

bool HasThickness(const SlurBody& body) {
    return std::any_of(body.inner, body.inner + kSlurInnerOffsets, [](int8_t v) { return v != 0; });
}

void FillBand(ScoreView* view, platform::DcHandle dc, const CurveBuffer& outer, int outerCount,
              bool fine) {
    gfx::Point band[kCurveBufferCapacity];
    const int count = outer.count;
    std::copy(outer.points, outer.points + count, band);
    std::reverse(band + outerCount, band + count);
    if (fine && dc)
        gfx::Polygon(dc, band, count);
    else
        DrawSplitPolygon(view, band, count);
}

}  // namespace

void CurveBuffer::Append(gfx::Point p) {
    if (count < kCurveBufferLimit) {
        points[count++] = p;
        return;
    }
    overflow = true;
    points[kCurveBufferLimit - 1] = p;
}

int32_t PixelsToLogical(const ScoreView* view, int32_t pixels) {
    if (view != nullptr && view->ViewDC)
        return gfx::DeviceToLogicalDistance(view->ViewDC, gfx::Size{pixels, pixels}).cy;
    const int32_t perPixel = view != nullptr && view->zoom > 0 ? kMappingUnits / view->zoom : 1;
    return pixels * std::max(perPixel, 1);
}

CurveLineValues CurveLineValuesOf(const ScoreDocument* document) {
    CurveLineValues values{kDefaultSlurThickness, kSlurEndGap, kDottedSlurPenPixels,
                           kDefaultSpannerLineWidth};
    if (document == nullptr) return values;
    const int32_t metric = EngravingMetricOf(*document, EngravingMetric::SlurWid);
    if (metric > 0) values.slurThickness = ClampOffset(metric);
    return values;
}

void DefaultCurveShape(const ScoreDocument* document, int32_t length, int32_t inset,
                       int32_t height, int32_t thickness, LogicalPoint* points, int8_t* inner) {
    if (inset == 0) inset = kDefaultShapeUnits;
    if (height == 0) height = kDefaultShapeUnits;
    if (thickness == 0) thickness = CurveLineValuesOf(document).slurThickness;
    const int32_t l = std::max(length, kInsetsPerLength * inset);
    points[0] = LogicalPoint{0, 0};
    points[1] = LogicalPoint{inset, height};
    points[2] = LogicalPoint{l - inset, height};
    points[3] = LogicalPoint{l, 0};
    inner[0] = inner[2] = 0;
    inner[1] = inner[3] = ClampOffset(thickness);
}

void InitCurve(SlurObject* slur, ScoreView* view, int32_t length, int32_t inset, int32_t height,
               int32_t thickness) {
    LogicalPoint points[kSlurPoints];
    DefaultCurveShape(view != nullptr ? view->document : nullptr, length, inset, height, thickness,
                      points, slur->body.inner);
    for (int i = 0; i < kSlurPoints; ++i) {
        AnchorPoint& a = slur->body.points[i];
        const int tick = view != nullptr && view->currentSystem != nullptr ? XToTimeInSlot(view, points[i].x) : 0;
        const int32_t tickX = view != nullptr && view->currentSystem != nullptr ? TimeToX(view, tick) : 0;
        a = AnchorPoint{{0, static_cast<uint16_t>(tick)}, static_cast<int16_t>(points[i].x - tickX),
                        static_cast<int16_t>(points[i].y)};
    }
}

void InsetCurveEnds(int32_t inset, const LogicalPoint* reference, LogicalPoint* points) {
    const int32_t dy = reference[1].y > reference[0].y ? -inset : inset;
    points[0].x += inset;
    points[3].x -= inset;
    points[0].y += dy;
    points[3].y += dy;
}

CurvePoints SlurCurvePoints(SlurObject* slur, ScoreView* view) {
    CurvePoints out{};
    DecodeAnchors(view, slur->header.subtype, reinterpret_cast<ObjectLocation*>(slur->body.points),
                  out.p, kSlurPoints);
    const int8_t* d = slur->body.inner;
    out.inner[0] = LogicalPoint{out.p[1].x + d[0], out.p[1].y + ScaledDy(view, d[1])};
    out.inner[1] = LogicalPoint{out.p[2].x + d[2], out.p[2].y + ScaledDy(view, d[3])};
    return out;
}

int32_t CurveTolerance(const ScoreView* view, bool fine) {
    const int32_t perPixel = view != nullptr && view->zoom > 0 ? kMappingUnits / view->zoom : 0;
    const int32_t tolerance = std::max(perPixel, kMinimumTolerance);
    if (!fine) return tolerance;
    const int32_t quarter = tolerance / kFineToleranceDivisor;
    return quarter > kMinimumTolerance ? quarter : kMinimumTolerance;
}

bool IsFlatPiece(const gfx::Point* c, int32_t tolerance) {
    const double dx = c[3].x - c[0].x, dy = c[3].y - c[0].y;
    const double chord = std::sqrt(dx * dx + dy * dy);
    if (chord == 0) return true;
    return DistanceFromChord(c[0], c[3], c[1], chord) <= tolerance &&
           DistanceFromChord(c[0], c[3], c[2], chord) <= tolerance;
}

void FlattenBezier(const gfx::Point* curve, int32_t tolerance, CurveBuffer* buffer) {
    if (buffer->count == 0) buffer->Append(curve[0]);
    FlattenPiece(curve, tolerance, buffer, 0);
}

const CurveBuffer& LastCurveBuffer() {
    return SharedBuffer();
}

bool DrawCurveBand(ScoreView* view, platform::DcHandle dc, const LogicalPoint* outer,
                   const LogicalPoint* inner, int style, bool feedback, bool fine) {
    CurveBuffer& buffer = SharedBuffer();
    buffer.Reset();
    const int32_t tolerance = CurveTolerance(view, fine);
    const gfx::Point outerCurve[4] = {ToPoint(outer[0]), ToPoint(outer[1]), ToPoint(outer[2]), ToPoint(outer[3])};
    FlattenBezier(outerCurve, tolerance, &buffer);
    if (buffer.overflow) return false;
    const int outerCount = buffer.count;
    const CurveLineValues values = CurveLineValuesOf(view != nullptr ? view->document : nullptr);
    if (style == 1 && !feedback) {
        const int32_t pen = PixelsToLogical(view, values.dottedSlurPen);
        const int32_t width = fine ? std::min(kDottedFineWidthFactor * pen, PixelsToLogical(view, 1)) : pen;
        if (fine)
            return DrawPolylineWithPen(view, buffer.points, outerCount, gfx::PenStyle::Dot, width,
                                       false) != 0;
        return DrawSplitPolylineWithPen(view, buffer.points, outerCount, gfx::PenStyle::Dot, width,
                                        false) != 0;
    }
    const bool differs = inner[1] != outer[1] || inner[2] != outer[2];
    const int bandZoom = fine ? kFineFeedbackBandZoom : kFeedbackBandZoom;
    const bool band = style == 0 && differs && (!feedback || (view != nullptr && view->zoom >= bandZoom));
    if (band) {
        const gfx::Point innerCurve[4] = {ToPoint(outer[0]), ToPoint(inner[1]), ToPoint(inner[2]), ToPoint(outer[3])};
        buffer.Append(innerCurve[0]);
        FlattenPiece(innerCurve, tolerance, &buffer, 0);
        if (buffer.overflow) return false;
        FillBand(view, dc, buffer, outerCount, fine);
        return true;
    }
    if (fine && dc) return gfx::Polyline(dc, buffer.points, outerCount);
    return DrawSplitPolyline(view, buffer.points, outerCount) != 0;
}

void FillCurveCrescent(ScoreView* view, platform::DcHandle dc, const LogicalPoint* outer,
                       const LogicalPoint* inner, int lineStyle) {
    DrawCurveBand(view, dc, outer, inner, lineStyle, false, false);
}

bool IsUpwardSlur(const SlurObject& slur) {
    const uint8_t kind = slur.header.subtype;
    return AnchorY(slur.body.points[0], kind) > AnchorY(slur.body.points[1], kind);
}

bool FlipSlur(SlurObject* slur, int direction) {
    if ((direction > 0) == IsUpwardSlur(*slur)) return false;
    const uint8_t kind = slur->header.subtype;
    const int32_t axis = AnchorY(slur->body.points[0], kind);
    for (int i = 1; i < kSlurPoints; ++i)
        SetAnchorY(&slur->body.points[i], kind, 2 * axis - AnchorY(slur->body.points[i], kind));
    slur->body.inner[1] = ClampOffset(-slur->body.inner[1]);
    slur->body.inner[3] = ClampOffset(-slur->body.inner[3]);
    return true;
}

bool ThickenSlur(SlurObject* slur, int step) {
    const int32_t change = (IsUpwardSlur(*slur) ? 2 : -2) * step;
    const int8_t dy1 = ClampOffset(slur->body.inner[1] + change);
    const int8_t dy2 = ClampOffset(slur->body.inner[3] + change);
    const bool changed = dy1 != slur->body.inner[1] || dy2 != slur->body.inner[3];
    slur->body.inner[1] = dy1;
    slur->body.inner[3] = dy2;
    return changed;
}

void MoveSlur(SlurObject* slur, int32_t dx, int32_t dy) {
    const uint8_t kind = slur->header.subtype;
    for (AnchorPoint& a : slur->body.points) {
        if (kind == kPageKind) {
            const int32_t x = (int32_t{a.coarse[0]} << kCoarseShift) + a.x - kPageOrigin + dx;
            const int32_t coarse = (x + kPageOrigin) >> kCoarseShift;
            a.coarse[0] = static_cast<uint16_t>(coarse);
            a.x = static_cast<int16_t>(x + kPageOrigin - (coarse << kCoarseShift));
        } else {
            a.x = static_cast<int16_t>(std::clamp<int32_t>(a.x + dx, INT16_MIN, INT16_MAX));
        }
        SetAnchorY(&a, kind, AnchorY(a, kind) + dy);
    }
}

HitRecord* BuildSlurHandles(SlurObject* slur, ScoreView* view) {
    const CurvePoints c = SlurCurvePoints(slur, view);
    const int32_t shift = HasThickness(slur->body) ? kThicknessHandleShift : 0;
    const LogicalPoint at[kSlurHandleCount] = {
        {c.p[0].x + kOwnMarkShift, c.p[0].y}, c.p[0], c.p[1], c.p[2], c.p[3],
        {c.inner[0].x - shift, c.inner[0].y}, {c.inner[1].x + shift, c.inner[1].y},
        {(c.p[0].x + c.p[3].x) >> 1, (c.p[0].y + c.p[3].y) >> 1}};
    HitRecord* head = nullptr;
    HitRecord* last = nullptr;
    for (int i = 0; i < kSlurHandleCount; ++i) {
        HitRecord* hit = AllocHitRecord();
        if (hit == nullptr) {
            if (head != nullptr) FreeHitRecordChain(head), FreeHitRecord(head);
            return nullptr;
        }
        const gfx::Point wrapped = WrapPointToNextSystem(view, ToPoint(at[i]));
        ConstructHitRecordWithOwner(hit, view, static_cast<uint8_t>(i), LogicalPoint{wrapped.x, wrapped.y}, last);
        hit->owner = Ref32<ScoreObject>::To(&slur->header);
        hit->ownerType = slur->header.type;
        if (head == nullptr) head = hit;
        last = hit;
    }
    return head;
}

namespace {

HitRecord* SlurHandle(HitRecord* head, int index) {
    HitRecord* hit = head;
    for (int i = 0; i < index && hit != nullptr; ++i) hit = hit->child.get();
    return hit;
}

void MoveSlurHandle(ScoreView* view, HitRecord* hit, int32_t dx, int32_t dy) {
    if (hit != nullptr) WrapObjectPointToNextSystem(view, hit, gfx::Point{dx, dy});
}

// Index pairs: a control handle and its thickness handle, and each one's partner.
constexpr int kStartHandle = 1, kFirstControl = 2, kSecondControl = 3, kEndHandle = 4;
constexpr int kFirstThickness = 5, kSecondThickness = 6;
int PartnerOf(int index) {
    switch (index) {
        case kFirstControl: return kSecondControl;
        case kSecondControl: return kFirstControl;
        case kFirstThickness: return kSecondThickness;
        case kSecondThickness: return kFirstThickness;
        default: return 0;
    }
}

}  // namespace

void TrackSlurHandle(ScoreView* view, HitRecord* head, int index, LogicalPoint offset, bool linked,
                     bool symmetric) {
    HitRecord* h[kSlurHandleCount] = {};
    for (int i = 0; i < kSlurHandleCount; ++i) h[i] = SlurHandle(head, i);
    if (index < kStartHandle || index >= kSlurHandleCount || h[kSlurMoveHandle] == nullptr) return;
    const int32_t dx = offset.x, dy = offset.y;
    MoveSlurHandle(view, h[index], dx, dy);
    if (linked) {
        if (index == kStartHandle) MoveSlurHandle(view, h[kFirstControl], dx, dy), MoveSlurHandle(view, h[kFirstThickness], dx, dy);
        if (index == kEndHandle) MoveSlurHandle(view, h[kSecondControl], dx, dy), MoveSlurHandle(view, h[kSecondThickness], dx, dy);
        if (index == kFirstControl) MoveSlurHandle(view, h[kFirstThickness], dx, dy);
        if (index == kSecondControl) MoveSlurHandle(view, h[kSecondThickness], dx, dy);
    }
    if (symmetric && PartnerOf(index) != 0) {
        const int partner = PartnerOf(index);
        MoveSlurHandle(view, h[partner], -dx, dy);
        if (linked && partner <= kSecondControl) MoveSlurHandle(view, h[partner + 3], -dx, dy);
    }
    const LogicalPoint a = h[kStartHandle]->point, b = h[kEndHandle]->point;
    PlaceHitRecord(h[kSlurMoveHandle], LogicalPoint{(a.x + b.x) >> 1, (a.y + b.y) >> 1}, HandleSize());
}

void CommitSlurOffsets(SlurObject* slur, HitRecord* head) {
    if (!HasThickness(slur->body)) return;
    HitRecord* c1 = SlurHandle(head, kFirstControl);
    HitRecord* c2 = SlurHandle(head, kSecondControl);
    HitRecord* t1 = SlurHandle(head, kFirstThickness);
    HitRecord* t2 = SlurHandle(head, kSecondThickness);
    if (c1 == nullptr || c2 == nullptr || t1 == nullptr || t2 == nullptr) return;
    int8_t* d = slur->body.inner;
    d[0] = ClampOffset(t1->point.x + kThicknessHandleShift - c1->point.x);
    d[1] = ClampOffset(t1->point.y - c1->point.y);
    d[2] = ClampOffset(t2->point.x - kThicknessHandleShift - c2->point.x);
    d[3] = ClampOffset(t2->point.y - c2->point.y);
}

}  // namespace ql
