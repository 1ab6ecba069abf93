// The engraving check on laid-out pages: a new score gives no finding, nor one
// whose first staff holds notes far above it, nor one whose lower staff's notes
// rise past the staff above; a system moved onto the one above, above the page's
// top or below its bottom is found on its page and system (a staff's y is its
// bottom line), one moved down to the page's bottom line is not; notes of one
// voice nearer than a head's width are found, as are the marks of one system over
// another's.
#include <gtest/gtest.h>

#include <functional>
#include <vector>
#include <string>

#include "core/model/pages.h"
#include "core/model/score_document.h"
#include "display/engraving_check.h"
#include "display/tests/painter/engraving_expect.h"
#include "layout/page_chain.h"
#include "layout/page_format.h"
#include "layout/page_fit.h"
#include "layout/tests/pages/page_format_fixture.h"

namespace ql::testing_layout {
namespace {

using EngravingCheckTest = PageFormatTest;

bool Finds(const std::vector<EngravingFinding>& findings, FindingKind kind, int page, int system) {
    for (const EngravingFinding& f : findings)
        if (f.kind == kind && f.page == page && f.system == system) return true;
    return false;
}

TEST_F(EngravingCheckTest, ANewScoreGivesNoFinding) {
    // The score's number style is left unused (a test's score has no styles): its
    // numbers, at every system's start and every measure, are drawn in a text face.
    // The view's zoom does not count: at a space a pixel, marks a hair apart would
    // share a pixel of their ink boxes.
    const struct {
        uint8_t numberStyle;
        int32_t zoom;
    } cases[] = {{1, 8}, {2, 8}, {1, 2}};
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << "style " << int{c.numberStyle} << " zoom " << c.zoom);
        NewScore(3, 4, 4);
        view_->zoom = c.zoom;
        doc_->header.pageGeometry.measureNumberStyle = c.numberStyle;
        doc_->header.pageGeometry.measureNumberEvery = 1;
        ASSERT_EQ(AddMeasures(view_, 40), 1);
        ReformatOptions options;
        ReformatFromPage(view_, &options, doc_->firstPage);
        EXPECT_TRUE(::ql::testing::EngravingIsClean(view_));
    }
}

// Notes far above a page's first staff (a MIDI file's highest keys) take the
// page's first system down the page: nothing of theirs stands past its top edge.
// A stem set to point up stands at its head's right. Each height on a score of its own (a new score here keeps the notes of the one
// before, which would make chords of them).
class NotesFarAboveTest : public PageFormatTest, public ::testing::WithParamInterface<int> {};

TEST_P(NotesFarAboveTest, NotesFarAboveTheFirstStaffStayOnThePage) {
    constexpr int kQuarterCode = 10;
    constexpr int32_t kBlackHeadWidth = 150;  // the test's view has no glyph table to give it
    const int step = GetParam();
    NewScore(2, 4, 4);
    view_->glyphWidths.black = kBlackHeadWidth;
    Note(1, 1, 0, 0, kQuarterCode, step);
    EventRecord* up = Note(1, 2, 0, 0, kQuarterCode, step + 4);  // an up stem reaching higher still
    up->flags |= kEventStemFlag;
    up->stemLength = -448;
    ReformatOptions options;
    ReformatFromPage(view_, &options, doc_->firstPage);
    EXPECT_TRUE(::ql::testing::EngravingIsClean(view_));
}

INSTANTIATE_TEST_SUITE_P(Steps, NotesFarAboveTest, ::testing::Values(-24, -40, -56));

// A chord whose stem, measured from its first note alone, stops short of its lower
// note: found on its page; with the stem long enough, nothing is.
TEST_F(EngravingCheckTest, AStemShortOfItsChordsLowerNoteIsFound) {
    constexpr int kQuarterCode = 10;
    NewScore(1, 4, 4);
    EventRecord* top = Note(1, 1, 0, 0, kQuarterCode, -10);
    Note(1, 1, 0, 0, kQuarterCode, 0);
    ReformatOptions options;
    ReformatFromPage(view_, &options, doc_->firstPage);
    for (const int16_t stem : {448, 1088}) {  // down from the first note
        SCOPED_TRACE(::testing::Message() << "stem " << stem);
        top->stemLength = stem;
        const std::vector<EngravingFinding> findings = CheckEngraving(view_);
        std::string all;
        for (const EngravingFinding& f : findings) all += DescribeFinding(f) + "\n";
        EXPECT_EQ(Finds(findings, FindingKind::StemShortOfHead, 1, 1), stem < 1000) << all;
        EXPECT_EQ(findings.size(), stem < 1000 ? 1u : 0u) << all;
    }
}

// An unbeamed stem stands on the side it points to: a stem reaching up from the left
// of its head, or down from its right, or not past its head, is found; one standing
// as its direction bit says is not. A quarter whose stem has no length is drawn
// without one, which is found too.
TEST_F(EngravingCheckTest, AnUnbeamedStemOnTheWrongSideOfItsHeadIsFound) {
    constexpr int kQuarterCode = 10;
    NewScore(1, 4, 4);
    view_->glyphWidths.black = 150;  // the test's view has no glyph table to give it
    EventRecord* note = Note(1, 1, 0, 0, kQuarterCode, 0);
    ReformatOptions options;
    ReformatFromPage(view_, &options, doc_->firstPage);
    const struct {
        bool upBit;
        int16_t stem;
        bool found;
    } cases[] = {{false, 448, false}, {true, -448, false}, {false, -448, true}, {true, 448, true}, {true, -16, true},
                   {true, 0, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << "up " << c.upBit << " stem " << c.stem);
        note->flags = static_cast<uint16_t>(c.upBit ? note->flags | kEventStemFlag : note->flags & ~kEventStemFlag);
        note->stemLength = c.stem;
        const std::vector<EngravingFinding> findings = CheckEngraving(view_);
        std::string all;
        for (const EngravingFinding& f : findings) all += DescribeFinding(f) + "\n";
        EXPECT_EQ(Finds(findings, FindingKind::StemShortOfHead, 1, 1), c.found) << all;
        EXPECT_EQ(findings.size(), c.found ? 1u : 0u) << all;
    }
}

TEST_F(EngravingCheckTest, SystemsMovedWrongAreFoundWhereTheyStand) {
    struct Case {
        const char* name;
        int system;  // from 1 on page 1
        std::function<void(ScoreSystem*, ScoreView*)> move;
        FindingKind kind;
        bool found;
    };
    const Case cases[] = {
        {"onto the system above", 2, [](ScoreSystem* s, ScoreView*) { s->y = s->previous.get()->y + 256; },
         FindingKind::SystemsOverlap, true},
        {"below the page", 4, [](ScoreSystem* s, ScoreView* v) { s->y = v->PageBottom - 200; }, FindingKind::SystemOffPage,
         true},
        {"its top line above the page", 1, [](ScoreSystem* s, ScoreView*) { s->y = kLogicalOrigin + 300; },
         FindingKind::SystemOffPage, true},
        {"its bottom line on the page's last", 4,
         [this](ScoreSystem* s, ScoreView* v) { s->y = v->PageBottom - 50 - LastShownStaffOffset(doc_, s); },
         FindingKind::SystemOffPage, false},
        {"its top line in the top margin", 1,
         [this](ScoreSystem* s, ScoreView*) {
             PageMargins margins;
             ASSERT_TRUE(GetPageMargins(doc_->firstPage, &margins));
             s->y = kLogicalOrigin + margins.logical[1] + 512 - 200;  // its top line 200 over the margin
         },
         FindingKind::InkInMargin, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        NewScore(2, 4, 4);
        ScoreSystem* system = SystemAt(0, c.system - 1);
        ASSERT_NE(system, nullptr);
        c.move(system, view_);
        const std::vector<EngravingFinding> findings = CheckEngraving(view_);
        std::string all;
        for (const EngravingFinding& f : findings) all += DescribeFinding(f) + "\n";
        EXPECT_EQ(Finds(findings, c.kind, 1, c.system), c.found) << all;
        for (const EngravingFinding& f : findings) EXPECT_NE(DescribeFinding(f).find("page 1 system"), std::string::npos);
    }
}

// Two notes of one voice whose heads run into one another or touch, by their times:
// found by the heads' real width, not half a space; a system over another, its
// clefs and rests over the other's.
TEST_F(EngravingCheckTest, HeadsOverOneAnotherAreFound) {
    constexpr int kQuarterCode = 10;
    struct Case {
        const char* name;
        int secondTime;  // of the second note in measure 1, voice 1; 0 for none
        bool systemOntoTheOneAbove;
        std::vector<FindingKind> kinds;
    };
    const Case cases[] = {
        {"a quarter apart", 1024, false, {}},
        {"a 32nd apart", 128, false, {FindingKind::SharedColumn, FindingKind::HeadOverHead}},
        {"a dotted 16th apart, touching", 384, false, {FindingKind::SharedColumn}},
        {"a system over another", 0, true,
         {FindingKind::SystemsOverlap, FindingKind::SignOverSign, FindingKind::MarkOverMark}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        NewScore(1, 4, 4);
        for (int measure : {1, 5}) Note(1, measure, 0, 0, kQuarterCode, 0);
        if (c.secondTime != 0) Note(1, 1, 0, c.secondTime, kQuarterCode, 0);
        ReformatOptions options;
        ReformatFromPage(view_, &options, doc_->firstPage);
        if (c.systemOntoTheOneAbove) SystemAt(0, 1)->y = SystemAt(0, 0)->y + 16;
        const std::vector<EngravingFinding> findings = CheckEngraving(view_);
        std::string all;
        for (const EngravingFinding& f : findings) all += DescribeFinding(f) + "\n";
        for (FindingKind kind : c.kinds) EXPECT_TRUE(Finds(findings, kind, 1, 1) || Finds(findings, kind, 1, 2)) << all;
        if (c.kinds.empty()) {
            EXPECT_TRUE(findings.empty()) << all;
        }
    }
}

}  // namespace
}  // namespace ql::testing_layout
