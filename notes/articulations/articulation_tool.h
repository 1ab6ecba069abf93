// The articulation tool: the "Accents" and "Ornaments" buttons of the Notes palette
// place the entry chosen on their pop-up palettes at a click on a note. The tool's
// state (which palette, and each palette's entry in force) is program-wide and read
// by the articulation class when it places a mark. User-interface thread only.
#pragma once

#include <cstdint>

#include "notes/articulations/articulation_place.h"
#include "platform/handles.h"
#include "platform/win/messages.h"

namespace ql {

struct ScoreView;
struct ToolRecord;

// The entries a fresh program has in force: the accent (">") and the trill.
constexpr int8_t kDefaultAccentEntry = 10;
constexpr int8_t kDefaultOrnamentEntry = 0;

struct ArticulationToolState {
    ArticulationPalette palette = ArticulationPalette::Accents;
    int8_t accentEntry = kDefaultAccentEntry;
    int8_t ornamentEntry = kDefaultOrnamentEntry;
    int EntryInForce() const {
        return palette == ArticulationPalette::Accents ? accentEntry : ornamentEntry;
    }
};

ArticulationToolState& ArticulationTools();
void ResetArticulationTools();  // start-up and tests

// Takes the palette and entry a Notes palette button stands for: the opener of
// "Ornaments" (image 10) or "Accents" (image 11), whose face is that of the entry
// last chosen on its pop-up palette (the pop-up's strip and the entry's image).
void TakeArticulationChoice(const ToolRecord* record);

// The tool handler of both buttons (the ToolHandler protocol of core/ui/tool_record.h):
// Select arms the articulation type (tool mode byte 2) and names the tool; Message
// arms it first when another type is armed, then passes the message to the shared
// mouse processing, in which a click makes the mark (NoteArticulation's
// CreateAtClick); Deselect disarms (tool mode byte 0). Other actions give 0. While
// the tuplet tool is the Notes palette's entry in force, every action goes to it.
intptr_t ArticulationToolHandler(ScoreView* view, int action, ToolRecord* record,
                                 platform::WindowHandle window, win::Message message,
                                 uint32_t word, intptr_t data);

}  // namespace ql
