// Undo on a score just read: a load starts the history without copying the pools;
// the first edit takes the baseline. Changes made after the load but outside any edit
// belong to the start of the history; the first edit is undone, redone, and a
// checkpoint started after the load restores the score as read.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/memory/pool.h"
#include "core/model/document.h"
#include "core/model/event_record.h"
#include "core/model/grid.h"
#include "core/model/score_document.h"
#include "core/state.h"
#include "core/undo/undo.h"
#include "files/tests/read/read_fixture.h"

namespace ql {
namespace {

using testing_files::ReadTest;
namespace tf = testing_files;

constexpr uint8_t kOutsideEditBits = 0x40;
constexpr uint8_t kEditedBeats = 7;
constexpr int kEditedVoice = 2;
constexpr uint8_t kEditedStep = 5;

class LoadUndo : public ReadTest {
  protected:
    // The full score written and read back into a new document, made current.
    ScoreLoad LoadFull() {
        BuildFull();
        ScoreLoad load = Read(Write(doc_, view_));
        if (load.document != nullptr) {
            SetCurrentPoolSet(load.document->pools);
            State().documents.CurrentDocument = load.document;
        }
        return load;
    }

    // One bracketed edit of a cell: a note in a voice and the time signature's beats.
    static void EditCell(const ScoreLoad& load, MeasureCell* cell) {
        UndoStep step(load.document, load.view, UndoKind::Note, 0, UndoVerb::Add);
        ASSERT_NE(AddEventToVoice(load.view, cell, kEditedVoice, 0, kDurationQuarter, kEditedStep), nullptr);
        cell->beats = kEditedBeats;
        SetDocumentModified(load.document);
    }

    static MeasureCell* FirstCell(const ScoreLoad& load) {
        return GetOrCreateMeasureCell(StaffRecordOf(load.document, 1), load.document, 1);
    }
};

// The change made outside an edit stays when the first edit is undone.
TEST_F(LoadUndo, FirstEditAfterALoadIsUndoneAndRedone) {
    ScoreLoad load = LoadFull();
    ASSERT_EQ(load.code, 0);
    MeasureCell* cell = FirstCell(load);
    cell->cellData7 ^= kOutsideEditBits;
    const std::vector<std::string> before = tf::SummariseModel(load.document);
    EditCell(load, cell);
    const std::vector<std::string> edited = tf::SummariseModel(load.document);
    ASSERT_NE(edited, before);
    ASSERT_EQ(UndoDepth(load.document), 1);
    UndoCommand(load.document, load.view);
    EXPECT_EQ(tf::SummariseModel(load.document), before);
    RedoCommand(load.document, load.view);
    EXPECT_EQ(tf::SummariseModel(load.document), edited);
    UndoCommand(load.document, load.view);
    EXPECT_EQ(tf::SummariseModel(load.document), before);
}

// Revert after a checkpoint started on the score as read gives that score back.
TEST_F(LoadUndo, CheckpointAfterALoadRevertsToTheScoreAsRead) {
    ScoreLoad load = LoadFull();
    ASSERT_EQ(load.code, 0);
    const std::vector<std::string> asRead = tf::SummariseModel(load.document);
    CheckpointStart(load.document);
    EditCell(load, FirstCell(load));
    ASSERT_NE(tf::SummariseModel(load.document), asRead);
    RevertToUndoBaseline(load.document, load.view);
    EXPECT_EQ(tf::SummariseModel(load.document), asRead);
}

// A second load into the same program state starts its own history: the first
// score's edits never reach it.
TEST_F(LoadUndo, EachLoadStartsItsOwnHistory) {
    ScoreLoad first = LoadFull();
    ASSERT_EQ(first.code, 0);
    EditCell(first, FirstCell(first));
    ScoreLoad second = Read(Write(doc_, view_));
    ASSERT_EQ(second.code, 0);
    EXPECT_EQ(UndoDepth(second.document), 0);
    SetCurrentPoolSet(second.document->pools);
    State().documents.CurrentDocument = second.document;
    const std::vector<std::string> asRead = tf::SummariseModel(second.document);
    UndoCommand(second.document, second.view);
    EXPECT_EQ(tf::SummariseModel(second.document), asRead);
    EXPECT_EQ(UndoDepth(first.document), 1);
}

}  // namespace
}  // namespace ql
