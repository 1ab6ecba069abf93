// The user-interface layer's state and the installed backend.
#include "platform/ui/ui_model.h"

#include <memory>

#include "platform/ui/headless_ui_backend.h"

namespace ql::ui {
namespace detail {
namespace {

std::unique_ptr<UiModel>& ModelSlot() {
    static std::unique_ptr<UiModel> model;
    return model;
}

}  // namespace

UiModel& Ui() {
    auto& slot = ModelSlot();
    if (!slot) slot = std::make_unique<UiModel>();
    return *slot;
}

void ResetUiModel() { ModelSlot().reset(); }

}  // namespace detail

namespace {

std::unique_ptr<Backend>& BackendSlot() {
    static std::unique_ptr<Backend> backend = std::make_unique<detail::HeadlessUiBackend>();
    return backend;
}

}  // namespace

Backend& CurrentUiBackend() { return *BackendSlot(); }

void InstallUiBackend(std::unique_ptr<Backend> backend) {
    BackendSlot() = backend ? std::move(backend) : std::make_unique<detail::HeadlessUiBackend>();
}

namespace detail {

HeadlessUiBackend* HeadlessUi() { return dynamic_cast<HeadlessUiBackend*>(&CurrentUiBackend()); }

}  // namespace detail
}  // namespace ql::ui
