// The program's own string table: every text the program shows by string id, in one
// place. At start-up it is registered into the platform's program bundle, where a
// language bundle may replace any entry; ProgramString (core/core_strings.h) looks
// an id up in the bundles and falls back to this table.
#pragma once

#include <cstdint>
#include <span>

#include "platform/sys/resources.h"

namespace ql {

struct ProgramStringEntry {
    int32_t id;
    const char* text;
};

// Every entry, each id once.
std::span<const ProgramStringEntry> ProgramStringTable();
// The table's text of an id, or null when the table has none.
const char* BuiltInProgramString(int32_t id);

// Adds the table to `bundle`; texts the bundle already has are kept.
void AddProgramStrings(sys::ResourceBundle& bundle);
// Adds the table to the registered program bundle (creating it when none is set).
void RegisterProgramStrings();

}  // namespace ql
