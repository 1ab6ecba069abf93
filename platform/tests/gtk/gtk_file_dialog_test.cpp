// The desktop's file dialogs: a name typed without an extension gets the request's
// default one. (The chooser itself is driven by the end-to-end suite.)
#include <gtest/gtest.h>

#include "platform/gtk/gtk_file_dialog.h"

namespace ql::testing {
namespace {

namespace fs = std::filesystem;

TEST(GtkFileDialogTest, ANameWithoutExtensionGetsTheDefaultOne) {
    EXPECT_EQ(gtk::WithDefaultExtension("/scores/song", "QL"), fs::path("/scores/song.ql"));
    EXPECT_EQ(gtk::WithDefaultExtension("/scores/song.QL", "QL"), fs::path("/scores/song.QL"));
    EXPECT_EQ(gtk::WithDefaultExtension("/scores/song.mid", "QL"), fs::path("/scores/song.mid"));
    EXPECT_EQ(gtk::WithDefaultExtension("/scores/song", ""), fs::path("/scores/song"));
    EXPECT_EQ(gtk::WithDefaultExtension("/scores/", "QL"), fs::path("/scores/"));
}

}  // namespace
}  // namespace ql::testing
