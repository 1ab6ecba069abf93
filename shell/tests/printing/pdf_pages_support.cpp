#include "shell/tests/printing/pdf_pages_support.h"

#include <unistd.h>
#include <zlib.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace ql::testing {

namespace {

bool Inflate(const std::string& in, std::string* out) {
    z_stream z{};
    if (inflateInit(&z) != Z_OK) return false;
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(in.data()));
    z.avail_in = static_cast<uInt>(in.size());
    char buffer[1 << 14];
    int status = Z_OK;
    while (status == Z_OK) {
        z.next_out = reinterpret_cast<Bytef*>(buffer);
        z.avail_out = sizeof buffer;
        status = inflate(&z, Z_NO_FLUSH);
        out->append(buffer, sizeof buffer - z.avail_out);
    }
    inflateEnd(&z);
    return status == Z_STREAM_END;
}

long NumberAfter(const std::string& text, const std::string& key) {
    const size_t at = text.find(key);
    if (at == std::string::npos) return -1;
    return std::strtol(text.c_str() + at + key.size(), nullptr, 10);
}

}  // namespace

PdfStructure ReadPdfStructure(const std::string& bytes) {
    PdfStructure pdf;
    if (bytes.rfind("%PDF-", 0) != 0) {
        pdf.error = "no header";
        return pdf;
    }
    const size_t startxref = bytes.rfind("startxref\n");
    if (startxref == std::string::npos) {
        pdf.error = "no startxref";
        return pdf;
    }
    const size_t xref = static_cast<size_t>(std::strtoul(bytes.c_str() + startxref + 10, nullptr, 10));
    if (bytes.compare(xref, 5, "xref\n") != 0) {
        pdf.error = "startxref does not point at the table";
        return pdf;
    }
    char* end = nullptr;
    const long first = std::strtol(bytes.c_str() + xref + 5, &end, 10);
    const long count = std::strtol(end, &end, 10);
    size_t entry = static_cast<size_t>(end - bytes.c_str()) + 1;
    if (first != 0 || count < 2) {
        pdf.error = "bad table header";
        return pdf;
    }
    entry += 20;  // object 0, free
    for (long number = 1; number < count; ++number, entry += 20) {
        if (entry + 20 > bytes.size() || bytes[entry + 17] != 'n') {
            pdf.error = "bad entry for object " + std::to_string(number);
            return pdf;
        }
        const size_t offset = static_cast<size_t>(std::strtoul(bytes.c_str() + entry, nullptr, 10));
        const std::string head = std::to_string(number) + " 0 obj\n";
        if (bytes.compare(offset, head.size(), head) != 0) {
            pdf.error = "entry of object " + std::to_string(number) + " points elsewhere";
            return pdf;
        }
        const size_t endobj = bytes.find("endobj", offset);
        const size_t stream = bytes.find(">>\nstream\n", offset);
        if (stream != std::string::npos && stream < endobj) {
            const std::string dict = bytes.substr(offset + head.size(), stream + 2 - offset - head.size());
            const long length = NumberAfter(dict, "/Length ");
            const size_t data = stream + 10;
            if (length < 0 || bytes.compare(data + static_cast<size_t>(length), 10, "\nendstream") != 0) {
                pdf.error = "stream length of object " + std::to_string(number) + " is wrong";
                return pdf;
            }
            std::string content = bytes.substr(data, static_cast<size_t>(length));
            if (dict.find("/FlateDecode") != std::string::npos) {
                std::string inflated;
                if (!Inflate(content, &inflated)) {
                    pdf.error = "stream of object " + std::to_string(number) + " does not inflate";
                    return pdf;
                }
                content = std::move(inflated);
            }
            pdf.objects[static_cast<int>(number)] = dict;
            pdf.streams[static_cast<int>(number)] = std::move(content);
        } else {
            pdf.objects[static_cast<int>(number)] = bytes.substr(offset + head.size(), endobj - offset - head.size());
        }
        const std::string& dict = pdf.objects[static_cast<int>(number)];
        if (dict.find("/Type /Page ") != std::string::npos) ++pdf.pages;
    }
    if (bytes.find("/Size " + std::to_string(count)) == std::string::npos) pdf.error = "trailer size is wrong";
    return pdf;
}

bool HaveRenderer() { return std::system("pdftoppm -v >/dev/null 2>&1") == 0; }

std::optional<Raster> RenderPdfPage(const std::string& path, int page, int dpi) {
    const std::string prefix = path + ".page" + std::to_string(page);
    const std::string command = "pdftoppm -r " + std::to_string(dpi) + " -f " + std::to_string(page) + " -l " +
                                std::to_string(page) + " -singlefile '" + path + "' '" + prefix + "' 2>/dev/null";
    if (std::system(command.c_str()) != 0) return std::nullopt;
    std::ifstream in(prefix + ".ppm", std::ios::binary);
    std::string magic;
    Raster raster;
    int maxValue = 0;
    in >> magic >> raster.width >> raster.height >> maxValue;
    in.get();
    if (magic != "P6" || maxValue != 255 || raster.width <= 0 || raster.height <= 0) return std::nullopt;
    raster.rgb.resize(static_cast<size_t>(raster.width) * static_cast<size_t>(raster.height) * 3);
    in.read(reinterpret_cast<char*>(raster.rgb.data()), static_cast<std::streamsize>(raster.rgb.size()));
    std::filesystem::remove(prefix + ".ppm");
    if (!in) return std::nullopt;
    return raster;
}

PixelDifference ComparePixels(const Raster& a, const Raster& b, int tolerance, int block, double blockTolerance) {
    PixelDifference d;
    d.sameSize = a.width == b.width && a.height == b.height && a.rgb.size() == b.rgb.size();
    if (!d.sameSize || block <= 0) return d;
    d.pixels = static_cast<long>(a.width) * a.height;
    const int columns = (a.width + block - 1) / block, rows = (a.height + block - 1) / block;
    std::vector<double> inkA(static_cast<size_t>(columns * rows)), inkB(inkA.size()), area(inkA.size());
    double total = 0;
    for (int y = 0; y < a.height; ++y)
        for (int x = 0; x < a.width; ++x) {
            const size_t i = (static_cast<size_t>(y) * static_cast<size_t>(a.width) + static_cast<size_t>(x)) * 3;
            const size_t cell = static_cast<size_t>((y / block) * columns + x / block);
            int most = 0;
            for (size_t c = 0; c < 3; ++c) {
                const int diff = std::abs(int(a.rgb[i + c]) - int(b.rgb[i + c]));
                total += diff;
                most = std::max(most, diff);
                inkA[cell] += 255 - a.rgb[i + c];
                inkB[cell] += 255 - b.rgb[i + c];
            }
            area[cell] += 3;
            if (int(b.rgb[i]) + b.rgb[i + 1] + b.rgb[i + 2] < 3 * 128) ++d.inked;
            if (most > tolerance) ++d.differing;
        }
    d.blocks = static_cast<long>(area.size());
    for (size_t cell = 0; cell < area.size(); ++cell) {
        const double apart = std::abs(inkA[cell] - inkB[cell]) / area[cell];
        d.worstBlock = std::max(d.worstBlock, apart);
        if (apart > blockTolerance) ++d.blocksApart;
    }
    d.meanChannelDifference = total / static_cast<double>(a.rgb.size());
    return d;
}

}  // namespace ql::testing
