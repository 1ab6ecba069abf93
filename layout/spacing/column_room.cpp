#include "layout/spacing/column_room.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <span>

#include "core/constants.h"
#include "core/draw/glyph_metrics.h"
#include "core/draw/view_drawing.h"
#include "core/model/document.h"
#include "core/model/engraving_metrics.h"
#include "core/model/event_record.h"
#include "core/model/events.h"
#include "core/model/grid.h"
#include "core/model/page_records.h"
#include "core/model/pages.h"
#include "core/model/score_document.h"
#include "core/objects/score_object.h"
#include "core/text/text_object.h"
#include "layout/measure_spacing.h"
#include "layout/spacing/accidental_columns.h"
#include "layout/spacing/spacing_collect.h"
#include "layout/spacing/spacing_list.h"
#include "layout/widths/measure_width.h"
#include "layout/widths/width_support.h"
#include "notes/accidentals/accidental_layout.h"
#include "notes/drawing/note_fields.h"
#include "objects/lyrics/lyric.h"
#include "objects/lyrics/lyric_hyphen.h"

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

// A time of the measure with the room its events take either side of its x: after
// it a head and a gap (a head and a half for a rest), half a head more per dot, the
// flag of a note without a beam (its stem's side is told only when it is drawn) and
// a head on the far side of an up stem; before it its accidentals, a head
// on the far side of a down stem and grace notes drawn left of it by their nudge.
struct ColumnTime {
    int32_t time;
    int32_t before;
    int32_t after;
};

// A lyric syllable of one staff's verse line: its ink from `left` units before its
// column's x to `right` units after it (the text is centred on the note's x, moved
// by the note's nudge and the syllable's offset), and whether a hyphen follows it
// (drawn between it and the next syllable, or before the barline after the last).
struct Syllable {
    int line;  // staff x 4 + verse
    int32_t time;
    int32_t left;
    int32_t right;
    bool hyphen;
};

struct MeasureTimes {
    std::vector<ColumnTime> times;
    std::vector<Syllable> syllables;
};

// Glyph codes of the open heads, wider than the black head.
constexpr uint8_t kWholeHeadCode = 70;  // "F"
constexpr uint8_t kBreveHeadCode = 69;  // "E"
constexpr uint8_t kWholeDuration = 12;
constexpr uint8_t kBreveDuration = 13;
// Room between two syllables of a verse line, and the flag of a note without a beam
// (as a share of a head).
constexpr int32_t kSyllableGap = 128;
constexpr int kFlagShareOfHead = 3;
constexpr int kFlagShareDivisor = 4;
constexpr int32_t kNudgeUnits = 16;
constexpr int kMaxAttachments = 64;

int32_t HeadWidth(const ScoreDocument& document, const EventRecord& event, int32_t black) {
    const uint8_t code = event.duration >= kBreveDuration   ? kBreveHeadCode
                         : event.duration >= kWholeDuration ? kWholeHeadCode
                                                            : kBlackHeadCode;
    const int32_t advance = code == kBlackHeadCode ? black : GlyphMetricOf(document, code).advance;
    return std::max(advance, black);
}

bool HasFlag(const EventRecord& event) {
    return event.duration < kDurationQuarter && !event.beamPrev && !event.beamNext;
}

// The room one note or chord member takes about its column (its accidental apart).
ColumnTime EventExtent(const ScoreDocument& document, const EventRecord& event, int32_t black) {
    const int32_t head = HeadWidth(document, event, black);
    const int32_t nudge = int32_t{event.nudge} * kNudgeUnits;
    ColumnTime extent{event.time, std::max(-nudge, 0), head + head / kGapDivisor + NoteDots(event) * head / 2};
    if (IsFarSide(event)) (IsStemUp(event) ? extent.after : extent.before) += head;
    if (HasFlag(event)) extent.after += head * kFlagShareOfHead / kFlagShareDivisor;
    extent.after += std::max(nudge, 0);
    return extent;
}

// The room a chord's accidentals take before its heads, told from the signs alone
// (not from the offsets the last fitting gave them, so that a layout done again
// gives the same room): the first sign's distance and a column more for each
// further sign or parenthesised one, as if no two shared a column.
int32_t AccidentalRoom(const ScoreDocument& document, int signs, int wide) {
    if (signs == 0) return 0;
    const int32_t first = std::max(EngravingMetricOf(document, EngravingMetric::FirstAcci),
                                   EngravingMetricOf(document, EngravingMetric::Accident));
    const int columns = std::min(signs - 1 + wide, kAccidentalColumnCount + kWideAccidentalExtraColumns);
    return first + columns * EngravingMetricOf(document, EngravingMetric::Accident);
}

void AddSyllables(const EventRecord& event, int staff, std::vector<Syllable>& syllables) {
    if (!event.attachment) return;
    const ScoreObject* head = GetEventAttachment(&event);
    const ScoreObject* object = head != nullptr ? head->next.get() : nullptr;
    for (int n = 0; object != nullptr && n < kMaxAttachments; ++n, object = object->next.get()) {
        if (object->type != TypeCode(ObjectType::Lyric)) continue;
        const TextObject* lyric = AsTextObject(object);
        const int32_t half = std::max<int32_t>(lyric->body.width, 0) / 2;
        // The syllable stands by its note's x as drawn: nudged with the note's head.
        const int32_t offset = LyricXOffset(lyric) + int32_t{event.nudge} * kNudgeUnits;
        const char* text = TextObjectString(lyric);
        syllables.push_back({staff * kVerseCount + LyricVerse(lyric), event.time, half - offset, half + offset,
                             text != nullptr && EndsWithHyphen(text)});
    }
}

void AddVoiceTimes(const ScoreDocument& document, MeasureCell* cell, int staff, int voice, int32_t black,
                   MeasureTimes& out) {
    const EventRecord* event = GetVoiceFirstEvent(cell, voice);
    size_t chord = out.times.size();  // the chord's first time
    int signs = 0, wide = 0;
    for (int n = 0; event != nullptr && !IsHeadSentinel(*event) && n < kMaxChainLength; ++n) {
        if (chord < out.times.size() && out.times[chord].time != event->time) {
            chord = out.times.size();
            signs = wide = 0;
        }
        ColumnTime extent = EventExtent(document, *event, black);
        if (NoteHasAccidental(*event)) {
            ++signs;
            wide += IsAccidentalWide(AccidentalOfNote(*event)) ? 1 : 0;
            extent.before = std::max(extent.before, AccidentalRoom(document, signs, wide) + extent.before);
        }
        out.times.push_back(extent);
        AddSyllables(*event, staff, out.syllables);
        event = NextEvent(event);
    }
    const ScoreObject* element = GetVoiceFirstElement(cell, voice);
    for (int n = 0; element != nullptr && n < kMaxChainLength; ++n, element = element->next.get())
        if (element->type == TypeCode(ObjectType::Rest)) out.times.push_back({ElementTime(element), 0, black + black / 2});
}

// The measure's times in order, each once with the most room any of its events
// takes either side, and the syllables of its verse lines, into `out` (emptied
// first: its buffers serve measure after measure).
void MeasureTimesOf(ScoreDocument* document, int measure, MeasureTimes& out) {
    out.times.clear();
    out.syllables.clear();
    const MeasureRecord* record = MeasureRecordOf(document, measure);
    if (record == nullptr) return;
    const int32_t black = HeadAdvance(*document);
    for (int staff = 1; staff <= document->header.staffCount; ++staff)
        if (MeasureCell* cell = FindMeasureCell(document, staff, measure))
            for (int voice = 0; voice < kVoiceCount; ++voice) AddVoiceTimes(*document, cell, staff, voice, black, out);
    std::vector<ColumnTime>& times = out.times;
    std::sort(times.begin(), times.end(), [](const ColumnTime& a, const ColumnTime& b) { return a.time < b.time; });
    size_t kept = 0;
    for (const ColumnTime& t : times) {
        if (t.time < 0 || t.time >= record->lengthTicks) continue;
        if (kept > 0 && times[kept - 1].time == t.time) {
            times[kept - 1].before = std::max(times[kept - 1].before, t.before);
            times[kept - 1].after = std::max(times[kept - 1].after, t.after);
        } else {
            times[kept++] = t;
        }
    }
    times.resize(kept);
    std::stable_sort(out.syllables.begin(), out.syllables.end(),
                     [](const Syllable& a, const Syllable& b) { return a.line < b.line || (a.line == b.line && a.time < b.time); });
}

// The measure's columns from its first event to its end, as its notes give them:
// their bounds (the last is the measure's length) and the room each needs. Times
// in one 16-tick step of the beat map share its column.
struct ColumnRooms {
    std::vector<int32_t> bounds;
    std::vector<int64_t> rooms;
    int32_t firstBefore = 0;  // the room the first column takes before its x
    int32_t length = 0;       // the measure's length they were told for
    bool told = false;        // false in a slot of the scope's that is not yet filled
};

// The column a time stands in (the last whose bound is at or before it).
size_t ColumnOfTime(const std::vector<int32_t>& bounds, int32_t time) {
    const auto it = std::upper_bound(bounds.begin(), bounds.end() - 1, time);
    return it == bounds.begin() ? 0 : static_cast<size_t>(it - bounds.begin() - 1);
}

// The columns between two syllables of a verse line (or from the last to the
// barline) widen, evenly, until the syllables stand apart.
void KeepSyllablesApart(ColumnRooms& columns, const std::vector<Syllable>& syllables) {
    const size_t end = columns.rooms.size();
    for (size_t i = 0; i < syllables.size(); ++i) {
        const Syllable& a = syllables[i];
        const bool last = i + 1 == syllables.size() || syllables[i + 1].line != a.line;
        const size_t from = ColumnOfTime(columns.bounds, a.time);
        const size_t to = last ? end : ColumnOfTime(columns.bounds, syllables[i + 1].time);
        if (to <= from) continue;
        const int64_t hyphen = a.hyphen ? kLyricHyphenRoom : 0;
        const int64_t needed =
            last ? a.right + hyphen : a.right + std::max<int64_t>(kSyllableGap, hyphen) + syllables[i + 1].left;
        int64_t room = 0;
        for (size_t c = from; c < to; ++c) room += columns.rooms[c];
        if (room >= needed) continue;
        const int64_t share = (needed - room) / static_cast<int64_t>(to - from);
        for (size_t c = from; c < to; ++c) columns.rooms[c] += share;
        columns.rooms[to - 1] += (needed - room) - share * static_cast<int64_t>(to - from);
    }
}

// The columns and rooms told from the measure's notes; with `tight` each column's
// room at most a head and a gap (a squeezed line's: heads side by side, none past
// the barline), syllables and signs left out.
ColumnRooms TellColumnRooms(ScoreDocument* document, int measure, bool tight, MeasureTimes& measureTimes) {
    ColumnRooms columns;
    const MeasureRecord* record = MeasureRecordOf(document, measure);
    if (record == nullptr) return columns;
    columns.length = record->lengthTicks;
    columns.told = true;
    MeasureTimesOf(document, measure, measureTimes);
    // Times in one 16-tick step merge into the step's first, in place.
    std::vector<ColumnTime>& steps = measureTimes.times;
    size_t count = 0;
    for (const ColumnTime& t : steps) {
        if (count == 0 || t.time / kTicksPerSpacingStep > steps[count - 1].time / kTicksPerSpacingStep) {
            steps[count++] = t;
        } else {
            steps[count - 1].before = std::max(steps[count - 1].before, t.before);
            steps[count - 1].after = std::max(steps[count - 1].after, t.after);
        }
    }
    steps.resize(count);
    if (steps.empty()) return columns;
    columns.bounds.reserve(steps.size() + 1);
    for (const ColumnTime& t : steps) columns.bounds.push_back(t.time);
    columns.bounds.push_back(record->lengthTicks);
    // The first column's signs and graces, and the first syllable of each verse line
    // sung there, reach back over the room before it.
    columns.firstBefore = steps.front().before;
    for (size_t i = 0; i < measureTimes.syllables.size(); ++i) {
        const Syllable& syllable = measureTimes.syllables[i];
        const bool first = i == 0 || measureTimes.syllables[i - 1].line != syllable.line;
        if (first && ColumnOfTime(columns.bounds, syllable.time) == 0)
            columns.firstBefore = std::max(columns.firstBefore, syllable.left);
    }
    columns.rooms.reserve(steps.size());
    for (size_t i = 0; i < steps.size(); ++i)
        columns.rooms.push_back(int64_t{steps[i].after} + (i + 1 < steps.size() ? steps[i + 1].before : 0));
    if (tight) {
        const int32_t head = HeadAdvance(*document);
        for (int64_t& room : columns.rooms) room = std::min<int64_t>(room, head + head / kGapDivisor);
        columns.firstBefore = 0;
    } else {
        KeepSyllablesApart(columns, measureTimes.syllables);
    }
    return columns;
}

}  // namespace

// The rooms told while a ColumnRoomScope is open, by tightness and measure from
// the lowest measure asked for.
struct ColumnRoomCache {
    const ScoreDocument* document = nullptr;
    std::vector<ColumnRooms> told[2];
    int first[2] = {0, 0};  // the measure of told[i][0]
    MeasureTimes scratch;   // the times of the measure being told

    ColumnRooms& Slot(bool tight, int measure) {
        std::vector<ColumnRooms>& slots = told[tight ? 1 : 0];
        int& from = first[tight ? 1 : 0];
        if (slots.empty()) from = measure;
        if (measure < from) {
            slots.insert(slots.begin(), static_cast<size_t>(from - measure), ColumnRooms{});
            from = measure;
        }
        const auto index = static_cast<size_t>(measure - from);
        if (slots.size() <= index) slots.resize(index + 1);
        return slots[index];
    }
};

namespace {

ColumnRoomCache* g_roomCache = nullptr;

// The measure's columns and rooms: kept from the open scope's first telling, or told
// into `own` outside a scope.
const ColumnRooms& ColumnRoomsOf(ScoreDocument* document, int measure, bool tight, ColumnRooms& own) {
    if (g_roomCache == nullptr || g_roomCache->document != document || measure < 0 || measure >= MaxMeasures) {
        MeasureTimes times;
        own = TellColumnRooms(document, measure, tight, times);
        return own;
    }
    ColumnRooms& kept = g_roomCache->Slot(tight, measure);
    const MeasureRecord* record = MeasureRecordOf(document, measure);
    const int32_t length = record != nullptr ? record->lengthTicks : 0;
    // A measure whose length changed is told again.
    if (!kept.told || kept.length != length) kept = TellColumnRooms(document, measure, tight, g_roomCache->scratch);
    return kept;
}

// The x of each column's start under the measure's list (the first is the room the
// list gives before its first event), in one walk.
std::vector<int32_t> ColumnXs(const MeasureRecord& record, const std::vector<int32_t>& bounds) {
    std::vector<int32_t> xs(bounds.size());
    SpacingTicksX(record, bounds, xs);
    return xs;
}

}  // namespace

ColumnRoomScope::ColumnRoomScope(const ScoreDocument* document) {
    if (document == nullptr || (g_roomCache != nullptr && g_roomCache->document == document)) return;
    cache_ = std::make_unique<ColumnRoomCache>();
    cache_->document = document;
    saved_ = g_roomCache;
    g_roomCache = cache_.get();
}

ColumnRoomScope::~ColumnRoomScope() {
    if (cache_ != nullptr) g_roomCache = saved_;
}

int32_t MeasureMinimumWidth(ScoreDocument* document, int measure, bool tight) {
    const MeasureRecord* record = MeasureRecordOf(document, measure);
    if (record == nullptr) return 0;
    ColumnRooms own;
    const ColumnRooms& columns = ColumnRoomsOf(document, measure, tight, own);
    if (columns.bounds.empty()) return 0;
    const int32_t lead = SpacingTickX(*record, columns.bounds.front());
    int64_t width = columns.bounds.front() == 0 ? lead : std::max(lead, columns.firstBefore);
    for (int64_t room : columns.rooms) width += room;
    return static_cast<int32_t>(std::min<int64_t>(width, kMaxMeasureWidth));
}

bool KeepColumnsApart(ScoreDocument* document, int measure, bool tight) {
    MeasureRecord* record = MeasureRecordOf(document, measure);
    if (record == nullptr) return false;
    ColumnRooms own;
    const ColumnRooms& columns = ColumnRoomsOf(document, measure, tight, own);
    if (columns.rooms.empty()) return false;
    // The columns' widths as the list lays them out, the last closed by the barline.
    const std::vector<int32_t> xs = ColumnXs(*record, columns.bounds);
    std::vector<int64_t> widths(columns.rooms.size());
    for (size_t i = 0; i < widths.size(); ++i)
        widths[i] = (i + 1 == widths.size() ? record->width : xs[i + 1]) - xs[i];
    const int32_t lead = xs.front();
    // A first column at the barline reaches back over the measure's lead; one after
    // it over the room the list gives before it.
    const int32_t first = columns.bounds.front();
    bool leadRaised = false;
    if (first == 0 && record->lead < columns.firstBefore) {
        record->lead = static_cast<int16_t>(std::min<int32_t>(columns.firstBefore, INT16_MAX));
        leadRaised = true;
    }
    const int32_t before = first > 0 ? std::max(lead, columns.firstBefore) : 0;
    bool crowded = before > lead;
    for (size_t i = 0; i < widths.size(); ++i)
        crowded = crowded || (widths[i] < columns.rooms[i] &&
                              ValueForWidth(columns.bounds[i], columns.bounds[i + 1], columns.rooms[i]) != 0);
    if (!crowded) return leadRaised;
    const std::vector<int64_t> shared =
        ShareWithFloors(widths, columns.rooms, std::max<int64_t>(record->width - before, 0));
    std::vector<SpacingPiece> pieces;
    if (first > 0) {
        const uint16_t value = ValueForWidth(0, first, before);
        if (value != 0) pieces.push_back({0, first, value});
    }
    for (size_t i = 0; i < shared.size(); ++i) {
        const uint16_t value = ValueForWidth(columns.bounds[i], columns.bounds[i + 1], shared[i]);
        if (value != 0) pieces.push_back({columns.bounds[i], columns.bounds[i + 1] - columns.bounds[i], value});
    }
    const size_t kept = SettleMeasurePieces(*record, pieces);
    if (!WriteSpacingPieces(*record, std::span<const SpacingPiece>(pieces).first(kept)))
        MeasureWidth(document, measure);
    return true;
}

namespace {

// Units per square root of a column's ticks at ease (see MeasureWidthsOf).
constexpr double kEaseUnitsPerRootTick = 14.0;

}  // namespace

MeasureWidths MeasureWidthsOf(ScoreDocument* document, int measure) {
    const MeasureRecord* record = MeasureRecordOf(document, measure);
    if (record == nullptr) return {};
    ColumnRooms own;
    const ColumnRooms& columns = ColumnRoomsOf(document, measure, false, own);
    const int64_t ends = std::max<int64_t>({record->lead, columns.firstBefore, 0}) + std::max<int64_t>(record->trail, 0);
    MeasureWidths widths{ends, ends};
    for (size_t i = 0; i < columns.rooms.size(); ++i) {
        const double ticks = columns.bounds[i + 1] - columns.bounds[i];
        widths.need += columns.rooms[i];
        widths.ease += std::max(columns.rooms[i], static_cast<int64_t>(kEaseUnitsPerRootTick * std::sqrt(ticks)));
    }
    if (columns.rooms.empty()) widths.ease += static_cast<int64_t>(kEaseUnitsPerRootTick * std::sqrt(record->lengthTicks));
    return widths;
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
