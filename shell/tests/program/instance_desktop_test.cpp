// Desktop registration into scratch XDG data folders: the first start installs the
// entry, the MIME package and the icons; a second start, or a system copy, means
// nothing is written; the entry quotes its program; and with the MIME database
// tool present, GIO tells a NIFF file by its content.
#include "shell/program/instance_desktop.h"

#include <gio/gio.h>
#include <gtest/gtest.h>

#include <fstream>

#include "platform/sys/folders.h"
#include "platform/sys/run_program.h"
#include "platform/tests/sys/scratch_folder.h"

namespace ql {
namespace {

using testing::ScopedEnvironment;
using testing::ScratchFolder;

class ShellTypesTest : public ::testing::Test {
  protected:
    ShellTypesTest()
        : user_("XDG_DATA_HOME", (scratch_ / "user").string()),
          system_("XDG_DATA_DIRS", (scratch_ / "system").string()) {}
    void SetUp() override {
        std::filesystem::create_directories(scratch_ / "program");
        std::filesystem::copy(std::filesystem::path(QL_SOURCE_DIR) / "data" / "desktop",
                              scratch_ / "program" / kDesktopFilesFolder,
                              std::filesystem::copy_options::recursive);
        sys::SetProgramFolder(scratch_ / "program");
    }
    void TearDown() override { sys::SetProgramFolder({}); }
    std::string Read(const std::filesystem::path& file) {
        std::ifstream in(file, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    ScratchFolder scratch_;
    ScopedEnvironment user_;
    ScopedEnvironment system_;
};

TEST_F(ShellTypesTest, FirstStartInstallsTheThreeSetsOnce) {
    const ShellTypesResult first = RegisterShellTypes();
    const std::filesystem::path user = scratch_ / "user";
    ASSERT_EQ(first.written.size(), 5u);
    // The entry starts this program with the files given, for both types.
    const std::string entry = Read(user / "applications" / "quaverline.desktop");
    EXPECT_NE(entry.find("Exec=" + (scratch_ / "program" / kProgramExecutable).string() + " %F\n"),
              std::string::npos)
        << entry;
    EXPECT_NE(entry.find("MimeType=application/x-quaverline-score;application/x-niff;"),
              std::string::npos);
    const std::string mime = Read(user / "mime" / "packages" / "quaverline.xml");
    EXPECT_NE(mime.find("<glob pattern=\"*.ql\"/>"), std::string::npos);
    EXPECT_NE(mime.find("value=\"NIFF\" offset=\"8\""), std::string::npos);
    EXPECT_TRUE(
        std::filesystem::exists(user / "icons/hicolor/scalable/mimetypes/application-x-niff.svg"));
    // The second start writes nothing.
    EXPECT_TRUE(RegisterShellTypes().written.empty());
}

TEST_F(ShellTypesTest, SystemCopyMeansNothingIsWritten) {
    const std::filesystem::path system = scratch_ / "system";
    for (const char* file : {"applications/quaverline.desktop", "mime/packages/quaverline.xml",
                             "icons/hicolor/scalable/apps/quaverline.svg"}) {
        std::filesystem::create_directories((system / file).parent_path());
        std::ofstream(system / file) << "installed";
    }
    const ShellTypesResult result = RegisterShellTypes();
    EXPECT_TRUE(result.written.empty());
    EXPECT_FALSE(std::filesystem::exists(scratch_ / "user"));
    // Without the program's own files nothing is written either, and nothing fails.
    std::filesystem::remove_all(system);
    std::filesystem::remove_all(scratch_ / "program");
    EXPECT_TRUE(RegisterShellTypes().written.empty());
}

TEST(DesktopEntryTest, ProgramPathsAreQuotedAsEntriesQuoteThem) {
    const std::string entryTemplate = "Exec=@EXEC@ %F\n";
    EXPECT_EQ(DesktopEntryText(entryTemplate, "/usr/bin/quaverline"),
              "Exec=/usr/bin/quaverline %F\n");
    // A blank needs quotes; a quote, a dollar and a backslash are escaped, and the
    // key's own escapes double the backslashes and the percent sign.
    EXPECT_EQ(DesktopEntryText(entryTemplate, "/opt/my prog/ql"), "Exec=\"/opt/my prog/ql\" %F\n");
    EXPECT_EQ(DesktopEntryText(entryTemplate, "/a\"b$c%d"), "Exec=\"/a\\\\\"b\\\\$c%%d\" %F\n");
}

TEST_F(ShellTypesTest, NiffFilesAreKnownByTheirContent) {
    if (!sys::IsProgramOnPath("update-mime-database")) GTEST_SKIP() << "no update-mime-database";
    const ShellTypesResult result = RegisterShellTypes();
    ASSERT_TRUE(result.mimeDatabaseUpdated);
    // GIO reads the MIME data of XDG_DATA_HOME when it is first asked.
    const char niff[] = "RIFX\0\0\0\x10NIFFsome";
    gboolean uncertain = FALSE;
    gchar* type = g_content_type_guess(nullptr, reinterpret_cast<const guchar*>(niff),
                                       sizeof niff - 1, &uncertain);
    gchar* mime = g_content_type_get_mime_type(type);
    EXPECT_STREQ(mime, "application/x-niff");
    g_free(mime);
    g_free(type);
    // Without the form type it is some other RIFX file.
    const char other[] = "RIFX\0\0\0\x10WAVEsome";
    type = g_content_type_guess(nullptr, reinterpret_cast<const guchar*>(other), sizeof other - 1,
                                &uncertain);
    mime = g_content_type_get_mime_type(type);
    EXPECT_STRNE(mime, "application/x-niff");
    g_free(mime);
    g_free(type);
}

}  // namespace
}  // namespace ql
