// Font creation with controlled fallback, the music fonts and the text-style fonts.
#include "core/draw/fonts.h"

#include <cstring>
#include <string>
#include <string_view>

#include "core/draw/draw_surface.h"
#include "core/draw/gdi_cache.h"
#include "core/draw/staff_scaling.h"
#include "core/state.h"
#include "platform/text/font.h"
#include "platform/text/font_catalog.h"

namespace ql {

namespace {

inline constexpr const char* kTimesFace = "Times New Roman";
inline constexpr const char* kArialFace = "Arial";
// Character sets from here up to kLastRetryCharset are retried without a face.
constexpr uint8_t kFirstRetryCharset = 3;
constexpr uint8_t kLastRetryCharset = 254;

bool IsBold(int32_t weight) {
    return weight > kBoldMatchWeight;
}

// Copies a text into a fixed field, always leaving a terminator.
template <size_t N>
void StoreText(char (&field)[N], const char* text) {
    std::strncpy(field, text, N - 1);
    field[N - 1] = '\0';
}

template <size_t N>
std::string FieldText(const char (&field)[N]) {
    return std::string(field, strnlen(field, N));
}

// The request of a style: the music-font template for the music face, else the
// face alone; then the style's size and attributes.
text::LogicalFont StyleRequest(const QuickFontRecord& style, int32_t height) {
    const text::LogicalFont& music = State().drawing.MusicFontTemplate;
    text::LogicalFont request;
    std::string face = FieldText(style.face);
    if (!music.Face().empty() && text::SameFaceName(face, music.Face()))
        request = music;
    else
        request.SetFace(face);
    request.height = height;
    request.weight = style.bold > 0 ? kStyleBoldWeight : kStyleNormalWeight;
    request.italic = style.italic != 0 ? 1 : 0;
    request.underline = style.underline != 0 ? 1 : 0;
    request.width = 0;
    request.pitchAndFamily = 0;
    request.charset = style.charset;
    return request;
}

int32_t ScaledStyleHeight(const ScoreView* view, int32_t size, bool keepsSize) {
    double scale = ViewScale(view);
    if (scale == 0.0 || keepsSize) return size;
    return static_cast<int32_t>(size * scale);
}

}  // namespace

int EnumFontMatch(const text::LogicalFont& enumerated, text::LogicalFont* request) {
    const DrawingGlobals& d = State().drawing;
    if (IsBold(enumerated.weight) == (d.WantedBold != 0) && enumerated.italic == d.WantedItalic &&
        enumerated.underline == d.WantedUnderline)
        *request = enumerated;
    return 1;
}

void FontFaceExists(text::LogicalFont* request) {
    DrawingGlobals& d = State().drawing;
    d.WantedBold = IsBold(request->weight) ? 1 : 0;
    d.WantedItalic = request->italic;
    d.WantedUnderline = request->underline;
    std::string face(request->Face());
    request->SetFace("");
    for (const text::LogicalFont& font : text::ListFontsOfFace(face)) EnumFontMatch(font, request);
}

platform::FontHandle CreateFontChecked(const text::LogicalFont* request) {
    if (!request) return {};
    text::LogicalFont wanted = *request;
    const int32_t height = wanted.height;
    const uint8_t charset = wanted.charset;
    platform::FontHandle font = text::CreateFontIndirect(wanted);
    if (text::SameFaceName(wanted.Face(), kTimesFace) ||
        text::SameFaceName(wanted.Face(), kArialFace))
        return font;
    if (charset >= kFirstRetryCharset && charset <= kLastRetryCharset) {
        if (font) return font;
        wanted.SetFace("");
        return text::CreateFontIndirect(wanted);
    }
    std::string real = text::GetFontFaceName(font);
    if (real.empty() || text::SameFaceName(real, wanted.Face())) return font;
    FontFaceExists(&wanted);
    wanted.height = height;
    wanted.width = 0;
    text::DeleteFont(font);
    return text::CreateFontIndirect(wanted);
}

int32_t SmallFontHeight(int32_t height, double fraction) {
    return static_cast<int32_t>(height * fraction);
}

bool CreateMusicFonts() {
    DeleteMusicFonts();
    DrawingGlobals& d = State().drawing;
    text::LogicalFont& tmpl = d.MusicFontTemplate;
    tmpl = text::LogicalFont{};
    tmpl.SetFace(kMusicFontFace);
    tmpl.height = kMusicFontHeight;
    tmpl.charset = static_cast<uint8_t>(text::Charset::Symbol);
    d.MusicFont = CreateFontChecked(&tmpl);
    text::LogicalFont small = tmpl;
    small.height = SmallFontHeight(tmpl.height, kMusicFont75Fraction);
    d.MusicFont75 = CreateFontChecked(&small);
    small.height = SmallFontHeight(tmpl.height, kMusicFont65Fraction);
    d.MusicFont65 = CreateFontChecked(&small);
    return static_cast<bool>(d.MusicFont);
}

void DeleteMusicFonts() {
    // The scaled-font cache goes first: its head holds these fonts and a scaled set
    // may be the current one. The next use makes a head with the new fonts.
    ReleaseDrawingGlobals(1);
    DrawingGlobals& d = State().drawing;
    for (platform::FontHandle* font : {&d.MusicFont, &d.MusicFont75, &d.MusicFont65}) {
        if (*font) text::DeleteFont(*font);
        *font = {};
    }
}

platform::FontHandle CreateTextStyleFont(ScoreView* view, int index) {
    bool programStyle = index >= kFirstProgramFontStyle && index <= kLastProgramFontStyle;
    if (index < 0 || programStyle || index >= kScoreFontCount || !view->document) return {};
    QuickFontRecord& style = view->document->fonts[index];
    if (style.handle) text::DeleteFont(platform::FontHandle{style.handle});
    style.handle = 0;
    if (style.face[0] == '\0') {
        StoreText(style.name, kUnusedStyleName);
        return {};
    }
    bool keepsSize = index == kFixedSizeStyleA || index == kFixedSizeStyleB;
    text::LogicalFont request =
        StyleRequest(style, ScaledStyleHeight(view, style.height, keepsSize));
    platform::FontHandle font = CreateFontChecked(&request);
    if (!font) {
        StoreText(style.face, kUnusedStyleName);
        return {};
    }
    style.handle = font.bits;
    return font;
}

platform::FontHandle CreateStyleRecordFont(ScoreView* view, const QuickFontRecord& record, bool keepsSize) {
    if (view == nullptr || record.face[0] == '\0' || text::SameFaceName(FieldText(record.face), kUnusedStyleName))
        return {};
    text::LogicalFont request = StyleRequest(record, ScaledStyleHeight(view, record.height, keepsSize));
    return CreateFontChecked(&request);
}

platform::FontHandle CreateTextStyleFont2(ScoreView* view, QuickFontRecord* record) {
    if (!record || !view->document) return {};
    if (record->handle)
        DeleteCachedGdiObject(view->document, platform::AnyObjectHandle{record->handle});
    record->handle = 0;
    if (record->face[0] == '\0') StoreText(record->face, kUnusedStyleName);
    if (text::SameFaceName(FieldText(record->face), kUnusedStyleName)) return {};
    text::LogicalFont request =
        StyleRequest(*record, ScaledStyleHeight(view, record->height, false));
    platform::FontHandle font = CreateFontChecked(&request);
    if (!font) {
        StoreText(record->face, kUnusedStyleName);
        return {};
    }
    record->handle = font.bits;
    CacheGdiObject(view->document, font);
    return font;
}

int FindFaceNameIndex(ScoreDocument* document, const char* name) {
    if (!document || !name) return -1;
    // An entry keeps at most kFaceNameChars - 1 characters: compare a longer name as
    // it would be stored, so that it is found again instead of stored once more.
    std::string_view wanted(name, strnlen(name, kFaceNameChars - 1));
    int firstEmpty = -1;
    for (int i = 0; i < kFaceNameCount; ++i) {
        FaceNameEntry& entry = document->faceNames[i];
        std::string stored = FieldText(entry.name);
        if (stored.empty()) {
            if (firstEmpty < 0) firstEmpty = i;
            continue;
        }
        if (text::SameFaceName(stored, wanted)) return i;
    }
    if (firstEmpty < 0) return -1;
    StoreText(document->faceNames[firstEmpty].name, std::string(wanted).c_str());
    return firstEmpty;
}

}  // namespace ql
