// The engraving metrics in the settings: 27 keys of section "Musical Metrics" (subkey
// "Metrics"), each a number of staff spaces with up to three decimals, held in the
// options as d.ddd words and given to documents in logical units (x 128, truncated).
#include <iterator>

#include "core/model/document.h"
#include "core/model/engraving_metrics.h"
#include "core/model/score_document.h"
#include "core/settings/metrics_table.h"
#include "core/settings/settings_store.h"
#include "core/units/units.h"

namespace ql {
namespace {

// The ranges: spaces more than 0 and at most a few spaces, thicknesses more than 0
// and well below a staff space; sharpness and the tie offsets may be 0. A tie
// curvature below 0.13 is one the tie drawing cannot use.
constexpr MetricRange kSpace{0.01, 8.0};
constexpr MetricRange kThinLine{0.01, 0.25};
constexpr MetricRange kThickLine{0.01, 1.0};
constexpr MetricRange kSharpness{0.0, 1.0};
constexpr MetricRange kOffset{0.0, 2.0};
constexpr MetricRange kTieCurve{0.13, 4.0};

constexpr MetricSetting kMetricSettings[] = {
    {"Beat0", "2.0", EngravingMetric::Beat0, kSpace},
    {"BeatX", ".5", EngravingMetric::BeatX, kSpace},
    {"Clef", ".75", EngravingMetric::Clef, kSpace},
    {"Key", "1.5", EngravingMetric::Key, kSpace},
    {"Keysym", "1.25", EngravingMetric::Keysym, kSpace},
    {"Time", ".5", EngravingMetric::Time, kSpace},
    {"Bracket", ".8", EngravingMetric::Bracket, kSpace},
    {"Brace", "1.5", EngravingMetric::Brace, kSpace},
    {"BeamWid", ".468", EngravingMetric::BeamWid, kThickLine},
    {"BeamSep", ".75", EngravingMetric::BeamSep, kSpace},
    {"StemWid", ".093", EngravingMetric::StemWid, kThinLine},
    {"StaffLineWid", ".09", EngravingMetric::StaffLineWid, kThinLine},
    {"BarLineWid", ".093", EngravingMetric::BarLineWid, kThinLine},
    {"Accident", ".8", EngravingMetric::Accident, kSpace},
    {"FirstAcci", ".69", EngravingMetric::FirstAcci, kSpace},
    {"SlurWid", ".25", EngravingMetric::SlurWid, kThickLine},
    {"SlurPoint", ".015", EngravingMetric::SlurPoint, kSharpness},
    {"TieHump", ".812", EngravingMetric::TieHump, kTieCurve},
    {"TieWid", ".109", EngravingMetric::TieWid, kThickLine},
    {"TiePoint", ".0", EngravingMetric::TiePoint, kSharpness},
    {"TieOffX", ".25", EngravingMetric::TieOffX, kOffset},
    {"TieOffY", ".695", EngravingMetric::TieOffY, kOffset},
    {"ThickBarline", ".625", EngravingMetric::ThickBarline, kThickLine},
    {"BetweenDouble", ".531", EngravingMetric::BetweenDouble, kThickLine},
    {"VoxBias", "2.0", EngravingMetric::VoxBias, kSpace},
    {"SigMeasureExtra", ".75", EngravingMetric::SigMeasureExtra, kSpace},
    {"ClefChange", "2.0", EngravingMetric::ClefChange, kSpace},
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
    const bool intoDocument = distances == nullptr && document != nullptr;
    if (intoDocument) distances = document->internalDistances;
    if (distances == nullptr) return;
    for (const MetricSetting& metric : kMetricSettings)
        distances[WordOf(metric)] =
            static_cast<uint16_t>(PointsToUnits(Options().Metrics[WordOf(metric)]));
    if (intoDocument) StoreDocumentMetrics(document);
}

int RepairMetricWords(ScoreHeader& header) {
    int repaired = 0;
    for (const MetricSetting& metric : kMetricSettings) {
        BcdInches& word = header.pageDistances[WordOf(metric)];
        const double value = BcdInchesToFloat(word);
        if (value >= metric.range.lowest && value <= metric.range.highest) continue;
        word = UnitsToBcdInches(PointsToUnits(ParseDecimalText(metric.defaultText)));
        ++repaired;
    }
    return repaired;
}

void StoreDocumentMetrics(ScoreDocument* document) {
    if (document == nullptr) return;
    ConvertChangedDistancesToExternal(document);
    RepairMetricWords(document->header);
    ConvertHeaderToInternal(document);
}

}  // namespace ql
