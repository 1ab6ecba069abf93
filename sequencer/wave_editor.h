// The MIDI wave editor: a modal window in which the user shapes a transition's
// envelope by dragging the control points of its two cubic Bezier segments. It
// works on the envelope record's sixteen words; words 0-1 (start and scale) stand
// where point 0 would be, are shown as (0, 0) and are never written back.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "platform/gfx/mapping.h"
#include "platform/gfx/types.h"
#include "platform/handles.h"
#include "sequencer/transition_envelope.h"

namespace ql {

inline constexpr char kWaveEditorClass[] = "EditMIDIWave";
inline constexpr char kWaveEditorCaption[] = "MIDI Wave Editor";
// The name scripts and the backends know the editor's modal window by.
inline constexpr char kWaveEditorDialogId[] = "EDITMIDIWAVE";
// The envelope record's sixteen words: start, scale, then points 1..7 as (x, y).
using EnvelopeRecord = std::array<int16_t, kEnvelopeRecordBytes / 2>;

// The drawing area inside the editor's window.
constexpr int32_t kWaveAreaId = 100;

// Logical drawing space: x 0..8,192 across the transition, y -2,048..2,048 with 0
// for no change and values growing downward, as the envelope stores them.
constexpr int32_t kWaveRight = 8192;
constexpr int32_t kWaveTop = -2048;
constexpr int32_t kWaveBottom = 2048;
constexpr int32_t kWaveHitRadius = 192;

// The editing state of one open editor: the points held as 32-bit pairs (point 0
// is always (0, 0)), the selected point (-1 for none) and the drag.
struct WaveEditorState {
    std::array<EnvelopePoint, kEnvelopePoints> points{};
    int selected = -1;  // 1..7: segment (selected / 4), point (selected % 4)
    gfx::Point last{};  // the pointer at the last move, logical units
    bool dragging = false;
};

// The points of an envelope record (words 2..15), point 0 forced to (0, 0).
WaveEditorState WaveStateFromRecord(const EnvelopeRecord& record);
// Points 1..7 into words 2..15 of the record; words 0-1 are left as they are.
void WriteWavePoints(const WaveEditorState& state, EnvelopeRecord* record);

// Square units, 16,384 / client width logical units per pixel in both directions,
// the logical origin 4,096 units in from the left and centred vertically.
gfx::Mapping WaveMapping(gfx::Size client);

// The point among 1..3 and then 4..7 that lies within the hit radius of `at` in
// both x and y; -1 when none does.
int HitWavePoint(const WaveEditorState& state, gfx::Point at);
// Moves the selected point by the pointer's movement since `last`, x clamped to
// 0..8,192 and y to -2,048..2,048; the last point keeps its x.
void DragWavePoint(WaveEditorState* state, gfx::Point to);

// Appends the end points of the chords of one cubic Bezier segment, split at its
// midpoint until its control polygon lies within `tolerance` of its chord or the
// depth reaches 12. The first point is not appended.
void SubdivideBezier(const std::array<gfx::Point, 4>& segment, int32_t tolerance, std::vector<gfx::Point>* out);

// Draws both segments, their control polygons and a cross at each control point in
// XOR on a context already set to the editor's mapping: drawing twice erases.
void DrawWaveHandles(platform::DcHandle dc, const WaveEditorState& state);
// The area's frame, its zero line and the marks of its ends at x 0 and 8,192.
void DrawWaveFrame(platform::DcHandle dc);

// Runs the editor modally over `owner` (disabled meanwhile) on an envelope
// record. OK writes points 1..7 into `record` and answers 1; Cancel and closing
// the window leave it untouched and answer 2.
int OpenMidiWaveEditor(platform::WindowHandle owner, EnvelopeRecord* record);

}  // namespace ql
