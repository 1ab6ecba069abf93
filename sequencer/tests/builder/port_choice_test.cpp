// Which device each logical port plays on, one rule for the port dialog and the
// run: a port nobody chose plays on the built-in synthesizer (wherever the list
// puts it), "NONE" plays nothing, a saved name wins over its entry, and a missing
// device plays on port A's (never on what now stands at its entry), the user told
// once. A run sends nothing for a port set to none.
#include <gtest/gtest.h>

#include "core/settings/logical_ports.h"
#include "platform/midi/fluid_device.h"
#include "sequencer/tests/builder/score_fixture.h"

namespace ql::testing {
namespace {

constexpr char kSynth[] = "Built-in Synthesizer";
constexpr int kNone = kNoDeviceEntry;

struct Row {
    const char* what;
    std::array<std::string, 2> names;  // ports A and B; C..H keep no choice
    std::array<int, 2> entries;
    std::array<std::string, 3> expected;  // A, B and C
};

TEST(PortChoice, EachPortFindsTheDeviceItPlaysOn) {
    const std::vector<midi::DeviceInfo> devices = {{"Keys", midi::DeviceKind::Port, false, true},
                                                   {"Ext", midi::DeviceKind::Port, true, false},
                                                   {kSynth, midi::DeviceKind::Synthesizer, true, false},
                                                   {"Other", midi::DeviceKind::Port, true, false}};
    const Row rows[] = {
        {"a first start: the synthesizer everywhere", {"", ""}, {0, 0}, {kSynth, kSynth, kSynth}},
        {"NONE plays nothing", {"", ""}, {kNone, 0}, {"", kSynth, kSynth}},
        {"entries count the outputs", {"", ""}, {1, 3}, {"Ext", "Other", kSynth}},
        {"a saved name wins over a stale entry", {"Other", ""}, {1, 0}, {"Other", kSynth, kSynth}},
        {"a missing device plays on port A's", {"Ext", "Unplugged"}, {0, 0}, {"Ext", "Ext", kSynth}},
        {"a missing name's entry is not played", {"Ext", "Unplugged"}, {1, 3}, {"Ext", "Ext", kSynth}},
        {"a missing port A plays on the default", {"Unplugged", ""}, {0, 0}, {kSynth, kSynth, kSynth}},
        {"an entry past the list is missing", {"", ""}, {1, 9}, {"Ext", "Ext", kSynth}},
        {"missing, with port A set to none", {"", "Unplugged"}, {kNone, 0}, {"", "", kSynth}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        PortChoices choices;
        for (int port = 0; port < 2; ++port) {
            choices.names[port] = row.names[port];
            choices.entries[port] = row.entries[port];
        }
        const std::array<std::string, kLogicalPortCount> found = ResolvePortDevices(devices, choices);
        for (int port = 0; port < 3; ++port) EXPECT_EQ(found[port], row.expected[port]) << "port " << port;
    }
    // Without the synthesizer the default is the first output; with no output,
    // nothing.
    const std::vector<midi::DeviceInfo> ports = {devices[0], devices[1], devices[3]};
    EXPECT_EQ(ResolvePortDevices(ports, PortChoices{})[0], "Ext");
    EXPECT_EQ(ResolvePortDevices({devices[0]}, PortChoices{})[0], "");
}

class PortChoiceRun : public ScoreTest {};

// Staff 1 on port A set to none, staff 2 on port B: only staff 2 is heard.
TEST_F(PortChoiceRun, APortSetToNoneSendsNothing) {
    midi::headless::AddDevice("Synth A", true, false);
    midi::headless::AddDevice("Synth B", true, false);
    BuildScore(2, 1);
    Note(1, 1, 0, kQuarter, 0);
    Note(2, 1, 0, kQuarter, 2);
    PlaybackRequest request = Request(1, 1);
    request.ports.entries = {kNone, 2, 0, 0, 0, 0, 0, 0};
    ASSERT_EQ(StartPlayback(request), PlaybackStart::Started);
    EXPECT_EQ(PlaybackDeviceOfPort(0), nullptr);
    for (int ms = 0; ms < 10000 && IsPlaybackRunning(); ms += 100) Advance(100);
    StopPlayback();
    const std::vector<midi::headless::SentMessage> sent = PlayedMessages();
    ASSERT_FALSE(sent.empty());
    for (const midi::headless::SentMessage& message : sent) {
        EXPECT_EQ(message.port, 1) << "port A, set to none, was heard";
        EXPECT_EQ(message.bytes[0] & 0x0F, 1) << "staff 1 was heard";
    }
}

// Staff 2's device is unplugged: it plays on port A's, and the user is told once,
// not at every Play, until the device has come back and gone again.
TEST_F(PortChoiceRun, AMissingDeviceIsToldOnce) {
    midi::headless::AddDevice("Synth A", true, false);
    midi::headless::AddDevice("Synth B", true, false);
    BuildScore(2, 1);
    Note(2, 1, 0, kQuarter, 2);
    const auto play = [&](const char* portB) {
        PlaybackRequest request = Request(1, 1);
        request.ports.names = {"Synth A", portB, "", "", "", "", "", ""};
        EXPECT_EQ(StartPlayback(request), PlaybackStart::Started);
        EXPECT_EQ(PlaybackDeviceOfPort(1), PlaybackDeviceOfPort(0));
        const std::vector<std::string> notices = PlaybackNotices();
        StopPlayback();
        return notices;
    };
    const std::vector<std::string> first = play("Unplugged");
    ASSERT_EQ(first.size(), 1u);
    EXPECT_NE(first[0].find("\"Unplugged\""), std::string::npos) << first[0];
    EXPECT_NE(first[0].find("\"Synth A\""), std::string::npos) << first[0];
    EXPECT_TRUE(play("Unplugged").empty());
    play("Synth A");
    EXPECT_EQ(play("Unplugged").size(), 1u);
}

}  // namespace
}  // namespace ql::testing
