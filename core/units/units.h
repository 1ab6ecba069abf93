// Measurement words and unit conversions (module UNITS).
//
// Page distances are 16-bit binary-coded decimal words (`BcdInches`, four digits,
// most significant nibble first) read in two forms: the distance form dd.dd (page
// sizes, margins, the user staff size; inches or centimetres) and the fine form
// d.ddd (values in staff spaces). Conversions go through text the way the dialogs
// show it: value -> "%2.4g" -> parsed back, which truncates to two (or three)
// decimals. Formatting and parsing never depend on the process locale; the parsers
// accept '.' and ',' as the decimal separator.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/gfx/types.h"

namespace ql {

struct ScoreDocument;

using BcdInches = uint16_t;

// Room for the text of either form ("12.25", "0.500") and its terminator.
constexpr size_t kBcdTextBytes = 8;
// Logical units in one unit of a measurement word (value x 128).
constexpr int kUnitsPerBcdUnit = 128;
constexpr double kCmPerInch = 2.54;
constexpr double kInchesPerCm = 0.3937;
// Added before formatting so that the parse-back truncation rounds to 1/100.
constexpr double kBcdRoundingBias = 0.005;
// The largest distance-form word: 99.99.
constexpr BcdInches kMaxBcdDistance = 0x9999;

// ---- Distance form dd.dd ----

// "8.50", "12.25": the first digit left out when it is 0.
void BcdInchesToText(BcdInches word, char* buffer, size_t size);
// Parses the distance form; an empty text gives 0, values of 100 or more lose their
// leading digits, characters other than digits count as 0.
BcdInches TextToBcdInches(const char* text);
double BcdInchesToFloat(BcdInches word);
// value + 0.005 as a distance-form word.
BcdInches FormatFloatG(double value);
// Logical units (128 to the unit) as a distance-form word.
BcdInches UnitsToBcdInches(int32_t units);
// Inches to centimetres; a result of 100 cm or more is clamped to 99.99 with a
// beep and "Invalid value" in the status bar.
BcdInches BcdInchesToCm(BcdInches word);
BcdInches BcdCmToInches(BcdInches word);
// The same for a record of four words held in the low halves of 32-bit fields;
// the upper halves become 0.
void BcdRecordInchesToCm(uint32_t record[4]);
void BcdRecordCmToInches(uint32_t record[4]);

// ---- Fine form d.ddd ----

// "0.500": always one digit, a point and three digits.
void BcdFineToText(BcdInches word, char* buffer, size_t size);
BcdInches ParseDecimalText(const char* text);
// The fine form's value x 128, truncated.
int32_t PointsToUnits(BcdInches word);
// The smallest fine-form word that PointsToUnits reads back as `units`.
BcdInches UnitsToBcdFine(int32_t units);

// ---- In the document's units ----

// Logical units per inch of the document's staff-size preset.
double UnitsPerInch(const ScoreDocument& document);
// True when the document measures in centimetres.
bool DocumentUsesCentimetres(const ScoreDocument& document);
// A logical distance as a distance-form word in the document's unit.
BcdInches FormatUnitsValue(const ScoreDocument& document, int32_t distance);
// Four distance-form words (left, top, right, bottom in the low halves of 32-bit
// fields) as a logical rectangle: left, right and bottom rounded half away from
// zero, top truncated toward zero.
void ConvertMeasureUnits(const ScoreDocument& document, gfx::Rect* rectangle,
                         const uint32_t words[4]);

}  // namespace ql
