// Installs the shell's services, and those the score model asks of the display, the
// layout, the object kinds and the files, as the program loads, before any test,
// benchmark or fuzz input runs, so that these programs meet the layers as the editor
// wires them at start-up.
#include "display/display_services_install.h"
#include "files/file_services_install.h"
#include "layout/layout_services_install.h"
#include "objects/score_object_services_install.h"
#include "shell/shell_services.h"

namespace {

[[maybe_unused]] const bool kInstalled =
    (ql::InstallShellServices(), ql::InstallDisplayServices(), ql::InstallLayoutServices(),
     ql::InstallScoreObjectServices(), ql::InstallFileServices(), true);

}  // namespace
