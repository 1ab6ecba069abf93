// The desktop's file dialogs (see gtk_file_dialog.h).
#include "platform/gtk/gtk_file_dialog.h"

#include <gtk/gtk.h>

#include <cctype>
#include <string_view>

namespace ql::gtk {
namespace {

namespace fs = std::filesystem;

std::string WithCase(std::string_view text, int (*change)(int)) {
    std::string out(text);
    for (char& c : out) c = static_cast<char>(change(static_cast<unsigned char>(c)));
    return out;
}

// GTK's patterns match case exactly; a file named "SONG.QL" is a score as well.
void AddFilters(GtkFileChooser* chooser, const ui::FileDialogRequest& request) {
    const std::vector<ui::FileDialogFilter> entries = ui::ParseFileDialogFilter(request.filter);
    for (size_t i = 0; i < entries.size(); ++i) {
        GtkFileFilter* filter = gtk_file_filter_new();
        gtk_file_filter_set_name(filter, entries[i].label.c_str());
        for (const std::string& pattern : entries[i].patterns) {
            gtk_file_filter_add_pattern(filter, WithCase(pattern, ::tolower).c_str());
            gtk_file_filter_add_pattern(filter, WithCase(pattern, ::toupper).c_str());
        }
        gtk_file_chooser_add_filter(chooser, filter);  // the chooser owns it
        if (static_cast<int>(i) + 1 == request.filterIndex) gtk_file_chooser_set_filter(chooser, filter);
    }
}

bool IsPattern(const fs::path& name) {
    return name.native().find_first_of("*?") != std::string::npos;
}

// The starting folder and, for a save, the proposed name.
void PlaceChooser(GtkFileChooser* chooser, const ui::FileDialogRequest& request) {
    fs::path folder = request.initialFolder;
    const fs::path& name = request.initialName;
    if (!IsPattern(name) && name.has_parent_path()) folder = name.parent_path();
    std::error_code error;
    if (!folder.empty() && fs::is_directory(folder, error)) gtk_file_chooser_set_current_folder(chooser, folder.c_str());
    if (request.kind == ui::FileDialogKind::Save && !name.empty() && !IsPattern(name))
        gtk_file_chooser_set_current_name(chooser, name.filename().c_str());
}

ui::FileDialogAnswer RunChooser(const ui::FileDialogRequest& request) {
    const bool save = request.kind == ui::FileDialogKind::Save;
    GtkFileChooserNative* native = gtk_file_chooser_native_new(
        request.title.c_str(), ActiveTopLevel(), save ? GTK_FILE_CHOOSER_ACTION_SAVE : GTK_FILE_CHOOSER_ACTION_OPEN,
        save ? "_Save" : "_Open", "_Cancel");
    auto* chooser = GTK_FILE_CHOOSER(native);
    gtk_file_chooser_set_do_overwrite_confirmation(chooser, FALSE);
    gtk_file_chooser_set_local_only(chooser, TRUE);
    AddFilters(chooser, request);
    PlaceChooser(chooser, request);
    gtk_native_dialog_set_modal(GTK_NATIVE_DIALOG(native), TRUE);
    ui::FileDialogAnswer answer;
    if (gtk_native_dialog_run(GTK_NATIVE_DIALOG(native)) == GTK_RESPONSE_ACCEPT) {
        if (gchar* file = gtk_file_chooser_get_filename(chooser)) {
            answer.status = ui::FileDialogStatus::Chosen;
            answer.path = save ? WithDefaultExtension(file, request.defaultExtension) : fs::path(file);
            g_free(file);
        } else {
            answer.status = ui::FileDialogStatus::Failed;
        }
    }
    g_object_unref(native);
    return answer;
}

}  // namespace

GtkWindow* ActiveTopLevel() {
    GList* windows = gtk_window_list_toplevels();
    GtkWindow* active = nullptr;
    for (GList* it = windows; it != nullptr && active == nullptr; it = it->next)
        if (gtk_window_is_active(GTK_WINDOW(it->data))) active = GTK_WINDOW(it->data);
    g_list_free(windows);
    return active;
}

fs::path WithDefaultExtension(const fs::path& chosen, const std::string& extension) {
    if (extension.empty() || chosen.has_extension() || chosen.filename().empty()) return chosen;
    fs::path named = chosen;
    named += "." + WithCase(extension, ::tolower);
    return named;
}

ui::FileDialogBackend MakeGtkFileDialogBackend() {
    return RunChooser;
}

}  // namespace ql::gtk
