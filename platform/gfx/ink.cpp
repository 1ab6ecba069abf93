// Cairo access to a context's surface for modules that draw with Cairo
// themselves (text): image contexts in pixels, printer pages in dots, clipped.
#include <cairo.h>

#include "platform/gfx/dc_access.h"
#include "platform/gfx/detail/paint.h"

namespace ql::gfx {

using detail::Dc;
using detail::FindDc;

namespace {
cairo_t* OpenImageInk(const Dc& d) {
    detail::Image* image = detail::ImageOf(d);
    if (!image) return nullptr;
    image->BeginPixels();
    cairo_t* cr = cairo_create(image->surface());
    // A clip that is the whole image leaves every pixel drawable: Cairo is spared it.
    Rect clip = detail::DeviceClipOf(d);
    if (clip == image->bounds()) return cr;
    cairo_rectangle(cr, clip.left, clip.top, clip.Width(), clip.Height());
    cairo_clip(cr);
    return cr;
}
}  // namespace

namespace detail {
void EndInkOf(Dc& d) {
    if (d.inkDepth == 0) return;
    if (--d.inkDepth > 0) return;
    cairo_surface_t* target = cairo_get_target(d.ink);
    cairo_destroy(d.ink);
    d.ink = nullptr;
    cairo_surface_flush(target);
    if (Image* image = ImageOf(d)) image->EndPixels();
}
}  // namespace detail

cairo_t* BeginInk(DcHandle dc) {
    Dc* d = FindDc(dc);
    if (!d || d->IsRecording()) return nullptr;
    if (d->inkDepth > 0) {
        ++d->inkDepth;
        return d->ink;
    }
    cairo_t* cr = d->kind == ContextKind::Printer ? detail::OpenPageInk(*d) : OpenImageInk(*d);
    if (!cr) return nullptr;
    d->ink = cr;
    d->inkDepth = 1;
    return cr;
}

void EndInk(DcHandle dc) {
    if (Dc* d = FindDc(dc)) detail::EndInkOf(*d);
}

bool IsMonochromeSurface(DcHandle dc) {
    const Dc* d = FindDc(dc);
    const detail::Image* image = d ? detail::ImageOf(*d) : nullptr;
    return image && image->monochrome();
}

}  // namespace ql::gfx
