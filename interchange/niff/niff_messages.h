// What the NIFF reader tells the user, word for word, and the caption it shows
// them under.
#pragma once

namespace ql::niff {

inline constexpr char kNiffImportCaption[] = "Quaverlinescribe - Import NIFF";
inline constexpr char kNiffNoUsefulData[] = "The NIFF file does not contain any useful data.";
inline constexpr char kNiffNoRifx[] = "Required record type (RIFX) not found in NIFF file.";
inline constexpr char kNiffNoMemory[] = "Not enough memory to continue importing NIFF file.";
inline constexpr char kNiffTooManyMeasures[] =
    "The file has more than 1016 measures, more than a score can hold. Nothing was imported.";
inline constexpr char kNiffChunkLengthUnread[] = "Incomplete record (chunk) found in NIFF file.";
inline constexpr char kNiffIncompleteChunk[] =
    "Incomplete record (chunk) encountered in NIFF file.";
inline constexpr char kNiffIncompleteTag[] = "Incomplete record (tag) encountered in NIFF file.";
// The line the diagnostic output gets after a reader message.
inline constexpr char kNiffErrorLine[] = "error occurred\n";

}  // namespace ql::niff
