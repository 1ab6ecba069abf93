// Runs of 8-bit text on one context with the font sized once (see charset_runs.h).
#include "display/charset_runs.h"

#include "core/text/charset_text.h"
#include "platform/gfx/dc.h"
#include "platform/text/context_font.h"

namespace ql {
namespace {

constexpr uint8_t kCharsetSymbol = 2;
constexpr char16_t kFirstSurrogate = 0xD800;
constexpr char16_t kLastSurrogate = 0xDFFF;

// A surrogate unit is read with its neighbour, not on its own.
bool HasSurrogates(const std::array<char16_t, 256>& units) {
    for (const char16_t unit : units)
        if (unit >= kFirstSurrogate && unit <= kLastSurrogate) return true;
    return false;
}

}  // namespace

CharsetRuns::CharsetRuns(platform::DcHandle dc) : dc_(dc) {
    if (CurrentMeasuringMode() != MeasuringMode::Context || !gfx::IsContextValid(dc) ||
        gfx::GetContextKind(dc) == gfx::ContextKind::Recording || !text::ContextFont(dc, &font_))
        return;
    const uint8_t charset = CharsetOfContext(dc);
    symbol_ = charset == kCharsetSymbol;
    // Symbol text is read as symbol codes only by a font asked for in that set.
    if (symbol_) {
        direct_ = text::UsesSymbolCodes(*font_.font);
        return;
    }
    units_ = ByteUnitsOfCharset(charset);
    direct_ = units_ != nullptr && !HasSurrogates(*units_);
}

const CharsetRuns::ByteGlyph& CharsetRuns::Of(char byte) {
    const auto code = static_cast<unsigned char>(byte);
    ByteGlyph& entry = bytes_[code];
    if (entry.known) return entry;
    entry.glyph = symbol_ ? font_.face->GlyphOfSymbolCode(code)
                          : text::GlyphOfCharacter(*font_.font, (*units_)[code]);
    entry.advance = font_.face->Advance(entry.glyph);
    entry.width = font_.ToLogicalX(entry.advance);
    entry.known = true;
    return entry;
}

int32_t CharsetRuns::Width(std::string_view run) {
    if (!direct_) {
        gfx::Size size;
        return MeasureText(dc_, run.data(), static_cast<int>(run.size()), &size) ? size.cx : 0;
    }
    const int64_t extra = gfx::GetTextCharacterExtra(dc_);
    int64_t width = 0;
    for (const char byte : run) width += Of(byte).width + extra;
    return text::SizedFont::RoundedLogical(static_cast<double>(width));
}

void CharsetRuns::LookUp(std::string_view text, text::GlyphRun& run) {
    run.glyphs.clear();
    run.advances.clear();
    for (const char byte : text) {
        const ByteGlyph& entry = Of(byte);
        run.glyphs.push_back(entry.glyph);
        run.advances.push_back(entry.advance);
    }
}

bool CharsetRuns::Draw(gfx::Point at, std::string_view run) {
    const RunAt one{at, run};
    return Draw(std::span<const RunAt>(&one, 1));
}

bool CharsetRuns::Draw(std::span<const RunAt> runs) {
    if (!direct_) {
        bool drawn = true;
        for (const RunAt& run : runs) drawn = DrawTextInCharset(dc_, run.at.x, run.at.y, run.text) && drawn;
        return drawn;
    }
    if (glyphRuns_.size() < runs.size()) glyphRuns_.resize(runs.size());
    placed_.clear();
    for (size_t i = 0; i < runs.size(); ++i) {
        LookUp(runs[i].text, glyphRuns_[i]);
        placed_.push_back({runs[i].at, &glyphRuns_[i]});
    }
    return text::DrawGlyphRuns(dc_, font_, placed_);
}

}  // namespace ql
