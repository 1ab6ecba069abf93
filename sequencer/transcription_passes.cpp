// The transcription clean-up over a voice's event chain, run when the transcribed
// measures are finished: every note marked to tie on gets its tie (the mark is the
// tie-start bit the writer left; a note whose next note of that pitch is not there
// keeps no tie), and every run of tuplet members starts a tuplet mark with its digit,
// placed over its group as a tuplet mark places itself. When the records run out
// inside an operation that reports it once, the passes stop making ties and marks
// and the tie marks left are dropped.
#include <cstdio>

#include "core/constants.h"
#include "core/model/events.h"
#include "core/model/grid.h"
#include "core/model/model_reports.h"
#include "core/model/object_list.h"
#include "core/model/score_document.h"
#include "core/objects/score_object.h"
#include "notes/ties/ties.h"
#include "core/state.h"
#include "objects/curves/curve_interface.h"
#include "objects/spanners/spanner_objects.h"
#include "objects/tuplets/tuplet.h"
#include "sequencer/sequencer_services.h"

namespace ql {
namespace {

constexpr char kReportModule[] = "TRANSCRIBE";
constexpr int kTupletReportLine = 3;

// The voice of the current cell whose chain starts with `first`.
int VoiceOfChain(ScoreView* view, const EventRecord* first) {
    if (view->currentCell != nullptr)
        for (int voice = 0; voice < kVoiceCount; ++voice)
            if (GetVoiceFirstEvent(view->currentCell, voice) == first) return voice;
    return ActiveVoiceOfMask(view->voiceMask);
}

bool HasTupletMark(const EventRecord* note) {
    ScoreObject* object = GetEventAttachment(note);
    for (int i = 0; object != nullptr && i < kMaxChainLength; ++i, object = object->next.get())
        if (object->type == TypeCode(ObjectType::Tuplet)) return true;
    return false;
}

// A tuplet mark over the run starting at `first`, attached to it and placed over its
// group in the style of new marks.
void MarkTuplet(ScoreView* view, EventRecord* first, int count) {
    ScoreObject* record = AllocTuplet();
    if (record == nullptr) {
        ReportLowMemory(kReportModule, kTupletReportLine);
        return;
    }
    char digit[4];
    std::snprintf(digit, sizeof digit, "%d", count);
    SpannerEndpoint bracket{};
    bracket.lineWidth = CurveLineValuesOf(view->document).defaultLineWidth;
    ConstructTupletObject(record, view, DefaultTupletCurve(view, first), bracket);
    if (AttachTupletToNote(record, view, first, State().notes.NoteTools.tupletMarkStyle, digit) == nullptr)
        ReportLowMemory(kReportModule, kTupletReportLine);
}

}  // namespace

void sequencing::ApplyTranscribedAttachments(ScoreView* view, EventRecord* firstEvent) {
    if (view == nullptr || view->document == nullptr || firstEvent == nullptr) return;
    const int voice = VoiceOfChain(view, firstEvent);
    int walked = 0;
    for (EventRecord* e = firstEvent; e != nullptr && walked < kMaxChainLength; e = NextEvent(e), ++walked) {
        if (IsHeadSentinel(*e) || (e->word2 & kTieStartsHere) == 0 || FindNoteTie(e) != nullptr) continue;
        e->word2 &= static_cast<uint16_t>(~kTieStartsHere);
        // Once the records ran out, the marks left go without their ties.
        if (!RecordsRanOutOnce()) ToggleTie(view, e, voice);
    }
}

void sequencing::FixTranscribedEventChain(ScoreView* view, EventRecord* firstEvent) {
    if (view == nullptr || view->document == nullptr || firstEvent == nullptr) return;
    EventRecord* runStart = nullptr;
    int runLength = 0;
    int runCount = 0;
    int walked = 0;
    for (EventRecord* e = firstEvent; e != nullptr && walked < kMaxChainLength; e = NextEvent(e), ++walked) {
        if (IsHeadSentinel(*e) || !IsFirstOfChord(e)) continue;
        if (e->tupletKind == 0) {
            runStart = nullptr;
            continue;
        }
        if (runStart == nullptr) {
            runStart = e;
            runLength = TupletNoteCount(*e);
            runCount = 0;
        }
        if (++runCount < runLength) continue;
        if (!HasTupletMark(runStart) && !RecordsRanOutOnce()) MarkTuplet(view, runStart, runLength);
        runStart = nullptr;
    }
}

}  // namespace ql
