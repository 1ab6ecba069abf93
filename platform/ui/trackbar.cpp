// Trackbars: range, page, ticks, position and the user's moves (see trackbar.h).
#include "platform/ui/trackbar.h"

#include <algorithm>

#include "platform/ui/control_state.h"
#include "platform/win/message_loop.h"

namespace ql::ui {
namespace {

using detail::StateOf;
using detail::TrackbarState;

int32_t Clamped(const TrackbarState& s, int32_t position) {
    return std::clamp(position, s.minimum, s.maximum);
}

}  // namespace

bool SetTrackbarRange(WindowHandle trackbar, int32_t minimum, int32_t maximum) {
    auto* s = StateOf<TrackbarState>(trackbar);
    if (s == nullptr || maximum < minimum) return false;
    s->minimum = minimum;
    s->maximum = maximum;
    s->position = Clamped(*s, s->position);
    return true;
}

TrackbarRange GetTrackbarRange(WindowHandle trackbar) {
    auto* s = StateOf<TrackbarState>(trackbar);
    return s != nullptr ? TrackbarRange{s->minimum, s->maximum} : TrackbarRange{};
}

int32_t SetTrackbarPosition(WindowHandle trackbar, int32_t position) {
    auto* s = StateOf<TrackbarState>(trackbar);
    if (s == nullptr) return 0;
    const int32_t previous = s->position;
    s->position = Clamped(*s, position);
    return previous;
}

int32_t GetTrackbarPosition(WindowHandle trackbar) {
    auto* s = StateOf<TrackbarState>(trackbar);
    return s != nullptr ? s->position : 0;
}

bool SetTrackbarPage(WindowHandle trackbar, int32_t page) {
    auto* s = StateOf<TrackbarState>(trackbar);
    if (s == nullptr || page < 1) return false;
    s->page = page;
    return true;
}

int32_t GetTrackbarPage(WindowHandle trackbar) {
    auto* s = StateOf<TrackbarState>(trackbar);
    return s != nullptr ? s->page : 0;
}

bool SetTrackbarTickFrequency(WindowHandle trackbar, int32_t frequency) {
    auto* s = StateOf<TrackbarState>(trackbar);
    if (s == nullptr || frequency < 0) return false;
    s->tickFrequency = frequency;
    return true;
}

int32_t GetTrackbarTickFrequency(WindowHandle trackbar) {
    auto* s = StateOf<TrackbarState>(trackbar);
    return s != nullptr ? s->tickFrequency : 0;
}

bool MoveTrackbar(WindowHandle trackbar, win::ScrollCode code, int32_t position) {
    auto* s = StateOf<TrackbarState>(trackbar);
    if (s == nullptr || !win::IsWindowEnabled(trackbar)) return false;
    int32_t next = s->position;
    switch (code) {
        case win::ScrollCode::LineUp: next -= 1; break;
        case win::ScrollCode::LineDown: next += 1; break;
        case win::ScrollCode::PageUp: next -= s->page; break;
        case win::ScrollCode::PageDown: next += s->page; break;
        case win::ScrollCode::Top: next = s->minimum; break;
        case win::ScrollCode::Bottom: next = s->maximum; break;
        case win::ScrollCode::ThumbTrack:
        case win::ScrollCode::ThumbPosition: next = position; break;
        case win::ScrollCode::EndScroll: break;
    }
    s->position = Clamped(*s, next);
    const bool vertical = (win::GetStyle(trackbar) & kTrackbarVertical) != 0;
    const auto message = vertical ? win::Message::VerticalScroll : win::Message::HorizontalScroll;
    const WindowHandle parent = win::GetParent(trackbar);
    win::SendMessage(parent, message, win::MakeScrollWord(code, s->position), win::HandleData(trackbar));
    if (code != win::ScrollCode::EndScroll && win::IsWindow(trackbar))
        win::SendMessage(parent, message, win::MakeScrollWord(win::ScrollCode::EndScroll, 0), win::HandleData(trackbar));
    return true;
}

}  // namespace ql::ui
