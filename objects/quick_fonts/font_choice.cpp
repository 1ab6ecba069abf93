// The font chooser on a font record (see font_choice.h).
#include "objects/quick_fonts/font_choice.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "core/draw/fonts.h"
#include "core/units/units.h"
#include "objects/quick_fonts/text_fonts.h"

namespace ql {
namespace {

constexpr double kPointsPerInch = 72.0;
constexpr double kUnitsPerInch = 160.0;
constexpr char kChooserTitle[] = "Font";

}  // namespace

ui::ChosenFont ChosenFontOfRecord(const ScoreDocument* document, const QuickFontRecord& record) {
    ui::ChosenFont font;
    font.face.assign(record.face, strnlen(record.face, sizeof record.face));
    const int32_t units = record.height == kMusicRequestHeight ? kMusicRequestUnits : std::abs(record.height);
    const double inches = document != nullptr ? BcdInchesToFloat(document->header.fontSizeSetting) : 0.0;
    if (inches > 0.0)
        font.points = static_cast<int32_t>(std::lround(units / kUnitsPerInch / inches * kPointsPerInch));
    font.weight = record.bold ? ui::kFontDialogBoldWeight : ui::kFontDialogNormalWeight;
    font.italic = record.italic != 0;
    font.underline = record.underline != 0;
    font.charset = record.charset;
    return font;
}

bool ChooseFontInto(const ScoreDocument* document, QuickFontRecord* record) {
    if (record == nullptr) return false;
    ui::FontDialogRequest request;
    request.title = kChooserTitle;
    request.initial = ChosenFontOfRecord(document, *record);
    const ui::FontDialogAnswer answer = ui::RunFontDialog(request);
    if (answer.status != ui::FontDialogStatus::Chosen) return false;
    const ui::ChosenFont& font = answer.font;
    std::memset(record->face, 0, sizeof record->face);
    std::memcpy(record->face, font.face.data(), std::min(font.face.size(), sizeof record->face - 1));
    record->bold = font.weight >= ui::kFontDialogBoldFrom ? 1 : 0;
    record->italic = font.italic ? 1 : 0;
    record->underline = font.underline ? 1 : 0;
    record->charset = font.charset;
    const int32_t height = PointsToScoreUnits(document, font.points);
    record->height = static_cast<int16_t>(std::clamp<int32_t>(height, 1, INT16_MAX));
    return true;
}

QuickFontRecord OwnFaceRecord(const ScoreDocument* document, const TextObjectBody& body,
                              const std::string& chosenFace) {
    TextObject probe{};
    probe.body = body;
    QuickFontRecord record = TextObjectFontRecord(&probe, document);
    if (!chosenFace.empty()) {
        std::memset(record.face, 0, sizeof record.face);
        std::memcpy(record.face, chosenFace.data(), std::min(chosenFace.size(), sizeof record.face - 1));
    }
    return record;
}

uint8_t OwnFaceIndex(ScoreDocument* document, const char* face) {
    const int index = FindPortNameIndex(document, face);
    return static_cast<uint8_t>(index >= 0 && index < kFaceTableEntries ? index : 0);
}

}  // namespace ql
