// The keyboard and pointer messages of the Notes tool while it is armed and nothing is
// focused: the value keys of the note palette, Ctrl holding the sustain pedal down so
// that a chord built with Ctrl sounds together, the arrows that move the pointer, the
// spacing keys, Tab from note to note, the note cursor's repaint and the end of a
// placement made with the button held.
#pragma once

#include <cstdint>

#include "platform/handles.h"
#include "platform/win/messages.h"

namespace ql {

struct ScoreView;

// Non-zero when the message was handled (see the file comment); 0 while an object is
// focused or dragged.
// The keys that press a Notes palette button: W, H, Q, E, S, T the values, R (Ctrl
// up) the note/rest toggle.
bool IsNotePaletteKey(uint32_t key);

intptr_t NotesToolMessage(ScoreView* view, platform::WindowHandle window, win::Message message,
                          uint32_t word, intptr_t data);

}  // namespace ql
