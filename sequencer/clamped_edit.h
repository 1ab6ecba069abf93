// The typed-number rule of the sequencer's dialogs: on OK each number is read and
// clamped to its field's range, and the dialog beeps once when any was clamped.
#pragma once

#include <cstdint>

#include "platform/handles.h"

namespace ql {

// A typed number clamped to low..high (`fallback` when the text is no number);
// `clamped` is set when it was cut.
int32_t ClampedEdit(platform::WindowHandle dialog, int32_t edit, int32_t low, int32_t high,
                    int32_t fallback, bool& clamped);

// Shows `value` in the edit and bounds the up-down before it (id edit - 1) to
// low..high.
void SetupSpinField(platform::WindowHandle dialog, int32_t edit, int32_t low, int32_t high, int32_t value);

}  // namespace ql
