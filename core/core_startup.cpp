// The core services' start-up and shut-down sequences.
#include "core/core_startup.h"

#include "core/memory/arena.h"
#include "core/objects/class_table.h"
#include "core/draw/colour_sets.h"
#include "core/draw/fonts.h"
#include "core/objects/midi_action_text.h"
#include "core/memory/pool.h"
#include "core/objects/selection_state.h"
#include "core/text/text_object.h"
#include "editing/marquee.h"
#include "notes/accidentals/accidental.h"
#include "notes/handler/notes_handler.h"
#include "notes/rests/rest.h"
#include "objects/stored_classes.h"
#include "platform/sys/resources.h"
#include "platform/text/context_font.h"
#include "shell/command/toolbar_tooltips.h"
#include "shell/resources/barline_dialog_resources.h"
#include "shell/resources/cursor_resources.h"
#include "shell/resources/mark_dialog_resources.h"
#include "shell/resources/midi_action_dialog_resources.h"
#include "shell/resources/note_dialog_resources.h"
#include "shell/resources/page_dialog_resources.h"
#include "shell/resources/page_layout_resources.h"
#include "shell/resources/popup_menu_resources.h"
#include "shell/resources/option_dialog_resources.h"
#include "shell/resources/part_extraction_resources.h"
#include "shell/resources/print_resources.h"
#include "shell/resources/program_strings.h"
#include "shell/resources/shape_dialog_resources.h"
#include "shell/resources/spanner_dialog_resources.h"
#include "shell/resources/signature_dialog_resources.h"
#include "shell/resources/staff_dialog_resources.h"
#include "shell/resources/text_dialog_resources.h"
#include "shell/resources/midi_settings_resources.h"
#include "shell/resources/transcription_dialog_resources.h"
#include "shell/resources/ui_services_resources.h"
#include "staves/barline_handler.h"
#include "staves/staff_element.h"
#include "staves/staff_scaling.h"

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
