// Stems, notes, rests and beams of a NIFF import: each stem opens a group with a
// voice at the current tick, each note or rest becomes an event of the open staff
// measure with its value, staff position and stem, and beams give the following
// events their beam ID. The measure's close turns the events into voices.
#include <algorithm>
#include <cstring>
#include <iterator>

#include "core/model/events.h"
#include "notes/drawing/note_fields.h"
#include "interchange/niff/niff_handlers.h"
#include "interchange/niff/niff_import_state.h"
#include "interchange/niff/niff_placement.h"
#include "interchange/niff/niff_spanners.h"
#include "interchange/niff/niff_time_slices.h"
#include "interchange/niff/niff_values.h"

namespace ql::niff {
namespace {

constexpr int kTagPlacement = 1;
constexpr int kTagId = 18;
constexpr int kTagInvisible = 19;
constexpr int kTagDirection = 22;
constexpr int kTagGrace = 14;
constexpr int kTagCue = 26;
constexpr int kTagVoice = 47;
constexpr int kGraceNudgeStep = 8;  // nudge units (16 score units) per unit of a grace offset
constexpr int kLastVoice = kNiffVoices - 1;
constexpr int kMultiMeasureShape = 11;
constexpr int32_t kFarthestTick = 32768;
constexpr char kNoMeasureKind[] = "notes and rests outside any measure";
constexpr char kMultiMeasureKind[] = "multi-measure rests";
constexpr char kLateKind[] = "events past the end of a measure";

// Whether notes and rests have a measure to go to; counted when not.
bool HasOpenMeasure(NiffImportState& import) {
    const NiffFrame& frame = import.frame;
    if (frame.measureOpen && !frame.pastMeasureLimit) return true;
    import.report.Count(frame.pastMeasureLimit ? kNiffMeasuresPastLimit : kNoMeasureKind);
    return false;
}

void OpenStemGroup(NiffImportState& import) {
    NiffNoteGroup& notes = import.frame.notes;
    const NiffTagState& tags = import.tags;
    ResolveNiffPlacement(import, NiffAnchorLevel::kStem);
    import.frame.anchors.stemX = NiffTagShort(tags, kTagPlacement, 0);
    import.frame.anchors.stemY = NiffTagShort(tags, kTagPlacement, 2);
    notes.stemRequest = HasNiffTag(tags, kTagDirection) ? tags.values[kTagDirection][1] : 0;
    notes.stemHidden = HasNiffTag(tags, kTagInvisible);
    NiffStemGroup group;
    group.fileVoice = HasNiffTag(tags, kTagVoice) ? NiffTagShort(tags, kTagVoice, 0) : -1;
    group.tick = import.frame.currentTick;
    const bool taken = std::any_of(notes.stemGroups.begin(), notes.stemGroups.end(), [&](const NiffStemGroup& g) {
        return g.fileVoice == group.fileVoice && g.tick == group.tick;
    });
    if (taken) {
        group.voice = std::min(notes.highestVoice + 1, kLastVoice);
    } else {
        group.voice = std::clamp(group.fileVoice, 0, kLastVoice);
    }
    notes.highestVoice = std::max(notes.highestVoice, group.voice);
    notes.stemGroups.push_back(group);
    notes.currentGroup = static_cast<int>(notes.stemGroups.size() - 1);
    notes.currentEvent = -1;
}

// The duration fraction of a note or rest: 0/0 and anything below zero is an
// eighth, a denominator of 0 makes the numerator eighths.
void ReadDuration(const uint8_t* fixedPart, int* numerator, int* denominator) {
    int n = NiffFixedShort(fixedPart, 2);
    int d = NiffFixedShort(fixedPart, 4);
    if (n < 0 || d < 0) n = d = 0;
    if (n == 0) {
        n = 1;
        d = 8;
    } else if (d == 0) {
        d = 8;
    }
    *numerator = n;
    *denominator = d;
}

// The score's head kind of a note's NIFF shape: the x heads (7, and 8 open) and
// the squares (11 filled, 12 open); 0, the plain head, for the others (the
// diamonds, slashes and triangles the drawing does not yet stem as it should). A
// shaped head of a half note and longer is drawn open by its value.
int HeadKindOfShape(int shape) {
    constexpr int kFirstShaped = 5;
    constexpr int kKinds[] = {0, 0, 2, 2, 0, 0, 5, 11, 0, 0};
    const int index = shape - kFirstShaped;
    return index >= 0 && index < static_cast<int>(std::size(kKinds)) ? kKinds[index] : 0;
}

int BuildNoteEvent(NiffImportState& import, const uint8_t* fixedPart, bool rest) {
    NiffFrame& frame = import.frame;
    NiffNoteGroup& notes = frame.notes;
    if (frame.currentTick > kFarthestTick) {
        import.report.Count(kLateKind);
        return 1;
    }
    if (notes.currentGroup < 0) {
        notes.stemGroups.push_back(NiffStemGroup{0, -1, frame.currentTick, 0});
        notes.currentGroup = static_cast<int>(notes.stemGroups.size() - 1);
        notes.highestVoice = std::max(notes.highestVoice, 0);
    }
    NiffEvent event;
    event.tick = frame.currentTick;
    event.rest = rest;
    NiffStemGroup& group = notes.stemGroups[static_cast<size_t>(notes.currentGroup)];
    event.groupVoice = group.voice;
    event.fileVoice = group.fileVoice;
    const int step = static_cast<int8_t>(fixedPart[1]);
    event.position = -step;
    int n = 0, d = 0;
    ReadDuration(fixedPart, &n, &d);
    const NiffEventTuplet tuplet = TakeNiffEventReferences(import, event);
    const NiffNoteValue value = NiffDurationToNoteValue(n, d, tuplet.actual, tuplet.normal);
    event.code = value.code;
    event.dots = value.dots;
    event.duration = NiffEventTicks(event);
    if (!import.writer.musitek)
        event.nudge = std::clamp(static_cast<int>(import.frame.anchors.stemX * import.unitScale) >> 4, -128, 127);
    // A grace note stands at the tick of the note it leads to, moved by its offset
    // (negative: before it), and takes no time of the measure.
    event.grace = !rest && HasNiffTag(import.tags, kTagGrace);
    event.cue = !rest && HasNiffTag(import.tags, kTagCue);
    if (!rest) event.headKind = HeadKindOfShape(fixedPart[0]);
    if (event.grace && NiffTagShort(import.tags, kTagGrace, 2) != 0)
        event.nudge = std::clamp(NiffTagShort(import.tags, kTagGrace, 0) * kGraceNudgeStep, -128, 127);
    bool up = step < 4;
    if (!rest && notes.stemRequest == 1) up = true;
    if (!rest && notes.stemRequest == 2) up = false;
    event.direction = rest ? 0 : up ? -1 : 1;
    const int steps = std::max(std::abs(4 - step), 7);
    event.stemLength = static_cast<int16_t>((up ? -steps : steps) * 64);
    event.beamId = !rest && value.code < 10 ? notes.beamId : -1;
    // An invisible note keeps its time and sound; its head, stem and beams are
    // what the file hides.
    // An invisible rest keeps its voice's time and is not drawn.
    if (rest && HasNiffTag(import.tags, kTagInvisible)) event.hiddenMarks |= kNoteHeadHidden;
    if (!rest) {
        if (HasNiffTag(import.tags, kTagInvisible)) event.hiddenMarks |= kNoteHeadHidden;
        if (notes.stemHidden) event.hiddenMarks |= kNoteStemHidden;
        if (notes.beamHidden && event.beamId >= 0) event.hiddenStemBits |= kStemBeamsHidden;
    }
    NiffMeasureNode& node = frame.measures[frame.currentMeasure];
    if (!event.grace) node.lengthTicks = std::max(node.lengthTicks, event.tick + event.duration);
    notes.events.push_back(event);
    notes.currentEvent = static_cast<int>(notes.events.size() - 1);
    ClaimNiffSpanners(import, event, group.events++ == 0);
    frame.measureHasContent = true;
    return 1;
}

}  // namespace

int BeginNiffStem(NiffChunkContext& context, const uint8_t* fixedPart) {
    BeginNiffChunk(context, fixedPart);
    context.import->frame.notes.beamId = -1;
    context.import->frame.notes.beamHidden = false;
    ResetNiffNoteReferences(*context.import);
    return 1;
}

int ReadNiffStem(NiffChunkContext& context, const uint8_t*) {
    if (SkipForNiffStaff(context) || !HasOpenMeasure(*context.import)) return 1;
    OpenStemGroup(*context.import);
    return 1;
}

int ReadNiffNote(NiffChunkContext& context, const uint8_t* fixedPart) {
    if (SkipForNiffStaff(context) || fixedPart == nullptr || !HasOpenMeasure(*context.import)) return 1;
    return BuildNoteEvent(*context.import, fixedPart, false);
}

int ReadNiffRest(NiffChunkContext& context, const uint8_t* fixedPart) {
    if (SkipForNiffStaff(context) || fixedPart == nullptr || !HasOpenMeasure(*context.import)) return 1;
    NiffImportState& import = *context.import;
    import.frame.notes.beamId = -1;
    ResetNiffNoteReferences(import);
    OpenStemGroup(import);
    if (fixedPart[0] >= kMultiMeasureShape) {
        import.report.Count(kMultiMeasureKind);
        return 1;
    }
    return BuildNoteEvent(import, fixedPart, true);
}

int BeginNiffBeam(NiffChunkContext& context, const uint8_t* fixedPart) {
    BeginNiffChunk(context, fixedPart);
    return 1;
}

int ReadNiffBeam(NiffChunkContext& context, const uint8_t*) {
    if (SkipForNiffStaff(context)) return 1;
    NiffImportState& import = *context.import;
    if (HasNiffTag(import.tags, kTagId)) import.frame.notes.beamId = NiffTagShort(import.tags, kTagId, 0);
    import.frame.notes.beamHidden = HasNiffTag(import.tags, kTagInvisible);
    return 1;
}

}  // namespace ql::niff
