// Test helper: what the virtual MIDI devices were sent, without the silencing
// sweeps a run ends with at Pause and Stop (the sustain pedal up, All Notes Off on
// a channel and the 128 note-offs after it), so that tests of what a score plays
// read only its music.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/midi/headless.h"

namespace ql::testing {

inline std::vector<midi::headless::SentMessage> PlayedMessages() {
    constexpr uint8_t kControl = 0xB0, kSustain = 64, kAllNotesOff = 123, kNoteOn = 0x90;
    constexpr size_t kSweepKeys = 128;
    const std::vector<midi::headless::SentMessage> sent = midi::headless::Sent();
    std::vector<midi::headless::SentMessage> played;
    for (size_t i = 0; i < sent.size(); ++i) {
        const std::vector<uint8_t>& b = sent[i].bytes;
        if (b.size() == 3 && (b[0] & 0xF0) == kControl && b[1] == kSustain && b[2] == 0 && i + 1 < sent.size() &&
            sent[i + 1].port == sent[i].port && sent[i + 1].bytes == std::vector<uint8_t>{b[0], kAllNotesOff, 0})
            continue;  // the pedal up that opens a sweep
        if (b.size() == 3 && (b[0] & 0xF0) == kControl && b[1] == kAllNotesOff) {
            const uint8_t channel = b[0] & 0x0F;
            size_t keys = 0;
            while (keys < kSweepKeys && i + 1 + keys < sent.size() && sent[i + 1 + keys].port == sent[i].port &&
                   sent[i + 1 + keys].bytes == std::vector<uint8_t>{static_cast<uint8_t>(kNoteOn | channel),
                                                                    static_cast<uint8_t>(keys), 0})
                ++keys;
            i += keys;
            continue;
        }
        played.push_back(sent[i]);
    }
    return played;
}

}  // namespace ql::testing
