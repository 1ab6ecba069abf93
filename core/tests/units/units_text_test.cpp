// Status-text joining and the module-and-line tag.
#include <gtest/gtest.h>

#include <string>

#include "core/state.h"
#include "core/units/status_text.h"

namespace ql {
namespace {

class StatusTextTest : public ::testing::Test {
  protected:
    void SetUp() override { ResetProgramState(); }
};

// Texts are joined with blanks only when spaced, and no blank trails a missing third.
TEST_F(StatusTextTest, JoinsTextsWithOptionalBlanks) {
    EXPECT_STREQ(BuildStatusText(true, "Notice:", "No room", "here"), "Notice: No room here");
    EXPECT_STREQ(BuildStatusText(false, "ab", "cd", "ef"), "abcdef");
    EXPECT_STREQ(BuildStatusText(true, "Notice:", "No room"), "Notice: No room");
    EXPECT_STREQ(BuildStatusText(true, nullptr, "x"), " x");
}

// A text longer than the shared buffer is cut, never overrun.
TEST_F(StatusTextTest, LongTextsAreTruncatedToTheBuffer) {
    std::string longText(kStatusTextBytes * 2, 'a');
    const char* joined = BuildStatusText(true, longText.c_str(), "b", "c");
    EXPECT_EQ(std::string(joined).size(), static_cast<size_t>(kStatusTextBytes - 1));
}

// The tag is "[%s.%d] " with a trailing blank.
TEST_F(StatusTextTest, ModuleLineTagHasModuleLineAndBlank) {
    EXPECT_STREQ(FormatModuleLine("UNITS", 1180), "[UNITS.1180] ");
    EXPECT_STREQ(FormatModuleLine("BEATMAP", -3), "[BEATMAP.-3] ");
}

}  // namespace
}  // namespace ql
