// Up-down controls and progress bars: ranges and positions.
// An up-down's range may run either way; "up" always moves toward `upper`.
#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <string>

#include "platform/ui/control_state.h"
#include "platform/win/message_loop.h"

namespace ql::ui {
namespace {

using detail::ProgressState;
using detail::StateOf;
using detail::UpDownState;

constexpr int32_t kDecimalBase = 10;
constexpr int32_t kHexBase = 16;

int32_t ClampToRange(const UpDownState& s, int32_t position) {
    return std::clamp(position, std::min(s.lower, s.upper), std::max(s.lower, s.upper));
}

void WriteBuddy(WindowHandle upDown, const UpDownState& s) {
    if ((win::GetStyle(upDown) & kUpDownSetBuddyInt) == 0 || !win::IsWindow(s.buddy)) return;
    WindowHandle parent = win::GetParent(s.buddy);
    SetItemText(parent, win::GetWindowId(s.buddy), detail::FormatUpDownNumber(s.position, s.base));
}

// A bound up-down steps from the number its buddy shows (the user may have typed
// it); a buddy that shows no number leaves the position as it is.
void ReadBuddy(WindowHandle upDown, UpDownState& s) {
    if ((win::GetStyle(upDown) & kUpDownSetBuddyInt) == 0 || !win::IsWindow(s.buddy)) return;
    std::string text = win::GetWindowText(s.buddy);
    const char* begin = text.c_str();
    char* end = nullptr;
    errno = 0;
    long value = std::strtol(begin, &end, s.base);
    while (end && *end == ' ') ++end;
    if (end == begin || (end && *end != '\0') || errno == ERANGE) return;
    s.position = ClampToRange(s, static_cast<int32_t>(std::clamp<long>(value, INT32_MIN, INT32_MAX)));
}

// The position after one press of an arrow: one step toward `upper` (up) or
// `lower` (down), wrapping round or stopping at the end.
int32_t Stepped(const UpDownState& s, bool up, bool wraps) {
    int32_t target = up ? s.upper : s.lower;
    if (s.position == target) return wraps ? (up ? s.lower : s.upper) : s.position;
    int32_t step = target > s.position ? 1 : -1;
    return ClampToRange(s, s.position + step);
}

}  // namespace

bool SetUpDownRange(WindowHandle upDown, int32_t lower, int32_t upper) {
    auto* s = StateOf<UpDownState>(upDown);
    if (!s) return false;
    s->lower = lower;
    s->upper = upper;
    s->position = ClampToRange(*s, s->position);
    return true;
}

UpDownRange GetUpDownRange(WindowHandle upDown) {
    auto* s = StateOf<UpDownState>(upDown);
    return s ? UpDownRange{s->lower, s->upper} : UpDownRange{};
}

int32_t SetUpDownPosition(WindowHandle upDown, int32_t position) {
    auto* s = StateOf<UpDownState>(upDown);
    if (!s) return 0;
    int32_t previous = s->position;
    s->position = ClampToRange(*s, position);
    WriteBuddy(upDown, *s);
    return previous;
}

int32_t GetUpDownPosition(WindowHandle upDown) {
    auto* s = StateOf<UpDownState>(upDown);
    return s ? s->position : 0;
}

bool SetUpDownBase(WindowHandle upDown, int32_t base) {
    auto* s = StateOf<UpDownState>(upDown);
    if (!s || (base != kDecimalBase && base != kHexBase)) return false;
    s->base = base;
    return true;
}

int32_t GetUpDownBase(WindowHandle upDown) {
    auto* s = StateOf<UpDownState>(upDown);
    return s ? s->base : 0;
}

WindowHandle SetUpDownBuddy(WindowHandle upDown, WindowHandle buddy) {
    auto* s = StateOf<UpDownState>(upDown);
    if (!s) return WindowHandle{};
    WindowHandle previous = s->buddy;
    s->buddy = buddy;
    return previous;
}

WindowHandle GetUpDownBuddy(WindowHandle upDown) {
    auto* s = StateOf<UpDownState>(upDown);
    return s ? s->buddy : WindowHandle{};
}

bool PressUpDownArrow(WindowHandle upDown, bool up) {
    auto* s = StateOf<UpDownState>(upDown);
    if (!s) return false;
    uint32_t style = win::GetStyle(upDown);
    ReadBuddy(upDown, *s);
    s->position = Stepped(*s, up, (style & kUpDownWrap) != 0);
    int32_t position = s->position;
    WriteBuddy(upDown, *s);
    auto code = up ? win::ScrollCode::LineUp : win::ScrollCode::LineDown;
    auto message = (style & kUpDownHorizontal) ? win::Message::HorizontalScroll : win::Message::VerticalScroll;
    win::SendMessage(win::GetParent(upDown), message, win::MakeScrollWord(code, position), win::HandleData(upDown));
    return true;
}

bool SetProgressRange(WindowHandle bar, int32_t low, int32_t high) {
    auto* s = StateOf<ProgressState>(bar);
    if (!s || high < low) return false;
    s->low = low;
    s->high = high;
    s->position = std::clamp(s->position, low, high);
    return true;
}

int32_t SetProgressPosition(WindowHandle bar, int32_t position) {
    auto* s = StateOf<ProgressState>(bar);
    if (!s) return 0;
    int32_t previous = s->position;
    s->position = std::clamp(position, s->low, s->high);
    return previous;
}

int32_t GetProgressPosition(WindowHandle bar) {
    auto* s = StateOf<ProgressState>(bar);
    return s ? s->position : 0;
}

ProgressRange GetProgressRange(WindowHandle bar) {
    auto* s = StateOf<ProgressState>(bar);
    return s ? ProgressRange{s->low, s->high} : ProgressRange{};
}

}  // namespace ql::ui
