// Freeing an object's hit records from the selection's lists.
#include "notes/rests/owner_handles.h"

#include "core/objects/hit_record.h"
#include "core/objects/selection_state.h"

namespace ql {

namespace {

// More records than static pool 0 could ever hold means a damaged list.
constexpr int kMaxListRecords = 64 * 1024;

}  // namespace

void ReleaseHitRecordsOf(const ScoreObject* owner) {
    SelectionState* selection = TheSelectionState();
    if (selection == nullptr || owner == nullptr) return;
    for (HitRecord* head : {&selection->listAHead, &selection->listBHead}) {
        HitRecord* hit = head->next.get();
        for (int i = 0; hit != nullptr && !IsSelectionListEnd(hit) && i < kMaxListRecords; ++i) {
            HitRecord* next = hit->next.get();
            if (hit->owner.get() == owner) {
                UnlinkHitRecord(hit);
                FreeHitRecordChain(hit);
                FreeHitRecord(hit);
            }
            hit = next;
        }
    }
}

}  // namespace ql
