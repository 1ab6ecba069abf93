// Private font folders and fontconfig matching.
// A request is matched against the private faces first: same family name (letter
// case ignored), then the style nearest in weight with the right slant. Without a
// private face fontconfig picks the best system face; the match is a substitution
// when none of the found face's family names is the one requested. Each request
// is matched once and its match kept until the private folders change.
#include "platform/text/font_catalog.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <tuple>
#include <system_error>

#include "platform/text/freetype_library.h"

namespace ql::text {
namespace {

struct PrivateFace {
    std::string folder;
    std::string path;
    int index = 0;
    std::string family;
    int32_t weight = kWeightNormal;
    bool italic = false;
};

constexpr int kItalicMismatchCost = 1000;  // a wrong slant outweighs any weight gap
constexpr uint8_t kFixedPitch = 0x01;
constexpr uint8_t kFamilyMask = 0xF0;
constexpr uint8_t kFamilyRoman = 0x10;
constexpr uint8_t kFamilyModern = 0x30;
constexpr uint8_t kFamilyScript = 0x40;

std::vector<PrivateFace>& PrivateFaces() {
    static std::vector<PrivateFace> faces;
    return faces;
}

bool IsFontFile(const std::filesystem::path& path) {
    std::string ext = path.extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return ext == ".ttf" || ext == ".otf" || ext == ".ttc";
}

// Reads every face of one file; false when FreeType cannot open it.
bool ReadFaces(const std::string& folder, const std::string& path, std::vector<PrivateFace>& out) {
    FT_Library library = SharedFreeType();
    if (!library) return false;
    FT_Long count = 1;
    for (FT_Long i = 0; i < count; ++i) {
        FT_Face face = nullptr;
        if (FT_New_Face(library, path.c_str(), i, &face) != 0) return i > 0;
        count = face->num_faces;
        PrivateFace entry{folder,
                          path,
                          static_cast<int>(i),
                          face->family_name ? face->family_name : "",
                          kWeightNormal,
                          (face->style_flags & FT_STYLE_FLAG_ITALIC) != 0};
        auto* os2 = static_cast<TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
        if (os2 && os2->usWeightClass > 0)
            entry.weight = os2->usWeightClass;
        else if (face->style_flags & FT_STYLE_FLAG_BOLD)
            entry.weight = kWeightBold;
        FT_Done_Face(face);
        if (!entry.family.empty()) out.push_back(std::move(entry));
    }
    return true;
}

// Fontconfig keeps its configuration for the life of the process; it is released
// at exit so that leak checkers see a clean end.
void EnsureFontconfig() {
    static bool started = false;
    if (started) return;
    started = true;
    FcInit();
    std::atexit([] { FcFini(); });
}

void EnsureProgramFolder() {
    static bool registered = false;
    if (registered) return;
    registered = true;
    std::string folder = ProgramFolder();
    if (!folder.empty()) AddPrivateFontFolder(folder);
}

int StyleCost(int32_t weight, bool italic, const LogicalFont& request) {
    int32_t wanted = request.weight == kWeightDontCare ? kWeightNormal : request.weight;
    int cost = std::abs(weight - wanted);
    if (italic != (request.italic != 0)) cost += kItalicMismatchCost;
    return cost;
}

// The best private face of the requested family, or null.
const PrivateFace* FindPrivateFace(const LogicalFont& request) {
    const PrivateFace* best = nullptr;
    int bestCost = 0;
    const std::vector<PrivateFace>& faces = PrivateFaces();
    for (auto it = faces.rbegin(); it != faces.rend(); ++it) {
        if (!SameFaceName(it->family, request.Face())) continue;
        int cost = StyleCost(it->weight, it->italic, request);
        if (!best || cost < bestCost) {
            best = &*it;
            bestCost = cost;
        }
    }
    return best;
}

// The fontconfig language that makes a fallback face cover a character set.
const char* LanguageOfCharset(uint8_t charset) {
    switch (static_cast<Charset>(charset)) {
        case Charset::ShiftJis:
            return "ja";
        case Charset::Hangul:
        case Charset::Johab:
            return "ko";
        case Charset::Gb2312:
            return "zh-cn";
        case Charset::ChineseBig5:
            return "zh-tw";
        case Charset::Greek:
            return "el";
        case Charset::Turkish:
            return "tr";
        case Charset::Vietnamese:
            return "vi";
        case Charset::Hebrew:
            return "he";
        case Charset::Arabic:
            return "ar";
        case Charset::Baltic:
            return "lt";
        case Charset::Russian:
            return "ru";
        case Charset::Thai:
            return "th";
        case Charset::EastEurope:
            return "cs";
        default:
            return nullptr;
    }
}

// The generic family that stands in when no face is named.
const char* GenericFamily(uint8_t pitchAndFamily) {
    uint8_t family = pitchAndFamily & kFamilyMask;
    if ((pitchAndFamily & kFixedPitch) || family == kFamilyModern) return "monospace";
    if (family == kFamilyRoman) return "serif";
    if (family == kFamilyScript) return "cursive";
    return "sans-serif";
}

FcPattern* BuildPattern(const LogicalFont& request) {
    FcPattern* pattern = FcPatternCreate();
    std::string face(request.Face());
    if (!face.empty())
        FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(face.c_str()));
    FcPatternAddString(pattern, FC_FAMILY,
                       reinterpret_cast<const FcChar8*>(GenericFamily(request.pitchAndFamily)));
    int weight = request.weight == kWeightDontCare ? kWeightNormal : request.weight;
    FcPatternAddInteger(pattern, FC_WEIGHT, FcWeightFromOpenType(weight));
    FcPatternAddInteger(pattern, FC_SLANT, request.italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
    if (const char* lang = LanguageOfCharset(request.charset))
        FcPatternAddString(pattern, FC_LANG, reinterpret_cast<const FcChar8*>(lang));
    FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
    return pattern;
}

bool PatternHasFamily(FcPattern* pattern, std::string_view face) {
    FcChar8* value = nullptr;
    for (int i = 0; FcPatternGetString(pattern, FC_FAMILY, i, &value) == FcResultMatch; ++i)
        if (SameFaceName(reinterpret_cast<const char*>(value), face)) return true;
    return false;
}

FaceMatch MatchSystemFace(const LogicalFont& request) {
    EnsureFontconfig();
    FaceMatch match;
    FcPattern* pattern = BuildPattern(request);
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* found = FcFontMatch(nullptr, pattern, &result);
    FcPatternDestroy(pattern);
    if (!found) return match;
    FcChar8* value = nullptr;
    if (FcPatternGetString(found, FC_FILE, 0, &value) == FcResultMatch)
        match.path = reinterpret_cast<const char*>(value);
    FcPatternGetInteger(found, FC_INDEX, 0, &match.index);
    if (FcPatternGetString(found, FC_FAMILY, 0, &value) == FcResultMatch)
        match.family = reinterpret_cast<const char*>(value);
    int fcWeight = FC_WEIGHT_REGULAR, slant = FC_SLANT_ROMAN;
    FcPatternGetInteger(found, FC_WEIGHT, 0, &fcWeight);
    FcPatternGetInteger(found, FC_SLANT, 0, &slant);
    match.weight = FcWeightToOpenType(fcWeight);
    match.italic = slant != FC_SLANT_ROMAN;
    match.substituted = !request.Face().empty() && !PatternHasFamily(found, request.Face());
    FcPatternDestroy(found);
    return match;
}

// The installed styles of one family, each listed under `face`.
void ListFamilyStyles(const std::string& family, std::string_view face,
                      std::vector<LogicalFont>& out) {
    FcPattern* pattern = FcPatternCreate();
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
    FcObjectSet* objects = FcObjectSetBuild(FC_FAMILY, FC_WEIGHT, FC_SLANT, nullptr);
    FcFontSet* set = FcFontList(nullptr, pattern, objects);
    for (int i = 0; set && i < set->nfont; ++i) {
        LogicalFont font;
        font.SetFace(face);
        int fcWeight = FC_WEIGHT_REGULAR, slant = FC_SLANT_ROMAN;
        FcPatternGetInteger(set->fonts[i], FC_WEIGHT, 0, &fcWeight);
        FcPatternGetInteger(set->fonts[i], FC_SLANT, 0, &slant);
        font.weight = FcWeightToOpenType(fcWeight);
        font.italic = slant != FC_SLANT_ROMAN;
        out.push_back(font);
    }
    if (set) FcFontSetDestroy(set);
    FcObjectSetDestroy(objects);
    FcPatternDestroy(pattern);
}

// The families fontconfig binds strongly to `face`: its metric-compatible stand-ins
// (for example "Liberation Mono" for "Courier New"), in the configured order. Weakly
// bound families are only generic fallbacks and are left out.
std::vector<std::string> MetricAliasesOf(const std::string& face) {
    std::vector<std::string> aliases;
    FcPattern* pattern = FcPatternCreate();
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(face.c_str()));
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcPatternIter iter;
    FcPatternIterStart(pattern, &iter);
    if (FcPatternFindIter(pattern, &iter, FC_FAMILY)) {
        int count = FcPatternIterValueCount(pattern, &iter);
        for (int i = 1; i < count; ++i) {  // value 0 is the face asked for
            FcValue value;
            FcValueBinding binding;
            if (FcPatternIterGetValue(pattern, &iter, i, &value, &binding) != FcResultMatch)
                continue;
            if (binding != FcValueBindingStrong || value.type != FcTypeString) continue;
            aliases.emplace_back(reinterpret_cast<const char*>(value.u.s));
        }
    }
    FcPatternDestroy(pattern);
    return aliases;
}

// A face that is not installed but has a metric-compatible stand-in counts as
// present, listed with the stand-in's styles: text set in it keeps its metrics.
void ListSystemFonts(std::string_view face, std::vector<LogicalFont>& out) {
    EnsureFontconfig();
    std::string name(face);
    size_t before = out.size();
    ListFamilyStyles(name, face, out);
    if (out.size() != before) return;
    for (const std::string& alias : MetricAliasesOf(name)) {
        ListFamilyStyles(alias, face, out);
        if (out.size() != before) return;
    }
}

// Matches made, by request: a request is matched once while the private folders
// stay as they are (registering or forgetting one forgets every match).
using MatchKey = std::tuple<int32_t, int32_t, int32_t, int32_t, uint8_t, uint8_t, uint8_t, uint8_t, uint8_t,
                            std::array<char, kFaceNameSize>>;
constexpr size_t kMaxKeptMatches = 1024;

MatchKey KeyOf(const LogicalFont& r) {
    return {r.height, r.width,     r.escapement, r.weight,         r.italic,
            r.underline, r.strikeout, r.charset, r.pitchAndFamily, r.faceName};
}

std::map<MatchKey, FaceMatch>& KeptMatches() {
    static std::map<MatchKey, FaceMatch> kept;
    return kept;
}

FaceMatch FindMatch(const LogicalFont& request) {
    if (!request.Face().empty()) {
        if (const PrivateFace* face = FindPrivateFace(request)) {
            FaceMatch match{face->path, face->index, face->family, face->weight, face->italic};
            match.fromPrivateFolder = true;
            return match;
        }
    }
    return MatchSystemFace(request);
}

}  // namespace

int AddPrivateFontFolder(const std::string& folder) {
    std::vector<PrivateFace>& faces = PrivateFaces();
    for (const PrivateFace& face : faces)
        if (face.folder == folder) return 0;
    std::error_code error;
    std::vector<std::string> files;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error))
        if (entry.is_regular_file(error) && IsFontFile(entry.path())) files.push_back(entry.path());
    std::sort(files.begin(), files.end());  // a stable order whatever the directory's
    std::vector<PrivateFace> added;
    for (const std::string& path : files) ReadFaces(folder, path, added);
    faces.insert(faces.end(), added.begin(), added.end());
    KeptMatches().clear();
    return static_cast<int>(added.size());
}

bool RemovePrivateFontFolder(const std::string& folder) {
    std::vector<PrivateFace>& faces = PrivateFaces();
    auto from = std::remove_if(faces.begin(), faces.end(),
                               [&](const PrivateFace& face) { return face.folder == folder; });
    bool found = from != faces.end();
    faces.erase(from, faces.end());
    KeptMatches().clear();
    return found;
}

std::string ProgramFolder() {
    std::error_code error;
    std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error) return {};
    return exe.parent_path().string();
}

FaceMatch MatchFace(const LogicalFont& request) {
    EnsureProgramFolder();
    std::map<MatchKey, FaceMatch>& kept = KeptMatches();
    MatchKey key = KeyOf(request);
    if (auto it = kept.find(key); it != kept.end()) return it->second;
    FaceMatch match = FindMatch(request);
    if (match.path.empty()) return match;  // fontconfig may find one later
    if (kept.size() >= kMaxKeptMatches) kept.clear();
    kept.emplace(key, match);
    return match;
}

std::vector<LogicalFont> ListFontsOfFace(std::string_view face) {
    EnsureProgramFolder();
    std::vector<LogicalFont> fonts;
    if (face.empty()) return fonts;
    for (const PrivateFace& entry : PrivateFaces()) {
        if (!SameFaceName(entry.family, face)) continue;
        LogicalFont font;
        font.SetFace(entry.family);
        font.weight = entry.weight;
        font.italic = entry.italic;
        fonts.push_back(font);
    }
    ListSystemFonts(face, fonts);
    return fonts;
}

}  // namespace ql::text
