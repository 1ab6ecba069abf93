// The program's toolbars as a model of buttons: for each toolbar its buttons by
// command id with their image and their enabled, checked and pressed bits. The
// model exists with or without toolbars on the screen, so the transport's checked
// buttons read the same everywhere; a toolbar control shown for a toolbar follows
// its buttons through the change listener.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace ql {

struct ScoreView;

enum class ToolbarKind : uint8_t { File, Edit, View, Text, Notes, Window, Voices, Page, Transport };
constexpr int kToolbarKindCount = 9;

struct ToolbarButton {
    int32_t command = 0;
    int32_t baseImage = 0;  // the button's first image in its strip
    int32_t image = 0;      // the image shown
    bool enabled = true;
    bool checked = false;
    bool pressed = false;
};

struct Toolbar {
    ToolbarKind kind = ToolbarKind::File;
    std::vector<ToolbarButton> buttons;
};

constexpr int32_t kStartPlaybackButton = 42035;
constexpr int32_t kStartRecordingButton = 42036;
constexpr int32_t kStopButton = 42037;
constexpr int32_t kPausePlaybackButton = 42038;
constexpr int32_t kFirstVoiceButton = 42039;

// The toolbar of a kind (never null), and the one holding a command (null: none).
Toolbar* ProgramToolbar(ToolbarKind kind);
Toolbar* ToolbarOfCommand(int32_t command);
// A button of a toolbar; null when the toolbar is null or has no such button.
ToolbarButton* FindToolbarButton(Toolbar* toolbar, int32_t command);
// Every toolbar back to its buttons enabled, unchecked and on their base images.
void ResetProgramToolbars();

bool IsToolbarButtonChecked(int32_t command);
bool IsToolbarButtonEnabled(int32_t command);
// Sets the checked and pressed bits of a button, keeping its enabled bit.
void SetToolbarButtonChecked(Toolbar* toolbar, int32_t command, bool checked);

// The button's image becomes its base image + offset; a change is shown by
// pressing and releasing the button once.
void SetToolbarButtonImage(Toolbar* toolbar, int32_t command, int32_t offset);

// Called after any bit or image of a button changed.
using ToolbarButtonListener = void (*)(const Toolbar& toolbar, const ToolbarButton& button);
void SetToolbarButtonListener(ToolbarButtonListener listener);

// The run's state into the transport buttons' checked bits: Start Playback while a
// run plays, Start Recording while a run records, Pause while the run is paused.
void ReflectTransportInButtons();

// Clears the checked and pressed bits of Pause, Start Playback and Start Recording,
// then updates every button.
void ReleaseTransportButtons(ScoreView* view);

// The shell's services behind UpdateToolbarButtons, UpdateViewToolbarButtons and
// UpdateVoiceButtons (core/ui/shell_services.h): every button's enabled state from
// the command state, the buttons mirroring the view's display settings, and the
// four voice buttons from the view's masks.
void RefreshToolbarButtons(ScoreView* view);
void RefreshViewToolbarButtons(ScoreView* view, Toolbar* toolbar);
void RefreshVoiceButtons(ScoreView* view);

}  // namespace ql
