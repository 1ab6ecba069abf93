// Fonts, measuring and drawing of text objects. An own font (flag 2) is made from
// the document's face-name entry with the object's size and attributes, cached
// while the object is measured or drawn and deleted afterwards; style fonts 1..3
// are the program's three music-font sizes, 0 and 4..23 the document's text styles
// (style 0 is the fret-symbol font of chord diagrams).
//
// Measuring: text in a text font (own font or style 4+, not the symbol character
// set) takes the glyph box of a single character or the extent of a longer text;
// symbols take the glyph box of the first character and, for longer texts, the
// width of the extent. Extents come from MeasureText, so that the measuring mode in
// force applies and text of every character set is read through its code page;
// drawing spreads the text to that width (TextOutInCharset). Heights are kept in
// 64..2048 and widths at least 64.
#include <algorithm>
#include <cstring>
#include <string>

#include "core/draw/colour_sets.h"
#include "core/draw/draw_surface.h"
#include "core/draw/fonts.h"
#include "core/draw/gdi_cache.h"
#include "core/draw/staff_scaling.h"
#include "core/objects/hit_record.h"
#include "core/model/score_document.h"
#include "core/objects/selection_state.h"
#include "core/services/display_services.h"
#include "core/state.h"
#include "core/text/charset_text.h"
#include "core/text/text_object.h"
#include "platform/gfx/dc.h"
#include "platform/gfx/draw.h"
#include "platform/gfx/objects.h"
#include "platform/text/text_metrics.h"

namespace ql {
namespace {

constexpr uint8_t kSymbolCharset = 2;
constexpr uint8_t kOwnFontSlot = 255;
constexpr uint8_t kFirstDocumentStyle = 4;
static_assert(kFaceTableEntries == kFaceNameCount && kFallbackFaceEntry == kFallbackFaceIndex);
static_assert(kLastDocumentStyle + 1 == kScoreFontCount);
constexpr int32_t kOversizeHeightReplacement = 512;
constexpr gfx::Colour kLightGray = 0x00C0C0C0;
constexpr char kEmptySymbolProbe = 'M';
// Frames of text lines (type 18), flags bits 8-9.
constexpr int kFrameRectangle = 1;
constexpr int kFrameEllipse = 2;
constexpr int kFrameRounded = 3;
constexpr int32_t kRoundedFrameMinimumZoom = 10;
constexpr int kRoundedCornerDivisor = 3;
constexpr int kFramePadDivisor = 6;
constexpr int kEllipsePadDivisor = 3;
// Text objects stand centred on their anchor, on its baseline.
constexpr gfx::TextAlign kTextObjectAlignment = gfx::kTextAlignBaseline | gfx::kTextAlignCentre;

bool HasOwnFont(const TextObject* text) {
    return (text->body.flags & kTextOwnFont) != 0;
}
bool IsProgramStyle(uint8_t style) {
    return style >= 1 && style <= kLastProgramStyle;
}

// The style whose font a style-font object is drawn in: a style byte beyond the
// document's 24 styles reads as the first document style.
uint8_t FontStyleOf(const TextObject* text) {
    return text->body.style <= kLastDocumentStyle ? text->body.style : kFirstDocumentStyle;
}

uint8_t CharsetOf(const TextObject* text, const ScoreDocument* document) {
    if (HasOwnFont(text) || document == nullptr) return text->body.charset;
    return document->fonts[FontStyleOf(text)].charset;
}

// Text (not symbol) measuring applies to own fonts and document styles outside the
// symbol character set.
bool MeasuresAsText(const TextObject* text, const ScoreDocument* document) {
    bool textFont = HasOwnFont(text) || FontStyleOf(text) >= kFirstDocumentStyle;
    return textFont && CharsetOf(text, document) != kSymbolCharset;
}

// The font record of an own font: the face-name entry the style byte names, with
// the object's size, attributes and character set. A face index beyond the table
// falls back to the first text face, never to the music font in entry 0.
QuickFontRecord OwnFontRecord(const TextObject* text, const ScoreDocument& document) {
    QuickFontRecord record{};
    std::memcpy(record.face, document.faceNames[TextFaceIndexOf(text->body.style)].name, sizeof record.face);
    record.face[sizeof record.face - 1] = '\0';
    record.bold = (text->body.flags & kTextBold) != 0;
    record.italic = (text->body.flags & kTextItalic) != 0;
    record.underline = (text->body.flags & kTextUnderline) != 0;
    record.slot = kOwnFontSlot;
    record.height = text->body.size;
    record.charset = text->body.charset;
    return record;
}

platform::FontHandle OwnFont(TextObject* text, ScoreView* view) {
    if (text->body.fontCache != 0) return platform::FontHandle{text->body.fontCache};
    QuickFontRecord record = OwnFontRecord(text, *view->document);
    platform::FontHandle font = CreateTextStyleFont2(view, &record);
    text->body.fontCache = font.bits;
    return font;
}

platform::FontHandle StyleFont(TextObject* text, ScoreView* view) {
    const uint8_t style = FontStyleOf(text);
    const DrawingGlobals& drawing = State().drawing;
    switch (style) {
        case 1:
            return drawing.MusicFont;
        case 2:
            return drawing.MusicFont75;
        case 3:
            return drawing.MusicFont65;
        default:
            break;
    }
    platform::FontHandle font{view->document->fonts[style].handle};
    return font ? font : CreateTextStyleFont(view, style);
}

void ReleaseOwnFont(TextObject* text, ScoreView* view) {
    if (HasOwnFont(text)) ReleaseTextObjectFont(text, view->document);
}

struct TextExtent {
    int32_t width = 0;
    int32_t height = 0;
    int32_t baseline = 0;
};

TextExtent MeasureOnContext(platform::DcHandle dc, const std::string& shown, bool asText) {
    TextExtent extent;
    text::GlyphBox box;
    auto first = static_cast<unsigned char>(shown.empty() ? kEmptySymbolProbe : shown[0]);
    if (shown.size() <= 1 || !asText) {
        text::GetGlyphOutlineBox(dc, first, &box);
        extent.width = box.Width();
        extent.height = box.Height();
        extent.baseline = box.top;
    }
    if (shown.size() > 1) {
        gfx::Size size;
        if (!MeasureText(dc, shown.data(), static_cast<int>(shown.size()), &size)) size = {};
        extent.width = size.cx;
        if (asText) {
            text::TextMetrics metrics;
            text::GetTextMetrics(dc, &metrics);
            extent.height = size.cy;
            extent.baseline = metrics.ascent;
        }
    }
    return extent;
}

void DrawFrame(TextObject* text, ScoreView* view, platform::DcHandle dc, const RecordRect& r) {
    int kind = (text->body.flags & kTextFrameMask) >> kTextFrameShift;
    // The frame stands clear of the letters by a fraction of their height (an
    // ellipse by more, its curve coming in at the corners).
    const int32_t pad = (r.bottom - r.top) / (kind == kFrameEllipse ? kEllipsePadDivisor : kFramePadDivisor);
    gfx::Rect frame{r.left - pad, r.top - pad, r.right + pad, r.bottom + pad};
    // An outline round the text, whatever brush the pass before left selected.
    const platform::BrushHandle brush = gfx::SelectObject(dc, gfx::GetStockBrush(gfx::StockBrush::Null));
    if (kind == kFrameEllipse) {
        gfx::Ellipse(dc, frame);
    } else if (kind == kFrameRectangle ||
               (kind == kFrameRounded && ZoomLevel(view) < kRoundedFrameMinimumZoom)) {
        gfx::Rectangle(dc, frame);
    } else if (kind == kFrameRounded) {
        int32_t corner = frame.Height() / kRoundedCornerDivisor;
        gfx::RoundRect(dc, frame, {corner, corner});
    }
    gfx::SelectObject(dc, brush);
}

// A page-owned object is drawn unscaled; a measure object with the scale at 0
// takes the music fonts of its staff's size.
void SettleViewScale(TextObject* text, ScoreView* view) {
    if (text->header.subtype == SubtypeCode(ObjectSubtype::PageList)) {
        if (ViewScale(view) > 0.0) SetViewScale(view, 0.0);
        return;
    }
    if (ViewScale(view) != 0.0 || view->currentStaffRecord == nullptr) return;
    if (StaffSizePercent(*view->currentStaffRecord) != 0)
        SelectStaffScaledFonts(view, view->currentStaff);
}

}  // namespace

LogicalPoint TextObjectAnchorPoint(ScoreObject* object, ScoreView* view) {
    TextObject* text = AsTextObject(object);
    LogicalPoint point{};
    if (object->subtype == SubtypeCode(ObjectSubtype::NoteAttachment)) {
        display::NoteAnchorToPoint(view, object, &text->body.location, &point);
    } else {
        display::DecodeAnchors(view, object->subtype, &text->body.location, &point, 1);
    }
    return point;
}

platform::FontHandle CreateTextFont(TextObject* text, ScoreView* view) {
    if (view == nullptr || view->document == nullptr) return {};
    SettleViewScale(text, view);
    return HasOwnFont(text) ? OwnFont(text, view) : StyleFont(text, view);
}

void RedrawCurrentObject(ScoreView* view) {
    SelectionState* selection = TheSelectionState();
    ScoreObject* object = selection != nullptr ? selection->focusedObject.get() : nullptr;
    if (view == nullptr || object == nullptr) return;
    BeginHighlightDraw(view);
    ClassOf(object).Draw(object, view);
    EndHighlightDraw(view);
}

void ApplyTextDialogValues(const TextObject* text, ScoreDocument* document, QuickFontRecord* out) {
    *out = QuickFontRecord{};
    if (document == nullptr) return;
    if (HasOwnFont(text)) {
        *out = OwnFontRecord(text, *document);
        return;
    }
    *out = document->fonts[TextStyleSlotOf(text->body.style)];
    out->handle = 0;
}

int TextObjectClass::HitTest(ScoreObject*, const RecordRect& rect, HitRecord* hit) const {
    if (hit == nullptr) return 0;
    const LogicalPoint& p = hit->point;
    return p.x > rect.left && p.x < rect.right && p.y > rect.top && p.y < rect.bottom ? 1 : 0;
}

void TextObjectClass::Measure(ScoreObject* object, ScoreView* view) const {
    TextObject* text = AsTextObject(object);
    platform::FontHandle font = CreateTextFont(text, view);
    if (!font) return;
    BeginViewDraw(view);
    platform::DcHandle dc = MeasuringContext(view);
    if (dc) {
        platform::FontHandle previous = gfx::SelectObject(dc, font);
        gfx::TextAlign align =
            gfx::SetTextAlign(dc, gfx::kTextAlignBaseline | gfx::kTextAlignCentre);
        std::string shown = GetDisplayText(object, view);
        TextExtent extent = MeasureOnContext(dc, shown, MeasuresAsText(text, view->document));
        gfx::SetTextAlign(dc, align);
        gfx::SelectObject(dc, previous);
        text->body.width = std::max(extent.width, kMinimumTextExtent);
        text->body.height = std::clamp(extent.height, kMinimumTextExtent, kMaximumTextHeight);
        text->body.baseline = static_cast<uint16_t>(extent.baseline);
    }
    EndViewDraw(view);
    ReleaseOwnFont(text, view);
}

void TextObjectClass::SelectTextFont(ScoreObject* object, ScoreView* view, LogicalPoint point,
                                     RecordRect* out) const {
    TextObject* text = AsTextObject(object);
    bool ownsString = (text->body.flags & kTextOwnsString) != 0;
    if (ownsString && (HasOwnFont(text) || !IsProgramStyle(text->body.style))) {
        int32_t h =
            text->body.height > kMaximumTextHeight ? kOversizeHeightReplacement : text->body.height;
        int32_t cell = h - (h >> 2);
        out->left = point.x - (text->body.width >> 1);
        out->top = point.y - (cell >> 1) - ((h >> 1) - (h >> 3));
        out->right = out->left + text->body.width;
        out->bottom = out->top + cell;
        return;
    }
    TextExtent extent{text->body.width, text->body.height, text->body.baseline};
    text::GlyphBox box;
    platform::FontHandle font = CreateTextFont(text, view);
    BeginViewDraw(view);
    platform::DcHandle dc = MeasuringContext(view);
    if (dc && font) {
        platform::FontHandle previous = gfx::SelectObject(dc, font);
        std::string shown = GetDisplayText(object, view);
        text::GetGlyphOutlineBox(
            dc, static_cast<unsigned char>(shown.empty() ? kEmptySymbolProbe : shown[0]), &box);
        extent = MeasureOnContext(dc, shown, false);
        gfx::SelectObject(dc, previous);
    }
    EndViewDraw(view);
    ReleaseOwnFont(text, view);
    out->top = point.y - box.top;
    out->bottom = point.y - box.bottom;
    out->left = point.x - (extent.width >> 1);
    out->right = out->left + extent.width;
}

void TextObjectClass::DrawString(ScoreObject* object, ScoreView* view,
                                 platform::DcHandle dc) const {
    TextObject* text = AsTextObject(object);
    platform::FontHandle font = CreateTextFont(text, view);
    if (!dc || !font) return;
    // The text is spread to the width it was measured at, on the view's measuring
    // context with the same font.
    platform::DcHandle measuring = MeasuringContext(view);
    if (!measuring) measuring = dc;
    platform::FontHandle previous = gfx::SelectObject(dc, font);
    platform::FontHandle previousMeasuring =
        measuring != dc ? gfx::SelectObject(measuring, font) : previous;
    gfx::TextAlign align = gfx::SetTextAlign(dc, kTextObjectAlignment);
    const LogicalPoint at = TextObjectAnchorPoint(object, view);
    const std::string_view shown = GetDisplayText(object, view);
    TextOutInCharset(dc, measuring, at.x, at.y, shown.data(), static_cast<int>(shown.size()));
    gfx::SetTextAlign(dc, align);
    if (measuring != dc) gfx::SelectObject(measuring, previousMeasuring);
    gfx::SelectObject(dc, previous);
    ReleaseOwnFont(text, view);
}

void TextObjectClass::Draw(ScoreObject* object, ScoreView* view) const {
    if (view == nullptr || view->document == nullptr) return;
    TextObject* text = AsTextObject(object);
    // The string finds its own point; the point is found here only for an object that
    // may have to be brought back onto the page first.
    if (display::ShowsOffPageItems(view)) {
        LogicalPoint point = TextObjectAnchorPoint(object, view);
        display::ClampAnchorsToPage(view, &point, object->subtype, &text->body.location,
                                    text->body.width, text->body.height, kTextObjectAlignment);
    }
    BeginViewDraw(view);
    platform::DcHandle dc = view->ViewDC;
    if (dc) {
        gfx::BackgroundMode mode = gfx::SetBackgroundMode(dc, gfx::BackgroundMode::Transparent);
        bool faint = (text->body.flags & (kTextHidden | kTextGray)) != 0 && !IsPrinting();
        gfx::Colour colour = faint ? gfx::SetTextColour(dc, kLightGray) : 0;
        DrawString(object, view, dc);
        if (object->type == TypeCode(ObjectType::Text) &&
            (text->body.flags & kTextFrameMask) != 0) {
            RecordRect rect;
            SelectTextFont(object, view, TextObjectAnchorPoint(object, view), &rect);
            DrawFrame(text, view, dc, rect);
        }
        if (faint) gfx::SetTextColour(dc, colour);
        gfx::SetBackgroundMode(dc, mode);
    }
    EndViewDraw(view);
}

void TextObjectClass::ReleaseCache(ScoreObject* object, ScoreView*) const {
    TextObject* text = AsTextObject(object);
    if (text->body.bitmapCache != 0)
        gfx::DeleteObject(platform::BitmapHandle{text->body.bitmapCache});
    text->body.bitmapCache = 0;
}

}  // namespace ql
