// The object framework: construction by type code with its failure path, dispatch
// through the class table, the root defaults, the F1 help table and the byte order
// of the drag-commit comparison.
#include <gtest/gtest.h>

#include "core/objects/class_table.h"
#include "core/objects/object_classes.h"
#include "core/memory/pool.h"
#include "core/objects/score_object.h"
#include "core/state.h"
#include "platform/sys/help.h"
#include "platform/win/keys.h"

namespace ql {
namespace {

constexpr ClassId kTestLineClass = ClassOfType(ObjectType::Line);

// A class that overrides Draw only, to see the defaults dispatch to it.
class CountingClass : public ScoreObjectClass {
  public:
    void Draw(ScoreObject*, ScoreView*) const override { ++draws; }
    mutable int draws = 0;
};

const CountingClass& TestLineClass() {
    static const CountingClass cls;
    return cls;
}

// Every test starts counting from zero, whatever ran before it.
void ResetTestLineClass() {
    TestLineClass().draws = 0;
}

void ConstructTestLine(ScoreObject* record) {
    ConstructScoreObject(record);
    record->classId = kTestLineClass;
    record->type = TypeCode(ObjectType::Line);
    record->subtype = SubtypeCode(ObjectSubtype::PageList);
}

// Records every help request instead of showing it.
class RecordingHelp : public sys::HelpViewer {
  public:
    explicit RecordingHelp(std::vector<uint32_t>* contexts) : contexts_(contexts) {}
    bool Show(const sys::HelpRequest& request) override {
        contexts_->push_back(request.contextId);
        return true;
    }

  private:
    std::vector<uint32_t>* contexts_;
};

class ObjectFrameworkTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetProgramState();
        InitDocumentPoolSet(set_);
        SetCurrentPoolSet(PoolSet(set_));
        ResetObjectClassTable();
        ResetTestLineClass();
        RegisterObjectClass(kTestLineClass, &TestLineClass());
        RegisterObjectType(TypeCode(ObjectType::Line), {kTextObjectPool, ConstructTestLine});
    }
    void TearDown() override {
        ResetObjectClassTable();
        sys::InstallHelpViewer(nullptr);
        FailNextRecordAllocations(0);
        FreeDocumentPoolSet(set_);
        ResetProgramState();
    }
    DocumentPoolSet set_{};
};

using ObjectConstruction = ObjectFrameworkTest;
using ObjectDispatch = ObjectFrameworkTest;
using ObjectKeys = ObjectFrameworkTest;

// Construction by type code runs the type's constructor on a record of its pool.
TEST_F(ObjectConstruction, ByTypeCodeUsesTheRegisteredPoolAndClass) {
    ScoreObject* line = ConstructObject(TypeCode(ObjectType::Line));
    ASSERT_NE(line, nullptr);
    EXPECT_TRUE(IsLiveRecord(CurrentPoolSet(), kTextObjectPool, line));
    EXPECT_EQ(line->classId, kTestLineClass);
    EXPECT_EQ(&ClassOf(line), &TestLineClass());
    EXPECT_EQ(line->subtype, SubtypeCode(ObjectSubtype::PageList));
}

// The bare root object (type 1) is built in, in pool 6, with its links cleared.
TEST_F(ObjectConstruction, RootObjectIsBuiltIn) {
    ScoreObject* head = ConstructObject(TypeCode(ObjectType::Item));
    ASSERT_NE(head, nullptr);
    EXPECT_TRUE(IsLiveRecord(CurrentPoolSet(), kRootObjectPool, head));
    EXPECT_EQ(head->classId, kRootObjectClass);
    EXPECT_EQ(head->type, TypeCode(ObjectType::Item));
    EXPECT_FALSE(head->prev);
    EXPECT_FALSE(head->next);
}

// An exhausted pool gives null, and so do codes without a constructor.
TEST_F(ObjectConstruction, FailureGivesNull) {
    FailNextRecordAllocations(1);
    EXPECT_EQ(ConstructObject(TypeCode(ObjectType::Line)), nullptr);
    EXPECT_EQ(ConstructObject(TypeCode(ObjectType::Slur)), nullptr);
    EXPECT_EQ(ConstructObject(kObjectTypeNameCount), nullptr);
}

// Registration refuses codes above 53, pools outside 2..10 and ids past the limit.
TEST_F(ObjectConstruction, RegistrationChecksItsArguments) {
    EXPECT_FALSE(RegisterObjectType(kLastObjectType + 1, {kTextObjectPool, ConstructTestLine}));
    EXPECT_FALSE(RegisterObjectType(TypeCode(ObjectType::Box), {1, ConstructTestLine}));
    EXPECT_FALSE(RegisterObjectType(TypeCode(ObjectType::Box), {kTextObjectPool, nullptr}));
    EXPECT_FALSE(RegisterObjectClass(kClassIdLimit, &TestLineClass()));
    EXPECT_FALSE(RegisterObjectClass(kNoClass, &TestLineClass()));
}

// The root constructor keeps the subtype and spare words the record holds.
TEST_F(ObjectConstruction, RootConstructorKeepsSubtypeAndSpareWords) {
    ScoreObject object{};
    object.subtype = 4;
    object.spareWords[1] = 0x12345678;
    object.next = Ref32<ScoreObject>(0x10000);
    ConstructScoreObject(&object);
    EXPECT_EQ(object.subtype, 4);
    EXPECT_EQ(object.spareWords[1], 0x12345678u);
    EXPECT_FALSE(object.next);
}

// A damaged class id dispatches to the harmless root class.
TEST_F(ObjectDispatch, UnknownClassIdFallsBackToRoot) {
    ScoreObject object{};
    object.classId = 0xDEADBEEF;
    EXPECT_EQ(&ClassOf(&object), &RootObjectClass());
    object.classId = kClassIdLimit - 1;
    EXPECT_EQ(&ClassOf(&object), &RootObjectClass());
}

// The defaults: no body, anchor -1, no clone, insert key handled, Paint draws.
TEST_F(ObjectDispatch, RootDefaults) {
    ScoreObject* line = ConstructObject(TypeCode(ObjectType::Line));
    const ScoreObjectClass& cls = ClassOf(line);
    EXPECT_EQ(cls.GetBody(line), nullptr);
    EXPECT_EQ(cls.GetBodySize(line), 0u);
    EXPECT_EQ(cls.GetAnchorWord(line), -1);
    EXPECT_EQ(cls.CreateAtClick(line, nullptr), nullptr);
    EXPECT_EQ(cls.Clone(line, nullptr, CurrentPoolSet(), CurrentPoolSet()), nullptr);
    EXPECT_EQ(cls.OnInsertKey(line, nullptr, line, nullptr), 1);
    EXPECT_EQ(cls.Query37(line, 0, 0), 0);
    cls.Paint(line, nullptr);
    EXPECT_EQ(TestLineClass().draws, 1);
}

// Without a SelectionState the shared bodies do nothing and report nothing.
TEST_F(ObjectDispatch, SharedBodiesNeedASelectionState) {
    ScoreObject* line = ConstructObject(TypeCode(ObjectType::Line));
    const ScoreObjectClass& cls = ClassOf(line);
    EXPECT_EQ(cls.HandleDrop(line, nullptr, line, nullptr), 0);
    EXPECT_EQ(cls.PasteCopy(line, nullptr), nullptr);
    EXPECT_EQ(cls.CommitDrag(line, nullptr), 0);
    EXPECT_EQ(cls.LocationChanged(line, nullptr), 0);
}

// The owner note is looked for only on subtype 3, and needs an accidental in the chain.
TEST_F(ObjectDispatch, OwnerNoteNeedsAnAttachmentChain) {
    ScoreObject* line = ConstructObject(TypeCode(ObjectType::Line));
    EXPECT_EQ(ClassOf(line).GetOwnerNote(line), nullptr);
    ScoreObject* head = ConstructObject(TypeCode(ObjectType::Item));
    line->subtype = SubtypeCode(ObjectSubtype::NoteAttachment);
    line->prev = Ref32<ScoreObject>::To(head);
    EXPECT_EQ(ClassOf(line).GetOwnerNote(line), nullptr);
}

// F1 opens the help of the object's type; types 19 and 25 open none.
TEST_F(ObjectKeys, F1OpensTheHelpOfTheType) {
    std::vector<uint32_t> contexts;
    sys::InstallHelpViewer(std::make_unique<RecordingHelp>(&contexts));
    ScoreObject object{};
    ConstructScoreObject(&object);
    const uint32_t f1 = static_cast<uint32_t>(win::Key::F1);
    object.type = TypeCode(ObjectType::Clef);
    EXPECT_EQ(ClassOf(&object).OnKey(&object, nullptr, f1), 1);
    object.type = TypeCode(ObjectType::MidiEvent);
    EXPECT_EQ(ClassOf(&object).OnKey(&object, nullptr, f1), 0);
    object.type = TypeCode(ObjectType::Area);
    EXPECT_EQ(ClassOf(&object).OnKey(&object, nullptr, f1), 0);
    EXPECT_EQ(contexts, (std::vector<uint32_t>{1070}));
    EXPECT_EQ(ClassOf(&object).OnKey(&object, nullptr, 'Q'), 0);
}

// Every type code has a help context; codes without a row use 1062.
TEST_F(ObjectKeys, HelpTableCoversEveryCode) {
    EXPECT_EQ(HelpContextOfType(TypeCode(ObjectType::Selection)), 1191u);
    EXPECT_EQ(HelpContextOfType(TypeCode(ObjectType::Picture)), 1402u);
    EXPECT_EQ(HelpContextOfType(TypeCode(ObjectType::Unused40)), 1402u);
    EXPECT_EQ(HelpContextOfType(54), 1062u);
}

// The drag-commit order: position word lowest byte first, then class byte, staff and
// measure lowest byte first, as unsigned bytes.
TEST(ObjectLocationOrder, FirstDifferingStoredByteDecides) {
    ObjectLocation before{0x00000100, 0, 1, 0x0001};
    ObjectLocation same = before;
    EXPECT_EQ(CompareObjectLocations(before, same), 0);
    ObjectLocation lowerPosition = before;
    lowerPosition.position = 0x000000FF;  // byte 0 grows although the word shrinks
    EXPECT_EQ(CompareObjectLocations(before, lowerPosition), -1);
    ObjectLocation nextMeasure = before;
    nextMeasure.measure = 0x0100;  // low byte 0x00 < 0x01
    EXPECT_EQ(CompareObjectLocations(before, nextMeasure), 1);
    ObjectLocation highStaff = before;
    highStaff.staff = 0x80;  // unsigned: above 1
    EXPECT_EQ(CompareObjectLocations(before, highStaff), -1);
}

}  // namespace
}  // namespace ql
