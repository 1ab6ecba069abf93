// The desktop's font chooser (see gtk_font_dialog.h).
#include "platform/gtk/gtk_font_dialog.h"

#include <gtk/gtk.h>

#include <cmath>

#include "platform/gtk/gtk_file_dialog.h"

namespace ql::gtk {
namespace {

// Pixels per point of the chooser's absolute sizes (96 dpi).
constexpr double kPixelsPerPoint = 96.0 / 72.0;

ui::FontDialogAnswer RunChooser(const ui::FontDialogRequest& request) {
    GtkWidget* dialog = gtk_font_chooser_dialog_new(request.title.c_str(), ActiveTopLevel());
    auto* chooser = GTK_FONT_CHOOSER(dialog);
    gtk_font_chooser_set_level(chooser, static_cast<GtkFontChooserLevel>(GTK_FONT_CHOOSER_LEVEL_FAMILY |
                                                                         GTK_FONT_CHOOSER_LEVEL_STYLE |
                                                                         GTK_FONT_CHOOSER_LEVEL_SIZE));
    if (!request.initial.face.empty()) {
        PangoFontDescription* start = DescriptionOfFont(request.initial);
        gtk_font_chooser_set_font_desc(chooser, start);
        pango_font_description_free(start);
    }
    gtk_window_set_modal(GTK_WINDOW(dialog), TRUE);
    ui::FontDialogAnswer answer;
    if (gtk_dialog_run(GTK_DIALOG(dialog)) == GTK_RESPONSE_OK) {
        if (PangoFontDescription* chosen = gtk_font_chooser_get_font_desc(chooser)) {
            answer.status = ui::FontDialogStatus::Chosen;
            answer.font = FontOfDescription(chosen, request.initial);
            pango_font_description_free(chosen);
        }
    }
    gtk_widget_destroy(dialog);
    return answer;
}

}  // namespace

PangoFontDescription* DescriptionOfFont(const ui::ChosenFont& font) {
    PangoFontDescription* description = pango_font_description_new();
    pango_font_description_set_family(description, font.face.c_str());
    if (font.points > 0) pango_font_description_set_size(description, font.points * PANGO_SCALE);
    pango_font_description_set_weight(description, static_cast<PangoWeight>(font.weight));
    pango_font_description_set_style(description, font.italic ? PANGO_STYLE_ITALIC : PANGO_STYLE_NORMAL);
    return description;
}

ui::ChosenFont FontOfDescription(const PangoFontDescription* description, const ui::ChosenFont& initial) {
    ui::ChosenFont font = initial;
    const char* family = pango_font_description_get_family(description);
    font.face = family != nullptr ? family : "";
    const gint mask = pango_font_description_get_set_fields(description);
    if (mask & PANGO_FONT_MASK_SIZE) {
        double points = static_cast<double>(pango_font_description_get_size(description)) / PANGO_SCALE;
        if (pango_font_description_get_size_is_absolute(description)) points /= kPixelsPerPoint;
        font.points = static_cast<int32_t>(std::lround(points));
    }
    if (mask & PANGO_FONT_MASK_WEIGHT) font.weight = pango_font_description_get_weight(description);
    if (mask & PANGO_FONT_MASK_STYLE)
        font.italic = pango_font_description_get_style(description) != PANGO_STYLE_NORMAL;
    return font;
}

ui::FontDialogBackend MakeGtkFontDialogBackend() {
    return RunChooser;
}

}  // namespace ql::gtk
