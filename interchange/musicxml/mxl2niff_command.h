// The converter program's command: "--output <path> <input>" converts a MusicXML
// file (".mxl" by its extension, any case) to a NIFF file. Standard output carries
// "progress <n> <text>" and "skipped <count> <item>" lines, standard error one
// error line. Exit status: 0 success, 1 conversion error, 2 usage error.
#pragma once

#include <cstdio>

namespace ql::musicxml {

inline constexpr int kConverterOk = 0;
inline constexpr int kConverterFailed = 1;
inline constexpr int kConverterUsage = 2;

int RunMxl2Niff(int argc, const char* const* argv, std::FILE* out, std::FILE* err);

// The program's own limits, applied before any input is read: 120 s of processor
// time, and 2 GiB of address space (not under AddressSanitizer, whose shadow
// memory needs more).
void LimitConverterResources();

}  // namespace ql::musicxml
