// The value of an entered chord: SetChordDuration and the room check before it.
#include "notes/entry/note_duration.h"

#include "core/constants.h"
#include "core/draw/draw_surface.h"
#include "core/model/document.h"
#include "core/model/events.h"
#include "core/model/grid.h"
#include "core/model/score_document.h"
#include "core/state.h"
#include "core/ui/status_bar.h"
#include "notes/drawing/note_redraw.h"
#include "notes/entry/measure_extend.h"
#include "notes/entry/note_entry.h"
#include "notes/stems/stems.h"

namespace ql {

namespace {

constexpr int kLongestBeamedCode = 9;
constexpr int kShortestSteppedCode = 5;
constexpr int kLongestSteppedCode = 13;

int TicksWithCode(EventRecord note, int code) {
    note.duration = static_cast<uint8_t>(code);
    return EventDurationTicks(note);
}

// A chord that becomes too long to be beamed leaves its group in both directions.
void LeaveBeamGroup(EventRecord* first) {
    EventRecord* before = GetBeamPrevChord(first);
    EventRecord* after = ResolveEvent(first->beamNext);
    if (before != nullptr) before->beamNext = RecordHandle{};
    if (after != nullptr && !IsHeadSentinel(*after)) after->beamPrev = RecordHandle{};
    first->beamPrev = RecordHandle{};
    first->beamNext = RecordHandle{};
}

}  // namespace

int SetChordDuration(ScoreView* view, EventRecord* note, int newCode) {
    EventRecord* first = GetFirstEventOfChord(note);
    if (view == nullptr || first == nullptr) return 0;
    EventRecord* before = GetBeamPrevChord(first);
    EventRecord* after = ResolveEvent(first->beamNext);
    if (after != nullptr && IsHeadSentinel(*after)) after = nullptr;
    if (first->duration <= kLongestBeamedCode && newCode > kLongestBeamedCode) LeaveBeamGroup(first);
    const int oldTicks = EventDurationTicks(*first);
    const int newTicks = TicksWithCode(*first, newCode);
    ShiftVoiceElementsFromTick(view->document, view->currentStaff, view->currentMeasure,
                               EntryVoice(view), first->time + oldTicks, newTicks - oldTicks);
    EventRecord* member = first;
    for (int i = 0; member != nullptr && member->time == first->time && i < kMaxChainLength;
         ++i, member = NextEvent(member))
        member->duration = static_cast<uint8_t>(newCode);
    if (before != nullptr) UpdateBeamForNote(view, before);
    if (after != nullptr) UpdateBeamForNote(view, after);
    UpdateBeamForNote(view, first);
    SetDocumentModified(view->document);
    return 1;
}

int ApplyDurationStep(ScoreView* view, int voice, EventRecord* note, int newCode, int deltaTicks) {
    if (view == nullptr || view->document == nullptr || note == nullptr) return 0;
    bool extended = false;
    if (deltaTicks > TicksLeftInVoice(view->currentCell, view, voice)) {
        extended = State().notes.AutoExtendMeasure != 0 && ExtendMeasureToFit(view, deltaTicks) != 0;
        if (!extended) {
            ShowNotice(kNoRoomInMeasureNotice);
            return 0;
        }
    }
    BeginViewDraw(view);
    DrawNoteChainSaved(view, voice);
    if (SetChordDuration(view, note, newCode) != 0) ScanCurrentCellVoice(view, voice);
    DrawNoteChain(view, voice);
    EndViewDraw(view);
    SetDocumentModified(view->document);
    SetStatusText(0, nullptr);
    return 1;
}

int StepSelectedDuration(ScoreView* view, EventRecord* note, int step) {
    if (view == nullptr || note == nullptr) return 0;
    const int code = note->duration + step;
    if (code < kShortestSteppedCode || code > kLongestSteppedCode) return 0;
    const int delta = TicksWithCode(*note, code) - EventDurationTicks(*note);
    return ApplyDurationStep(view, EntryVoice(view), note, code, delta);
}

}  // namespace ql
