// Pages and systems: records, staff arrays, system chains and page lookups.
#include "core/model/pages.h"

#include <cstring>

#include "core/objects/class_table.h"
#include "core/model/model_reports.h"
#include "core/model/object_list.h"
#include "core/memory/pool.h"
#include "core/model/score_document.h"
#include "core/objects/score_object.h"
#include "core/units/units.h"

namespace ql {

namespace {

constexpr int kMarginReportLine = 1909;
constexpr uint8_t kMarginType = static_cast<uint8_t>(ObjectType::Margin);
constexpr int kMaxPages = 64 * 1024;

int StaffCountOf(ScoreView* view) {
    return (view != nullptr && view->document != nullptr) ? view->document->header.staffCount : 0;
}

uint16_t StaffSeparationOf(ScoreView* view) {
    return (view != nullptr && view->document != nullptr)
               ? view->document->header.newScoreBlock.staffSeparation
               : 0;
}

bool AllocSystemArrays(ScoreSystem* system, int staffCount) {
    int offsetsPool = PoolForWordArray(staffCount);
    int flagsPool = PoolForByteArray(staffCount);
    auto* offsets = static_cast<uint16_t*>(AllocRecord(offsetsPool));
    if (offsets == nullptr) return false;
    system->staffOffsets = Ref32<uint16_t>::To(offsets);
    system->offsetsPool = static_cast<uint8_t>(offsetsPool);
    auto* flags = static_cast<int8_t*>(AllocRecord(flagsPool));
    if (flags == nullptr) return false;
    system->staffFlags = Ref32<int8_t>::To(flags);
    system->flagsPool = static_cast<uint8_t>(flagsPool);
    return true;
}

// Offsets copied from the view's galley system when it has some, else spaced.
void FillOffsets(ScoreSystem* system, ScoreView* view, int staffCount) {
    uint16_t* offsets = StaffOffsetsOf(system);
    if (offsets == nullptr) return;
    const ScoreSystem* galley = view != nullptr ? view->galleySystem : nullptr;
    const uint16_t* source = galley != nullptr ? StaffOffsetsOf(galley) : nullptr;
    offsets[0] = kFirstStaffOffset;
    if (staffCount >= 1) offsets[1] = 0;
    for (int k = 1; k <= staffCount; ++k) {
        if (source != nullptr)
            offsets[k] = source[k];
        else if (k > 1)
            offsets[k] = static_cast<uint16_t>(offsets[k - 1] + StaffSeparationOf(view));
    }
}

}  // namespace

uint16_t* StaffOffsetsOf(const ScoreSystem* system) {
    return system == nullptr ? nullptr : system->staffOffsets.get();
}

int8_t* StaffFlagsOf(const ScoreSystem* system) {
    return system == nullptr ? nullptr : system->staffFlags.get();
}

ScorePage* AllocPageRecord(size_t /*size*/) {
    return AllocRecordAs<ScorePage>(kScorePagePool);
}

ScorePage* ConstructPageRecord(ScorePage* page) {
    if (page == nullptr) return nullptr;
    std::memset(page, 0, sizeof(ScorePage));
    if (FindObjectType(kMarginType).construct == nullptr) return page;  // no margin class built
    ScoreObject* margins = ConstructObject(kMarginType);
    if (margins == nullptr) {
        ReportLowMemory("STAFF", kMarginReportLine);
        return page;
    }
    page->margins = Ref32<ScoreObject>::To(margins);
    return page;
}

void DestroyPageRecord(ScorePage* page) {
    if (page == nullptr) return;
    if (ScoreSystem* first = page->firstSystem.get()) {
        FreeSystemChain(first);
        FreeSystemRecord(first);
    }
    page->firstSystem = Ref32<ScoreSystem>{};
    if (ScoreObject* margins = page->margins.get()) {
        ReleaseObjectChain(margins, nullptr);
        ReleaseObjectByType(nullptr, margins);
    }
    page->margins = Ref32<ScoreObject>{};
}

void FreePageRecord(ScorePage* page) {
    DestroyPageRecord(page);
    FreeRecord(kScorePagePool, page);
}

ScoreSystem* AllocSystemRecord(size_t /*size*/) {
    return AllocRecordAs<ScoreSystem>(kScoreSystemPool);
}

ScoreSystem* ConstructSystemRecord(ScoreSystem* system, ScoreView* view) {
    return ConstructSystemRecordWithFlag(system, view, 0);
}

ScoreSystem* ConstructSystemRecordWithFlag(ScoreSystem* system, ScoreView* view, int8_t flag) {
    if (system == nullptr) return nullptr;
    std::memset(system, 0, sizeof(ScoreSystem));
    const int staffCount = StaffCountOf(view);
    if (!AllocSystemArrays(system, staffCount)) return system;
    FillOffsets(system, view, staffCount);
    int8_t* flags = StaffFlagsOf(system);
    for (int k = 1; k <= staffCount; ++k) flags[k] = flag;
    return system;
}

ScoreSystem* ConstructSystemRecordFrom(ScoreSystem* system, ScoreView* view,
                                       const ScoreSystem* tmpl) {
    if (system == nullptr) return nullptr;
    if (tmpl != nullptr) std::memcpy(system, tmpl, sizeof(ScoreSystem));
    system->staffOffsets = Ref32<uint16_t>{};
    system->staffFlags = Ref32<int8_t>{};
    const int staffCount = StaffCountOf(view);
    if (!AllocSystemArrays(system, staffCount)) return system;
    const uint16_t* source = StaffOffsetsOf(tmpl);
    uint16_t* offsets = StaffOffsetsOf(system);
    for (int k = 0; k <= staffCount && source != nullptr; ++k) offsets[k] = source[k];
    return system;
}

bool HasSystemArrays(const ScoreSystem* system) {
    return system != nullptr && system->staffOffsets && system->staffFlags;
}

void ResizeSystemArrays(ScoreSystem* system, int highestIndex, int staffCount) {
    if (system == nullptr) return;
    int offsetsPool = PoolForWordArray(staffCount);
    if (offsetsPool != system->offsetsPool) {
        if (auto* fresh = static_cast<uint16_t*>(AllocRecord(offsetsPool))) {
            if (uint16_t* old = StaffOffsetsOf(system)) {
                std::memcpy(fresh, old, (highestIndex + 1) * sizeof(uint16_t));
                FreeRecord(system->offsetsPool, old);
            }
            system->staffOffsets = Ref32<uint16_t>::To(fresh);
            system->offsetsPool = static_cast<uint8_t>(offsetsPool);
        }
    }
    int flagsPool = PoolForByteArray(staffCount);
    if (flagsPool != system->flagsPool) {
        if (auto* fresh = static_cast<int8_t*>(AllocRecord(flagsPool))) {
            if (int8_t* old = StaffFlagsOf(system)) {
                std::memcpy(fresh, old, highestIndex + 1);
                FreeRecord(system->flagsPool, old);
            }
            system->staffFlags = Ref32<int8_t>::To(fresh);
            system->flagsPool = static_cast<uint8_t>(flagsPool);
        }
    }
}

void FreeSystemArrays(ScoreSystem* system) {
    if (system == nullptr) return;
    if (uint16_t* offsets = StaffOffsetsOf(system)) FreeRecord(system->offsetsPool, offsets);
    if (int8_t* flags = StaffFlagsOf(system)) FreeRecord(system->flagsPool, flags);
    system->staffOffsets = Ref32<uint16_t>{};
    system->staffFlags = Ref32<int8_t>{};
    system->offsetsPool = 0;
    system->flagsPool = 0;
}

void FreeSystemRecord(ScoreSystem* system) {
    if (system == nullptr) return;
    FreeSystemArrays(system);
    FreeRecord(kScoreSystemPool, system);
}

void LinkSystemsAfter(ScoreSystem* system, ScoreSystem* chain) {
    if (system == nullptr || chain == nullptr) return;
    ScoreSystem* last = chain;
    for (int i = 0; last->next && i < kMaxPages; ++i) last = last->next.get();
    ScoreSystem* oldNext = system->next.get();
    last->next = system->next;
    if (oldNext != nullptr) oldNext->previous = Ref32<ScoreSystem>::To(last);
    chain->previous = Ref32<ScoreSystem>::To(system);
    system->next = Ref32<ScoreSystem>::To(chain);
}

ScoreSystem* InsertSystemCopies(ScoreSystem* system, ScoreView* view, int n) {
    if (system == nullptr || n <= 0) return nullptr;
    ScoreSystem* const originalNext = system->next.get();
    ScoreSystem* first = nullptr;
    ScoreSystem* before = system;
    for (int i = 0; i < n; ++i) {
        ScoreSystem* copy =
            ConstructSystemRecordFrom(AllocSystemRecord(sizeof(ScoreSystem)), view, before);
        if (copy == nullptr || !HasSystemArrays(copy)) {
            if (copy != nullptr) FreeSystemRecord(copy);
            // Take out the copies made so far and close the chain again.
            for (ScoreSystem* made = first; made != nullptr && made != originalNext;) {
                ScoreSystem* next = made->next.get();
                FreeSystemRecord(made);
                made = next;
            }
            system->next = Ref32<ScoreSystem>::To(originalNext);
            if (originalNext != nullptr) originalNext->previous = Ref32<ScoreSystem>::To(system);
            return nullptr;
        }
        copy->next = Ref32<ScoreSystem>{};
        copy->previous = Ref32<ScoreSystem>{};
        copy->number = static_cast<uint8_t>(before->number + 1);
        LinkSystemsAfter(before, copy);
        if (first == nullptr) first = copy;
        before = copy;
    }
    return first;
}

void FreeSystemChain(ScoreSystem* system) {
    if (system == nullptr) return;
    ScoreSystem* last = system;
    int count = 0;
    while (last->next && count < kMaxPages) {
        last = last->next.get();
        ++count;
    }
    while (last != system && count-- > 0) {
        ScoreSystem* before = last->previous.get();
        FreeSystemRecord(last);
        if (before == nullptr) break;
        last = before;
    }
    system->next = Ref32<ScoreSystem>{};
}

// ---- Page lookups ----

int GetPageNumberAt(ScoreDocument* document, int n) {
    ScorePage* page = document != nullptr ? document->firstPage : nullptr;
    ScorePage* last = nullptr;
    for (int i = 0; page != nullptr && i < kMaxPages; ++i, page = page->next.get()) {
        if (i == n) return page->pageNumber;
        last = page;
    }
    return last != nullptr ? last->pageNumber + 1 : 1;
}

int GetLastPageNumber(ScorePage* page) {
    if (page == nullptr) return 0;
    for (int i = 0; i < kMaxPages; ++i) {
        ScorePage* next = page->next.get();
        if (next == nullptr || next->pageNumber < page->pageNumber) break;
        page = next;
    }
    return page->pageNumber;
}

ScorePage* FindPageByNumber(ScoreDocument* document, int number, ScorePage* after) {
    ScorePage* page =
        after != nullptr ? after->next.get() : (document ? document->firstPage : nullptr);
    for (int i = 0; page != nullptr && i < kMaxPages; ++i, page = page->next.get())
        if (page->pageNumber == number) return page;
    return nullptr;
}

namespace {

constexpr int kPageMarginCount = 4;
constexpr size_t kMarginBodyBytes = 2 * kPageMarginCount * sizeof(uint32_t);
static_assert(sizeof(PageMargins) == kMarginBodyBytes);

std::byte* MarginBody(const ScorePage* page) {
    ScoreObject* margins = page != nullptr ? page->margins.get() : nullptr;
    if (margins == nullptr || margins->type != kMarginType) return nullptr;
    if (kObjectHeaderBytes + kMarginBodyBytes > PoolSlotBytes(kTextObjectPool)) return nullptr;
    return margins->BodyBytes();
}

}  // namespace

bool GetPageMargins(const ScorePage* page, PageMargins* out) {
    const std::byte* body = MarginBody(page);
    if (body == nullptr || out == nullptr) return false;
    for (int i = 0; i < kPageMarginCount; ++i) {
        out->logical[i] = LoadField<int32_t>(body + i * sizeof(int32_t));
        out->words[i] = LoadField<uint32_t>(body + (kPageMarginCount + i) * sizeof(uint32_t));
    }
    return true;
}

bool SetPageMargins(ScorePage* page, const PageMargins& margins) {
    std::byte* body = MarginBody(page);
    if (body == nullptr) return false;
    for (int i = 0; i < kPageMarginCount; ++i) {
        StoreField<int32_t>(body + i * sizeof(int32_t), margins.logical[i]);
        StoreField<uint32_t>(body + (kPageMarginCount + i) * sizeof(uint32_t), margins.words[i]);
    }
    return true;
}

void SetPageMarginWords(ScoreDocument* document, ScorePage* page, const uint16_t (&words)[4]) {
    if (document == nullptr || MarginBody(page) == nullptr) return;
    PageMargins margins;
    for (int i = 0; i < kPageMarginCount; ++i) margins.words[i] = words[i];
    gfx::Rect logical;
    ConvertMeasureUnits(*document, &logical, margins.words);
    margins.logical[0] = logical.left;
    margins.logical[1] = logical.top;
    margins.logical[2] = logical.right;
    margins.logical[3] = logical.bottom;
    SetPageMargins(page, margins);
}

void CopyPageMargins(ScorePage* to, const ScorePage* from) {
    PageMargins margins;
    if (GetPageMargins(from, &margins)) SetPageMargins(to, margins);
}

void ApplyHeaderMargins(ScoreDocument* document) {
    if (document == nullptr || document->leftMaster == nullptr || document->rightMaster == nullptr) return;
    SetPageMarginWords(document, document->leftMaster, document->header.leftMargins);
    SetPageMarginWords(document, document->rightMaster, document->header.rightMargins);
    const bool startsRight = document->header.pageGeometry.firstPage != 0;
    if (document->firstPage != nullptr)
        CopyPageMargins(document->firstPage, startsRight ? document->rightMaster : document->leftMaster);
}

int GetPageIndex(ScoreDocument* document, ScorePage* page) {
    if (page != nullptr && page->pageNumber < 0) return page->pageNumber;
    ScorePage* walk = document != nullptr ? document->firstPage : nullptr;
    int index = 0;
    for (; walk != nullptr && index < kMaxPages; ++index, walk = walk->next.get())
        if (walk == page) return index;
    return index;
}

ScorePage* GetPageAt(ScoreDocument* document, int n) {
    if (document == nullptr) return nullptr;
    if (n == kLeftMasterNumber) return document->leftMaster;
    if (n == kRightMasterNumber) return document->rightMaster;
    ScorePage* page = document->firstPage;
    for (int i = 0; page != nullptr && i < n && i < kMaxPages; ++i) page = page->next.get();
    return n < 0 ? nullptr : page;
}

}  // namespace ql
