// Set-up of the painter tests.
#include "core/draw/draw_surface.h"
#include "core/draw/view_metrics.h"
#include "core/model/engraving_metrics.h"
#include "core/model/object_list.h"
#include "core/model/pages.h"
#include "core/state.h"
#include "display/linked_views.h"
#include "display/painter.h"
#include "display/tests/painter/painter_fixture.h"
#include "notes/beatmap/beat_map.h"
#include "notes/tests/beatmap/beatmap_score.h"
#include "platform/gfx/bitmap.h"
#include "platform/gfx/mapping.h"
#include "platform/ui/headless.h"
#include "platform/win/paint.h"
#include "platform/win/window.h"

namespace ql::testing_painter {

namespace {

constexpr int kWindowWidth = 1200;
constexpr int kWindowHeight = 1000;
constexpr int32_t kSystemBand = 1024;

}  // namespace

void RecordingClass::Record(ScoreObject* object, ScoreView* view, char operation) const {
    calls.push_back(Call{object, view->currentPage, operation,
                         State().display.painter.drawingMasterItems,
                         State().layout.ContinuationOnly, State().drawing.PagePaintingFlag});
}

void PainterTest::SetUp() {
    SysDrawTest::SetUp();
    for (int type = 0; type <= kLastObjectType; ++type)
        RegisterObjectClass(ClassOfType(static_cast<ObjectType>(type)), &recorder_);
}

void PainterTest::TearDown() {
    State().drawing.PaintDC = platform::DcHandle{};
    SysDrawTest::TearDown();
}

void PainterTest::BuildPages(int staves, int pages, int systems, int perSystem, int32_t zoom) {
    ASSERT_TRUE(
        beatmap_score::Build(doc_, view_, staves, std::vector<int>(pages, systems), perSystem));
    // Engraving metrics of the system-drawing pictures.
    doc_->internalDistances[static_cast<int>(EngravingMetric::StaffLineWid)] =
        testing_sysdraw::kStaffLineWidth;
    doc_->internalDistances[static_cast<int>(EngravingMetric::BarLineWid)] =
        testing_sysdraw::kBarLineWidth;
    for (int m = 0; m < MaxMeasures; ++m) Measure(m)->number = static_cast<uint16_t>(m);
    // Systems one staff band apart, so that no two overlap.
    const int32_t pitch = (staves + 1) * kSystemBand;
    for (ScorePage* page = doc_->firstPage; page != nullptr; page = page->next.get()) {
        ScoreSystem* system = page->firstSystem.get();
        for (int i = 0; i < page->systemCount && system != nullptr;
             ++i, system = system->next.get())
            system->y = kLogicalOrigin + kSystemBand * 2 + i * pitch;
        if (!page->margins) page->margins = Ref32<ScoreObject>::To(AllocRootObject());
    }
    for (ScorePage* master : {doc_->leftMaster, doc_->rightMaster})
        if (!master->margins) master->margins = Ref32<ScoreObject>::To(AllocRootObject());
    view_->pageObjects = nullptr;
    view_->ViewWindow = window_;
    view_->pageView = 1;
    win::MoveWindow(window_, win::Rect{0, 0, kWindowWidth, kWindowHeight}, false);
    SetZoom(zoom);
    UpdateBeatMaps(view_, 1);
}

void PainterTest::PaintWindow(const win::Rect* rect) {
    win::InvalidateRect(window_, rect, true);
    PaintScoreWindow(view_);
    // The paint cycle validated the window.
    EXPECT_TRUE(win::GetUpdateRect(window_).IsEmpty());
}

std::vector<uint32_t> PainterTest::Pixels() const {
    std::vector<uint32_t> out;
    const platform::BitmapHandle image = win::GetWindowImage(window_);
    for (int y = 0; y < Height(); ++y)
        for (int x = 0; x < Width(); ++x) out.push_back(gfx::GetBitmapPixel(image, x, y));
    return out;
}

int PainterTest::Width() const {
    return win::GetClientRect(window_).right;
}

int PainterTest::Height() const {
    return win::GetClientRect(window_).bottom;
}

ScoreObject* PainterTest::AddObject(ObjectType type, ScoreObject* after) {
    ScoreObject* object = AllocRootObject();
    if (object == nullptr) return nullptr;
    object->type = TypeCode(type);
    object->classId = ClassOfType(type);
    if (after != nullptr) InsertObjectAfter(after, object);
    return object;
}

int PainterTest::DrawNotices() const {
    // Each notice beeps once (a repeated text does not change the status bar).
    return static_cast<int>(ui::headless::Beeps().size());
}

}  // namespace ql::testing_painter
