// The program's built-in strings: each id reads the first text the table lists for
// it, whatever the table's order, and an id the table lacks reads nothing.
#include "shell/resources/program_strings.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace ql {
namespace {

TEST(ProgramStringsTest, EveryIdReadsTheFirstTextListedForIt) {
    const std::span<const ProgramStringEntry> table = ProgramStringTable();
    ASSERT_FALSE(table.empty());
    for (const ProgramStringEntry& entry : table) {
        const auto first =
            std::find_if(table.begin(), table.end(),
                         [&](const ProgramStringEntry& e) { return e.id == entry.id; });
        const char* text = BuiltInProgramString(entry.id);
        ASSERT_NE(text, nullptr) << entry.id;
        EXPECT_STREQ(text, first->text) << entry.id;
    }
}

TEST(ProgramStringsTest, AnIdTheTableLacksReadsNothing) {
    const std::span<const ProgramStringEntry> table = ProgramStringTable();
    const auto [lowest, highest] = std::minmax_element(
        table.begin(), table.end(),
        [](const ProgramStringEntry& a, const ProgramStringEntry& b) { return a.id < b.id; });
    EXPECT_EQ(BuiltInProgramString(lowest->id - 1), nullptr);
    EXPECT_EQ(BuiltInProgramString(highest->id + 1), nullptr);
    // A gap between two listed ids.
    for (const ProgramStringEntry& entry : table) {
        const int32_t next = entry.id + 1;
        const bool listed =
            std::any_of(table.begin(), table.end(),
                        [next](const ProgramStringEntry& e) { return e.id == next; });
        if (!listed && next < highest->id) {
            EXPECT_EQ(BuiltInProgramString(next), nullptr) << next;
            return;
        }
    }
}

}  // namespace
}  // namespace ql
