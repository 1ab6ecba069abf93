// The character grid of "Select Symbol" and its preview (see symbol_grid.h). Cells
// are the client area divided into 16 columns and 8 rows (each at least a pixel); the
// face is made at the cell height (the preview's height) less 2 pixels, weight 500,
// and each character is centred in its cell.
#include "objects/text_marks/symbol_grid.h"

#include <algorithm>
#include <string>

#include "core/text/charset_text.h"
#include "objects/text_marks/symbol_picker.h"
#include "objects/text_marks/text_dialog_resources.h"
#include "platform/gfx/bitmap.h"
#include "platform/gfx/dc.h"
#include "platform/gfx/draw.h"
#include "platform/gfx/objects.h"
#include "platform/text/font.h"
#include "platform/text/logical_font.h"
#include "platform/text/text_metrics.h"
#include "platform/text/text_out.h"
#include "platform/win/paint.h"
#include "platform/win/window.h"

namespace ql {
namespace {

using platform::DcHandle;
using platform::WindowHandle;

constexpr int32_t kStateLong = 0;  // the grid's slot holding its SymbolGridState
constexpr int32_t kCellFontMargin = 2;
constexpr int32_t kCellFontWeight = 500;

SymbolGridState* StateOf(WindowHandle grid) {
    return reinterpret_cast<SymbolGridState*>(win::GetWindowLong(grid, kStateLong));
}

struct Cells {
    int32_t width = 1;
    int32_t height = 1;
};

Cells CellsOf(const win::Rect& client) {
    return {std::max(client.Width() / kSymbolGridColumns, 1),
            std::max(client.Height() / kSymbolGridRows, 1)};
}

void DrawCellLines(DcHandle dc, const Cells& cells) {
    for (int column = 0; column <= kSymbolGridColumns; ++column) {
        gfx::MoveTo(dc, {column * cells.width, 0});
        gfx::LineTo(dc, {column * cells.width, kSymbolGridRows * cells.height});
    }
    for (int row = 0; row <= kSymbolGridRows; ++row) {
        gfx::MoveTo(dc, {0, row * cells.height});
        gfx::LineTo(dc, {kSymbolGridColumns * cells.width, row * cells.height});
    }
}

// The state's face for cells `height` pixels high, weight 500, selected into dc with
// centred baseline alignment; the font to delete after RestoreFace. The face is asked
// for at the height less the margin, then scaled by that height over its tallest
// glyph among the 256 codes, so that the tallest fits.
struct SelectedFace {
    platform::FontHandle font;
    platform::FontHandle previous;
    gfx::TextAlign align = 0;
    int32_t cellHeight = 0;
};

platform::FontHandle MakeFace(const SymbolGridState& state, int32_t height) {
    text::LogicalFont request;
    request.height = -std::max(height, 1);
    request.weight = kCellFontWeight;
    request.charset = state.charset;
    request.SetFace(state.face);
    return text::CreateFontIndirect(request);
}

// The height of the tallest glyph of the 256 codes in the selected font.
int32_t TallestGlyph(DcHandle dc) {
    int32_t tallest = 0;
    for (uint32_t code = 0; code < 256; ++code) {
        text::GlyphBox box;
        if (text::GetGlyphOutlineBox(dc, code, &box) && box.hasInk) tallest = std::max(tallest, box.Height());
    }
    return tallest;
}

SelectedFace SelectFace(DcHandle dc, const SymbolGridState& state, int32_t height) {
    const int32_t asked = std::max(height - kCellFontMargin, 1);
    SelectedFace face;
    face.font = MakeFace(state, asked);
    if (!face.font) return face;
    face.previous = gfx::SelectObject(dc, face.font);
    const int32_t tallest = TallestGlyph(dc);
    if (tallest > 0 && tallest != asked) {
        const auto scaled = static_cast<int32_t>(static_cast<int64_t>(asked) * asked / tallest);
        if (const platform::FontHandle fitted = MakeFace(state, scaled)) {
            gfx::SelectObject(dc, fitted);
            gfx::DeleteObject(face.font);
            face.font = fitted;
        }
    }
    face.cellHeight = height;
    face.align = gfx::SetTextAlign(dc, gfx::kTextAlignCentre | gfx::kTextAlignBaseline);
    gfx::SetBackgroundMode(dc, gfx::BackgroundMode::Transparent);
    return face;
}
void RestoreFace(DcHandle dc, const SelectedFace& face) {
    if (!face.font) return;
    gfx::SetTextAlign(dc, face.align);
    gfx::SelectObject(dc, face.previous);
    gfx::DeleteObject(face.font);
}

// One code's character in the cell whose top is at `at`: its ink centred on at.x and
// in the middle of the cell's height.
void DrawCode(DcHandle dc, const SymbolGridState& state, const SelectedFace& face, int code, gfx::Point at) {
    text::GlyphBox box;
    if (!text::GetGlyphOutlineBox(dc, static_cast<uint32_t>(code), &box)) box = {};
    const int32_t baseline = (face.cellHeight + box.top + box.bottom) / 2;
    const char byte = static_cast<char>(code);
    text::TextOutW(dc, {at.x, at.y + baseline}, TextInCharset(state.charset, std::string_view(&byte, 1)));
}

void DrawCharacters(DcHandle dc, const SymbolGridState& state, const Cells& cells) {
    const SelectedFace face = SelectFace(dc, state, cells.height);
    if (!face.font) return;
    const int base = SymbolPageBase(state.code);
    for (int cell = 0; cell < kSymbolPageCodes; ++cell)
        DrawCode(dc, state, face, base + cell,
                 {(cell % kSymbolGridColumns) * cells.width + cells.width / 2,
                  (cell / kSymbolGridColumns) * cells.height});
    RestoreFace(dc, face);
}

// Paints a window white and hands its context, client rectangle and state (null
// before one is attached) to `draw`.
template <typename Draw>
void PaintOnWhite(WindowHandle window, Draw draw) {
    win::PaintInfo info;
    const DcHandle dc = win::BeginPaint(window, info);
    if (dc) {
        const win::Rect client = win::GetClientRect(window);
        gfx::FillRect(dc, client, gfx::GetStockBrush(gfx::StockBrush::White));
        draw(dc, client, StateOf(window));
    }
    win::EndPaint(window, info);
}

void PaintGrid(DcHandle dc, const win::Rect& client, const SymbolGridState* state) {
    const Cells cells = CellsOf(client);
    DrawCellLines(dc, cells);
    if (state == nullptr) return;
    DrawCharacters(dc, *state, cells);
    const int cell = state->code - SymbolPageBase(state->code);
    const int32_t left = (cell % kSymbolGridColumns) * cells.width;
    const int32_t top = (cell / kSymbolGridColumns) * cells.height;
    gfx::PatternBlit(dc, {left + 1, top + 1, left + cells.width, top + cells.height},
                     gfx::RasterOp::DestinationInvert);
}

// The preview: the selected code's character as high as the window.
void PaintPreview(DcHandle dc, const win::Rect& client, const SymbolGridState* state) {
    if (state == nullptr) return;
    const SelectedFace face = SelectFace(dc, *state, client.Height());
    if (face.font) DrawCode(dc, *state, face, state->code, {client.Width() / 2, 0});
    RestoreFace(dc, face);
}

intptr_t SymbolPreviewProc(WindowHandle preview, win::Message message, uint32_t word,
                           intptr_t data) {
    if (message != win::Message::Paint) return win::DefaultWindowProc(preview, message, word, data);
    PaintOnWhite(preview, PaintPreview);
    return 0;
}

bool EnsureClass(const char* name, win::WindowProc procedure) {
    if (win::IsClassRegistered(name)) return true;
    win::WindowClass cls;
    cls.name = name;
    cls.procedure = procedure;
    cls.extraBytes = 4;
    return win::RegisterWindowClass(cls);
}

intptr_t SymbolGridProc(WindowHandle grid, win::Message message, uint32_t word, intptr_t data) {
    switch (message) {
        case win::Message::Paint:
            PaintOnWhite(grid, PaintGrid);
            return 0;
        case win::Message::LeftButtonDown: {
            SymbolGridState* state = StateOf(grid);
            if (state == nullptr || !state->picked) return 0;
            const win::Point at = win::UnpackPoint(data);
            const win::Rect client = win::GetClientRect(grid);
            state->picked(SymbolAtGridPoint(at.x, at.y, client.Width(), client.Height(),
                                            SymbolPageBase(state->code)));
            return 0;
        }
        default:
            return win::DefaultWindowProc(grid, message, word, data);
    }
}

}  // namespace

bool EnsureSymbolGridClass() {
    return EnsureClass(select_symbol_dialog::kSymbolGridClass, SymbolGridProc) &&
           EnsureClass(select_symbol_dialog::kSymbolPreviewClass, SymbolPreviewProc);
}

void AttachSymbolGrid(WindowHandle grid, SymbolGridState* state) {
    win::SetWindowLong(grid, kStateLong, reinterpret_cast<intptr_t>(state));
    RefreshSymbolGrid(grid);
}

void RefreshSymbolGrid(WindowHandle grid) {
    if (grid) win::InvalidateRect(grid, nullptr, true);
}

}  // namespace ql
