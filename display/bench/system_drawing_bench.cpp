// System-drawing and text benchmarks.
// System: one system of 10 staves and 8 measures (no notes; a brace, a bracket,
// barline groups, double, repeat and thick barlines, measure numbers) drawn into the
// score window's image at zoom 20, against a baseline in the same run that draws the
// same lines, filled strokes, glyphs and numbers (taken from the grid's ink log of one
// drawing) directly through platform/gfx and platform/text. The signs at the system's
// start are left out (the staves code draws them, outside the ink log) so that both
// sides draw the same. Target: at most 2x.
// Text: TextExtentInCharset on 1,000 strings of 20 characters in code page 1251,
// against measuring the same strings as UTF-16 directly. Target: at most 1.5x.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>
#include <vector>

#include "core/draw/colour_sets.h"
#include "core/draw/draw_surface.h"
#include "core/draw/fonts.h"
#include "core/draw/staff_scaling.h"
#include "core/draw/view_glyph_bitmaps.h"
#include "core/draw/view_metrics.h"
#include "core/model/engraving_metrics.h"
#include "core/model/pages.h"
#include "core/model/view.h"
#include "core/objects/class_table.h"
#include "core/settings/preference_defaults.h"
#include "core/state.h"
#include "core/text/charset_text.h"
#include "display/system_drawing.h"
#include "display/system_drawing_test_seam.h"
#include "notes/beatmap/beat_map.h"
#include "notes/tests/beatmap/beatmap_score.h"
#include "platform/gfx/bitmap.h"
#include "platform/gfx/dc.h"
#include "platform/gfx/draw.h"
#include "platform/gfx/mapping.h"
#include "platform/gfx/objects.h"
#include "platform/sys/folders.h"
#include "platform/tests/win/plain_window.h"
#include "platform/text/code_page.h"
#include "platform/text/font.h"
#include "platform/text/text_metrics.h"
#include "platform/text/text_out.h"
#include "platform/ui/headless.h"
#include "platform/win/headless.h"
#include "staves/staff_group_bits.h"

namespace ql {
namespace {

using sysdraw::test_seam::GridInk;
using sysdraw::test_seam::GridInkKind;

constexpr int kKeyC = 7;
constexpr int kScreenDpi = 96;
constexpr int32_t kZoom = 20;
constexpr int kStaves = 10;
constexpr int kMeasures = 8;
constexpr int32_t kMarginUnits = 1024;
constexpr uint8_t kNoSigns = kSystemStaffNoClef | kSystemStaffNoKey | kSystemStaffNoTime;
constexpr int kStrings = 1000;
constexpr int kStringLength = 20;
constexpr uint8_t kCyrillic = 204;

// The benchmark score in its window, with fonts and metrics; freed with it.
class SystemBench {
  public:
    SystemBench() {
        ResetProgramState();
        InitStaticPoolSet();
        ui::headless::ResetUi();
        win::headless::ResetWindowLayer();
        ResetObjectClassTable();
        ResetPreferenceDefaults();
        ProgramPreferences().key = kKeyC;
        window_ = ::ql::testing::OpenPlainWindow("QLMdiChild", 64, 64);
        State().drawing.ScreenDpiX = State().drawing.ScreenDpiY = kScreenDpi;
        view_ = InitView(AllocView());
        LinkView(view_);
        doc_ = AllocDocument();
        const auto font = sys::ProgramFolder() / "Glyphora.ttf";
        ok_ = std::filesystem::exists(font) && CreateMusicFonts() &&
              beatmap_score::Build(doc_, view_, kStaves, {1}, kMeasures) && Prepare();
    }
    ~SystemBench() {
        sysdraw::test_seam::SetGridInkLog(nullptr);
        EndViewDrawAll(view_);
        ReleaseViewDrawing(view_);
        ReleaseDrawingGlobals(1);
        DeleteMusicFonts();
        DeleteColourSets();
        FreeView(view_);
        FreeDocument(doc_);
        ResetProgramState();
    }
    SystemBench(const SystemBench&) = delete;
    SystemBench& operator=(const SystemBench&) = delete;

    bool ok() const { return ok_; }
    ScoreView* view() const { return view_; }
    void Draw() {
        BeginViewDraw(view_);
        DrawSystemAllStaves(view_);
        EndViewDraw(view_);
    }

  private:
    void Group(GroupKind kind, int first, int last) {
        for (int s = first; s <= last; ++s) {
            StaffRecord& staff = *doc_->staves->staves[s].get();
            SetJoinsStaffAbove(staff, kind, s > first);
            SetJoinsStaffBelow(staff, kind, s < last);
        }
    }
    bool Prepare() {
        doc_->internalDistances[static_cast<int>(EngravingMetric::StaffLineWid)] = 12;
        doc_->internalDistances[static_cast<int>(EngravingMetric::Bracket)] = 160;
        doc_->internalDistances[static_cast<int>(EngravingMetric::Brace)] = 320;
        Group(GroupKind::Brace, 1, 2);
        Group(GroupKind::Barline, 1, 2);
        Group(GroupKind::Bracket, 3, 6);
        Group(GroupKind::Barline, 3, 6);
        const uint8_t kinds[] = {0, 0, 0, 1, 5, 6, 7, 4, 2, 3};
        for (int m = 0; m <= kMeasures + 1; ++m) {
            MeasureRecordOf(doc_, m)->barline = kinds[m];
            MeasureRecordOf(doc_, m)->number = static_cast<uint16_t>(m);
        }
        ScoreSystem* system = doc_->firstPage->firstSystem.get();
        for (int s = 1; s <= kStaves; ++s) StaffFlagsOf(system)[s] = kNoSigns;
        view_->ViewWindow = window_;
        view_->pageView = 1;
        view_->zoom = kZoom;
        InitViewMetrics(view_);
        UpdateBeatMaps(view_, 1);
        view_->currentSystem = system;
        const int32_t right = MeasureSlotX(view_, system, kMeasures + 1) + kMarginUnits;
        const int32_t bottom = system->y + StaffOffsetsOf(system)[kStaves] + kMarginUnits;
        auto device = [](int32_t v) { return (v - kLogicalOrigin) * kZoom / kUnitsPerStaffSpace; };
        win::MoveWindow(window_, win::Rect{0, 0, device(right), device(bottom)}, false);
        InitViewMetrics(view_);
        UpdateBeatMaps(view_, 1);
        return true;
    }

    win::WindowHandle window_{};
    ScoreView* view_ = nullptr;
    ScoreDocument* doc_ = nullptr;
    bool ok_ = false;
};

void BM_System(benchmark::State& state) {
    SystemBench bench;
    if (!bench.ok()) {
        state.SkipWithError("the score or the music font could not be had");
        return;
    }
    bench.Draw();
    for (auto _ : state) bench.Draw();
    state.SetLabel("target <= 2x");
}
BENCHMARK(BM_System)->Unit(benchmark::kMicrosecond);

// The same ink straight onto the context: lines, filled strokes, glyphs in the music
// font (braces in their own font), numbers and dotted lines.
void Replay(ScoreView* view, const std::vector<GridInk>& inks, platform::PenHandle dotted) {
    platform::DcHandle dc = view->ViewDC;
    gfx::SelectObject(dc, gfx::GetStockBrush(gfx::StockBrush::Black));
    gfx::SelectObject(dc, State().drawing.MusicFont);
    for (const GridInk& ink : inks) {
        switch (ink.kind) {
            case GridInkKind::Line:
                gfx::MoveTo(dc, gfx::Point{ink.x1, ink.y1});
                gfx::LineTo(dc, gfx::Point{ink.x2, ink.y2});
                break;
            case GridInkKind::Filled:
                gfx::PatternBlit(dc, gfx::Rect{ink.x1, ink.y1, ink.x1 + ink.width + 1, ink.y1 + ink.height + 1},
                                 gfx::RasterOp::PatternCopy);
                break;
            case GridInkKind::Glyph: {
                const char code = static_cast<char>(ink.code);
                text::TextOutA(dc, gfx::Point{ink.x1, ink.y1}, std::string_view(&code, 1));
                break;
            }
            case GridInkKind::Text:
                text::TextOutW(dc, gfx::Point{ink.x1, ink.y1},
                               text::CodePageToUtf16(1252, std::to_string(ink.number)));
                break;
            case GridInkKind::DottedLine: {
                const platform::PenHandle previous = gfx::SelectObject(dc, dotted);
                gfx::MoveTo(dc, gfx::Point{ink.x1, ink.y1});
                gfx::LineTo(dc, gfx::Point{ink.x2, ink.y2});
                gfx::SelectObject(dc, previous);
                break;
            }
        }
    }
}

void BM_System_Baseline(benchmark::State& state) {
    SystemBench bench;
    if (!bench.ok()) {
        state.SkipWithError("the score or the music font could not be had");
        return;
    }
    std::vector<GridInk> inks;
    sysdraw::test_seam::SetGridInkLog(&inks);
    bench.Draw();
    sysdraw::test_seam::SetGridInkLog(nullptr);
    const platform::PenHandle dotted = gfx::CreatePen(gfx::PenStyle::Dot, 1, gfx::kBlack);
    ScoreView* view = bench.view();
    for (auto _ : state) {
        BeginViewDraw(view);
        Replay(view, inks, dotted);
        EndViewDraw(view);
    }
    gfx::DeleteObject(platform::AnyObjectHandle{dotted});
    state.counters["calls"] = static_cast<double>(inks.size());
}
BENCHMARK(BM_System_Baseline)->Unit(benchmark::kMicrosecond);

// 1,000 strings of 20 Cyrillic letters, as 1251 bytes and as UTF-16, with a context
// holding a 12-point sans font.
class TextBench {
  public:
    TextBench() {
        ResetProgramState();
        bitmap_ = gfx::CreateImageBitmap(64, 64);
        dc_ = gfx::CreateMemoryContext({});
        gfx::SelectObject(dc_, bitmap_);
        text::LogicalFont request;
        request.height = -16;
        request.charset = kCyrillic;
        request.SetFace("DejaVu Sans");
        font_ = text::CreateFontIndirect(request);
        gfx::SelectObject(dc_, font_);
        for (int i = 0; i < kStrings; ++i) {
            std::u16string line;
            for (int k = 0; k < kStringLength; ++k)
                line.push_back(static_cast<char16_t>(u'\u0410' + (i * 7 + k * 3) % 64));
            wide_.push_back(line);
            bytes_.push_back(text::Utf16ToCodePage(1251, line));
        }
    }
    ~TextBench() {
        gfx::SelectObject(dc_, text::DefaultFont());
        text::DeleteFont(font_);
        gfx::DeleteContext(dc_);
        gfx::DeleteObject(platform::AnyObjectHandle{bitmap_});
        ResetProgramState();
    }
    TextBench(const TextBench&) = delete;
    TextBench& operator=(const TextBench&) = delete;

    platform::DcHandle dc() const { return dc_; }
    const std::vector<std::string>& bytes() const { return bytes_; }
    const std::vector<std::u16string>& wide() const { return wide_; }

  private:
    platform::BitmapHandle bitmap_{};
    platform::DcHandle dc_{};
    platform::FontHandle font_{};
    std::vector<std::string> bytes_;
    std::vector<std::u16string> wide_;
};

void BM_Text(benchmark::State& state) {
    TextBench bench;
    for (auto _ : state) {
        int64_t total = 0;
        for (const std::string& line : bench.bytes()) {
            gfx::Size size;
            TextExtentInCharset(kCyrillic, bench.dc(), line.data(), static_cast<int>(line.size()), &size);
            total += size.cx;
        }
        benchmark::DoNotOptimize(total);
    }
    state.SetLabel("target <= 1.5x");
}
BENCHMARK(BM_Text)->Unit(benchmark::kMicrosecond);

void BM_Text_Baseline(benchmark::State& state) {
    TextBench bench;
    for (auto _ : state) {
        int64_t total = 0;
        for (const std::u16string& line : bench.wide()) {
            gfx::Size size;
            text::GetTextExtentW(bench.dc(), line, &size);
            total += size.cx;
        }
        benchmark::DoNotOptimize(total);
    }
}
BENCHMARK(BM_Text_Baseline)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace ql
