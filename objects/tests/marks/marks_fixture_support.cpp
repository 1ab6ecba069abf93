// Set-up and helpers of the mark tests (see marks_fixture.h).
#include "objects/tests/marks/marks_fixture.h"

#include "core/draw/colour_sets.h"
#include "core/draw/draw_surface.h"
#include "core/model/beat_map_record.h"
#include "core/model/pages.h"
#include "core/objects/class_table.h"
#include "core/objects/hit_record.h"
#include "core/objects/midi_action_text.h"
#include "core/objects/selection_state.h"
#include "core/settings/program_options.h"
#include "core/settings/setting_values.h"
#include "core/state.h"
#include "core/ui/status_bar.h"
#include "core/ui/status_bar_notes.h"
#include "core/undo/undo.h"
#include "display/view_location.h"
#include "notes/beatmap/beat_map.h"
#include "notes/tests/beatmap/beatmap_score.h"
#include "objects/midi_marks/mark_dialog_resources.h"
#include "objects/midi_marks/mark_tools.h"
#include "objects/stored_classes.h"
#include "objects/text_marks/text_dialog_resources.h"
#include "platform/gfx/draw.h"
#include "platform/gfx/objects.h"
#include "platform/ui/headless.h"
#include "platform/win/input.h"
#include "platform/win/window.h"

namespace ql::testing_marks {
namespace {

constexpr int kFrameWidth = 800;
constexpr int kFrameHeight = 600;
constexpr int kWindowWidth = 2000;
constexpr int kWindowHeight = 800;
constexpr int32_t kMiddleLineOffset = 256;  // two staff spaces below the top line

void OpenStatusBar() {
    win::WindowClass frameClass;
    frameClass.name = "MarksFrame";
    frameClass.procedure = win::DefaultWindowProc;
    win::RegisterWindowClass(frameClass);
    win::WindowParams params;
    params.className = "MarksFrame";
    params.style = win::kStyleVisible | win::kStyleOverlappedWindow;
    params.rect = {0, 0, kFrameWidth, kFrameHeight};
    const platform::WindowHandle frame = win::CreateWindow(params);
    State().dialogs.FrameWindow = frame;
    CreateStatusBar(frame);
    LayoutStatusBar(frame);
}

}  // namespace

void MarksTest::SetUp() {
    OpenScene([] {
        RegisterTextObjectClasses();
        RegisterMidiTextObjectClass();
        RegisterStoredObjectClasses();
    });
    ResetProgramOptions();
    ResetMarkTools();
    ASSERT_NE(CreateSelectionState(), nullptr);
    OpenStatusBar();
}

void MarksTest::TearDown() {
    CloseScene([] { DestroySelectionState(); });
    ResetMarkTools();
    ResetProgramOptions();
}

void MarksTest::BuildScoreForTools(int32_t handleHalf) {
    BuildScore(1);
    State().documents.ActiveView = view_;
    SetHandleSize(handleHalf);
    win::SetFocus(window_);
}

void MarksTest::BuildScore(int staves, int systems) {
    ASSERT_TRUE(beatmap_score::Build(doc_, view_, staves, {systems}, kMeasuresPerSystem));
    // The document's text styles as a new score takes them from the preferences.
    for (int slot = 0; slot < kScoreFontCount; ++slot)
        if (std::optional<QuickFontRecord> font = ParseQuickFont(BuiltInQuickFont(slot), static_cast<uint8_t>(slot)))
            doc_->fonts[slot] = *font;
    ASSERT_TRUE(CreateColourSets());
    view_->ViewWindow = window_;
    view_->pageView = 1;
    SizeWindow(kWindowWidth, kWindowHeight);
    SetZoom(kMarksZoom);
    UpdateBeatMaps(view_, 1);
    SetCurrentMeasure(view_, 1, 1);
    ClearUndoHistory(doc_);
}

LogicalPoint MarksTest::PointIn(int staff, int measure, int32_t x) {
    SetCurrentMeasure(view_, staff, measure);
    const ScoreSystem* system = view_->currentSystem;
    const int32_t left = system->x + view_->beatMap.slotX[BeatMapCell(system->number, view_->currentSlot)];
    return LogicalPoint{left + x, system->y + StaffOffsetsOf(system)[staff] + kMiddleLineOffset};
}

void MarksTest::PointAt(LogicalPoint point) {
    view_->pointerPoint = point;
    SetLocationFromPoint(view_, point);
    view_->pointerPoint = point;
}

ScoreObject* MarksTest::Place(ObjectType type, LogicalPoint point) {
    PointAt(point);
    ScoreObject* prototype = Prototype(type);
    EXPECT_NE(prototype, nullptr);
    return prototype != nullptr ? ClassOf(prototype).CreateAtClick(prototype, view_) : nullptr;
}

std::vector<ScoreObject*> MarksTest::CellObjects(int staff, int measure) const {
    std::vector<ScoreObject*> objects;
    MeasureCell* cell = ExistingMeasureCell(doc_, staff, measure);
    ScoreObject* object = cell != nullptr && cell->objects ? cell->objects.get()->next.get() : nullptr;
    for (; object != nullptr; object = object->next.get()) objects.push_back(object);
    return objects;
}

int MarksTest::UndoSteps() const {
    return UndoDepth(doc_);
}

uint32_t MarksTest::ChangeCount() const {
    return doc_->changeCounter;
}

std::string MarksTest::StatusText(int part) const {
    std::string text;
    for (const auto& record : ui::headless::StatusTexts())
        if (record.part == part) text = record.text;
    return text;
}

void MarksTest::UseDialogs() {
    RegisterMarkDialogResources();
    RegisterTextDialogResources();
}

int MarksTest::InkIn(int left, int top, int right, int bottom) const {
    int ink = 0;
    for (int y = top; y <= bottom; ++y)
        for (int x = left; x <= right; ++x) ink += IsInk(x, y) ? 1 : 0;
    return ink;
}

void MarksTest::ClearWindow() {
    BeginViewDraw(view_);
    const gfx::Point far = gfx::DeviceToLogical(view_->ViewDC, gfx::Point{1 << 14, 1 << 14});
    const gfx::Point near = gfx::DeviceToLogical(view_->ViewDC, gfx::Point{0, 0});
    gfx::FillRect(view_->ViewDC, gfx::Rect{near.x, near.y, far.x, far.y},
                  gfx::GetStockBrush(gfx::StockBrush::White));
    EndViewDraw(view_);
}

}  // namespace ql::testing_marks
