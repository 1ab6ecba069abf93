// Test fixture of the undo tests: a document built directly on its pool set (pools,
// measure table, header) with a baseline taken, edits made on pooled records through
// small helpers, snapshots of everything undo must restore, and checks that no chain
// or pool was corrupted.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "core/model/event_record.h"
#include "core/model/grid_records.h"
#include "core/memory/pool.h"
#include "core/model/score_document.h"
#include "core/undo/undo.h"

namespace ql::testing_undo {

// Everything undo restores: descriptors, the live half of every block of pools
// 2..10, the measure table and the header.
struct ScoreSnapshot {
    DocumentPoolSet descriptors{};
    std::vector<std::vector<std::byte>> blocks;  // [pool * kMaxPoolBlocks + block]
    std::vector<MeasureRecord> measures;
    ScoreHeader header{};
};

ScoreSnapshot TakeSnapshot(const ScoreDocument& document);

// Empty when the document is byte-identical to the snapshot; else what differs. A
// block that did not exist in the snapshot may remain (blocks are never dropped) but
// must read as untouched: nothing handed out, every live byte zero.
std::string DescribeDifference(const ScoreSnapshot& expected, const ScoreDocument& document);

// Walks a random history on a document until `edits` edits were made: each step is an
// Undo (2 in 10), a Redo (1 in 10) or an edit (`edit` inside an UndoStep, followed by
// `markChanged`). After every
// step the document must be byte-identical to the snapshot of that point in history,
// and the stacks must hold what the history allows (at most 17 undoable steps).
// `edit` must change the score every time.
void RunRandomHistory(ScoreDocument* document, ScoreView* view, std::mt19937& rng, int edits,
                      const std::function<void()>& edit, const std::function<void()>& markChanged);

class UndoTest : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    // A counted change, as SetDocumentModified makes outside playback.
    void MarkChanged() {
        ++doc_->changeCounter;
        if (doc_->changeCounter == 0) doc_->changeCounter = 1;
    }

    // Edits on the score (each bracketed by the caller or by Edit below).
    EventRecord* InsertNote(uint16_t time, uint8_t step);  // linked at the chain head
    // Linked before the note at `index` along the chain (at the end past the last).
    EventRecord* InsertNoteAt(int index, uint16_t time, uint8_t step);
    bool DeleteNote(int index);                            // index along the chain
    EventRecord* NoteAt(int index);                        // null past the end
    int NoteCount() const;
    std::vector<uint16_t> NoteTimes() const;
    void SetTempo(uint16_t tempo);
    void SetMeasureWidth(int measure, uint16_t width);

    // What would corrupt the score; each is empty when all is well.
    // The note chain reaches only live records of the note pool, and it ends.
    std::string DescribeNoteChainFaults() const;
    // Every slot of the pool below a block's fresh mark is live or on the free list,
    // and the free list holds only free records of the pool, once each.
    std::string DescribePoolFaults(int pool) const;
    // Takes one record of the pool and gives it back at once, as scratch work does;
    // a fault when none was had or the record is one of `linked`.
    std::string ProbeAllocation(int pool, const std::vector<const void*>& linked);
    // The records the note chain reaches, in order (up to the first fault).
    std::vector<const void*> NoteChainRecords() const;
    // The chain, pool and probe checks above, for the note chain and the note pool.
    std::string DescribeNoteFaults();

    // One undoable edit of the given kind.
    template <typename Fn>
    void Edit(Fn&& change, UndoVerb verb = UndoVerb::Modify) {
        UndoStep step(doc_.get(), nullptr, UndoKind::Note, 0, verb);
        change();
        MarkChanged();
    }

    std::unique_ptr<ScoreDocument> doc_;
    size_t arenaBytesAtStart_ = 0;
};

}  // namespace ql::testing_undo
