// Test fixture of the note-entry tests: the rest tests' one-staff score of four 4/4
// measures with its beat map, the notes handler registered, a headless MIDI backend
// with one recording output, a status bar, and helpers that point at a tick and step
// of the current measure, click with the Notes tool, press a key on a focused note
// and read a voice back.
#pragma once

#include <string>
#include <vector>

#include "core/model/events.h"
#include "notes/tests/rests/rest_fixture.h"

namespace ql::testing_entry {

using testing_rests::kHalf;
using testing_rests::kWhole;
using testing_rests::kQuarter;
using testing_rests::kEighth;

constexpr int kSixteenth = 8;
constexpr int kEighthTicks = 512;
constexpr int kQuarterTicks = 1024;
constexpr int kMiddleLine = -4;  // step of the middle line of a five-line staff

class EntryTest : public testing_rests::RestTest {
  protected:
    void SetUp() override;
    void TearDown() override;

    // Puts the pointer on a tick and step of the current measure.
    void PointAt(int tick, int step);
    // A click of the Notes tool at the pointer (the notes handler's Place).
    void Click();
    // The voice's events in chain order.
    std::vector<EventRecord*> Voice(int voice = 0);
    // The chord heads of a voice in order.
    std::vector<EventRecord*> Chords(int voice = 0);
    // Presses a key on a focused note with the given modifiers held.
    int Key(EventRecord* note, uint32_t key, bool ctrl = false, bool alt = false, bool shift = false);
    // The Undo command's label.
    std::string UndoLabel() const;
    // Every MIDI message the preview sent, as bytes.
    std::vector<std::vector<uint8_t>> Sent() const;
    // Every live record of pools 2..10 with its place (pool, block, slot): what undo
    // must give back exactly (a block a pool grew into stays, empty).
    std::vector<uint8_t> LiveRecords() const;
    // True when the chord heads form exactly one beam group in that order.
    static bool IsOneGroup(const std::vector<EventRecord*>& heads);
};

}  // namespace ql::testing_entry
