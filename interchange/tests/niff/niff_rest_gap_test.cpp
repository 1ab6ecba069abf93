// Rests made for the gaps of a voice: the largest dotted values that fit, nothing
// for gaps below a 32nd, and no short rest after a tuplet's note.
#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "interchange/niff/niff_rest_gaps.h"

namespace ql::niff {
namespace {

std::string Rests(int32_t start, int32_t end, bool afterTuplet = false) {
    std::vector<NiffRestFill> rests;
    FillNiffRestGap(start, end, afterTuplet, rests);
    std::ostringstream out;
    for (const NiffRestFill& rest : rests)
        out << rest.tick << ":" << rest.duration << "/" << rest.code << "." << rest.dots << " ";
    return out.str();
}

TEST(NiffRestGaps, GapsBecomeTheLargestDottedValuesThatFit) {
    EXPECT_EQ(Rests(0, 1536), "0:1536/10.1 ");
    EXPECT_EQ(Rests(0, 1792), "0:1792/10.2 ");
    EXPECT_EQ(Rests(0, 4608), "0:4096/12.0 4096:512/9.0 ");
    EXPECT_EQ(Rests(1024, 4096), "1024:3072/11.1 ");
    EXPECT_EQ(Rests(0, 128), "0:128/7.0 ");
    // 1,920 ticks: a triple-dotted quarter.
    EXPECT_EQ(Rests(0, 1920), "0:1920/10.3 ");
}

TEST(NiffRestGaps, NothingBelowAThirtySecond) {
    EXPECT_EQ(Rests(0, 16), "");
    EXPECT_EQ(Rests(0, 31), "");
    // What is left below a 32nd after a rest stays empty.
    EXPECT_EQ(Rests(0, 1024 + 20), "0:1024/10.0 ");
    EXPECT_EQ(Rests(100, 100), "");
    EXPECT_EQ(Rests(200, 100), "");
}

TEST(NiffRestGaps, ShortRestsAfterATupletAreLeftOut) {
    EXPECT_EQ(Rests(0, 128, true), "");
    // A quarter stays, the 32nd after it goes.
    EXPECT_EQ(Rests(896, 2048, true), "896:1024/10.0 ");
    EXPECT_EQ(Rests(0, 192, true), "");
    EXPECT_EQ(Rests(0, 640, true), "0:512/9.0 ");
}

}  // namespace
}  // namespace ql::niff
