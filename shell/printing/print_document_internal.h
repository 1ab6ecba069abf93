// Seams for the print tests: an observer called after each page is drawn and
// ended, with the page number and the printer context, before the run asks for
// Cancel; the writer of the PDF file.
#pragma once

#include <cstdint>
#include <functional>

#include "platform/handles.h"

namespace ql {

using PrintedPageObserver = std::function<void(int32_t pageNumber, platform::DcHandle printer)>;
void SetPrintedPageObserver(PrintedPageObserver observer);
// With true, the PDF is written by Cairo's surface, the reference the program's
// own writer is compared with (until ResetPrintSettings).
void SetPrintWithCairoWriter(bool cairo);

}  // namespace ql
