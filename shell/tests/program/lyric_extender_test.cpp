// A melisma's extender line, imported from MusicXML and drawn as the page prints:
// from right of its syllable to the right of the last note sung to it (the notes of
// its voice that follow one another up to the next syllable of its verse or a rest,
// across a barline), on the syllable's baseline; the "_" that marks it is not drawn.
// A word's hyphens, centred in the gap to the word's next syllable (several when
// the gap is long, the measure widened for a whole one when it is narrow, and just
// after the syllable at a system's end); the "-" that marks them is not drawn.
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
#include "objects/lyrics/lyric_hyphen.h"
#include "platform/gfx/stroke_tap.h"
#include "platform/text/text_ink_tap.h"
#include "shell/program/score_windows.h"
#include "shell/tests/program/musicxml_text_scores.h"
#include "shell/tests/program/program_fixture.h"

namespace ql {
namespace {

constexpr int kSystemsPerPage = 1000;  // a mark's row: its page x this + its system
constexpr int32_t kRowSpread = 512;

struct Case {
    const char* name;
    std::vector<std::string> notes;  // per note: "" none, "r" a rest, else its lyric
    int last;                        // the last note sung to the extended syllable (by index)
};

// One 4/4 measure of quarter notes (or rests) after another; a lyric ending in "_"
// has its extender, one ending in "-" begins a word.
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
            const bool extend = n.back() == '_', hyphen = n.back() == '-';
            xml += std::string("<lyric><syllabic>") + (hyphen ? "begin" : "single") + "</syllabic><text>" +
                   (extend || hyphen ? n.substr(0, n.size() - 1) : n) + "</text>" + (extend ? "<extend/>" : "") +
                   "</lyric>";
        }
        xml += "</note>";
    }
    return xml + "</measure></part></score-partwise>";
}

// What the pages of a view print: note heads, syllables and the lines the lyrics
// stroke, each sorted by row and then from left to right (a syllable's or line's
// system is its row of syllables, counted over the pages).
struct PaintedLyrics {
    std::vector<InkMark> heads, lines, syllables, barlines;
};

PaintedLyrics PaintLyrics(ScoreView* view) {
    PaintedLyrics painted;
    int page = 0;
    const int32_t zoom = view->zoom;
    view->zoom = kMappingUnits;
    const text::TextInkTap keptText = text::SetTextInkTap([&](const text::TextInk& ink) {
        InkMark mark = MarkOfText(ink, ink.face == kMusicFontFace);
        mark.system += page * kSystemsPerPage;
        if (mark.mark == Mark::Head) painted.heads.push_back(mark);
        if (mark.mark == Mark::Lyric) painted.syllables.push_back(mark);
    });
    const gfx::StrokeTap keptStrokes = gfx::SetStrokeTap([&](const gfx::StrokeInk& ink) {
        InkMark mark;
        if (!MarkOfStroke(ink, &mark)) return;
        if (mark.mark == Mark::Barline) painted.barlines.push_back(mark);
        if (mark.object == nullptr || mark.object->type != TypeCode(ObjectType::Lyric)) return;
        mark.system += page * kSystemsPerPage;
        painted.lines.push_back(mark);
    });
    PaintEachPage(view, [&](ScorePage*, int, platform::DcHandle, const std::function<void()>& paint) {
        ++page;
        paint();
        return true;
    });
    text::SetTextInkTap(keptText);
    gfx::SetStrokeTap(keptStrokes);
    view->zoom = zoom;
    // Rows of syllables: their tops at most kRowSpread apart; a line in the row
    // whose syllables it stands beside.
    std::stable_sort(painted.syllables.begin(), painted.syllables.end(), [](const InkMark& a, const InkMark& b) {
        return a.system != b.system ? a.system < b.system : a.box.top < b.box.top;
    });
    int row = 0;
    for (size_t i = 0, first = 0; i < painted.syllables.size(); ++i) {
        InkMark& syllable = painted.syllables[i];
        if (syllable.system != painted.syllables[first].system ||
            syllable.box.top - painted.syllables[first].box.top > kRowSpread) {
            ++row;
            first = i;
        }
        for (InkMark& line : painted.lines)
            if (line.system == syllable.system && line.box.top >= syllable.box.top &&
                line.box.bottom <= syllable.box.bottom)
                line.staff = row;
        syllable.staff = row;
    }
    for (std::vector<InkMark>* marks : {&painted.lines, &painted.syllables})
        for (InkMark& mark : *marks) mark.system = mark.staff;
    for (std::vector<InkMark>* marks : {&painted.heads, &painted.lines, &painted.syllables})
        std::sort(marks->begin(), marks->end(), [](const InkMark& a, const InkMark& b) {
            return a.system != b.system ? a.system < b.system : a.box.left < b.box.left;
        });
    return painted;
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
        const PaintedLyrics painted = PaintLyrics(view);
        const std::vector<InkMark>& heads = painted.heads;
        const std::vector<InkMark>& lines = painted.lines;
        const std::vector<InkMark>& syllables = painted.syllables;
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

// Whether a barline stands over a mark of the lyric lines under its staff.
bool Above(const gfx::Rect& barline, const gfx::Rect& mark) {
    constexpr int32_t kLyricsUnderStaff = 1536;
    return barline.bottom <= mark.top && mark.top - barline.bottom < kLyricsUnderStaff;
}

struct HyphenCase {
    const char* name;
    std::vector<std::string> notes;
    bool several;    // some gap takes more than one hyphen
    bool systemEnd;  // some word goes on past a system's end
};

// The notes of a measure, `measures` times, and then a last note.
std::vector<std::string> Repeated(int measures, const std::vector<std::string>& measure, const std::string& last) {
    std::vector<std::string> notes;
    for (int m = 0; m < measures; ++m) notes.insert(notes.end(), measure.begin(), measure.end());
    notes.push_back(last);
    return notes;
}

TEST_F(LyricExtenderTest, HyphensStandInTheGapsOfTheirWords) {
    ASSERT_EQ(Start(), StartupCode::Ok);
    const std::vector<HyphenCase> cases{
        {"gaps of two beats", Repeated(12, {"Ta-", "", "ble", ""}, "Ta"), false, false},
        {"a long gap", {"Ta-", "", "", "", "", "", "", "ble"}, true, false},
        {"long syllables close together", {"Extraordinary-", "Unbelievable-", "Wonderfully-", "done"}, false, false},
        {"words across barlines and systems", Repeated(24, {"ter", "", "La-", "La-"}, "ter"), false, true},
    };
    for (const HyphenCase& test : cases) {
        SCOPED_TRACE(test.name);
        ScoreView* view = testing::ImportMusicXmlText(Song(test.notes), "hyphens_XML");
        ASSERT_NE(view, nullptr);
        const PaintedLyrics painted = PaintLyrics(view);
        const auto words = std::count_if(test.notes.begin(), test.notes.end(),
                                         [](const std::string& n) { return !n.empty() && n.back() == '-'; });
        ASSERT_EQ(painted.syllables.size(),
                  static_cast<size_t>(std::count_if(test.notes.begin(), test.notes.end(),
                                                    [](const std::string& n) { return !n.empty() && n != "r"; })));
        bool several = false, systemEnd = false;
        long found = 0;
        for (size_t i = 0; i < painted.syllables.size(); ++i) {
            const InkMark& syllable = painted.syllables[i];
            EXPECT_NE(syllable.text.back(), '-') << "the mark is not drawn";
            const bool last = i + 1 == painted.syllables.size() ||
                              painted.syllables[i + 1].system != syllable.system;
            const int32_t end = last ? INT32_MAX : painted.syllables[i + 1].box.left;
            std::vector<gfx::Rect> hyphens;
            for (const InkMark& line : painted.lines)
                if (line.system == syllable.system && line.box.left > syllable.box.right && line.box.right < end &&
                    line.box.top >= syllable.box.top && line.box.bottom <= syllable.box.bottom)
                    hyphens.push_back(line.box);
            if (hyphens.empty()) continue;
            ++found;
            several = several || hyphens.size() > 1;
            systemEnd = systemEnd || last;
            for (const gfx::Rect& h : hyphens) {
                EXPECT_NEAR(h.right - h.left, kHyphenLength, kTouch / 4) << "whole";
                for (const InkMark& barline : painted.barlines)
                    EXPECT_FALSE(Above(barline.box, h) && barline.box.left <= h.right && barline.box.right >= h.left)
                        << "through a barline";
            }
            EXPECT_GE(hyphens.front().left - syllable.box.right, kHyphenClearance - kTouch);
            if (last) {
                EXPECT_LE(hyphens.front().left - syllable.box.right, kLyricHyphenRoom) << "just after the syllable";
                continue;
            }
            EXPECT_GE(end - hyphens.back().right, kHyphenClearance - kTouch);
            // Centred in the gap, spaced evenly; a lone hyphen before a barline in
            // the gap.
            int32_t stop = end;
            for (const InkMark& barline : painted.barlines)
                if (hyphens.size() == 1 && Above(barline.box, syllable.box) && barline.box.left > syllable.box.right &&
                    barline.box.left < stop)
                    stop = barline.box.left;
            const int32_t gap = stop - syllable.box.right;
            for (size_t k = 0; k < hyphens.size(); ++k)
                EXPECT_NEAR((hyphens[k].left + hyphens[k].right) / 2 - syllable.box.right,
                            gap * static_cast<int32_t>(2 * k + 1) / static_cast<int32_t>(2 * hyphens.size()), kTouch);
        }
        EXPECT_EQ(found, words) << "each word's syllable has its hyphens";
        EXPECT_EQ(several, test.several);
        EXPECT_EQ(systemEnd, test.systemEnd);
        EXPECT_TRUE(testing::EngravingIsClean(view));
        ForceCloseScoreWindow(view->ViewWindow);
        Pump();
    }
}

}  // namespace
}  // namespace ql
