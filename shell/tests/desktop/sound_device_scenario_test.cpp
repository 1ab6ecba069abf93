// The built-in synthesizer and the machine's sound device, on the desktop, playing
// an imported tune. The scenarios take the synthesizer off the suite's WAV file
// and give ALSA a default device of their own in the home's .asoundrc: one that
// does not exist, and the user is told so once, in a box, when Play opens the
// synthesizer, and the run goes on; one that never blocks (ALSA's null device),
// and the program stays idle while a run holds the synthesizer, and Stop and Exit
// work.
#include <chrono>
#include <fstream>
#include <thread>

#include "shell/tests/desktop/played_tune.h"

namespace ql::desktop {
namespace {

// A spinning audio thread takes a whole processor; a paced one a few per cent.
constexpr double kMostProcessorShare = 0.5;
constexpr auto kMeasured = std::chrono::seconds(3);
// The tune: four measures at 60 beats a minute, sixteen seconds.
constexpr int kTuneMeasures = 4;
constexpr int kTuneTempo = 60;

class SoundDeviceScenario : public PlayedTuneScenario {
protected:
    // ALSA's default sound device for the programs of this home; the synthesizer
    // plays through it instead of the suite's WAV file.
    void UseSoundDevice(const char* definition) {
        std::ofstream(home_->Root() / ".asoundrc") << "pcm.!default " << definition << "\n";
        environment_ = {{"QL_SYNTH_WAV", ""}};
    }
};

TEST_F(SoundDeviceScenario, AMissingSoundDeviceIsToldOnceInABox) {
    UseSoundDevice("{ type hw card 99 }");
    ASSERT_TRUE(StartProgram());
    ASSERT_TRUE(ImportTune("tune", kTuneMeasures, kTuneTempo)) << "the tune did not open";
    EXPECT_TRUE(NoMessageBoxComes()) << "a box before anything played";
    ChooseMenuItem('m', 'p');  // Start Playback: the synthesizer opens, without sound
    ASSERT_TRUE(WaitForMessageBox()) << "nothing told that the sound device failed";
    x_.PressKey("Return");
    EXPECT_TRUE(WaitFor([&] { return !FindMessageBox(); })) << "the box stayed";
    // The run goes on; stopped, it closes the synthesizer, which opens again, as
    // silent, for the next.
    ChooseMenuItem('m', 's');  // Stop Play/Record
    ChooseMenuItem('m', 'p');
    EXPECT_TRUE(NoMessageBoxComes()) << "the failed sound device was told twice";
    ChooseMenuItem('m', 's');
    EXPECT_TRUE(program_->IsRunning());
    EXPECT_EQ(QuitWithoutSaving(), 0);
}

TEST_F(SoundDeviceScenario, ASoundDeviceThatNeverBlocksLeavesTheProgramIdle) {
    UseSoundDevice("{ type null }");
    ASSERT_TRUE(StartProgram());
    ASSERT_TRUE(ImportTune("tune", kTuneMeasures, kTuneTempo)) << "the tune did not open";
    ChooseMenuItem('m', 'p');  // Start Playback
    ChooseMenuItem('m', 'a');  // Pause Playback: the run keeps the synthesizer open
    EXPECT_TRUE(NoMessageBoxComes()) << "the null device did not open";
    const double before = program_->ProcessorSeconds();
    const auto from = std::chrono::steady_clock::now();
    std::this_thread::sleep_for(kMeasured);
    const double used = program_->ProcessorSeconds() - before;
    const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - from).count();
    ASSERT_GE(before, 0) << "the program's processor time cannot be read";
    EXPECT_LT(used / wall, kMostProcessorShare) << "the synthesizer's audio thread spins";
    ChooseMenuItem('m', 's');  // Stop Play/Record
    EXPECT_TRUE(program_->IsRunning());
    EXPECT_EQ(QuitWithoutSaving(), 0);
}

}  // namespace
}  // namespace ql::desktop
