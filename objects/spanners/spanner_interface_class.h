// The spanner interface's eleven operations as a class of their own, found by the
// class word each embedded SpannerInterface holds (its owner type's second-interface
// id). The base class works on the line alone; the owners' table forwards most slots
// to the owning object's class, so that code holding only the interface (a tuplet's
// bracket, the selection engine) reaches the owner's behaviour.
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/objects/class_table.h"
#include "objects/spanners/spanner_objects.h"

namespace ql {

struct ScoreView;
struct HitRecord;

class SpannerInterfaceClass {
  public:
    virtual ~SpannerInterfaceClass() = default;
    virtual uint32_t GetPayloadSize(SpannerInterface* spanner) const;                    // 0
    virtual std::byte* GetPayload(SpannerInterface* spanner) const;                      // 1
    // 1 when handles 1..4 of the chain lie strictly inside the rectangle.
    virtual int IsInsideRect(SpannerInterface* spanner, const RecordRect& rect, HitRecord* chain) const;  // 2
    virtual void DrawLine(SpannerInterface* spanner, ScoreView* view) const;             // 3
    virtual void DrawTrackingLine(SpannerInterface* spanner, ScoreView* view) const;     // 4
    // Stores the chain's handle points; the location of the new start.
    virtual LocationRecord StoreHandlePoints(SpannerInterface* spanner, ScoreView* view) const;  // 5
    virtual void DragAll(SpannerInterface* spanner, ScoreView* view) const;              // 6
    virtual HitRecord* BuildLineHandles(SpannerInterface* spanner, ScoreView* view) const;  // 7
    virtual void TrackHandle(SpannerInterface* spanner, ScoreView* view) const;          // 8
    virtual void SetHandleCursor(SpannerInterface* spanner, int index) const;            // 9
    virtual void StepLineWidth(SpannerInterface* spanner, ScoreView* view, int step) const;  // 10
};

// The base table (also the answer for an unregistered class word).
const SpannerInterfaceClass& BaseSpannerInterfaceClass();
// The table of an interface by its class word.
const SpannerInterfaceClass& SpannerClassOf(const SpannerInterface* spanner);
// Registers the owners' forwarding table under the second-interface ids of types 46,
// 47, 48, 49 and 51 (start-up; tests after resetting the class table).
void RegisterSpannerInterfaceClasses();

}  // namespace ql
