// The program state an import needs outside the program (the benchmark and the
// fuzz entry point): a fresh state on the headless window layer, the stored object
// classes with the note attachments, and the Prepare Import dialog. Header only.
#pragma once

#include "core/objects/class_table.h"
#include "core/settings/preference_defaults.h"
#include "core/settings/program_options.h"
#include "core/state.h"
#include "notes/accidentals/accidental.h"
#include "notes/rests/rest.h"
#include "notes/ties/ties.h"
#include "objects/stored_classes.h"
#include "platform/ui/headless.h"
#include "platform/win/headless.h"
#include "sequencer/transcription_dialog_resources.h"

namespace ql {

inline void PrepareImportProgram() {
    ResetProgramState();
    win::headless::ResetWindowLayer();
    ui::headless::ResetUi();
    ResetObjectClassTable();
    ResetPreferenceDefaults();
    ResetProgramOptions();
    RegisterStoredObjectClasses();
    RegisterAccidentalClass();
    RegisterRestClass();
    RegisterTieClass();
    RegisterTranscriptionDialogResources();
}

}  // namespace ql
