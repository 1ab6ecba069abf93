// Signatures of an imported file into the measures.
#include "interchange/smf/smf_import_signatures.h"

#include <algorithm>

#include "core/model/document.h"
#include "core/model/grid.h"
#include "core/model/score_document.h"
#include "core/model/view.h"
#include "sequencer/transcription_stream.h"

namespace ql {
namespace {

constexpr int kWholeExponent = 12;
constexpr int kLargestDenominatorExponent = 8;
constexpr int kShortestMeasure = 512;
constexpr int kLongestMeasure = 32768;
constexpr int kMostAccidentals = 7;
constexpr int kKeyShift = 4;
constexpr uint8_t kClefMask = 0x0F;
constexpr uint16_t kMinorKeyBit = 0x1000;
constexpr int kScoreQuarter = 1024;

int MeasureReached(int staff) {
    const TranscriptionStaff& st = TranscriptionStaffState(staff);
    return st.initialised ? std::max(st.currentMeasure, 1) : 1;
}

}  // namespace

ImportSignatures BeginImportSignatures(ScoreView* view, int resolution) {
    ImportSignatures signatures;
    signatures.resolution = resolution;
    ScoreDocument* document = view->document;
    StaffRecord* record = StaffRecordOf(document, 1);
    if (record != nullptr && document->header.measureCount >= 1) {
        if (const MeasureCell* cell = GetOrCreateMeasureCell(record, document, 1); cell != nullptr && cell->beats != 0) {
            signatures.beats = cell->beats;
            signatures.unit = cell->beatUnit;
        }
    }
    return signatures;
}

void ApplyTimeSignature(ImportSignatures& signatures, ScoreView* view, int staff, uint8_t beats,
                        uint8_t denominator) {
    if (beats == 0 || denominator > kLargestDenominatorExponent) return;
    const int unit = kWholeExponent - denominator;
    const int length = unit >= 0 ? beats << unit : 0;
    if (length < kShortestMeasure || length > kLongestMeasure) return;
    if (beats == signatures.beats && unit == signatures.unit) return;
    signatures.beats = beats;
    signatures.unit = unit;
    ScoreDocument* document = view->document;
    const int from = MeasureReached(staff);
    const int count = document->header.measureCount;
    const bool upbeat = from == 2 && signatures.firstMeasureSet && count >= 1 &&
                        MeasureRecordOf(document, 1)->lengthTicks < length;
    signatures.firstMeasureSet = from == 1;
    for (int m = from; m <= std::min(count + ql::kSpareMeasures, MeasureLimit); ++m)
        MeasureRecordOf(document, m)->lengthTicks = static_cast<uint16_t>(std::min(length, 0xFFFF));
    for (int s = 0; s <= document->header.staffCount; ++s) {
        StaffRecord* record = StaffRecordOf(document, s);
        if (record == nullptr) continue;
        for (int m = upbeat ? 1 : from; m <= std::min(count + ql::kSpareMeasures, MeasureLimit); ++m) {
            if (MeasureCell* cell = GetOrCreateMeasureCell(record, document, m)) {
                cell->beats = beats;
                cell->beatUnit = static_cast<uint8_t>(unit);
            }
        }
        TranscriptionStaff& st = TranscriptionStaffState(s);
        if (st.initialised && st.currentMeasure >= from)
            st.length = static_cast<int32_t>(std::max<int64_t>(int64_t{length} * signatures.resolution / kScoreQuarter, 1));
    }
}

void ApplyKeySignature(ImportSignatures& /*signatures*/, ScoreView* view, int staff, bool everyStaff, uint8_t sharps,
                       uint8_t minor) {
    const int sf = static_cast<int8_t>(sharps);
    if (sf < -kMostAccidentals || sf > kMostAccidentals) return;
    const uint8_t code = static_cast<uint8_t>(sf + kMostAccidentals);
    ScoreDocument* document = view->document;
    const int from = MeasureReached(staff);
    const int first = everyStaff ? 0 : staff;
    const int last = everyStaff ? document->header.staffCount : staff;
    for (int s = first; s <= last; ++s) {
        StaffRecord* record = StaffRecordOf(document, s);
        if (record == nullptr) continue;
        // The spare cells too: the measures appended later are made from them.
        for (int m = from; m <= std::min(document->header.measureCount + ql::kSpareMeasures, MeasureLimit); ++m)
            if (MeasureCell* cell = GetOrCreateMeasureCell(record, document, m))
                cell->clefKey = static_cast<uint8_t>((cell->clefKey & kClefMask) | (code << kKeyShift));
        if ((minor & 1) != 0) record->transpositionWord |= kMinorKeyBit;
        else record->transpositionWord &= static_cast<uint16_t>(~kMinorKeyBit);
    }
}

}  // namespace ql
