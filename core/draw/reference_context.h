// The reference context: a memory context made compatible with the default
// printer's (600 dpi on the print system's default page), held in `ReferenceDC`
// while text is measured like the printer's. Present, it is every view's companion
// context: it receives the drawing calls and gives the text measurements, so that
// text laid out on the screen takes the widths it will have on paper. The screen's
// own resolution is still measured from the screen.
#pragma once

#include "platform/handles.h"

namespace ql {

// The default printer's context, writing no file. Null only when it cannot be
// made; the caller deletes it.
platform::DcHandle CreateDefaultPrinterDC();

// Makes `ReferenceDC` from the default printer when there is none; whether one is
// there afterwards.
bool MakeReferenceContext();
// Deletes `ReferenceDC` (when there is one).
void DropReferenceContext();

// A print run draws on the printer alone: the reference context goes for the
// guard's life and is made again at its end when there was one.
class ReferenceContextPause {
  public:
    ReferenceContextPause();
    ~ReferenceContextPause();
    ReferenceContextPause(const ReferenceContextPause&) = delete;
    ReferenceContextPause& operator=(const ReferenceContextPause&) = delete;

  private:
    bool hadReference_ = false;
};

}  // namespace ql
