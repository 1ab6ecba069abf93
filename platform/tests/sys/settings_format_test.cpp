// The settings text form: escapes that let every byte round-trip, names without regard
// to case, the lenient reader's faults, numbers, and a seeded random-mutation driver
// that checks the reader never fails and its result is stable when written and read.
#include "platform/sys/settings_format.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace ql::sys {
namespace {

std::string AllBytes() {
    std::string bytes;
    for (int c = 0; c < 256; ++c) bytes.push_back(static_cast<char>(c));
    return bytes;
}

SettingsTree RoundTrip(const SettingsTree& tree) {
    SettingsParse parse = ParseSettingsText(FormatSettingsText(tree));
    EXPECT_FALSE(parse.IsDamaged());
    return parse.tree;
}

std::vector<SettingsDamage> Damages(const SettingsParse& parse) {
    std::vector<SettingsDamage> out;
    for (const SettingsFault& fault : parse.faults) out.push_back(fault.damage);
    return out;
}

// Every byte value survives in a value, a key and a section name, and so do the
// characters that mean something in a line, wherever they stand.
TEST(SettingsFormat, EveryByteRoundTrips) {
    SettingsTree tree;
    const std::string bytes = AllBytes();
    tree.Set("Options", "all", bytes);
    tree.Set("Options", "newline", "a\nb\r\nc");
    tree.Set("Options", "edges", "  padded\t ");
    tree.Set("Options", "looks like a header", "[Options]");
    tree.Set("Options", "equals", "a=b==c");
    tree.Set("Options", "backslash", "C:\\x41\\");
    tree.Set("Options", "empty", "");
    tree.Set("Options", "[odd key]", "1");
    tree.Set("Options", ";comment-like key", "2");
    tree.Set("Options", " spaced key ", "3");
    tree.Set("Options", "a=b", "4");
    tree.Set(bytes, bytes, bytes);
    tree.Set("]closing[", "k", "v");
    EXPECT_EQ(RoundTrip(tree), tree);
}

// Escapes appear only where needed: plain text and high bytes are written as they are.
TEST(SettingsFormat, EscapesOnlyWhatALineCannotHold) {
    EXPECT_EQ(EscapeSettingsText("C:/Scores/\xE9t\xE9.ql", SettingsField::Value),
              "C:/Scores/\xE9t\xE9.ql");
    EXPECT_EQ(EscapeSettingsText("a\nb", SettingsField::Value), "a\\x0Ab");
    EXPECT_EQ(EscapeSettingsText("[x]", SettingsField::Value), "\\x5Bx]");
    EXPECT_EQ(EscapeSettingsText("[x]", SettingsField::Section), "\\x5Bx\\x5D");
    EXPECT_EQ(EscapeSettingsText("#k", SettingsField::Key), "\\x23k");
    EXPECT_EQ(EscapeSettingsText("#k", SettingsField::Value), "#k");
    EXPECT_EQ(EscapeSettingsText(" a b ", SettingsField::Value), "\\x20a b\\x20");
    EXPECT_EQ(EscapeSettingsText("\\", SettingsField::Value), "\\x5C");
}

// A backslash must be followed by x and two hexadecimal digits, in either case.
TEST(SettingsFormat, UnescapeRefusesBrokenEscapes) {
    EXPECT_EQ(UnescapeSettingsText("\\x41\\X4a"), "AJ");
    EXPECT_FALSE(UnescapeSettingsText("\\"));
    EXPECT_FALSE(UnescapeSettingsText("\\x4"));
    EXPECT_FALSE(UnescapeSettingsText("\\x4G"));
    EXPECT_FALSE(UnescapeSettingsText("\\n"));
}

// Sections and keys are found whatever their letter case and keep the case first
// written; a later write replaces the value in place.
TEST(SettingsFormat, NamesCompareWithoutCase) {
    SettingsTree tree;
    tree.Set("Options", "StaffSize", "4");
    tree.Set("OPTIONS", "staffsize", "5");
    ASSERT_EQ(tree.Sections().size(), 1u);
    EXPECT_EQ(tree.Sections()[0].name, "Options");
    EXPECT_EQ(tree.Sections()[0].values[0].key, "StaffSize");
    EXPECT_EQ(*tree.Find("options", "STAFFSIZE"), "5");
    EXPECT_TRUE(tree.Erase("options", "staffSIZE"));
    EXPECT_FALSE(tree.Erase("options", "StaffSize"));
    EXPECT_NE(tree.FindSection("Options"), nullptr);  // the section stays
}

// Each kind of damaged line is skipped and recorded with its line; the good lines
// around it are kept.
TEST(SettingsFormat, DamagedLinesAreSkippedAndRecorded) {
    const std::string text =
        "orphan=1\n"        // 1: before any section
        "[Options]\n"       // 2
        "StaffSize=4\n"     // 3
        "no equals sign\n"  // 4
        "Bin=\x01\x02\n"    // 5: raw control bytes
        "Esc=\\q\n"         // 6: broken escape
        "=nameless\n"       // 7
        "  ; a comment\n"   // 8: fine
        "\n"                // 9: fine
        "Tempo = 120 \r\n"  // 10: spaces and CR are trimmed
        "[Broken\n"         // 11: no closing bracket
        "Lost=1\n"          // 12: belongs to no section
        "[Metrics]\n"       // 13
        "Beat0=2.0";        // 14: no final newline
    SettingsParse parse = ParseSettingsText(text);
    EXPECT_EQ(Damages(parse),
              (std::vector<SettingsDamage>{
                  SettingsDamage::OutsideSection, SettingsDamage::LineWithoutEquals,
                  SettingsDamage::ControlBytes, SettingsDamage::BadEscape, SettingsDamage::EmptyKey,
                  SettingsDamage::BadSectionHeader, SettingsDamage::OutsideSection}));
    EXPECT_EQ(parse.faults[0].line, 1);
    EXPECT_EQ(parse.faults[5].line, 11);
    EXPECT_EQ(*parse.tree.Find("Options", "StaffSize"), "4");
    EXPECT_EQ(*parse.tree.Find("Options", "Tempo"), "120");
    EXPECT_EQ(*parse.tree.Find("Metrics", "Beat0"), "2.0");
    EXPECT_EQ(parse.tree.Find("Options", "Lost"), nullptr);
}

// A byte-order mark is passed over; an oversized text is read up to the limit, its
// cut-off last line dropped.
TEST(SettingsFormat, ByteOrderMarkAndOversizedText) {
    EXPECT_FALSE(ParseSettingsText("\xEF\xBB\xBF[A]\nk=v\n").IsDamaged());
    std::string big = "[A]\nfirst=1\n";
    while (big.size() <= kMaxSettingsTextBytes) big += "filler=0123456789\n";
    big.insert(kMaxSettingsTextBytes - 3, "cut=half");
    SettingsParse parse = ParseSettingsText(big);
    EXPECT_EQ(Damages(parse).back(), SettingsDamage::TooLarge);
    EXPECT_EQ(*parse.tree.Find("A", "first"), "1");
    EXPECT_EQ(parse.tree.Find("A", "cut"), nullptr);
}

// Numbers are signed decimal within 32 bits and nothing else.
TEST(SettingsFormat, NumbersAreStrictSignedDecimal) {
    EXPECT_EQ(ParseSettingsNumber("-2147483648"), -2147483647 - 1);
    EXPECT_EQ(ParseSettingsNumber("2147483647"), 2147483647);
    EXPECT_EQ(ParseSettingsNumber("0"), 0);
    EXPECT_FALSE(ParseSettingsNumber("2147483648"));
    EXPECT_FALSE(ParseSettingsNumber("4294967295"));
    EXPECT_FALSE(ParseSettingsNumber(""));
    EXPECT_FALSE(ParseSettingsNumber("12a"));
    EXPECT_FALSE(ParseSettingsNumber("+1"));
    EXPECT_FALSE(ParseSettingsNumber("0x10"));
    EXPECT_FALSE(ParseSettingsNumber(" 1"));
    EXPECT_EQ(FormatSettingsNumber(-2147483647 - 1), "-2147483648");
}

// Seeded random mutations of a full text (bytes changed, inserted, deleted, lines
// duplicated): the reader always gives a tree, and writing that tree and reading it
// again gives the same tree with no damage.
TEST(SettingsFormat, RandomMutationsReadAndSettle) {
    SettingsTree full;
    for (int s = 0; s < 6; ++s)
        for (int k = 0; k < 40; ++k)
            full.Set("Section" + std::to_string(s), "Key" + std::to_string(k),
                     k % 3 == 0 ? std::to_string(k * 37 - 500)
                                : "text \\ = [" + std::to_string(k) + "]\n");
    const std::string text = FormatSettingsText(full);
    std::mt19937 random(20240611);
    for (int round = 0; round < 400; ++round) {
        std::string mutated = text;
        const int edits = 1 + static_cast<int>(random() % 12);
        for (int e = 0; e < edits && !mutated.empty(); ++e) {
            const size_t at = random() % mutated.size();
            switch (random() % 4) {
                case 0:
                    mutated[at] = static_cast<char>(random() % 256);
                    break;
                case 1:
                    mutated.insert(at, 1, static_cast<char>(random() % 256));
                    break;
                case 2:
                    mutated.erase(at, 1 + random() % 8);
                    break;
                default:
                    mutated.insert(at, mutated.substr(at, random() % 64));
                    break;
            }
        }
        SettingsParse first = ParseSettingsText(mutated);
        SettingsParse second = ParseSettingsText(FormatSettingsText(first.tree));
        ASSERT_FALSE(second.IsDamaged()) << "round " << round;
        ASSERT_EQ(second.tree, first.tree) << "round " << round;
    }
}

}  // namespace
}  // namespace ql::sys
