// Recording handlers for the NIFF reader tests.
#include "interchange/byte_source.h"
#include "interchange/tests/niff/niff_recorder.h"

#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "platform/sys/file_io.h"

namespace ql::niff::testing {
namespace {

Recorder& RecorderOf(NiffImportState* import) {
    return *static_cast<Recorder*>(import);
}

std::string IdOf(const FourCC& id) {
    return std::string(id.begin(), id.end());
}

int RecordStart(NiffChunkContext& context, const uint8_t*) {
    RecorderOf(context.import)
        .calls.push_back({"start " + IdOf(context.id), {context.data.begin(), context.data.end()}});
    return 1;
}

int RecordData(NiffChunkContext& context, const uint8_t*) {
    Recorder& recorder = RecorderOf(context.import);
    const bool stop = recorder.stopAt == static_cast<int>(recorder.calls.size());
    recorder.calls.push_back(
        {"data " + IdOf(context.id), {context.data.begin(), context.data.end()}});
    return stop ? 0 : 1;
}

void RecordTag(NiffTagContext& context, const uint8_t*) {
    RecorderOf(context.import)
        .calls.push_back(
            {"tag " + std::to_string(context.tag), {context.value.begin(), context.value.end()}});
}

}  // namespace

void RegisterRecorders(NiffReader& reader) {
    for (const NiffChunkRecord& row : BuiltInNiffChunkSchema())
        RegisterNiffChunkHandlers(reader, row.id, RecordStart, RecordData);
    for (int tag = 1; tag <= kNiffKnownTags; ++tag) RegisterNiffTagHandler(reader, tag, RecordTag);
}

void RegisterTagState(NiffReader& reader) {
    for (const NiffChunkRecord& row : BuiltInNiffChunkSchema())
        RegisterNiffChunkHandlers(reader, row.id, BeginNiffChunk, nullptr);
    RegisterNiffChunkHandlers(reader, MakeFourCC("taga"), BeginNiffChunk, ActivateNiffTags);
    RegisterNiffChunkHandlers(reader, MakeFourCC("tagi"), BeginNiffChunk, DeactivateNiffTags);
    for (int tag = 1; tag <= kNiffKnownTags; ++tag)
        RegisterNiffTagStorage(reader, tag);
}

std::unique_ptr<NiffReader> RecordingReader(const std::vector<uint8_t>& bytes, Recorder& recorder) {
    auto reader = OpenNiffReader(ByteSource::FromMemory(bytes), &recorder);
    RegisterRecorders(*reader);
    return reader;
}

std::vector<Call> CallsOf(const Recorder& recorder, const std::string& prefix) {
    std::vector<Call> found;
    for (const Call& call : recorder.calls)
        if (call.what.rfind(prefix, 0) == 0) found.push_back(call);
    return found;
}

std::unique_ptr<ByteSource> FileSourceOf(const std::vector<uint8_t>& bytes) {
    static int made = 0;
    const std::filesystem::path path =
        std::filesystem::temp_directory_path() /
        ("ql_niff_source_" + std::to_string(::getpid()) + "_" + std::to_string(++made) + ".nif");
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    int error = 0;
    const sys::FileDescriptor file = sys::OpenFileForRead(path.string(), sys::FileShare::ReadWrite, &error);
    std::filesystem::remove(path);
    return file == sys::kNoFile ? nullptr : ByteSource::FromFile(file);
}

}  // namespace ql::niff::testing
