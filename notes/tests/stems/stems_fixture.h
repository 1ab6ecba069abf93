// Test fixture of the stems and beams tests: a fresh program state, a document with
// staff records, a view placed on one cell, helpers that enter notes and chords,
// and checks on the scratch pool that beam trees come from.
#pragma once

#include <gtest/gtest.h>

#include <initializer_list>
#include <vector>

#include "core/model/events.h"
#include "core/model/grid.h"
#include "core/model/score_document.h"
#include "core/state.h"

namespace ql::testing_stems {

constexpr uint8_t kCode128th = 5;
constexpr uint8_t kCode32nd = 7;
constexpr uint8_t kCode16th = 8;
constexpr uint8_t kCodeEighth = 9;
constexpr uint8_t kCodeQuarter = 10;
constexpr uint8_t kCodeHalf = 11;

class StemsTest : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    // Makes the view's current location staff `staff`, measure `measure` and
    // returns that cell (in `beats` of code `beatUnit`).
    MeasureCell* UseCell(int staff = 1, int measure = 1, int beats = 4, int beatUnit = 10);
    // A note of the current cell, linked through the chain rules.
    EventRecord* Note(int voice, int time, int code, int step);
    EventRecord* Note(int time, int code, int step) { return Note(0, time, code, step); }
    // A chord in voice 0; returns its head (the first event of the chord).
    EventRecord* Chord(int time, int code, std::initializer_list<int> steps);
    // Notes of one code at the given times, voice 0, step `step`.
    std::vector<EventRecord*> Run(std::initializer_list<int> times, int code, int step = -4);
    // Links the chord heads into one beam group, in that order.
    static void Beam(const std::vector<EventRecord*>& heads);
    // Beam links of the chord heads form exactly one group, in that order.
    static void ExpectGroup(const std::vector<EventRecord*>& heads);
    static bool IsUp(const EventRecord* note) { return (note->flags & kEventStemFlag) != 0; }
    static bool IsBeamed(const EventRecord* head) { return head->beamPrev || head->beamNext; }
    // Sets the line count of the current staff.
    void SetStaffLines(int lines);
    // A rest element of the code at a time in a voice of the current cell.
    ScoreObject* Rest(int voice, int time, int code);

    ScoreView* view_ = nullptr;
    ScoreDocument* doc_ = nullptr;
    MeasureCell* cell_ = nullptr;
};

// Live beam nodes in the scratch pool of the static set.
int LiveScratchNodes();

}  // namespace ql::testing_stems
