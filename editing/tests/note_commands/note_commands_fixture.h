// Fixture of the note-command tests: three staves on one page of two systems of two
// measures. Voices 0, 1 and 2 of every staff and measure hold a quarter note at every
// beat: voice 0 on the middle line, voice 1 two steps higher, voice 2 two steps
// lower. The view edits voices 0, 2 and 3 (which the tests give rests), so voice 1 is
// never walked. The marquee's rectangle runs from the second beat of
// measure 1 to the third beat of measure 2 over staves 2 and 3 (the first system).
#pragma once

#include <gtest/gtest.h>

#include <map>
#include <tuple>
#include <vector>

#include "core/memory/pool.h"
#include "core/undo/undo.h"
#include "editing/marquee_walk.h"
#include "editing/tests/marquee_score.h"
#include "platform/ui/headless.h"
#include "platform/win/headless.h"

namespace ql::testing_note_commands {

constexpr int kStaves = 3;
constexpr int kMeasures = 4;
constexpr int kMiddleLine = -4;
constexpr uint8_t kWalkedVoices = 0b1101;
constexpr int32_t kSlack = 8;
constexpr int32_t kHeight = 200;

// Staff, measure, voice, tick: where a note stands in the music.
using Key = std::tuple<int, int, int, int>;

class NoteCommandTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(score_.ok());
        for (int s = 1; s <= kStaves; ++s)
            for (int m = 1; m <= kMeasures; ++m)
                for (int beat = 0; beat < 4; ++beat) {
                    const int tick = beat * marquee_score::kQuarterTicks;
                    notes_[{s, m, 0, tick}] = score_.Note(s, m, 0, tick, kMiddleLine);
                    notes_[{s, m, 1, tick}] = score_.Note(s, m, 1, tick, kMiddleLine - 2);
                    notes_[{s, m, 2, tick}] = score_.Note(s, m, 2, tick, kMiddleLine + 2);
                }
        view_ = score_.view();
        doc_ = score_.document();
        view_->voiceMask = kWalkedVoices;
        const LogicalPoint from = score_.Place(2, 1, At(2, 1, 0, 1024));
        const LogicalPoint to = score_.Place(3, 2, At(3, 2, 0, 2048));
        marquee_ = RecordRect{from.x - kSlack, from.y - kHeight, to.x + kSlack, to.y + kHeight};
        SetCurrentMeasureQuick(view_, 1, 1);
        SetMarqueeWalkRectangle(&marquee_);
    }
    void TearDown() override {
        EndMarqueeWalk();
        SetMarqueeWalkRectangle(nullptr);
        for (win::Key key : {win::Key::Control, win::Key::Alt, win::Key::Shift})
            win::headless::SetKeyDown(key, false);
    }

    // A quarter rest on the middle line.
    ScoreObject* Rest(int staff, int measure, int voice, int tick) {
        ScoreObject* rest = score_.Rest(staff, measure, voice, tick);
        if (rest != nullptr) RestBodyOf(rest)->position = kMiddleLine;
        SetCurrentMeasureQuick(view_, 1, 1);
        return rest;
    }
    EventRecord* At(int staff, int measure, int voice, int tick) {
        return notes_.at({staff, measure, voice, tick});
    }
    // Whether a note of the fixture lies inside the marquee, from where it stands in
    // the music.
    static bool Inside(const Key& key) {
        const auto [staff, measure, voice, tick] = key;
        if (staff < 2 || voice == 1) return false;
        return (measure == 1 && tick >= 1024) || (measure == 2 && tick <= 2048);
    }
    // The notes inside, in page order: measure, staff, voice, time.
    std::vector<EventRecord*> Expected() {
        std::map<std::tuple<int, int, int, int>, EventRecord*> ordered;
        for (const auto& [key, note] : notes_)
            if (Inside(key)) {
                const auto [staff, measure, voice, tick] = key;
                ordered[{measure, staff, voice, tick}] = note;
            }
        std::vector<EventRecord*> notes;
        for (const auto& [key, note] : ordered) notes.push_back(note);
        return notes;
    }

    // Every note of the fixture inside (or outside) the marquee.
    std::vector<EventRecord*> NotesWhere(bool inside) {
        std::vector<EventRecord*> notes;
        for (const auto& [key, note] : notes_)
            if (Inside(key) == inside) notes.push_back(note);
        return notes;
    }
    // Every live record of pools 2..10 with its place: what undo must give back.
    std::vector<uint8_t> PoolBytes() const {
        std::vector<uint8_t> bytes;
        for (int p = kFirstUndoPool; p <= kLastUndoPool; ++p) {
            const RecordPool& pool = doc_->pools.pools[p];
            for (int b = 0; b < pool.blockCount; ++b) {
                const std::byte* base = pool.blocks[b].base.get();
                for (int slot = 1; base != nullptr && slot < pool.blocks[b].nextFresh; ++slot) {
                    const auto* record =
                        reinterpret_cast<const uint8_t*>(base + (size_t{1} * slot << pool.shift));
                    if (!IsLiveRecord(PoolSet(doc_->pools), p, record)) continue;
                    bytes.insert(bytes.end(), {static_cast<uint8_t>(p), static_cast<uint8_t>(b),
                                               static_cast<uint8_t>(slot & 0xFF),
                                               static_cast<uint8_t>(slot >> 8)});
                    bytes.insert(bytes.end(), record, record + (size_t{1} << pool.shift));
                }
            }
        }
        return bytes;
    }

    marquee_score::MarqueeScore score_{kStaves, 2, 2};
    std::map<Key, EventRecord*> notes_;
    ScoreView* view_ = nullptr;
    ScoreDocument* doc_ = nullptr;
    RecordRect marquee_{};
};

}  // namespace ql::testing_note_commands
