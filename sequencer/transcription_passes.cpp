// The transcription clean-up over a voice's event chain, run when the transcribed
// measures are finished: every note marked to tie on gets its tie (the mark is the
// tie-start bit the writer left; a note whose next note of that pitch is not there
// keeps no tie), and every run of tuplet members starts a tuplet mark with its digit,
// 256 units above or below its notes by the stem.
#include <cstdio>

#include "core/constants.h"
#include "core/model/events.h"
#include "core/model/grid.h"
#include "core/model/model_reports.h"
#include "core/model/object_list.h"
#include "core/model/score_document.h"
#include "core/objects/score_object.h"
#include "core/text/text_object.h"
#include "notes/ties/ties.h"
#include "objects/spanners/spanner_objects.h"
#include "sequencer/sequencer_services.h"

namespace ql {
namespace {

constexpr char kReportModule[] = "TRANSCRIBE";
constexpr int kTupletReportLine = 3;
constexpr int16_t kTupletMarkRise = 256;
constexpr int16_t kTupletMarkSide = 76;

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

// A tuplet mark over the run from `first` to `last`, attached to `first`.
void MarkTuplet(ScoreView* view, EventRecord* first, const EventRecord* last, int count) {
    ScoreObject* object = ConstructObject(TypeCode(ObjectType::Tuplet));
    if (object == nullptr) {
        ReportLowMemory(kReportModule, kTupletReportLine);
        return;
    }
    TupletObject* tuplet = AsTuplet(object);
    char digit[4];
    std::snprintf(digit, sizeof digit, "%d", count);
    const bool stemUp = (first->flags & kEventStemFlag) != 0;
    const int16_t rise = stemUp ? static_cast<int16_t>(-kTupletMarkRise) : kTupletMarkRise;
    AnchorPayload& anchor = tuplet->anchor.payload;
    anchor.times[0] = 0;
    anchor.times[1] = static_cast<uint16_t>(last->time - first->time);
    anchor.offsets[0] = rise;
    anchor.offsets[1] = rise;
    anchor.offsets[2] = kTupletMarkSide;
    if (SetTextObjectString(&tuplet->text, digit) < 0 || AttachObjectToNote(view, first, object) == 0) {
        ReleaseObjectByType(view->document, object);
        ReportLowMemory(kReportModule, kTupletReportLine);
        return;
    }
    // provisional: the bracket's four points are to come from ComputeTupletPoints
    // (objects/object_services.h), which the tuplet class does not define yet; the
    // anchor's times and offsets above place the mark until then.
}

}  // namespace

void ApplyTranscribedAttachments(ScoreView* view, EventRecord* firstEvent) {
    if (view == nullptr || view->document == nullptr || firstEvent == nullptr) return;
    const int voice = VoiceOfChain(view, firstEvent);
    int walked = 0;
    for (EventRecord* e = firstEvent; e != nullptr && walked < kMaxChainLength; e = NextEvent(e), ++walked) {
        if (IsHeadSentinel(*e) || (e->word2 & kTieStartsHere) == 0 || FindNoteTie(e) != nullptr) continue;
        e->word2 &= static_cast<uint16_t>(~kTieStartsHere);
        ToggleTie(view, e, voice);
    }
}

void FixTranscribedEventChain(ScoreView* view, EventRecord* firstEvent) {
    if (view == nullptr || view->document == nullptr || firstEvent == nullptr) return;
    EventRecord* runStart = nullptr;
    EventRecord* runLast = nullptr;
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
        runLast = e;
        if (++runCount < runLength) continue;
        if (!HasTupletMark(runStart)) MarkTuplet(view, runStart, runLast, runLength);
        runStart = nullptr;
    }
}

}  // namespace ql
