// Clef and key changes of an imported score drawn on their lines: a MusicXML score
// changes clef and key inside measures and at measures' starts, and every page is
// painted with a listener on the ink. A change inside a measure (an object of the
// cell) must ink at the heights the staff's own signs of the same clef or key ink
// at: a bass clef change like the bass clef the staff draws before a measure, a key
// change's flats like the opening key of the same clef, measured from the staff's
// bottom line. A system's last measure closes with the clef the next system opens
// with.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <set>
#include <string>
#include <vector>

#include "core/draw/ink_tag.h"
#include "core/model/page_records.h"
#include "core/model/pages.h"
#include "core/model/view.h"
#include "core/objects/score_object.h"
#include "display/engraving_check.h"
#include "interchange/musicxml/musicxml_convert.h"
#include "interchange/niff/niff_import.h"
#include "platform/text/text_ink_tap.h"
#include "platform/ui/headless.h"
#include "shell/program/score_windows.h"
#include "shell/tests/program/page_pictures.h"
#include "shell/tests/program/program_fixture.h"

namespace ql {
namespace {

std::string Quarter(const char* step, int octave) {
    return std::string("<note><pitch><step>") + step + "</step><octave>" + std::to_string(octave) +
           "</octave></pitch><duration>1</duration><type>quarter</type></note>";
}

std::string Clef(char sign, int line) {
    return std::string("<attributes><clef><sign>") + sign + "</sign><line>" + std::to_string(line) +
           "</line></clef></attributes>";
}

std::string Key(int fifths) {
    return "<attributes><key><fifths>" + std::to_string(fifths) + "</fifths></key></attributes>";
}

// Measure 2 changes to the bass clef inside it; measures 3 and 4 open with the
// treble and the bass clef; measure 5 opens treble and changes to the bass clef and
// to two flats at one time inside it; measure 6 opens with three flats. Every key signature the
// staff draws itself is then under the bass clef, wherever the systems break.
std::string ChangingScore() {
    const std::string treble = Quarter("C", 5) + Quarter("D", 5);
    const std::string bass = Quarter("C", 3) + Quarter("D", 3);
    std::string m = "<measure><attributes><divisions>1</divisions><key><fifths>0</fifths></key><time><beats>4</beats>"
                    "<beat-type>4</beat-type></time><clef><sign>G</sign><line>2</line></clef></attributes>" +
                    treble + treble + "</measure>";
    m += "<measure>" + Quarter("C", 5) + Clef('F', 4) + Quarter("C", 3) + bass + "</measure>";
    m += "<measure>" + Clef('G', 2) + treble + treble + "</measure>";
    m += "<measure>" + Clef('F', 4) + bass + bass + "</measure>";
    m += "<measure>" + Clef('G', 2) + Quarter("C", 5) + Clef('F', 4) + Key(-2) + Quarter("C", 3) + bass + "</measure>";
    m += "<measure>" + Key(-3) + bass + bass + "</measure>";
    m += "<measure>" + bass + bass + "</measure>";
    return "<score-partwise><part-list><score-part id=\"P\"><part-name>Cello</part-name></score-part></part-list>"
           "<part id=\"P\">" + m + "</part></score-partwise>";
}

// A glyph of a sign as inked: its code, whether a cell's object drew it (a change
// inside a measure), its top and bottom from the staff's bottom line, its left and
// right on the page, and its system.
struct SignInk {
    uint8_t glyph = 0;
    bool object = false;
    int32_t top = 0;
    int32_t bottom = 0;
    int32_t left = 0;
    int32_t right = 0;
    const ScoreSystem* system = nullptr;
};

std::vector<SignInk> PaintedSigns(ScoreView* view) {
    std::vector<SignInk> signs;
    PaintEachPage(view, [&](ScorePage*, int, platform::DcHandle surface, const std::function<void()>& paint) {
        const text::TextInkTap kept = text::SetTextInkTap([&](const text::TextInk& ink) {
            const ScoreObject* object = CurrentInkObject();
            const bool change = object != nullptr && (object->type == TypeCode(ObjectType::Clef) ||
                                                      object->type == TypeCode(ObjectType::KeySignature));
            const bool grid = object == nullptr && CurrentInkStage() == InkStage::StaffGrid;
            if (ink.dc != surface || ink.bytes.size() != 1 || (!change && !grid) || view->currentSystem == nullptr)
                return;
            const int32_t bottomLine = view->currentSystem->y + StaffOffsetsOf(view->currentSystem)[1];
            signs.push_back({static_cast<uint8_t>(ink.bytes[0]), change, ink.box.top - bottomLine,
                             ink.box.bottom - bottomLine, ink.box.left, ink.box.right, view->currentSystem});
        });
        paint();
        text::SetTextInkTap(kept);
        return true;
    });
    return signs;
}

// Ink boxes come from device pixels: an eighth of a space either way is one height.
constexpr int32_t kSameHeight = 16;
constexpr uint8_t kFirstClefGlyph = 58;
constexpr uint8_t kLastClefGlyph = 67;

class SignChangesEngravingTest : public testing::ProgramFixture {};

TEST_F(SignChangesEngravingTest, ChangesInsideMeasuresInkOnTheStaffsLines) {
    ASSERT_EQ(Start(), StartupCode::Ok);
    const std::string xml = ChangingScore();
    const musicxml::MusicXmlConversion conversion =
        musicxml::ConvertMusicXml(std::vector<uint8_t>(xml.begin(), xml.end()), musicxml::MusicXmlForm::Plain);
    ASSERT_TRUE(conversion.ok) << conversion.error;
    ui::headless::ResetUi();
    ScoreView* view = niff::OpenNiffScoreWindowFromMemory(conversion.niff, "sign_changes_XML");
    ASSERT_NE(view, nullptr);
    EXPECT_TRUE(testing::SavePagePictures(view, "engraving_sign_changes"));
    const std::vector<SignInk> signs = PaintedSigns(view);
    int changes = 0;
    for (const SignInk& change : signs) {
        if (!change.object) continue;
        ++changes;
        const bool matched = std::any_of(signs.begin(), signs.end(), [&](const SignInk& own) {
            return !own.object && own.glyph == change.glyph && std::abs(own.top - change.top) <= kSameHeight &&
                   std::abs(own.bottom - change.bottom) <= kSameHeight;
        });
        EXPECT_TRUE(matched) << "glyph " << int{change.glyph} << " of a change inked from " << change.top << " to "
                             << change.bottom << " above the bottom line, unlike the staff's own";
    }
    EXPECT_EQ(changes, 4);  // two bass clefs and two flats
    // A clef and a key changed at one time stand side by side, the clef first.
    for (const SignInk& clef : signs)
        for (const SignInk& flat : signs)
            if (clef.object && flat.object && flat.glyph > clef.glyph && clef.right > flat.left &&
                clef.left < flat.right && clef.bottom > flat.top && clef.top < flat.bottom)
                ADD_FAILURE() << "change glyphs " << int{clef.glyph} << " and " << int{flat.glyph} << " overlap";
    // The staff draws a clef at each system's start and one before each of the three
    // measures that open with another clef, at a system's end as well.
    std::set<const ScoreSystem*> systems;
    int staffClefs = 0;
    for (const SignInk& sign : signs) {
        systems.insert(sign.system);
        staffClefs += !sign.object && sign.glyph >= kFirstClefGlyph && sign.glyph <= kLastClefGlyph ? 1 : 0;
    }
    EXPECT_EQ(staffClefs, static_cast<int>(systems.size()) + 3);
    ForceCloseScoreWindow(view->ViewWindow);
    Pump();
}

}  // namespace
}  // namespace ql
