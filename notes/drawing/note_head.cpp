// Note heads: the glyph of a head kind and value, and where it stands.
//
// x: the chord's x; a head on the far side of the stem moves by the black head width
// minus the stem width (right with the stem up, left with it down); whole and
// double-whole heads are centred on the black head (the whole head further left by
// half its glyph's left bearing); shaped and repeat heads with the stem up meet the
// stem with their right edge. y: the position's y. The heads of the program's music
// font are centred on their baseline at the line or space centre, and staff lines are
// drawn centred on their y, so none of the offsets that lower a head glyph standing
// on its baseline (half its height, half a staff-line width, one more line width on a
// line below zoom 10) applies; tablature heads, which are not centred, are centred
// by their outline box.
#include "core/draw/glyph_metrics.h"
#include "core/model/score_document.h"
#include "core/state.h"
#include "notes/drawing/note_draw.h"
#include "notes/drawing/note_draw_internal.h"
#include "notes/drawing/note_fields.h"
#include "notes/rests/rest.h"

namespace ql::notedraw {

namespace {

constexpr int kHeadGlyphBase = kBlackHeadCode;  // 72 + kind
constexpr int kPromotedHeadBase = 78;           // 78 + kind for long shaped heads
constexpr uint8_t kHalfNoteHeadGlyph = 85;
constexpr int kRestHeadFirstCode = 4;
constexpr int kRestHeadLastCode = 12;
// Kind 14 draws the rest of its value: lowered by code 4..12.
constexpr int32_t kRestHeadDrop[] = {320, 320, 320, 320, 192, 256, 192, 192, 384};
constexpr int32_t kRestHeadRaise = kUnitsPerStaffSpace;  // with the stem bit clear
// Heads moved further toward the stem: kind 8 by two stem widths, kind 11 by 1.5.
constexpr int kCircledXStemWidths = 2;
constexpr int kHollowSquareHalfStemWidths = 3;

bool MeetsStemWithRightEdge(int kind) {
    return (kind >= 1 && kind <= kHalfNoteHead) || IsRepeatHead(kind);
}

void DrawRestHead(ScoreView* view, const EventRecord& note, int32_t x, int32_t y) {
    const int d = note.duration;
    if (d < kRestHeadFirstCode || d > kRestHeadLastCode) return;
    int32_t drop = kRestHeadDrop[d - kRestHeadFirstCode];
    if (!IsStemUp(note)) drop -= kRestHeadRaise;
    InkGlyph(view, InkPart::Head, static_cast<uint8_t>(kRestGlyphBase + d), x,
             y + ZoomX(view, drop));
}

int32_t HeadX(const ScoreView* view, const NoteMetrics& m, const EventRecord& note, int glyph,
              int32_t x) {
    const int kind = NoteHeadKind(note);
    const bool up = IsStemUp(note);
    if (IsFarSide(note)) return x + (up ? m.black - m.stemWidth : m.stemWidth - m.black);
    if (kind == kHeadNormal && note.duration >= CodeOf(DurationCode::Whole)) {
        const bool whole = note.duration == CodeOf(DurationCode::Whole);
        x -= ((whole ? m.whole : m.breve) - m.black) / 2;
        if (whole) {
            const GlyphMetricEntry g = GlyphMetricOf(*view->document, kWholeHeadCode);
            x -= ScaledGlyphValue(view, m, g.outline[kOutlineInkLeft]) / 2;
        }
        return x;
    }
    if (!up || !MeetsStemWithRightEdge(kind)) return x;
    const int32_t own = ScaledGlyphValue(view, m, GlyphMetricOf(*view->document, glyph).advance);
    x += m.black - own;
    if (kind == kCircledXHead) x += kCircledXStemWidths * m.stemWidth;
    if (kind == kHollowSquareHead) x += kHollowSquareHalfStemWidths * m.stemWidth / 2;
    return x;
}

int32_t HeadY(const ScoreView* view, const NoteMetrics& m, const EventRecord& note, int glyph,
              int32_t y) {
    if (IsTablatureHead(NoteHeadKind(note))) {
        const GlyphMetricEntry g = GlyphMetricOf(*view->document, glyph);
        return y + ScaledGlyphValue(view, m, g.outline[kOutlineCentreY]);
    }
    return y;
}

}  // namespace

int HeadGlyph(int kind, int duration) {
    if (kind == kHeadNormal) {
        if (duration < CodeOf(DurationCode::Half)) return kBlackHeadCode;
        if (duration == CodeOf(DurationCode::Half)) return kHalfHeadCode;
        return duration == CodeOf(DurationCode::Whole) ? kWholeHeadCode : kBreveHeadCode;
    }
    if (kind <= kLastShapedHead && duration >= CodeOf(DurationCode::Half) &&
        State().notes.PromoteShapedHeads)
        return kPromotedHeadBase + kind;
    if (kind == kHalfNoteHead) return kHalfNoteHeadGlyph;
    if (kind == kRestHead) return -1;
    const int glyph = kHeadGlyphBase + kind;
    return glyph <= kLastGlyphCode ? glyph : -1;
}

void DrawHeadAt(ScoreView* view, const NoteMetrics& m, const EventRecord& note, int32_t x,
                int32_t y) {
    const int kind = NoteHeadKind(note);
    if (kind == kRestHead) {
        DrawRestHead(view, note, x, y);
        return;
    }
    const int glyph = HeadGlyph(kind, note.duration);
    if (glyph < 0) return;
    InkGlyph(view, InkPart::Head, static_cast<uint8_t>(glyph), HeadX(view, m, note, glyph, x),
             HeadY(view, m, note, glyph, y));
}

}  // namespace ql::notedraw

namespace ql {

void DrawNoteHead(EventRecord* note, ScoreView* view, int32_t x, int32_t y) {
    if (note == nullptr || view == nullptr || !view->ViewDC || !notedraw::IsDrawableNote(*note))
        return;
    notedraw::NoteDrawScope scope(view);
    notedraw::DrawHeadAt(view, notedraw::CurrentNoteMetrics(view), *note, x, y);
}

}  // namespace ql
