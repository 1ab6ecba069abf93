// Internals shared by the painter's files: the output switches read from the program
// state, the location kept for the caller, and the walk over one staff's measures
// (notes inside the slot range, spanners only outside it, then the cell's objects).
#pragma once

#include <vector>

#include "core/model/page_records.h"
#include "core/model/score_document.h"

namespace ql::painter {

bool IsSequencerPlaying();
bool IsPictureOutput();
bool IsClipboardRendering();
// On screen: not printing, no picture output, no clipboard rendering.
bool IsScreenOutput();

// PushViewLocation on construction and PopViewLocation at the end, both skipped while
// the sequencer plays. The pop restores only a location with a position word, so the
// system, staff and measure are also put back as they were.
class KeptLocation {
  public:
    explicit KeptLocation(ScoreView* view);
    ~KeptLocation();
    KeptLocation(const KeptLocation&) = delete;
    KeptLocation& operator=(const KeptLocation&) = delete;

  private:
    ScoreView* view_;
    bool kept_;
    ScoreSystem* system_;
    int staff_;
    int measure_;
};

// A cell whose list left objects for the second pass.
struct DeferredCell {
    ScoreSystem* system = nullptr;
    int staff = 0;
    int measure = 0;
};

// The measures first..last of a staff of the current system: notes and voice items
// for those inside the painter's slot range, only the spanners of the others; then
// each cell's list through the first pass (cells with work left are added to
// `deferred`). Refills the performance table first while playing.
void DrawStaffMeasures(ScoreView* view, int staff, int first, int last,
                       std::vector<DeferredCell>* deferred);
// On the page's first system, at its first measure: the parts of the spanners that
// start on the previous page's last system and run on past it (the location is put
// back afterwards). Nothing on the first page, a master page or another system.
void DrawContinuedSpanners(ScoreView* view, int staff, int measure);
// The second pass over the cells the first pass left work in.
void DrawDeferredCells(ScoreView* view, const std::vector<DeferredCell>& cells);

// The first and last staff the system shows (staff flag not negative); 1 and the
// staff count when it shows none.
void ShownStaffRange(const ScoreView* view, const ScoreSystem* system, int* first, int* last);
bool IsStaffShown(const ScoreSystem* system, int staff);

}  // namespace ql::painter
