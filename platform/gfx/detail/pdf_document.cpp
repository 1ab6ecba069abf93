#include "platform/gfx/detail/pdf_document.h"

#include <cstdio>

#include "platform/gfx/detail/pdf_deflate.h"

namespace ql::gfx::detail {

namespace {
constexpr int kCatalog = 1;
constexpr int kPageTree = 2;
constexpr int kResources = 3;
constexpr int kInfo = 4;
constexpr int kFixedObjects = 4;
constexpr int kBoxDecimals = 3;
constexpr int kOffsetDigits = 10;

// The code points of UTF-8 text; a byte that does not decode stands for itself.
std::vector<uint32_t> CodePoints(const std::string& utf8) {
    std::vector<uint32_t> codes;
    for (size_t i = 0; i < utf8.size();) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        const int length = lead < 0x80 ? 1 : (lead >> 5) == 6 ? 2 : (lead >> 4) == 14 ? 3 : (lead >> 3) == 30 ? 4 : 0;
        uint32_t code = length == 1 ? lead : length == 2 ? lead & 0x1F : length == 3 ? lead & 0x0F : lead & 0x07;
        bool valid = length > 0 && i + static_cast<size_t>(length) <= utf8.size();
        for (int k = 1; valid && k < length; ++k) {
            const auto next = static_cast<unsigned char>(utf8[i + static_cast<size_t>(k)]);
            valid = (next >> 6) == 2;
            code = (code << 6) | (next & 0x3F);
        }
        codes.push_back(valid ? code : lead);
        i += valid ? static_cast<size_t>(length) : 1;
    }
    return codes;
}
}  // namespace

void WriteTextString(const std::string& utf8, PdfText& out) {
    bool plain = true;
    for (unsigned char c : utf8) plain = plain && c >= 32 && c < 127;
    if (plain) {
        out.String(utf8);
        return;
    }
    out.Raw("<FEFF");
    for (uint32_t code : CodePoints(utf8)) out.Utf16Hex(code);
    out.Char('>');
}

PdfDocument::PdfDocument(const PdfPageGeometry& page, double widthPoints)
    : page_(page), widthPoints_(widthPoints), offsets_(kFixedObjects + 1, 0) {
    // Version 1.6: OpenType font programs.
    out_.Raw("%PDF-1.6\n%\xE2\xE3\xCF\xD3\n");
}

int PdfDocument::NewObject() {
    offsets_.push_back(0);
    return static_cast<int>(offsets_.size() - 1);
}

void PdfDocument::WriteObject(int number, const std::string& dictionary, const std::string* stream,
                              bool deflated) {
    offsets_[static_cast<size_t>(number)] = out_.size();
    out_.Int(number).Raw("0 obj\n<< ").Raw(dictionary);
    if (stream == nullptr) {
        out_.Raw(" >>\nendobj\n");
        return;
    }
    out_.Raw(" /Length ").Int(static_cast<int64_t>(stream->size()));
    if (deflated) out_.Raw("/Filter /FlateDecode ");
    out_.Raw(">>\nstream\n").Raw(*stream).Raw("\nendstream\nendobj\n");
}

int PdfDocument::AddImage(const PageImage& image) {
    const int number = NewObject();
    PdfText dict;
    dict.Raw("/Type /XObject /Subtype /Image /Width ").Int(image.width).Raw("/Height ").Int(image.height);
    dict.Raw("/ColorSpace /DeviceRGB /BitsPerComponent 8 /Interpolate false");
    if (!image.alpha.empty()) {
        const int mask = NewObject();
        PdfText maskDict;
        maskDict.Raw("/Type /XObject /Subtype /Image /Width ").Int(image.width).Raw("/Height ").Int(image.height);
        maskDict.Raw("/ColorSpace /DeviceGray /BitsPerComponent 8 /Interpolate false");
        WriteObject(mask, maskDict.bytes(), &image.alpha, true);
        dict.Raw(" /SMask ").Int(mask).Raw("0 R");
    }
    WriteObject(number, dict.bytes(), &image.rgb, true);
    const int resource = imageCount_++;
    images_.Raw("/Im").Int(resource).Int(number).Raw("0 R ");
    return resource;
}

bool PdfDocument::AddPage(const PageRecord& record) {
    if (failed_) return false;
    content_.bytes().clear();
    if (!WritePageContent(record, page_, fonts_, *this, content_) ||
        !Deflate(content_.bytes(), kContentDeflateLevel, &deflated_)) {
        failed_ = true;
        return false;
    }
    const int content = NewObject(), pageObject = NewObject();
    WriteObject(content, std::string(), &deflated_, true);
    PdfText dict;
    dict.Raw("/Type /Page /Parent ").Int(kPageTree).Raw("0 R /MediaBox [0 0 ")
        .Fixed(widthPoints_, kBoxDecimals).Fixed(page_.heightPoints, kBoxDecimals)
        .Raw("] /Resources ").Int(kResources).Raw("0 R /Contents ").Int(content).Raw("0 R");
    WriteObject(pageObject, dict.bytes(), nullptr, false);
    pages_.push_back(pageObject);
    return true;
}

bool PdfDocument::Finish(const std::string& title, std::string* file) {
    if (failed_) return false;
    PdfText fonts;
    if (!fonts_.Write(*this, fonts)) return false;
    PdfText dict;
    dict.Raw("/Font << ").Raw(fonts.bytes()).Raw(">> /XObject << ").Raw(images_.bytes()).Raw(">>");
    WriteObject(kResources, dict.bytes(), nullptr, false);

    dict = PdfText();
    dict.Raw("/Type /Pages /Kids [");
    for (int page : pages_) dict.Int(page).Raw("0 R ");
    dict.Raw("] /Count ").Int(static_cast<int64_t>(pages_.size()));
    WriteObject(kPageTree, dict.bytes(), nullptr, false);

    dict = PdfText();
    dict.Raw("/Producer (Quaverline)");
    if (!title.empty()) {
        dict.Raw(" /Title ");
        WriteTextString(title, dict);
    }
    WriteObject(kInfo, dict.bytes(), nullptr, false);

    dict = PdfText();
    dict.Raw("/Type /Catalog /Pages ").Int(kPageTree).Raw("0 R");
    WriteObject(kCatalog, dict.bytes(), nullptr, false);

    const size_t xref = out_.size();
    out_.Raw("xref\n0 ").Int(static_cast<int64_t>(offsets_.size()));
    out_.bytes().back() = '\n';
    out_.Raw("0000000000 65535 f \n");
    char entry[24];
    for (size_t i = 1; i < offsets_.size(); ++i) {
        std::snprintf(entry, sizeof entry, "%0*zu 00000 n \n", kOffsetDigits, offsets_[i]);
        out_.Raw(entry);
    }
    out_.Raw("trailer\n<< /Size ").Int(static_cast<int64_t>(offsets_.size()))
        .Raw("/Root ").Int(kCatalog).Raw("0 R /Info ").Int(kInfo).Raw("0 R >>\nstartxref\n")
        .Int(static_cast<int64_t>(xref));
    out_.bytes().back() = '\n';
    out_.Raw("%%EOF\n");
    *file = std::move(out_.bytes());
    return true;
}

}  // namespace ql::gfx::detail
