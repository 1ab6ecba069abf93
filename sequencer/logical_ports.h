// The logical output ports A-H a score's staves play on: one count for the
// sequencer, the settings ("MidiPortMap") and the dialogs.
#pragma once

namespace ql {

constexpr int kLogicalPortCount = 8;

}  // namespace ql
