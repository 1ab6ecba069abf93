// The room each staff of a system takes: how far what it holds in that system
// reaches above its top line and below its bottom line (note heads with their
// accidentals, stems and the beams at their ends, ledger lines, the marks on its
// notes, its lyric lines, the marks of its measures, its clef, and over the first
// shown staff the measure numbers the page shows), and the staff offsets and system
// gaps that room gives.
//
// Each staff is one box of ink, as tall as its highest and lowest reach over the
// whole system (a skyline flattened to one height): two staves stand so that the
// upper one's reach below, a space of paper and the lower one's reach above fit
// between them, and never closer than the document's staff separation. The reaches
// are read from the stored stem lengths and anchor offsets, so a mark moved by hand
// keeps its room; a cross-staff note counts on neither staff.
#pragma once

#include <cstdint>
#include <unordered_map>
#include <vector>

#include "layout/marks_above_staff.h"

namespace ql {

struct EventRecord;
struct ScoreDocument;
struct ScoreView;
struct ScoreSystem;

// The paper kept between the ink of two staves or two systems: a space.
inline constexpr int64_t kStaffPaper = 128;

// How far the notes (heads, stems and beams, ledger lines) and the marks (on the
// notes, lyrics, the measures' marks and the clefs) of a staff or a system reach
// past its outer lines.
struct InkReach {
    VerticalReach notes;
    VerticalReach marks;
    VerticalReach All() const;
};

// Per staff (index 1..staff count; 0 unused): how far its notes and its marks in
// the system reach above its top line and below its bottom line, at the staff's
// size.
std::vector<InkReach> StaffRoomsOf(ScoreView* view, const ScoreSystem* system);

// How far the lines of a staff of more than five lines reach above where a
// five-line staff's top line stands (0 for five lines or fewer); the same for the
// first shown staff of a system.
int64_t LinesPastTopLine(ScoreDocument* document, int staff);
int64_t FirstStaffLinesPastTopLine(ScoreDocument* document, const ScoreSystem* system);

// How far the marks attached to a note (its lyrics, articulations and texts) reach
// from its staff's bottom line, at `scale`; with its lyrics left out, how far the
// marks its syllables must stand clear of reach.
enum class NoteLyrics : uint8_t { Counted, LeftOut };
VerticalReach AttachedMarksReach(ScoreView* view, EventRecord* note, double scale,
                                 NoteLyrics lyrics = NoteLyrics::Counted);

// The ink of the articulations attached to a note (accents, fermatas, ornaments)
// at full size from its staff's bottom line: `above` is the ink's top (negative when
// it lies under the line), `below` its bottom; false when the note has none.
bool ArticulationsReach(ScoreView* view, EventRecord* note, VerticalReach* reach);

// The least distance from the bottom line of a staff with `upper` reach to the
// bottom line of the staff under it with `lower` reach.
int64_t StaffDistanceFor(const VerticalReach& upper, const VerticalReach& lower);

// The room of the system's shown staves: how far they reach above its first
// shown staff's top line and below its last shown staff's bottom line, at their
// present offsets.
InkReach SystemRoomOf(ScoreView* view, const ScoreSystem* system);

// While one lives, SystemRoomOf measures each system once: for a pass that moves
// systems between pages without changing what they hold or their staves' offsets
// (filling pages by height lays each page out many times).
class ScopedSystemRooms {
  public:
    ScopedSystemRooms();
    ~ScopedSystemRooms();
    ScopedSystemRooms(const ScopedSystemRooms&) = delete;
    ScopedSystemRooms& operator=(const ScopedSystemRooms&) = delete;

  private:
    std::unordered_map<const ScoreSystem*, InkReach> rooms_;
    std::unordered_map<const ScoreSystem*, InkReach>* previous_ = nullptr;
};

// Gives the system's shown staves offsets by their room: each the staff
// separation below the one above it, or StaffDistanceFor where that is more;
// hidden staves stand at the offset of the shown staff before them.
void SpaceStavesByRoom(ScoreView* view, ScoreSystem* system);

}  // namespace ql
