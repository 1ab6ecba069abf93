// Recorded MIDI into the score: each event handed over by the playback run sets the
// transcription inputs (native time: its time is already in score ticks from the
// start of the first measure played) and goes through the streaming stage; Stop
// finishes the measures.
#include "sequencer/transcription.h"

#include <algorithm>
#include <vector>

#include "core/constants.h"
#include "core/model/document.h"
#include "core/model/grid.h"
#include "core/model/score_document.h"
#include "core/ui/status_bar.h"
#include "core/undo/undo.h"
#include "layout/page_format.h"
#include "shell/program_options.h"
#include "sequencer/channel_events.h"
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
constexpr char kDoneText[] = "OK";

struct RecordedTranscription {
    bool active = false;
    ScoreView* view = nullptr;
    int firstMeasure = 1;
    int32_t lastTime = 0;
};

RecordedTranscription& Recording() {
    static RecordedTranscription recording;
    return recording;
}

// Fills the inputs for one recorded message; false when no recording began.
bool SetInputs(ScoreView* view, uint32_t message, int32_t time) {
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
    in.staff = StaffForMessage(in, (in.status & 0xE0) == 0x80, in.data[0]);
    return true;
}

}  // namespace

void BeginRecordedTranscription(ScoreView* view, int staff, int firstMeasure) {
    ResetTranscription();
    ResetTranscriptionWritten();
    RecordedTranscription& r = Recording();
    r = RecordedTranscription{};
    if (view == nullptr || view->document == nullptr) return;
    r.active = true;
    r.view = view;
    r.firstMeasure = std::max(firstMeasure, 1);
    TranscriptionInput& in = TranscriptionInputs();
    const ProgramOptions& options = Options();
    in.mode = options.RecordMode == static_cast<uint8_t>(RecordMode::SplitKeyboard) ? RecordMode::SplitKeyboard
                                                                                     : RecordMode::SingleStaff;
    in.staff = staff;
    in.upperStaff = staff;
    in.lowerStaff = std::clamp<int>(options.SplitStaff, 1, std::max<int>(view->document->header.staffCount, 1));
    in.splitKey = options.SplitPoint;
    in.nativeTime = true;
    in.firstMeasure = r.firstMeasure;
    in.lastMeasure = MeasureLimit;
    in.autoClef = false;
    in.voice = ActiveVoiceOfMask(view->voiceMask);
    StartTranscriptionStaff(view, staff, r.firstMeasure);
    if (in.lowerStaff != staff) StartTranscriptionStaff(view, in.lowerStaff, r.firstMeasure);
}

// The staff a run records for is the upper one of the transcription; a split
// keyboard sends low keys to the lower staff of the options.
void TranscribeRecordedNote(ScoreView* view, int /*staff*/, uint32_t message, int32_t time) {
    if (!SetInputs(view, message, time)) return;
    TranscribeRecordedNotes(view);
    TranscribeRecordedStaff(view);
}

void ImportRecordedChannelEvent(ScoreView* view, int /*staff*/, uint32_t message, int32_t time) {
    if (!SetInputs(view, message, time)) return;
    const int staff = TranscriptionInputs().staff;
    CountChannelEvent();
    TranscribeRecordedNotes(view);
    const int measure = TranscriptionStaffState(staff).currentMeasure;
    StaffRecord* record = StaffRecordOf(view->document, staff);
    if (record == nullptr || measure < 1 || measure > view->document->header.measureCount) return;
    ImportChannelEvent(view, staff, GetOrCreateMeasureCell(record, view->document, measure));
}

void FinishRecordedTranscription(ScoreView* view) {
    RecordedTranscription& r = Recording();
    if (!r.active || view != r.view || view == nullptr || view->document == nullptr) return;
    r.active = false;
    UndoStep step(view->document, view, UndoKind::Note, 0, UndoVerb::Modify);
    const TranscriptionInput& in = TranscriptionInputs();
    const int measuresBefore = view->document->header.measureCount;
    SetStatusText(1, kAnalyzingText);
    std::vector<int> staves = {in.upperStaff};
    if (in.mode == RecordMode::SplitKeyboard && in.lowerStaff != in.upperStaff) staves.push_back(in.lowerStaff);
    for (int staff : staves) {
        FlushPendingNotes(view, staff);
        const int last = std::min<int>(std::max(LastRawMeasure(staff), r.firstMeasure), view->document->header.measureCount);
        ClearRecordTargets(view, staff, staff, r.firstMeasure, last, in.voice);
        TranscribeMeasureGroups(view, staff, staff, r.firstMeasure, last, false);
        FinishTranscribedMeasures(view, in.voice, staff, staff, r.firstMeasure, last);
    }
    if (view->document->header.measureCount > measuresBefore && view->document->firstPage != nullptr) {
        SetStatusText(1, kMakingPagesText);
        ExtendPagesToMeasureCount(view);
    }
    SetStatusText(1, nullptr);
    SetStatusText(0, kDoneText);
}

}  // namespace ql
