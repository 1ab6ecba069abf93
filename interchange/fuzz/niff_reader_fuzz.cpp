// Fuzz entry point for the NIFF reader: the input is the file, read in two passes
// with the tag-state handlers on every chunk and tag, as an import reads it.
#include <cstddef>
#include <cstdint>
#include <span>

#include "interchange/byte_source.h"
#include "interchange/niff/niff_import_state.h"
#include "interchange/niff/niff_reader.h"
#include "platform/ui/headless.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace ql::niff;
    ql::ui::headless::ResetUi();
    NiffImportState state;
    auto reader =
        OpenNiffReader(ql::ByteSource::FromMemory(std::span<const uint8_t>(data, size)), &state);
    for (int pass = 0; pass < 2; ++pass) {
        for (const NiffChunkRecord& row : BuiltInNiffChunkSchema())
            RegisterNiffChunkHandlers(*reader, row.id, BeginNiffChunk, nullptr);
        RegisterNiffChunkHandlers(*reader, MakeFourCC("taga"), BeginNiffChunk, ActivateNiffTags);
        RegisterNiffChunkHandlers(*reader, MakeFourCC("tagi"), BeginNiffChunk, DeactivateNiffTags);
        for (int tag = 1; tag <= kNiffKnownTags; ++tag)
            RegisterNiffTagHandler(*reader, tag, StoreNiffTag);
        RunNiffPass(*reader);
    }
    return 0;
}
