// Loading faces and reading their design metrics.
// Vertical metrics follow the usual desktop convention: the cell is the OS/2
// "win" ascent and descent (so that a positive request height fits ascent +
// descent exactly), external leading is what the hhea line gap adds beyond that
// cell. Faces without those tables fall back to FreeType's generic values.
#include "platform/text/loaded_face.h"

#include <cairo-ft.h>
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <map>
#include <tuple>

#include "platform/text/freetype_library.h"

namespace ql::text {
namespace {

using FaceKey = std::tuple<std::string, int, uint8_t>;

std::map<FaceKey, std::shared_ptr<LoadedFace>>& FaceCache() {
    static std::map<FaceKey, std::shared_ptr<LoadedFace>> cache;
    return cache;
}

const cairo_user_data_key_t kFtFaceKey{};

void ReleaseFtFace(void* face) {
    FT_Done_Face(static_cast<FT_Face>(face));
}

constexpr char32_t kSymbolRowBase = 0xF000;
constexpr int32_t kUnmeasured = -1;
// Design units, whatever size or transform cairo last set on the shared face.
constexpr FT_Int32 kDesignLoadFlags =
    FT_LOAD_NO_SCALE | FT_LOAD_NO_HINTING | FT_LOAD_IGNORE_TRANSFORM;

}  // namespace

LoadedFace::~LoadedFace() {
    if (cairoFace_) cairo_font_face_destroy(cairoFace_);  // releases face_ in turn
}

std::shared_ptr<LoadedFace> LoadedFace::Load(const std::string& path, int index, uint8_t synth) {
    FaceKey key{path, index, synth};
    auto& cache = FaceCache();
    if (auto it = cache.find(key); it != cache.end()) return it->second;
    FT_Library library = SharedFreeType();
    FT_Face face = nullptr;
    if (!library || FT_New_Face(library, path.c_str(), index, &face) != 0) return nullptr;
    if (!FT_IS_SCALABLE(face)) {
        FT_Done_Face(face);
        return nullptr;
    }
    std::shared_ptr<LoadedFace> loaded(new LoadedFace());
    loaded->face_ = face;
    loaded->cairoFace_ = cairo_ft_font_face_create_for_ft_face(face, FT_LOAD_NO_HINTING);
    if (cairo_font_face_set_user_data(loaded->cairoFace_, &kFtFaceKey, face, ReleaseFtFace) !=
        CAIRO_STATUS_SUCCESS) {
        cairo_font_face_destroy(loaded->cairoFace_);
        loaded->cairoFace_ = nullptr;
        FT_Done_Face(face);
        return nullptr;
    }
    if (synth != kSynthNone) {
        unsigned int flags = 0;
        if (synth & kSynthBold) flags |= CAIRO_FT_SYNTHESIZE_BOLD;
        if (synth & kSynthOblique) flags |= CAIRO_FT_SYNTHESIZE_OBLIQUE;
        cairo_ft_font_face_set_synthesize(loaded->cairoFace_, flags);
    }
    loaded->family_ = face->family_name ? face->family_name : "";
    loaded->advances_.assign(static_cast<size_t>(face->num_glyphs), kUnmeasured);
    loaded->ReadMetrics();
    loaded->BuildSymbolGlyphs();
    cache.emplace(key, loaded);
    return loaded;
}

void LoadedFace::ReadMetrics() {
    DesignMetrics& m = metrics_;
    m.unitsPerEm = face_->units_per_EM;
    m.ascent = face_->ascender;
    m.descent = -face_->descender;
    m.maxAdvance = face_->max_advance_width;
    m.averageWidth = m.maxAdvance / 2;
    m.underlinePosition = face_->underline_position;
    m.underlineThickness = face_->underline_thickness;
    m.fixedPitch = FT_IS_FIXED_WIDTH(face_);
    int32_t lineGap = face_->height - (face_->ascender - face_->descender);
    auto* os2 = static_cast<TT_OS2*>(FT_Get_Sfnt_Table(face_, FT_SFNT_OS2));
    auto* hhea = static_cast<TT_HoriHeader*>(FT_Get_Sfnt_Table(face_, FT_SFNT_HHEA));
    if (os2 && os2->version != 0xFFFF && (os2->usWinAscent + os2->usWinDescent) > 0) {
        m.ascent = os2->usWinAscent;
        m.descent = os2->usWinDescent;
        if (os2->xAvgCharWidth > 0) m.averageWidth = os2->xAvgCharWidth;
        if (os2->usWeightClass > 0) m.weight = os2->usWeightClass;
        m.strikeoutPosition = os2->yStrikeoutPosition;
        m.strikeoutThickness = os2->yStrikeoutSize;
    }
    if (hhea) {
        lineGap = hhea->Line_Gap;
        int32_t hheaCell = hhea->Ascender - hhea->Descender;
        m.externalLeading = std::max(0, lineGap - ((m.ascent + m.descent) - hheaCell));
    } else {
        m.externalLeading = std::max(0, lineGap);
    }
    if (m.strikeoutThickness <= 0) {
        m.strikeoutThickness = std::max(1, m.underlineThickness);
        m.strikeoutPosition = m.ascent / 3;  // about the middle of the lower case
    }
    if (m.underlineThickness <= 0) m.underlineThickness = std::max(1, m.unitsPerEm / 20);
}

void LoadedFace::BuildSymbolGlyphs() {
    for (int code = 0; code < 256; ++code) {
        uint32_t glyph = FT_Get_Char_Index(face_, static_cast<FT_ULong>(code));
        if (glyph == 0) glyph = FT_Get_Char_Index(face_, kSymbolRowBase + code);
        symbolGlyphs_[code] = glyph;
    }
    FT_CharMap unicode = face_->charmap;
    if (FT_Select_Charmap(face_, FT_ENCODING_MS_SYMBOL) == 0) {
        for (int code = 0; code < 256; ++code) {
            if (symbolGlyphs_[code] != 0) continue;
            uint32_t glyph = FT_Get_Char_Index(face_, kSymbolRowBase + code);
            if (glyph == 0) glyph = FT_Get_Char_Index(face_, static_cast<FT_ULong>(code));
            symbolGlyphs_[code] = glyph;
        }
        if (unicode) FT_Set_Charmap(face_, unicode);
    }
    // The first 256 characters through the cmap that stays selected from now on.
    for (int code = 0; code < 256; ++code)
        latinGlyphs_[code] = FT_Get_Char_Index(face_, static_cast<FT_ULong>(code));
}

uint32_t LoadedFace::GlyphOfChar(char32_t c) const {
    if (c < latinGlyphs_.size()) return latinGlyphs_[c];
    return FT_Get_Char_Index(face_, static_cast<FT_ULong>(c));
}

int32_t LoadedFace::Advance(uint32_t glyph) const {
    if (glyph >= advances_.size()) return 0;
    int32_t& cached = advances_[glyph];
    if (cached != kUnmeasured) return cached;
    cached = 0;
    if (FT_Load_Glyph(face_, glyph, kDesignLoadFlags) == 0)
        cached = static_cast<int32_t>(face_->glyph->advance.x);
    return cached;
}

DesignBox LoadedFace::Box(uint32_t glyph) const {
    DesignBox box;
    if (FT_Load_Glyph(face_, glyph, kDesignLoadFlags) != 0) return box;
    const FT_Glyph_Metrics& gm = face_->glyph->metrics;
    box.left = static_cast<int32_t>(gm.horiBearingX);
    box.right = static_cast<int32_t>(gm.horiBearingX + gm.width);
    box.top = static_cast<int32_t>(gm.horiBearingY);
    box.bottom = static_cast<int32_t>(gm.horiBearingY - gm.height);
    box.hasInk = gm.width > 0 && gm.height > 0;
    return box;
}

}  // namespace ql::text
