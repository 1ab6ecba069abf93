// Damaged NIFF scores through both passes of the import with every handler and
// the builder: a fixed seed and count of mutants of writer-made scores. Every
// import must end with at most one reader message per pass and no box but those
// of the import, and leave nothing tracked (the sanitizers watch the rest).
#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <string>

#include "core/state.h"
#include "interchange/byte_source.h"
#include "interchange/niff/niff_builder.h"
#include "interchange/niff/niff_import.h"
#include "interchange/niff/niff_import_state.h"
#include "interchange/niff/niff_messages.h"
#include "interchange/tests/niff/niff_mutations.h"
#include "interchange/tests/niff/niff_scores.h"
#include "platform/ui/headless.h"

namespace ql::niff {
namespace {

constexpr uint32_t kSeed = 0x5EEDF11E;
constexpr int kCases = 20'000;

TEST(NiffDamagedImports, MutantsImportOrEndCleanly) {
    SCOPED_TRACE("seed " + std::to_string(kSeed));
    ResetProgramState();
    testing::NiffScoreShape shape;
    shape.partStaves = {2, 1};
    shape.stavesPerSystem = 3;
    shape.pages = 2;
    shape.systemsPerPage = 2;
    shape.pageText = true;
    shape.measureText = true;
    const std::vector<uint8_t> frame = testing::WriteNiffScore(shape);
    // Every other mutant comes from a score with measures, notes, rests, beams,
    // barlines and repeats, and marks on the notes and in the measures.
    shape.measuresPerSystem = 2;
    shape.notes = true;
    shape.marks = true;
    shape.barlines = {1, 2};
    shape.repeats = {{10, 1}, {3, 2}};
    const std::vector<uint8_t> music = testing::WriteNiffScore(shape);
    std::mt19937 random(kSeed);
    for (int i = 0; i < kCases; ++i) {
        std::vector<uint8_t> bytes = i % 2 == 0 ? frame : music;
        testing::Mutate(bytes, random);
        ui::headless::ResetUi();
        NiffImportState state;
        const NiffReadResult read = ReadNiffPasses(state, [&] { return ByteSource::FromMemory(bytes); });
        if (read.read) BuildScoreFromNiff(state);
        ReleaseNiffImport(state);
        ASSERT_EQ(state.blocks.Count(), 0u) << "case " << i;
        ASSERT_LE(ui::headless::MessageBoxes().size(), 3u) << "case " << i;
        for (const auto& box : ui::headless::MessageBoxes())
            ASSERT_EQ(box.caption, kNiffImportCaption) << "case " << i;
        ASSERT_LE(state.staffCount, kNiffMaxStaves) << "case " << i;
        ASSERT_GE(state.staffCount, 1) << "case " << i;
    }
}

}  // namespace
}  // namespace ql::niff
