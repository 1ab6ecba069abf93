// The document-isolation tests' scores and observations.
#include "shell/tests/program/isolation_scores.h"

#include <cairo.h>
#include <gtest/gtest.h>

#include <algorithm>

#include "core/memory/pool.h"
#include "core/model/document_context.h"
#include "core/model/score_document.h"
#include "core/state.h"
#include "files/score_file.h"
#include "layout/page/page_layout_resources.h"
#include "objects/guide/guide_class.h"
#include "platform/gfx/bitmap.h"
#include "platform/gfx/dc_access.h"
#include "platform/ui/headless.h"
#include "platform/win/message_loop.h"
#include "platform/win/paint.h"
#include "platform/win/window.h"
#include "shell/program/frame.h"
#include "shell/program/program_ids.h"
#include "shell/program/score_windows.h"
#include "staves/clef_changes.h"
#include "staves/key_changes.h"

namespace ql::testing::isolation {

std::string SaveTwoStaffScore(const std::filesystem::path& path) {
    ScoreView* view = NewScoreFromMenu(2);
    if (view == nullptr) return {};
    if (StepClefAndKey(view, 2, 1, -3) != 2) return {};
    {
        const ScopedDocumentContext context(view);
        if (CreateGuideFromRuler(view, true) == nullptr) return {};
        view->document->path = path.string();
        if (SaveScoreFile(view->document, view) != 1) return {};
    }
    ForceCloseScoreWindow(view->ViewWindow);
    return path.string();
}

ScoreView* NewScoreFromMenu(int staves) {
    ui::headless::SetDialogScript(new_manuscript_dialog::kNewManuscriptDialog, [staves](ui::headless::DialogDriver& d) {
        d.Type(new_manuscript_dialog::kStaves, std::to_string(staves));
        d.Click(ui::kIdOk);
    });
    ScoreView* before = State().documents.ActiveView;
    win::SendMessage(Frame().window, win::Message::Command, win::MakeCommandWord(cmd::kFileNew, 0));
    ScoreView* view = State().documents.ActiveView;
    return view != before ? view : nullptr;
}

int StepClefAndKey(ScoreView* view, int staff, int clefStep, int keyStep) {
    const ScopedDocumentContext context(view);
    view->currentStaff = staff;
    view->currentMeasure = 1;
    return StepClef(view, clefStep) + StepKey(view, keyStep);
}

std::vector<uint32_t> PaintedPixels(ScoreView* view) {
    win::InvalidateRect(view->ViewWindow, nullptr, true);
    win::UpdateWindow(view->ViewWindow);
    const gfx::Rect client = win::GetClientRect(view->ViewWindow);
    std::vector<uint32_t> pixels{static_cast<uint32_t>(client.right), static_cast<uint32_t>(client.bottom)};
    cairo_surface_t* surface = gfx::BitmapSurfaceForDisplay(win::GetWindowImage(view->ViewWindow));
    if (surface == nullptr) return pixels;
    cairo_surface_flush(surface);
    const int width = std::min(client.right, cairo_image_surface_get_width(surface));
    const int height = std::min(client.bottom, cairo_image_surface_get_height(surface));
    const int stride = cairo_image_surface_get_stride(surface);
    const unsigned char* data = cairo_image_surface_get_data(surface);
    for (int y = 0; y < height; ++y) {
        const auto* row = reinterpret_cast<const uint32_t*>(data + static_cast<ptrdiff_t>(y) * stride);
        pixels.insert(pixels.end(), row, row + width);
    }
    return pixels;
}

std::vector<uint8_t> PoolBytes(const ScoreDocument* document) {
    std::vector<uint8_t> bytes;
    const auto append = [&](const void* from, size_t count) {
        const auto* start = static_cast<const uint8_t*>(from);
        bytes.insert(bytes.end(), start, start + count);
    };
    for (const RecordPool& pool : document->pools.pools) {
        append(&pool, sizeof pool);
        for (int block = 0; block < pool.blockCount; ++block)
            append(pool.blocks[block].base.get(), BlockLiveBytes(pool, block));
    }
    append(&document->header, sizeof document->header);
    append(document->internalDistances, sizeof document->internalDistances);
    return bytes;
}

int DrawNoticeCount() {
    int count = 0;
    for (const ui::headless::StatusTextRecord& record : ui::headless::StatusTexts())
        if (record.text.find("[DRAW") != std::string::npos) ++count;
    return count;
}

}  // namespace ql::testing::isolation
