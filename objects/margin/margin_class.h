// The margin object's class: the page's margin rectangle drawn as up to four lines
// while the margin display is on (never printed or copied), nine handles (four
// corners, the whole rectangle, four sides), the drag of a corner or side, and the
// commit. On a master page the top and bottom are rounded to 64 units at the view's
// zoom and, in master-margin mode 2, copied to the pages the master governs; on an
// ordinary page the margins are set and the page formatted again, or, with Shift and
// only the top or bottom moved, a system moves across the page break instead. The
// page's top-left corner is the logical point (-30720, -30720).
#pragma once

#include <cstdint>

#include "core/objects/class_table.h"
#include "objects/margin/margin_object.h"

namespace ql {

struct ScorePage;

constexpr int32_t kPageCornerOffset = 30720;
constexpr int kMarginHandleCount = 9;
constexpr int kMarginCentreHandle = 4;
constexpr int kMarginTopHandle = 5;
constexpr int kMarginRightHandle = 6;
constexpr int kMarginBottomHandle = 7;
constexpr int kMarginLeftHandle = 8;
constexpr int32_t kMarginSideInset = 192;    // side handles stop short of the corners
constexpr int32_t kSystemFollowDistance = 32;  // systems this near the old left edge move
constexpr int32_t kSystemFollowMinimum = 8;    // a left edge moved less moves no system
constexpr uint8_t kMasterMarginsCopied = 2;    // master-margin mode that copies to pages

class MarginClass final : public ScoreObjectClass {
  public:
    std::byte* GetBody(ScoreObject* object) const override;
    uint32_t GetBodySize(const ScoreObject* object) const override;
    void Update(ScoreObject* object, ScoreView* view) const override;
    void Draw(ScoreObject* object, ScoreView* view) const override;
    void Paint(ScoreObject* object, ScoreView* view) const override;
    void DrawSelected(ScoreObject* object, ScoreView* view) const override;
    int CommitDrag(ScoreObject* object, ScoreView* view) const override;
    HitRecord* BuildHandles(ScoreObject* object, ScoreView* view) const override;
    void TrackDrag(ScoreObject* object, ScoreView* view) const override;
    void SetToolCursor(ScoreObject* object, int32_t a, int32_t b) const override;
    int HandleDrop(ScoreObject* object, ScoreView* view, ScoreObject* target,
                   HitRecord* hit) const override;
};

const MarginClass& TheMarginClass();

// Whether the view shows its page's margins: a page view on screen (neither printed
// nor copied as a picture) with the margin display on. Only then are they drawn,
// and only then can the Pointer tool take their handles.
bool AreMarginsShown(ScoreView* view);

// The margin rectangle of a page in logical units (left, top, right, bottom edges);
// a right or bottom edge at 32768 or more is replaced by the visible one.
RecordRect MarginRectangle(const MarginObject& margin, ScoreView* view);

// Systems of a page that start within 32 units of the old left edge move to the new
// one, when the edge moved by more than 8 units; others (an indented system) stay.
void MoveSystemsWithLeftEdge(ScorePage* page, int32_t oldLeft, int32_t newLeft);

// A distance rounded to a multiple of 64 units at the view's staff scale.
int32_t RoundMarginToZoom(int32_t distance, double scale);

}  // namespace ql
