// Benchmarks of the marquee's inversion.
// A 1,500 x 1,500-pixel marquee moved by one unit (one pixel at zoom 128) back and
// forth on its window's backing store, each move inverting only the strips that
// changed. Its baseline in the same run inverts the old and the new rectangle whole
// for the same moves. Target: at most 0.05x the baseline.
#include <benchmark/benchmark.h>

#include <vector>

#include "core/draw/draw_surface.h"
#include "core/draw/view_glyph_bitmaps.h"
#include "core/memory/pool.h"
#include "core/model/view.h"
#include "core/objects/class_table.h"
#include "core/settings/preference_defaults.h"
#include "core/state.h"
#include "editing/marquee.h"
#include "notes/tests/beatmap/beatmap_score.h"
#include "platform/tests/win/plain_window.h"
#include "platform/ui/headless.h"
#include "platform/win/headless.h"

namespace ql {
namespace {

constexpr int kScreenDpi = 96;
constexpr int32_t kZoom = 128;  // one logical unit to a pixel
constexpr int kWindowSide = 1600;
constexpr int32_t kMarqueeSide = 1500;
constexpr int32_t kInset = 40;  // the marquee stands this far inside the window

// A one-staff score in a window at zoom 128, its surface open.
class MarqueeBench {
  public:
    MarqueeBench() {
        ResetProgramState();
        InitStaticPoolSet();
        ui::headless::ResetUi();
        win::headless::ResetWindowLayer();
        ResetObjectClassTable();
        ResetPreferenceDefaults();
        window_ = ::ql::testing::OpenPlainWindow("QLMarqueeBench", kWindowSide, kWindowSide);
        State().drawing.ScreenDpiX = State().drawing.ScreenDpiY = kScreenDpi;
        view_ = InitView(AllocView());
        LinkView(view_);
        doc_ = AllocDocument();
        ok_ = beatmap_score::Build(doc_, view_, 1, {1}, 4);
        view_->ViewWindow = window_;
        view_->zoom = kZoom;
        view_->pageView = 1;
        view_->pageOrigin[0] = view_->pageOrigin[1] = kLogicalOrigin;
        BeginViewDraw(view_);
        ok_ = ok_ && view_->ViewDC;
    }
    ~MarqueeBench() {
        EndViewDrawAll(view_);
        ReleaseViewDrawing(view_);
        FreeView(view_);
        FreeDocument(doc_);
        ResetProgramState();
        win::headless::ResetWindowLayer();
    }
    MarqueeBench(const MarqueeBench&) = delete;
    MarqueeBench& operator=(const MarqueeBench&) = delete;

    bool ok() const { return ok_; }
    ScoreView* view() { return view_; }
    // The marquee, `shift` units right of its first place.
    static gfx::Rect At(int32_t shift) {
        const int32_t left = kLogicalOrigin + kInset + shift;
        const int32_t top = kLogicalOrigin + kInset;
        return gfx::Rect{left, top, left + kMarqueeSide, top + kMarqueeSide};
    }

  private:
    platform::WindowHandle window_{};
    ScoreView* view_ = nullptr;
    ScoreDocument* doc_ = nullptr;
    bool ok_ = false;
};

void BM_UpdateInvertedMarquee(benchmark::State& state) {
    MarqueeBench bench;
    if (!bench.ok()) {
        state.SkipWithError("the score window could not be had");
        return;
    }
    gfx::Rect inverted{};
    UpdateInvertedMarquee(bench.view(), MarqueeBench::At(0), &inverted);
    int32_t shift = 0;
    for (auto _ : state) {
        shift ^= 1;
        UpdateInvertedMarquee(bench.view(), MarqueeBench::At(shift), &inverted);
    }
    benchmark::DoNotOptimize(inverted);
    state.SetLabel("target <= 0.05x");
}
BENCHMARK(BM_UpdateInvertedMarquee)->Unit(benchmark::kMicrosecond);

void BM_UpdateInvertedMarquee_Baseline(benchmark::State& state) {
    MarqueeBench bench;
    if (!bench.ok()) {
        state.SkipWithError("the score window could not be had");
        return;
    }
    gfx::Rect inverted{};
    UpdateInvertedMarquee(bench.view(), MarqueeBench::At(0), &inverted);
    int32_t shift = 0;
    for (auto _ : state) {
        shift ^= 1;
        UpdateInvertedMarquee(bench.view(), gfx::Rect{}, &inverted);  // the old one whole
        UpdateInvertedMarquee(bench.view(), MarqueeBench::At(shift), &inverted);  // the new one whole
    }
    benchmark::DoNotOptimize(inverted);
    state.SetLabel("baseline");
}
BENCHMARK(BM_UpdateInvertedMarquee_Baseline)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace ql
