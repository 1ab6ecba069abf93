// The engraving metrics in the settings: 27 keys of section "Musical Metrics" (subkey
// "Metrics"), each a number of staff spaces with up to three decimals, held in the
// options as d.ddd words and given to documents in logical units (x 128, truncated).
#include <iterator>

#include "core/model/document.h"
#include "core/model/engraving_metrics.h"
#include "core/model/score_document.h"
#include "core/units/units.h"
#include "shell/metrics_table.h"
#include "shell/settings_store.h"
#include "shell/shell_services.h"

namespace ql {
namespace {

constexpr MetricSetting kMetricSettings[] = {
    {"Beat0", "2.0", EngravingMetric::Beat0},
    {"BeatX", ".5", EngravingMetric::BeatX},
    {"Clef", ".75", EngravingMetric::Clef},
    {"Key", "1.5", EngravingMetric::Key},
    {"Keysym", "1.25", EngravingMetric::Keysym},
    {"Time", ".5", EngravingMetric::Time},
    {"Bracket", ".8", EngravingMetric::Bracket},
    {"Brace", "1.5", EngravingMetric::Brace},
    {"BeamWid", ".468", EngravingMetric::BeamWid},
    {"BeamSep", ".75", EngravingMetric::BeamSep},
    {"StemWid", ".093", EngravingMetric::StemWid},
    {"StaffLineWid", ".09", EngravingMetric::StaffLineWid},
    {"BarLineWid", ".093", EngravingMetric::BarLineWid},
    {"Accident", ".8", EngravingMetric::Accident},
    {"FirstAcci", ".69", EngravingMetric::FirstAcci},
    {"SlurWid", ".25", EngravingMetric::SlurWid},
    {"SlurPoint", ".015", EngravingMetric::SlurPoint},
    {"TieHump", ".812", EngravingMetric::TieHump},
    {"TieWid", ".109", EngravingMetric::TieWid},
    {"TiePoint", ".0", EngravingMetric::TiePoint},
    {"TieOffX", ".25", EngravingMetric::TieOffX},
    {"TieOffY", ".695", EngravingMetric::TieOffY},
    {"ThickBarline", ".625", EngravingMetric::ThickBarline},
    {"BetweenDouble", ".531", EngravingMetric::BetweenDouble},
    {"VoxBias", "2.0", EngravingMetric::VoxBias},
    {"SigMeasureExtra", ".75", EngravingMetric::SigMeasureExtra},
    {"ClefChange", "2.0", EngravingMetric::ClefChange},
};
static_assert(std::size(kMetricSettings) == kMetricSettingCount);

int WordOf(const MetricSetting& metric) {
    return static_cast<int>(metric.word);
}

}  // namespace

std::span<const MetricSetting> MetricSettingsTable() {
    return kMetricSettings;
}

void ApplyDefaultMetricWords(BcdInches (&words)[kPageDistanceCount]) {
    for (BcdInches& word : words) word = 0;
    for (const MetricSetting& metric : kMetricSettings)
        words[WordOf(metric)] = ParseDecimalText(metric.defaultText);
}

void SetDefaultMetrics() {
    ApplyDefaultMetricWords(Options().Metrics);
}

void ReadMetricsPrefs() {
    constexpr int kMetricTextChars = 32;
    char text[kMetricTextChars];
    for (const MetricSetting& metric : kMetricSettings) {
        GetPrefString(kMetricsSection, metric.key, metric.defaultText, text, sizeof text,
                      ProfilePath().c_str());
        Options().Metrics[WordOf(metric)] = ParseDecimalText(text);
    }
    if (!SettingsSubkeyExists(kMetricsSubkey)) SaveMetricsPrefs();
}

void SaveMetricsPrefs() {
    sys::SettingsBatch batch(sys::ProgramSettings());
    char text[kBcdTextBytes];
    for (const MetricSetting& metric : kMetricSettings) {
        BcdFineToText(Options().Metrics[WordOf(metric)], text, sizeof text);
        SetPrefString(kMetricsSection, metric.key, text);
    }
}

void LoadMetricsPrefs(ScoreDocument* document, uint16_t* distances) {
    if (distances == nullptr && document != nullptr) distances = document->internalDistances;
    if (distances == nullptr) return;
    for (const MetricSetting& metric : kMetricSettings)
        distances[WordOf(metric)] =
            static_cast<uint16_t>(PointsToUnits(Options().Metrics[WordOf(metric)]));
    // A document's metrics go to its header, which its file stores; the header holds
    // fewer decimals, so the document is then engraved with what its file keeps.
    if (document == nullptr || distances != document->internalDistances) return;
    for (const MetricSetting& metric : kMetricSettings)
        document->header.pageDistances[WordOf(metric)] = UnitsToBcdInches(distances[WordOf(metric)]);
    ConvertHeaderToInternal(document);
}

}  // namespace ql
