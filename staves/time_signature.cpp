// Setting and stepping time signatures. A signature is written into every staff's
// cell (staff 0 too, whose cells the new staves copy) from the location measure to
// an end measure, and every measure of that range takes the length, the default
// stretch and margins and the width of its new length. The limits are checked first:
// a refused signature changes nothing, not even the modified mark.
#include "staves/time_signature.h"

#include <algorithm>
#include <cstdio>
#include <string>

#include "core/core_strings.h"
#include "core/model/document.h"
#include "core/model/grid.h"
#include "core/model/pages.h"
#include "core/model/score_document.h"
#include "core/settings/preference_defaults.h"
#include "core/settings/program_options.h"
#include "core/ui/modal_boxes.h"
#include "display/linked_views.h"
#include "display/view_location.h"
#include "layout/measure_format.h"
#include "layout/measure_spacing.h"
#include "layout/page_format.h"
#include "layout/spacing/spacing_collect.h"
#include "notes/beatmap/beat_map.h"
#include "platform/ui/message_box.h"

namespace ql {

namespace {

constexpr int kLongestShift = 30;
constexpr int kMostBeatsShiftBase = 16;  // 65,536 = 1 << 16
// Bit 4 of a staff's flag byte in a system: the time signature at the system's start
// is not repeated there.
constexpr int8_t kSystemStaffTimeBit = 0x10;
constexpr int32_t kUnitsPerStep = 64;
constexpr int kUpperNumberSteps = 4;

bool SameSignature(const MeasureCell* a, const MeasureCell* b) {
    return a != nullptr && b != nullptr && a->beats == b->beats && a->beatUnit == b->beatUnit;
}

int LastTableMeasure(const ScoreDocument* document) {
    return std::min<int>(document->header.measureCount + kSpareMeasures, MaxMeasures - 1);
}

// The measure before the first one after `from` whose staff-1 cell differs from
// `from`'s; the end of the table when none does.
int LastBeforeChange(ScoreDocument* document, int from) {
    const MeasureCell* start = FindMeasureCell(document, 1, from);
    const int last = LastTableMeasure(document);
    for (int m = from + 1; m <= last; ++m)
        if (!SameSignature(start, FindMeasureCell(document, 1, m))) return m - 1;
    return last;
}

void ClearSystemTimeBit(ScoreSystem* system, int staff) {
    int8_t* flags = StaffFlagsOf(system);
    if (flags != nullptr) flags[staff] = static_cast<int8_t>(flags[staff] & ~kSystemStaffTimeBit);
}

// The system after the one holding a measure: the next of its page, else the first of
// the next page.
ScoreSystem* SystemAfterMeasure(ScoreView* view, int measure) {
    ScoreSystem* system = SystemOfMeasureInScore(view, measure);
    if (system == nullptr) return nullptr;
    if (ScoreSystem* next = system->next.get()) return next;
    ScorePage* page = PageOfMeasure(view->document, measure);
    ScorePage* nextPage = page != nullptr ? page->next.get() : nullptr;
    return nextPage != nullptr ? nextPage->firstSystem.get() : nullptr;
}

// The signature into the cells first..last of every staff; the systems whose start
// shows a change get their time bit cleared.
void WriteCells(ScoreView* view, int location, int last, int beats, int code) {
    ScoreDocument* document = view->document;
    const int from = location == 1 ? 0 : location;
    ScoreSystem* system = SystemOfMeasureInScore(view, location);
    const bool startsSystem = system != nullptr && system->firstMeasure == location;
    ScoreSystem* after = last < document->header.measureCount ? SystemAfterMeasure(view, last) : nullptr;
    for (int staff = 0; staff <= document->header.staffCount; ++staff) {
        if (location >= 2 && startsSystem) {
            const MeasureCell* before = FindMeasureCell(document, staff, location - 1);
            if (before == nullptr || before->beats != beats || before->beatUnit != code)
                ClearSystemTimeBit(system, staff);
        }
        if (after != nullptr) {
            const MeasureCell* next = FindMeasureCell(document, staff, last + 1);
            if (next == nullptr || next->beats != beats || next->beatUnit != code)
                ClearSystemTimeBit(after, staff);
        }
        for (int m = from; m <= last; ++m) {
            if (MeasureCell* cell = FindMeasureCell(document, staff, m)) {
                cell->beats = static_cast<uint8_t>(beats);
                cell->beatUnit = static_cast<uint8_t>(code);
            }
        }
    }
}

// Length, default stretch and margins, and the width of the new length.
void WriteMeasures(ScoreDocument* document, int location, int last, uint16_t ticks) {
    if (location == 1) MeasureRecordOf(document, 0)->lengthTicks = ticks;
    for (int m = location; m <= last; ++m) {
        MeasureRecord* record = MeasureRecordOf(document, m);
        if (record == nullptr) continue;
        record->stretch = ProgramPreferences().DefaultStretchFactor;
        record->lengthTicks = ticks;
        record->lead = static_cast<int16_t>(document->internalDistances[0]);
        record->trail = static_cast<int16_t>(document->internalDistances[1]);
        record->width = MeasureWidth(document, m);
    }
}

void Relayout(ScoreView* view, int location, int last) {
    if (view->currentPage != nullptr) {
        ScorePage* page = PageOfMeasure(view->document, location);
        if (page != nullptr) PlaceSystemsThroughMeasure(view, page, location, last + 1);
        UpdateBeatMaps(view, 1);
    }
    InvalidateLinkedViews(view);
}

bool HasLocation(const ScoreView* view) {
    return view != nullptr && view->document != nullptr && view->document->measureTable &&
           view->currentMeasure >= 1 && view->currentMeasure <= view->document->header.measureCount;
}

}  // namespace

int64_t SignatureTicks(int beats, int code) {
    if (code < 0 || code > kLongestShift || beats < 0) return 0;
    return int64_t{beats} << code;
}

bool IsSignatureAccepted(int beats, int code) {
    const int64_t ticks = SignatureTicks(beats, code);
    return beats >= 1 && ticks >= kShortestSignatureTicks && ticks <= kLongestSignatureTicks;
}

int MostBeatsForCode(int code) {
    if (code < 0 || code > kMostBeatsShiftBase) return 0;
    return std::min(kMostBeats, (1 << kMostBeatsShiftBase) >> code);
}

int LowerNumberOfCode(int code) {
    if (code < kShortestBeatCode || code > kWholeBeatCode) return 0;
    return 1 << (kWholeBeatCode - code);
}

bool IsDrawnAsSymbol(int beats, int code) {
    if (Options().CommonCut == 0) return false;
    return (beats == kCommonTimeBeats && code == kQuarterBeatCode) ||
           (beats == kCutTimeBeats && code == kHalfBeatCode);
}

void ShowSignatureLimit() {
    char text[96];
    std::snprintf(text, sizeof text, kSignatureLimitFormat, kLimitSixteenths, kLimitQuarters);
    ModalMessageBox(text, ProgramString(kStrProductName), ui::kBoxOk | ui::kBoxIconExclamation);
}

int SetTimeSignature(ScoreView* view, int beats, int code, int last) {
    if (!HasLocation(view)) return 0;
    if (!IsSignatureAccepted(beats, code)) {
        ShowSignatureLimit();
        return 0;
    }
    ScoreDocument* document = view->document;
    const int location = view->currentMeasure;
    if (last == kUpToFirstChange) last = LastBeforeChange(document, location);
    last = std::clamp(last, location, LastTableMeasure(document));
    SetDocumentModified(document);
    WriteCells(view, location, last, beats, code);
    WriteMeasures(document, location, last, static_cast<uint16_t>(SignatureTicks(beats, code)));
    Relayout(view, location, last);
    return 1;
}

bool PointerStepsUpperNumber(int32_t pointerY, int32_t staffY) {
    const int32_t offset = pointerY - staffY;
    const int32_t half = kUnitsPerStep / 2;
    const int32_t steps = offset >= 0 ? (offset + half) / kUnitsPerStep : -((-offset + half) / kUnitsPerStep);
    return steps < -kUpperNumberSteps;
}

int StepTimeSignature(ScoreView* view, int step, bool upper) {
    if (!HasLocation(view) || (step != 1 && step != -1)) return 0;
    ScoreDocument* document = view->document;
    const int location = view->currentMeasure;
    const MeasureCell* cell = FindMeasureCell(document, 1, location);
    if (cell == nullptr) return 0;
    int beats = cell->beats;
    int code = cell->beatUnit;
    if (upper) beats += step;
    else code += step;
    const bool inLimits = code >= kShortestBeatCode && code <= kWholeBeatCode && beats >= 1 &&
                          beats <= MostBeatsForCode(code);
    if (!inLimits || !IsSignatureAccepted(beats, code)) {
        ShowSignatureLimit();
        return 0;
    }
    const int last = LastTableMeasure(document);
    SetDocumentModified(document);
    WriteCells(view, location, last, beats, code);
    WriteMeasures(document, location, last, static_cast<uint16_t>(SignatureTicks(beats, code)));
    Relayout(view, location, last);
    return 1;
}

}  // namespace ql
