#include "platform/gfx/detail/pdf_print_job.h"

#include <cairo-pdf.h>

#include <cstdio>
#include <filesystem>
#include <memory>

#include "platform/gfx/detail/pdf_document.h"

namespace ql::gfx::detail {

namespace {
cairo_status_t WriteToFile(void* closure, const unsigned char* data, unsigned int length) {
    auto* file = static_cast<std::FILE*>(closure);
    if (file == nullptr) return CAIRO_STATUS_SUCCESS;  // a job that writes no file
    return std::fwrite(data, 1, length, file) == length ? CAIRO_STATUS_SUCCESS : CAIRO_STATUS_WRITE_ERROR;
}
}  // namespace

void PaintPaper(cairo_surface_t* surface) {
    cairo_t* cr = cairo_create(surface);
    cairo_set_source_rgb(cr, 1.0, 1.0, 1.0);
    cairo_paint(cr);
    cairo_destroy(cr);
}

std::unique_ptr<PdfPrintJob> PdfPrintJob::Create(const std::string& path, double widthPoints, double heightPoints,
                                                 double unitsPerDotX, double unitsPerDotY, bool cairoOnly) {
    std::unique_ptr<PdfPrintJob> job(new PdfPrintJob());
    if (!path.empty()) {
        job->file_ = std::fopen(path.c_str(), "wb");
        if (job->file_ == nullptr) return nullptr;
    }
    job->path_ = path;
    job->cairoOnly_ = cairoOnly;
    job->widthPoints_ = widthPoints;
    job->geometry_ = PdfPageGeometry{unitsPerDotX, unitsPerDotY, heightPoints};
    return job;
}

PdfPrintJob::~PdfPrintJob() {
    if (cairo_) cairo_surface_destroy(cairo_);
    if (file_) std::fclose(file_);
}

void PdfPrintJob::StartPage() {
    if (cairoOnly_ && !cairo_) {
        TurnToCairo();
        return;
    }
    if (cairo_) PaintPaper(cairo_);
}

void PdfPrintJob::DrawEndedPagesOnCairo() {
    if (cairo_) return;
    cairo_ = cairo_pdf_surface_create_for_stream(WriteToFile, file_, widthPoints_, geometry_.heightPoints);
    cairo_pdf_surface_set_metadata(cairo_, CAIRO_PDF_METADATA_TITLE, title_.c_str());
    for (const PageRecord& page : pages_) {
        PaintPaper(cairo_);
        cairo_t* cr = cairo_create(cairo_);
        cairo_scale(cr, geometry_.unitsPerDotX, geometry_.unitsPerDotY);
        DrawPageRecord(page, cr);
        cairo_destroy(cr);
        cairo_surface_show_page(cairo_);
    }
    pages_.clear();
}

cairo_surface_t* PdfPrintJob::TurnToCairo() {
    if (cairo_) return cairo_;
    DrawEndedPagesOnCairo();
    PaintPaper(cairo_);
    return cairo_;
}

bool PdfPrintJob::EndPage() {
    if (cairo_) {
        cairo_surface_show_page(cairo_);
        return cairo_surface_status(cairo_) == CAIRO_STATUS_SUCCESS;
    }
    pages_.push_back(std::move(page_));
    page_.Clear();
    return true;
}

bool PdfPrintJob::WriteOwn(std::string* bytes) {
    PdfDocument document(geometry_, widthPoints_);
    for (const PageRecord& page : pages_)
        if (!document.AddPage(page)) return false;
    return document.Finish(title_, bytes);
}

bool PdfPrintJob::Finish() {
    std::string bytes;
    bool written = true;
    if (!cairo_ && file_ && !WriteOwn(&bytes)) {
        // A font the writer cannot embed: the document is Cairo's after all.
        DrawEndedPagesOnCairo();
    }
    if (cairo_) {
        cairo_surface_finish(cairo_);
        written = cairo_surface_status(cairo_) == CAIRO_STATUS_SUCCESS;
    } else if (file_) {
        written = std::fwrite(bytes.data(), 1, bytes.size(), file_) == bytes.size();
    }
    pages_.clear();
    return Close(written);
}

bool PdfPrintJob::Close(bool written) {
    if (file_ == nullptr) return written;
    written = std::fflush(file_) == 0 && written && std::ferror(file_) == 0;
    written = std::fclose(file_) == 0 && written;
    file_ = nullptr;
    // A file that was not written whole is not left to pass for a document; only a
    // plain file is removed (the path may name a device).
    std::error_code error;
    if (!written && std::filesystem::is_regular_file(std::filesystem::symlink_status(path_, error)))
        std::filesystem::remove(path_, error);
    return written;
}

}  // namespace ql::gfx::detail
