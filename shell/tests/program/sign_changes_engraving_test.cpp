// Clef and key changes of an imported score drawn on their lines. A MusicXML cello
// part changes clef and key inside measures and at measures' starts; every page is
// painted with a listener on the ink. A change inside a measure (a cell's object)
// inks at the heights, from the staff's bottom line, of the staff's own sign of the
// same glyph (every key the staff draws is under the bass clef); a clef and a key of
// one time stand side by side; a system's last measure closes with the clef the next
// system opens with.
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
#include "shell/tests/program/musicxml_text_scores.h"
#include "shell/tests/program/page_pictures.h"
#include "shell/tests/program/program_fixture.h"

namespace ql {
namespace {

constexpr int32_t kSameHeight = 16;  // ink boxes come from device pixels
constexpr uint8_t kFirstClefGlyph = 58;
constexpr uint8_t kLastClefGlyph = 67;
constexpr int kClefsOpeningMeasures = 3;

// Measure by measure: "T"/"B" two treble/bass quarters, "G"/"F" a clef, "k-2" a key.
std::string ChangingScore() {
    const char* measures[] = {"TT", "TFBB", "GTT", "FBB", "GTFk-2BB", "k-3BB", "BB"};
    std::string xml = "<score-partwise><part-list><score-part id=\"P\"/></part-list><part id=\"P\"><measure>"
                      "<attributes><divisions>1</divisions><key><fifths>0</fifths></key><time><beats>4</beats>"
                      "<beat-type>4</beat-type></time><clef><sign>G</sign><line>2</line></clef></attributes>";
    for (const std::string measure : measures) {
        for (size_t i = 0; i < measure.size(); ++i) {
            const char c = measure[i];
            if (c == 'T' || c == 'B')
                for (const char* step : {"C", "D"})
                    xml += std::string("<note><pitch><step>") + step + "</step><octave>" + (c == 'T' ? "5" : "3") +
                           "</octave></pitch><duration>1</duration><type>quarter</type></note>";
            else if (c == 'G' || c == 'F')
                xml += std::string("<attributes><clef><sign>") + c + "</sign><line>" + (c == 'G' ? "2" : "4") +
                       "</line></clef></attributes>";
            else if (c == 'k')
                xml += "<attributes><key><fifths>" + measure.substr(i + 1, 2) + "</fifths></key></attributes>";
        }
        xml += "</measure><measure>";
    }
    return xml.substr(0, xml.size() - 9) + "</part></score-partwise>";
}

struct SignInk {
    uint8_t glyph = 0;
    bool object = false;  // a change inside a measure
    gfx::Rect box;        // top and bottom from the staff's bottom line
    const ScoreSystem* system = nullptr;
};

std::vector<SignInk> PaintedSigns(ScoreView* view) {
    std::vector<SignInk> signs;
    PaintEachPage(view, [&](ScorePage*, int, platform::DcHandle surface, const std::function<void()>& paint) {
        const text::TextInkTap kept = text::SetTextInkTap([&](const text::TextInk& ink) {
            const ScoreObject* o = CurrentInkObject();
            const bool change = o != nullptr && (o->type == TypeCode(ObjectType::Clef) ||
                                                 o->type == TypeCode(ObjectType::KeySignature));
            const ScoreSystem* system = view->currentSystem;
            if (ink.dc != surface || ink.bytes.size() != 1 || system == nullptr ||
                (!change && (o != nullptr || CurrentInkStage() != InkStage::StaffGrid)))
                return;
            const int32_t bottomLine = system->y + StaffOffsetsOf(system)[1];
            const gfx::Rect box{ink.box.left, ink.box.top - bottomLine, ink.box.right, ink.box.bottom - bottomLine};
            signs.push_back({static_cast<uint8_t>(ink.bytes[0]), change, box, system});
        });
        paint();
        text::SetTextInkTap(kept);
        return true;
    });
    return signs;
}

class SignChangesEngravingTest : public testing::ProgramFixture {};

TEST_F(SignChangesEngravingTest, ChangesInsideMeasuresInkOnTheStaffsLines) {
    ASSERT_EQ(Start(), StartupCode::Ok);
    const std::string xml = ChangingScore();
    ScoreView* view = testing::ImportMusicXmlText(xml, "sign_changes_XML");
    ASSERT_NE(view, nullptr);
    EXPECT_TRUE(testing::SavePagePictures(view, "engraving_sign_changes"));
    const std::vector<SignInk> signs = PaintedSigns(view);
    std::set<const ScoreSystem*> systems;
    int changes = 0;
    int staffClefs = 0;
    for (const SignInk& sign : signs) {
        systems.insert(sign.system);
        staffClefs += !sign.object && sign.glyph >= kFirstClefGlyph && sign.glyph <= kLastClefGlyph;
        if (!sign.object) continue;
        ++changes;
        EXPECT_TRUE(std::any_of(signs.begin(), signs.end(), [&](const SignInk& own) {
            return !own.object && own.glyph == sign.glyph && std::abs(own.box.top - sign.box.top) <= kSameHeight &&
                   std::abs(own.box.bottom - sign.box.bottom) <= kSameHeight;
        })) << "glyph " << int{sign.glyph} << " of a change inked " << sign.box.top << ".." << sign.box.bottom;
        for (const SignInk& other : signs)
            EXPECT_FALSE(other.object && other.glyph > sign.glyph && sign.box.right > other.box.left &&
                         sign.box.left < other.box.right && sign.box.bottom > other.box.top &&
                         sign.box.top < other.box.bottom)
                << "change glyphs " << int{sign.glyph} << " and " << int{other.glyph} << " overlap";
    }
    EXPECT_EQ(changes, 4);  // two bass clefs and two flats
    EXPECT_EQ(staffClefs, static_cast<int>(systems.size()) + kClefsOpeningMeasures);
    ForceCloseScoreWindow(view->ViewWindow);
    Pump();
}

}  // namespace
}  // namespace ql
