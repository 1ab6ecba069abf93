// Fuzz entry point for the NIFF import: the input is the file, read in both
// passes with every handler of the import, then handed to the builder, as an
// import reads it (without a score window).
#include <cstddef>
#include <cstdint>
#include <span>

#include "interchange/byte_source.h"
#include "interchange/niff/niff_builder.h"
#include "interchange/niff/niff_import.h"
#include "interchange/niff/niff_import_state.h"
#include "interchange/niff/niff_tracked_blocks.h"
#include "platform/ui/headless.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace ql::niff;
    ql::ui::headless::ResetUi();
    NiffImportState state;
    const std::span<const uint8_t> bytes(data, size);
    try {
        const NiffReadResult read = ReadNiffPasses(state, [&] { return ql::ByteSource::FromMemory(bytes); });
        if (read.read) BuildScoreFromNiff(state);
    } catch (const NiffImportAbort&) {
    }
    ReleaseNiffImport(state);
    return 0;
}
