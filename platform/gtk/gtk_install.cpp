// Installing the GTK backends at start-up.
#include "platform/gtk/gtk_install.h"

#include <fontconfig/fontconfig.h>
#include <gtk/gtk.h>
#include <pango/pangocairo.h>

#include <system_error>

#include "platform/gtk/gtk_clipboard.h"
#include "platform/gtk/gtk_controls.h"
#include "platform/gtk/gtk_display_events.h"
#include "platform/gtk/gtk_file_dialog.h"
#include "platform/gtk/gtk_font_dialog.h"
#include "platform/gtk/gtk_print.h"
#include "platform/gtk/gtk_ui_backend.h"
#include "platform/gtk/gtk_window_backend.h"
#include "platform/midi/system_backend.h"
#include "platform/sys/folders.h"
#include "platform/ui/backend.h"
#include "platform/ui/file_dialog.h"

namespace ql::gtk {
namespace {

// The music fonts the program ships in its folder.
constexpr const char* kMusicFontFiles[] = {"Glyphora.ttf", "Fretmark.ttf"};

}  // namespace

int AddApplicationFonts(const std::filesystem::path& folder) {
    int added = 0;
    for (const char* name : kMusicFontFiles) {
        std::filesystem::path file = folder / name;
        std::error_code error;
        if (!std::filesystem::is_regular_file(file, error)) continue;
        const auto* path = reinterpret_cast<const FcChar8*>(file.c_str());
        if (FcConfigAppFontAddFile(FcConfigGetCurrent(), path)) ++added;
    }
    return added;
}

bool InstallGtkBackends() {
    if (!gtk_init_check(nullptr, nullptr)) return false;
    auto windows = std::make_unique<GtkWindowBackend>();
    windows->SetControlPeers(MakeControlPeers());
    win::InstallBackend(std::move(windows));
    sysdlg::InstallPrintBackend(MakeGtkPrintBackend());
    ui::InstallFileDialogBackend(MakeGtkFileDialogBackend());
    ui::InstallFontDialogBackend(MakeGtkFontDialogBackend());
    ui::InstallUiBackend(std::make_unique<GtkUiBackend>());
    InstallGtkClipboard();
    WatchDisplayEvents();
    // The desktop plays through the system's MIDI: the built-in synthesizer and
    // the ALSA sequencer's ports (the synthesizer's sound into a WAV file instead
    // when the environment asks for it).
    midi::InstallBackend(std::make_unique<midi::SystemBackend>(midi::SynthesizerOptionsFromEnvironment()));
    AddApplicationFonts(sys::ProgramFolder());
    return true;
}

void ReleaseDisplayFonts() {
    // The default font map keeps fontconfig's caches; the text layer releases
    // fontconfig at exit and requires them gone.
    pango_cairo_font_map_set_default(nullptr);
}

}  // namespace ql::gtk
