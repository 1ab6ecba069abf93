#include "platform/gfx/detail/pdf_fonts.h"

#include <cairo-ft.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_ADVANCES_H
#include FT_CID_H
#include FT_TRUETYPE_TABLES_H
#include FT_TRUETYPE_TAGS_H

#include <cmath>
#include <map>
#include <memory>
#include <optional>
#include <string_view>

#include "platform/gfx/detail/pdf_deflate.h"
#include "platform/gfx/detail/truetype_subset.h"

namespace ql::gfx::detail {

namespace {

constexpr uint32_t kLargestGlyphId = 0xFFFF;
constexpr int kGlyphSpaceUnits = 1000;
constexpr size_t kMappingsPerBlock = 100;  // the most a bfchar block may hold
constexpr size_t kKeptFontFiles = 32;
constexpr uint32_t kSymbolAreaStart = 0xF000;
constexpr uint32_t kSymbolAreaEnd = 0xF0FF;

// Locks the FreeType face of a scaled font for as long as it lives.
class LockedFace {
  public:
    explicit LockedFace(cairo_scaled_font_t* font)
        : font_(font), face_(cairo_scaled_font_get_type(font) == CAIRO_FONT_TYPE_FT
                                 ? cairo_ft_scaled_font_lock_face(font)
                                 : nullptr) {}
    ~LockedFace() {
        if (face_) cairo_ft_scaled_font_unlock_face(font_);
    }
    LockedFace(const LockedFace&) = delete;
    LockedFace& operator=(const LockedFace&) = delete;
    FT_Face get() const { return face_; }

  private:
    cairo_scaled_font_t* font_;
    FT_Face face_;
};

size_t TableLength(FT_Face face, FT_ULong tag) {
    FT_ULong length = 0;
    return FT_Load_Sfnt_Table(face, tag, 0, nullptr, &length) == 0 ? length : 0;
}

FontProgram ProgramOf(FT_Face face) {
    if (!face || !FT_IS_SFNT(face)) return FontProgram::None;
    unsigned char head[4] = {};
    FT_ULong length = sizeof head;
    if (FT_Load_Sfnt_Table(face, 0, 0, head, &length) != 0) return FontProgram::None;
    if (IsTrueTypeFile(head, length))
        return TableLength(face, TTAG_glyf) > 0 && TableLength(face, TTAG_loca) > 0 ? FontProgram::TrueType
                                                                                     : FontProgram::None;
    // CFF outlines: their glyph ids serve as character ids only in a font not
    // keyed by character ids itself.
    FT_Bool keyed = 0;
    const bool cff = length == 4 && std::string_view(reinterpret_cast<const char*>(head), 4) == "OTTO" &&
                     TableLength(face, TTAG_CFF) > 0;
    if (cff && FT_Get_CID_Is_Internally_CID_Keyed(face, &keyed) == 0 && !keyed) return FontProgram::OpenTypeCff;
    return FontProgram::None;
}

std::string PostScriptName(FT_Face face, size_t index) {
    const char* name = FT_Get_Postscript_Name(face);
    std::string plain = name ? name : "";
    if (plain.empty()) plain = "Font" + std::to_string(index);
    return plain;
}

// A font file as read, and compressed whole once it is embedded whole.
struct FontFile {
    std::string bytes;
    std::string deflated;
};

// Kept font files by name, file length and header table: the same font file in
// every document of a run is read once.
std::map<std::string, std::shared_ptr<FontFile>>& KeptFontFiles() {
    static std::map<std::string, std::shared_ptr<FontFile>> kept;
    return kept;
}

std::shared_ptr<FontFile> FontFileOf(FT_Face face, const std::string& name) {
    FT_ULong length = 0;
    if (FT_Load_Sfnt_Table(face, 0, 0, nullptr, &length) != 0 || length == 0) return nullptr;
    std::string key = name + '/' + std::to_string(length) + '/';
    std::string head(TableLength(face, TTAG_head), '\0');
    FT_ULong headLength = head.size();
    if (!head.empty() &&
        FT_Load_Sfnt_Table(face, TTAG_head, 0, reinterpret_cast<FT_Byte*>(head.data()), &headLength) == 0)
        key += head;
    auto& kept = KeptFontFiles();
    if (auto found = kept.find(key); found != kept.end()) return found->second;
    auto file = std::make_shared<FontFile>();
    file->bytes.resize(length);
    if (FT_Load_Sfnt_Table(face, 0, 0, reinterpret_cast<FT_Byte*>(file->bytes.data()), &length) != 0)
        return nullptr;
    if (kept.size() >= kKeptFontFiles) kept.clear();
    kept.emplace(std::move(key), file);
    return file;
}

// Six capitals from the glyphs used, before the name of a subset font.
std::string SubsetTag(const std::vector<bool>& used) {
    uint64_t hash = 1469598103934665603ull;
    for (size_t gid = 0; gid < used.size(); ++gid)
        if (used[gid]) hash = (hash ^ gid) * 1099511628211ull;
    std::string tag;
    for (int i = 0; i < 6; ++i, hash /= 26) tag.push_back(static_cast<char>('A' + hash % 26));
    return tag + '+';
}

int ToGlyphSpace(FT_Long units, FT_UShort unitsPerEm) {
    return static_cast<int>(std::lround(static_cast<double>(units) * kGlyphSpaceUnits / unitsPerEm));
}

// "/W [first [w w ...] ...]" for the glyphs used, in runs of consecutive ids.
void WriteWidths(FT_Face face, const std::vector<bool>& used, PdfText& out) {
    out.Raw("/W [");
    bool inRun = false;
    for (uint32_t gid = 0; gid < used.size(); ++gid) {
        if (!used[gid]) {
            if (inRun) out.Raw("] ");
            inRun = false;
            continue;
        }
        if (!inRun) out.Int(gid).Char('[');
        inRun = true;
        FT_Fixed advance = 0;
        if (FT_Get_Advance(face, gid, FT_LOAD_NO_SCALE, &advance) != 0) advance = 0;
        out.Int(ToGlyphSpace(advance, face->units_per_EM));
    }
    if (inRun) out.Raw("] ");
    out.Raw("]");
}

// The ToUnicode map of the glyphs used, from the face's character map.
std::string ToUnicodeMap(FT_Face face, const std::vector<bool>& used) {
    std::map<uint32_t, uint32_t> unicodeOf;
    const bool symbol = face->charmap && face->charmap->encoding == FT_ENCODING_MS_SYMBOL;
    FT_UInt gid = 0;
    for (FT_ULong code = FT_Get_First_Char(face, &gid); gid != 0; code = FT_Get_Next_Char(face, code, &gid)) {
        if (gid >= used.size() || !used[gid]) continue;
        uint32_t unicode = static_cast<uint32_t>(code);
        if (symbol && unicode >= kSymbolAreaStart && unicode <= kSymbolAreaEnd) unicode -= kSymbolAreaStart;
        auto [at, added] = unicodeOf.emplace(gid, unicode);
        // Where several codes share a glyph, the lowest printable one stands for it.
        if (!added && (at->second < 0x20 || (unicode >= 0x20 && unicode < at->second))) at->second = unicode;
    }
    PdfText map;
    map.Raw("/CIDInit /ProcSet findresource begin\n12 dict begin\nbegincmap\n"
            "/CIDSystemInfo << /Registry (Adobe) /Ordering (UCS) /Supplement 0 >> def\n"
            "/CMapName /Adobe-Identity-UCS def\n/CMapType 2 def\n"
            "1 begincodespacerange\n<0000> <FFFF>\nendcodespacerange\n");
    auto next = unicodeOf.begin();
    while (next != unicodeOf.end()) {
        const size_t block = std::min<size_t>(kMappingsPerBlock, static_cast<size_t>(std::distance(next, unicodeOf.end())));
        map.Int(static_cast<int64_t>(block)).Raw("beginbfchar\n");
        for (size_t i = 0; i < block; ++i, ++next) {
            map.Char('<').Hex4(next->first).Raw("> <");
            map.Utf16Hex(next->second);
            map.Raw(">\n");
        }
        map.Raw("endbfchar\n");
    }
    map.Raw("endcmap\nCMapName currentdict /CMap defineresource pop\nend\nend\n");
    return std::move(map.bytes());
}

}  // namespace

bool IsTrueTypeFile(const unsigned char* head, size_t size) {
    if (size < 4) return false;
    const bool version1 = head[0] == 0 && head[1] == 1 && head[2] == 0 && head[3] == 0;
    const bool apple = head[0] == 't' && head[1] == 'r' && head[2] == 'u' && head[3] == 'e';
    return version1 || apple;
}

PdfFonts::~PdfFonts() {
    for (Face& f : faces_) {
        cairo_font_face_destroy(f.face);
        cairo_scaled_font_destroy(f.scaled);
    }
}

int PdfFonts::Use(cairo_scaled_font_t* font, const cairo_glyph_t* glyphs, int count) {
    cairo_font_face_t* face = cairo_scaled_font_get_font_face(font);
    size_t index = 0;
    while (index < faces_.size() && faces_[index].face != face) ++index;
    if (index == faces_.size()) {
        Face added;
        added.face = cairo_font_face_reference(face);
        added.scaled = cairo_scaled_font_reference(font);
        LockedFace locked(font);
        added.program = ProgramOf(locked.get());
        if (added.program != FontProgram::None)
            added.used.assign(static_cast<size_t>(locked.get()->num_glyphs), false);
        faces_.push_back(std::move(added));
    }
    Face& f = faces_[index];
    if (f.program == FontProgram::None) return -1;
    for (int i = 0; i < count; ++i) {
        const unsigned long gid = glyphs[i].index;
        if (gid > kLargestGlyphId) return -1;
        if (gid >= f.used.size()) f.used.resize(gid + 1, false);
        f.used[gid] = true;
    }
    return static_cast<int>(index);
}

bool PdfFonts::Write(PdfObjectSink& sink, PdfText& resources) {
    for (size_t index = 0; index < faces_.size(); ++index) {
        const Face& f = faces_[index];
        if (f.program == FontProgram::None) continue;
        LockedFace locked(f.scaled);
        FT_Face face = locked.get();
        if (!face || face->units_per_EM == 0) return false;
        std::string name = PostScriptName(face, index);
        std::shared_ptr<FontFile> file = FontFileOf(face, name);
        if (!file) return false;
        // TrueType outlines cut down to the glyphs used where the file reads as
        // TrueType; else the whole file, compressed once for the run.
        std::optional<std::string> subset;
        if (f.program == FontProgram::TrueType) subset = SubsetTrueType(file->bytes, f.used);
        if (subset) name = SubsetTag(f.used) + name;
        const std::string_view program = subset ? std::string_view(*subset) : std::string_view(file->bytes);
        std::string deflatedSubset;
        if (subset && !Deflate(program, kFontDeflateLevel, &deflatedSubset)) return false;
        if (!subset && file->deflated.empty() && !Deflate(program, kFontDeflateLevel, &file->deflated)) return false;
        const std::string& deflatedProgram = subset ? deflatedSubset : file->deflated;
        const bool cff = f.program == FontProgram::OpenTypeCff;
        const int type0 = sink.NewObject(), cidFont = sink.NewObject(), descriptor = sink.NewObject(),
                  fontFile = sink.NewObject(), toUnicode = sink.NewObject();
        resources.Raw("/F").Int(static_cast<int64_t>(index)).Int(type0).Raw("0 R ");

        PdfText dict;
        dict.Raw("/Type /Font /Subtype /Type0 /BaseFont ").Name(name).Raw(" /Encoding /Identity-H /DescendantFonts [")
            .Int(cidFont).Raw("0 R] /ToUnicode ").Int(toUnicode).Raw("0 R");
        sink.WriteObject(type0, dict.bytes());

        dict = PdfText();
        dict.Raw(cff ? "/Type /Font /Subtype /CIDFontType0 /BaseFont " : "/Type /Font /Subtype /CIDFontType2 /BaseFont ")
            .Name(name)
            .Raw(" /CIDSystemInfo << /Registry (Adobe) /Ordering (Identity) /Supplement 0 >> /FontDescriptor ")
            .Int(descriptor).Raw(cff ? "0 R " : "0 R /CIDToGIDMap /Identity ");
        WriteWidths(face, f.used, dict);
        sink.WriteObject(cidFont, dict.bytes());

        const FT_UShort em = face->units_per_EM;
        dict = PdfText();
        dict.Raw("/Type /FontDescriptor /FontName ").Name(name).Raw(" /Flags 4 /FontBBox [")
            .Int(ToGlyphSpace(face->bbox.xMin, em)).Int(ToGlyphSpace(face->bbox.yMin, em))
            .Int(ToGlyphSpace(face->bbox.xMax, em)).Int(ToGlyphSpace(face->bbox.yMax, em))
            .Raw("] /ItalicAngle 0 /Ascent ").Int(ToGlyphSpace(face->ascender, em))
            .Raw("/Descent ").Int(ToGlyphSpace(face->descender, em))
            .Raw("/CapHeight ").Int(ToGlyphSpace(face->ascender, em))
            .Raw(cff ? "/StemV 80 /FontFile3 " : "/StemV 80 /FontFile2 ").Int(fontFile).Raw("0 R");
        sink.WriteObject(descriptor, dict.bytes());

        dict = PdfText();
        if (cff)
            dict.Raw("/Subtype /OpenType");
        else
            dict.Raw("/Length1 ").Int(static_cast<int64_t>(program.size()));
        sink.WriteObject(fontFile, dict.bytes(), &deflatedProgram, true);

        std::string deflatedMap;
        if (!Deflate(ToUnicodeMap(face, f.used), kContentDeflateLevel, &deflatedMap)) return false;
        sink.WriteObject(toUnicode, std::string(), &deflatedMap, true);
    }
    return true;
}

}  // namespace ql::gfx::detail
