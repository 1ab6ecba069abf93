// Allocation failures while text objects are made: every record allocation of a typed
// text line, a lyric syllable and a staff label is made to fail in turn; each run
// ends with the object made whole or with nothing placed and every record given back.
#include <gtest/gtest.h>

#include <array>

#include "core/memory/pool.h"
#include "core/model/document.h"
#include "core/model/object_list.h"
#include "core/objects/class_table.h"
#include "objects/lyrics/lyric.h"
#include "objects/object_services.h"
#include "objects/tests/texts/texts_fixture.h"
#include "objects/text_marks/text_dialog_resources.h"
#include "objects/text_marks/text_line.h"

namespace ql::testing_texts {
namespace {

using ui::headless::DialogDriver;
constexpr int kLastCountedPool = 10;
constexpr int kMostAllocations = 12;

class TextFailuresTest : public TextsTest {
  protected:
    // Live records of pools 2..10 of the document's set.
    std::array<int, kLastCountedPool + 1> LiveRecords() const {
        std::array<int, kLastCountedPool + 1> counts{};
        for (int p = 2; p <= kLastCountedPool; ++p) {
            const RecordPool& pool = doc_->pools.pools[p];
            for (int b = 0; b < pool.blockCount; ++b)
                for (int slot = 1; slot < pool.blocks[b].nextFresh; ++slot)
                    if (!IsFreeRecord(pool.blocks[b].base.get() +
                                      (static_cast<size_t>(slot) << pool.shift)))
                        ++counts[static_cast<size_t>(p)];
        }
        return counts;
    }
};

TEST_F(TextFailuresTest, ATextLineIsMadeWholeOrNotAtAll) {
    for (int successes = 0; successes < kMostAllocations; ++successes) {
        ScriptEntries({[](DialogDriver& d) {
            d.Type(text_entry_dialog::kEntryEdit, "Allegro");
            d.PressEnter();
        }});
        const auto before = LiveRecords();
        const size_t listed = ListOf(cell_->objects.get()).size();
        FailRecordAllocationAfter(successes);
        TheTextToolState().variant = TextToolVariant::TextLine;
        ScoreObject* line =
            FindObjectClass(ClassOfType(ObjectType::Text))->CreateAtClick(nullptr, view_);
        FailNextRecordAllocations(0);
        if (line == nullptr) {
            EXPECT_EQ(LiveRecords(), before) << "failing allocation " << successes;
            EXPECT_EQ(ListOf(cell_->objects.get()).size(), listed);
            continue;
        }
        EXPECT_EQ(StringOf(line), "Allegro") << "failing allocation " << successes;
        UnlinkObject(line);
        ReleaseObjectByType(doc_, line);
    }
}

TEST_F(TextFailuresTest, ALyricIsMadeWholeOrNotAtAll) {
    EventRecord* note = Note(0);
    for (int successes = 0; successes < kMostAllocations; ++successes) {
        ScriptEntries({[](DialogDriver& d) {
            d.Type(text_entry_dialog::kEntryEdit, "la");
            d.PressEnter();
        }});
        const auto before = LiveRecords();
        FailRecordAllocationAfter(successes);
        const int result = CreateLyricAtNote(view_, note);
        FailNextRecordAllocations(0);
        const std::vector<TextObject*> lyrics = LyricsOf(note);
        if (lyrics.empty()) {
            EXPECT_NE(result, 1);
            // The attachment head made for the note may stay; nothing else does.
            auto after = LiveRecords();
            after[kTextObjectPool] = before[kTextObjectPool];
            EXPECT_EQ(after, before) << "failing allocation " << successes;
            continue;
        }
        EXPECT_EQ(StringOf(&lyrics[0]->header), "la");
        UnlinkObject(&lyrics[0]->header);
        ReleaseObjectByType(doc_, &lyrics[0]->header);
    }
}

TEST_F(TextFailuresTest, AStaffLabelIsMadeWholeOrNotAtAll) {
    view_->pageView = 1;
    for (int successes = 0; successes < kMostAllocations; ++successes) {
        ui::headless::SetDialogScript(text_block_dialog::kPlaceTextBlockDialog,
                                      [](DialogDriver& d) {
                                          d.Type(text_block_dialog::kText, "Violin I");
                                          d.PressEnter();
                                      });
        UseMeasure(2, 1);
        const auto before = LiveRecords();
        FailRecordAllocationAfter(successes);
        ScoreObject* label =
            FindObjectClass(ClassOfType(ObjectType::Label))->CreateAtClick(nullptr, view_);
        FailNextRecordAllocations(0);
        if (label == nullptr) {
            auto after = LiveRecords();
            after[kRootObjectPool] = before[kRootObjectPool];  // the staff's list head may stay
            EXPECT_EQ(after, before) << "failing allocation " << successes;
            continue;
        }
        EXPECT_STREQ(GetTextBoxString(label), "Violin I");
        UnlinkObject(label);
        ReleaseObjectByType(doc_, label);
    }
}

}  // namespace
}  // namespace ql::testing_texts
