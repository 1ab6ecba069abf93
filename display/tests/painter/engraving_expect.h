// The engraving check as the tests and their seeded drivers take it: a clean score
// gives no finding. Kinds a driver holds back are named at its call with the reason;
// every other kind fails the test with its findings listed. Header only: the
// object, note, layout and import test programs take it.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <initializer_list>
#include <vector>

#include "display/engraving_check.h"

namespace ql::testing {

inline ::testing::AssertionResult EngravingIsClean(ScoreView* view,
                                                   std::initializer_list<FindingKind> heldBack = {}) {
    constexpr size_t kListed = 8;
    std::vector<EngravingFinding> shown;
    for (const EngravingFinding& f : CheckEngraving(view))
        if (std::find(heldBack.begin(), heldBack.end(), f.kind) == heldBack.end()) shown.push_back(f);
    if (shown.empty()) return ::testing::AssertionSuccess();
    ::testing::AssertionResult result = ::testing::AssertionFailure();
    int byKind[kFindingKindCount] = {};
    for (const EngravingFinding& f : shown) ++byKind[static_cast<int>(f.kind)];
    result << shown.size() << " engraving finding(s) (";
    for (int kind = 0, listed = 0; kind < kFindingKindCount; ++kind)
        if (byKind[kind] != 0)
            result << (listed++ != 0 ? ", " : "") << FindingKindName(static_cast<FindingKind>(kind)) << " " << byKind[kind];
    result << "):";
    for (size_t i = 0; i < shown.size() && i < kListed; ++i) result << "\n  " << DescribeFinding(shown[i]);
    return result;
}

}  // namespace ql::testing
