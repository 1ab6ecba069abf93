// The NIFF reader: walks a RIFX form chunk by chunk, converts each typed chunk's
// fixed part and its tags from big-endian file order into host order, and hands
// them to the handlers registered for their ids. Every length from the file is
// checked against what its enclosing list has left (the form's against the file),
// lists nest at most 16 deep, and a tag never reads past its chunk; anything else
// ends the pass with the reader's message. Running out of memory throws
// NiffImportAbort, which ends the import. It knows nothing of music: the import
// registers handlers and keeps its own state in the context they receive. The
// tag state's own start (BeginNiffChunk) and tag stores run in line, and the
// start's loads wait until a handler or the caller can see the state.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "interchange/byte_source.h"
#include "interchange/niff/niff_schema.h"
#include "interchange/niff/niff_tag_state.h"

namespace ql::niff {

struct NiffImportState;
struct NiffReader;

struct NiffChunkContext {
    NiffReader* reader = nullptr;
    NiffImportState* import = nullptr;
    FourCC id{};
    uint32_t length = 0;            // as stored, without the pad byte
    std::span<const uint8_t> data;  // converted fixed part, or the raw bytes
};

struct NiffTagContext {
    NiffImportState* import = nullptr;
    uint8_t tag = 0;
    uint8_t length = 0;
    std::span<const uint8_t> value;  // the converted value
};

// A chunk handler returns 1 to go on; anything else ends the pass. `fixedPart` is
// the converted fixed part (null when the chunk has none). A tag handler's `value`
// is the converted value followed by zeros, kNiffTagValueBuffer bytes in all.
using NiffChunkHandler = int (*)(NiffChunkContext& context, const uint8_t* fixedPart);
using NiffTagHandler = void (*)(NiffTagContext& context, const uint8_t* value);
inline constexpr size_t kNiffTagValueBuffer = kNiffConvertedBytes;

struct NiffPassResult {
    bool ran = false;       // the file began with "RIFX" and was walked
    bool complete = false;  // the walk reached the end of the form
};

inline constexpr int kNiffMaxDepth = 16;

// What the reader does with a tag it meets, by its number.
enum class NiffTagAction : uint8_t {
    kUnknown,  // not in the tag schema: passed over and noted in the diagnostics
    kPass,     // known, neither stored nor handled: passed over
    kStore,    // stored into the tag state, no handler
    kCall,     // has a handler (and may be stored first)
};
// What the reader does with a typed chunk, by its index in the schema.
enum class NiffChunkAction : uint8_t {
    kTagsOnly,     // no handler: only its tags are read
    kInLineStart,  // BeginNiffChunk as its start handler and no data handler: run in line
    kCall,         // any other handler
};

// The actions of a reader with no tag stored or handled.
constexpr std::array<NiffTagAction, 256> InitialNiffTagActions() {
    std::array<NiffTagAction, 256> actions{};
    for (int tag = 1; tag <= kNiffKnownTags; ++tag) actions[static_cast<size_t>(tag)] = NiffTagAction::kPass;
    actions[kNiffTag255] = NiffTagAction::kPass;
    return actions;
}

struct NiffReader {
    std::unique_ptr<ByteSource> source;
    NiffImportState* import = nullptr;
    NiffSchemas schemas;
    std::array<NiffChunkHandler, kNiffChunkTypes> startHandlers{};
    std::array<NiffChunkHandler, kNiffChunkTypes> dataHandlers{};
    std::array<NiffTagHandler, 256> tagHandlers{};  // by tag number: only 1 to 48 are set
    // By tag number: whether the tag is stored into `tagStore` as it is read, before
    // its handler (if any). Only 1 to 48 are set.
    std::array<bool, 256> storedTags{};
    NiffTagState* tagStore = nullptr;
    // By tag number, what the tag loop does with a tag; kept by the registration
    // functions from the two tables above (set the slots only through them).
    std::array<NiffTagAction, 256> tagActions = InitialNiffTagActions();
    // By chunk index, kept by RegisterNiffChunkHandlers from the two slots.
    std::array<NiffChunkAction, kNiffChunkTypes> chunkActions{};
    std::vector<uint8_t> chunk;  // the current raw chunk's data, or a list's form type
    std::vector<uint8_t> body;   // a typed chunk's bytes when the source's buffer splits them
    // The current typed chunk's converted fixed part, when a handler other than
    // the in-line BeginNiffChunk is given it.
    std::array<uint8_t, kNiffConvertedBytes> fixed{};
    FourCC chunkId{};
    uint32_t chunkLength = 0;
    std::array<uint64_t, kNiffMaxDepth + 1> left{};  // bytes unread at each level
    int depth = 0;
    bool started = false;  // a chunk has been read in this pass
    // A quiet reader keeps its message (for a prescan whose main pass reads the
    // same bytes and shows it); `message` is the last one, or null.
    bool quiet = false;
    const char* message = nullptr;
    // Unknown chunk ids and tag numbers met, for the diagnostic output.
    std::vector<std::string> diagnostics;
};

// Opens a reader on a byte source; `import` is handed to every handler.
std::unique_ptr<NiffReader> OpenNiffReader(std::unique_ptr<ByteSource> source,
                                           NiffImportState* import);
// Closes the source and empties every handler slot.
void CloseNiffReader(NiffReader& reader);

// Sets the start and data handlers of a chunk id (an id outside the schema is
// ignored; a second registration replaces the first).
void RegisterNiffChunkHandlers(NiffReader& reader, const FourCC& id, NiffChunkHandler start,
                               NiffChunkHandler data);
// Sets the handler of tags 1 to 48; other numbers are ignored.
void RegisterNiffTagHandler(NiffReader& reader, int tag, NiffTagHandler handler);

// Has the reader store tag `tag` (1 to 48; others are ignored) into `tags` as it
// reads it, as StoreNiffTagValue does; a handler of the tag is called after.
void RegisterNiffTagStore(NiffReader& reader, int tag, NiffTagState& tags);

// One pass over the file; the handler slots are emptied at its end.
NiffPassResult RunNiffPass(NiffReader& reader);
// Reads the next chunk and calls its handlers; false at the end of the form,
// after a handler asked to stop, or after an error.
bool ReadNextNiffChunk(NiffReader& reader);

// Converts the fields of `plan` as the file holds them at `from` into the first
// kNiffConvertedBytes bytes of `out` (see the schema for the layout), taking at
// most `maxBytes` bytes; a field that would pass that bound is left zero and ends
// the conversion, as are the bytes past the fields. The bytes taken.
int ConvertNiffFields(const uint8_t* from, uint8_t* out, const NiffFieldPlan& plan, int maxBytes);

// Reverses `count` bytes in place.
void ReverseBytes(uint8_t* bytes, int count);

}  // namespace ql::niff
