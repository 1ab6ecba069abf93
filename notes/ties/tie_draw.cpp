// Drawing a tie and its class. The end note is found again at every draw (in the
// tie's own voice); a tie is drawn to each end note within the next measure. A short
// note (a sixteenth or shorter) whose tie leaves the system gets the tie character of
// the music font instead of a curve. The curve is the crescent between the outer and
// inner cubic curves, flattened into a polygon of kCurvePieces pieces per curve and
// filled in the text colour; a dashed tie fills every other piece. Drawn away, each
// piece's box is filled with the paper instead (shape_paper.h).
#include <algorithm>
#include <vector>

#include "core/constants.h"
#include "core/draw/colour_sets.h"
#include "core/model/events.h"
#include "core/model/score_document.h"
#include "core/objects/class_table.h"
#include "core/objects/object_classes.h"
#include "display/view_location.h"
#include "notes/drawing/note_draw.h"
#include "notes/entry/note_edits.h"
#include "notes/drawing/shape_paper.h"
#include "notes/rests/staff_place.h"
#include "core/objects/selection_state.h"
#include "notes/ties/tie_handles.h"
#include "notes/ties/ties.h"
#include "platform/gfx/dc.h"
#include "platform/gfx/draw.h"
#include "platform/gfx/objects.h"

namespace ql {

namespace {

constexpr int kCurvePieces = 16;
constexpr int kLongestGlyphTieCode = 8;  // sixteenths and shorter
constexpr uint8_t kTieGlyphAbove = 234;
constexpr uint8_t kTieGlyphBelow = 235;
constexpr int32_t kTieGlyphOffset = 32;
constexpr int kDashedStyle = 1;

gfx::Point Clamped(double x, double y) {
    return gfx::Point{ClampLogical(static_cast<int64_t>(x)), ClampLogical(static_cast<int64_t>(y))};
}

// Points 0..kCurvePieces of a cubic curve.
std::vector<gfx::Point> Flatten(const LogicalPoint* p) {
    std::vector<gfx::Point> points;
    points.reserve(kCurvePieces + 1);
    for (int i = 0; i <= kCurvePieces; ++i) {
        const double t = static_cast<double>(i) / kCurvePieces;
        const double u = 1.0 - t;
        const double a = u * u * u, b = 3 * u * u * t, c = 3 * u * t * t, d = t * t * t;
        points.push_back(Clamped(a * p[0].x + b * p[1].x + c * p[2].x + d * p[3].x,
                                 a * p[0].y + b * p[1].y + c * p[2].y + d * p[3].y));
    }
    return points;
}

// Fills with a brush and pen of the text colour, restoring the context's own.
void FillPolygon(platform::DcHandle dc, const std::vector<gfx::Point>& points) {
    const gfx::Colour ink = gfx::GetTextColour(dc);
    const gfx::BrushHandle brush = gfx::CreateSolidBrush(ink);
    const gfx::PenHandle pen = gfx::CreatePen(gfx::PenStyle::Solid, 1, ink);
    const gfx::BrushHandle oldBrush = brush ? gfx::SelectObject(dc, brush) : gfx::BrushHandle{};
    const gfx::PenHandle oldPen = pen ? gfx::SelectObject(dc, pen) : gfx::PenHandle{};
    gfx::Polygon(dc, points.data(), static_cast<int>(points.size()));
    if (pen) {
        gfx::SelectObject(dc, oldPen);
        gfx::DeleteObject(pen);
    }
    if (brush) {
        gfx::SelectObject(dc, oldBrush);
        gfx::DeleteObject(brush);
    }
}

void DrawTieGlyph(ScoreView* view, const TieBody& body, EventRecord* start) {
    const TieNotePoints at = TieNotePositions(view, start, start, 0);
    const bool below = body.startDy >= 0;
    const int32_t offset = Zoomed(view, kTieGlyphOffset);
    TextOutChar(view, below ? kTieGlyphBelow : kTieGlyphAbove, at.start.x,
                at.start.y + (below ? offset : -offset));
}

class TieClass final : public ScoreObjectClass {
  public:
    std::byte* GetBody(ScoreObject* object) const override { return object->BodyBytes(); }
    uint32_t GetBodySize(const ScoreObject*) const override { return kTieBodyBytes; }
    void Draw(ScoreObject* object, ScoreView* view) const override {
        DrawTie(object, view, GetOwnerNote(object));
    }
    HitRecord* BuildHandles(ScoreObject* object, ScoreView* view) const override {
        return BuildTieHandles(object, view);
    }
    // The Tie tool's click: the note under the pointer is tied to the next of its
    // pitch (or loses its tie); the tie made is the object the click created.
    ScoreObject* CreateAtClick(ScoreObject*, ScoreView* view) const override {
        EventRecord* note = view != nullptr ? HitTestSelectedVoice(view) : nullptr;
        if (note == nullptr) return nullptr;
        if (ToggleTieOfNote(view, note, ActiveVoiceOfMask(view->voiceMask)) == 0) return nullptr;
        return FindNoteTie(note);
    }
    void DrawTracking(ScoreObject* object, ScoreView* view) const override { DrawTieTracking(object, view); }
    void EraseTracking(ScoreObject* object, ScoreView* view) const override { DrawTieTracking(object, view); }
    void TrackDrag(ScoreObject* object, ScoreView*) const override {
        const SelectionState* s = TheSelectionState();
        if (s != nullptr) TrackTieDrag(object, s->grabbedKind, LogicalPoint{s->dragOffsetX, s->dragOffsetY});
    }
    int CommitDrag(ScoreObject* object, ScoreView* view) const override { return CommitTieDrag(object, view); }
    // To above the note (a curve bulging downwards), and to below it.
    void Slot26(ScoreObject* object, ScoreView* view) const override { FlipTieHandles(object, view, true); }
    void Slot27(ScoreObject* object, ScoreView* view) const override { FlipTieHandles(object, view, false); }
    void StepValue(ScoreObject* object, ScoreView* view, int step) const override {
        StepTieThickness(object, view, step);
    }
    int OnKey(ScoreObject* object, ScoreView* view, uint32_t virtualKey) const override {
        if (const int taken = TieKey(object, view, virtualKey)) return taken;
        return ScoreObjectClass::OnKey(object, view, virtualKey);
    }
    // A tie is its shape alone: its notes are found again wherever the copy lands.
    ScoreObject* Clone(ScoreObject* object, ScoreView*, PoolSet, PoolSet target) const override {
        return CloneObjectBody(object, target);
    }
};

// A tie drawn away (in the erase colours) is taken off piece by piece, each piece's
// box filled with the paper and noted, so that the staff lines and the notes of
// every measure it crossed are drawn again under it.
bool ErasesCurve(platform::DcHandle dc) {
    return gfx::GetTextColour(dc) == kEraseColour && gfx::GetRop2(dc) == gfx::Rop2::CopyPen;
}

}  // namespace

void DrawTieCurve(ScoreView* view, const TieCurve& curve, bool dashed) {
    if (view == nullptr || !view->ViewDC) return;
    const std::vector<gfx::Point> outer = Flatten(curve.outer);
    const std::vector<gfx::Point> inner = Flatten(curve.inner);
    if (ErasesCurve(view->ViewDC)) {
        for (int i = 0; i < kCurvePieces; i += dashed ? 2 : 1) {
            const gfx::Point piece[4] = {outer[i], outer[i + 1], inner[i + 1], inner[i]};
            FillQuadWithPaper(view->ViewDC, piece);
        }
        return;
    }
    if (!dashed) {
        std::vector<gfx::Point> band(outer);
        band.insert(band.end(), inner.rbegin(), inner.rend());
        FillPolygon(view->ViewDC, band);
        return;
    }
    for (int i = 0; i < kCurvePieces; i += 2)
        FillPolygon(view->ViewDC, {outer[i], outer[i + 1], inner[i + 1], inner[i]});
}

void DrawTie(ScoreObject* tie, ScoreView* view, EventRecord* start) {
    if (tie == nullptr || view == nullptr || view->document == nullptr || start == nullptr) return;
    if (!view->ViewDC) return;
    const TieBody body = AsTie(tie)->body;
    const std::vector<TieTarget> targets = FindTieTargets(view->document, view, start, view->currentStaff,
                                                          view->currentMeasure, TieVoice(body));
    for (const TieTarget& target : targets) {
        const int ahead = target.measure - view->currentMeasure;
        if (ahead < 0 || ahead > 1) continue;
        const TieNotePoints at = TieNotePositions(view, start, target.note, ahead);
        if (at.leavesSystem && start->duration <= kLongestGlyphTieCode) {
            DrawTieGlyph(view, body, start);
            continue;
        }
        // Filled in the text colour as the note's glyphs are, also while the pen marks
        // by inverting (a key on a chosen note comes in the feedback colours).
        const gfx::Rop2 previousRop = gfx::SetRop2(view->ViewDC, gfx::Rop2::CopyPen);
        DrawTieCurve(view, ComputeTieCurve(body, view, start, target.note, ahead),
                     LineStyle(body) == kDashedStyle);
        gfx::SetRop2(view->ViewDC, previousRop);
    }
}

void RegisterTieClass() {
    static const TieClass cls;
    RegisterObjectClass(ClassOfType(ObjectType::Tie), &cls);
}

}  // namespace ql
