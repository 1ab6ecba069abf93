// Drawing an Accidental: a hidden or parenthesised sign is drawn as a text object
// (its display text, "(" glyph ")" when parenthesised, at the sign's place); any
// other sign as the glyph 217 + the note's code, centred on the sign's place, in the
// music font of the note's size. The sign's place is the note's x (slot, tick and the
// note's nudge) plus its offset, zoomed and scaled for small notes, on the note's y.
// A hidden sign is drawn only while "Display Hidden Items" is on, never on paper.
// Its handle is the glyph box from the document's glyph table, shrunk by an eighth.
#include <algorithm>
#include <string>

#include "core/constants.h"
#include "core/draw/draw_surface.h"
#include "core/draw/fonts.h"
#include "core/draw/glyph_metrics.h"
#include "core/draw/painting_guard.h"
#include "core/model/events.h"
#include "core/model/score_document.h"
#include "core/objects/hit_record.h"
#include "core/state.h"
#include "notes/accidentals/accidental.h"
#include "notes/accidentals/accidental_internal.h"
#include "notes/beatmap/beat_map.h"
#include "notes/pitch/pitch_vocabulary.h"
#include "notes/rests/staff_place.h"
#include "platform/gfx/dc.h"
#include "platform/gfx/draw.h"
#include "platform/gfx/objects.h"
#include "platform/text/text_out.h"

namespace ql {

namespace accidentals {

namespace {

constexpr uint16_t kNoteHeadHidden = 0x1000;  // word2 bit 12
constexpr int kNudgeUnit = 16;
constexpr int kPetiteClass = 1;
constexpr int kGraceClass = 2;
constexpr int kShrinkDivisor = 8;  // the handle is the glyph box less an eighth each side
constexpr int kGraceStyle = 1;
constexpr int kPetiteStyle = 2;

bool ShowsHidden() {
    return State().notes.DisplayHiddenItems != 0 && !IsPrinting();
}

// An offset scaled as small heads are.
int32_t SmallNoteScaled(int32_t v, int sizeClass) {
    if (sizeClass == kPetiteClass) return static_cast<int32_t>(v * kMusicFont75Fraction);
    if (sizeClass == kGraceClass) return static_cast<int32_t>(v * kMusicFont65Fraction);
    return v;
}

void GlyphOut(platform::DcHandle dc, const std::string& text, LogicalPoint at) {
    text::TextOutA(dc, gfx::Point{at.x, at.y}, text);
}

// The handle box of the sign: the glyph box of its display text from the document's
// table, scaled like the sign, shrunk by an eighth of its width and height each side.
RecordRect SignBox(ScoreView* view, ScoreObject* object, const EventRecord& note) {
    const LogicalPoint at = SignPoint(view, object, note);
    const int glyph = AccidentalGlyph(object) != 0 ? AccidentalGlyph(object)
                                                    : AccidentalGlyphOfCode(NoteAccidentalCode(note));
    const GlyphMetricEntry entry = GlyphMetricOf(*view->document, glyph);
    int32_t width = entry.advance;
    if (AccidentalParentheses(object) != 0)
        width += GlyphMetricOf(*view->document, '(').advance + GlyphMetricOf(*view->document, ')').advance;
    const int size = SizeClassOfNote(note);
    width = SmallNoteScaled(Zoomed(view, width), size);
    const int32_t top = SmallNoteScaled(Zoomed(view, entry.outline[kOutlineInkTop]), size);
    const int32_t bottom = SmallNoteScaled(Zoomed(view, entry.outline[kOutlineInkBottom]), size);
    RecordRect box{at.x - width / 2, at.y - top, at.x + width - width / 2, at.y - bottom};
    const int32_t shrinkX = (box.right - box.left) / kShrinkDivisor;
    const int32_t shrinkY = (box.bottom - box.top) / kShrinkDivisor;
    return RecordRect{box.left + shrinkX, box.top + shrinkY, box.right - shrinkX, box.bottom - shrinkY};
}

}  // namespace

platform::FontHandle SignFontOfSize(int sizeClass) {
    const DrawingGlobals& drawing = State().drawing;
    if (sizeClass == 0) return drawing.MusicFont;
    if (sizeClass == kPetiteClass) return drawing.MusicFont75;
    if (sizeClass == kGraceClass) return drawing.MusicFont65;
    return {};
}

platform::FontHandle SignFontOfStyle(int style) {
    if (style == kGraceStyle) return SignFontOfSize(kGraceClass);
    if (style == kPetiteStyle) return SignFontOfSize(kPetiteClass);
    return SignFontOfSize(0);
}

LogicalPoint SignPoint(ScoreView* view, const ScoreObject* accidental, const EventRecord& note) {
    const int32_t offset = SmallNoteScaled(Zoomed(view, AccidentalOffset(accidental)), SizeClassOfNote(note));
    const int32_t x = CurrentSlotX(view) + BeatMapTickToX(view, note.time) + note.nudge * kNudgeUnit + offset;
    return LogicalPoint{x, PositionY(view, NotePosition(note))};
}

void AccidentalClass::DrawString(ScoreObject* object, ScoreView* view, platform::DcHandle dc) const {
    const EventRecord* note = OwnerNoteOfSign(object);
    const platform::FontHandle font = SignFontOfStyle(AccidentalStyle(object));
    if (!dc || !font || note == nullptr || view == nullptr) return;
    const platform::FontHandle previous = gfx::SelectObject(dc, font);
    const gfx::TextAlign align = gfx::SetTextAlign(dc, gfx::kTextAlignBaseline | gfx::kTextAlignCentre);
    GlyphOut(dc, GetDisplayText(object, view), SignPoint(view, object, *note));
    gfx::SetTextAlign(dc, align);
    gfx::SelectObject(dc, previous);
}

void AccidentalClass::Draw(ScoreObject* object, ScoreView* view) const {
    if (view == nullptr || view->document == nullptr) return;
    const ScopedPaintingGuard painting;
    const bool hidden = IsAccidentalHidden(object);
    if (hidden && !ShowsHidden()) return;
    if (hidden || AccidentalParentheses(object) != 0) {
        TextObjectClass::Draw(object, view);
        return;
    }
    const EventRecord* note = OwnerNoteOfSign(object);
    if (note == nullptr) return;
    if ((note->word2 & kNoteHeadHidden) != 0 && !ShowsHidden()) return;
    const int glyph = AccidentalGlyphOfCode(NoteAccidentalCode(*note));
    const platform::FontHandle font = SignFontOfSize(SizeClassOfNote(*note));
    if (glyph == 0 || !font) return;
    BeginViewDraw(view);
    if (platform::DcHandle dc = view->ViewDC) {
        const platform::FontHandle previous = gfx::SelectObject(dc, font);
        const gfx::TextAlign align = gfx::SetTextAlign(dc, gfx::kTextAlignBaseline | gfx::kTextAlignCentre);
        GlyphOut(dc, std::string(1, static_cast<char>(glyph)), SignPoint(view, object, *note));
        gfx::SetTextAlign(dc, align);
        gfx::SelectObject(dc, previous);
    }
    EndViewDraw(view);
}

HitRecord* AccidentalClass::BuildHandles(ScoreObject* object, ScoreView* view) const {
    const EventRecord* note = OwnerNoteOfSign(object);
    if (view == nullptr || view->document == nullptr || note == nullptr) return nullptr;
    auto* hit = static_cast<HitRecord*>(AllocStaticRecord(kHitRecordPool));
    if (hit == nullptr) return nullptr;
    RecordRect box = SignBox(view, object, *note);
    if (IsAccidentalHidden(object) && State().notes.DisplayHiddenItems == 0) {
        const LogicalPoint at = SignPoint(view, object, *note);
        box = RecordRect{at.x, at.y, at.x, at.y};
    }
    ConstructHitRecordFlagged(hit, view, object->type, box);
    hit->owner = Ref32<ScoreObject>::To(object);
    hit->ownerType = object->type;
    return hit;
}

}  // namespace accidentals

void DrawStaffLinesAt(ScoreView* view, int32_t x) {
    constexpr int kStaffLinesHeads = 3;  // three heads wide
    if (view == nullptr || view->document == nullptr) return;
    const StaffOuterLines lines = OuterLinesOf(view);
    const int32_t width = kStaffLinesHeads * view->glyphWidths.black;
    BeginViewDraw(view);
    if (platform::DcHandle dc = view->ViewDC) {
        for (int position = lines.bottom; position >= lines.top; position -= 2) {
            const int32_t y = PositionY(view, position);
            gfx::MoveTo(dc, gfx::Point{x, y});
            gfx::LineTo(dc, gfx::Point{x + width, y});
        }
    }
    EndViewDraw(view);
}

}  // namespace ql
