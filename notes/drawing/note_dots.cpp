// Augmentation dots. The dot column is shared by the voices at one tick: it starts
// right of the head (the half, black or whole head's width), past the room that a
// stem-up note at this tick and position needs (a head width when its chord holds a
// second, or (13 - DurationCode) x 16 for the flag of an unbeamed note shorter than a
// quarter), plus half a black head; further dots follow one dot gap apart.
//
// A dot sits in a space: a note on a line takes the space above. In a chord holding a
// second, spaces are handed out top to bottom from a 256-entry table; when a dot would
// share a space, the lower one moves a space down or the upper one a space up,
// whichever side has more free spaces.
#include <algorithm>

#include "core/constants.h"
#include "core/model/events.h"
#include "core/model/grid.h"
#include "core/model/score_document.h"
#include "notes/drawing/note_draw.h"
#include "notes/drawing/note_draw_internal.h"
#include "notes/drawing/note_fields.h"

namespace ql::notedraw {

namespace {

constexpr uint8_t kDotGlyph = 139;
constexpr int kFlagRoomBase = 13;  // (13 - code) x 16 for a flag
constexpr int32_t kFlagRoomUnit = 16;
constexpr int kSpaceTable = 256;
constexpr int kLowestSpaceIndex = 1;     // a dot moves up only while above this
constexpr int kHighestSpaceIndex = 254;  // and down only while below this
constexpr int kRoomLookahead = 4;        // spaces counted when comparing room
constexpr int kSpaceStep = 2;            // positions from one space to the next

int SpaceIndex(int position) {
    return (position + kSpaceTable / 2) & (kSpaceTable - 1);
}

// Room a stem-up note at this tick and position needs right of its head.
int32_t RoomFor(const ScoreView* view, const NoteMetrics& m, EventRecord* note) {
    if (note == nullptr || !IsStemUp(*note)) return 0;
    EventRecord* head = ChordHeadOf(note);
    if (ChordHasSecond(*note)) return m.black;
    const bool unbeamed = head != nullptr && !head->beamPrev && !head->beamNext;
    if (unbeamed && note->duration < CodeOf(DurationCode::Quarter))
        return ZoomX(view, (kFlagRoomBase - note->duration) * kFlagRoomUnit);
    return 0;
}

// The widest room any voice's stem-up note at the note's tick and position needs.
int32_t DotRoom(ScoreView* view, const NoteMetrics& m, EventRecord& note) {
    int32_t room = RoomFor(view, m, &note);
    MeasureCell* cell = view->currentCell;
    for (int voice = 0; cell != nullptr && voice < kVoiceCount; ++voice) {
        EventRecord* e = GetVoiceFirstEvent(cell, voice);
        for (int i = 0; e != nullptr && !IsHeadSentinel(*e) && i < kMaxChainLength; ++i) {
            if (e->time > note.time) break;
            if (e->time == note.time && e->step == note.step && e != &note)
                room = std::max(room, RoomFor(view, m, e));
            EventRecord* next = NextEvent(e);
            if (next != nullptr && next->time < e->time) break;
            e = next;
        }
    }
    return room;
}

int OwnSpace(const EventRecord& note) {
    const int p = NotePosition(note);
    return p % 2 == 0 ? p - 1 : p;
}

int FreeSpaces(const bool* used, int space, int step) {
    int free = 0;
    for (int s = space + step; free < kRoomLookahead; s += step, ++free) {
        const int index = SpaceIndex(s);
        if (index <= kLowestSpaceIndex || index >= kHighestSpaceIndex || used[index]) break;
    }
    return free;
}

// The space of the note's dots in its chord.
int DotSpace(const Chord& chord, const EventRecord& note) {
    if (!ChordHasSecond(*chord.First())) return OwnSpace(note);
    bool used[kSpaceTable] = {};
    int owner[kSpaceTable] = {};
    int spaceOf[kMaxChordNotes] = {};
    for (int i = 0; i < chord.count; ++i) {
        if (NoteDots(*chord.notes[i]) == 0) continue;
        int space = OwnSpace(*chord.notes[i]);
        if (used[SpaceIndex(space)]) {
            const int upper = owner[SpaceIndex(space)];
            if (FreeSpaces(used, space, -kSpaceStep) > FreeSpaces(used, space, kSpaceStep)) {
                const int up = space - kSpaceStep;
                spaceOf[upper] = up;
                used[SpaceIndex(up)] = true;
                owner[SpaceIndex(up)] = upper;
            } else {
                while (used[SpaceIndex(space)] && SpaceIndex(space) < kHighestSpaceIndex)
                    space += kSpaceStep;
            }
        }
        spaceOf[i] = space;
        used[SpaceIndex(space)] = true;
        owner[SpaceIndex(space)] = i;
    }
    for (int i = 0; i < chord.count; ++i)
        if (chord.notes[i] == &note) return spaceOf[i];
    return OwnSpace(note);
}

}  // namespace

void DrawDotsAt(ScoreView* view, const NoteMetrics& m, const Chord& chord, EventRecord& note,
                int32_t x) {
    const int dots = NoteDots(note);
    if (dots == 0) return;
    int32_t head = HeadWidthOf(m, note.duration, NoteHeadKind(note));
    if (NoteHeadKind(note) == kHeadNormal && note.duration >= CodeOf(DurationCode::Whole))
        head -= (head - m.black) / 2;  // measured from the centred whole head
    int32_t dotX = x + head + DotRoom(view, m, note) + m.black / 2;
    const int32_t y = NoteY(view, DotSpace(chord, note));
    const gfx::TextAlign previous =
        SetViewTextAlign(view, gfx::kTextAlignCentre | gfx::kTextAlignBaseline);
    for (int k = 0; k < dots; ++k, dotX += m.dotGap)
        InkGlyph(view, InkPart::Dot, kDotGlyph, dotX, y);
    SetViewTextAlign(view, previous);
}

}  // namespace ql::notedraw

namespace ql {

void DrawAugmentationDots(EventRecord* note, ScoreView* view, int32_t x) {
    notedraw::Chord chord;
    if (view == nullptr || !view->ViewDC || note == nullptr) return;
    if (!notedraw::GatherChord(notedraw::ChordHeadOf(note), chord)) return;
    notedraw::NoteDrawScope scope(view);
    notedraw::DrawDotsAt(view, notedraw::CurrentNoteMetrics(view), chord, *note, x);
}

}  // namespace ql
