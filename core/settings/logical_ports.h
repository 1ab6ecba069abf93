// The logical output ports A-H a score's staves play on: one count for the
// sequencer, the settings ("MidiPortMap") and the dialogs, and the two entries of
// the port map that name no device of the list.
#pragma once

#include <cstdint>

namespace ql {

constexpr int kLogicalPortCount = 8;

// "MidiPortMap" holds one entry per port: kDefaultDeviceEntry is the device every
// machine has (the built-in synthesizer, else the first output), 1..n the n-th
// output of the device list, kNoDeviceEntry none (the port sends nothing). The
// default entry is what a first start has, and what every stored map of earlier
// versions holds for a port nobody chose: those ports played on the first output.
constexpr uint8_t kDefaultDeviceEntry = 0;
constexpr uint8_t kNoDeviceEntry = 255;

}  // namespace ql
