// Stems, flags and the grace slash of an unbeamed chord, and the stem itself.
#include "notes/drawing/stem_draw.h"

#include <algorithm>
#include <cstdlib>

#include "core/constants.h"
#include "core/draw/draw_surface.h"
#include "core/state.h"
#include "notes/drawing/notation_font.h"
#include "notes/drawing/note_draw_internal.h"
#include "notes/drawing/note_fields.h"

namespace ql::notedraw {

namespace {

constexpr int kFlagUpBase = 105;    // 105 + DurationCode: 110 (128th) .. 114 (eighth)
constexpr int kFlagDownBase = 114;  // 114 + DurationCode: 119 .. 123
constexpr int kShortestFlagCode = CodeOf(DurationCode::Note128th);
constexpr int kLongestFlagCode = CodeOf(DurationCode::Eighth);
constexpr int32_t kStemPullIn = 16;  // the note end of a stem stops short by this
constexpr int kSlashThirds = 3;

// Attachment corrections of shaped heads: kinds, then the value with the stem up and down.
struct HeadCorrection {
    int kindA;
    int kindB;
    int up;
    int down;
};
constexpr HeadCorrection kHeadCorrections[] = {
    {1, 7, -48, 48}, {2, 8, 0, 0}, {3, 9, 64, 48}, {4, 10, -48, -64}, {6, 12, 16, -16},
};

bool HasNoStem(int kind) {
    return IsRepeatHead(kind) || (IsTablatureHead(kind) && State().notes.AutoHideTabStems);
}

void DrawFlag(ScoreView* view, const EventRecord& first, int32_t x, int32_t y, bool up) {
    const int d = first.duration;
    if (d < kShortestFlagCode || d > kLongestFlagCode) return;
    const bool hidden = (first.stemWord & kStemBeamsHidden) != 0;
    if (hidden && !IsShowingHidden()) return;
    const DimmedScope dimmed(view, hidden);
    InkGlyph(view, InkPart::Flag, static_cast<uint8_t>((up ? kFlagUpBase : kFlagDownBase) + d), x,
             y);
}

void DrawGraceSlash(ScoreView* view, const NoteMetrics& m, const EventRecord& first, int32_t x,
                    int32_t y, int32_t length) {
    if (NoteSizeClass(first) != static_cast<int>(NoteSizeClass::Grace)) return;
    if ((first.stemWord & kStemGraceSlash) == 0) return;
    const int32_t width = std::max(m.stemWidth, m.pixelX);
    InkPenLine(view, InkPart::Slash, x - m.quarterBlack, y + length - length / kSlashThirds,
               x + m.black, y + length / kSlashThirds, width);
}

}  // namespace

bool HeadKindHasNoStem(int kind) {
    return HasNoStem(kind);
}

void DrawStemAndFlagAt(ScoreView* view, const NoteMetrics& m, const Chord& chord, int32_t x,
                       int32_t y) {
    const EventRecord& first = *chord.First();
    const int kind = NoteHeadKind(first);
    if (HasNoStem(kind)) return;
    if (IsStemHidden(first) && !IsShowingHidden()) return;
    const DimmedScope dimmed(view, IsStemHidden(first));
    const bool up = IsStemUp(first);
    const int span = NotePosition(*chord.Last()) - NotePosition(first);
    const int32_t offset = first.stemLength;
    const int32_t reach = up ? offset - span * kUnitsPerStaffStep : offset;
    const int32_t stemX = up ? x + HeadWidthOf(m, first.duration, kind) - m.stemWidth : x;
    const int32_t freeY = y + ZoomX(view, offset);
    const int32_t length = ZoomX(view, StemOffsetForHeadKind(first)) - ZoomX(view, reach);
    DrawStem(view, stemX, freeY, length);
    DrawFlag(view, first, stemX, freeY, up);
    DrawGraceSlash(view, m, first, stemX, freeY, length);
}

}  // namespace ql::notedraw

namespace ql {

int StemOffsetForHeadKind(const EventRecord& note) {
    const int kind = NoteHeadKind(note);
    for (const notedraw::HeadCorrection& c : notedraw::kHeadCorrections)
        if (kind == c.kindA || kind == c.kindB) return IsStemUp(note) ? c.up : c.down;
    return 0;
}

void DrawStem(ScoreView* view, int32_t x, int32_t y, int32_t length) {
    if (view == nullptr || !view->ViewDC || length == 0) return;
    const ScopedPaintingGuard guard;
    const notedraw::NoteMetrics m = notedraw::CurrentNoteMetrics(view);
    const int32_t pull = std::min(ZoomX(view, notedraw::kStemPullIn), std::abs(length));
    const int32_t noteEnd = ClampLogical(int64_t{y} + length - (length > 0 ? pull : -pull));
    notedraw::InkLine(view, notedraw::InkPart::Stem, x, y, x, noteEnd);
    if (m.zoom == notedraw::kDoubledLineZoom)
        notedraw::InkLine(view, notedraw::InkPart::Stem, x + m.stemWidth, y, x + m.stemWidth,
                          noteEnd);
    const bool thin = m.stemWidth < 2 * m.pixelX && m.zoom < notedraw::kFilledBarZoom;
    if (thin && !notedraw::IsClipboardRendering()) return;
    notedraw::InkBar(view, notedraw::InkPart::Stem,
                     gfx::Rect{x, std::min(y, noteEnd), x + m.stemWidth, std::max(y, noteEnd)});
}

void DrawStemAndFlag(EventRecord* first, ScoreView* view, int32_t x, int32_t y) {
    notedraw::Chord chord;
    if (view == nullptr || !view->ViewDC || !notedraw::GatherChord(first, chord)) return;
    notedraw::NoteDrawScope scope(view);
    const ScopedNotationFont font(view, NoteSizeClass(*first));
    notedraw::DrawStemAndFlagAt(view, notedraw::CurrentNoteMetrics(view), chord, x, y);
}

}  // namespace ql
