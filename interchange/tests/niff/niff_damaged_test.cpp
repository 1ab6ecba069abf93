// Damaged NIFF files: writer-made fixtures mutated at random (a fixed seed and
// count: bit flips, cuts, rewritten lengths, duplicated and swapped chunks, deep
// nesting) are read with the tag-state handlers registered. Every pass must end,
// each with at most one message, and nothing may read outside its buffers (the
// sanitizers watch).
#include <gtest/gtest.h>

#include <random>

#include "core/state.h"
#include "interchange/byte_source.h"
#include "interchange/niff/niff_import_state.h"
#include "interchange/niff/niff_writer.h"
#include "interchange/tests/niff/niff_mutations.h"
#include "interchange/tests/niff/niff_recorder.h"
#include "platform/ui/headless.h"

namespace ql::niff {
namespace {

constexpr uint32_t kSeed = 0x0D1FF5EE;
constexpr int kCases = 20'000;

std::vector<uint8_t> Fixture() {
    NiffWriter out;
    out.BeginForm("NIFF");
    out.BeginList("setp");
    out.BeginChunk("nnfo", {"6b", 1, 2, 3, 4});
    out.EndChunk();
    out.BeginChunk("clt ");
    out.Text("part");
    out.Bytes(std::vector<uint8_t>{0, 0, 0, 14});
    out.EndChunk();
    out.EndList();
    out.BeginList("data");
    out.BeginChunk("taga");
    out.Tag(2, {1});
    out.EndChunk();
    for (int i = 0; i < 6; ++i) {
        out.BeginList("grup");
        out.BeginChunk("note", {i, -1, NiffField::Rational(1, 4)});
        out.Tag(1, {10, 20});
        out.Tag(24, {1, 2, 3, 4});
        out.EndChunk();
        out.BeginChunk("text", {i * 3});
        out.Tag(8, {2, -1});
        out.EndChunk();
        out.EndList();
    }
    out.BeginChunk("tagi");
    out.EndChunk();
    out.EndList();
    out.EndList();
    return out.Take();
}

TEST(NiffDamagedFiles, MutantsEndTheirPassesCleanly) {
    SCOPED_TRACE("seed " + std::to_string(kSeed));
    ResetProgramState();
    std::mt19937 random(kSeed);
    const std::vector<uint8_t> fixture = Fixture();
    for (int i = 0; i < kCases; ++i) {
        std::vector<uint8_t> bytes = fixture;
        testing::Mutate(bytes, random);
        ui::headless::ResetUi();
        NiffImportState state;
        auto reader = OpenNiffReader(ByteSource::FromMemory(bytes), &state);
        for (int pass = 0; pass < 2; ++pass) {
            testing::RegisterTagState(*reader);
            RunNiffPass(*reader);
        }
        // Each pass shows at most one message.
        ASSERT_LE(ui::headless::MessageBoxes().size(), 2u) << "case " << i;
    }
}

}  // namespace
}  // namespace ql::niff
