// Pages without systems in a file: the load takes them out, keeps their objects on
// the nearest page that stays, lets the page numbers run on, and tells the user
// once for the whole file, however many pages there were; opening it then shows no
// other box. A file in which no page holds a system is refused.
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "core/memory/pool.h"
#include "core/model/object_list.h"
#include "core/model/pages.h"
#include "core/model/score_document.h"
#include "core/objects/score_object.h"
#include "files/commands/file_commands.h"
#include "files/records/file_codes.h"
#include "files/tests/read/read_fixture.h"
#include "platform/ui/headless.h"

namespace ql {
namespace {

using testing_files::ReadTest;
namespace tf = testing_files;

using ByteVec = std::vector<uint8_t>;

constexpr size_t kPageCountAt = tf::kHeaderAt + 194;
constexpr size_t kTagBytes = 4;

class PageRepair : public ReadTest {
  protected:
    void SetUp() override {
        ReadTest::SetUp();
        BuildSmallScore(1, 2);
        ASSERT_TRUE(doc_->firstPage->firstSystem);
    }

    // A page without systems linked after `after` (before the first page when
    // null), numbered `number`, holding a guide line when asked.
    ScorePage* AddPageWithoutSystems(ScorePage* after, int number, bool withObject) {
        ScopedPoolSet pools(doc_->pools);
        ScorePage* page = ConstructPageRecord(AllocPageRecord(sizeof(ScorePage)));
        EXPECT_TRUE(page != nullptr && page->margins);
        page->pageNumber = static_cast<int16_t>(number);
        ScorePage* before = after != nullptr ? after : doc_->rightMaster;
        ScorePage* next = before->next.get();
        page->previous = Ref32<ScorePage>::To(before);
        before->next = Ref32<ScorePage>::To(page);
        if (next != nullptr) {
            page->next = Ref32<ScorePage>::To(next);
            next->previous = Ref32<ScorePage>::To(page);
        }
        if (after == nullptr) doc_->firstPage = page;
        if (withObject)
            InsertObjectAfter(page->margins.get(), ConstructObject(TypeCode(ObjectType::Guide)));
        return page;
    }
    // A page with one system over measure 2, after page 1.
    ScorePage* AddPageWithSystem(ScorePage* after, int number) {
        ScorePage* page = AddPageWithoutSystems(after, number, false);
        ScopedPoolSet pools(doc_->pools);
        ScoreSystem* system = ConstructSystemRecord(AllocSystemRecord(sizeof(ScoreSystem)), view_);
        EXPECT_TRUE(system != nullptr && HasSystemArrays(system));
        system->firstMeasure = system->lastMeasure = 2;
        page->firstSystem = Ref32<ScoreSystem>::To(system);
        return page;
    }
    std::string Save(const std::string& name, const ByteVec& bytes) {
        const std::string path = PathOf(name);
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()),
                   static_cast<std::streamsize>(bytes.size()));
        return path;
    }
    // Loads the file and formats it as opening does; the boxes both showed.
    std::vector<std::string> Open(const std::string& path, ScoreLoad* load) {
        const size_t before = ui::headless::MessageBoxes().size();
        *load = LoadScoreFile(path);
        if (load->document != nullptr) {
            loads_.push_back(*load);
            ShowLoadedDocument(load->view);
            ShowLoadNotice(*load);
        }
        std::vector<std::string> texts;
        const auto& boxes = ui::headless::MessageBoxes();
        for (size_t i = before; i < boxes.size(); ++i) texts.push_back(boxes[i].text);
        return texts;
    }
};

// Page types along a loaded document's list: its number, 's' for systems, and
// the number of objects after its margin element.
std::string PageSummary(const ScoreDocument* document) {
    std::string text;
    for (const ScorePage* page = document->firstPage; page != nullptr; page = page->next.get()) {
        int objects = 0;
        for (const ScoreObject* o = page->margins.get(); o != nullptr && o->next; o = o->next.get())
            ++objects;
        text += std::to_string(page->pageNumber) + (page->firstSystem ? "s" : "-") +
                std::to_string(objects) + " ";
    }
    return text;
}

// A file of 16,001 pages (near what the page pool holds) of which all but the
// first hold no systems (the stored entry of one such page repeated): one box
// names the count, formatting adds none, and the score that opens has its one
// page, marked modified.
TEST_F(PageRepair, ManyPagesWithoutSystemsAreToldInOneBox) {
    constexpr int kEmptyPages = 16'000;
    const ByteVec one = Write(doc_, view_);
    AddPageWithoutSystems(doc_->firstPage, 2, false);
    const ByteVec two = Write(doc_, view_);
    ASSERT_FALSE(one.empty() || two.empty());
    const size_t entryStart = tf::FindTag(one, "FONT");
    const size_t entryEnd = tf::FindTag(two, "FONT");
    ASSERT_LT(entryStart, entryEnd);
    ByteVec many(two.begin(), two.begin() + static_cast<std::ptrdiff_t>(entryEnd));
    for (int i = 1; i < kEmptyPages; ++i)
        many.insert(many.end(), two.begin() + static_cast<std::ptrdiff_t>(entryStart),
                    two.begin() + static_cast<std::ptrdiff_t>(entryEnd));
    many.insert(many.end(), two.begin() + static_cast<std::ptrdiff_t>(entryEnd), two.end());
    tf::PutU16(many, tf::FindTag(many, "PAGE") + kTagBytes, kEmptyPages + 1);
    tf::PutU16(many, kPageCountAt, kEmptyPages + 1);

    ScoreLoad load;
    const std::vector<std::string> boxes = Open(Save("many.ql", many), &load);
    ASSERT_EQ(load.code, 0);
    EXPECT_EQ(boxes, std::vector<std::string>{RepairedPagesNotice(kEmptyPages)});
    EXPECT_EQ(load.repairedPages, kEmptyPages);
    EXPECT_EQ(PageSummary(load.document), "1s0 ");
    EXPECT_EQ(load.document->header.pageCount, 1);
    EXPECT_NE(load.document->changeCounter, 0) << "the repaired score is not the file's";
    EXPECT_EQ(load.view->currentPage, load.document->firstPage);
}

// Pages without systems before, between and after pages with systems: their guide
// lines join the nearest page kept (the first for those before it), the numbers
// that ran on through them run on without them, and a page numbered on its own
// keeps its number. The score saved again reads back without a box.
TEST_F(PageRepair, ObjectsStayAndNumbersRunOn) {
    ScorePage* second = AddPageWithSystem(doc_->firstPage, 3);
    doc_->firstPage->pageNumber = 2;
    AddPageWithoutSystems(nullptr, 1, true);
    AddPageWithoutSystems(doc_->firstPage->next.get(), 3, true);  // after page 2
    second->pageNumber = 4;
    AddPageWithoutSystems(second, 5, true);
    AddPageWithSystem(second->next.get(), 9);
    ASSERT_EQ(PageSummary(doc_), "1-1 2s0 3-1 4s0 5-1 9s0 ");

    ScoreLoad load;
    const std::vector<std::string> boxes = Open(Save("mixed.ql", Write(doc_, view_)), &load);
    ASSERT_EQ(load.code, 0);
    EXPECT_EQ(boxes, std::vector<std::string>{RepairedPagesNotice(3)});
    EXPECT_EQ(PageSummary(load.document), "1s2 2s1 9s0 ");
    EXPECT_EQ(load.document->header.pageCount, 3);
    EXPECT_EQ(load.document->firstPage->previous.get(), load.document->rightMaster);

    ScoreLoad again;
    EXPECT_TRUE(Open(Save("again.ql", Rewrite(load)), &again).empty());
    ASSERT_EQ(again.code, 0);
    EXPECT_EQ(again.repairedPages, 0);
    EXPECT_EQ(PageSummary(again.document), "1s2 2s1 9s0 ");
}

// No page holds a system: nothing can be shown, and the file is refused with the
// usual message and nothing built.
TEST_F(PageRepair, FileWithoutAnySystemIsRefused) {
    ScopedPoolSet pools(doc_->pools);
    ScoreSystem* system = doc_->firstPage->firstSystem.get();
    doc_->firstPage->firstSystem = Ref32<ScoreSystem>{};
    FreeSystemRecord(system);
    ScoreLoad load;
    const std::vector<std::string> boxes = Open(Save("none.ql", Write(doc_, view_)), &load);
    EXPECT_EQ(load.code, file_code::kPageCount);
    EXPECT_EQ(load.document, nullptr);
    EXPECT_EQ(boxes, std::vector<std::string>{"File data is invalid or corrupted."});
}

}  // namespace
}  // namespace ql
