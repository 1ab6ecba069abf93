// The program on the headless backend: start-up and shutdown in order, the music-font
// check, opens from the command line and the open queue, score windows with their
// numbered captions, refused files, and the exception guard.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "core/model/document.h"
#include "core/model/document_context.h"
#include "core/model/grid.h"
#include "core/model/view.h"
#include "core/state.h"
#include "platform/midi/headless.h"
#include "platform/sys/settings_store.h"
#include "platform/tests/sys/locking_child.h"
#include "platform/ui/headless.h"
#include "platform/ui/message_box.h"
#include "platform/ui/status_bar.h"
#include "platform/win/input.h"
#include "platform/win/mdi.h"
#include "platform/win/message_loop.h"
#include "platform/win/window.h"
#include "shell/program/exception_guard.h"
#include "shell/program/frame.h"
#include "shell/program/frame_layout.h"
#include "shell/program/program_ids.h"
#include "shell/program/score_windows.h"
#include "shell/program/termination_signals.h"
#include "shell/shell_services.h"
#include "shell/tests/program/program_fixture.h"

namespace ql {
namespace {

using testing::ProgramFixture;

std::vector<std::string> Sorted(std::vector<std::string> texts) {
    std::sort(texts.begin(), texts.end());
    return texts;
}

using ProgramStartupTest = ProgramFixture;

// The settings are read before the frame is made (it starts with the stored status
// bar switch) and written when the frame is destroyed; the loop ends with 0.
TEST_F(ProgramStartupTest, SettingsLoadBeforeTheFrameAndSaveAtExit) {
    OpenSettingsFiles();
    ASSERT_EQ(WriteSettingNumber("Version 2", "StatusBar", 0), kSettingsOk);
    sys::CloseProgramSettings();
    ASSERT_EQ(Start(), StartupCode::Ok);
    ASSERT_TRUE(win::IsWindow(Frame().window));
    EXPECT_FALSE(Frame().statusBarOn);
    EXPECT_TRUE(win::IsWindowVisible(Frame().window));
    EXPECT_EQ(win::GetWindowMenu(Frame().window), Frame().frameMenu);
    // The status bar command flips the switch; exit saves it.
    win::SendMessage(Frame().window, win::Message::Command, win::MakeCommandWord(cmd::kStatusBar, 0));
    EXPECT_TRUE(Frame().statusBarOn);
    EXPECT_EQ(CloseAndRun(), 0);
    EXPECT_TRUE(Frame().shutdownDone);
    EXPECT_FALSE(win::IsWindow(Frame().window));
    sys::CloseProgramSettings();
    OpenSettingsFiles();
    int32_t statusBar = -1;
    ASSERT_EQ(ReadSettingNumber("Version 2", "StatusBar", &statusBar), kSettingsOk);
    EXPECT_EQ(statusBar, 1);
}

// The status line at start counts the MIDI outputs, inputs left out; with none it
// says so (the status bar puts a blank before every text).
class StartupMidiStatusTest : public ProgramFixture {
  protected:
    void SetUp() override {
        ProgramFixture::SetUp();
        midi::headless::Reset(midi::headless::ClockMode::Virtual);
    }
    void TearDown() override {
        ProgramFixture::TearDown();
        midi::headless::Reset(midi::headless::ClockMode::Virtual);
    }
    static std::string StatusLine() { return ui::GetStatusBarText(Frame().statusBar, 0); }
};

TEST_F(StartupMidiStatusTest, NoOutputIsSaid) {
    midi::headless::AddDevice("Keys", false, true);
    ASSERT_EQ(Start(), StartupCode::Ok);
    EXPECT_EQ(StatusLine(), "  No MIDI devices");
}

TEST_F(StartupMidiStatusTest, OutputsAreCounted) {
    midi::headless::AddDevice("Synth", true, false);
    midi::headless::AddDevice("Keys", false, true);
    midi::headless::AddDevice("Module", true, true);
    ASSERT_EQ(Start(), StartupCode::Ok);
    EXPECT_EQ(StatusLine(), " MIDI devices = 2");
}

// A missing music font stops start-up with its box and code 111; nothing is left.
TEST_F(ProgramStartupTest, MissingMusicFontStopsWithItsBox) {
    StartupOptions options;
    options.splash = false;
    options.musicFace = "NoSuchMusicFace";
    EXPECT_EQ(RunProgram(options), static_cast<int32_t>(StartupCode::NoMusicFont));
    ASSERT_EQ(ui::headless::MessageBoxes().size(), 1u);
    const auto& box = ui::headless::MessageBoxes()[0];
    EXPECT_EQ(box.text, "Unable to locate font NoSuchMusicFace.TTF.");
    EXPECT_EQ(box.caption, "Quaverlinescribe");
    EXPECT_EQ(box.style & ui::kBoxIconMask, ui::kBoxIconStop);
    EXPECT_TRUE(win::TopLevelWindows({kFrameClass}).empty());
    EXPECT_TRUE(Frame().shutdownDone);
}

// The installed music font passes the check: no box at all.
TEST_F(ProgramStartupTest, InstalledFontsShowNoBox) {
    ASSERT_EQ(Start(), StartupCode::Ok);
    EXPECT_TRUE(ui::headless::MessageBoxes().empty());
}

// The readout follows the frame's top-right corner, except while the frame's
// client area is too low to hold it.
TEST_F(ProgramStartupTest, ReadoutFollowsTheFrameUnlessItIsTooLow) {
    ASSERT_EQ(Start(), StartupCode::Ok);
    const platform::WindowHandle readout = Frame().readout;
    ASSERT_TRUE(win::IsWindow(readout));
    EXPECT_TRUE(win::IsWindowVisible(readout));
    win::MoveWindow(Frame().window, {100, 100, 700, 500}, true);
    const gfx::Rect client = win::GetClientRect(Frame().window);
    const gfx::Point corner = win::ClientToScreen(Frame().window, {client.right, 0});
    const gfx::Rect expected = PlaceReadoutWindow(corner, win::GetSystemMetric(win::SystemMetric::MenuHeight),
                                                  win::GetSystemMetric(win::SystemMetric::BorderHeight), false);
    EXPECT_EQ(win::GetWindowRect(readout), expected);
    win::MoveWindow(Frame().window, {300, 300, 900, 340}, true);
    EXPECT_EQ(win::GetWindowRect(readout), expected);
}

using ScoreWindowTest = ProgramFixture;

// Two paths queued at once open both files, each in one window.
TEST_F(ScoreWindowTest, TwoQueuedOpensOpenBothOnce) {
    ASSERT_EQ(Start(), StartupCode::Ok);
    const std::string first = WriteScore("first.ql");
    const std::string second = WriteScore("second.ql");
    RequestOpen(first);
    RequestOpen(second);
    Pump();
    EXPECT_EQ(Sorted(Captions()), Sorted({first, second}));
    EXPECT_EQ(CountOpenDocuments(), 2);
    // The first window switched the frame to the child menu.
    EXPECT_EQ(win::GetWindowMenu(Frame().window), Frame().childMenu);
    // A queued command with an empty queue opens nothing more.
    win::SendMessage(Frame().window, win::Message::Command, win::MakeCommandWord(cmd::kFileOpen, 0), kOpenQueued);
    EXPECT_EQ(CountOpenDocuments(), 2);
}

// A drop opens only its first file, and only when it is of an accepted type.
TEST_F(ScoreWindowTest, DropOpensOnlyItsFirstFile) {
    ASSERT_EQ(Start(), StartupCode::Ok);
    const std::string first = WriteScore("dropped1.ql");
    const std::string second = WriteScore("dropped2.ql");
    win::DroppedFiles both{{first, second}, {10, 10}};
    win::SendMessage(Frame().window, win::Message::DropFiles, 0, reinterpret_cast<intptr_t>(&both));
    Pump();
    EXPECT_EQ(Captions(), std::vector<std::string>{first});
    std::ofstream(scratch / "song.rmi") << "RIFF";
    win::DroppedFiles rmi{{(scratch / "song.rmi").string()}, {10, 10}};
    win::SendMessage(Frame().window, win::Message::DropFiles, 0, reinterpret_cast<intptr_t>(&rmi));
    win::DroppedFiles none{{}, {10, 10}};
    win::SendMessage(Frame().window, win::Message::DropFiles, 0, reinterpret_cast<intptr_t>(&none));
    Pump();
    EXPECT_EQ(CountOpenDocuments(), 1);
}

// Files named on the command line open in order; a rejected argument opens nothing.
TEST_F(ScoreWindowTest, CommandLineOpensItsFiles) {
    // The scores are written by a first run (the writer needs the core started).
    ASSERT_EQ(Start(), StartupCode::Ok);
    const std::string score = WriteScore("cmd.ql");
    std::ofstream(scratch / "notes.txt") << "x";
    EXPECT_EQ(CloseAndRun(), 0);
    ShutdownCleanup();
    ResetFrame();
    ASSERT_EQ(Start({score, (scratch / "notes.txt").string()}), StartupCode::Ok);
    Pump();
    EXPECT_EQ(Captions(), std::vector<std::string>{score});
    ScoreView* view = FindViewByPath(score);
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(State().documents.ActiveView, view);
}

// Three windows on one file show the path, "(1)" and "(2)"; closing the first
// renumbers the others; the document lives until its last window closes.
TEST_F(ScoreWindowTest, ViewsOfOneScoreAreNumberedAndRenumbered) {
    ASSERT_EQ(Start(), StartupCode::Ok);
    const std::string path = WriteScore("views.ql");
    ASSERT_TRUE(OpenScorePath(path));
    ScoreView* first = FindViewByPath(path);
    ASSERT_NE(first, nullptr);
    ScoreView* second = OpenViewOfDocument(first);
    ASSERT_NE(OpenViewOfDocument(second), nullptr);
    EXPECT_EQ(Sorted(Captions()), Sorted({path, path + "(1)", path + "(2)"}));
    EXPECT_EQ(CountOpenViews(), 3);
    EXPECT_EQ(CountOpenDocuments(), 1);
    EXPECT_EQ(CloseScoreWindow(first->ViewWindow), 1);
    EXPECT_EQ(Sorted(Captions()), Sorted({path, path + "(1)"}));
    EXPECT_EQ(CountOpenDocuments(), 1);
    ASSERT_TRUE(CloseScoreWindows(false));
    EXPECT_EQ(CountOpenViews(), 0);
    EXPECT_EQ(CountOpenDocuments(), 0);
    // The last window gave the frame its own menu back.
    EXPECT_EQ(win::GetWindowMenu(Frame().window), Frame().frameMenu);
    EXPECT_EQ(State().documents.ActiveView, nullptr);
}

// Opening a file that is already open brings its window forward, once.
TEST_F(ScoreWindowTest, OpeningAnOpenFileActivatesItsWindow) {
    ASSERT_EQ(Start(), StartupCode::Ok);
    const std::string a = WriteScore("a.ql");
    const std::string b = WriteScore("b.ql");
    ASSERT_TRUE(OpenScorePath(a));
    ASSERT_TRUE(OpenScorePath(b));
    ASSERT_TRUE(OpenScorePath(a));
    EXPECT_EQ(CountOpenDocuments(), 2);
    EXPECT_EQ(win::GetActiveMdiChild(Frame().mdiClient), FindViewByPath(a)->ViewWindow);
    EXPECT_EQ(State().documents.ActiveView, FindViewByPath(a));
}

// After a dialog, the active view's window comes forward and takes the focus even
// when the document client had activated another.
TEST_F(ScoreWindowTest, FocusActiveViewBringsTheActiveViewsWindowBack) {
    ASSERT_EQ(Start(), StartupCode::Ok);
    ASSERT_TRUE(OpenScorePath(WriteScore("one.ql")));
    ASSERT_TRUE(OpenScorePath(WriteScore("two.ql")));
    ScoreView* one = FindViewByPath((scratch / "one.ql").string());
    ASSERT_NE(State().documents.ActiveView, one);
    ActivateView(one);
    FocusActiveView();
    EXPECT_EQ(win::GetActiveMdiChild(Frame().mdiClient), one->ViewWindow);
    EXPECT_EQ(win::GetFocus(), one->ViewWindow);
    EXPECT_EQ(State().documents.ActiveView, one);
}

// A damaged file and a file another process holds open nothing and leave the open
// scores as they were.
TEST_F(ScoreWindowTest, RefusedFilesOpenNothing) {
    ASSERT_EQ(Start(), StartupCode::Ok);
    const std::string good = WriteScore("good.ql");
    ASSERT_TRUE(OpenScorePath(good));
    const std::filesystem::path damaged = scratch / "damaged.ql";
    std::ofstream(damaged) << "not a score at all";
    EXPECT_FALSE(OpenScorePath(damaged.string()));
    EXPECT_EQ(ui::headless::MessageBoxes().size(), 1u);
    const std::string held = WriteScore("held.ql");
    {
        testing::LockingChild holder(held);
        ASSERT_EQ(holder.Status(), sys::FileLockStatus::Held);
        EXPECT_FALSE(OpenScorePath(held));
        ASSERT_EQ(ui::headless::MessageBoxes().size(), 2u);
        EXPECT_NE(ui::headless::MessageBoxes()[1].text.find("is already open in another process."),
                  std::string::npos);
    }
    EXPECT_EQ(Captions(), std::vector<std::string>{good});
    // The opened file keeps its lock: another process is refused it.
    testing::LockingChild other(good);
    EXPECT_EQ(other.Status(), sys::FileLockStatus::HeldElsewhere);
}

// A close refused nowhere ends the program with 0 and every score closed.
TEST_F(ScoreWindowTest, ExitClosesEveryWindow) {
    ASSERT_EQ(Start(), StartupCode::Ok);
    ASSERT_TRUE(OpenScorePath(WriteScore("x.ql")));
    ASSERT_TRUE(OpenScorePath(WriteScore("y.ql")));
    EXPECT_EQ(CloseAndRun(), 0);
    EXPECT_EQ(CountOpenViews(), 0);
    EXPECT_EQ(CountOpenDocuments(), 0);
}

std::vector<uint8_t> FileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The last window of a modified score asks before it closes: Cancel keeps it, No
// closes it and leaves the file as it was, Yes saves and closes. A second view of
// the score, or an unmodified one, closes without a question.
TEST_F(ScoreWindowTest, ModifiedScoreAsksBeforeItsLastWindowCloses) {
    ASSERT_EQ(Start(), StartupCode::Ok);
    const std::string path = WriteScore("asked.ql");
    ASSERT_TRUE(OpenScorePath(path));
    ScoreView* view = FindViewByPath(path);
    ASSERT_NE(view, nullptr);
    const std::vector<uint8_t> before = FileBytes(path);
    auto modify = [&] {
        view->document->header.tempo = static_cast<uint16_t>(view->document->header.tempo + 1);
        SetDocumentModified(view->document);
    };
    modify();
    ScoreView* second = OpenViewOfDocument(view);
    ASSERT_NE(second, nullptr);
    const size_t boxes = ui::headless::MessageBoxes().size();
    EXPECT_EQ(CloseScoreWindow(second->ViewWindow), 1);  // another view still shows it
    EXPECT_EQ(ui::headless::MessageBoxes().size(), boxes);

    ui::headless::QueueMessageBoxAnswer(ui::kIdCancel);
    EXPECT_EQ(CloseScoreWindow(view->ViewWindow), 0);
    ASSERT_EQ(ui::headless::MessageBoxes().size(), boxes + 1);
    EXPECT_NE(ui::headless::MessageBoxes().back().text.find("asked.ql"), std::string::npos);
    EXPECT_EQ(CountOpenViews(), 1);

    ui::headless::QueueMessageBoxAnswer(ui::kIdYes);
    EXPECT_EQ(CloseScoreWindow(view->ViewWindow), 1);
    EXPECT_EQ(CountOpenViews(), 0);
    EXPECT_NE(FileBytes(path), before);  // the change reached the file

    ASSERT_TRUE(OpenScorePath(path));
    view = FindViewByPath(path);
    ASSERT_NE(view, nullptr);
    const std::vector<uint8_t> saved = FileBytes(path);
    modify();
    ui::headless::QueueMessageBoxAnswer(ui::kIdNo);
    EXPECT_EQ(CloseScoreWindow(view->ViewWindow), 1);
    EXPECT_EQ(FileBytes(path), saved);  // No leaves the file alone
}

// A path from the queue opens by its extension: an import type that cannot be
// read yet says so and opens no window.
TEST_F(ScoreWindowTest, QueuedPathsOpenByTheirExtension) {
    ASSERT_EQ(Start(), StartupCode::Ok);
    const std::string midi = (scratch / "song.MID").string();
    std::ofstream(midi) << "MThd";
    const size_t boxes = ui::headless::MessageBoxes().size();
    EXPECT_FALSE(OpenScorePath(midi));
    ASSERT_EQ(ui::headless::MessageBoxes().size(), boxes + 1);
    EXPECT_NE(ui::headless::MessageBoxes().back().text.find("Invalid MIDI data"), std::string::npos);
    EXPECT_EQ(CountOpenViews(), 0);
    EXPECT_TRUE(OpenScorePath(WriteScore("native.ql")));
}

// A Standard MIDI File opens as a new score window named after it; a cancelled
// "Prepare Import" closes the window it made at once, asking nothing.
TEST_F(ScoreWindowTest, MidiFileOpensAsAnImportedScoreWindow) {
    ASSERT_EQ(Start(), StartupCode::Ok);
    const std::string midi = (scratch / "tune.mid").string();
    const char bytes[] = {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 1, 0, 2, 0, 96,
                          'M', 'T', 'r', 'k', 0, 0, 0, 4, 0, char(0xFF), 0x2F, 0,
                          'M', 'T', 'r', 'k', 0, 0, 0, 12, 0, char(0x90), 60, 90, 0x60, char(0x80), 60, 0,
                          0, char(0xFF), 0x2F, 0};
    std::ofstream(midi, std::ios::binary).write(bytes, sizeof bytes);
    ui::headless::SetDialogScript(811, [](ui::headless::DialogDriver& d) { d.Click(ui::kIdCancel); });
    const size_t boxes = ui::headless::MessageBoxes().size();
    EXPECT_FALSE(OpenScorePath(midi));
    EXPECT_EQ(CountOpenViews(), 0);
    EXPECT_EQ(ui::headless::MessageBoxes().size(), boxes);
    ui::headless::SetDialogScript(811, [](ui::headless::DialogDriver& d) { d.Click(ui::kIdOk); });
    EXPECT_TRUE(OpenScorePath(midi));
    EXPECT_EQ(CountOpenViews(), 1);
    EXPECT_EQ(Captions().size(), 1u);
    EXPECT_NE(Captions().at(0).find("tune_MIDI"), std::string::npos);
    EXPECT_EQ(State().files.Importing, 0);
    // The note is in the score its window shows.
    ScoreView* view = FindViewByPath("tune_MIDI.ql");
    ASSERT_NE(view, nullptr);
    ScopedDocumentContext context(view);
    MeasureCell* cell = GetOrCreateMeasureCell(StaffRecordOf(view->document, 1), view->document, 1);
    ASSERT_NE(cell, nullptr);
    EventRecord* note = GetVoiceFirstEvent(cell, 0);
    ASSERT_NE(note, nullptr);
    EXPECT_EQ(note->time, 0);
}

// Cancel on a modified score stops the program's exit; everything stays open.
TEST_F(ScoreWindowTest, CancelledQuestionKeepsTheProgramRunning) {
    ASSERT_EQ(Start(), StartupCode::Ok);
    const std::string path = WriteScore("kept.ql");
    ASSERT_TRUE(OpenScorePath(path));
    ScoreView* view = FindViewByPath(path);
    ASSERT_NE(view, nullptr);
    SetDocumentModified(view->document);
    ui::headless::QueueMessageBoxAnswer(ui::kIdCancel);
    win::SendMessage(Frame().window, win::Message::Close);
    EXPECT_TRUE(win::IsWindow(Frame().window));
    EXPECT_EQ(CountOpenViews(), 1);
    ui::headless::QueueMessageBoxAnswer(ui::kIdNo);
    EXPECT_EQ(CloseAndRun(), 0);
    EXPECT_EQ(CountOpenViews(), 0);
}

using ExceptionGuardTest = ProgramFixture;

// An exception in a command saves the active score's emergency copy and the other
// modified scores' autosave copies, shows one stop box (no save question), and
// ends the loop with 1. A second exception shows nothing.
TEST_F(ExceptionGuardTest, ExceptionSavesCopiesAndExitsWithOne) {
    ASSERT_EQ(Start(), StartupCode::Ok);
    const std::string other = WriteScore("other.ql");
    const std::string active = WriteScore("active.ql");
    ASSERT_TRUE(OpenScorePath(other));
    ASSERT_TRUE(OpenScorePath(active));
    SetDocumentModified(FindViewByPath(other)->document);
    const auto originalOther = std::filesystem::file_size(other);
    win::WindowClass throwing{"Thrower", Guarded([](platform::WindowHandle, win::Message message, uint32_t,
                                                    intptr_t) -> intptr_t {
                                                     if (message == win::Message::Command)
                                                         throw std::runtime_error("command failed");
                                                     return 0;
                                                 },
                                                 GuardKind::Frame),
                              0, 0, {}, {}};
    ASSERT_TRUE(win::RegisterWindowClass(throwing));
    win::WindowParams params;
    params.className = "Thrower";
    const platform::WindowHandle window = win::CreateWindow(params);
    win::SendMessage(window, win::Message::Command, 1);
    win::SendMessage(window, win::Message::Command, 1);
    EXPECT_EQ(win::RunMessageLoop(), kExceptionExitCode);
    running_ = false;
    ASSERT_EQ(ui::headless::MessageBoxes().size(), 1u);
    EXPECT_EQ(ui::headless::MessageBoxes()[0].style & ui::kBoxIconMask, ui::kBoxIconStop);
    EXPECT_NE(ui::headless::MessageBoxes()[0].text.find("An exception has occurred"), std::string::npos);
    EXPECT_TRUE(std::filesystem::exists(scratch / "AUTOERR.QL"));
    EXPECT_TRUE(std::filesystem::exists(scratch / "other.AUT"));
    EXPECT_EQ(std::filesystem::file_size(other), originalOther);
    EXPECT_EQ(CountOpenViews(), 0);
    EXPECT_TRUE(Frame().shutdownDone);
    win::UnregisterWindowClass("Thrower");
}

// A termination signal, delivered to the loop, writes the autosave copy of each
// modified score (never the file itself), closes everything and exits with 1.
TEST_F(ExceptionGuardTest, TerminationSignalWritesAutosaveCopiesAndExitsWithOne) {
    ASSERT_EQ(Start(), StartupCode::Ok);
    const std::string modified = WriteScore("modified.ql");
    const std::string clean = WriteScore("clean.ql");
    ASSERT_TRUE(OpenScorePath(modified));
    ASSERT_TRUE(OpenScorePath(clean));
    SetDocumentModified(FindViewByPath(modified)->document);
    const auto size = std::filesystem::file_size(modified);
    win::PostMessage(Frame().window, kTerminationMessage, 15);
    EXPECT_EQ(win::RunMessageLoop(), kTerminationExitCode);
    running_ = false;
    EXPECT_TRUE(std::filesystem::exists(scratch / "modified.AUT"));
    EXPECT_FALSE(std::filesystem::exists(scratch / "clean.AUT"));
    EXPECT_EQ(std::filesystem::file_size(modified), size);
    EXPECT_TRUE(ui::headless::MessageBoxes().empty());
    EXPECT_EQ(CountOpenViews(), 0);
}

}  // namespace
}  // namespace ql
