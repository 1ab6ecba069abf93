// Test controls of the headless help viewer: the requests it received and the
// answer it gives.
#pragma once

#include <vector>

#include "platform/sys/help.h"

namespace ql::sys::headless {

const std::vector<HelpRequest>& HelpRequests();
// Whether the headless viewer reports success (default true).
void SetHelpViewerAnswer(bool opens);
// Clears the records and restores the default answer.
void ResetHelp();

}  // namespace ql::sys::headless
