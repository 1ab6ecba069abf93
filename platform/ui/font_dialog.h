// The system's font chooser: the program asks for a face, a size in points, a weight,
// italic, underline and a character set, starting from the font it shows, and gets
// back the font chosen or a cancel. A backend (the desktop's font chooser) is
// installed at start-up; without one, tests answer the dialogs from a queue and
// every dialog is recorded.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace ql::ui {

// Weights as the font layer counts them; 500 and above reads as bold.
constexpr int32_t kFontDialogNormalWeight = 400;
constexpr int32_t kFontDialogBoldWeight = 700;
constexpr int32_t kFontDialogBoldFrom = 500;

// A font as the chooser shows and returns it.
struct ChosenFont {
    std::string face;
    int32_t points = 0;  // whole points
    int32_t weight = kFontDialogNormalWeight;
    bool italic = false;
    bool underline = false;
    uint8_t charset = 0;
    bool operator==(const ChosenFont&) const = default;
};

struct FontDialogRequest {
    std::string title;
    ChosenFont initial;         // what the chooser starts from
    bool screenFonts = true;    // the faces the screen shows (the only kind here)
    bool effects = true;        // underline offered with the face
};

enum class FontDialogStatus : uint8_t { Chosen = 0, Cancelled = 1 };

struct FontDialogAnswer {
    FontDialogStatus status = FontDialogStatus::Cancelled;
    ChosenFont font;
};

using FontDialogBackend = std::function<FontDialogAnswer(const FontDialogRequest& request)>;

// Runs the font chooser through the installed backend, or answers it from the test
// queue (a cancel when the queue is empty). A chosen font without a face, or with a
// size below 1 point, counts as a cancel.
FontDialogAnswer RunFontDialog(const FontDialogRequest& request);

// Installs the desktop's font chooser; an empty function goes back to the queue.
void InstallFontDialogBackend(FontDialogBackend backend);

namespace headless {

void QueueFontDialogAnswer(FontDialogAnswer answer);
// Every font dialog run while no backend was installed, in order.
const std::vector<FontDialogRequest>& FontDialogs();
// Clears the queue and the record and removes an installed backend.
void ResetFontDialogs();

}  // namespace headless
}  // namespace ql::ui
