// Choosing the GTK 3 backends at start-up: when a display can be opened, the
// window and user-interface layers are put on GTK (the headless backends stay
// otherwise, and in tests). The music fonts of the program folder are also made
// known to GTK's own text, privately to this process.
#pragma once

#include <filesystem>

namespace ql::gtk {

// Opens the display named by the environment and installs both GTK backends.
// False, with nothing changed, when there is no display.
bool InstallGtkBackends();

// Adds the font files of `folder` to this process's fontconfig set (nothing is
// installed into the system). Returns the number of files added.
int AddApplicationFonts(const std::filesystem::path& folder);

// Lets go of the display's fonts before the process ends (call after the last
// window is gone): fontconfig is released at exit only when no font map holds it.
void ReleaseDisplayFonts();

}  // namespace ql::gtk
