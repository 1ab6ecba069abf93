// The parser of received MIDI bytes: whole messages pass, everything malformed is
// dropped and counted; and a seeded stream of damaged bytes never yields a
// half-formed message.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

#include "platform/midi/input_parser.h"

namespace ql::midi {
namespace {

struct Collected final : ParserSink {
    std::vector<uint32_t> shorts;
    std::vector<std::vector<uint8_t>> longs;
    void OnShort(uint32_t message) override { shorts.push_back(message); }
    void OnLong(std::span<const uint8_t> bytes) override { longs.emplace_back(bytes.begin(), bytes.end()); }
};

Collected Parse(InputParser& parser, std::vector<uint8_t> bytes) {
    Collected sink;
    parser.Feed(bytes, sink);
    return sink;
}

// Channel messages with running status; real time inside a message passes at
// once and leaves the message whole.
TEST(MidiInputParser, PassesWholeMessages) {
    InputParser parser;
    Collected got = Parse(parser, {0x90, 60, 100, 62, 0, 0xC3, 5, 7, 0xE0, 0x00, 0xF8, 0x40});
    EXPECT_EQ(got.shorts, (std::vector<uint32_t>{0x643C90, 0x003E90, 0x05C3, 0x07C3, 0xF8, 0x4000E0}));
    // System common: song position takes two bytes and ends running status.
    got = Parse(parser, {0xF2, 1, 2, 3});
    EXPECT_EQ(got.shorts, (std::vector<uint32_t>{0x0201F2}));
    EXPECT_EQ(parser.Counters().strayData, 1u);
    // A system-exclusive message with a clock inside it.
    got = Parse(parser, {0xF0, 0x43, 0xF8, 0x10, 0xF7});
    EXPECT_EQ(got.shorts, (std::vector<uint32_t>{0xF8}));
    EXPECT_EQ(got.longs, (std::vector<std::vector<uint8_t>>{{0xF0, 0x43, 0x10, 0xF7}}));
}

// Each kind of damage, counted once, with the message after it intact.
TEST(MidiInputParser, DropsAndCountsDamage) {
    InputParser parser;
    Collected got = Parse(parser, {0xF4, 0xF5, 0xF9, 0xFD, 0xF7});  // undefined statuses, a lone F7
    EXPECT_TRUE(got.shorts.empty());
    EXPECT_EQ(parser.Counters().badStatus, 5u);
    got = Parse(parser, {0x12, 0x90, 60, 0x80, 60, 0});  // stray data; a note-on cut off
    EXPECT_EQ(got.shorts, (std::vector<uint32_t>{0x3C80}));
    EXPECT_EQ(parser.Counters().strayData, 1u);
    EXPECT_EQ(parser.Counters().truncated, 1u);
    got = Parse(parser, {0xF0, 1, 2, 0xB0, 7, 9});  // a SysEx cut off by a status
    EXPECT_TRUE(got.longs.empty());
    EXPECT_EQ(got.shorts, (std::vector<uint32_t>{0x0907B0}));
    EXPECT_EQ(parser.Counters().truncated, 2u);
    std::vector<uint8_t> overlong(kMaxInputSysExBytes + 1, 0x05);
    overlong.front() = 0xF0;
    overlong.push_back(0xF7);
    got = Parse(parser, overlong);
    EXPECT_TRUE(got.longs.empty());
    EXPECT_EQ(parser.Counters().overlong, 1u);
    // The longest SysEx that fits still passes.
    std::vector<uint8_t> longest(kMaxInputSysExBytes, 0x05);
    longest.front() = 0xF0;
    longest.back() = 0xF7;
    EXPECT_EQ(Parse(parser, longest).longs.size(), 1u);
}

// Lost bytes cut off what was in progress and forget running status.
TEST(MidiInputParser, InterruptDropsTheMessageInProgress) {
    InputParser parser;
    Parse(parser, {0x90, 60});
    parser.Interrupt();
    Collected got = Parse(parser, {70, 0x90, 61, 1});
    EXPECT_EQ(got.shorts, (std::vector<uint32_t>{0x013D90}));
    EXPECT_EQ(parser.Counters().truncated, 1u);
    EXPECT_EQ(parser.Counters().strayData, 1u);
}

// Random damaged streams, fed in random pieces: every message passed on is
// whole (a valid status, its length, 7-bit data; a SysEx from F0 to F7 within
// the limit), and feeding in pieces gives what feeding at once gives.
TEST(MidiInputParser, SeededDamagedStreamsYieldOnlyWholeMessages) {
    std::mt19937 random(20240611);
    for (int round = 0; round < 200; ++round) {
        std::vector<uint8_t> stream(1 + random() % 3000);
        for (uint8_t& byte : stream) {
            uint32_t pick = random() % 10;
            byte = pick < 6 ? static_cast<uint8_t>(random() % 0x80) : static_cast<uint8_t>(0x80 + random() % 0x80);
        }
        InputParser whole;
        Collected once = Parse(whole, stream);
        InputParser pieces;
        Collected inPieces;
        for (size_t at = 0; at < stream.size();) {
            size_t length = std::min<size_t>(1 + random() % 40, stream.size() - at);
            pieces.Feed(std::span<const uint8_t>(stream.data() + at, length), inPieces);
            at += length;
        }
        EXPECT_EQ(once.shorts, inPieces.shorts);
        EXPECT_EQ(once.longs, inPieces.longs);
        for (uint32_t message : once.shorts) {
            auto status = static_cast<uint8_t>(message);
            int length = ShortMessageLength(status);
            ASSERT_GT(length, 0);
            EXPECT_EQ(message >> (8 * length), 0u);
            for (int i = 1; i < length; ++i) EXPECT_LT((message >> (8 * i)) & 0xFF, 0x80u);
        }
        for (const std::vector<uint8_t>& sysEx : once.longs) {
            ASSERT_GE(sysEx.size(), 2u);
            EXPECT_LE(sysEx.size(), kMaxInputSysExBytes);
            EXPECT_EQ(sysEx.front(), 0xF0);
            EXPECT_EQ(sysEx.back(), 0xF7);
            for (size_t i = 1; i + 1 < sysEx.size(); ++i) EXPECT_LT(sysEx[i], 0x80);
        }
    }
}

}  // namespace
}  // namespace ql::midi
