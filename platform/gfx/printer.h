// Printer contexts: pages drawn on a PDF document with the same calls as the
// screen. The program writes the PDF file itself (vector drawing; fonts with
// TrueType outlines embedded as subsets, OpenType fonts with CFF outlines whole;
// bitmaps as images); a document with drawing it does not write (hatched or
// patterned brushes, Type 1 or bitmap fonts) is written by Cairo's PDF surface,
// which also serves as the reference the program's own files are compared with.
// Device units are printer dots at the setup's resolution; the
// capabilities report the page in dots and millimetres. PDF is a vector surface:
// copy ink is drawn; pen and brush ink with any other raster operation (XOR
// feedback above all) and blits with raster operations other than source and
// pattern copy are skipped, as no feedback belongs on paper.
#pragma once

#include <string>

#include "platform/gfx/types.h"

namespace ql::gfx {

constexpr int kDefaultPrinterDpi = 600;

struct PrinterSetup {
    int dpi = kDefaultPrinterDpi;
    int pageWidthDots = 5100;   // 8.5 inches at 600 dpi
    int pageHeightDots = 6600;  // 11 inches at 600 dpi
    bool cairoWriter = false;   // the file written by Cairo whatever it holds
};

// Null when the file cannot be created or the setup is invalid. An empty path
// gives a context that writes no file: it measures as the printer would.
DcHandle CreatePrinterContext(const std::string& pdfPath, const PrinterSetup& setup);
// Document and page brackets. Drawing outside StartPage/EndPage is dropped.
// EndDocument finishes the file; false when writing failed.
bool StartDocument(DcHandle printer, const std::string& title);
bool StartPage(DcHandle printer);
bool EndPage(DcHandle printer);
bool EndDocument(DcHandle printer);
// Ends the document without finishing its pages (an abandoned print job).
bool AbortDocument(DcHandle printer);

}  // namespace ql::gfx
