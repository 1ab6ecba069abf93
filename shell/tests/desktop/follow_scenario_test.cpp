// Following the music on the desktop: while a tune imported from a MIDI file plays
// from the MIDI menu (paused at once, so that the run stays on however slow the
// machine is), the measure being played is framed in red on the page; Stop takes
// the frame away.
#include <algorithm>

#include "shell/tests/desktop/played_tune.h"

namespace ql::desktop {
namespace {

// Red: a strong red channel over weak green and blue.
constexpr uint32_t kStrongRed = 180;
constexpr uint32_t kWeakChannel = 90;
// The frame of one measure on one staff is far more than this many pixels.
constexpr int64_t kFramePixels = 100;
constexpr Millis kRedrawTimeout{5000};
// The tune: four measures at 120 beats a minute, eight seconds.
constexpr int kTuneMeasures = 4;
constexpr int kTuneTempo = 120;

int64_t RedPixels(const ScreenPicture& picture) {
    int64_t count = 0;
    for (const uint32_t p : picture.pixels) {
        const uint32_t r = (p >> 16) & 0xFF;
        const uint32_t g = (p >> 8) & 0xFF;
        const uint32_t b = p & 0xFF;
        count += r >= kStrongRed && g <= kWeakChannel && b <= kWeakChannel;
    }
    return count;
}

class FollowScenario : public PlayedTuneScenario {
protected:
    // The frame's part on the screen.
    int64_t RedOnScreen() const {
        const ShownWindow frame = Frame();
        const int height = std::min(frame.height, x_.ScreenHeight() - frame.y);
        return RedPixels(x_.Grab(frame.x, frame.y, frame.width, height));
    }
};

TEST_F(FollowScenario, ThePlayedMeasureIsFramedUntilStop) {
    ASSERT_TRUE(StartProgram());
    ASSERT_TRUE(ImportTune("tune", kTuneMeasures, kTuneTempo)) << "the tune did not open";
    x_.Settle();
    const int64_t before = RedOnScreen();

    ChooseMenuItem('m', 'p');  // Start Playback
    ChooseMenuItem('m', 'a');  // Pause Playback: the run stays on
    EXPECT_TRUE(WaitFor([&] { return RedOnScreen() > before + kFramePixels; }, kRedrawTimeout))
        << "the measure being played is not framed";

    ChooseMenuItem('m', 's');  // Stop Play/Record
    EXPECT_TRUE(WaitFor([&] { return RedOnScreen() <= before; }, kRedrawTimeout))
        << "the frame stayed after Stop";
    EXPECT_TRUE(program_->IsRunning());
    EXPECT_EQ(QuitWithoutSaving(), 0);
}

}  // namespace
}  // namespace ql::desktop
