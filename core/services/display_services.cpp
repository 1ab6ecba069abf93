// The calls of the display's service table, each doing nothing while its slot is
// empty.
#include "core/services/display_services.h"

#include "core/services/service_call.h"

namespace ql {
namespace {

DisplayServices& Table() {
    static DisplayServices table;
    return table;
}

template <auto Slot, typename... Args>
auto Call(Args... args) {
    return CallSlot(Table().*Slot, args...);
}

}  // namespace

void SetDisplayServices(const DisplayServices& services) {
    Table() = services;
}

namespace display {

void SetCurrentSystemAndMeasure(ScoreView* view, ScoreSystem* system, int staff, int measure,
                                bool force) {
    Call<&DisplayServices::setCurrentSystemAndMeasure>(view, system, staff, measure, force);
}
void SetCurrentMeasure(ScoreView* view, int staff, int measure) {
    Call<&DisplayServices::setCurrentMeasure>(view, staff, measure);
}
void SetCurrentMeasureQuick(ScoreView* view, int staff, int measure) {
    Call<&DisplayServices::setCurrentMeasureQuick>(view, staff, measure);
}
void SetLocationFromPoint(ScoreView* view, const LogicalPoint& point) {
    Call<&DisplayServices::setLocationFromPoint>(view, point);
}
ScoreSystem* SystemOfMeasure(ScoreView* view, int measure) {
    return Call<&DisplayServices::systemOfMeasure>(view, measure);
}
void ValidateCurrentPage(ScoreView* view) {
    Call<&DisplayServices::validateCurrentPage>(view);
}
void MovePointerToPoint(ScoreView* view, int x, int y) {
    Call<&DisplayServices::movePointerToPoint>(view, x, y);
}

void RedrawCurrentMeasure(ScoreView* view) {
    Call<&DisplayServices::redrawCurrentMeasure>(view);
}
void InvalidateLinkedViews(ScoreView* view) {
    Call<&DisplayServices::invalidateLinkedViews>(view);
}
void RepaintScoreView(ScoreView* view, bool erase) {
    Call<&DisplayServices::repaintScoreView>(view, erase);
}
void BuildBeatMapsOnLinkedViews(ScoreView* view, int flag) {
    Call<&DisplayServices::buildBeatMapsOnLinkedViews>(view, flag);
}

void EnterPageView(ScoreView* view) {
    Call<&DisplayServices::enterPageView>(view);
}
int EnterScrollView(ScoreView* view) {
    return Call<&DisplayServices::enterScrollView>(view);
}
void ScrollViewStep(ScoreView* view, int steps) {
    Call<&DisplayServices::scrollViewStep>(view, steps);
}
bool PlacesOnPage(const ScoreView* view) {
    return Call<&DisplayServices::placesOnPage>(view);
}

void EncodeAnchors(ScoreView* view, LocationRecord* out, int anchorKind,
                   ObjectLocation* bodyLocation, const LogicalPoint* points, int count) {
    Call<&DisplayServices::encodeAnchors>(view, out, anchorKind, bodyLocation, points, count);
}
void EncodePageAnchors(ScoreView* view, ObjectLocation* bodyLocation, const LogicalPoint* points,
                       int count) {
    Call<&DisplayServices::encodePageAnchors>(view, bodyLocation, points, count);
}
void DecodeAnchors(ScoreView* view, int kind, ObjectLocation* location, LogicalPoint* out,
                   int count) {
    Call<&DisplayServices::decodeAnchors>(view, kind, location, out, count);
}
void NoteAnchorToPoint(ScoreView* view, ScoreObject* object, const ObjectLocation* location,
                       LogicalPoint* out) {
    Call<&DisplayServices::noteAnchorToPoint>(view, object, location, out);
}
void PointToNoteAnchor(ScoreView* view, ScoreObject* object, ObjectLocation* anchor,
                       const LogicalPoint& point) {
    Call<&DisplayServices::pointToNoteAnchor>(view, object, anchor, point);
}
bool ClampAnchorsToPage(ScoreView* view, LogicalPoint* point, int kind, ObjectLocation* anchors,
                        int32_t width, int32_t height, uint32_t placement) {
    return Call<&DisplayServices::clampAnchorsToPage>(view, point, kind, anchors, width, height,
                                                      placement);
}
bool ShowsOffPageItems(const ScoreView* view) {
    return Call<&DisplayServices::showsOffPageItems>(view);
}

void RestoreHiddenEmptyStavesOf(ScoreDocument* document) {
    Call<&DisplayServices::restoreHiddenEmptyStavesOf>(document);
}

int FirstStaffOfBarGroup(ScoreView* view, int staff) {
    return Call<&DisplayServices::firstStaffOfBarGroup>(view, staff);
}
int LastStaffOfBarGroup(ScoreView* view, int staff) {
    return Call<&DisplayServices::lastStaffOfBarGroup>(view, staff);
}
int FirstStaffOfBrace(ScoreView* view, int staff) {
    return Call<&DisplayServices::firstStaffOfBrace>(view, staff);
}
int LastStaffOfBrace(ScoreView* view, int staff) {
    return Call<&DisplayServices::lastStaffOfBrace>(view, staff);
}

}  // namespace display
}  // namespace ql
