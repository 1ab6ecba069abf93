// Dialog fields holding measurement words (module UNITS): the distance form and the
// fine form written to and read from edit controls. Reads take at most 8
// characters of the field, as typed, with '.' or ',' as the decimal separator.
#pragma once

#include <cstdint>

#include "core/units/units.h"
#include "platform/handles.h"

namespace ql {

// Characters of a field that a read takes into account.
constexpr int kBcdFieldChars = 8;

// A word read from a field and its value x 128, truncated.
struct BcdFieldValue {
    BcdInches word = 0;
    int32_t units = 0;
};

// Distance form dd.dd.
bool SetDlgItemBcd(platform::WindowHandle dialog, int32_t control, BcdInches word);
BcdInches GetDlgItemBcd(platform::WindowHandle dialog, int32_t control);
BcdFieldValue GetDlgItemBcdWithUnits(platform::WindowHandle dialog, int32_t control);

// Fine form d.ddd.
bool SetDlgItemBcdFine(platform::WindowHandle dialog, int32_t control, BcdInches word);
BcdFieldValue GetDlgItemBcdFine(platform::WindowHandle dialog, int32_t control);

}  // namespace ql
