// Building system rows of the beat map. A row starts with slot 1 at the system's
// left edge (the system-start signs); each further slot starts where the previous
// one ends: its contentX, content width, trailing margin and trailSpace. In page
// view the slots run up to the measure count + 4 (the page's last system fills its
// tick arrays that far, so that positions past its end map onto the next page); in
// the scroll view they run to the end of the score or until x would pass 32,767,
// and only visible measures get tick arrays.
#include <algorithm>

#include "core/draw/draw_surface.h"
#include "core/model/document.h"
#include "core/model/model_reports.h"
#include "core/model/page_records.h"
#include "core/objects/selection_state.h"
#include "core/state.h"
#include "display/linked_views.h"
#include "display/view_location.h"
#include "layout/measure_format.h"
#include "layout/measure_spacing.h"
#include "notes/beatmap/beat_map.h"
#include "notes/beatmap/beat_map_internal.h"
#include "notes/beatmap/beat_map_rows.h"

namespace ql::beatmap {

namespace {

// Line of the notice shown when a view without a page asks for its beat maps.
constexpr int kNoPageNoticeLine = 1191;
constexpr char kNoticeText[] = "Notice: ";
// The last row a page system may have: the two rows after it hold the next page's
// first system and the previous page's last system.
constexpr int kLastSystemRow = kBeatMapRows - 2;
// Room kept free at the right end of the scroll view's system.
constexpr int32_t kScrollRightMargin = 256;
// Bounds the walk of a damaged system chain.
constexpr int kMaxSystemsWalked = 256;

// Lays out the slots of one system's row.
class RowBuilder {
  public:
    RowBuilder(ScoreView* view, const ScoreSystem* system)
        : view_(view),
          system_(system),
          row_(RowOfSystem(system)),
          map_(view->beatMap),
          widths_(ReadSignWidths(*view->document)),
          cells_(view->document, system->firstMeasure) {}
    // A builder of slot positions only: no tick arrays (each measure's width is
    // still brought up to date, as the tick arrays' build does).
    struct OwnMeasuresOnly {};
    RowBuilder(ScoreView* view, const ScoreSystem* system, OwnMeasuresOnly)
        : RowBuilder(view, system) {
        ticks_ = false;
    }

    // Slot 1: the system-start signs from x 0, and its tick array.
    void FirstSlot() {
        const int cell = BeatMapCell(row_, 1);
        const MeasureLayout layout =
            LayoutMeasure(view_, system_, system_->firstMeasure, 0, widths_, cells_);
        StoreSigns(cell, layout);
        before_ = MeasureRecordOf(view_->document, system_->firstMeasure);
        beforeMeasure_ = system_->firstMeasure;
        map_.slotX[cell] = 0;
        map_.marginX[cell] = ClampMapX(layout.marginX);
        map_.contentX[cell] = ClampMapX(layout.firstBeat);
        if (ticks_)
            BuildSlotTicks(view_, system_, 1);
        else
            MeasureWidth(view_->document, system_->firstMeasure);
    }
    // The signs of a later slot; returns their layout.
    MeasureLayout SlotSigns(int slot) {
        const MeasureLayout layout =
            LayoutMeasure(view_, system_, MeasureOf(slot), 1, widths_, cells_);
        StoreSigns(BeatMapCell(row_, slot), layout);
        return layout;
    }
    // Where a later slot starts: the end of the slot before it.
    int64_t SlotStart(int slot) const {
        return SlotStartAfter(slot, MeasureRecordOf(view_->document, MeasureOf(slot - 1)));
    }
    // A later slot of a page row, laid out after the slot before it: its signs, then
    // its place. The layout a scope's memo holds is taken as LayoutMeasure would
    // take it, without the call.
    [[gnu::always_inline]] void LaterSlot(int slot) {
        const int measure = MeasureOf(slot);
        const int cell = BeatMapCell(row_, slot);
        // Records and memos lie in measure order: each follows the one of the slot
        // before (a row build changes neither the scope nor the score's counts).
        const bool next = beforeMeasure_ == measure - 1 && measure < MaxMeasures;
        const MeasureRecord* record = next && before_ != nullptr
                                          ? before_ + 1
                                          : MeasureRecordOf(view_->document, measure);
        MeasureSignMemo* memo = next && beforeMemo_ != nullptr
                                    ? beforeMemo_ + 1
                                    : SignMemoOf(view_->document, measure);
        const MeasureLayout* kept =
            record != nullptr ? LaterSlotLayoutKept(memo, *system_, measure) : nullptr;
        MeasureLayout laidOut;
        int32_t firstBeat = 0;
        if (kept != nullptr) {
            map_.slotFlags[cell] = static_cast<uint16_t>(kept->flags);
            firstBeat = kept->marginX + record->lead;
        } else if (memo == nullptr && record != nullptr) {
            laidOut = LayOutLaterSlot(*system_, *record, measure, slot, widths_, cells_);
            map_.slotFlags[cell] = static_cast<uint16_t>(laidOut.flags);
            kept = &laidOut;
            firstBeat = laidOut.firstBeat;
        } else {
            laidOut = LayoutMeasure(view_, system_, measure, 1, widths_, cells_);
            kept = &laidOut;
            firstBeat = laidOut.firstBeat;
        }
        StoreSigns(cell, *kept);
        const int64_t slotX = SlotStartAfter(slot, before_);
        Place(slot, slotX, slotX + kept->marginX, slotX + firstBeat);
        before_ = record;
        beforeMemo_ = memo;
        beforeMeasure_ = measure;
    }
    void Place(int slot, int64_t slotX, int64_t marginX, int64_t contentX) {
        const int cell = BeatMapCell(row_, slot);
        map_.slotX[cell] = ClampMapX(slotX);
        map_.marginX[cell] = ClampMapX(marginX);
        map_.contentX[cell] = ClampMapX(contentX);
    }
    int MeasureOf(int slot) const { return system_->firstMeasure + slot - 1; }

  private:
    // Where a later slot starts, given the record of the measure before it.
    int64_t SlotStartAfter(int slot, const MeasureRecord* record) const {
        const int before = BeatMapCell(row_, slot - 1);
        const int64_t content = record != nullptr ? int64_t{record->width} + record->trail : 0;
        return int64_t{map_.contentX[before]} + map_.trailSpace[before] + content;
    }
    void StoreSigns(int cell, const MeasureLayout& layout) {
        map_.leadX[cell] = ClampMapX(layout.leadX);
        map_.cancelX[cell] = ClampCancelX(layout.cancelX);
        map_.keyX[cell] = ClampMapX(layout.keyX);
        map_.timeX[cell] = ClampMapX(layout.timeX);
        map_.trailSpace[cell] = ClampMapX(layout.trailSpace);
    }

    ScoreView* view_;
    const ScoreSystem* system_;
    int row_;
    BeatMap& map_;
    SignWidths widths_;
    RowCells cells_;
    bool ticks_ = true;
    // The record of the measure of the slot laid out last (LaterSlot's slot before).
    const MeasureRecord* before_ = nullptr;
    MeasureSignMemo* beforeMemo_ = nullptr;  // its memo, from its LaterSlot
    int beforeMeasure_ = -1;
};

void RequestRedraw(bool honourHold) {
    SelectionState* selection = State().documents.Selection;
    if (selection != nullptr && !(honourHold && selection->rebuildHold))
        selection->rebuildRequested = 1;
}

enum class ScrollEnd { SlotsUsed, ScoreEnd, Limit };

// The scroll system's last measure: the last visible one, less 1 at the end of the
// score or 2 at the 32,767 limit when it is the last one reached.
int ScrollLastMeasure(const ScoreDocument& document, const ScoreSystem& system, int lastVisible,
                      int lastReached, ScrollEnd end) {
    int last = lastVisible;
    if (lastVisible == lastReached && end == ScrollEnd::ScoreEnd) last -= 1;
    if (lastVisible == lastReached && end == ScrollEnd::Limit) last -= 2;
    last = std::min<int>(last, document.header.measureCount);
    return std::max<int>(last, system.firstMeasure);
}

// Places a later slot of the scroll system; true when it reached the 32,767 limit
// (its start, or its first beat, would pass maxX), which ends the row.
bool PlaceScrollSlot(RowBuilder& row, int slot, int64_t maxX) {
    const MeasureLayout signs = row.SlotSigns(slot);
    int64_t slotX = row.SlotStart(slot);
    int64_t marginX = slotX + signs.marginX;
    int64_t contentX = slotX + signs.firstBeat;
    bool limit = false;
    if (slotX + 2 * kScrollRightMargin > maxX) {
        slotX = marginX = contentX = maxX - kScrollRightMargin;
        limit = true;
    } else if (contentX > maxX) {
        contentX = slotX;
        limit = true;
    }
    row.Place(slot, slotX, marginX, contentX);
    return limit;
}

// How far the scroll system's slots went.
struct ScrollReach {
    int lastVisible = 0;
    int lastReached = 0;
    int built = 1;
    ScrollEnd end = ScrollEnd::SlotsUsed;
};

// Slots 2 on, to the end of the score (the measure after the last one closes it) or
// the limit; visible measures get their tick arrays.
ScrollReach PlaceScrollSlots(ScoreView* view, ScoreSystem* system, RowBuilder& row) {
    const int64_t maxX = std::min<int64_t>(kMaxBeatMapX, int64_t{kLogicalMax} - system->x);
    ScrollReach reach{system->firstMeasure, system->firstMeasure};
    for (int slot = 2; slot <= kLastBeatMapSlot; ++slot) {
        const int measure = row.MeasureOf(slot);
        if (measure > view->document->header.measureCount + 1) {
            reach.end = ScrollEnd::ScoreEnd;
            break;
        }
        reach.lastReached = measure;
        reach.built = slot;
        const bool limit = PlaceScrollSlot(row, slot, maxX);
        if (system->x + view->beatMap.slotX[BeatMapCell(RowOfSystem(system), slot)] <
            view->visibleRect.right) {
            reach.lastVisible = measure;
            BuildSlotTicks(view, system, slot);
        }
        if (limit) {
            reach.end = ScrollEnd::Limit;
            break;
        }
    }
    return reach;
}

int BuildScrollRow(ScoreView* view, int relayout) {
    ScorePage* page = MapPage(view);
    ScoreSystem* system = page != nullptr ? page->firstSystem.get() : nullptr;
    if (system == nullptr || RowOfSystem(system) < 0) return 0;
    if (relayout) RelayoutRows(view);
    RowBuilder row(view, system);
    row.FirstSlot();
    const ScrollReach reach = PlaceScrollSlots(view, system, row);
    const int slots = std::min<int>(reach.built, State().pools.MaxSystemSlots);
    State().notes.ScrollViewSlots = static_cast<uint8_t>(slots);
    view->slotCount = static_cast<uint8_t>(slots);
    const int last = ScrollLastMeasure(*view->document, *system, reach.lastVisible,
                                       reach.lastReached, reach.end);
    system->lastMeasure = static_cast<uint16_t>(last);
    page->lastMeasure = static_cast<uint16_t>(last);
    RefreshTupletsOfSystem(system, view);
    RequestRedraw(false);
    return 1;
}

}  // namespace

}  // namespace ql::beatmap

namespace ql {

using beatmap::RowBuilder;

namespace {

// The current system of the current page when a page-mode build may lay out its row
// (the page checked first), or null.
ScoreSystem* PageModeSystem(ScoreView* view) {
    if (view == nullptr || view->document == nullptr || view->document->header.staffCount == 0)
        return nullptr;
    ValidateCurrentPage(view);
    const ScorePage* page = view->currentPage;
    ScoreSystem* system = view->currentSystem;
    if (page == nullptr || page->pageNumber < 0 || system == nullptr ||
        system->number > beatmap::kLastSystemRow)
        return nullptr;
    return system;
}

}  // namespace

int BuildBeatMapPageMode(ScoreView* view, int relayout) {
    ScoreSystem* system = PageModeSystem(view);
    if (system == nullptr) return 0;
    ScorePage* page = view->currentPage;
    // A row that last held another page's system is pointed again first: its slots'
    // tick arrays follow the lengths of the measures they held.
    if (relayout)
        beatmap::RelayoutRows(view);
    else if (beatmap::SystemRowLengthsChanged(view, system))
        beatmap::RepointRows(view);
    PlaceSystemBeforeRowBuild(view, page, system);
    RowBuilder row(view, system);
    row.FirstSlot();
    const bool lastOfPage = system->next.get() == nullptr;
    const int lastMeasure = beatmap::LastReachableMeasure(*view->document);
    int slot = 2;
    for (; slot <= kLastBeatMapSlot && row.MeasureOf(slot) <= lastMeasure; ++slot) {
        row.LaterSlot(slot);
        if (lastOfPage || row.MeasureOf(slot) <= system->lastMeasure)
            beatmap::BuildSlotTicks(view, system, slot);
    }
    view->slotCount = static_cast<uint8_t>(slot - 1);
    PlaceBuiltSystemInMargins(view, page, system);
    RefreshTupletsOfSystem(system, view);
    beatmap::RequestRedraw(true);
    return 1;
}

int LayOutSystemSlots(ScoreView* view) {
    ScoreSystem* system = PageModeSystem(view);
    if (system == nullptr) return 0;
    ScoreDocument* document = view->document;
    RowBuilder row(view, system, RowBuilder::OwnMeasuresOnly{});
    row.FirstSlot();
    const int lastSlot = std::min(system->lastMeasure - system->firstMeasure + 1, kLastBeatMapSlot);
    const int lastMeasure = beatmap::LastReachableMeasure(*document);
    for (int slot = 2; slot <= lastSlot && row.MeasureOf(slot) <= lastMeasure; ++slot) {
        row.LaterSlot(slot);
        MeasureWidth(document, row.MeasureOf(slot));
    }
    return 1;
}

int BuildStaffBeatMap(ScoreView* view, int relayout) {
    if (view == nullptr || view->document == nullptr || view->document->header.staffCount == 0)
        return 0;
    if (beatmap::IsScrollBuild(view)) return beatmap::BuildScrollRow(view, relayout);
    BuildBeatMapPageMode(view, relayout);
    return 1;
}

int UpdateBeatMaps(ScoreView* view, int redraw) {
    if (view == nullptr || view->document == nullptr) return 0;
    if (beatmap::IsScrollBuild(view)) {
        BuildStaffBeatMap(view, 1);
        return 1;
    }
    ScorePage* page = view->currentPage;
    if (page == nullptr) {
        ReportModuleLine(beatmap::kModuleTag, beatmap::kNoPageNoticeLine, beatmap::kNoticeText);
        return 0;
    }
    if (view->document->header.staffCount == 0) return 0;
    ScoreSystem* saved = view->currentSystem;
    // Rows pointed for another page share their slots' arrays as that page's rows
    // did (its next page's row, its previous page's last system): they are pointed
    // again for this one, even where its measures' lengths are the same.
    int relayout = redraw != 0 || view->beatMap.rowsPage != page ? 1 : 0;
    ScoreSystem* system = page->firstSystem.get();
    for (int i = 0; system != nullptr && i < beatmap::kMaxSystemsWalked;
         ++i, system = system->next.get()) {
        view->currentSystem = system;
        BuildStaffBeatMap(view, relayout);
        relayout = 0;
    }
    view->currentSystem = saved;
    return 0;
}

void BuildBeatMapsOnLinkedViews(ScoreView* view, int flag) {
    if (view == nullptr) return;
    BuildStaffBeatMap(view, flag);
    for (ScoreView* linked = NextLinkedView(view, nullptr); linked != nullptr;
         linked = NextLinkedView(view, linked))
        BuildStaffBeatMap(linked, flag);
}

}  // namespace ql
