// Slurs, ties, hairpins, octave signs, repeat endings and tuplets of a NIFF import:
// the spanner table, the nodes of each spanner, and the requests left for the
// builder. A slur's chunks may come before or after the notes they belong to: a
// node read while a note of the current stem group exists belongs to that note;
// otherwise the slur's ID stays current and the next note built takes it.
#include "interchange/niff/niff_spanners.h"

#include <algorithm>
#include <string>

#include "core/model/events.h"
#include "interchange/niff/niff_handlers.h"
#include "interchange/niff/niff_import_state.h"
#include "interchange/niff/niff_placement.h"
#include "interchange/niff/niff_values.h"

namespace ql::niff {
namespace {

constexpr int kTagPlacement = 1;
constexpr int kTagHeight = 17;
constexpr int kTagLogicalPlacement = 22;
constexpr int kLogicalAbove = 1;
constexpr int kTagId = 18;
constexpr int kTagLineQuality = 21;
constexpr int kTagMultiNodeEnd = 25;
constexpr int kTagMultiNodeStart = 26;
constexpr int kTagNodes = 28;
constexpr int kTagSide = 44;
constexpr int kTagTuplet = 45;

constexpr int kLeastNodes = 2;
constexpr int kNoLineStyle = 2;  // an octave sign's line quality when not given
constexpr size_t kEndingTextChars = 79;

// Kind-specific words of a record.
constexpr size_t kTupletActual = 0, kTupletNormal = 1, kTupletGrouping = 2, kTupletCount = 3, kTupletSeen = 4;
constexpr size_t kSlurSide = 0;
constexpr size_t kHairpinClosing = 0, kHairpinHeight = 1;
constexpr size_t kOctaveDirection = 0, kOctaveLine = 1;
constexpr size_t kEndingType = 0, kEndingText = 1;

// Vertical places in score units from the staff's bottom line (negative upwards),
// for marks without a placement of their own.
constexpr int32_t kUnitsPerSpace = 128;
constexpr int32_t kStaffHeight = 4 * kUnitsPerSpace;
constexpr int32_t kHairpinBelow = 3 * kUnitsPerSpace;
constexpr int32_t kHairpinAbove = -kStaffHeight - 2 * kUnitsPerSpace;
constexpr int32_t kOctaveAbove = -kStaffHeight - 3 * kUnitsPerSpace;
constexpr int32_t kOctaveBelow = 4 * kUnitsPerSpace;
constexpr int32_t kEndingAbove = -kStaffHeight - 4 * kUnitsPerSpace;
constexpr int32_t kHalfOpening = 87;
constexpr int32_t kLeastScaledHeight = 128;

bool HasOpenMeasure(const NiffFrame& frame) {
    return frame.measureOpen && !frame.pastMeasureLimit && frame.currentMeasure < frame.measures.size();
}

int CurrentMeasureNumber(const NiffFrame& frame) {
    return frame.measures[frame.currentMeasure].number;
}

// The event of the current stem group built last, or null.
const NiffEvent* CurrentEvent(const NiffFrame& frame) {
    const NiffNoteGroup& notes = frame.notes;
    if (notes.currentEvent < 0 || static_cast<size_t>(notes.currentEvent) >= notes.events.size()) return nullptr;
    return &notes.events[static_cast<size_t>(notes.currentEvent)];
}

// The chunk's ID (tag 18), or -1 without one (counted).
int SpannerId(NiffImportState& import) {
    const int id = HasNiffTag(import.tags, kTagId) ? NiffTagShort(import.tags, kTagId, 0) : -1;
    if (id < 0) import.report.Count(kNiffSpannersWithoutId);
    return id;
}

int NodeCount(const NiffTagState& tags) {
    return HasNiffTag(tags, kTagNodes) ? std::max<int>(NiffTagShort(tags, kTagNodes, 0), kLeastNodes) : kLeastNodes;
}

void FreeRecord(NiffSpannerRecord& record) {
    record = NiffSpannerRecord{};
}

// Where this node's spanner record stands: the record's index, whether this is
// its first node and whether its last; index -1 when the chunk makes nothing.
struct NodeStep {
    int index = -1;
    bool first = false;
    bool last = false;
};

// The page point of this node when the spanner's first node was placed on the
// same page; false otherwise.
bool PageEnd(const NiffImportState& import, const NiffSpannerRecord& record, NiffPagePoint* end) {
    return record.pageStart.page >= 0 && NiffPagePointOf(import, end) && end->page == record.pageStart.page;
}

NodeStep StepNode(NiffImportState& import, NiffSpannerType type) {
    NiffFrame& frame = import.frame;
    // A node on the page keeps its page point; any other is kept from its measure.
    if (!NiffPlacedOnPage(import.tags)) ResolveNiffPlacement(import, NiffAnchorLevel::kEventSlice);
    const int id = SpannerId(import);
    if (id < 0) return {};
    if (!HasOpenMeasure(frame)) {
        import.report.Count(kNiffSpannersOutsideMeasures);
        return {};
    }
    const int index = FindNiffSpanner(import, type, id);
    NiffSpannerRecord& record = frame.spanners.records[static_cast<size_t>(index)];
    if (record.id == id && record.type == type) {
        --record.nodesLeft;
        return {index, false, record.nodesLeft <= 0};
    }
    record = NiffSpannerRecord{};
    record.id = static_cast<int16_t>(id);
    record.type = type;
    record.staff = frame.staffNumber;
    record.measure = CurrentMeasureNumber(frame);
    record.tick = frame.currentTick;
    record.nodesLeft = static_cast<int16_t>(std::min(NodeCount(import.tags), INT16_MAX + 1) - 1);
    NiffPagePointOf(import, &record.pageStart);
    // A page point says nothing of the place from the staff.
    record.placed = HasNiffTag(import.tags, kTagPlacement) && record.pageStart.page < 0;
    if (record.placed) {
        // The file places a mark from the staff's top line.
        const int lines = std::max(frame.staves[static_cast<size_t>(std::clamp(frame.staffNumber, 0, kNiffStaffSlots - 1))].lines, 1);
        const auto fromTop = static_cast<int64_t>(NiffTagShort(import.tags, kTagPlacement, 2) * import.unitScale);
        record.vertical = static_cast<int32_t>(std::clamp<int64_t>(fromTop - (lines - 1) * kUnitsPerSpace, INT16_MIN, INT16_MAX));
    }
    return {index, true, false};
}

// A line from the record's first node to the current place, or nothing when the
// two nodes lie on different staves, or the end comes first or at the start (but
// for an ending) (counted).
bool LineFromRecord(NiffImportState& import, const NiffSpannerRecord& record, NiffLineKind kind,
                    NiffLineRequest* line) {
    const NiffFrame& frame = import.frame;
    if (record.staff != frame.staffNumber) {
        import.report.Count(kNiffSpannersAcrossStaves);
        return false;
    }
    const int measure = CurrentMeasureNumber(frame);
    if (measure < record.measure || (measure == record.measure && frame.currentTick < record.tick)) {
        import.report.Count(kNiffSpannersReversed);
        return false;
    }
    // An ending covers its measures whatever the times of its nodes in them: one
    // over a measure of a single chord ends where it starts.
    if (measure == record.measure && frame.currentTick == record.tick && kind != NiffLineKind::kEnding) {
        import.report.Count(kNiffLinesWithoutLength);
        return false;
    }
    line->kind = kind;
    line->staff = record.staff;
    line->startMeasure = record.measure;
    line->startTick = record.tick;
    line->endMeasure = measure;
    line->endTick = frame.currentTick;
    line->vertical = record.vertical;
    // Both ends on one page: the line belongs to that page.
    NiffPagePoint end;
    if (PageEnd(import, record, &end)) {
        line->page = end.page;
        line->pageStartX = record.pageStart.x;
        line->pageEndX = end.x;
        line->pageY = record.pageStart.y;
    }
    return true;
}

// The ending numbers of a text such as "1. 2. ": the first number from 1 to 9,
// then up to three more while each is from 1 to 9; {1} when the text starts
// otherwise.
std::array<uint8_t, 4> EndingPasses(const std::string& text) {
    std::array<uint8_t, 4> passes{1, 0, 0, 0};
    size_t at = 0;
    for (size_t n = 0; n < passes.size(); ++n) {
        while (n > 0 && at < text.size() && (text[at] == '.' || text[at] == ' ')) ++at;
        if (at >= text.size() || text[at] < '1' || text[at] > '9') break;
        const size_t digits = text.find_first_not_of("0123456789", at);
        if ((digits == std::string::npos ? text.size() : digits) - at != 1) break;  // 10 and more
        passes[n] = static_cast<uint8_t>(text[at] - '0');
        ++at;
    }
    return passes;
}

void MakeTupletMarkRequest(NiffSpannerState& spanners, const NiffSpannerRecord& record, int event) {
    const int grouping = record.kind[kTupletGrouping];
    int bracket = 0;
    if (grouping >= 2 && grouping <= 4) bracket = 2;
    if (grouping >= 5 && grouping <= 7) bracket = 1;
    if (grouping >= 8 && grouping <= 10) return;  // a tuplet shown without a mark
    spanners.tuplets.push_back({event, record.kind[kTupletActual], bracket});
}

// Counts the note into the current tuplet: the mark stands at the middle note;
// past the last note the tuplet ends.
void AttachNiffTupletBracket(NiffImportState& import, int event) {
    NiffSpannerState& spanners = import.frame.spanners;
    NiffSpannerRecord& record = spanners.records[static_cast<size_t>(spanners.currentTuplet)];
    const int seen = ++record.kind[kTupletSeen];
    if (seen == record.kind[kTupletCount] / 2 + 1) MakeTupletMarkRequest(spanners, record, event);
    if (seen > record.kind[kTupletCount]) {
        FreeRecord(record);
        spanners.currentTuplet = -1;
    }
}

// A slur whose last node has been met, from its first event to `last`.
void FinishSlur(NiffImportState& import, NiffSpannerRecord& record, int last) {
    if (record.firstEvent < 0) {
        import.report.Count(kNiffSpannersUnended);
    } else if (record.firstEvent == last) {
        import.report.Count(kNiffSpannersToThemselves);
    } else {
        import.frame.spanners.slurs.push_back({record.firstEvent, last, record.kind[kSlurSide]});
    }
    FreeRecord(record);
}

// A slur whose first and last nodes were placed on the same page, between their
// page points.
void FinishPageSlur(NiffImportState& import, NiffSpannerRecord& record, const NiffPagePoint& end) {
    NiffSlurRequest slur;
    slur.side = record.kind[kSlurSide];
    slur.page = end.page;
    slur.startX = record.pageStart.x;
    slur.startY = record.pageStart.y;
    slur.endX = end.x;
    slur.endY = end.y;
    slur.measures = std::max(CurrentMeasureNumber(import.frame) - record.measure, 0);
    import.frame.spanners.slurs.push_back(slur);
    FreeRecord(record);
}

void RememberSlurId(NiffSpannerState& spanners, int id) {
    for (int& slot : spanners.slurIds)
        if (slot < 0 || slot == id) {
            slot = id;
            return;
        }
}

// The busy record of `type` with `id`, or null; never takes a free one.
NiffSpannerRecord* FindBusy(NiffSpannerState& spanners, NiffSpannerType type, int id) {
    for (NiffSpannerRecord& record : spanners.records)
        if (record.type == type && record.id == id) return &record;
    return nullptr;
}

}  // namespace

int FindNiffSpanner(NiffImportState& import, NiffSpannerType type, int id) {
    NiffSpannerState& spanners = import.frame.spanners;
    std::vector<NiffSpannerRecord>& records = spanners.records;
    // Past the used records only free ones lie, which a search for a type never matches.
    const size_t searched = type == NiffSpannerType::kFree ? records.size() : spanners.used;
    for (size_t i = 0; i < searched; ++i)
        if (records[i].type == type && records[i].id == id) return static_cast<int>(i);
    for (size_t i = 0; i < records.size(); ++i)
        if (records[i].Free()) {
            FreeRecord(records[i]);
            spanners.used = std::max(spanners.used, i + 1);
            return static_cast<int>(i);
        }
    import.report.Count(kNiffSpannerTableFull);
    if (spanners.currentTuplet == 0) spanners.currentTuplet = -1;
    FreeRecord(records[0]);
    return 0;
}

int ReadNiffSlur(NiffChunkContext& context, const uint8_t*) {
    if (SkipForNiffStaff(context)) return 1;
    NiffImportState& import = *context.import;
    NiffFrame& frame = import.frame;
    const int id = SpannerId(import);
    if (id < 0) return 1;
    if (!HasOpenMeasure(frame)) {
        import.report.Count(kNiffSpannersOutsideMeasures);
        return 1;
    }
    NiffSpannerState& spanners = frame.spanners;
    const NiffEvent* note = CurrentEvent(frame);
    if (note != nullptr && note->rest) note = nullptr;
    const int index = FindNiffSpanner(import, NiffSpannerType::kSlur, id);
    NiffSpannerRecord& record = spanners.records[static_cast<size_t>(index)];
    if (record.id != id || record.type != NiffSpannerType::kSlur) {
        record = NiffSpannerRecord{};
        record.id = static_cast<int16_t>(id);
        record.type = NiffSpannerType::kSlur;
        record.staff = frame.staffNumber;
        record.measure = CurrentMeasureNumber(frame);
        record.tick = frame.currentTick;
        record.nodesLeft = static_cast<int16_t>(std::min(NodeCount(import.tags), int{INT16_MAX}));
        const int side = HasNiffTag(import.tags, kTagSide) ? import.tags.values[kTagSide][0] : 0;
        record.kind[kSlurSide] = side == 1 || side == 2 ? side : 0;
        // A chunk that follows its note starts there; else the next note takes it.
        if (note != nullptr) record.firstEvent = note->serial;
        NiffPagePointOf(import, &record.pageStart);
    } else if (record.staff != frame.staffNumber) {
        import.report.Count(kNiffSpannersAcrossStaves);
        FreeRecord(record);
        return 1;
    }
    if (note == nullptr) RememberSlurId(spanners, id);
    if (--record.nodesLeft > 0) return 1;
    NiffPagePoint end;
    if (PageEnd(import, record, &end)) {
        FinishPageSlur(import, record, end);
        return 1;
    }
    if (note != nullptr)
        FinishSlur(import, record, note->serial);
    else
        record.complete = true;  // the next note built while the ID is current ends it
    return 1;
}

int ReadNiffTie(NiffChunkContext& context, const uint8_t*) {
    if (SkipForNiffStaff(context)) return 1;
    NiffImportState& import = *context.import;
    const NiffTagState& tags = import.tags;
    if (HasNiffTag(tags, kTagMultiNodeEnd) || HasNiffTag(tags, kTagMultiNodeStart)) return 1;
    const int id = SpannerId(import);
    if (id < 0) return 1;
    NiffFrame& frame = import.frame;
    NiffNoteGroup& notes = frame.notes;
    if (!HasOpenMeasure(frame) || CurrentEvent(frame) == nullptr || CurrentEvent(frame)->rest) {
        import.report.Count(kNiffTiesWithoutNote);
        return 1;
    }
    NiffEvent& note = notes.events[static_cast<size_t>(notes.currentEvent)];
    if (note.tieIds[0] == id || note.tieIds[1] == id) {
        import.report.Count(kNiffSpannersToThemselves);
        return 1;
    }
    const int given = HasNiffTag(tags, kTagSide) ? tags.values[kTagSide][0] : 0;
    const auto side = static_cast<uint8_t>(given == 1 || given == 2 ? given : 0);
    for (size_t k = 0; k < note.tieIds.size(); ++k)
        if (note.tieIds[k] < 0) {
            note.tieIds[k] = id;
            note.tieSides[k] = side;
            break;
        }
    return 1;
}

int ReadNiffHairpin(NiffChunkContext& context, const uint8_t* fixedPart) {
    if (SkipForNiffStaff(context) || fixedPart == nullptr) return 1;
    NiffImportState& import = *context.import;
    const NodeStep step = StepNode(import, NiffSpannerType::kHairpin);
    if (step.index < 0) return 1;
    NiffSpannerRecord& record = import.frame.spanners.records[static_cast<size_t>(step.index)];
    if (step.first) {
        record.kind[kHairpinClosing] = fixedPart[0] == 2 ? 1 : 0;
        record.kind[kHairpinHeight] = HasNiffTag(import.tags, kTagHeight) ? NiffTagShort(import.tags, kTagHeight, 0) : 0;
        const bool above = HasNiffTag(import.tags, kTagLogicalPlacement) &&
                           import.tags.values[kTagLogicalPlacement][1] == kLogicalAbove;
        if (!record.placed) record.vertical = above ? kHairpinAbove : kHairpinBelow;
    }
    if (!step.last) return 1;
    NiffLineRequest line;
    if (LineFromRecord(import, record, NiffLineKind::kHairpin, &line)) {
        line.closing = record.kind[kHairpinClosing] != 0;
        line.placed = record.placed;
        const int64_t scaled = NiffVerticalUnits(import, record.staff, record.kind[kHairpinHeight]);
        line.opening = scaled > kLeastScaledHeight ? static_cast<int32_t>(std::min<int64_t>(scaled / 2, INT16_MAX))
                                                   : kHalfOpening;
        import.frame.spanners.lines.push_back(line);
    }
    FreeRecord(record);
    return 1;
}

int ReadNiffOctaveSign(NiffChunkContext& context, const uint8_t* fixedPart) {
    if (SkipForNiffStaff(context) || fixedPart == nullptr) return 1;
    NiffImportState& import = *context.import;
    const NodeStep step = StepNode(import, NiffSpannerType::kOctave);
    if (step.index < 0) return 1;
    NiffSpannerRecord& record = import.frame.spanners.records[static_cast<size_t>(step.index)];
    if (step.first) {
        record.kind[kOctaveDirection] = fixedPart[1];
        record.kind[kOctaveLine] =
            HasNiffTag(import.tags, kTagLineQuality) ? import.tags.values[kTagLineQuality][0] : kNoLineStyle;
        if (!record.placed) record.vertical = fixedPart[1] == 1 ? kOctaveAbove : kOctaveBelow;
    }
    if (!step.last) return 1;
    NiffLineRequest line;
    if (LineFromRecord(import, record, NiffLineKind::kOctave, &line)) {
        line.above = record.kind[kOctaveDirection] == 1;
        line.lineShown = record.kind[kOctaveLine] != 0;
        import.frame.spanners.lines.push_back(line);
    }
    FreeRecord(record);
    return 1;
}

int ReadNiffEnding(NiffChunkContext& context, const uint8_t* fixedPart) {
    if (SkipForNiffStaff(context) || fixedPart == nullptr) return 1;
    NiffImportState& import = *context.import;
    const NodeStep step = StepNode(import, NiffSpannerType::kEnding);
    if (step.index < 0) return 1;
    NiffSpannerRecord& record = import.frame.spanners.records[static_cast<size_t>(step.index)];
    const int type = fixedPart[0];
    const auto text = static_cast<int>(std::min<uint32_t>(NiffFixedLong(fixedPart, 2), INT32_MAX));
    if (step.first) {
        record.kind[kEndingType] = type;
        record.kind[kEndingText] = text;
        if (!record.placed) record.vertical = kEndingAbove;
    } else if (text > record.kind[kEndingText] || type > record.kind[kEndingType]) {
        record.kind[kEndingType] = type;
        record.kind[kEndingText] = text;
    }
    if (!step.last) return 1;
    NiffLineRequest line;
    if (LineFromRecord(import, record, NiffLineKind::kEnding, &line)) {
        const int kind = record.kind[kEndingType];
        line.startHook = kind == 1 || kind == 3;
        line.endHook = kind == 2 || kind == 3;
        line.passes = EndingPasses(NiffString(import, static_cast<uint32_t>(record.kind[kEndingText]), kEndingTextChars));
        import.frame.spanners.lines.push_back(line);
    }
    FreeRecord(record);
    return 1;
}

int ReadNiffTuplet(NiffChunkContext& context, const uint8_t*) {
    if (SkipForNiffStaff(context)) return 1;
    NiffImportState& import = *context.import;
    NiffFrame& frame = import.frame;
    NiffSpannerState& spanners = frame.spanners;
    spanners.currentTuplet = -1;
    const int id = SpannerId(import);
    if (id < 0) return 1;
    if (!HasOpenMeasure(frame)) {
        import.report.Count(kNiffSpannersOutsideMeasures);
        return 1;
    }
    const int index = FindNiffSpanner(import, NiffSpannerType::kTuplet, id);
    NiffSpannerRecord& record = spanners.records[static_cast<size_t>(index)];
    if (record.id == id && record.type == NiffSpannerType::kTuplet) {
        if (record.kind[kTupletCount] < 1) {
            FreeRecord(record);
            return 1;
        }
    } else {
        const NiffTagState& tags = import.tags;
        const int count = HasNiffTag(tags, kTagNodes) ? NiffTagShort(tags, kTagNodes, 0) : 0;
        const int actual = NiffTagShort(tags, kTagTuplet, 0);
        const int normal = NiffTagShort(tags, kTagTuplet, 4);
        if (count <= 0 || !HasNiffTag(tags, kTagTuplet) || actual <= 0 || normal <= 0 ||
            NiffTagShort(tags, kTagTuplet, 2) <= 0) {
            import.report.Count(kNiffTupletsWithoutRatio);
            return 1;
        }
        if (!NiffTupletRatioHeld(actual, normal)) import.report.Count(kNiffTupletsRatioRounded);
        record = NiffSpannerRecord{};
        record.id = static_cast<int16_t>(id);
        record.type = NiffSpannerType::kTuplet;
        record.staff = frame.staffNumber;
        record.kind[kTupletActual] = actual;
        record.kind[kTupletNormal] = normal;
        record.kind[kTupletGrouping] = tags.values[kTagTuplet][8];
        record.kind[kTupletCount] = count;
    }
    spanners.currentTuplet = index;
    // A tuplet chunk after a rest applies to that rest at once.
    NiffNoteGroup& notes = frame.notes;
    const NiffEvent* current = CurrentEvent(frame);
    if (current == nullptr || !current->rest) return 1;
    NiffEvent& rest = notes.events[static_cast<size_t>(notes.currentEvent)];
    const NiffTupletFields fields = NiffTupletOf(record.kind[kTupletActual], record.kind[kTupletNormal]);
    rest.tupletId = record.id;
    rest.tupletKind = fields.kind;
    rest.tupletValue = fields.value;
    rest.duration = NiffEventTicks(rest);
    if (notes.currentGroup >= 0 && notes.stemGroups[static_cast<size_t>(notes.currentGroup)].events == 1)
        AttachNiffTupletBracket(import, rest.serial);
    return 1;
}

void ResetNiffNoteReferences(NiffImportState& import) {
    NiffSpannerState& spanners = import.frame.spanners;
    spanners.currentTuplet = -1;
    spanners.slurIds.fill(-1);
}

void EndNiffTuplets(NiffImportState& import) {
    NiffSpannerState& spanners = import.frame.spanners;
    for (size_t i = 0; i < spanners.used; ++i) {
        NiffSpannerRecord& record = spanners.records[i];
        if (record.type == NiffSpannerType::kTuplet || record.type == NiffSpannerType::kBeam) FreeRecord(record);
    }
    spanners.currentTuplet = -1;
}

NiffEventTuplet TakeNiffEventReferences(NiffImportState& import, NiffEvent& event) {
    NiffSpannerState& spanners = import.frame.spanners;
    event.serial = spanners.nextSerial++;
    if (event.rest || spanners.currentTuplet < 0) return {};
    const NiffSpannerRecord& record = spanners.records[static_cast<size_t>(spanners.currentTuplet)];
    const NiffTupletFields fields = NiffTupletOf(record.kind[kTupletActual], record.kind[kTupletNormal]);
    event.tupletId = record.id;
    event.tupletKind = fields.kind;
    event.tupletValue = fields.value;
    return {record.kind[kTupletActual], record.kind[kTupletNormal]};
}

int32_t NiffEventTicks(const NiffEvent& event) {
    const int value = event.tupletValue;
    return std::max(ComputeDurationTicks(event.tupletKind, event.dots, event.code, 0, value, value >> 4, value & 0x0F, 0, 0), 1);
}

void ClaimNiffSpanners(NiffImportState& import, const NiffEvent& event, bool firstOfGroup) {
    if (!firstOfGroup || event.rest) return;
    NiffSpannerState& spanners = import.frame.spanners;
    if (spanners.currentTuplet >= 0) AttachNiffTupletBracket(import, event.serial);
    for (int id : spanners.slurIds) {
        if (id < 0) continue;
        NiffSpannerRecord* record = FindBusy(spanners, NiffSpannerType::kSlur, id);
        if (record == nullptr) continue;
        if (record->firstEvent < 0)
            record->firstEvent = event.serial;
        else if (record->complete)
            FinishSlur(import, *record, event.serial);
    }
}

std::vector<NiffTiedVoice> NiffTiedVoices(const NiffImportState& import, int staff) {
    std::vector<NiffTiedVoice> voices;
    if (staff < 0 || staff >= kNiffTieStaffSlots) return voices;
    for (const NiffPendingTie& pending : import.frame.spanners.pendingTies[static_cast<size_t>(staff)])
        voices.push_back({pending.tieId, pending.voice});
    return voices;
}

void MatchNiffTies(NiffImportState& import, int staff, const NiffStaffMeasure& measure) {
    if (staff < 0 || staff >= kNiffTieStaffSlots) return;
    NiffSpannerState& spanners = import.frame.spanners;
    std::vector<NiffPendingTie>& pending = spanners.pendingTies[static_cast<size_t>(staff)];
    // The measure's tied notes in time order, with their voices.
    struct Tied {
        const NiffEvent* event;
        int voice;
    };
    std::vector<Tied> tied;
    for (size_t v = 0; v < measure.voices.size(); ++v)
        for (const NiffEvent& event : measure.voices[v].events)
            if (event.tieIds[0] >= 0 || event.tieIds[1] >= 0) tied.push_back({&event, static_cast<int>(v)});
    std::stable_sort(tied.begin(), tied.end(), [](const Tied& a, const Tied& b) { return a.event->tick < b.event->tick; });
    for (const Tied& note : tied)
        for (size_t k = 0; k < note.event->tieIds.size(); ++k) {
            const int id = note.event->tieIds[k];
            if (id < 0) continue;
            auto partner = std::find_if(pending.begin(), pending.end(), [&](const NiffPendingTie& p) {
                return p.tieId == id && p.event != note.event->serial;
            });
            if (partner == pending.end()) {
                pending.push_back({id, note.event->serial, note.voice, note.event->tieSides[k]});
                continue;
            }
            // A side given at either end decides, above before below.
            const int ends[2] = {partner->side, note.event->tieSides[k]};
            const int side = ends[0] == 1 || ends[1] == 1 ? 1 : ends[0] == 2 || ends[1] == 2 ? 2 : 0;
            spanners.ties.push_back({partner->event, note.event->serial, side});
            pending.erase(partner);
        }
}

void CountUnendedNiffSpanners(NiffImportState& import) {
    NiffSpannerState& spanners = import.frame.spanners;
    for (NiffSpannerRecord& record : spanners.records) {
        if (record.Free()) continue;
        if (record.type != NiffSpannerType::kTuplet && record.type != NiffSpannerType::kBeam)
            import.report.Count(kNiffSpannersUnended);
        FreeRecord(record);
    }
    for (std::vector<NiffPendingTie>& pending : spanners.pendingTies) {
        if (!pending.empty()) import.report.Count(kNiffTiesUnended, static_cast<int>(pending.size()));
        pending.clear();
    }
}

}  // namespace ql::niff
