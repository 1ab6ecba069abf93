// The tunes the playback scenarios play: a Standard MIDI File of one staff of
// quarter notes at a tempo, written to the scenario's home and opened through File >
// Import; and what the frame shows of a run: "Playing..." at the left of its status
// bar while a run is on.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "shell/tests/desktop/desktop_fixture.h"
#include "shell/tests/desktop/niff_one_staff_page.h"

namespace ql::desktop {

inline constexpr int kTuneDivision = 96;  // file ticks a quarter
inline constexpr int kTuneBeats = 4;      // 4/4

// The file: a conductor track with the tempo and 4/4, and a track of four quarter
// notes a measure.
inline std::vector<unsigned char> QuarterNotesTune(int measures, int bpm) {
    const auto track = [](const std::vector<unsigned char>& events) {
        std::vector<unsigned char> bytes{'M', 'T', 'r', 'k'};
        const uint32_t size = static_cast<uint32_t>(events.size());
        for (int shift = 24; shift >= 0; shift -= 8) bytes.push_back(static_cast<unsigned char>(size >> shift));
        bytes.insert(bytes.end(), events.begin(), events.end());
        return bytes;
    };
    const uint32_t microsPerQuarter = 60000000u / static_cast<uint32_t>(bpm);
    const std::vector<unsigned char> conductor{0x00, 0xFF, 0x51, 0x03, static_cast<unsigned char>(microsPerQuarter >> 16),
                                               static_cast<unsigned char>(microsPerQuarter >> 8),
                                               static_cast<unsigned char>(microsPerQuarter), 0x00, 0xFF, 0x58, 0x04,
                                               kTuneBeats, 0x02, 0x18, 0x08, 0x00, 0xFF, 0x2F, 0x00};
    std::vector<unsigned char> notes;
    const unsigned char keys[kTuneBeats] = {60, 64, 67, 72};
    for (int measure = 0; measure < measures; ++measure)
        for (unsigned char key : keys) notes.insert(notes.end(), {0x00, 0x90, key, 90, kTuneDivision, 0x80, key, 0});
    notes.insert(notes.end(), {0x00, 0xFF, 0x2F, 0x00});
    std::vector<unsigned char> file{'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 1, 0, 2, 0, kTuneDivision};
    for (const std::vector<unsigned char>& part : {track(conductor), track(notes)})
        file.insert(file.end(), part.begin(), part.end());
    return file;
}

// How long the tune's music lasts.
inline Millis TuneLength(int measures, int bpm) { return Millis{60000 * kTuneBeats * measures / bpm}; }

class PlayedTuneScenario : public DesktopScenario {
protected:
    // Writes the tune as `name`.mid and imports it; true once its score window
    // "`name`_MIDI" shows.
    bool ImportTune(const std::string& name, int measures, int bpm) {
        const std::filesystem::path tune = home_->Documents() / (name + ".mid");
        WriteFileBytes(tune, QuarterNotesTune(measures, bpm));
        ChooseMenuItem('f', 'i');
        ChooseFileToOpen(kImportTitle, tune, "Prepare Import");
        const std::optional<ShownWindow> options = x_.WaitForWindow("Prepare Import");
        if (!options) return false;
        x_.PointAt(*options);
        x_.PressKey("Return");  // Continue
        if (!x_.WaitForWindow(name + "_MIDI")) return false;
        x_.Settle();
        return true;
    }
    // The frame's menu row and bar left of the position readout: while a run is on
    // its buttons show it (Play held down, Stop and Pause usable, the file buttons
    // gray).
    ScreenPicture BarPicture() const {
        const ShownWindow frame = Frame();
        return x_.Grab(frame.x, frame.y, frame.width * 4 / 5, BarsBottom() - frame.y);
    }
    // Notes the bar with no run on and the pointer resting over the score, for
    // RunShown.
    void NoteIdleBar() {
        x_.PointAt(Frame());
        x_.Settle();
        idleBar_ = BarPicture();
    }
    // Whether the bar shows a run (no menu open over it).
    bool RunShown() const { return DifferentPixels(BarPicture(), idleBar_) > kRunPixels; }

    // The buttons a run changes differ in far more pixels than this.
    static constexpr int64_t kRunPixels = 200;
    ScreenPicture idleBar_;
};

}  // namespace ql::desktop
