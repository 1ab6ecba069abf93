// What counts as an empty measure cell: events, rests in an element list, objects.
// A cell holding only rests is not empty, so that no caller deletes it unasked.
#include "core/tests/model/model_fixture.h"

namespace ql::testing_model {
namespace {

class CellEmptyTest : public ModelTest {
  protected:
    void SetUp() override {
        ModelTest::SetUp();
        BuildStaves(4);
    }
};

// An element list with one rest makes the cell non-empty; an element list with no
// element (only its header) does not.
TEST_F(CellEmptyTest, RestInElementListIsContent) {
    MeasureCell* cell = Cell(1, 2);
    EXPECT_EQ(IsCellEmpty(cell), 1);
    ScoreObject* list = GetOrCreateVoiceElementList(cell, 2);
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(IsCellEmpty(cell), 1);
    auto* rest = static_cast<ScoreObject*>(AllocRecord(kTextObjectPool));
    ASSERT_NE(rest, nullptr);
    ConstructScoreObject(rest);
    rest->type = TypeCode(ObjectType::Rest);
    InsertObjectAfter(list, rest);
    EXPECT_EQ(IsCellEmpty(cell), 0);
}

}  // namespace
}  // namespace ql::testing_model
