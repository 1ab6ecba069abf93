// The NIFF reader's main pass with only the tag-state handlers registered, over a
// 20 MB writer-made file (BM_NiffMainPass), against reading the same file through
// the same byte source in 64 KiB blocks (BM_NiffMainPass_Baseline) in the same
// run. Target: at most 4x the baseline.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "interchange/byte_source.h"
#include "interchange/niff/niff_import_state.h"
#include "interchange/niff/niff_reader.h"
#include "interchange/niff/niff_writer.h"

namespace ql::niff {
namespace {

constexpr size_t kTargetBytes = 20u << 20;
constexpr size_t kBlockBytes = 64u << 10;

// Systems of staves of time slices with notes and their tags, as a scanner
// writes them, until the file holds 20 MB.
const std::vector<uint8_t>& TwentyMegabytes() {
    static const std::vector<uint8_t> bytes = [] {
        NiffWriter out;
        out.BeginForm("NIFF");
        out.BeginList("data");
        while (out.bytes().size() < kTargetBytes) {
            out.BeginList("syst");
            for (int staff = 0; staff < 4; ++staff) {
                out.BeginChunk("sthd");
                out.Tag(2, {static_cast<int64_t>(staff)});
                out.EndChunk();
                for (int slice = 0; slice < 16; ++slice) {
                    out.BeginChunk("tmsl",
                                   {2, NiffField::Rational(static_cast<int16_t>(slice), 16)});
                    out.Tag(1, {static_cast<int64_t>(slice * 40), 0});
                    out.EndChunk();
                    out.BeginChunk("note", {4, static_cast<int64_t>(slice % 9 - 4),
                                            NiffField::Rational(1, 16)});
                    out.Tag(1, {static_cast<int64_t>(slice * 40), 0});
                    out.Tag(22, {1, 2, 3});
                    out.EndChunk();
                }
            }
            out.EndList();
        }
        out.EndList();
        out.EndList();
        return out.Take();
    }();
    return bytes;
}

// The fixture written once to a temporary file whose name is removed as soon as it is
// open, so that no run, however it ends, leaves it behind; each reader gets its own
// descriptor of it.
sys::FileDescriptor FixtureFile() {
    static const sys::FileDescriptor file = [] {
        const std::string name = (std::filesystem::temp_directory_path() /
                                  ("ql_niff_bench_" + std::to_string(getpid()) + ".nif")).string();
        const std::vector<uint8_t>& bytes = TwentyMegabytes();
        std::ofstream(name, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()),
                   static_cast<std::streamsize>(bytes.size()));
        int error = 0;
        const sys::FileDescriptor opened = sys::OpenFileForRead(name, sys::FileShare::ReadWrite, &error);
        std::remove(name.c_str());
        return opened;
    }();
    return file;
}

std::unique_ptr<ByteSource> OpenFixture() {
    if (FixtureFile() == sys::kNoFile) return nullptr;
    const sys::FileDescriptor file = ::dup(FixtureFile());
    if (file == sys::kNoFile) return nullptr;
    ::lseek(file, 0, SEEK_SET);
    return ByteSource::FromFile(file);
}

void RegisterTagStateHandlers(NiffReader& reader) {
    for (const NiffChunkRecord& row : BuiltInNiffChunkSchema())
        RegisterNiffChunkHandlers(reader, row.id, BeginNiffChunk, nullptr);
    RegisterNiffChunkHandlers(reader, MakeFourCC("taga"), BeginNiffChunk, ActivateNiffTags);
    RegisterNiffChunkHandlers(reader, MakeFourCC("tagi"), BeginNiffChunk, DeactivateNiffTags);
    for (int tag = 1; tag <= kNiffKnownTags; ++tag)
        RegisterNiffTagStorage(reader, tag);
}

void BM_NiffMainPass(benchmark::State& state) {
    const std::vector<uint8_t>& bytes = TwentyMegabytes();
    NiffImportState import;
    auto reader = OpenNiffReader(OpenFixture(), &import);
    for (auto _ : state) {
        RegisterTagStateHandlers(*reader);
        const NiffPassResult result = RunNiffPass(*reader);
        if (!result.complete) state.SkipWithError("the pass did not reach the end of the form");
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes.size()));
    state.SetLabel("target <= 4x");
}
BENCHMARK(BM_NiffMainPass)->Unit(benchmark::kMillisecond);

void BM_NiffMainPass_Baseline(benchmark::State& state) {
    const std::vector<uint8_t>& bytes = TwentyMegabytes();
    auto source = OpenFixture();
    std::vector<uint8_t> block(kBlockBytes);
    for (auto _ : state) {
        source->Seek(0);
        uint64_t sum = 0;
        while (const size_t got = source->Read(block.data(), block.size())) sum += block[got - 1];
        benchmark::DoNotOptimize(sum);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes.size()));
    state.SetLabel("baseline");
}
BENCHMARK(BM_NiffMainPass_Baseline)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace ql::niff
