// The music layer's side of the object services the score model calls
// (core/services/score_object_services.h).
#pragma once

namespace ql {

// Fills the table of core/services/score_object_services.h with the music layer's
// own calls, as the program does when it starts and every test, benchmark and fuzz
// program of the build does as it loads.
void InstallScoreObjectServices();

}  // namespace ql
