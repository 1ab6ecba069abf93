// The palette handlers of the text tools (the ToolHandler protocol of core/ui/tool_record.h):
// the ten "Text Line" family buttons, text boxes, staff labels and lyrics. They arm
// their object type through the shared object tool handler; what they add is the
// text tool's variant and rehearsal frame, the period key that makes a font symbol,
// and the view's voice mask kept while the Lyric tool is armed.
#pragma once

#include <cstdint>

#include "platform/handles.h"
#include "platform/win/messages.h"

namespace ql {

struct ScoreView;
struct ToolRecord;

// The strip images of the rehearsal-mark flyout entries: 169 the ellipse, 168 the
// rounded rectangle, any other the rectangle.
constexpr uint8_t kEllipseFrameImage = 169;
constexpr uint8_t kRoundedFrameImage = 168;
// The period key, which makes a font symbol with the Font Symbol variant armed.
constexpr uint32_t kPeriodKey = 190;

intptr_t TextToolHandler(ScoreView* view, int action, ToolRecord* record,
                         platform::WindowHandle window, win::Message message, uint32_t word,
                         intptr_t data);
intptr_t TextBoxToolHandler(ScoreView* view, int action, ToolRecord* record,
                            platform::WindowHandle window, win::Message message, uint32_t word,
                            intptr_t data);
intptr_t StaffLabelToolHandler(ScoreView* view, int action, ToolRecord* record,
                               platform::WindowHandle window, win::Message message, uint32_t word,
                               intptr_t data);
intptr_t LyricToolHandler(ScoreView* view, int action, ToolRecord* record,
                          platform::WindowHandle window, win::Message message, uint32_t word,
                          intptr_t data);

// The text-box flyout's second entry (strip image 172) is chosen: a flag kept for the
// box tool, which nothing reads yet.
bool IsSecondTextBoxEntryChosen();

// The rehearsal frame of a flyout entry's strip image.
uint8_t RehearsalFrameOfImage(uint8_t image);

}  // namespace ql
