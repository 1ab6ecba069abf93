// The glyph metric table of the music font: for every code 32..255 its advance,
// half advance and twelve outline values, measured once per run with the font at
// one design unit per device unit and scaled to an em of 512; every document keeps
// a copy that spacing and hit testing read instead of asking the device. When the
// font reports no em square the table cannot be scaled: the previous table is
// kept (zeros on a first build) and the failure is reported once.
#pragma once

#include <cstdint>

#include "core/model/score_document.h"
#include "core/draw/view_drawing.h"
#include "platform/handles.h"

namespace ql {

enum class GlyphTableStatus : uint8_t {
    Built = 0,       // measured now and copied into the document
    Copied = 1,      // measured earlier in this run, copied into the document
    NoSurface = 2,   // no context could be had; the document's table is unchanged
    NoEmSquare = 3,  // the font has no outline metrics; the previous table is copied
};

// The outline values, advance and half advance of one code in the font of the
// context, in its logical units. False when the context does not resolve.
bool MeasureGlyph(platform::DcHandle dc, uint32_t code, GlyphMetricEntry* out);
// Builds the table (first call of the run) and copies it into the view's document.
GlyphTableStatus BuildGlyphMetrics(ScoreView* view);
// The entry of a code in a document's table (a zero entry outside 32..255).
GlyphMetricEntry GlyphMetricOf(const ScoreDocument& document, int code);

}  // namespace ql
