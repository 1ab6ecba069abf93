// The ink calls of note drawing: glyphs, one-pixel lines, filled bars, beam polygons
// and pen lines on the view's context, every coordinate clamped to the 16-bit
// logical range first (one clamp for every path), and noted in the tests' draw-call
// log when one is set. In the erase colours the box around each glyph, line, bar or
// beam is filled with the paper instead (glyph_paper.h, shape_paper.h), so no grey
// edge of it stays and what lay under it can be drawn again whole.
#include <algorithm>
#include <string_view>
#include <vector>

#include "core/constants.h"
#include "core/draw/colour_sets.h"
#include "core/draw/ink_tag.h"
#include "core/model/score_document.h"
#include "notes/drawing/glyph_paper.h"
#include "notes/drawing/shape_paper.h"
#include "notes/drawing/note_draw_internal.h"
#include "notes/drawing/note_draw_test_seam.h"
#include "platform/gfx/bitmap.h"
#include "platform/gfx/dc.h"
#include "platform/gfx/draw.h"
#include "platform/gfx/objects.h"
#include "platform/text/text_out.h"

namespace ql::notedraw {

namespace {

std::vector<test_seam::InkCall>* g_inkLog = nullptr;

gfx::Point Clamped(int32_t x, int32_t y) {
    return gfx::Point{ClampLogical(x), ClampLogical(y)};
}

void Log(ScoreView* view, InkPart part, test_seam::InkKind kind, const gfx::Point* points,
         int count, uint8_t code = 0, int32_t width = 0) {
    if (g_inkLog == nullptr) return;
    test_seam::InkCall call;
    call.part = part;
    call.kind = kind;
    call.code = code;
    call.width = width;
    call.align = gfx::GetTextAlign(view->ViewDC);
    call.dimmed = gfx::GetTextColour(view->ViewDC) == kGreyColour;
    call.pointCount = count < 4 ? count : 4;
    for (int i = 0; i < call.pointCount; ++i) call.points[i] = points[i];
    g_inkLog->push_back(call);
}

// The part as the readers of the drawn ink name it.
InkPiece PieceOf(InkPart part) {
    switch (part) {
        case InkPart::Head: return InkPiece::Head;
        case InkPart::Stem: return InkPiece::Stem;
        case InkPart::Flag: return InkPiece::Flag;
        case InkPart::Beam: return InkPiece::Beam;
        case InkPart::Ledger: return InkPiece::Ledger;
        default: return InkPiece::NoteMark;
    }
}

}  // namespace

namespace {

// Drawing in the erase colours: ink is then taken off by filling its box with the
// paper, which leaves none of a glyph's soft edges.
bool ErasesByBox(platform::DcHandle dc) {
    return gfx::GetTextColour(dc) == kEraseColour && gfx::GetRop2(dc) == gfx::Rop2::CopyPen;
}

}  // namespace

void InkGlyph(ScoreView* view, InkPart part, uint8_t code, int32_t x, int32_t y) {
    const auto piece = InkNoteScope::Piece(PieceOf(part));
    const gfx::Point at = Clamped(x, y);
    if (!ErasesByBox(view->ViewDC) || !FillGlyphWithPaper(view->ViewDC, code, at)) {
        const char glyph = static_cast<char>(code);
        text::TextOutA(view->ViewDC, at, std::string_view(&glyph, 1));
    }
    Log(view, part, test_seam::InkKind::Glyph, &at, 1, code);
}

void InkLine(ScoreView* view, InkPart part, int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
    const auto piece = InkNoteScope::Piece(PieceOf(part));
    const gfx::Point ends[2] = {Clamped(x1, y1), Clamped(x2, y2)};
    if (!ErasesByBox(view->ViewDC) || !FillBoxWithPaper(view->ViewDC, ends[0], ends[1])) {
        gfx::MoveTo(view->ViewDC, ends[0]);
        gfx::LineTo(view->ViewDC, ends[1]);
    }
    Log(view, part, test_seam::InkKind::Line, ends, 2);
}

void InkBar(ScoreView* view, InkPart part, const gfx::Rect& rect) {
    const auto piece = InkNoteScope::Piece(PieceOf(part));
    const gfx::Point corners[2] = {Clamped(rect.left, rect.top), Clamped(rect.right, rect.bottom)};
    const gfx::Rect bar{corners[0].x, corners[0].y, corners[1].x, corners[1].y};
    if (!ErasesByBox(view->ViewDC) || !FillBoxWithPaper(view->ViewDC, corners[0], corners[1]))
        gfx::PatternBlit(view->ViewDC, bar, gfx::RasterOp::PatternCopy);
    Log(view, part, test_seam::InkKind::Bar, corners, 2);
}

void InkPolygon(ScoreView* view, InkPart part, const gfx::Point* points, int count) {
    const auto piece = InkNoteScope::Piece(PieceOf(part));
    constexpr int kMaxCorners = 4;
    if (count < 1 || count > kMaxCorners) return;
    gfx::Point corners[kMaxCorners];
    for (int i = 0; i < count; ++i) corners[i] = Clamped(points[i].x, points[i].y);
    if (count == kMaxCorners && ErasesByBox(view->ViewDC))
        FillQuadWithPaper(view->ViewDC, corners);
    else
        gfx::Polygon(view->ViewDC, corners, count);
    Log(view, part, test_seam::InkKind::Polygon, corners, count);
}

void InkPenLine(ScoreView* view, InkPart part, int32_t x1, int32_t y1, int32_t x2, int32_t y2,
                int32_t width) {
    const auto piece = InkNoteScope::Piece(PieceOf(part));
    const gfx::Point ends[2] = {Clamped(x1, y1), Clamped(x2, y2)};
    if (ErasesByBox(view->ViewDC)) {
        // The pen's width around the line: its box widened by half the width.
        const int32_t half = width / 2 + 1;
        FillBoxWithPaper(view->ViewDC, {std::min(ends[0].x, ends[1].x) - half, std::min(ends[0].y, ends[1].y) - half},
                         {std::max(ends[0].x, ends[1].x) + half, std::max(ends[0].y, ends[1].y) + half});
        Log(view, part, test_seam::InkKind::PenLine, ends, 2, 0, width);
        return;
    }
    const gfx::PenHandle pen =
        gfx::CreatePen(gfx::PenStyle::Solid, width, gfx::GetTextColour(view->ViewDC));
    const gfx::PenHandle previous = pen ? gfx::SelectObject(view->ViewDC, pen) : gfx::PenHandle{};
    gfx::MoveTo(view->ViewDC, ends[0]);
    gfx::LineTo(view->ViewDC, ends[1]);
    if (pen) {
        gfx::SelectObject(view->ViewDC, previous);
        gfx::DeleteObject(pen);
    }
    Log(view, part, test_seam::InkKind::PenLine, ends, 2, 0, width);
}

namespace test_seam {

void SetInkLog(std::vector<InkCall>* log) {
    g_inkLog = log;
}

}  // namespace test_seam
}  // namespace ql::notedraw
