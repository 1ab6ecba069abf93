// What the width and justification code needs of the view: whether it is a page
// view of the document, the system of the current page holding a measure, moving
// the view's location to a staff and measure of a system for one scope, and
// rebuilding a measure's beat-map slot.
#pragma once

#include <cstdint>
#include <memory>

#include "core/model/page_records.h"

namespace ql {

struct ScoreDocument;
struct ScoreView;
struct StaffRecord;
struct MeasureCell;

// True for a view in page view on the document, with a current page.
bool IsPageViewOf(const ScoreView* view, const ScoreDocument* document);

// The system of the page whose measures include `measure`, or null.
ScoreSystem* FindSystemOfMeasure(ScorePage* page, int measure);

// Makes (system, staff, measure) the view's location: current system, staff,
// measure, slot, staff record, cell and measure length.
void MoveViewLocation(ScoreView* view, ScoreSystem* system, int staff, int measure);

// Keeps the view's location and puts it back when the scope ends.
class ViewLocationScope {
  public:
    explicit ViewLocationScope(ScoreView* view);
    ~ViewLocationScope();
    ViewLocationScope(const ViewLocationScope&) = delete;
    ViewLocationScope& operator=(const ViewLocationScope&) = delete;

  private:
    ScoreView* view_;
    ScoreSystem* system_;
    StaffRecord* staffRecord_;
    MeasureCell* cell_;
    int32_t staff_;
    int32_t measure_;
    int32_t slot_;
    int32_t length_;
};

// Rebuilds the beat-map slot of a measure of the view's current system and returns
// the measure's width as the slot laid it out; without a slot for it (scroll view,
// or the measure outside the current system) its width is brought up to date alone.
int32_t RebuildMeasureSlot(ScoreView* view, int measure);

// FormatSystem for a caller that builds the beat-map rows of the system's page
// again before reading them: the system's row may be left out of date.
void FormatSystemBeforeRowBuild(ScoreView* view, ScorePage* page, ScoreSystem* system);

// For the re-spacing of a page's systems (FormatSystemBeforeRowBuild) and the builds
// of their rows that follow: the placement each re-spacing ends with is finished
// before its row's build, from the slots the re-spacing laid out, so that the row
// is built once from the final widths instead of built, placed and built again.
// The widths, the rows and everything else come out as without the scope. The
// innermost scope is in use.
struct PlacementCarry;
class PlacementCarryScope {
  public:
    PlacementCarryScope();
    ~PlacementCarryScope();
    PlacementCarryScope(const PlacementCarryScope&) = delete;
    PlacementCarryScope& operator=(const PlacementCarryScope&) = delete;

  private:
    std::unique_ptr<PlacementCarry> carry_;
    PlacementCarry* saved_;
};

}  // namespace ql
