// A ".nif" file whose hairpin is placed from the page header opens with the
// hairpin where the file puts it on the page, well under the staff, and not by the
// staff's notes: the area under the staff has more ink than the same file's
// without the hairpin.
#include <string>
#include <vector>

#include "shell/tests/desktop/desktop_fixture.h"
#include "shell/tests/desktop/niff_one_staff_page.h"

namespace ql::desktop {
namespace {

namespace fs = std::filesystem;


// One staff of one 4/4 measure of quarters; with `hairpin`, a crescendo placed on
// the page two and a half staff heights under the staff, across most of it.
std::vector<unsigned char> PageHairpinScore(bool hairpin) {
    using niff::NiffField;
    niff::NiffWriter out;
    BeginOneStaffPage(out);
    out.BeginChunk("tmsl", {1, NiffField::Rational(0, 1)});
    out.EndChunk();
    const int16_t y = kNiffStaffTop + kNiffStaffHeight + kNiffStaffHeight * 5 / 2;
    for (int quarter = 0; quarter < 4; ++quarter) {
        out.BeginChunk("tmsl", {2, NiffField::Rational(static_cast<int16_t>(quarter), 4)});
        out.EndChunk();
        if (hairpin && (quarter == 0 || quarter == 3)) {
            out.BeginChunk("hrpn", {1});
            out.Tag(18, {1});
            if (quarter == 0) out.Tag(28, {2});
            out.Tag(3, {"pghd"});
            out.Tag(1, {static_cast<int16_t>(quarter == 0 ? 500 : 1900), y});
            out.EndChunk();
        }
        out.BeginChunk("stem");
        out.EndChunk();
        out.BeginChunk("note", {0, 2 + quarter, NiffField::Rational(1, 4)});
        out.EndChunk();
    }
    return EndNiffScore(out);
}

class NiffPageItemsScenario : public DesktopScenario {
  protected:
    // Imports the file, counts the dark pixels from one and a half staff heights
    // under its staff down to the frame's bottom, and closes it unsaved.
    int64_t InkUnderTheStaff(const fs::path& file, const char* title) {
        ChooseMenuItem('f', 'i');
        ChooseFileToOpen(kImportTitle, file, title);
        if (!x_.WaitForWindow(title)) {
            ADD_FAILURE() << title << " did not open";
            return -1;
        }
        // The chooser goes first; the score is grabbed once it is drawn alone.
        WaitFor([&] { return !x_.FindWindow(kImportTitle); });
        x_.Settle();
        const ScreenPicture picture = x_.Grab(Frame());
        WritePng(picture, TestOutputFolder() / (std::string(title) + ".png"));
        const std::vector<std::vector<int>> staves = StavesOfFirstSystem(picture, 0, picture.width);
        int64_t ink = -1;
        if (!staves.empty()) {
            const std::vector<int>& lines = staves.front();
            const int height = lines.back() - lines.front();
            ink = picture.DarkPixels(0, lines.back() + height * 3 / 2, picture.width, picture.height);
        } else {
            ADD_FAILURE() << title << " shows no staff";
        }
        ChooseMenuItem('f', 'c');
        // The score closes, or asks first (answered No).
        std::optional<ShownWindow> question;
        WaitFor([&] { return (question = FindMessageBox()) || Frame().title == kFrameTitle; });
        if (question) {
            x_.PointAt(*question);
            x_.PressKey("alt+n");
        }
        WaitFor([&] { return Frame().title == kFrameTitle; });
        return ink;
    }
};

TEST_F(NiffPageItemsScenario, AHairpinPlacedOnThePageShowsWhereTheFilePutsIt) {
    const fs::path plain = home_->Documents() / "plain.nif";
    const fs::path marked = home_->Documents() / "pagehairpin.nif";
    for (const auto& [path, hairpin] : {std::pair{plain, false}, std::pair{marked, true}}) {
        WriteFileBytes(path, PageHairpinScore(hairpin));
    }
    ASSERT_TRUE(StartProgram());
    const int64_t without = InkUnderTheStaff(plain, "plain_NIFF");
    const int64_t with = InkUnderTheStaff(marked, "pagehairpin_NIFF");
    ASSERT_GE(without, 0);
    EXPECT_GT(with, without + 150) << "no hairpin far under the staff";
    EXPECT_EQ(Quit(), 0);
}

}  // namespace
}  // namespace ql::desktop
