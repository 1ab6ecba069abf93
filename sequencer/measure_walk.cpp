// The measure walk of a run: the run-local repeat table and the played order.
//
// Barline of row m = the barline before measure m; an end repeat there (kind 6 or
// 7) sends the walk back while its counter lasts: to the nearest earlier repeat
// start (kind 5 or 7 in either nibble), reloading the spent counters of the end
// repeats in between, so that inner repeats play again on each outer pass; with
// no repeat start before it, to just after the previous end repeat, or to
// measure 1 when there is none (`1 2 :| 3 4 :| 5` plays 1 2 1 2 3 4 3 4 5: the
// repeat already taken is not taken again). The barline after the last measure
// of the range is looked at too, so a repeat sign on the final barline plays,
// unless the range ends in an ending.
// The pass an ending is compared with is the pass of the repeat being played (1
// the first time through, 2 after the first jump back...): a count kept per
// measure would give a second ending, first reached after the jump, the pass 1
// and skip it. A multi-measure rest lasts all the bars it stands for.
#include "sequencer/measure_walk.h"

#include <algorithm>

#include "core/model/document.h"
#include "core/model/grid.h"
#include "core/objects/score_object.h"
#include "core/ui/status_bar_notes.h"
#include "objects/spanners/spanner_objects.h"

namespace ql {
namespace {

constexpr uint8_t kLowNibble = 0x0F;
constexpr int kHighNibbleShift = 4;
constexpr int kVoices = 4;
constexpr int kMaxListObjects = 64 * 1024;
constexpr int kLongestEnding = 127;

bool IsEndRepeatKind(int kind) {
    return kind == static_cast<int>(BarlineType::EndRepeat) || kind == static_cast<int>(BarlineType::BothRepeats);
}
bool IsStartRepeatKind(int kind) {
    return kind == static_cast<int>(BarlineType::StartRepeat) || kind == static_cast<int>(BarlineType::BothRepeats);
}
bool HasEndRepeat(const MeasureRecord& record) { return IsEndRepeatKind(record.barline & kLowNibble); }
bool HasStartRepeat(const MeasureRecord& record) {
    return IsStartRepeatKind(record.barline & kLowNibble) || IsStartRepeatKind(record.barline >> kHighNibbleShift);
}

int RowCount(const ScoreDocument* document) {
    return std::min<int>(document->header.measureCount + 2, kMeasurePlayRows);
}

// Copies the passes of each repeat ending into the rows of the measures it covers.
void LoadEndings(ScoreDocument* document, std::vector<MeasurePlayRow>& rows) {
    const int count = document->header.measureCount;
    for (int measure = 1; measure <= count; ++measure) {
        for (int staff = 1; staff <= document->header.staffCount; ++staff) {
            MeasureCell* cell = ExistingMeasureCell(document, staff, measure);
            ScoreObject* object = cell != nullptr ? cell->objects.get() : nullptr;
            for (int i = 0; object != nullptr && i < kMaxListObjects; ++i, object = object->next.get()) {
                if (object->type != TypeCode(ObjectType::RepeatEnding)) continue;
                const RepeatEndingObject* ending = AsRepeatEnding(object);
                const int span = std::clamp<int>(ending->span, 1, kLongestEnding);
                for (int m = measure; m < measure + span && m < static_cast<int>(rows.size()); ++m) {
                    std::copy(std::begin(ending->passes), std::end(ending->passes), rows[m].endings.begin());
                    rows[m].endingFlag = 1;
                }
            }
        }
    }
}

bool PlaysOnPass(const MeasurePlayRow& row, int pass) {
    if (!row.endingFlag) return true;
    return std::find(row.endings.begin(), row.endings.end(), static_cast<uint8_t>(pass)) != row.endings.end() ||
           std::all_of(row.endings.begin(), row.endings.end(), [](uint8_t e) { return e == 0; });
}

// The walk's moving parts.
struct Walker {
    ScoreDocument* document;
    MeasurePlayTable table;
    std::vector<uint8_t> passOfStart;  // per repeat start: the pass being played
    int pass = 1;

    // Where the end repeat at the barline before `measure` goes back to: the
    // nearest repeat start, else just after the previous end repeat, else 1.
    int RepeatStartFor(int measure) const {
        for (int start = measure - 1; start > 1; --start)
            if (HasStartRepeat(*MeasureRecordOf(document, start))) return start;
        for (int after = measure - 1; after > 1; --after)
            if (HasEndRepeat(*MeasureRecordOf(document, after))) return after;
        return 1;
    }

    // At the barline before `measure`: the measure the walk goes on with.
    int TakeRepeat(int measure) {
        MeasurePlayRow& row = table.rows[measure];
        const MeasureRecord* record = MeasureRecordOf(document, measure);
        if (record == nullptr || !HasEndRepeat(*record) || row.repeatCounter == 0) return measure;
        --row.repeatCounter;
        const int start = RepeatStartFor(measure);
        for (int inner = start + 1; inner < measure; ++inner) {
            const MeasureRecord* innerRecord = MeasureRecordOf(document, inner);
            if (HasEndRepeat(*innerRecord) && table.rows[inner].repeatCounter == 0)
                table.rows[inner].repeatCounter = innerRecord->repeatCount;
        }
        if (passOfStart[start] < UINT8_MAX) ++passOfStart[start];
        pass = passOfStart[start];
        return start;
    }
};

}  // namespace

PlayedMeasure PlayMeasureAt(ScoreDocument* document, int measure, int32_t start) {
    const MeasureRecord& record = *MeasureRecordOf(document, measure);
    const int bars = record.extra + 1;
    return PlayedMeasure{static_cast<uint16_t>(measure), start, record.lengthTicks * bars, bars};
}

MeasurePlayTable ClearStaffPerformanceTable(ScoreDocument* document) {
    MeasurePlayTable table;
    if (document == nullptr) return table;
    table.rows.assign(RowCount(document), MeasurePlayRow{});
    for (int measure = 1; measure < static_cast<int>(table.rows.size()); ++measure) {
        const MeasureRecord* record = MeasureRecordOf(document, measure);
        if (record == nullptr) continue;
        if (HasEndRepeat(*record)) {
            table.rows[measure].repeatCounter = record->repeatCount;
            table.hasEndRepeat = true;
        }
    }
    if (table.hasEndRepeat) LoadEndings(document, table.rows);
    return table;
}

std::vector<PlayedMeasure> WalkPlayedMeasures(ScoreDocument* document, int first, int last) {
    std::vector<PlayedMeasure> played;
    if (document == nullptr) return played;
    last = std::min<int>(last, document->header.measureCount);
    if (first < 1 || last < first) return played;
    Walker walker{document, ClearStaffPerformanceTable(document), {}, 1};
    walker.passOfStart.assign(walker.table.rows.size(), 1);
    int32_t start = 0;
    bool sounding = false;
    int measure = 1;
    bool skipped = false;  // a measure passed over does not take the barline after it
    // A range that ends in an ending stops there: the pass after a jump back would
    // leave the range before its next ending.
    const bool endsInAnEnding = walker.table.rows[last].endingFlag != 0;
    for (int steps = 0; steps < kMaxPlayedMeasures; ++steps) {
        const bool closingBarline = measure == last + 1;
        if (steps > 0 && !skipped && !(closingBarline && endsInAnEnding)) measure = walker.TakeRepeat(measure);
        if (measure > last) break;  // past the range, and no repeat back into it
        if (HasStartRepeat(*MeasureRecordOf(document, measure)) && walker.passOfStart[measure] == 1) walker.pass = 1;
        MeasurePlayRow& row = walker.table.rows[measure];
        if (row.pass < UINT8_MAX) ++row.pass;
        skipped = !PlaysOnPass(row, walker.pass);
        if (!skipped) {
            sounding = sounding || measure == first;
            if (sounding) {
                played.push_back(PlayMeasureAt(document, measure, start));
                start += played.back().length;
            }
        } else {
            row.storedPass = static_cast<uint8_t>(row.pass - 1);
        }
        ++measure;
    }
    return played;
}

int LastSoundingMeasure(ScoreDocument* document, int first, int last) {
    int found = 0;
    for (int measure = last; measure >= first && found == 0; --measure) {
        for (int staff = 1; staff <= document->header.staffCount && found == 0; ++staff) {
            MeasureCell* cell = ExistingMeasureCell(document, staff, measure);
            for (int voice = 0; cell != nullptr && voice < kVoices; ++voice)
                if (GetVoiceFirstEvent(cell, voice) != nullptr) found = measure;
        }
    }
    if (found == 0) return 0;
    int closing = 0;
    for (int measure = found + 1; measure <= last + 1; ++measure) {
        const MeasureRecord* record = MeasureRecordOf(document, measure);
        if (record != nullptr && HasEndRepeat(*record)) closing = measure;
    }
    return closing != 0 ? closing - 1 : found;
}

}  // namespace ql
