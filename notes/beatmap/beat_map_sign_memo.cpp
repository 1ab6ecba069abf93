// The memo of a SignLayoutScope (beat_map.h): the start-of-measure signs kept per
// measure for the three cases a row can meet (the measure starting its system, a
// later slot inside its system, a later slot past the system's end), for one
// document while its measure and staff counts stay as they were when the scope began.
#include <vector>

#include "core/model/document.h"
#include "notes/beatmap/beat_map.h"
#include "notes/beatmap/beat_map_internal.h"

namespace ql {

struct SignLayoutMemo {
    const ScoreDocument* document = nullptr;
    int measureCount = 0;
    int staffCount = 0;
    std::vector<beatmap::SignMemoEntry> entries;  // kSignCases per measure
};

namespace {

// The memo of the innermost scope (null outside any).
SignLayoutMemo* g_signMemo = nullptr;

}  // namespace

SignLayoutScope::SignLayoutScope(const ScoreDocument* document)
    : memo_(std::make_unique<SignLayoutMemo>()), saved_(g_signMemo) {
    if (document != nullptr) {
        memo_->document = document;
        memo_->measureCount = document->header.measureCount;
        memo_->staffCount = document->header.staffCount;
    }
    g_signMemo = memo_.get();
}

SignLayoutScope::~SignLayoutScope() {
    g_signMemo = saved_;
}

}  // namespace ql

namespace ql::beatmap {

SignMemoEntry* SignMemoOf(const ScoreDocument* document, int measure, SignCase signCase) {
    SignLayoutMemo* memo = g_signMemo;
    if (memo == nullptr || document == nullptr || memo->document != document ||
        memo->measureCount != document->header.measureCount ||
        memo->staffCount != document->header.staffCount || measure < 0 || measure >= MaxMeasures)
        return nullptr;
    if (memo->entries.empty()) memo->entries.resize(size_t{kSignCases} * MaxMeasures);
    return &memo->entries[size_t{kSignCases} * measure + static_cast<size_t>(signCase)];
}

}  // namespace ql::beatmap
