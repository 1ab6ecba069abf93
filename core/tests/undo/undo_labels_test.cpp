// The Undo and Redo labels: the verb byte and the kind byte each name their word, and
// kind Item names the object's type instead.
#include "core/undo/undo_labels.h"

#include "core/tests/undo/undo_fixture.h"

namespace ql::testing_undo {
namespace {

using UndoLabels = UndoTest;

// Verb 7 with kind 7 reads "Undo - Move Note".
TEST_F(UndoLabels, VerbAndKindNameTheEdit) {
    {
        UndoStep step(doc_.get(), nullptr, UndoKind::Note, 0, UndoVerb::Move);
        InsertNote(1, 1);
        MarkChanged();
    }
    EXPECT_EQ(UndoCommandLabel(doc_.get()), "Undo - Move Note");
    UndoCommand(doc_.get(), nullptr);
    EXPECT_EQ(RedoCommandLabel(doc_.get()), "Redo - Move Note");
    EXPECT_EQ(UndoCommandLabel(doc_.get()), "Undo");
}

// Kind 1 (Item) uses the type's short name: type 24 ends in "Tempo".
TEST_F(UndoLabels, KindItemUsesTheTypeName) {
    {
        UndoStep step(doc_.get(), nullptr, UndoKind::Item, 24, UndoVerb::Modify);
        SetTempo(80);
        MarkChanged();
    }
    EXPECT_EQ(UndoCommandLabel(doc_.get()), "Undo - Modify Tempo");
    EXPECT_EQ(UndoObjectText(1, 55), "R.H.");
    EXPECT_EQ(UndoObjectText(1, 30), "");
}

// Without a document the bare word is the label.
TEST(UndoLabelWords, NoDocumentGivesTheBareWord) {
    EXPECT_EQ(RedoCommandLabel(nullptr), "Redo");
    EXPECT_EQ(UndoVerbStringId(17), 1430);
    EXPECT_EQ(UndoVerbStringId(18), 0);
    EXPECT_EQ(ObjectTypeNameStringId(53), 1587);
}

}  // namespace
}  // namespace ql::testing_undo
