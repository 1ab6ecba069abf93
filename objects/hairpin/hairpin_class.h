// The hairpin's class and its geometry: the wedge as apex and two open ends in
// logical points (the stored order swapped back for a diminuendo), the templates a
// click places, the five handles (apex 0, ends 1 and 2, opening 3, move 4) and how a
// drag moves them, the "F" flip, the default line width and what playback takes.
#pragma once

#include <array>
#include <cstdint>

#include "core/model/geometry.h"
#include "core/objects/class_table.h"
#include "core/objects/midi_action.h"
#include "objects/hairpin/hairpin.h"

namespace ql {

struct ScoreView;
struct ScoreDocument;
struct HitRecord;

// The wedge in drawing order: the upper open end, the apex, the lower open end.
struct HairpinShape {
    LogicalPoint upper;
    LogicalPoint apex;
    LogicalPoint lower;
};

constexpr int32_t kHairpinLength = 1024;       // a placed wedge, logical units
constexpr int32_t kHairpinHalfOpening = 87;    // each end this far from the axis
constexpr int32_t kHairpinOpeningReach = 256;  // opening handle beyond the ends' middle
constexpr int kHairpinHandleCount = 5;
enum HairpinHandle : uint8_t { kApexHandle = 0, kUpperHandle = 1, kLowerHandle = 2, kOpeningHandle = 3, kMoveHandle = 4 };
constexpr int kMoveHandleScale = 4;
constexpr uint8_t kHairpinDiminuendo = 0;

// The line width a new hairpin takes: the document's line-width setting, which has
// no stored home yet and reads as one named value.
uint8_t HairpinDefaultLineWidth(const ScoreDocument* document);

// The shape of a template placed at `at`: a crescendo opens to the right, a
// diminuendo to the left.
HairpinShape HairpinTemplate(LogicalPoint at, bool diminuendo);
// Whether an apex left of the middle of the open ends makes a crescendo.
bool IsCrescendoShape(const HairpinShape& shape);

// The anchors decoded in the view (for a measure-attached hairpin, from the view's
// current measure), and encoded back in the stored order with its direction.
HairpinShape DecodeHairpinShape(HairpinObject* hairpin, ScoreView* view);
void EncodeHairpinShape(HairpinObject* hairpin, ScoreView* view, const HairpinShape& shape);

// The handle points of a shape: apex, ends, opening handle and move handle.
std::array<LogicalPoint, kHairpinHandleCount> HairpinHandlePoints(const HairpinShape& shape);
// One drag step of a handle by `offset`: moves what the handle moves (with mirror,
// the other end opposite, or the ends with the apex's y), then the direction
// follows the apex.
HairpinShape DragHairpinHandle(const HairpinShape& shape, int kind, LogicalPoint offset, bool mirror);
// The "F" flip: apex to the middle of the ends, the ends through the old apex.
HairpinShape FlipHairpinShape(const HairpinShape& shape);

// Playback: the ticks from the first stored anchor to the second, counted from the
// measures (the hairpin's own measure plus each anchor's delta) and ticks; the
// interval byte of that span in sixteenths (span / 256 within 1..255).
int32_t HairpinSpanTicks(const HairpinObject& hairpin, ScoreDocument* document, int measure);
uint8_t HairpinIntervalOfSpan(int32_t ticks);
// The temporary action playback performs for a hairpin of `measure`: its action with
// the interval of its span; false when it plays nothing (Enable MIDI clear).
bool HairpinPlaybackAction(const HairpinObject& hairpin, ScoreDocument* document, int measure,
                           MidiAction* out);

const ScoreObjectClass& HairpinClass();

}  // namespace ql
