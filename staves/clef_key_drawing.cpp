// Drawing the clefs and key signatures placed by clef_key_placement.h: music-font
// glyphs on the view's surface, in the font and alignment each sign needs, both
// restored afterwards. A TAB staff's clef is the letters T, A and B stacked, in a
// heavy sans face made for the call and deleted after it.
#include <algorithm>
#include <string_view>

#include "core/draw/painting_guard.h"
#include "core/model/document.h"
#include "core/model/engraving_metrics.h"
#include "core/model/grid.h"
#include "core/model/signature_fields.h"
#include "core/objects/score_object.h"
#include "core/model/score_document.h"
#include "core/state.h"
#include "notes/pitch/pitch_vocabulary.h"
#include "notes/rests/staff_place.h"
#include "platform/gfx/dc.h"
#include "platform/gfx/objects.h"
#include "platform/text/font.h"
#include "platform/text/logical_font.h"
#include "platform/text/text_out.h"
#include "staves/clef_key_placement.h"
#include "staves/signature_drawing.h"

namespace ql {

namespace {

// TAB letters: cell height = (lines - 1, at least 3) staff spaces / 3; the A stands
// kTabLetterDrop below the staff's middle.
constexpr int kTabFewestSpaces = 3;
constexpr int32_t kStaffSpace = 2 * kUnitsPerStep;
constexpr int kTabLetterDivisor = 3;
constexpr int32_t kTabLetterDrop = 8;
constexpr char kTabFace[] = "Arial";
constexpr int kFullStaffLines = 5;

void GlyphOut(ScoreView* view, uint8_t glyph, int32_t x, int32_t y) {
    const char text = static_cast<char>(glyph);
    text::TextOutA(view->ViewDC, gfx::Point{x, y}, std::string_view(&text, 1));
}

// Runs `draw` with a font and an alignment selected, both restored after.
template <typename Draw>
void WithFont(ScoreView* view, platform::FontHandle font, gfx::TextAlign align, Draw draw) {
    if (view == nullptr || !view->ViewDC || !font) return;
    const ScopedPaintingGuard painting;
    const platform::FontHandle previousFont = gfx::SelectObject(view->ViewDC, font);
    const gfx::TextAlign previousAlign = gfx::SetTextAlign(view->ViewDC, align);
    draw();
    gfx::SetTextAlign(view->ViewDC, previousAlign);
    gfx::SelectObject(view->ViewDC, previousFont);
}

// The TAB sign centred at x, A at the middle of the staff whose bottom line the
// placed clef's y is on.
void DrawTabSign(ScoreView* view, int staff, int32_t x, int32_t bottomY) {
    const StaffRecord* record = StaffRecordOf(view->document, staff);
    const int lines = record != nullptr ? StaffLineCount(*record) : kFullStaffLines;
    const int spaces = std::max(lines - 1, kTabFewestSpaces);
    const int32_t height = std::max(Zoomed(view, spaces * kStaffSpace / kTabLetterDivisor), 1);
    text::LogicalFont request;
    request.height = height;
    request.weight = text::kWeightHeavy;
    request.SetFace(kTabFace);
    const platform::FontHandle font = text::CreateFontIndirect(request);
    if (!font) return;
    const int32_t middle = bottomY - Zoomed(view, (std::max(lines, 1) - 1) * kUnitsPerStep);
    const int32_t aTop = middle - height / 2 + Zoomed(view, kTabLetterDrop);
    WithFont(view, font, gfx::kTextAlignTop | gfx::kTextAlignCentre, [&] {
        GlyphOut(view, 'T', x, aTop - height);
        GlyphOut(view, 'A', x, aTop);
        GlyphOut(view, 'B', x, aTop + height);
    });
    text::DeleteFont(font);
}

void DrawPlacedClef(ScoreView* view, int staff, const PlacedClef& clef) {
    if (!clef.found) return;
    if (clef.at.glyph == 0) {
        DrawTabSign(view, staff, clef.at.x, clef.bottomY);
        return;
    }
    platform::FontHandle font = State().drawing.MusicFont;
    if (clef.sizeClass != 0 && State().drawing.MusicFont75) font = State().drawing.MusicFont75;
    WithFont(view, font, gfx::kTextAlignBaseline | gfx::kTextAlignCentre,
             [&] { GlyphOut(view, clef.at.glyph, clef.at.x, clef.at.y); });
}

}  // namespace

void DrawClefForStaff(ScoreView* view, int staff, int slot, int clef) {
    DrawPlacedClef(view, staff, PlaceClefAtSystemStart(view, staff, slot, clef));
}

void DrawStaffStartSymbols(ScoreView* view, int staff, int slot, int clef) {
    DrawPlacedClef(view, staff, PlaceClefChange(view, staff, slot, clef));
}

void DrawKeySignatureAtSystemStart(ScoreView* view, int staff, int slot, int key,
                                   int previousKeyPlusOne) {
    const PlacedKeyRow row = PlaceKeySignature(view, staff, slot, key, previousKeyPlusOne);
    if (row.count == 0) return;
    WithFont(view, State().drawing.MusicFont, gfx::kTextAlignBaseline | gfx::kTextAlignLeft, [&] {
        for (int i = 0; i < row.count; ++i)
            GlyphOut(view, row.glyphs[i].glyph, row.glyphs[i].x, row.glyphs[i].y);
    });
}

void DrawKeyAccidentals(ScoreObject* key, ScoreView* view, int32_t x, int32_t y) {
    if (key == nullptr || view == nullptr || view->document == nullptr) return;
    ScoreDocument* document = view->document;
    const MeasureCell* cell = document->header.staffCount > 0 ? view->currentCell : nullptr;
    int clef = cell != nullptr ? CellClef(*cell) : CodeOf(ClefKind::Treble);
    int previous = kNoPreviousKey;
    const bool atOrigin = x == 0 && y == 0;
    if (cell != nullptr && !atOrigin && key->subtype == SubtypeCode(ObjectSubtype::MeasureTimeList)) {
        const int tick = SignatureTickOfObject(key);
        previous = KeySignatureAtTick(cell, tick);
        // The clef in force at the key's tick, a clef change at that very tick included
        // (it stands before the key).
        clef = ClefAtTick(cell, tick + 1);
    }
    const PlacedKeyObject row = PlaceKeyAccidentals(EngravingMetricOf(*document, EngravingMetric::Keysym), clef,
                                                    KeyCodeOfObject(key), previous, x, y);
    if (row.count == 0) return;
    WithFont(view, State().drawing.MusicFont, gfx::kTextAlignBaseline | gfx::kTextAlignLeft, [&] {
        for (int i = 0; i < row.count; ++i) GlyphOut(view, row.glyphs[i].glyph, row.glyphs[i].x, row.glyphs[i].y);
    });
}

}  // namespace ql
