// The shared object operations on a real document: deleting an object with its
// handle (HandleDrop), the recount of key changes when a key signature goes, the
// SelectionState's own records, and the 'O' key moving an object between measure
// and page ownership as one undoable edit.
#include "platform/tests/win/plain_window.h"
#include "core/draw/colour_sets.h"
#include "core/draw/view_glyph_bitmaps.h"
#include "core/objects/hit_record.h"
#include "core/objects/object_classes.h"
#include "core/objects/selection_state.h"
#include "core/tests/model/model_fixture.h"
#include "core/undo/undo.h"
#include "platform/win/window.h"

namespace ql::testing_model {
namespace {

// An object class whose location sits at the start of its body.
class LocatedClass : public ScoreObjectClass {
  public:
    std::byte* GetBody(ScoreObject* object) const override { return object->BodyBytes(); }
    uint32_t GetBodySize(const ScoreObject*) const override { return sizeof(ObjectLocation); }
};

const LocatedClass& Located() {
    static const LocatedClass cls;
    return cls;
}

template <ObjectType T>
void ConstructLocated(ScoreObject* record) {
    ConstructScoreObject(record);
    record->classId = ClassOfType(T);
    record->type = TypeCode(T);
}

class ObjectSharedTest : public ModelTest {
  protected:
    void SetUp() override {
        ModelTest::SetUp();
        ASSERT_EQ(InitStaticPoolSet(), 1);
        ASSERT_NE(CreateSelectionState(), nullptr);
        for (ObjectType t : {ObjectType::KeySignature, ObjectType::Box}) {
            RegisterObjectClass(ClassOfType(t), &Located());
        }
        RegisterObjectType(TypeCode(ObjectType::KeySignature),
                           {kTextObjectPool, &ConstructLocated<ObjectType::KeySignature>});
        RegisterObjectType(TypeCode(ObjectType::Box),
                           {kTextObjectPool, &ConstructLocated<ObjectType::Box>});
        cell_ = UseCell(1, 1);
        list_ = GetOrCreateCellObjectList(cell_);
    }
    void TearDown() override {
        DestroySelectionState();
        ModelTest::TearDown();
    }

    ScoreObject* InCell(ObjectType type) {
        ScoreObject* object = ConstructObject(TypeCode(type));
        EXPECT_NE(object, nullptr);
        InsertObjectAfter(list_, object);
        return object;
    }

    // Focuses an object with a one-record handle chain at the view's location.
    HitRecord* Focus(ScoreObject* object) {
        SelectionState& s = *TheSelectionState();
        HitRecord* hit = AllocHitRecord();
        ConstructHitRecordAtPoint(hit, view_, 1, {100, 100});
        hit->owner = Ref32<ScoreObject>::To(object);
        s.focusRecord = Ref32<HitRecord>::To(hit);
        s.focusedObject = Ref32<ScoreObject>::To(object);
        s.commitAfterMessage = 1;
        return hit;
    }

    std::vector<ScoreObject*> Members(ScoreObject* head) {
        std::vector<ScoreObject*> out;
        for (ScoreObject* o = head->next.get(); o != nullptr; o = o->next.get()) out.push_back(o);
        return out;
    }

    MeasureCell* cell_ = nullptr;
    ScoreObject* list_ = nullptr;
};

using ObjectDrop = ObjectSharedTest;
using ObjectOwnership = ObjectSharedTest;
using ObjectLocationChange = ObjectSharedTest;
using ObjectDragCommit = ObjectSharedTest;

// A located class that notes where the view's pointer stood when it was measured.
class PointNotingClass : public LocatedClass {
  public:
    void Measure(ScoreObject*, ScoreView* view) const override { measuredAt = view->pointerPoint; }
    mutable LogicalPoint measuredAt{};
};

// A drag commit of an ending measures it at the point of its child handle (its far
// end); with the drag lock set the view's location is left alone.
TEST_F(ObjectDragCommit, EndingIsMeasuredAtItsChildHandle) {
    static PointNotingClass noting;
    RegisterObjectClass(ClassOfType(ObjectType::RepeatEnding), &noting);
    RegisterObjectType(TypeCode(ObjectType::RepeatEnding),
                       {kTextObjectPool, &ConstructLocated<ObjectType::RepeatEnding>});
    ScoreObject* ending = ConstructObject(TypeCode(ObjectType::RepeatEnding));
    ASSERT_NE(ending, nullptr);
    ending->subtype = SubtypeCode(ObjectSubtype::PageList);
    view_->pageView = 1;
    HitRecord* start = Focus(ending);
    HitRecord* end = AllocHitRecord();
    ConstructHitRecordWithOwner(end, view_, 1, {900, 40}, start);
    view_->pointerPoint = LogicalPoint{1, 2};
    // The first commit stores the handles' page anchors: the location words change.
    EXPECT_NE(ClassOf(ending).CommitDrag(ending, view_), 0);
    EXPECT_EQ(noting.measuredAt, (LogicalPoint{900, 40}));
    State().input.DragLock = 1;
    view_->pointerPoint = LogicalPoint{1, 2};
    EXPECT_EQ(ClassOf(ending).CommitDrag(ending, view_), 0);
    EXPECT_EQ(noting.measuredAt, (LogicalPoint{1, 2}));
}

// LocationChanged is 0 only when the saved measure, staff and position (the signed
// low byte of the view's position word) all match the view's current ones.
TEST_F(ObjectLocationChange, ZeroOnlyWhenMeasureStaffAndPositionMatch) {
    ScoreObject* box = InCell(ObjectType::Box);
    SelectionState& s = *TheSelectionState();
    view_->positionWord = 0x12F0;  // low byte -16
    view_->currentStaff = 1;
    view_->currentMeasure = 1;
    s.focusSystem = -16;
    s.focusStaff = 1;
    s.focusMeasure = 1;
    EXPECT_EQ(ClassOf(box).LocationChanged(box, view_), 0);
    s.focusSystem = 0;
    EXPECT_EQ(ClassOf(box).LocationChanged(box, view_), 1);
    s.focusSystem = -16;
    s.focusStaff = 2;
    EXPECT_EQ(ClassOf(box).LocationChanged(box, view_), 1);
    s.focusStaff = 1;
    s.focusMeasure = 2;
    EXPECT_EQ(ClassOf(box).LocationChanged(box, view_), 1);
}

// Deleting one of two key signatures recounts the cell's key changes and leaves the
// key of the measure alone.
TEST_F(ObjectDrop, KeySignatureDropRecountsTheCellAndKeepsTheKey) {
    ScoreObject* first = InCell(ObjectType::KeySignature);
    ScoreObject* second = InCell(ObjectType::KeySignature);
    cell_->clefKey = 0x52;
    cell_->cellWord = static_cast<uint16_t>(cell_->cellWord | (2 << kCellKeyCountShift));
    HitRecord* hit = Focus(first);
    EXPECT_EQ(ClassOf(first).HandleDrop(first, view_, first, hit), 1);
    EXPECT_EQ((cell_->cellWord & kCellKeyCountMask) >> kCellKeyCountShift, 1);
    EXPECT_EQ(cell_->clefKey, 0x52);
    EXPECT_EQ(Members(list_), (std::vector<ScoreObject*>{second}));
    EXPECT_TRUE(IsFreeRecord(first));
    EXPECT_TRUE(IsFreeRecord(hit));
}

// A class that notes the text colour its Draw runs with.
class ColourNotingClass : public LocatedClass {
  public:
    void Draw(ScoreObject*, ScoreView*) const override { colour = State().drawing.CurrentTextColour; }
    mutable uint32_t colour = 0;
};

// A dropped object is drawn once more in the erase colours, so it leaves the screen.
TEST_F(ObjectDrop, DroppedObjectIsDrawnInTheEraseColours) {
    static ColourNotingClass noting;
    RegisterObjectClass(ClassOfType(ObjectType::Box), &noting);
    win::WindowHandle window = ::ql::testing::OpenPlainWindow("QLDropTestView", 64, 64);
    ASSERT_TRUE(window);
    view_->ViewWindow = window;
    ScoreObject* box = InCell(ObjectType::Box);
    HitRecord* hit = Focus(box);
    State().drawing.CurrentTextColour = 0;
    EXPECT_EQ(ClassOf(box).HandleDrop(box, view_, box, hit), 1);
    EXPECT_EQ(noting.colour, kEraseColour);
    ReleaseViewDrawing(view_);
    view_->ViewWindow = {};
    win::DestroyWindow(window);
}

// The SelectionState's own head record is neither unlinked nor freed by a drop.
TEST_F(ObjectDrop, OwnHeadRecordIsKept) {
    ScoreObject* box = InCell(ObjectType::Box);
    Focus(box);
    SelectionState& s = *TheSelectionState();
    EXPECT_EQ(ClassOf(box).HandleDrop(box, view_, box, &s.listAHead), 1);
    EXPECT_EQ(s.listAHead.next.get(), &s.listATail);
    EXPECT_EQ(s.listATail.prev.get(), &s.listAHead);
    EXPECT_TRUE(Members(list_).empty());
}

// A drop of the object a key focused for this message deletes it and leaves no focus,
// grabbed handle or pending commit pointing at it.
TEST_F(ObjectDrop, KeyFocusGoesWithTheDroppedObject) {
    ScoreObject* box = InCell(ObjectType::Box);
    HitRecord* hit = Focus(box);
    SelectionState& s = *TheSelectionState();
    s.grabbedRecord = Ref32<HitRecord>::To(hit);
    s.editMode = 1;
    EXPECT_EQ(ClassOf(box).HandleDrop(box, view_, box, hit), 1);
    EXPECT_TRUE(Members(list_).empty());
    EXPECT_EQ(s.editMode, 0);
    EXPECT_EQ(s.commitAfterMessage, 0) << "nothing left to commit at the end of the message";
    EXPECT_FALSE(s.focusRecord);
    EXPECT_FALSE(s.grabbedRecord);
    EXPECT_NE(s.focusedObject.get(), box);
}

// While the program shuts down, a drop does nothing.
TEST_F(ObjectDrop, NothingDuringShutdown) {
    ScoreObject* box = InCell(ObjectType::Box);
    HitRecord* hit = Focus(box);
    State().program.ShutdownFlag = 1;
    EXPECT_EQ(ClassOf(box).HandleDrop(box, view_, box, hit), 0);
    State().program.ShutdownFlag = 0;
    EXPECT_EQ(Members(list_), (std::vector<ScoreObject*>{box}));
}

// 'O' moves a measure-owned object to the page, and again back to the cell of the
// current location; each press is one undoable step.
TEST_F(ObjectOwnership, TwiceReturnsToMeasureOwnership) {
    ScoreObject* box = InCell(ObjectType::Box);
    Focus(box);
    const uint32_t keyO = 'O';
    BeginUndoableEdit(doc_, 0, 0, 0, view_, UndoKind::Item, box->type, UndoVerb::Modify);
    EXPECT_EQ(ClassOf(box).OnKey(box, view_, keyO), 1);
    EXPECT_EQ(box->subtype, SubtypeCode(ObjectSubtype::PageList));
    EXPECT_TRUE(Members(list_).empty());
    ScoreObject* pageList = PageObjectListOf(view_);
    ASSERT_NE(pageList, nullptr);
    EXPECT_EQ(pageList->next.get(), box);

    BeginUndoableEdit(doc_, 0, 0, 0, view_, UndoKind::Item, box->type, UndoVerb::Modify);
    EXPECT_EQ(ClassOf(box).OnKey(box, view_, keyO), 1);
    EXPECT_EQ(box->subtype, SubtypeCode(ObjectSubtype::MeasureTimeList));
    EXPECT_EQ(Members(list_), (std::vector<ScoreObject*>{box}));
    EXPECT_EQ(UndoDepth(doc_), 2);
    UndoCommand(doc_, nullptr);
    EXPECT_EQ(box->subtype, SubtypeCode(ObjectSubtype::PageList));
}

}  // namespace
}  // namespace ql::testing_model
