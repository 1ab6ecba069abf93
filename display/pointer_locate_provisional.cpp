// Locating the pointer in the current measure, as far as the rest and accidental
// tools need it.
#include <cstdlib>

#include "core/model/events.h"
#include "core/model/grid.h"
#include "core/model/score_document.h"
#include "display/view_location.h"
#include "notes/beatmap/beat_map.h"
#include "notes/pitch/pitch_vocabulary.h"
#include "notes/rests/staff_place.h"

namespace ql {

namespace {

constexpr int kTicksPerEntry = 16;
constexpr int kVoices = 4;

}  // namespace

// provisional: the locate module is not built; the time is read back from the
// current slot's beat map: the last 16-tick position whose x is at or left of x.
int XToTime(ScoreView* view, int x) {
    if (view == nullptr) return 0;
    const int relative = x - CurrentSlotX(view);
    int time = 0;
    for (int tick = 0; tick < view->currentMeasureLength; tick += kTicksPerEntry) {
        if (BeatMapTickToX(view, tick) > relative) break;
        time = tick;
    }
    return time;
}

// provisional: the locate module's hit test of notes is not built; a head is under
// the pointer when the pointer lies on its black-head box (head x to head x + the
// black head width, half a step above and below its y) in the current cell.
EventRecord* FindEventUnderPointer(ScoreView* view) {
    if (view == nullptr || view->currentCell == nullptr) return nullptr;
    const LogicalPoint p = view->pointerPoint;
    const int32_t width = view->glyphWidths.black;
    const int32_t halfStep = Zoomed(view, kUnitsPerStep / 2);
    for (int voice = 0; voice < kVoices; ++voice) {
        EventRecord* event = GetVoiceFirstEvent(view->currentCell, voice);
        for (int i = 0; event != nullptr && i < kMaxChainLength; ++i, event = NextEvent(event)) {
            const int32_t x = CurrentSlotX(view) + BeatMapTickToX(view, event->time) +
                              event->nudge * kTicksPerEntry;
            const int32_t y = PositionY(view, NotePosition(*event));
            if (p.x >= x && p.x <= x + width && std::abs(p.y - y) <= halfStep) {
                view->voiceMask = static_cast<uint8_t>(1u << voice);
                return event;
            }
        }
    }
    return nullptr;
}

}  // namespace ql
