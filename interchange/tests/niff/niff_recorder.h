// A NIFF reader over writer-made bytes whose handlers record what they were given.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "interchange/byte_source.h"
#include "interchange/niff/niff_import_state.h"
#include "interchange/niff/niff_reader.h"

namespace ql::niff::testing {

struct Call {
    std::string what;  // "start xxxx", "data xxxx" or "tag N"
    std::vector<uint8_t> bytes;
};

// The handlers find the recorder through the import state they are given.
struct Recorder : NiffImportState {
    std::vector<Call> calls;
    int stopAt = -1;  // a data handler returns 0 at this call index
};

// Opens a reader on `bytes` with recording handlers on every schema id and tag.
std::unique_ptr<NiffReader> RecordingReader(const std::vector<uint8_t>& bytes, Recorder& recorder);
// Registers the recording handlers again (a pass empties the slots).
void RegisterRecorders(NiffReader& reader);
// The calls whose text starts with `prefix`.
std::vector<Call> CallsOf(const Recorder& recorder, const std::string& prefix);
// Registers the tag-state handlers on every schema id and tag.
void RegisterTagState(NiffReader& reader);
// A byte source reading `bytes` from a file through its buffer (the file's name
// is gone once it is open); null when no file could be made.
std::unique_ptr<ByteSource> FileSourceOf(const std::vector<uint8_t>& bytes);

}  // namespace ql::niff::testing
