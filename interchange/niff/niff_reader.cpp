// The NIFF reader: the pass, one chunk with its tags, and field conversion.
#include "interchange/niff/niff_reader.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "core/ui/modal_boxes.h"
#include "interchange/niff/niff_field_conversion.h"
#include "interchange/niff/niff_import_state.h"
#include "interchange/niff/niff_known_tags.h"
#include "interchange/niff/niff_messages.h"
#include "interchange/niff/niff_tracked_blocks.h"
#include "platform/ui/message_box.h"

namespace ql::niff {
namespace {

constexpr FourCC kRifx = MakeFourCC("RIFX");
constexpr FourCC kList = MakeFourCC("LIST");
constexpr FourCC kEndOfList = MakeFourCC("eol ");
constexpr FourCC kChunkLengthTable = MakeFourCC("clt ");
constexpr uint64_t kChunkHeaderBytes = 8;
constexpr uint64_t kFormTypeBytes = 4;
constexpr uint64_t kTopLevelBytes = 14;  // room for the form's header only
constexpr size_t kChunkLengthEntryBytes = 8;
constexpr size_t kMaxDiagnostics = 1000;
constexpr size_t kNiffReadBytes = 64 * 1024;  // a file's bytes per read

// Ids compared as numbers (one compare, not a byte-wise one).
constexpr uint32_t IdKey(const FourCC& id) {
    return (uint32_t{id[0]} << 24) | (uint32_t{id[1]} << 16) | (uint32_t{id[2]} << 8) | id[3];
}
constexpr uint32_t kRifxKey = IdKey(kRifx);
constexpr uint32_t kListKey = IdKey(kList);
constexpr uint32_t kChunkLengthTableKey = IdKey(kChunkLengthTable);

uint64_t Padded(uint64_t length) {
    return length + (length & 1);
}

// The fields of `plan` one by one, up to the first that would pass `maxBytes`.
[[gnu::noinline]] int ConvertStepwise(const uint8_t* from, uint8_t* out, const NiffFieldPlan& plan,
                                      int maxBytes) {
    uint64_t low = 0, high = 0;
    int consumed = 0;
    for (int i = 0; i < plan.count; ++i) {
        const NiffFieldStep& step = plan.steps[static_cast<size_t>(i)];
        if (consumed + step.width > maxBytes) break;
        PlaceNiffField(NiffFieldValue(step.turn, step.width, from + consumed), step.to, low, high);
        consumed += step.width;
    }
    StoreNiffConverted(out, low, high);
    return consumed;
}

// A plan's whole conversion when the bytes hold all of its fields, else field by field.
inline int Convert(const uint8_t* from, uint8_t* out, const NiffFieldPlan& plan, int maxBytes) {
    if (plan.fileBytes <= maxBytes && plan.whole != nullptr) {
        plan.whole(from, out);
        return plan.fileBytes;
    }
    return ConvertStepwise(from, out, plan, maxBytes);
}

// Ends the pass with a message (none when null); closes the source when asked.
bool EndPass(NiffReader& reader, const char* message, bool closeSource) {
    if (message != nullptr) {
        reader.message = message;
        if (!reader.quiet) ModalMessageBox(message, kNiffImportCaption, ui::kBoxIconExclamation);
        if (reader.diagnostics.size() < kMaxDiagnostics)
            reader.diagnostics.push_back(kNiffErrorLine);
    }
    if (closeSource) reader.source.reset();
    return false;
}

void Diagnose(NiffReader& reader, std::string line) {
    if (reader.diagnostics.size() < kMaxDiagnostics) reader.diagnostics.push_back(std::move(line));
}

std::string IdText(const FourCC& id) {
    std::string text;
    for (uint8_t c : id) text += (c >= 0x20 && c < 0x7F) ? static_cast<char>(c) : '?';
    return text;
}

bool Skip(ByteSource& source, uint64_t count) {
    return count == 0 || source.Seek(source.Position() + count);
}

// The bytes still unread at the current level: for the form itself, the file.
uint64_t RoomAtLevel(const NiffReader& reader, uint64_t chunkStart) {
    if (reader.depth == 0)
        return reader.source->Size() - std::min(chunkStart, reader.source->Size());
    return reader.left[static_cast<size_t>(reader.depth)];
}

void Consume(NiffReader& reader, uint64_t bytes) {
    uint64_t& left = reader.left[static_cast<size_t>(reader.depth)];
    left = left > bytes ? left - bytes : 0;
}

bool EnterList(NiffReader& reader, uint64_t padded) {
    if (reader.chunkLength < kFormTypeBytes || reader.depth >= kNiffMaxDepth)
        return EndPass(reader, kNiffIncompleteChunk, false);
    uint8_t formType[4];
    if (reader.source->Read(formType, sizeof formType) != sizeof formType)
        return EndPass(reader, kNiffIncompleteChunk, true);
    reader.chunk.assign(formType, formType + sizeof formType);
    Consume(reader, padded + kChunkHeaderBytes);
    ++reader.depth;
    reader.left[static_cast<size_t>(reader.depth)] = padded - kFormTypeBytes;
    return true;
}

void ReadChunkLengthTable(NiffReader& reader) {
    const size_t entries = reader.chunkLength / kChunkLengthEntryBytes;
    for (size_t i = 0; i < entries; ++i) {
        const uint8_t* entry = reader.chunk.data() + i * kChunkLengthEntryBytes;
        const FourCC id{entry[0], entry[1], entry[2], entry[3]};
        const int32_t size =
            static_cast<int32_t>((uint32_t{entry[4]} << 24) | (uint32_t{entry[5]} << 16) |
                                 (uint32_t{entry[6]} << 8) | entry[7]);
        reader.schemas.ApplyChunkLength(id, size);
    }
}

NiffChunkContext ContextOf(NiffReader& reader, std::span<const uint8_t> data) {
    NiffChunkContext context;
    context.reader = &reader;
    context.import = reader.import;
    context.id = reader.chunkId;
    context.length = reader.chunkLength;
    context.data = data;
    return context;
}

bool ReadRawChunk(NiffReader& reader, int index, uint64_t padded) {
    reader.chunk.resize(padded);
    if (reader.source->Read(reader.chunk.data(), padded) != padded)
        return EndPass(reader, kNiffIncompleteChunk, true);
    if (IdKey(reader.chunkId) == kChunkLengthTableKey) {
        ReadChunkLengthTable(reader);
        return true;
    }
    NiffChunkContext context =
        ContextOf(reader, std::span<const uint8_t>(reader.chunk.data(), reader.chunkLength));
    const NiffChunkHandler start = reader.startHandlers[static_cast<size_t>(index)];
    const NiffChunkHandler data = reader.dataHandlers[static_cast<size_t>(index)];
    if (start != nullptr && start(context, nullptr) != 1) return false;
    return data == nullptr || data(context, nullptr) == 1;
}

// The chunk's bytes after its header, `padded` of them: in the source's buffer
// when it holds them, else copied; null when they cannot be read.
const uint8_t* ChunkBody(NiffReader& reader, uint64_t padded) {
    if (const uint8_t* at = reader.source->Take(padded)) return at;
    reader.body.resize(padded);
    if (reader.source->Read(reader.body.data(), padded) != padded) return nullptr;
    return reader.body.data();
}

// A tag number that is neither known nor handled, for the diagnostic output (out
// of line: the tag loop stays small).
[[gnu::noinline]] void DiagnoseUnknownTag(NiffReader& reader, int number) {
    Diagnose(reader, "unknown tag " + std::to_string(number));
}

// A tag the in-line store does not take: one not in the schema, one with a
// handler (the tag state's pending loads are done first), or a stored one whose
// value is shorter than its fields. (Out of line: the tag loop stays small.)
[[gnu::noinline]] void ReadOtherTag(NiffReader& reader, int number, int length, const uint8_t* bytes,
                                    uint64_t& pending) {
    const auto at = static_cast<size_t>(number);
    const NiffTagAction action = reader.tagActions[at];
    if (action == NiffTagAction::kUnknown) return DiagnoseUnknownTag(reader, number);
    if (action == NiffTagAction::kPass) return;
    std::array<uint8_t, kNiffTagValueBuffer> value;  // filled whole by the conversion
    // The schema's tag plans all have their whole conversion.
    if (kNiffKnownTagFileBytes[at] <= length)
        ConvertKnownNiffTag(number, bytes, value.data());
    else
        ConvertStepwise(bytes, value.data(), reader.schemas.KnownTagPlan(number), length);
    if (reader.storedTags[at]) StoreNiffTagValue(*reader.tagStore, number, value.data());
    const NiffTagHandler handler = reader.tagHandlers[at];
    if (handler == nullptr) return;
    if (pending != 0) LoadPendingNiffTags(reader.import->tags, pending);
    NiffTagContext context;
    context.import = reader.import;
    context.tag = static_cast<uint8_t>(number);
    context.length = static_cast<uint8_t>(length);
    context.value =
        std::span<const uint8_t>(value.data(), static_cast<size_t>(reader.schemas.TagMemorySize(number)));
    handler(context, value.data());
}

// Reads the tags of a chunk's tag area, from `at` to `end`: a tag stored with no
// handler goes straight into the tag state, any other known tag to ReadOtherTag;
// false ends the pass. `pending`: the tag state's deferred loads.
[[gnu::always_inline]] inline bool ReadTags(NiffReader& reader, const uint8_t* at, const uint8_t* end,
                                            uint64_t& pending) {
    // Held here: the stores into the tag state could otherwise be any byte of the reader.
    NiffTagState* const tags = reader.tagStore;
    while (end - at > 1) {
        const int number = at[0];
        const int length = at[1];
        const uint8_t* bytes = at + 2;
        const auto padded = static_cast<ptrdiff_t>(Padded(static_cast<uint64_t>(length)));
        if (padded > end - bytes) return EndPass(reader, kNiffIncompleteTag, false);
        at = bytes + padded;
        const NiffTagAction action = reader.tagActions[static_cast<size_t>(number)];
        if (action == NiffTagAction::kStore && StoreKnownNiffTag(*tags, number, length, bytes)) continue;
        if (action != NiffTagAction::kPass) ReadOtherTag(reader, number, length, bytes, pending);
    }
    return true;
}

// A typed chunk whose `padded` bytes lie whole at `body`, its fixed part
// `fixedSize` of them, with a handler other than the in-line start: the fixed
// part converted when a handler is given it, the start handler, the tags, the
// data handler.
[[gnu::noinline]] bool CallChunkHandlers(NiffReader& reader, int index, const uint8_t* body, uint64_t padded,
                                         uint64_t fixedSize) {
    const NiffSchemas& schemas = reader.schemas;
    const NiffChunkHandler start = reader.startHandlers[static_cast<size_t>(index)];
    const NiffChunkHandler data = reader.dataHandlers[static_cast<size_t>(index)];
    // The tag state's own start handler runs in line and reads no fixed part: with
    // no other handler, the fixed part is not converted.
    const bool startInLine = start == BeginNiffChunk;
    const uint8_t* fixedPart = nullptr;
    if (const NiffWholeConversion whole = schemas.ChunkWhole(index);
        whole != nullptr && (data != nullptr || (start != nullptr && !startInLine))) {
        if (static_cast<uint64_t>(schemas.ChunkWholeBytes(index)) <= fixedSize)
            whole(body, reader.fixed.data());
        else
            ConvertStepwise(body, reader.fixed.data(), schemas.ChunkPlan(index),
                            static_cast<int>(fixedSize));
        fixedPart = reader.fixed.data();
    }
    const auto context = [&reader, &schemas, index] {
        return ContextOf(reader, std::span<const uint8_t>(reader.fixed.data(),
                                                          static_cast<size_t>(schemas.MemorySize(index))));
    };
    if (startInLine) {
        BeginNiffChunkState(*reader.import, reader.chunkId);
    } else if (start != nullptr) {
        NiffChunkContext startContext = context();
        if (start(startContext, fixedPart) != 1) return false;
    }
    uint64_t none = 0;  // the load above was not deferred
    if (!ReadTags(reader, body + fixedSize, body + padded, none)) return false;
    if (data == nullptr) return true;
    NiffChunkContext dataContext = context();
    return data(dataContext, fixedPart) == 1;
}

// A typed chunk whose `padded` bytes lie whole at `body`, its fixed part
// `fixedSize` of them: the in-line start, its load deferred into `pending`, and
// the tags here; anything else through CallChunkHandlers, after the pending loads.
[[gnu::always_inline]] inline bool HandleTypedChunk(NiffReader& reader, int index, const uint8_t* body,
                                                    uint64_t padded, uint64_t fixedSize, uint64_t& pending) {
    switch (reader.chunkActions[static_cast<size_t>(index)]) {
        case NiffChunkAction::kInLineStart:
            BeginNiffChunkState(*reader.import, reader.chunkId, &pending);
            [[fallthrough]];
        case NiffChunkAction::kTagsOnly:
            return ReadTags(reader, body + fixedSize, body + padded, pending);
        case NiffChunkAction::kCall:
            break;
    }
    if (pending != 0) LoadPendingNiffTags(reader.import->tags, pending);
    return CallChunkHandlers(reader, index, body, padded, fixedSize);
}

bool ReadTypedChunk(NiffReader& reader, int index, uint64_t padded) {
    const auto fixedSize = static_cast<uint64_t>(reader.schemas.FixedPartBytes(index));
    if (fixedSize > padded) return EndPass(reader, kNiffIncompleteChunk, false);
    // The whole chunk is read at once (the lengths were checked against the file),
    // then converted from memory.
    const uint8_t* body = ChunkBody(reader, padded);
    if (body == nullptr) return EndPass(reader, kNiffIncompleteChunk, true);
    uint64_t pending = 0;
    const bool goesOn = HandleTypedChunk(reader, index, body, padded, fixedSize, pending);
    if (pending != 0) LoadPendingNiffTags(reader.import->tags, pending);
    return goesOn;
}

// Typed chunks inside the current list whose headers and bytes the source's
// buffer holds whole, and whose lengths fit the list and their fixed parts, one
// after another up to `most` of them: each handled in place, with one move of
// the source. The walk stops before anything else (the end of the list, a list,
// a raw or unknown chunk, a chunk the buffer splits, a length that ends the
// pass), which goes the general way; and when a handler ends the pass, which
// clears `goOn`. The chunks handled.
size_t ReadBufferedTypedChunks(NiffReader& reader, size_t most, bool* goOn) {
    if (reader.depth == 0 || !reader.source) return 0;
    ByteSource& source = *reader.source;
    const NiffSchemas& schemas = reader.schemas;
    const std::span<const uint8_t> buffered = source.Buffered();
    const uint8_t* at = buffered.data();
    const uint8_t* const end = at + buffered.size();
    uint64_t& leftAtLevel = reader.left[static_cast<size_t>(reader.depth)];
    uint64_t left = leftAtLevel;
    // The loads of the tag state deferred by the chunks handled, done before the
    // walk ends.
    uint64_t pending = 0;
    size_t handled = 0;
    while (handled < most) {
        const NiffIdEntry entry =
            end - at >= static_cast<ptrdiff_t>(kChunkHeaderBytes) ? schemas.LookUpChunk(at) : NiffIdEntry{};
        // An unknown id (also when the buffer holds no whole header), a raw chunk
        // and a fixed part too long for the entry have no size here.
        if (entry.fixedPartBytes < 0) break;
        const uint32_t length = NiffBigEndian32(at + 4);
        const uint64_t whole = Padded(length) + kChunkHeaderBytes;
        if (whole > left || whole > static_cast<uint64_t>(end - at)) break;
        const auto fixedSize = static_cast<uint64_t>(entry.fixedPartBytes);
        if (fixedSize + kChunkHeaderBytes > whole) break;
        const uint8_t* header = at;
        at += whole;
        // The reader's state follows each chunk, as the general way leaves it.
        source.Advance(whole);
        left -= whole;
        leftAtLevel = left;
        reader.chunkId = {header[0], header[1], header[2], header[3]};
        reader.chunkLength = length;
        ++handled;
        if (!HandleTypedChunk(reader, entry.index, header + kChunkHeaderBytes, whole - kChunkHeaderBytes,
                              fixedSize, pending)) {
            *goOn = false;
            break;
        }
    }
    if (pending != 0) LoadPendingNiffTags(reader.import->tags, pending);
    return handled;
}

bool ReadChunkBody(NiffReader& reader, uint64_t start) {
    const uint64_t padded = Padded(reader.chunkLength);
    if (padded + kChunkHeaderBytes > RoomAtLevel(reader, start))
        return EndPass(reader, kNiffIncompleteChunk, false);
    if (const uint32_t key = IdKey(reader.chunkId); key == kRifxKey || key == kListKey)
        return EnterList(reader, padded);
    Consume(reader, padded + kChunkHeaderBytes);
    const int index = reader.schemas.FindChunk(reader.chunkId);
    if (index < 0) {
        Diagnose(reader, "unknown chunk '" + IdText(reader.chunkId) + "'");
        return Skip(*reader.source, padded) || EndPass(reader, kNiffIncompleteChunk, true);
    }
    if (reader.schemas.Chunk(index).fixedSize == kNiffRaw)
        return ReadRawChunk(reader, index, padded);
    return ReadTypedChunk(reader, index, padded);
}

void EmptyHandlerSlots(NiffReader& reader) {
    reader.startHandlers.fill(nullptr);
    reader.dataHandlers.fill(nullptr);
    reader.tagHandlers.fill(nullptr);
    reader.storedTags.fill(false);
    reader.tagStore = nullptr;
    reader.tagActions = InitialNiffTagActions();
    reader.chunkActions.fill(NiffChunkAction::kTagsOnly);
}

// Brings a chunk's action in line with its handler slots.
void UpdateChunkAction(NiffReader& reader, size_t index) {
    const NiffChunkHandler start = reader.startHandlers[index];
    const bool called = reader.dataHandlers[index] != nullptr || (start != nullptr && start != BeginNiffChunk);
    reader.chunkActions[index] = called            ? NiffChunkAction::kCall
                                 : start != nullptr ? NiffChunkAction::kInLineStart
                                                    : NiffChunkAction::kTagsOnly;
}

// Brings a known tag's action in line with its store bit and handler slot.
void UpdateTagAction(NiffReader& reader, size_t tag) {
    reader.tagActions[tag] = reader.tagHandlers[tag] != nullptr ? NiffTagAction::kCall
                             : reader.storedTags[tag]          ? NiffTagAction::kStore
                                                               : NiffTagAction::kPass;
}

}  // namespace

void ReverseBytes(uint8_t* bytes, int count) {
    if (count >= 2) std::reverse(bytes, bytes + count);
}

int ConvertNiffFields(const uint8_t* from, uint8_t* out, const NiffFieldPlan& plan, int maxBytes) {
    return Convert(from, out, plan, maxBytes);
}

std::unique_ptr<NiffReader> OpenNiffReader(std::unique_ptr<ByteSource> source,
                                           NiffImportState* import) {
    auto reader = std::make_unique<NiffReader>();
    reader->source = std::move(source);
    // Fewer, longer reads: fewer system calls, and fewer stops of the buffered
    // walk at the end of a fill.
    if (reader->source != nullptr) reader->source->WidenBuffer(kNiffReadBytes);
    reader->import = import;
    return reader;
}

void CloseNiffReader(NiffReader& reader) {
    reader.source.reset();
    reader.chunk = {};
    reader.body = {};
    reader.depth = 0;
    reader.left.fill(0);
    EmptyHandlerSlots(reader);
}

void RegisterNiffChunkHandlers(NiffReader& reader, const FourCC& id, NiffChunkHandler start,
                               NiffChunkHandler data) {
    const int index = reader.schemas.FindChunk(id);
    if (index < 0) return;
    reader.startHandlers[static_cast<size_t>(index)] = start;
    reader.dataHandlers[static_cast<size_t>(index)] = data;
    UpdateChunkAction(reader, static_cast<size_t>(index));
}

void RegisterNiffTagHandler(NiffReader& reader, int tag, NiffTagHandler handler) {
    if (tag < 1 || tag > kNiffKnownTags) return;
    reader.tagHandlers[static_cast<size_t>(tag)] = handler;
    UpdateTagAction(reader, static_cast<size_t>(tag));
}

void RegisterNiffTagStore(NiffReader& reader, int tag, NiffTagState& tags) {
    if (tag < 1 || tag > kNiffKnownTags) return;
    // One tag state per pass: a second one replaces the first for every stored tag.
    reader.tagStore = &tags;
    reader.storedTags[static_cast<size_t>(tag)] = true;
    UpdateTagAction(reader, static_cast<size_t>(tag));
}

namespace {

// The next chunk (see ReadNextNiffChunk); memory running out is left to the caller.
inline bool ReadChunk(NiffReader& reader) {
    if (!reader.source) return false;
    if (reader.started && reader.left[static_cast<size_t>(reader.depth)] == 0) {
        reader.depth = std::max(0, reader.depth - 1);
        reader.chunkId = kEndOfList;
        reader.chunk.clear();
        return reader.depth >= 1;
    }
    reader.started = true;
    if (bool goOn = true; ReadBufferedTypedChunks(reader, 1, &goOn) != 0) return goOn;
    ByteSource& source = *reader.source;
    const uint64_t start = source.Position();
    uint8_t copied[kChunkHeaderBytes];
    const uint8_t* header = source.Take(kChunkHeaderBytes);
    if (header == nullptr) {
        header = copied;
        if (source.Read(copied, 4) != 4) {
            reader.chunkId = kEndOfList;
            return false;
        }
        if (source.Read(copied + 4, 4) != 4) return EndPass(reader, kNiffChunkLengthUnread, false);
    }
    reader.chunkId = {header[0], header[1], header[2], header[3]};
    reader.chunkLength = NiffBigEndian32(header + 4);
    return ReadChunkBody(reader, start);
}

// Memory running out inside the reader or a handler ends the import.
[[noreturn]] void AbortOnMemory(NiffReader& reader) {
    CloseNiffReader(reader);
    throw NiffImportAbort();
}

}  // namespace

bool ReadNextNiffChunk(NiffReader& reader) {
    try {
        return ReadChunk(reader);
    } catch (const std::bad_alloc&) {
        AbortOnMemory(reader);
    }
}

namespace {

// The file must open with the "RIFX" form: its id is looked at before anything
// else is read.
const char* CheckFormStart(ByteSource* source) {
    uint8_t id[4];
    if (source == nullptr || !source->Seek(0) || source->Read(id, sizeof id) != sizeof id)
        return kNiffNoUsefulData;
    if (FourCC{id[0], id[1], id[2], id[3]} != kRifx) return kNiffNoRifx;
    return source->Seek(0) ? nullptr : kNiffNoUsefulData;
}

}  // namespace

NiffPassResult RunNiffPass(NiffReader& reader) {
    NiffPassResult result;
    reader.depth = 0;
    reader.left.fill(0);
    reader.left[0] = kTopLevelBytes;
    reader.started = false;
    reader.message = nullptr;
    if (const char* refusal = CheckFormStart(reader.source.get())) {
        EndPass(reader, refusal, true);
    } else if (ReadNextNiffChunk(reader)) {
        result.ran = true;
        try {
            for (bool goOn = true; goOn;) {
                ReadBufferedTypedChunks(reader, SIZE_MAX, &goOn);
                goOn = goOn && ReadChunk(reader);
            }
        } catch (const std::bad_alloc&) {
            AbortOnMemory(reader);
        }
        result.complete = reader.depth == 0 && reader.chunkId == kEndOfList;
    }
    reader.chunk = {};
    reader.body = {};
    EmptyHandlerSlots(reader);
    return result;
}

}  // namespace ql::niff
