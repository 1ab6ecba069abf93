// User input through the GTK backend for the document-window scene: pointer and
// key events made as the display makes them and handed to GTK's own event
// dispatch, so they reach the backend's handlers by GTK's routes; menu items and
// buttons activated through GTK. Also the tests' view of the display: running
// GTK's pending work and drawing a top-level window into a picture.
#pragma once

#include <cairo.h>

#include <string>

#include "platform/gtk/gtk_window_backend.h"
#include "platform/tests/win/mdi_scene.h"
#include "platform/ui/dialog_template.h"

namespace ql::testing {

class GtkSceneInput final : public SceneInput {
public:
    void ClickFramePart(WindowHandle child, win::MdiHit part) override;
    void ClickClient(WindowHandle window, win::Point point) override;
    void PressKey(win::Key key, bool control, bool shift, uint32_t character) override;
    bool ChooseMenu(WindowHandle frame, int32_t command) override;
    void Settle() override;
};

// A modeless dialog made from `t` (installed as the program's dialog `id`) whose
// procedure only accepts its opening; empty when it could not be made.
WindowHandle ShowPlainDialog(int id, ui::DialogTemplate t);

// Runs GTK's pending work (and the display's round trips) until it is done.
void SettleDisplay();

// The top-level window as GTK draws it (menu row, client area, children),
// without the window manager's frame. The caller destroys the surface.
cairo_surface_t* DrawTopLevel(WindowHandle window);

// Differences between where GTK has put the widgets of `top` and its subtree and
// where the model says the windows are, once the display has settled; empty when
// they agree.
std::string GeometryMismatches(WindowHandle top);

}  // namespace ql::testing
