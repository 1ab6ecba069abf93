// The program's own texts used by the core services, by string id. They are kept
// in a small table here and registered into the program's resource bundle, where
// a language bundle may replace them; ProgramString looks up language, then
// program bundle, then this table.
#pragma once

#include <cstdint>
#include <string>

namespace ql {

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

// Adds the core texts to the program's resource bundle (creating the bundle when
// none is registered); texts the bundle already has are kept.
void RegisterCoreStrings();

// The text of a string id: language bundle, then program bundle, then the core
// table; empty when none has it.
std::string ProgramString(int32_t id);

}  // namespace ql
