// Opening, reformatting, painting and saving a large score: 1,020 measures of two
// staves with a dynamic, a chord symbol, a slur and a text line in every measure,
// built and saved once; each pass opens the file, reformats every page, paints every
// page into an image and saves the score again. The baseline twin reads and writes the
// same file's bytes plainly and draws the same number of pages of bare shapes.
// Target: at most 4x; the whole pass should stay well under a second.
#include <benchmark/benchmark.h>
#include <stdlib.h>  // mkdtemp

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "core/draw/colour_sets.h"
#include "core/draw/draw_surface.h"
#include "core/draw/fonts.h"
#include "core/draw/view_metrics.h"
#include "core/memory/pool.h"
#include "core/model/grid.h"
#include "core/model/object_list.h"
#include "core/model/pages.h"
#include "core/objects/class_table.h"
#include "core/state.h"
#include "core/undo/undo.h"
#include "display/painter.h"
#include "display/view_location.h"
#include "files/bench/sixteenths_score.h"
#include "files/read/score_reader.h"
#include "files/score_file.h"
#include "layout/page_format.h"
#include "notes/beatmap/beat_map.h"
#include "notes/entry/note_delete.h"
#include "notes/handler/notes_handler.h"
#include "notes/rests/staff_place.h"
#include "notes/tests/beatmap/beatmap_score.h"
#include "objects/midi_marks/mark_classes.h"
#include "objects/object_services.h"
#include "objects/text_marks/text_line.h"
#include "platform/gfx/bitmap.h"
#include "platform/gfx/dc.h"
#include "platform/gfx/draw.h"
#include "platform/gfx/objects.h"
#include "platform/gfx/recording.h"

namespace ql {
namespace {

constexpr int kStaves = 2;
// Near the most measures a file stores (1,022): 34 pages x 10 systems x 3 measures.
constexpr int kMeasuresPerSystem = 3;
constexpr int kSystemsPerPage = 10;
constexpr int kPages = 34;
constexpr int kMeasures = kPages * kSystemsPerPage * kMeasuresPerSystem;
constexpr int kMarksPerMeasure = 4;
constexpr int kSurfaceSide = 2048;
// A painted page of this score makes at least this many drawing calls (staff lines
// of 20 staves, bar lines, the marks).
constexpr size_t kLeastCallsPerPage = 200;

// The score, saved in a scratch folder, and an image the pages paint into.
class LargeScoreFile {
  public:
    LargeScoreFile() {
        bench_files::ResetForScoreFiles();
        std::string pattern = "/tmp/ql-open-paint-bench-XXXXXX";
        folder_ = mkdtemp(pattern.data()) != nullptr ? pattern : "";
        view_ = InitView(AllocView());
        LinkView(view_);
        doc_ = AllocDocument();
        image_ = gfx::CreateImageBitmap(kSurfaceSide, kSurfaceSide);
        dc_ = gfx::CreateMemoryContext({});
        gfx::SelectObject(dc_, image_);
        target_ = dc_;
        if (folder_.empty() || !dc_) {
            Fail("no scratch folder or image");
            return;
        }
        if (!CreateMusicFonts() || !CreateColourSets()) {
            Fail("no music fonts or colour sets");
            return;
        }
        if (!beatmap_score::Build(doc_, view_, kStaves, std::vector<int>(kPages, kSystemsPerPage),
                                  kMeasuresPerSystem)) {
            Fail("the score could not be built");
            return;
        }
        if (!AddMarks()) return;
        doc_->path = folder_ + "/score.ql";
        State().files.QuietRead = 1;
        if (SaveScoreFile(doc_, view_) == 0) {
            Fail("the score could not be saved");
            return;
        }
        ok_ = true;
    }
    ~LargeScoreFile() {
        DeleteColourSets();
        DeleteMusicFonts();
        gfx::DeleteContext(dc_);
        gfx::DeleteObject(image_);
        FreeView(view_);
        FreeDocument(doc_);
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
        ResetProgramState();
        ResetObjectClassTable();
    }
    LargeScoreFile(const LargeScoreFile&) = delete;
    LargeScoreFile& operator=(const LargeScoreFile&) = delete;

    bool ok() const { return ok_; }
    ScoreView* view() const { return view_; }
    ScoreDocument* document() const { return doc_; }
    const char* failure() const { return failure_; }
    std::string Path() const { return doc_->path; }
    std::string CopyPath() const { return folder_ + "/copy.ql"; }
    platform::DcHandle dc() const { return dc_; }

    // The drawing calls of one pass's pages, on average: the pages painted once on a
    // recording surface. 0 when the pass failed.
    size_t CallsPerPage() {
        int pages = 0;
        const size_t calls = RecordedCalls([&] { pages = OpenLayoutPaintSave(); });
        return pages == kPages ? calls / kPages : 0;
    }
    // The drawing calls `paint` makes, on a recording surface instead of the image.
    template <typename Paint>
    size_t RecordedCalls(Paint paint) {
        const platform::DcHandle recording = gfx::CreateRecordingContext({});
        target_ = recording;
        paint();
        target_ = dc_;
        const size_t calls = gfx::RecordedCallCount(recording);
        gfx::DeleteContext(recording);
        return calls;
    }

    // Open, reformat, paint every page, save under the copy's name; the pages
    // painted, or -1 when the open or the save failed or a measure lost its marks.
    int OpenLayoutPaintSave() {
        ScoreLoad load = LoadScoreFile(Path());
        int pages = -1;
        if (load.code == 0 && load.document != nullptr &&
            CountMarks(load.document) == kMeasures * kMarksPerMeasure) {
            ScoreView* view = load.view;
            ScoreDocument* document = load.document;
            SetCurrentPoolSet(document->pools);
            view->pageView = 1;
            InitViewMetrics(view);
            ReformatOptions options;
            options.allPages = 1;
            options.reformat = 1;
            FormatPagesAfter(view, &options, document->firstPage);
            pages = PaintEveryPage(view);
            document->path = CopyPath();
            if (SaveScoreFile(document, view) == 0) pages = -1;
        }
        FreeLoadedScore(load);
        SetCurrentPoolSet(doc_->pools);
        return pages;
    }

  private:
    // A dynamic, a chord symbol, a slur and a text line in each measure of staff 1.
    bool AddMarks() {
        ScopedPoolSet pools(doc_->pools);
        for (int measure = 1; measure <= kMeasures; ++measure) {
            MeasureCell* cell = GetOrCreateMeasureCell(StaffRecordOf(doc_, 1), doc_, measure);
            ScoreObject* list = cell != nullptr ? GetOrCreateCellObjectList(cell) : nullptr;
            if (list == nullptr) return Fail("a measure has no cell"), false;
            ScoreObject* dynamic = ConstructObject(TypeCode(ObjectType::Dynamic));
            ScoreObject* chord = ConstructObject(TypeCode(ObjectType::Chord));
            ScoreObject* slur = ConstructObject(TypeCode(ObjectType::Slur));
            ScoreObject* line = ConstructTextLineWithText(view_, "dolce");
            if (dynamic == nullptr || chord == nullptr || slur == nullptr || line == nullptr)
                return Fail("a mark could not be made"), false;
            ConstructDynamicForView(dynamic, view_);
            SetGuitarChordGlyph(chord);
            for (ScoreObject* object : {dynamic, chord, slur, line})
                InsertObjectAfter(list, object);
        }
        return CountMarks(doc_) == kMeasures * kMarksPerMeasure ||
               (Fail("the marks are not in their measures"), false);
    }

    static int CountMarks(ScoreDocument* document) {
        int marks = 0;
        for (int measure = 1; measure <= kMeasures; ++measure) {
            MeasureCell* cell =
                GetOrCreateMeasureCell(StaffRecordOf(document, 1), document, measure);
            if (cell == nullptr || !cell->objects) continue;
            for (ScoreObject* o = cell->objects.get()->next.get(); o != nullptr; o = o->next.get())
                ++marks;
        }
        return marks;
    }

    // Every page made the view's page and painted whole, as the window paints it.
    int PaintEveryPage(ScoreView* view) {
        int painted = 0;
        for (ScorePage* p = view->document->firstPage; p != nullptr; p = p->next.get()) {
            view->currentPage = p;
            view->currentSystem = p->firstSystem.get();
            if (view->currentSystem == nullptr) continue;
            UpdateBeatMaps(view, 0);
            PaintArea(view, {kLogicalOrigin, kLogicalOrigin, view->PageRight, view->PageBottom});
            ++painted;
        }
        return painted;
    }

  public:
    // The view's page painted inside the area, as a window paints what was invalidated.
    void PaintArea(ScoreView* view, ql::PaintArea area) {
        State().drawing.PaintDC = target_;
        State().display.painter.paintRect = area;
        State().display.painter.paintRectActive = 1;
        BeginViewDraw(view);
        DrawScoreContents(view);
        EndViewDraw(view);
        State().drawing.PaintDC = {};
    }

  private:
    std::string folder_;
    ScoreView* view_ = nullptr;
    ScoreDocument* doc_ = nullptr;
    platform::BitmapHandle image_{};
    platform::DcHandle dc_{};
    platform::DcHandle target_{};
    bool ok_ = false;
    const char* failure_ = "";

    void Fail(const char* why) { failure_ = why; }
};

void BM_OpenLayoutPaintSave(benchmark::State& state) {
    LargeScoreFile score;
    if (!score.ok()) return state.SkipWithError(score.failure());
    const size_t calls = score.CallsPerPage();
    if (calls < kLeastCallsPerPage) return state.SkipWithError("the pages were not painted");
    for (auto _ : state)
        if (score.OpenLayoutPaintSave() != kPages)
            state.SkipWithError("a page was not painted, or the file not opened or saved");
    state.counters["calls_per_page"] = static_cast<double>(calls);
    state.SetLabel("target <= 4x");
}
BENCHMARK(BM_OpenLayoutPaintSave)->Unit(benchmark::kMillisecond);

// The file read and written whole, and as many pages of bare lines and rectangles,
// one shape for each drawing call a page of the score makes.
void BM_OpenLayoutPaintSave_Baseline(benchmark::State& state) {
    LargeScoreFile score;
    if (!score.ok()) return state.SkipWithError(score.failure());
    const size_t calls = score.CallsPerPage();
    if (calls < kLeastCallsPerPage) return state.SkipWithError("the pages were not painted");
    for (auto _ : state) {
        std::ifstream in(score.Path(), std::ios::binary);
        const std::vector<char> bytes{std::istreambuf_iterator<char>(in),
                                      std::istreambuf_iterator<char>()};
        std::ofstream out(score.CopyPath(), std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        out.close();
        if (bytes.empty() || !out) state.SkipWithError("the plain copy failed");
        for (int page = 0; page < kPages; ++page)
            for (size_t i = 0; i < calls; ++i) {
                const int32_t x = static_cast<int32_t>(i * 37 % kSurfaceSide);
                const int32_t y = static_cast<int32_t>(i * 53 % kSurfaceSide);
                if (i % 2 == 0) {
                    gfx::MoveTo(score.dc(), gfx::Point{x, y});
                    gfx::LineTo(score.dc(), gfx::Point{x + 200, y});
                } else {
                    gfx::Rectangle(score.dc(), gfx::Rect{x, y, x + 12, y + 9});
                }
            }
    }
    state.counters["calls_per_page"] = static_cast<double>(calls);
    state.SetLabel("baseline");
}
BENCHMARK(BM_OpenLayoutPaintSave_Baseline)->Unit(benchmark::kMillisecond);

// One note entered by a click of the Notes tool in measure 500 of the same score,
// in memory, and the measure's area repainted; the note is taken out again outside
// the timing. The baseline twin repaints the same area alone. Target: at most 3x,
// and well inside a 60 Hz frame (16.7 ms).
constexpr int kEditMeasure = 500;
constexpr int kBlackHeadGlyph = 72;
constexpr int32_t kBlackHead = 150;
constexpr int kEntryStep = -3;
constexpr int32_t kVisibleEdge = 32000;
constexpr int32_t kStaffSpace = 128;
constexpr int32_t kAreaMargin = 4 * kStaffSpace;  // room for stems, ledger lines, marks
constexpr int32_t kStaffHeight = 4 * kStaffSpace;
constexpr size_t kLeastAreaCalls = 5;

class EditScene {
  public:
    explicit EditScene(LargeScoreFile& score) : score_(score), view_(score.view()) {
        RegisterNotesHandlerClass();
        beatmap_score::SetAdvance(score.document(), kBlackHeadGlyph, kBlackHead);
        view_->visibleRect = gfx::Rect{kLogicalOrigin, kLogicalOrigin, kVisibleEdge, kVisibleEdge};
        view_->currentPage = PageOfMeasure(score.document(), kEditMeasure);
        Locate();
        UpdateBeatMaps(view_, 1);
        ClearUndoHistory(score.document());
        const ScoreSystem* system = view_->currentSystem;
        const int32_t staffTop = system->y + StaffOffsetsOf(system)[1];
        area_ = ql::PaintArea{MeasureSlotX(view_, system, view_->currentSlot) - kAreaMargin,
                              staffTop - kAreaMargin,
                              MeasureSlotX(view_, system, view_->currentSlot + 1) + kAreaMargin,
                              staffTop + kStaffHeight + kAreaMargin};
    }
    // On the measure, the pointer at its first tick, a space below the middle line.
    void Locate() {
        ScoreSystem* system = SystemOfMeasureInScore(view_, kEditMeasure);
        if (system != nullptr) SetCurrentSystemAndMeasureQuick(view_, system, 1, kEditMeasure);
        view_->pointerPoint = LogicalPoint{CurrentSlotX(view_) + BeatMapTickToX(view_, 0),
                                           PositionY(view_, kEntryStep)};
    }
    bool OnMeasure() const {
        return view_->currentCell != nullptr && view_->currentMeasure == kEditMeasure;
    }
    EventRecord* FirstNote() { return GetVoiceFirstEvent(view_->currentCell, 0); }
    void Repaint() { score_.PaintArea(view_, area_); }
    // The repaint draws the staff lines and the marks of the measure at least.
    bool RepaintDraws() {
        return score_.RecordedCalls([&] { Repaint(); }) >= kLeastAreaCalls;
    }
    ScoreView* view() const { return view_; }

  private:
    LargeScoreFile& score_;
    ScoreView* view_;
    ql::PaintArea area_{};
};

void BM_EditRedraw(benchmark::State& state) {
    LargeScoreFile score;
    if (!score.ok()) return state.SkipWithError(score.failure());
    EditScene scene(score);
    if (!scene.OnMeasure() || scene.FirstNote() != nullptr)
        return state.SkipWithError("measure 500 is not empty and current");
    if (!scene.RepaintDraws()) return state.SkipWithError("the repaint draws nothing");
    const ScoreObjectClass* handler = FindObjectClass(ClassOfType(ObjectType::Note));
    for (auto _ : state) {
        handler->CreateAtClick(nullptr, scene.view());
        scene.Repaint();
        state.PauseTiming();
        scene.Locate();
        EventRecord* note = scene.FirstNote();
        if (note == nullptr) {
            state.SkipWithError("the click entered no note");
            break;
        }
        DeleteNoteAndFollow(scene.view(), note);
        scene.Locate();
        state.ResumeTiming();
    }
    state.SetLabel("target <= 3x");
}
BENCHMARK(BM_EditRedraw)->Unit(benchmark::kMicrosecond);

void BM_EditRedraw_Baseline(benchmark::State& state) {
    LargeScoreFile score;
    if (!score.ok()) return state.SkipWithError(score.failure());
    EditScene scene(score);
    if (!scene.OnMeasure()) return state.SkipWithError("measure 500 is not current");
    if (!scene.RepaintDraws()) return state.SkipWithError("the repaint draws nothing");
    for (auto _ : state) scene.Repaint();
    state.SetLabel("baseline");
}
BENCHMARK(BM_EditRedraw_Baseline)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace ql
