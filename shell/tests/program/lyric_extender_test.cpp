// A melisma's extender line, imported from MusicXML and drawn as the page prints:
// from right of its syllable to the right of the last note sung to it (the notes of
// its voice that follow one another up to the next syllable of its verse or a rest,
// across a barline), on the syllable's baseline; the "_" that marks it is not drawn.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "core/draw/draw_surface.h"
#include "core/draw/fonts.h"
#include "core/model/view.h"
#include "display/engraving_check.h"
#include "display/engraving_marks.h"
#include "display/tests/painter/engraving_expect.h"
#include "platform/gfx/stroke_tap.h"
#include "platform/text/text_ink_tap.h"
#include "shell/program/score_windows.h"
#include "shell/tests/program/musicxml_text_scores.h"
#include "shell/tests/program/program_fixture.h"

namespace ql {
namespace {

struct Case {
    const char* name;
    std::vector<std::string> notes;  // per note: "" none, "r" a rest, else its lyric
    int last;                        // the last note sung to the extended syllable (by index)
};

// One 4/4 measure of quarter notes (or rests) after another; a lyric ending in "_"
// has its extender.
std::string Song(const std::vector<std::string>& notes) {
    std::string xml = "<score-partwise><part-list><score-part id=\"P\"/></part-list><part id=\"P\">";
    for (size_t i = 0; i < notes.size(); ++i) {
        if (i % 4 == 0)
            xml += std::string(i > 0 ? "</measure>" : "") + "<measure>" +
                   (i == 0 ? "<attributes><divisions>1</divisions><time><beats>4</beats><beat-type>4</beat-type>"
                             "</time></attributes>"
                           : "");
        const std::string& n = notes[i];
        if (n == "r") {
            xml += "<note><rest/><duration>1</duration><type>quarter</type></note>";
            continue;
        }
        xml += "<note><pitch><step>G</step><octave>4</octave></pitch><duration>1</duration><type>quarter</type>";
        if (!n.empty()) {
            const bool extend = n.back() == '_';
            xml += "<lyric><syllabic>single</syllabic><text>" + (extend ? n.substr(0, n.size() - 1) : n) + "</text>" +
                   (extend ? "<extend/>" : "") + "</lyric>";
        }
        xml += "</note>";
    }
    return xml + "</measure></part></score-partwise>";
}

class LyricExtenderTest : public testing::ProgramFixture {};

TEST_F(LyricExtenderTest, TheLineRunsToTheLastNoteSungToItsSyllable) {
    ASSERT_EQ(Start(), StartupCode::Ok);
    const std::vector<Case> cases{
        {"within a measure", {"Ah_", "", "", "la", "", "", "", ""}, 2},
        {"across a barline", {"", "", "Ah_", "", "", "", "la", ""}, 5},
        {"up to a rest", {"Ah_", "", "r", "", "la", "", "", ""}, 1},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.name);
        ScoreView* view = testing::ImportMusicXmlText(Song(test.notes), "extender_XML");
        ASSERT_NE(view, nullptr);
        std::vector<InkMark> heads, lines, syllables;
        const int32_t zoom = view->zoom;
        view->zoom = kMappingUnits;
        const text::TextInkTap keptText = text::SetTextInkTap([&](const text::TextInk& ink) {
            const InkMark mark = MarkOfText(ink, ink.face == kMusicFontFace);
            if (mark.mark == Mark::Head) heads.push_back(mark);
            if (mark.mark == Mark::Lyric) syllables.push_back(mark);
        });
        const gfx::StrokeTap keptStrokes = gfx::SetStrokeTap([&](const gfx::StrokeInk& ink) {
            InkMark mark;
            if (MarkOfStroke(ink, &mark) && mark.object != nullptr &&
                mark.object->type == TypeCode(ObjectType::Lyric))
                lines.push_back(mark);
        });
        PaintEachPage(view, [](ScorePage*, int, platform::DcHandle, const std::function<void()>& paint) {
            paint();
            return true;
        });
        text::SetTextInkTap(keptText);
        gfx::SetStrokeTap(keptStrokes);
        view->zoom = zoom;
        std::sort(heads.begin(), heads.end(), [](const InkMark& a, const InkMark& b) { return a.box.left < b.box.left; });
        std::sort(syllables.begin(), syllables.end(),
                  [](const InkMark& a, const InkMark& b) { return a.box.left < b.box.left; });
        const int notes = static_cast<int>(std::count_if(test.notes.begin(), test.notes.end(),
                                                         [](const std::string& n) { return n != "r"; }));
        ASSERT_EQ(static_cast<int>(heads.size()), notes);
        ASSERT_EQ(lines.size(), 1u);
        ASSERT_EQ(syllables.size(), 2u);
        EXPECT_EQ(syllables[0].text, "Ah") << "the mark is not drawn";
        // The head of note `last` among the notes (rests take no head).
        int head = -1;
        for (int i = 0; i <= test.last; ++i) head += test.notes[static_cast<size_t>(i)] != "r";
        const gfx::Rect& line = lines.front().box;
        EXPECT_GT(line.left, syllables[0].box.right);
        EXPECT_NEAR(line.right, heads[static_cast<size_t>(head)].box.right, kTouch);
        EXPECT_LT(line.right, syllables[1].box.left);
        EXPECT_GE(line.top, syllables[0].box.top);
        EXPECT_LE(line.bottom, syllables[0].box.bottom + kTouch) << "on the baseline";
        EXPECT_TRUE(testing::EngravingIsClean(view));
        ForceCloseScoreWindow(view->ViewWindow);
        Pump();
    }
}

}  // namespace
}  // namespace ql
