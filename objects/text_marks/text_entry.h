// The in-place text-entry window (dialog 816): one edit and OK, opened over the
// pointer, growing with the text, in which a text object's string is typed. The
// same window serves lyrics with their own procedure: Space or Tab (without Ctrl)
// ends the syllable, and pasted text is spread one word per syllable.
//
// A text's edit has the text-entry procedure (display/text_entry_procedure.h): what
// the input method finishes and what is pasted go in through the input language's
// character set. A lyric's edit is not subclassed: the typed text arrives through the
// edit's change notification, and a blank or tab in it stands for the syllable-end
// character 127 the keys are turned into (a Ctrl-held blank stays a blank). Text
// stays bytes of the object's character set throughout.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "core/model/score_document.h"
#include "core/text/text_object.h"
#include "platform/gfx/types.h"
#include "platform/handles.h"

namespace ql {

// What the entry window ends with.
constexpr int kEntryClosed = 1;            // Enter
constexpr int kEntryCancelled = 2;         // Escape (or a blank lyric on Enter)
constexpr int kEntryNextSyllable = 1339;   // a lyric syllable ended by Space or Tab
constexpr int kEntryStopSyllables = 1340;  // a pasted text ran out on a blank word

// The character the syllable-end keys are turned into.
constexpr char kSyllableEnd = 127;
// What an empty text entry gives a text object.
inline constexpr char kEmptyEntryText[] = "*";

enum class EntryProcedure : uint8_t { Text = 0, Lyric = 1 };

// The window's measurements: the edit's margins, the pointer move after opening,
// the least width, and the font height used without a drawing surface.
constexpr int32_t kEntryLeftMargin = 2;
constexpr int32_t kEntryTopMargin = 2;
constexpr int32_t kEntryPointerDx = 8;
constexpr int32_t kEntryPointerDy = 20;
constexpr int32_t kEntryLeastWidth = 20;
constexpr int32_t kEntryDefaultPixelHeight = 30;

// The program-wide state of typing (user-interface thread only).
struct TextEntryState {
    bool active = false;       // an entry window is open
    std::string pendingPaste;  // a pasted text spread over syllables
    size_t pastePosition = 0;  // where its next word starts
    bool pastePending = false;
};
TextEntryState& TheTextEntryState();
void ResetTextEntryState();

// The text metrics the window is sized by, in pixels.
struct EntryMetrics {
    int32_t widestChar = 0;
    int32_t lineHeight = 0;
    int32_t ascent = 0;
};
// The window's screen rectangle for a text of `textWidth` pixels with the pointer
// at `pointer`: centred on its x, the text top at pointer y - ascent.
gfx::Rect EntryWindowRect(const EntryMetrics& metrics, int32_t textWidth, gfx::Point pointer);

// The widest and the tallest character of 33..127 of the font selected into `dc`;
// the extent of "W" when either is 0.
gfx::Size MeasureWidestChar(platform::DcHandle dc);
// The screen height in pixels of a text style at the view's zoom: the height's
// magnitude in score units times zoom / 128; kEntryDefaultPixelHeight when the view
// has no zoom (no drawing surface) or the record no height. At least 1.
int32_t EntryFontPixelHeight(const ScoreView* view, const QuickFontRecord& record);

// One entry: the result, and the text typed (for a lyric, the syllable without its
// end character; for a text, trailing blanks cut and "*" for an empty one).
struct TextEntryOutcome {
    int result = kEntryCancelled;
    std::string text;
};
struct TextEntryRequest {
    ScoreView* view = nullptr;
    EntryProcedure procedure = EntryProcedure::Text;
    std::string initial;             // the entry buffer the edit starts with
    platform::FontHandle font{};     // the entry font (the text layer's default when null)
    std::function<void()> onResize;  // a lyric entry's repaint of its neighbours
};
TextEntryOutcome RunTextEntryWindow(const TextEntryRequest& request);

// ---- Lyric paste ----

// What a paste into a lyric entry does: with no paste pending, the text becomes the
// pending paste and its first word is typed into the entry and ended. Returns false
// (nothing done) when a paste is pending already or the text holds no word.
bool PasteIntoLyricEntry(platform::WindowHandle entry, std::string_view text);
// The next word of the pending paste: leading characters 1..32 skipped, then the
// characters above 32 (at most 1,023); the paste is released when it is used up.
// Empty when nothing is pending or nothing is left.
std::string TakeNextPastedWord(TextEntryState& state);

// True for a text that is empty or holds only characters 1..32.
bool IsBlankText(std::string_view text);

}  // namespace ql
