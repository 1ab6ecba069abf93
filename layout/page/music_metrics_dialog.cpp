// The "Music Metrics" dialog (850): the score's engraving metrics in staff spaces
// (three decimals) edited beside their logical values (x 128, truncated; the score
// stores them in its distance form, two decimals, as its header always has), the
// program's defaults or the score's own brought back, and on OK the metrics stored
// as one undoable edit. A change of the space before the first beat (or after the
// last) moves every measure's lead (or trail) by the change, never below the new
// value.
#include <algorithm>
#include <cstring>

#include "core/model/document.h"
#include "core/model/engraving_metrics.h"
#include "core/model/score_document.h"
#include "core/settings/metrics_table.h"
#include "core/settings/program_options.h"
#include "core/settings/settings_store.h"
#include "core/ui/help.h"
#include "core/ui/modal_boxes.h"
#include "core/undo/undo.h"
#include "core/units/units.h"
#include "display/linked_views.h"
#include "layout/page/page_layout_resources.h"
#include "layout/page_layout_dialogs.h"
#include "notes/beatmap/beat_map.h"
#include "notes/ties/ties.h"
#include "platform/ui/controls.h"
#include "platform/ui/dialog.h"
#include "platform/ui/dialog_template.h"

namespace ql {

namespace {

using namespace music_metrics_dialog;
using platform::WindowHandle;

constexpr intptr_t kDialogDone = 1;
constexpr intptr_t kDialogCancelled = 2;
constexpr int kBeat0 = static_cast<int>(EngravingMetric::Beat0);
constexpr int kBeatX = static_cast<int>(EngravingMetric::BeatX);
constexpr int kTextChars = 16;

// The two working records of one run.
struct MetricRecords {
    BcdInches words[kPageDistanceCount] = {};
    uint16_t units[kPageDistanceCount] = {};
};

void FillEdits(WindowHandle dialog, const MetricRecords& records) {
    char text[kTextChars];
    for (const MetricField& field : kFields) {
        BcdFineToText(records.words[field.word], text, sizeof text);
        ui::SetItemText(dialog, field.id, text);
    }
}

// The score's metrics: its logical values, shown to three decimals.
void LoadDocumentRecords(const ScoreDocument& document, MetricRecords* records) {
    std::memcpy(records->units, document.internalDistances, sizeof records->units);
    for (int i = 0; i < kPageDistanceCount; ++i) records->words[i] = UnitsToBcdFine(records->units[i]);
}

void LoadDefaultRecords(MetricRecords* records) {
    ApplyDefaultMetricWords(records->words);
    for (int i = 0; i < kPageDistanceCount; ++i) records->units[i] = static_cast<uint16_t>(PointsToUnits(records->words[i]));
}

// An edit's text into both records.
void ReadEdit(WindowHandle dialog, int32_t id, MetricRecords* records) {
    for (const MetricField& field : kFields) {
        if (field.id != id) continue;
        const BcdInches word = ParseDecimalText(ui::GetItemText(dialog, id).c_str());
        records->words[field.word] = word;
        records->units[field.word] = static_cast<uint16_t>(PointsToUnits(word));
    }
}

// Every measure's lead (or trail) moved by a change of its metric, never below the
// new value.
void MoveMeasureSpaces(ScoreDocument* document, int oldBeat0, int newBeat0, int oldBeatX, int newBeatX) {
    if (!document->measureTable) return;
    MeasureRecord* table = document->measureTable.get();
    const int count = std::min<int>(document->header.measureCount + kSpareMeasures, MaxMeasures - 1);
    for (int m = 1; m <= count; ++m) {
        if (newBeat0 != oldBeat0)
            table[m].lead = static_cast<int16_t>(std::clamp(std::max(table[m].lead + newBeat0 - oldBeat0, newBeat0),
                                                            int{INT16_MIN}, int{INT16_MAX}));
        if (newBeatX != oldBeatX)
            table[m].trail = static_cast<int16_t>(std::clamp(std::max(table[m].trail + newBeatX - oldBeatX, newBeatX),
                                                             int{INT16_MIN}, int{INT16_MAX}));
    }
}

void ApplyMetrics(WindowHandle dialog, ScoreView* view, const MetricRecords& records) {
    ScoreDocument* document = view->document;
    UndoStep step(document, view, UndoKind::Setting, 0, UndoVerb::Change);
    SetDocumentModified(document);
    const int oldBeat0 = document->internalDistances[kBeat0];
    const int oldBeatX = document->internalDistances[kBeatX];
    const TieMetrics oldTies = TieMetricsOf(*document);
    std::memcpy(document->internalDistances, records.units, sizeof records.units);
    RescaleTies(document, oldTies, TieMetricsOf(*document));
    StoreDocumentMetrics(document);  // the stored distances follow, and read back the same
    if (ui::IsItemChecked(dialog, kSavePreferences)) {
        std::memcpy(Options().Metrics, records.words, sizeof records.words);
        SaveMetricsPrefs();
    }
    MoveMeasureSpaces(document, oldBeat0, document->internalDistances[kBeat0], oldBeatX,
                      document->internalDistances[kBeatX]);
}

intptr_t OnCommand(WindowHandle dialog, ScoreView* view, MetricRecords* records, uint32_t word) {
    const auto id = static_cast<int32_t>(win::CommandId(word));
    if (win::CommandCode(word) == ui::kEditChange) {
        ReadEdit(dialog, id, records);
        return 1;
    }
    switch (id) {
        case ui::kIdOk:
            ApplyMetrics(dialog, view, *records);
            ui::EndDialog(dialog, kDialogDone);
            return 1;
        case ui::kIdCancel: ui::EndDialog(dialog, kDialogCancelled); return 1;
        case kDefaults:
            LoadDefaultRecords(records);
            FillEdits(dialog, *records);
            return 1;
        case kReset:
            LoadDocumentRecords(*view->document, records);
            FillEdits(dialog, *records);
            return 1;
        case kHelpButtonId: return ShowDialogContextHelp(dialog, kHelpId, nullptr);
        default: return 0;
    }
}

}  // namespace

intptr_t RunMusicMetricsDialog(ScoreView* view) {
    if (view == nullptr || view->document == nullptr) return kDialogCancelled;
    MetricRecords records;
    LoadDocumentRecords(*view->document, &records);
    const intptr_t result = ModalDialogBox(
        view, kMusicMetricsDialog, [&](WindowHandle dialog, win::Message message, uint32_t word, intptr_t data) -> intptr_t {
            switch (message) {
                case win::Message::InitDialog:
                    FillEdits(dialog, records);
                    EnableHelpButton(dialog, nullptr);
                    return 0;
                case win::Message::Command: return OnCommand(dialog, view, &records, word);
                case win::Message::DrawItem: return DrawDialogLogo(reinterpret_cast<const win::DrawItemInfo*>(data));
                case win::Message::Help:
                    return ShowDialogContextHelp(dialog, kHelpId, reinterpret_cast<const win::HelpInfo*>(data));
                default: return 0;
            }
        });
    if (result != kDialogDone) return kDialogCancelled;
    if (view->document->header.staffCount > 0) UpdateBeatMaps(view, 1);
    InvalidateLinkedViews(view);
    return kDialogDone;
}

}  // namespace ql
