// The program's own resources of the user-interface services: the progress dialog
// 501 and the Help button's bitmap 126 (their texts are in the program's string
// table, shell/resources/program_strings.h). Registered into the program's bundle
// at start-up (a language bundle may replace any of them).
#pragma once

#include <cstdint>

#include "platform/sys/resources.h"

namespace ql {

// Adds these resources to `bundle`; entries the bundle already has are kept.
void AddUiServiceResources(sys::ResourceBundle& bundle);

// Adds them to the registered program bundle (creating it when none is set).
void RegisterUiServiceResources();

}  // namespace ql
