// The engraving-metric settings: key, default text and the word of the metric record
// each one fills.
#pragma once

#include <span>

#include "core/model/engraving_metrics.h"
#include "core/units/units.h"

namespace ql {

struct MetricSetting {
    const char* key;          // in section "Musical Metrics"
    const char* defaultText;  // staff spaces
    EngravingMetric word;
};

constexpr int kMetricSettingCount = 27;

std::span<const MetricSetting> MetricSettingsTable();
// Every word 0, then the defaults of the 27 metrics as d.ddd words.
void ApplyDefaultMetricWords(BcdInches (&words)[kPageDistanceCount]);

}  // namespace ql
