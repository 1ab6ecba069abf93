// SVG picture contexts on Cairo's SVG surface with millimetre document units: the
// surface is as many units wide as the picture is millimetres, so its width and
// height read "<n>mm". The title goes in after the opening <svg> element, which
// Cairo does not write itself.
#include "platform/gfx/svg_picture.h"

#include <cairo-svg.h>

#include <algorithm>
#include <cmath>
#include <memory>

#include "platform/gfx/detail/registry.h"

namespace ql::gfx {

using detail::Dc;
using detail::FindDc;

namespace {

constexpr double kMmPerInch = 25.4;
constexpr int kMaxPictureDots = 1 << 16;
constexpr double kMaxPictureMm = 1e5;
constexpr char kSvgOpening[] = "<svg";

cairo_status_t WriteToJob(void* closure, const unsigned char* data, unsigned int length) {
    auto* job = static_cast<detail::PrinterJob*>(closure);
    job->streamed.insert(job->streamed.end(), data, data + length);
    return CAIRO_STATUS_SUCCESS;
}

bool IsValidSetup(const SvgPictureSetup& s) {
    return s.widthDots > 0 && s.heightDots > 0 && s.widthDots <= kMaxPictureDots &&
           s.heightDots <= kMaxPictureDots && s.widthMm > 0 && s.heightMm > 0 &&
           s.widthMm <= kMaxPictureMm && s.heightMm <= kMaxPictureMm;
}

std::string EscapedText(const std::string& text) {
    std::string out;
    for (char c : text) {
        switch (c) {
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '&': out += "&amp;"; break;
        default: out += c;
        }
    }
    return out;
}

// The title element right after the opening <svg ...> tag; the bytes unchanged
// when that tag is not found.
void InsertTitle(std::vector<uint8_t>& bytes, const std::string& title) {
    if (title.empty()) return;
    std::string text(bytes.begin(), bytes.end());
    size_t open = text.find(kSvgOpening);
    size_t end = open == std::string::npos ? open : text.find('>', open);
    if (end == std::string::npos) return;
    const std::string element = "\n<title>" + EscapedText(title) + "</title>";
    bytes.insert(bytes.begin() + static_cast<std::ptrdiff_t>(end + 1), element.begin(), element.end());
}

}  // namespace

DcHandle CreateSvgPictureContext(const SvgPictureSetup& setup) {
    if (!IsValidSetup(setup)) return DcHandle{};
    auto job = std::make_unique<detail::PrinterJob>();
    cairo_surface_t* svg =
        cairo_svg_surface_create_for_stream(WriteToJob, job.get(), setup.widthMm, setup.heightMm);
    if (cairo_surface_status(svg) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(svg);
        return DcHandle{};
    }
    cairo_svg_surface_set_document_unit(svg, CAIRO_SVG_UNIT_MM);
    job->surface = svg;
    job->unitsPerDotX = setup.widthMm / setup.widthDots;
    job->unitsPerDotY = setup.heightMm / setup.heightDots;
    job->title = setup.title;
    job->inDocument = job->inPage = true;
    auto d = detail::NewContext(ContextKind::Printer);
    const long dpiX = std::lround(setup.widthDots * kMmPerInch / setup.widthMm);
    const long dpiY = std::lround(setup.heightDots * kMmPerInch / setup.heightMm);
    d->device = detail::DeviceInfo{false, setup.widthDots, setup.heightDots,
                                   static_cast<int>(std::max(dpiX, 1L)), static_cast<int>(std::max(dpiY, 1L))};
    d->printer = std::move(job);
    return detail::AddContext(std::move(d));
}

std::optional<std::vector<uint8_t>> FinishSvgPicture(DcHandle dc) {
    Dc* d = FindDc(dc);
    if (!d || d->kind != ContextKind::Printer || !d->printer || d->printer->finished ||
        d->printer->unitsPerDotX == 0.0 || cairo_surface_get_type(d->printer->surface) != CAIRO_SURFACE_TYPE_SVG)
        return std::nullopt;
    detail::PrinterJob& job = *d->printer;
    job.page.reset();
    cairo_surface_finish(job.surface);
    job.inPage = job.inDocument = false;
    job.finished = true;
    if (cairo_surface_status(job.surface) != CAIRO_STATUS_SUCCESS) return std::nullopt;
    std::vector<uint8_t> bytes = std::move(job.streamed);
    InsertTitle(bytes, job.title);
    return bytes;
}

}  // namespace ql::gfx
