// The system-error box: a failed system call's message shown after a caller's lead
// text ("%s\n%s"), caption the product name, information icon. The file writers
// report failed writes through it with the error number saved at the failing call.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace ql {

// "Error %ld": said instead of the system's text when the system has none.
constexpr int32_t kStrErrorNumber = 1323;

// The lead text of the box shown when writing a file fails.
inline constexpr char kSaveIoErrorText[] =
    "I/O error occurred while saving file.\nTry saving to another location.";

// The text shown for an error number: the system's message, else "Error %ld".
std::string SystemErrorMessage(int errorNumber);

// Shows the box for `errorNumber`; the button chosen.
int ShowSystemError(std::string_view leadText, int errorNumber);

}  // namespace ql
