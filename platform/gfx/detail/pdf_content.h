// A page record written as the content stream of a PDF page. Numbers are whole
// hundredths of a device dot under the page's scale matrix (y runs down as on the
// device); each glyph is placed by a move of its own from the one before, so no
// rounding of the fonts' widths shifts glyphs along a line.
#pragma once

#include <string>

#include "platform/gfx/detail/page_record.h"
#include "platform/gfx/detail/pdf_fonts.h"
#include "platform/gfx/detail/pdf_text.h"

namespace ql::gfx::detail {

struct PdfPageGeometry {
    double unitsPerDotX = 0;  // points of a device dot
    double unitsPerDotY = 0;
    double heightPoints = 0;
};

// Takes the bitmaps of a page as image objects of the file.
class PdfImageSink {
  public:
    virtual ~PdfImageSink() = default;
    // The resource number of the image (written /Im<n>).
    virtual int AddImage(const PageImage& image) = 0;
};

// Appends the page's operators to `out`, marking the glyphs used in `fonts` and
// giving the bitmaps to `images`. False, with `out` unfinished, when the record
// holds glyphs of a font that cannot be embedded.
bool WritePageContent(const PageRecord& record, const PdfPageGeometry& page, PdfFonts& fonts,
                      PdfImageSink& images, PdfText& out);

}  // namespace ql::gfx::detail
