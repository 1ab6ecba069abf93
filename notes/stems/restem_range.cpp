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

bool HasBeamLinks(const stems::VoiceChords& voice) {
    for (int chord = 0; chord < voice.ChordCount(); ++chord)
        if (voice.Head(chord)->beamPrev || voice.Head(chord)->beamNext) return true;
    return false;
}

// Marks the seconds of every chord and restems every chord that starts a group or
// stands alone.
void RestemVoice(ScoreView* view, MeasureCell* cell, int voiceIndex, EventRecord* head,
                 RecordHandle firstHandle, stems::VoiceChords& voice) {
    voice.TakeFromHead(head, cell->voices[voiceIndex], view->voiceChain, firstHandle);
    // A voice without beams has every chord's seconds marked again with its stem.
    if (HasBeamLinks(voice))
        for (int chord = 0; chord < voice.ChordCount(); ++chord)
            stems::MarkChordSeconds(voice, chord);
    const stems::StemRule rule(view);
    for (int chord = 0; chord < voice.ChordCount(); ++chord) {
        if (!voice.Head(chord)->beamPrev) chord = stems::RestemChordOrGroup(rule, view, voice, chord);
    }
}

void PlaceVoiceRests(MeasureCell* cell, int voice) {
    constexpr uint8_t kRestType = static_cast<uint8_t>(ObjectType::Rest);
    ScoreObject* element = GetVoiceFirstElement(cell, voice);
    for (int i = 0; element != nullptr && i < kMaxVoiceElements; ++i, element = element->next.get()) {
        if (element->type != kRestType) continue;
        const int place = RestStaffOffset(cell, ElementDurationCode(element), voice);
        SetElementPosition(element, static_cast<int8_t>(place));
    }
}

void RestemCell(ScoreView* view, MeasureCell* cell, uint8_t savedMask, stems::VoiceChords& scratch) {
    view->currentCell = cell;
    for (int voice = 0; voice < kVoiceCount; ++voice) {
        // As when a voice is drawn: the voice alone, voice 1 keeping only bit 0.
        view->voiceMask = voice == 0 ? static_cast<uint8_t>(savedMask & kFirstVoiceBit)
                                     : static_cast<uint8_t>(1u << voice);
        // A voice without a head sentinel has nothing to look up.
        EventRecord* head = cell->voices[voice] ? GetVoiceHead(cell, voice) : nullptr;
        const RecordHandle first = head != nullptr ? head->next : RecordHandle{};
        view->voiceChain = first ? ResolveEvent(first) : nullptr;
        if (State().notes.StemMode == kStemsFloat && view->voiceChain != nullptr)
            RestemVoice(view, cell, voice, head, first, scratch);
        PlaceVoiceRests(cell, voice);
    }
}

}  // namespace

MeasureRestemmer::MeasureRestemmer(ScoreView* view)
    : view_(view), saved_(view), scratch_(nullptr) {}

int MeasureRestemmer::LastMeasure() const {
    return std::min(view_->document->header.measureCount + kSpareMeasures, MaxMeasures - 1);
}

void MeasureRestemmer::Restem(int staff, int measure, MeasureCell* cell) {
    if (cell == nullptr || staff < 1 || staff > view_->document->header.staffCount ||
        measure < 0 || measure > LastMeasure())
        return;
    view_->currentStaff = staff;
    view_->currentMeasure = measure;
    view_->currentStaffRecord = StaffRecordOf(view_->document, staff);
    RestemCell(view_, cell, saved_.VoiceMask(), scratch_);
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
