// A frame with a menu bar, a status bar, a document-window client and document
// children, built the same way on any backend, with the messages its
// procedures receive logged as text; the model state and the window tree as
// text for comparisons; and one sequence of user actions on it, driven through
// an input source that each backend supplies.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/handles.h"
#include "platform/win/keys.h"
#include "platform/win/mdi.h"

namespace ql::testing {

using platform::MenuHandle;
using platform::WindowHandle;

// Commands of the scene's menus.
constexpr int32_t kSceneNewCommand = 57600;
constexpr int32_t kSceneCascadeCommand = 57650;
constexpr int32_t kSceneTileHorizontalCommand = 57651;
constexpr int32_t kSceneTileVerticalCommand = 57652;
constexpr int32_t kSceneWindowMenuFirst = 57648;  // "Arrange &Icons", the window popup's first item

// User input as a backend delivers it.
class SceneInput {
public:
    virtual ~SceneInput() = default;
    // A left click at the centre of a part of a document child's frame.
    virtual void ClickFramePart(WindowHandle child, win::MdiHit part) = 0;
    // A left click (press and release) at a client point of a window.
    virtual void ClickClient(WindowHandle window, win::Point point) = 0;
    // A key stroke with Control and Shift held as given; `character` is the
    // character it types (0: none).
    virtual void PressKey(win::Key key, bool control, bool shift, uint32_t character) = 0;
    // Opens the menus down to `command` in the frame's bar and chooses it.
    virtual bool ChooseMenu(WindowHandle frame, int32_t command) = 0;
    // Lets the backend deliver its pending input and display work.
    virtual void Settle() = 0;

    // The program's loop, run between the events of one action (set by the
    // sequence): a key's message is handled while the key is still down.
    std::function<void()> pump = [] {};
};

// Input through the headless layer: the same calls the display backend makes
// on the user's events, and messages posted as it posts them.
class HeadlessSceneInput final : public SceneInput {
public:
    void ClickFramePart(WindowHandle child, win::MdiHit part) override;
    void ClickClient(WindowHandle window, win::Point point) override;
    void PressKey(win::Key key, bool control, bool shift, uint32_t character) override;
    bool ChooseMenu(WindowHandle frame, int32_t command) override;
    void Settle() override {}
};

class MdiScene {
public:
    // The frame (640 x 480 at 40, 40), its bar (File; Window), status bar and client.
    static std::unique_ptr<MdiScene> Build();
    ~MdiScene();

    WindowHandle AddChild(const std::string& caption);
    // Dispatches the waiting messages as the program's loop does: the
    // document-window keys first, then the window's procedure.
    void Pump();

    // The children in Z-order with id, state, rectangle and client size, the
    // active child, the frame's title and the window menu's items.
    std::string ModelState() const;

    WindowHandle frame;
    WindowHandle client;
    WindowHandle statusBar;
    MenuHandle bar;
    MenuHandle windowMenu;
    std::vector<std::string> log;  // what the procedures received, in order

private:
    MdiScene() = default;
};

// The windows from `top` down: class, text, id, rectangle in the parent's client
// coordinates, client size and visibility, children in the layer's order.
std::string WindowTree(WindowHandle top);

// Runs the scene's sequence: two children, cascade, both tilings, a window-menu
// choice, a click into a child, maximise, a third child, Ctrl+F6 and
// Ctrl+Shift+F6, restore, minimise, arrange icons, the close button. Returns the
// model state after each step, headed by the step's name.
std::vector<std::string> RunMdiSequence(MdiScene& scene, SceneInput& input);

}  // namespace ql::testing
