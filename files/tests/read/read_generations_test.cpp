// Generations of a score through the writer and the reader: G1 = write(Doc0),
// Doc1 = read(G1), G2 = write(Doc1), Doc2 = read(G2), G3 = write(Doc2). G2 and G3
// are the same bytes; G1 and G2 differ only in the scroll view's galley system; the
// models of Doc0, Doc1 and Doc2 agree, links included.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "core/memory/pool.h"
#include "core/model/document.h"
#include "core/model/pages.h"
#include "core/model/grid.h"
#include "files/records/file_version.h"
#include "core/state.h"
#include "files/records/staff_records.h"
#include "core/model/events.h"
#include "objects/curves/curve_objects.h"
#include "objects/object_services.h"
#include "objects/text_box/text_box.h"
#include "files/read/score_read_rules.h"
#include "shell/metrics_table.h"
#include "files/tests/read/read_fixture.h"
#include "files/tests/stream/stream_fixtures.h"

namespace ql {
namespace {

using testing_files::ReadTest;
using testing_files::V;
namespace tf = testing_files;

class ReadGenerations : public ReadTest {
  protected:
    // Puts into Doc0 what the reader makes of the values it replaces, so that G1 and
    // G2 compare whole: measure word 14 is 0, the music fonts use the symbol
    // character set, systems run on from measure 1 and master systems hold measure 1,
    // the logical page and staff sizes follow their BcdInches words, metrics out of
    // their ranges take their defaults.
    void NormaliseAsTheReaderDoes() {
        ScopedPoolSet pools(doc_->pools);
        ConvertStoredPageSizes(*doc_, kCurrentFileVersion);
        RepairMetricWords(doc_->header);
        ConvertHeaderToInternal(doc_);
        for (int m = 0; m <= doc_->header.measureCount + 1; ++m) doc_->measureTable[m].layoutData14 = 0;
        for (int slot = 0; slot < 4; ++slot) doc_->fonts[slot].charset = 2;
        for (int s = 1; s <= doc_->header.staffCount; ++s) {
            ScoreObject* label = GetStaffLabelObject(StaffRecordOf(doc_, s));
            if (label != nullptr && GetTextBoxString(label)[0] == '\0') {
                ASSERT_TRUE(SetTextBoxText(&AsTextBox(label)->body, kNoLabelName, std::strlen(kNoLabelName)));
            }
        }
        PageMargins margins;
        if (GetPageMargins(doc_->leftMaster, &margins))
            for (int i = 0; i < kMarginCount; ++i) doc_->header.leftMargins[i] = static_cast<uint16_t>(margins.words[i]);
        if (GetPageMargins(doc_->rightMaster, &margins))
            for (int i = 0; i < kMarginCount; ++i) doc_->header.rightMargins[i] = static_cast<uint16_t>(margins.words[i]);
        for (ScorePage* master : {doc_->leftMaster, doc_->rightMaster})
            for (ScoreSystem* s = master->firstSystem.get(); s != nullptr; s = s->next.get())
                s->firstMeasure = s->lastMeasure = 1;
        NormaliseTieVoices();
        int running = 1;
        for (ScorePage* page = doc_->firstPage; page != nullptr; page = page->next.get()) {
            page->firstMeasure = static_cast<uint16_t>(running);
            for (ScoreSystem* s = page->firstSystem.get(); s != nullptr; s = s->next.get()) {
                const int count = std::max(1, s->lastMeasure - s->firstMeasure + 1);
                s->firstMeasure = static_cast<uint16_t>(running);
                s->lastMeasure = static_cast<uint16_t>(running + count - 1);
                running += count;
                page->lastMeasure = s->lastMeasure;
            }
        }
    }
    // A tie attached to a note of voice v takes its voice from the mask the reader
    // sets for v (voice 0: the view's bit 0).
    // A cell's own ties take the view's mask.
    static void SetTieVoices(ScoreObject* first, uint8_t mask) {
        for (ScoreObject* o = first; o != nullptr; o = o->next.get())
            if (o->type == static_cast<uint8_t>(ObjectType::Tie)) {
                TieBody& body = AsTie(o)->body;
                body.shape = static_cast<uint16_t>((body.shape & ~kTieVoiceMask) | (TieVoiceOfMask(mask) << kTieVoiceShift));
            }
    }
    void NormaliseTieVoices() {
        for (int s = 1; s <= doc_->header.staffCount; ++s)
            for (int m = 1; m <= doc_->header.measureCount; ++m) {
                if (ScoreObject* head = Cell(s, m)->objects.get()) SetTieVoices(head->next.get(), view_->voiceMask);
                for (int voice = 0; voice < 4; ++voice) {
                    const uint8_t mask = voice == 0 ? (view_->voiceMask & 1) : static_cast<uint8_t>(1u << voice);
                    for (EventRecord* e = GetVoiceFirstEvent(Cell(s, m), voice); e != nullptr; e = NextEvent(e))
                        SetTieVoices(GetEventAttachment(e), mask);
                }
            }
    }
    // Line by line, so that a difference names its record.
    static void ExpectSameModel(const std::vector<std::string>& a, const std::vector<std::string>& b) {
        EXPECT_EQ(a.size(), b.size());
        for (size_t i = 0; i < a.size() && i < b.size(); ++i) EXPECT_EQ(a[i], b[i]) << "model line " << i;
    }
    static size_t FirstDifference(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b) {
        size_t n = 0;
        while (n < a.size() && n < b.size() && a[n] == b[n]) ++n;
        return n;
    }
    // Runs the three generations from the fixture's document.
    void RunGenerations(int staves, int ports) {
        const std::vector<uint8_t> g1 = Write(doc_, view_);
        ASSERT_FALSE(g1.empty());
        ScoreLoad doc1 = Read(g1);
        ASSERT_EQ(doc1.code, 0);
        EXPECT_FALSE(doc1.damaged);
        const std::vector<uint8_t> g2 = Rewrite(doc1);
        ScoreLoad doc2 = Read(g2);
        ASSERT_EQ(doc2.code, 0);
        const std::vector<uint8_t> g3 = Rewrite(doc2);
        EXPECT_EQ(g2, g3) << "a second generation changed the bytes";
        const std::vector<uint8_t> a = tf::WithoutGalley(g1, staves, ports), b = tf::WithoutGalley(g2, staves, ports);
        EXPECT_EQ(a.size(), b.size());
        EXPECT_EQ(FirstDifference(a, b), std::min(a.size(), b.size())) << "G1 and G2 differ at " << FirstDifference(a, b) << " STIK " << tf::FindTag(a, "STIK") << " MUSE "
            << tf::FindTag(a, "MUSE") << " PAGE " << tf::FindTag(a, "PAGE") << " a " << int(a[FirstDifference(a, b)])
            << " b " << int(b[FirstDifference(a, b)]);


        ExpectSameModel(tf::SummariseModel(doc_), tf::SummariseModel(doc1.document));
        ExpectSameModel(tf::SummariseModel(doc1.document), tf::SummariseModel(doc2.document));
    }
};

// One staff, one measure, two beamed notes.
TEST_F(ReadGenerations, SmallScore) {
    BuildSmallScore(1, 1);
    NormaliseAsTheReaderDoes();
    RunGenerations(1, tf::GetU16(Write(doc_, view_), tf::kPortCountAt));
}

// The stream fixtures' full score: three staves, two pages, labels, spacing lists,
// accidentals, attached objects, rests and one object of every stored type.
TEST_F(ReadGenerations, FullScore) {
    BuildFull();
    NormaliseAsTheReaderDoes();
    RunGenerations(tf::kFullScoreStaves, tf::GetU16(Write(doc_, view_), tf::kPortCountAt));
}

// A score of no staves is a legal score: it reads back, and its next generation is
// the same bytes.
TEST_F(ReadGenerations, ScoreWithoutStaves) {
    BuildStaves(0, 1);
    const std::vector<uint8_t> g1 = Write(doc_, view_);
    ASSERT_FALSE(g1.empty());
    ASSERT_EQ(g1[tf::kStaffCountAt], 0);
    ScoreLoad doc1 = Read(g1);
    ASSERT_EQ(doc1.code, 0);
    EXPECT_FALSE(doc1.damaged);
    EXPECT_EQ(V(doc1.document->header.staffCount), 0);
    const std::vector<uint8_t> g2 = Rewrite(doc1);
    ScoreLoad doc2 = Read(g2);
    ASSERT_EQ(doc2.code, 0);
    EXPECT_EQ(Rewrite(doc2), g2);
}

// A loaded score is whole: unmodified, with no history, its view on page 1, the
// reader's flag down, and the document in the program's list.
TEST_F(ReadGenerations, LoadedScoreIsReadyToEdit) {
    BuildFull();
    ScoreLoad load = Read(Write(doc_, view_));
    ASSERT_EQ(load.code, 0);
    EXPECT_EQ(V(load.document->changeCounter), 0);
    EXPECT_EQ(load.document->undoStack, nullptr);
    EXPECT_EQ(load.view->currentPage, load.document->firstPage);
    ASSERT_NE(load.view->currentSystem, nullptr);
    EXPECT_EQ(State().files.ScoreFileReading, 0);
    EXPECT_TRUE(IsDocumentListed(load.document));
    EXPECT_EQ(V(load.document->laterMajorVersion), 0);
}

}  // namespace
}  // namespace ql
