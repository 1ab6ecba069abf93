// The default printer's context: the print system's default page (letter) at
// 600 dpi, writing no file. It measures text and glyphs as a printed page would,
// without a print run.
#pragma once

#include "platform/handles.h"

namespace ql {

// Null only when the context cannot be made; the caller deletes it.
platform::DcHandle CreateDefaultPrinterDC();

}  // namespace ql
