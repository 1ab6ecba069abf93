// The engraving-metric settings: key, default text and the word of the metric record
// each one fills.
#pragma once

#include <span>

#include "core/model/engraving_metrics.h"
#include "core/units/units.h"

namespace ql {

// The range a score's metric is drawn with, in staff spaces, both ends included; a
// stored value outside it (0 for most, a staff line as thick as a space) is replaced
// by the default.
struct MetricRange {
    double lowest;
    double highest;
};

struct MetricSetting {
    const char* key;          // in section "Musical Metrics"
    const char* defaultText;  // staff spaces
    EngravingMetric word;
    MetricRange range;
};

constexpr int kMetricSettingCount = 27;

std::span<const MetricSetting> MetricSettingsTable();
// Every word 0, then the defaults of the 27 metrics as d.ddd words.
void ApplyDefaultMetricWords(BcdInches (&words)[kPageDistanceCount]);

// The header's stored metric words outside their ranges set to the defaults' stored
// words; the number of words replaced.
int RepairMetricWords(ScoreHeader& header);
// After the document's internal distances were set (from the settings or the Music
// Metrics dialog): the stored words follow them, words out of range take their
// defaults, and the internal distances become what reading those words gives, so
// that every file of the score reads back into the same metrics.
void StoreDocumentMetrics(ScoreDocument* document);

// Reads the engraving metrics from the preferences into the document's internal
// distances (or into `distances`); a document's header, which its file stores, takes
// them as well.
void LoadMetricsPrefs(ScoreDocument* document, uint16_t* distances);

}  // namespace ql
