// The view following the measure being played.
#include "shell/program/follow_music.h"

#include <algorithm>
#include <cstdint>

#include "core/model/score_document.h"
#include "core/settings/program_options.h"
#include "core/units/view_moves.h"
#include "display/follow_mark.h"
#include "display/view_location.h"
#include "sequencer/sequencer_state.h"
#include "shell/program/readout_window.h"

namespace ql {
namespace {

constexpr int kMaskStaves = 63;
constexpr int kFirstBeat = 1;

struct FollowRun {
    ScoreView* view = nullptr;
    int startMeasure = 0;
    int staff = 1;
};

FollowRun& Run() {
    static FollowRun run;
    return run;
}

bool Usable(const ScoreView* view) {
    return view != nullptr && view->self == view && view->document != nullptr;
}

// The staves the listener hears: the soloed ones when some are, else the unmuted.
uint64_t HeardStaves(const ScoreDocument* document) {
    const LiveTables& live = TheSequencerState().live;
    const int count = std::min<int>({document->header.staffCount, kMaskStaves, kSlotEntries - 1});
    bool solo = false;
    for (int staff = 1; staff <= count; ++staff) solo |= live.solo[staff].load(std::memory_order_relaxed) != 0;
    uint64_t staves = 0;
    for (int staff = 1; staff <= count; ++staff) {
        const bool heard = solo ? live.solo[staff].load(std::memory_order_relaxed) != 0
                                : live.mute[staff].load(std::memory_order_relaxed) == 0;
        if (heard) staves |= uint64_t{1} << staff;
    }
    return staves;
}

int StaffOf(const ScoreView* view) {
    const int count = std::max<int>(view->document->header.staffCount, 1);
    return std::clamp<int>(view->currentStaff, 1, count);
}

void ShowMeasure(ScoreView* view, int measure) {
    const int staff = StaffOf(view);
    ShowMeasureInView(view, staff, measure);
    if (view->currentMeasure != measure) SetCurrentMeasure(view, staff, measure);
}

}  // namespace

void BeginFollowing(ScoreView* view) {
    ClearFollowMark();
    Run() = FollowRun{};
    if (!Usable(view)) return;
    // A view with no current measure plays the score from its start.
    Run() = FollowRun{view, std::max<int>(view->currentMeasure, 1), StaffOf(view)};
}

void ShowLastPlayedMeasure(ScoreView* view) {
    const int measure = TheSequencerState().lastDownbeatMeasure.load(std::memory_order_relaxed);
    if (measure <= 0 || !Usable(view)) return;
    SetReadoutText(ShowPositionReadout(view, measure, kFirstBeat));
}

void FollowDownbeat(ScoreView* view, int measure) {
    if (measure <= 0 || !Usable(view)) return;
    SetReadoutText(ShowPositionReadout(view, measure, kFirstBeat));
    if (Options().FollowMusic == 0 || measure > view->document->header.measureCount) return;
    ShowMeasure(view, measure);
    SetFollowMark(view, measure, HeardStaves(view->document));
}

void EndFollowing(bool rewind) {
    ClearFollowMark();
    FollowRun run = Run();
    Run() = FollowRun{};
    if (!rewind || !Usable(run.view) || Options().FollowMusic == 0 || Options().IsAutoRewind == 0) return;
    if (run.startMeasure < 1 || run.startMeasure > run.view->document->header.measureCount) return;
    ShowMeasure(run.view, run.startMeasure);
}

}  // namespace ql
