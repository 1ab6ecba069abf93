// TextLine (type 18): a one-line text, a rehearsal mark or a single font symbol on the
// score, the plainest text object. Its class adds creation at a click (typed in the
// entry window, or a symbol made at once), attribute editing and its copy; drawing,
// keys, handles and drags are the text family's. Also the retyping in place that
// every text object of the family shares, and the program-wide state of the text
// tool (its variant, the rehearsal frame, the last symbol picked).
#pragma once

#include <cstdint>

#include "core/text/text_object.h"

namespace ql {

struct ScoreView;

// The variants of the text tool (the variant word of its tool record).
enum class TextToolVariant : int {
    TextLine = 0,
    RehearsalMark = 3,
    FontSymbol = 5,
    FirstFixedSymbol = 6,  // 6..9: four fixed symbols
    LastFixedSymbol = 9,
};
// The fixed symbols' codes in quick-font slot 3, variants 6..9.
constexpr uint8_t kFixedSymbolCodes[4] = {37, 226, 228, 227};
constexpr uint8_t kSymbolSlot = 3;
constexpr uint8_t kKeySymbolCode = 34;  // a font symbol made with the period key

// The last symbol picked, reused when a new symbol has code 0.
struct PickedSymbol {
    uint8_t code = kKeySymbolCode;
    uint8_t slot = kSymbolSlot;
    uint8_t ownFont = 0;
    uint8_t charset = 0;
};

// Program-wide state of the text tools (user-interface thread only).
struct TextToolState {
    TextToolVariant variant = TextToolVariant::TextLine;
    uint8_t rehearsalFrame = 1;  // 1 rectangle, 2 ellipse, 3 rounded rectangle
    uint8_t importedTextSlot = 7;
    PickedSymbol lastSymbol;
    bool keyCreation = false;  // the creation runs from the period key
};
TextToolState& TheTextToolState();
void ResetTextToolState();

// Gives a text object an empty pooled string of its own (a zeroed record of pool 2)
// and sets flag 0; false when no record can be had.
bool GiveEmptyTextString(TextObject* text);

// Registers the text-line class over the stored text class of type 18.
void RegisterTextLineClass();

// A new text line holding a copy of `text` in the slot for imported text (for part
// extraction and imports); not linked anywhere. Null when no record can be had.
ScoreObject* ConstructTextLineWithText(ScoreView* view, const char* text);

// Moves a text object of a measure to the view's page list, keeping where it shows
// (the ownership toggle, done without a focused handle). False for any other object.
bool MoveTextToPage(ScoreView* view, ScoreObject* object);

// Retypes a text object in place in the entry window: 1 when the text was taken,
// 2 when the entry was cancelled (the old text stays). A changed text is one undo
// step of type 44.
int RetypeTextInPlace(ScoreObject* object, ScoreView* view);

}  // namespace ql
