// Test fixture of the note-drawing tests: a fresh program state, a headless score
// window, a view in page view on a score of a given number of staves and measures
// (one system, 4/4, laid out by the beat map), the music fonts and view metrics at a
// zoom, the engraving metrics of a new score, helpers that enter notes, chords and
// beam groups at a staff and measure, draw a measure, and read the draw-call log of
// the recording surface or the window's pixels.
#pragma once

#include <gtest/gtest.h>

#include <cstddef>
#include <initializer_list>
#include <string>
#include <vector>

#include "core/model/score_document.h"
#include "notes/drawing/note_draw_test_seam.h"
#include "notes/tests/drawing/drawing_window_fixture.h"
#include "platform/gfx/types.h"
#include "platform/win/window.h"

namespace ql::testing_notedraw {

using notedraw::InkPart;
using notedraw::test_seam::InkCall;
using notedraw::test_seam::InkKind;

constexpr uint8_t kCode128th = 5;
constexpr uint8_t kCode32nd = 7;
constexpr uint8_t kCode16th = 8;
constexpr uint8_t kCodeEighth = 9;
constexpr uint8_t kCodeQuarter = 10;
constexpr uint8_t kCodeHalf = 11;
constexpr uint8_t kCodeWhole = 12;
// The engraving metrics given to the score (view units).
constexpr uint16_t kBeamWidth = 60;
constexpr uint16_t kBeamSeparation = 96;
constexpr uint16_t kStemWidth = 12;
constexpr uint16_t kStaffLineWidth = 12;
constexpr uint16_t kAccidentalColumn = 102;
constexpr int32_t kStep = 64;
// A zoom at which every line is one pixel, drawn once (no doubling, no bars).
constexpr int32_t kPlainZoom = 8;

// The fixture score: three staves (the third at 75 %), four measures; a note of staff
// 1 is drawn on staff 2, which holds rests of every value in one voice (measures 1
// and 2) and in three voices (measure 3).
constexpr int kFixtureStaves = 3;
constexpr int kCrossTargetStaff = 2;
constexpr int kSmallStaff = 3;
constexpr int kFixtureMeasures = 4;
constexpr int kSmallStaffPercent = 75;
constexpr int kCrossStaffPosition = -4;  // the cross-staff note: staff 2's middle line

struct FixtureNotes {
    EventRecord* second = nullptr;       // staff 1, m1 0: chord -5, -4, quarter
    EventRecord* dottedLine = nullptr;   // m1 1024: dotted quarter on line -6
    EventRecord* highEighth = nullptr;   // m1 2560: eighth at -12
    EventRecord* lowQuarter = nullptr;   // m1 3072: quarter at 2
    std::vector<EventRecord*> upBeam;    // m2 0..768: sixteenths at 0, 1, 2, 3
    std::vector<EventRecord*> downBeam;  // m2 1024..1792: sixteenths at -10, -9, -8, -7
    EventRecord* sharpHalf = nullptr;    // m2 3072: half at -3, parenthesised sharp
    EventRecord* petite = nullptr;       // m3 0: petite quarter at 0
    EventRecord* grace = nullptr;        // m3 1024: grace eighth at -3, slashed
    EventRecord* naturalHalf = nullptr;  // m3 2048: half at -7 with a natural
    EventRecord* cross = nullptr;        // m4 0: quarter drawn on staff 2's middle line
    EventRecord* small = nullptr;        // staff 3, m1 0: quarter at 0
    EventRecord* smallLedger = nullptr;  // staff 3, m1 1024: quarter at -10
};

class NoteDrawTest : public ::ql::testing::DrawingWindowTest {
  protected:
    void SetUp() override;
    void TearDown() override;

    // A score of `staves` staves and one system of `measures` measures, laid out,
    // with view metrics at `zoom`.
    void BuildScore(int staves, int measures, int32_t zoom);
    // The fixture score at a zoom; every chord stemmed and every group laid out.
    FixtureNotes BuildFixtureScore(int32_t zoom);
    // Draws every cell of the fixture score.
    void DrawFixtureScore();
    // The fixture's rests (staff 2, measures 1-3).
    void AddRests();
    // Staff size in percent (0 = full size).
    void SetStaffSize(int staff, int percent);

    MeasureCell* Cell(int staff, int measure) const;
    // A note in a voice of a cell, linked by the chain rules.
    EventRecord* Note(int staff, int measure, int voice, int time, int code, int step);
    // A chord in voice 0; its first note.
    EventRecord* Chord(int staff, int measure, int time, int code,
                       std::initializer_list<int> steps);
    // Stems every chord of the cell's voices as an edit would (groups and alone).
    void Restem(int staff, int measure);
    // Links the chord heads into one beam group, in that order.
    static void Beam(const std::vector<EventRecord*>& heads);

    // Draws the notes and elements of every voice of a cell (at its staff and measure).
    void DrawCell(int staff, int measure);
    // Draws into a recording context from now on, logging every note-drawing call.
    void UseRecordingSurface();
    // The calls of the log of one part.
    std::vector<InkCall> Calls(InkPart part) const;

    // Every byte of the document's pools (descriptors and live block halves).
    std::vector<std::byte> SnapshotPools() const;

    int32_t BottomY(int staff) const;
    int32_t LineY(int staff, int position) const;  // unscaled staves
    // x of a tick of a measure (slot x + beat map).
    int32_t TickX(int measure, int tick);

    platform::DcHandle recording_{};
    std::vector<InkCall> log_;
};

}  // namespace ql::testing_notedraw
