// Drawing a beam group: the chords its forward links name, the beam line from the
// leftmost chord's stem end to the rightmost's, then its beam tree walked node by
// node: each level (a run of chords with more than k beams; a run of one chord gets
// a stub), and at each chord its stem up to the middle of the main beam, its heads,
// marks and ledger lines. Links are only read: a link that does not name the next
// chord of the voice ends the group there.
#include <algorithm>

#include "core/constants.h"
#include "core/draw/draw_surface.h"
#include "core/draw/ink_tag.h"
#include "core/model/events.h"
#include "core/model/score_document.h"
#include "core/state.h"
#include "notes/drawing/notation_font.h"
#include "notes/drawing/note_draw_internal.h"
#include "notes/drawing/note_fields.h"
#include "notes/drawing/stem_draw.h"
#include "notes/stems/stems.h"

namespace ql::notedraw {

namespace {

constexpr int kMaxGroupChords = 128;
constexpr int32_t kStyledSeparationNum = 9;  // beam styles 1 and 2: 9/8 of the separation
constexpr int32_t kStyledSeparationDen = 8;
constexpr int32_t kThinnerStyleDivisor = 8;  // styled bars are 1/8 thinner
constexpr int kStubSixteenths = 16;          // stub: black width - a sixteenth of the view's
constexpr int32_t kOutlinePassZoom = 6;
constexpr int kPrintInsetHalves = 3;        // one and a half pixels when printing
constexpr uint16_t kStyleFeatherLeft = 1;   // further levels keep their right end
constexpr uint16_t kStyleFeatherRight = 2;  // further levels keep their left end

struct GroupChord {
    EventRecord* head = nullptr;
    int32_t x = 0;
    int32_t stemX = 0;
    bool up = false;
    int beams = 1;
};

struct Group {
    GroupChord chords[kMaxGroupChords];
    int count = 0;
    uint16_t style = 0;
    bool allHidden = false;
    bool innermostHidden = false;
    // The beam line through the leftmost and rightmost stem ends.
    int32_t x0 = 0;
    int32_t y0 = 0;
    int32_t dx = 0;
    int32_t dy = 0;
    bool down = false;  // the main beam's side: stems down
    int32_t BeamY(int32_t x) const { return y0 + MulDivOrZero(x - x0, dy, dx); }
};

// The first chord of the group holding `head`: back while the chord before links
// forward to it.
EventRecord* GroupStart(EventRecord* head) {
    for (int i = 0; i < kMaxGroupChords; ++i) {
        EventRecord* before = PrevEvent(head);
        if (before == nullptr || IsHeadSentinel(*before) || before->time >= head->time) break;
        EventRecord* previous = ChordHeadOf(before);
        if (!LinkNames(previous->beamNext, head)) break;
        head = previous;
    }
    return head;
}

void GatherGroup(EventRecord* start, Group& group) {
    group.count = 0;
    for (EventRecord* head = start; head != nullptr && group.count < kMaxGroupChords;) {
        group.chords[group.count++].head = head;
        Chord chord;
        if (!GatherChord(head, chord)) break;
        EventRecord* next = NextChordHead(chord);
        RestoreForwardLink(head, next);
        if (!LinkNames(head->beamNext, next)) break;
        head = next;
    }
}

void PlaceGroup(ScoreView* view, const NoteMetrics& m, Group& g) {
    for (int i = 0; i < g.count; ++i) {
        GroupChord& c = g.chords[i];
        Chord chord;
        GatherChord(c.head, chord);
        for (int k = 0; k < chord.count; ++k) CrossStaffPositionForDraw(view, chord.notes[k]);
        c.x = ChordX(view, *c.head);
        c.up = IsStemUp(*c.head);
        c.stemX = c.x + (c.up ? m.black - m.stemWidth : 0);
        c.beams = BeamCountOf(c.head->duration);
    }
    const GroupChord& left = g.chords[0];
    const GroupChord& right = g.chords[g.count - 1];
    g.x0 = left.stemX;
    g.y0 = NoteY(view, NotePosition(*left.head)) + ZoomX(view, left.head->stemLength);
    const int32_t y1 = NoteY(view, NotePosition(*right.head)) + ZoomX(view, right.head->stemLength);
    g.dx = right.stemX - left.stemX;
    g.dy = y1 - g.y0;
    g.down = !left.up;
    g.style = left.head->stemWord & kStemBeamStyleMask;
    g.allHidden = (left.head->stemWord & kStemBeamsHidden) != 0;
    g.innermostHidden = (left.head->stemWord & kStemInnermostHidden) != 0;
}

bool HidesBeams(const EventRecord& head) {
    return HeadKindHasNoStem(NoteHeadKind(head));
}

// One run [i, j] of level k (0 = the main beam).
void DrawLevelRun(ScoreView* view, const NoteMetrics& m, const Group& g, int k, int i, int j) {
    const GroupChord& lead = g.chords[i];
    if (HidesBeams(*lead.head)) return;
    const bool hidden = g.allHidden || (g.innermostHidden && k + 1 == lead.beams);
    if (hidden && !IsShowingHidden()) return;
    const DimmedScope dimmed(view, hidden);
    int32_t x1 = lead.stemX;
    int32_t x2 = g.chords[j].stemX;
    if (i == j) {
        const int32_t stub = m.black - ZoomX(view, view->glyphWidths.black / kStubSixteenths);
        const bool towardPrevious = (i > 0 && g.chords[i - 1].beams >= k) || i == g.count - 1;
        x2 = towardPrevious ? x1 - stub : x1 + stub;
    }
    const bool down = !lead.up;
    int32_t separation = m.beamSeparation;
    if (g.style != 0) separation = separation * kStyledSeparationNum / kStyledSeparationDen;
    const int32_t offset = (down ? -1 : 1) * k * separation;
    int32_t o1 = offset;
    int32_t o2 = offset;
    if (k > 0 && g.style == kStyleFeatherLeft) o2 = 0;
    if (k > 0 && g.style == kStyleFeatherRight) o1 = 0;
    DrawBeamBarStyled(view, down, x1, g.BeamY(x1) + o1, x2, g.BeamY(x2) + o2, k + 1, g.style);
}

// The stem of a group chord, from its head-side note to the middle of the main beam.
void DrawGroupStem(ScoreView* view, const NoteMetrics& m, const Group& g, const GroupChord& c,
                   const Chord& chord) {
    const EventRecord& head = *c.head;
    if (HidesBeams(head) || (IsStemHidden(head) && !IsShowingHidden())) return;
    const DimmedScope dimmed(view, IsStemHidden(head));
    const EventRecord& end = c.up ? *chord.Last() : head;
    const int32_t half = m.beamThickness / 2;
    const int32_t free = g.BeamY(c.stemX) + (g.down ? -half : half);
    const int32_t noteEnd =
        NoteY(view, NotePosition(end)) + ZoomX(view, StemOffsetForHeadKind(head));
    DrawStem(view, c.stemX, free, noteEnd - free);
}

// A node of the group's beam tree as the chords' beam counts give it: the run of
// chords [first, last] that all have a beam at `level` (0 the main beam), or a
// leaf, one chord under the run of its innermost level. The walk starts from the
// whole group at level -1, which has no beam of its own, so that a chord without
// beams breaks the main beam as it breaks the others.
struct BeamNodeSpan {
    int level = 0;
    int first = 0;
    int last = 0;
    bool leaf = false;
};

// One node: a run draws its beam level, a leaf the stem of its chord up to the
// beam, then the chord's heads, marks and ledger lines.
void DrawBeamNode(ScoreView* view, const NoteMetrics& m, const Group& g, const BeamNodeSpan& node) {
    if (!node.leaf) {
        if (node.level >= 0) DrawLevelRun(view, m, g, node.level, node.first, node.last);
        return;
    }
    const GroupChord& c = g.chords[node.first];
    Chord chord;
    if (!GatherChord(c.head, chord)) return;
    if (!IsDrawableNote(*chord.First())) {
        ReportDamagedNote(__LINE__);
        return;
    }
    const auto owner = InkNoteScope::Chord(chord.First());
    DrawGroupStem(view, m, g, c, chord);
    DrawChordAt(view, chord, c.x, false);
}

// The node, then its children from left to right, each with its own subtree: the
// runs one level deeper, and the chords with no beam at that level as leaves.
void DrawBeamTree(ScoreView* view, const NoteMetrics& m, const Group& g, const BeamNodeSpan& node) {
    DrawBeamNode(view, m, g, node);
    if (node.leaf) return;
    const int deeper = node.level + 1;
    for (int i = node.first; i <= node.last;) {
        if (g.chords[i].beams <= deeper) {
            DrawBeamNode(view, m, g, {deeper, i, i, true});
            ++i;
            continue;
        }
        int j = i;
        while (j < node.last && g.chords[j + 1].beams > deeper) ++j;
        DrawBeamTree(view, m, g, {deeper, i, j, false});
        i = j + 1;
    }
}

}  // namespace

int32_t MulDivOrZero(int32_t a, int32_t b, int32_t c) {
    if (c == 0) return 0;
    const int64_t product = int64_t{a} * b;
    const int64_t half = (c > 0 ? c : -c) / 2;
    const int64_t q = (product >= 0) == (c > 0)
                          ? (std::abs(product) + half) / std::abs(int64_t{c})
                          : -((std::abs(product) + half) / std::abs(int64_t{c}));
    return ClampLogical(q);
}

void DrawBeamBarStyled(ScoreView* view, bool down, int32_t x1, int32_t y1, int32_t x2, int32_t y2,
                       int level, uint16_t style) {
    const NoteMetrics m = CurrentNoteMetrics(view);
    int32_t t = m.beamThickness;
    if (style != 0) t -= t / kThinnerStyleDivisor;
    if (down) t = -t;
    const gfx::Point bar[4] = {{x1, y1}, {x2, y2}, {x2, y2 + t}, {x1, y1 + t}};
    InkPolygon(view, InkPart::Beam, bar, 4);
    const bool outline = m.sizeClass == static_cast<int>(NoteSizeClass::Normal) && style == 0 &&
                         level != 1 && m.zoom >= kOutlinePassZoom && !IsClipboardRendering();
    if (!outline) return;
    int32_t inset = IsPrinting() ? m.pixelY * kPrintInsetHalves / 2 : m.pixelY;
    if (down) inset = -inset;
    const gfx::Point inner[4] = {{x1, y1}, {x2, y2}, {x2, y2 + t - inset}, {x1, y1 + t - inset}};
    InkPolygon(view, InkPart::Beam, inner, 4);
}

// Draws the group starting at `start`; the head of its last chord, or null when it
// is not a group (fewer than two chords).
EventRecord* DrawGroupAt(ScoreView* view, EventRecord* start) {
    Group g;
    GatherGroup(start, g);
    if (g.count < 2) return nullptr;
    const InkObjectScope notAnObject(nullptr);
    const auto group = InkNoteScope::Group(start);
    const NoteMetrics m = CurrentNoteMetrics(view);
    PlaceGroup(view, m, g);
    DrawBeamTree(view, m, g, {-1, 0, g.count - 1, false});
    return g.chords[g.count - 1].head;
}

EventRecord* BeamGroupStart(EventRecord* chord) {
    return GroupStart(ChordHeadOf(chord));
}

}  // namespace ql::notedraw

namespace ql {

void DrawBeamBar(ScoreView* view, bool down, int32_t x1, int32_t y1, int32_t x2, int32_t y2,
                 int level) {
    if (view == nullptr || !view->ViewDC) return;
    const ScopedPaintingGuard guard;
    notedraw::DrawBeamBarStyled(view, down, x1, y1, x2, y2, level, 0);
}

EventRecord* DrawBeamGroup(ScoreView* view, EventRecord* chord) {
    if (view == nullptr || !view->ViewDC || chord == nullptr) return nullptr;
    EventRecord* start = notedraw::BeamGroupStart(chord);
    if (start == nullptr) return nullptr;
    notedraw::NoteDrawScope scope(view);
    const ScopedNotationFont font(view, NoteSizeClass(*start));
    return notedraw::DrawGroupAt(view, start);
}

bool DrawnBeamedStemOffset(ScoreView* view, EventRecord* chord, int32_t* offset) {
    if (view == nullptr || chord == nullptr || offset == nullptr) return false;
    EventRecord* head = notedraw::ChordHeadOf(chord);
    EventRecord* start = notedraw::BeamGroupStart(head);
    if (start == nullptr) return false;
    notedraw::Group g;
    notedraw::GatherGroup(start, g);
    if (g.count < 2) return false;
    const notedraw::GroupChord* at = nullptr;
    for (int i = 0; i < g.count; ++i) {
        if (IsStemUp(*g.chords[i].head) != IsStemUp(*g.chords[0].head)) return false;
        if (g.chords[i].head == head) at = &g.chords[i];
    }
    if (at == nullptr) return false;
    // Every stem stands the same way from its chord's x, so the line is read at the
    // chords' own x.
    const notedraw::GroupChord& left = g.chords[0];
    const notedraw::GroupChord& right = g.chords[g.count - 1];
    const int32_t x0 = notedraw::ChordX(view, *left.head);
    const int32_t dx = notedraw::ChordX(view, *right.head) - x0;
    const int32_t y0 = notedraw::NoteY(view, NotePosition(*left.head)) + ZoomX(view, left.head->stemLength);
    const int32_t y1 = notedraw::NoteY(view, NotePosition(*right.head)) + ZoomX(view, right.head->stemLength);
    const int32_t y = y0 + notedraw::MulDivOrZero(notedraw::ChordX(view, *head) - x0, y1 - y0, dx);
    *offset = y - notedraw::NoteY(view, NotePosition(*head));
    return true;
}

void DrawNoteGroup(ScoreView* view, EventRecord* chord) {
    if (view == nullptr || !view->ViewDC || chord == nullptr) return;
    notedraw::NoteDrawScope scope(view);
    const gfx::TextAlign previous =
        SetViewTextAlign(view, gfx::kTextAlignLeft | gfx::kTextAlignBaseline);
    EventRecord* head = notedraw::ChordHeadOf(chord);
    if (DrawBeamGroup(view, head) == nullptr) DrawChord(head, view);
    SetViewTextAlign(view, previous);
}

}  // namespace ql
