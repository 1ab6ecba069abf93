// The "Tempo" and on/off settings and their mirror in the active document's header
// (see score_settings.h). The program holds both in its preference header, the one
// new scores are made from; the active document's header holds the same values.
#include "core/settings/score_settings.h"

#include "core/model/document.h"
#include "core/model/score_document.h"
#include "core/settings/preference_defaults.h"
#include "core/state.h"

namespace ql {
namespace {

ScoreHeader& ProgramHeader() {
    return ProgramPreferences().header;
}

// The header of the active view's document; null when no view is active.
ScoreHeader* ActiveHeader() {
    ScoreView* view = State().documents.ActiveView;
    if (view == nullptr || view->document == nullptr) return nullptr;
    return &view->document->header;
}

}  // namespace

uint16_t TempoSetting() {
    return ProgramHeader().tempo;
}

void SetTempoSetting(uint16_t tempo) {
    ProgramHeader().tempo = tempo;
    if (ScoreHeader* active = ActiveHeader()) active->tempo = tempo;
}

bool ScoreOnOffSetting() {
    return ProgramHeader().settings220[kOnOffSettingByte] != 0;
}

void SetScoreOnOffSetting(bool on) {
    const uint8_t value = on ? 1 : 0;
    ProgramHeader().settings220[kOnOffSettingByte] = value;
    if (ScoreHeader* active = ActiveHeader()) active->settings220[kOnOffSettingByte] = value;
}

void LoadScoreSettingsFrom(const ScoreDocument* document) {
    if (document == nullptr) return;
    ProgramHeader().tempo = document->header.tempo;
    ProgramHeader().settings220[kOnOffSettingByte] =
        document->header.settings220[kOnOffSettingByte] != 0 ? 1 : 0;
}

}  // namespace ql
