// The window layer's shared state and its reset.
#include "platform/win/window_model.h"

#include <algorithm>
#include <cctype>

#include "platform/gfx/dc.h"
#include "platform/gfx/objects.h"

namespace ql::win::detail {
namespace {

std::unique_ptr<WindowModel>& ModelSlot() {
    static std::unique_ptr<WindowModel> model;
    return model;
}

}  // namespace

WindowModel& Model() {
    auto& slot = ModelSlot();
    if (!slot) slot = std::make_unique<WindowModel>();
    return *slot;
}

void ResetModel() {
    auto& slot = ModelSlot();
    if (!slot) return;
    // Window images and their contexts belong to the drawing layer's tables:
    // give them back.
    slot->windows.ForEach([](WindowHandle window, const WindowRecord&) {
        if (WindowRecord* record = ModelSlot()->windows.Find(window)) ReleaseWindowImage(*record);
    });
    slot.reset();
}

WindowRecord* FindWindow(WindowHandle window) { return Model().windows.Find(window); }

void ReleaseWindowImage(WindowRecord& record) {
    // The drawing layer refuses to free an image a context still draws on.
    for (platform::DcHandle dc : record.contexts) gfx::ReleaseContext(dc);
    record.contexts.clear();
    if (record.image) gfx::DeleteObject(record.image);
    record.image = platform::BitmapHandle{};
}

Size ClientSize(const WindowRecord& record) {
    const Rect& in = record.frameInsets;
    return Size{std::max(0, record.rect.Width() - in.left - in.right),
                std::max(0, record.rect.Height() - in.top - in.bottom)};
}

std::string LowerCase(std::string_view text) {
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return out;
}

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](unsigned char x, unsigned char y) {
               return std::tolower(x) == std::tolower(y);
           });
}

}  // namespace ql::win::detail
