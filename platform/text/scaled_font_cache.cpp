// The kept scaled fonts (see scaled_font_cache.h). A font too many (a program that
// draws at ever new sizes) empties the table: the fonts then in use stay alive in
// the contexts that hold them and are made again on the next call.
//
// A Cairo context draws with a font made from the options of its target surface
// with the font's own over them; handed a font made otherwise, it makes that one
// afresh for every run after a run in another font (a tempo mark's number after
// its symbol), a look-up that cost more than drawing the glyph. So each font is
// made with the options of the kind of surface it is drawn on.
#include "platform/text/scaled_font_cache.h"

#include <cstdint>
#include <cstring>
#include <unordered_map>

namespace ql::text {
namespace {

constexpr size_t kMostScaledFonts = 512;

struct Key {
    const cairo_font_face_t* face;
    double emX;
    double emY;
    bool monochrome;
    cairo_surface_type_t surface;
    bool operator==(const Key& other) const {
        return face == other.face && emX == other.emX && emY == other.emY && monochrome == other.monochrome &&
               surface == other.surface;
    }
};

struct KeyHash {
    size_t operator()(const Key& key) const {
        uint64_t x = 0;
        uint64_t y = 0;
        std::memcpy(&x, &key.emX, sizeof x);
        std::memcpy(&y, &key.emY, sizeof y);
        size_t h = std::hash<const void*>{}(key.face);
        for (uint64_t part : {x, y, uint64_t{key.monochrome}, static_cast<uint64_t>(key.surface)}) h = h * 1099511628211ULL ^ std::hash<uint64_t>{}(part);
        return h;
    }
};

// Unhinted outlines at exact positions; bilevel ink on monochrome surfaces.
cairo_font_options_t* MakeGlyphOptions(bool monochrome) {
    cairo_font_options_t* options = cairo_font_options_create();
    cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_NONE);
    cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
    if (monochrome) cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_NONE);
    return options;
}

// Both sets of options are made once and kept for the life of the process.
const cairo_font_options_t* GlyphOptions(bool monochrome) {
    static cairo_font_options_t* const colour = MakeGlyphOptions(false);
    static cairo_font_options_t* const bilevel = MakeGlyphOptions(true);
    return monochrome ? bilevel : colour;
}

class ScaledFonts {
  public:
    cairo_scaled_font_t* Get(const SizedFont& font, bool monochrome, cairo_surface_t* target) {
        cairo_font_face_t* face = font.face->CairoFace();
        const Key key{face, font.emDeviceX, font.emDeviceY, monochrome, cairo_surface_get_type(target)};
        if (auto found = fonts_.find(key); found != fonts_.end()) return found->second;
        if (fonts_.size() >= kMostScaledFonts) Clear();
        cairo_matrix_t size;
        cairo_matrix_init_scale(&size, font.emDeviceX, font.emDeviceY);
        cairo_matrix_t device;
        cairo_matrix_init_identity(&device);
        cairo_font_options_t* options = cairo_font_options_create();
        cairo_surface_get_font_options(target, options);
        cairo_font_options_merge(options, GlyphOptions(monochrome));
        cairo_scaled_font_t* scaled = cairo_scaled_font_create(face, &size, &device, options);
        cairo_font_options_destroy(options);
        if (cairo_scaled_font_status(scaled) != CAIRO_STATUS_SUCCESS) {
            cairo_scaled_font_destroy(scaled);
            return nullptr;
        }
        fonts_.emplace(key, scaled);
        return scaled;
    }
    size_t Count() const { return fonts_.size(); }

  private:
    void Clear() {
        for (auto& [key, scaled] : fonts_) cairo_scaled_font_destroy(scaled);
        fonts_.clear();
    }
    std::unordered_map<Key, cairo_scaled_font_t*, KeyHash> fonts_;
};

// Kept past the end of the program's statics: the faces the fonts hold are never
// dropped before it ends.
ScaledFonts& Fonts() {
    static ScaledFonts* const fonts = new ScaledFonts;
    return *fonts;
}

}  // namespace

cairo_scaled_font_t* ScaledFontFor(const SizedFont& font, bool monochrome, cairo_surface_t* target) {
    return Fonts().Get(font, monochrome, target);
}

size_t ScaledFontCount() {
    return Fonts().Count();
}

}  // namespace ql::text
