#include "layout/spacing/column_room.h"

#include <algorithm>

#include "core/constants.h"
#include "core/draw/glyph_metrics.h"
#include "core/draw/view_drawing.h"
#include "core/model/document.h"
#include "core/model/events.h"
#include "core/model/grid.h"
#include "core/model/page_records.h"
#include "core/model/pages.h"
#include "core/model/score_document.h"
#include "core/objects/score_object.h"
#include "layout/measure_spacing.h"
#include "layout/spacing/spacing_collect.h"
#include "layout/spacing/spacing_list.h"
#include "layout/widths/measure_width.h"
#include "layout/widths/width_support.h"
#include "notes/drawing/note_fields.h"

namespace ql {

namespace {

// A head's advance when the document has no glyph table yet (a space and a quarter).
constexpr int32_t kUsualHeadAdvance = 160;
constexpr int kGapDivisor = 8;

int32_t HeadAdvance(const ScoreDocument& document) {
    const int32_t head = GlyphMetricOf(document, kBlackHeadCode).advance;
    return head > 0 ? head : kUsualHeadAdvance;
}

}  // namespace

// Widths at least their floors that sum to `total`, what is left over the floors
// shared in proportion to the widths as they stand; the floors alone when they do
// not fit.
std::vector<int64_t> ShareWithFloors(const std::vector<int64_t>& widths, const std::vector<int64_t>& floors,
                                     int64_t total) {
    const size_t n = widths.size();
    std::vector<bool> fixed(n, false);
    std::vector<int64_t> out = floors;
    for (size_t round = 0; round <= n; ++round) {
        int64_t fixedSum = 0, freeWidth = 0;
        for (size_t i = 0; i < n; ++i) (fixed[i] ? fixedSum : freeWidth) += fixed[i] ? floors[i] : widths[i];
        const int64_t left = total - fixedSum;
        if (freeWidth <= 0 || left <= 0) return floors;
        bool more = false;
        for (size_t i = 0; i < n; ++i) {
            if (fixed[i]) continue;
            out[i] = widths[i] * left / freeWidth;
            if (out[i] < floors[i]) fixed[i] = more = true;
        }
        if (more) continue;
        int64_t sum = 0;
        size_t last = n;
        for (size_t i = 0; i < n; ++i) {
            if (fixed[i]) out[i] = floors[i];
            else last = i;
            sum += out[i];
        }
        if (last < n) out[last] += total - sum;  // what the divisions rounded away
        return out;
    }
    return floors;
}

namespace {

// The value that gives the ticks [from, to) the width on the 16-tick grid the beat
// map steps on; 0 when the stretch holds no step.
uint16_t ValueForWidth(int32_t from, int32_t to, int64_t width) {
    const int32_t steps = to / kTicksPerSpacingStep - from / kTicksPerSpacingStep;
    if (steps <= 0) return 0;
    return ClampSpacingValue((width * kSpacingUnity + steps - 1) / steps);
}

// A time of the measure with the room its events need: a head and a gap, half a
// head more per dot, and a head and a half for a rest (short rests are wide).
struct ColumnTime {
    int32_t time;
    int32_t room;
};

void AddVoiceTimes(MeasureCell* cell, int voice, int32_t head, std::vector<ColumnTime>& times) {
    const EventRecord* event = GetVoiceFirstEvent(cell, voice);
    for (int n = 0; event != nullptr && !IsHeadSentinel(*event) && n < kMaxChainLength; ++n) {
        times.push_back({event->time, head + head / kGapDivisor + NoteDots(*event) * head / 2});
        event = NextEvent(event);
    }
    const ScoreObject* element = GetVoiceFirstElement(cell, voice);
    for (int n = 0; element != nullptr && n < kMaxChainLength; ++n, element = element->next.get())
        if (element->type == TypeCode(ObjectType::Rest)) times.push_back({ElementTime(element), head + head / 2});
}

// The measure's times in order, each once with the most room any of its events needs.
std::vector<ColumnTime> ColumnTimesOf(ScoreDocument* document, int measure) {
    std::vector<ColumnTime> times;
    const MeasureRecord* record = MeasureRecordOf(document, measure);
    if (record == nullptr) return times;
    const int32_t head = HeadAdvance(*document);
    for (int staff = 1; staff <= document->header.staffCount; ++staff)
        if (MeasureCell* cell = FindMeasureCell(document, staff, measure))
            for (int voice = 0; voice < kVoiceCount; ++voice) AddVoiceTimes(cell, voice, head, times);
    std::sort(times.begin(), times.end(), [](const ColumnTime& a, const ColumnTime& b) {
        return a.time < b.time || (a.time == b.time && a.room > b.room);
    });
    times.erase(std::unique(times.begin(), times.end(),
                            [](const ColumnTime& a, const ColumnTime& b) { return a.time == b.time; }),
                times.end());
    while (!times.empty() && (times.back().time >= record->lengthTicks || times.back().time < 0)) times.pop_back();
    return times;
}

// The measure's columns from its first event to its end: their bounds (the last is
// the measure's length), their widths as the list lays them out and the room each
// needs. Times in one 16-tick step of the beat map share its column.
struct Columns {
    std::vector<int32_t> bounds;
    std::vector<int64_t> widths;
    std::vector<int64_t> rooms;
    int32_t lead = 0;  // the room before the first event
};

Columns ColumnsOf(ScoreDocument* document, int measure) {
    Columns columns;
    const MeasureRecord* record = MeasureRecordOf(document, measure);
    if (record == nullptr) return columns;
    for (const ColumnTime& t : ColumnTimesOf(document, measure)) {
        if (columns.bounds.empty() || t.time / kTicksPerSpacingStep > columns.bounds.back() / kTicksPerSpacingStep) {
            columns.bounds.push_back(t.time);
            columns.rooms.push_back(t.room);
        } else {
            columns.rooms.back() = std::max<int64_t>(columns.rooms.back(), t.room);
        }
    }
    if (columns.bounds.empty()) return columns;
    columns.bounds.push_back(record->lengthTicks);
    columns.lead = SpacingTickX(*record, columns.bounds.front());
    for (size_t i = 0; i + 1 < columns.bounds.size(); ++i) {
        const int32_t to = i + 2 == columns.bounds.size() ? record->width : SpacingTickX(*record, columns.bounds[i + 1]);
        columns.widths.push_back(to - SpacingTickX(*record, columns.bounds[i]));
    }
    return columns;
}

}  // namespace

int32_t MeasureMinimumWidth(ScoreDocument* document, int measure) {
    const Columns columns = ColumnsOf(document, measure);
    int64_t width = columns.lead;
    for (int64_t room : columns.rooms) width += room;
    return static_cast<int32_t>(std::min<int64_t>(width, kMaxMeasureWidth));
}

bool KeepColumnsApart(ScoreDocument* document, int measure) {
    MeasureRecord* record = MeasureRecordOf(document, measure);
    Columns columns = ColumnsOf(document, measure);
    if (record == nullptr || columns.widths.empty()) return false;
    bool crowded = false;
    for (size_t i = 0; i < columns.widths.size(); ++i)
        crowded = crowded || (columns.widths[i] < columns.rooms[i] &&
                              ValueForWidth(columns.bounds[i], columns.bounds[i + 1], columns.rooms[i]) != 0);
    if (!crowded) return false;
    const std::vector<int64_t> widths =
        ShareWithFloors(columns.widths, columns.rooms, std::max<int64_t>(record->width - columns.lead, 0));
    std::vector<SpacingPiece> pieces;
    const int32_t first = columns.bounds.front();
    if (first > 0) {
        const uint16_t value = ValueForWidth(0, first, columns.lead);
        if (value != 0) pieces.push_back({0, first, value});
    }
    for (size_t i = 0; i < widths.size(); ++i) {
        const uint16_t value = ValueForWidth(columns.bounds[i], columns.bounds[i + 1], widths[i]);
        if (value != 0) pieces.push_back({columns.bounds[i], columns.bounds[i + 1] - columns.bounds[i], value});
    }
    const size_t kept = SettleMeasurePieces(*record, pieces);
    if (!WriteSpacingPieces(*record, std::span<const SpacingPiece>(pieces).first(kept)))
        MeasureWidth(document, measure);
    return true;
}

namespace {

// The room a system's start takes before its first measure's content: clef, key and
// time signature with their gaps, as a new score's first system gives them.
constexpr int64_t kSystemStartRoom = 1536;

// The width between the margins of the document's first page, less the room of a
// system's start; 0 without a page.
int64_t ContentWidthOfSystems(ScoreView* view) {
    PageMargins margins;
    ScorePage* page = view->document->firstPage;
    if (page == nullptr || !GetPageMargins(page, &margins)) return 0;
    const int64_t width = int64_t{view->PageRight} - kLogicalOrigin - margins.logical[0] - margins.logical[2];
    return std::max<int64_t>(width - kSystemStartRoom, 0);
}

// The least width a measure takes in a system: its columns and its lead and trail.
int64_t MeasureNeed(ScoreDocument* document, int measure) {
    const MeasureRecord* record = MeasureRecordOf(document, measure);
    if (record == nullptr) return 0;
    const Columns columns = ColumnsOf(document, measure);
    int64_t width = std::max<int64_t>(record->lead, 0) + std::max<int64_t>(record->trail, 0);
    for (int64_t room : columns.rooms) width += room;
    return width;
}

}  // namespace

void BreakCrowdedSystems(ScoreView* view, int firstMeasure, std::vector<std::vector<int>>& plan) {
    ScoreDocument* document = view != nullptr ? view->document : nullptr;
    if (document == nullptr) return;
    const int64_t room = ContentWidthOfSystems(view);
    if (room <= 0) return;
    int measure = firstMeasure;
    for (size_t page = 0; page < plan.size(); ++page) {
        for (size_t s = 0; s < plan[page].size(); ++s) {
            int& count = plan[page][s];
            int64_t need = 0;
            int fits = 0;
            while (fits < count && (fits == 0 || need + MeasureNeed(document, measure + fits) <= room))
                need += MeasureNeed(document, measure + fits++);
            if (fits < count) {
                // The measures past the room open the next system.
                const bool last = s + 1 == plan[page].size() && page + 1 == plan.size();
                if (last)
                    plan.push_back({count - fits});
                else if (s + 1 < plan[page].size())
                    plan[page][s + 1] += count - fits;
                else
                    plan[page + 1].insert(plan[page + 1].begin(), count - fits);
                count = fits;
            }
            measure += count;
        }
    }
}

bool KeepSystemColumnsApart(ScoreView* view, ScoreSystem* system) {
    ScoreDocument* document = view != nullptr ? view->document : nullptr;
    if (document == nullptr || system == nullptr) return false;
    std::vector<int64_t> widths, floors;
    int64_t total = 0;
    for (int m = system->firstMeasure; m <= system->lastMeasure; ++m) {
        const MeasureRecord* record = MeasureRecordOf(document, m);
        if (record == nullptr) return false;
        widths.push_back(record->width);
        floors.push_back(MeasureMinimumWidth(document, m));
        total += record->width;
    }
    bool changed = false;
    const std::vector<int64_t> shared = ShareWithFloors(widths, floors, total);
    for (size_t i = 0; i < shared.size(); ++i) {
        const int m = system->firstMeasure + static_cast<int>(i);
        if (shared[i] != widths[i]) {
            SetMeasureWidth(document, view, m, static_cast<int>(std::min<int64_t>(shared[i], kMaxMeasureWidth)));
            changed = true;
        }
        changed = KeepColumnsApart(document, m) || changed;
    }
    return changed;
}

}  // namespace ql
