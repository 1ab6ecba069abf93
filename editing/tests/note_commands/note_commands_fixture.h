// Fixture of the note-command tests: three staves on one page of two systems of two
// measures. Voices 0, 1 and 2 of every staff and measure hold quarter notes: voice 0
// on the middle line at every beat, voice 1 two steps higher at the same times,
// voice 2 two steps lower half a beat later. The view edits voices 0 and 2, so
// voice 1 is never walked. The marquee's rectangle runs from the second beat of
// measure 1 to the third beat of measure 2 over staves 2 and 3 (the first system).
#pragma once

#include <gtest/gtest.h>

#include <map>
#include <tuple>
#include <vector>

#include "editing/marquee_walk.h"
#include "editing/tests/marquee_score.h"
#include "platform/ui/headless.h"
#include "platform/win/headless.h"

namespace ql::testing_note_commands {

constexpr int kStaves = 3;
constexpr int kMeasures = 4;
constexpr int kMiddleLine = -4;
constexpr uint8_t kWalkedVoices = 0b0101;
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
                    notes_[{s, m, 2, tick + 512}] = score_.Note(s, m, 2, tick + 512, kMiddleLine + 2);
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

    marquee_score::MarqueeScore score_{kStaves, 2, 2};
    std::map<Key, EventRecord*> notes_;
    ScoreView* view_ = nullptr;
    ScoreDocument* doc_ = nullptr;
    RecordRect marquee_{};
};

}  // namespace ql::testing_note_commands
