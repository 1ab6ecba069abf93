// A measure number stands clear above the lines anchored at notes that pass over
// it: the top the layout reads over a stretch of a system counts a pedal bracket on
// a high note (from its note's head, its hooks included) where the bracket passes
// over the stretch, and nothing where it does not.
#include <cstdint>

#include "core/model/object_list.h"
#include "core/model/score_document.h"
#include "core/objects/score_object.h"
#include "layout/marks_above_staff.h"
#include "objects/spanners/spanner_objects.h"
#include "objects/tests/spanners/spanner_fixture.h"

namespace ql::testing_spanners {
namespace {

using NoteLinesOverTest = SpannerTest;

TEST_F(NoteLinesOverTest, ANumberStandsOverTheLinesOfTheNotesUnderIt) {
    BuildScore(1, {2}, 4);
    Locate(1, 2);
    EventRecord* note = AddNote(0, -8);  // on the top line
    ASSERT_NE(note, nullptr);
    ScoreObject* bracket = ConstructObject(TypeCode(ObjectType::PedalBracket));
    ASSERT_NE(bracket, nullptr);
    bracket->subtype = SubtypeCode(ObjectSubtype::NoteAttachment);
    ASSERT_EQ(AttachObjectToNote(view_, note, bracket), 1);
    SpannerEndpoint& ends = SpannerOf(bracket)->endpoint;
    ends.start = AnchorPoint{{0, 0}, 0, -700};  // at the note, 700 above its head
    ends.end = AnchorPoint{{0, 512}, 0, -700};   // 512 ticks on
    ends.startHook = -200;
    ends.endHook = 0;
    // x of a time: measures far apart, ticks in order.
    const TimeX xOf = [](int measure, int tick, int offset) { return int64_t{measure} * 100000 + tick + offset; };
    const ScoreSystem* system = System(0);
    const int64_t head = -8 * 64;
    const struct {
        const char* name;
        int measure;
        int from, to;  // ticks of the stretch
        int64_t top;
    } cases[] = {
        {"over the note", 2, -50, 50, head - 700 - 200},
        {"over the line's end", 2, 500, 600, head - 700 - 200},
        {"past the line's end", 2, 600, 900, 0},
        {"the measure before", 1, 0, 100, 0},
        {"the measure after", 3, 0, 100, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const int64_t left = xOf(c.measure, c.from, 0), right = xOf(c.measure, c.to, 0);
        EXPECT_EQ(LinesTopOver(view_, system, 1, left, right, 1.0, xOf), c.top);
    }
}

}  // namespace
}  // namespace ql::testing_spanners
