// Resource bundles (strings, templates, bitmaps) with the language bundle tried
// first, help requests, and the program and temporary folders.
#include <filesystem>
#include <memory>

#include "platform/gfx/bitmap.h"
#include "platform/gfx/objects.h"
#include "platform/sys/folders.h"
#include "platform/sys/help.h"
#include "platform/tests/win/win_test_fixture.h"
#include "platform/ui/bitmaps.h"

namespace ql::sys {
namespace {

class SysResourcesTest : public testing::FreshWindowLayer {
protected:
    void SetUp() override {
        FreshWindowLayer::SetUp();
        program = std::make_shared<ResourceBundle>();
        program->strings = {{2, "Quaverlinescribe"}, {1013, "Notice:"}};
        language = std::make_shared<ResourceBundle>();
        language->strings = {{1013, "Avis :"}};
        SetProgramBundle(program);
    }

    std::shared_ptr<ResourceBundle> program;
    std::shared_ptr<ResourceBundle> language;
};

// Strings come from the language bundle when it has them and from the
// program's own otherwise; a lookup can be held to either bundle.
TEST_F(SysResourcesTest, StringsComeFromTheLanguageBundleFirst) {
    EXPECT_EQ(LoadString(1013), "Notice:");
    EXPECT_FALSE(HasLanguageBundle());
    SetLanguageBundle(language);
    EXPECT_TRUE(HasLanguageBundle());
    EXPECT_EQ(LoadString(1013), "Avis :");
    EXPECT_EQ(LoadString(2), "Quaverlinescribe");
    EXPECT_EQ(LoadString(1013, Lookup::ProgramOnly), "Notice:");
    EXPECT_EQ(FindString(2, Lookup::LanguageOnly), std::nullopt);
    EXPECT_EQ(LoadString(4444), "");
    EXPECT_EQ(FindString(4444), std::nullopt);
}

// Without a language bundle, a language-only lookup is served by the program's own.
TEST_F(SysResourcesTest, LanguageOnlyLookupWithoutALanguageUsesTheProgram) {
    EXPECT_EQ(FindString(2, Lookup::LanguageOnly), "Quaverlinescribe");
    SetLanguageBundle(program);  // the program's own set as the language
    EXPECT_FALSE(HasLanguageBundle());
    EXPECT_EQ(LoadString(1013), "Notice:");
}

// Resource names ignore letter case, and numbers and names never meet.
TEST_F(SysResourcesTest, ResourceNamesIgnoreCaseAndDifferFromNumbers) {
    program->dialogs["PageSetup"] = ui::DialogTemplate{"Page Setup", {}, 0, "", 8, {}};
    program->dialogs[865] = ui::DialogTemplate{"Numbered", {}, 0, "", 8, {}};
    EXPECT_EQ(FindDialogTemplate("PAGESETUP")->caption, "Page Setup");
    EXPECT_EQ(FindDialogTemplate(865)->caption, "Numbered");
    EXPECT_EQ(FindDialogTemplate("865"), nullptr);
    EXPECT_EQ(ResourceId("MainAcc").ToString(), "MAINACC");
}

// A template found keeps its bundle alive after the bundle is unregistered.
TEST_F(SysResourcesTest, FoundTemplateOutlivesItsBundlesRegistration) {
    program->dialogs[501] = ui::DialogTemplate{"Progress...", {}, 0, "", 8, {}};
    auto found = FindDialogTemplate(501);
    std::weak_ptr<ResourceBundle> watch = program;
    program.reset();
    SetProgramBundle(nullptr);
    EXPECT_FALSE(watch.expired());
    EXPECT_EQ(found->caption, "Progress...");
    found.reset();
    EXPECT_TRUE(watch.expired());
    EXPECT_EQ(FindDialogTemplate(501), nullptr);
}

// Bitmaps load with their pixels; one whose pixels do not fill its size is refused.
TEST_F(SysResourcesTest, BitmapsLoadTheirPixelsAndRefuseShortData) {
    program->bitmaps[126] = BitmapResource{2, 1, {gfx::kBlack, gfx::Rgb(255, 0, 0)}};
    program->bitmaps[127] = BitmapResource{2, 2, {gfx::kBlack}};
    platform::BitmapHandle logo = ui::LoadBitmap(126);
    ASSERT_TRUE(logo);
    EXPECT_EQ(gfx::GetBitmapPixel(logo, 1, 0), gfx::Rgb(255, 0, 0));
    gfx::DeleteObject(logo);
    EXPECT_FALSE(ui::LoadBitmap(127));
    EXPECT_FALSE(ui::LoadBitmap(128));
}

// Help requests reach the viewer as given, and its answer comes back.
TEST_F(SysResourcesTest, HelpRequestsAreRecordedWithTheirContext) {
    EXPECT_TRUE(ShowHelp(HelpRequest{{}, "qlwin32.hlp", HelpCommand::ContextPopup, 2001, ""}));
    headless::SetHelpViewerAnswer(false);
    EXPECT_FALSE(ShowHelp(HelpRequest{{}, "missing.hlp", HelpCommand::Macro, 0, "Contents()"}));
    const auto& requests = headless::HelpRequests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].command, HelpCommand::ContextPopup);
    EXPECT_EQ(requests[0].contextId, 2001u);
    EXPECT_EQ(requests[1].text, "Contents()");
}

// The program folder is the executable's unless set; the temporary folder exists.
TEST_F(SysResourcesTest, FoldersAreTheExecutablesAndAnExistingTemporaryOne) {
    EXPECT_TRUE(std::filesystem::exists(ProgramFolder() / "platform_tests"));
    SetProgramFolder("/opt/elsewhere");
    EXPECT_EQ(ProgramFolder(), std::filesystem::path("/opt/elsewhere"));
    SetProgramFolder({});
    EXPECT_TRUE(std::filesystem::is_directory(TemporaryFolder()));
}

}  // namespace
}  // namespace ql::sys
