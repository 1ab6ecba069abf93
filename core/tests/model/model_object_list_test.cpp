// Object lists: insertion after and before an anchor, insertion by subtype at the
// view's location, attachment to notes, and release by type code.
#include "core/tests/model/model_fixture.h"
#include "core/text/text_object.h"

namespace ql::testing_model {
namespace {

class ObjectListTest : public ModelTest {
  protected:
    void SetUp() override {
        ModelTest::SetUp();
        cell_ = UseCell();
        head_ = AllocRootObject();
    }

    ScoreObject* Make(ObjectType type, ObjectSubtype subtype) {
        ScoreObject* object = ConstructObject(TypeCode(type));
        if (object != nullptr) object->subtype = SubtypeCode(subtype);
        return object;
    }
    ScoreObject* Box() { return Make(ObjectType::Box, ObjectSubtype::MeasureTimeList); }

    static std::vector<ScoreObject*> Members(ScoreObject* head) {
        std::vector<ScoreObject*> members;
        for (ScoreObject* o = head->next.get(); o != nullptr && members.size() < 100;
             o = o->next.get())
            members.push_back(o);
        return members;
    }

    MeasureCell* cell_ = nullptr;
    ScoreObject* head_ = nullptr;
};

// A chain of three inserted after an anchor keeps its order, and the anchor's old
// successor follows the chain's last member.
TEST_F(ObjectListTest, ChainInsertedAfterAnchorKeepsItsOrder) {
    ScoreObject* old = Box();
    InsertObjectAfter(head_, old);
    ScoreObject* a = Box();
    ScoreObject* b = Box();
    ScoreObject* c = Box();
    a->next = Ref32<ScoreObject>::To(b);
    b->next = Ref32<ScoreObject>::To(c);
    InsertObjectAfter(head_, a);
    EXPECT_EQ(Members(head_), (std::vector<ScoreObject*>{a, b, c, old}));
    EXPECT_EQ(a->prev.get(), head_);
    EXPECT_EQ(old->prev.get(), c);
}

// Inserting the anchor's next, or the one after it, changes nothing; nor does a
// chain whose last member links to itself (its self link is cut).
TEST_F(ObjectListTest, RedundantOrSelfLinkedInsertionsChangeNothing) {
    ScoreObject* a = Box();
    ScoreObject* b = Box();
    InsertObjectAfter(head_, b);
    InsertObjectAfter(head_, a);
    InsertObjectAfter(head_, a);
    InsertObjectAfter(head_, b);
    InsertObjectAfter(head_, head_);
    EXPECT_EQ(Members(head_), (std::vector<ScoreObject*>{a, b}));
    ScoreObject* loop = Box();
    loop->next = Ref32<ScoreObject>::To(loop);
    InsertObjectAfter(a, loop);
    EXPECT_EQ(Members(head_), (std::vector<ScoreObject*>{a, b}));
    EXPECT_FALSE(loop->next);
}

// A chain inserted before an anchor ends at the anchor; unlinking closes the gap.
TEST_F(ObjectListTest, ChainBeforeAnchorAndUnlink) {
    ScoreObject* anchor = Box();
    InsertObjectAfter(head_, anchor);
    ScoreObject* a = Box();
    ScoreObject* b = Box();
    a->next = Ref32<ScoreObject>::To(b);
    b->prev = Ref32<ScoreObject>::To(a);
    InsertChainBefore(anchor, a);
    EXPECT_EQ(Members(head_), (std::vector<ScoreObject*>{a, b, anchor}));
    UnlinkObject(b);
    EXPECT_EQ(Members(head_), (std::vector<ScoreObject*>{a, anchor}));
    EXPECT_EQ(anchor->prev.get(), a);
    EXPECT_FALSE(b->prev || b->next);
}

// Subtypes 0 and 2 go to the current cell's list, 1 to the page list (headed by
// the page's margin element), 3 nowhere, and every insertion counts a change.
TEST_F(ObjectListTest, InsertionBySubtypeFindsTheList) {
    ScoreObject* timed = Make(ObjectType::Box, ObjectSubtype::MeasureTimeList);
    ScoreObject* measured = Make(ObjectType::Box, ObjectSubtype::MeasureAnchorList);
    ScoreObject* paged = Make(ObjectType::Box, ObjectSubtype::PageList);
    ScoreObject* noted = Make(ObjectType::Box, ObjectSubtype::NoteAttachment);
    const uint16_t before = doc_->changeCounter;
    InsertObjectBySubtype(view_, timed);
    InsertObjectBySubtype(view_, measured);
    InsertObjectBySubtype(view_, paged);
    InsertObjectBySubtype(view_, noted);
    EXPECT_EQ(Members(GetOrCreateCellObjectList(cell_)),
              (std::vector<ScoreObject*>{measured, timed}));
    ScoreObject* pageList = PageObjectListOf(view_);
    ASSERT_EQ(pageList, doc_->firstPage->margins.get());
    EXPECT_EQ(Members(pageList), (std::vector<ScoreObject*>{paged}));
    EXPECT_FALSE(noted->prev || noted->next);
    EXPECT_GT(doc_->changeCounter, before);
    UnlinkObject(paged);
    ReleaseObject(paged);
    ReleaseObject(noted);
}

// Subtype 4: a label becomes the only member of the staff's list and the label it
// replaces is released; other types are not linked there.
TEST_F(ObjectListTest, SecondLabelReplacesAndReleasesTheFirst) {
    ScoreObject* first = Make(ObjectType::Label, ObjectSubtype::StaffLabelList);
    ScoreObject* second = Make(ObjectType::Label, ObjectSubtype::StaffLabelList);
    ScoreObject* box = Make(ObjectType::Box, ObjectSubtype::StaffLabelList);
    InsertObjectBySubtype(view_, first);
    EXPECT_EQ(GetStaffLabelObject(view_->currentStaffRecord), first);
    InsertObjectBySubtype(view_, second);
    EXPECT_EQ(Members(view_->currentStaffRecord->objects.get()),
              (std::vector<ScoreObject*>{second}));
    EXPECT_TRUE(IsFreeRecord(first));
    InsertObjectBySubtype(view_, second);  // the same label again: never released
    EXPECT_FALSE(IsFreeRecord(second));
    InsertObjectBySubtype(view_, box);
    EXPECT_EQ(GetStaffLabelObject(view_->currentStaffRecord), second);
    ReleaseObject(box);
}

// Attaching to a note makes the accidental head whose prev names the note; the
// object follows it.
TEST_F(ObjectListTest, AttachmentToANoteStartsWithItsAccidental) {
    EventRecord* note = Note(cell_, 0, 0, 10, 4);
    ScoreObject* box = Box();
    EXPECT_EQ(AttachObjectToNote(view_, note, box), 1);
    ScoreObject* accidental = GetEventAttachment(note);
    ASSERT_NE(accidental, nullptr);
    EXPECT_EQ(accidental->type, TypeCode(ObjectType::Accidental));
    EXPECT_EQ(reinterpret_cast<EventRecord*>(accidental->prev.get()), note);
    EXPECT_EQ(accidental->next.get(), box);
    FreeEventAttachment(note);  // releases the accidental and the box
    EXPECT_TRUE(IsFreeRecord(box));
    EXPECT_TRUE(IsFreeRecord(accidental));
}

// Attachment failures: no object beeps; no note, or no accidental class to head
// the chain, answers 0 and links nothing (the caller frees the object).
TEST_F(ObjectListTest, AttachmentFailuresAnswerZero) {
    EventRecord* note = Note(cell_, 0, 0, 10, 4);
    EXPECT_EQ(AttachObjectToNote(view_, note, nullptr), 0);
    EXPECT_EQ(ui::headless::Beeps().size(), 1u);
    ScoreObject* box = Box();
    EXPECT_EQ(AttachObjectToNote(view_, nullptr, box), 0);
    ResetObjectClassTable();  // accidentals unknown: no chain head can be made
    RegisterObjectType(TypeCode(ObjectType::Margin), FindObjectType(TypeCode(ObjectType::Item)));
    EXPECT_EQ(AttachObjectToNote(view_, note, box), 0);
    EXPECT_FALSE(note->attachment);
    EXPECT_FALSE(box->prev);
    ReleaseObject(box);
}

// Release by type: records go back to their pools; prototypes, codes above 53 and
// types that own no record are left alone.
TEST_F(ObjectListTest, ReleaseByTypeFreesOnlyWhatItMay) {
    ScoreObject* box = Box();
    ReleaseObjectByType(doc_, box);
    EXPECT_TRUE(IsFreeRecord(box));
    ScoreObject* prototype = doc_->prototypes[TypeCode(ObjectType::Box)];
    ASSERT_NE(prototype, nullptr);
    ReleaseObjectByType(doc_, prototype);
    EXPECT_FALSE(IsFreeRecord(prototype));
    ScoreObject* image = Box();
    image->type = TypeCode(ObjectType::ImageText);  // type 44 frees nothing
    ReleaseObjectByType(doc_, image);
    EXPECT_FALSE(IsFreeRecord(image));
    image->type = 60;
    ReleaseObjectByType(doc_, image);
    EXPECT_FALSE(IsFreeRecord(image));
    State().program.ShutdownFlag = 1;  // nothing is released while shutting down
    ScoreObject* late = Box();
    ReleaseObjectByType(doc_, late);
    EXPECT_FALSE(IsFreeRecord(late));
    State().program.ShutdownFlag = 0;
}

// Releasing a text-family object also frees the pooled string it owns.
TEST_F(ObjectListTest, ReleasedTextObjectFreesItsString) {
    TextObject* text = CopyTextObjectString("Allegro");
    ASSERT_NE(text, nullptr);
    text->header.type = TypeCode(ObjectType::Text);
    char* string = TextObjectString(text);
    ASSERT_NE(string, nullptr);
    ReleaseObjectByType(doc_, &text->header);
    EXPECT_TRUE(IsFreeRecord(text));
    EXPECT_TRUE(IsFreeRecord(string));
}

// Releasing a chain empties the list and keeps the head; an empty list only has
// its head's next cleared.
TEST_F(ObjectListTest, ReleasingAChainKeepsTheHead) {
    ScoreObject* a = Box();
    ScoreObject* b = Box();
    InsertObjectAfter(head_, b);
    InsertObjectAfter(head_, a);
    ReleaseObjectChain(head_, doc_);
    EXPECT_FALSE(head_->next);
    EXPECT_TRUE(IsFreeRecord(a));
    EXPECT_TRUE(IsFreeRecord(b));
    EXPECT_FALSE(IsFreeRecord(head_));
    ReleaseObjectChain(head_, doc_);
    EXPECT_FALSE(head_->next);
}

// A list head that cannot be had shows the low-memory box.
TEST_F(ObjectListTest, RootObjectExhaustionIsReported) {
    FailNextRecordAllocations(1);
    EXPECT_EQ(AllocRootObject(), nullptr);
    FailNextRecordAllocations(0);
    ASSERT_EQ(ui::headless::MessageBoxes().size(), 1u);
    EXPECT_EQ(
        ui::headless::MessageBoxes()[0].text.rfind("[UNITS.1180] \n Resource memory is low.", 0),
        0u)
        << ui::headless::MessageBoxes()[0].text;
}

}  // namespace
}  // namespace ql::testing_model
