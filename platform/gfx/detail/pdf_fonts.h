// The fonts of a PDF document of our own. Each font face glyphs are drawn in is
// embedded under a composite font (Type0 with Identity-H) whose character ids are
// the glyph ids, with the widths of the glyphs used and a ToUnicode map so that
// the text can be searched and copied: TrueType outlines as a CIDFontType2
// (CIDToGIDMap Identity) with the program cut down to the glyphs used
// (truetype_subset.h; whole when it does not read as TrueType), CFF outlines in
// an OpenType file as a CIDFontType0 with the whole file (FontFile3 OpenType).
// Other faces (Type 1, bitmaps, collections, CFF keyed by character ids) cannot
// be embedded this way.
#pragma once

#include <cairo.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/gfx/detail/pdf_text.h"

namespace ql::gfx::detail {

// Writes numbered objects into the file being made.
class PdfObjectSink {
  public:
    virtual ~PdfObjectSink() = default;
    virtual int NewObject() = 0;
    // Writes object `number` with `dictionary` (without << >>) and, unless null,
    // a stream of `stream` bytes (already compressed when `deflated`).
    virtual void WriteObject(int number, const std::string& dictionary, const std::string* stream = nullptr,
                             bool deflated = false) = 0;
};

enum class FontProgram : uint8_t { None, TrueType, OpenTypeCff };

class PdfFonts {
  public:
    PdfFonts() = default;
    ~PdfFonts();
    PdfFonts(const PdfFonts&) = delete;
    PdfFonts& operator=(const PdfFonts&) = delete;

    // The resource number (written /F<n>) of the face of `font`, marking the
    // glyphs used; -1 when the face cannot be embedded.
    int Use(cairo_scaled_font_t* font, const cairo_glyph_t* glyphs, int count);
    // Writes every font used; appends "/F<n> <ref> 0 R" entries to `resources`.
    // False when a font file could not be read.
    bool Write(PdfObjectSink& sink, PdfText& resources);

  private:
    struct Face {
        cairo_font_face_t* face = nullptr;       // referenced
        cairo_scaled_font_t* scaled = nullptr;   // referenced: locks the FreeType face
        FontProgram program = FontProgram::None;
        std::vector<bool> used;  // by glyph id
    };
    std::vector<Face> faces_;
};

// Whether the bytes start a TrueType font file (not a collection, not CFF).
bool IsTrueTypeFile(const unsigned char* head, size_t size);

}  // namespace ql::gfx::detail
