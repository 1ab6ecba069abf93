// Time slices of a NIFF import: event slices move the current tick; a measure
// start closes the staff's measure and finds (or appends) the node of its start,
// so every staff of a system fills the same nodes. Barlines are kept for the
// measure start that follows them.
#include "interchange/niff/niff_time_slices.h"

#include <algorithm>
#include <cstring>

#include "interchange/niff/niff_handlers.h"
#include "interchange/niff/niff_import_state.h"
#include "interchange/niff/niff_messages.h"
#include "interchange/niff/niff_placement.h"
#include "interchange/niff/niff_spanners.h"
#include "interchange/niff/niff_values.h"
#include "core/model/grid_records.h"
#include "core/ui/modal_boxes.h"
#include "platform/ui/message_box.h"

namespace ql::niff {
namespace {

constexpr int kTagPlacement = 1;
constexpr int kTagThickBarline = 21;
constexpr uint8_t kMeasureStart = 1;
constexpr uint8_t kEventSlice = 2;
constexpr int32_t kWholeTicks = 4096;
constexpr int kRepeatBarlineCode = 10;

int32_t NextStartTick(const NiffMeasureNode& node) {
    return node.startTick + std::max(NiffSignatureTicks(node), RoundNiffMeasureLength(node.lengthTicks));
}

// A new measure's cells take each staff's clef and key and the time signature in
// force.
void TakeSignsInForce(const NiffImportState& import, NiffMeasureNode& node) {
    for (size_t staff = 0; staff < node.clefs.size(); ++staff) {
        node.clefs[staff] = import.frame.staves[staff].clef;
        node.keys[staff] = import.frame.staves[staff].key;
    }
    node.beats = import.timeNumerator;
    node.exponent = import.timeExponent;
}

// The place of `start` among the started nodes: the first entry whose start is
// not below it.
std::vector<std::pair<double, size_t>>::const_iterator StartedFrom(const NiffFrame& frame, double start) {
    return std::lower_bound(frame.startedMeasures.begin(), frame.startedMeasures.end(), start,
                            [](const std::pair<double, size_t>& entry, double s) { return entry.first < s; });
}

void MarkStarted(NiffFrame& frame, size_t index, double start) {
    frame.measures[index].started = true;
    frame.measures[index].start = start;
    frame.startedMeasures.insert(StartedFrom(frame, start), {start, index});
}

// The node a new start opens: the last node when a system header made it and no
// slice has claimed it, else a node appended after the last; -1 past the limit.
long OpenNode(NiffImportState& import, double start) {
    NiffFrame& frame = import.frame;
    NiffMeasureNode& last = frame.measures.back();
    if (!last.started) {
        TakeSignsInForce(import, last);
        MarkStarted(frame, frame.measures.size() - 1, start);
        if (frame.measures.size() > 1) last.startTick = NextStartTick(frame.measures[frame.measures.size() - 2]);
        return static_cast<long>(frame.measures.size() - 1);
    }
    if (last.number >= kNiffMostMeasures) return -1;
    NiffMeasureNode node;
    TakeSignsInForce(import, node);
    node.number = last.number + 1;
    node.startTick = NextStartTick(last);
    frame.measures.push_back(node);
    MarkStarted(frame, frame.measures.size() - 1, start);
    return static_cast<long>(frame.measures.size() - 1);
}

// A file of more measures than a score holds is refused whole: the import stops at
// the first measure past the limit and says why.
void RefuseMeasuresPastLimit(NiffImportState& import) {
    NiffFrame& frame = import.frame;
    frame.pastMeasureLimit = true;
    frame.measureOpen = false;
    import.cancelled = true;
    if (frame.measureLimitShown) return;
    frame.measureLimitShown = true;
    ModalMessageBox(kNiffTooManyMeasures, kNiffImportCaption, ui::kBoxIconExclamation);
}

void BeginMeasure(NiffImportState& import, double start, int thickTag) {
    NiffFrame& frame = import.frame;
    frame.currentTick = frame.previousTick = 0;
    frame.measureHasContent = true;  // what follows the close is this start
    EndNiffTuplets(import);
    CloseNiffMeasure(import);
    long index = FindNiffMeasureNode(frame, start);
    if (index < 0) index = OpenNode(import, start);
    if (index < 0) {
        RefuseMeasuresPastLimit(import);
        return;
    }
    frame.pastMeasureLimit = false;
    frame.currentMeasure = static_cast<size_t>(index);
    frame.measureOpen = true;
    frame.measureHasContent = false;
    NiffMeasureNode& node = frame.measures[frame.currentMeasure];
    const uint16_t word = NiffBarlineWord(static_cast<uint16_t>(node.repeatCount << 8 | node.barline),
                                          frame.barlines, thickTag);
    node.barline = static_cast<uint8_t>(word & 0xFF);
    node.repeatCount = static_cast<uint8_t>(word >> 8);
    // Starts of the nodes after this one follow from the lengths before them.
    for (size_t i = frame.currentMeasure + 1; i < frame.measures.size(); ++i) {
        frame.measures[i].startTick = NextStartTick(frame.measures[i - 1]);
    }
    frame.barlines = {};
}

}  // namespace

uint16_t NiffBarlineWord(uint16_t word, const NiffBarlineMarks& marks, int thickTag) {
    auto low = [&](uint16_t byte) { word = static_cast<uint16_t>((word & 0xFF00) | byte); };
    if (marks.repeatKinds[0] == 2) {
        word = marks.repeatKinds[1] == 1 ? 0x0177 : static_cast<uint16_t>(0x0100 | (word & 0x00F0) | 0x06);
    } else if (marks.repeatKinds[0] == 1) {
        low(0x55);
    } else if (marks.count == 1 && marks.types[0] == 2) {
        low(0x44);
    } else if (marks.count >= 2) {
        const uint8_t first = marks.types[0], second = marks.types[1];
        if (first == 1 && second == 2)
            word = static_cast<uint16_t>((word & 0xFFF0) | 3);
        else if (first == 2 && second == 1)
            word = static_cast<uint16_t>((word & 0xFF0F) | 0x20);
        else if (first == second)
            word = static_cast<uint16_t>((word & 0xFFF0) | 1);
    }
    if (thickTag != 0) low(0x88);
    return word;
}

int32_t NiffRationalTicks(int numerator, int denominator) {
    if (numerator < 0 || denominator <= 0) return 0;
    return static_cast<int32_t>(int64_t{numerator} * kWholeTicks / denominator);
}

void CloseNiffMeasure(NiffImportState& import) {
    NiffFrame& frame = import.frame;
    if (!frame.measureOpen || frame.currentMeasure >= frame.measures.size()) return;
    frame.measureOpen = false;
    NiffNoteGroup notes = std::move(frame.notes);
    frame.notes = {};
    if (!frame.measureHasContent) return;
    NiffMeasureNode& node = frame.measures[frame.currentMeasure];
    node.lengthTicks = RoundNiffMeasureLength(node.lengthTicks);
    if (!notes.events.empty()) {
        NiffStaffMeasure measure;
        measure.staff = frame.staffNumber;
        const NiffCloseResult closed =
            BuildNiffChords(notes.events, node.lengthTicks, measure, NiffTiedVoices(import, measure.staff));
        // Rests of a line past the fourth voice that no voice is free for mark the
        // silence of a line the staff has no voice for: nothing is lost with them.
        const int droppedNotes = closed.droppedEvents - closed.droppedRests;
        if (droppedNotes > 0) import.report.Count(kNiffDroppedNotes, droppedNotes);
        if (closed.droppedGraces > 0) import.report.Count(kNiffDroppedGraces, closed.droppedGraces);
        MatchNiffTies(import, measure.staff, measure);
        node.staves.push_back(std::move(measure));
    }
    NiffSystemFrame* system = frame.System();
    if (system == nullptr) return;
    const int staff = frame.staffNumber;
    if (!import.writer.generic && staff > 0 && staff < kNiffStaffSlots)
        system->staffFlags[static_cast<size_t>(staff)] &= static_cast<uint8_t>(~kNiffStaffHidden);
    if (system->lastMeasure < node.number) system->lastMeasure = node.number;
    if (frame.Page()->lastMeasure < node.number) frame.Page()->lastMeasure = node.number;
}

void DropNiffClosingStarts(NiffFrame& frame) {
    int lastInSystem = 1;
    for (const NiffPageFrame& page : frame.pages)
        for (const NiffSystemFrame& system : page.systems) lastInSystem = std::max(lastInSystem, system.lastMeasure);
    const auto named = [&](int number) {
        for (const NiffMark& mark : frame.marks)
            if (mark.anchor != NiffAnchor::kPage && mark.measure == number) return true;
        for (const NiffSignChange& change : frame.signChanges)
            if (change.measure == number) return true;
        return false;
    };
    while (frame.measures.size() > 1) {
        const NiffMeasureNode& last = frame.measures.back();
        if (last.number <= lastInSystem || !last.staves.empty() || named(last.number)) break;
        const size_t index = frame.measures.size() - 1;
        frame.closingBarline = static_cast<uint16_t>(last.repeatCount << 8 | last.barline);
        std::erase_if(frame.startedMeasures, [&](const std::pair<double, size_t>& entry) { return entry.second == index; });
        frame.measures.pop_back();
    }
    if (frame.currentMeasure >= frame.measures.size()) frame.currentMeasure = frame.measures.size() - 1;
}

long FindNiffMeasureNode(const NiffFrame& frame, double start) {
    const auto at = StartedFrom(frame, start);
    if (at == frame.startedMeasures.end() || at->first != start) return -1;
    return static_cast<long>(at->second);
}

int ReadNiffTimeSlice(NiffChunkContext& context, const uint8_t* fixedPart) {
    if (SkipForNiffStaff(context) || fixedPart == nullptr) return 1;
    NiffImportState& import = *context.import;
    NiffFrame& frame = import.frame;
    const uint8_t type = fixedPart[0];
    // The start rational lies at the even offset after the type byte.
    const int numerator = NiffFixedShort(fixedPart, 2);
    const int denominator = NiffFixedShort(fixedPart, 4);
    if (type == kEventSlice) {
        frame.barlines = {};
        if (frame.pastMeasureLimit) {
            import.report.Count(kNiffMeasuresPastLimit);
            return 1;
        }
        frame.measureHasContent = true;
        // The slice's placement is the anchor of the chunks that follow it.
        ResolveNiffPlacement(import, NiffAnchorLevel::kMeasureSlice);
        frame.anchors.eventX = NiffTagShort(import.tags, kTagPlacement, 0);
        frame.anchors.eventY = NiffTagShort(import.tags, kTagPlacement, 2);
        frame.previousTick = frame.currentTick;
        frame.currentTick = NiffRationalTicks(numerator, denominator);
        return 1;
    }
    if (type != kMeasureStart) {
        frame.barlines = {};
        return 1;
    }
    const double start = denominator > 0 && numerator >= 0 ? static_cast<double>(numerator) / denominator : 0.0;
    frame.anchors = {};
    frame.anchors.measureStartX = NiffTagShort(import.tags, kTagPlacement, 0);
    BeginMeasure(import, start, import.tags.values[kTagThickBarline][0]);
    return import.cancelled ? 0 : 1;
}

int ReadNiffRepeat(NiffChunkContext& context, const uint8_t* fixedPart) {
    if (SkipForNiffStaff(context) || fixedPart == nullptr) return 1;
    NiffImportState& import = *context.import;
    NiffBarlineMarks& marks = import.frame.barlines;
    const int code = NiffFixedShort(fixedPart, 0);
    const uint8_t kind = fixedPart[2];
    if ((code == kRepeatBarlineCode && kind == 1) || kind == 2) {
        if (marks.repeatCount < 2) marks.repeatKinds[marks.repeatCount++] = kind;
    } else if (code == 1 || code == 2 || code == 11 || code == 15) {
        // The repeat symbols (segno, coda and the like) are not made yet.
        import.report.Count(kNiffRepeatSymbols);
    }
    return 1;
}

int StoreNiffBarline(NiffChunkContext& context, const uint8_t* fixedPart) {
    if (SkipForNiffStaff(context) || fixedPart == nullptr) return 1;
    NiffBarlineMarks& marks = context.import->frame.barlines;
    if (marks.count < NiffBarlineMarks::kMostBarlines) marks.types[marks.count++] = fixedPart[0];
    return 1;
}

}  // namespace ql::niff
