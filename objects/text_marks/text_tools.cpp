// The text tools' palette handlers (see text_tools.h).
#include "objects/text_marks/text_tools.h"

#include "core/constants.h"
#include "core/model/score_document.h"
#include "core/objects/selection_state.h"
#include "core/ui/tool_record.h"
#include "core/ui/tool_services.h"
#include "objects/lyrics/lyric.h"
#include "objects/text_marks/text_line.h"

namespace ql {
namespace {

constexpr uint8_t kFrameRectangle = 1;
constexpr uint8_t kFrameEllipse = 2;
constexpr uint8_t kFrameRounded = 3;
constexpr int8_t kDraggingMode = 2;
constexpr uint8_t kSecondBoxEntryImage = 172;

bool g_secondBoxEntry = false;

// The variant of a "Text Line" family button: the face its record shows.
TextToolVariant VariantOf(const ToolRecord* record) {
    return static_cast<TextToolVariant>(record->alternateIndex);
}

// The period key with the Font Symbol variant armed and no drag or press going on.
bool IsSymbolKey(win::Message message, uint32_t word) {
    const SelectionState* selection = TheSelectionState();
    return message == win::Message::KeyDown && word == kPeriodKey &&
           TheTextToolState().variant == TextToolVariant::FontSymbol && selection != nullptr &&
           selection->editMode != kDraggingMode && !selection->grabbedRecord;
}

}  // namespace

bool IsSecondTextBoxEntryChosen() {
    return g_secondBoxEntry;
}

uint8_t RehearsalFrameOfImage(uint8_t image) {
    if (image == kEllipseFrameImage) return kFrameEllipse;
    if (image == kRoundedFrameImage) return kFrameRounded;
    return kFrameRectangle;
}

intptr_t TextToolHandler(ScoreView* view, int action, ToolRecord* record,
                         platform::WindowHandle window, win::Message message, uint32_t word,
                         intptr_t data) {
    TextToolState& tool = TheTextToolState();
    if (action == ToolAction::AlternateChosen) {
        if (record != nullptr) tool.rehearsalFrame = RehearsalFrameOfImage(record->imageIndex);
        return 0;
    }
    if (action == ToolAction::Reclick) return 0;
    if ((action == ToolAction::Select || action == ToolAction::SelectThenMessage) &&
        record != nullptr)
        tool.variant = VariantOf(record);
    tool.keyCreation = action == ToolAction::Message && IsSymbolKey(message, word);
    const intptr_t result = ObjectToolHandler(view, action, record, window, message, word, data,
                                              TypeCode(ObjectType::Text));
    tool.keyCreation = false;
    return result;
}

// The text-box flyout's second entry sets a flag the first clears; the program keeps
// it for the box tool and reads it nowhere yet.
intptr_t TextBoxToolHandler(ScoreView* view, int action, ToolRecord* record,
                            platform::WindowHandle window, win::Message message, uint32_t word,
                            intptr_t data) {
    if (action == ToolAction::AlternateChosen) {
        g_secondBoxEntry = record != nullptr && record->imageIndex == kSecondBoxEntryImage;
        return 0;
    }
    return ObjectToolHandler(view, action, record, window, message, word, data,
                             TypeCode(ObjectType::TextBox));
}

intptr_t StaffLabelToolHandler(ScoreView* view, int action, ToolRecord* record,
                               platform::WindowHandle window, win::Message message, uint32_t word,
                               intptr_t data) {
    return ObjectToolHandler(view, action, record, window, message, word, data,
                             TypeCode(ObjectType::Label));
}

// Lyric mode: while the tool is armed the view's voice mask is kept aside, and given
// back when another tool is chosen.
intptr_t LyricToolHandler(ScoreView* view, int action, ToolRecord* record,
                          platform::WindowHandle window, win::Message message, uint32_t word,
                          intptr_t data) {
    LyricState& lyric = TheLyricState();
    if (view != nullptr && action == ToolAction::Select) lyric.savedVoiceMask = view->voiceMask;
    if (view != nullptr && action == ToolAction::Deselect) view->voiceMask = lyric.savedVoiceMask;
    return ObjectToolHandler(view, action, record, window, message, word, data,
                             TypeCode(ObjectType::Lyric));
}

}  // namespace ql
