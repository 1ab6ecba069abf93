// The hairpin's geometry and playback span (see hairpin_class.h). Points are logical
// units, x to the right and y down; the stored order puts the apex first for a
// crescendo and second for a diminuendo, so the first stored point is always the
// wedge's left end.
#include <algorithm>
#include <cstring>

#include "core/model/document.h"
#include "core/model/score_document.h"
#include "display/anchors.h"
#include "objects/hairpin/hairpin_class.h"

namespace ql {
namespace {

// The document's line-width setting, until the document keeps one.
constexpr uint8_t kDocumentLineWidth = 12;
constexpr int32_t kTicksPerSixteenth = 256;
constexpr int32_t kShortestInterval = 1;
constexpr int32_t kLongestInterval = 255;

LogicalPoint Middle(LogicalPoint a, LogicalPoint b) {
    return {(a.x + b.x) / 2, (a.y + b.y) / 2};
}

LogicalPoint Plus(LogicalPoint a, LogicalPoint b) {
    return {a.x + b.x, a.y + b.y};
}

LogicalPoint Minus(LogicalPoint a, LogicalPoint b) {
    return {a.x - b.x, a.y - b.y};
}

bool IsPageAttached(const HairpinObject* hairpin) {
    return hairpin->header.subtype == SubtypeCode(ObjectSubtype::PageList);
}

void ToLocations(const HairpinObject* hairpin, ObjectLocation* locations) {
    static_assert(sizeof(ObjectLocation) == sizeof(AnchorPoint));
    std::memcpy(locations, hairpin->points, sizeof hairpin->points);
}

void FromLocations(HairpinObject* hairpin, const ObjectLocation* locations) {
    std::memcpy(hairpin->points, locations, sizeof hairpin->points);
}

}  // namespace

uint8_t HairpinDefaultLineWidth(const ScoreDocument* /*document*/) {
    return kDocumentLineWidth;
}

HairpinShape HairpinTemplate(LogicalPoint at, bool diminuendo) {
    const int32_t apexX = diminuendo ? kHairpinLength : 0;
    const int32_t endX = diminuendo ? 0 : kHairpinLength;
    return {Plus(at, {endX, -kHairpinHalfOpening}), Plus(at, {apexX, 0}),
            Plus(at, {endX, kHairpinHalfOpening})};
}

bool IsCrescendoShape(const HairpinShape& shape) {
    return shape.apex.x < Middle(shape.upper, shape.lower).x;
}

HairpinShape DecodeHairpinShape(HairpinObject* hairpin, ScoreView* view) {
    ObjectLocation locations[kHairpinPoints];
    ToLocations(hairpin, locations);
    LogicalPoint points[kHairpinPoints] = {};
    DecodeAnchors(view, IsPageAttached(hairpin) ? 1 : 0, locations, points, kHairpinPoints);
    FromLocations(hairpin, locations);
    if (hairpin->direction == kHairpinDiminuendo) return {points[0], points[1], points[2]};
    return {points[1], points[0], points[2]};
}

void EncodeHairpinShape(HairpinObject* hairpin, ScoreView* view, const HairpinShape& shape) {
    const bool crescendo = IsCrescendoShape(shape);
    hairpin->direction = crescendo ? kHairpinCrescendo : kHairpinDiminuendo;
    const LogicalPoint stored[kHairpinPoints] = {crescendo ? shape.apex : shape.upper,
                                                 crescendo ? shape.upper : shape.apex, shape.lower};
    ObjectLocation locations[kHairpinPoints];
    ToLocations(hairpin, locations);
    EncodeAnchors(view, nullptr, IsPageAttached(hairpin) ? 1 : 0, locations, stored, kHairpinPoints);
    FromLocations(hairpin, locations);
}

std::array<LogicalPoint, kHairpinHandleCount> HairpinHandlePoints(const HairpinShape& shape) {
    const LogicalPoint ends = Middle(shape.upper, shape.lower);
    const int32_t reach = IsCrescendoShape(shape) ? kHairpinOpeningReach : -kHairpinOpeningReach;
    const int32_t left = std::min({shape.apex.x, shape.upper.x, shape.lower.x});
    const int32_t right = std::max({shape.apex.x, shape.upper.x, shape.lower.x});
    const int32_t top = std::min({shape.apex.y, shape.upper.y, shape.lower.y});
    const int32_t bottom = std::max({shape.apex.y, shape.upper.y, shape.lower.y});
    return {shape.apex, shape.upper, shape.lower, LogicalPoint{ends.x + reach, ends.y},
            LogicalPoint{(left + right) / 2, (top + bottom) / 2}};
}

HairpinShape DragHairpinHandle(const HairpinShape& shape, int kind, LogicalPoint offset, bool mirror) {
    HairpinShape moved = shape;
    const LogicalPoint opposite{offset.x, -offset.y};
    const LogicalPoint vertical{0, offset.y};
    switch (kind) {
        case kApexHandle:
            moved.apex = Plus(moved.apex, offset);
            if (mirror) moved.upper = Plus(moved.upper, vertical), moved.lower = Plus(moved.lower, vertical);
            break;
        case kUpperHandle:
            moved.upper = Plus(moved.upper, offset);
            if (mirror) moved.lower = Plus(moved.lower, opposite);
            break;
        case kLowerHandle:
            moved.lower = Plus(moved.lower, offset);
            if (mirror) moved.upper = Plus(moved.upper, opposite);
            break;
        case kOpeningHandle:
            moved.upper = Plus(moved.upper, offset);
            moved.lower = Plus(moved.lower, offset);
            if (mirror) moved.apex = Plus(moved.apex, vertical);
            break;
        default:
            break;
    }
    return moved;
}

HairpinShape FlipHairpinShape(const HairpinShape& shape) {
    const LogicalPoint middle = Middle(shape.upper, shape.lower);
    const LogicalPoint shift = Minus(shape.apex, middle);
    return {Plus(shape.upper, shift), middle, Plus(shape.lower, shift)};
}

int32_t HairpinSpanTicks(const HairpinObject& hairpin, ScoreDocument* document, int measure) {
    if (document == nullptr || hairpin.header.subtype == SubtypeCode(ObjectSubtype::PageList)) return 0;
    const int first = measure + static_cast<int16_t>(hairpin.points[0].coarse[0]);
    const int second = measure + static_cast<int16_t>(hairpin.points[1].coarse[0]);
    const int64_t ticks = int64_t{hairpin.points[1].coarse[1]} - hairpin.points[0].coarse[1] +
                          PlayedTicksOfMeasures(document, first, second);
    return static_cast<int32_t>(std::clamp<int64_t>(ticks, 0, INT32_MAX));
}

uint8_t HairpinIntervalOfSpan(int32_t ticks) {
    return static_cast<uint8_t>(std::clamp(ticks / kTicksPerSixteenth, kShortestInterval, kLongestInterval));
}

bool HairpinPlaybackAction(const HairpinObject& hairpin, ScoreDocument* document, int measure,
                           MidiAction* out) {
    if (out == nullptr || (hairpin.action.flags & kMidiFlagEnabled) == 0) return false;
    *out = hairpin.action;
    if (IsDataCarrying(*out)) ResetHairpinAction(out);
    out->interval = HairpinIntervalOfSpan(HairpinSpanTicks(hairpin, document, measure));
    return true;
}

}  // namespace ql
