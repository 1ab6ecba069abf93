// The check the randomised editing drivers make after their steps: painting never
// changes the document. Each page is made the view's page (its beat maps built),
// the document's pool bytes taken, the whole page painted on a recording surface
// (with the music fonts and colour sets, made for the check when the test has
// none), and the pool bytes compared. Header only: the object, note and layout test
// programs take it.
#pragma once

#include <gtest/gtest.h>

#include <cstddef>
#include <vector>

#include "core/draw/colour_sets.h"
#include "core/draw/draw_surface.h"
#include "core/draw/fonts.h"
#include "core/memory/pool.h"
#include "core/model/pages.h"
#include "core/model/score_document.h"
#include "core/state.h"
#include "display/painter.h"
#include "notes/beatmap/beat_map.h"
#include "platform/gfx/dc.h"
#include "platform/gfx/recording.h"

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
    ScoreDocument* document = view->document;
    ScorePage* const page = view->currentPage;
    ScoreSystem* const system = view->currentSystem;
    const int pageView = view->pageView;
    const platform::DcHandle surface = gfx::CreateRecordingContext({});
    const platform::DcHandle savedPaint = State().drawing.PaintDC;
    const auto savedArea = State().display.painter.paintRect;
    const auto savedActive = State().display.painter.paintRectActive;
    const bool madeFonts = !State().drawing.MusicFont && CreateMusicFonts();
    const bool madeColours = !State().drawing.GreyPen && CreateColourSets();
    State().drawing.PaintDC = surface;
    view->pageView = 1;
    ::testing::AssertionResult result = ::testing::AssertionSuccess();
    int index = 0;
    for (ScorePage* p = document->firstPage; p != nullptr; p = p->next.get(), ++index) {
        view->currentPage = p;
        view->currentSystem = p->firstSystem.get();
        if (view->currentSystem == nullptr) continue;
        UpdateBeatMaps(view, 0);
        State().display.painter.paintRect = PaintArea{kLogicalOrigin, kLogicalOrigin, view->PageRight, view->PageBottom};
        State().display.painter.paintRectActive = 1;
        const std::vector<std::byte> before = DocumentPoolBytes(document);
        BeginViewDraw(view);
        DrawScoreContents(view);
        EndViewDraw(view);
        const std::vector<std::byte> after = DocumentPoolBytes(document);
        if (after != before) {
            size_t at = 0;
            while (at < before.size() && at < after.size() && before[at] == after[at]) ++at;
            result = ::testing::AssertionFailure() << "painting page index " << index << " changed the pools at byte " << at;
            break;
        }
    }
    State().drawing.PaintDC = savedPaint;
    State().display.painter.paintRect = savedArea;
    State().display.painter.paintRectActive = savedActive;
    gfx::DeleteContext(surface);
    if (madeColours) DeleteColourSets();
    if (madeFonts) DeleteMusicFonts();
    view->pageView = pageView;
    view->currentPage = page;
    view->currentSystem = system;
    UpdateBeatMaps(view, 0);
    return result;
}

}  // namespace ql::testing
