// Measure numbers, brackets and braces of the staff grid.
// Numbers: a measure's number is due by the score's numbering mode (1: at a system's
// start; 2: every `interval` numbers, or every `interval` slots with basis 1; the
// scroll view always counts numbers), and always where the numbering breaks when the
// program shows changes. Brackets are a column of body characters from the group's
// bottom line up to its top line, with an end character at each end; a brace is two
// characters of a font made from the music font at a height from the group's span.
#include <algorithm>
#include <optional>
#include <string>

#include "core/constants.h"
#include "core/draw/fonts.h"
#include "core/draw/glyph_metrics.h"
#include "core/draw/ink_tag.h"
#include "core/draw/view_drawing.h"
#include "core/model/document.h"
#include "core/model/engraving_metrics.h"
#include "core/model/events.h"
#include "core/model/grid.h"
#include "core/settings/program_options.h"
#include "core/settings/setting_values.h"
#include "core/state.h"
#include "core/text/charset_text.h"
#include "core/ui/status_bar_notes.h"
#include "display/staff_groups.h"
#include "display/system_drawing.h"
#include "display/system_drawing_internal.h"
#include "layout/marks_above_staff.h"
#include "notes/accidentals/accidental.h"
#include "notes/accidentals/accidental_layout.h"
#include "notes/beatmap/beat_map.h"
#include "notes/pitch/pitch_vocabulary.h"
#include "platform/gfx/dc.h"
#include "platform/gfx/objects.h"
#include "platform/text/font.h"
#include "staves/clef_key_placement.h"
#include "staves/staff_group_bits.h"

namespace ql {

using namespace sysdraw;

namespace {

constexpr uint8_t kModeOff = 0;
constexpr uint8_t kModeSystemStart = 1;
constexpr uint8_t kModeInterval = 2;
constexpr uint8_t kBasisNumber = 0;
constexpr int32_t kNumberInset = 8;
// Between a number's baseline and the top of the clef under it: a quarter space.
constexpr int32_t kNumberClearance = kLineSpacing / 4;
constexpr uint8_t kAlignCentred = 0;
// A note head's width and a staff step, at full size; a nudge's unit.
constexpr int32_t kNoteHeadReach = 80;
constexpr int32_t kStepUnits = 64;
constexpr int32_t kNudgeUnits = 16;
constexpr int kFullStaffLines = 5;

// Single-staff group offsets: a four-line staff reaches 64 further out at both ends,
// a two-line staff 64 less.
constexpr int32_t kSingleStaffReach = 64;
constexpr int kFourLines = 4;
constexpr int kTwoLines = 2;

// Brace font: height ((half + 64) >> 5) + 3 (half + 64), widths by span.
constexpr int32_t kBraceHalfPad = 64;
constexpr int kBraceHeightShift = 5;
constexpr int32_t kBraceHeightFactor = 3;
constexpr int32_t kBraceWidth = 405;
constexpr int32_t kWideBraceWidth = 460;
constexpr int32_t kOneStaffBraceWidth = 320;
constexpr int32_t kWideBraceHalf = 1536;
constexpr int32_t kWideBraceShift = -32;
constexpr int32_t kOneStaffBraceShift = 16;

struct Extent {
    int32_t top = 0;
    int32_t bottom = 0;
};

// Top and bottom of a group's outer lines.
Extent GroupExtent(const Grid& grid, int first, int last) {
    int top = 0;
    int bottom = 0;
    const int type = StaffType(grid, first);
    if (first == last && type <= kFullStaffLines) {
        const int32_t reach = Scaled(grid.view, kSingleStaffReach);
        top = bottom = type == kFourLines ? -reach : type == kTwoLines ? reach : 0;
    } else {
        StaffLineOffsets(grid.view, first, last, &top, &bottom);
    }
    return {StaffY(grid, first) - StaffHeight(grid, first) + top, StaffY(grid, last) + bottom};
}

// The music font selected for the group's characters, restored on leaving.
class MusicFontScope {
  public:
    explicit MusicFontScope(ScoreView* view, platform::FontHandle font) : dc_(view->ViewDC) {
        previous_ = gfx::SelectObject(dc_, font);
        align_ = gfx::SetTextAlign(dc_, gfx::kTextAlignLeft | gfx::kTextAlignBaseline);
    }
    ~MusicFontScope() {
        gfx::SetTextAlign(dc_, align_);
        gfx::SelectObject(dc_, previous_);
    }
    MusicFontScope(const MusicFontScope&) = delete;
    MusicFontScope& operator=(const MusicFontScope&) = delete;

  private:
    platform::DcHandle dc_;
    platform::FontHandle previous_;
    gfx::TextAlign align_ = 0;
};

int32_t BracketX(const Grid& grid) {
    return grid.system->x - EngravingMetricOf(*grid.document, EngravingMetric::Bracket);
}

// Height of one bracket body character: its ink height in the music font.
int32_t BracketStep(const ScoreView* view) {
    constexpr int kBodyEntry = kBracketBodyGlyph - kFirstGlyphCode;
    const int32_t ink = State().drawing.GlyphTable[kBodyEntry].outline[kOutlineInkHeight];
    return std::max<int32_t>(Scaled(view, ink > 0 ? ink : kLineSpacing), 1);
}

bool HasBracketBits(const StaffRecord* record) {
    return record != nullptr &&
           (JoinsStaffAbove(*record, GroupKind::Bracket) || JoinsStaffBelow(*record, GroupKind::Bracket) ||
            IsOneStaffGroup(*record, GroupKind::Bracket));
}

bool BreaksNumbering(ScoreDocument* document, int measure, int number) {
    if (Options().MeasureNumberShowChange == 0 || measure < 2) return false;
    const MeasureRecord* previous = MeasureRecordOf(document, measure - 1);
    if (previous == nullptr) return false;
    const int runOn = previous->number + previous->extra;
    return runOn != number - 1 || (runOn == 0 && measure > 2);
}

// The quick font of the number's class, or the document's own measure-number face
// (made once and kept) at the height and in the style of the measure-number quick
// font: the class then names the face's table entry, not a quick font.
platform::FontHandle NumberFont(ScoreView* view) {
    ScoreDocument* document = view->document;
    PageRecord& settings = document->header.pageGeometry;
    if (settings.measureNumberIsWindowsFont == 0) {
        const int index = std::min<int>(settings.measureNumberFontClass, kScoreFontCount - 1);
        const uint32_t cached = document->fonts[index].handle;
        return cached != 0 ? platform::FontHandle{cached} : CreateTextStyleFont(view, index);
    }
    if (text::FindFont(platform::FontHandle{settings.measureNumberFont}) == nullptr) {
        QuickFontRecord record = document->fonts[kMeasureNumberQuickSlot];
        std::copy(std::begin(settings.numberFaceName), std::end(settings.numberFaceName), record.face);
        record.face[sizeof record.face - 1] = '\0';
        record.handle = 0;
        settings.measureNumberFont = CreateTextStyleFont2(view, &record).bits;
    }
    return platform::FontHandle{settings.measureNumberFont};
}

// The program's own measure-number font, for a score whose number style gives none
// (a style left unused): drawn in the font the context holds, the music font, the
// digits would come out as a time signature's, centred on the number's baseline.
// The caller deletes it.
platform::FontHandle BuiltInNumberFont(ScoreView* view) {
    const std::optional<QuickFontRecord> record =
        ParseQuickFont(BuiltInQuickFont(kMeasureNumberQuickSlot), kMeasureNumberQuickSlot);
    return record ? CreateStyleRecordFont(view, *record, true) : platform::FontHandle{};
}

}  // namespace

bool IsMeasureNumberDue(ScoreView* view, int slot) {
    Grid grid;
    return OpenGrid(view, &grid) && IsMeasureNumberDueIn(grid.document, grid.system, slot, view->pageView);
}

bool IsMeasureNumberDueIn(ScoreDocument* document, const ScoreSystem* system, int slot, bool pageView) {
    if (document == nullptr || system == nullptr || State().display.MeasureNumbersSuppressed != 0) return false;
    const int measure = system->firstMeasure + slot - 1;
    const MeasureRecord* record = MeasureRecordOf(document, measure);
    if (record == nullptr || (record->numberFlags & kMeasureNumberHidden) != 0 || measure > system->lastMeasure ||
        record->number < 1)
        return false;
    const PageRecord& settings = document->header.pageGeometry;
    uint8_t mode = settings.measureNumberStyle;
    uint8_t basis = settings.measureNumberIsManMeasure;
    if (!pageView) {
        mode = kModeInterval;
        basis = kBasisNumber;
    }
    if (mode == kModeOff) return false;
    if (BreaksNumbering(document, measure, record->number)) return true;
    if (mode == kModeSystemStart) return slot == 1;
    const int interval = settings.measureNumberEvery;
    if (mode != kModeInterval || interval == 0) return false;
    return (basis == kBasisNumber ? record->number : slot) % interval == 0;
}

namespace {

// At a system's start the number stands clear above the clef that opens the
// staff (a treble clef rises above the top line, where the number would be).
int32_t AboveStartClef(const Grid& grid, int staff, int32_t baseline) {
    if ((SystemStaffFlags(grid, staff) & kSystemStaffNoClef) != 0) return baseline;
    const int clefCode = SignsOf(grid, staff, grid.system->firstMeasure).clef;
    const PlacedClef clef = PlaceClefAtSystemStart(grid.view, staff, 1, clefCode);
    if (!clef.found || clef.at.glyph < kFirstGlyphCode || clef.at.glyph > kLastGlyphCode) return baseline;
    const GlyphMetricEntry& entry = State().drawing.GlyphTable[clef.at.glyph - kFirstGlyphCode];
    if (entry.inkFlag != kGlyphHasInk) return baseline;
    const int32_t clefTop = clef.at.y - Scaled(grid.view, entry.outline[kOutlineInkTop]);
    return std::min(baseline, clefTop - Scaled(grid.view, kNumberClearance));
}

// The top of the accidental drawn before the note at `x`, `y` when the sign comes
// within a space of the number's ink between `left` and `right` (a sign rises higher
// than its head and stands before it, under a number the head misses; the space
// takes in the wider heads of whole notes and breves, whose signs stand further out).
std::optional<int32_t> AccidentalTopUnder(const Grid& grid, const EventRecord& e, int32_t x, int32_t y,
                                          int32_t left, int32_t right) {
    const int bits = NoteAccidentalBits(e);
    if (bits == CodeOf(AccidentalCode::None) || bits > kLastAccidentalCode) return std::nullopt;
    const ScoreObject* sign = e.attachment ? AccidentalOfNote(e) : nullptr;
    if (sign != nullptr && IsAccidentalHidden(sign)) return std::nullopt;
    const int32_t offset = sign != nullptr ? AccidentalOffset(sign)
                                           : -EngravingMetricOf(*grid.document, EngravingMetric::Accident);
    const GlyphMetricEntry glyph = GlyphMetricOf(*grid.document, kAccidentalGlyphBase + bits);
    const int32_t margin = Scaled(grid.view, kLineSpacing);
    const int32_t signLeft = x + Scaled(grid.view, offset);
    if (signLeft + Scaled(grid.view, glyph.advance) + margin < left || signLeft - margin > right) return std::nullopt;
    return y - Scaled(grid.view, glyph.outline[kOutlineInkTop]);
}

// Over the notes of its measure the number stands clear of their heads, ledger lines,
// accidentals and the stems that rise: its baseline a quarter space above the highest
// ink of the notes within a head and a space of it either side, and of the signs
// under it. The notes of the staves below count too, for they may rise past the
// number's staff.
int32_t AboveNotes(const Grid& grid, int staff, int slot, int32_t left, int32_t right, int32_t baseline) {
    ScoreView* view = grid.view;
    const int32_t head = Scaled(view, kNoteHeadReach);
    const int32_t space = Scaled(view, kLineSpacing);
    const int32_t zero = MeasureSlotX(view, grid.system, slot);
    const int measure = MeasureOfSlot(grid, slot);
    for (int below = staff; below <= grid.staffCount; ++below) {
        MeasureCell* cell = IsShown(grid, below) ? ExistingMeasureCell(grid.document, below, measure) : nullptr;
        if (cell == nullptr) continue;
        const int32_t bottom = StaffY(grid, below);
        for (int voice = 0; voice < kVoiceCount; ++voice) {
            EventRecord* e = GetVoiceFirstEvent(cell, voice);
            for (int walked = 0; e != nullptr && walked < kMaxChainLength; e = NextEvent(e), ++walked) {
                if (IsHeadSentinel(*e)) continue;
                const int32_t x = zero + SlotTickToX(view, grid.system, slot, e->time) + e->nudge * kNudgeUnits;
                const int32_t y = bottom + Scaled(view, static_cast<int8_t>(e->step) * kStepUnits);
                if (const std::optional<int32_t> sign = AccidentalTopUnder(grid, *e, x, y, left, right))
                    baseline = std::min(baseline, *sign - Scaled(view, kNumberClearance));
                if (x + head + space < left || x - head - space > right) continue;
                const int32_t top =
                    std::min(y - head / 2, e->stemLength < 0 ? y + Scaled(view, e->stemLength) : y);
                baseline = std::min(baseline, top - Scaled(view, kNumberClearance));
            }
        }
    }
    return baseline;
}

// The number also stands clear above the lines and curves of the staff (octave
// lines, brackets, endings, slurs, hairpins) that pass within a head and a space of
// it (a line's label stands before its start), and their labels.
int32_t AboveLines(const Grid& grid, int staff, int32_t left, int32_t right, int32_t baseline) {
    ScoreView* view = grid.view;
    const int32_t near = Scaled(view, kNoteHeadReach + kLineSpacing);
    const TimeX xOf = [&](int measure, int tick, int offset) {
        const int slot = measure - grid.system->firstMeasure + 1;
        return int64_t{MeasureSlotX(view, grid.system, slot)} + SlotTickToX(view, grid.system, slot, tick) +
               Scaled(view, offset);
    };
    const int64_t top = LinesTopOver(view, grid.system, staff, left - near, right + near, 1.0, xOf);
    if (top >= 0) return baseline;
    const int64_t lifted = StaffY(grid, staff) + Scaled(view, static_cast<int32_t>(top)) - Scaled(view, kNumberClearance);
    return static_cast<int32_t>(std::min<int64_t>(baseline, lifted));
}

}  // namespace

void DrawMeasureNumber(ScoreView* view, int staff, int slot, int number) {
    const InkStageScope stage(InkStage::MeasureNumber);
    Grid grid;
    if (!OpenGrid(view, &grid) || !view->ViewDC) return;
    const PageRecord& settings = grid.document->header.pageGeometry;
    platform::FontHandle font = NumberFont(view);
    const platform::FontHandle own = font ? platform::FontHandle{} : BuiltInNumberFont(view);
    if (own) font = own;
    const platform::FontHandle previous = gfx::SelectObject(view->ViewDC, font);
    const gfx::TextAlign horizontal =
        settings.measureNumberAlign == kAlignCentred ? gfx::kTextAlignCentre : gfx::kTextAlignLeft;
    const gfx::TextAlign saved = gfx::SetTextAlign(view->ViewDC, horizontal | gfx::kTextAlignBaseline);
    int top = 0;
    if (StaffType(grid, staff) > kFullStaffLines) StaffLineOffsets(view, staff, staff, &top, nullptr);
    const int32_t x = SlotLeftX(grid, slot) + settings.measureNumberOffsetX + kNumberInset;
    int32_t y = StaffY(grid, staff) - Scaled(view, settings.measureNumberOffsetY) - StaffHeight(grid, staff) + top;
    if (slot == 1) y = AboveStartClef(grid, staff, y);
    const std::string text = std::to_string(number);
    gfx::Size extent;
    if (TextExtentOfFont(view->ViewDC, text.data(), static_cast<int>(text.size()), &extent)) {
        const int32_t left = horizontal == gfx::kTextAlignCentre ? x - extent.cx / 2 : x;
        y = AboveNotes(grid, staff, slot, left, left + extent.cx, y);
        y = AboveLines(grid, staff, left, left + extent.cx, y);
    }
    InkNumber(view, x, y, text, number);
    gfx::SetTextAlign(view->ViewDC, saved);
    gfx::SelectObject(view->ViewDC, previous);
    if (own) text::DeleteFont(own);
}

void MeasureNumberDue(ScoreView* view, int staff, int slot) {
    if (!IsMeasureNumberDue(view, slot)) return;
    const MeasureRecord* record =
        MeasureRecordOf(view->document, view->currentSystem->firstMeasure + slot - 1);
    if (record != nullptr) DrawMeasureNumber(view, staff, slot, record->number);
}

void DrawBracketBody(ScoreView* view, int firstStaff, int lastStaff) {
    Grid grid;
    if (!OpenGrid(view, &grid) || !view->ViewDC) return;
    const Extent extent = GroupExtent(grid, firstStaff, lastStaff);
    const int32_t step = BracketStep(view);
    const int32_t x = BracketX(grid);
    const int32_t limit = extent.top + step;
    const MusicFontScope font(view, State().drawing.MusicFont);
    int32_t y = extent.bottom;
    for (; y > limit; y -= step) InkGlyph(view, kBracketBodyGlyph, x, y);
    InkGlyph(view, kBracketBodyGlyph, x, limit);
}

void DrawBracketEnd(ScoreView* view, int firstStaff, int lastStaff, bool top) {
    Grid grid;
    if (!OpenGrid(view, &grid) || !view->ViewDC) return;
    const Extent extent = GroupExtent(grid, firstStaff, lastStaff);
    const MusicFontScope font(view, State().drawing.MusicFont);
    InkGlyph(view, top ? kBracketTopGlyph : kBracketBottomGlyph, BracketX(grid),
             top ? extent.top : extent.bottom);
}

void DrawBrace(ScoreView* view, int firstStaff, int lastStaff) {
    Grid grid;
    if (!OpenGrid(view, &grid) || !view->ViewDC) return;
    const Extent extent = GroupExtent(grid, firstStaff, lastStaff);
    const int32_t half = (extent.bottom - extent.top) / 2;
    if (half <= 0) return;
    int32_t x = grid.system->x - EngravingMetricOf(*grid.document, EngravingMetric::Brace);
    if (HasBracketBits(StaffOf(grid, firstStaff)) || HasBracketBits(StaffOf(grid, lastStaff)))
        x -= EngravingMetricOf(*grid.document, EngravingMetric::Bracket);
    text::LogicalFont request = State().drawing.MusicFontTemplate;
    request.height = ((half + kBraceHalfPad) >> kBraceHeightShift) + kBraceHeightFactor * (half + kBraceHalfPad);
    request.weight = text::kWeightNormal;
    request.width = kBraceWidth;
    const StaffRecord* first = StaffOf(grid, firstStaff);
    if (firstStaff == lastStaff || (first != nullptr && IsOneStaffGroup(*first, GroupKind::Brace))) {
        request.width = kOneStaffBraceWidth;
        x += kOneStaffBraceShift;
    } else if (half > kWideBraceHalf) {
        request.width = kWideBraceWidth;
        x += kWideBraceShift;
    }
    const platform::FontHandle brace = text::CreateFontIndirect(request);
    if (!brace) return;
    {
        const MusicFontScope font(view, brace);
        InkGlyph(view, kBraceUpperGlyph, x, extent.top + half);
        InkGlyph(view, kBraceLowerGlyph, x, extent.top + half);
    }
    text::DeleteFont(brace);
}

}  // namespace ql
