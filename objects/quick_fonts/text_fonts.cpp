// The document's default text fonts, entry fonts and font-size conversions (see
// text_fonts.h).
#include "objects/quick_fonts/text_fonts.h"

#include <cmath>
#include <cstring>

#include "core/draw/fonts.h"
#include "core/settings/program_options.h"
#include "core/units/units.h"
#include "objects/text_marks/text_entry.h"
#include "platform/text/logical_font.h"

namespace ql {
namespace {

constexpr uint8_t kOwnFontSlot = 255;
constexpr double kPointsPerInch = 72.0;
constexpr double kTwipsPerInch = 1440.0;
constexpr double kHeightUnitsPerInch = 160.0;
constexpr double kRoundingHalf = 0.5;

const DefaultFontSetting& PreferenceOf(DefaultTextFont which) {
    return Options().DefaultFonts[static_cast<int>(which)];
}

double StaffSizeInches(const ScoreDocument* document) {
    return document != nullptr ? BcdInchesToFloat(document->header.fontSizeSetting) : 0.0;
}

int32_t ToScoreUnits(const ScoreDocument* document, double value, double perInch) {
    return static_cast<int32_t>(std::lround(
        StaffSizeInches(document) * value / perInch * kHeightUnitsPerInch + kRoundingHalf));
}

}  // namespace

uint8_t CheckedQuickSlot(int slot, uint8_t fallback) {
    return slot >= 0 && slot < kScoreFontCount ? static_cast<uint8_t>(slot) : fallback;
}

void ApplyDefaultTextFont(TextObject* text, ScoreDocument* document, DefaultTextFont which) {
    if (text == nullptr || document == nullptr) return;
    const FontRef& ref = document->fontRefs[static_cast<int>(which)];
    TextObjectBody& body = text->body;
    const bool ownFace = ref.flag != 0;
    body.style = ownFace ? TextFaceIndexOf(static_cast<uint8_t>(ref.faceIndex))
                         : CheckedQuickSlot(ref.faceIndex, kDefaultTextStyle);
    body.flags = static_cast<uint16_t>(body.flags &
                                       ~(kTextOwnFont | kTextBold | kTextItalic | kTextUnderline));
    if (!ownFace) return;
    const DefaultFontSetting& setting = PreferenceOf(which);
    body.flags |= kTextOwnFont;
    if (setting.bold) body.flags |= kTextBold;
    if (setting.italic) body.flags |= kTextItalic;
    if (setting.underline) body.flags |= kTextUnderline;
    body.size = static_cast<int16_t>(setting.height);
    body.charset = static_cast<uint8_t>(setting.charset);
}

QuickFontRecord TextObjectFontRecord(const TextObject* text, const ScoreDocument* document) {
    QuickFontRecord record{};
    if (text == nullptr || document == nullptr) return record;
    if ((text->body.flags & kTextOwnFont) == 0) {
        record = document->fonts[TextStyleSlotOf(text->body.style)];
        record.handle = 0;
        return record;
    }
    std::memcpy(record.face, document->faceNames[TextFaceIndexOf(text->body.style)].name,
                sizeof record.face);
    record.face[sizeof record.face - 1] = '\0';
    record.bold = (text->body.flags & kTextBold) != 0;
    record.italic = (text->body.flags & kTextItalic) != 0;
    record.underline = (text->body.flags & kTextUnderline) != 0;
    record.slot = kOwnFontSlot;
    record.height = text->body.size;
    record.charset = text->body.charset;
    return record;
}

QuickFontRecord DefaultTextFontRecord(const ScoreDocument* document, DefaultTextFont which) {
    TextObject probe{};
    ApplyDefaultTextFont(&probe, const_cast<ScoreDocument*>(document), which);
    return TextObjectFontRecord(&probe, document);
}

platform::FontHandle CreateEntryFont(const ScoreView* view, const QuickFontRecord& record) {
    text::LogicalFont request;
    request.height = -EntryFontPixelHeight(view, record);
    request.weight = record.bold ? kStyleBoldWeight : kStyleNormalWeight;
    request.italic = record.italic;
    request.underline = record.underline;
    request.charset = record.charset;
    request.SetFace(std::string_view(record.face, strnlen(record.face, sizeof record.face)));
    return CreateFontChecked(&request);
}

int32_t PointsToScoreUnits(const ScoreDocument* document, double points) {
    return ToScoreUnits(document, points, kPointsPerInch);
}

int32_t TwipsToScoreUnits(const ScoreDocument* document, double twips) {
    return ToScoreUnits(document, twips, kTwipsPerInch);
}

}  // namespace ql
