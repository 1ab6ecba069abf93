// The print dialog's page list read strictly: numbers in their order with
// repeats, every number within the limits, anything else refused; and random
// damaged texts never give more than a valid list or a refusal.
#include "shell/printing/page_list.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "platform/sysdlg/print_dialog.h"
#include "shell/printing/print_hook.h"

namespace ql {
namespace {

using Pages = std::vector<int32_t>;

Pages Read(std::string_view text, int32_t low = 1, int32_t high = 5) {
    PageListResult result = ParsePageList(text, low, high);
    return result.status == PageListStatus::Ok ? result.pages : Pages{-1};
}

// Commas and blanks separate, in any number; the typed order and repeats stay.
TEST(PageList, KeepsTheTypedOrderAndRepeats) {
    EXPECT_EQ(Read("3, 1 3"), (Pages{3, 1, 3}));
    EXPECT_EQ(Read(" ,,5\t,  2 ,"), (Pages{5, 2}));
    EXPECT_EQ(Read("003"), (Pages{3}));  // leading zeros are the same number
}

// Every number must lie within the limits; an empty list, signs, letters and
// numbers too large for any integer are refused without overflow.
TEST(PageList, RefusesWhatIsNotAListOfPagesInRange) {
    for (const char* text : {"", " , ,", "0", "6", "1 6", "-1", "+2", "2-4", "1a", "x",
                             "99999999999999999999999999", "4294967297", "1.5"})
        EXPECT_EQ(Read(text), (Pages{-1})) << '"' << text << '"';
    // Limits other than 1: a score numbered from 3.
    EXPECT_EQ(Read("3 4", 3, 7), (Pages{3, 4}));
    EXPECT_EQ(Read("2", 3, 7), (Pages{-1}));
}

// Only the first 255 characters count: the dialog's edit holds no more, and a
// number cut at the limit is read as far as it goes.
TEST(PageList, ReadsOnlyTheFirst255Characters) {
    std::string text(sysdlg::kMaxPageListText - 1, ' ');
    text += "23";
    EXPECT_EQ(Read(text), (Pages{2}));
    std::string many;
    while (many.size() < sysdlg::kMaxPageListText) many += "1 ";  // 256 characters
    EXPECT_EQ(Read(many + "x").size(), sysdlg::kMaxPageListText / 2 + 1);
}

// Random bytes, digits with huge values, signs and separators only: each text
// gives a list within the limits of at most 128 numbers, or a refusal.
TEST(PageList, RandomTextsGiveAValidListOrARefusal) {
    std::mt19937 random(47);
    const std::string alphabet = "0123456789 ,\t-+x.";
    for (int round = 0; round < 20000; ++round) {
        std::string text(random() % (sysdlg::kMaxPageListText + 40), '\0');
        const bool bytes = round % 3 == 0;
        for (char& c : text)
            c = bytes ? static_cast<char>(random() % 256) : alphabet[random() % alphabet.size()];
        const int32_t low = static_cast<int32_t>(random() % 4);
        const int32_t high = low + static_cast<int32_t>(random() % 200);
        PageListResult result = ParsePageList(text, low, high);
        if (result.status != PageListStatus::Ok) {
            EXPECT_TRUE(result.pages.empty());
            continue;
        }
        ASSERT_FALSE(result.pages.empty());
        ASSERT_LE(result.pages.size(), sysdlg::kMaxPageListText / 2 + 1);
        for (int32_t page : result.pages) {
            ASSERT_GE(page, low);
            ASSERT_LE(page, high);
        }
    }
}

// Box texts come from the language's table: a format with other conversions, or
// fewer numbers than "%d"s, is filled safely.
TEST(PageList, BoxTextsAreFilledSafely) {
    EXPECT_EQ(FormatNumbers("Enter (%d - %d)", {1, 5}), "Enter (1 - 5)");
    EXPECT_EQ(FormatNumbers("%s %d %d %n%", {7}), "%s 7 %d %n%");
    EXPECT_EQ(FormatNumbers("", {1}), "");
}

}  // namespace
}  // namespace ql
