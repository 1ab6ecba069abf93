// The slur drawn by a drag (see drawn_slur.h). The heads are read from the cells of
// the view's staff in the measures of its system, the view's location restored
// afterwards; the height the heads ask is the one the import asks of its slurs.
#include "objects/curves/drawn_slur.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "core/model/event_record.h"
#include "core/model/events.h"
#include "core/model/grid.h"
#include "core/model/pages.h"
#include "core/model/score_document.h"
#include "display/hit_test.h"
#include "display/view_location.h"
#include "layout/system_span.h"
#include "objects/curves/curve_interface.h"
#include "objects/curves/slur_clearance.h"

namespace ql {
namespace {

constexpr int32_t kLeastInset = 64;
constexpr int32_t kMostInset = 512;
constexpr int32_t kLeastHeight = 96;
constexpr int32_t kMostHeight = 384;
constexpr int32_t kHeadHalfHeight = 72;    // a head's ink beyond its step's y
constexpr int32_t kPlainHeadHalfWidth = 76;
constexpr int32_t kHeadClearance = 48;
constexpr int32_t kEndReach = 384;  // three spaces
constexpr int kVoices = 4;
constexpr int kMaxChain = 4096;

const ScoreObject* g_drawnSlur = nullptr;
bool g_drawnSlurDragged = false;

// A head of the view's staff: its columns and the y of its step.
struct Head {
    int32_t left;
    int32_t right;
    int32_t y;
};

// The heads of the view's staff whose columns reach between `left` and `right`, in
// the measures of its current system.
std::vector<Head> HeadsBetween(ScoreView* view, int32_t left, int32_t right) {
    std::vector<Head> heads;
    ScoreSystem* system = view->currentSystem;
    if (system == nullptr || view->document == nullptr) return heads;
    const int staff = view->currentStaff, measure = view->currentMeasure;
    const int32_t half = view->glyphWidths.black > 0 ? view->glyphWidths.black / 2 : kPlainHeadHalfWidth;
    for (int m = system->firstMeasure; m <= system->lastMeasure; ++m) {
        SetCurrentSystemAndMeasureQuick(view, system, staff, m);
        MeasureCell* cell = view->currentCell;
        if (cell == nullptr) continue;
        for (int voice = 0; voice < kVoices; ++voice) {
            EventRecord* e = GetVoiceFirstEvent(cell, voice);
            for (int i = 0; e != nullptr && i < kMaxChain; ++i, e = NextEvent(e)) {
                if (IsHeadSentinel(*e)) continue;
                const LogicalPoint at = GetEventPosition(e, view);
                if (at.x + half > left && at.x - half < right) heads.push_back({at.x - half, at.x + half, at.y});
            }
        }
    }
    SetCurrentSystemAndMeasureQuick(view, system, staff, measure);
    return heads;
}

// An end pressed or let go on a head goes beyond it on the slur's side: the
// nearest head in its column within a few spaces of it.
LogicalPoint EndBeyondHead(LogicalPoint end, const std::vector<Head>& heads, bool above) {
    const Head* nearest = nullptr;
    for (const Head& head : heads)
        if (head.left <= end.x && end.x <= head.right && std::abs(head.y - end.y) <= kEndReach &&
            (nearest == nullptr || std::abs(head.y - end.y) < std::abs(nearest->y - end.y)))
            nearest = &head;
    if (nearest == nullptr) return end;
    const int32_t beyond = above ? nearest->y - kHeadHalfHeight - kHeadClearance
                                 : nearest->y + kHeadHalfHeight + kHeadClearance;
    return LogicalPoint{end.x, above ? std::min(end.y, beyond) : std::max(end.y, beyond)};
}

void MoveHandleTo(ScoreView* view, HitRecord* hit, LogicalPoint to) {
    WrapObjectPointToNextSystem(view, hit, gfx::Point{to.x - hit->point.x, to.y - hit->point.y});
}

}  // namespace

void BeginDrawnSlur(const ScoreObject* slur) {
    g_drawnSlur = slur;
    g_drawnSlurDragged = false;
}

void DrawnSlurDragged() {
    g_drawnSlurDragged = true;
}

bool DrawnSlurWasDragged() {
    return g_drawnSlur != nullptr && g_drawnSlurDragged;
}

bool IsDrawnSlur(const ScoreObject* slur) {
    return slur != nullptr && slur == g_drawnSlur;
}

void EndDrawnSlur() {
    g_drawnSlur = nullptr;
    g_drawnSlurDragged = false;
}

void ShapeDrawnSlur(ScoreView* view, HitRecord* head, bool above, bool letGo) {
    HitRecord* h[kSlurHandleCount] = {};
    h[0] = head;
    for (int i = 1; i < kSlurHandleCount && h[i - 1] != nullptr; ++i) h[i] = h[i - 1]->child.get();
    if (view == nullptr || h[kSlurMoveHandle] == nullptr) return;
    const int32_t half = view->glyphWidths.black > 0 ? view->glyphWidths.black / 2 : kPlainHeadHalfWidth;
    const std::vector<Head> heads = HeadsBetween(view, std::min(h[1]->point.x, h[4]->point.x) - half,
                                                 std::max(h[1]->point.x, h[4]->point.x) + half);
    const LogicalPoint start = letGo ? EndBeyondHead(h[1]->point, heads, above) : h[1]->point;
    const LogicalPoint end = letGo ? EndBeyondHead(h[4]->point, heads, above) : h[4]->point;
    MoveHandleTo(view, h[1], start);
    MoveHandleTo(view, h[4], end);
    PlaceHitRecord(h[kSlurMoveHandle], LogicalPoint{(start.x + end.x) >> 1, (start.y + end.y) >> 1}, HandleSize());
    const int32_t span = std::abs(end.x - start.x);
    const int32_t direction = end.x >= start.x ? 1 : -1;
    const int32_t inset = std::clamp(span / 4, kLeastInset, kMostInset);
    const int32_t rise = std::clamp(span / 6, kLeastHeight, kMostHeight);
    const LogicalPoint firstInner{h[5]->point.x - h[2]->point.x, h[5]->point.y - h[2]->point.y};
    const LogicalPoint secondInner{h[6]->point.x - h[3]->point.x, h[6]->point.y - h[3]->point.y};
    int32_t control = above ? std::min(start.y, end.y) - rise : std::max(start.y, end.y) + rise;
    if (span > 2 * inset) {
        const LogicalPoint left = direction > 0 ? start : end, right = direction > 0 ? end : start;
        SlurShape shape;
        shape.x0 = left.x;
        shape.y0 = left.y;
        shape.x3 = right.x;
        shape.y3 = right.y;
        shape.inset = inset;
        shape.thickness = (firstInner.y + secondInner.y) / 2;
        shape.above = above;
        std::vector<SlurObstacle> obstacles;
        for (const Head& head : heads)
            obstacles.push_back({head.left, head.right, above ? head.y - kHeadHalfHeight : head.y + kHeadHalfHeight});
        control = ControlYClearOf(shape, control, obstacles, kHeadClearance);
    }
    const LogicalPoint first{start.x + direction * inset, control}, second{end.x - direction * inset, control};
    MoveHandleTo(view, h[2], first);
    MoveHandleTo(view, h[3], second);
    MoveHandleTo(view, h[5], LogicalPoint{first.x + firstInner.x, first.y + firstInner.y});
    MoveHandleTo(view, h[6], LogicalPoint{second.x + secondInner.x, second.y + secondInner.y});
}

}  // namespace ql
