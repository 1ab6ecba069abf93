// Recorded MIDI into the score: each event handed over by the playback run sets the
// transcription inputs (native time: its time is already in score ticks from the
// start of the first measure played) and goes through the streaming stage; Stop
// finishes the measures.
#include "sequencer/transcription.h"

#include <algorithm>
#include <optional>
#include <vector>

#include "core/constants.h"
#include "core/core_strings.h"
#include "core/model/document.h"
#include "core/model/grid.h"
#include "core/model/model_reports.h"
#include "core/model/score_document.h"
#include "core/ui/long_operation.h"
#include "core/ui/progress.h"
#include "core/ui/status_bar.h"
#include "core/undo/undo.h"
#include "layout/page_format.h"
#include "sequencer/channel_events.h"
#include "sequencer/notes_left_out.h"
#include "sequencer/transcription_measures.h"
#include "sequencer/transcription_stream.h"

namespace ql {
namespace {

constexpr uint8_t kStatusKindMask = 0xF0;
constexpr uint8_t kChannelMask = 0x0F;
constexpr int kDataShift = 8;
constexpr uint32_t kByteMask = 0xFF;
constexpr char kAnalyzingText[] = " Analyzing Groups";
constexpr char kMakingPagesText[] = " Making pages";
constexpr char kFormattingText[] = "Formatting...";
constexpr char kDoneText[] = "OK";

struct RecordedTranscription {
    bool active = false;
    ScoreView* view = nullptr;
    int firstMeasure = 1;
    int measuresAtStart = 0;  // the run may add measures while it records
    int32_t lastTime = 0;
};

RecordedTranscription& Recording() {
    static RecordedTranscription recording;
    return recording;
}

// Fills the inputs for one recorded message; false when no recording began.
bool SetInputs(ScoreView* view, int staff, uint32_t message, int32_t time) {
    RecordedTranscription& r = Recording();
    if (!r.active || view != r.view) return false;
    TranscriptionInput& in = TranscriptionInputs();
    in.status = static_cast<uint8_t>(message & kStatusKindMask);
    in.channel = static_cast<uint8_t>(message & kChannelMask);
    in.data[0] = static_cast<uint8_t>((message >> kDataShift) & kByteMask);
    in.data[1] = static_cast<uint8_t>((message >> (2 * kDataShift)) & kByteMask);
    in.length = 2;
    in.delta = time - r.lastTime;
    r.lastTime = time;
    in.staff = staff;
    return true;
}

// The staves a recording writes: the record staff, with the split staff in split
// mode, every staff in multichannel mode.
std::vector<int> RecordedStaves(ScoreView* view) {
    const TranscriptionInput& in = TranscriptionInputs();
    std::vector<int> staves;
    if (in.mode == RecordMode::Multichannel) {
        for (int staff = 1; staff <= view->document->header.staffCount; ++staff) staves.push_back(staff);
        return staves;
    }
    staves.push_back(in.upperStaff);
    if (in.mode == RecordMode::Split && in.lowerStaff != in.upperStaff) staves.push_back(in.lowerStaff);
    return staves;
}

}  // namespace

void BeginRecordedTranscription(ScoreView* view, const RecordRouting& routing, int firstMeasure) {
    ResetTranscription();
    ResetTranscriptionWritten();
    RecordedTranscription& r = Recording();
    r = RecordedTranscription{};
    if (view == nullptr || view->document == nullptr) return;
    r.active = true;
    r.view = view;
    r.firstMeasure = std::max(firstMeasure, 1);
    r.measuresAtStart = view->document->header.measureCount;
    TranscriptionInput& in = TranscriptionInputs();
    in.mode = routing.mode;
    in.staff = routing.recordStaff;
    in.upperStaff = routing.recordStaff;
    in.lowerStaff = routing.splitStaff;
    in.nativeTime = true;
    in.firstMeasure = r.firstMeasure;
    in.lastMeasure = MeasureLimit;
    in.autoClef = false;
    in.voice = ActiveVoiceOfMask(view->voiceMask);
    for (int staff : RecordedStaves(view)) StartTranscriptionStaff(view, staff, r.firstMeasure);
}

void TranscribeRecordedNote(ScoreView* view, int staff, uint32_t message, int32_t time) {
    if (!SetInputs(view, staff, message, time)) return;
    TranscribeRecordedNotes(view);
    TranscribeRecordedStaff(view);
}

void ImportRecordedChannelEvent(ScoreView* view, int staff, uint32_t message, int32_t time) {
    if (!SetInputs(view, staff, message, time)) return;
    CountChannelEvent();
    TranscribeRecordedNotes(view);
    EnterReachedMeasure(view, staff);
    const int measure = TranscriptionStaffState(staff).currentMeasure;
    StaffRecord* record = StaffRecordOf(view->document, staff);
    if (record == nullptr || measure < 1 || measure > view->document->header.measureCount) return;
    ImportChannelEvent(view, staff, GetOrCreateMeasureCell(record, view->document, measure));
}

void FinishRecordedTranscription(ScoreView* view) {
    RecordedTranscription& r = Recording();
    if (!r.active || view != r.view || view == nullptr || view->document == nullptr) return;
    r.active = false;
    // The analysis runs with the program disabled, so nothing can close or change
    // the score meanwhile; inside a long operation already running, under that one.
    std::optional<LongOperation> operation;
    if (!LongOperationRunning()) operation.emplace();
    LowMemoryBoxOnce lowMemory;  // running out is told once
    UndoStep step(view->document, view, UndoKind::Note, 0, UndoVerb::Modify);
    const TranscriptionInput& in = TranscriptionInputs();
    ScoreDocument* document = view->document;
    const int measuresBefore = std::min<int>(r.measuresAtStart, document->header.measureCount);
    SetStatusText(1, kAnalyzingText);
    // The analysis can be long: it runs under the progress dialog, and a cancel
    // leaves the staves not yet analysed as they were emptied.
    bool cancelled = BeginProgressDialog(1, std::max<int>(document->header.measureCount, 1), kAnalyzingText) != 0;
    std::vector<int> analysed;
    for (int staff : RecordedStaves(view)) {
        if (cancelled) break;
        FlushPendingNotes(view, staff);
        const int last = std::min<int>(std::max(LastRawMeasure(staff), r.firstMeasure), document->header.measureCount);
        ClearRecordTargets(view, staff, staff, r.firstMeasure, last, in.voice);
        cancelled = TranscribeMeasureGroups(view, staff, staff, r.firstMeasure, last, true) == 0;
        analysed.push_back(staff);
    }
    EndProgressDialog();
    // Measures the recording added get pages, and the pages are laid out again
    // over them; a score that did not grow keeps its layout.
    if (document->header.measureCount > measuresBefore && document->firstPage != nullptr) {
        SetStatusText(1, kMakingPagesText);
        ExtendPagesToMeasureCount(view);
        SetStatusText(0, nullptr);
        SetStatusText(1, kFormattingText);
        ReformatOptions options;
        ReformatFromPage(view, &options, document->firstPage);
    }
    for (int staff : analysed) {
        const int last = std::min<int>(std::max(LastRawMeasure(staff), r.firstMeasure), document->header.measureCount);
        FinishTranscribedMeasures(view, in.voice, staff, staff, r.firstMeasure, last);
    }
    SetStatusText(1, nullptr);
    SetStatusText(0, kDoneText);
    ReportNotesLeftOut(TranscriptionCountsNow().pastLastMeasure, ProgramString(kStrProductName).c_str());
}

}  // namespace ql
