// Cairo access to a context's surface for modules that draw with Cairo
// themselves (text): image contexts in pixels, printer pages in dots, clipped.
#include <cairo.h>

#include "platform/gfx/dc_access.h"
#include "platform/gfx/detail/image.h"
#include "platform/gfx/detail/paint.h"

namespace ql::gfx {

using detail::Dc;
using detail::FindDc;

namespace {
// The context's kept Cairo context serves while it draws on the same surface within
// the same clip: making one per text call cost more than drawing most runs.
bool KeptInkFits(const Dc& d, const detail::Image& image, const Rect& clip) {
    return d.keptInk != nullptr && cairo_get_target(d.keptInk) == image.surface() && d.keptClip == clip &&
           cairo_status(d.keptInk) == CAIRO_STATUS_SUCCESS;
}

cairo_t* OpenImageInk(Dc& d) {
    detail::Image* image = detail::ImageOf(d);
    if (!image) return nullptr;
    image->BeginPixels();
    const Rect clip = detail::DeviceClipOf(d);
    if (KeptInkFits(d, *image, clip)) return d.keptInk;
    detail::DropKeptInk(d);
    cairo_t* cr = cairo_create(image->surface());
    // A clip that is the whole image leaves every pixel drawable: Cairo is spared it.
    if (clip != image->bounds()) {
        cairo_rectangle(cr, clip.left, clip.top, clip.Width(), clip.Height());
        cairo_clip(cr);
    }
    d.keptInk = cr;
    d.keptClip = clip;
    return cr;
}
// Text on a page draws its glyphs (and any underline) in the text colour alone
// unless it paints its background.
cairo_t* OpenTextPageInk(Dc& d) {
    detail::PageInk* page = detail::PageInkOf(d);
    if (!page) return nullptr;
    const Rect clip = detail::DeviceClipOf(d);
    if (d.state.backgroundMode == BackgroundMode::Opaque) return page->Begin(clip);
    return page->BeginInColour(clip, detail::PixelOf(d.state.textColour));
}
}  // namespace

namespace detail {
void EndInkOf(Dc& d) {
    if (d.inkDepth == 0) return;
    if (--d.inkDepth > 0) return;
    if (d.kind == ContextKind::Printer) {
        ClosePageInk(d);
        d.ink = nullptr;
        return;
    }
    cairo_surface_t* target = cairo_get_target(d.ink);
    if (d.ink != d.keptInk) cairo_destroy(d.ink);
    d.ink = nullptr;
    cairo_surface_flush(target);
    if (Image* image = ImageOf(d)) image->EndPixels();
}

void DropKeptInk(Dc& d) {
    if (d.keptInk == nullptr) return;
    cairo_destroy(d.keptInk);
    d.keptInk = nullptr;
}
}  // namespace detail

cairo_t* BeginInk(DcHandle dc) {
    Dc* d = FindDc(dc);
    if (!d || d->IsRecording()) return nullptr;
    if (d->inkDepth > 0) {
        ++d->inkDepth;
        return d->ink;
    }
    cairo_t* cr = d->kind == ContextKind::Printer ? OpenTextPageInk(*d) : OpenImageInk(*d);
    if (!cr) return nullptr;
    d->ink = cr;
    d->inkDepth = 1;
    return cr;
}

void EndInk(DcHandle dc) {
    if (Dc* d = FindDc(dc)) detail::EndInkOf(*d);
}

cairo_surface_t* PageSurfaceOf(DcHandle dc) {
    const Dc* d = FindDc(dc);
    return d && detail::PageInkOf(*d) ? d->printer->surface : nullptr;
}

bool ShowPageGlyphs(DcHandle dc, cairo_scaled_font_t* font, const cairo_glyph_t* glyphs, int count) {
    const Dc* d = FindDc(dc);
    detail::PageInk* page = d ? detail::PageInkOf(*d) : nullptr;
    if (!page) return false;
    page->AddGlyphs(font, glyphs, count, detail::PixelOf(d->state.textColour), detail::DeviceClipOf(*d));
    return true;
}

bool FillPageBox(DcHandle dc, double left, double top, double right, double bottom, Colour colour) {
    const Dc* d = FindDc(dc);
    detail::PageInk* page = d ? detail::PageInkOf(*d) : nullptr;
    if (!page) return false;
    page->AddBox(detail::PageBox{left, top, right, bottom}, detail::PixelOf(colour), detail::DeviceClipOf(*d));
    return true;
}

bool IsMonochromeSurface(DcHandle dc) {
    const Dc* d = FindDc(dc);
    const detail::Image* image = d ? detail::ImageOf(*d) : nullptr;
    return image && image->monochrome();
}

}  // namespace ql::gfx
