// The offset fields of the Measure Numbers dialog: offsets are held in 128ths of
// a staff space and shown as "%d.%s" with a three-digit fraction (128 shows as
// "1.000", -64 as "-0.500"). Typed text is read back the same way, strictly:
// what is not such a number leaves the old offset; numbers past the range clamp.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace ql {

// The largest offset either way (255.992 staff spaces).
constexpr int32_t kMaxMeasureNumberOffset = 32767;

std::string FormatMeasureNumberOffset(int32_t offset);
// [blanks][-]digits[.digits][blanks], or [-].digits; fraction digits past the
// third are read for rounding only. Anything else gives `old`.
int32_t ParseMeasureNumberOffset(std::string_view text, int32_t old);

}  // namespace ql
