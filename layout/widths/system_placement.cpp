// Placing a system between the page margins (its measures scaled so that its
// closing barline falls on the right margin) and re-spacing one system.
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <numeric>
#include <optional>
#include <span>
#include <vector>

#include "core/model/document.h"
#include "core/model/grid.h"
#include "core/model/pages.h"
#include "core/model/score_document.h"
#include "core/state.h"
#include "display/linked_views.h"
#include "layout/spacing/column_room.h"
#include "layout/measure_format.h"
#include "layout/measure_spacing.h"
#include "layout/page_format.h"
#include "layout/spacing/spacing_list.h"
#include "layout/spacing/voice_columns.h"
#include "layout/widths/width_support.h"
#include "notes/beatmap/beat_map.h"
#include "objects/text_box/text_box.h"

namespace ql {

namespace {

constexpr uint8_t kEngraverSpacing = 2;
constexpr int kLastMeasureSlot = 27;
constexpr int kPlacementPasses = 4;
constexpr int64_t kIgnoredWidthChange = 2;
constexpr int kOverrunAsks = 3;
constexpr int64_t kSqueezedWidthSlack = 256;
// The content width a measure keeps at least: a whole rest centred in it with half
// a space either side (two and a half spaces).
constexpr int64_t kMeasureRestRoom = 320;

// Set while the placement below rebuilds a row of the beat map: the build places
// the system again at its end, which must not recurse.
int g_placementDepth = 0;

class PlacementScope {
  public:
    PlacementScope() { ++g_placementDepth; }
    ~PlacementScope() { --g_placementDepth; }
    PlacementScope(const PlacementScope&) = delete;
    PlacementScope& operator=(const PlacementScope&) = delete;
};

// Lays out the beat-map row of `system` on `page`: its own slots' positions only, or
// the whole row (`whole`); the view's page and system are put back afterwards.
void BuildSystemRow(ScoreView* view, ScorePage* page, ScoreSystem* system, bool whole) {
    ScorePage* const savedPage = view->currentPage;
    ScoreSystem* const savedSystem = view->currentSystem;
    view->currentPage = page;
    view->currentSystem = system;
    if (whole)
        BuildBeatMapPageMode(view, 0);
    else
        LayOutSystemSlots(view);
    view->currentPage = savedPage;
    view->currentSystem = savedSystem;
}

// The records of the system's measures in order, up to the end of the table.
std::span<MeasureRecord> SystemRecords(ScoreDocument* document, const ScoreSystem* system) {
    MeasureRecord* first = MeasureRecordOf(document, system->firstMeasure);
    const int last = std::min<int>(system->lastMeasure, MaxMeasures - 1);
    if (first == nullptr || last < system->firstMeasure) return {};
    return {first, static_cast<size_t>(last - system->firstMeasure + 1)};
}

// Where the system's last slot ends (its closing barline), relative to its x, in the
// beat map as it stands: the last measure's first beat, width, trailing margin and
// the space before its barline.
int64_t SlotsEnd(const ScoreView* view, ScoreDocument* document, const ScoreSystem* system) {
    const int slot = std::min(system->lastMeasure - system->firstMeasure + 1, kLastMeasureSlot);
    const int cell = BeatMapCell(system->number, slot);
    const MeasureRecord* last = MeasureRecordOf(document, system->firstMeasure + slot - 1);
    if (system->number >= kBeatMapRows || slot < 1 || last == nullptr) return 0;
    return int64_t{view->beatMap.contentX[cell]} + view->beatMap.trailSpace[cell] + last->width +
           last->trail;
}

// The widths and margins of a system's measures when its row was last built. A
// row's slots follow the widths of the measures before them and nothing else of
// the widths, so while no position reaches an end of the map's range, the end of
// the slots under other widths follows from the row without building it again.
class BuiltRow {
  public:
    BuiltRow() = default;
    // Only the measures taken are copied (and only those are ever read).
    BuiltRow(const BuiltRow& other) { *this = other; }
    BuiltRow& operator=(const BuiltRow& other) {
        count_ = other.count_;
        valid_ = other.valid_;
        if (valid_) std::copy_n(other.measures_, count_, measures_);
        return *this;
    }
    // As a new one: nothing taken.
    void Clear() {
        count_ = 0;
        valid_ = false;
    }
    void Take(ScoreDocument* document, const ScoreSystem* system) {
        Take(document, system, SystemRecords(document, system));
    }
    // The same with the system's records already found.
    void Take(const ScoreDocument* document, const ScoreSystem* system,
              std::span<const MeasureRecord> records) {
        count_ = system->lastMeasure - system->firstMeasure + 1;
        valid_ = count_ >= 1 && count_ <= kLastMeasureSlot &&
                 system->lastMeasure <= document->header.measureCount &&
                 records.size() == static_cast<size_t>(count_);
        for (int i = 0; valid_ && i < count_; ++i)
            measures_[i] = {records[i].width, records[i].lead, records[i].trail};
    }
    // SlotsEnd under the widths the system's records have now, and the sum of
    // those widths; false when the end cannot be told without building the row (a
    // margin changed, or a position would reach or has reached an end of the range).
    bool Predict(const ScoreView* view, const ScoreSystem* system, std::span<const MeasureRecord> records,
                 int64_t* end, int64_t* sum) const;
    bool Valid() const { return valid_; }

  private:
    struct Measure {
        int32_t width;
        int16_t lead;
        int16_t trail;
    };
    // The first count_ are set while valid_ (1 <= count_ <= kLastMeasureSlot); the
    // rest are left as they are, unread, so that a row costs nothing to make.
    Measure measures_[kLastMeasureSlot];
    int count_ = 0;
    bool valid_ = false;
};

bool InsideMap(int64_t x) { return x > 0 && x < kMaxBeatMapX; }

bool BuiltRow::Predict(const ScoreView* view, const ScoreSystem* system, std::span<const MeasureRecord> records,
                       int64_t* end, int64_t* sum) const {
    if (!valid_ || count_ != system->lastMeasure - system->firstMeasure + 1) return false;
    if (records.size() != static_cast<size_t>(count_)) return false;
    const BeatMap& map = view->beatMap;
    int64_t shift = 0;  // how far the current slot moves
    int64_t widths = 0;
    for (int i = 0; i < count_; ++i) {
        const MeasureRecord* record = &records[i];
        const Measure& built = measures_[i];
        if (record->lead != built.lead || record->trail != built.trail) return false;
        const int cell = BeatMapCell(system->number, i + 1);
        if (i > 0) {
            // The slot must stand where the build put it: after the slot before it.
            const int before = BeatMapCell(system->number, i);
            const int64_t start = int64_t{map.contentX[before]} + map.trailSpace[before] +
                                  measures_[i - 1].width + measures_[i - 1].trail;
            if (map.slotX[cell] != start || map.contentX[cell] - map.marginX[cell] != built.lead)
                return false;
            for (const int64_t x : {int64_t{map.slotX[cell]}, int64_t{map.marginX[cell]},
                                    int64_t{map.contentX[cell]}})
                if (!InsideMap(x) || !InsideMap(x + shift)) return false;
        }
        if (i + 1 == count_)
            *end = int64_t{map.contentX[cell]} + shift + map.trailSpace[cell] + record->width +
                   record->trail;
        shift += int64_t{record->width} - built.width;
        widths += record->width;
    }
    *sum = widths;
    return true;
}

int64_t SumOfWidths(std::span<const MeasureRecord> records) {
    int64_t sum = 0;
    for (const MeasureRecord& record : records) sum += record.width;
    return sum;
}

// Scales the system's measures so that they take `available` units together (the
// last one takes what the others leave), none below the room its columns need or
// the room of a measure's rest. A change of a few units is let be: a new width is
// stored through the measure's spacing values, which it cannot always give back to
// the unit, so a system placed again would otherwise move its measures by a unit
// or two every time. False when nothing changed.
bool ShareWidths(ScoreView* view, ScoreSystem* system, std::span<MeasureRecord> records, int64_t available) {
    ScoreDocument* document = view->document;
    std::vector<int64_t> widths, floors;
    for (size_t i = 0; i < records.size(); ++i) {
        widths.push_back(records[i].width);
        floors.push_back(std::max<int64_t>(
            MeasureMinimumWidth(document, system->firstMeasure + static_cast<int>(i)), kMeasureRestRoom));
    }
    // Measures whose columns cannot all fit the line give it up in proportion to
    // what their columns need, none below its tight minimum (heads side by side)
    // while the line holds those; each is spaced again for its tight minimum.
    const int64_t floorSum = std::accumulate(floors.begin(), floors.end(), int64_t{0});
    std::vector<int64_t> shares = floors;
    const bool squeezed = floorSum > available;
    bool tightFits = false;
    if (!squeezed) {
        shares = ShareWithFloors(widths, floors, available);
    } else {
        std::vector<int64_t> tight;
        for (size_t i = 0; i < records.size(); ++i)
            tight.push_back(MeasureMinimumWidth(document, system->firstMeasure + static_cast<int>(i), true));
        tightFits = std::accumulate(tight.begin(), tight.end(), int64_t{0}) <= available;
        if (tightFits)
            shares = ShareWithFloors(floors, tight, available);
        else
            for (int64_t& share : shares) share = share * available / floorSum;
    }
    int64_t placed = 0;
    bool changed = false;
    int m = system->firstMeasure;
    for (size_t i = 0; i < records.size(); ++i, ++m) {
        MeasureRecord& record = records[i];
        const int64_t share = m == system->lastMeasure ? available - placed : shares[i];
        // A squeezed measure's list cannot give every width back to the unit (its
        // columns hold their floors' proportions): it lets a change within a
        // 256th of its width be.
        const int64_t ignored =
            squeezed ? std::max<int64_t>(kIgnoredWidthChange, share / kSqueezedWidthSlack) : kIgnoredWidthChange;
        if (share >= kMinMeasureWidth && std::abs(share - record.width) > ignored) {
            SetMeasureWidth(document, view, m, static_cast<int>(std::min<int64_t>(share, kMaxMeasureWidth)));
            if (tightFits) KeepColumnsApart(document, m, true);
            changed = true;
        }
        // The last measure's list may round past the line's end: it is asked again for
        // less by what it overran, a few times at most.
        for (int ask = 0; m == system->lastMeasure && ask < kOverrunAsks && share >= kMinMeasureWidth; ++ask) {
            const int64_t overrun = placed + record.width - available;
            if (overrun <= kIgnoredWidthChange) break;
            SetMeasureWidth(document, view, m, static_cast<int>(std::min<int64_t>(share - overrun, kMaxMeasureWidth)));
        }
        placed += record.width;
    }
    return changed;
}

// How a placement finds its row and what it leaves in it.
struct RowUse {
    bool built;      // the row stands as built from the widths the measures have now
    bool keep;       // leave the row built from the final widths
    BuiltRow* last;  // the row's last build, when nothing has rebuilt the row since
    int passes = kPlacementPasses;  // the passes the placement may take
    bool predictedOnly = false;     // stop at a pass whose end needs the row laid out
};

// The placement passes: each compares the end of the slots with the right margin
// and scales the widths by the difference. Only the system's own slots are laid out
// for that, and only where their end cannot be told from the last layout; a kept
// row is built whole at the end from the final widths. Returns the passes that
// changed the widths.
int PlaceBetween(ScoreView* view, ScorePage* page, ScoreSystem* system, int64_t room, RowUse use) {
    ScoreDocument* document = view->document;
    BuiltRow& row = *use.last;
    // The measures' records stay where they are while the widths are scaled; a
    // build of the row finds them again.
    std::span<MeasureRecord> records = SystemRecords(document, system);
    bool fresh = use.built;
    bool whole = use.built;  // the row as it stands is a whole build
    if (fresh) row.Take(document, system, records);
    int changed = 0;
    while (changed < use.passes) {
        int64_t end = 0;
        int64_t sum = 0;
        if (!fresh && !row.Predict(view, system, records, &end, &sum)) {
            if (use.predictedOnly) return changed;
            BuildSystemRow(view, page, system, false);
            records = SystemRecords(document, system);
            row.Take(document, system, records);
            fresh = true;
            whole = false;
        }
        if (fresh) {
            end = SlotsEnd(view, document, system);
            sum = SumOfWidths(records);
        }
        const int64_t available = room - (end - sum);
        if (sum <= 0 || available <= 0 || available == sum || !ShareWidths(view, system, records, available))
            break;
        ++changed;
        fresh = false;
    }
    if (use.keep && !(fresh && whole)) {
        BuildSystemRow(view, page, system, true);
        row.Take(document, system);
    }
    return changed;
}

// The system at the page's left margin, its measures scaled between the margins.
// Returns the passes that changed the widths.
int PlaceInMargins(ScoreView* view, ScorePage* page, ScoreSystem* system, RowUse use) {
    ScoreDocument* document = view != nullptr ? view->document : nullptr;
    PageMargins margins;
    if (g_placementDepth > 0 || document == nullptr || !view->pageView || system == nullptr ||
        system->number >= kBeatMapRows || !GetPageMargins(page, &margins))
        return 0;
    const int64_t margin = static_cast<int64_t>(kLogicalOrigin) + margins.logical[0];
    const int64_t right = static_cast<int64_t>(view->PageRight) - margins.logical[2];
    const int64_t left = margin + StaffLabelIndent(document, system, right - margin);
    if (right <= left) return 0;  // margins that cross leave the system as it is
    PlacementScope scope;
    ColumnRoomScope rooms(document);  // each pass reads the measures' floors
    system->x = static_cast<int32_t>(left);
    if (system->keepNaturalWidth != 0) return 0;
    if (use.last != nullptr) return PlaceBetween(view, page, system, right - left, use);
    BuiltRow row;
    use.last = &row;
    return PlaceBetween(view, page, system, right - left, use);
}

// The placements carried from the re-spacing of a page's systems to the builds of
// their rows, by row. An entry holds the system's row as its re-spacing last laid
// it out; the build of another system's row in that row of the map ends it.
struct CarriedPlacement {
    const ScoreView* view = nullptr;
    const ScorePage* page = nullptr;
    const ScoreSystem* system = nullptr;
    int firstMeasure = 0;
    int lastMeasure = 0;
    BuiltRow row;
    bool ready = false;  // the passes before the build have been taken
    int passesLeft = kPlacementPasses;

    // As a new entry, without writing the row's measures.
    void Clear() {
        view = nullptr;
        page = nullptr;
        system = nullptr;
        firstMeasure = 0;
        lastMeasure = 0;
        row.Clear();
        ready = false;
        passesLeft = kPlacementPasses;
    }
};

}  // namespace

struct PlacementCarry {
    CarriedPlacement rows[kBeatMapRows];
    // The fitting's lookups, kept over the re-spacing of the scope's systems (most
    // of a page's cells lie in the blocks its first system's cells lie in). Made at
    // the first fitting and not cleared first: it sets what it keeps as it goes.
    std::unique_ptr<FitLookups> fit;
    bool fitInUse = false;
};

namespace {

PlacementCarry* g_carry = nullptr;

// The carried entry of a system about to be built or placed, or null; an entry of
// another system in its row is dropped.
CarriedPlacement* CarriedEntry(const ScoreView* view, const ScorePage* page, const ScoreSystem* system) {
    if (g_carry == nullptr || system == nullptr || system->number >= kBeatMapRows) return nullptr;
    CarriedPlacement& entry = g_carry->rows[system->number];
    if (entry.system == nullptr) return nullptr;
    if (entry.view != view || entry.page != page || entry.system != system ||
        entry.firstMeasure != system->firstMeasure || entry.lastMeasure != system->lastMeasure) {
        entry.Clear();
        return nullptr;
    }
    return &entry;
}

void CarryPlacement(const ScoreView* view, const ScorePage* page, const ScoreSystem* system,
                    const BuiltRow& row) {
    if (g_carry == nullptr || system == nullptr || system->number >= kBeatMapRows) return;
    CarriedPlacement& entry = g_carry->rows[system->number];
    entry.Clear();
    if (!row.Valid()) return;
    entry.view = view;
    entry.page = page;
    entry.system = system;
    entry.firstMeasure = system->firstMeasure;
    entry.lastMeasure = system->lastMeasure;
    entry.row = row;
}

// The fitting's lookups for one system's measures: the carry's, revalidated (what
// ran since may have released blocks or changed the set), or, outside a carry or
// inside a fitting that already uses it, lookups of its own.
class SystemFitLookups {
  public:
    SystemFitLookups() {
        if (g_carry == nullptr || g_carry->fitInUse) {
            lookups_ = &own_.emplace();
            return;
        }
        std::unique_ptr<FitLookups>& kept = g_carry->fit;
        if (!kept || !kept->Revalidate()) kept.reset(new FitLookups);
        g_carry->fitInUse = true;
        carry_ = g_carry;
        lookups_ = kept.get();
    }
    ~SystemFitLookups() {
        if (carry_ != nullptr) carry_->fitInUse = false;
    }
    SystemFitLookups(const SystemFitLookups&) = delete;
    SystemFitLookups& operator=(const SystemFitLookups&) = delete;
    FitLookups& Get() { return *lookups_; }

  private:
    std::optional<FitLookups> own_;
    PlacementCarry* carry_ = nullptr;
    FitLookups* lookups_ = nullptr;
};

// Re-spaces one system; `keepRow` false leaves its beat-map row to the caller,
// which builds it again.
void Respace(ScoreView* view, ScorePage* page, ScoreSystem* system, bool keepRow) {
    ScoreDocument* document = view != nullptr ? view->document : nullptr;
    if (document == nullptr || system == nullptr) return;
    SetDocumentModified(document);
    ViewLocationScope location(view);
    ColumnRoomScope rooms(document);  // re-spacing moves no note
    const bool engraver = State().layout.SpacingMode == kEngraverSpacing;
    const bool fitting = !engraver || State().program.SpaceAccidentals != 0;
    for (int m = system->firstMeasure; m <= system->lastMeasure; ++m) {
        MeasureRecord* record = MeasureRecordOf(document, m);
        if (record == nullptr) break;
        ClearMeasureSpacing(document, m);
        record->width = ProportionalWidth(*record);
    }
    // Justification and fitting leave the slot positions of the row alone, so each
    // placement starts from the last build. A row that justification changes again
    // before anything reads it is not kept.
    BuiltRow row;
    PlaceInMargins(view, page, system, {false, keepRow && !engraver, &row});
    if (engraver) {
        JustifySystem(view, system);
        PlaceInMargins(view, page, system, {false, keepRow, &row});
    }
    if (fitting) {
        bool fitted = false;
        SystemFitLookups lookups;
        for (int m = system->firstMeasure; m <= system->lastMeasure; ++m)
            fitted = FitMeasure(view, system, m, true, lookups.Get()) != 0 || fitted;
        if (fitted) PlaceInMargins(view, page, system, {false, keepRow, &row});
    }
    // Every time of every measure keeps its own column: crowded measures take room
    // from measures with some to spare, and crowded columns from long values.
    if (KeepSystemColumnsApart(view, system)) PlaceInMargins(view, page, system, {false, keepRow, &row});
    if (!keepRow) CarryPlacement(view, page, system, row);
}

}  // namespace

SystemPlacementHold::SystemPlacementHold() { ++g_placementDepth; }
SystemPlacementHold::~SystemPlacementHold() { --g_placementDepth; }

bool SystemShowsStaffLabels(const ScoreSystem* system) {
    return system != nullptr && system->firstMeasure <= 1;
}

int32_t StaffLabelIndent(ScoreDocument* document, const ScoreSystem* system, int64_t line) {
    if (document == nullptr || !SystemShowsStaffLabels(system)) return 0;
    int32_t indent = 0;
    for (int staff = 1; staff <= document->header.staffCount; ++staff) {
        StaffRecord* record = StaffRecordOf(document, staff);
        const ScoreObject* label = record != nullptr ? GetStaffLabelObject(record) : nullptr;
        if (label == nullptr || label->type != TypeCode(ObjectType::Label)) continue;
        indent = std::max(indent, std::abs(AsTextBox(label)->body.width) + kStaffLabelGap);
    }
    return static_cast<int32_t>(std::min<int64_t>(indent, std::max<int64_t>(line / kLineShareOfIndent, 0)));
}

int32_t StaffLabelWidthLimit(const ScoreView* view, const ScorePage* page) {
    PageMargins margins;
    if (view == nullptr || page == nullptr || !GetPageMargins(page, &margins)) return 0;
    const int64_t line = int64_t{view->PageRight} - margins.logical[2] - kLogicalOrigin - margins.logical[0];
    return static_cast<int32_t>(std::max<int64_t>(line / kLineShareOfIndent - kStaffLabelGap, 0));
}

void RespaceLabelledSystems(ScoreView* view) {
    ScoreDocument* document = view != nullptr ? view->document : nullptr;
    if (document == nullptr || document->firstPage == nullptr) return;
    if (view->pageView) {
        ScorePage* page = document->firstPage;
        for (ScoreSystem* system = page->firstSystem.get(); SystemShowsStaffLabels(system);
             system = system->next.get())
            FormatSystem(view, page, system);
        UpdateBeatMaps(view, 1);
    }
    BuildBeatMapsOnLinkedViews(view, 0);
    InvalidateLinkedViews(view);
}

void PlaceSystemInMargins(ScoreView* view, ScorePage* page, ScoreSystem* system) {
    // The system is put at the page's left margin and its measures are scaled so
    // that its closing barline falls on the right margin, the room of its signs,
    // leads and trails read from its row of the beat map, which is rebuilt around
    // the scaling. A system that keeps its natural width is only moved.
    PlaceInMargins(view, page, system, {false, true, nullptr});
}

void PlaceBuiltSystemInMargins(ScoreView* view, ScorePage* page, ScoreSystem* system) {
    // The passes taken before the build count against the placement's.
    RowUse use{true, true, nullptr};
    if (g_placementDepth == 0) {
        if (CarriedPlacement* entry = CarriedEntry(view, page, system)) {
            if (entry->ready) use.passes = entry->passesLeft;
            entry->Clear();
        }
    }
    PlaceInMargins(view, page, system, use);
}

void PlaceSystemBeforeRowBuild(ScoreView* view, ScorePage* page, ScoreSystem* system) {
    if (g_placementDepth > 0) return;
    CarriedPlacement* entry = CarriedEntry(view, page, system);
    if (entry == nullptr || entry->ready) return;
    // The build brings every measure's width up to date before the placement that
    // ends it reads them; so does this placement, which takes its passes for as
    // long as the end of the slots follows from the carried row. The row is then
    // built once, from the widths they leave.
    RefreshSystemMeasureWidths(view->document, system);
    RowUse use{false, false, &entry->row};
    use.predictedOnly = true;
    entry->passesLeft = kPlacementPasses - PlaceInMargins(view, page, system, use);
    entry->ready = true;
}

// Default-initialised: the entries' members start as their initialisers say, and
// the rows' measures, never read before they are taken, are not cleared.
PlacementCarryScope::PlacementCarryScope() : carry_(new PlacementCarry), saved_(g_carry) {
    g_carry = carry_.get();
}

PlacementCarryScope::~PlacementCarryScope() { g_carry = saved_; }

void FormatSystem(ScoreView* view, ScorePage* page, ScoreSystem* system) {
    // Engraver spacing or proportional widths, accidental room, then placement
    // between the margins.
    Respace(view, page, system, true);
}

void FormatSystemBeforeRowBuild(ScoreView* view, ScorePage* page, ScoreSystem* system) {
    Respace(view, page, system, false);
}

}  // namespace ql
