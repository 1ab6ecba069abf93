// The building sink's "PAGE", "FONT" and "QFCS" items and the finishing steps (see
// score_build_sink.h). The page list of the new document is replaced by the pages
// read: entry 0 the left master, 1 the right master, then the score's pages, whose
// measure ranges follow their systems in order from measure 1.
#include <algorithm>
#include <cstring>

#include "core/memory/pool.h"
#include "core/model/document.h"
#include "core/model/object_list.h"
#include "core/model/pages.h"
#include "core/model/score_document.h"
#include "core/objects/score_object.h"
#include "files/read/score_build_sink.h"
#include "files/read/score_read_rules.h"
#include "files/records/file_codes.h"
#include "files/stream/stream_limits.h"

namespace ql {
namespace {

namespace fc = file_code;

constexpr int kMasterPages = 2;

// Frees the page list a new document was made with.
void FreePageList(ScoreDocument* document) {
    ScorePage* page = document->leftMaster;
    for (size_t walked = 0; page != nullptr && walked < kMaxPagesWalked; ++walked) {
        ScorePage* next = page->next.get();
        FreePageRecord(page);
        page = next;
    }
    document->leftMaster = document->rightMaster = document->firstPage = nullptr;
}

}  // namespace

int BuildingStreamSink::Page(int index, const ScorePage& stored) {
    if (index == 0) FreePageList(document_);
    ScorePage* page = AllocPageRecord(sizeof(ScorePage));
    if (page == nullptr) return fc::kPageAlloc;
    std::memset(page, 0, sizeof(ScorePage));
    std::memcpy(page->pageData, stored.pageData, sizeof page->pageData);
    page->systemCount = stored.systemCount;
    if (index < kMasterPages) {
        page->pageNumber = static_cast<int16_t>(index == 0 ? kLeftMasterNumber : kRightMasterNumber);
        page->firstMeasure = stored.firstMeasure;
        page->lastMeasure = stored.lastMeasure;
    } else {
        page->pageNumber = stored.pageNumber >= 1 ? stored.pageNumber : static_cast<int16_t>(index - 1);
        page->firstMeasure = static_cast<uint16_t>(runningMeasure_);
        page->lastMeasure = static_cast<uint16_t>(stored.lastMeasure - stored.firstMeasure + runningMeasure_);
    }
    if (index == 0) document_->leftMaster = page;
    if (index == 1) document_->rightMaster = page;
    if (index == kMasterPages) document_->firstPage = page;
    if (index >= kMasterPages) scorePages_.push_back(page);
    if (page_ != nullptr) {
        page_->next = Ref32<ScorePage>::To(page);
        page->previous = Ref32<ScorePage>::To(page_);
    }
    page_ = page;
    lastSystem_ = nullptr;
    pageList_ = AllocRootObject();
    tail_ = Tail::Page;
    return pageList_ != nullptr ? 0 : fc::kPageObjects;
}

// Its measure range starts at the running measure and holds at most a row's slots.
int BuildingStreamSink::System(const StreamSystem& stored) {
    ScoreSystem* system = ConstructSystemRecord(AllocSystemRecord(sizeof(ScoreSystem)), view_);
    if (system == nullptr) return fc::kSystemAlloc;
    if (lastSystem_ == nullptr)
        page_->firstSystem = Ref32<ScoreSystem>::To(system);
    else {
        lastSystem_->next = Ref32<ScoreSystem>::To(system);
        system->previous = Ref32<ScoreSystem>::To(lastSystem_);
    }
    lastSystem_ = system;
    return LinkSystem(system, stored);
}

int BuildingStreamSink::LinkSystem(ScoreSystem* system, const StreamSystem& stored) {
    if (!HasSystemArrays(system)) return fc::kSystemAlloc;
    const ScoreSystem& r = stored.record;
    system->number = r.number;
    system->keepNaturalWidth = r.keepNaturalWidth;
    system->x = r.x;
    system->y = r.y;
    int count = std::clamp(static_cast<int>(r.lastMeasure) - static_cast<int>(r.firstMeasure) + 1, 1, kMaxSystemMeasures);
    system->firstMeasure = static_cast<uint16_t>(runningMeasure_);
    system->lastMeasure = static_cast<uint16_t>(runningMeasure_ + count - 1);
    runningMeasure_ += count;
    page_->lastMeasure = system->lastMeasure;
    uint16_t* offsets = StaffOffsetsOf(system);
    int8_t* flags = StaffFlagsOf(system);
    for (size_t s = 0; s < stored.offsets.size(); ++s) {
        StoreField<uint16_t>(offsets + s + 1, stored.offsets[s]);
        flags[s + 1] = stored.flags[s];
    }
    return 0;
}

// The objects read after the root become the page's list, headed by its margins.
int BuildingStreamSink::PageDone(int index) {
    (void)index;
    ScoreObject* first = pageList_->next.get();
    pageList_->next = Ref32<ScoreObject>{};
    ReleaseObjectByType(document_, pageList_);
    pageList_ = nullptr;
    tail_ = Tail::None;
    if (first != nullptr) first->prev = Ref32<ScoreObject>{};
    page_->margins = Ref32<ScoreObject>::To(first);
    return 0;
}

// Slots outside the table are read and dropped. The document's font objects are
// not made yet (a new document holds none), so nothing is released here.
int BuildingStreamSink::Font(int slot, const QuickFontRecord& stored) {
    if (slot < 0 || slot >= kScoreFontCount) {
        damaged_ = true;
        return 0;
    }
    QuickFontRecord& font = document_->fonts[slot];
    std::memcpy(font.name, stored.name, sizeof font.name);
    std::memcpy(font.face, stored.face, sizeof font.face);
    font.handle = 0;
    font.bold = stored.bold;
    font.italic = stored.italic;
    font.underline = stored.underline;
    font.slot = stored.slot;
    font.height = stored.height;
    font.charset = 0;
    return 0;
}

int BuildingStreamSink::Charsets(const std::vector<uint8_t>& sets) {
    for (size_t i = 0; i < sets.size() && i < static_cast<size_t>(kScoreFontCount); ++i)
        document_->fonts[i].charset = sets[i];
    return 0;
}

}  // namespace ql
