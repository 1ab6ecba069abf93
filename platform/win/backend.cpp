// The installed window backend (headless unless another was installed).
#include "platform/win/backend.h"

#include <atomic>

#include "platform/win/headless_backend.h"

namespace ql::win {
namespace {

// Held as an atomic shared pointer: other threads wake the backend while the
// user-interface thread may replace it (tests reset the layer between cases);
// a waker holds its own reference, so the old backend outlives the call.
std::atomic<std::shared_ptr<Backend>>& BackendSlot() {
    static std::atomic<std::shared_ptr<Backend>> backend{std::make_shared<detail::HeadlessBackend>()};
    return backend;
}

}  // namespace

// The slot keeps the backend alive: only this thread replaces it.
Backend& CurrentBackend() { return *BackendSlot().load(); }

void WakeCurrentBackend() {
    std::shared_ptr<Backend> backend = BackendSlot().load();
    backend->Wake();
}

void InstallBackend(std::unique_ptr<Backend> backend) {
    std::shared_ptr<Backend> next = backend ? std::shared_ptr<Backend>(std::move(backend))
                                            : std::make_shared<detail::HeadlessBackend>();
    BackendSlot().store(std::move(next));
}

}  // namespace ql::win
