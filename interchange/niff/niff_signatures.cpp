// Clefs, key signatures and time signatures of a NIFF import, and their handlers.
#include "interchange/niff/niff_signatures.h"

#include <algorithm>
#include <bit>

#include "interchange/niff/niff_handlers.h"
#include "interchange/niff/niff_import_state.h"

namespace ql::niff {
namespace {

constexpr int kAny = -1;
constexpr NiffClefRow kClefRows[] = {
    {1, 0, 2, 0, 58},      {2, 0, 6, 3, 61},      {3, 0, 4, 2, 60},       {3, 0, 6, 1, 59},
    {1, 1, 2, 6, 64},      {1, 2, 2, 7, 65},      {2, 1, 6, 8, 66},       {2, 2, 6, 9, 67},
    {3, 0, 0, 10, 60},     {3, 0, 2, 12, 60},     {3, 0, 5, 13, 60},      {3, 0, 8, 14, 60},
    {6, kAny, kAny, 11, 0}, {4, kAny, kAny, 5, 63}, {2, 0, 4, 4, 62},      {1, 3, 2, 6, 64},
    {1, 4, 2, 7, 65},      {2, 3, 6, 8, 66},      {2, 4, 6, 9, 67},       {5, 1, 2, 6, 64},
    {5, 3, 2, 6, 64},      {5, 2, 2, 7, 65},      {5, 4, 2, 7, 65},       {3, 0, 7, 10, 60},
    {3, 0, 1, 14, 60},     {3, kAny, kAny, 2, 60}, {2, kAny, kAny, 3, 61}, {kAny, kAny, kAny, 0, 58},
};

constexpr bool ClefTableHolds() {
    constexpr size_t rows = sizeof kClefRows / sizeof kClefRows[0];
    const NiffClefRow& last = kClefRows[rows - 1];
    if (rows != 28 || last.shape != kAny || last.octave != kAny || last.step != kAny) return false;
    for (const NiffClefRow& row : kClefRows)
        if (row.kind > 14) return false;  // a clef kind fits the cell's four bits
    return true;
}
static_assert(ClefTableHolds(), "28 clef rows, kinds of four bits, the last matching any clef");

constexpr int kKeyCodes = 15;
constexpr int32_t kShortestMeasure = 512;
constexpr int32_t kLongestMeasure = 32768;
constexpr char kBadSignKind[] = "key and time signatures out of range";

bool Matches(int want, int value) {
    return want == kAny || want == value;
}

// Whether a sign read now stands at the start of the current measure.
bool AtMeasureStart(const NiffFrame& frame) {
    return frame.currentTick == 0;
}

bool HasCurrentNode(const NiffFrame& frame) {
    return frame.measureOpen && !frame.pastMeasureLimit && frame.currentMeasure < frame.measures.size();
}

// A change at the current tick inside the current measure becomes an object half
// way between the previous event and this one; past the measure's end nothing.
void AddChangeInMeasure(NiffFrame& frame, bool key, uint8_t code) {
    const NiffMeasureNode& node = frame.measures[frame.currentMeasure];
    if (frame.currentTick >= std::max(NiffSignatureTicks(node), node.lengthTicks)) return;
    const int32_t tick = (frame.previousTick + frame.currentTick) / 2;
    frame.signChanges.push_back({key, frame.staffNumber, node.number, tick, code});
}

}  // namespace

NiffClefRow NiffClefOf(int shape, int octave, int step) {
    for (const NiffClefRow& row : kClefRows)
        if (Matches(row.shape, shape) && Matches(row.octave, octave) && Matches(row.step, step)) return row;
    return kClefRows[std::size(kClefRows) - 1];
}

int NiffKeyCode(int code) {
    if (code < 0 || code >= kKeyCodes) return -1;
    return code <= 7 ? code + 7 : 14 - code;
}

NiffTimeSignature NiffTimeOf(int8_t top, uint8_t bottom) {
    NiffTimeSignature time;
    int beats = top;
    int below = bottom;
    if (static_cast<int8_t>(bottom) < 0) {
        time.symbol = true;
        beats = static_cast<uint8_t>(top) == 0xFF ? 4 : 2;
        below = beats == 4 ? 4 : 2;
    }
    if (beats <= 0) return time;
    const int exponent = below == 0 ? 13 : std::max(13 - static_cast<int>(std::bit_width(static_cast<unsigned>(below))), 4);
    const int64_t ticks = int64_t{beats} << exponent;
    time.beats = static_cast<uint8_t>(beats);
    time.exponent = static_cast<uint8_t>(exponent);
    time.valid = ticks >= kShortestMeasure && ticks <= kLongestMeasure;
    return time;
}

int ReadNiffClef(NiffChunkContext& context, const uint8_t* fixedPart) {
    if (SkipForNiffStaff(context) || fixedPart == nullptr) return 1;
    NiffImportState& import = *context.import;
    NiffFrame& frame = import.frame;
    const int staff = frame.staffNumber;
    if (staff <= 0 || staff >= kNiffStaffSlots) return 1;
    const NiffClefRow row = NiffClefOf(fixedPart[0], fixedPart[2], static_cast<int8_t>(fixedPart[1]));
    NiffStaffFrame& record = frame.staves[static_cast<size_t>(staff)];
    size_t from = frame.measures.size();
    if (!HasCurrentNode(frame)) {
        if (!record.clefGiven) from = 0;
    } else if (AtMeasureStart(frame)) {
        from = frame.currentMeasure;
    } else {
        from = frame.currentMeasure + 1;
        AddChangeInMeasure(frame, false, row.kind);
    }
    for (size_t i = from; i < frame.measures.size(); ++i) frame.measures[i].clefs[static_cast<size_t>(staff)] = row.kind;
    record.clefGiven = true;
    record.clef = row.kind;
    return 1;
}

int ReadNiffKeySignature(NiffChunkContext& context, const uint8_t* fixedPart) {
    if (SkipForNiffStaff(context) || fixedPart == nullptr) return 1;
    NiffImportState& import = *context.import;
    NiffFrame& frame = import.frame;
    const int staff = frame.staffNumber;
    const int key = NiffKeyCode(static_cast<int8_t>(fixedPart[0]));
    if (key < 0) {
        import.report.Count(kBadSignKind);
        return 1;
    }
    if (staff <= 0 || staff >= kNiffStaffSlots) return 1;
    const size_t slot = static_cast<size_t>(staff);
    NiffStaffFrame& record = frame.staves[slot];
    record.key = static_cast<uint8_t>(key);
    if (!record.keyGiven) {
        for (NiffMeasureNode& node : frame.measures) node.keys[slot] = record.key;
        record.keyGiven = true;
    }
    if (!HasCurrentNode(frame)) return 1;
    if (AtMeasureStart(frame)) {
        frame.measures[frame.currentMeasure].keys[slot] = record.key;
        if (import.writer.generic)
            for (size_t i = frame.currentMeasure + 1; i < frame.measures.size(); ++i) frame.measures[i].keys[slot] = record.key;
    } else {
        AddChangeInMeasure(frame, true, record.key);
    }
    return 1;
}

int ReadNiffTimeSignature(NiffChunkContext& context, const uint8_t* fixedPart) {
    if (SkipForNiffStaff(context) || fixedPart == nullptr) return 1;
    NiffImportState& import = *context.import;
    NiffFrame& frame = import.frame;
    const NiffTimeSignature time = NiffTimeOf(static_cast<int8_t>(fixedPart[0]), fixedPart[1]);
    if (!time.valid) {
        import.report.Count(kBadSignKind);
        return 1;
    }
    import.timeNumerator = time.beats;
    import.timeExponent = time.exponent;
    if (!HasCurrentNode(frame)) return 1;
    constexpr int kTagInvisible = 19;
    const bool hidden = HasNiffTag(import.tags, kTagInvisible);
    const auto apply = [&](NiffMeasureNode& node) {
        node.beats = time.beats;
        node.exponent = time.exponent;
        node.timeHidden = hidden;
    };
    if (!import.timeSignatureGiven) {
        for (size_t i = 0; i < frame.currentMeasure; ++i) apply(frame.measures[i]);
        import.timeSignatureGiven = true;
    }
    if (AtMeasureStart(frame)) apply(frame.measures[frame.currentMeasure]);
    return 1;
}

}  // namespace ql::niff
