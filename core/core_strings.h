// Looking up the program's texts by string id: the language bundle, then the
// program bundle, then the program's own table, which start-up registers into the
// program bundle and the shell installs as the last resort. The ids the core services use
// are named here.
#pragma once

#include <cstdint>
#include <string>

namespace ql {

constexpr int32_t kStrUntitled = 1;
constexpr int32_t kStrProductName = 2;
constexpr int32_t kStrProductCaption = 3;
constexpr int32_t kStrInvalidValue = 1066;
constexpr int32_t kStrErrorOccurredIn = 1154;
constexpr int32_t kStrFileSavedAs = 1155;
constexpr int32_t kStrExitAdvice = 1156;
constexpr int32_t kStrMemoryError = 1157;
constexpr int32_t kStrReportNumbers = 1158;
constexpr int32_t kStrSupportContact = 1159;
// Said instead of 1155 when the emergency copy could not be written.
constexpr int32_t kStrFileNotSavedAs = 1173;

// The text of a string id: language bundle, then program bundle, then the
// program's table; empty when none has it.
std::string ProgramString(int32_t id);

// The program's own table of texts as ProgramString's last resort (null: none, the
// table's text of an id or null when it has none).
using BuiltInStringLookup = const char* (*)(int32_t id);
void SetBuiltInStrings(BuiltInStringLookup lookup);

}  // namespace ql
