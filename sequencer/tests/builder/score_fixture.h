// The fixture of the builder and playback tests: a new document of one or two
// staves in 4/4 (treble clef, C major), notes put into voices as the editor puts
// them, barlines and repeat endings set on the measure table and the cells, a
// headless MIDI backend on the virtual clock with named virtual outputs, and a
// "Sequencer" window that hands the engine's messages to the playback run.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/constants.h"
#include "core/model/grid.h"
#include "core/objects/score_object.h"
#include "core/tests/model/new_document_fixture.h"
#include "platform/midi/headless.h"
#include "sequencer/performance_builder.h"
#include "sequencer/tests/played_messages.h"
#include "sequencer/playback.h"

namespace ql::testing {

constexpr int kBar = 4096;  // a 4/4 measure in ticks
constexpr uint8_t kQuarter = 10;
constexpr uint8_t kEighthCode = 9;
constexpr uint8_t kHalf = 11;

// One event as placed in the table: its time, kind, port, slot and message.
struct Placed {
    int32_t time = 0;
    PerformanceEventKind kind = PerformanceEventKind::Channel;
    int port = 0;
    int slot = 0;
    uint32_t message = 0;
    uint16_t measure = 0;
};

class ScoreTest : public NewDocumentTest {
protected:
    void SetUp() override;
    void TearDown() override;

    // staves 1..staffCount, measures 1..measureCount of 4/4; staff s plays on port
    // s - 1, channel s - 1.
    void BuildScore(int staffCount, int measureCount);
    EventRecord* Note(int staff, int measure, int time, uint8_t code, int step, int voice = 0);
    void SetBarline(int measure, int kind, int repeats = 0);
    void AddEnding(int measure, int span, std::initializer_list<uint8_t> passes);
    // A dynamic, pedal or tempo mark at a tick of a cell, its MIDI enabled; other
    // objects (hairpins, octave signs) as constructed, their anchors the caller's.
    ScoreObject* Mark(ObjectType type, int staff, int measure, int tick);

    // Builds the whole run block after block into a scratch half and returns what
    // was placed, in slot order (block after block).
    std::vector<Placed> BuildAll(const PerformanceOptions& options, int32_t blockLength = kMinBlockLength);
    // Only the channel messages of BuildAll.
    std::vector<Placed> Channel(const std::vector<Placed>& all);

    PerformanceOptions Options(int first, int last) const;

    // The playback request for the view, with the Sequencer window.
    PlaybackRequest Request(int first, int last);
    void Advance(uint32_t ms);

    win::WindowHandle sequencerWindow_;
};

// A packed note message.
constexpr uint32_t NoteMessage(uint8_t status, uint8_t key, uint8_t velocity) {
    return status | (static_cast<uint32_t>(key) << 8) | (static_cast<uint32_t>(velocity) << 16);
}

}  // namespace ql::testing
