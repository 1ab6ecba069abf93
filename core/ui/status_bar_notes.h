// The status-bar description of the note or rest under the cursor: attack and
// release, ties, the voice (and staff of a cross-staff note), the volume the note
// plays at with the dynamic mark in force, and its tick and length.
//
// Voices are shown 1-based with the second and third exchanged (voice index 1
// reads "3", index 2 reads "2"), the order in which the palettes name them.
// The volume: an absolute mark (mode byte above 15) gives its level; a relative
// mark gives key velocity + staff base velocity + level; no mark gives key velocity
// + base velocity. The first two are clamped to 0..127; a muted note plays at 0.
#pragma once

#include <cstdint>

namespace ql {

struct ScoreView;
struct ScoreObject;
struct EventRecord;
struct MeasureCell;
struct ScoreDocument;

constexpr int32_t kStrAttackRelease = 108;    // "Attack=%d Release=%d "
constexpr int32_t kStrTickLength = 110;       // "Tick=%d Length=%d"
constexpr int32_t kStrTiedLeft = 111;         // "-Tied Left- "
constexpr int32_t kStrTiedRight = 112;        // "-Tied Right- "
constexpr int32_t kStrTickLengthShort = 120;  // " Tick=%d Len=%d"
constexpr int32_t kStrVolumeAbsolute = 1303;
constexpr int32_t kStrVolumeRelative = 1304;
constexpr int32_t kStrVolumeNoMark = 1305;
constexpr int32_t kStrStaffVoice = 1340;  // "[Staff %d, Voice %d] "
constexpr int32_t kStrNoteVoice = 1359;   // "[Voice %d]   "
constexpr int32_t kStrRestVoice = 1360;   // "[Voice %d]"

// Fields of a note that the description reads.
int16_t NoteAttack(const EventRecord& event);      // attack delay, ticks
int16_t NoteRelease(const EventRecord& event);     // release delay, ticks
int8_t NoteKeyVelocity(const EventRecord& event);  // relative key velocity
bool IsNoteTiedLeft(const EventRecord& event);     // a tie ends here
bool IsNoteTiedRight(const EventRecord& event);    // a tie starts here
bool IsNoteCrossStaff(const EventRecord& event);
bool IsCrossStaffAbove(const EventRecord& event);  // the other staff lies above
bool IsNoteMuted(const EventRecord& event);        // sound hidden

// The cell of (staff, measure) when the staff has one; never makes a cell.
MeasureCell* ExistingMeasureCell(ScoreDocument* document, int staff, int measure);

// The voice number shown for a voice index 0..3.
int VoiceNumberShown(int voiceIndex);

// The fields of a dynamic mark (type 21) that decide a note's volume.
struct DynamicMark {
    bool enabled = false;
    uint8_t voiceMask = 0;  // 0 = all voices
    uint8_t scope = 0;      // staff scope 0..7
    uint8_t namedStaff = 0;
    bool absolute = false;  // mode byte above 15
    int16_t level = 0;
    int32_t tick = 0;
};
DynamicMark ReadDynamicMark(ScoreObject* mark);

// The volume and the text shown for it.
struct NoteVolume {
    int volume = 0;
    bool found = false;  // a mark was in force
    DynamicMark mark;
};
// The dynamic mark in force for a note of `voice` at `tick` of `measure` on
// `staff`: sought backward in the note's measure (marks at or before the tick),
// then in earlier measures (every mark), over all staves; the nearest before the
// note wins, the first found on equal distance.
NoteVolume ComputeNoteVolume(ScoreView* view, const EventRecord& event, int staff, int measure,
                             int voice);

// Writes parts 0, 1 and 2 for the note (the view's current staff and measure
// hold it).
void DescribeNote(ScoreView* view, const EventRecord* event);
// Status part 0 "[Voice %d]", part 1 a blank, part 2 the rest's tick and length.
void DescribeRest(const ScoreObject* rest, int voice);

}  // namespace ql
