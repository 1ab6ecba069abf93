// The palette state the mark tools read when they place an object, and the tool
// handlers of the dynamic, pedal, tempo, hairpin and chord-symbol tools. The palettes
// (editing) set the armed entries; the hairpin tool's flyout sets the wedge shape.
// User-interface thread only.
#pragma once

#include <cstdint>

#include "platform/handles.h"
#include "platform/win/messages.h"

namespace ql {

struct ScoreView;
struct ToolRecord;

constexpr int8_t kNoPaletteEntry = -1;
constexpr int kDynamicsPaletteEntries = 15;  // entries 0..14
constexpr uint16_t kDiminuendoFlyoutBitmap = 186;
constexpr uint16_t kPedalDownBitmap = 231;

constexpr uint8_t kDefaultChordNameStyle = 6;  // the document's "Chord Names" style

// What the palettes show: the armed entry of the Dynamics and Performance palettes
// (kNoPaletteEntry when none), the image on the pedal button, the hairpin shape;
// and what the next chord symbol takes (its name style and what it shows), which
// the chord dialog's OK sets.
struct MarkToolState {
    int8_t dynamicsEntry = kNoPaletteEntry;
    int8_t performanceEntry = kNoPaletteEntry;
    uint16_t pedalButtonBitmap = kPedalDownBitmap;
    bool diminuendo = false;
    uint8_t chordNameStyle = kDefaultChordNameStyle;
    uint8_t chordShowName = 1;
    uint8_t chordShowSymbol = 1;
};

MarkToolState& MarkTools();
void ResetMarkTools();  // start-up and tests

// Tool handlers (the ToolHandler protocol of core/ui/tool_record.h).
intptr_t DynamicTool(ScoreView* view, int action, ToolRecord* record,
                     platform::WindowHandle window, win::Message message, uint32_t word,
                     intptr_t data);
intptr_t PedalTool(ScoreView* view, int action, ToolRecord* record, platform::WindowHandle window,
                   win::Message message, uint32_t word, intptr_t data);
intptr_t TempoTool(ScoreView* view, int action, ToolRecord* record, platform::WindowHandle window,
                   win::Message message, uint32_t word, intptr_t data);
// Action 3 (a flyout entry chosen) sets the wedge shape from the entry's bitmap.
intptr_t HairpinTool(ScoreView* view, int action, ToolRecord* record,
                     platform::WindowHandle window, win::Message message, uint32_t word,
                     intptr_t data);
intptr_t ChordSymbolTool(ScoreView* view, int action, ToolRecord* record,
                         platform::WindowHandle window, win::Message message, uint32_t word,
                         intptr_t data);

}  // namespace ql
