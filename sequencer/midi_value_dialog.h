// The MIDI value dialog (837): a patch chosen by its General MIDI name or typed as a
// number counted from the patch numbering base. RunMidiValueDialog is declared with
// the sequencer's services.
#pragma once

#include <cstdint>

#include "platform/handles.h"
#include "platform/win/messages.h"

namespace ql {

constexpr int kMidiValueDialogId = 837;
// Patches are shown counted from 1; the stored value counts from 0.
constexpr int32_t kPatchNumberBase = 1;

intptr_t MidiValueDlgProc(platform::WindowHandle dialog, win::Message message, uint32_t word,
                          intptr_t data);

}  // namespace ql
