// What the MIDI layer has to say reaches the user once the Sequencer window
// watches it: a box notice added on any thread comes up in a message box, a line
// notice in the status bar, each once; the system backend's own notices (no
// soundfont, no sequencer) come up the same way.
#include <gtest/gtest.h>

#include <thread>
#include <unistd.h>

#include "core/tests/model/new_document_fixture.h"
#include "platform/midi/headless.h"
#include "platform/midi/system_backend.h"
#include "platform/ui/headless.h"
#include "platform/win/message_loop.h"
#include "shell/program/sequencer_window.h"

namespace ql::testing {
namespace {

class MidiNoticesTest : public NewDocumentTest {
protected:
    void SetUp() override {
        OpenNewDocument([] {});
        MakeStatusBar();
        midi::headless::Reset(midi::headless::ClockMode::Virtual);
        midi::TakeNotices();
        ASSERT_TRUE(static_cast<bool>(CreateSequencerWindow()));
        win::PumpMessages();
    }
    void TearDown() override {
        DestroySequencerWindow();
        midi::headless::Reset(midi::headless::ClockMode::Virtual);
        midi::TakeNotices();
        CloseNewDocument();
    }
    static int BoxesSaying(const std::string& words) {
        int count = 0;
        for (const ui::headless::MessageBoxRecord& box : ui::headless::MessageBoxes())
            count += box.text.find(words) != std::string::npos ? 1 : 0;
        return count;
    }
    static int StatusTextsSaying(const std::string& words) {
        int count = 0;
        for (const ui::headless::StatusTextRecord& record : ui::headless::StatusTexts())
            count += record.text.find(words) != std::string::npos ? 1 : 0;
        return count;
    }
};

TEST_F(MidiNoticesTest, NoticesFromAnyThreadAreShownOnce) {
    std::thread([] {
        midi::AddNotice("The sound device went away.", midi::NoticeWeight::Box);
        midi::AddNotice("A port was dropped.");
    }).join();
    win::PumpMessages();
    win::PumpMessages();
    EXPECT_EQ(BoxesSaying("The sound device went away."), 1);
    EXPECT_EQ(StatusTextsSaying("A port was dropped."), 1);
    EXPECT_TRUE(midi::TakeNotices().empty());
}

TEST_F(MidiNoticesTest, TheSystemBackendsNoticesReachTheUser) {
    midi::SynthesizerOptions options;
    options.soundFont = "/nonexistent/none.sf2";
    options.audioOutput = false;
    midi::InstallBackend(std::make_unique<midi::SystemBackend>(options));
    midi::CurrentBackend().Devices();
    win::PumpMessages();
    EXPECT_EQ(BoxesSaying("soundfont"), 1);
    if (access("/dev/snd/seq", R_OK | W_OK) != 0) {
        EXPECT_EQ(StatusTextsSaying("MIDI ports are not available"), 1);
    }
}

}  // namespace
}  // namespace ql::testing
