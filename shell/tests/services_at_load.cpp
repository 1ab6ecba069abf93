// Installs the shell's services as the program loads, before any test, benchmark
// or fuzz input runs, so that these programs meet the layers as the editor wires
// them at start-up.
#include "shell/shell_services.h"

namespace {

[[maybe_unused]] const bool kInstalled = (ql::InstallShellServices(), true);

}  // namespace
