// Ledger lines of a chord. Outside the staff, from the chord's outermost note on a
// side toward the staff's outer line, a line is drawn at every line position (even
// position), never at the outer line itself and never further than 50 steps from the
// bottom line; the part above the staff first. A line is the black head width x
// 1 19/32 long, centred on the head (wider by half the difference for whole and
// double-whole heads); once a head on the far side of the stem has been passed, the
// lines closer to the staff grow by a head width on that side.
//
// Example (five lines, top line -8): a note at -12 draws lines at -12 and -10; a note
// at -9 draws none; a note at 2 one line at 2.
#include <algorithm>

#include "core/model/document.h"
#include "core/model/score_document.h"
#include "notes/drawing/note_draw.h"
#include "notes/drawing/note_draw_internal.h"
#include "notes/drawing/note_fields.h"

namespace ql::notedraw {

namespace {

constexpr int kFiveLines = 5;
constexpr int kFewLines = 2;
constexpr int kOneLinePosition = -4;
constexpr int kNoLinesBottom = -2;

struct LedgerNote {
    int position = 0;
    bool farSide = false;
};

struct LedgerSet {
    LedgerNote notes[kMaxChordNotes];
    int count = 0;
    int32_t bottomY = 0;
    StaffLines lines;
};

StaffLines LinesOfStaff(const StaffRecord* staff) {
    const int n = staff != nullptr ? StaffLineCount(*staff) : kFiveLines;
    if (n >= kFiveLines) return StaffLines{2 - 2 * n, 0};
    if (n >= kFewLines) return StaffLines{-2 * n, -2};
    if (n == 1) return StaffLines{kOneLinePosition, kOneLinePosition};
    return StaffLines{0, kNoLinesBottom};
}

// The notes of the chord the mode draws lines for, on the staff they stand on.
bool GatherLedgerSet(ScoreView* view, const Chord& chord, LedgerMode mode, int32_t bottomY,
                     LedgerSet& set) {
    set.count = 0;
    if (mode == LedgerMode::OwnNotes) {
        set.bottomY = bottomY;
        set.lines = StaffLinesOf(view);
    } else {
        const CrossStaffTarget target = CrossStaffTargetOf(view, *chord.First());
        if (target.staff == 0) return false;
        set.bottomY = target.bottomY;
        set.lines = LinesOfStaff(StaffRecordOf(view->document, target.staff));
    }
    for (int i = 0; i < chord.count; ++i) {
        const EventRecord& note = *chord.notes[i];
        const bool cross = IsCrossStaff(note);
        if (cross != (mode == LedgerMode::CrossStaffNotes)) continue;
        if (cross && note.crossStaffPosition == kNoCrossStaffPosition) continue;
        const int position =
            cross ? static_cast<int8_t>(note.crossStaffPosition) : NotePosition(note);
        set.notes[set.count++] = LedgerNote{position, IsFarSide(note)};
    }
    return set.count > 0;
}

int SidesOf(const LedgerSet& set) {
    int sides = 0;
    for (int i = 0; i < set.count; ++i) {
        if (set.notes[i].position < set.lines.top - 1) sides |= kLedgerAbove;
        if (set.notes[i].position > set.lines.bottom + 1) sides |= kLedgerBelow;
    }
    return sides;
}

struct LineExtent {
    int32_t start = 0;
    int32_t length = 0;
};

LineExtent BaseExtent(const NoteMetrics& m, const EventRecord& first, int32_t x) {
    const int32_t bw = m.black;
    LineExtent e;
    e.length = bw + bw / 8 - bw / 32 + bw / 2;
    e.start = x + bw / 2 - e.length / 2;
    if (NoteHeadKind(first) == kHeadNormal && first.duration >= CodeOf(DurationCode::Whole)) {
        const int32_t wide = first.duration == CodeOf(DurationCode::Whole) ? m.whole : m.breve;
        e.length += (wide - bw) / 2;
        e.start -= (wide - bw) / 4;
    }
    return e;
}

// One side: `toward` is +1 above the staff (positions grow toward it), -1 below.
void DrawSide(ScoreView* view, const NoteMetrics& m, const LedgerSet& set, LineExtent extent,
              bool up, int toward) {
    const int outerLine = toward > 0 ? set.lines.top : set.lines.bottom;
    int outer = set.notes[0].position;
    for (int i = 1; i < set.count; ++i)
        outer = toward > 0 ? std::min(outer, set.notes[i].position)
                           : std::max(outer, set.notes[i].position);
    outer = std::clamp(outer, -kLedgerLineLimit, kLedgerLineLimit);
    bool widened = false;
    for (int q = outer; toward > 0 ? q < outerLine : q > outerLine; q += toward) {
        for (int i = 0; i < set.count && !widened; ++i) {
            if (set.notes[i].position != q || !set.notes[i].farSide) continue;
            widened = true;
            extent.length += m.black;
            if (!up) extent.start -= m.black;
        }
        if (q % 2 == 0)
            DrawLedgerLine(view, extent.start, set.bottomY + ZoomX(view, q * kUnitsPerStaffStep),
                           extent.length);
    }
}

}  // namespace

void DrawChordLedgerLines(ScoreView* view, const Chord& chord, int32_t x, int32_t bottomY,
                          LedgerMode mode) {
    const EventRecord& first = *chord.First();
    if (NoteHeadKind(first) == kRestHead) return;
    if (IsHeadHidden(first) && IsStemHidden(first) && !IsShowingHidden()) return;
    LedgerSet set;
    if (!GatherLedgerSet(view, chord, mode, bottomY, set)) return;
    const int sides = SidesOf(set);
    if (sides == 0) return;
    const NoteMetrics m = CurrentNoteMetrics(view);
    const LineExtent extent = BaseExtent(m, first, x);
    const DimmedScope dimmed(view, IsHeadHidden(first));
    if (sides & kLedgerAbove) DrawSide(view, m, set, extent, IsStemUp(first), +1);
    if (sides & kLedgerBelow) DrawSide(view, m, set, extent, IsStemUp(first), -1);
}

int ChordLedgerSides(ScoreView* view, const Chord& chord, LedgerMode mode) {
    LedgerSet set;
    return GatherLedgerSet(view, chord, mode, BottomLineY(view), set) ? SidesOf(set) : 0;
}

StaffLines StaffLinesOfRecord(const StaffRecord* staff) {
    return LinesOfStaff(staff);
}

}  // namespace ql::notedraw

namespace ql {

StaffLines StaffLinesOf(const ScoreView* view) {
    return notedraw::StaffLinesOfRecord(view != nullptr ? view->currentStaffRecord : nullptr);
}

void DrawLedgerLine(ScoreView* view, int32_t x, int32_t y, int32_t length) {
    if (view == nullptr || !view->ViewDC) return;
    const ScopedPaintingGuard guard;
    const notedraw::NoteMetrics m = notedraw::CurrentNoteMetrics(view);
    notedraw::InkLine(view, notedraw::InkPart::Ledger, x, y, x + length, y);
    if (m.zoom == notedraw::kDoubledLineZoom)
        notedraw::InkLine(view, notedraw::InkPart::Ledger, x, y - m.pixelY, x + length,
                          y - m.pixelY);
    const bool thick = m.lineWidth >= 2 * m.pixelY || m.zoom >= notedraw::kFilledBarZoom ||
                       notedraw::IsClipboardRendering();
    if (!thick) return;
    const int32_t width = std::max<int32_t>(m.lineWidth, 1);
    const int32_t top = y - width / 2;
    notedraw::InkBar(view, notedraw::InkPart::Ledger, gfx::Rect{x, top, x + length, top + width});
}

void DrawLedgerLines(ScoreView* view, EventRecord* first, int32_t x, int32_t bottomY,
                     LedgerMode mode) {
    if (view == nullptr || !view->ViewDC) return;
    notedraw::Chord chord;
    if (!notedraw::GatherChord(first, chord)) return;
    notedraw::NoteDrawScope scope(view);
    notedraw::DrawChordLedgerLines(view, chord, x, bottomY, mode);
}

int LedgerLineSides(const ScoreView* view, EventRecord* first, LedgerMode mode) {
    notedraw::Chord chord;
    if (view == nullptr || !notedraw::GatherChord(first, chord)) return 0;
    return notedraw::ChordLedgerSides(const_cast<ScoreView*>(view), chord, mode);
}

}  // namespace ql
