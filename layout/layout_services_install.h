// The layout's side of the services the score model calls
// (core/services/layout_services.h).
#pragma once

namespace ql {

// Fills the table of core/services/layout_services.h with the layout's own calls,
// as the program does when it starts and every test, benchmark and fuzz program of
// the build does as it loads.
void InstallLayoutServices();

}  // namespace ql
