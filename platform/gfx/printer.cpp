// Printer contexts on PDF documents: the page brackets of a print job.
#include "platform/gfx/printer.h"

#include <cairo-pdf.h>

#include <cstdio>

#include "platform/gfx/detail/pdf_print_job.h"
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

bool IsValidSetup(const PrinterSetup& s) {
    return s.dpi > 0 && s.dpi <= kMaxPrinterDpi && s.pageWidthDots > 0 && s.pageHeightDots > 0 &&
           s.pageWidthDots <= kMaxPageDots && s.pageHeightDots <= kMaxPageDots;
}
}  // namespace

DcHandle CreatePrinterContext(const std::string& pdfPath, const PrinterSetup& setup) {
    if (!IsValidSetup(setup)) return DcHandle{};
    const double unitsPerDot = kPointsPerInch / setup.dpi;
    const double width = setup.pageWidthDots * unitsPerDot;
    const double height = setup.pageHeightDots * unitsPerDot;
    std::unique_ptr<detail::PdfPrintJob> pdfJob =
        detail::PdfPrintJob::Create(pdfPath, width, height, unitsPerDot, unitsPerDot, setup.cairoWriter);
    if (!pdfJob) return DcHandle{};
    // Writes nothing: paths are built and font options chosen on it.
    cairo_surface_t* reference = cairo_pdf_surface_create(nullptr, width, height);
    if (cairo_surface_status(reference) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(reference);
        return DcHandle{};
    }
    auto d = detail::NewContext(ContextKind::Printer);
    d->device = detail::DeviceInfo{false, setup.pageWidthDots, setup.pageHeightDots, setup.dpi, setup.dpi};
    d->printer = std::make_unique<detail::PrinterJob>();
    d->printer->surface = reference;
    d->printer->pdf = std::move(pdfJob);
    d->printer->unitsPerDotX = d->printer->unitsPerDotY = unitsPerDot;
    return detail::AddContext(std::move(d));
}

bool StartDocument(DcHandle printer, const std::string& title) {
    detail::PrinterJob* job = JobOf(printer);
    if (!job || job->inDocument || job->finished) return false;
    job->title = title;
    if (job->pdf) job->pdf->SetTitle(title);
    job->inDocument = true;
    return true;
}

bool StartPage(DcHandle printer) {
    detail::PrinterJob* job = JobOf(printer);
    if (!job || !job->inDocument || job->inPage) return false;
    if (job->pdf) job->pdf->StartPage();
    job->inPage = true;
    return true;
}

bool EndPage(DcHandle printer) {
    detail::PrinterJob* job = JobOf(printer);
    if (!job || !job->inPage) return false;
    job->page.reset();
    job->inPage = false;
    if (job->pdf) return job->pdf->EndPage();
    cairo_surface_show_page(job->surface);
    return cairo_surface_status(job->surface) == CAIRO_STATUS_SUCCESS;
}

namespace {
// Writes the file from the pages ended (a picture's surface writes its own).
bool FinishDocument(detail::PrinterJob& job) {
    job.page.reset();
    job.inDocument = false;
    job.inPage = false;
    job.finished = true;
    if (job.pdf) return job.pdf->Finish();
    cairo_surface_finish(job.surface);
    return cairo_surface_status(job.surface) == CAIRO_STATUS_SUCCESS;
}
}  // namespace

bool EndDocument(DcHandle printer) {
    detail::PrinterJob* job = JobOf(printer);
    if (!job || !job->inDocument) return false;
    if (job->inPage) EndPage(printer);
    return FinishDocument(*job);
}

bool AbortDocument(DcHandle printer) {
    detail::PrinterJob* job = JobOf(printer);
    if (!job || !job->inDocument) return false;
    FinishDocument(*job);
    return true;
}

}  // namespace ql::gfx
