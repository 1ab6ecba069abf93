// What the group and staff tools share: the standard object tool's select run ahead
// of a handler's own work.
#pragma once

#include <cstdint>

#include "editing/tools.h"

namespace ql {

// Runs the standard object tool's select when the action asks for one (Select,
// SelectThenMessage, or a Message while no tool is armed), then afterSelect (may be
// null). Returns the action left to do: Message after a select that carries a
// message, -1 after a plain select, else the action unchanged.
int SelectObjectToolFirst(ScoreView* view, int action, ToolRecord* record,
                          platform::WindowHandle window, win::Message message, uint32_t word,
                          intptr_t data, int type, void (*afterSelect)(ScoreView*));

// A message taken with a record makes its face's strip the armed tool's code, which
// the locator's staff choice reads.
void NoteArmedToolCode(const ToolRecord* record);

}  // namespace ql
