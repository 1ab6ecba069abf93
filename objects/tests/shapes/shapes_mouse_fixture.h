// Fixture of the shape tests that go through the tool mouse processor: the shapes
// fixture with a 600 x 400 window that the view draws on and that has the focus,
// a handle size of 32, and clicks and drags sent to a tool handler as the window's
// mouse messages; the page's objects of a type found in list order.
#pragma once

#include <vector>

#include "core/model/object_list.h"
#include "core/objects/hit_record.h"
#include "core/state.h"
#include "editing/tools.h"
#include "objects/tests/shapes/shapes_fixture.h"
#include "platform/win/input.h"
#include "platform/win/window.h"

namespace ql::testing_shapes {

constexpr int32_t kPixel = 8;  // logical units per device pixel at zoom 16

class ShapesMouseTest : public ShapesTest {
  protected:
    void SetUp() override {
        ShapesTest::SetUp();
        OpenWindow(600, 400);
        State().documents.ActiveView = view_;
        SetHandleSize(32);
        win::SetFocus(window_);
    }
    intptr_t Send(ToolHandler tool, win::Message message, gfx::Point client) {
        return tool(view_, ToolAction::Message, nullptr, window_, message, 0,
                    win::PackPoint(win::Point{client.x, client.y}));
    }
    void Click(ToolHandler tool, gfx::Point client) {
        Send(tool, win::Message::MouseMove, client);
        Send(tool, win::Message::LeftButtonDown, client);
        Send(tool, win::Message::LeftButtonUp, client);
    }
    void Drag(ToolHandler tool, gfx::Point from, gfx::Point to) {
        Send(tool, win::Message::MouseMove, from);
        Send(tool, win::Message::LeftButtonDown, from);
        Send(tool, win::Message::MouseMove, {(from.x + to.x) / 2, (from.y + to.y) / 2});
        Send(tool, win::Message::MouseMove, to);
        Send(tool, win::Message::LeftButtonUp, to);
    }
    std::vector<ScoreObject*> PageObjects(ObjectType type) {
        std::vector<ScoreObject*> found;
        for (ScoreObject* o = PageObjectListOf(view_)->next.get(); o != nullptr; o = o->next.get())
            if (o->type == TypeCode(type)) found.push_back(o);
        return found;
    }
};

}  // namespace ql::testing_shapes
