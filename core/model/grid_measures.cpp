// Clearing a measure record of the score grid.
#include <cstring>

#include "core/model/grid.h"
#include "core/model/grid_records.h"
#include "core/settings/preference_defaults.h"

namespace ql {

void ClearMeasureRecord(MeasureRecord* record, const uint16_t* distances) {
    if (record == nullptr) return;
    const uint16_t lengthTicks = record->lengthTicks;
    const uint16_t width = record->width;
    const uint8_t extra = record->extra;
    std::memset(record, 0, sizeof(MeasureRecord));
    record->lengthTicks = lengthTicks;
    record->width = width;
    record->extra = extra;
    record->stretch = ProgramPreferences().DefaultStretchFactor;
    if (distances != nullptr) {
        record->lead = static_cast<int16_t>(distances[0]);
        record->trail = static_cast<int16_t>(distances[1]);
    }
}

}  // namespace ql
