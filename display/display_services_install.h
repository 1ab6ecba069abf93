// The display's side of the services the score model calls
// (core/services/display_services.h).
#pragma once

namespace ql {

// Fills the table of core/services/display_services.h with the display's own
// calls, as the program does when it starts and every test, benchmark and fuzz
// program of the build does as it loads.
void InstallDisplayServices();

}  // namespace ql
