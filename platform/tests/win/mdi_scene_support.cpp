// The document-window scene shared by the headless and the display tests: the
// frame and its procedures, the logs, the text forms of the model state and of
// the window tree, and the sequence of user actions.
#include <sstream>

#include "platform/tests/win/mdi_scene.h"
#include "platform/ui/headless.h"
#include "platform/ui/mdi_frame.h"
#include "platform/ui/menu.h"
#include "platform/ui/status_bar.h"
#include "platform/win/headless.h"
#include "platform/win/input.h"
#include "platform/win/message_loop.h"
#include "platform/win/window.h"

namespace ql::testing {
namespace {

using win::Message;

constexpr char kFrameClass[] = "SceneFrame";
constexpr char kChildClass[] = "SceneChild";
constexpr int32_t kStatusBarId = 59393;
constexpr int32_t kArrangeIconsCommand = 57649;
constexpr win::Rect kFrameRect{40, 40, 680, 520};

std::string Caption(uint32_t bits) {
    WindowHandle w{bits};
    return w ? win::GetWindowText(w) : std::string("none");
}

std::string Describe(Message m, uint32_t word, intptr_t data) {
    std::ostringstream out;
    switch (m) {
        case Message::MdiActivate:
            out << "activate " << Caption(word) << " -> " << Caption(static_cast<uint32_t>(data));
            break;
        case Message::Command:
            out << "command " << win::CommandId(word);
            break;
        case Message::KeyDown:
        case Message::KeyUp:
            out << (m == Message::KeyDown ? "key down " : "key up ") << word;
            break;
        case Message::Char:
            out << "char " << word;
            break;
        case Message::LeftButtonDown:
        case Message::LeftButtonUp: {
            win::Point p = win::UnpackPoint(data);
            out << (m == Message::LeftButtonDown ? "left down " : "left up ") << p.x << "," << p.y;
            break;
        }
        case Message::LeftButtonDoubleClick:
            out << "left double";
            break;
        case Message::InputLanguageChange:
            out << "input language " << word;
            break;
        case Message::SystemCommand:
            out << "system command " << std::hex << word;
            break;
        case Message::Close:
            out << "close";
            break;
        case Message::Destroy:
            out << "destroy";
            break;
        default:
            return {};
    }
    return out.str();
}

void Log(MdiScene* scene, WindowHandle w, Message m, uint32_t word, intptr_t data) {
    std::string text = Describe(m, word, data);
    if (!text.empty()) scene->log.push_back(win::GetWindowText(w) + ": " + text);
}

intptr_t FrameCommand(MdiScene* scene, int32_t command) {
    switch (command) {
        case kSceneNewCommand:
        case kSceneWindowMenuFirst:
            scene->AddChild("Score " + std::to_string(win::MdiChildrenInZOrder(scene->client).size() + 1));
            return 1;
        case kArrangeIconsCommand:
            return win::ArrangeMdiIcons(scene->client);
        case kSceneCascadeCommand:
            return win::CascadeMdiChildren(scene->client);
        case kSceneTileHorizontalCommand:
            return win::TileMdiChildren(scene->client, win::MdiTile::Horizontal);
        case kSceneTileVerticalCommand:
            return win::TileMdiChildren(scene->client, win::MdiTile::Vertical);
        default:
            return 0;
    }
}

// The status bar along the bottom of the frame's client area and the document
// area above it, as a frame with a status bar lays them out whenever it is sized.
win::Rect LayOutFrame(const MdiScene& scene) {
    win::Rect area = win::GetClientRect(scene.frame);
    const int32_t barHeight = ui::GetStatusBarHeight(scene.statusBar);
    area.bottom -= barHeight;
    win::MoveWindow(scene.statusBar, win::Rect{area.left, area.bottom, area.right, area.bottom + barHeight}, true);
    if (win::IsMdiClient(scene.client)) win::MoveWindow(scene.client, area, true);
    return area;
}

void RegisterClasses(MdiScene* scene) {
    win::UnregisterWindowClass(kFrameClass);
    win::UnregisterWindowClass(kChildClass);
    win::WindowClass frame;
    frame.name = kFrameClass;
    frame.procedure = [scene](WindowHandle w, Message m, uint32_t word, intptr_t data) -> intptr_t {
        Log(scene, w, m, word, data);
        if (m == Message::Command && FrameCommand(scene, static_cast<int32_t>(win::CommandId(word)))) return 0;
        // The default frame procedure would give the document area the whole
        // client area, the status bar's strip included.
        if (m == Message::Size && win::IsWindow(scene->statusBar)) {
            LayOutFrame(*scene);
            return 0;
        }
        return ui::DefFrameProc(w, scene->client, m, word, data);
    };
    win::RegisterWindowClass(frame);
    win::WindowClass child;
    child.name = kChildClass;
    child.style = win::kClassDoubleClicks;
    child.procedure = [scene](WindowHandle w, Message m, uint32_t word, intptr_t data) -> intptr_t {
        Log(scene, w, m, word, data);
        return win::DefMdiChildProc(w, m, word, data);
    };
    win::RegisterWindowClass(child);
}

MenuHandle BuildMenuBar(MenuHandle& windowMenu) {
    MenuHandle bar = ui::CreateMenuBar();
    MenuHandle file = ui::CreatePopupMenu();
    ui::AppendMenuItem(file, kSceneNewCommand, "&New\tCtrl+N");
    ui::AppendSeparator(file);
    ui::AppendMenuItem(file, 57665, "E&xit");
    ui::AppendSubmenu(bar, file, "&File");
    windowMenu = ui::CreatePopupMenu();
    ui::AppendMenuItem(windowMenu, kSceneWindowMenuFirst, "&New Window");
    ui::AppendMenuItem(windowMenu, kArrangeIconsCommand, "Arrange &Icons");
    ui::AppendMenuItem(windowMenu, kSceneCascadeCommand, "&Cascade\tShift+F5");
    ui::AppendMenuItem(windowMenu, kSceneTileHorizontalCommand, "Tile &Horizontally\tShift+F4");
    ui::AppendMenuItem(windowMenu, kSceneTileVerticalCommand, "Tile &Vertically\tShift+F3");
    ui::AppendSubmenu(bar, windowMenu, "&Window");
    return bar;
}

const char* StateName(win::MdiChildState state) {
    switch (state) {
        case win::MdiChildState::Minimized:
            return "minimised";
        case win::MdiChildState::Maximized:
            return "maximised";
        case win::MdiChildState::Normal:
            break;
    }
    return "normal";
}

std::string RectText(const win::Rect& r) {
    std::ostringstream out;
    out << "(" << r.left << "," << r.top << ")-(" << r.right << "," << r.bottom << ")";
    return out.str();
}

// The rectangle in the parent's client coordinates.
win::Rect RectInParent(WindowHandle w) {
    win::Rect screen = win::GetWindowRect(w);
    WindowHandle parent = win::GetParent(w);
    if (!parent) return screen;
    win::Point origin = win::ClientToScreen(parent, win::Point{0, 0});
    return win::Rect{screen.left - origin.x, screen.top - origin.y, screen.right - origin.x, screen.bottom - origin.y};
}

void DescribeTree(WindowHandle w, int depth, std::ostringstream& out) {
    win::Rect client = win::GetClientRect(w);
    out << std::string(static_cast<size_t>(depth) * 2, ' ') << win::GetClassName(w) << " \"" << win::GetWindowText(w)
        << "\" id=" << win::GetWindowId(w) << " " << RectText(RectInParent(w)) << " client=" << client.Width() << "x"
        << client.Height() << (win::IsWindowVisible(w) ? " shown" : " hidden") << "\n";
    for (WindowHandle child : win::ChildWindows(w)) DescribeTree(child, depth + 1, out);
}

}  // namespace

std::unique_ptr<MdiScene> MdiScene::Build() {
    std::unique_ptr<MdiScene> scene(new MdiScene);
    RegisterClasses(scene.get());
    scene->bar = BuildMenuBar(scene->windowMenu);
    win::WindowParams params;
    params.className = kFrameClass;
    params.caption = "Scene";
    params.style = win::kStyleOverlappedWindow | win::kStyleClipChildren | win::kStyleVisible;
    params.rect = kFrameRect;
    params.menu = scene->bar;
    scene->frame = win::CreateWindow(params);
    scene->statusBar = ui::CreateStatusBar(scene->frame, win::kStyleVisible, "Ready", kStatusBarId);
    scene->client = win::CreateMdiClient(win::MdiClientParams{
        scene->frame, LayOutFrame(*scene), win::kStyleVisible | win::kStyleClipChildren, scene->windowMenu});
    return scene;
}

MdiScene::~MdiScene() {
    if (win::IsWindow(frame)) win::DestroyWindow(frame);
    if (ui::IsMenu(bar)) ui::DestroyMenu(bar);
}

WindowHandle MdiScene::AddChild(const std::string& caption) {
    win::MdiChildParams params;
    params.className = kChildClass;
    params.caption = caption;
    params.style = win::kStyleClipChildren | win::kStyleVerticalScroll | win::kStyleHorizontalScroll;
    return win::CreateMdiChild(client, params);
}

void MdiScene::Pump() {
    WindowHandle mdiClient = client;
    win::MessageFilter filter = [mdiClient](const win::QueuedMessage& m) {
        return win::TranslateMdiSysAccel(mdiClient, m);
    };
    win::PumpMessages(std::span<const win::MessageFilter>(&filter, 1));
}

std::string MdiScene::ModelState() const {
    std::ostringstream out;
    out << "active=" << Caption(win::GetActiveMdiChild(client).bits) << " title=\"" << win::MdiFrameTitle(frame)
        << "\" focus=\"" << win::GetWindowText(win::GetFocus()) << "\"\n";
    for (WindowHandle child : win::MdiChildrenInZOrder(client)) {
        win::Rect c = win::GetClientRect(child);
        out << "  " << win::GetWindowText(child) << " id=" << win::GetWindowId(child) << " "
            << StateName(win::GetMdiChildState(child)) << " " << RectText(RectInParent(child)) << " client=" << c.Width()
            << "x" << c.Height() << "\n";
    }
    ui::UpdateMdiWindowMenu(client);
    out << "  menu:";
    for (int32_t i = 0; i < ui::GetMenuItemCount(windowMenu); ++i) {
        int32_t command = ui::GetMenuItemCommand(windowMenu, i);
        bool checked = command > 0 && (ui::GetMenuItemFlags(windowMenu, command) & ui::kMenuChecked);
        out << " [" << (checked ? "*" : "") << ui::GetMenuItemText(windowMenu, i) << "]";
    }
    out << "\n";
    return out.str();
}

std::string WindowTree(WindowHandle top) {
    std::ostringstream out;
    DescribeTree(top, 0, out);
    return out.str();
}

namespace {

void Step(MdiScene& scene, SceneInput& input, std::vector<std::string>& states, const char* name) {
    input.Settle();
    scene.Pump();
    states.push_back(std::string(name) + "\n" + scene.ModelState());
}

WindowHandle ChildNamed(MdiScene& scene, const std::string& caption) {
    for (WindowHandle child : win::MdiChildrenInZOrder(scene.client))
        if (win::GetWindowText(child) == caption) return child;
    return WindowHandle{};
}

win::Point Centre(const win::Rect& r) { return win::Point{(r.left + r.right) / 2, (r.top + r.bottom) / 2}; }

win::Rect PartRect(const win::MdiFrameParts& parts, win::MdiHit part) {
    switch (part) {
        case win::MdiHit::MinimizeButton:
            return parts.minimizeButton;
        case win::MdiHit::MaximizeButton:
            return parts.maximizeButton;
        case win::MdiHit::CloseButton:
            return parts.closeButton;
        case win::MdiHit::Caption:
            return parts.caption;
        default:
            return parts.client;
    }
}

// Where key messages go: the focus, else the top-level window that is shown.
WindowHandle KeyTarget() {
    if (WindowHandle focus = win::GetFocus()) return focus;
    std::vector<WindowHandle> tops = win::TopLevelWindows({.className = {}, .visibleOnly = true});
    return tops.empty() ? WindowHandle{} : tops.back();
}

void PressModifier(SceneInput& input, win::Key key, bool down) {
    win::headless::SetKeyDown(key, down);
    win::PostMessage(KeyTarget(), down ? Message::KeyDown : Message::KeyUp, static_cast<uint32_t>(key), 1);
    input.pump();
}

}  // namespace

void HeadlessSceneInput::ClickFramePart(WindowHandle child, win::MdiHit part) {
    WindowHandle client = win::GetParent(child);
    if (win::GetMdiChildState(child) == win::MdiChildState::Maximized) {
        win::PressMaximizedChildButton(client, part);
        return;
    }
    win::PressMdiFrame(child, Centre(PartRect(win::GetMdiFrameParts(child), part)));
}

void HeadlessSceneInput::ClickClient(WindowHandle window, win::Point point) {
    win::headless::PostMouse(window, Message::LeftButtonDown, point, win::kMouseLeftButton);
    pump();
    win::headless::PostMouse(window, Message::LeftButtonUp, point, 0);
    pump();
}

void HeadlessSceneInput::PressKey(win::Key key, bool control, bool shift, uint32_t character) {
    if (control) PressModifier(*this, win::Key::Control, true);
    if (shift) PressModifier(*this, win::Key::Shift, true);
    WindowHandle target = KeyTarget();
    win::PostMessage(target, Message::KeyDown, static_cast<uint32_t>(key), 1);
    if (character != 0) win::PostMessage(target, Message::Char, character, 1);
    pump();
    win::PostMessage(KeyTarget(), Message::KeyUp, static_cast<uint32_t>(key), 1);
    pump();
    if (shift) PressModifier(*this, win::Key::Shift, false);
    if (control) PressModifier(*this, win::Key::Control, false);
}

bool HeadlessSceneInput::ChooseMenu(WindowHandle frame, int32_t command) {
    return ui::headless::ChooseMenuCommand(frame, command);
}

std::vector<std::string> RunMdiSequence(MdiScene& scene, SceneInput& input) {
    std::vector<std::string> states;
    input.pump = [&scene] { scene.Pump(); };
    scene.AddChild("Score 1");
    scene.AddChild("Score 2");
    Step(scene, input, states, "two children");
    input.ChooseMenu(scene.frame, kSceneCascadeCommand);
    Step(scene, input, states, "cascade");
    input.ChooseMenu(scene.frame, kSceneTileHorizontalCommand);
    Step(scene, input, states, "tile horizontally");
    input.ChooseMenu(scene.frame, kSceneTileVerticalCommand);
    Step(scene, input, states, "tile vertically");
    input.ChooseMenu(scene.frame, win::GetWindowId(ChildNamed(scene, "Score 1")));
    Step(scene, input, states, "window menu chooses Score 1");
    input.ClickClient(ChildNamed(scene, "Score 2"), win::Point{20, 15});
    Step(scene, input, states, "click into Score 2");
    input.PressKey(win::LetterKey('A'), false, false, 'a');
    Step(scene, input, states, "type into Score 2");
    input.ClickFramePart(ChildNamed(scene, "Score 2"), win::MdiHit::MaximizeButton);
    Step(scene, input, states, "maximise Score 2");
    input.ChooseMenu(scene.frame, kSceneNewCommand);
    Step(scene, input, states, "new child while maximised");
    input.PressKey(win::FunctionKey(6), true, false, 0);
    Step(scene, input, states, "Ctrl+F6");
    input.PressKey(win::FunctionKey(6), true, true, 0);
    Step(scene, input, states, "Ctrl+Shift+F6");
    input.ClickFramePart(win::GetActiveMdiChild(scene.client), win::MdiHit::MaximizeButton);
    Step(scene, input, states, "restore");
    input.ClickFramePart(ChildNamed(scene, "Score 1"), win::MdiHit::MinimizeButton);
    Step(scene, input, states, "minimise Score 1");
    input.ChooseMenu(scene.frame, kSceneCascadeCommand);
    Step(scene, input, states, "cascade beside an icon");
    input.ClickFramePart(ChildNamed(scene, "Score 3"), win::MdiHit::CloseButton);
    Step(scene, input, states, "close button of Score 3");
    input.PressKey(win::FunctionKey(4), true, false, 0);
    Step(scene, input, states, "Ctrl+F4");
    return states;
}

}  // namespace ql::testing
