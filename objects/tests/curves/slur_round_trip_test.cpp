// A slur made with its tool, reshaped by handle drags and by its keys (turned over,
// dotted, moved with Ctrl+arrows, thickened), let go of, then written into a score
// stream by the program's writer and read into a new document by its reader: it
// comes back in the same measure with every stored byte as the edits left it.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "core/model/document.h"
#include "core/model/grid.h"
#include "core/ui/status_bar_notes.h"
#include "core/objects/class_table.h"
#include "core/objects/hit_record.h"
#include "core/objects/selection_state.h"
#include "core/state.h"
#include "editing/tools.h"
#include "files/read/score_reader.h"
#include "objects/tests/score_round_trip.h"
#include "objects/curves/curve_interface.h"
#include "objects/curves/slur_class.h"
#include "objects/tests/marks/marks_fixture.h"
#include "platform/gfx/mapping.h"
#include "platform/win/headless.h"
#include "platform/win/input.h"
#include "platform/win/keys.h"
#include "platform/win/messages.h"

namespace ql::testing_marks {
namespace {

constexpr int32_t kHandleHalf = 24;

class SlurRoundTrip : public MarksTest {
  protected:
    void SetUp() override {
        MarksTest::SetUp();
        BuildScoreForTools(kHandleHalf);
        SlurToolHandler(view_, Select, nullptr, window_, win::Message::Null, 0, 0);
    }
    void TearDown() override {
        win::headless::SetKeyDown(win::Key::Control, false);
        for (ScoreLoad& load : loads_) FreeLoadedScore(load);
        MarksTest::TearDown();
    }
    intptr_t Mouse(win::Message message, LogicalPoint at) {
        const gfx::Point client = Device(at.x, at.y);
        return SlurToolHandler(view_, Message, nullptr, window_, message, 0, win::PackPoint(win::Point{client.x, client.y}));
    }
    void Key(uint32_t key) { SlurToolHandler(view_, Message, nullptr, window_, win::Message::KeyDown, key, 0); }
    void Drag(LogicalPoint from, LogicalPoint to) {
        Mouse(win::Message::MouseMove, from);
        Mouse(win::Message::LeftButtonDown, from);
        for (int step = 1; step <= 3; ++step)
            Mouse(win::Message::MouseMove, LogicalPoint{from.x + (to.x - from.x) * step / 3, from.y + (to.y - from.y) * step / 3});
        Mouse(win::Message::LeftButtonUp, to);
    }
    // The held handle `index` of the chosen slur.
    static HitRecord* Handle(int index) {
        HitRecord* hit = TheSelectionState()->focusRecord.get();
        for (int i = 0; i < index && hit != nullptr; ++i) hit = hit->child.get();
        return hit;
    }
    static std::vector<uint8_t> Body(ScoreObject* slur) {
        const auto* bytes = reinterpret_cast<const uint8_t*>(ClassOf(slur).GetBody(slur));
        return {bytes, bytes + ClassOf(slur).GetBodySize(slur)};
    }
    // The score written by the writer and read back by the reader; null on failure.
    ScoreDocument* Reload() {
        ScoreLoad load = testing::WriteAndReadBack(doc_, view_);
        loads_.push_back(load);
        return load.document;
    }
    // The slur's points as its measure shows them.
    CurvePoints Shape(ScoreObject* slur) {
        PointAt(PointIn(1, 2, 100));
        return SlurCurvePoints(AsSlur(slur), view_);
    }
    static std::vector<ScoreObject*> SlursIn(ScoreDocument* document, int staff, int measure) {
        std::vector<ScoreObject*> slurs;
        MeasureCell* cell = ExistingMeasureCell(document, staff, measure);
        ScoreObject* object = cell != nullptr && cell->objects ? cell->objects.get()->next.get() : nullptr;
        for (; object != nullptr; object = object->next.get())
            if (object->type == TypeCode(ObjectType::Slur)) slurs.push_back(object);
        return slurs;
    }

    std::vector<ScoreLoad> loads_;
};

TEST_F(SlurRoundTrip, AfterDragsAndKeysTheReadSlurIsTheEditedOne) {
    const LogicalPoint at{PointIn(1, 2, 100).x, PointIn(1, 2, 100).y - 600};
    Mouse(win::Message::MouseMove, at);
    Mouse(win::Message::LeftButtonDown, at);
    Mouse(win::Message::LeftButtonUp, at);
    ScoreObject* slur = TheSelectionState()->focusedObject.get();
    ASSERT_TRUE(slur != nullptr && slur->type == TypeCode(ObjectType::Slur)) << "the click left no slur chosen";
    const std::vector<uint8_t> made = Body(slur);

    // Its end dragged out and its first control point raised, each through the tool.
    ASSERT_NE(Handle(4), nullptr);
    const LogicalPoint end = Handle(4)->point;
    Drag(end, LogicalPoint{end.x + 192, end.y + 64});
    ASSERT_NE(Handle(2), nullptr);
    const LogicalPoint control = Handle(2)->point;
    Drag(control, LogicalPoint{control.x, control.y - 128});
    // Then its keys, the slur still chosen: turned over, dotted, moved up, thickened.
    Key(static_cast<uint32_t>(win::LetterKey('F')));
    Key(static_cast<uint32_t>(win::LetterKey('D')));
    win::headless::SetKeyDown(win::Key::Control, true);
    Key(static_cast<uint32_t>(win::Key::Up));
    win::headless::SetKeyDown(win::Key::Control, false);
    Key(static_cast<uint32_t>(win::Key::Add));
    Key(static_cast<uint32_t>(win::Key::Add));
    ASSERT_EQ(TheSelectionState()->focusedObject.get(), slur) << "the keys let the slur go";
    ASSERT_NE(Body(slur), made) << "the drags and keys changed nothing";
    const SlurBody keyed = AsSlur(slur)->body;
    ASSERT_NE(keyed.flags & 0x000F, 0) << "D did not make it dotted";
    const CurvePoints shape = Shape(slur);

    // Let go of on the paper below: the commit keeps what the keys did (the anchors
    // may be stored anew, for the same places).
    const LogicalPoint paper{PointIn(1, 3, 200).x, PointIn(1, 3, 200).y + 6000};
    Mouse(win::Message::MouseMove, paper);
    Mouse(win::Message::LeftButtonDown, paper);
    Mouse(win::Message::LeftButtonUp, paper);
    ASSERT_NE(TheSelectionState()->focusedObject.get(), slur) << "the slur is still chosen";
    const SlurBody kept = AsSlur(slur)->body;
    EXPECT_EQ(std::vector<int8_t>(kept.inner, kept.inner + kSlurInnerOffsets),
              std::vector<int8_t>(keyed.inner, keyed.inner + kSlurInnerOffsets))
        << "letting go undid the thickening";
    EXPECT_EQ(kept.flags, keyed.flags);
    const CurvePoints now = Shape(slur);
    for (int i = 0; i < kSlurPoints; ++i) {
        EXPECT_NEAR(now.p[i].x, shape.p[i].x, 16) << "point " << i;  // a pixel of rounding
        EXPECT_NEAR(now.p[i].y, shape.p[i].y, 16) << "point " << i;
    }

    // Written and read back: the same bytes, in the same measure.
    ASSERT_EQ(SlursIn(doc_, 1, 2).size(), 1u) << "the slur left its measure";
    const std::vector<uint8_t> written = Body(slur);
    ScoreDocument* read = Reload();
    ASSERT_NE(read, nullptr);
    const std::vector<ScoreObject*> back = SlursIn(read, 1, 2);
    ASSERT_EQ(back.size(), 1u) << "no slur read back in its measure";
    EXPECT_EQ(back[0]->subtype, slur->subtype);
    EXPECT_EQ(Body(back[0]), written) << "the slur read back differs from the one written";
}

}  // namespace
}  // namespace ql::testing_marks
