// Channel messages other than notes, met while transcribing recorded data or an
// imported file, become score objects in the current measure of the current staff:
// a MIDI event object for key pressure, controllers, patch changes, channel pressure
// and pitch wheel, a pedal mark for the pedal controllers 64..78, a dynamic marking
// for the volume controller 7. The MIDI Message Filter options drop a kind
// ("Filter Out") or make its objects hidden ("Hide").
#pragma once

#include <cstdint>

namespace ql {

struct ScoreView;
struct MeasureCell;
struct ScoreObject;

// MIDI event object kinds (the action's kind nibble).
enum class ChannelEventKind : uint8_t {
    KeyPressure = 1,
    Controller = 2,
    PatchChange = 3,
    ChannelPressure = 4,
    PitchWheel = 5,
};

constexpr uint16_t kMidiEventObjectSymbol = 184;
constexpr uint16_t kPitchWheelCentreSymbol = 203;
constexpr uint16_t kPitchWheelBentSymbol = 208;
constexpr int kPitchWheelCentre = 8192;
constexpr int kVolumeController = 7;
constexpr int kFirstPedalController = 64;
constexpr int kLastPedalController = 78;

// The last object appended to a cell's object list, kept by whoever appends many
// objects to one cell (an import) so that each append starts from it instead of
// walking the whole list. It stays right while that object stays in the list (the
// holder forgets it, Forget, before unlinking it); objects others append after it
// are walked past.
struct CellListEnd {
    const MeasureCell* cell = nullptr;
    ScoreObject* last = nullptr;
    void Forget(const ScoreObject* object) {
        if (object == last) *this = {};
    }
};

// Links a text-family object at the end of the cell's object list, anchored at a
// position in the measure (1,024 ticks to the quarter); false when the cell has no
// list and none can be had (the object is then the caller's). With `end`, the
// walk to the list's end starts at the object last appended there, and `end`
// then holds the new one.
bool AppendAtMeasurePosition(MeasureCell* cell, ScoreObject* object, int32_t position,
                             CellListEnd* end = nullptr);

// The dynamic glyph of a volume value.
uint16_t DynamicGlyphForVolume(int value);

// The current channel message of the transcription inputs (status, data bytes) for
// `staff` into `cell` (its object list gets the object at the end). Filtered kinds,
// unknown statuses, a staff beyond the last measure allowed (or past the last one the
// score can hold) and a cell that cannot be had make nothing; the object made, or
// null.
ScoreObject* ImportChannelEvent(ScoreView* view, int staff, MeasureCell* cell, CellListEnd* end = nullptr);

}  // namespace ql
