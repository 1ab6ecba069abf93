// The installed window backend (headless unless another was installed).
#include "platform/win/backend.h"

#include "platform/win/headless_backend.h"

namespace ql::win {
namespace {

std::unique_ptr<Backend>& BackendSlot() {
    static std::unique_ptr<Backend> backend = std::make_unique<detail::HeadlessBackend>();
    return backend;
}

}  // namespace

Backend& CurrentBackend() { return *BackendSlot(); }

void InstallBackend(std::unique_ptr<Backend> backend) {
    BackendSlot() = backend ? std::move(backend) : std::make_unique<detail::HeadlessBackend>();
}

}  // namespace ql::win
