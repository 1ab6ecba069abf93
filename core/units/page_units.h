// Logical units of page measurements: units per inch of a staff size, the stored
// user staff size, the font size value of a staff size, and BcdInches words in the
// page's unit.
//
// Logical units are 128 to the staff space; a staff size fixes how many make an inch
// (the table of core/units/paper_table.h, or trunc(user staff size x 128)). A page
// measurement is read as the number its four digits write ("8.50"), times the units
// per inch, times 0.3937 when the page measures in centimetres.
#pragma once

#include <cstdint>

#include "core/units/units.h"

namespace ql {

struct ScoreDocument;

// Units per inch of a staff size: sizes 0..9 from the table, any other the user staff
// size (a BcdInches word in staff spaces per inch) x 128, truncated.
double StaffUnitsPerInch(int staffSize, BcdInches userStaffSize);
// A BcdInches value as a number, x 128, truncated (the stored user staff size).
uint16_t BcdTimes128(BcdInches value);
// A BcdInches word read as the number it writes (four digits, two decimals).
double BcdNumber(BcdInches value);
// Logical units of a measurement in the document's page unit and staff size: to the
// nearest unit (halves away from zero) with `nearest`, else truncated.
int32_t BcdToPageUnits(const ScoreDocument& document, BcdInches value, bool nearest);
// The other way: logical units as a measurement in the page's unit (0 to 99.99).
BcdInches PageUnitsToBcd(const ScoreDocument& document, int32_t units);

// The font size value of a staff size: the logical units per inch of a staff-size
// table entry (sizes 0..9) or of the user staff size, truncated.
int FontSizeValue(int entry, int size);

}  // namespace ql
