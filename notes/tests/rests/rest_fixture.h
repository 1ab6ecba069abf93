// Test fixture of the rest and accidental tests: a fresh program state with the text,
// accidental and rest classes registered, a selection state, a one-staff score of four
// 4/4 measures on one system with its beat map built, the view on one cell, and
// helpers that enter notes and rests, open a drawing surface (a recording context, or
// a window whose backing store can be read back) and compare the pools' bytes.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "core/model/events.h"
#include "core/model/grid.h"
#include "core/model/score_document.h"
#include "core/objects/score_object.h"
#include "notes/rests/rest.h"
#include "platform/handles.h"

namespace ql::testing_rests {

constexpr int kQuarter = 10;
constexpr int kEighth = 9;
constexpr int kHalf = 11;
constexpr int kWhole = 12;
constexpr int kDoubleWhole = 13;
constexpr int kBar = 4096;  // ticks of a 4/4 measure
// Glyph advances the fixture gives the music font's table (view units).
constexpr int32_t kRestAdvance = 200;     // every rest glyph: half width 100
constexpr int32_t kBlackHeadAdvance = 150;
constexpr int32_t kAccidentalColumn = 102;  // the document's accidental column width

class RestTest : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    // Makes staff 1, measure `measure` current; returns its cell.
    MeasureCell* UseMeasure(int measure);
    EventRecord* Note(int voice, int time, int code, int position);
    // A rest made by the rest module at a tick of a voice of the current cell.
    ScoreObject* Rest(int voice, int time, int code, int dots = 0);
    RestBody& Body(ScoreObject* rest) { return *RestBodyOf(rest); }
    // Sets a measure's length (record and, for the current measure, the view's copy).
    void SetMeasureLength(int measure, int ticks);
    // A frame window with a status bar, so that notices can be read back.
    void MakeStatusBar();
    // The texts shown in status-bar part 0, in order.
    std::vector<std::string> Notices() const;
    // The rests of a voice in list order.
    std::vector<ScoreObject*> VoiceRests(int voice);

    // Drawing on a recording context (the paint context of the surface) until
    // StopRecording; the calls recorded.
    void StartRecording();
    size_t StopRecording();
    size_t RecordedCalls() const;
    // A window of the given device size whose backing store the surface draws on,
    // with the music fonts and colour sets made; zoom 16 (one device pixel per 8
    // view units).
    void OpenWindow(int width, int height);
    std::vector<uint32_t> WindowPixels() const;
    // Device pixel of a logical point on the open window.
    gfx::Point DevicePoint(int32_t x, int32_t y);

    // Bytes of every live record of pools 2..10 of the document's set.
    std::vector<uint8_t> PoolBytes() const;

    ScoreView* view_ = nullptr;
    ScoreDocument* doc_ = nullptr;
    MeasureCell* cell_ = nullptr;
    platform::DcHandle recording_{};
    platform::WindowHandle window_{};
};

}  // namespace ql::testing_rests
