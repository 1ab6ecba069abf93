// Where the mixer's controls stand on the screen, found from a picture of its
// window: a scene the mixer scenarios share.
#pragma once

#include <cstdint>
#include <optional>

#include "shell/tests/desktop/desktop_fixture.h"
#include "shell/tests/desktop/scene_pictures.h"

namespace ql::desktop {

// The colour of PLAY's triangle.
inline constexpr uint32_t kPlayGreen = 0x009000;

// Where the mixer's controls stand in its window, found from PLAY's green triangle
// (the button's corner is 60, 30 of the window's area; the triangle begins 19, 2
// into it) and from the window's size: the staff faders from 66 on, one pitch
// apart, 44 of them and two more for the master and the tempo at the right; the
// scroller over them; under each fader its solo, mute and number rows of 14.
struct MixerPlaces {
    int left = 0;  // the window area's corner on the screen
    int top = 0;
    int bottom = 0;
    int pitch = 0;

    static std::optional<MixerPlaces> Find(const ScreenPicture& picture, const ShownWindow& window) {
        for (int y = 0; y < picture.height; ++y)
            for (int x = 0; x < picture.width; ++x)
                if ((picture.At(x, y) & 0xFFFFFF) == kPlayGreen) {
                    int first = x;
                    while (first > 0 && (picture.At(first - 1, y) & 0xFFFFFF) == kPlayGreen) --first;
                    MixerPlaces places;
                    places.left = window.x + first - 79;
                    places.top = window.y + y - 32;
                    places.bottom = window.y + window.height;
                    places.pitch = (window.width - 140) / 44;
                    return places;
                }
        return std::nullopt;
    }
    int FaderLeft(int fader) const { return left + 66 + (fader - 1) * pitch; }
    int FaderMiddle(int fader) const { return FaderLeft(fader) + (pitch - 4) / 2; }
    int MuteMiddle() const { return bottom - 29; }
    int TrackTop() const { return top + 60; }
    int TrackBottom() const { return bottom - 50; }
    int ScrollerMiddle() const { return top + 52; }
    int ScrollerRight() const { return FaderLeft(44) + pitch - 8; }
};

// The places of the mixer titled "Mixer" once PLAY shows its picture; empty when it
// does not come.
inline std::optional<MixerPlaces> WaitForMixerPlaces(const XSession& x) {
    std::optional<MixerPlaces> places;
    WaitFor([&] {
        const std::optional<ShownWindow> mixer = x.FindWindow("Mixer");
        if (mixer) places = MixerPlaces::Find(x.Grab(*mixer), *mixer);
        return places.has_value();
    });
    return places;
}

}  // namespace ql::desktop
