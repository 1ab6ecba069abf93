// A print job to a PDF file. Each page is recorded (page_record.h) and the file
// is written when the document ends by our own writer (pdf_document.h). Drawing
// the records cannot hold (hatched or patterned brushes: what is drawn on a Cairo
// context handed out) turns the document over to Cairo's PDF surface: the pages
// recorded so far are drawn on it, and the rest of the document is drawn on it
// directly. So is a document with glyphs of a font the writer cannot embed
// (pdf_fonts.h), at its end. The file is opened when the job is made, so a path
// that cannot be written is known at once; a file that could not be written
// whole is reported and removed.
#pragma once

#include <cairo.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "platform/gfx/detail/page_record.h"
#include "platform/gfx/detail/pdf_content.h"

namespace ql::gfx::detail {

class PdfPrintJob {
  public:
    // Null when the file cannot be created. An empty path writes no file;
    // `cairoOnly` has every document written by Cairo.
    static std::unique_ptr<PdfPrintJob> Create(const std::string& path, double widthPoints, double heightPoints,
                                               double unitsPerDotX, double unitsPerDotY, bool cairoOnly);
    ~PdfPrintJob();
    PdfPrintJob(const PdfPrintJob&) = delete;
    PdfPrintJob& operator=(const PdfPrintJob&) = delete;

    void SetTitle(const std::string& title) { title_ = title; }
    void StartPage();
    // The record of the page being drawn; null once the document is Cairo's.
    PageRecord* page() { return cairo_ ? nullptr : &page_; }
    // Cairo's surface, once the document went to it.
    cairo_surface_t* cairo() const { return cairo_; }
    // Turns the document over to Cairo: the pages ended so far are drawn on its
    // surface and the page being drawn is started on it (its record so far is the
    // caller's to draw). The surface.
    cairo_surface_t* TurnToCairo();
    // Keeps the page drawn (or shows it on Cairo's surface); false on an error.
    bool EndPage();
    // Writes the file and closes it; false when it could not be written whole.
    bool Finish();

  private:
    PdfPrintJob() = default;
    bool WriteOwn(std::string* bytes);
    void DrawEndedPagesOnCairo();
    bool Close(bool written);

    std::string path_;
    std::string title_;
    std::FILE* file_ = nullptr;
    double widthPoints_ = 0;
    PdfPageGeometry geometry_;
    PageRecord page_;
    std::vector<PageRecord> pages_;
    bool cairoOnly_ = false;
    cairo_surface_t* cairo_ = nullptr;
};

// Draws a white sheet over the whole page. Besides being the paper's colour, it
// keeps Cairo's PDF surface's record of where it draws to one rectangle: at the
// end of a page the surface sorts every operation into the parts it writes as
// vector drawing, and with the page's first operation covering the page, each
// later one falls inside it at once instead of being merged into a region of
// thousands of small rectangles.
void PaintPaper(cairo_surface_t* surface);

}  // namespace ql::gfx::detail
