// A ".nif" file whose hairpin (or slur, octave line, repeat ending, pedal bracket)
// is placed from the page header opens with it where the file puts it on the page,
// well under the staff, and not by the staff's notes: the area under the staff has
// more ink than the same file's without it.
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "shell/tests/desktop/desktop_fixture.h"
#include "shell/tests/desktop/niff_one_staff_page.h"

namespace ql::desktop {
namespace {

namespace fs = std::filesystem;


// Where the marks placed on the page stand: two and a half staff heights under
// the staff, across most of it.
constexpr int16_t kUnderTheStaff = kNiffStaffTop + kNiffStaffHeight + kNiffStaffHeight * 5 / 2;
constexpr int16_t kMarkStart = 500;
constexpr int16_t kMarkEnd = 1900;

// A node of spanner `chunk` with ID 1, placed on the page at (x, y); the first of
// two nodes says so.
void PageNode(niff::NiffWriter& out, const char (&chunk)[5], std::initializer_list<niff::NiffField> fixedPart,
              bool first, int16_t x, int16_t y = kUnderTheStaff) {
    out.BeginChunk(chunk, fixedPart);
    out.Tag(18, {1});
    if (first) out.Tag(28, {2});
    out.Tag(3, {"pghd"});
    out.Tag(1, {x, y});
    out.EndChunk();
}

// One staff of one 4/4 measure of quarters; with `chunk` ("" for none), a spanner
// of that kind placed on the page under the staff from the first quarter to the
// last: a crescendo, a slur, an octave sign, a repeat ending with both hooks or a
// pedal bracket.
std::vector<unsigned char> PageSpannerScore(const std::string& chunk) {
    using niff::NiffField;
    niff::NiffWriter out;
    BeginOneStaffPage(out);
    out.BeginChunk("tmsl", {1, NiffField::Rational(0, 1)});
    out.EndChunk();
    for (int quarter = 0; quarter < 4; ++quarter) {
        out.BeginChunk("tmsl", {2, NiffField::Rational(static_cast<int16_t>(quarter), 4)});
        out.EndChunk();
        if (quarter == 0 || quarter == 3) {
            const bool first = quarter == 0;
            const int16_t x = first ? kMarkStart : kMarkEnd;
            if (chunk == "hrpn") PageNode(out, "hrpn", {1}, first, x);
            if (chunk == "slur") PageNode(out, "slur", {}, first, x);
            if (chunk == "octv") PageNode(out, "octv", {0, 1, 0, 0}, first, x);
            if (chunk == "altg") PageNode(out, "altg", {3, 0}, first, x);
            if (chunk == "pdlp") PageNode(out, "pdlp", {first ? 6 : 7}, first, x);
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
    WriteFileBytes(plain, PageSpannerScore(""));
    WriteFileBytes(marked, PageSpannerScore("hrpn"));
    ASSERT_TRUE(StartProgram());
    const int64_t without = InkUnderTheStaff(plain, "plain_NIFF");
    const int64_t with = InkUnderTheStaff(marked, "pagehairpin_NIFF");
    ASSERT_GE(without, 0);
    EXPECT_GT(with, without + 150) << "no hairpin far under the staff";
    EXPECT_EQ(Quit(), 0);
}

// The same for a slur, an octave line, a repeat ending and a pedal bracket, each in
// a file of its own.
TEST_F(NiffPageItemsScenario, SpannersPlacedOnThePageShowWhereTheFilePutsThem) {
    const fs::path plain = home_->Documents() / "plain.nif";
    WriteFileBytes(plain, PageSpannerScore(""));
    const std::pair<const char*, const char*> kinds[] = {{"slur", "a slur"}, {"octv", "an octave line"},
                                                         {"altg", "a repeat ending"}, {"pdlp", "a pedal bracket"}};
    for (const auto& [chunk, name] : kinds)
        WriteFileBytes(home_->Documents() / (std::string("page") + chunk + ".nif"), PageSpannerScore(chunk));
    ASSERT_TRUE(StartProgram());
    const int64_t without = InkUnderTheStaff(plain, "plain_NIFF");
    ASSERT_GE(without, 0);
    for (const auto& [chunk, name] : kinds) {
        const std::string title = std::string("page") + chunk + "_NIFF";
        const int64_t with = InkUnderTheStaff(home_->Documents() / (std::string("page") + chunk + ".nif"), title.c_str());
        EXPECT_GT(with, without + 60) << "no sign of " << name << " far under the staff";
    }
    EXPECT_EQ(Quit(), 0);
}

}  // namespace
}  // namespace ql::desktop
