// Two voices on one staff, imported from MusicXML: beams and stems that stay in
// their voice (the lower voice stems down where the file gives no stem), the lower
// voice's accents and fermatas below, and the rests of the two voices apart where
// the other voice sounds, in the middle where it is silent. Checked by the
// engraving check and by what the import stored.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "core/constants.h"
#include "core/model/document.h"
#include "core/model/events.h"
#include "core/model/grid.h"
#include "core/model/grid_records.h"
#include "core/model/score_document.h"
#include "core/model/view.h"
#include "core/text/text_object.h"
#include "display/anchors.h"
#include "display/tests/painter/engraving_expect.h"
#include "notes/drawing/note_redraw.h"
#include "notes/rests/rest.h"
#include "shell/program/score_windows.h"
#include "shell/tests/program/musicxml_text_scores.h"
#include "shell/tests/program/page_pictures.h"
#include "shell/tests/program/program_fixture.h"

namespace ql {
namespace {

// A note of a voice: pitch ("C5"; "R" a rest), duration in eighths, type, then
// what follows the type (stem, beam, notations).
std::string VoiceNote(int voice, const std::string& pitch, int eighths, const char* type,
                      const std::string& after = "") {
    const std::string body = pitch == "R" ? "<rest/>"
                                          : "<pitch><step>" + pitch.substr(0, 1) + "</step><octave>" + pitch.substr(1) +
                                                "</octave></pitch>";
    return "<note>" + body + "<duration>" + std::to_string(eighths) + "</duration><voice>" + std::to_string(voice) +
           "</voice><type>" + type + "</type>" + after + "</note>";
}

// Measure 1: beamed eighths in both voices, an accent on each voice's first note,
// a fermata on its last, a slur over the lower voice. Measure 2 (no stems in the
// file): each voice rests while the other sounds. Measure 3: a whole note over a
// whole-measure rest. Measure 4: the upper voice rests beside a rest not shown.
std::string TwoVoiceScore() {
    const std::string backup = "<backup><duration>8</duration></backup>";
    std::string m1 = "<measure><attributes><divisions>2</divisions><time><beats>4</beats><beat-type>4</beat-type>"
                     "</time><clef><sign>G</sign><line>2</line></clef></attributes>";
    for (int voice = 1; voice <= 2; ++voice) {
        const char* pitches[] = {"C5", "D5", "E5", "F5", "G5", "F5", "E5", "D5",
                                 "A4", "G4", "F4", "E4", "D4", "E4", "F4", "G4"};
        for (int i = 0; i < 8; ++i) {
            std::string after = std::string(voice == 1 ? "<stem>up</stem>" : "<stem>down</stem>") +
                                "<beam number=\"1\">" + (i % 2 == 0 ? "begin" : "end") + "</beam><notations>";
            const std::string slur = voice == 2 ? (i == 0 ? "<slur type=\"start\"/>" : "<slur type=\"stop\"/>") : "";
            if (i == 0) after += "<articulations><accent/></articulations>" + slur;
            if (i == 7) after += "<fermata/>" + slur;
            m1 += VoiceNote(voice, pitches[(voice - 1) * 8 + i], 1, "eighth", after + "</notations>");
        }
        m1 += voice == 1 ? backup : "</measure>";
    }
    const std::string m2 = "<measure>" + VoiceNote(1, "C5", 4, "half") + VoiceNote(1, "R", 2, "quarter") +
                           VoiceNote(1, "D5", 2, "quarter") + backup + VoiceNote(2, "R", 2, "quarter") +
                           VoiceNote(2, "F4", 4, "half") + VoiceNote(2, "G4", 2, "quarter") + "</measure>";
    const std::string m3 = "<measure>" + VoiceNote(1, "E5", 8, "whole") + backup +
                           "<note><rest measure=\"yes\"/><duration>8</duration><voice>2</voice></note></measure>";
    const std::string m4 = "<measure>" + VoiceNote(1, "R", 2, "quarter") + VoiceNote(1, "D5", 2, "quarter") +
                           VoiceNote(1, "E5", 4, "half") + backup +
                           "<note print-object=\"no\"><rest/><duration>2</duration><voice>2</voice></note>" +
                           VoiceNote(2, "G4", 2, "quarter") + VoiceNote(2, "F4", 4, "half") + "</measure>";
    return "<score-partwise><part-list><score-part id=\"P\"><part-name>Organ</part-name></score-part></part-list>"
           "<part id=\"P\">" + m1 + m2 + m3 + m4 + "</part></score-partwise>";
}

using TwoVoiceScoresTest = testing::ProgramFixture;

// The score's voices: the file's voice 1 is the upper voice (0), its voice 2 the
// lower (2), each with the stems of its side, beams only between its own chords,
// its marks on its side of the staff, and its rests moved aside where the other
// voice sounds (positions count steps from the bottom line, up negative; -4 the
// middle line).
TEST_F(TwoVoiceScoresTest, VoicesKeepTheirStemsBeamsMarksAndRestsApart) {
    constexpr int kUpper = 0, kLower = 2, kMiddleLine = -4, kSpace = 128, kStaffSpaces = 4;
    constexpr uint8_t kFermataBelow = 217;
    ASSERT_EQ(Start(), StartupCode::Ok);
    ScoreView* view = testing::ImportMusicXmlText(TwoVoiceScore(), "two_voices_XML");
    ASSERT_NE(view, nullptr);
    if (std::getenv("QL_PAGE_PICTURES") != nullptr) {
        EXPECT_TRUE(testing::SavePagePictures(view, "two_voices"));
    }
    EXPECT_TRUE(testing::EngravingIsClean(view));
    ScoreDocument* document = view->document;
    for (int measure = 1; measure <= 4; ++measure) {
        SCOPED_TRACE(measure);
        MeasureCell* cell = GetOrCreateMeasureCell(StaffRecordOf(document, 1), document, measure);
        ASSERT_NE(cell, nullptr);
        EXPECT_TRUE(IsVoiceEmpty(cell, 1) && IsVoiceEmpty(cell, 3));
        LogicalPoint foot{};  // the staff's bottom line
        ASSERT_TRUE(MeasureOffsetsToPoints(view, 1, measure, &foot, 1));
        for (const int voice : {kUpper, kLower}) {
            std::vector<EventRecord*> chain;
            for (EventRecord* e = GetVoiceFirstEvent(cell, voice); e != nullptr; e = NextEvent(e)) chain.push_back(e);
            EXPECT_EQ(chain.empty(), measure == 3 && voice == kLower);
            for (EventRecord* e : chain) {
                EXPECT_EQ((e->flags & kEventStemFlag) != 0, voice == kUpper) << "stem at " << e->time;
                EventRecord* next = e->beamNext ? ResolveEvent(e->beamNext) : nullptr;
                EXPECT_TRUE(next == nullptr || std::find(chain.begin(), chain.end(), next) != chain.end());
                ScoreObject* head = GetEventAttachment(e);
                for (ScoreObject* mark = head != nullptr ? head->next.get() : nullptr; mark != nullptr;
                     mark = mark->next.get()) {
                    if (mark->type != TypeCode(ObjectType::NoteArticulation)) continue;
                    const NoteDrawLocation location(view, 1, measure);
                    const LogicalPoint at = TextObjectAnchorPoint(mark, view);
                    const bool below = at.y > foot.y;
                    EXPECT_EQ(below, voice == kLower) << "mark at " << e->time;
                    EXPECT_TRUE(below || at.y < foot.y - kStaffSpaces * kSpace);
                    const int glyph = AsTextObject(mark)->body.string & 0xFF;  // the fermatas: 216 above, 217 below
                    EXPECT_TRUE(glyph < kFermataBelow - 1 || (glyph == kFermataBelow) == below);
                }
            }
            for (ScoreObject* r = GetVoiceFirstElement(cell, voice); r != nullptr; r = r->next.get()) {
                const int position = RestBodyOf(r)->position;
                const bool aside = measure == 4          ? position == kMiddleLine  // the lower voice silent
                                   : voice == kLower ? position > kMiddleLine
                                                     : position < kMiddleLine;
                EXPECT_TRUE(aside) << "rest at " << ElementTime(r) << ": " << position;
            }
        }
    }
    ForceCloseScoreWindow(view->ViewWindow);
    Pump();
}

}  // namespace
}  // namespace ql
