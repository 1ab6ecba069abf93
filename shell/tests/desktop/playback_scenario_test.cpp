// Playback from the MIDI menu on the desktop: a tune imported from a MIDI file is
// played with MIDI > Start Playback (chosen by its mnemonics), paused, continued to
// its end, played and paused again and stopped. Start Recording stays gray: the
// machine has no MIDI input. The built-in synthesizer plays without a sound
// device. What the run is doing shows in the MIDI menu itself: Stop Play/Record is
// usable while a run is on (paused or not), and gray before and after it. Each Play
// is paused at once: a paused run stays on however slow the machine is. Device
// names saved in the settings that the machine does not have keep nothing from
// playing.
#include "shell/tests/desktop/played_tune.h"

namespace ql::desktop {
namespace {

// The MIDI popup's items: Start Playback, Start Recording, Pause Playback, Stop
// Play/Record, New Transcription, Show Mixers, Create Mixer and the Playback
// Options, Record Options and Setup submenus.
constexpr int kMidiItems = 10;
constexpr int kRecordItem = 1;
constexpr int kPauseItem = 2;
constexpr int kStopItem = 3;
// The tune: four measures at 120 beats a minute, eight seconds.
constexpr int kTuneMeasures = 4;
constexpr int kTuneTempo = 120;

class PlaybackScenario : public PlayedTuneScenario {
protected:
    // Opens the MIDI menu, takes the ink of an item's text (black when usable, gray
    // when not: gray is lighter than the dark-pixel bound) and closes it again. The
    // first usable item is highlighted; Start Playback is, and the items measured
    // come after it. -1 when the menu did not open.
    int64_t ItemInk(int item) {
        if (!OpenFrameMenu('m')) return -1;
        x_.Settle();
        const ScreenPicture popup = x_.Grab(x_.Popups().front());
        const int row = popup.height / kMidiItems;
        const int64_t ink = popup.DarkPixels(2, item * row + 1, popup.width - 2, (item + 1) * row - 1);
        x_.PressKey("Escape");
        x_.PressKey("Escape");  // out of the menu bar as well
        EXPECT_TRUE(WaitFor([&] { return x_.Popups().empty(); })) << "the MIDI menu stayed open";
        return ink;
    }
    int64_t StopItemInk() { return ItemInk(kStopItem); }
    bool StopUsable() { return StopItemInk() > gray_ + kTextInk; }
    // Polls the menu until Stop is gray: the run has ended; bounded (generously:
    // only a hang takes this long).
    bool WaitForRunEnd() {
        return WaitFor([&] { return !StopUsable(); }, Millis{60000});
    }
    void PlayAndPause() {
        ChooseMenuItem('m', 'p');  // Start Playback
        ChooseMenuItem('m', 'a');  // Pause Playback
    }
    // The least ink a usable item's text adds over the gray one.
    static constexpr int64_t kTextInk = 40;
    int64_t gray_ = 0;
};

TEST_F(PlaybackScenario, PlayPauseContinueAndStopFromTheMidiMenu) {
    ASSERT_TRUE(StartProgram());
    ASSERT_TRUE(ImportTune("tune", kTuneMeasures, kTuneTempo)) << "the tune did not open";
    gray_ = StopItemInk();
    ASSERT_GE(gray_, 0) << "no MIDI menu";
    // Pause and Start Recording are gray like Stop (all three unusable when idle
    // without a MIDI input), so each matches Stop's gray ink.
    const int64_t pauseGray = ItemInk(kPauseItem);
    EXPECT_LE(ItemInk(kRecordItem), pauseGray + kTextInk) << "Start Recording is usable without a MIDI input";

    PlayAndPause();
    EXPECT_TRUE(StopUsable()) << "Start Playback started no run, or Pause did not hold it";
    // Pause continues the paused run (Start Playback is gray while paused), which
    // ends with the tune.
    ChooseMenuItem('m', 'a');
    EXPECT_TRUE(WaitForRunEnd()) << "the continued run did not end with the tune";

    PlayAndPause();
    ASSERT_TRUE(StopUsable()) << "a second run did not start";
    ChooseMenuItem('m', 's');  // Stop Play/Record
    EXPECT_FALSE(StopUsable()) << "Stop did not end the run";
    EXPECT_TRUE(program_->IsRunning());
    EXPECT_EQ(QuitWithoutSaving(), 0);
}

// Device names saved in the settings that this machine does not have (an
// unplugged click device, keyboard and sync source) with the metronome on: Play
// still starts and plays the tune to its end, and nothing is refused.
TEST_F(PlaybackScenario, StaleDeviceNamesDoNotStopPlay) {
    WriteSettings("[Options]\nPlayMetro=1\nAllowStepEntry=1\nMetronomePort=5\n"
                  "MetronomePortName=Unplugged Clicks\nMidiStepInPortName=Unplugged Keys\n"
                  "SyncInPortName=Unplugged Clock\n");
    ASSERT_TRUE(StartProgram());
    ASSERT_TRUE(ImportTune("tune", kTuneMeasures, kTuneTempo)) << "the tune did not open";
    gray_ = StopItemInk();
    ASSERT_GE(gray_, 0) << "no MIDI menu";
    PlayAndPause();
    EXPECT_TRUE(StopUsable()) << "Start Playback started no run with the metronome on";
    ChooseMenuItem('m', 'a');  // continue
    EXPECT_TRUE(WaitForRunEnd()) << "the run did not end with the tune";
    EXPECT_TRUE(NoMessageBoxComes()) << "a box came up";
    EXPECT_TRUE(program_->IsRunning());
    EXPECT_EQ(QuitWithoutSaving(), 0);
}

}  // namespace
}  // namespace ql::desktop
