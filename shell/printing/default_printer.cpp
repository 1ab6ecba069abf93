// The default printer's measuring context on the default printer setup.
#include "shell/printing/default_printer.h"

#include "platform/gfx/printer.h"

namespace ql {

platform::DcHandle CreateDefaultPrinterDC() {
    return gfx::CreatePrinterContext({}, gfx::PrinterSetup{});
}

}  // namespace ql
