// A run in real time on the desktop: a four-measure tune at a fast tempo, imported
// from a MIDI file and played from the MIDI menu, is not over before nine tenths
// of its length (a loaded machine only makes a run longer); Stop ends a long run
// within five seconds, and File > Exit ends another with the program; a new score's empty measure plays at once, and the
// transport shows that the run is over and how long it took. What is seen of a run
// is the frame's bar: its buttons show the run while it is on.
#include <chrono>

#include "shell/tests/desktop/played_tune.h"

namespace ql::desktop {
namespace {

using Clock = std::chrono::steady_clock;

constexpr int kMeasures = 4;
constexpr int kFastTempo = 200;  // 4.8 s
constexpr int kSlowTempo = 30;   // 32 s
constexpr double kLeastShare = 0.9;
constexpr Millis kStopWithin{5000};
// Bounds on hangs only.
constexpr Millis kRunEndsWithin{60000};
// The status bar's last part, where the elapsed time shows; the rows of the bar.
constexpr int kStatusRows = 22;
constexpr int64_t kClockInk = 40;

class PlaybackLengthScenario : public PlayedTuneScenario {
protected:
    // Chooses Start Playback and waits until the bar shows the run, twice in a
    // row; the time after that, when the run has surely started.
    std::optional<Clock::time_point> PlayAndSeeTheRun() {
        ChooseMenuItem('m', 'p');
        if (!WaitFor([&] { return x_.Popups().empty(); })) return std::nullopt;
        if (!WaitFor([&] { return RunShown() && RunShown(); })) return std::nullopt;
        return Clock::now();
    }
    // The ink of the status bar's elapsed time.
    int64_t ClockInk() const {
        const ShownWindow frame = Frame();
        const int left = frame.width * 7 / 10;
        const ScreenPicture part = x_.Grab(frame.x + left, frame.y + frame.height - kStatusRows,
                                           frame.width - left, kStatusRows);
        return part.DarkPixels(0, 0, part.width, part.height);
    }
};

TEST_F(PlaybackLengthScenario, AFastTuneLastsAsLongAsItsTempoSays) {
    ASSERT_TRUE(StartProgram());
    ASSERT_TRUE(ImportTune("fast", kMeasures, kFastTempo)) << "the tune did not open";
    NoteIdleBar();
    const std::optional<Clock::time_point> started = PlayAndSeeTheRun();
    ASSERT_TRUE(started) << "Start Playback showed no run";
    // The last time the run was seen on: taken before the picture that saw it.
    Clock::time_point lastSeen = *started;
    const bool ended = WaitFor([&] {
        const Clock::time_point before = Clock::now();
        if (!RunShown()) return true;
        lastSeen = before;
        return false;
    }, kRunEndsWithin);
    EXPECT_TRUE(ended) << "the run did not end";
    const Millis length = TuneLength(kMeasures, kFastTempo);
    const auto seen = std::chrono::duration_cast<Millis>(lastSeen - *started);
    RecordProperty("seen_ms", static_cast<int>(seen.count()));
    EXPECT_GE(seen.count(), static_cast<int64_t>(length.count() * kLeastShare))
        << "a tune of " << length.count() << " ms was over after " << seen.count() << " ms";
    EXPECT_EQ(QuitWithoutSaving(), 0);
}

TEST_F(PlaybackLengthScenario, StopEndsALongRunWithinFiveSeconds) {
    ASSERT_TRUE(StartProgram());
    ASSERT_TRUE(ImportTune("slow", kMeasures, kSlowTempo)) << "the tune did not open";
    NoteIdleBar();
    ASSERT_TRUE(PlayAndSeeTheRun()) << "Start Playback showed no run";
    // The tune lasts 32 s: only Stop ends it within five.
    ChooseMenuItem('m', 's');  // Stop Play/Record
    EXPECT_TRUE(WaitFor([&] { return x_.Popups().empty() && !RunShown(); }, kStopWithin))
        << "the run went on five seconds after Stop";
    EXPECT_TRUE(program_->IsRunning());
    // File > Exit stays usable during a run, and ends it with the program.
    ASSERT_TRUE(PlayAndSeeTheRun()) << "Start Playback showed no second run";
    EXPECT_EQ(QuitWithoutSaving(), 0);
}

TEST_F(PlaybackLengthScenario, ANewScorePlaysItsEmptyMeasureAtOnce) {
    ASSERT_TRUE(StartProgram());
    NewScore();
    NoteIdleBar();
    const int64_t blankClock = ClockInk();
    ChooseMenuItem('m', 'p');
    // The run shows its time (0:00) and is over: the bar is as before it.
    EXPECT_TRUE(WaitFor([&] { return ClockInk() > blankClock + kClockInk; })) << "the run showed no time";
    EXPECT_TRUE(WaitFor([&] { return x_.Popups().empty() && !RunShown() && !RunShown(); }))
        << "the bar still shows a run";
    EXPECT_TRUE(program_->IsRunning());
    EXPECT_EQ(QuitWithoutSaving(), 0);
}

}  // namespace
}  // namespace ql::desktop
