// The print tests' fixture.
#include <fstream>
#include <iterator>

#include "core/settings/program_options.h"
#include "core/state.h"
#include "layout/page/page_layout_resources.h"
#include "platform/ui/file_dialog.h"
#include "platform/ui/headless.h"
#include "platform/win/message_loop.h"
#include "shell/program/frame.h"
#include "shell/program/program_ids.h"
#include "shell/shell_services.h"
#include "shell/tests/printing/print_fixture.h"

namespace ql::testing {

bool ViewSnapshot::operator==(const ViewSnapshot& other) const {
    return pageOrigin[0] == other.pageOrigin[0] && pageOrigin[1] == other.pageOrigin[1] &&
           scrollOrigin[0] == other.scrollOrigin[0] && scrollOrigin[1] == other.scrollOrigin[1] &&
           zoom == other.zoom && page == other.page && pageView == other.pageView &&
           showHidden == other.showHidden && ossiaStaves == other.ossiaStaves;
}

void PrintFixture::SetUp() {
    ProgramFixture::SetUp();
    ResetPrintSettings();
    sysdlg::headless::ResetPrintDialogs();
    ui::headless::ResetFileDialogs();
    ASSERT_EQ(Start(), StartupCode::Ok);
    ui::headless::SetDialogScript(new_manuscript_dialog::kNewManuscriptDialog,
                                  [](ui::headless::DialogDriver& d) { d.Click(ui::kIdOk); });
    win::SendMessage(Frame().window, win::Message::Command, win::MakeCommandWord(cmd::kFileNew, 0));
    view_ = State().documents.ActiveView;
    ASSERT_NE(view_, nullptr);
    ASSERT_EQ(view_->pageView, 1);
    // Pages are appended one past the last until the score has five.
    for (int index = view_->document->header.pageCount; index < kPages; ++index)
        ShowPageInView(view_, index);
    ASSERT_EQ(view_->document->header.pageCount, kPages);
    ShowPageInView(view_, 0);
    // Both display options on, so that a print must turn them off and back on.
    Options().ShowHidden = 1;
    State().display.OssiaStaves = 1;
    boxesAtStart_ = ui::headless::MessageBoxes().size();
}

void PrintFixture::TearDown() {
    ResetPrintSettings();
    sysdlg::headless::ResetPrintDialogs();
    ui::headless::ResetFileDialogs();
    ProgramFixture::TearDown();
}

sysdlg::PrintChoice PrintFixture::ListChoice(const std::string& text) {
    sysdlg::PrintChoice choice;
    choice.range = sysdlg::PrintRange::List;
    choice.listText = text;
    return choice;
}

sysdlg::PrintChoice PrintFixture::FilterChoice(sysdlg::PageFilter filter) {
    sysdlg::PrintChoice choice;
    choice.filter = filter;
    return choice;
}

void PrintFixture::QueueOk(const sysdlg::PrintChoice& choice) {
    sysdlg::headless::QueuePrintDialogStep({false, choice});
}

ViewSnapshot PrintFixture::Snapshot() const {
    ViewSnapshot snapshot;
    for (int i = 0; i < 2; ++i) {
        snapshot.pageOrigin[i] = view_->pageOrigin[i];
        snapshot.scrollOrigin[i] = view_->scrollOrigin[i];
    }
    snapshot.zoom = view_->zoom;
    snapshot.page = view_->currentPage;
    snapshot.pageView = view_->pageView;
    snapshot.showHidden = Options().ShowHidden;
    snapshot.ossiaStaves = State().display.OssiaStaves;
    return snapshot;
}

int PrintFixture::PdfPageCount(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return -1;
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    // Each page object's dictionary names its type; the page tree's is "/Pages".
    static constexpr std::string_view kPageType = "/Type /Page";
    int pages = 0;
    for (size_t at = bytes.find(kPageType); at != std::string::npos;
         at = bytes.find(kPageType, at + 1))
        if (at + kPageType.size() < bytes.size() && bytes[at + kPageType.size()] != 's') ++pages;
    return pages;
}

std::string PrintFixture::SubmittedPdf() {
    const auto& jobs = sysdlg::headless::SubmittedPrintJobs();
    return jobs.size() == 1 ? jobs[0].pdfPath : std::string();
}

std::vector<std::string> PrintFixture::BoxTexts() const {
    std::vector<std::string> texts;
    const auto& boxes = ui::headless::MessageBoxes();
    for (size_t i = boxesAtStart_; i < boxes.size(); ++i) texts.push_back(boxes[i].text);
    return texts;
}

}  // namespace ql::testing
