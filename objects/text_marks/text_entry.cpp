// The in-place text-entry window and the lyric paste (see text_entry.h).
#include "objects/text_marks/text_entry.h"

#include <algorithm>
#include <cstdlib>

#include "core/model/document.h"
#include "core/text/charset_text.h"
#include "core/ui/modal_boxes.h"
#include "core/ui/status_bar.h"
#include "display/text_entry_procedure.h"
#include "objects/text_marks/text_dialog_resources.h"
#include "platform/gfx/dc.h"
#include "platform/gfx/objects.h"
#include "platform/text/context_font.h"
#include "platform/text/text_metrics.h"
#include "platform/ui/controls.h"
#include "platform/ui/dialog.h"
#include "platform/ui/edit_charset.h"
#include "platform/ui/message_box.h"
#include "platform/win/input.h"
#include "platform/win/keys.h"
#include "platform/win/window.h"

namespace ql {
namespace {

using namespace text_entry_dialog;
using platform::WindowHandle;

constexpr char kEntryStatus[] = " Press ENTER to close text entry.";
constexpr int kEntryStatusPart = 0;
constexpr unsigned char kLastBlankCode = 32;
constexpr unsigned char kFirstProbedChar = 33;
constexpr unsigned char kLastProbedChar = 127;
constexpr int32_t kScoreUnitsPerSpace = 128;
constexpr char kEmptyProbe[] = " ";
constexpr char kWideProbe[] = "W";

TextEntryState g_state;

bool IsBlank(unsigned char c) {
    return c >= 1 && c <= kLastBlankCode;
}

// One open entry window: its request, its measuring context and what it ends with.
class EntrySession {
  public:
    explicit EntrySession(const TextEntryRequest& request) : request_(request) {}
    ~EntrySession() {
        if (dc_) gfx::DeleteContext(dc_);
    }
    EntrySession(const EntrySession&) = delete;
    EntrySession& operator=(const EntrySession&) = delete;

    intptr_t Handle(WindowHandle dialog, win::Message message, uint32_t word);
    TextEntryOutcome outcome;

  private:
    void Open(WindowHandle dialog);
    void Resize(WindowHandle dialog, const std::string& text);
    void OnUpdate(WindowHandle dialog);
    void OnLyricUpdate(WindowHandle dialog, std::string text);
    void OnOk(WindowHandle dialog);
    void End(WindowHandle dialog, int result);
    void SetEditText(WindowHandle dialog, const std::string& text);
    bool IsLyric() const { return request_.procedure == EntryProcedure::Lyric; }

    const TextEntryRequest& request_;
    platform::DcHandle dc_{};
    EntryMetrics metrics_;
    gfx::Point pointer_{};
    bool settingText_ = false;
    bool caretPlaced_ = false;
    bool ended_ = false;
};

void EntrySession::SetEditText(WindowHandle dialog, const std::string& text) {
    settingText_ = true;
    ui::SetItemText(dialog, kEntryEdit, text);
    settingText_ = false;
}

void EntrySession::Open(WindowHandle dialog) {
    g_state.active = true;
    SetStatusText(kEntryStatusPart, kEntryStatus);
    pointer_ = win::GetCursorPosition();
    if (IsLyric() && g_state.pastePending) {
        if (request_.initial.empty()) {
            outcome.text = TakeNextPastedWord(g_state);
            End(dialog, outcome.text.empty() ? kEntryCancelled : kEntryNextSyllable);
            return;
        }
        g_state = TextEntryState{};
        g_state.active = true;
    }
    dc_ = gfx::CreateMemoryContext({});
    gfx::SelectObject(dc_, request_.font ? request_.font : text::DefaultFont());
    gfx::Size widest = MeasureWidestChar(dc_);
    if (widest.cx == 0) {
        // A font that shows nothing of 33..127 (no such face here): type in the default one.
        gfx::SelectObject(dc_, text::DefaultFont());
        widest = MeasureWidestChar(dc_);
    }
    text::TextMetrics tm;
    text::GetTextMetrics(dc_, &tm);
    metrics_ = {widest.cx, tm.height, tm.ascent};
    // The entry holds its text in the input language's character set, lyrics too.
    const WindowHandle edit = ui::GetDialogItem(dialog, kEntryEdit);
    ui::SetEditCharset(edit, EntryCharset(edit));
    SetEditText(dialog, request_.initial);
    // Typed and pasted text arrive through the entry's own procedure, in the input
    // language's character set; a paste is followed by a re-read.
    if (!IsLyric()) SubclassTextEntryControl(dialog, kEntryEdit, ui::kEditChange);
    Resize(dialog, request_.initial);
    win::SetFocus(edit);
    win::SetCursorPosition({pointer_.x + kEntryPointerDx, pointer_.y + kEntryPointerDy});
}

void EntrySession::Resize(WindowHandle dialog, const std::string& text) {
    gfx::Size size;
    const std::string& shown = text.empty() ? std::string(kEmptyProbe) : text;
    if (!TextExtentOfFont(dc_, shown.data(), static_cast<int>(shown.size()), &size)) size = {};
    const gfx::Rect rect = EntryWindowRect(metrics_, size.cx, pointer_);
    win::MoveWindow(dialog, rect, true);
    WindowHandle edit = ui::GetDialogItem(dialog, kEntryEdit);
    win::MoveWindow(edit, {0, 0, rect.Width(), rect.Height()}, true);
    if (!caretPlaced_) {
        const auto end = static_cast<int32_t>(text.size());
        ui::SelectEditText(edit, end, end);
        caretPlaced_ = true;
    }
    if (IsLyric() && request_.onResize) request_.onResize();
}

void EntrySession::OnUpdate(WindowHandle dialog) {
    std::string text = ui::GetItemText(dialog, kEntryEdit);
    if (text.size() > kMaxEntryTextBytes) text.resize(kMaxEntryTextBytes);
    if (IsLyric()) return OnLyricUpdate(dialog, std::move(text));
    Resize(dialog, text);
}

// Blanks and tabs typed without Ctrl end the syllable; leading ends are dropped, so
// an end on an empty entry stays at the same note.
void EntrySession::OnLyricUpdate(WindowHandle dialog, std::string text) {
    if (!win::IsKeyDown(win::Key::Control))
        std::replace_if(
            text.begin(), text.end(), [](char c) { return c == ' ' || c == '\t'; }, kSyllableEnd);
    const size_t first = text.find_first_not_of(kSyllableEnd);
    if (first != 0) {
        text.erase(0, first == std::string::npos ? text.size() : first);
        SetEditText(dialog, text);
    }
    const size_t end = text.find(kSyllableEnd);
    if (end == std::string::npos && !g_state.pastePending) return Resize(dialog, text);
    if (end != std::string::npos) text.resize(end);
    TrimTrailingSpaces(text);
    outcome.text = text;
    if (g_state.pastePending && IsBlankText(text)) return End(dialog, kEntryStopSyllables);
    End(dialog, kEntryNextSyllable);
}

void EntrySession::OnOk(WindowHandle dialog) {
    if (request_.view != nullptr) SetDocumentModified(request_.view->document);
    std::string text = ui::GetItemText(dialog, kEntryEdit);
    if (text.size() > kMaxEntryTextBytes) text.resize(kMaxEntryTextBytes);
    if (IsLyric() && !win::IsKeyDown(win::Key::Control)) {
        const size_t end = text.find_first_of(std::string{' ', '\t', kSyllableEnd});
        if (end == 0) text.erase(0, text.find_first_not_of(std::string{' ', '\t', kSyllableEnd}));
    }
    TrimTrailingSpaces(text);
    if (IsLyric()) {
        outcome.text = text;
        return End(dialog, IsBlankText(text) ? kEntryCancelled : kEntryClosed);
    }
    outcome.text = IsBlankText(text) ? std::string(kEmptyEntryText) : text;
    End(dialog, kEntryClosed);
}

void EntrySession::End(WindowHandle dialog, int result) {
    if (ended_) return;
    ended_ = true;
    outcome.result = result;
    if (result == kEntryClosed) ClearStatusPart(kEntryStatusPart);
    ui::EndDialog(dialog, result);
}

intptr_t EntrySession::Handle(WindowHandle dialog, win::Message message, uint32_t word) {
    if (message == win::Message::InitDialog) {
        Open(dialog);
        return 0;
    }
    if (message != win::Message::Command || ended_) return 0;
    const uint32_t id = win::CommandId(word);
    if (id == kEntryEdit && win::CommandCode(word) == ui::kEditChange && !settingText_) {
        OnUpdate(dialog);
    } else if (id == ui::kIdOk) {
        OnOk(dialog);
    } else if (id == ui::kIdCancel) {
        End(dialog, kEntryCancelled);
    } else {
        return 0;
    }
    return 1;
}

}  // namespace

TextEntryState& TheTextEntryState() {
    return g_state;
}

void ResetTextEntryState() {
    g_state = TextEntryState{};
}

bool IsBlankText(std::string_view text) {
    return std::all_of(text.begin(), text.end(),
                       [](char c) { return IsBlank(static_cast<unsigned char>(c)); });
}

gfx::Rect EntryWindowRect(const EntryMetrics& metrics, int32_t textWidth, gfx::Point pointer) {
    int32_t width = metrics.widestChar + metrics.widestChar / 8 + 2 * kEntryLeftMargin + textWidth;
    width = std::max(width, kEntryLeastWidth);
    const int32_t height = metrics.lineHeight + 2 * kEntryTopMargin;
    const int32_t left = pointer.x - width / 2;
    const int32_t top = pointer.y - metrics.ascent - kEntryTopMargin;
    return {left, top, left + width, top + height};
}

gfx::Size MeasureWidestChar(platform::DcHandle dc) {
    gfx::Size widest{};
    for (unsigned c = kFirstProbedChar; c <= kLastProbedChar; ++c) {
        const char probe[2] = {static_cast<char>(c), '\0'};
        gfx::Size size;
        if (!text::GetTextExtentA(dc, probe, &size)) continue;
        widest.cx = std::max(widest.cx, size.cx);
        widest.cy = std::max(widest.cy, size.cy);
    }
    if (widest.cx == 0 || widest.cy == 0) text::GetTextExtentA(dc, kWideProbe, &widest);
    return widest;
}

int32_t EntryFontPixelHeight(const ScoreView* view, const QuickFontRecord& record) {
    if (view == nullptr || view->zoom <= 0 || record.height == 0) return kEntryDefaultPixelHeight;
    const int32_t pixels =
        std::abs(static_cast<int32_t>(record.height)) * view->zoom / kScoreUnitsPerSpace;
    return std::max(pixels, 1);
}

TextEntryOutcome RunTextEntryWindow(const TextEntryRequest& request) {
    EntrySession session(request);
    const intptr_t result =
        ModalDialogBox(request.view, kTextEntryDialog,
                       [&session](WindowHandle dialog, win::Message message, uint32_t word,
                                  intptr_t) { return session.Handle(dialog, message, word); });
    g_state.active = false;
    TextEntryOutcome outcome = session.outcome;
    if (result != kEntryClosed && result != kEntryNextSyllable && result != kEntryStopSyllables)
        outcome.result = kEntryCancelled;
    else
        outcome.result = static_cast<int>(result);
    return outcome;
}

bool PasteIntoLyricEntry(platform::WindowHandle entry, std::string_view text) {
    if (g_state.pastePending) return false;
    g_state.pendingPaste.assign(text);
    g_state.pastePosition = 0;
    g_state.pastePending = true;
    const std::string word = TakeNextPastedWord(g_state);
    if (word.empty()) return false;
    ui::SetItemText(entry, kEntryEdit, word + kSyllableEnd);
    return true;
}

std::string TakeNextPastedWord(TextEntryState& state) {
    if (!state.pastePending) return {};
    const std::string& text = state.pendingPaste;
    size_t at = std::min(state.pastePosition, text.size());
    while (at < text.size() && IsBlank(static_cast<unsigned char>(text[at]))) ++at;
    std::string word;
    while (at < text.size() && word.size() < kMaxEntryTextBytes &&
           (static_cast<unsigned char>(text[at]) > kLastBlankCode))
        word.push_back(text[at++]);
    state.pastePosition = at;
    size_t rest = at;
    while (rest < text.size() && IsBlank(static_cast<unsigned char>(text[rest]))) ++rest;
    if (rest >= text.size()) {
        // The text is used up: the pasted copy is released, and the next entry is typed.
        state.pendingPaste.clear();
        state.pastePosition = 0;
        state.pastePending = false;
    }
    return word;
}

}  // namespace ql
