// A font file's face loaded once: its FreeType face, the cairo font face drawn
// with, the design metrics the layer reports (in font units), and the lookup of
// glyphs by code. Shared by every font object made from the same file, face
// index and synthesised styles; faces stay loaded until the process ends.
#pragma once

#include <cairo.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace ql::text {

// Vertical and horizontal design metrics in font units (y up; descent positive).
struct DesignMetrics {
    int32_t unitsPerEm = 0;
    int32_t ascent = 0;           // above the baseline, as the cell top
    int32_t descent = 0;          // below the baseline, as the cell bottom
    int32_t externalLeading = 0;  // extra line gap the face asks for
    int32_t averageWidth = 0;
    int32_t maxAdvance = 0;
    int32_t weight = 400;
    int32_t underlinePosition = 0;  // top of the underline (negative = below baseline)
    int32_t underlineThickness = 0;
    int32_t strikeoutPosition = 0;  // top of the strike-out line
    int32_t strikeoutThickness = 0;
    bool fixedPitch = false;
};

// The ink box of a glyph in font units, origin at the baseline, y up.
struct DesignBox {
    int32_t left = 0;
    int32_t right = 0;
    int32_t top = 0;     // highest ink (> bottom unless the glyph has no ink)
    int32_t bottom = 0;  // lowest ink
    bool hasInk = false;
};

// Styles that cairo must imitate because the face found lacks them.
enum SynthFlags : uint8_t { kSynthNone = 0, kSynthBold = 1, kSynthOblique = 2 };

class LoadedFace {
  public:
    ~LoadedFace();
    LoadedFace(const LoadedFace&) = delete;
    LoadedFace& operator=(const LoadedFace&) = delete;

    // The face of a file (shared); null when FreeType cannot read it.
    static std::shared_ptr<LoadedFace> Load(const std::string& path, int index, uint8_t synth);

    const DesignMetrics& Metrics() const { return metrics_; }
    cairo_font_face_t* CairoFace() const { return cairoFace_; }
    // The face's family name as the file gives it.
    const std::string& Family() const { return family_; }

    // Glyph of a Unicode character through the face's cmap; 0 when absent.
    uint32_t GlyphOfChar(char32_t c) const;
    // Glyph of a symbol code 0..255: that code in the cmap, else U+F000 + code (the
    // private-use row symbol fonts use), else the face's symbol cmap; 0 when absent.
    uint32_t GlyphOfSymbolCode(uint8_t code) const { return symbolGlyphs_[code]; }
    // Advance width of a glyph in font units (0 for a glyph that cannot be loaded).
    int32_t Advance(uint32_t glyph) const;
    DesignBox Box(uint32_t glyph) const;

  private:
    LoadedFace() = default;
    void ReadMetrics();
    void BuildSymbolGlyphs();

    FT_Face face_ = nullptr;  // owned by cairoFace_ (released when cairo drops it)
    cairo_font_face_t* cairoFace_ = nullptr;
    std::string family_;
    DesignMetrics metrics_;
    std::array<uint32_t, 256> symbolGlyphs_{};
    std::array<uint32_t, 256> latinGlyphs_{};  // the cmap's glyphs of U+0000..U+00FF, read once
    mutable std::vector<int32_t> advances_;  // -1 until measured
};

}  // namespace ql::text
