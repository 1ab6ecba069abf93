// The reference context made from the default printer's, and its pause for a
// print run (see reference_context.h).
#include "core/draw/reference_context.h"

#include "core/state.h"
#include "platform/gfx/dc.h"
#include "platform/gfx/printer.h"

namespace ql {

platform::DcHandle CreateDefaultPrinterDC() {
    return gfx::CreatePrinterContext({}, gfx::PrinterSetup{});
}

bool MakeReferenceContext() {
    DrawingGlobals& drawing = State().drawing;
    if (gfx::IsContextValid(drawing.ReferenceDC)) return true;
    drawing.ReferenceDC = {};
    // The printer's context only lends its capabilities; it is released at once.
    const platform::DcHandle printer = CreateDefaultPrinterDC();
    if (!printer) return false;
    drawing.ReferenceDC = gfx::CreateMemoryContext(printer);
    gfx::DeleteContext(printer);
    return static_cast<bool>(drawing.ReferenceDC);
}

void DropReferenceContext() {
    DrawingGlobals& drawing = State().drawing;
    if (drawing.ReferenceDC) gfx::DeleteContext(drawing.ReferenceDC);
    drawing.ReferenceDC = {};
}

ReferenceContextPause::ReferenceContextPause()
    : hadReference_(gfx::IsContextValid(State().drawing.ReferenceDC)) {
    DropReferenceContext();
}

ReferenceContextPause::~ReferenceContextPause() {
    if (hadReference_) MakeReferenceContext();
}

}  // namespace ql
