// End to end over the frame: a writer-made two-page, two-system, three-staff
// score with page texts read in both passes and built, dumped as text (staves,
// pages, systems, margins, marks and their anchors) and compared whole.
#include <gtest/gtest.h>

#include <memory>
#include <sstream>
#include <string>

#include "core/state.h"
#include "interchange/byte_source.h"
#include "interchange/niff/niff_builder.h"
#include "interchange/niff/niff_import.h"
#include "interchange/niff/niff_import_state.h"
#include "interchange/tests/niff/niff_scores.h"
#include "platform/ui/headless.h"

namespace ql::niff {
namespace {

const char* AnchorName(NiffAnchor anchor) {
    switch (anchor) {
        case NiffAnchor::kPage: return "page";
        case NiffAnchor::kMeasure: return "measure";
        case NiffAnchor::kTime: return "time";
    }
    return "?";
}

std::string Dump(const NiffImportState& import) {
    std::ostringstream out;
    out << "staves " << import.staffCount << " scale " << import.unitScale << "\n";
    for (int staff = 1; staff <= import.staffCount; ++staff) {
        const NiffStaffFrame& s = import.frame.staves[static_cast<size_t>(staff)];
        out << "staff " << staff << " '" << s.label << "' lines " << s.lines << " channel " << s.channel << "\n";
    }
    for (const NiffPageFrame& page : import.frame.pages) {
        out << "page " << page.index << " measures " << page.firstMeasure << "-" << page.lastMeasure << " margins "
            << page.margins.left << " " << page.margins.top << " " << page.margins.right << " "
            << page.margins.bottom << "\n";
        for (const NiffSystemFrame& system : page.systems) {
            out << "  system measures " << system.firstMeasure << "-" << system.lastMeasure << " left " << system.left
                << " top " << system.top << " offsets";
            for (int staff = 1; staff <= import.staffCount; ++staff)
                out << " " << system.staffOffsets[static_cast<size_t>(staff)] << "/"
                    << int{system.staffFlags[static_cast<size_t>(staff)]};
            out << "\n";
        }
    }
    for (const NiffMark& mark : import.frame.marks)
        out << "mark '" << mark.text << "' " << AnchorName(mark.anchor) << " page " << mark.page << " measure "
            << mark.measure << " staff " << mark.staff << " at " << mark.x << "," << mark.y << "\n";
    return out.str();
}

TEST(NiffFrameDump, TwoPagesOfTwoSystemsOfThreeStaves) {
    ResetProgramState();
    ui::headless::ResetUi();
    testing::NiffScoreShape shape;
    shape.partStaves = {2, 1};
    shape.pages = 2;
    shape.systemsPerPage = 2;
    shape.stavesPerSystem = 3;
    shape.pageText = true;
    shape.measureText = true;
    const std::vector<uint8_t> bytes = testing::WriteNiffScore(shape);
    NiffImportState import;
    const NiffReadResult read = ReadNiffPasses(import, [&] { return ByteSource::FromMemory(bytes); });
    ASSERT_TRUE(read.complete);
    ASSERT_EQ(BuildScoreFromNiff(import), 0);
    EXPECT_TRUE(ui::headless::MessageBoxes().empty());
    // 2 score units a file unit; pages of 2720 x 3520 file units. Margins: left
    // and right from the systems' edges (160 and 160 + 2400), top from the first
    // system (400), bottom below the last system's last staff (1600 + 960 + 256).
    // Each system holds one measure until time slices are read.
    std::string expected =
        "staves 3 scale 2\n"
        "staff 1 'Part 1' lines 5 channel 0\n"
        "staff 2 '' lines 5 channel 0\n"
        "staff 3 'Part 2' lines 5 channel 1\n"
        "page 0 measures 1-2 margins 320 800 320 1408\n"
        "  system measures 1-1 left -30400 top -29408 offsets 0/0 960/0 1920/0\n"
        "  system measures 2-2 left -30400 top -27008 offsets 0/64 960/64 1920/64\n"
        "page 1 measures 3-4 margins 320 800 320 1408\n"
        "  system measures 3-3 left -30400 top -29408 offsets 0/64 960/64 1920/64\n"
        "  system measures 4-4 left -30400 top -27008 offsets 0/64 960/64 1920/64\n";
    for (int page = 0; page < 2; ++page) {
        expected += "mark 'Title' page page " + std::to_string(page) + " measure " + std::to_string(page * 2 + 1) +
                    " staff 1 at 800,240\n";
        for (int system = 0; system < 2; ++system)
            for (int staff = 1; staff <= 3; ++staff)
                expected += "mark 'Mark' time page " + std::to_string(page) + " measure " +
                            std::to_string(page * 2 + system + 1) + " staff " + std::to_string(staff) +
                            " at 0,0\n";
    }
    EXPECT_EQ(Dump(import), expected);
}

}  // namespace
}  // namespace ql::niff
