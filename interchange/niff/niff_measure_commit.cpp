// Puts the import's measure chain into the document.
#include "interchange/niff/niff_measure_commit.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <map>
#include <utility>
#include <vector>

#include "core/model/document.h"
#include "core/model/events.h"
#include "core/model/grid.h"
#include "core/model/grid_records.h"
#include "core/model/score_document.h"
#include "core/state/notation_font_state.h"
#include "interchange/niff/niff_import_state.h"
#include "interchange/niff/niff_mark_objects.h"
#include "interchange/niff/niff_spanner_objects.h"
#include "interchange/niff/niff_values.h"
#include "layout/page_format.h"
#include "notes/drawing/note_fields.h"
#include "notes/pitch/pitch_vocabulary.h"
#include "notes/rests/rest.h"

namespace ql::niff {
namespace {

constexpr char kUnplacedKind[] = "notes and rests that could not be placed";
constexpr char kRestMarksKind[] = "rests with lyrics or marks";
constexpr int32_t kLeastMeasureTicks = 128;  // a shorter content leaves the signature's length
constexpr double kWholeNoteTicks = 4096;

int8_t Clamped(int value) {
    return static_cast<int8_t>(std::clamp(value, -128, 127));
}

void PlaceNotes(NiffImportState& import, MeasureCell* cell, int staff, int measure, int voice, const NiffVoice& from) {
    ScoreDocument* document = import.document;
    EventRecord* last = from.events.empty() ? nullptr : GetOrCreateVoiceChain(cell, document, voice);
    if (last == nullptr) {
        if (!from.events.empty()) import.report.Count(kUnplacedKind, static_cast<int>(from.events.size()));
        return;
    }
    while (NextEvent(last) != nullptr) last = NextEvent(last);
    std::vector<EventRecord*> placed;
    for (const NiffEvent& e : from.events) {
        EventRecord* event = InitEvent(AllocEvent(sizeof(EventRecord)), static_cast<uint16_t>(e.tick),
                                       e.direction < 0 ? 1 : 0, static_cast<uint8_t>(e.code),
                                       static_cast<uint8_t>(Clamped(e.position)));
        if (event == nullptr || InsertEventAfter(last, document, event) == nullptr) {
            if (event != nullptr) FreeEvent(event);
            import.report.Count(kUnplacedKind);
            placed.push_back(nullptr);
            continue;
        }
        if (!e.chordHead) event->flags &= static_cast<uint16_t>(~kEventChordHead);
        event->word2 = static_cast<uint16_t>((event->word2 & ~kEventDotsMask) | (e.dots & kEventDotsMask) | e.hiddenMarks);
        event->stemWord |= e.hiddenStemBits;
        event->stemLength = e.stemLength;
        event->nudge = Clamped(e.nudge);
        // A grace note is drawn at its size, a cue note petite; a cue note is not played.
        if (e.grace || e.cue) {
            const int size = static_cast<int>(e.grace ? NoteSizeClass::Grace : NoteSizeClass::Petite);
            event->flags = static_cast<uint16_t>((event->flags & ~kEventSizeClassMask) | (size << kNoteSizeClassShift));
        }
        if (e.cue) event->flags |= kNoteSoundHidden;
        if (e.headKind != 0) SetNoteHeadKind(*event, e.headKind);
        event->tupletKind = static_cast<uint8_t>(e.tupletKind);
        event->tupletRatio = static_cast<uint8_t>(e.tupletValue);
        placed.push_back(event);
        last = event;
        if (e.attachments >= 0 && static_cast<size_t>(e.attachments) < import.frame.attachments.size())
            AttachNiffNoteMarks(import, event, staff, measure, import.frame.attachments[static_cast<size_t>(e.attachments)]);
    }
    for (size_t i = 0; i < placed.size(); ++i) {
        const NiffEvent& e = from.events[i];
        if (placed[i] == nullptr) continue;
        RecordNiffPlacedEvent(import, e.serial, placed[i], staff, measure, voice);
        if (e.beamPrev >= 0 && placed[static_cast<size_t>(e.beamPrev)] != nullptr)
            placed[i]->beamPrev = HandleOfEvent(placed[static_cast<size_t>(e.beamPrev)]);
        if (e.beamNext >= 0 && placed[static_cast<size_t>(e.beamNext)] != nullptr)
            placed[i]->beamNext = HandleOfEvent(placed[static_cast<size_t>(e.beamNext)]);
    }
}

// A rest in the voice's list; its place is set once every voice of the cell is in
// (PlaceCellRests). Null when it could not be placed (counted).
ScoreObject* PlaceRest(NiffImportState& import, MeasureCell* cell, int voice, int32_t tick, int code, int dots) {
    ScoreObject* list = GetOrCreateVoiceElementList(cell, voice);
    ScoreObject* rest = list != nullptr ? AllocRestRecord() : nullptr;
    if (rest == nullptr) {
        import.report.Count(kUnplacedKind);
        return nullptr;
    }
    RestBody* body = RestBodyOf(rest);
    body->tick = static_cast<uint16_t>(tick);
    body->code = static_cast<uint8_t>(code);
    body->flags = static_cast<uint8_t>((body->flags & ~kRestDotsMask) | (dots & kRestDotsMask));
    if (!InsertIntoVoiceList(list, rest)) {
        FreePool8Record(rest);
        import.report.Count(kUnplacedKind);
        return nullptr;
    }
    return rest;
}

// The voices' rests of one staff's measure, their places by what the other voices
// have over each rest's time: a rest beside another voice's notes or rests moves
// aside (the upper voices' up, the lower voices' down).
void PlaceCellRests(NiffImportState& import, MeasureCell* cell, const NiffStaffMeasure& measure) {
    std::vector<std::pair<ScoreObject*, int>> placed;  // rest, voice
    for (int v = 0; v < kNiffVoices; ++v) {
        const NiffVoice& voice = measure.voices[static_cast<size_t>(v)];
        for (const NiffEvent& rest : voice.rests) {
            if ((rest.hiddenMarks & kNoteHeadHidden) != 0) continue;  // time only
            placed.emplace_back(PlaceRest(import, cell, v, rest.tick, rest.code, rest.dots), v);
            if (rest.attachments >= 0) import.report.Count(kRestMarksKind);
        }
        for (const NiffRestFill& fill : voice.fills)
            placed.emplace_back(PlaceRest(import, cell, v, fill.tick, fill.code, fill.dots), v);
    }
    for (const auto& [rest, voice] : placed) {
        RestBody* body = RestBodyOf(rest);
        if (body == nullptr) continue;
        body->position = Clamped(RestStaffOffsetOver(cell, body->code, voice, body->tick, RestDurationTicks(rest)));
    }
}

// The ticks from the node's start to the next node's, as the file's measure
// starts give them; 0 when the file does not give both or they do not rise.
int32_t FileMeasureSpan(const NiffFrame& frame, size_t index) {
    if (index + 1 >= frame.measures.size()) return 0;
    const NiffMeasureNode& node = frame.measures[index];
    const NiffMeasureNode& next = frame.measures[index + 1];
    if (!node.started || !next.started || !(next.start > node.start)) return 0;
    const double ticks = std::round((next.start - node.start) * kWholeNoteTicks);
    return ticks < INT16_MAX ? RoundNiffMeasureLength(static_cast<int>(ticks)) : 0;
}

// A measure under the file's own time signatures is as long as its signature,
// and music past it lengthens it. Where the file's measure starts make it shorter
// (a pickup, a measure split at a repeat) it is as short as they say, so far as
// its music fits. The first and the last measure, when the file gives no start
// after them, are as long as their music when that is shorter (a pickup, a
// closing measure); a measure with no music takes its signature.
int32_t MeasureLengthUnderSignatures(const NiffFrame& frame, size_t index, size_t count) {
    const NiffMeasureNode& node = frame.measures[index];
    const int32_t music = RoundNiffMeasureLength(node.lengthTicks);
    const int32_t signature = NiffSignatureTicks(node);
    if (music > signature) return music;
    const int32_t span = FileMeasureSpan(frame, index);
    if (span > 0) return std::clamp(span, music, signature);
    const bool edge = index == 0 || index + 1 == count;
    return edge && music >= kLeastMeasureTicks ? music : signature;
}

}  // namespace

int NiffMeasuresPerSystem(const NiffFrame& frame) {
    std::map<int, int> census;
    int best = 1, bestCount = 0;
    for (const NiffPageFrame& page : frame.pages)
        for (const NiffSystemFrame& system : page.systems) {
            const int measures = std::max(system.lastMeasure - system.firstMeasure + 1, 1);
            const int count = ++census[measures];
            if (count >= bestCount) {
                best = measures;
                bestCount = count;
            }
        }
    return best;
}

void WriteNiffMeasures(NiffImportState& import) {
    ScoreDocument* document = import.document;
    if (document == nullptr) return;
    const NiffFrame& frame = import.frame;
    const int count = static_cast<int>(std::min<size_t>(frame.measures.size(), kNiffMostMeasures));
    if (import.view != nullptr && document->header.measureCount < count) AddMeasures(import.view, count);
    const int32_t signatureTicks = int32_t{import.timeNumerator} << import.timeExponent;
    const int staves = std::min<int>(import.staffCount, document->header.staffCount);
    for (int i = 0; i < count && i < document->header.measureCount; ++i) {
        const NiffMeasureNode& node = frame.measures[static_cast<size_t>(i)];
        MeasureRecord* record = MeasureRecordOf(document, node.number);
        if (record == nullptr) break;
        int32_t length = std::max(signatureTicks, RoundNiffMeasureLength(node.lengthTicks));
        if (import.timeSignatureGiven) length = MeasureLengthUnderSignatures(frame, static_cast<size_t>(i), static_cast<size_t>(count));
        record->lengthTicks = static_cast<uint16_t>(std::clamp<int32_t>(length, 0, UINT16_MAX));
        record->barline = node.barline;
        record->repeatCount = node.repeatCount;
        if (node.timeHidden) record->flags |= kMeasureTimeHidden;
        SetMeasureSpacingFromLength(*record);
        for (int staff = 1; staff <= staves; ++staff) {
            MeasureCell* cell = GetOrCreateMeasureCell(StaffRecordOf(document, staff), document, node.number);
            if (cell == nullptr) continue;
            cell->beats = import.timeSignatureGiven ? node.beats : import.timeNumerator;
            cell->beatUnit = import.timeSignatureGiven ? node.exponent : import.timeExponent;
            const size_t slot = static_cast<size_t>(staff);
            cell->clefKey = static_cast<uint8_t>((node.keys[slot] & 0x0F) << 4 | (node.clefs[slot] & 0x0F));
        }
    }
    // The barline after the last measure is kept with the record past it.
    if (count != document->header.measureCount) return;
    if (MeasureRecord* after = MeasureRecordOf(document, count + 1)) {
        after->barline = static_cast<uint8_t>(frame.closingBarline & 0xFF);
        after->repeatCount = static_cast<uint8_t>(frame.closingBarline >> 8);
    }
}

void CommitNiffMeasure(NiffImportState& import) {
    ScoreDocument* document = import.document;
    if (document == nullptr) return;
    for (const NiffMeasureNode& node : import.frame.measures) {
        if (node.number > document->header.measureCount) break;
        for (const NiffStaffMeasure& measure : node.staves) {
            if (measure.staff < 1 || measure.staff > document->header.staffCount) continue;
            MeasureCell* cell = GetOrCreateMeasureCell(StaffRecordOf(document, measure.staff), document, node.number);
            if (cell == nullptr) continue;
            for (int v = 0; v < kNiffVoices; ++v)
                PlaceNotes(import, cell, measure.staff, node.number, v, measure.voices[static_cast<size_t>(v)]);
            PlaceCellRests(import, cell, measure);
        }
    }
}

}  // namespace ql::niff
