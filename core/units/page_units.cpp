// Logical units of page measurements: units per inch of a staff size, the stored user
// staff size, the font size value of a staff size, and BcdInches words in the page's
// unit.
#include "core/units/page_units.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "core/model/score_document.h"
#include "core/units/paper_table.h"
#include "core/units/units.h"

namespace ql {

namespace {

constexpr double kHalf = 0.5;
constexpr double kMaxPageUnits = 2147483647.0;
constexpr double kLargestBcdNumber = 99.99;

}  // namespace

double StaffUnitsPerInch(int staffSize, BcdInches userStaffSize) {
    if (staffSize >= 0 && staffSize < kFixedStaffSizeCount) return StaffSizeUnitsPerInch[staffSize];
    return std::trunc(BcdNumber(userStaffSize) * kUnitsPerBcdUnit);
}

uint16_t BcdTimes128(BcdInches value) {
    // 99.99 x 128 stays below 2^16.
    return static_cast<uint16_t>(BcdNumber(value) * kUnitsPerBcdUnit);
}

double BcdNumber(BcdInches value) {
    char text[kBcdTextBytes] = {};
    BcdInchesToText(value, text, sizeof text);
    double number = 0.0;
    std::from_chars(text, text + std::strlen(text), number);
    return number;
}

int32_t BcdToPageUnits(const ScoreDocument& document, BcdInches value, bool nearest) {
    const PageRecord& page = document.header.pageGeometry;
    double v = BcdNumber(value) * StaffUnitsPerInch(page.staffSize, document.header.fontSizeSetting);
    if (page.unit == kPaperUnitCentimetres) v *= kInchesPerCm;
    if (nearest) v = v > 0 ? v + kHalf : v - kHalf;
    return static_cast<int32_t>(std::clamp(v, -kMaxPageUnits, kMaxPageUnits));
}

BcdInches PageUnitsToBcd(const ScoreDocument& document, int32_t units) {
    const PageRecord& page = document.header.pageGeometry;
    const double perInch = StaffUnitsPerInch(page.staffSize, document.header.fontSizeSetting);
    if (perInch <= 0) return 0;
    double v = units / perInch;
    if (page.unit == kPaperUnitCentimetres) v /= kInchesPerCm;
    char text[kBcdTextBytes] = {};
    std::snprintf(text, sizeof text, "%.2f", std::clamp(v, 0.0, kLargestBcdNumber));
    return TextToBcdInches(text);
}

int FontSizeValue(int entry, int size) {
    return static_cast<int>(std::trunc(StaffUnitsPerInch(entry, static_cast<BcdInches>(size))));
}

}  // namespace ql
