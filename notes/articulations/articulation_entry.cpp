// Marks added during note entry (see articulation_entry.h).
#include "notes/articulations/articulation_entry.h"

#include "core/ui/palette_index.h"
#include "core/ui/tool_record.h"
#include "core/ui/tool_services.h"
#include "notes/articulations/articulation_class.h"
#include "notes/articulations/articulation_tool.h"

namespace ql {
namespace {

bool AttachEntryOf(ScoreView* view, EventRecord* note, ArticulationPalette palette) {
    const ArticulationToolState& tools = ArticulationTools();
    const int entry =
        palette == ArticulationPalette::Accents ? tools.accentEntry : tools.ornamentEntry;
    return AttachPaletteEntryToNote(view, note, palette, entry);
}

// The Notes palette's button of a palette: its index is the palette's tool id.
bool IsButtonMarked(ArticulationPalette palette) {
    const ToolRecord* button = ToolRecordOf(kNotesPalette, static_cast<int>(palette));
    return button != nullptr && button->marked != 0;
}

}  // namespace

bool AttachAccentArticulation(ScoreView* view, EventRecord* note) {
    return AttachEntryOf(view, note, ArticulationPalette::Accents);
}

bool AttachOrnamentArticulation(ScoreView* view, EventRecord* note) {
    return AttachEntryOf(view, note, ArticulationPalette::Ornaments);
}

void AttachMarkedArticulations(ScoreView* view, EventRecord* note) {
    if (IsButtonMarked(ArticulationPalette::Accents)) AttachAccentArticulation(view, note);
    if (IsButtonMarked(ArticulationPalette::Ornaments)) AttachOrnamentArticulation(view, note);
}

}  // namespace ql
