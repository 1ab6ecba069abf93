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

void Mutate(std::vector<uint8_t>& bytes, std::mt19937& random) {
    switch (random() % 5) {
        case 0:  // bit flips
            for (int i = 0; i < 1 + static_cast<int>(random() % 6); ++i)
                bytes[random() % bytes.size()] ^= static_cast<uint8_t>(1u << (random() % 8));
            break;
        case 1:  // a cut
            bytes.resize(random() % bytes.size());
            break;
        case 2: {  // a rewritten length field (any 4 bytes after an id-like place)
            const size_t at = 4 + random() % (bytes.size() - 4);
            const uint32_t length =
                random() % 3 == 0 ? 0xFFFFFFFFu : static_cast<uint32_t>(random() % 200);
            for (int i = 0; i < 4 && at + static_cast<size_t>(i) < bytes.size(); ++i)
                bytes[at + static_cast<size_t>(i)] = static_cast<uint8_t>(length >> (24 - 8 * i));
            break;
        }
        case 3: {  // a run copied over another place (duplicated or swapped chunks)
            const size_t from = random() % bytes.size();
            const size_t to = random() % bytes.size();
            const size_t count =
                std::min({bytes.size() - from, bytes.size() - to, size_t{1} + random() % 40});
            std::copy_n(
                std::vector<uint8_t>(bytes.begin() + static_cast<long>(from), bytes.end()).begin(),
                count, bytes.begin() + static_cast<long>(to));
            break;
        }
        default:  // random tag bytes
            for (int i = 0; i < 4; ++i)
                bytes[random() % bytes.size()] = static_cast<uint8_t>(random());
    }
}

TEST(NiffDamagedFiles, MutantsEndTheirPassesCleanly) {
    SCOPED_TRACE("seed " + std::to_string(kSeed));
    ResetProgramState();
    std::mt19937 random(kSeed);
    const std::vector<uint8_t> fixture = Fixture();
    for (int i = 0; i < kCases; ++i) {
        std::vector<uint8_t> bytes = fixture;
        Mutate(bytes, random);
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
