// Mixer windows: the chain of each view, creating a mixer's window and its
// controls with the geometry of its faders, showing, hiding and the window
// procedure (see mixer_window.h).
#include "sequencer/mixer_window.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "core/core_strings.h"
#include "core/model/score_document.h"
#include "core/ui/modal_boxes.h"
#include "core/ui/shell_services.h"
#include "platform/ui/controls.h"
#include "platform/ui/dialog_template.h"
#include "platform/ui/message_box.h"
#include "platform/ui/trackbar.h"
#include "platform/win/input.h"
#include "platform/win/message_loop.h"
#include "platform/win/window.h"
#include "sequencer/mixer_buttons.h"
#include "sequencer/playback.h"
#include "sequencer/sequencer_services.h"

namespace ql {
namespace {

using platform::WindowHandle;

constexpr char kUnableToCreate[] = "Unable to create Mixer.";
constexpr int kTopArea = 60;       // readouts and transport buttons above the faders
constexpr int kBelowFaders = 50;   // solo, mute and number under each fader
constexpr int kRightArea = 74;     // master and tempo faders
constexpr int kLeastFaderWidth = 12;
constexpr int kMostFaderWidth = 38;
constexpr int kFaderGap = 4;
constexpr int kButtonHeight = 14;
constexpr int kLabelHeight = 14;
constexpr int kTickEvery = 16;
constexpr int kTickWidth = 24;  // a fader at least this wide shows ticks
constexpr int kTransportWidth = 48;
constexpr int kLeastHeight = 300;
constexpr int kScrollerTop = 46;  // below the transport buttons, above the faders
constexpr int kScrollerHeight = 12;

// Every view's mixers, owned here in chain order.
std::map<const ScoreView*, std::vector<std::unique_ptr<MixerWindow>>>& Chains() {
    static std::map<const ScoreView*, std::vector<std::unique_ptr<MixerWindow>>> chains;
    return chains;
}

void EnsureMixerClass() {
    if (win::IsClassRegistered(kMixerClass)) return;
    ui::RegisterControlClasses();
    win::WindowClass cls;
    cls.name = kMixerClass;
    cls.procedure = MixerWndProc;
    win::RegisterWindowClass(cls);
}

WindowHandle Child(WindowHandle parent, const char* cls, int32_t id, const std::string& text, win::Rect rect,
                   uint32_t style = 0) {
    win::WindowParams params;
    params.className = cls;
    params.caption = text;
    params.parent = parent;
    params.id = id;
    params.rect = rect;
    params.style = win::kStyleChild | win::kStyleVisible | style;
    return win::CreateWindow(params);
}

int IndexInChain(const MixerWindow* mixer) {
    int index = 1;
    for (const MixerWindow* m = FirstMixerOf(mixer->view); m != nullptr && m != mixer; m = m->next) ++index;
    return index;
}

std::string CaptionOf(const MixerWindow* mixer) {
    const int index = IndexInChain(mixer);
    if (index == 1) return "Mixer";
    char text[32];
    std::snprintf(text, sizeof text, "%s %d", "Mixer", index);
    return text;
}

int32_t IdOfFader(int fader) {
    if (fader == 0) return kMixerMasterId;
    if (fader == kMixerTempoIndex) return kMixerTempoId;
    return fader;
}

// The room at the right of the staff faders: the master and tempo faders side by
// side, at least the least right area.
int RightAreaOf(int pitch) { return std::max(kRightArea, 2 * pitch + kFaderGap); }

// "Master" and "BPM" under the master and tempo faders (the master's left edge at
// x, the faders' foot at y): each on its own row across both faders, the second
// right-aligned under the tempo fader, so that neither text runs into the other
// however narrow the faders are.
void PlaceFaderLabels(MixerWindow* mixer, int x, int y) {
    const int right = x + RightAreaOf(mixer->faderPitch) - kFaderGap;
    win::MoveWindow(mixer->masterLabel, {x, y, right, y + kLabelHeight}, true);
    win::MoveWindow(mixer->bpmLabel, {x, y + kLabelHeight, right, y + 2 * kLabelHeight}, true);
}

void CreateFader(MixerWindow* mixer, int fader, int x, int height) {
    MixerFader& f = mixer->faders[fader];
    const uint32_t ticks = mixer->faderWidth >= kTickWidth ? ui::kTrackbarAutoTicks : 0;
    f.trackbar = Child(mixer->window, ui::kTrackbarClass, IdOfFader(fader), "",
                       {x, kTopArea, x + mixer->faderWidth, kTopArea + height}, ui::kTrackbarVertical | ticks);
    ui::SetTrackbarRange(f.trackbar, 0, kFaderPositions);
    ui::SetTrackbarPage(f.trackbar, kFaderPage);
    ui::SetTrackbarPosition(f.trackbar, kFaderPositions / 2);
    ui::SetTrackbarTickFrequency(f.trackbar, ticks != 0 ? kTickEvery : 0);
    if (fader < 1 || fader > kMixerStaffFaders) return;
    const int y = kTopArea + height;
    const int right = x + mixer->faderWidth;
    f.solo = Child(mixer->window, ui::kButtonClass, kMixerSoloBase + fader, "S", {x, y, right, y + kButtonHeight},
                   ui::kButtonOwnerDraw);
    f.mute = Child(mixer->window, ui::kButtonClass, kMixerMuteBase + fader, "M",
                   {x, y + kButtonHeight, right, y + 2 * kButtonHeight}, ui::kButtonOwnerDraw);
    f.number = Child(mixer->window, ui::kStaticClass, ui::kUnusedControlId, std::to_string(fader),
                     {x, y + 2 * kButtonHeight, right, y + 2 * kButtonHeight + kLabelHeight});
}

MixerWindow* AppendMixer(ScoreView* view) {
    std::vector<std::unique_ptr<MixerWindow>>& chain = Chains()[view];
    if (chain.size() >= kMixersPerView) return nullptr;
    chain.emplace_back(ConstructMixerWindow(view));
    if (chain.size() > 1) chain[chain.size() - 2]->next = chain.back().get();
    return chain.back().get();
}

void Unable() {
    ModalMessageBox(kUnableToCreate, ProgramString(kStrProductName), ui::kBoxIconExclamation);
}

}  // namespace

MixerWindow* ConstructMixerWindow(ScoreView* view) {
    auto* mixer = new MixerWindow();
    mixer->view = view;
    return mixer;
}

MixerWindow* FirstMixerOf(const ScoreView* view) {
    const auto found = Chains().find(view);
    return found != Chains().end() && !found->second.empty() ? found->second.front().get() : nullptr;
}

MixerWindow* MixerOfWindow(WindowHandle window) {
    if (!window) return nullptr;
    for (auto& [view, chain] : Chains())
        for (const std::unique_ptr<MixerWindow>& m : chain)
            if (m->window == window) return m.get();
    return nullptr;
}

void LayoutMixer(MixerWindow* mixer) {
    const ScoreDocument* document = mixer->view->document;
    mixer->staffCount = document != nullptr ? document->header.staffCount : 0;
    mixer->fadersShown = std::clamp(mixer->staffCount, kMixerLeastFaders, kMixerStaffFaders);
    const int border = win::GetSystemMetric(win::SystemMetric::FrameWidth);
    const int width = win::GetSystemMetric(win::SystemMetric::ScreenWidth) - 2 * border;
    // The staff faders share what the readouts at the left and the master and tempo
    // faders at the right leave of the screen, so that all of them show on it.
    const int pitch = std::clamp((width - mixer->leftMargin - kRightArea) / mixer->fadersShown, kLeastFaderWidth + kFaderGap,
                                 kMostFaderWidth + kFaderGap);
    mixer->faderPitch = pitch;
    mixer->faderWidth = pitch - kFaderGap;
    mixer->windowWidth = mixer->fadersShown * pitch + 2 * border + RightAreaOf(pitch) + mixer->leftMargin;
}

WindowHandle CreateMixerControls(MixerWindow* mixer) {
    EnsureMixerClass();
    LayoutMixer(mixer);
    const int screen = win::GetSystemMetric(win::SystemMetric::ScreenWidth);
    const int left = std::max(0, (screen - mixer->windowWidth) / 2);
    win::WindowParams params;
    params.className = kMixerClass;
    params.caption = CaptionOf(mixer);
    params.style = win::kStyleOverlappedWindow;
    params.rect = {left, 0, left + mixer->windowWidth, kLeastHeight};
    mixer->window = win::CreateWindow(params);
    if (!mixer->window) return {};
    const WindowHandle w = mixer->window;
    // A window made anew for another staff count has none of the old one's faders.
    for (MixerFader& f : mixer->faders) {
        const int32_t value = f.value;
        f = MixerFader{};
        f.value = value;
    }
    const int height = kLeastHeight - kTopArea - kBelowFaders;
    mixer->readoutFrame = Child(w, ui::kStaticClass, ui::kUnusedControlId, "", {4, 4, mixer->leftMargin - 4, 50});
    mixer->valueReadout = Child(w, ui::kStaticClass, ui::kUnusedControlId, "", {8, 8, mixer->leftMargin - 8, 24});
    const int middle = mixer->windowWidth / 2;
    mixer->nameReadout = Child(w, ui::kStaticClass, ui::kUnusedControlId, "", {middle - 80, 4, middle + 80, 20});
    mixer->stop = Child(w, ui::kButtonClass, kMixerStop, "STOP", {8, 30, 8 + kTransportWidth, 44}, ui::kButtonOwnerDraw);
    mixer->play = Child(w, ui::kButtonClass, kMixerPlay, "PLAY", {8 + kTransportWidth + 4, 30, 8 + 2 * kTransportWidth + 4, 44},
                        ui::kButtonOwnerDraw);
    mixer->setup = Child(w, ui::kButtonClass, kMixerSetup, "Setup",
                         {8 + 2 * kTransportWidth + 8, 30, 8 + 3 * kTransportWidth + 8, 44}, ui::kButtonOwnerDraw);
    for (int fader = 1; fader <= mixer->fadersShown; ++fader)
        CreateFader(mixer, fader, mixer->leftMargin + (fader - 1) * mixer->faderPitch, height);
    const int right = mixer->leftMargin + mixer->fadersShown * mixer->faderPitch + kFaderGap;
    mixer->scroller = Child(w, ui::kScrollBarClass, ui::kUnusedControlId, "",
                            {mixer->leftMargin, kScrollerTop, right - 2 * kFaderGap, kScrollerTop + kScrollerHeight},
                            ui::kScrollBarHorizontal);
    win::ShowWindow(mixer->scroller, win::ShowCommand::Hide);
    CreateFader(mixer, 0, right, height);
    CreateFader(mixer, kMixerTempoIndex, right + mixer->faderPitch, height);
    mixer->masterLabel = Child(w, ui::kStaticClass, ui::kUnusedControlId, "Master", {});
    mixer->bpmLabel = Child(w, ui::kStaticClass, ui::kUnusedControlId, "BPM", {}, ui::kStaticRight);
    PlaceFaderLabels(mixer, right, kTopArea + height);
    RefreshMixer(mixer);
    return w;
}

void RelayoutFaders(MixerWindow* mixer) {
    if (!mixer->window) return;
    const win::Rect client = win::GetClientRect(mixer->window);
    const int height = std::max(kButtonHeight, client.Height() - kTopArea - kBelowFaders);
    for (int fader = 0; fader <= kMixerTempoIndex; ++fader) {
        MixerFader& f = mixer->faders[fader];
        if (!f.trackbar) continue;
        const win::Rect r = win::GetWindowRect(f.trackbar);
        const int x = win::ScreenToClient(mixer->window, {r.left, r.top}).x;
        win::MoveWindow(f.trackbar, {x, kTopArea, x + mixer->faderWidth, kTopArea + height}, true);
        const int y = kTopArea + height;
        if (f.solo) win::MoveWindow(f.solo, {x, y, x + mixer->faderWidth, y + kButtonHeight}, true);
        if (f.mute) win::MoveWindow(f.mute, {x, y + kButtonHeight, x + mixer->faderWidth, y + 2 * kButtonHeight}, true);
        if (f.number)
            win::MoveWindow(f.number, {x, y + 2 * kButtonHeight, x + mixer->faderWidth, y + 2 * kButtonHeight + kLabelHeight}, true);
        if (fader == 0) PlaceFaderLabels(mixer, x, y);
    }
}

MixerWindow* ShowMixerWindow(ScoreView* view) {
    if (view == nullptr || view->self != view || view->document == nullptr) return nullptr;
    MixerWindow* mixer = FirstMixerOf(view);
    while (mixer != nullptr && mixer->shown) mixer = mixer->next;
    if (mixer == nullptr) mixer = AppendMixer(view);
    if (mixer == nullptr) {
        Unable();
        return nullptr;
    }
    if (mixer->window && mixer->staffCount != view->document->header.staffCount) {
        win::DestroyWindow(mixer->window);
        mixer->window = {};
    }
    if (!mixer->window && !CreateMixerControls(mixer)) {
        Unable();
        return nullptr;
    }
    mixer->shown = true;
    win::ShowWindow(mixer->window, win::ShowCommand::Show);
    RefreshMixer(mixer);
    if (!win::IsWindow(view->MixerWindow)) view->MixerWindow = FirstMixerOf(view)->window;
    return mixer;
}

void ToggleMixerWindow(ScoreView* view, bool show) {
    if (show) {
        ShowMixerWindow(view);
        return;
    }
    for (MixerWindow* m = FirstMixerOf(view); m != nullptr; m = m->next) {
        if (m->window) win::ShowWindow(m->window, win::ShowCommand::Hide);
        m->shown = false;
    }
}

bool IsAnyMixerShown(const ScoreView* view) {
    for (const MixerWindow* m = FirstMixerOf(view); m != nullptr; m = m->next)
        if (m->shown) return true;
    return false;
}

void DestroyMixerWindows(ScoreView* view) {
    const auto found = Chains().find(view);
    if (found == Chains().end()) return;
    std::vector<std::unique_ptr<MixerWindow>> chain = std::move(found->second);
    Chains().erase(found);
    for (const std::unique_ptr<MixerWindow>& m : chain)
        if (m->window) win::DestroyWindow(m->window);
    if (view != nullptr && view->self == view) view->MixerWindow = {};
}

intptr_t MixerWndProc(WindowHandle window, win::Message message, uint32_t word, intptr_t data) {
    MixerWindow* mixer = MixerOfWindow(window);
    if (mixer == nullptr) return win::DefaultWindowProc(window, message, word, data);
    switch (message) {
        case win::Message::VerticalScroll:
            HandleFaderScroll(mixer, win::ScrollCodeOf(word), win::WindowFromData(data));
            return 0;
        case win::Message::HorizontalScroll:
            if (mixer->scroller && win::WindowFromData(data) == mixer->scroller)
                ScrollMixer(mixer, win::ScrollCodeOf(word), win::ScrollPositionOf(word));
            return 0;
        case win::Message::DrawItem: {
            const auto* item = reinterpret_cast<const win::DrawItemInfo*>(data);
            return item != nullptr && DrawMixerButton(mixer, *item) ? 1 : 0;
        }
        case win::Message::Command: {
            const int32_t id = win::CommandId(word);
            const WindowHandle sequencer = SequencerWindow();
            if (id == kMixerStop) {
                if (IsPlaybackRunning()) win::PostMessage(sequencer, win::Message::Command, cmd::kSequencerStop, 0);
            } else if (id == kMixerPlay) {
                const bool idle = !IsPlaybackRunning() && !IsPlaybackPaused();
                win::PostMessage(sequencer, win::Message::Command, idle ? cmd::kSequencerStart : cmd::kSequencerPause, 0);
            } else if (id == kMixerSetup) {
                if (!IsPlaybackRunning()) RunMixerSetupDialog(mixer);
            } else if (id > kMixerSoloBase && id <= kMixerSoloBase + kMixerStaffFaders) {
                ToggleMixerSolo(mixer, id - kMixerSoloBase);
            } else if (id > kMixerMuteBase && id <= kMixerMuteBase + kMixerStaffFaders) {
                ToggleMixerMute(mixer, id - kMixerMuteBase);
            }
            return 0;
        }
        case win::Message::ParentNotify:
            if (word == win::ToRaw(win::Message::MouseMove))
                for (int fader = 0; fader <= kMixerTempoIndex; ++fader)
                    if (mixer->faders[fader].trackbar == win::WindowFromData(data)) ShowFaderName(mixer, fader);
            return 0;
        case win::Message::Activate:
        case win::Message::Paint:
            RefreshMixer(mixer);
            return win::DefaultWindowProc(window, message, word, data);
        case win::Message::Size:
            RelayoutFaders(mixer);
            return 0;
        case win::Message::Close:
            win::ShowWindow(window, win::ShowCommand::Hide);
            mixer->shown = false;
            return 0;
        default:
            if (message == win::PrivateMessage(kMixerTempoMessage - win::kPrivateMessageBase)) {
                for (MixerWindow* m = FirstMixerOf(mixer->view); m != nullptr; m = m->next) RefreshMixer(m);
                return 0;
            }
            return win::DefaultWindowProc(window, message, word, data);
    }
}

}  // namespace ql
