// The NIFF import driver: a prescan pass (writer, parts, staff heights, page
// sizes) and a main pass over the file, both through the reader with the import
// state as its context; then a new score window for the result, or none when the
// user cancelled, memory ran out or nothing usable was read.
#pragma once

#include <cstddef>
#include <filesystem>
#include <functional>
#include <memory>
#include <span>
#include <string>

#include "interchange/niff/niff_reader.h"

namespace ql {
class ByteSource;
class ImportReport;
struct ScoreView;
}  // namespace ql

namespace ql::niff {

struct NiffImportState;

inline constexpr char kNiffImportCancelled[] = "Import Cancelled";
inline constexpr char kNiffLoading[] = "Loading NIFF file...";

// One row of a handler table.
struct NiffHandlerRow {
    FourCC id;
    NiffChunkHandler start;
    NiffChunkHandler data;
};
std::span<const NiffHandlerRow> NiffPrescanTable();
std::span<const NiffHandlerRow> NiffMainTable();

// Resets the state for a new import and registers the prescan handlers.
void BeginNiffImport(NiffImportState& import, NiffReader& reader);
// Registers the main table, every tag, and a counting handler for the symbols no
// handler converts.
void RegisterNiffMainPass(NiffReader& reader);

struct NiffReadResult {
    bool read = false;      // the main pass ran: there is something to build
    bool complete = false;  // it reached the end of the form
};
// Both passes over sources made by `open` (called once per pass). Between them
// `afterPrescan` (when given) makes the target of the main pass; false from it
// ends the import. Throws NiffImportAbort when memory runs out.
NiffReadResult ReadNiffPasses(NiffImportState& import,
                              const std::function<std::unique_ptr<ByteSource>()>& open,
                              const std::function<bool(NiffImportState&)>& afterPrescan = {});

// Tracked blocks of the import.
void* NiffAlloc(NiffImportState& import, size_t size);
void TrackNiffBlock(NiffImportState& import, void* block, size_t size);
void FreeNiffBlock(NiffImportState& import, void** block);
// Frees every structure of the import and every tracked block.
void ReleaseNiffImport(NiffImportState& import);
// The orderly stop after a failed allocation: closes the reader, ends the
// progress dialog, pumps pending messages and releases the import; returns 1.
int AbortNiffImport(NiffImportState& import, NiffReader* reader);

// The import command's entry for ".nif": the title is the file's name up to its
// last point with "_NIFF" appended.
ScoreView* ImportNiffFile(const std::filesystem::path& path);
// The new score window of the file, or null when none stays open. The items an
// earlier stage left out (`earlier`) come first in the one report box, shown with
// `caption` (the NIFF import's own when null).
ScoreView* OpenNiffScoreWindow(const std::filesystem::path& path, const std::string& title,
                               const ImportReport* earlier = nullptr, const char* caption = nullptr);
// The same over bytes in memory (tests).
ScoreView* OpenNiffScoreWindowFromMemory(std::span<const uint8_t> bytes, const std::string& title,
                                         const ImportReport* earlier = nullptr, const char* caption = nullptr);

}  // namespace ql::niff
