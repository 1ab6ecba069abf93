// The transport as the score windows see it: started by Play and Record, a stop
// pending, punch-in armed, a recording running, where the next run starts and
// which view plays. The view procedures filter input by it; the sequencer window
// clears it when a run ends or fails to start.
#pragma once

#include <cstdint>

namespace ql {

struct ScoreView;

struct TransportFlags {
    uint8_t started = 0;  // set by the play and record commands
    uint8_t stopPending = 0;
    uint8_t punchInArmed = 0;  // the record command is pressed
    uint8_t recording = 0;     // kept until its transcription ends
    int32_t playStartMeasure = 0;
    int32_t playStartStaff = 0;
    // The range the next start plays, taken by it: 0 the Playback Settings' range,
    // 2 from the current measure, 4 from rangeFirst to rangeLast.
    uint8_t rangeKind = 0;
    int32_t rangeFirst = 0;
    int32_t rangeLast = 0;
    ScoreView* playingView = nullptr;
};
TransportFlags& Transport();

// While true only painting, scrolling, Space and a few commands reach a view.
bool TransportBusy();

// The sequencer ended or could not start a run.
void OnTransportRunEnded();

// The view's Play (42035): the transport is started for `view`, which plays (or
// records when punch-in is armed). Stop (42037): the run ends and the transport
// with it. The MIDI menu's items go through these too, so that the filter above
// holds however a run was started.
void StartTransport(ScoreView* view);
void StopTransport();

}  // namespace ql
