// A palette button's tool record and the protocol of the tool handlers it names:
// the actions a handler is called with and the handler's signature. The palettes
// (editing/) own the records; the tools of every layer are handlers.
#pragma once

#include <cstdint>

#include "platform/handles.h"
#include "platform/win/messages.h"

namespace ql {

struct ScoreView;
struct ToolRecord;
struct ButtonSet;
struct PaletteRecord;

// The actions a tool handler is called with. The palettes send 0 to 4; 5 is a
// handler's own step ("select, then handle the message") and never passes on to a
// linked set. A handler answers an action it does not know with 0.
enum ToolAction : int {
    Select = 0,             // the button becomes current
    Message = 1,            // a score-view mouse or key message, or a momentary click
    Deselect = 2,           // another button of the same set becomes current
    AlternateChosen = 3,    // a cycle button stepped to another face
    Reclick = 4,            // the current button clicked again, opening no palette
    SelectThenMessage = 5,  // select, then handle the message
};

// The tool-handler protocol: non-zero means handled. A handler returning 0 to
// actions 0, 2 and 4 lets the action pass on to the button's linked set.
using ToolHandler = intptr_t (*)(ScoreView* view, int action, ToolRecord* record,
                                 platform::WindowHandle window, win::Message message, uint32_t word,
                                 intptr_t data);

// One palette button, or one alternate face of a button. Static tables fill
// handler .. alternates and tooltipId; the rest is filled while the palettes are
// built. A table ends with a record whose bitmapId is 0. The palette records are
// owned by the palette windows; the pointers here are borrowed.
struct ToolRecord {
    ToolHandler handler = nullptr;  // null for faces and pure palette openers
    uint16_t bitmapId = 0;          // bitmap strip of the face; 0 ends a table
    uint8_t imageIndex = 0;         // face inside the strip
    int8_t column = 0;
    int8_t row = 0;
    uint8_t kind = 0;                       // button kind 0..8
    ToolRecord* alternates = nullptr;       // faces of kinds 2, 5 and 8
    uint8_t toggled = 0;                    // kind 3's state
    int8_t alternateIndex = 0;              // face now shown
    uint8_t marked = 0;                     // Control-click mark
    platform::WindowHandle buttonWindow{};  // run time
    platform::WindowHandle paletteWindow{};
    PaletteRecord* opensPalette = nullptr;  // shown by a second click
    PaletteRecord* ownerPalette = nullptr;
    ButtonSet* ownerSet = nullptr;
    ButtonSet* linkedSet = nullptr;  // receives the protocol after this button
    int8_t offsetX = 0;
    int8_t offsetY = 0;
    int8_t width = 0;  // 0: the program's button size
    int8_t height = 0;
    uint8_t noFocusFrame = 0;
    uint32_t tooltipId = 0;  // string id; 0 none
    // The note palette's tuplet entry, armed by the "Tuplets" dialog: its command value
    // and the ratio index of the numbers typed there (past 8 for pairs outside the table).
    uint16_t commandValue = 0;
    uint8_t ratioIndex = 0;
};

// Bitmap strips of the palettes' own faces.
constexpr uint16_t kMainStrip = 1;
constexpr uint16_t kNotesStrip = 15;
constexpr uint16_t kHeadsStrip = 75;
constexpr uint16_t kAccentsStrip = 111;
constexpr uint16_t kOrnamentsStrip = 131;
constexpr uint16_t kTextSymbolsStrip = 161;
constexpr uint16_t kGraphicsStrip = 175;
constexpr uint16_t kStaffToolsStrip = 191;
constexpr uint16_t kDynamicsStrip = 215;
constexpr uint16_t kPerformanceStrip = 231;

}  // namespace ql
