// Printer contexts on PDF documents: the page brackets of a print job.
#include "platform/gfx/printer.h"

#include <cairo-pdf.h>

#include <cstdio>

#include "platform/gfx/detail/registry.h"

namespace ql::gfx {

using detail::Dc;
using detail::FindDc;

namespace {
constexpr double kPointsPerInch = 72.0;
constexpr int kMaxPrinterDpi = 4800;
constexpr int kMaxPageDots = 1 << 20;

detail::PrinterJob* JobOf(DcHandle dc) {
    Dc* d = FindDc(dc);
    return d && d->kind == ContextKind::Printer ? d->printer.get() : nullptr;
}

// Each page starts as a white sheet covering the whole paper. Besides being the
// paper's colour, it keeps the PDF surface's record of where it draws to one
// rectangle: at the end of a page the surface sorts every operation into the
// parts it writes as vector drawing, and with the page's first operation
// covering the page, each later one falls inside it at once instead of being
// merged into a region of thousands of small rectangles (the cost that made a
// page cost several times its painting).
void PaintPaper(cairo_surface_t* surface) {
    cairo_t* cr = cairo_create(surface);
    cairo_set_source_rgb(cr, 1.0, 1.0, 1.0);
    cairo_paint(cr);
    cairo_destroy(cr);
}

bool IsValidSetup(const PrinterSetup& s) {
    return s.dpi > 0 && s.dpi <= kMaxPrinterDpi && s.pageWidthDots > 0 && s.pageHeightDots > 0 &&
           s.pageWidthDots <= kMaxPageDots && s.pageHeightDots <= kMaxPageDots;
}
}  // namespace

DcHandle CreatePrinterContext(const std::string& pdfPath, const PrinterSetup& setup) {
    if (!IsValidSetup(setup)) return DcHandle{};
    double width = setup.pageWidthDots * kPointsPerInch / setup.dpi;
    double height = setup.pageHeightDots * kPointsPerInch / setup.dpi;
    cairo_surface_t* pdf =
        cairo_pdf_surface_create(pdfPath.empty() ? nullptr : pdfPath.c_str(), width, height);
    if (cairo_surface_status(pdf) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(pdf);
        return DcHandle{};
    }
    auto d = detail::NewContext(ContextKind::Printer);
    d->device = detail::DeviceInfo{false, setup.pageWidthDots, setup.pageHeightDots, setup.dpi, setup.dpi};
    d->printer = std::make_unique<detail::PrinterJob>();
    d->printer->surface = pdf;
    d->printer->unitsPerDotX = d->printer->unitsPerDotY = kPointsPerInch / setup.dpi;
    return detail::AddContext(std::move(d));
}

bool StartDocument(DcHandle printer, const std::string& title) {
    detail::PrinterJob* job = JobOf(printer);
    if (!job || job->inDocument || job->finished) return false;
    cairo_pdf_surface_set_metadata(job->surface, CAIRO_PDF_METADATA_TITLE, title.c_str());
    job->inDocument = true;
    return true;
}

bool StartPage(DcHandle printer) {
    detail::PrinterJob* job = JobOf(printer);
    if (!job || !job->inDocument || job->inPage) return false;
    PaintPaper(job->surface);
    job->inPage = true;
    return true;
}

bool EndPage(DcHandle printer) {
    detail::PrinterJob* job = JobOf(printer);
    if (!job || !job->inPage) return false;
    job->page.reset();
    cairo_surface_show_page(job->surface);
    job->inPage = false;
    return cairo_surface_status(job->surface) == CAIRO_STATUS_SUCCESS;
}

bool EndDocument(DcHandle printer) {
    detail::PrinterJob* job = JobOf(printer);
    if (!job || !job->inDocument) return false;
    if (job->inPage) EndPage(printer);
    job->page.reset();
    cairo_surface_finish(job->surface);
    job->inDocument = false;
    job->finished = true;
    return cairo_surface_status(job->surface) == CAIRO_STATUS_SUCCESS;
}

bool AbortDocument(DcHandle printer) {
    detail::PrinterJob* job = JobOf(printer);
    if (!job || !job->inDocument) return false;
    job->page.reset();
    cairo_surface_finish(job->surface);
    job->inDocument = false;
    job->inPage = false;
    job->finished = true;
    return true;
}

}  // namespace ql::gfx
