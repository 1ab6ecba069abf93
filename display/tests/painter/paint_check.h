// The check the randomised editing drivers make after their steps: painting never
// changes the document. Each page is made the view's page (its beat maps built),
// the document's pool bytes taken, the whole page painted on a recording surface
// (with the music fonts and colour sets, made for the check when the test has
// none), and the pool bytes compared. Header only: the object, note and layout test
// programs take it.
#pragma once

#include <gtest/gtest.h>

#include <cstddef>
#include <functional>
#include <vector>

#include "core/memory/pool.h"
#include "core/model/score_document.h"
#include "display/engraving_check.h"

namespace ql::testing {

// Every pool's descriptor and the live bytes of its blocks.
inline std::vector<std::byte> DocumentPoolBytes(const ScoreDocument* document) {
    std::vector<std::byte> bytes;
    for (const RecordPool& pool : document->pools.pools) {
        const auto* descriptor = reinterpret_cast<const std::byte*>(&pool);
        bytes.insert(bytes.end(), descriptor, descriptor + sizeof pool);
        for (int b = 0; b < pool.blockCount; ++b) {
            const std::byte* base = pool.blocks[b].base.get();
            if (base != nullptr) bytes.insert(bytes.end(), base, base + BlockLiveBytes(pool, b));
        }
    }
    return bytes;
}

// Paints every page of the view's document in turn; fails at the first page whose
// paint changed a pool byte. The view is put back on its page and system.
inline ::testing::AssertionResult PaintingEveryPageChangesNothing(ScoreView* view) {
    ::testing::AssertionResult result = ::testing::AssertionSuccess();
    PaintEachPage(view, [&](ScorePage*, int index, platform::DcHandle, const std::function<void()>& paint) {
        const std::vector<std::byte> before = DocumentPoolBytes(view->document);
        paint();
        const std::vector<std::byte> after = DocumentPoolBytes(view->document);
        if (after == before) return true;
        size_t at = 0;
        while (at < before.size() && at < after.size() && before[at] == after[at]) ++at;
        result = ::testing::AssertionFailure() << "painting page index " << index - 1 << " changed the pools at byte "
                                               << at;
        return false;
    });
    return result;
}

}  // namespace ql::testing
