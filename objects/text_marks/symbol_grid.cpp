// The character grid of "Select Symbol" (see symbol_grid.h). Cells are the client
// area divided into 16 columns and 8 rows (each at least a pixel); the face is made
// at the cell height less 2 pixels, weight 500, and each character is centred in its
// cell.
#include "objects/text_marks/symbol_grid.h"

#include <algorithm>
#include <string>

#include "display/charset_text.h"
#include "objects/text_marks/symbol_picker.h"
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
#include "shell/resources/text_dialog_resources.h"

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

void DrawCharacters(DcHandle dc, const SymbolGridState& state, const Cells& cells) {
    text::LogicalFont request;
    request.height = -std::max(cells.height - kCellFontMargin, 1);
    request.weight = kCellFontWeight;
    request.charset = state.charset;
    request.SetFace(state.face);
    const platform::FontHandle font = text::CreateFontIndirect(request);
    if (!font) return;
    const platform::FontHandle previous = gfx::SelectObject(dc, font);
    const gfx::TextAlign align = gfx::SetTextAlign(dc, gfx::kTextAlignCentre | gfx::kTextAlignTop);
    const int base = SymbolPageBase(state.code);
    for (int cell = 0; cell < kSymbolPageCodes; ++cell) {
        const char code = static_cast<char>(base + cell);
        const int32_t x = (cell % kSymbolGridColumns) * cells.width + cells.width / 2;
        const int32_t y = (cell / kSymbolGridColumns) * cells.height + kCellFontMargin / 2;
        text::TextOutW(dc, {x, y}, TextInCharset(state.charset, std::string_view(&code, 1)));
    }
    gfx::SetTextAlign(dc, align);
    gfx::SelectObject(dc, previous);
    gfx::DeleteObject(font);
}

void Paint(WindowHandle grid) {
    win::PaintInfo info;
    const DcHandle dc = win::BeginPaint(grid, info);
    if (dc) {
        const win::Rect client = win::GetClientRect(grid);
        gfx::FillRect(dc, client, gfx::GetStockBrush(gfx::StockBrush::White));
        const Cells cells = CellsOf(client);
        DrawCellLines(dc, cells);
        if (const SymbolGridState* state = StateOf(grid)) {
            gfx::SetBackgroundMode(dc, gfx::BackgroundMode::Transparent);
            DrawCharacters(dc, *state, cells);
            const int cell = state->code - SymbolPageBase(state->code);
            const int32_t left = (cell % kSymbolGridColumns) * cells.width;
            const int32_t top = (cell / kSymbolGridColumns) * cells.height;
            gfx::PatternBlit(dc, {left + 1, top + 1, left + cells.width, top + cells.height},
                             gfx::RasterOp::DestinationInvert);
        }
    }
    win::EndPaint(grid, info);
}

intptr_t SymbolGridProc(WindowHandle grid, win::Message message, uint32_t word, intptr_t data) {
    switch (message) {
        case win::Message::Paint:
            Paint(grid);
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
    if (win::IsClassRegistered(select_symbol_dialog::kSymbolGridClass)) return true;
    win::WindowClass cls;
    cls.name = select_symbol_dialog::kSymbolGridClass;
    cls.procedure = SymbolGridProc;
    cls.extraBytes = 4;
    return win::RegisterWindowClass(cls);
}

void AttachSymbolGrid(WindowHandle grid, SymbolGridState* state) {
    win::SetWindowLong(grid, kStateLong, reinterpret_cast<intptr_t>(state));
    RefreshSymbolGrid(grid);
}

void RefreshSymbolGrid(WindowHandle grid) {
    if (grid) win::InvalidateRect(grid, nullptr, true);
}

}  // namespace ql
