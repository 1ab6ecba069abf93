// The fixture of the engine tests: a fresh program state with the static pools,
// a fresh window layer with a "Sequencer" window that logs what is posted to it,
// and a fresh headless MIDI backend with two recording outputs ("Out A" as port
// A, "Out B" as port B) and one virtual input. Tables are built by hand from
// pool-12 events; the run is started and stopped in the transport's order.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "platform/midi/headless.h"
#include "platform/win/messages.h"
#include "sequencer/engine.h"

namespace ql::testing {

struct Posted {
    uint32_t message = 0;
    uint32_t word = 0;
    intptr_t data = 0;
};

using Bytes = std::vector<uint8_t>;
using Sent = midi::headless::SentMessage;

class EngineTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Sets up the engine for a run at `rate` ticks per minute with block length N.
    void Configure(int blockLength = 1200, uint32_t rate = 60000, int slotCount = 4);

    // Appends an event to the slot's chain.
    PerformanceEvent* Add(TickSlotHalf& half, int index, PerformanceEventKind kind, uint32_t message,
                          int port = 0, int slot = 1, int32_t time = -1);
    PerformanceEvent* AddNote(TickSlotHalf& half, int index, uint8_t status, uint8_t key, uint8_t velocity,
                              int port = 0, int slot = 1);
    // A chain not on any slot (a late group).
    PerformanceEvent* MakeEvent(PerformanceEventKind kind, uint32_t message, int port, int slot, int32_t time);

    TickSlotHalf& HalfA() { return state_->table.halfA; }
    TickSlotHalf& HalfB() { return state_->table.halfB; }

    // BeginRun; halfB published when asked; inputs started; running; timer armed
    // for a first call 1 ms on (none in slave mode).
    void StartRun(bool publishSecondHalf = true);
    // stopByte, timer cancelled, inputs stopped and closed, running cleared, EndRun.
    std::vector<std::string> StopRun();

    void Advance(uint32_t ms) { midi::headless::Advance(ms); }
    // Dispatches what the engine posted; refills run the installed filler.
    void Pump();
    // Called for each refill with the fill half and its first tick.
    std::function<void(TickSlotHalf&, uint32_t)> filler_;

    std::vector<Sent> SentTo(int port) const;
    static uint32_t Pack(uint8_t status, uint8_t d1 = 0, uint8_t d2 = 0) {
        return status | (static_cast<uint32_t>(d1) << 8) | (static_cast<uint32_t>(d2) << 16);
    }

    SequencerState* state_ = nullptr;
    std::unique_ptr<midi::OutputDevice> outA_;
    std::unique_ptr<midi::OutputDevice> outB_;
    std::unique_ptr<midi::InputDevice> input_;
    std::unique_ptr<midi::OneShotTimer> timer_;
    bool recordInput_ = false;  // start the input with the record callback
    bool syncInput_ = false;    // start the input with the sync callback
    std::vector<Posted> posted_;
    bool running_ = false;
};

// Puts the process-wide state block back to its constructed state.
void ResetSequencerStateForTest(SequencerState& state);

}  // namespace ql::testing
