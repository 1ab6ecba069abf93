// The two program settings a score carries in its header: "Tempo" (the tempo shown
// to the user, in quarter notes per minute) and the score's on/off setting. Both
// follow the active document: activating a view loads them from its document's
// header, and every change of either one also writes the active document's header,
// without marking it modified. So each score keeps its own values, and saving one
// score never writes the tempo of another score that was opened after it.
#pragma once

#include <cstdint>

namespace ql {

struct ScoreDocument;

// The header byte that holds the on/off setting (file offset 214 of the header).
constexpr int kOnOffSettingByte = 0;

// The current "Tempo" setting (120 until the settings store loads it).
uint16_t TempoSetting();
// Sets "Tempo" and the active document's tempo (the document stays as modified as
// it was).
void SetTempoSetting(uint16_t tempo);

// The current on/off setting that a score carries.
bool ScoreOnOffSetting();
// Sets it and the active document's header byte (1 on, 0 off), without marking the
// document modified.
void SetScoreOnOffSetting(bool on);

// Loads both settings from a document's header (view activation); null does nothing.
void LoadScoreSettingsFrom(const ScoreDocument* document);

}  // namespace ql
