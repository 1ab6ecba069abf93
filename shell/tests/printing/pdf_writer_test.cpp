// The program writes its PDF files itself: the files read back whole (the
// cross-reference table, the stream lengths, the compressed streams), name the
// fonts they embed with their widths and character maps, and render as the files
// Cairo's PDF surface writes for the same pages, pixel by pixel within
// anti-aliasing (where poppler's renderer is installed, as the build's packages
// have it). Drawing the writer does not write goes to Cairo's file whole.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>

#include "core/state.h"
#include "interchange/bench/musicxml_scores.h"
#include "interchange/musicxml/musicxml_import.h"
#include "platform/gfx/dc.h"
#include "platform/gfx/draw.h"
#include "platform/gfx/objects.h"
#include "platform/gfx/printer.h"
#include "platform/sysdlg/print_dialog.h"
#include "platform/text/font.h"
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
    }
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

// Ink the writer does not write (a hatched brush) has the whole file written by
// Cairo; a file that cannot be written whole is reported and not left behind.
TEST_F(PdfWriterTest, WhatTheWriterCannotWriteGoesToCairoAndFailuresAreReported) {
    const fs::path file = scratch / "hatched.pdf";
    gfx::DcHandle printer = gfx::CreatePrinterContext(file.string(), gfx::PrinterSetup{});
    ASSERT_TRUE(printer);
    ASSERT_TRUE(gfx::StartDocument(printer, "Hatched"));
    for (int page = 0; page < 2; ++page) {
        ASSERT_TRUE(gfx::StartPage(printer));
        gfx::Rectangle(printer, gfx::Rect{100, 100, 900, 500});
        if (page == 1) {
            gfx::BrushHandle hatch = gfx::CreateHatchBrush(gfx::HatchStyle::Cross, gfx::Rgb(0, 0, 200));
            gfx::BrushHandle kept = gfx::SelectObject(printer, hatch);
            gfx::Rectangle(printer, gfx::Rect{1000, 1000, 2000, 2000});
            gfx::SelectObject(printer, kept);
            gfx::DeleteObject(hatch);
        }
        ASSERT_TRUE(gfx::EndPage(printer));
    }
    ASSERT_TRUE(gfx::EndDocument(printer));
    gfx::DeleteContext(printer);
    const std::string bytes = ReadBytes(file);
    EXPECT_FALSE(WrittenByUs(bytes));
    EXPECT_EQ(PdfPageCount(file.string()), 2);

    // A full disk: the document's end says the file was not written.
    if (fs::exists("/dev/full")) {
        printer = gfx::CreatePrinterContext("/dev/full", gfx::PrinterSetup{});
        ASSERT_TRUE(printer);
        ASSERT_TRUE(gfx::StartDocument(printer, "Full"));
        ASSERT_TRUE(gfx::StartPage(printer));
        gfx::Rectangle(printer, gfx::Rect{100, 100, 900, 500});
        EXPECT_FALSE(gfx::EndDocument(printer));
        gfx::DeleteContext(printer);
    }
}

}  // namespace
}  // namespace ql
