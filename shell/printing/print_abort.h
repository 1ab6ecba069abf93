// The "Printing ..." box 841: modeless, owned by the frame, for one print run.
// Its Cancel sets the run's abort flag; the page loop asks PrintAbortProc between
// pages, which gives the waiting messages their windows first. Paint messages of
// the printed document's views are dropped meanwhile (painting is suspended; the
// views are repainted after the run).
#pragma once

#include <string>

#include "core/model/score_document.h"
#include "platform/handles.h"
#include "platform/win/messages.h"

namespace ql {

struct PrintAbortBox {
    platform::WindowHandle box{};
    bool aborted = false;
    ScoreDocument* document = nullptr;  // whose views are not painted meanwhile
};

// Shows the box for the run (its text names the document); false when the box
// could not be made (the run goes on without a Cancel).
bool ShowPrintAbortBox(PrintAbortBox& run, const std::string& title);
void ClosePrintAbortBox(PrintAbortBox& run);

// The box's procedure: Cancel sets the abort flag of the run it was made for.
intptr_t PrintAbortDialogProc(platform::WindowHandle dialog, win::Message message, uint32_t word,
                              intptr_t data);

// Pumps the waiting messages; false once the run was aborted.
bool PrintAbortProc(PrintAbortBox& run);

}  // namespace ql
