// The desktop's font chooser speaks Pango descriptions: a font shown becomes family,
// size in points, weight and slant, and a description chosen comes back with its size
// in whole points (absolute sizes converted at 96 dpi), while underline and charset,
// which the chooser does not offer, stay as they were.
#include <gtest/gtest.h>
#include <pango/pango.h>

#include "platform/gtk/gtk_font_dialog.h"

namespace ql::gtk {
namespace {

TEST(GtkFontDialogTest, AFontShownAndChosenThroughItsDescription) {
    const ui::ChosenFont shown{"DejaVu Serif", 14, ui::kFontDialogBoldWeight, true, true, 161};
    PangoFontDescription* description = DescriptionOfFont(shown);
    EXPECT_STREQ(pango_font_description_get_family(description), "DejaVu Serif");
    EXPECT_EQ(pango_font_description_get_size(description), 14 * PANGO_SCALE);
    EXPECT_EQ(pango_font_description_get_weight(description), PANGO_WEIGHT_BOLD);
    EXPECT_EQ(pango_font_description_get_style(description), PANGO_STYLE_ITALIC);
    EXPECT_EQ(FontOfDescription(description, shown), shown);
    pango_font_description_free(description);

    PangoFontDescription* chosen = pango_font_description_from_string("Noto Sans Mono 10.6");
    const ui::ChosenFont font = FontOfDescription(chosen, shown);
    EXPECT_EQ(font.face, "Noto Sans Mono");
    EXPECT_EQ(font.points, 11);
    EXPECT_EQ(font.weight, PANGO_WEIGHT_NORMAL);
    EXPECT_FALSE(font.italic);
    EXPECT_TRUE(font.underline);
    EXPECT_EQ(font.charset, 161);
    // 16 pixels are 12 points.
    pango_font_description_set_absolute_size(chosen, 16 * PANGO_SCALE);
    EXPECT_EQ(FontOfDescription(chosen, shown).points, 12);
    pango_font_description_free(chosen);
}

}  // namespace
}  // namespace ql::gtk
