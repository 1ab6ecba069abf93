// Files of older format versions: their prologue forms (the "ql" abbreviation, the
// one-byte version field with its 230-byte header, the two-byte field), the choice
// between the two forms of the ambiguous version 15, and the conversions that bring
// each stored record of an older version to the current form. Every conversion works
// on the stored little-endian bytes, before the record's decoder reads them, and
// changes a field only below the version that introduced its current meaning.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>

namespace ql {

// The version gates: each is the first version whose files hold the field in its
// current form; files below it are converted.
namespace version_gate {
inline constexpr uint8_t kSystemOrigin = 3;     // system coordinates
inline constexpr uint8_t kLongMeasures = 4;     // 24-byte measures, 8-byte spacing entries
inline constexpr uint8_t kHighByteWords = 5;    // measure word 18, spacing word 6
inline constexpr uint8_t kStaffFirstWord = 7;   // staff record word 0 bits 13-15
inline constexpr uint8_t kBarlineCodes = 8;     // barline codes 2/3 and 0x20/0x30
inline constexpr uint8_t kMeasureByte16 = 9;    // measure byte 16
inline constexpr uint8_t kBcdHeader = 9;        // header distances and user page in BcdInches
inline constexpr uint8_t kAccidentalWord = 10; // encoded accidental words
inline constexpr uint8_t kBcdStaffSize = 12;    // the user staff size in BcdInches
inline constexpr uint8_t kFullMeasures = 13;    // 28-byte measures
inline constexpr uint8_t kEventWord6 = 14;      // event word 2 bits 8-11 in word 6
inline constexpr uint8_t kEventByte19 = 15;     // event byte 19
inline constexpr uint8_t kNumbering = 20;       // staff byte 27, measure and page numbers, cell word 6
inline constexpr uint8_t kEventBit5 = 23;       // event word 6 bit 5; measure numbers of 0
inline constexpr uint8_t kPlaybackPercent = 25; // header note playback percent
inline constexpr uint8_t kCellBits = 27;        // cell word 2 bits 8-9; the "QFCS" section
inline constexpr uint8_t kCrossStaff = 28;      // cross-staff events
inline constexpr uint8_t kHeaderByte215 = 29;   // header byte 215
inline constexpr uint8_t kPageBits = 31;        // header byte 90 bits 0-1, event word 2 bits 8-11
inline constexpr uint8_t kLaterMajor = 33;      // a later major version
}  // namespace version_gate

// ---- Prologue ----

enum class OldPrologueStatus : uint8_t { Ok = 0, ShortRead = 1, NotScoreFile = 2 };

struct OldPrologue {
    OldPrologueStatus status = OldPrologueStatus::ShortRead;
    bool abbreviated = false;  // the file begins with "ql" (any case): no header
    uint8_t rawVersion = 0;    // as stored (17 for an abbreviated file)
    uint8_t version = 0;       // masked to its low four bits when the field was one byte
    uint8_t fieldWidth = 0;    // 1 or 2 (1 for an abbreviated file)
    size_t headerBytes = 0;    // 0, 230 or 264
    size_t headerAt = 0;       // where the header (or, without one, the body) begins
};

inline constexpr uint8_t kAbbreviatedVersion = 17;
inline constexpr size_t kShortHeaderBytes = 230;
inline constexpr size_t kFullHeaderBytes = 264;
// A one-byte version below this comes with the short header.
inline constexpr uint8_t kFullHeaderVersion = 18;

// Reads the prologue at the start of a file's bytes.
OldPrologue ReadOldPrologue(std::span<const uint8_t> bytes);

// ---- Version 15 ----

// What decides how version 15 is read: the Shift and Ctrl keys at load time and the
// two program switches (the first reads it as 16, the second as 15).
struct Version15Inputs {
    bool shiftHeld = false;
    bool ctrlHeld = false;
    bool readAs16Switch = false;
    bool readAs15Switch = false;
};

struct Version15Choice {
    uint8_t readAs = 15;    // 14, 15 or 16
    bool decided = false;   // a key or switch chose; no retries
};

Version15Choice DecideVersion15(const Version15Inputs& inputs);

// One read of a version-15 file as `readAs`: its code (0 for success) and whether it
// needed a damaged-file recovery.
struct Version15Attempt {
    int code = 0;
    bool recovered = false;
};
using Version15Reader = std::function<Version15Attempt(uint8_t readAs)>;

// Reads an undecided version-15 file: as 15; when that fails or needed a recovery,
// as 14 and then as 16; the first read that succeeds without a recovery wins. When
// none does, the read as 15 is done again and its result stands. The result is the
// last read's, with the form it was read as.
struct Version15Outcome {
    Version15Attempt attempt;
    uint8_t readAs = 15;
};
Version15Outcome ReadVersion15WithRetries(const Version15Reader& read);

// ---- Records ----

// Defaults an older header takes from the program.
struct OldHeaderDefaults {
    uint8_t pageRecordBits = 0;      // bits 0-1 of the page-record byte (below 31)
    uint8_t notePlaybackPercent = 0; // the "NotePlaybackPercent" setting (below 25)
};

// The stored header (230 or 264 bytes) as a 264-byte header of the current form.
void UpgradeHeader(std::span<const uint8_t> stored, uint8_t version, const OldHeaderDefaults& defaults,
                   std::span<uint8_t, kFullHeaderBytes> out);

// The 40-byte staff record.
void UpgradeStaffRecord(std::span<uint8_t, 40> record, uint8_t version);

// The stored size of a measure record and of a spacing entry in a version.
size_t MeasureRecordBytes(uint8_t version);
size_t SpacingEntryBytes(uint8_t version);

// A stored measure record (MeasureRecordBytes long) as a 28-byte record; `previous`
// is the converted record of the measure before (empty for measure 1).
void UpgradeMeasureRecord(std::span<const uint8_t> stored, uint8_t version,
                          std::span<const uint8_t> previous, std::span<uint8_t, 28> out);
// A stored spacing entry as an 8-byte entry.
void UpgradeSpacingEntry(std::span<const uint8_t> stored, uint8_t version, std::span<uint8_t, 8> out);

// A cell header's stored bytes (at least 8).
void UpgradeCellHeader(std::span<uint8_t> cell, uint8_t version);

// Where an event lies, for the cross-staff conversion and the time bound.
struct EventPlace {
    int staff = 1;
    int lastStaff = 1;
    uint16_t measureTicks = 0;
    bool readAs14 = false;  // a version-15 file read as 14
};
// The 28-byte stored event.
void UpgradeEventRecord(std::span<uint8_t, 28> event, uint8_t version, const EventPlace& place);

// The 16-byte stored system record and page record.
void UpgradeSystemRecord(std::span<uint8_t, 16> system, uint8_t version);
void UpgradePageRecord(std::span<uint8_t, 16> page, uint8_t version);

}  // namespace ql
