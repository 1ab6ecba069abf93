// The export's run of the performance builder.
#include "interchange/smf/smf_export_events.h"

#include <algorithm>
#include <memory>

#include "core/model/score_document.h"
#include "sequencer/performance_builder.h"

namespace ql {
namespace {

// The bytes of a system-exclusive body event; empty for other kinds.
std::vector<uint8_t> BodyOf(const PerformanceRun& run, const PerformanceEvent& event) {
    if (EventKind(event) != PerformanceEventKind::SysExBody) return {};
    const uint32_t index = event.message;
    if (index == 0 || index > run.longMessageBytes.size()) return {};
    return run.longMessageBytes[index - 1];
}

}  // namespace

std::vector<ExportEvent> CollectExportEvents(ScoreDocument* document) {
    std::vector<ExportEvent> events;
    if (document == nullptr) return events;
    PerformanceOptions options;
    options.firstMeasure = 1;
    options.lastMeasure = std::max<int>(document->header.measureCount, 1);
    options.exporting = true;
    auto run = std::make_unique<PerformanceRun>();
    BeginPerformance(*run, document, options, kMaxBlockLength);
    int32_t lastStart = 0;
    for (const PlayedMeasure& played : run->walk) lastStart = std::max(lastStart, played.start + played.length);
    // The end of the data comes within a block or two of the last measure's end; a
    // run that keeps being refused events is stopped past that.
    const int32_t limit = lastStart + 4 * run->blockLength;
    auto half = std::make_unique<TickSlotHalf>();
    bool ended = false;
    for (int32_t base = 0; !ended && base <= limit; base += run->blockLength) {
        BuildBlock(*run, BlockTarget{half.get(), nullptr}, base);
        for (int slot = 0; slot < run->blockLength; ++slot) {
            for (const PerformanceEvent* e = half->heads[slot].get(); e != nullptr; e = e->next.get()) {
                events.push_back(ExportEvent{e->time, EventKind(*e), EventPort(*e), EventSlot(*e), e->message,
                                             e->measure, BodyOf(*run, *e)});
                ended = ended || EventKind(*e) == PerformanceEventKind::EndOfData;
            }
        }
        FreeHalf(*half);
    }
    EndPerformance(*run);
    // The data ends with the score's last measure, or with a later event.
    int32_t end = lastStart;
    std::erase_if(events, [&](const ExportEvent& e) {
        if (e.kind == PerformanceEventKind::EndOfData) return true;
        end = std::max(end, e.time);
        return false;
    });
    events.push_back(ExportEvent{end, PerformanceEventKind::EndOfData});
    return events;
}

}  // namespace ql
