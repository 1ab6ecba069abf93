// Measuring and drawing a score's 8-bit text in its character set, and the three
// measuring modes. Text of a symbol font is glyph codes and goes to the text layer as
// bytes; every other character set is converted to UTF-16 through its code page first.
// Drawing spreads the text by character extra to the width the measuring context
// gives it, so that what is drawn on the screen lines up with what was laid out.
#include <algorithm>
#include <cstdlib>

#include "core/draw/reference_context.h"
#include "core/state.h"
#include "core/text/charset_text.h"
#include "platform/gfx/caps.h"
#include "platform/gfx/dc.h"
#include "platform/gfx/mapping.h"
#include "platform/gfx/objects.h"
#include "platform/text/font.h"
#include "platform/text/text_metrics.h"
#include "platform/text/text_out.h"

namespace ql {

namespace {

constexpr uint8_t kCharsetSymbol = 2;

bool IsMeasurable(platform::DcHandle dc, const char* text, int length) {
    return gfx::IsContextValid(dc) && length >= 0 && (text != nullptr || length == 0);
}

// The text reference context mapped so that one logical unit is as long as on `dc`.
void MapReferenceLike(platform::DcHandle reference, platform::DcHandle dc) {
    const gfx::Mapping m = gfx::GetMapping(dc);
    const int32_t dpi = std::max(1, gfx::GetDeviceCaps(dc, gfx::DeviceCap::LogPixelsY));
    const int32_t referenceDpi = std::max(1, gfx::GetDeviceCaps(reference, gfx::DeviceCap::LogPixelsY));
    gfx::SetMapMode(reference, gfx::MapMode::Anisotropic);
    gfx::SetWindowExtent(reference, gfx::Size{m.windowExtent.cx * dpi, m.windowExtent.cy * dpi});
    gfx::SetViewportExtent(reference, gfx::Size{m.viewportExtent.cx * referenceDpi,
                                                m.viewportExtent.cy * referenceDpi});
}

// Mode 1: the context's font measured on the reference context (the reference
// itself, as a view's companion, measures as it stands).
bool MeasureOnReference(platform::DcHandle dc, const char* text, int length, gfx::Size* size) {
    platform::DcHandle reference = State().drawing.ReferenceDC;
    if (!gfx::IsContextValid(reference) || reference == dc) return TextExtentOfFont(dc, text, length, size);
    const int saved = gfx::SaveContext(reference);
    MapReferenceLike(reference, dc);
    gfx::SelectObject(reference, gfx::GetCurrentFont(dc));
    const bool ok = TextExtentInCharset(CharsetOfContext(dc), reference, text, length, size);
    gfx::RestoreContext(reference, saved);
    return ok;
}

// The design-size font of the context's font, made once per font description.
platform::FontHandle DesignSizeFont(platform::DcHandle dc, int32_t* em) {
    DisplayGlobals& display = State().display;
    text::LogicalFont request;
    if (!text::GetFontRequest(gfx::GetCurrentFont(dc), &request)) return {};
    if (display.DesignFont && request == display.DesignFontRequest) {
        *em = display.DesignFontEm;
        return display.DesignFont;
    }
    if (display.DesignFont) text::DeleteFont(display.DesignFont);
    display.DesignFont = {};
    display.DesignFontRequest = request;
    display.DesignFontEm = OutlineEmSquare(dc);
    if (display.DesignFontEm == 0) return {};
    text::LogicalFont design = request;
    design.height = -display.DesignFontEm;
    design.width = 0;
    display.DesignFont = text::CreateFontIndirect(design);
    *em = display.DesignFontEm;
    return display.DesignFont;
}

// Mode 2: measured at the design size in text mode, scaled by |height| / em.
bool MeasureAtDesignSize(platform::DcHandle dc, const char* text, int length, gfx::Size* size) {
    int32_t em = 0;
    const platform::FontHandle design = DesignSizeFont(dc, &em);
    text::LogicalFont request;
    if (!design || em == 0 || !text::GetFontRequest(gfx::GetCurrentFont(dc), &request))
        return TextExtentOfFont(dc, text, length, size);
    const uint8_t charset = request.charset;
    const int saved = gfx::SaveContext(dc);
    gfx::SetMapMode(dc, gfx::MapMode::Text);
    gfx::SelectObject(dc, design);
    gfx::Size designSize;
    const bool ok = TextExtentInCharset(charset, dc, text, length, &designSize);
    gfx::RestoreContext(dc, saved);
    if (!ok) return false;
    const int64_t height = std::abs(static_cast<int64_t>(request.height));
    size->cx = static_cast<int32_t>(designSize.cx * height / em);
    size->cy = static_cast<int32_t>(designSize.cy * height / em);
    return true;
}

}  // namespace

bool DrawTextInCharset(platform::DcHandle dc, int x, int y, std::string_view bytes) {
    const uint8_t charset = CharsetOfContext(dc);
    return charset == kCharsetSymbol
               ? text::TextOutA(dc, gfx::Point{x, y}, bytes)
               : text::TextOutW(dc, gfx::Point{x, y}, TextInCharset(charset, bytes));
}

bool TextExtentInCharset(uint8_t charset, platform::DcHandle dc, const char* text, int length,
                         gfx::Size* size) {
    if (!IsMeasurable(dc, text, length) || size == nullptr) return false;
    const std::string_view bytes(text != nullptr ? text : "", static_cast<size_t>(length));
    if (charset == kCharsetSymbol) return text::GetTextExtentA(dc, bytes, size);
    return text::GetTextExtentW(dc, TextInCharset(charset, bytes), size);
}

bool TextExtentOfFont(platform::DcHandle dc, const char* text, int length, gfx::Size* size) {
    return TextExtentInCharset(CharsetOfContext(dc), dc, text, length, size);
}

int32_t OutlineEmSquare(platform::DcHandle dc) {
    return text::GetOutlineEmSquare(dc);
}

bool MeasureText(platform::DcHandle dc, const char* text, int length, gfx::Size* size) {
    if (!IsMeasurable(dc, text, length) || size == nullptr) return false;
    switch (CurrentMeasuringMode()) {
        case MeasuringMode::Reference: return MeasureOnReference(dc, text, length, size);
        case MeasuringMode::DesignSize: return MeasureAtDesignSize(dc, text, length, size);
        case MeasuringMode::Context: break;
    }
    return TextExtentOfFont(dc, text, length, size);
}

int TextOutInCharset(platform::DcHandle dc, platform::DcHandle measuring, int x, int y,
                     const char* text, int length) {
    if (!IsMeasurable(dc, text, length)) return 0;
    const bool separate = measuring != dc && gfx::IsContextValid(measuring);
    const std::string_view bytes(text != nullptr ? text : "", static_cast<size_t>(length));
    // A single character measured on the context it is drawn on is neither spread nor
    // drawn with another extra: the extras stay as they are. A recording context goes
    // the long way, so that its recording restores both extras.
    if (length < 2 && !separate && gfx::GetContextKind(dc) != gfx::ContextKind::Recording)
        return DrawTextInCharset(dc, x, y, bytes) ? 1 : 0;
    const platform::DcHandle ruler = separate ? measuring : dc;
    const int targetExtra = gfx::GetTextCharacterExtra(dc);
    const int rulerExtra = gfx::GetTextCharacterExtra(ruler);
    // The measured width already holds the measuring context's extra; measured on the
    // target itself it holds the target's, and the spread is 0.
    if (separate) gfx::SetTextCharacterExtra(dc, 0);
    gfx::Size wanted;
    gfx::Size drawn;
    // A single character has no gaps to spread it by: it is not measured.
    if (length >= 2 && MeasureText(ruler, text, length, &wanted) &&
        TextExtentOfFont(dc, text, length, &drawn)) {
        const int spread = std::max(0, (wanted.cx - drawn.cx) / length);
        gfx::SetTextCharacterExtra(dc, spread + (separate ? 0 : targetExtra));
    }
    const bool ok = DrawTextInCharset(dc, x, y, bytes);
    gfx::SetTextCharacterExtra(dc, targetExtra);
    gfx::SetTextCharacterExtra(ruler, rulerExtra);
    return ok ? 1 : 0;
}

void SetMeasuringMode(MeasuringMode mode) {
    DisplayGlobals& display = State().display;
    display.TextSpacingRef = static_cast<uint8_t>(mode);
    if (mode != MeasuringMode::Reference)
        DropReferenceContext();
    else if (!MakeReferenceContext())
        display.TextSpacingRef = static_cast<uint8_t>(MeasuringMode::Context);
}

MeasuringMode CurrentMeasuringMode() {
    const uint8_t mode = State().display.TextSpacingRef;
    if (mode == static_cast<uint8_t>(MeasuringMode::Reference)) return MeasuringMode::Reference;
    if (mode == static_cast<uint8_t>(MeasuringMode::DesignSize)) return MeasuringMode::DesignSize;
    return MeasuringMode::Context;
}

void ReleaseCharsetText() {
    DisplayGlobals& display = State().display;
    DropReferenceContext();
    if (display.DesignFont) text::DeleteFont(display.DesignFont);
    display.DesignFont = {};
    display.DesignFontEm = 0;
    display.TextSpacingRef = 0;
}

}  // namespace ql
