// Shared set-up of the rest and accidental tests.
#include "notes/tests/rests/rest_fixture.h"
#include "platform/tests/win/plain_window.h"

#include <cstring>

#include "core/constants.h"
#include "core/draw/colour_sets.h"
#include "core/draw/draw_surface.h"
#include "core/draw/fonts.h"
#include "core/draw/staff_scaling.h"
#include "core/draw/view_glyph_bitmaps.h"
#include "core/memory/pool.h"
#include "core/model/document.h"
#include "core/model/engraving_metrics.h"
#include "core/model/view.h"
#include "core/objects/class_table.h"
#include "core/objects/selection_state.h"
#include "core/settings/preference_defaults.h"
#include "core/state.h"
#include "core/text/text_object.h"
#include "core/ui/status_bar.h"
#include "notes/accidentals/accidental.h"
#include "notes/beatmap/beat_map.h"
#include "notes/rests/rest_internal.h"
#include "notes/rests/staff_place.h"
#include "notes/tests/beatmap/beatmap_score.h"
#include "platform/gfx/bitmap.h"
#include "platform/gfx/dc.h"
#include "platform/gfx/mapping.h"
#include "platform/gfx/recording.h"
#include "platform/ui/headless.h"
#include "platform/win/headless.h"
#include "platform/win/paint.h"
#include "platform/win/window.h"

namespace ql::testing_rests {

namespace {

constexpr int kMeasures = 4;
constexpr int kKeyC = 7;
constexpr int kScreenDpi = 96;
constexpr int32_t kZoom = 16;
constexpr int kFirstRestGlyph = 128;
constexpr int kLastRestGlyph = 137;
constexpr int kBlackHead = 72;

}  // namespace

void RestTest::SetUp() {
    ResetProgramState();
    ASSERT_EQ(InitStaticPoolSet(), 1);
    ui::headless::ResetUi();
    ResetObjectClassTable();
    RegisterTextObjectClasses();
    RegisterAccidentalClass();
    RegisterRestClass();
    ResetPreferenceDefaults();
    ProgramPreferences().key = kKeyC;
    ASSERT_NE(CreateSelectionState(), nullptr);
    view_ = InitView(AllocView());
    LinkView(view_);
    doc_ = AllocDocument();
    ASSERT_TRUE(beatmap_score::Build(doc_, view_, 1, {1}, kMeasures));
    for (int code = kFirstRestGlyph; code <= kLastRestGlyph; ++code)
        beatmap_score::SetAdvance(doc_, code, kRestAdvance);
    beatmap_score::SetAdvance(doc_, kBlackHead, kBlackHeadAdvance);
    doc_->internalDistances[static_cast<int>(EngravingMetric::Accident)] = kAccidentalColumn;
    view_->glyphWidths.black = kBlackHeadAdvance;
    view_->glyphWidths.halfBlack = kBlackHeadAdvance / 2;
    view_->glyphWidths.half = kBlackHeadAdvance;  // a half note's up stem stands at its head's right
    UpdateBeatMaps(view_, 1);
    UseMeasure(1);
}

void RestTest::TearDown() {
    if (recording_) StopRecording();
    EndViewDrawAll(view_);
    ReleaseViewDrawing(view_);
    ReleaseDrawingGlobals(1);
    DeleteMusicFonts();
    DeleteColourSets();
    FreeView(view_);
    FreeDocument(doc_);
    DestroySelectionState();
    ResetProgramState();
    ResetObjectClassTable();
}

MeasureCell* RestTest::UseMeasure(int measure) {
    view_->currentStaff = 1;
    view_->currentMeasure = measure;
    view_->currentStaffRecord = StaffRecordOf(doc_, 1);
    view_->currentSlot = measure - view_->currentSystem->firstMeasure + 1;
    cell_ = GetOrCreateMeasureCell(view_->currentStaffRecord, doc_, measure);
    view_->currentCell = cell_;
    view_->currentMeasureLength = MeasureRecordOf(doc_, measure)->lengthTicks;
    return cell_;
}

void RestTest::SetMeasureLength(int measure, int ticks) {
    MeasureRecordOf(doc_, measure)->lengthTicks = static_cast<uint16_t>(ticks);
    if (measure == view_->currentMeasure) view_->currentMeasureLength = ticks;
}

void RestTest::MakeStatusBar() {
    constexpr int kFrameWidth = 440;
    constexpr int kFrameHeight = 300;
    win::WindowClass frameClass;
    frameClass.name = "MdiFrame";
    frameClass.procedure = win::DefaultWindowProc;
    win::RegisterWindowClass(frameClass);
    win::WindowParams params;
    params.className = "MdiFrame";
    params.style = win::kStyleVisible | win::kStyleOverlappedWindow;
    params.rect = {0, 0, kFrameWidth, kFrameHeight};
    const platform::WindowHandle frame = win::CreateWindow(params);
    State().dialogs.FrameWindow = frame;
    CreateStatusBar(frame);
    LayoutStatusBar(frame);
}

std::vector<std::string> RestTest::Notices() const {
    std::vector<std::string> texts;
    for (const auto& record : ui::headless::StatusTexts())
        if (record.part == 0) texts.push_back(record.text);
    return texts;
}

EventRecord* RestTest::Note(int voice, int time, int code, int position) {
    return AddEventToVoice(view_, cell_, voice, static_cast<uint16_t>(time),
                           static_cast<uint8_t>(code), static_cast<uint8_t>(position));
}

ScoreObject* RestTest::Rest(int voice, int time, int code, int dots) {
    return NewRestFromImport(view_, voice, time, code, dots);
}

std::vector<ScoreObject*> RestTest::VoiceRests(int voice) {
    std::vector<ScoreObject*> rests;
    for (ScoreObject* e = rests::NextElement(GetVoiceElementList(cell_, voice)); e != nullptr;
         e = rests::NextElement(e))
        rests.push_back(e);
    return rests;
}

void RestTest::StartRecording() {
    recording_ = gfx::CreateRecordingContext(platform::DcHandle{});
    State().drawing.PaintDC = recording_;
}

size_t RestTest::StopRecording() {
    EndViewDrawAll(view_);
    const size_t calls = gfx::RecordedCallCount(recording_);
    State().drawing.PaintDC = platform::DcHandle{};
    gfx::DeleteContext(recording_);
    recording_ = platform::DcHandle{};
    return calls;
}

size_t RestTest::RecordedCalls() const {
    return gfx::RecordedCallCount(recording_);
}

void RestTest::OpenWindow(int width, int height) {
    win::headless::ResetWindowLayer();
    window_ = ::ql::testing::OpenPlainWindow("QLRestTest", width, height);
    State().drawing.ScreenDpiX = State().drawing.ScreenDpiY = kScreenDpi;
    if (!State().drawing.MusicFont) {
        ASSERT_TRUE(CreateMusicFonts());
    }
    ASSERT_TRUE(CreateColourSets());
    view_->ViewWindow = window_;
    view_->zoom = kZoom;
    // The window origin a space left of the system and eight spaces above the
    // current staff's bottom line.
    constexpr int kSpacesAbove = 8;
    view_->pageView = 1;
    view_->pageOrigin[0] = view_->currentSystem->x - kUnitsPerStaffSpace;
    view_->pageOrigin[1] = StaffBaseY(view_) - kSpacesAbove * kUnitsPerStaffSpace;
}

std::vector<uint32_t> RestTest::WindowPixels() const {
    return gfx::ReadBitmapPixels(win::GetWindowImage(window_));
}

gfx::Point RestTest::DevicePoint(int32_t x, int32_t y) {
    BeginViewDraw(view_);
    const gfx::Point device = gfx::LogicalToDevice(view_->ViewDC, gfx::Point{x, y});
    EndViewDraw(view_);
    return device;
}

std::vector<uint8_t> RestTest::PoolBytes() const {
    std::vector<uint8_t> bytes;
    for (int p = kFirstClipboardPool; p <= kLastClipboardPool; ++p) {
        const RecordPool& pool = doc_->pools.pools[p];
        for (int b = 0; b < pool.blockCount; ++b) {
            const std::byte* base = pool.blocks[b].base.get();
            const size_t size = BlockLiveBytes(pool, b);
            if (base == nullptr) continue;
            bytes.insert(bytes.end(), reinterpret_cast<const uint8_t*>(base),
                         reinterpret_cast<const uint8_t*>(base) + size);
        }
    }
    return bytes;
}

}  // namespace ql::testing_rests
