// Slurs, ties, hairpins and octave lines across system and page breaks, imported
// from MusicXML: a score of more systems than a page holds, each staff carrying one
// kind of mark from every measure into the next, and one octave line over three
// measures (the line over three systems is the system span's own test). Every page is painted and read: nothing is drawn past a
// system's end line, and every system after the first shows each mark's
// continuation in the room after its clef and key, before its first note (also on
// the first system of a page; the long line on the systems of its own page).
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "core/model/beat_map_record.h"
#include "core/model/pages.h"
#include "core/model/score_document.h"
#include "core/model/view.h"
#include "display/tests/painter/engraving_expect.h"
#include "interchange/musicxml/musicxml_convert.h"
#include "interchange/niff/niff_import.h"
#include "layout/system_span.h"
#include "platform/gfx/bitmap.h"
#include "platform/ui/headless.h"
#include "shell/program/score_windows.h"
#include "shell/tests/program/musicxml_text_scores.h"
#include "shell/tests/program/page_pictures.h"
#include "shell/tests/program/program_fixture.h"

namespace ql {
namespace {

constexpr int kMeasures = 14;
constexpr int kKinds = 5;
constexpr int kLongLineStaff = 5;  // its line runs from measure 1 into measure 3
constexpr int kStaffLines = 5;
constexpr int32_t kSpace = 128;
constexpr int32_t kBarlineRoom = kSpace / 2;  // a barline's width past the end line
constexpr int32_t kOverrun = 4 * kSpace;      // how far past the end line a mark was seen
constexpr int32_t kMarkRoom = 5 * kSpace;     // how far a mark stands off its staff
// The hairpins' staff: its wedge stands under the octave sign over the staff below.
constexpr int kHairpinStaff = 3;
constexpr int32_t kHairpinRoom = 7 * kSpace;
constexpr int kInkThreshold = 128;

// The staff's mark in one measure: slurs from the fourth beat to the next measure's
// first, ties between halves, hairpins and octave lines from beat 3 to beat 2; the
// long octave line from beat 3 of the first measure to beat 2 of the third.
std::string MarkedMeasure(int kind, int measure) {
    const bool from = kind == 4 ? measure == 2 : measure > 0;
    const bool onward = kind == 4 ? measure == 0 : measure + 1 < kMeasures;
    auto note = [](const char* step, int beats, const std::string& marks) {
        return std::string("<note><pitch><step>") + step +
               "</step><octave>4</octave></pitch><duration>" + std::to_string(beats) +
               "</duration><type>" + (beats == 2 ? "half" : "quarter") + "</type>" +
               (marks.empty() ? "" : "<notations>" + marks + "</notations>") + "</note>";
    };
    auto direction = [](const std::string& mark) {
        return "<direction><direction-type>" + mark + "</direction-type></direction>";
    };
    switch (kind) {
        case 0:
            return note("B", 1, from ? "<slur number=\"1\" type=\"stop\"/>" : "") +
                   note("B", 1, "") + note("B", 1, "") +
                   note("B", 1,
                        onward ? "<slur number=\"1\" placement=\"above\" type=\"start\"/>" : "");
        case 1:
            return note("A", 2, from ? "<tied type=\"stop\"/>" : "") +
                   note("A", 2, onward ? "<tied type=\"start\"/>" : "");
        default: {
            const std::string start = kind == 2 ? "<wedge type=\"crescendo\"/>"
                                                : "<octave-shift type=\"down\" size=\"8\"/>";
            const std::string stop =
                kind == 2 ? "<wedge type=\"stop\"/>" : "<octave-shift type=\"stop\" size=\"8\"/>";
            return note("G", 1, "") + (from ? direction(stop) : "") + note("G", 1, "") +
                   (onward ? direction(start) : "") + note("G", 1, "") + note("G", 1, "");
        }
    }
}

std::string BrokenSystemsScore() {
    const char* names[] = {"Slur", "Tie", "Hairpin", "Octave", "Long"};
    std::string list, parts;
    for (int kind = 0; kind < kKinds; ++kind) {
        const std::string id = "P" + std::to_string(kind);
        list +=
            "<score-part id=\"" + id + "\"><part-name>" + names[kind] + "</part-name></score-part>";
        parts += "<part id=\"" + id + "\">";
        for (int m = 0; m < kMeasures; ++m)
            parts += std::string("<measure>") +
                     (m > 0 && kind == 0 ? "<print new-system=\"yes\"/>" : "") +
                     (m == 0 ? "<attributes><divisions>1</divisions><key><fifths>0</fifths></"
                               "key><time><beats>4</beats>"
                               "<beat-type>4</beat-type></time><clef><sign>G</sign><line>2</line></"
                               "clef></attributes>"
                             : "") +
                     MarkedMeasure(kind, m) + "</measure>";
        parts += "</part>";
    }
    return "<score-partwise><part-list>" + list + "</part-list>" + parts + "</score-partwise>";
}

bool IsInk(platform::BitmapHandle image, int x, int y) {
    const gfx::Colour c = gfx::GetBitmapPixel(image, x, y);
    return c != gfx::kInvalidColour &&
           (gfx::RedOf(c) + gfx::GreenOf(c) + gfx::BlueOf(c)) / 3 < kInkThreshold;
}

// Ink pixels of a picture inside a logical rectangle, leaving out the rows of the
// given staff lines where they are inked across the whole rectangle.
int InkIn(platform::BitmapHandle image, const gfx::Mapping& mapping, gfx::Rect area,
          const std::vector<int32_t>& staffLines = {}) {
    const gfx::Point a = gfx::MapLogicalToDevice(mapping, {area.left, area.top});
    const gfx::Point b = gfx::MapLogicalToDevice(mapping, {area.right, area.bottom});
    std::vector<int> lineRows;
    for (int32_t line : staffLines)
        lineRows.push_back(gfx::MapLogicalToDevice(mapping, {area.left, line}).y);
    int ink = 0;
    for (int y = a.y; y <= b.y; ++y) {
        int row = 0;
        for (int x = a.x; x <= b.x; ++x) row += IsInk(image, x, y) ? 1 : 0;
        const bool onLine = std::any_of(lineRows.begin(), lineRows.end(),
                                        [y](int r) { return std::abs(r - y) <= 1; });
        if (!(onLine && row == b.x - a.x + 1)) ink += row;
    }
    return ink;
}

class SystemBreakSpannersTest : public testing::ProgramFixture {};

TEST_F(SystemBreakSpannersTest, MarksAcrossSystemAndPageBreaksAreDrawnOnePiecePerSystem) {
    ASSERT_EQ(Start(), StartupCode::Ok);
    const std::string xml = BrokenSystemsScore();
    ScoreView* view = testing::ImportMusicXmlText(xml, "breaks_XML");
    ASSERT_NE(view, nullptr);
    EXPECT_TRUE(testing::SavePagePictures(view, "system_break_spanners"));
    ASSERT_NE(view->document->firstPage->next.get(), nullptr) << "the score reaches a second page";
    const int staves = view->document->header.staffCount;
    ASSERT_EQ(staves, kKinds);
    int continued = 0;
    int systems = 0;
    for (ScorePage* page = view->document->firstPage; page != nullptr; page = page->next.get()) {
        testing::PaintPagePicture(
            view, page, [&](platform::BitmapHandle image, const gfx::Mapping& mapping) {
                for (ScoreSystem* system = page->firstSystem.get(); system != nullptr;
                     system = system->next.get()) {
                    SCOPED_TRACE("system of measure " + std::to_string(system->firstMeasure));
                    ++systems;
                    view->currentSystem = system;
                    view->currentStaff = 1;
                    const SystemSpan span = CurrentSystemSpan(view);
                    const uint16_t* offsets = StaffOffsetsOf(system);
                    const int32_t top = system->y + offsets[1] - kStaffLines * kSpace - kMarkRoom;
                    const int32_t bottom = system->y + offsets[staves] + kMarkRoom;
                    EXPECT_EQ(
                        InkIn(image, mapping,
                              {span.endLine + kBarlineRoom, top, span.endLine + kOverrun, bottom}),
                        0)
                        << "nothing past the system's end line";
                    if (system->firstMeasure == 1) continue;
                    // Between the key signature's end and halfway to the first note: the
                    // continuation of every staff's mark, and nothing else off the staff lines.
                    const int cell = BeatMapCell(system->number, 1);
                    const int32_t signsEnd = system->x + view->beatMap.marginX[cell];
                    const int32_t firstBeat = system->x + view->beatMap.contentX[cell];
                    for (int staff = 1; staff <= staves; ++staff) {
                        if (staff == kLongLineStaff &&
                            (system->firstMeasure > 3 || page != view->document->firstPage))
                            continue;
                        const int32_t line = system->y + offsets[staff];
                        std::vector<int32_t> lines;
                        for (int i = 0; i < kStaffLines; ++i) lines.push_back(line - i * kSpace);
                        const int32_t below = staff == kHairpinStaff ? kHairpinRoom : kMarkRoom / 2;
                        const gfx::Rect band{signsEnd, line - kStaffLines * kSpace - kMarkRoom / 2,
                                             firstBeat - kSpace / 8, line + below};
                        EXPECT_GT(InkIn(image, mapping, band, lines), 0)
                            << "continuation on staff " << staff;
                    }
                    ++continued;
                }
                return true;
            });
    }
    EXPECT_EQ(continued, systems - 1);
    // The staves of a later system make room for a line carried on from an earlier
    // one: nothing is held back.
    EXPECT_TRUE(testing::EngravingIsClean(view));
    ForceCloseScoreWindow(view->ViewWindow);
    Pump();
}

}  // namespace
}  // namespace ql
