// Context help: control popups from the dialog help table, the fallback file,
// the missing-file box, the Help button check and its logo.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>

#include "core/ui/help.h"
#include "core/tests/ui/uisvc_fixture.h"
#include "platform/gfx/bitmap.h"
#include "platform/gfx/dc.h"
#include "platform/sys/browser_help.h"
#include "platform/sys/folders.h"

namespace ql::testing_uisvc {
namespace {

namespace fs = std::filesystem;
using ui::headless::DialogDriver;

class HelpTest : public UiServicesTest {
  protected:
    void SetUp() override {
        UiServicesTest::SetUp();
        // One folder per test: CTest runs the tests of this suite side by side.
        const char* name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
        folder_ = fs::path(QL_TEST_OUTPUT_DIR) / "uisvc_help" / name;
        fs::remove_all(folder_);
        fs::create_directories(folder_ / kHelpFolderName);
        sys::SetProgramFolder(folder_);
        SetLanguageHelpFile("", "english.hlp");
    }
    void TearDown() override {
        sys::SetProgramFolder({});
        UiServicesTest::TearDown();
    }
    win::HelpInfo RequestOver(platform::WindowHandle control, int32_t id) {
        win::Rect r = win::GetWindowRect(control);
        return win::HelpInfo{win::HelpContextKind::Window, id, control, 0, {r.left + 1, r.top + 1}};
    }
    fs::path folder_;
};

// The table holds 37 dialog records and ends with a zero id.
TEST(DialogHelpTableShape, HoldsThirtySevenDistinctRecordsAndEnds) {
    std::set<uint16_t> ids;
    for (int i = 0; i < kDialogHelpRecordCount; ++i) ids.insert(DialogHelpTable[i].dialogHelpId);
    EXPECT_EQ(ids.size(), static_cast<size_t>(kDialogHelpRecordCount));
    EXPECT_EQ(ids.count(0), 0u);
    EXPECT_EQ(DialogHelpTable[kDialogHelpRecordCount].dialogHelpId, 0);
}

// F1 over a listed control opens its popup; over another control the dialog topic.
TEST_F(HelpTest, ListedControlOpensPopupOthersTheDialogTopic) {
    ui::headless::SetDialogScript(kFieldDialog, [&](DialogDriver& d) {
        // The field dialog's edit stands in for control 1210 of dialog help id 2000.
        win::HelpInfo listed = RequestOver(d.Item(kSpinEdit), 1210);
        ShowDialogContextHelp(d.Dialog(), 2000, &listed);
        win::HelpInfo unlisted = RequestOver(d.Item(kSpinEdit), kSpinEdit);
        ShowDialogContextHelp(d.Dialog(), 2000, &unlisted);
    });
    ui::RunModalDialog(kFieldDialog, frame_, EndOnButtons);
    const auto& requests = sys::headless::HelpRequests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].command, sys::HelpCommand::ContextPopup);
    EXPECT_EQ(requests[0].contextId, 2001u);
    EXPECT_EQ(requests[1].command, sys::HelpCommand::Context);
    EXPECT_EQ(requests[1].contextId, 2000u);
    EXPECT_EQ(requests[0].file, "english.hlp");
}

// A request naming no control does nothing; no request at all opens the topic.
TEST_F(HelpTest, RequestWithoutControlDoesNothing) {
    win::HelpInfo none{win::HelpContextKind::Window, -1, {}, 0, {}};
    EXPECT_EQ(ShowDialogContextHelp({}, 2000, &none), 0);
    EXPECT_TRUE(sys::headless::HelpRequests().empty());
    EXPECT_EQ(ShowDialogContextHelp({}, 1532, nullptr), 1);
    ASSERT_EQ(sys::headless::HelpRequests().size(), 1u);
    EXPECT_EQ(sys::headless::HelpRequests()[0].contextId, 1532u);
}

// A pointer outside the control's rectangle opens the dialog topic, not the popup.
TEST_F(HelpTest, PointerOutsideControlOpensDialogTopic) {
    ui::headless::SetDialogScript(kFieldDialog, [&](DialogDriver& d) {
        win::HelpInfo request = RequestOver(d.Item(kSpinEdit), 2079);
        request.mouse = {-500, -500};
        ShowDialogContextHelp(d.Dialog(), 1800, &request);
    });
    ui::RunModalDialog(kFieldDialog, frame_, EndOnButtons);
    ASSERT_EQ(sys::headless::HelpRequests().size(), 1u);
    EXPECT_EQ(sys::headless::HelpRequests()[0].command, sys::HelpCommand::Context);
}

// When the viewer fails on both names, one "Can't Open Help file!" box is shown,
// titled with the program's name as its other boxes are.
TEST_F(HelpTest, MissingHelpFileShowsOneBoxAfterFallback) {
    sys::headless::SetHelpViewerAnswer(false);
    EXPECT_EQ(ShowHelpContents({}, nullptr), 1);
    const auto& requests = sys::headless::HelpRequests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].file, "english.hlp");
    EXPECT_EQ(requests[1].file, "qlhelp.HLP");
    EXPECT_EQ(requests[1].text, "Contents()");
    ASSERT_EQ(ui::headless::MessageBoxes().size(), 1u);
    EXPECT_EQ(ui::headless::MessageBoxes()[0].text, "Can't Open Help file!");
    EXPECT_EQ(ui::headless::MessageBoxes()[0].caption, "Quaverlinescribe");
}

// When the help is there but the viewer shows nothing (no browser on the desktop),
// the box says where its pages start: the language's own, else the fallback's.
TEST_F(HelpTest, UnshownHelpSaysWhereItsPagesAre) {
    sys::headless::SetHelpViewerAnswer(false);
    const fs::path help = folder_ / kHelpFolderName;
    fs::create_directories(help / kFallbackHelpName);
    std::ofstream(help / kFallbackHelpName / sys::kHelpIndexPage) << "<html></html>";
    const fs::path fallback = help / kFallbackHelpName / sys::kHelpIndexPage;
    ShowHelpContents({}, nullptr);
    std::ofstream(help / "english.hlp") << "help";
    ShowHelp({}, sys::HelpCommand::Context, 2000, nullptr);
    const auto& boxes = ui::headless::MessageBoxes();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].text, "No browser could show the help. Its pages are in:\n" + fallback.string());
    EXPECT_EQ(boxes[1].text, "No browser could show the help. Its pages are in:\n" + (help / "english.hlp").string());
}

// Without a help file the Help button is hidden in every dialog; the file is
// checked only once.
TEST_F(HelpTest, HelpButtonHiddenWhenFileMissing) {
    auto bundle = std::make_shared<sys::ResourceBundle>(*sys::GetProgramBundle());
    bundle->dialogs[kNestDialog].controls.push_back(
        Control(ui::kButtonClass, kHelpButtonId, 60, ui::kButtonOwnerDraw));
    sys::SetProgramBundle(bundle);
    bool visible = true;
    int result = -1;
    ui::headless::SetDialogScript(kNestDialog, [&](DialogDriver& d) {
        result = EnableHelpButton(d.Dialog(), nullptr);
        visible = d.IsVisible(kHelpButtonId);
    });
    ui::RunModalDialog(kNestDialog, frame_, EndOnButtons);
    EXPECT_EQ(result, 0);
    EXPECT_FALSE(visible);
    std::ofstream(folder_ / kHelpFolderName / "english.hlp") << "help";
    EXPECT_EQ(EnableHelpButton({}, nullptr), 0);  // checked once per run
    SetLanguageHelpFile("", "english.hlp");
    EXPECT_EQ(EnableHelpButton({}, nullptr), 1);
}

// The shipped help (the fallback folder with its index page) shows the button when
// the language names no file of its own, or one that is missing.
TEST_F(HelpTest, FallbackHelpFolderShowsTheButton) {
    EXPECT_EQ(EnableHelpButton({}, nullptr), 0);
    fs::create_directories(folder_ / kHelpFolderName / kFallbackHelpName);
    std::ofstream(folder_ / kHelpFolderName / kFallbackHelpName / sys::kHelpIndexPage) << "<html></html>";
    for (const char* language : {"english.hlp", ""}) {
        SetLanguageHelpFile("", language);
        EXPECT_EQ(EnableHelpButton({}, nullptr), 1) << language;
    }
}

// The logo is drawn for control 998 only, inverted while pressed.
TEST_F(HelpTest, LogoDrawnForHelpButtonOnly) {
    platform::BitmapHandle image = gfx::CreateImageBitmap(24, 24);
    platform::DcHandle dc = gfx::CreateWindowContext(image);
    win::DrawItemInfo other{1, win::DrawAction::DrawEntire, 0, {}, dc, {0, 0, 23, 23}};
    EXPECT_EQ(DrawDialogLogo(&other), 0);
    win::DrawItemInfo item = other;
    item.controlId = kHelpButtonId;
    EXPECT_EQ(DrawDialogLogo(&item), 1);
    gfx::Colour normal = gfx::GetBitmapPixel(image, 0, 0);
    item.action = win::DrawAction::Select;
    DrawDialogLogo(&item);
    gfx::Colour pressed = gfx::GetBitmapPixel(image, 0, 0);
    EXPECT_NE(normal, pressed);
    EXPECT_EQ(pressed, normal ^ 0x00FFFFFFu);
    gfx::ReleaseContext(dc);
}

}  // namespace
}  // namespace ql::testing_uisvc
