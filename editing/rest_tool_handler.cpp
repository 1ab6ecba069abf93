// The rest tool's handler (see rest_tool_handler.h): the rest value is the chosen
// button's index with the face its cycle button shows (whole or double whole; the
// short values), which rest placing turns into the rest's DurationCode.
#include "editing/rest_tool_handler.h"

#include "core/constants.h"
#include "core/objects/selection_state.h"
#include "core/state.h"
#include "editing/palette_layout.h"
#include "editing/tool_records.h"

namespace ql {
namespace {

constexpr uint16_t kWholeButton = 1;
constexpr uint16_t kShortValuesButton = 6;

void TakeRestValue() {
    const uint16_t entry = State().notes.NoteTools.selectedEntry;
    RestToolState& rest = State().notes.RestTools;
    rest.paletteIndex = static_cast<uint8_t>(entry);
    rest.variant = 0;
    if (entry != kWholeButton && entry != kShortValuesButton) return;
    if (const ToolRecord* button = ToolRecordOf(kNotesPalette, entry); button != nullptr && button->alternateIndex > 0)
        rest.variant = static_cast<uint8_t>(button->alternateIndex);
}

}  // namespace

intptr_t RestToolHandler(ScoreView* view, int action, ToolRecord* record, platform::WindowHandle window,
                         win::Message message, uint32_t word, intptr_t data) {
    if (action != ToolAction::Deselect) TakeRestValue();
    const SelectionState* s = TheSelectionState();
    constexpr int kRestType = TypeCode(ObjectType::Rest);
    // Another tool's type still armed (the Notes tool's, before the palette showed
    // rests) is given up for the Rest type first.
    if (action == ToolAction::Message && s != nullptr && s->armed != 0 && s->toolType != kRestType)
        action = ToolAction::SelectThenMessage;
    return ObjectToolHandler(view, action, record, window, message, word, data, kRestType);
}

}  // namespace ql
