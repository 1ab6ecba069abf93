// Set-up and helpers of the marquee tests.
#include "editing/tests/marquee_fixture.h"

#include "core/memory/pool.h"
#include "core/model/score_document.h"
#include "core/objects/class_table.h"
#include "core/state.h"
#include "editing/marquee.h"
#include "editing/pointer_tool.h"
#include "editing/tool_dispatch.h"
#include "platform/gfx/bitmap.h"
#include "platform/win/paint.h"
#include "platform/win/window.h"

namespace ql::testing_editing {

void MarqueeTest::SetUp() {
    EditingTest::SetUp();
    RegisterMarqueeClass();
    {
        ScopedPoolSet scope(doc_->pools);
        State().files.BuildingPrototypes = 1;
        doc_->prototypes[TypeCode(ObjectType::Selection)] = ConstructObject(TypeCode(ObjectType::Selection));
        State().files.BuildingPrototypes = 0;
    }
    ASSERT_NE(doc_->prototypes[0], nullptr);
    SetCurrentToolGroup(ToolGroup::Pointer);
    PointerToolHandler(view_, ToolAction::Select, nullptr, window_, win::Message::Null, 0, 0);
}

intptr_t MarqueeTest::PointerMouse(win::Message message, int32_t x, int32_t y) {
    const gfx::Point c = Client(x, y);
    return PointerToolHandler(view_, ToolAction::Message, nullptr, window_, message, 0,
                              win::PackPoint(win::Point{c.x, c.y}));
}

intptr_t MarqueeTest::PointerKey(win::Key key) {
    return PointerToolHandler(view_, ToolAction::Message, nullptr, window_, win::Message::KeyDown,
                              static_cast<uint32_t>(key), 1);
}

void MarqueeTest::PointerDrag(int32_t x0, int32_t y0, int32_t x1, int32_t y1, int steps) {
    PointerMouse(win::Message::MouseMove, x0, y0);
    PointerMouse(win::Message::LeftButtonDown, x0, y0);
    for (int i = 1; i <= steps; ++i)
        PointerMouse(win::Message::MouseMove, x0 + (x1 - x0) * i / steps, y0 + (y1 - y0) * i / steps);
    PointerMouse(win::Message::LeftButtonUp, x1, y1);
}

void MarqueeTest::DrawMarquee(int32_t left, int32_t top, int32_t right, int32_t bottom) {
    PointerDrag(left, top, right, bottom);
}

std::vector<gfx::Point> MarqueeTest::ChangedPoints(const std::vector<uint32_t>& before) const {
    const std::vector<uint32_t> now = Pixels();
    const int32_t width = WindowWidth();
    std::vector<gfx::Point> out;
    for (size_t i = 0; i < now.size() && i < before.size(); ++i)
        if (now[i] != before[i])
            out.push_back(gfx::Point{static_cast<int32_t>(i % width), static_cast<int32_t>(i / width)});
    return out;
}

gfx::Rect MarqueeTest::DeviceRect(const gfx::Rect& logical) {
    const gfx::Point a = Client(logical.left, logical.top);
    const gfx::Point b = Client(logical.right, logical.bottom);
    const win::Rect client = win::GetClientRect(window_);
    return gfx::Intersect(gfx::Normalised(gfx::Rect{a.x, a.y, b.x, b.y}),
                          gfx::Rect{client.left, client.top, client.right, client.bottom});
}

int32_t MarqueeTest::WindowWidth() const {
    return win::GetClientRect(window_).right;
}

}  // namespace ql::testing_editing
