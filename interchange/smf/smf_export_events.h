// The events an export writes, made by the performance builder in its export mode
// over the whole score (no metronome, full note lengths, every repeat played) and
// taken out of the tick-slot table block by block in time order. A system-exclusive
// body event carries its bytes with it, since the run that kept them ends here.
#pragma once

#include <cstdint>
#include <vector>

#include "sequencer/performance_event.h"

namespace ql {

struct ScoreDocument;

struct ExportEvent {
    int32_t time = 0;
    PerformanceEventKind kind = PerformanceEventKind::Channel;
    int port = 0;
    int slot = 0;
    uint32_t message = 0;
    uint16_t measure = 0;
    std::vector<uint8_t> body{};  // a system-exclusive body event's bytes, F0 to F7
};

// Every event of the score in time order, ending with the end of the data.
std::vector<ExportEvent> CollectExportEvents(ScoreDocument* document);

}  // namespace ql
