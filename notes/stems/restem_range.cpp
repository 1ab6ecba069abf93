// Restemming whole measures (after a change of stem mode, voices or staff lines, or a
// transposition): the view is moved to each cell and voice in turn, so that the stem
// rule reads that cell's voices and that staff's lines, and is put back afterwards.
#include <algorithm>

#include "core/constants.h"
#include "core/model/document.h"
#include "core/model/events.h"
#include "core/model/grid.h"
#include "core/model/saved_location.h"
#include "core/model/score_document.h"
#include "core/objects/score_object.h"
#include "core/state.h"
#include "notes/rests/rest.h"
#include "notes/stems/measure_restemmer.h"
#include "notes/stems/stems.h"
#include "notes/stems/stems_internal.h"

namespace ql {

namespace {

constexpr uint8_t kFirstVoiceBit = 0x01;
constexpr int kMaxVoiceElements = kMaxChainLength;

// The cell of a staff and measure when it exists (none is made).
MeasureCell* ExistingCell(StaffRecord* staff, int measure) {
    CellHandleArray* cells = CellArrayOf(staff);
    if (cells == nullptr || measure < 0 || measure >= MaxMeasures) return nullptr;
    return FindRecord<MeasureCell>(kMeasureCellPool, cells->cells[measure]);
}

// Marks the seconds of every chord and restems every chord that starts a group or
// stands alone.
void RestemVoice(ScoreView* view, const stems::VoiceChords& voice) {
    // A voice without beams has every chord's seconds marked again with its stem. (The
    // snapshot's links are the voice's: links do not change between a take and a restem.)
    if (voice.AnyBeamLinks())
        for (int chord = 0; chord < voice.ChordCount(); ++chord)
            stems::MarkChordSeconds(voice, chord);
    const stems::StemRule rule(view);
    for (int chord = 0; chord < voice.ChordCount(); ++chord) {
        const EventRecord& head = *voice.Head(chord);
        if (head.beamPrev) continue;
        // The usual chord, a lone unbeamed note, is stemmed without the group path.
        if (!head.beamNext && voice.NoteCount(chord) == 1)
            stems::StemLoneNote(rule, view, voice, chord);
        else
            chord = stems::RestemChordOrGroup(rule, view, voice, chord);
    }
}

void PlaceVoiceRests(MeasureCell* cell, int voice) {
    constexpr uint8_t kRestType = static_cast<uint8_t>(ObjectType::Rest);
    if (!cell->elementLists[voice]) return;  // no rests to look up
    ScoreObject* element = GetVoiceFirstElement(cell, voice);
    for (int i = 0; element != nullptr && i < kMaxVoiceElements; ++i, element = element->next.get()) {
        if (element->type != kRestType) continue;
        const int place = RestStaffOffset(cell, ElementDurationCode(element), voice);
        SetElementPosition(element, static_cast<int8_t>(place));
    }
}

// The head sentinel of a voice, the handle of its first event and the event (null
// when the voice has none).
struct VoiceStart {
    EventRecord* head = nullptr;
    RecordHandle firstHandle;
    EventRecord* first = nullptr;
};
VoiceStart StartOfVoice(MeasureCell* cell, int voice, const PoolResolver<EventRecord>& events) {
    VoiceStart start;
    // A voice without a head sentinel has nothing to look up.
    start.head = cell->voices[voice] ? events.Find(cell->voices[voice]) : nullptr;
    start.firstHandle = start.head != nullptr ? start.head->next : RecordHandle{};
    start.first = start.firstHandle ? events.Find(start.firstHandle) : nullptr;
    return start;
}

// Each voice is restemmed from the snapshot the caller took, or from one taken here
// into `scratch`.
void RestemCell(ScoreView* view, MeasureCell* cell, uint8_t savedMask, stems::VoiceChords& scratch,
                const CellVoices* taken) {
    view->currentCell = cell;
    const bool floating = State().notes.StemMode == kStemsFloat;
    const PoolResolver<EventRecord> events(kEventRecordPool);
    for (int voice = 0; voice < kVoiceCount; ++voice) {
        // As when a voice is drawn: the voice alone, voice 1 keeping only bit 0.
        view->voiceMask = voice == 0 ? static_cast<uint8_t>(savedMask & kFirstVoiceBit)
                                     : static_cast<uint8_t>(1u << voice);
        if (taken != nullptr) {
            view->voiceChain = taken->First(voice);
            if (floating && view->voiceChain != nullptr) RestemVoice(view, taken->Voice(voice));
        } else {
            const VoiceStart start = StartOfVoice(cell, voice, events);
            view->voiceChain = start.first;
            if (floating && start.first != nullptr) {
                scratch.TakeFromHead(start.head, cell->voices[voice], start.first, start.firstHandle);
                RestemVoice(view, scratch);
            }
        }
        PlaceVoiceRests(cell, voice);
    }
}

}  // namespace

CellVoices::CellVoices()
    : voices_{stems::VoiceChords(nullptr), stems::VoiceChords(nullptr),
              stems::VoiceChords(nullptr), stems::VoiceChords(nullptr)} {}

void CellVoices::Take(MeasureCell* cell) {
    const PoolResolver<EventRecord> events(kEventRecordPool);
    for (int voice = 0; voice < kVoiceCount; ++voice) {
        const VoiceStart start = cell != nullptr ? StartOfVoice(cell, voice, events) : VoiceStart{};
        first_[voice] = start.first;
        if (start.first != nullptr)
            voices_[voice].TakeFromHead(start.head, cell->voices[voice], start.first, start.firstHandle);
        else if (voices_[voice].EventCount() != 0)
            voices_[voice].Take(nullptr, RecordHandle{});
    }
}

MeasureRestemmer::MeasureRestemmer(ScoreView* view)
    : view_(view), saved_(view), scratch_(nullptr) {}

int MeasureRestemmer::LastMeasure() const {
    return std::min(view_->document->header.measureCount + kSpareMeasures, MaxMeasures - 1);
}

void MeasureRestemmer::Restem(int staff, int measure, MeasureCell* cell) {
    Restem(staff, measure, cell, nullptr);
}

void MeasureRestemmer::Restem(int staff, int measure, MeasureCell* cell, const CellVoices& voices) {
    Restem(staff, measure, cell, &voices);
}

void MeasureRestemmer::Restem(int staff, int measure, MeasureCell* cell, const CellVoices* voices) {
    if (cell == nullptr || staff < 1 || staff > view_->document->header.staffCount ||
        measure < 0 || measure > LastMeasure())
        return;
    view_->currentStaff = staff;
    view_->currentMeasure = measure;
    view_->currentStaffRecord = StaffRecordOf(view_->document, staff);
    RestemCell(view_, cell, saved_.VoiceMask(), scratch_, voices);
}

void RestemMeasureRange(ScoreView* view, int firstStaff, int lastStaff, int firstMeasure,
                        int lastMeasure) {
    if (view == nullptr || view->document == nullptr) return;
    ScoreDocument* document = view->document;
    MeasureRestemmer restemmer(view);
    firstStaff = std::max(firstStaff, 1);
    lastStaff = std::min<int>(lastStaff, document->header.staffCount);
    firstMeasure = std::max(firstMeasure, 0);
    lastMeasure = std::min(lastMeasure, restemmer.LastMeasure());
    for (int measure = firstMeasure; measure <= lastMeasure; ++measure)
        for (int staff = firstStaff; staff <= lastStaff; ++staff)
            restemmer.Restem(staff, measure, ExistingCell(StaffRecordOf(document, staff), measure));
}

}  // namespace ql
