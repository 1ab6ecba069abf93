// The score files' side of the services the score model calls
// (core/services/file_services.h).
#pragma once

namespace ql {

// Fills the table of core/services/file_services.h with the score files' own
// calls, as the program does when it starts and every test, benchmark and fuzz
// program of the build does as it loads.
void InstallFileServices();

}  // namespace ql
