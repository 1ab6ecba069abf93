// Older format versions: prologue forms, the version-15 choice and its retries, and
// the record conversions of each version gate (see old_versions.h).
#include "files/read/old_versions.h"

#include <cstring>

#include "files/records/header_record.h"

namespace ql {
namespace {

constexpr uint8_t kVersionNibble = 0x0F;
constexpr size_t kAbbreviationBytes = 2;
constexpr uint8_t kAsciiLowerBit = 0x20;

bool IsAbbreviation(std::span<const uint8_t> bytes) {
    return (bytes[0] | kAsciiLowerBit) == 'q' && (bytes[1] | kAsciiLowerBit) == 'l';
}

}  // namespace

OldPrologue ReadOldPrologue(std::span<const uint8_t> bytes) {
    OldPrologue prologue;
    if (bytes.size() < kAbbreviationBytes) return prologue;
    if (IsAbbreviation(bytes)) {
        prologue.status = OldPrologueStatus::Ok;
        prologue.abbreviated = true;
        prologue.rawVersion = kAbbreviatedVersion;
        prologue.version = kAbbreviatedVersion & kVersionNibble;
        prologue.fieldWidth = 1;
        prologue.headerAt = kAbbreviationBytes;
        return prologue;
    }
    if (bytes.size() < kScoreFileMagicBytes + 1) return prologue;
    if (std::memcmp(bytes.data(), kScoreFileMagic, kScoreFileMagicBytes) != 0) {
        prologue.status = OldPrologueStatus::NotScoreFile;
        return prologue;
    }
    const uint8_t first = bytes[kScoreFileMagicBytes];
    if (first != 0) {
        prologue.rawVersion = first;
        prologue.version = first & kVersionNibble;
        prologue.fieldWidth = 1;
        prologue.headerBytes = first < kFullHeaderVersion ? kShortHeaderBytes : kFullHeaderBytes;
    } else {
        if (bytes.size() < kScoreFileMagicBytes + 2) return prologue;
        prologue.rawVersion = prologue.version = bytes[kScoreFileMagicBytes + 1];
        prologue.fieldWidth = 2;
        prologue.headerBytes = kFullHeaderBytes;
    }
    prologue.headerAt = kScoreFileMagicBytes + prologue.fieldWidth;
    prologue.status = OldPrologueStatus::Ok;
    return prologue;
}

Version15Choice DecideVersion15(const Version15Inputs& inputs) {
    if (inputs.readAs16Switch || inputs.shiftHeld) return Version15Choice{16, true};
    if (inputs.readAs15Switch || inputs.ctrlHeld) return Version15Choice{15, true};
    return Version15Choice{15, false};
}

Version15Outcome ReadVersion15WithRetries(const Version15Reader& read) {
    Version15Outcome outcome{read(15), 15};
    if (outcome.attempt.code == 0 && !outcome.attempt.recovered) return outcome;
    for (uint8_t form : {uint8_t{14}, uint8_t{16}}) {
        const Version15Attempt attempt = read(form);
        if (attempt.code == 0 && !attempt.recovered) return Version15Outcome{attempt, form};
    }
    return Version15Outcome{read(15), 15};
}

}  // namespace ql
