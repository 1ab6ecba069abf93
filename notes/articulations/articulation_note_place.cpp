// Placing articulations on notes of the view (see articulation_note_place.h): the
// chord's geometry read from its notes and the view, handed to the placement rules
// of articulation_place.h.
#include "notes/articulations/articulation_note_place.h"

#include "core/constants.h"
#include "core/model/events.h"
#include "core/model/score_document.h"
#include "display/hit_test.h"
#include "notes/articulations/articulation_tool.h"
#include "notes/drawing/notation_font.h"
#include "notes/drawing/note_draw.h"
#include "notes/drawing/note_draw_internal.h"
#include "notes/drawing/note_fields.h"
#include "notes/pitch/pitch_vocabulary.h"

namespace ql {
namespace {

constexpr int kScaleUnit = 1 << 12;

ArticulationScale ScaleOf(const ScoreView* view) {
    return ArticulationScale{ZoomX(view, kScaleUnit), kScaleUnit};
}

// The chord's geometry as seen from `target`, one of its notes: the stem end is
// kept relative to the chord's first note, where the stem length is stored.
ArticulationNote NoteGeometry(ScoreView* view, EventRecord* first, EventRecord* target) {
    // The head width of the chord's size class, whether or not notes are being drawn.
    const int32_t black = ComputeNotationFontState(view, NoteSizeClass(*first)).blackWidth;
    // A cross-staff note stands on its other staff: its place and that staff's lines
    // are measured there, as its anchor is.
    int position = NotePosition(*target);
    int32_t bottomLine = notedraw::BottomLineY(view);
    if (IsCrossStaff(*target)) {
        const notedraw::CrossStaffTarget other = notedraw::CrossStaffTargetOf(view, *target);
        if (other.staff != 0) {
            position += other.stepsBetween;
            bottomLine = other.bottomY;
        }
    }
    ArticulationNote note;
    note.x = notedraw::ChordX(view, *first) + black / 2;
    note.y = bottomLine + ZoomX(view, position * kUnitsPerStaffStep);
    note.stemUp = notedraw::ChordStemsUp(*first);
    note.stemOffset =
        first->stemLength - (NotePosition(*target) - NotePosition(*first)) * kUnitsPerStaffStep;
    note.bottomLineY = bottomLine;
    note.headWidth = black;
    note.durationCode = target->duration;
    return note;
}

}  // namespace

bool ArticulationEntryOfGlyph(int glyph, ArticulationPalette* palette, int* entry) {
    if (glyph >= kAccentGlyphBase && glyph < kAccentGlyphBase + kAccentEntries) {
        *palette = ArticulationPalette::Accents;
        *entry = glyph - kAccentGlyphBase;
        return true;
    }
    if (glyph >= kOrnamentGlyphBase && glyph < kOrnamentGlyphBase + kOrnamentEntries) {
        *palette = ArticulationPalette::Ornaments;
        *entry = glyph - kOrnamentGlyphBase;
        return true;
    }
    return false;
}

int ArticulationVoiceOf(const ScoreView* view, const EventRecord* note) {
    const int edited = ActiveVoiceOfMask(view->voiceMask);
    if (view->currentCell == nullptr || note == nullptr) return edited;
    return FindVoiceOfEvent(view->currentCell, note, edited);
}

ArticulationSide ArticulationSideInView(ScoreView* view, EventRecord* note,
                                        ArticulationPalette palette, int entry) {
    EventRecord* first = note != nullptr ? GetFirstEventOfChord(note) : nullptr;
    const bool stemUp = first != nullptr && notedraw::ChordStemsUp(*first);
    const ArticulationSide side = ArticulationSideOf(palette, entry, stemUp);
    if (view == nullptr) return side;
    return SideForVoice(side, !notedraw::IsSingleVoiceLayout(view), ArticulationVoiceOf(view, first));
}

EventRecord* PlaceArticulationOnSide(ScoreView* view, EventRecord* note, ArticulationSide side,
                                     int glyph, LogicalPoint* out) {
    if (view == nullptr || view->document == nullptr || note == nullptr || out == nullptr)
        return nullptr;
    EventRecord* first = GetFirstEventOfChord(note);
    EventRecord* last = GetLastEventOfChord(note);
    if (first == nullptr || last == nullptr) return nullptr;
    EventRecord* target = first;
    if (side == ArticulationSide::Below ||
        (side == ArticulationSide::OnStem && !notedraw::ChordStemsUp(*first)))
        target = last;
    const ArticulationPoint point =
        PlaceArticulationPoint(side, glyph, NoteGeometry(view, first, target), ScaleOf(view));
    *out = LogicalPoint{point.x, point.y};
    return target;
}

EventRecord* PlaceArticulation(ScoreView* view, EventRecord* note, LogicalPoint* out, int glyph) {
    const ArticulationToolState& tool = ArticulationTools();
    const ArticulationSide side =
        ArticulationSideInView(view, note, tool.palette, tool.EntryInForce());
    return PlaceArticulationOnSide(view, note, side, glyph, out);
}

EventRecord* PlaceArticulationOnStem(ScoreView* view, EventRecord* note, LogicalPoint* out,
                                     int glyph) {
    return PlaceArticulationOnSide(view, note, ArticulationSide::OnStem, glyph, out);
}

int ArticulationGlyphWidth(const ScoreView* view, int glyph) {
    return ZoomX(view, ArticulationGlyphBox(glyph));
}

}  // namespace ql
