// A PDF document of our own made from page records: the page contents
// compressed, the fonts embedded (pdf_fonts.h), the bitmaps as image objects, one
// resource dictionary shared by every page, the information dictionary with the title, the cross-reference
// table and trailer.
#pragma once

#include <string>
#include <vector>

#include "platform/gfx/detail/page_record.h"
#include "platform/gfx/detail/pdf_content.h"
#include "platform/gfx/detail/pdf_fonts.h"
#include "platform/gfx/detail/pdf_text.h"

namespace ql::gfx::detail {

class PdfDocument : private PdfObjectSink, private PdfImageSink {
  public:
    PdfDocument(const PdfPageGeometry& page, double widthPoints);

    // Adds a page; false when the record holds glyphs of a font that cannot be
    // embedded, and the document cannot be finished.
    bool AddPage(const PageRecord& record);
    // The bytes of the whole file, or false when a font file could not be read.
    bool Finish(const std::string& title, std::string* file);

  private:
    int NewObject() override;
    void WriteObject(int number, const std::string& dictionary, const std::string* stream,
                     bool deflated) override;
    int AddImage(const PageImage& image) override;

    PdfPageGeometry page_;
    double widthPoints_;
    PdfFonts fonts_;
    PdfText out_;
    std::vector<size_t> offsets_;  // by object number; 0 for object 0
    std::vector<int> pages_;       // page objects
    PdfText content_;              // reused for each page
    PdfText images_;               // the image resources
    int imageCount_ = 0;
    std::string deflated_;
    bool failed_ = false;
};

// The title as a PDF text string: literal when plain ASCII, else UTF-16BE.
void WriteTextString(const std::string& utf8, PdfText& out);

}  // namespace ql::gfx::detail
