// The palette buttons' faces and tooltip texts, read from the buttons' tool records.
#include "editing/palette_faces.h"

#include "editing/tool_records.h"
#include "editing/tools.h"

namespace ql {

ToolFace PaletteButtonFace(int palette, int index) {
    const ToolRecord* record = ToolRecordOf(palette, index);
    if (record == nullptr) return {};
    return {record->bitmapId, record->imageIndex};
}

const char* PaletteButtonTooltip(int palette, int index) {
    const ToolRecord* record = ToolRecordOf(palette, index);
    return record != nullptr ? ToolTipText(record->tooltipId) : "";
}

}  // namespace ql
