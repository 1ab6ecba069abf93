// The version gates of the record decoders (see file_version.h).
#include "files/records/file_version.h"

#include "core/state.h"

namespace ql {

namespace {

constexpr uint8_t kOneByteField = 1;

}  // namespace

uint8_t ReadingFileVersion() {
    return State().files.FileVersion;
}

bool IsOlderVersion15Variant() {
    const FileFlags& files = State().files;
    return files.FileVersion == kAmbiguousVersion && files.VersionChoice == kVersionChoiceShorter;
}

bool IsUndecidedVersion15() {
    const FileFlags& files = State().files;
    return files.FileVersion == kAmbiguousVersion && files.VersionChoice == kVersionChoiceNone;
}

bool HasOneByteVersionField() {
    return State().files.VersionFieldWidth == kOneByteField;
}

void MarkVersion15Shorter() {
    State().files.VersionChoice = kVersionChoiceShorter;
}

}  // namespace ql
