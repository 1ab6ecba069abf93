// The program writes its PDF files itself: the files read back whole (the
// cross-reference table, the stream lengths, the compressed streams), name the
// fonts they embed with their widths and character maps, and render as the files
// Cairo's PDF surface writes for the same pages, pixel by pixel within
// anti-aliasing (where poppler's renderer is installed, as the build's packages
// have it). Drawing the writer does not write goes to Cairo's file whole.
#include <gtest/gtest.h>

#include <cairo-ft.h>
#include <cairo.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>
#include <vector>

#include "core/state.h"
#include "interchange/bench/musicxml_scores.h"
#include "interchange/musicxml/musicxml_import.h"
#include "platform/gfx/bitmap.h"
#include "platform/gfx/dc.h"
#include "platform/gfx/dc_access.h"
#include "platform/gfx/draw.h"
#include "platform/gfx/objects.h"
#include "platform/gfx/printer.h"
#include "platform/sysdlg/print_dialog.h"
#include "platform/text/font.h"
#include "platform/text/logical_font.h"
#include "platform/text/text_out.h"
#include "shell/printing/print_document_internal.h"
#include "shell/tests/printing/pdf_pages_support.h"
#include "shell/tests/printing/print_fixture.h"

namespace ql {
namespace {

namespace fs = std::filesystem;

constexpr int kRenderDpi = 200;
constexpr int kAntiAliasing = 96;  // channel difference still taken for an edge's shading
// Edges shaded otherwise change a block's mean ink by about 20 of 255 at most; a
// note head or a letter missing or moved by its width changes it by 90 or more.
constexpr int kBlockPixels = 16;
constexpr double kBlockInkTolerance = 40.0;
constexpr int kPagesCompared = 3;
const fs::path kCorpus = fs::path(QL_SOURCE_DIR) / ".." / "shared" / "corpus" / "musicxml-real";

std::string ReadBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The OpenType music font of the LilyPond fonts package, with CFF outlines.
std::vector<fs::path> CffFontFiles() {
    std::vector<fs::path> found;
    const fs::path root = "/usr/share/lilypond";
    std::error_code error;
    if (!fs::is_directory(root, error)) return found;
    for (const auto& version : fs::directory_iterator(root, error)) {
        const fs::path file = version.path() / "fonts" / "otf" / "emmentaler-20.otf";
        if (fs::exists(file, error)) found.push_back(file);
    }
    return found;
}

bool WrittenByUs(const std::string& pdf) { return pdf.find("/Producer (Quaverline)") != std::string::npos; }

// The pages of `ours` rendered against those of `reference`: every page compared
// is within anti-aliasing of the reference.
void ExpectSameRendering(const fs::path& ours, const fs::path& reference, int pages, const std::string& what) {
    if (!testing::HaveRenderer()) return;
    for (int page = 1; page <= std::min(pages, kPagesCompared); ++page) {
        const auto a = testing::RenderPdfPage(ours.string(), page, kRenderDpi);
        const auto b = testing::RenderPdfPage(reference.string(), page, kRenderDpi);
        ASSERT_TRUE(a && b) << what << " page " << page;
        const testing::PixelDifference d =
            testing::ComparePixels(*a, *b, kAntiAliasing, kBlockPixels, kBlockInkTolerance);
        ASSERT_TRUE(d.sameSize) << what;
        std::cout << "[ pixels   ] " << what << " page " << page << ": " << d.differing << " of " << d.pixels
                  << " beyond anti-aliasing, mean channel difference " << d.meanChannelDifference << "; "
                  << d.blocksApart << " of " << d.blocks << " blocks apart, the most by " << d.worstBlock << "\n";
        EXPECT_EQ(d.blocksApart, 0) << what << " page " << page;
        EXPECT_GT(d.inked, 0) << what << " page " << page << " is blank";
    }
}

// Pixels of a rendered page darker than mid-grey; -1 when it cannot be rendered.
long InkedPixels(const fs::path& file, int page) {
    if (!testing::HaveRenderer()) return -1;
    const auto raster = testing::RenderPdfPage(file.string(), page, kRenderDpi);
    return raster ? testing::ComparePixels(*raster, *raster, 0, kBlockPixels, 0).inked : -1;
}

class PdfWriterTest : public testing::PrintFixture {
  protected:
    void SetUp() override {
        PrintFixture::SetUp();
        SetMusicXmlConverterPath(fs::path(QL_PROGRAM_DIR) / kConverterProgram);
    }
    void TearDown() override {
        SetMusicXmlConverterPath({});
        PrintFixture::TearDown();
    }

    // Every page of the view's score printed to `file` by our writer or Cairo's.
    bool PrintTo(ScoreView* view, const fs::path& file, bool cairo) {
        sysdlg::PrintChoice choice;
        choice.printToFile = true;
        choice.filePath = file.string();
        choice.replaceConfirmed = true;
        QueueOk(choice);
        SetPrintWithCairoWriter(cairo);
        const PrintRunResult run = PrintDocument(view);
        SetPrintWithCairoWriter(false);
        return run.outcome == PrintOutcome::Printed;
    }

    // Prints the score both ways and compares the files.
    void CompareWriters(ScoreView* view, const std::string& name) {
        ASSERT_NE(view, nullptr) << name;
        const fs::path ours = scratch / (name + "-own.pdf"), reference = scratch / (name + "-cairo.pdf");
        ASSERT_TRUE(PrintTo(view, ours, false)) << name;
        ASSERT_TRUE(PrintTo(view, reference, true)) << name;
        const std::string bytes = ReadBytes(ours);
        EXPECT_TRUE(WrittenByUs(bytes)) << name;
        EXPECT_FALSE(WrittenByUs(ReadBytes(reference))) << name;
        const testing::PdfStructure pdf = testing::ReadPdfStructure(bytes);
        ASSERT_TRUE(pdf.ok()) << name << ": " << pdf.error;
        EXPECT_EQ(pdf.pages, PdfPageCount(reference.string())) << name;
        EXPECT_EQ(pdf.pages, view->document->header.pageCount) << name;
        std::cout << "[ bytes    ] " << name << ": " << bytes.size() / std::max(1, pdf.pages) << " a page (Cairo "
                  << fs::file_size(reference) / static_cast<uintmax_t>(std::max(1, pdf.pages)) << ")\n";
        ExpectSameRendering(ours, reference, pdf.pages, name);
    }
};

TEST_F(PdfWriterTest, PrintedScoresRenderAsTheReferenceWriterDrawsThem) {
    CompareWriters(view_, "new-score");
    const fs::path generated = scratch / "orchestra.xml";
    std::ofstream(generated, std::ios::binary) << musicxml::PartwiseScore(8, 22);
    CompareWriters(ImportMusicXml(generated), "orchestra");
    // Songs with lyrics and titles in the text fonts, chamber music.
    for (const char* name : {"BrookeWestSample.xml", "MozartTrio.xml", "Binchois.xml"}) {
        const fs::path path = kCorpus / name;
        if (fs::exists(path)) CompareWriters(ImportMusicXml(path), fs::path(name).stem().string());
    }
}

// The fonts are embedded as TrueType programs cut down to the glyphs used (their
// names marked as subsets) under composite fonts, with the widths of the glyphs
// used and a map back to the characters.
TEST_F(PdfWriterTest, FontsAreEmbeddedWithWidthsAndCharacters) {
    const fs::path file = scratch / "fonts.pdf";
    ASSERT_TRUE(PrintTo(view_, file, false));
    const testing::PdfStructure pdf = testing::ReadPdfStructure(ReadBytes(file));
    ASSERT_TRUE(pdf.ok()) << pdf.error;
    int composite = 0, programs = 0, maps = 0;
    for (const auto& [number, dict] : pdf.objects) {
        if (dict.find("/Subtype /Type0") != std::string::npos) {
            ++composite;
            EXPECT_NE(dict.find("/Encoding /Identity-H"), std::string::npos);
            EXPECT_NE(dict.find("/ToUnicode"), std::string::npos);
            EXPECT_NE(dict.find("+"), std::string::npos) << dict;
        }
        if (dict.find("/CIDFontType2") != std::string::npos) {
            EXPECT_NE(dict.find("/W ["), std::string::npos);
        }
        if (dict.find("/Length1") != std::string::npos) {
            ++programs;
            // A TrueType file: version 1.0 and its tables.
            ASSERT_GE(pdf.streams.at(number).size(), 12u);
            EXPECT_EQ(pdf.streams.at(number).substr(0, 4), std::string("\0\1\0\0", 4));
        }
        if (pdf.streams.count(number) && pdf.streams.at(number).find("beginbfchar") != std::string::npos) ++maps;
    }
    EXPECT_GE(composite, 1);
    EXPECT_EQ(programs, composite);
    EXPECT_EQ(maps, composite);
}

// A glyph of a font Cairo draws itself (not a FreeType font, so no TrueType
// program to embed): a square.
cairo_status_t RenderSquare(cairo_scaled_font_t*, unsigned long, cairo_t* cr, cairo_text_extents_t* extents) {
    cairo_rectangle(cr, 0, -0.5, 0.5, 0.5);
    cairo_fill(cr);
    extents->x_advance = 0.6;
    return CAIRO_STATUS_SUCCESS;
}

void DrawHatched(gfx::DcHandle printer) {
    gfx::BrushHandle hatch = gfx::CreateHatchBrush(gfx::HatchStyle::Cross, gfx::Rgb(0, 0, 200));
    gfx::BrushHandle kept = gfx::SelectObject(printer, hatch);
    gfx::Rectangle(printer, gfx::Rect{1000, 1000, 2000, 2000});
    gfx::SelectObject(printer, kept);
    gfx::DeleteObject(hatch);
}

// An 8 x 8 bitmap of coloured stripes with a white corner, stretched to 400 dots
// square: copied, and drawn over the page with its white left out.
void DrawBitmap(gfx::DcHandle printer, uint32_t rop, gfx::Point at) {
    gfx::BitmapHandle image = gfx::CreateImageBitmap(8, 8);
    gfx::DcHandle source = gfx::CreateMemoryContext(printer);
    gfx::SelectObject(source, image);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
            gfx::SetPixel(source, gfx::Point{x, y},
                          x < 3 && y < 3 ? gfx::Rgb(255, 255, 255) : gfx::Rgb(40 * x, 200 - 20 * y, 120));
    gfx::StretchBlit(printer, gfx::Rect{at.x, at.y, at.x + 400, at.y + 400}, source, gfx::Rect{0, 0, 8, 8}, rop);
    gfx::DeleteContext(source);
    gfx::DeleteObject(image);
}

void DrawBitmaps(gfx::DcHandle printer) {
    DrawBitmap(printer, gfx::RasterOp::SourceCopy, gfx::Point{1000, 1000});
    DrawBitmap(printer, gfx::RasterOp::SourceAnd, gfx::Point{850, 1200});
}

void DrawUserFontGlyphs(gfx::DcHandle printer) {
    cairo_font_face_t* face = cairo_user_font_face_create();
    cairo_user_font_face_set_render_glyph_func(face, RenderSquare);
    cairo_matrix_t size, identity;
    cairo_matrix_init_scale(&size, 100, 100);
    cairo_matrix_init_identity(&identity);
    cairo_font_options_t* options = cairo_font_options_create();
    cairo_scaled_font_t* font = cairo_scaled_font_create(face, &size, &identity, options);
    const cairo_glyph_t glyphs[] = {{1, 1000, 1000}, {2, 1100, 1000}};
    EXPECT_TRUE(gfx::ShowPageGlyphs(printer, font, glyphs, 2));
    cairo_scaled_font_destroy(font);
    cairo_font_options_destroy(options);
    cairo_font_face_destroy(face);
}

// Two pages, the second with `draw`'s drawing; whether the file was written by the
// program's writer or by Cairo's reference writer.
void PrintTwoPages(const fs::path& file, void (*draw)(gfx::DcHandle), bool cairo) {
    gfx::PrinterSetup setup;
    setup.cairoWriter = cairo;
    gfx::DcHandle printer = gfx::CreatePrinterContext(file.string(), setup);
    ASSERT_TRUE(printer);
    ASSERT_TRUE(gfx::StartDocument(printer, "Two pages"));
    for (int page = 0; page < 2; ++page) {
        ASSERT_TRUE(gfx::StartPage(printer));
        gfx::Rectangle(printer, gfx::Rect{100, 100, 900, 500});
        if (page == 1) draw(printer);
        ASSERT_TRUE(gfx::EndPage(printer));
    }
    ASSERT_TRUE(gfx::EndDocument(printer));
    gfx::DeleteContext(printer);
}

// The glyphs of a font with CFF outlines in an OpenType file: the music font the
// build makes its own from (a package the build needs), drawn at 100 dots.
void DrawCffGlyphs(gfx::DcHandle printer) {
    const std::vector<fs::path> found = CffFontFiles();
    ASSERT_FALSE(found.empty());
    // The FreeType face lives as long as Cairo's face made of it (the document
    // keeps that until it ends).
    static FT_Library library = nullptr;
    if (library == nullptr) {
        ASSERT_EQ(FT_Init_FreeType(&library), 0);
    }
    FT_Face face = nullptr;
    ASSERT_EQ(FT_New_Face(library, found.front().c_str(), 0, &face), 0);
    cairo_font_face_t* cairoFace = cairo_ft_font_face_create_for_ft_face(face, FT_LOAD_NO_HINTING);
    static const cairo_user_data_key_t kFaceKey{};
    cairo_font_face_set_user_data(cairoFace, &kFaceKey, face, [](void* f) { FT_Done_Face(static_cast<FT_Face>(f)); });
    cairo_matrix_t size, identity;
    cairo_matrix_init_scale(&size, 100, 100);
    cairo_matrix_init_identity(&identity);
    cairo_font_options_t* options = cairo_font_options_create();
    cairo_scaled_font_t* font = cairo_scaled_font_create(cairoFace, &size, &identity, options);
    std::vector<cairo_glyph_t> glyphs;
    for (unsigned long gid = 1; gid < 40 && gid < static_cast<unsigned long>(face->num_glyphs); ++gid)
        glyphs.push_back(cairo_glyph_t{gid, 1000.0 + 90.0 * static_cast<double>(gid % 20),
                                       1500.0 + 200.0 * static_cast<double>(gid / 20)});
    EXPECT_TRUE(gfx::ShowPageGlyphs(printer, font, glyphs.data(), static_cast<int>(glyphs.size())));
    cairo_scaled_font_destroy(font);
    cairo_font_options_destroy(options);
    cairo_font_face_destroy(cairoFace);
}

// Two pages of `draw` printed by the program's writer and by Cairo's; the
// program's file read back.
struct BothWays {
    fs::path ours, reference;
    std::string bytes;
    testing::PdfStructure pdf;
};
BothWays PrintBothWays(const fs::path& folder, const std::string& name, void (*draw)(gfx::DcHandle)) {
    BothWays both{folder / (name + "-own.pdf"), folder / (name + "-cairo.pdf"), {}, {}};
    PrintTwoPages(both.ours, draw, false);
    PrintTwoPages(both.reference, draw, true);
    both.bytes = ReadBytes(both.ours);
    EXPECT_TRUE(WrittenByUs(both.bytes)) << name;
    both.pdf = testing::ReadPdfStructure(both.bytes);
    return both;
}

// Drawing the writer does not write (patterned ink, glyphs of a font with no
// TrueType program) has the whole file written by Cairo, the pages drawn before
// it too.
TEST_F(PdfWriterTest, WhatTheWriterDoesNotWriteGoesToCairo) {
    const std::pair<const char*, void (*)(gfx::DcHandle)> cases[] = {{"hatched", DrawHatched},
                                                                       {"user-font", DrawUserFontGlyphs}};
    for (const auto& [name, draw] : cases) {
        const fs::path file = scratch / (std::string(name) + ".pdf");
        PrintTwoPages(file, draw, false);
        EXPECT_FALSE(WrittenByUs(ReadBytes(file))) << name;
        EXPECT_EQ(PdfPageCount(file.string()), 2) << name;
    }
}

// Glyphs of a font with CFF outlines go into the file with the whole OpenType
// file embedded, and render as Cairo draws them.
TEST_F(PdfWriterTest, CffOpenTypeFontsAreEmbeddedWhole) {
    ASSERT_FALSE(CffFontFiles().empty()) << "the LilyPond fonts package is one the build needs";
    const BothWays both = PrintBothWays(scratch.Path(), "cff", DrawCffGlyphs);
    const testing::PdfStructure& pdf = both.pdf;
    const fs::path& ours = both.ours;
    ASSERT_TRUE(pdf.ok()) << pdf.error;
    int programs = 0;
    for (const auto& [number, dict] : pdf.objects) {
        if (dict.find("/Subtype /OpenType") == std::string::npos) continue;
        ++programs;
        EXPECT_EQ(pdf.streams.at(number).substr(0, 4), "OTTO");
    }
    EXPECT_EQ(programs, 1);
    EXPECT_NE(both.bytes.find("/CIDFontType0"), std::string::npos);
    if (testing::HaveRenderer()) {
        EXPECT_GT(InkedPixels(ours, 2), InkedPixels(ours, 1)) << "the glyphs show";
    }
    ExpectSameRendering(ours, both.reference, 2, "cff");
}

// Bitmaps go into the file as images of their device pixels (with a mask for the
// white a blit leaves out) and render as Cairo draws them.
TEST_F(PdfWriterTest, BitmapsAreWrittenAsImages) {
    const BothWays both = PrintBothWays(scratch.Path(), "bitmaps", DrawBitmaps);
    const testing::PdfStructure& pdf = both.pdf;
    const fs::path& ours = both.ours;
    ASSERT_TRUE(pdf.ok()) << pdf.error;
    EXPECT_EQ(pdf.pages, 2);
    int images = 0, masks = 0;
    for (const auto& [number, dict] : pdf.objects) {
        if (dict.find("/Subtype /Image") == std::string::npos) continue;
        ++images;
        if (dict.find("/DeviceGray") != std::string::npos) ++masks;
    }
    EXPECT_EQ(images, 3);
    EXPECT_EQ(masks, 1);
    if (testing::HaveRenderer()) {
        EXPECT_GT(InkedPixels(ours, 2), InkedPixels(ours, 1)) << "the bitmaps show";
    }
    ExpectSameRendering(ours, both.reference, 2, "bitmaps");
}

// Text on an opaque background, underlined and struck out, is the writer's: its
// background and bars are boxes, and the page renders as Cairo draws it.
TEST_F(PdfWriterTest, TextOnAnOpaqueBackgroundWithBarsIsWritten) {
    text::LogicalFont request;
    request.SetFace("Times New Roman");
    request.height = -240;
    request.underline = true;
    request.strikeout = true;
    text::FontHandle font = text::CreateFontIndirect(request);
    const fs::path ours = scratch / "bars-own.pdf", reference = scratch / "bars-cairo.pdf";
    for (const bool cairo : {false, true}) {
        gfx::PrinterSetup setup;
        setup.cairoWriter = cairo;
        gfx::DcHandle printer = gfx::CreatePrinterContext((cairo ? reference : ours).string(), setup);
        ASSERT_TRUE(printer);
        ASSERT_TRUE(gfx::StartDocument(printer, "Bars"));
        ASSERT_TRUE(gfx::StartPage(printer));
        gfx::SelectObject(printer, font);
        gfx::SetBackgroundColour(printer, gfx::Rgb(255, 220, 0));
        gfx::SetTextColour(printer, gfx::Rgb(0, 0, 160));
        EXPECT_TRUE(text::TextOutA(printer, gfx::Point{600, 600}, "Allegro con brio"));
        ASSERT_TRUE(gfx::EndDocument(printer));
        gfx::DeleteContext(printer);
    }
    text::DeleteFont(font);
    EXPECT_TRUE(WrittenByUs(ReadBytes(ours)));
    ExpectSameRendering(ours, reference, 1, "bars");
}

// A file that cannot be written whole (a full disk) is reported at the document's end.
TEST_F(PdfWriterTest, AFileNotWrittenWholeIsReported) {
    if (!fs::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
    gfx::DcHandle printer = gfx::CreatePrinterContext("/dev/full", gfx::PrinterSetup{});
    ASSERT_TRUE(printer);
    ASSERT_TRUE(gfx::StartDocument(printer, "Full"));
    ASSERT_TRUE(gfx::StartPage(printer));
    gfx::Rectangle(printer, gfx::Rect{100, 100, 900, 500});
    EXPECT_FALSE(gfx::EndDocument(printer));
    gfx::DeleteContext(printer);
    EXPECT_TRUE(fs::exists("/dev/full"));
}

}  // namespace
}  // namespace ql
