// Transcribing the kept recorded chain again, and discarding it.
#include "sequencer/kept_recording.h"

#include "core/model/score_document.h"
#include "core/ui/status_bar.h"
#include "sequencer/engine_internal.h"
#include "sequencer/playback.h"
#include "sequencer/transcription.h"

namespace ql {
namespace {

constexpr char kNotSavingData[] = "Not saving data";
constexpr char kNoData[] = "No data";
using engine_detail::kNoteOff;
using engine_detail::kNoteOn;
using engine_detail::kStatusKindMask;

struct KeptSetup {
    RecordRouting routing;
    int firstMeasure = 1;
};

KeptSetup& Kept() {
    static KeptSetup kept;
    return kept;
}

PerformanceEvent* KeptHead() {
    return Ref32<PerformanceEvent>{TheSequencerState().recordHead.load(std::memory_order_acquire)}.get();
}

}  // namespace

void HandRecordedEvent(ScoreView* view, const RecordRouting& routing, const PerformanceEvent& event) {
    const int staff = RecordedEventStaff(routing, event.message, view->document->header.staffCount);
    if (staff == 0) return;
    const uint8_t kind = MessageByte(event.message, 0) & kStatusKindMask;
    if (kind == kNoteOff || kind == kNoteOn)
        TranscribeRecordedNote(view, staff, event.message, event.time);
    else
        ImportRecordedChannelEvent(view, staff, event.message, event.time);
}

void RememberKeptRecording(const RecordRouting& routing, int firstMeasure) {
    Kept() = KeptSetup{routing, firstMeasure};
}

bool HasKeptRecording() { return !IsPlaybackRunning() && KeptHead() != nullptr; }

void DiscardKeptRecording() {
    if (IsPlaybackRunning()) return;
    FreeRecordedChain(TheSequencerState());
}

KeptTranscription TranscribeKeptRecording(ScoreView* view, bool keeping) {
    if (!keeping) {
        ShowNotice(kNotSavingData);
        return KeptTranscription::NotKeeping;
    }
    if (view == nullptr || view->document == nullptr || !HasKeptRecording()) {
        ShowNotice(kNoData);
        return KeptTranscription::NoData;
    }
    // The score may have fewer staves now than when it was recorded.
    const RecordRouting routing = NormalizeRouting(Kept().routing, view->document->header.staffCount);
    BeginRecordedTranscription(view, routing, Kept().firstMeasure);
    for (PerformanceEvent* event = KeptHead(); event != nullptr; event = event->next.get())
        HandRecordedEvent(view, routing, *event);
    FinishRecordedTranscription(view);
    return KeptTranscription::Done;
}

}  // namespace ql
