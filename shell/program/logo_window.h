// The logo window: the start-up splash (a borderless popup shown while the frame is
// still hidden) and the About window (the same picture with a caption). It shows the
// logo with the program's version over it and closes itself after two seconds or at
// the first key or click; when it closes, the frame is shown if it was not yet.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/handles.h"
#include "platform/win/messages.h"

namespace ql {

// The program's version: major, minor, release and build.
struct ProgramVersion {
    int major = 0;
    int minor = 0;
    int release = 0;
    int build = 0;
};
constexpr ProgramVersion kProgramVersion{2, 0, 5, 29};

// The logo's size, and how long the window stays up.
constexpr int32_t kLogoWidth = 420;
constexpr int32_t kLogoHeight = 260;
constexpr uint32_t kLogoTimerId = 44;
constexpr uint32_t kLogoTimeoutMs = 2000;

// "Version 2.0.5.29": all four numbers when the build is not 0, three when the
// release is not 0, else major and minor only ("Version 2.0").
std::string VersionLine(const std::string& word, const ProgramVersion& version);

// The About window's caption from the About menu item's text: the first "&"
// removed, the text cut at "...".
std::string AboutCaption(std::string_view menuText);

intptr_t SplashWndProc(platform::WindowHandle window, win::Message message, uint32_t word, intptr_t data);

// Creates and shows the splash (start-up) or the About window (with a caption).
platform::WindowHandle ShowSplashWindow();
platform::WindowHandle ShowAboutWindow();

// The splash or About window is up.
bool IsLogoShown();

}  // namespace ql
