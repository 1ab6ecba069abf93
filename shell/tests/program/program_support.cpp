// The program tests' fixture.
#include "shell/tests/program/program_fixture.h"

#include <filesystem>
#include "shell/program/view_procedures.h"

#include "core/memory/pool.h"
#include "core/model/document.h"
#include "core/model/grid.h"
#include "core/model/view.h"
#include "files/score_file.h"
#include "interchange/musicxml/musicxml_import.h"
#include "platform/ui/headless.h"
#include "platform/win/mdi.h"
#include "platform/win/message_loop.h"
#include "platform/win/window.h"
#include "shell/program/frame.h"

namespace ql::testing {

void ProgramFixture::TearDown() {
    if (running_ && win::IsWindow(Frame().window)) {
        win::DestroyWindow(Frame().window);
        win::PumpMessages();
    }
    ShutdownCleanup();
    ResetViewProcedures();
    ResetFrame();
    SettingsFixture::TearDown();
}

StartupCode ProgramFixture::Start(std::vector<std::string> arguments) {
    StartupOptions options;
    options.arguments = std::move(arguments);
    options.splash = false;
    const StartupCode code = StartProgram(options);
    running_ = code == StartupCode::Ok;
    return code;
}

void ProgramFixture::Pump() { win::PumpMessages(ProgramMessageFilters()); }

int32_t ProgramFixture::CloseAndRun() {
    win::PostMessage(Frame().window, win::Message::Close);
    const int32_t code = win::RunMessageLoop(ProgramMessageFilters());
    running_ = false;
    return code;
}

std::string ProgramFixture::WriteScore(const std::string& name) {
    const std::string path = (scratch / name).string();
    ScoreView* view = InitView(AllocView());
    LinkView(view);
    ScoreDocument* document = AllocDocument();
    EXPECT_EQ(CreateDocument(document, view, nullptr), document);
    view->currentPage = document->firstPage;
    view->currentSystem = document->firstPage->firstSystem.get();
    document->path = path;
    {
        // One staff of one measure, as a new score has.
        ScopedPoolSet pools(PoolSet(document->pools));
        document->header.staffCount = 1;
        document->header.measureCount = 1;
        for (int s = 0; s <= 1; ++s)
            document->staves->staves[s] = Ref32<StaffRecord>::To(ConstructStaffRecord(AllocStaffRecord(), view));
    }
    EXPECT_EQ(SaveScoreFile(document, view), 1)
        << (ui::headless::MessageBoxes().empty() ? "" : ui::headless::MessageBoxes().back().text);
    FreeView(view);
    FreeDocument(document);
    return path;
}

std::vector<std::string> ProgramFixture::Captions() const {
    std::vector<std::string> captions;
    for (platform::WindowHandle child : win::ChildWindows(Frame().mdiClient, {"QLMdiChild"}))
        captions.push_back(win::GetWindowText(child));
    return captions;
}

void MusicXmlProgramFixture::SetUp() {
    ProgramFixture::SetUp();
    SetMusicXmlConverterPath(std::filesystem::path(QL_PROGRAM_DIR) / kConverterProgram);
}

void MusicXmlProgramFixture::TearDown() {
    SetMusicXmlConverterPath({});
    ProgramFixture::TearDown();
}

}  // namespace ql::testing
