// Staff-size scaling: a staff drawn at less than full size is drawn by the same
// painters as a full-size one, with the view's scaled metric set and music fonts
// made at the scaled height. The fonts of each scale are kept in a program-wide
// list whose head holds the start-up fonts (scale 0); scaled entries follow it,
// one per scale, and are freed only when a view's fonts are released.
#pragma once

#include <cstdint>

#include "core/model/score_document.h"
#include "platform/handles.h"
#include "platform/text/logical_font.h"

namespace ql {

// One entry of the scaled music-font cache; owns its three fonts unless it is the
// head (whose fonts are the start-up fonts).
struct ScaledFontEntry {
    ScaledFontEntry* next = nullptr;
    platform::FontHandle musicFont{};
    platform::FontHandle musicFont75{};
    platform::FontHandle musicFont65{};
    double scale = 0.0;
};

// The staff size in percent is byte 4 of the staff data (0 = full size).
constexpr int kStaffSizeByte = 4;
constexpr double kPercent = 0.01;
uint8_t StaffSizePercent(const StaffRecord& staff);
void SetStaffSizePercent(StaffRecord& staff, uint8_t percent);

// truncate(base x scale) when scale is non-zero, else the base value.
int32_t ScaledValue(int32_t base, double scale);
// The view's metric set at a scale (0.0: the base values).
ScaledMetrics ComputeScaledMetrics(const ScoreView* view, double scale);

// Back to the unscaled state; the document's style fonts 4..23 are dropped when
// the scale changes.
void SetViewScale(ScoreView* view, double scale);
// Switches to the scale of a staff (1..count); 0 when a scaled set was selected.
int SelectStaffScaledFonts(ScoreView* view, int staff);
// The entry of a scale, made on demand from the template at `height`; null when a
// font cannot be made.
ScaledFontEntry* LookupScaledFonts(ScaledFontEntry* cache, const text::LogicalFont& tmpl,
                                   double scale, int32_t height);
// SetViewScale(view, 0), then deletes every scaled entry and its fonts; with
// freeHead the head entry goes too.
void ReleaseViewFonts(ScoreView* view, int freeHead);
// The same without a view (at exit).
void ReleaseDrawingGlobals(int freeHead);
// Number of scaled entries (the head not counted).
int ScaledFontEntryCount();

}  // namespace ql
