// Dialog 893 "Accidental Interpretation" (command 40217): the spelling preferences of
// the five black-key intervals above the key's tonic (1, 3, 6, 8, 10 semitones), for
// major and for minor keys, as a pair of radios each: the sharp spelling ("Aug") or
// the flat one. The program-wide tables change only on OK; Reset puts back the
// tables as they were when the dialog opened, Cancel leaves them so. The settings
// store writes them with the other preferences ("AcciMajorDefault",
// "AcciMinorDefault").
#pragma once

#include <cstdint>

#include "platform/handles.h"
#include "platform/win/messages.h"

namespace ql {

struct ScoreView;

// Runs the dialog for the view; 1 after OK, 0 after Cancel, -1 without a template.
intptr_t RunAccidentalInterpretationDialog(ScoreView* view);

// The dialog procedure and the radio setting it shares with Reset.
intptr_t AccidentalInterpretationDlgProc(platform::WindowHandle dialog, win::Message message,
                                         uint32_t word, intptr_t data);
void ResetAccidentalInterpretationControls(platform::WindowHandle dialog);

}  // namespace ql
