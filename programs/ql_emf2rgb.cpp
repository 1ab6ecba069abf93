// ql-emf2rgb: the metafile renderer the editor runs as a child process. An enhanced
// metafile is converted to SVG by libemf2svg and drawn by librsvg over white onto a
// Cairo image; the pixels are written as 32-bit 0x00RRGGBB words, row by row from
// the top. The converter does not survive every damaged metafile, so it runs here,
// where a crash ends this process and the editor only draws nothing.
//   ql-emf2rgb <metafile> <pixels out> <width> <height>
// Exit status: 0 written, 1 refused, 2 usage.
#include <cairo.h>
#include <emf2svg.h>
#include <librsvg/rsvg.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace {

constexpr int kRendered = 0;
constexpr int kRefused = 1;
constexpr int kUsage = 2;
constexpr int kLargestSide = 8192;
constexpr std::streamsize kLargestMetafile = std::streamsize{64} << 20;

struct FreeText {
    void operator()(char* text) const { std::free(text); }
};
struct UnrefHandle {
    void operator()(RsvgHandle* handle) const { g_object_unref(handle); }
};
struct DestroySurface {
    void operator()(cairo_surface_t* surface) const { cairo_surface_destroy(surface); }
};
struct DestroyContext {
    void operator()(cairo_t* cr) const { cairo_destroy(cr); }
};

std::optional<std::vector<char>> ReadMetafile(const char* path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (bytes.empty() || static_cast<std::streamsize>(bytes.size()) > kLargestMetafile) return std::nullopt;
    return bytes;
}

// The metafile as SVG text at the asked size; none when the converter refuses it.
std::optional<std::string> AsSvg(std::vector<char>& metafile, int width, int height) {
    char emptyNamespace[] = "";
    generatorOptions options{};
    options.nameSpace = emptyNamespace;
    options.emfplus = true;
    options.svgDelimiter = true;
    options.imgWidth = width;
    options.imgHeight = height;
    char* text = nullptr;
    size_t length = 0;
    const int converted = emf2svg(metafile.data(), metafile.size(), &text, &length, &options);
    std::unique_ptr<char, FreeText> owned(text);
    if (converted != 1 || text == nullptr || length == 0) return std::nullopt;
    return std::string(text, length);
}

// The SVG drawn over white; the pixels, or none when librsvg refuses it.
std::optional<std::vector<uint32_t>> Draw(const std::string& svg, int width, int height) {
    GError* error = nullptr;
    std::unique_ptr<RsvgHandle, UnrefHandle> handle(
        rsvg_handle_new_from_data(reinterpret_cast<const guint8*>(svg.data()), svg.size(), &error));
    if (error != nullptr) g_error_free(error);
    if (!handle) return std::nullopt;
    std::unique_ptr<cairo_surface_t, DestroySurface> surface(cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height));
    if (cairo_surface_status(surface.get()) != CAIRO_STATUS_SUCCESS) return std::nullopt;
    {
        std::unique_ptr<cairo_t, DestroyContext> cr(cairo_create(surface.get()));
        cairo_set_source_rgb(cr.get(), 1, 1, 1);
        cairo_paint(cr.get());
        const RsvgRectangle viewport{0, 0, static_cast<double>(width), static_cast<double>(height)};
        error = nullptr;
        const gboolean drawn = rsvg_handle_render_document(handle.get(), cr.get(), &viewport, &error);
        if (error != nullptr) g_error_free(error);
        if (!drawn) return std::nullopt;
    }
    cairo_surface_flush(surface.get());
    const unsigned char* data = cairo_image_surface_get_data(surface.get());
    const int stride = cairo_image_surface_get_stride(surface.get());
    std::vector<uint32_t> pixels(static_cast<size_t>(width) * height);
    for (int y = 0; y < height; ++y) {
        const auto* row = reinterpret_cast<const uint32_t*>(data + static_cast<size_t>(y) * stride);
        for (int x = 0; x < width; ++x) pixels[static_cast<size_t>(y) * width + x] = row[x] & 0xFFFFFF;
    }
    return pixels;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 5) {
        std::fprintf(stderr, "usage: %s <metafile> <pixels out> <width> <height>\n", argc > 0 ? argv[0] : "ql-emf2rgb");
        return kUsage;
    }
    const int width = std::atoi(argv[3]);
    const int height = std::atoi(argv[4]);
    if (width < 1 || height < 1 || width > kLargestSide || height > kLargestSide) return kUsage;
    std::optional<std::vector<char>> metafile = ReadMetafile(argv[1]);
    if (!metafile) return kRefused;
    std::optional<std::string> svg = AsSvg(*metafile, width, height);
    if (!svg) return kRefused;
    std::optional<std::vector<uint32_t>> pixels = Draw(*svg, width, height);
    if (!pixels) return kRefused;
    std::ofstream out(argv[2], std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(pixels->data()), static_cast<std::streamsize>(pixels->size() * 4));
    return out ? kRendered : kRefused;
}
