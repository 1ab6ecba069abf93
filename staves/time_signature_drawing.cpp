// Drawing a time signature at a measure slot, for the system painter: the upper
// number on the staff's fourth line and the lower one on its second (the font's
// digits are centred on their baseline), or the common/cut symbol on the middle
// line. A two-digit number puts its digits half a digit width plus 48 either side
// of the column's centre, the same room the beat map gives the column.
#include <algorithm>
#include <string_view>

#include "core/draw/draw_surface.h"
#include "core/draw/glyph_metrics.h"
#include "core/draw/painting_guard.h"
#include "core/model/engraving_metrics.h"
#include "core/model/pages.h"
#include "core/model/score_document.h"
#include "core/state.h"
#include "notes/beatmap/beat_map.h"
#include "notes/rests/staff_place.h"
#include "platform/gfx/dc.h"
#include "platform/gfx/objects.h"
#include "platform/text/text_out.h"
#include "staves/signature_drawing.h"
#include "staves/time_signature.h"

namespace ql {

namespace {

constexpr int kDigitGlyphBase = '0';
constexpr int kDecimal = 10;
constexpr int kLargestDrawnNumber = 99;
constexpr int32_t kTimeDigitGap = 48;
constexpr uint8_t kCommonTimeGlyph = 223;
constexpr uint8_t kCutTimeGlyph = 224;
// Heights above the staff's bottom line: fourth line, middle line, second line.
constexpr int32_t kUpperNumberRise = 384;
constexpr int32_t kSymbolRise = 256;
constexpr int32_t kLowerNumberRise = 128;

int32_t DigitAdvance(const ScoreDocument& document, int digit) {
    return GlyphMetricOf(document, kDigitGlyphBase + digit).advance;
}

// Width of a number drawn as one digit or a pair (as the beat map reserves it).
int32_t NumberWidth(const ScoreDocument& document, int number) {
    if (number < kDecimal) return DigitAdvance(document, number);
    const int32_t widest = std::max(DigitAdvance(document, (number / kDecimal) % kDecimal),
                                    DigitAdvance(document, number % kDecimal));
    return 2 * widest + 2 * kTimeDigitGap;
}

void Glyph(ScoreView* view, int code, int32_t x, int32_t y) {
    const char glyph = static_cast<char>(code);
    text::TextOutA(view->ViewDC, gfx::Point{x, y}, std::string_view(&glyph, 1));
}

// One number centred at x on the baseline y: one digit below 10, else the tens digit
// (1, 2 or 3 for the numbers a signature may have) and the units digit.
void DrawNumber(ScoreView* view, int number, int32_t x, int32_t y) {
    if (number < kDecimal) {
        Glyph(view, kDigitGlyphBase + number, x, y);
        return;
    }
    const int tens = number / kDecimal;
    const int units = number % kDecimal;
    const int32_t widest = std::max(DigitAdvance(*view->document, tens),
                                    DigitAdvance(*view->document, units));
    const int32_t offset = Zoomed(view, widest / 2 + kTimeDigitGap);
    Glyph(view, kDigitGlyphBase + tens, x - offset, y);
    Glyph(view, kDigitGlyphBase + units, x + offset, y);
}

}  // namespace

int32_t TimeSignatureRoom(const ScoreDocument& document, int beats, int code) {
    code = std::clamp(code, kShortestBeatCode, kWholeBeatCode);
    const int32_t numbers =
        std::max(NumberWidth(document, std::max(beats, 0)), NumberWidth(document, LowerNumberOfCode(code)));
    const bool common = beats == kCommonTimeBeats && code == kQuarterBeatCode;
    const bool cut = beats == kCutTimeBeats && code == kHalfBeatCode;
    if (!common && !cut) return numbers;
    return std::max(numbers, GlyphMetricOf(document, common ? kCommonTimeGlyph : kCutTimeGlyph).advance);
}

// The signature ends at the beat map's timeX: the time gap the beat map keeps
// beside it stands between the key signature (or whatever is before) and the
// signature, and one more after it.
int32_t TimeSignatureCentreX(ScoreView* view, const ScoreSystem* system, int slot, int beats,
                             int code) {
    if (view == nullptr || view->document == nullptr || system == nullptr) return 0;
    const int row = system->number < kBeatMapRows ? system->number : -1;
    if (row < 0) return system->x;
    const int cell = BeatMapCell(row, std::clamp(slot, 1, kLastBeatMapSlot));
    const BeatMap& map = view->beatMap;
    const int32_t room = TimeSignatureRoom(*view->document, beats, code);
    return system->x + map.slotX[cell] + map.timeX[cell] - room / 2;
}

void DrawTimeSignature(ScoreView* view, int staff, int slot, int beats, int beatCode) {
    if (view == nullptr || view->document == nullptr || view->currentSystem == nullptr) return;
    // A damaged cell may hold any byte: two digits are the most drawn.
    beats = std::clamp(beats, 0, kLargestDrawnNumber);
    beatCode = std::clamp(beatCode, kShortestBeatCode, kWholeBeatCode);
    const ScoreSystem* system = view->currentSystem;
    const uint16_t* offsets = StaffOffsetsOf(system);
    const int staffCount = view->document->header.staffCount;
    const int32_t y = system->y + (offsets != nullptr && staff >= 0 && staff <= staffCount ? offsets[staff] : 0);
    const int32_t x = TimeSignatureCentreX(view, system, slot, beats, beatCode);
    const ScopedPaintingGuard painting;
    BeginViewDraw(view);
    if (view->ViewDC && State().drawing.MusicFont) {
        const platform::FontHandle previous = gfx::SelectObject(view->ViewDC, State().drawing.MusicFont);
        const gfx::TextAlign align =
            gfx::SetTextAlign(view->ViewDC, gfx::kTextAlignBaseline | gfx::kTextAlignCentre);
        if (IsDrawnAsSymbol(beats, beatCode)) {
            Glyph(view, beats == kCommonTimeBeats ? kCommonTimeGlyph : kCutTimeGlyph, x,
                  y - Zoomed(view, kSymbolRise));
        } else {
            DrawNumber(view, beats, x, y - Zoomed(view, kUpperNumberRise));
            DrawNumber(view, LowerNumberOfCode(beatCode), x, y - Zoomed(view, kLowerNumberRise));
        }
        gfx::SetTextAlign(view->ViewDC, align);
        gfx::SelectObject(view->ViewDC, previous);
    }
    EndViewDraw(view);
}

}  // namespace ql
