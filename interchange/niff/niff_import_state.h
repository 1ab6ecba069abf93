// The state one NIFF import keeps while its passes run, handed to every handler
// through the reader's context: the tag state (the tags of the chunk being
// handled and those made persistent by "taga" and "tagi"), and what the handlers
// of later stages share.
#pragma once

#include <array>
#include <bit>
#include <cstdint>
#include <cstring>
#include <span>
#include <string>
#include <vector>

#include "interchange/import_report.h"
#include "interchange/niff/niff_frame.h"
#include "interchange/niff/niff_reader.h"
#include "interchange/niff/niff_tag_state.h"
#include "interchange/niff/niff_tracked_blocks.h"

namespace ql {
struct ScoreDocument;
struct ScoreView;
struct ScoreObject;
}

namespace ql::niff {

inline constexpr int kNiffMaxParts = 44;
inline constexpr int kNiffMaxStaves = 44;  // staves an import reserves at most
inline constexpr int kNiffMaxFonts = 32;
inline constexpr int kNiffMostSystemsPerPage = 20;

// A "part" chunk's fixed part.
struct NiffPart {
    int16_t number = 0;
    uint32_t name = 0;  // string offsets
    uint32_t abbreviation = 0;
    uint8_t staves = 0;
    int8_t channel = -1;
    int8_t cable = -1;
    int8_t transposition = 0;
    bool nameUsed = false;
};

// A "fntd" chunk's fixed part.
struct NiffFontDescription {
    uint32_t name = 0;
    int16_t size = 0;  // in 1/1440 inch
    int16_t spacing = 0;
    int16_t weight = 0;
    uint8_t style = 0;  // bit 0 bold, 1 italic, 2 underline
};

// What "nnfo" says about the file.
struct NiffFileInformation {
    std::string version;
    int programType = 0;
    int standardUnits = 0;
    int absoluteUnits = 0;
    int midiClocksPerQuarter = 0;
};

// Which program wrote the file, from "ICOP" and "ISFT".
struct NiffWriterFlags {
    bool musitek = false;
    bool midiscan = false;
    bool smartscore = false;
    bool generic = true;  // none of the three scanning programs
};

struct NiffImportState {
    NiffTagState tags;
    int32_t noteReference = -1;  // the note builder's reference, reset at each chunk
    double unitScale = 128.0;    // score units per NIFF unit, set by the staff header
    ScoreDocument* document = nullptr;
    ScoreView* view = nullptr;
    NiffReader* reader = nullptr;  // the reader of the pass that runs

    int pass = 0;  // 0 the prescan, 1 the main pass
    NiffWriterFlags writer;
    NiffFileInformation information;
    std::vector<NiffPart> parts;  // at most 44, filled again in each pass
    int staffCount = 1;           // the sum of the parts' staves, 1..44
    // What the prescan's staff headers show: per part (by its place in the table)
    // the staves its headers name, and the most staves a system holds by headers
    // that name no part. The main pass gives each part at least the staves found.
    std::vector<int> partStavesFound;
    int unnamedStavesFound = 0;
    int reservedStaves = kNiffMaxStaves;

    // Prescan geometry: pages and the sums of their sizes (file units), and the
    // staff heights that set the unit scale.
    int pageCount = 0;
    int firstPageSystems = 0;  // systems on the file's first page
    int64_t pageWidthSum = 0;
    int64_t pageHeightSum = 0;
    int largestStaffHeight = 0;
    int lastStaffHeight = 0;
    int lastStaffWidth = 0;
    double lineSpacing = 128.0;
    // The line spacing of the file's largest staff on paper, in inches (0 when the
    // file gives no staff height or no unit it is measured in).
    double spaceInches = 0.0;

    // Score units per inch (the document's, once it is made) and the default
    // margins of a page in score units.
    double unitsPerInch = 1804.8;
    NiffPageMargins margins;

    // The time signature in force and whether the file gave any.
    uint8_t timeNumerator = 4;
    uint8_t timeExponent = 10;
    bool timeSignatureGiven = false;

    // Fonts and texts.
    std::vector<NiffFontDescription> fonts;  // at most 32
    std::array<int16_t, 6> defaultFonts{-1, -1, -1, -1, -1, -1};
    // The string table: a tracked block of the chunk's bytes and a zero.
    uint8_t* strings = nullptr;
    size_t stringBytes = 0;
    int pendingMultiMeasure = 0;  // measures of the last multi-measure rest less one
    bool lyricLinesGiven = false;  // the file placed a lyric line
    // Texts, tempo marks, chord symbols, dynamics and hairpins of measures the file
    // gave no place: placed once the pages are laid out, clear of the music.
    std::vector<const ScoreObject*> unplacedTexts;
    // Those the file placed in a measure: they keep their places where those are
    // clear of the music, and are placed like the others where they are not.
    std::vector<const ScoreObject*> placedTexts;

    NiffFrame frame;  // pages, systems, staves, measures and placed texts
    ImportReport report;
    NiffTrackedBlocks blocks;
    std::string statusLine;  // at most 128 characters
    bool cancelled = false;
};

// The text at a string-table offset: empty outside the table.
std::string NiffString(const NiffImportState& import, uint32_t offset, size_t maxLength = 255);
// Whether tag `tag` was given on the chunk being handled (or inherited).
bool HasNiffTag(const NiffTagState& tags, int tag);

// A signed 16-bit field of a tag's current value (fields at even offsets).
int16_t NiffTagShort(const NiffTagState& tags, int tag, int byteOffset);

// Fields of a chunk's fixed part as the reader stored them (in the machine's
// byte order), at their byte offsets.
inline int16_t NiffFixedShort(const uint8_t* bytes, int offset) {
    int16_t value = 0;
    std::memcpy(&value, bytes + offset, sizeof value);
    return value;
}
inline uint32_t NiffFixedLong(const uint8_t* bytes, int offset) {
    uint32_t value = 0;
    std::memcpy(&value, bytes + offset, sizeof value);
    return value;
}

// Start handler of the chunks of the main pass: loads the tag state for the new
// chunk (a staff header clears the persistent set first). The reader runs it in
// line, through BeginNiffChunkState, which defers the load into `pending` when
// given it (see DeferNiffChunkTags).
int BeginNiffChunk(NiffChunkContext& context, const uint8_t* fixedPart);
[[gnu::always_inline]] inline void BeginNiffChunkState(NiffImportState& import, const FourCC& id,
                                                       uint64_t* pending = nullptr) {
    // (The ids compared as numbers: one compare, not a call.)
    if (std::bit_cast<uint32_t>(id) == std::bit_cast<uint32_t>(MakeFourCC("sthd")))
        ClearNiffPersistentTags(import.tags);
    if (pending != nullptr)
        DeferNiffChunkTags(import.tags, *pending);
    else
        LoadNiffChunkTags(import.tags);
    import.noteReference = -1;
}
// Tag handler of every known tag: stores the tag in the current record.
void StoreNiffTag(NiffTagContext& context, const uint8_t* value);
// What StoreNiffTag does, without a call per tag: the reader stores tag `tag` into
// its import's tag state as it reads it, and a lyric offset (tag 23) also goes
// to ApplyNiffLyricOffsetTag.
void RegisterNiffTagStorage(NiffReader& reader, int tag);
void ApplyNiffLyricOffsetTag(NiffTagContext& context, const uint8_t* value);
// Data handlers of "taga" and "tagi".
int ActivateNiffTags(NiffChunkContext& context, const uint8_t* fixedPart);
int DeactivateNiffTags(NiffChunkContext& context, const uint8_t* fixedPart);

}  // namespace ql::niff
