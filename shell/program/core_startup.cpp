// The core services' start-up and shut-down sequences.
#include "shell/program/core_startup.h"

#include "core/draw/colour_sets.h"
#include "core/draw/fonts.h"
#include "core/draw/staff_scaling.h"
#include "core/memory/arena.h"
#include "core/memory/pool.h"
#include "core/objects/class_table.h"
#include "core/objects/midi_action_text.h"
#include "core/objects/selection_state.h"
#include "core/text/text_object.h"
#include "core/ui/cursor_resources.h"
#include "core/ui/ui_services_resources.h"
#include "editing/marquee.h"
#include "editing/part_extraction_resources.h"
#include "layout/page/page_dialog_resources.h"
#include "layout/page/page_layout_resources.h"
#include "notes/accidentals/accidental.h"
#include "notes/handler/notes_handler.h"
#include "notes/rests/rest.h"
#include "notes/settings/note_dialog_resources.h"
#include "objects/graphics/shape_dialog_resources.h"
#include "objects/midi_marks/mark_dialog_resources.h"
#include "objects/spanners/spanner_dialog_resources.h"
#include "objects/stored_classes.h"
#include "objects/text_marks/text_dialog_resources.h"
#include "platform/sys/resources.h"
#include "platform/text/context_font.h"
#include "sequencer/midi_action_dialog_resources.h"
#include "sequencer/midi_settings_resources.h"
#include "sequencer/transcription_dialog_resources.h"
#include "shell/command/toolbar_tooltips.h"
#include "shell/resources/option_dialog_resources.h"
#include "shell/resources/popup_menu_resources.h"
#include "shell/resources/print_resources.h"
#include "shell/resources/program_strings.h"
#include "staves/barline_dialog_resources.h"
#include "staves/barline_handler.h"
#include "staves/signature_dialog_resources.h"
#include "staves/staff_dialog_resources.h"
#include "staves/staff_element.h"

namespace ql {

// Texts, dialogs, bitmaps and cursors of the program's own bundle.
void RegisterProgramResources() {
    RegisterProgramStrings();
    RegisterProgramCursors();
    RegisterUiServiceResources();
    RegisterBarlineDialogResources();
    RegisterSignatureDialogResources();
    RegisterStaffDialogResources();
    RegisterNoteDialogResources();
    RegisterMarkDialogResources();
    RegisterMidiActionDialogResources();
    RegisterTextDialogResources();
    RegisterPageDialogResources();
    RegisterPageLayoutResources();
    RegisterShapeDialogResources();
    RegisterSpannerDialogResources();
    RegisterPrintResources();
    RegisterPartExtractionResources();
    RegisterOptionDialogResources();
    RegisterToolbarStrings();
    RegisterTranscriptionDialogResources();
    RegisterMidiSettingsResources();
    RegisterPopupMenuResources();
}

void RegisterObjectClasses() {
    RegisterTextObjectClasses();
    RegisterMidiTextObjectClass();
    RegisterAccidentalClass();
    RegisterRestClass();
    RegisterBarlineClass();
    RegisterStaffElementClass();
    RegisterStoredObjectClasses();  // with ties, articulations, clefs, keys and texts
    RegisterMarqueeClass();
    RegisterNotesHandlerClass();  // the Notes tool's prototype (type 29)
}

namespace {

CoreStartup Abandon(CoreStartup failed) {
    ShutdownCoreServices();
    return failed;
}

}  // namespace

CoreStartup InitCoreServices() {
    if (!ReserveArena()) return CoreStartup::NoArena;
    ClearStaticPoolTables();
    if (InitStaticPoolSet() == 0) return Abandon(CoreStartup::NoStaticPools);
    text::RegisterFontDeleter();
    RegisterProgramResources();
    RegisterObjectClasses();
    if (CreateSelectionState() == nullptr) return Abandon(CoreStartup::NoSelectionState);
    if (!CreateMusicFonts()) return Abandon(CoreStartup::NoMusicFont);
    if (!CreateColourSets()) return Abandon(CoreStartup::NoColourSets);
    return CoreStartup::Ok;
}

void ShutdownCoreServices() {
    ReleaseDrawingGlobals(1);
    DeleteColourSets();
    DeleteMusicFonts();
    DestroySelectionState();
    ResetObjectClassTable();
    sys::SetProgramBundle(nullptr);
    FreeStaticPoolSet(TheStaticPoolSet());
}

}  // namespace ql
