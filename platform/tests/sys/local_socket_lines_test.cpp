// The open channel's message form: escaping, decoding with its refusals, and the
// line assembler that bounds what one connection may send without a line feed.
#include "platform/sys/local_socket_lines.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace ql::sys {
namespace {

TEST(OpenLineTest, PathsTravelIntactThroughTheEscapes) {
    const std::string paths[] = {
        "/home/u/score.ql",
        // A quote, a percent sign and a line feed would end the line or the string.
        "/tmp/a \"quoted\" 100% \nfile.ql",
        // Control bytes, a tab, and UTF-8 names pass as they are given.
        std::string("/tmp/\x01\x1f\t.ql"),
        "/home/u/Präludium für Klavier.ql",
        // An empty path is a path of its own (the server refuses it later).
        "",
    };
    for (const std::string& path : paths) {
        const std::string line = EncodeOpenLine(path);
        ASSERT_EQ(line.back(), '\n');
        // The line feed ends the line and occurs nowhere else.
        EXPECT_EQ(line.find('\n'), line.size() - 1) << path;
        const std::optional<std::string> decoded =
            DecodeOpenLine(std::string_view(line).substr(0, line.size() - 1));
        ASSERT_TRUE(decoded.has_value()) << line;
        EXPECT_EQ(*decoded, path);
    }
    EXPECT_EQ(EncodeOpenLine("/a\"b%c\n"), "[open(\"/a%22b%25c%0A\")]\n");
}

TEST(OpenLineTest, DamagedLinesAreRefused) {
    const char* bad[] = {
        "open(\"/a.ql\")]",      // no bracket in front
        "[open(\"/a.ql\")",      // no closing bracket
        "[open(/a.ql)]",         // no quotes
        "[open(\"/a\"b.ql\")]",  // a raw quote inside
        "[open(\"/a%2.ql\")]",   // an escape with one digit
        "[open(\"/a%G1.ql\")]",  // not a hex digit
        "[open(\"/a.ql%\")]",    // an escape cut off by the framing
        "[open(\"",              // framing overlapping itself
        "[open(\")]",
        "",
    };
    for (const char* line : bad) EXPECT_FALSE(DecodeOpenLine(line).has_value()) << line;
    // A raw control byte means the sender did not escape it.
    EXPECT_FALSE(DecodeOpenLine(std::string("[open(\"/a\x01.ql\")]")).has_value());
    // Lower-case escapes are read; the limit holds for the whole line.
    EXPECT_EQ(DecodeOpenLine("[open(\"/a%2fb\")]"), "/a/b");
    std::string longest = "[open(\"/" + std::string(kMaxOpenLineBytes - 11, 'x') + "\")]";
    EXPECT_EQ(longest.size(), kMaxOpenLineBytes);
    EXPECT_TRUE(DecodeOpenLine(longest).has_value());
    longest.insert(8, "y");
    EXPECT_FALSE(DecodeOpenLine(longest).has_value());
}

TEST(LineAssemblerTest, LinesSplitAcrossPiecesComeOutOnce) {
    LineAssembler assembler;
    std::vector<std::string> lines;
    assembler.Feed("ab", lines);
    EXPECT_TRUE(lines.empty());
    assembler.Feed("c\nde\n\nf", lines);
    // An empty line is a line; "f" waits for its line feed.
    EXPECT_EQ(lines, (std::vector<std::string>{"abc", "de", ""}));
    EXPECT_EQ(assembler.PendingBytes(), 1u);
    assembler.Feed("g\n", lines);
    EXPECT_EQ(lines.back(), "fg");
}

TEST(LineAssemblerTest, ALineAtTheLimitPassesAndOneByteMoreEndsTheStream) {
    LineAssembler assembler(8);
    std::vector<std::string> lines;
    assembler.Feed("12345678\n", lines);
    EXPECT_EQ(lines.size(), 1u);
    EXPECT_FALSE(assembler.IsOverlong());
    // The ninth byte comes in a later piece: the stream ends, nothing more comes out.
    assembler.Feed("12345", lines);
    assembler.Feed("6789", lines);
    EXPECT_TRUE(assembler.IsOverlong());
    EXPECT_EQ(assembler.PendingBytes(), 0u);
    assembler.Feed("\nok\n", lines);
    EXPECT_EQ(lines.size(), 1u);
}

// Random bytes in random pieces: the assembler gives exactly the lines a plain
// split gives, and never holds more than its limit.
TEST(LineAssemblerTest, RandomPiecesGiveThePlainSplit) {
    std::mt19937 random(4801);
    for (int round = 0; round < 200; ++round) {
        std::string stream;
        const size_t length = random() % 3000;
        for (size_t i = 0; i < length; ++i)
            stream += random() % 8 == 0 ? '\n' : static_cast<char>(random());
        std::vector<std::string> expected;
        size_t start = 0;
        for (size_t end = stream.find('\n'); end != std::string::npos;
             end = stream.find('\n', start)) {
            expected.push_back(stream.substr(start, end - start));
            start = end + 1;
        }
        LineAssembler assembler;
        std::vector<std::string> lines;
        for (size_t at = 0; at < stream.size();) {
            const size_t piece = std::min<size_t>(1 + random() % 50, stream.size() - at);
            assembler.Feed(std::string_view(stream).substr(at, piece), lines);
            EXPECT_LE(assembler.PendingBytes(), kMaxOpenLineBytes);
            at += piece;
        }
        EXPECT_EQ(lines, expected);
        // Random damage never decodes to a crash.
        for (const std::string& line : lines) (void)DecodeOpenLine(line);
    }
}

}  // namespace
}  // namespace ql::sys
