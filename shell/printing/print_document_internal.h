// A seam for the print tests: called after each page is drawn and ended, with the
// page number and the printer context, before the run asks for Cancel.
#pragma once

#include <cstdint>
#include <functional>

#include "platform/handles.h"

namespace ql {

using PrintedPageObserver = std::function<void(int32_t pageNumber, platform::DcHandle printer)>;
void SetPrintedPageObserver(PrintedPageObserver observer);

}  // namespace ql
