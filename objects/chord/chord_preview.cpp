// The live preview of dialog 874 (control 2237): the diagram character scaled by its
// outline so that it fills the upper part of the control, and the chord's name
// (without blanks) below it, in device pixels of the control's own image.
#include <algorithm>
#include <string>

#include "core/model/score_document.h"
#include "objects/chord/chord_class.h"
#include "platform/gfx/dc.h"
#include "platform/gfx/draw.h"
#include "platform/gfx/objects.h"
#include "platform/text/font.h"
#include "platform/text/logical_font.h"
#include "platform/text/text_metrics.h"
#include "platform/text/text_out.h"

namespace ql {
namespace {

constexpr int kDiagramShare = 3;  // the diagram takes three quarters of the height
constexpr int kShares = 4;
constexpr int kMargin = 2;        // pixels kept clear at the edges
constexpr uint8_t kHiddenDiagramCharacter = 127;
constexpr uint8_t kShownDiagramCharacter = 252;

text::LogicalFont FontOf(const QuickFontRecord& style, int32_t pixels) {
    text::LogicalFont request;
    request.height = -std::max(1, pixels);
    request.SetFace(std::string_view(style.face, strnlen(style.face, sizeof style.face)));
    return request;
}

// Draws one text centred on x at a baseline in a face sized by `pixels`, scaled down
// once when its outline is wider than `fit`.
void DrawFitted(platform::DcHandle dc, const QuickFontRecord& style, int32_t pixels, const std::string& shown,
                gfx::Point at, int32_t fit) {
    platform::FontHandle font = text::CreateFontIndirect(FontOf(style, pixels));
    if (!font) return;
    platform::FontHandle previous = gfx::SelectObject(dc, font);
    gfx::Size size{};
    text::GetTextExtentA(dc, shown, &size);
    if (size.cx > fit && size.cx > 0) {
        gfx::SelectObject(dc, previous);
        text::DeleteFont(font);
        font = text::CreateFontIndirect(FontOf(style, static_cast<int32_t>(int64_t{pixels} * fit / size.cx)));
        if (!font) return;
        previous = gfx::SelectObject(dc, font);
    }
    text::TextOutA(dc, at, shown);
    gfx::SelectObject(dc, previous);
    text::DeleteFont(font);
}

}  // namespace

int DrawChordPreview(platform::DcHandle dc, const gfx::Rect& rect, const ChordSymbol& chord,
                     const ScoreDocument& document) {
    if (!dc) return 0;
    gfx::FillRect(dc, rect, gfx::GetStockBrush(gfx::StockBrush::White));
    const int32_t width = rect.right - rect.left - 2 * kMargin;
    const int32_t height = rect.bottom - rect.top - 2 * kMargin;
    if (width <= 0 || height <= 0) return 1;
    const gfx::TextAlign align = gfx::SetTextAlign(dc, gfx::kTextAlignBaseline | gfx::kTextAlignCentre);
    const gfx::BackgroundMode mode = gfx::SetBackgroundMode(dc, gfx::BackgroundMode::Transparent);
    const int32_t centre = (rect.left + rect.right) / 2;
    const int32_t split = rect.top + kMargin + height * kDiagramShare / kShares;
    if (chord.chord.showSymbol != 0) {
        uint8_t character = static_cast<uint8_t>(chord.text.body.string);
        if (character == kHiddenDiagramCharacter) character = kShownDiagramCharacter;
        const QuickFontRecord& style = document.fonts[TextStyleSlotOf(chord.text.body.style)];
        DrawFitted(dc, style, split - rect.top - kMargin, std::string(1, static_cast<char>(character)),
                   gfx::Point{centre, split}, width);
    }
    if (chord.chord.showName != 0) {
        const std::string name = ShownChordName(chord.chord);
        const QuickFontRecord& style = document.fonts[ChordNameStyleOf(chord.chord.nameStyle)];
        DrawFitted(dc, style, rect.bottom - kMargin - split, name, gfx::Point{centre, rect.bottom - kMargin}, width);
    }
    gfx::SetBackgroundMode(dc, mode);
    gfx::SetTextAlign(dc, align);
    return 1;
}

}  // namespace ql
